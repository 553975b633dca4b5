#include "kvrwavewidget.h"

#include "kvrmultiwaveassistantwidget.h"
#include "wavescrollwidgetbase.h"

#include <QVBoxLayout>

KvrWaveWidget::KvrWaveWidget(QWidget *parent)
    : QWidget(parent)
{
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setSpacing(0);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pWaveView = new KvrMultiWaveAssistantWidget;
    m_pScrollFrame = new WaveScrollWidgetBase(m_pWaveView, this);
    m_pLayout->addWidget(m_pScrollFrame);

    connect(m_pWaveView, &KvrMultiWaveAssistantWidget::showStatusMessage, this, &KvrWaveWidget::showStatusMessage);
    connect(m_pWaveView, &KvrMultiWaveAssistantWidget::focusWaveIndexChanged, this,
            &KvrWaveWidget::focusWaveIndexChanged);
    connect(m_pWaveView, &KvrMultiWaveAssistantWidget::deleteCurWaveGroup, this, &KvrWaveWidget::deleteCurWaveGroup);
    connect(m_pWaveView, &KvrMultiWaveAssistantWidget::waveStyleFillChanged, this,
            &KvrWaveWidget::waveStyleFillChanged);
    connect(m_pWaveView, &KvrMultiWaveAssistantWidget::waveBkColorChanged, this, &KvrWaveWidget::waveBkColorChanged);
    connect(m_pWaveView, &KvrMultiWaveAssistantWidget::waveGroupSwaped, this, &KvrWaveWidget::waveGroupSwaped);
    connect(m_pScrollFrame, &WaveScrollWidgetBase::stretchScaleReset, this, &KvrWaveWidget::stretchScaleReset);
}

KvrWaveWidget::~KvrWaveWidget() = default;

void KvrWaveWidget::setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered,
                                const WaveAnalyzeInfoList &infos, const FftInfoList &ffts, int focusIndex)
{
    m_pWaveView->setWaveData(groups, filtered, infos, ffts, focusIndex);
}
void KvrWaveWidget::setWaveGroupList(const WaveGroupList &list) { m_pWaveView->setWaveGroupList(list); }
void KvrWaveWidget::setFilterWaveGroupList(const WaveGroupList &list) { m_pWaveView->setFilterWaveGroupList(list); }
void KvrWaveWidget::setWaveAnalyzeInfoList(const WaveAnalyzeInfoList &list)
{
    m_pWaveView->setWaveAnalyzeInfoList(list);
}
void KvrWaveWidget::setFftInfoList(const FftInfoList &list) { m_pWaveView->setFftInfoList(list); }
const WaveGroupList &KvrWaveWidget::waveGroupList() const { return m_pWaveView->waveGroupList(); }
const WaveGroupList &KvrWaveWidget::filterWaveGroupList() const { return m_pWaveView->filterWaveGroupList(); }
const WaveAnalyzeInfoList &KvrWaveWidget::waveAnalyzeInfoList() const { return m_pWaveView->waveAnalyzeInfoList(); }
const FftInfoList &KvrWaveWidget::fftInfoList() const { return m_pWaveView->fftInfoList(); }
int KvrWaveWidget::waveCount() const { return m_pWaveView->waveCount(); }
WaveAnalyzeInfoPtr KvrWaveWidget::waveAnalyzeInfoAt(int i) const { return m_pWaveView->waveAnalyzeInfoAt(i); }
void KvrWaveWidget::clearWaveData() { m_pWaveView->clearWaveData(); }
void KvrWaveWidget::setFileHead(const FileHeadPtr &head) { m_pWaveView->setFileHead(head); }
int KvrWaveWidget::focusWaveIndex() const { return m_pWaveView->focusWaveIndex(); }
void KvrWaveWidget::setFocusWaveIndex(int index) { m_pWaveView->setFocusWaveIndex(index); }
float KvrWaveWidget::waveZoomScale() const { return m_pWaveView->waveZoomScale(); }
void KvrWaveWidget::setWaveZoomScale(float zoom) { m_pWaveView->setWaveZoomScale(zoom); }
float KvrWaveWidget::waveSpeed() const { return m_pWaveView->waveSpeed(); }
void KvrWaveWidget::setWaveSpeed(float speed) { m_pWaveView->setWaveSpeed(speed); }
void KvrWaveWidget::setIndicateWaveDataIndex(int index) { m_pWaveView->setIndicateWaveDataIndex(index); }
void KvrWaveWidget::updateWaveDisplay() { m_pWaveView->updateWaveDisplay(); }

float KvrWaveWidget::hStretchScale() const { return m_pScrollFrame->hStretchScale(); }
float KvrWaveWidget::vStretchScale() const { return m_pScrollFrame->vStretchScale(); }
void KvrWaveWidget::setHStretchScale(float value, bool apply) { m_pScrollFrame->setHStretchScale(value, apply); }
void KvrWaveWidget::setVStretchScale(float value, bool apply) { m_pScrollFrame->setVStretchScale(value, apply); }
void KvrWaveWidget::setHStretchRange(float minimum, float defaultValue, float maximum)
{
    m_pScrollFrame->setHStretchRange(minimum, defaultValue, maximum);
}
void KvrWaveWidget::setVStretchRange(float minimum, float defaultValue, float maximum)
{
    m_pScrollFrame->setVStretchRange(minimum, defaultValue, maximum);
}

void KvrWaveWidget::onWaveBkColorChanged()
{
    qDebug("KvrWaveWidget: 波形背景色更改");
    m_pWaveView->updateWaveDisplay();
}
