// The wave panel: the focused-wave strip with the analysis panel above the
// wave list. Signals of the views and the panel are passed upward unchanged;
// how the views draw comes from the workspace's WaveViewState.
#pragma once

#include "datafile/editcommands.h"
#include "datafile/records.h"
#include "workspace/waveviewstate.h"

#include <QString>
#include <QWidget>

class AnalysisHelperWidget;
class KvrSingleWaveAssistantWidget;
class KvrWaveWidget;
class MiniSplitter;
class QScrollArea;
class QVBoxLayout;
class WaveScrollWidgetBase;

class ShowKvrWaveWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ShowKvrWaveWidget(QWidget *parent = nullptr);
    ~ShowKvrWaveWidget() override;

    KvrWaveWidget *waveListWidget() const { return m_pKvrWaveWidget; }
    KvrSingleWaveAssistantWidget *singleWaveView() const { return m_pSingleWaveView; }
    WaveScrollWidgetBase *singleWaveFrame() const { return m_pSingleWaveFrame; }
    AnalysisHelperWidget *analysisPanel() const { return m_pAnalysisHelper; }
    // Scrolls the analysis panel sideways when the window is too narrow for it.
    QScrollArea *analysisPanelArea() const { return m_pAnalysisArea; }
    MiniSplitter *splitter() const { return m_pSplitter; }

    // The model lists, shared by the wave list, the focused view and the panel.
    void setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered, const WaveAnalyzeInfoList &infos,
                     const FftInfoList &ffts, int focusIndex);
    void clearWaveData();
    const WaveGroupList &waveGroupList() const;
    const WaveGroupList &filterWaveGroupList() const;
    const WaveAnalyzeInfoList &waveAnalyzeInfoList() const;
    const FftInfoList &fftInfoList() const;
    int waveCount() const;
    WaveAnalyzeInfoPtr waveAnalyzeInfoAt(int i) const;
    void setFileHead(const FileHeadPtr &head);

    int focusWaveIndex() const;
    void setFocusWaveIndex(int index);
    void setWaveSpeed(float speed);
    void setIndicateWaveDataIndex(int index);

    bool isFlawMarking() const;
    void setFlawMarking(bool on);
    bool isOriginalDisplay() const;
    void setOriginalDisplay(bool on);
    bool isAnalysisPanelVisible() const;
    void setAnalysisPanelVisible(bool visible);
    // A wave-list key pressed in a focused-wave view.
    void onNavigationKeyPressed(int key);

    // Redraws the wave list, the focused view and the panel.
    void updateNormalizedDisplay();
    // Redraws every view (data or display setting changed).
    void updateWaveDisplay();
    // The records or samples of these waves changed (none: every wave): the
    // wave list draws them again, the focused view and the panel only when
    // they show one of them.
    void refreshWaves(const QVector<int> &waves);
    // The header changed (texts, wave speed, declination).
    void refreshHeader(const FileHead &head);

    // The state the views are drawn from; the panel follows its changes.
    void setViewState(const WaveViewState *state);

public slots:
    void onFocusWaveIndexChanged(int nWaveIndex);
    void onWaveBkColorChanged();
    void onWaveStyleFillChanged();
    void onWaveGroupMoved(int step);
    void onFlawPosChanged(int nWaveIndex, int nFlawPos);

signals:
    void showStatusMessage(QString strMsg);
    void focusWaveIndexChanged(int nWaveIndex);
    void deleteCurWaveGroup(int nFocusIndex);
    void flawPosChanged(int nWaveIndex, int nFlawPos);
    // The button, or Enter in either view, on the focused wave's suggestion.
    void suggestionAccepted(int nWaveIndex);
    void waveGroupMoved(int step);
    void waveGroupSwaped(int step);
    void waveStyleFillChanged();
    void waveBkColorChanged();
    void configChanged(int index, WaveParams params);
    // From the views, for the view state's depth window: show samples
    // [from, to), the whole trace again, or zoom about `sample`.
    void depthWindowRequested(int from, int to);
    void depthWindowResetRequested();
    void depthZoomRequested(int sample, int steps);

private:
    void fitAnalysisArea();
    // With the time axis stretched, the list's vertical scroll and the
    // focused strip's horizontal scroll show the same part of the window.
    void followListScroll();
    void followFocusedScroll();
    void applyViewState(WaveViewState::Aspects aspects);
    void showFocusedSuggestion();

    QVBoxLayout *m_pLayout = nullptr;
    MiniSplitter *m_pSplitter = nullptr;
    QWidget *m_pTopWidget = nullptr;
    KvrSingleWaveAssistantWidget *m_pSingleWaveView = nullptr;
    WaveScrollWidgetBase *m_pSingleWaveFrame = nullptr;
    AnalysisHelperWidget *m_pAnalysisHelper = nullptr;
    QScrollArea *m_pAnalysisArea = nullptr;
    KvrWaveWidget *m_pKvrWaveWidget = nullptr;
    const WaveViewState *m_pViewState = nullptr;
    bool m_blFollowing = false;
};
