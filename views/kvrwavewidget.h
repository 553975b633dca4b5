// The wave list as placed in the wave panel: the multi-wave drawing widget
// with its two scroll bars. Commands go to the drawing widget; its signals
// are re-emitted unchanged.
//
// The two stretch factors of the list live here: the horizontal one spaces
// the traces, the vertical one stretches the time axis (time runs downward).
// Each is kept within its range; resizing the list brings both back to their
// defaults and says so with stretchScaleReset().
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
    // -1 all waves, 0..2 one channel (view only).
    int channelFilter() const;
    void setChannelFilter(int channel);
    // A navigation key pressed in another view of the same waves (the
    // focused wave); moves through the waves this list shows.
    bool handleNavigationKey(int key);
    // Moves the focus `step` shown waves on (negative: back).
    void stepFocus(int step);

    // Stretch factors and ranges: horizontal = spacing of the traces,
    // vertical = time axis.
    float hStretchScale() const { return m_fHCur; }
    float vStretchScale() const { return m_fVCur; }
    void setHStretchScale(float value, bool apply = true);
    void setVStretchScale(float value, bool apply = true);
    void setHStretchRange(float minimum, float defaultValue, float maximum);
    void setVStretchRange(float minimum, float defaultValue, float maximum);

public slots:
    void onWaveBkColorChanged();

signals:
    void showStatusMessage(QString strMsg);
    void focusWaveIndexChanged(int nWaveIndex);
    void stretchScaleReset(bool blHStretch, bool blVStretch);
    void deleteCurWaveGroup(int nFocusIndex);
    void waveStyleFillChanged();
    void waveBkColorChanged();
    void waveGroupSwaped(int step);
    void timeStretchRequested(int steps);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void syncScrollBars();

    QGridLayout *m_pLayout = nullptr;
    KvrMultiWaveAssistantWidget *m_pWaveView = nullptr;
    QScrollBar *m_pHBar = nullptr;
    QScrollBar *m_pVBar = nullptr;
    bool m_blSyncing = false;
    float m_fHDef = 1.0f, m_fHMin = 1.0f, m_fHMax = 1.0f, m_fHCur = 1.0f;
    float m_fVDef = 1.0f, m_fVMin = 1.0f, m_fVMax = 1.0f, m_fVCur = 1.0f;
};
