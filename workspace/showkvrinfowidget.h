// The info panel: the file list, the file header editor and a second,
// framed focused-wave view that starts hidden.
#pragma once

#include "datafile/editcommands.h"
#include "datafile/records.h"
#include "views/wavedisplaystate.h"

#include <QWidget>

class FileListWidget;
class KvrFocusedWaveWidget;
class QScrollArea;
class QVBoxLayout;
class ShowKvrFileInfoWidget;

class ShowKvrInfoWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ShowKvrInfoWidget(QWidget *parent = nullptr);
    ~ShowKvrInfoWidget() override;

    FileListWidget *fileListWidget() const { return m_pFileListWidget; }
    ShowKvrFileInfoWidget *fileInfoWidget() const { return m_pFileInfoWidget; }
    KvrFocusedWaveWidget *focusedWaveWidget() const { return m_pFocusedWaveWidget; }

    bool openFileDialog();
    void setCurrentFile(const QString &path);
    void selectFileInList(const QString &path);
    void setFileHead(const FileHeadPtr &head);

    // Shows the focused wave's group and record in the header editor and
    // hands the lists to the hidden focused view.
    void setFocusWaveIndex(const WaveGroupList &groups, const WaveGroupList &filtered, const WaveAnalyzeInfoList &infos,
                           const FftInfoList &ffts, int index);
    void clearWaveData();
    void setWaveZoomScale(float zoom);
    void setWaveSpeed(float speed);
    void updateWaveDisplay();

    float hStretchScale() const;
    float vStretchScale() const;
    void setWaveHStretchScale(float scale);
    void setWaveVStretchScale(float scale);
    void setHStretchRange(float minimum, float defaultValue, float maximum);
    void setVStretchRange(float minimum, float defaultValue, float maximum);

    bool isFlawMarking() const;
    void setFlawMarking(bool on);

    void setDisplayState(const WaveDisplayState &state);

signals:
    void selectedFile(QString strDir, QString strFileName);
    void flawPosChanged(int nWaveIndex, int nFlawPos);
    void indicateWaveDataIdnexChanged(int nWaveDataIndex);
    void waveGroupMoved(int step);
    void stretchScaleReset(bool blHStretch, bool blVStretch);
    void fileHeaderInfoChanged(HeaderField field, QString strValue);
    void navigationKeyPressed(int key);
    void timeStretchRequested(int steps);

private:
    QVBoxLayout *m_pLayout = nullptr;
    FileListWidget *m_pFileListWidget = nullptr;
    QScrollArea *m_pScrollArea = nullptr;
    ShowKvrFileInfoWidget *m_pFileInfoWidget = nullptr;
    KvrFocusedWaveWidget *m_pFocusedWaveWidget = nullptr;
};
