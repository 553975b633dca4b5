#include "showkvrwavewidget.h"

#include "panels/analysishelperwidget.h"
#include "views/kvrmultiwaveassistantwidget.h"
#include "views/kvrsinglewaveassistantwidget.h"
#include "views/kvrwavewidget.h"
#include "views/wavescrollwidgetbase.h"
#include "widgets/minisplitter.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

ShowKvrWaveWidget::ShowKvrWaveWidget(QWidget *parent)
    : QWidget(parent)
{
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setSpacing(2);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pSplitter = new MiniSplitter(Qt::Vertical, this);
    m_pLayout->addWidget(m_pSplitter);

    m_pTopWidget = new QWidget;
    auto *topLayout = new QVBoxLayout(m_pTopWidget);
    topLayout->setSpacing(2);
    topLayout->setContentsMargins(0, 0, 0, 0);
    m_pSingleWaveView = new KvrSingleWaveAssistantWidget;
    m_pSingleWaveFrame = new WaveScrollWidgetBase(m_pSingleWaveView, m_pTopWidget);
    // Low enough that on a small logical screen (1920 x 1080 at 200 %) the
    // wave list keeps the larger share of the height.
    m_pSingleWaveFrame->setMinimumHeight(100);
    // The panel keeps the room its texts need; a window too narrow for it
    // scrolls it sideways instead of cutting its texts.
    m_pAnalysisHelper = new AnalysisHelperWidget;
    m_pAnalysisArea = new QScrollArea(m_pTopWidget);
    m_pAnalysisArea->setObjectName(QStringLiteral("analysisPanelArea"));
    m_pAnalysisArea->setFrameShape(QFrame::NoFrame);
    m_pAnalysisArea->setWidgetResizable(true);
    m_pAnalysisArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pAnalysisArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pAnalysisArea->setWidget(m_pAnalysisHelper);
    connect(m_pAnalysisArea->horizontalScrollBar(), &QScrollBar::rangeChanged, this,
            &ShowKvrWaveWidget::fitAnalysisArea);
    fitAnalysisArea();
    topLayout->addWidget(m_pSingleWaveFrame, 1);
    topLayout->addWidget(m_pAnalysisArea, 0);

    m_pKvrWaveWidget = new KvrWaveWidget;
    m_pSplitter->addWidget(m_pTopWidget);
    m_pSplitter->addWidget(m_pKvrWaveWidget);
    // The focused strip and its panel take about two fifths, the list the
    // rest, whatever the height.
    m_pSplitter->setStretchFactor(0, 2);
    m_pSplitter->setStretchFactor(1, 3);
    m_pSplitter->setSizes({400, 600});

    // Wave list.
    connect(m_pKvrWaveWidget, &KvrWaveWidget::showStatusMessage, this, &ShowKvrWaveWidget::showStatusMessage);
    connect(m_pKvrWaveWidget, &KvrWaveWidget::focusWaveIndexChanged, this, &ShowKvrWaveWidget::onFocusWaveIndexChanged);
    connect(m_pKvrWaveWidget, &KvrWaveWidget::deleteCurWaveGroup, this, &ShowKvrWaveWidget::deleteCurWaveGroup);
    connect(m_pKvrWaveWidget, &KvrWaveWidget::waveStyleFillChanged, this, &ShowKvrWaveWidget::onWaveStyleFillChanged);
    connect(m_pKvrWaveWidget, &KvrWaveWidget::waveBkColorChanged, this, &ShowKvrWaveWidget::onWaveBkColorChanged);
    connect(m_pKvrWaveWidget, &KvrWaveWidget::waveGroupSwaped, this, &ShowKvrWaveWidget::waveGroupSwaped);
    // Enter on a suggestion in the wave list.
    KvrMultiWaveAssistantWidget *list = m_pKvrWaveWidget->waveView();
    connect(list, &KvrMultiWaveAssistantWidget::suggestionAccepted, this, &ShowKvrWaveWidget::suggestionAccepted);
    // The depth window: dragged on the list's scale, zoomed with Ctrl + wheel.
    connect(list, &KvrMultiWaveAssistantWidget::depthWindowRequested, this, &ShowKvrWaveWidget::depthWindowRequested);
    connect(list, &KvrMultiWaveAssistantWidget::depthWindowResetRequested, this,
            &ShowKvrWaveWidget::depthWindowResetRequested);
    connect(list, &KvrMultiWaveAssistantWidget::depthZoomRequested, this, &ShowKvrWaveWidget::depthZoomRequested);
    connect(m_pSingleWaveView, &KvrSingleWaveAssistantWidget::depthZoomRequested, this,
            &ShowKvrWaveWidget::depthZoomRequested);
    connect(list, &KvrMultiWaveAssistantWidget::scrollGeometryChanged, this, &ShowKvrWaveWidget::followListScroll);
    QScrollBar *across = m_pSingleWaveFrame->scrollArea()->horizontalScrollBar();
    connect(across, &QScrollBar::valueChanged, this, &ShowKvrWaveWidget::followFocusedScroll);
    connect(across, &QScrollBar::rangeChanged, this, &ShowKvrWaveWidget::followListScroll);

    // Focused-wave strip: the sample under the cursor goes straight to the
    // wave list's indicator.
    connect(m_pSingleWaveView, &KvrSingleWaveAssistantWidget::showStatusMessage, this,
            &ShowKvrWaveWidget::showStatusMessage);
    connect(m_pSingleWaveView, &KvrSingleWaveAssistantWidget::flawPosChanged, this,
            &ShowKvrWaveWidget::onFlawPosChanged);
    connect(m_pSingleWaveView, &KvrSingleWaveAssistantWidget::indicateWaveDataIdnexChanged, this,
            &ShowKvrWaveWidget::setIndicateWaveDataIndex);
    connect(m_pSingleWaveView, &KvrSingleWaveAssistantWidget::waveGroupMoved, this,
            &ShowKvrWaveWidget::onWaveGroupMoved);
    connect(m_pSingleWaveView, &KvrSingleWaveAssistantWidget::navigationKeyPressed, this,
            &ShowKvrWaveWidget::onNavigationKeyPressed);

    // Analysis panel.
    connect(m_pAnalysisHelper, &AnalysisHelperWidget::waveGroupMoved, this, &ShowKvrWaveWidget::onWaveGroupMoved);
    connect(m_pAnalysisHelper, &AnalysisHelperWidget::waveGroupSwaped, this, &ShowKvrWaveWidget::waveGroupSwaped);
    connect(m_pAnalysisHelper, &AnalysisHelperWidget::flawPosChanged, this, &ShowKvrWaveWidget::onFlawPosChanged);
    connect(m_pAnalysisHelper, &AnalysisHelperWidget::suggestionAccepted, this, &ShowKvrWaveWidget::suggestionAccepted);
    connect(m_pSingleWaveView, &KvrSingleWaveAssistantWidget::suggestionAccepted, this,
            &ShowKvrWaveWidget::suggestionAccepted);
    connect(m_pAnalysisHelper, &AnalysisHelperWidget::waveStyleFillChanged, this,
            &ShowKvrWaveWidget::onWaveStyleFillChanged);
    connect(m_pAnalysisHelper, &AnalysisHelperWidget::waveBkColorChanged, this,
            &ShowKvrWaveWidget::onWaveBkColorChanged);
    connect(m_pAnalysisHelper, &AnalysisHelperWidget::configChanged, this, &ShowKvrWaveWidget::configChanged);
}

ShowKvrWaveWidget::~ShowKvrWaveWidget() = default;

void ShowKvrWaveWidget::setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered,
                                    const WaveAnalyzeInfoList &infos, const FftInfoList &ffts, int focusIndex)
{
    m_pKvrWaveWidget->setWaveData(groups, filtered, infos, ffts, focusIndex);
    m_pSingleWaveView->setWaveData(groups, filtered, infos, ffts, focusIndex);
    m_pAnalysisHelper->setWaves(infos, ffts, focusIndex);
    updateWaveDisplay();
}

void ShowKvrWaveWidget::clearWaveData()
{
    m_pKvrWaveWidget->clearWaveData();
    m_pSingleWaveView->clearWaveData();
    m_pAnalysisHelper->clearWaves();
}

const WaveGroupList &ShowKvrWaveWidget::waveGroupList() const { return m_pKvrWaveWidget->waveGroupList(); }
const WaveGroupList &ShowKvrWaveWidget::filterWaveGroupList() const { return m_pKvrWaveWidget->filterWaveGroupList(); }
const WaveAnalyzeInfoList &ShowKvrWaveWidget::waveAnalyzeInfoList() const
{
    return m_pKvrWaveWidget->waveAnalyzeInfoList();
}
const FftInfoList &ShowKvrWaveWidget::fftInfoList() const { return m_pKvrWaveWidget->fftInfoList(); }
int ShowKvrWaveWidget::waveCount() const { return m_pKvrWaveWidget->waveCount(); }
WaveAnalyzeInfoPtr ShowKvrWaveWidget::waveAnalyzeInfoAt(int i) const { return m_pKvrWaveWidget->waveAnalyzeInfoAt(i); }

void ShowKvrWaveWidget::setFileHead(const FileHeadPtr &head)
{
    m_pKvrWaveWidget->setFileHead(head);
    m_pSingleWaveView->setFileHead(head);
    showFocusedSuggestion();
}

int ShowKvrWaveWidget::focusWaveIndex() const { return m_pKvrWaveWidget->focusWaveIndex(); }

void ShowKvrWaveWidget::setFocusWaveIndex(int index)
{
    m_pKvrWaveWidget->setFocusWaveIndex(index);
    m_pSingleWaveView->setFocusWaveIndex(index);
    m_pAnalysisHelper->setFocusWaveIndex(index);
    showFocusedSuggestion();
}

void ShowKvrWaveWidget::setWaveSpeed(float speed)
{
    m_pKvrWaveWidget->setWaveSpeed(speed);
    m_pSingleWaveView->setWaveSpeed(speed);
    showFocusedSuggestion(); // its depth
}

// The panel offers the focused wave's suggestion as the focused view shows
// it: none when the record at that place is not the one it was found on.
void ShowKvrWaveWidget::showFocusedSuggestion()
{
    const int focus = m_pSingleWaveView->focusWaveIndex();
    m_pAnalysisHelper->setSuggestion(m_pSingleWaveView->suggestionAt(focus), m_pSingleWaveView->suggestionText(focus));
}

void ShowKvrWaveWidget::setIndicateWaveDataIndex(int index) { m_pKvrWaveWidget->setIndicateWaveDataIndex(index); }

bool ShowKvrWaveWidget::isFlawMarking() const { return m_pSingleWaveView->isFlawMarking(); }
void ShowKvrWaveWidget::setFlawMarking(bool on) { m_pSingleWaveView->setFlawMarking(on); }
bool ShowKvrWaveWidget::isOriginalDisplay() const { return m_pSingleWaveView->showWaveIdx() == 2; }
void ShowKvrWaveWidget::setOriginalDisplay(bool on) { m_pSingleWaveView->setShowWaveIdx(on ? 2 : 1); }
bool ShowKvrWaveWidget::isAnalysisPanelVisible() const { return m_pAnalysisArea->isVisibleTo(this); }
void ShowKvrWaveWidget::setAnalysisPanelVisible(bool visible) { m_pAnalysisArea->setVisible(visible); }

// As tall as the panel, plus the scroll bar while it is shown.
void ShowKvrWaveWidget::fitAnalysisArea()
{
    const QScrollBar *bar = m_pAnalysisArea->horizontalScrollBar();
    const int barHeight = bar->maximum() > 0 ? bar->sizeHint().height() : 0;
    m_pAnalysisArea->setFixedHeight(m_pAnalysisHelper->minimumSizeHint().height() + barHeight);
}

void ShowKvrWaveWidget::onNavigationKeyPressed(int key) { m_pKvrWaveWidget->handleNavigationKey(key); }

void ShowKvrWaveWidget::updateNormalizedDisplay()
{
    qDebug("ShowKvrWaveWidget: 更新波形界面显示!");
    updateWaveDisplay();
}

void ShowKvrWaveWidget::updateWaveDisplay()
{
    m_pKvrWaveWidget->updateWaveDisplay();
    m_pSingleWaveView->updateWaveDisplay();
    m_pAnalysisHelper->refresh();
    showFocusedSuggestion();
}

void ShowKvrWaveWidget::refreshWaves(const QVector<int> &waves)
{
    m_pKvrWaveWidget->waveView()->updateWaves(waves);
    const int focus = focusWaveIndex();
    if (waves.isEmpty() || waves.contains(focus)) {
        m_pSingleWaveView->updateWaveDisplay();
        m_pAnalysisHelper->refresh();
        showFocusedSuggestion();
    }
}

// The views draw the header's wave speed (depth axes) and declination
// (direction labels); the records are unchanged.
void ShowKvrWaveWidget::refreshHeader(const FileHead &head)
{
    setWaveSpeed(head.fWaveSpeed);
    m_pKvrWaveWidget->waveView()->updateLabels();
}

void ShowKvrWaveWidget::setViewState(const WaveViewState *state)
{
    if (m_pViewState)
        disconnect(m_pViewState, nullptr, this, nullptr);
    m_pViewState = state;
    if (!state)
        return;
    connect(state, &WaveViewState::changed, this, &ShowKvrWaveWidget::applyViewState);
    applyViewState(WaveViewState::Aspects(0xff));
}

// Each view gets what changed, nothing else.
void ShowKvrWaveWidget::applyViewState(WaveViewState::Aspects aspects)
{
    const WaveViewState &s = *m_pViewState;
    KvrMultiWaveAssistantWidget *list = m_pKvrWaveWidget->waveView();
    if (aspects & WaveViewState::Display) {
        list->setDisplayState(s.displayState());
        m_pSingleWaveView->setDisplayState(s.displayState());
        const WaveDisplayState &d = s.displayState();
        m_pAnalysisHelper->setDisplaySwitches(d.blBlackBackground, d.blFill, d.blNormalized);
    }
    if (aspects & WaveViewState::Zoom) {
        const float zoom = s.value(WaveViewState::Scale::Zoom);
        list->setWaveZoomScale(zoom);
        m_pSingleWaveView->setWaveZoomScale(zoom);
    }
    if (aspects & WaveViewState::TimeStretch) {
        // Time runs across the focused strip and down the list.
        const float stretch = s.value(WaveViewState::Scale::TimeStretch);
        m_pSingleWaveFrame->setHStretchScale(stretch);
        list->setTimeStretch(stretch);
    }
    if (aspects & WaveViewState::Spacing)
        list->setTraceSpacing(s.value(WaveViewState::Scale::Spacing));
    if (aspects & WaveViewState::Suggestions) {
        list->setSuggestions(s.suggestions());
        m_pSingleWaveView->setSuggestions(s.suggestions());
        showFocusedSuggestion();
    }
    if (aspects & WaveViewState::Shown)
        list->setShownWaves(s.shownWaves());
    if (aspects & WaveViewState::DepthWindow) {
        const WaveViewState::SampleWindow w = s.depthWindow();
        list->setSampleWindow(w.from, w.to);
        m_pSingleWaveView->setSampleWindow(w.from, w.to);
    }
}

// The list scrolls down the time axis, the focused strip across it; both
// lay the same window out at the same stretch, so the same share scrolled
// shows the same samples.
void ShowKvrWaveWidget::followListScroll()
{
    if (m_blFollowing)
        return;
    const KvrMultiWaveAssistantWidget *list = m_pKvrWaveWidget->waveView();
    QScrollBar *across = m_pSingleWaveFrame->scrollArea()->horizontalScrollBar();
    const int content = list->contentSize().height();
    const int drawn = m_pSingleWaveView->width();
    if (content <= 0 || drawn <= 0 || across->maximum() <= 0)
        return;
    m_blFollowing = true;
    across->setValue(qRound(double(list->scrollOffset().y()) / content * drawn));
    m_blFollowing = false;
}

void ShowKvrWaveWidget::followFocusedScroll()
{
    if (m_blFollowing)
        return;
    KvrMultiWaveAssistantWidget *list = m_pKvrWaveWidget->waveView();
    const QScrollBar *across = m_pSingleWaveFrame->scrollArea()->horizontalScrollBar();
    const int content = list->contentSize().height();
    const int drawn = m_pSingleWaveView->width();
    if (content <= 0 || drawn <= 0)
        return;
    m_blFollowing = true;
    list->setScrollOffset(QPoint(list->scrollOffset().x(), qRound(double(across->value()) / drawn * content)));
    m_blFollowing = false;
}

void ShowKvrWaveWidget::onFocusWaveIndexChanged(int nWaveIndex)
{
    qDebug("ShowKvrWaveWidget: 焦点波形改变 nWaveChannelIndex ... %d", nWaveIndex);
    emit focusWaveIndexChanged(nWaveIndex);
}

void ShowKvrWaveWidget::onWaveBkColorChanged()
{
    qDebug("ShowKvrWaveWidget: 波形背景色更改");
    emit waveBkColorChanged();
}

void ShowKvrWaveWidget::onWaveStyleFillChanged() { emit waveStyleFillChanged(); }

void ShowKvrWaveWidget::onWaveGroupMoved(int step) { emit waveGroupMoved(step); }

void ShowKvrWaveWidget::onFlawPosChanged(int nWaveIndex, int nFlawPos)
{
    qDebug("ShowKvrInfoWidget: 缺陷位置改变!");
    emit flawPosChanged(nWaveIndex, nFlawPos);
}
