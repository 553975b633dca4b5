#include "depthwindowdialog.h"

#include "workspace/waveviewstate.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

// A sample is 2 µs; the depth is half the way the wave travels.
double DepthWindowDialog::sampleDepth(int sample, double speed) { return sample * 0.002 * speed / 2000.0; }

int DepthWindowDialog::depthSample(double metres, double speed)
{
    const double s = metres * 2000.0 / (0.002 * speed);
    return std::isfinite(s) ? int(std::floor(qBound(0.0, s, double(kMaxSamples)) + 0.5)) : 0;
}

DepthWindowDialog::DepthWindowDialog(WaveViewState &state, double speed, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
    , m_dSpeed(speed)
{
    setWindowTitle(tr("深度范围"));
    const WaveViewState::SampleWindow w = state.depthWindow();
    const int samples = state.displayState().nSampleCount;
    const double full = sampleDepth(samples, speed);
    auto box = [this, full](double value) {
        auto *b = new QDoubleSpinBox(this);
        b->setDecimals(3);
        b->setSingleStep(0.1);
        b->setRange(0.0, full);
        b->setSuffix(QStringLiteral(" m"));
        b->setValue(value);
        return b;
    };
    m_pFrom = box(sampleDepth(w.from, speed));
    m_pFrom->setObjectName(QStringLiteral("depthFrom"));
    m_pTo = box(sampleDepth(w.to, speed));
    m_pTo->setObjectName(QStringLiteral("depthTo"));

    auto *form = new QFormLayout;
    form->addRow(tr("起始深度："), m_pFrom);
    form->addRow(tr("终止深度："), m_pTo);
    auto *hint = new QLabel(tr("波形列表和当前波形显示同一深度范围；不改变测试数据。"), this);
    hint->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    QPushButton *whole = buttons->addButton(tr("复位"), QDialogButtonBox::ResetRole);
    whole->setObjectName(QStringLiteral("depthReset"));
    connect(buttons, &QDialogButtonBox::accepted, this, &DepthWindowDialog::apply);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(whole, &QPushButton::clicked, this, &DepthWindowDialog::reset);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(buttons);
}

void DepthWindowDialog::apply()
{
    m_state.setDepthWindow(depthSample(m_pFrom->value(), m_dSpeed), depthSample(m_pTo->value(), m_dSpeed));
    accept();
}

void DepthWindowDialog::reset()
{
    m_state.resetDepthWindow();
    accept();
}
