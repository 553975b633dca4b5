// The framed focused-wave view held (hidden) in the info panel: a group box
// with previous/next buttons above a scrolling single-wave view.
#pragma once

#include "datafile/records.h"

#include <QWidget>

class KvrSingleWaveAssistantWidget;
class QGridLayout;
class QGroupBox;
class QPushButton;
class QVBoxLayout;
class WaveScrollWidgetBase;

class KvrFocusedWaveWidget : public QWidget
{
    Q_OBJECT
public:
    explicit KvrFocusedWaveWidget(QWidget *parent = nullptr);
    ~KvrFocusedWaveWidget() override;

    KvrSingleWaveAssistantWidget *waveView() const { return m_pWaveView; }
    WaveScrollWidgetBase *scrollFrame() const { return m_pScrollFrame; }

    void setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered, const WaveAnalyzeInfoList &infos,
                     const FftInfoList &ffts, int focusIndex);
    void clearWaveData();
    void setFileHead(const FileHeadPtr &head);
    int focusWaveIndex() const;
    void setFocusWaveIndex(int index);
    void setWaveZoomScale(float zoom);
    void setWaveSpeed(float speed);
    bool isFlawMarking() const;
    void setFlawMarking(bool on);
    int showWaveIdx() const;
    void setShowWaveIdx(int type);
    void updateWaveDisplay();

    float hStretchScale() const;
    float vStretchScale() const;
    void setHStretchScale(float value, bool apply = true);
    void setVStretchScale(float value, bool apply = true);
    void setHStretchRange(float minimum, float defaultValue, float maximum);
    void setVStretchRange(float minimum, float defaultValue, float maximum);

public slots:
    void on_btnLastWave_clicked();
    void on_btnNextWave_clicked();

signals:
    void flawPosChanged(int nWaveIndex, int nFlawPos);
    void indicateWaveDataIdnexChanged(int nWaveDataIndex);
    void waveGroupMoved(int step);
    void stretchScaleReset(bool blHStretch, bool blVStretch);
    void navigationKeyPressed(int key);
    void timeStretchRequested(int steps);

private:
    QVBoxLayout *m_pLayout = nullptr;
    QGroupBox *groupBoxFocusedWave = nullptr;
    QGridLayout *gridLayout = nullptr;
    QPushButton *btnLastWave = nullptr;
    QPushButton *btnNextWave = nullptr;
    KvrSingleWaveAssistantWidget *m_pWaveView = nullptr;
    WaveScrollWidgetBase *m_pScrollFrame = nullptr;
};
