// The wave workspace, the main window's central page: the info panel on
// the left and the wave panel on the right. Signals of both halves are
// passed up to the main window. The workspace owns the WaveViewState the
// views are drawn from.
#pragma once

#include "datafile/editcommands.h"
#include "datafile/records.h"
#include "workspace/waveviewstate.h"

#include <QString>
#include <QWidget>

class MiniSplitter;
class QVBoxLayout;
class ShowKvrInfoWidget;
class ShowKvrWaveWidget;

class ShowKvrWaveDataWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ShowKvrWaveDataWidget(QWidget *parent = nullptr);
    ~ShowKvrWaveDataWidget() override;

    ShowKvrInfoWidget *infoWidget() const { return m_pInfoWidget; }
    ShowKvrWaveWidget *waveWidget() const { return m_pWaveWidget; }
    // How the survey is shown (filter, scales, display, suggestions).
    WaveViewState *viewState() const { return m_pViewState; }

    // File choice.
    bool openFileDialog();
    void setCurrentFile(const QString &path);
    // Puts the file list's selection on `path` without opening it.
    void selectFileInList(const QString &path);
    QString directory() const { return m_strDir; }
    QString fileName() const { return m_strFileName; }
    void setDirectoryAndFile(const QString &dir, const QString &fileName);

    // The header record shared with the main window.
    FileHeadPtr fileHead() const { return m_pFileHead; }
    void setFileHead(const FileHeadPtr &head);

    // The model lists and the focus (the document's), handed to the views.
    void setWaveData(const WaveGroupList &groups, const WaveGroupList &filtered, const WaveAnalyzeInfoList &infos,
                     const FftInfoList &ffts, int focusIndex);
    void clearWaveData();
    int focusWaveIndex() const;
    void setFocusWaveIndex(int index);

    void setWaveSpeed(float speed);
    void updateNormalizedDisplay();
    void updateWaveDisplay();
    // What an edit, undo or redo changed, and nothing else: the records or
    // samples of these waves (none: every wave), or the header.
    void refreshWaves(const QVector<int> &waves);
    void refreshHeader();

    bool isFlawMarking() const;
    void setFlawMarking(bool on);
    // The display switches of the configuration and the sample count of the
    // open survey, into the view state; call after any of them changed.
    void refreshDisplayState();
    void setSampleCount(int count);
    bool isInfoPanelVisible() const { return m_blInfoVisible; }
    void setInfoPanelVisible(bool visible);
    bool isAnalysisPanelVisible() const;
    void setAnalysisPanelVisible(bool visible);
    bool isOriginalDisplay() const;
    void setOriginalDisplay(bool on);
    // Sizes of the splitters between the panels, to keep between sessions.
    QByteArray layoutState() const;
    bool restoreLayoutState(const QByteArray &state);

public slots:
    void onWaveStyleFillChanged();
    void onWaveBkColorChanged();

signals:
    void showStatusMessage(QString strMsg);
    void selectedFile(QString strDir, QString strFileName);
    void flawPosChanged(int nWaveIndex, int nFlawPos);
    void suggestionAccepted(int nWaveIndex);
    void fileHeaderInfoChanged(HeaderField field, QString strValue);
    void deleteCurWaveGroup(int nFocusIndex);
    void focusWaveIndexChanged(int nWaveIndex);
    void waveGroupMoved(int step);
    void waveGroupSwaped(int step);
    void configChanged(int index, WaveParams params);

private:
    QVBoxLayout *m_pLayout = nullptr;
    MiniSplitter *m_pSplitter = nullptr;
    ShowKvrInfoWidget *m_pInfoWidget = nullptr;
    ShowKvrWaveWidget *m_pWaveWidget = nullptr;
    WaveViewState *m_pViewState = nullptr;
    QString m_strDir;
    QString m_strFileName;
    FileHeadPtr m_pFileHead;
    bool m_blInfoVisible = true;
    int m_nSampleCount = 0;
};
