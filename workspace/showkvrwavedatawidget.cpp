#include "showkvrwavedatawidget.h"

#include "showkvrinfowidget.h"
#include "showkvrwavewidget.h"

#include "app/displayscale.h"
#include "app/systemconfig.h"
#include "widgets/minisplitter.h"

#include <QDataStream>
#include <QDir>
#include <QVBoxLayout>

ShowKvrWaveDataWidget::ShowKvrWaveDataWidget(QWidget *parent)
    : QWidget(parent)
    , m_strDir(QDir::homePath())
    , m_pFileHead(newFileHead())
{
    // First child, so the views it feeds go before it.
    m_pViewState = new WaveViewState(this);
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setSpacing(2);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pSplitter = new MiniSplitter(Qt::Horizontal, this);
    m_pInfoWidget = new ShowKvrInfoWidget;
    m_pInfoWidget->setMinimumWidth(100);
    m_pWaveWidget = new ShowKvrWaveWidget;
    m_pWaveWidget->setMinimumWidth(100);
    m_pSplitter->addWidget(m_pInfoWidget);
    m_pSplitter->addWidget(m_pWaveWidget);
    m_pSplitter->setStretchFactor(0, 2);
    m_pSplitter->setStretchFactor(1, 7);
    // Start in the same 2 : 7 proportion the stretch factors give extra space.
    m_pSplitter->setSizes({200, 700});
    m_pLayout->addWidget(m_pSplitter);

    connect(m_pInfoWidget, &ShowKvrInfoWidget::selectedFile, this, &ShowKvrWaveDataWidget::selectedFile);
    connect(m_pInfoWidget, &ShowKvrInfoWidget::fileHeaderInfoChanged, this,
            &ShowKvrWaveDataWidget::fileHeaderInfoChanged);

    connect(m_pWaveWidget, &ShowKvrWaveWidget::showStatusMessage, this, &ShowKvrWaveDataWidget::showStatusMessage);
    connect(m_pWaveWidget, &ShowKvrWaveWidget::focusWaveIndexChanged, this,
            &ShowKvrWaveDataWidget::focusWaveIndexChanged);
    connect(m_pWaveWidget, &ShowKvrWaveWidget::deleteCurWaveGroup, this, &ShowKvrWaveDataWidget::deleteCurWaveGroup);
    connect(m_pWaveWidget, &ShowKvrWaveWidget::flawPosChanged, this, &ShowKvrWaveDataWidget::flawPosChanged);
    connect(m_pWaveWidget, &ShowKvrWaveWidget::suggestionAccepted, this, &ShowKvrWaveDataWidget::suggestionAccepted);
    connect(m_pWaveWidget, &ShowKvrWaveWidget::waveGroupMoved, this, &ShowKvrWaveDataWidget::waveGroupMoved);
    connect(m_pWaveWidget, &ShowKvrWaveWidget::waveGroupSwaped, this, &ShowKvrWaveDataWidget::waveGroupSwaped);
    connect(m_pWaveWidget, &ShowKvrWaveWidget::waveStyleFillChanged, this,
            &ShowKvrWaveDataWidget::onWaveStyleFillChanged);
    connect(m_pWaveWidget, &ShowKvrWaveWidget::waveBkColorChanged, this, &ShowKvrWaveDataWidget::onWaveBkColorChanged);
    connect(m_pWaveWidget, &ShowKvrWaveWidget::configChanged, this, &ShowKvrWaveDataWidget::configChanged);
    // The depth window is how the survey is looked at: the views ask, the
    // view state holds it.
    connect(m_pWaveWidget, &ShowKvrWaveWidget::depthWindowRequested, m_pViewState, &WaveViewState::setDepthWindow);
    connect(m_pWaveWidget, &ShowKvrWaveWidget::depthWindowResetRequested, m_pViewState,
            &WaveViewState::resetDepthWindow);
    connect(m_pWaveWidget, &ShowKvrWaveWidget::depthZoomRequested, m_pViewState, &WaveViewState::zoomDepthWindow);
    // The panels show the configuration's switches before a survey is open.
    refreshDisplayState();
    m_pWaveWidget->setViewState(m_pViewState);
}

ShowKvrWaveDataWidget::~ShowKvrWaveDataWidget() = default;

bool ShowKvrWaveDataWidget::openFileDialog() { return m_pInfoWidget->openFileDialog(); }
void ShowKvrWaveDataWidget::setCurrentFile(const QString &path) { m_pInfoWidget->setCurrentFile(path); }
void ShowKvrWaveDataWidget::selectFileInList(const QString &path) { m_pInfoWidget->selectFileInList(path); }

void ShowKvrWaveDataWidget::setDirectoryAndFile(const QString &dir, const QString &fileName)
{
    m_strDir = dir;
    m_strFileName = fileName;
    // Another survey is shown whole.
    m_pViewState->resetDepthWindow();
}

void ShowKvrWaveDataWidget::setFileHead(const FileHeadPtr &head)
{
    m_pFileHead = head;
    m_pInfoWidget->setFileHead(head);
    m_pWaveWidget->setFileHead(head);
}

void ShowKvrWaveDataWidget::setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered,
                                        const WaveAnalyzeInfoList &infos, const FftInfoList &ffts, int focusIndex)
{
    m_pWaveWidget->setWaveData(groups, filtered, infos, ffts, focusIndex);
    m_pInfoWidget->showFocusedWave(groups, infos, focusIndex);
    // After the views hold the new lists, so the shown list fits them.
    m_pViewState->setWaves(infos);
}

void ShowKvrWaveDataWidget::clearWaveData()
{
    m_pWaveWidget->clearWaveData();
    m_pInfoWidget->showFocusedWave({}, {}, -1);
    m_pViewState->setWaves({});
}

int ShowKvrWaveDataWidget::focusWaveIndex() const { return m_pWaveWidget->focusWaveIndex(); }

void ShowKvrWaveDataWidget::setFocusWaveIndex(int index)
{
    const ShowKvrWaveWidget *w = m_pWaveWidget;
    m_pInfoWidget->showFocusedWave(w->waveGroupList(), w->waveAnalyzeInfoList(), index);
    m_pWaveWidget->setFocusWaveIndex(index);
}

void ShowKvrWaveDataWidget::setWaveSpeed(float speed) { m_pWaveWidget->setWaveSpeed(speed); }

void ShowKvrWaveDataWidget::updateNormalizedDisplay()
{
    refreshDisplayState();
    m_pWaveWidget->updateNormalizedDisplay();
}

void ShowKvrWaveDataWidget::updateWaveDisplay() { m_pWaveWidget->updateWaveDisplay(); }

void ShowKvrWaveDataWidget::refreshWaves(const QVector<int> &waves)
{
    m_pWaveWidget->refreshWaves(waves);
    const int focus = m_pWaveWidget->focusWaveIndex();
    if (waves.isEmpty() || waves.contains(focus))
        m_pInfoWidget->showFocusedWave(m_pWaveWidget->waveGroupList(), m_pWaveWidget->waveAnalyzeInfoList(), focus);
}

void ShowKvrWaveDataWidget::refreshHeader()
{
    // The fields, and the focused point's name (made with the pile number).
    m_pInfoWidget->setFileHead(m_pFileHead);
    m_pInfoWidget->showFocusedWave(m_pWaveWidget->waveGroupList(), m_pWaveWidget->waveAnalyzeInfoList(),
                                   m_pWaveWidget->focusWaveIndex());
    if (m_pFileHead)
        m_pWaveWidget->refreshHeader(*m_pFileHead);
}

bool ShowKvrWaveDataWidget::isFlawMarking() const { return m_pWaveWidget->isFlawMarking(); }
void ShowKvrWaveDataWidget::setFlawMarking(bool on) { m_pWaveWidget->setFlawMarking(on); }

void ShowKvrWaveDataWidget::setSampleCount(int count)
{
    m_nSampleCount = count;
    refreshDisplayState();
}

// The display switches live in the configuration; the views get them as a
// value and never read the configuration themselves.
void ShowKvrWaveDataWidget::refreshDisplayState()
{
    const SystemConfig &config = SystemConfig::instance();
    WaveDisplayState state;
    state.nSampleCount = qBound(1, m_nSampleCount > 0 ? m_nSampleCount : config.getMaxSamplePoints(), kMaxSamples);
    state.blNormalized = config.isNormalized();
    state.blFill = config.isWaveStyleFill();
    state.blBlackBackground = config.isBgColorBlack();
    state.fFontScale = fontPointScale();
    state.blVariableDensity = config.isVariableDensity();
    m_pViewState->setDisplayState(state);
}

void ShowKvrWaveDataWidget::setInfoPanelVisible(bool visible)
{
    if (visible == m_blInfoVisible)
        return;
    m_blInfoVisible = visible;
    m_pInfoWidget->setVisible(visible);
}

bool ShowKvrWaveDataWidget::isAnalysisPanelVisible() const { return m_pWaveWidget->isAnalysisPanelVisible(); }
void ShowKvrWaveDataWidget::setAnalysisPanelVisible(bool visible) { m_pWaveWidget->setAnalysisPanelVisible(visible); }

QByteArray ShowKvrWaveDataWidget::layoutState() const
{
    QByteArray state;
    QDataStream out(&state, QIODevice::WriteOnly);
    out << m_pSplitter->saveState() << m_pWaveWidget->splitter()->saveState();
    return state;
}

bool ShowKvrWaveDataWidget::restoreLayoutState(const QByteArray &state)
{
    QDataStream in(state);
    QByteArray outer, inner;
    in >> outer >> inner;
    if (in.status() != QDataStream::Ok)
        return false;
    const bool a = m_pSplitter->restoreState(outer);
    const bool b = m_pWaveWidget->splitter()->restoreState(inner);
    return a && b;
}

bool ShowKvrWaveDataWidget::isOriginalDisplay() const { return m_pWaveWidget->isOriginalDisplay(); }
void ShowKvrWaveDataWidget::setOriginalDisplay(bool on) { m_pWaveWidget->setOriginalDisplay(on); }

void ShowKvrWaveDataWidget::onWaveStyleFillChanged()
{
    SystemConfig &config = SystemConfig::instance();
    config.setWaveStyleFill(!config.isWaveStyleFill());
    refreshDisplayState();
}

void ShowKvrWaveDataWidget::onWaveBkColorChanged()
{
    qDebug("ShowKvrWaveDataWidget: 波形背景色更改");
    SystemConfig &config = SystemConfig::instance();
    config.setBgColorBlack(!config.isBgColorBlack());
    refreshDisplayState();
}
