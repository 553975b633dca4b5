// The wave panel: the focused-wave strip with the analysis panel above the
// wave list. Signals of the views and the panel are passed upward unchanged.
#pragma once

#include "datafile/editcommands.h"
#include "datafile/records.h"
#include "views/wavedisplaystate.h"

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
    void setWaveZoomScale(float zoom);
    void setWaveSpeed(float speed);
    void setIndicateWaveDataIndex(int index);

    // Time-axis stretch: the focused strip horizontally, the wave list
    // vertically (time runs downward there).
    void setWaveHStretchScale(float scale);
    // Spacing between the traces: the wave list horizontally.
    void setWaveVStretchScale(float scale);
    void setHStretchRange(float minimum, float defaultValue, float maximum);
    void setVStretchRange(float minimum, float defaultValue, float maximum);

    bool isFlawMarking() const;
    void setFlawMarking(bool on);
    bool isOriginalDisplay() const;
    void setOriginalDisplay(bool on);
    bool isAnalysisPanelVisible() const;
    void setAnalysisPanelVisible(bool visible);
    // The wave list shows every wave (-1) or one channel's (0..2).
    int channelFilter() const;
    void setChannelFilter(int channel);
    // A wave-list key pressed in a focused-wave view.
    void onNavigationKeyPressed(int key);

    // Redraws the wave list, the focused view and the panel.
    void updateNormalizedDisplay();
    // Redraws every view (data or display setting changed).
    void updateWaveDisplay();

    // How the views draw (handed down from the workspace).
    void setDisplayState(const WaveDisplayState &state);
    // Flaw suggestions shown as markers by the wave list and the focused
    // view and offered by the analysis panel (empty: none).
    void setSuggestions(const WaveSuggestionList &suggestions);

public slots:
    void onFocusWaveIndexChanged(int nWaveIndex);
    void onWaveBkColorChanged();
    void onWaveStyleFillChanged();
    void onWaveGroupMoved(int step);
    void onFlawPosChanged(int nWaveIndex, int nFlawPos);

signals:
    void showStatusMessage(QString strMsg);
    void focusWaveIndexChanged(int nWaveIndex);
    void stretchScaleReset(bool blHStretch, bool blVStretch);
    void deleteCurWaveGroup(int nFocusIndex);
    void flawPosChanged(int nWaveIndex, int nFlawPos);
    void waveGroupMoved(int step);
    void waveGroupSwaped(int step);
    void waveStyleFillChanged();
    void waveBkColorChanged();
    void configChanged(int index, WaveParams params);
    void timeStretchRequested(int steps);

private:
    void fitAnalysisArea();

    QVBoxLayout *m_pLayout = nullptr;
    MiniSplitter *m_pSplitter = nullptr;
    QWidget *m_pTopWidget = nullptr;
    KvrSingleWaveAssistantWidget *m_pSingleWaveView = nullptr;
    WaveScrollWidgetBase *m_pSingleWaveFrame = nullptr;
    AnalysisHelperWidget *m_pAnalysisHelper = nullptr;
    QScrollArea *m_pAnalysisArea = nullptr;
    KvrWaveWidget *m_pKvrWaveWidget = nullptr;
    QString m_strScratch;
};
