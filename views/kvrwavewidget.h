// The wave list as placed in the wave panel: a scrolling frame around the
// multi-wave drawing widget. Commands go to the drawing widget or the frame;
// the drawing widget's and the frame's signals are re-emitted unchanged.
#pragma once

#include "datafile/records.h"

#include <QWidget>

class KvrMultiWaveAssistantWidget;
class QVBoxLayout;
class WaveScrollWidgetBase;

class KvrWaveWidget : public QWidget
{
    Q_OBJECT
public:
    explicit KvrWaveWidget(QWidget *parent = nullptr);
    ~KvrWaveWidget() override;

    KvrMultiWaveAssistantWidget *waveView() const { return m_pWaveView; }
    WaveScrollWidgetBase *scrollFrame() const { return m_pScrollFrame; }

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

    // Stretch factors and ranges (forwarded to the frame).
    float hStretchScale() const;
    float vStretchScale() const;
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

private:
    QVBoxLayout *m_pLayout = nullptr;
    KvrMultiWaveAssistantWidget *m_pWaveView = nullptr;
    WaveScrollWidgetBase *m_pScrollFrame = nullptr;
};
