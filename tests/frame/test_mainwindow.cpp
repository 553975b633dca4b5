#include "app/systemconfig.h"
#include "ui/mainwindow.h"
#include "widgets/statuswidget.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {

// Qt reports a hidden action as disabled whatever its enable state; showing
// the two hidden actions reveals the state the window gave them.
QStringList enabledActions(const MainWindow &w)
{
    for (QAction *a : {w.actionHWaveList, w.actionVWaveList})
        a->setVisible(true);
    QStringList names;
    for (QAction *a : w.findChildren<QAction *>())
        if (a->objectName().startsWith(QLatin1String("action")) && a->isEnabled())
            names << a->objectName();
    names.sort();
    return names;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void structure();
    void initialActionStates();
    void fileLoadedActionStates();
    void zoomLimits();
    void stretchAndSpacingLimits_data();
    void stretchAndSpacingLimits();
    void scalesWaitForASurvey();
    void depthWindowStaysOnTheTrace_data();
    void depthWindowStaysOnTheTrace();
    void depthWindowZoomsAboutASample();
    void flawMarkToggle();
    void normalizedWritesConfig();
    void placeFitsTheAvailableArea_data();
    void placeFitsTheAvailableArea();

private:
    QTemporaryDir m_dir;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("KVR_DATA_ROOT", m_dir.filePath(QStringLiteral("root/")).toUtf8());
    SystemConfig::instance().init(m_dir.filePath(QStringLiteral("param_config.xml")));
}

void TestMainWindow::structure()
{
    MainWindow w;
    QCOMPARE(w.objectName(), QStringLiteral("KvrAnalysisMainDlg"));
    QCOMPARE(w.currentPageIndex(), 0);
    QCOMPARE(w.fileHead()->fWaveSpeed, 4000.0f);
    QCOMPARE(w.fileHead()->fWaveZoomScale, 1.0f);

    int actions = 0;
    for (QAction *a : w.findChildren<QAction *>()) {
        if (!a->objectName().startsWith(QLatin1String("action")))
            continue;
        ++actions;
        QVERIFY2(!a->isIconVisibleInMenu(), qPrintable(a->objectName()));
        if (a != w.actionFileExit)
            QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
    }
    // The 21 commands, the PDF export, undo and redo, variable density, the
    // four channel filters, clearing the recent files and the three flaw
    // suggestion commands, the marks table, 另存为 and the user guide.
    QCOMPARE(actions, 36);
    QCOMPARE(w.actionFileOpen->shortcut(), QKeySequence(QKeySequence::Open));
    QCOMPARE(w.actionFlawMark->statusTip(), QStringLiteral("开始/停止标记波形缺陷"));
    for (QAction *hidden : {w.actionHWaveList, w.actionVWaveList})
        QVERIFY(!hidden->isVisible());
    // The amplitude zoom is in the view menu, with keys.
    QVERIFY(w.actionViewZoomIn->isVisible() && w.actionViewZoomOut->isVisible());
    QVERIFY(w.menuView->actions().contains(w.actionViewZoomIn));
    QCOMPARE(w.actionViewZoomIn->shortcut(), QKeySequence(QKeySequence::ZoomIn));
    QCOMPARE(w.actionViewZoomOut->shortcut(), QKeySequence(QKeySequence::ZoomOut));

    // Tool-bar buttons in order, text under the icon.
    QStringList order;
    for (QToolButton *b : w.toolBar()->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!b->defaultAction())
            continue;
        QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        order << b->defaultAction()->objectName();
    }
    QCOMPARE(order, (QStringList {"actionFileOpen",      "actionFileSave",         "actionEditUndo",
                                  "actionEditRedo",      "actionFilePrintSetup",   "actionFilePrintPreview",
                                  "actionFilePrint",     "actionFileExportToWord", "actionSetupInfo",
                                  "actionSetupAna",      "actionOriginData",       "actionHWaveList",
                                  "actionVWaveList",     "actionViewZoomIn",       "actionViewZoomOut",
                                  "actionViewHStretch",  "actionViewHCompress",    "actionViewSpacerAdd",
                                  "actionViewSpacerSub", "actionViewNormalized",   "actionFlawMark"}));

    w.onShowStatusMessage(QStringLiteral("已打开"));
    QCOMPARE(w.statusWidget()->text(), QStringLiteral("已打开"));
}

void TestMainWindow::initialActionStates()
{
    MainWindow w;
    // The marks table can be shown at any time (empty without a survey).
    QCOMPARE(enabledActions(w),
             (QStringList {"actionAbout", "actionFileExit", "actionFileOpen", "actionHelpManual", "actionViewMarks"}));
}

void TestMainWindow::fileLoadedActionStates()
{
    MainWindow w;
    w.setActionStates(true);
    QCOMPARE(
        enabledActions(w),
        (QStringList {"actionAbout",         "actionChannelAll",   "actionChannelCh1",       "actionChannelCh2",
                      "actionChannelCh3",    "actionFileExit",     "actionFileExportToPdf",  "actionFileExportToWord",
                      "actionFileOpen",      "actionFilePrint",    "actionFilePrintPreview", "actionFilePrintSetup",
                      "actionFileSaveAs",    "actionFlawMark",     "actionHelpManual",       "actionOriginData",
                      "actionSetupAna",      "actionSetupInfo",    "actionSuggestFlaws",     "actionVWaveList",
                      "actionViewDensity",   "actionViewHStretch", "actionViewMarks",        "actionViewNormalized",
                      "actionViewSpacerAdd", "actionViewZoomIn"}));
    QVERIFY(w.actionSetupInfo->isChecked());
    QVERIFY(w.actionSetupAna->isChecked());
    QVERIFY(w.actionOriginData->isChecked());
    QVERIFY(w.actionVWaveList->isChecked());
    QVERIFY(!w.actionHWaveList->isChecked());
    QCOMPARE(w.actionViewNormalized->isChecked(), SystemConfig::instance().isNormalized());
}

void TestMainWindow::zoomLimits()
{
    MainWindow w;
    auto zoom = [&]() { return w.viewState().value(WaveViewState::Scale::Zoom); };
    w.setActionStates(true);
    QVERIFY(!w.actionViewZoomOut->isEnabled());
    for (int i = 0; i < 8; ++i)
        w.actionViewZoomIn->trigger();
    QCOMPARE(zoom(), 9.0f);
    QVERIFY(w.actionViewZoomIn->isEnabled());

    w.actionViewZoomIn->trigger();
    QCOMPARE(zoom(), 10.0f);
    QVERIFY(!w.actionViewZoomIn->isEnabled());
    QVERIFY(w.actionViewZoomOut->isEnabled());
    w.stepScale(WaveViewState::Scale::Zoom, 1); // beyond the limit
    QCOMPARE(zoom(), 10.0f);

    for (int i = 0; i < 8; ++i)
        w.actionViewZoomOut->trigger();
    QCOMPARE(zoom(), 2.0f);
    w.actionViewZoomOut->trigger();
    QCOMPARE(zoom(), 1.0f);
    QVERIFY(!w.actionViewZoomOut->isEnabled());
    QVERIFY(w.actionViewZoomIn->isEnabled());
    w.stepScale(WaveViewState::Scale::Zoom, -1);
    QCOMPARE(zoom(), 1.0f);
}

void TestMainWindow::stretchAndSpacingLimits_data()
{
    QTest::addColumn<bool>("horizontal");
    QTest::newRow("wave-length stretch") << true;
    QTest::newRow("wave spacing") << false;
}

void TestMainWindow::stretchAndSpacingLimits()
{
    QFETCH(bool, horizontal);
    MainWindow w;
    w.setActionStates(true);
    QAction *add = horizontal ? w.actionViewHStretch : w.actionViewSpacerAdd;
    QAction *sub = horizontal ? w.actionViewHCompress : w.actionViewSpacerSub;
    using Scale = WaveViewState::Scale;
    auto scale = [&]() { return w.viewState().value(horizontal ? Scale::TimeStretch : Scale::Spacing); };
    auto other = [&]() { return w.viewState().value(horizontal ? Scale::Spacing : Scale::TimeStretch); };

    QCOMPARE(scale(), 1.0f);
    QVERIFY(!sub->isEnabled());
    for (int step = 2; step <= 5; ++step) {
        add->trigger();
        QCOMPARE(scale(), float(step));
        QVERIFY(sub->isEnabled());
    }
    QVERIFY(!add->isEnabled());
    add->trigger();
    QCOMPARE(scale(), 5.0f);
    QCOMPARE(other(), 1.0f);

    for (int step = 4; step >= 1; --step) {
        sub->trigger();
        QCOMPARE(scale(), float(step));
        QVERIFY(add->isEnabled());
    }
    QVERIFY(!sub->isEnabled());
    sub->trigger();
    QCOMPARE(scale(), 1.0f);
}

// Without a survey the scale commands are off and stepping changes nothing.
void TestMainWindow::scalesWaitForASurvey()
{
    MainWindow w;
    w.stepScale(WaveViewState::Scale::TimeStretch, 2);
    QCOMPARE(w.viewState().value(WaveViewState::Scale::TimeStretch), 1.0f);
    for (QAction *a : {w.actionViewZoomIn, w.actionViewZoomOut, w.actionViewHStretch, w.actionViewHCompress,
                       w.actionViewSpacerAdd, w.actionViewSpacerSub})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
}

namespace {
// A view state over 1024-sample waves, stretched three times.
void prepare(WaveViewState &state)
{
    WaveDisplayState display;
    display.nSampleCount = 1024;
    state.setDisplayState(display);
    state.setValue(WaveViewState::Scale::TimeStretch, 3.0f);
}
} // namespace

void TestMainWindow::depthWindowStaysOnTheTrace_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("shownFrom");
    QTest::addColumn<int>("shownTo");
    QTest::newRow("inside") << 100 << 300 << 100 << 300;
    QTest::newRow("either order") << 300 << 100 << 100 << 300;
    QTest::newRow("beyond both ends: the whole trace") << -50 << 5000 << 0 << 1024;
    QTest::newRow("too narrow, widened about its middle") << 500 << 501 << 496 << 504;
    QTest::newRow("too narrow at the end") << 1020 << 1030 << 1016 << 1024;
}

// Whatever is asked, the window lies on the trace and is at least a few
// samples wide; a window sets the stretch back to 1 so that both views show
// exactly it, and the whole trace is no window.
void TestMainWindow::depthWindowStaysOnTheTrace()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, shownFrom);
    QFETCH(int, shownTo);
    WaveViewState state;
    prepare(state);
    QVector<WaveViewState::Aspects> changed;
    connect(&state, &WaveViewState::changed, this, [&changed](WaveViewState::Aspects a) { changed << a; });
    state.setDepthWindow(from, to);
    QCOMPARE(state.depthWindow().from, shownFrom);
    QCOMPARE(state.depthWindow().to, shownTo);
    QCOMPARE(state.hasDepthWindow(), !(shownFrom == 0 && shownTo == 1024));
    QCOMPARE(state.value(WaveViewState::Scale::TimeStretch), 1.0f);
    QCOMPARE(changed.count(), 1);
    const WaveViewState::Aspects aspects = changed.first();
    QVERIFY(aspects & WaveViewState::TimeStretch);
    QCOMPARE(bool(aspects & WaveViewState::DepthWindow), state.hasDepthWindow());
}

// The wheel narrows or widens the window keeping the pointer's sample at its
// place; widened past the trace, the window is gone.
void TestMainWindow::depthWindowZoomsAboutASample()
{
    WaveViewState state;
    prepare(state);
    state.zoomDepthWindow(256, 2);
    WaveViewState::SampleWindow w = state.depthWindow();
    QVERIFY(qAbs((w.to - w.from) - 1024 / (1.25 * 1.25)) <= 1.0);
    QVERIFY(qAbs(double(256 - w.from) / (w.to - w.from) - 0.25) < 0.01);
    // Narrowing always narrows, down to the least width.
    for (int k = 0; k < 60; ++k)
        state.zoomDepthWindow(300, 1);
    w = state.depthWindow();
    QCOMPARE(w.to - w.from, int(WaveViewState::kMinWindowSamples));
    QVERIFY(w.from <= 300 && 300 <= w.to);
    state.zoomDepthWindow(300, -100);
    QVERIFY(!state.hasDepthWindow());
}

void TestMainWindow::flawMarkToggle()
{
    MainWindow w;
    w.setActionStates(true);
    const QImage startIcon = w.actionFlawMark->icon().pixmap(32).toImage();
    QCOMPARE(w.actionFlawMark->text(), QStringLiteral("启动标记"));
    w.actionFlawMark->trigger();
    QCOMPARE(w.actionFlawMark->text(), QStringLiteral("停止标记"));
    QVERIFY(w.actionFlawMark->icon().pixmap(32).toImage() != startIcon);
    w.actionFlawMark->trigger();
    QCOMPARE(w.actionFlawMark->text(), QStringLiteral("启动标记"));
    QCOMPARE(w.actionFlawMark->icon().pixmap(32).toImage(), startIcon);
}

void TestMainWindow::normalizedWritesConfig()
{
    MainWindow w;
    w.setActionStates(true);
    const bool before = SystemConfig::instance().isNormalized();
    w.actionViewNormalized->trigger();
    QCOMPARE(SystemConfig::instance().isNormalized(), !before);
    QFile f(SystemConfig::instance().path());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains(before ? "<blNormalized>0<" : "<blNormalized>1<"));
    w.actionViewNormalized->trigger();
    QCOMPARE(SystemConfig::instance().isNormalized(), before);
}

void TestMainWindow::placeFitsTheAvailableArea_data()
{
    // A 1920 x 1040 area below a 40 px task bar.
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("inside stays") << QRect(100, 100, 1280, 800) << QRect(100, 100, 1280, 800);
    QTest::newRow("off the right edge") << QRect(1500, 100, 1280, 800) << QRect(640, 100, 1280, 800);
    QTest::newRow("under the task bar") << QRect(100, 0, 1280, 800) << QRect(100, 40, 1280, 800);
    QTest::newRow("on a screen gone") << QRect(-2000, 200, 1280, 800) << QRect(0, 200, 1280, 800);
    QTest::newRow("larger than the area") << QRect(-10, 20, 2560, 1440) << QRect(0, 40, 1920, 1040);
}

void TestMainWindow::placeFitsTheAvailableArea()
{
    QFETCH(QRect, frame);
    QFETCH(QRect, expected);
    QCOMPARE(WindowState::fitIntoArea(frame, QRect(0, 40, 1920, 1040)), expected);
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
