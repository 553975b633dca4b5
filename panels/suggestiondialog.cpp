#include "suggestiondialog.h"

#include "datafile/flawsuggest.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {
constexpr int kSteps = 100; // slider positions: confidence in hundredths
}

SuggestionAcceptDialog::SuggestionAcceptDialog(const QVector<Entry> &entries, double threshold, QWidget *parent)
    : QDialog(parent)
    , m_entries(entries)
{
    setWindowTitle(tr("采纳缺陷建议"));
    setObjectName(QStringLiteral("SuggestionAcceptDialog"));
    auto *layout = new QVBoxLayout(this);

    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("最低置信度："), this));
    m_pSlider = new QSlider(Qt::Horizontal, this);
    m_pSlider->setObjectName(QStringLiteral("sliderThreshold"));
    m_pSlider->setRange(0, kSteps);
    m_pSlider->setMinimumWidth(240);
    row->addWidget(m_pSlider, 1);
    m_pLabelThreshold = new QLabel(this);
    m_pLabelThreshold->setObjectName(QStringLiteral("labelThreshold"));
    m_pLabelThreshold->setMinimumWidth(m_pLabelThreshold->fontMetrics().horizontalAdvance(QStringLiteral("0.00")) + 8);
    row->addWidget(m_pLabelThreshold);
    layout->addLayout(row);

    m_pCheckReplace = new QCheckBox(tr("替换已有的缺陷标记"), this);
    m_pCheckReplace->setObjectName(QStringLiteral("checkBoxReplace"));
    layout->addWidget(m_pCheckReplace);

    m_pLabelCount = new QLabel(this);
    m_pLabelCount->setObjectName(QStringLiteral("labelCount"));
    m_pLabelCount->setWordWrap(true);
    layout->addWidget(m_pLabelCount);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("采纳"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("取消"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pSlider, &QSlider::valueChanged, this, &SuggestionAcceptDialog::refresh);
    connect(m_pCheckReplace, &QCheckBox::toggled, this, &SuggestionAcceptDialog::refresh);

    setThreshold(threshold);
    refresh();
}

double SuggestionAcceptDialog::threshold() const { return double(m_pSlider->value()) / kSteps; }

void SuggestionAcceptDialog::setThreshold(double threshold)
{
    m_pSlider->setValue(qBound(0, qRound(threshold * kSteps), kSteps));
}

bool SuggestionAcceptDialog::replaceMarks() const { return m_pCheckReplace->isChecked(); }

void SuggestionAcceptDialog::setReplaceMarks(bool replace) { m_pCheckReplace->setChecked(replace); }

int SuggestionAcceptDialog::countAccepted(const QVector<Entry> &entries, double threshold, bool replaceMarks)
{
    flawsuggest::AcceptRule rule;
    rule.minConfidence = threshold;
    rule.replaceMarks = replaceMarks;
    int n = 0;
    for (const Entry &e : entries)
        n += flawsuggest::accepts(rule, e.confidence, e.marked);
    return n;
}

void SuggestionAcceptDialog::refresh()
{
    const double t = threshold();
    m_pLabelThreshold->setText(QString::number(t, 'f', 2));
    int kept = 0;
    for (const Entry &e : qAsConst(m_entries)) {
        if (e.confidence >= t && e.marked && !replaceMarks())
            ++kept;
    }
    QString text = tr("将采纳 %1 个建议").arg(acceptedCount());
    if (kept > 0)
        text += tr("（%1 个波形已有标记，保留原标记）").arg(kept);
    m_pLabelCount->setText(text);
    if (auto *box = findChild<QDialogButtonBox *>()) {
        for (QAbstractButton *b : box->buttons()) {
            if (box->buttonRole(b) == QDialogButtonBox::AcceptRole)
                b->setEnabled(acceptedCount() > 0);
        }
    }
}
