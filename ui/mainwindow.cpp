#include "mainwindow.h"

#include "Resources/kvrresources.h"
#include "app/displayscale.h"
#include "app/systemconfig.h"
#include "datafile/flawsuggest.h"
#include "dsp/fft.h"
#include "dsp/flawdetect.h"
#include "dsp/waveprocessing.h"
#include "panels/filelistwidget.h"
#include "panels/suggestiondialog.h"
#include "report/printeroperation.h"
#include "ui/depthwindowdialog.h"
#include "ui/helpdialog.h"
#include "widgets/showaboutdialog.h"
#include "widgets/statuswidget.h"
#include "workspace/showkvrinfowidget.h"
#include "workspace/showkvrwavedatawidget.h"
#include "workspace/showkvrwavewidget.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char kMarkIcon[] = ":/images/Resources/png/wave_mark_ali.png";
const char kStopMarkIcon[] = ":/images/Resources/png/wave_stop_mark_ali.png";

} // namespace

MainWindow::MainWindow(const QString &strStartFile, QWidget *parent)
    : QMainWindow(parent)
    , m_strStartFile(strStartFile)
{
    initKvrResources();

    // Members. The header record is the open document's; the window and the
    // views read it, the document alone changes it.
    m_nCurPageIndex = 2;
    m_pPrinterOperation = new PrinterOperation(this);
    m_pPrinterOperation->hide();
    m_pAboutDialog = new ShowAboutDialog(this);
    m_pFileHead = m_document.fileHead();
    m_pOpener = new OpenController(m_document, this);
    m_pSuggester = new SuggestController(m_document, this);
    m_pOpenBusyTimer = new QTimer(this);
    m_pOpenBusyTimer->setSingleShot(true);
    m_pOpenBusyTimer->setInterval(kBusyDelayMs);

    // The window itself.
    setWindowTitle(ShowAboutDialog::applicationName());
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("KvrAnalysisMainDlg"));
    // 1280 x 800, or what a smaller screen has room for.
    QSize size(1280, 800);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize());
    resize(size);

    // Actions, menus, tool bar, status bar and the workspace.
    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    createCentralWidget();
    createMarksDock();

    // Size, place and panel sizes of the last session, and its recent files.
    m_strStatePath = WindowState::defaultPath();
    m_windowState.load(m_strStatePath);
    if (!m_windowState.geometry.isEmpty()) {
        restoreGeometry(m_windowState.geometry);
        keepOnScreen();
    }
    if (!m_windowState.layout.isEmpty())
        m_pShowWaveDataWidget->restoreLayoutState(m_windowState.layout);
    rebuildRecentMenu();

    // Nothing is open yet.
    m_nCurPageIndex = 0;
    setActionStates(false);

    // Wiring: the actions by name, the workspace's intents, the document's
    // change notices, the report controller.
    QMetaObject::connectSlotsByName(this);
    ShowKvrWaveDataWidget *ws = m_pShowWaveDataWidget;
    connect(ws, &ShowKvrWaveDataWidget::showStatusMessage, this, &MainWindow::onShowStatusMessage);
    connect(ws, &ShowKvrWaveDataWidget::selectedFile, this, &MainWindow::onSelectedFile);
    connect(ws, &ShowKvrWaveDataWidget::flawPosChanged, this, &MainWindow::onFlawPosChanged);
    connect(ws, &ShowKvrWaveDataWidget::suggestionAccepted, this, &MainWindow::onSuggestionAccepted);
    connect(ws, &ShowKvrWaveDataWidget::fileHeaderInfoChanged, this, &MainWindow::onFileHeaderInfoChanged);
    connect(ws, &ShowKvrWaveDataWidget::deleteCurWaveGroup, this, &MainWindow::onDeleteCurWaveGroup);
    connect(ws, &ShowKvrWaveDataWidget::focusWaveIndexChanged, this, &MainWindow::onFocusWaveIndexChanged);
    connect(ws, &ShowKvrWaveDataWidget::waveGroupMoved, this, &MainWindow::onWaveGroupMoved);
    connect(ws, &ShowKvrWaveDataWidget::waveGroupSwaped, this, &MainWindow::onWaveGroupSwaped);
    connect(ws, &ShowKvrWaveDataWidget::configChanged, this, &MainWindow::onConfigChanged);
    connect(&m_document, &KvrDocument::changed, this, &MainWindow::onDocumentChanged);
    connect(&m_document, &KvrDocument::stateChanged, this, &MainWindow::updateEditState);
    connect(&m_document, &KvrDocument::focusChanged, this, &MainWindow::onDocumentFocusChanged);
    connect(m_pOpener, &OpenController::progress, this, &MainWindow::showOpenProgress);
    connect(m_pOpener, &OpenController::finished, this, &MainWindow::onSurveyOpened);
    connect(m_pOpenBusyTimer, &QTimer::timeout, this, &MainWindow::showOpenBusy);
    connect(m_pSuggester, &SuggestController::finished, this, &MainWindow::onSuggestionsFound);
    connect(m_pPrinterOperation, &PrinterOperation::outputWordCilcked, this,
            &MainWindow::on_actionFileExportToWord_triggered);
    connect(m_pPrinterOperation, &PrinterOperation::printPreviewCilcked, this,
            &MainWindow::on_actionFilePrintPreview_triggered);
    connect(m_pPrinterOperation, &PrinterOperation::printCilcked, this, &MainWindow::on_actionFilePrint_triggered);
    connect(m_pPrinterOperation, &PrinterOperation::exportPdfCilcked, this,
            &MainWindow::on_actionFileExportToPdf_triggered);
    connect(m_pPrinterOperation, &PrinterOperation::showStatusMessage, this, &MainWindow::onShowStatusMessage);
    setAcceptDrops(true);
    updateWindowTitle();

    // The file named on the command line goes to the file list, which
    // opens it like a double-click, as soon as the window is up (so that a
    // large survey opens with the window showing its progress); without one
    // the list shows the folder used last.
    if (!m_strStartFile.isEmpty())
        QTimer::singleShot(0, this, [this]() { m_pShowWaveDataWidget->setCurrentFile(m_strStartFile); });
    else
        m_pShowWaveDataWidget->infoWidget()->fileListWidget()->showDirectory(
            SystemConfig::instance().getLastOpenFilePath());
}

MainWindow::~MainWindow() = default;

QAction *MainWindow::makeAction(const char *name, const QString &text, const QString &statusTip,
                                const QString &resource, const QString &theme)
{
    auto *action = new QAction(this);
    action->setObjectName(QLatin1String(name));
    action->setText(text);
    action->setStatusTip(statusTip);
    if (!resource.isEmpty())
        action->setIcon(QIcon::fromTheme(theme, QIcon(resource)));
    action->setIconVisibleInMenu(false);
    return action;
}

void MainWindow::createActions()
{
    const QString png = QStringLiteral(":/images/Resources/png/");
    actionFileOpen =
        makeAction("actionFileOpen", tr("打开文件"), tr("打开文件"), png + "open_ali.png", QStringLiteral("file-open"));
    actionFileOpen->setShortcut(QKeySequence::Open);
    actionFileSave =
        makeAction("actionFileSave", tr("保存"), tr("保存文件"), png + "save_ali.png", QStringLiteral("file-save"));
    actionFileSave->setShortcut(QKeySequence::Save);
    actionFileSaveAs = makeAction("actionFileSaveAs", tr("另存为…"), tr("把数据文件保存到新的位置"),
                                  png + "save_ali.png", QStringLiteral("document-save-as"));
    actionFileSaveAs->setShortcut(QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_S));
    actionFilePrintSetup = makeAction("actionFilePrintSetup", tr("打印设置"), tr("打印设置"),
                                      png + "print_setup_ali.png", QStringLiteral("file-printsetup"));
    actionFilePrintPreview = makeAction("actionFilePrintPreview", tr("打印预览"), tr("打印预览"),
                                        png + "print_preview_ali.png", QStringLiteral("file-printpreview"));
    actionFilePrint =
        makeAction("actionFilePrint", tr("打印"), tr("打印"), png + "print_ali.png", QStringLiteral("file-print"));
    actionFileExportToWord = makeAction("actionFileExportToWord", tr("输出到Word"), tr("输出到Word"),
                                        png + "export_word_ali.png", QStringLiteral("export-word"));
    actionFileExit = makeAction("actionFileExit", tr("退出"), tr("退出"), QString(), QString());

    actionSetupInfo = makeAction("actionSetupInfo", tr("信息栏"), tr("显示信息栏"), png + "project_info_ali.png",
                                 QStringLiteral("view-setupinfo"));
    actionSetupInfo->setCheckable(true);
    actionSetupAna = makeAction("actionSetupAna", tr("分析栏"), tr("显示分析栏"), png + "analysis_setup_ali.png",
                                QStringLiteral("view-setupana"));
    actionSetupAna->setCheckable(true);
    actionOriginData = makeAction("actionOriginData", tr("原始波形"), tr("显示原始波形"), png + "original_data_ali.png",
                                  QStringLiteral("view-origin"));
    actionOriginData->setCheckable(true);
    actionHWaveList = makeAction("actionHWaveList", tr("横向波列"), tr("显示横向波列"), png + "h_wavelist_ali.png",
                                 QStringLiteral("view-hwaveList"));
    actionHWaveList->setCheckable(true);
    actionHWaveList->setVisible(false);
    actionVWaveList = makeAction("actionVWaveList", tr("纵向波列"), tr("显示纵向波列"), png + "v_wavelist_ali.png",
                                 QStringLiteral("view-vwaveList"));
    actionVWaveList->setCheckable(true);
    actionVWaveList->setVisible(false);
    // The amplitude zoom of the wave views (1 to 10 times the waves' gain).
    actionViewZoomIn = makeAction("actionViewZoomIn", tr("波幅增加"), tr("波形幅度增加"), png + "wave_amp_add_ali.png",
                                  QStringLiteral("view-zoomin"));
    actionViewZoomIn->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL + Qt::Key_Equal)});
    actionViewZoomOut = makeAction("actionViewZoomOut", tr("波幅缩小"), tr("波形幅度缩小"),
                                   png + "wave_amp_sub_ali.png", QStringLiteral("view-zoomout"));
    actionViewZoomOut->setShortcut(QKeySequence::ZoomOut);
    actionViewHStretch = makeAction("actionViewHStretch", tr("波长拉伸"), tr("波形拉伸"), png + "wave_pull_up_ali.png",
                                    QStringLiteral("view-stretch"));
    actionViewHCompress = makeAction("actionViewHCompress", tr("波长压缩"), tr("波形压缩"),
                                     png + "wave_pull_dn_ali.png", QStringLiteral("view-compress"));
    actionViewSpacerAdd = makeAction("actionViewSpacerAdd", tr("波距增大"), tr("波形间距增大"),
                                     png + "wave_row_space_add_ali.png", QStringLiteral("view-spaceradd"));
    actionViewSpacerSub = makeAction("actionViewSpacerSub", tr("波距缩小"), tr("波形间距缩小"),
                                     png + "wave_row_space_sub_ali.png", QStringLiteral("view-spacersub"));
    // The six scale commands: one step of one of the view state's scales.
    const struct {
        QAction *action;
        WaveViewState::Scale scale;
        int step;
    } scaleSteps[] = {{actionViewZoomIn, WaveViewState::Scale::Zoom, 1},
                      {actionViewZoomOut, WaveViewState::Scale::Zoom, -1},
                      {actionViewHStretch, WaveViewState::Scale::TimeStretch, 1},
                      {actionViewHCompress, WaveViewState::Scale::TimeStretch, -1},
                      {actionViewSpacerAdd, WaveViewState::Scale::Spacing, 1},
                      {actionViewSpacerSub, WaveViewState::Scale::Spacing, -1}};
    for (const auto &c : scaleSteps) {
        const WaveViewState::Scale scale = c.scale;
        const int step = c.step;
        connect(c.action, &QAction::triggered, this, [this, scale, step]() { stepScale(scale, step); });
    }
    actionViewNormalized = makeAction("actionViewNormalized", tr("归一化波形"), tr("归一化波形显示"),
                                      png + "normalized_ali.png", QStringLiteral("view-normalized"));
    actionViewNormalized->setCheckable(true);
    actionViewDensity = makeAction("actionViewDensity", tr("变密度显示"), tr("波列以灰度变密度方式显示，每道波形一列"),
                                   png + "v_wavelist_ali.png", QStringLiteral("view-density"));
    actionViewDensity->setCheckable(true);
    m_pChannelGroup = new QActionGroup(this);
    m_pChannelGroup->setExclusive(true);
    const struct {
        QAction **action;
        const char *name;
        QString text;
        int channel;
    } channels[] = {{&actionChannelAll, "actionChannelAll", tr("全部通道"), -1},
                    {&actionChannelCh1, "actionChannelCh1", QStringLiteral("CH1"), 0},
                    {&actionChannelCh2, "actionChannelCh2", QStringLiteral("CH2"), 1},
                    {&actionChannelCh3, "actionChannelCh3", QStringLiteral("CH3"), 2}};
    for (const auto &c : channels) {
        *c.action = makeAction(c.name, c.text, tr("波列只显示%1的波形").arg(c.text), png + "v_wavelist_ali.png",
                               QStringLiteral("view-channel"));
        (*c.action)->setCheckable(true);
        (*c.action)->setData(c.channel);
        m_pChannelGroup->addAction(*c.action);
    }
    actionChannelAll->setStatusTip(tr("波列显示全部通道的波形"));
    actionChannelAll->setChecked(true);
    connect(m_pChannelGroup, &QActionGroup::triggered, this,
            [this](QAction *a) { setChannelFilter(a->data().toInt()); });
    actionRecentClear = makeAction("actionRecentClear", tr("清除列表"), tr("清除最近打开的文件列表"),
                                   png + "open_ali.png", QStringLiteral("file-recent-clear"));

    actionFlawMark = makeAction("actionFlawMark", tr("启动标记"), tr("开始/停止标记波形缺陷"), QLatin1String(kMarkIcon),
                                QStringLiteral("analysis-actionFlawMark"));
    actionFileExportToPdf = makeAction("actionFileExportToPdf", tr("导出PDF"), tr("将报告导出为PDF文件"),
                                       png + "export_word_ali.png", QStringLiteral("export-pdf"));
    actionEditUndo = makeAction("actionEditUndo", tr("撤销"), tr("撤销上一步操作"), png + "undo_ali.png",
                                QStringLiteral("edit-undo"));
    actionEditUndo->setShortcut(QKeySequence::Undo);
    // The tool button keeps its short caption; the menu names the command.
    actionEditUndo->setIconText(tr("撤销"));
    actionEditRedo = makeAction("actionEditRedo", tr("重做"), tr("重做撤销的操作"), png + "redo_ali.png",
                                QStringLiteral("edit-redo"));
    actionEditRedo->setShortcuts({QKeySequence(Qt::CTRL + Qt::Key_Y), QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_Z)});
    actionEditRedo->setIconText(tr("重做"));
    actionSuggestFlaws =
        makeAction("actionSuggestFlaws", tr("自动识别缺陷"), tr("在所有波形上识别可能的缺陷回波，以空心标记显示建议"),
                   png + "suggest_ali.png", QStringLiteral("analysis-suggest"));
    actionAcceptAllSuggestions =
        makeAction("actionAcceptAllSuggestions", tr("采纳全部建议…"), tr("将达到所选置信度的缺陷建议一次设为缺陷标记"),
                   png + "suggest_accept_ali.png", QStringLiteral("analysis-suggest-accept"));
    actionClearSuggestions = makeAction("actionClearSuggestions", tr("清除建议"), tr("清除缺陷建议的标记，文件不变"),
                                        png + "suggest_clear_ali.png", QStringLiteral("analysis-suggest-clear"));
    actionHelpManual = makeAction("actionHelpManual", tr("使用说明"), tr("打开本程序的使用说明"), png + "info.png",
                                  QStringLiteral("help-contents"));
    actionHelpManual->setShortcut(QKeySequence::HelpContents);
    actionAbout = makeAction("actionAbout", tr("关于"), tr("显示软件相关信息"), png + "info.png",
                             QStringLiteral("help-actionAbout"));
}

void MainWindow::createMenus()
{
    menuFile = menuBar()->addMenu(tr("文件(&F)"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    menuFile->addAction(actionFileOpen);
    menuRecent = menuFile->addMenu(tr("最近打开"));
    menuRecent->setObjectName(QStringLiteral("menuRecent"));
    // Surveys that have gone since are greyed whenever the menu opens.
    connect(menuRecent, &QMenu::aboutToShow, this, &MainWindow::rebuildRecentMenu);
    menuFile->addAction(actionFileSave);
    menuFile->addAction(actionFileSaveAs);
    menuFile->addSeparator();
    menuFile->addAction(actionFilePrintSetup);
    menuFile->addAction(actionFilePrintPreview);
    menuFile->addAction(actionFilePrint);
    menuFile->addSeparator();
    menuFile->addAction(actionFileExportToWord);
    menuFile->addAction(actionFileExportToPdf);
    menuFile->addAction(tr("批量输出…"), this, &MainWindow::onBatchOutput)
        ->setObjectName(QStringLiteral("menuItemBatchOutput"));
    menuFile->addAction(tr("导出汇总表…"), this, &MainWindow::onExportSummary)
        ->setObjectName(QStringLiteral("menuItemExportSummary"));
    menuFile->addSeparator();
    menuFile->addAction(actionFileExit);

    menuView = menuBar()->addMenu(tr("视图(&V)"));
    menuView->setObjectName(QStringLiteral("menuView"));
    for (QAction *a : {actionSetupInfo, actionSetupAna, actionOriginData, actionHWaveList, actionVWaveList,
                       actionViewZoomIn, actionViewZoomOut, actionViewHStretch, actionViewHCompress,
                       actionViewSpacerAdd, actionViewSpacerSub, actionViewNormalized})
        menuView->addAction(a);
    menuView->addSeparator();
    menuView->addAction(tr("工程汇总"), this, &MainWindow::onShowProjectTable)
        ->setObjectName(QStringLiteral("menuItemProjectTable"));
    menuView->addAction(actionViewDensity);
    QAction *depthWindow = menuView->addAction(tr("深度范围…"));
    depthWindow->setObjectName(QStringLiteral("menuItemDepthWindow"));
    connect(depthWindow, &QAction::triggered, this, [this]() {
        if (m_blFileLoaded)
            DepthWindowDialog(viewState(), double(m_pFileHead->fWaveSpeed), this).exec();
    });
    menuChannel = menuView->addMenu(tr("显示通道"));
    menuChannel->setObjectName(QStringLiteral("menuChannel"));
    menuChannel->addActions(m_pChannelGroup->actions());

    menuAnalysis = menuBar()->addMenu(tr("编辑(&E)"));
    menuAnalysis->setObjectName(QStringLiteral("menuAnalysis"));
    menuAnalysis->addAction(actionEditUndo);
    menuAnalysis->addAction(actionEditRedo);
    menuAnalysis->addSeparator();
    menuAnalysis->addAction(actionFlawMark);
    menuAnalysis->addSeparator();
    menuAnalysis->addAction(actionSuggestFlaws);
    menuAnalysis->addAction(actionAcceptAllSuggestions);
    menuAnalysis->addAction(actionClearSuggestions);

    menuHelp = menuBar()->addMenu(tr("帮助(&H)"));
    menuHelp->setObjectName(QStringLiteral("menuHelp"));
    menuHelp->addAction(actionHelpManual);
    menuHelp->addAction(actionAbout);
}

void MainWindow::createToolBar()
{
    m_pToolBar = addToolBar(tr("工具栏"));
    m_pToolBar->setObjectName(QStringLiteral("toolBar"));
    const int side = qRound(32.0 * fontPointScale());
    m_pToolBar->setIconSize(QSize(side, side));

    auto addButton = [this, side](QAction *action, bool visible) {
        auto *button = new QToolButton(m_pToolBar);
        button->setObjectName(QStringLiteral("toolButton_") + action->objectName());
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIconSize(QSize(side, side));
        button->setDefaultAction(action);
        QAction *entry = m_pToolBar->addWidget(button);
        entry->setVisible(visible);
        m_toolButtons.append(button);
    };
    addButton(actionFileOpen, true);
    addButton(actionFileSave, true);
    addButton(actionEditUndo, true);
    addButton(actionEditRedo, true);
    addButton(actionFilePrintSetup, true);
    addButton(actionFilePrintPreview, true);
    addButton(actionFilePrint, true);
    addButton(actionFileExportToWord, true);
    m_pToolBar->addSeparator();
    addButton(actionSetupInfo, true);
    addButton(actionSetupAna, true);
    addButton(actionOriginData, true);
    addButton(actionHWaveList, false);
    addButton(actionVWaveList, false);
    addButton(actionViewZoomIn, true);
    addButton(actionViewZoomOut, true);
    addButton(actionViewHStretch, true);
    addButton(actionViewHCompress, true);
    addButton(actionViewSpacerAdd, true);
    addButton(actionViewSpacerSub, true);
    addButton(actionViewNormalized, true);
    m_pToolBar->addSeparator();
    addButton(actionFlawMark, true);
}

void MainWindow::createStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setMaximumHeight(30);
    bar->setSizeGripEnabled(false);
    m_pStatusWidget = new StatusWidget(bar);
    m_pStatusWidget->setObjectName(QStringLiteral("statusWidget"));
    m_pStatusWidget->setMinimumWidth(400);
    bar->addPermanentWidget(m_pStatusWidget);
    m_pOpenProgress = new QProgressBar(bar);
    m_pOpenProgress->setObjectName(QStringLiteral("openProgress"));
    m_pOpenProgress->setRange(0, 100);
    m_pOpenProgress->setMaximumWidth(200);
    m_pOpenProgress->hide();
    bar->addWidget(m_pOpenProgress);
    m_pFilterLabel = new QLabel(bar);
    m_pFilterLabel->setObjectName(QStringLiteral("filterStatus"));
    m_pFilterLabel->hide();
    bar->addPermanentWidget(m_pFilterLabel);
}

void MainWindow::createCentralWidget()
{
    m_pCentralWidget = new QWidget(this);
    m_pCentralWidget->setObjectName(QStringLiteral("centralWidget"));
    m_pCentralLayout = new QVBoxLayout(m_pCentralWidget);
    m_pCentralLayout->setSpacing(2);
    m_pCentralLayout->setContentsMargins(0, 0, 0, 0);
    m_pStackedWidget = new QStackedWidget(m_pCentralWidget);
    m_pStackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    m_pShowWaveDataWidget = new ShowKvrWaveDataWidget(m_pStackedWidget);
    m_pShowWaveDataWidget->setObjectName(QStringLiteral("pageWorkspace"));
    m_pShowWaveDataWidget->setFileHead(m_pFileHead);
    m_pEmptyPage = new QWidget(m_pStackedWidget);
    m_pEmptyPage->setObjectName(QStringLiteral("pageEmpty"));
    m_pStackedWidget->addWidget(m_pShowWaveDataWidget);
    m_pStackedWidget->addWidget(m_pEmptyPage);
    m_pStackedWidget->setCurrentIndex(0);
    m_pCentralLayout->addWidget(m_pStackedWidget);
    setCentralWidget(m_pCentralWidget);
}

void MainWindow::setActionStates(bool blFileLoaded)
{
    m_blFileLoaded = blFileLoaded;
    // Open, Exit and About are always enabled; save, undo and redo follow the
    // document.
    updateEditState();
    for (QAction *a : {actionFileSaveAs, actionFilePrint, actionFilePrintPreview, actionFilePrintSetup,
                       actionFileExportToWord, actionFileExportToPdf, actionSetupInfo, actionSetupAna, actionOriginData,
                       actionVWaveList, actionViewNormalized, actionFlawMark, actionViewDensity, actionSuggestFlaws})
        a->setEnabled(blFileLoaded);
    actionAcceptAllSuggestions->setEnabled(blFileLoaded && !m_suggestions.isEmpty());
    actionClearSuggestions->setEnabled(blFileLoaded && !m_suggestions.isEmpty());
    m_pChannelGroup->setEnabled(blFileLoaded);
    actionViewDensity->setChecked(SystemConfig::instance().isVariableDensity());
    actionHWaveList->setEnabled(false);
    updateScaleActions();
    if (blFileLoaded) {
        actionSetupInfo->setChecked(true);
        actionSetupAna->setChecked(true);
        actionOriginData->setChecked(true);
        actionHWaveList->setChecked(false);
        actionVWaveList->setChecked(true);
        actionViewNormalized->setChecked(SystemConfig::instance().isNormalized());
    }
}

void MainWindow::setCloseQuestion(CloseQuestion question) { m_closeQuestion = std::move(question); }

// A place saved on another screen layout (a screen gone, a smaller one, a
// task bar moved) is brought wholly onto the available area of the screen
// the window is mostly on.
void MainWindow::keepOnScreen()
{
    if (isMaximized() || isFullScreen())
        return;
    const QScreen *screen = QGuiApplication::screenAt(geometry().center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect frame = frameGeometry();
    const QRect fitted = WindowState::fitIntoArea(frame, screen->availableGeometry());
    if (fitted == frame)
        return;
    // The frame is larger than the client area by the window decorations.
    resize(size() - (frame.size() - fitted.size()));
    move(fitted.topLeft());
}

WaveViewState &MainWindow::viewState() const { return *m_pShowWaveDataWidget->viewState(); }

// ---- Scale commands ---------------------------------------------------

void MainWindow::stepScale(WaveViewState::Scale scale, int steps)
{
    if (m_blFileLoaded)
        viewState().step(scale, steps);
    updateScaleActions();
}

void MainWindow::updateScaleActions()
{
    using Scale = WaveViewState::Scale;
    const WaveViewState &state = viewState();
    const bool on = m_blFileLoaded;
    actionViewZoomIn->setEnabled(on && state.canStep(Scale::Zoom, 1));
    actionViewZoomOut->setEnabled(on && state.canStep(Scale::Zoom, -1));
    actionViewHStretch->setEnabled(on && state.canStep(Scale::TimeStretch, 1));
    actionViewHCompress->setEnabled(on && state.canStep(Scale::TimeStretch, -1));
    actionViewSpacerAdd->setEnabled(on && state.canStep(Scale::Spacing, 1));
    actionViewSpacerSub->setEnabled(on && state.canStep(Scale::Spacing, -1));
}

// ---- Channel filter -----------------------------------------------------

void MainWindow::setChannelFilter(int channel)
{
    viewState().setChannelFilter(channel);
    for (QAction *a : m_pChannelGroup->actions())
        a->setChecked(a->data().toInt() == viewState().channelFilter());
    keepFocusShown();
    updateFilterStatus();
}

void MainWindow::keepFocusShown()
{
    const int focus = m_document.focusIndex();
    if (focus < 0 || viewState().isShown(focus))
        return;
    const int target = viewState().nearestShown(focus);
    if (target >= 0)
        m_document.setFocusIndex(target);
}

QString MainWindow::filterStatusText() const
{
    const WaveViewState &state = viewState();
    if (!m_blFileLoaded || state.channelFilter() < 0)
        return QString();
    return tr("显示 CH%1：%2 / %3")
        .arg(state.channelFilter() + 1)
        .arg(state.shownWaves().size())
        .arg(state.waveCount());
}

void MainWindow::updateFilterStatus()
{
    const QString text = filterStatusText();
    m_pFilterLabel->setText(text);
    m_pFilterLabel->setVisible(!text.isEmpty());
}

// ---- View toggles -----------------------------------------------------

void MainWindow::on_actionSetupInfo_triggered()
{
    const bool shown = m_pShowWaveDataWidget->isInfoPanelVisible();
    m_pShowWaveDataWidget->setInfoPanelVisible(!shown);
    actionSetupInfo->setChecked(!shown);
}

void MainWindow::on_actionSetupAna_triggered()
{
    const bool shown = m_pShowWaveDataWidget->isAnalysisPanelVisible();
    m_pShowWaveDataWidget->setAnalysisPanelVisible(!shown);
    actionSetupAna->setChecked(!shown);
}

void MainWindow::on_actionOriginData_triggered()
{
    const bool isOn = m_pShowWaveDataWidget->isOriginalDisplay();
    m_pShowWaveDataWidget->setOriginalDisplay(!isOn);
    actionOriginData->setChecked(!isOn);
}

void MainWindow::on_actionViewNormalized_triggered()
{
    const bool on = actionViewNormalized->isChecked();
    SystemConfig::instance().setNormalized(on);
    m_pShowWaveDataWidget->updateNormalizedDisplay();
}

void MainWindow::on_actionViewDensity_triggered()
{
    SystemConfig::instance().setVariableDensity(actionViewDensity->isChecked());
    m_pShowWaveDataWidget->refreshDisplayState();
}

void MainWindow::setFlawMarkAppearance(bool blMarking)
{
    const QString resource = QLatin1String(blMarking ? kStopMarkIcon : kMarkIcon);
    actionFlawMark->setIcon(QIcon::fromTheme(QStringLiteral("analysis-actionFlawMark"), QIcon(resource)));
    actionFlawMark->setText(blMarking ? tr("停止标记") : tr("启动标记"));
}

void MainWindow::on_actionFlawMark_triggered()
{
    const bool marking = !m_pShowWaveDataWidget->isFlawMarking();
    m_pShowWaveDataWidget->setFlawMarking(marking);
    setFlawMarkAppearance(marking);
}

void MainWindow::on_actionAbout_triggered() { m_pAboutDialog->exec(); }

void MainWindow::on_actionHelpManual_triggered()
{
    if (!m_pHelpDialog)
        m_pHelpDialog = new HelpDialog(this);
    m_pHelpDialog->showManual();
}

// ---- Close flow -------------------------------------------------------

MainWindow::CloseAnswer MainWindow::askSaveOnClose(const QString &strFileName)
{
    if (m_closeQuestion)
        return m_closeQuestion(strFileName);
    QMessageBox box(this);
    box.setIcon(QMessageBox::Warning);
    box.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    box.setWindowTitle(tr("提示"));
    box.setText(tr("保存更改到") + QLatin1Char('"') + strFileName + QLatin1Char('"'));
    QPushButton *yes = box.addButton(tr("是"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(tr("否"), QMessageBox::NoRole);
    QPushButton *cancel = box.addButton(tr("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return CloseAnswer::Save;
    if (box.clickedButton() == no)
        return CloseAnswer::Discard;
    return CloseAnswer::Cancel;
}

bool MainWindow::confirmClose()
{
    if (!hasUnsavedChanges())
        return true;
    switch (askSaveOnClose(m_strCurFileName)) {
    case CloseAnswer::Save:
        qDebug("保存文件并关闭系统!");
        // A failed save keeps the window open so the edits are not lost.
        return saveCurrentFile();
    case CloseAnswer::Discard: qDebug("不保存文件直接关闭系统!"); return true;
    case CloseAnswer::Cancel:
    default: qDebug("取消关闭系统"); return false;
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (confirmClose()) {
        saveWindowState();
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::saveWindowState()
{
    m_windowState.geometry = saveGeometry();
    m_windowState.layout = m_pShowWaveDataWidget->layoutState();
    // Never onto the survey that is open, whatever name the state file has.
    QStringList inputs;
    if (m_document.isOpen())
        inputs << m_document.filePath();
    QString notice;
    if (!m_windowState.save(m_strStatePath, inputs, &notice))
        qWarning("MainWindow: 窗口状态未能保存 ... %s", qUtf8Printable(m_strStatePath));
    if (!notice.isEmpty())
        qWarning("%s", qUtf8Printable(notice));
}

// ---- Recent files ---------------------------------------------------------

void MainWindow::rebuildRecentMenu()
{
    menuRecent->clear();
    const QStringList &files = m_windowState.recentFiles;
    for (int i = 0; i < files.size(); ++i) {
        const QFileInfo fi(files.at(i));
        const bool there = fi.isFile();
        QAction *a = menuRecent->addAction(QStringLiteral("&%1 %2 (%3)%4")
                                               .arg(i + 1)
                                               .arg(fi.fileName(), QDir::toNativeSeparators(fi.absolutePath()),
                                                    there ? QString() : tr(" - 文件不存在")));
        a->setObjectName(QStringLiteral("recentFile%1").arg(i));
        a->setToolTip(files.at(i));
        // A survey that has gone is greyed; the list keeps it in case its
        // drive comes back.
        a->setEnabled(there);
        connect(a, &QAction::triggered, this, [this, i]() { openRecentFile(i); });
    }
    if (!files.isEmpty())
        menuRecent->addSeparator();
    menuRecent->addAction(actionRecentClear);
    actionRecentClear->setEnabled(!files.isEmpty());
    menuRecent->setEnabled(true);
}

void MainWindow::openRecentFile(int index)
{
    if (index < 0 || index >= m_windowState.recentFiles.size())
        return;
    const QString path = m_windowState.recentFiles.at(index);
    if (!QFileInfo(path).isFile()) {
        m_windowState.removeRecentFile(path);
        m_windowState.save(m_strStatePath, {m_document.filePath()});
        rebuildRecentMenu();
        showMessage(tr("提示"), tr("文件 %1 已不存在，已从最近打开列表中移除。").arg(QDir::toNativeSeparators(path)));
        return;
    }
    // Through the file list, exactly like a double-click there.
    m_pShowWaveDataWidget->setCurrentFile(path);
}

void MainWindow::on_actionRecentClear_triggered()
{
    m_windowState.recentFiles.clear();
    m_windowState.save(m_strStatePath, {m_document.filePath()});
    rebuildRecentMenu();
}

// The same way out as the window's close button (the question, then the
// window state kept for the next start), and the program ends even when
// another window of it is still open.
void MainWindow::on_actionFileExit_triggered()
{
    if (close())
        QCoreApplication::quit();
}

// ---- Workspace signals ------------------------------------------------

void MainWindow::onShowStatusMessage(QString strMsg) { m_pStatusWidget->setText(strMsg); }

void MainWindow::onFocusWaveIndexChanged(int nWaveIndex)
{
    // The document tells the workspace (focusChanged).
    if (nWaveIndex >= 0 && nWaveIndex < m_document.model().waveCount())
        m_document.setFocusIndex(nWaveIndex);
}

// Steps count the waves the list shows.
void MainWindow::onWaveGroupMoved(int step)
{
    const int target = viewState().shownNeighbour(m_document.focusIndex(), step);
    if (target >= 0)
        m_document.setFocusIndex(target);
}

// With the shown neighbour `step` shown waves away; a hidden wave never
// takes part.
void MainWindow::onWaveGroupSwaped(int step)
{
    const int from = m_document.focusIndex();
    if (!viewState().isShown(from))
        return;
    const int target = viewState().shownNeighbour(from, step);
    if (target < 0)
        return;
    const DocResult r = m_document.swapWaves(from, target - from);
    if (!r.ok)
        onShowStatusMessage(r.message);
}

void MainWindow::onFileHeaderInfoChanged(HeaderField field, QString strValue)
{
    const DocResult r = m_document.setHeaderField(field, strValue);
    if (!r.ok) {
        // The panel shows the stored value again.
        m_pShowWaveDataWidget->refreshHeader();
        showMessage(tr("提示"), r.message);
    }
}

// ---- Open and save -----------------------------------------------------

void MainWindow::setMessageFunc(MessageFunc func) { m_messageFunc = std::move(func); }
void MainWindow::setDeleteQuestion(DeleteQuestion question) { m_deleteQuestion = std::move(question); }
void MainWindow::setAcceptSuggestionsQuestion(AcceptSuggestionsQuestion question)
{
    m_acceptSuggestionsQuestion = std::move(question);
}

void MainWindow::showMessage(const QString &strTitle, const QString &strText)
{
    if (m_messageFunc) {
        m_messageFunc(strTitle, strText);
        return;
    }
    QMessageBox box(this);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(strTitle);
    box.setText(strText);
    box.addButton(tr("确定"), QMessageBox::AcceptRole);
    box.exec();
}

bool MainWindow::hasUnsavedChanges() const { return m_blFileLoaded && m_document.isModified(); }

// Title, save, undo and redo read the document's one unsaved state and its
// history.
void MainWindow::updateEditState()
{
    const bool modified = hasUnsavedChanges();
    actionFileSave->setEnabled(modified);
    const bool loaded = m_blFileLoaded;
    actionEditUndo->setEnabled(loaded && m_document.canUndo());
    actionEditRedo->setEnabled(loaded && m_document.canRedo());
    actionEditUndo->setText(loaded && m_document.canUndo() ? tr("撤销 ") + m_document.undoText() : tr("撤销"));
    actionEditRedo->setText(loaded && m_document.canRedo() ? tr("重做 ") + m_document.redoText() : tr("重做"));
    updateWindowTitle();
}

void MainWindow::updateWindowTitle()
{
    const QString app = ShowAboutDialog::applicationName();
    if (m_strCurFileName.isEmpty()) {
        setWindowTitle(app);
        setWindowModified(false);
        return;
    }
    setWindowTitle(QFileInfo(m_strCurFileName).fileName() + QStringLiteral("[*] - ") + app);
    setWindowModified(hasUnsavedChanges());
}

void MainWindow::on_actionEditUndo_triggered()
{
    if (!m_document.undo())
        return;
    onShowStatusMessage(tr("已撤销"));
}

void MainWindow::on_actionEditRedo_triggered()
{
    if (!m_document.redo())
        return;
    onShowStatusMessage(tr("已重做"));
}

// Refreshes exactly what the document says changed.
void MainWindow::onDocumentChanged(const DocChange &change)
{
    const MeasurementModel &model = m_document.model();
    if (change.has(DocChange::Order)) {
        m_pShowWaveDataWidget->setSampleCount(model.maxSamplePoints());
        refreshWorkspaceData(m_document.focusIndex());
        keepFocusShown();
        updateFilterStatus();
    } else if (change.has(DocChange::Waves)) {
        m_pShowWaveDataWidget->refreshWaves(change.waves);
    }
    // Texts, wave speed (depth axes, the distance under the cursor) and
    // declination (angle labels).
    if (change.has(DocChange::Header))
        m_pShowWaveDataWidget->refreshHeader();
    // Suggestions follow their waves to their new places, or go.
    if (!dropStaleSuggestions() && change.has(DocChange::Order))
        showSuggestions();
}

void MainWindow::onDocumentFocusChanged(int index)
{
    if (index >= 0 && index < m_document.model().waveCount())
        m_pShowWaveDataWidget->setFocusWaveIndex(index);
}

void MainWindow::refreshWorkspaceData(int nFocusIndex)
{
    const MeasurementModel &model = m_document.model();
    m_pShowWaveDataWidget->setWaveData(model.waveGroupList(), model.filterWaveGroupList(), model.waveAnalyzeInfoList(),
                                       model.fftInfoList(), nFocusIndex);
}

void MainWindow::on_actionFileOpen_triggered()
{
    // The file list's dialog announces the chosen file, which leads to
    // onSelectedFile().
    m_pShowWaveDataWidget->openFileDialog();
}

// Before another survey replaces the open one: nothing unsaved, or the
// engineer saved it (successfully) or chose to drop it.
bool MainWindow::mayReplaceDocument()
{
    if (!hasUnsavedChanges())
        return true;
    switch (askSaveOnClose(m_strCurFileName)) {
    case CloseAnswer::Save: return saveCurrentFile();
    case CloseAnswer::Discard: return true;
    case CloseAnswer::Cancel:
    default: return false;
    }
}

void MainWindow::onSelectedFile(QString strDir, QString strFileName)
{
    qDebug("打开的目录，文件名为 strDir, strFileName ... %s, %s", qUtf8Printable(strDir), qUtf8Printable(strFileName));
    if (strFileName.isEmpty() || isOpening() || isSuggesting())
        return; // nothing chosen, or one workflow at a time
    if (m_blFileLoaded && !mayReplaceDocument()) {
        // The open survey stays; so does the file list's selection on it.
        m_pShowWaveDataWidget->selectFileInList(m_strCurFileName);
        return;
    }
    // The document adopts the survey when it is read (onSurveyOpened).
    m_strOpeningDir = strDir;
    m_pOpener->start(strFileName);
    holdInput(true);
    // A quick open shows nothing; a slow one a busy pointer and its progress.
    m_pOpenBusyTimer->start();
}

void MainWindow::onSurveyOpened(const DocResult &result, const QString &strFileName)
{
    const QString strDir = m_strOpeningDir;
    m_pOpenBusyTimer->stop();
    if (m_blOpenBusyShown) {
        m_blOpenBusyShown = false;
        m_pOpenProgress->hide();
        QApplication::restoreOverrideCursor();
        onShowStatusMessage(QString());
    }
    holdInput(false);
    if (!result.ok) {
        // The document that was open stays as it was.
        if (!result.message.isEmpty())
            showMessage(tr("提示"), result.message);
        if (m_blFileLoaded)
            m_pShowWaveDataWidget->selectFileInList(m_strCurFileName);
        return;
    }

    // The suggestions were the other survey's.
    m_suggestions.clear();
    showSuggestions();
    FileHead &head = *m_pFileHead;
    m_strCurFileName = strFileName;
    m_pShowWaveDataWidget->setDirectoryAndFile(strDir, strFileName);
    m_pShowWaveDataWidget->setFileHead(m_pFileHead);
    m_pShowWaveDataWidget->setSampleCount(m_document.model().maxSamplePoints());
    m_pShowWaveDataWidget->setWaveSpeed(head.fWaveSpeed);
    // Another survey starts as saved, unstretched and with every channel shown.
    WaveViewState &view = viewState();
    view.setValue(WaveViewState::Scale::Zoom, head.fWaveZoomScale);
    view.setValue(WaveViewState::Scale::TimeStretch, WaveViewState::range(WaveViewState::Scale::TimeStretch).minimum);
    view.setValue(WaveViewState::Scale::Spacing, WaveViewState::range(WaveViewState::Scale::Spacing).minimum);
    view.setChannelFilter(-1);
    actionChannelAll->setChecked(true);

    m_blFileLoaded = true;
    setActionStates(true);
    m_pShowWaveDataWidget->setInfoPanelVisible(true);
    m_pShowWaveDataWidget->setAnalysisPanelVisible(true);
    m_pShowWaveDataWidget->setOriginalDisplay(true);
    refreshWorkspaceData(m_document.model().waveCount() > 0 ? 0 : -1);
    m_pShowWaveDataWidget->updateWaveDisplay();
    updateFilterStatus();
    m_pPrinterOperation->setCurrentDir(strDir);
    m_pPrinterOperation->setCurrentFileName(strFileName);
    updateEditState();

    // Remembered for the recent-files menu and the next start.
    m_windowState.addRecentFile(strFileName);
    m_windowState.save(m_strStatePath, {m_document.filePath()});
    rebuildRecentMenu();
    SystemConfig &config = SystemConfig::instance();
    const QString folder = QFileInfo(strFileName).absolutePath();
    if (config.getLastOpenFilePath() != folder)
        config.setLastOpenFilePath(folder);

    if (!result.warnings.isEmpty()) {
        showMessage(tr("提示"), tr("文件已打开，但以下内容被忽略或更正：\n") + result.warnings.join(QLatin1Char('\n')));
    }
}

void MainWindow::showOpenBusy()
{
    if (!isOpening() || m_blOpenBusyShown)
        return;
    m_blOpenBusyShown = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    onShowStatusMessage(tr("正在打开 %1 ...").arg(QFileInfo(m_pOpener->path()).fileName()));
    m_pOpenProgress->setValue(0);
    m_pOpenProgress->show();
}

void MainWindow::showOpenProgress(int percent)
{
    if (isOpening())
        m_pOpenProgress->setValue(percent);
}

void MainWindow::holdInput(bool hold)
{
    if (hold == m_blHoldingInput)
        return;
    m_blHoldingInput = hold;
    if (hold)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (m_blHoldingInput && watched->isWidgetType()) {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Taken by no shortcut either.
            event->accept();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ContextMenu:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd: return true;
        default: break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::on_actionFileSave_triggered() { saveCurrentFile(); }

bool MainWindow::saveCurrentFile()
{
    if (!m_document.isOpen())
        return true;
    if (m_document.changedOnDisk()) {
        const QString name = QFileInfo(m_document.filePath()).fileName();
        DiskChangedAnswer answer = DiskChangedAnswer::Cancel;
        if (m_diskChangedQuestion) {
            answer = m_diskChangedQuestion(name);
        } else {
            QMessageBox box(QMessageBox::Warning, tr("提示"),
                            tr("“%1”在打开后已被其他程序修改。覆盖它会丢失那些修改。").arg(name), QMessageBox::NoButton,
                            this);
            QPushButton *overwrite = box.addButton(tr("覆盖"), QMessageBox::DestructiveRole);
            QPushButton *saveAs = box.addButton(tr("另存为"), QMessageBox::AcceptRole);
            box.addButton(tr("取消"), QMessageBox::RejectRole);
            box.exec();
            answer = box.clickedButton() == overwrite ? DiskChangedAnswer::Overwrite
                : box.clickedButton() == saveAs       ? DiskChangedAnswer::SaveAs
                                                      : DiskChangedAnswer::Cancel;
        }
        if (answer == DiskChangedAnswer::Cancel)
            return false;
        if (answer == DiskChangedAnswer::SaveAs)
            return saveCurrentFileAs();
    }
    const DocResult result = m_document.save();
    if (!result.ok) {
        // Nothing was replaced: the file on disk is as it was and the
        // changes stay unsaved.
        showMessage(tr("提示"), result.message);
        return false;
    }
    onShowStatusMessage(tr("已保存 ") + QFileInfo(m_strCurFileName).fileName());
    return true;
}

// The survey goes to a new file; the old one stays as it was and the window
// works on the new one from now on.
void MainWindow::on_actionFileSaveAs_triggered() { saveCurrentFileAs(); }

bool MainWindow::saveCurrentFileAs()
{
    if (!m_document.isOpen())
        return true;
    if (!m_saveAsDialog)
        m_saveAsDialog = [](QWidget *parent, const QString &caption, const QString &path, const QString &filter) {
            return QFileDialog::getSaveFileName(parent, caption, path, filter);
        };
    QString path = m_saveAsDialog(this, tr("另存为"), m_strCurFileName, tr("数据文件 (*.ard)"));
    if (path.isEmpty())
        return false;
    // A new name without an ending gets the survey's (an existing path is
    // taken as chosen, so that the usual checks refuse a folder).
    if (!QFileInfo::exists(path) && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".ard");
    const DocResult result = m_document.saveAs(path);
    if (!result.ok) {
        showMessage(tr("提示"), result.message);
        return false;
    }
    m_strCurFileName = QFileInfo(m_document.filePath()).absoluteFilePath();
    m_pPrinterOperation->setCurrentDir(QFileInfo(m_strCurFileName).absolutePath());
    m_pPrinterOperation->setCurrentFileName(m_strCurFileName);
    m_pShowWaveDataWidget->selectFileInList(m_strCurFileName);
    m_windowState.addRecentFile(m_strCurFileName);
    m_windowState.save(m_strStatePath, {m_strCurFileName});
    rebuildRecentMenu();
    updateEditState();
    onShowStatusMessage(tr("已保存 ") + QFileInfo(m_strCurFileName).fileName());
    return true;
}

// ---- Model edits ------------------------------------------------------

void MainWindow::onFlawPosChanged(int nWaveIndex, int nFlawPos)
{
    qDebug("MainWindow: 缺陷位置改变!");
    const DocResult r = m_document.setFlawMark(nWaveIndex, nFlawPos);
    if (!r.ok)
        onShowStatusMessage(r.message);
}

bool MainWindow::confirmDeleteChannel()
{
    if (m_deleteQuestion)
        return m_deleteQuestion();
    QMessageBox box(this);
    box.setIcon(QMessageBox::Warning);
    box.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    box.setWindowTitle(tr("警告"));
    box.setText(tr("当前操作会删除当前测点当前通道数据\n您确定这样做么？"));
    QPushButton *yes = box.addButton(tr("是"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(tr("否"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void MainWindow::onDeleteCurWaveGroup(int nFocusIndex)
{
    const int count = m_document.model().waveCount();
    qDebug("pShowWaveDataWidget->getWaveAnalyzeInfoList().size() ... %d", count);
    if (nFocusIndex < 0 || nFocusIndex >= count)
        return;
    if (count == 1) {
        // Asking first and then doing nothing would leave the engineer guessing.
        showMessage(tr("提示"), tr("这是文件中唯一的波形，不能删除！"));
        return;
    }
    if (!confirmDeleteChannel())
        return;
    const DocResult r = m_document.deleteWave(nFocusIndex);
    if (!r.ok)
        showMessage(tr("提示"), r.message);
}

void MainWindow::onConfigChanged(int index, WaveParams params)
{
    qDebug("波形参数改变，包括滤波和手动增益 ... %d", index);
    const DocResult r = m_document.applyWaveParams(index, params);
    if (!r.ok)
        showMessage(tr("提示"), r.message);
    else if (!r.warnings.isEmpty())
        showMessage(tr("提示"), r.warnings.join(QLatin1Char('\n')));
}

// ---- Report -------------------------------------------------------------

void MainWindow::handOverReportData()
{
    const MeasurementModel &model = m_document.model();
    m_pPrinterOperation->setWaveData(model.waveGroupList(), model.filterWaveGroupList(), model.waveAnalyzeInfoList(),
                                     m_pFileHead);
}

void MainWindow::on_actionFilePrintPreview_triggered()
{
    handOverReportData();
    m_pPrinterOperation->outputToPrintPreview();
}

void MainWindow::on_actionFilePrintSetup_triggered()
{
    handOverReportData();
    m_pPrinterOperation->runSetupDialog();
}

void MainWindow::on_actionFilePrint_triggered()
{
    handOverReportData();
    m_pPrinterOperation->outputToPrint();
}

void MainWindow::on_actionFileExportToWord_triggered()
{
    handOverReportData();
    m_pPrinterOperation->outputToWord();
}

void MainWindow::on_actionFileExportToPdf_triggered()
{
    handOverReportData();
    m_pPrinterOperation->outputToPdf();
}

// ---- Drag and drop -------------------------------------------------------

QString MainWindow::droppedSurveyPath(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
        return QString();
    const QString path = mime->urls().first().toLocalFile();
    if (path.isEmpty() || !path.endsWith(QLatin1String(".ard"), Qt::CaseInsensitive))
        return QString();
    return path;
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedSurveyPath(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QString path = droppedSurveyPath(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Through the file list, exactly like a double-click there.
    m_pShowWaveDataWidget->setCurrentFile(path);
}

// ---- Flaw suggestions -------------------------------------------------------

void MainWindow::showSuggestions()
{
    viewState().setSuggestions(m_suggestions.forList(m_document.model().waveAnalyzeInfoList()));
    actionAcceptAllSuggestions->setEnabled(m_blFileLoaded && !m_suggestions.isEmpty());
    actionClearSuggestions->setEnabled(m_blFileLoaded && !m_suggestions.isEmpty());
}

bool MainWindow::dropStaleSuggestions()
{
    if (m_suggestions.isEmpty() || m_suggestions.holdsFor(m_document.model().waveAnalyzeInfoList()))
        return false;
    m_suggestions.clear();
    showSuggestions();
    onShowStatusMessage(tr("波形已更改，缺陷建议已清除，可重新识别"));
    return true;
}

// The detector runs on a worker thread while the window keeps painting and
// takes no input, so the survey cannot change under it.
void MainWindow::on_actionSuggestFlaws_triggered()
{
    if (!m_blFileLoaded || isSuggesting() || isOpening() || !m_pSuggester->start())
        return;
    holdInput(true);
    onShowStatusMessage(tr("正在识别缺陷…"));
    m_blSuggestBusyShown = m_document.model().waveCount() >= kLargeSurveyWaves;
    if (m_blSuggestBusyShown)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void MainWindow::onSuggestionsFound(const FoundSuggestions &found)
{
    if (m_blSuggestBusyShown) {
        m_blSuggestBusyShown = false;
        QApplication::restoreOverrideCursor();
    }
    holdInput(false);
    m_suggestions.assign(found.waves, found.suggestions);
    if (!m_suggestions.holdsFor(m_document.model().waveAnalyzeInfoList()))
        m_suggestions.clear(); // not for this survey any more
    showSuggestions();
    const int all = m_suggestions.count();
    if (all == 0) {
        onShowStatusMessage(tr("未识别到缺陷建议"));
        return;
    }
    onShowStatusMessage(tr("识别到 %1 处建议缺陷（置信度 ≥ %2：%3 处）")
                            .arg(all)
                            .arg(dsp::kRecommendedConfidence)
                            .arg(m_suggestions.count(dsp::kRecommendedConfidence)));
}

void MainWindow::onSuggestionAccepted(int nWaveIndex)
{
    const WaveAnalyzeInfoList &infos = m_document.model().waveAnalyzeInfoList();
    if (nWaveIndex < 0 || nWaveIndex >= infos.size() || dropStaleSuggestions())
        return;
    // The engineer's choice: the top whatever its confidence, and the floor
    // where one is recommended, as one step.
    const dsp::FlawSuggestion s = m_suggestions.of(infos.at(nWaveIndex));
    if (!s.isValid())
        return;
    const DocResult r = flawsuggest::acceptSuggestion(m_document, nWaveIndex, s, tr("采纳建议"));
    if (!r.ok)
        onShowStatusMessage(r.message);
}

void MainWindow::on_actionAcceptAllSuggestions_triggered()
{
    if (m_suggestions.isEmpty() || dropStaleSuggestions())
        return;
    // One entry per wave whose suggestion is not its mark already.
    QVector<dsp::FlawSuggestion> byWave;
    QVector<SuggestionAcceptDialog::Entry> entries;
    const WaveAnalyzeInfoList &infos = m_document.model().waveAnalyzeInfoList();
    for (int i = 0; i < infos.size(); ++i) {
        const dsp::FlawSuggestion s = m_suggestions.of(infos.at(i));
        byWave << s;
        if (s.isValid() && infos.at(i)->nFlawPos != s.sample)
            entries.append({s.confidence, infos.at(i)->nFlawPos >= 0});
    }
    if (entries.isEmpty()) {
        onShowStatusMessage(tr("所有建议均已采纳"));
        return;
    }
    SuggestionAcceptDialog dialog(entries, dsp::kRecommendedConfidence, this);
    const bool accepted =
        m_acceptSuggestionsQuestion ? m_acceptSuggestionsQuestion(dialog) : dialog.exec() == QDialog::Accepted;
    if (!accepted)
        return;
    // The marks the dialog counted, as one step of the history.
    flawsuggest::AcceptRule rule;
    rule.minConfidence = dialog.threshold();
    rule.replaceMarks = dialog.replaceMarks();
    flawsuggest::AcceptPlan plan;
    const DocResult r = flawsuggest::acceptSuggestions(m_document, byWave, rule, tr("采纳建议"), &plan);
    if (!r.ok) {
        showMessage(tr("提示"), r.message);
        return;
    }
    if (!plan.marks.isEmpty())
        onShowStatusMessage(tr("已采纳 %1 个缺陷建议").arg(plan.marks.size()));
}

void MainWindow::on_actionClearSuggestions_triggered()
{
    m_suggestions.clear();
    showSuggestions();
    onShowStatusMessage(tr("缺陷建议已清除"));
}
