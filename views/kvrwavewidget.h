// The wave list as placed in the wave panel: the multi-wave drawing widget
// with its two scroll bars. Commands go to the drawing widget; its signals
// are re-emitted unchanged. The spacing and the time stretch are the
// drawing widget's, handed down by the workspace.
#pragma once

#include "datafile/records.h"

#include <QWidget>

class KvrMultiWaveAssistantWidget;
class QGridLayout;
class QScrollBar;

class KvrWaveWidget : public QWidget
{
    Q_OBJECT
public:
    explicit KvrWaveWidget(QWidget *parent = nullptr);
    ~KvrWaveWidget() override;

    KvrMultiWaveAssistantWidget *waveView() const { return m_pWaveView; }
    QScrollBar *horizontalScrollBar() const { return m_pHBar; }
    QScrollBar *verticalScrollBar() const { return m_pVBar; }

    // Model lists and focus (forwarded to the drawing widget).
    void setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered, const WaveAnalyzeInfoList &infos,
                     const FftInfoList &ffts, int focusIndex);
    void setWaveGroupList(const WaveGroupList &list);
    void setFilterWaveGroupList(const WaveGroupList &list);
    void setWaveAnalyzeInfoList(const WaveAnalyzeInfoList &list);
    void setFftInfoList(const FftInfoList &list);
    const WaveGroupList &waveGroupList() const;
    const WaveGroupList &filterWaveGroupList() const;
    const WaveAnalyzeInfoList &waveAnalyzeInfoList() const;
    const FftInfoList &fftInfoList() const;
    int waveCount() const;
    WaveAnalyzeInfoPtr waveAnalyzeInfoAt(int i) const;
    void clearWaveData();
    void setFileHead(const FileHeadPtr &head);
    int focusWaveIndex() const;
    void setFocusWaveIndex(int index);
    float waveZoomScale() const;
    void setWaveZoomScale(float zoom);
    float waveSpeed() const;
    void setWaveSpeed(float speed);
    void setIndicateWaveDataIndex(int index);
    void updateWaveDisplay();
    // A navigation key pressed in another view of the same waves (the
    // focused wave); moves through the waves this list shows.
    bool handleNavigationKey(int key);

public slots:
    void onWaveBkColorChanged();

signals:
    void showStatusMessage(QString strMsg);
    void focusWaveIndexChanged(int nWaveIndex);
    void deleteCurWaveGroup(int nFocusIndex);
    void waveStyleFillChanged();
    void waveBkColorChanged();
    void waveGroupSwaped(int step);

private:
    void syncScrollBars();

    QGridLayout *m_pLayout = nullptr;
    KvrMultiWaveAssistantWidget *m_pWaveView = nullptr;
    QScrollBar *m_pHBar = nullptr;
    QScrollBar *m_pVBar = nullptr;
    bool m_blSyncing = false;
};
