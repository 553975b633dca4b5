#include "kvrwavewidget.h"

#include "kvrmultiwaveassistantwidget.h"

#include <QGridLayout>
#include <QScrollBar>
#include <cmath>

namespace {
constexpr int kBarExtent = 20;
} // namespace

KvrWaveWidget::KvrWaveWidget(QWidget *parent)
    : QWidget(parent)
{
    m_pLayout = new QGridLayout(this);
    m_pLayout->setSpacing(0);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pWaveView = new KvrMultiWaveAssistantWidget(this);
    m_pHBar = new QScrollBar(Qt::Horizontal, this);
    m_pHBar->setObjectName(QStringLiteral("waveListHScrollBar"));
    m_pHBar->setFixedHeight(kBarExtent);
    m_pVBar = new QScrollBar(Qt::Vertical, this);
    m_pVBar->setObjectName(QStringLiteral("waveListVScrollBar"));
    m_pVBar->setFixedWidth(kBarExtent);
    m_pHBar->hide();
    m_pVBar->hide();
    m_pLayout->addWidget(m_pWaveView, 0, 0);
    m_pLayout->addWidget(m_pVBar, 0, 1);
    m_pLayout->addWidget(m_pHBar, 1, 0);

    KvrMultiWaveAssistantWidget *v = m_pWaveView;
    connect(v, &KvrMultiWaveAssistantWidget::showStatusMessage, this, &KvrWaveWidget::showStatusMessage);
    connect(v, &KvrMultiWaveAssistantWidget::focusWaveIndexChanged, this, &KvrWaveWidget::focusWaveIndexChanged);
    connect(v, &KvrMultiWaveAssistantWidget::deleteCurWaveGroup, this, &KvrWaveWidget::deleteCurWaveGroup);
    connect(v, &KvrMultiWaveAssistantWidget::waveStyleFillChanged, this, &KvrWaveWidget::waveStyleFillChanged);
    connect(v, &KvrMultiWaveAssistantWidget::waveBkColorChanged, this, &KvrWaveWidget::waveBkColorChanged);
    connect(v, &KvrMultiWaveAssistantWidget::waveGroupSwaped, this, &KvrWaveWidget::waveGroupSwaped);
    connect(v, &KvrMultiWaveAssistantWidget::scrollGeometryChanged, this, &KvrWaveWidget::syncScrollBars);
    connect(m_pHBar, &QScrollBar::valueChanged, this, [this](int x) {
        if (!m_blSyncing)
            m_pWaveView->setScrollOffset(QPoint(x, m_pWaveView->scrollOffset().y()));
    });
    connect(m_pVBar, &QScrollBar::valueChanged, this, [this](int y) {
        if (!m_blSyncing)
            m_pWaveView->setScrollOffset(QPoint(m_pWaveView->scrollOffset().x(), y));
    });
}

KvrWaveWidget::~KvrWaveWidget() = default;

// The bars show the part of the list in the window; each appears only when
// the list is larger than the window that way.
void KvrWaveWidget::syncScrollBars()
{
    if (m_blSyncing)
        return;
    m_blSyncing = true;
    const QSize content = m_pWaveView->contentSize();
    const QRectF area = m_pWaveView->waveArea();
    const QPoint at = m_pWaveView->scrollOffset();
    const int maxX = qMax(0, content.width() - int(area.width()));
    const int maxY = qMax(0, content.height() - int(area.height()));
    m_pHBar->setRange(0, maxX);
    m_pHBar->setPageStep(qMax(1, int(area.width())));
    m_pHBar->setSingleStep(qMax(1, int(std::ceil(m_pWaveView->tracePitch()))));
    m_pHBar->setValue(at.x());
    m_pVBar->setRange(0, maxY);
    m_pVBar->setPageStep(qMax(1, int(area.height())));
    m_pVBar->setSingleStep(20);
    m_pVBar->setValue(at.y());
    m_pHBar->setVisible(maxX > 0);
    m_pVBar->setVisible(maxY > 0);
    m_blSyncing = false;
}

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
bool KvrWaveWidget::handleNavigationKey(int key) { return m_pWaveView->handleNavigationKey(key); }

void KvrWaveWidget::onWaveBkColorChanged()
{
    qDebug("KvrWaveWidget: 波形背景色更改");
    m_pWaveView->updateWaveDisplay();
}
