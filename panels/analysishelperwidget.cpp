#include "analysishelperwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <cmath>

namespace {

const QString kBlueStyle = QStringLiteral("color: blue;\n");
constexpr int kWindowCodeCount = 5; // 0 rectangle .. 4 Blackman

template<typename W> W *named(W *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

QLabel *panelLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *label = named(new QLabel(text, parent), name);
    label->setFrameShape(QFrame::WinPanel);
    label->setFrameShadow(QFrame::Sunken);
    return label;
}

QPushButton *orderButton(const char *name, const char *icon, const char *fallback, QWidget *parent)
{
    auto *btn = named(new QPushButton(parent), name);
    btn->setFixedSize(20, 20);
    const QString image = QString::fromLatin1(icon);
    if (QFile::exists(image))
        btn->setIcon(QIcon(image));
    else
        btn->setText(QString::fromLatin1(fallback)); // the image is not compiled in
    btn->setAutoRepeat(true);
    btn->setAutoRepeatInterval(20);
    return btn;
}

} // namespace

AnalysisHelperWidget::AnalysisHelperWidget(QWidget *parent)
    : ShowKvrDataWidgetBase(parent)
{
    qRegisterMetaType<WaveParams>();
    buildUi();
    showDisplaySwitches();
    QMetaObject::connectSlotsByName(this);
}

void AnalysisHelperWidget::buildUi()
{
    resize(800, 70);
    m_pGridLayout = named(new QGridLayout(this), "gridLayout");
    m_pGridLayout->setContentsMargins(2, 2, 2, 2);
    m_pGridLayout->setSpacing(4);

    m_pLabelFilterType = named(new QLabel(QStringLiteral("滤波器类型："), this), "labelFilterType");
    m_pCBoxFilterType = named(new QComboBox(this), "cBoxFilterType");
    m_pCBoxFilterType->addItems({QStringLiteral("布莱克曼窗"), QStringLiteral("汉明窗"), QStringLiteral("汉宁窗"),
                                 QStringLiteral("三角窗"), QStringLiteral("矩形窗")});
    m_pCBoxFilterType->setInsertPolicy(QComboBox::InsertAtBottom);
    m_pCBoxFilterType->setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
    m_pLabelLowPassFreq = named(new QLabel(QStringLiteral("下限截止频率(Hz)："), this), "labelLowPassFreq");
    m_pLEditLowPassFreq = named(new QLineEdit(this), "lEditLowPassFreq");
    m_pLabelHighPassFreq = named(new QLabel(QStringLiteral("上限截止频率(Hz)："), this), "labelHighPassFreq");
    m_pLEditHighPassFreq = named(new QLineEdit(this), "lEditHighPassFreq");
    m_pLabelFilterOrder = named(new QLabel(QStringLiteral("滤波阶数："), this), "labelFilterOrder");
    m_pBtnFilterOrderSub = orderButton("btnFilterOrderSub", ":/images/Resources/png/order_sub.png", "-", this);
    m_pLEditFilterOrder = named(new QLineEdit(this), "lEditFilterOrder");
    m_pLEditFilterOrder->setAlignment(Qt::AlignCenter);
    m_pBtnFilterOrderAdd = orderButton("btnFilterOrderAdd", ":/images/Resources/png/order_add.png", "+", this);
    m_pLabelMainFreqName = named(new QLabel(QStringLiteral("主频(Hz)："), this), "labelMainFreqName");
    m_pLabelMainFreq = panelLabel("labelMainFreq", QStringLiteral(" "), this);
    m_pLabelMainFreq->setMinimumWidth(80);
    m_pBtnSaveFilterWaveData = named(new QPushButton(QStringLiteral("应用到当前波形"), this), "btnSaveFilterWaveData");
    m_pBtnSaveFilterWaveDataAll =
        named(new QPushButton(QStringLiteral("应用到所有波形"), this), "btnSaveFilterWaveDataAll");

    m_pLabelBkColor = named(new QLabel(QStringLiteral("波形背景色："), this), "labelBkColor");
    m_pLabelBkColor->setStyleSheet(kBlueStyle);
    m_pCBoxBkColor = named(new QComboBox(this), "cBoxBkColor");
    m_pCBoxBkColor->addItems({QStringLiteral("白色"), QStringLiteral("黑色")});
    m_pCBoxBkColor->setStyleSheet(kBlueStyle);
    m_pLabelManualGainName = named(new QLabel(QStringLiteral("手动增益："), this), "labelManualGainName");
    m_pLEditManualGain = named(new QLineEdit(this), "lEditManualGain");
    m_pLabelCurWaveDataIndexName = named(new QLabel(QStringLiteral("波形序号："), this), "labelCurWaveDataIndexName");
    m_pLabelCurWaveDataIndex = panelLabel("labelCurWaveDataIndex", QStringLiteral("1 / 1"), this);
    m_pBtnSwapPreviousWave = named(new QPushButton(QStringLiteral("波形往前移"), this), "btnSwapPreviousWave");
    m_pBtnSwapNextWave = named(new QPushButton(QStringLiteral("波形往后移"), this), "btnSwapNextWave");
    m_pBtnPreviousWaveData = named(new QPushButton(QStringLiteral("上一个波形"), this), "btnPreviousWaveData");
    m_pBtnNextWaveData = named(new QPushButton(QStringLiteral("下一个波形"), this), "btnNextWaveData");
    m_pBtnClearCurMark = named(new QPushButton(QStringLiteral("清除当前标记"), this), "btnClearCurMark");
    m_pBtnClearCurMark->setStyleSheet(kBlueStyle);
    m_pCheckBoxIsWaveStyleFill = named(new QCheckBox(QStringLiteral("波形填充"), this), "checkBoxIsWaveStyleFill");
    m_pCheckBoxIsWaveStyleFill->setStyleSheet(kBlueStyle);

    // Numbers of at most seven digits: the edits need not take the room the
    // texts around them need.
    const int editWidth = fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 12;
    for (QLineEdit *edit : {m_pLEditLowPassFreq, m_pLEditHighPassFreq, m_pLEditFilterOrder, m_pLEditManualGain})
        edit->setMaximumWidth(editWidth);

    QGridLayout *g = m_pGridLayout;
    g->addWidget(m_pLabelFilterType, 0, 0);
    g->addWidget(m_pCBoxFilterType, 0, 1);
    g->addWidget(m_pLabelLowPassFreq, 0, 2);
    g->addWidget(m_pLEditLowPassFreq, 0, 3);
    g->addWidget(m_pLabelHighPassFreq, 0, 4);
    g->addWidget(m_pLEditHighPassFreq, 0, 5);
    g->addWidget(m_pLabelFilterOrder, 0, 6);
    g->addWidget(m_pBtnFilterOrderSub, 0, 7);
    g->addWidget(m_pLEditFilterOrder, 0, 8);
    g->addWidget(m_pBtnFilterOrderAdd, 0, 9);
    g->addWidget(m_pLabelMainFreqName, 0, 10);
    g->addWidget(m_pLabelMainFreq, 0, 11);
    g->addWidget(m_pBtnSaveFilterWaveData, 0, 12);
    g->addWidget(m_pBtnSaveFilterWaveDataAll, 0, 13);
    g->addWidget(m_pLabelBkColor, 1, 0);
    g->addWidget(m_pCBoxBkColor, 1, 1);
    g->addWidget(m_pLabelManualGainName, 1, 2);
    g->addWidget(m_pLEditManualGain, 1, 3);
    g->addWidget(m_pLabelCurWaveDataIndexName, 1, 4);
    g->addWidget(m_pLabelCurWaveDataIndex, 1, 5);
    g->addWidget(m_pBtnSwapPreviousWave, 1, 6);
    g->addWidget(m_pBtnSwapNextWave, 1, 7);
    g->addWidget(m_pBtnPreviousWaveData, 1, 8, 1, 2);
    g->addWidget(m_pBtnNextWaveData, 1, 10, 1, 2);
    g->addWidget(m_pBtnClearCurMark, 1, 12);
    g->addWidget(m_pCheckBoxIsWaveStyleFill, 1, 13);
}

void AnalysisHelperWidget::paintEvent(QPaintEvent *event) { QWidget::paintEvent(event); }

void AnalysisHelperWidget::setMessageFunc(MessageFunc func) { m_messageFunc = std::move(func); }

int AnalysisHelperWidget::windowItemForCode(int code)
{
    return (code >= 0 && code < kWindowCodeCount) ? kWindowCodeCount - 1 - code : -1;
}

int AnalysisHelperWidget::windowCodeForItem(int item)
{
    return (item >= 0 && item < kWindowCodeCount) ? kWindowCodeCount - 1 - item : -1;
}

int AnalysisHelperWidget::bkColorItemFor(bool black) { return black ? 1 : 0; }

// The two switches show the display state the workspace hands down, which
// the wave list's context menu changes as well.
void AnalysisHelperWidget::showDisplaySwitches()
{
    {
        const QSignalBlocker block(m_pCBoxBkColor);
        m_pCBoxBkColor->setCurrentIndex(bkColorItemFor(m_display.blBlackBackground));
    }
    m_pCheckBoxIsWaveStyleFill->setChecked(m_display.blFill);
}

void AnalysisHelperWidget::showRecord(int index)
{
    const WaveAnalyzeInfoPtr r = waveAnalyzeInfoAt(index);
    if (!r)
        return;

    m_pCBoxFilterType->setCurrentIndex(windowItemForCode(r->nFilterWindow));
    m_pLEditHighPassFreq->setText(QString::number(r->nHighCutoff));
    m_pLEditLowPassFreq->setText(QString::number(r->nLowCutoff));
    m_pLEditFilterOrder->setText(QString::number(r->nFilterOrder));

    const FftInfoPtr f = fftInfoAt(r->nMeasurePoint);
    const int c = r->nChannel;
    if (f && c >= 0 && c < 4) {
        m_pLabelMainFreq->setText(
            QStringLiteral("%1/%2").arg(f->dMainFreq[c], 0, 'f', 0).arg(f->dFilterMainFreq[c], 0, 'f', 0));
    } else {
        m_pLabelMainFreq->setText(QStringLiteral("---"));
    }

    m_pLEditManualGain->setText(QString::number(double(r->fManualGain), 'f', 1));
    m_pLabelCurWaveDataIndex->setText(QStringLiteral("%1 / %2").arg(index + 1).arg(waveCount()));
    showDisplaySwitches();
    m_nFocusWaveIndex = index;
}

void AnalysisHelperWidget::setFocusWaveIndex(int index)
{
    showRecord(index);
    m_nFocusWaveIndex = index;
}

void AnalysisHelperWidget::updateWaveDisplay()
{
    if (m_nFocusWaveIndex >= 0)
        showRecord(m_nFocusWaveIndex);
    else
        showDisplaySwitches();
    const bool normalized = m_display.blNormalized;
    m_pLabelManualGainName->setEnabled(!normalized);
    m_pLEditManualGain->setEnabled(!normalized);
}

bool AnalysisHelperWidget::readSettings(WaveParams *out, QString *message) const
{
    // What cannot be read as a number is refused here with the text as
    // typed; the ranges are the document's rules (WaveParams::check()).
    bool ok = false;
    WaveParams p;
    p.blFilter = true;
    p.blGain = true;
    p.nLowCutoff = m_pLEditLowPassFreq->text().trimmed().toInt(&ok, 10);
    if (!ok) {
        *message = QStringLiteral("下限截止频率“%1”无效，请输入大于0且小于%2的整数！")
                       .arg(m_pLEditLowPassFreq->text())
                       .arg(WaveParams::kMaxCutoff);
        return false;
    }
    p.nHighCutoff = m_pLEditHighPassFreq->text().trimmed().toInt(&ok, 10);
    if (!ok) {
        *message = QStringLiteral("上限截止频率“%1”无效，请输入大于0且小于%2的整数！")
                       .arg(m_pLEditHighPassFreq->text())
                       .arg(WaveParams::kMaxCutoff);
        return false;
    }
    p.nFilterOrder = m_pLEditFilterOrder->text().trimmed().toInt(&ok, 10);
    if (!ok) {
        *message = QStringLiteral("滤波阶数“%1”无效，请输入%2到%3之间的整数！")
                       .arg(m_pLEditFilterOrder->text())
                       .arg(WaveParams::kMinOrder)
                       .arg(WaveParams::kMaxOrder);
        return false;
    }
    p.fManualGain = m_pLEditManualGain->text().trimmed().toFloat(&ok);
    if (!ok) {
        *message = QStringLiteral("手动增益“%1”无效，请输入大于0的数值！").arg(m_pLEditManualGain->text());
        return false;
    }
    p.nFilterWindow = windowCodeForItem(m_pCBoxFilterType->currentIndex());
    *message = p.check();
    if (!message->isEmpty())
        return false;
    *out = p;
    return true;
}

bool AnalysisHelperWidget::readSettingsOrComplain(WaveParams *out)
{
    QString message;
    if (readSettings(out, &message))
        return true;
    qDebug("AnalysisHelperWidget::readSettings: 输入无效 ... %s", qUtf8Printable(message));
    if (m_messageFunc)
        m_messageFunc(message);
    else
        QMessageBox::warning(this, QStringLiteral("提示"), message, QMessageBox::Ok);
    return false;
}

void AnalysisHelperWidget::on_btnPreviousWaveData_clicked() { emit waveGroupMoved(-1); }

void AnalysisHelperWidget::on_btnNextWaveData_clicked() { emit waveGroupMoved(1); }

void AnalysisHelperWidget::on_btnSaveFilterWaveData_clicked()
{
    const int index = m_nFocusWaveIndex;
    if (!waveAnalyzeInfoAt(index))
        return;
    WaveParams p;
    if (!readSettingsOrComplain(&p))
        return;
    qDebug("AnalysisHelperWidget: 应用到当前波形 ... %d, %d, %d, %d, %.1f", index, p.nLowCutoff, p.nHighCutoff,
           p.nFilterOrder, double(p.fManualGain));
    emit configChanged(index, p);
}

void AnalysisHelperWidget::on_btnSaveFilterWaveDataAll_clicked()
{
    if (!waveAnalyzeInfoAt(m_nFocusWaveIndex))
        return;
    WaveParams p;
    if (!readSettingsOrComplain(&p))
        return;
    qDebug("AnalysisHelperWidget: 应用到所有波形 ... %d, %d, %d, %d, %.1f", waveCount(), p.nLowCutoff, p.nHighCutoff,
           p.nFilterOrder, double(p.fManualGain));
    emit configChanged(-1, p);
}

void AnalysisHelperWidget::on_btnClearCurMark_clicked()
{
    const WaveAnalyzeInfoPtr r = waveAnalyzeInfoAt(m_nFocusWaveIndex);
    if (!r || r->nChannel > 2 || r->nChannel == kNoValue || r->nFlawPos == kNoValue)
        return;
    emit flawPosChanged(m_nFocusWaveIndex, kNoValue);
}

void AnalysisHelperWidget::on_checkBoxIsWaveStyleFill_clicked()
{
    // The box shows the display state until the workspace hands down the new one.
    m_pCheckBoxIsWaveStyleFill->setChecked(m_display.blFill);
    emit waveStyleFillChanged();
}

void AnalysisHelperWidget::on_cBoxBkColor_currentIndexChanged(int index)
{
    if (index < 0)
        return;
    const bool black = index == bkColorItemFor(true);
    qDebug("AnalysisHelperWidget: 波形背景色 blIsBgColorBlack ... %d", black ? 1 : 0);
    if (black != m_display.blBlackBackground)
        emit waveBkColorChanged();
}

void AnalysisHelperWidget::setDisplayState(const WaveDisplayState &state)
{
    ShowKvrDataWidgetBase::setDisplayState(state);
    showDisplaySwitches();
    const bool normalized = m_display.blNormalized;
    m_pLabelManualGainName->setEnabled(!normalized);
    m_pLEditManualGain->setEnabled(!normalized);
}

void AnalysisHelperWidget::on_btnSwapPreviousWave_clicked() { emit waveGroupSwaped(-1); }

void AnalysisHelperWidget::on_btnSwapNextWave_clicked() { emit waveGroupSwaped(1); }

void AnalysisHelperWidget::stepFilterOrder(int delta)
{
    bool ok = false;
    const int order = m_pLEditFilterOrder->text().trimmed().toInt(&ok, 10);
    if (!ok)
        return;
    const int next = qBound(WaveParams::kMinOrder, order + delta, WaveParams::kMaxOrder);
    if (next != order)
        m_pLEditFilterOrder->setText(QString::number(next));
}

void AnalysisHelperWidget::on_btnFilterOrderSub_clicked() { stepFilterOrder(-kOrderStep); }

void AnalysisHelperWidget::on_btnFilterOrderAdd_clicked() { stepFilterOrder(kOrderStep); }
