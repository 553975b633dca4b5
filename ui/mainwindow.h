// The application's only top-level window: menus, tool bar, status bar and
// the stacked central widget holding the wave workspace.
#pragma once

#include "datafile/kvrdocument.h"
#include "datafile/records.h"
#include "datafile/workflows.h"
#include "ui/flawsuggestions.h"
#include "ui/windowstate.h"
#include "workspace/waveviewstate.h"

#include <QMainWindow>
#include <QStringList>
#include <functional>

class QAction;
class QActionGroup;
class QProgressBar;
class QDockWidget;
class QDragEnterEvent;
class MarksPanel;
class QDropEvent;
class QLabel;
class QMimeData;
class QMenu;
class QStackedWidget;
class QTimer;
class QToolBar;
class QToolButton;
class QVBoxLayout;
class PrinterOperation;
class ProjectTableWidget;
class ShowAboutDialog;
class HelpDialog;
class ShowKvrWaveDataWidget;
class StatusWidget;
class SuggestionAcceptDialog;
struct FftInfo;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // The three answers of the "保存更改到..." question when closing.
    enum class CloseAnswer { Save, Discard, Cancel };
    using CloseQuestion = std::function<CloseAnswer(const QString &strFileName)>;
    // Shows a message box (title, text) with one "确定" button.
    using MessageFunc = std::function<void(const QString &strTitle, const QString &strText)>;
    // The "警告" question before a channel is deleted; true for "是".
    using DeleteQuestion = std::function<bool()>;
    // Shows the "采纳全部建议" dialog; true when the engineer accepts its choice.
    using AcceptSuggestionsQuestion = std::function<bool(SuggestionAcceptDialog &dialog)>;

    explicit MainWindow(const QString &strStartFile = QString(), QWidget *parent = nullptr);
    ~MainWindow() override;

    // Enables/checks the actions for "no file" (false) or "file loaded" (true).
    void setActionStates(bool blFileLoaded);
    bool isFileLoaded() const { return m_blFileLoaded; }

    // The close flow: returns true when the window may close. Asks the
    // question only when something is unsaved.
    bool confirmClose();

    // Replaces the modal "保存更改到..." question of the close flow and of
    // opening another survey (tests answer it directly). The default shows
    // the message box.
    void setCloseQuestion(CloseQuestion question);
    // Replaces the message boxes and the delete question (tests).
    void setMessageFunc(MessageFunc func);
    void setDeleteQuestion(DeleteQuestion question);
    // Replaces the modal "采纳全部建议" dialog (tests set its choice and answer).
    void setAcceptSuggestionsQuestion(AcceptSuggestionsQuestion question);
    // The question before 保存 when another program changed the file on disk
    // since it was opened or saved.
    enum class DiskChangedAnswer { Overwrite, SaveAs, Cancel };
    using DiskChangedQuestion = std::function<DiskChangedAnswer(const QString &strFileName)>;
    void setDiskChangedQuestion(DiskChangedQuestion question) { m_diskChangedQuestion = std::move(question); }
    // Replaces the file dialog of 另存为 (parent, caption, proposed path,
    // filter; returns the chosen path or nothing).
    using SaveAsDialog = std::function<QString(QWidget *, const QString &, const QString &, const QString &)>;
    void setSaveAsDialog(SaveAsDialog dialog) { m_saveAsDialog = std::move(dialog); }

    // The open document and the workspace showing it.
    KvrDocument &document() { return m_document; }
    ShowKvrWaveDataWidget *workspace() const { return m_pShowWaveDataWidget; }
    PrinterOperation *printerOperation() const { return m_pPrinterOperation; }
    // The document's one unsaved state (false while no survey is open).
    bool hasUnsavedChanges() const;

    // The surveys opened last (most recent first) and where they are kept.
    QStringList recentFiles() const { return m_windowState.recentFiles; }
    QString windowStatePath() const { return m_strStatePath; }
    // Opens recent entry `index` (of recentFiles()); a survey that is gone
    // leaves the list with a message.
    void openRecentFile(int index);
    // Opening reads and processes the survey on a worker thread; while it
    // runs the window repaints, takes no input, and after this long shows
    // a busy pointer and the progress in the status bar.
    static constexpr int kBusyDelayMs = 200;
    bool isOpening() const { return m_pOpener->isRunning(); }
    // Finding suggestions runs the detector on a worker thread; meanwhile
    // the window takes no input either.
    bool isSuggesting() const { return m_pSuggester->isRunning(); }

    // The flaw suggestions shown over the open survey (none until 自动识别缺陷).
    const FlawSuggestions &flawSuggestions() const { return m_suggestions; }
    // From this many waves on, finding suggestions shows a busy pointer.
    static constexpr int kLargeSurveyWaves = 300;

    FileHeadPtr fileHead() const { return m_pFileHead; }
    QString currentFileName() const { return m_strCurFileName; }
    QString startFilePath() const { return m_strStartFile; }
    int currentPageIndex() const { return m_nCurPageIndex; }
    StatusWidget *statusWidget() const { return m_pStatusWidget; }
    QStackedWidget *stackedWidget() const { return m_pStackedWidget; }
    QToolBar *toolBar() const { return m_pToolBar; }

    // How the survey is shown (the workspace's).
    WaveViewState &viewState() const;
    // One step of a tool-bar scale (negative: down) within its range; the
    // actions follow.
    void stepScale(WaveViewState::Scale scale, int steps);
    // Shows every wave (-1) or one channel's (0..2); the focus moves to a
    // shown wave.
    void setChannelFilter(int channel);
    // "显示 CH2：20 / 60" while a channel filter is on, else empty.
    QString filterStatusText() const;

public slots:
    // Bound by name to the actions.
    void on_actionFileOpen_triggered();
    void on_actionFileSave_triggered();
    void on_actionFileSaveAs_triggered();
    void on_actionHelpManual_triggered();
    void on_actionSetupInfo_triggered();
    void on_actionSetupAna_triggered();
    void on_actionOriginData_triggered();
    void on_actionViewNormalized_triggered();
    void on_actionFilePrintPreview_triggered();
    void on_actionFilePrintSetup_triggered();
    void on_actionFilePrint_triggered();
    void on_actionFileExportToWord_triggered();
    void on_actionFileExit_triggered();
    void on_actionFlawMark_triggered();
    void on_actionAbout_triggered();
    void on_actionFileExportToPdf_triggered();
    void on_actionEditUndo_triggered();
    void on_actionEditRedo_triggered();
    void on_actionViewDensity_triggered();
    void on_actionRecentClear_triggered();
    void on_actionSuggestFlaws_triggered();
    void on_actionAcceptAllSuggestions_triggered();
    void on_actionClearSuggestions_triggered();

    // Connected to the workspace's signals.
    void onShowStatusMessage(QString strMsg);
    void onSelectedFile(QString strDir, QString strFileName);
    void onFlawPosChanged(int nWaveIndex, int nFlawPos);
    // The focused wave's suggestion taken (button, Enter): the accept rule
    // for one wave, whatever its confidence and mark.
    void onSuggestionAccepted(int nWaveIndex);
    void onFileHeaderInfoChanged(HeaderField field, QString strValue);
    void onDeleteCurWaveGroup(int nFocusIndex);
    void onFocusWaveIndexChanged(int nWaveIndex);
    void onWaveGroupMoved(int step);
    void onWaveGroupSwaped(int step);
    void onConfigChanged(int index, WaveParams params);
    // From the document.
    void onDocumentChanged(const DocChange &change);
    void onDocumentFocusChanged(int index);
    void updateEditState();
    // The cave bottom asked for in the focused view (Shift + click).
    void onFlawBottomChanged(int nWaveIndex, int nSample);
    // The marks table follows the document.
    void refreshMarks();
    // From the workflows.
    void onSurveyOpened(const DocResult &result, const QString &path);
    void onSuggestionsFound(const FoundSuggestions &found);

protected:
    void closeEvent(QCloseEvent *event) override;
    // Holds back the user's input while a workflow runs.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

    // The save flow; returns whether the file was written.
    bool saveCurrentFile();
    // Writes the survey to a new path and works on that file from then on.
    bool saveCurrentFileAs();
    // The "警告" question before a channel is deleted; true for "是".
    bool confirmDeleteChannel();

    // 工程汇总, 批量输出 and 导出汇总表: the project table of the file list's folder.
    void onShowProjectTable();
    void onBatchOutput();
    void onExportSummary();

private:
    // 视图 → 标记列表: the dock with the marks table (ui/mainwindowmarks.cpp).
    void createMarksDock();
    QDockWidget *m_pMarksDock = nullptr;
    MarksPanel *m_pMarksPanel = nullptr;
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void createCentralWidget();
    void keepOnScreen();
    QAction *makeAction(const char *name, const QString &text, const QString &statusTip, const QString &resource,
                        const QString &theme);
    void setFlawMarkAppearance(bool blMarking);
    CloseAnswer askSaveOnClose(const QString &strFileName);
    void showMessage(const QString &strTitle, const QString &strText);
    void refreshWorkspaceData(int nFocusIndex);
    // Enables the scale actions after the view state's ranges.
    void updateScaleActions();
    // Moves the document's focus onto a shown wave when it is on a hidden one.
    void keepFocusShown();
    void updateFilterStatus();
    void handOverReportData();
    // Asks before the open survey is replaced by another; true to go on.
    bool mayReplaceDocument();
    void updateWindowTitle();
    static QString droppedSurveyPath(const QMimeData *mime);
    // While a workflow runs the window repaints and keeps its timers, but
    // what the user does is dropped, so nothing changes the survey meanwhile.
    void holdInput(bool hold);
    // The busy pointer and progress of an open that takes a while.
    void showOpenBusy();
    void showOpenProgress(int percent);
    void rebuildRecentMenu();
    void saveWindowState();
    // Hands the suggestions to the views and enables the actions on them.
    void showSuggestions();
    // Drops the suggestions when the survey changed under them; true if so.
    bool dropStaleSuggestions();

public:
    // Menus and actions, named as their objects.
    QMenu *menuFile = nullptr;
    QMenu *menuView = nullptr;
    QMenu *menuAnalysis = nullptr;
    QMenu *menuHelp = nullptr;
    QMenu *menuRecent = nullptr;
    QMenu *menuChannel = nullptr;

    QAction *actionFileOpen = nullptr;
    QAction *actionFileSave = nullptr;
    QAction *actionFileSaveAs = nullptr;
    QAction *actionHelpManual = nullptr;
    QAction *actionFilePrintSetup = nullptr;
    QAction *actionFilePrintPreview = nullptr;
    QAction *actionFilePrint = nullptr;
    QAction *actionFileExportToWord = nullptr;
    QAction *actionFileExit = nullptr;
    QAction *actionSetupInfo = nullptr;
    QAction *actionSetupAna = nullptr;
    QAction *actionOriginData = nullptr;
    QAction *actionHWaveList = nullptr;
    QAction *actionVWaveList = nullptr;
    QAction *actionViewZoomIn = nullptr;
    QAction *actionViewZoomOut = nullptr;
    QAction *actionViewHStretch = nullptr;
    QAction *actionViewHCompress = nullptr;
    QAction *actionViewSpacerAdd = nullptr;
    QAction *actionViewSpacerSub = nullptr;
    QAction *actionViewNormalized = nullptr;
    QAction *actionFlawMark = nullptr;
    QAction *actionAbout = nullptr;
    QAction *actionFileExportToPdf = nullptr;
    QAction *actionEditUndo = nullptr;
    QAction *actionEditRedo = nullptr;
    QAction *actionViewDensity = nullptr;
    // Channels shown in the wave list: all, CH1, CH2, CH3 (data: -1, 0, 1, 2).
    QAction *actionChannelAll = nullptr;
    QAction *actionChannelCh1 = nullptr;
    QAction *actionChannelCh2 = nullptr;
    QAction *actionChannelCh3 = nullptr;
    QAction *actionRecentClear = nullptr;
    QAction *actionSuggestFlaws = nullptr;
    QAction *actionAcceptAllSuggestions = nullptr;
    QAction *actionClearSuggestions = nullptr;

private:
    QToolBar *m_pToolBar = nullptr;
    QList<QToolButton *> m_toolButtons;
    StatusWidget *m_pStatusWidget = nullptr;
    QWidget *m_pCentralWidget = nullptr;
    QVBoxLayout *m_pCentralLayout = nullptr;
    QStackedWidget *m_pStackedWidget = nullptr;
    ShowKvrWaveDataWidget *m_pShowWaveDataWidget = nullptr; // page 0: the wave workspace
    PrinterOperation *m_pPrinterOperation = nullptr;
    KvrDocument m_document;
    QWidget *m_pEmptyPage = nullptr; // page 1
    ShowAboutDialog *m_pAboutDialog = nullptr;
    HelpDialog *m_pHelpDialog = nullptr;

    FileHeadPtr m_pFileHead;
    int m_nCurPageIndex = 2;
    bool m_blFileLoaded = false;
    QString m_strStartFile;
    QString m_strCurFileName;

    CloseQuestion m_closeQuestion;
    MessageFunc m_messageFunc;
    DeleteQuestion m_deleteQuestion;
    SaveAsDialog m_saveAsDialog;
    AcceptSuggestionsQuestion m_acceptSuggestionsQuestion;
    DiskChangedQuestion m_diskChangedQuestion;
    FlawSuggestions m_suggestions;
    OpenController *m_pOpener = nullptr;
    SuggestController *m_pSuggester = nullptr;
    QTimer *m_pOpenBusyTimer = nullptr;
    bool m_blOpenBusyShown = false;
    bool m_blSuggestBusyShown = false;
    bool m_blHoldingInput = false;
    QString m_strOpeningDir;

    QActionGroup *m_pChannelGroup = nullptr;
    QProgressBar *m_pOpenProgress = nullptr;
    QLabel *m_pFilterLabel = nullptr;
    WindowState m_windowState;
    QString m_strStatePath;
    ProjectTableWidget *m_projectTable = nullptr;
};
