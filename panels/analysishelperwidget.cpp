#include "analysishelperwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
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
    label->setMargin(2); // the text clear of the frame
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
    : QWidget(parent)
{
    qRegisterMetaType<WaveParams>();
    buildUi();
    showDisplaySwitches();
    QMetaObject::connectSlotsByName(this);
}

void AnalysisHelperWidget::buildUi()
{

    m_pLabelFilterType = named(new QLabel(tr("滤波器类型："), this), "labelFilterType");
    m_pCBoxFilterType = named(new QComboBox(this), "cBoxFilterType");
    m_pCBoxFilterType->addItems({tr("布莱克曼窗"), tr("汉明窗"), tr("汉宁窗"), tr("三角窗"), tr("矩形窗")});
    m_pCBoxFilterType->setInsertPolicy(QComboBox::InsertAtBottom);
    m_pCBoxFilterType->setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
    m_pLabelLowPassFreq = named(new QLabel(tr("下限截止频率(Hz)："), this), "labelLowPassFreq");
    m_pLEditLowPassFreq = named(new QLineEdit(this), "lEditLowPassFreq");
    m_pLabelHighPassFreq = named(new QLabel(tr("上限截止频率(Hz)："), this), "labelHighPassFreq");
    m_pLEditHighPassFreq = named(new QLineEdit(this), "lEditHighPassFreq");
    m_pLabelFilterOrder = named(new QLabel(tr("滤波阶数："), this), "labelFilterOrder");
    m_pBtnFilterOrderSub = orderButton("btnFilterOrderSub", ":/images/Resources/png/order_sub.png", "-", this);
    m_pLEditFilterOrder = named(new QLineEdit(this), "lEditFilterOrder");
    m_pLEditFilterOrder->setAlignment(Qt::AlignCenter);
    m_pBtnFilterOrderAdd = orderButton("btnFilterOrderAdd", ":/images/Resources/png/order_add.png", "+", this);
    m_pLabelMainFreqName = named(new QLabel(tr("主频(Hz)："), this), "labelMainFreqName");
    m_pLabelMainFreq = panelLabel("labelMainFreq", QStringLiteral(" "), this);
    m_pLabelMainFreq->setMinimumWidth(80);
    m_pBtnSaveFilterWaveData = named(new QPushButton(tr("应用到当前波形"), this), "btnSaveFilterWaveData");
    m_pBtnSaveFilterWaveDataAll = named(new QPushButton(tr("应用到所有波形"), this), "btnSaveFilterWaveDataAll");

    m_pLabelBkColor = named(new QLabel(tr("波形背景色："), this), "labelBkColor");
    m_pLabelBkColor->setStyleSheet(kBlueStyle);
    m_pCBoxBkColor = named(new QComboBox(this), "cBoxBkColor");
    m_pCBoxBkColor->addItems({tr("白色"), tr("黑色")});
    m_pCBoxBkColor->setStyleSheet(kBlueStyle);
    m_pLabelManualGainName = named(new QLabel(tr("手动增益："), this), "labelManualGainName");
    m_pLEditManualGain = named(new QLineEdit(this), "lEditManualGain");
    m_pLabelCurWaveDataIndexName = named(new QLabel(tr("波形序号："), this), "labelCurWaveDataIndexName");
    m_pLabelCurWaveDataIndex = panelLabel("labelCurWaveDataIndex", QStringLiteral("1 / 1"), this);
    m_pBtnSwapPreviousWave = named(new QPushButton(tr("波形往前移"), this), "btnSwapPreviousWave");
    m_pBtnSwapNextWave = named(new QPushButton(tr("波形往后移"), this), "btnSwapNextWave");
    m_pBtnPreviousWaveData = named(new QPushButton(tr("上一个波形"), this), "btnPreviousWaveData");
    m_pBtnNextWaveData = named(new QPushButton(tr("下一个波形"), this), "btnNextWaveData");
    m_pBtnClearCurMark = named(new QPushButton(tr("清除当前标记"), this), "btnClearCurMark");
    m_pBtnClearCurMark->setStyleSheet(kBlueStyle);
    m_pBtnAcceptSuggestion = named(new QPushButton(tr("采纳建议"), this), "btnAcceptSuggestion");
    m_pBtnAcceptSuggestion->setEnabled(false);
    m_pCheckBoxIsWaveStyleFill = named(new QCheckBox(tr("波形填充"), this), "checkBoxIsWaveStyleFill");
    m_pCheckBoxIsWaveStyleFill->setStyleSheet(kBlueStyle);

    // Numbers of at most seven digits: the edits need not take the room the
    // texts around them need, but never less than that.
    const int editWidth = fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 12;
    for (QLineEdit *edit : {m_pLEditLowPassFreq, m_pLEditHighPassFreq, m_pLEditFilterOrder, m_pLEditManualGain})
        edit->setFixedWidth(editWidth);
    m_pLabelMainFreq->setAlignment(Qt::AlignCenter);
    m_pLabelCurWaveDataIndex->setAlignment(Qt::AlignCenter);

    // Three rows of related controls, each as wide as its texts: the filter;
    // the gain, the main frequencies and what to apply them to; stepping,
    // moving and the display switches. No control gets less than its texts
    // need; a window too narrow for a row scrolls the panel (the workspace
    // puts it in a scroll area).
    auto row = [this](std::initializer_list<QWidget *> widgets) {
        auto *layout = new QHBoxLayout;
        layout->setSpacing(4);
        for (QWidget *w : widgets) {
            if (!qobject_cast<QLineEdit *>(w))
                w->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
            layout->addWidget(w);
        }
        layout->addStretch(1);
        m_pRowsLayout->addLayout(layout);
    };
    m_pRowsLayout = named(new QVBoxLayout(this), "rowsLayout");
    m_pRowsLayout->setContentsMargins(2, 2, 2, 2);
    m_pRowsLayout->setSpacing(2);
    row({m_pLabelFilterType, m_pCBoxFilterType, m_pLabelLowPassFreq, m_pLEditLowPassFreq, m_pLabelHighPassFreq,
         m_pLEditHighPassFreq, m_pLabelFilterOrder, m_pBtnFilterOrderSub, m_pLEditFilterOrder, m_pBtnFilterOrderAdd});
    row({m_pLabelManualGainName, m_pLEditManualGain, m_pLabelMainFreqName, m_pLabelMainFreq, m_pBtnSaveFilterWaveData,
         m_pBtnSaveFilterWaveDataAll, m_pBtnClearCurMark, m_pBtnAcceptSuggestion});
    row({m_pLabelCurWaveDataIndexName, m_pLabelCurWaveDataIndex, m_pBtnPreviousWaveData, m_pBtnNextWaveData,
         m_pBtnSwapPreviousWave, m_pBtnSwapNextWave, m_pLabelBkColor, m_pCBoxBkColor, m_pCheckBoxIsWaveStyleFill});
}

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
        m_pCBoxBkColor->setCurrentIndex(bkColorItemFor(m_blBlackBackground));
    }
    m_pCheckBoxIsWaveStyleFill->setChecked(m_blFill);
}

WaveAnalyzeInfoPtr AnalysisHelperWidget::recordAt(int index) const
{
    return (index >= 0 && index < m_infos.size()) ? m_infos.at(index) : WaveAnalyzeInfoPtr();
}

void AnalysisHelperWidget::setWaves(const WaveAnalyzeInfoList &infos, const FftInfoList &ffts, int focusIndex)
{
    m_infos = infos;
    m_ffts = ffts;
    setFocusWaveIndex(focusIndex);
    refresh();
}

void AnalysisHelperWidget::clearWaves()
{
    m_infos.clear();
    m_ffts.clear();
    m_nFocusWaveIndex = -1;
    m_suggestion = dsp::FlawSuggestion();
    m_strSuggestion.clear();
    refresh();
}

void AnalysisHelperWidget::showRecord(int index)
{
    const WaveAnalyzeInfoPtr r = recordAt(index);
    if (!r)
        return;

    m_pCBoxFilterType->setCurrentIndex(windowItemForCode(r->nFilterWindow));
    m_pLEditHighPassFreq->setText(QString::number(r->nHighCutoff));
    m_pLEditLowPassFreq->setText(QString::number(r->nLowCutoff));
    m_pLEditFilterOrder->setText(QString::number(r->nFilterOrder));

    const int m = r->nMeasurePoint;
    const FftInfoPtr f = (m >= 0 && m < m_ffts.size()) ? m_ffts.at(m) : FftInfoPtr();
    const int c = r->nChannel;
    if (f && c >= 0 && c < 4) {
        m_pLabelMainFreq->setText(
            QStringLiteral("%1/%2").arg(f->dMainFreq[c], 0, 'f', 0).arg(f->dFilterMainFreq[c], 0, 'f', 0));
    } else {
        m_pLabelMainFreq->setText(QStringLiteral("---"));
    }

    m_pLEditManualGain->setText(QString::number(double(r->fManualGain), 'f', 1));
    m_pLabelCurWaveDataIndex->setText(QStringLiteral("%1 / %2").arg(index + 1).arg(m_infos.size()));
    showDisplaySwitches();
    m_nFocusWaveIndex = index;
}

void AnalysisHelperWidget::setFocusWaveIndex(int index)
{
    showRecord(index);
    m_nFocusWaveIndex = index;
    m_suggestion = dsp::FlawSuggestion();
    m_strSuggestion.clear();
    showSuggestionState();
}

void AnalysisHelperWidget::setSuggestion(const dsp::FlawSuggestion &suggestion, const QString &text)
{
    m_suggestion = suggestion;
    m_strSuggestion = suggestion.isValid() ? text : QString();
    showSuggestionState();
}

void AnalysisHelperWidget::showSuggestionState()
{
    const WaveAnalyzeInfoPtr r = recordAt(m_nFocusWaveIndex);
    const dsp::FlawSuggestion &s = m_suggestion;
    m_pBtnAcceptSuggestion->setEnabled(r && s.isValid() && s.sample != r->nFlawPos);
    m_pBtnAcceptSuggestion->setToolTip(m_strSuggestion);
}

void AnalysisHelperWidget::refresh()
{
    if (m_nFocusWaveIndex >= 0)
        showRecord(m_nFocusWaveIndex);
    else
        showDisplaySwitches();
    m_pLabelManualGainName->setEnabled(!m_blNormalized);
    m_pLEditManualGain->setEnabled(!m_blNormalized);
    showSuggestionState();
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
        *message = tr("下限截止频率“%1”无效，请输入大于0且小于%2的整数！")
                       .arg(m_pLEditLowPassFreq->text())
                       .arg(WaveParams::kMaxCutoff);
        return false;
    }
    p.nHighCutoff = m_pLEditHighPassFreq->text().trimmed().toInt(&ok, 10);
    if (!ok) {
        *message = tr("上限截止频率“%1”无效，请输入大于0且小于%2的整数！")
                       .arg(m_pLEditHighPassFreq->text())
                       .arg(WaveParams::kMaxCutoff);
        return false;
    }
    p.nFilterOrder = m_pLEditFilterOrder->text().trimmed().toInt(&ok, 10);
    if (!ok) {
        *message = tr("滤波阶数“%1”无效，请输入%2到%3之间的整数！")
                       .arg(m_pLEditFilterOrder->text())
                       .arg(WaveParams::kMinOrder)
                       .arg(WaveParams::kMaxOrder);
        return false;
    }
    p.fManualGain = m_pLEditManualGain->text().trimmed().toFloat(&ok);
    if (!ok) {
        *message = tr("手动增益“%1”无效，请输入大于0的数值！").arg(m_pLEditManualGain->text());
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
        QMessageBox::warning(this, tr("提示"), message, QMessageBox::Ok);
    return false;
}

void AnalysisHelperWidget::on_btnPreviousWaveData_clicked() { emit waveGroupMoved(-1); }

void AnalysisHelperWidget::on_btnNextWaveData_clicked() { emit waveGroupMoved(1); }

void AnalysisHelperWidget::on_btnSaveFilterWaveData_clicked()
{
    const int index = m_nFocusWaveIndex;
    if (!recordAt(index))
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
    if (!recordAt(m_nFocusWaveIndex))
        return;
    WaveParams p;
    if (!readSettingsOrComplain(&p))
        return;
    qDebug("AnalysisHelperWidget: 应用到所有波形 ... %d, %d, %d, %d, %.1f", int(m_infos.size()), p.nLowCutoff,
           p.nHighCutoff, p.nFilterOrder, double(p.fManualGain));
    emit configChanged(-1, p);
}

void AnalysisHelperWidget::on_btnClearCurMark_clicked()
{
    const WaveAnalyzeInfoPtr r = recordAt(m_nFocusWaveIndex);
    if (!r || r->nChannel > 2 || r->nChannel == kNoValue || r->nFlawPos == kNoValue)
        return;
    emit flawPosChanged(m_nFocusWaveIndex, kNoValue);
}

void AnalysisHelperWidget::on_btnAcceptSuggestion_clicked()
{
    if (recordAt(m_nFocusWaveIndex) && m_suggestion.isValid())
        emit suggestionAccepted(m_nFocusWaveIndex);
}

void AnalysisHelperWidget::on_checkBoxIsWaveStyleFill_clicked()
{
    // The box shows the display state until the workspace hands down the new one.
    m_pCheckBoxIsWaveStyleFill->setChecked(m_blFill);
    emit waveStyleFillChanged();
}

void AnalysisHelperWidget::on_cBoxBkColor_currentIndexChanged(int index)
{
    if (index < 0)
        return;
    const bool black = index == bkColorItemFor(true);
    qDebug("AnalysisHelperWidget: 波形背景色 blIsBgColorBlack ... %d", black ? 1 : 0);
    if (black != m_blBlackBackground)
        emit waveBkColorChanged();
}

void AnalysisHelperWidget::setDisplaySwitches(bool blackBackground, bool fill, bool normalized)
{
    if (blackBackground == m_blBlackBackground && fill == m_blFill && normalized == m_blNormalized)
        return;
    m_blBlackBackground = blackBackground;
    m_blFill = fill;
    m_blNormalized = normalized;
    refresh();
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
