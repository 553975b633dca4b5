// The main window end to end, driven through the same signals and widgets a
// user's actions reach: open a survey from the file list, mark a flaw,
// swap and delete waves, save, reopen, and the safety nets around them.
#include "Resources/kvrresources.h"
#include "app/language.h"
#include "app/systemconfig.h"
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"
#include "panels/analysishelperwidget.h"
#include "panels/filelistwidget.h"
#include "panels/markspanel.h"
#include "ui/depthwindowdialog.h"
#include "ui/helpdialog.h"
#include "ui/mainwindow.h"
#include "ui/windowstate.h"
#include "views/kvrmultiwaveassistantwidget.h"
#include "views/kvrsinglewaveassistantwidget.h"
#include "views/kvrwavewidget.h"
#include "views/wavescrollwidgetbase.h"
#include "widgets/statuswidget.h"
#include "workspace/showkvrinfowidget.h"
#include "workspace/showkvrwavedatawidget.h"
#include "workspace/showkvrwavewidget.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A save device that refuses every write, as a full disk would.
class RefusingSaveFile : public QSaveFile
{
public:
    using QSaveFile::QSaveFile;

protected:
    qint64 writeData(const char *, qint64) override { return -1; }
};

struct Window {
    MainWindow w;
    QStringList messages;
    int deleteQuestions = 0;

    Window()
    {
        w.setMessageFunc(
            [this](const QString &title, const QString &text) { messages << title + QLatin1Char('|') + text; });
        w.setDeleteQuestion([this]() {
            ++deleteQuestions;
            return true;
        });
        w.resize(1400, 900);
        w.show();
    }
    // As a double-click in the file list, then until the survey is open.
    void open(const QString &path)
    {
        w.workspace()->infoWidget()->fileListWidget()->setCurrentFile(path);
        waitWhileOpening();
    }
    void waitWhileOpening() { QTRY_VERIFY_WITH_TIMEOUT(!w.isOpening(), 20000); }
    ShowKvrWaveWidget *wavePanel() const { return w.workspace()->waveWidget(); }
    KvrSingleWaveAssistantWidget *focusedView() const { return wavePanel()->singleWaveView(); }
    void clickButton(const char *name)
    {
        auto *button = wavePanel()->findChild<QPushButton *>(QLatin1String(name));
        QVERIFY2(button, name);
        button->click();
    }
};

} // namespace

class TestMainFlow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void openingAnOriginalShowsItsWaves();
    void anAnalysisSurveyOpensClean();
    void flawMarkEnablesSavingAndSurvivesReopen();
    void caveMarksAndTheMarksTable();
    void channelDeleteSurvivesReopen();
    void deletingTheLastWaveIsRefused();
    void undoAndRedoFromTheKeyboard();
    void headerEditFollowsEverywhere();
    void swapSurvivesReopen();
    void rejectedFileKeepsTheOpenDocument();
    void failedSaveKeepsFileAndChanges();
    void saveAsksWhenTheFileChangedOnDisk_data();
    void saveAsksWhenTheFileChangedOnDisk();
    void saveAsMovesTheWindowToTheNewFile();
    void helpShowsTheGuideInTheInterfaceLanguage();
    void closeFlow_data();
    void closeFlow();
    void switchingFilesAsksFirst_data();
    void switchingFilesAsksFirst();
    void openingKeepsTheWindowPainting();
    void recentFiles();
    void layoutKeptForTheNextSession_data();
    void layoutKeptForTheNextSession();
    void channelFilterIsViewOnly();
    void stepsSwapsAndDeletesCountTheShownWaves_data();
    void stepsSwapsAndDeletesCountTheShownWaves();
    void channelFilterResetsForAnotherSurvey();
    void stretchHoldsAcrossResizes();
    void depthWindowIsSharedByBothViews();
    void depthWindowFromTheMenu();
    void waveListKeepsItsShareOfASmallScreen();
    void anEditRedrawsOnlyWhatItChanged_data();
    void anEditRedrawsOnlyWhatItChanged();
    void analysisPanelFitsTheWindow_data();
    void analysisPanelFitsTheWindow();
    void windowRemembersItsLayout();

private:
    QString makeSurvey(const QString &name, int points = 4);
    // The same survey after one save: an analysis file.
    QString makeAnalysisSurvey(const QString &name, int points = 4);
    QTemporaryDir m_dir;
};

void TestMainFlow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("KVR_DATA_ROOT", m_dir.filePath(QStringLiteral("root/")).toUtf8());
    SystemConfig::instance().init(m_dir.filePath(QStringLiteral("param_config.xml")));
    // The layout checks also run with the (longer) English texts.
    if (qEnvironmentVariable("KVR_TEST_LANGUAGE") == QLatin1String("en")) {
        initKvrResources();
        QVERIFY(installUiLanguage(UiLanguage::English));
    }
}

void TestMainFlow::init() { SystemConfig::instance().setNormalized(false); }

QString TestMainFlow::makeSurvey(const QString &name, int points)
{
    SynthOptions o;
    o.points = points;
    o.samples = 1024;
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    QString error;
    return writeSynthSurvey(path, o, &error) ? path : QString();
}

QString TestMainFlow::makeAnalysisSurvey(const QString &name, int points)
{
    const QString path = makeSurvey(name, points);
    KvrDocument doc;
    return (!path.isEmpty() && doc.open(path).ok && doc.save().ok) ? path : QString();
}

void TestMainFlow::openingAnOriginalShowsItsWaves()
{
    const QString path = makeSurvey(QStringLiteral("open.ard"));
    const QByteArray onDisk = readAll(path);
    Window win;
    win.open(path);
    QVERIFY(win.w.isFileLoaded());
    QCOMPARE(win.w.workspace()->waveWidget()->waveCount(), 12);
    QCOMPARE(win.wavePanel()->waveListWidget()->waveCount(), 12);
    QCOMPARE(win.w.workspace()->focusWaveIndex(), 0);
    QVERIFY(win.w.actionFilePrint->isEnabled());
    QVERIFY(win.messages.isEmpty());
    // An original file opens as an unsaved conversion: "*", 保存 enabled and
    // the question on closing all agree; the file on disk is left alone.
    QVERIFY(win.w.hasUnsavedChanges());
    QVERIFY(win.w.actionFileSave->isEnabled());
    QVERIFY(win.w.windowTitle().startsWith(QStringLiteral("open.ard")));
    QVERIFY(win.w.isWindowModified());
    QVERIFY(!win.w.actionEditUndo->isEnabled());
    QCOMPARE(readAll(path), onDisk);
    win.w.actionFileSave->trigger();
    QVERIFY(!win.w.isWindowModified() && !win.w.actionFileSave->isEnabled());
    QVERIFY(readAll(path) != onDisk);
}

void TestMainFlow::anAnalysisSurveyOpensClean()
{
    const QString path = makeAnalysisSurvey(QStringLiteral("clean.ard"));
    const QString other = makeAnalysisSurvey(QStringLiteral("clean2.ard"));
    Window win;
    int asked = 0;
    win.w.setCloseQuestion([&asked](const QString &) {
        ++asked;
        return MainWindow::CloseAnswer::Cancel;
    });
    win.open(path);
    QVERIFY(!win.w.isWindowModified());
    QVERIFY(!win.w.actionFileSave->isEnabled());
    win.open(other); // switching asks nothing
    QCOMPARE(win.w.document().filePath(), other);
    QVERIFY(win.w.close()); // nor does closing
    QCOMPARE(asked, 0);
}

// A cave marked top and bottom in the focused view, the marks table
// following it through undo and clearing, focusing a wave, and its CSV.
void TestMainFlow::caveMarksAndTheMarksTable()
{
    const QString path = makeAnalysisSurvey(QStringLiteral("caves.ard"));
    Window win;
    win.open(path);
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    MarksPanel *panel = win.w.findChild<MarksPanel *>();
    QVERIFY(panel);
    auto *table = panel->findChild<QTableWidget *>(QStringLiteral("tableMarks"));
    QAction *show = win.w.findChild<QAction *>(QStringLiteral("actionViewMarks"));
    QVERIFY(show && show->isCheckable());
    show->trigger();
    QCOMPARE(table->rowCount(), 0);

    win.w.actionFlawMark->trigger();
    const QRectF area = win.focusedView()->drawRegion(0);
    const int y = int(area.center().y());
    QTest::mouseClick(win.focusedView(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(int(area.left() + area.width() / 4), y));
    QTest::mouseClick(win.focusedView(), Qt::LeftButton, Qt::ShiftModifier,
                      QPoint(int(area.left() + area.width() / 2), y));
    const WaveAnalyzeInfoPtr r = win.w.document().model().waveAnalyzeInfoAt(0);
    QVERIFY(r->nFlawPos > 0);
    QVERIFY(flawBottom(*r) > r->nFlawPos);
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(panel->marks().first().bottomSample, flawBottom(*r));

    // Undo takes the bottom back, and the table follows.
    win.w.actionEditUndo->trigger();
    QVERIFY(!panel->marks().first().hasBottom());
    win.w.actionEditRedo->trigger();
    QVERIFY(panel->marks().first().hasBottom());

    // A second marked wave; a click on its row focuses it.
    QVERIFY(win.w.document().setFlawMark(3, 50).ok);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(panel->marks().first().index, 3); // shallower first
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualItemRect(table->item(0, 0)).center());
    QCOMPARE(win.w.document().focusIndex(), 3);

    // The CSV holds the rows; the survey itself is never a target.
    const QString csv = m_dir.filePath(QStringLiteral("marks.csv"));
    panel->setSavePathAsker([&](const QString &) { return csv; });
    panel->findChild<QPushButton *>(QStringLiteral("btnExportMarks"))->click();
    QCOMPARE(QString::fromUtf8(readAll(csv)), pile::marksCsv(panel->marks()));
    QString error;
    QVERIFY(!panel->exportCsv(path, &error));

    // 清除当前标记 clears top and bottom of the focused wave in one step.
    QVERIFY(win.w.document().setFocusIndex(0));
    win.clickButton("btnClearCurMark");
    QCOMPARE(r->nFlawPos, int(kNoValue));
    QCOMPARE(flawBottom(*r), int(kNoValue));
    QCOMPARE(table->rowCount(), 1);
}

void TestMainFlow::flawMarkEnablesSavingAndSurvivesReopen()
{
    const QString path = makeSurvey(QStringLiteral("flaw.ard"));
    {
        Window win;
        win.open(path);
        win.w.actionFlawMark->trigger();
        QVERIFY(win.focusedView()->isFlawMarking());
        QVERIFY(QTest::qWaitForWindowExposed(&win.w));
        const QRectF area = win.focusedView()->drawRegion(0);
        QVERIFY(area.width() > 10);
        const QPoint at(int(area.left() + area.width() / 4), int(area.center().y()));
        QTest::mouseClick(win.focusedView(), Qt::LeftButton, Qt::NoModifier, at);
        const int mark = win.w.document().model().waveAnalyzeInfoAt(0)->nFlawPos;
        QVERIFY(mark > 0);
        QVERIFY(win.w.actionFileSave->isEnabled());
        // The mark is copied into both group lists.
        const WaveAnalyzeInfoPtr r = win.w.document().model().waveAnalyzeInfoAt(0);
        QCOMPARE(win.w.document().model().waveGroupAt(r->nMeasurePoint)->blocks[r->nChannel]->nFlawPos, mark);
        // In spectrum mode the same click leaves the mark where it is.
        win.focusedView()->onDispTypeChanged();
        QTest::mouseClick(win.focusedView(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(int(area.left() + area.width() / 2), int(area.center().y())));
        QCOMPARE(r->nFlawPos, mark);
        QCOMPARE(win.w.statusWidget()->text(), QStringLiteral("频谱显示时不能标记缺陷，请在波形曲线上标记"));
        win.focusedView()->onDispTypeChanged();
        win.w.actionFileSave->trigger();
        QVERIFY(!win.w.actionFileSave->isEnabled());
        QVERIFY(win.messages.isEmpty());
    }
    KvrDocument reopened;
    QVERIFY(reopened.open(path).ok);
    QVERIFY(!reopened.wasOriginalOnDisk());
    QVERIFY(reopened.model().waveAnalyzeInfoAt(0)->nFlawPos > 0);
}

void TestMainFlow::channelDeleteSurvivesReopen()
{
    const QString path = makeSurvey(QStringLiteral("delete.ard"));
    Window win;
    win.open(path);
    win.w.onFocusWaveIndexChanged(2);
    win.wavePanel()->waveListWidget()->waveView()->onDeleteCurrWaveGround();
    QCOMPARE(win.deleteQuestions, 1);
    QCOMPARE(win.w.workspace()->waveWidget()->waveCount(), 11);
    QCOMPARE(win.w.workspace()->focusWaveIndex(), 2);
    QCOMPARE(win.w.fileHead()->deleteChannelCnt, 1);
    QVERIFY(win.w.actionFileSave->isEnabled());
    win.w.actionFileSave->trigger();
    QVERIFY(win.messages.isEmpty());

    KvrDocument reopened;
    QVERIFY(reopened.open(path).ok);
    QCOMPARE(reopened.model().waveCount(), 11);
    QCOMPARE(reopened.fileHead()->deleteChannelCnt, 1);
}

void TestMainFlow::deletingTheLastWaveIsRefused()
{
    SynthOptions o;
    o.points = 1;
    o.samples = 1024;
    o.missing = {{0, 1}, {0, 2}};
    const QString path = m_dir.filePath(QStringLiteral("single.ard"));
    QVERIFY(writeSynthSurvey(path, o));
    Window win;
    win.open(path);
    QCOMPARE(win.w.workspace()->waveWidget()->waveCount(), 1);
    win.wavePanel()->waveListWidget()->waveView()->onDeleteCurrWaveGround();
    // Refused with a word, before any question.
    QCOMPARE(win.deleteQuestions, 0);
    QCOMPARE(win.messages.size(), 1);
    QVERIFY(win.messages.first().contains(QStringLiteral("唯一的波形")));
    QCOMPARE(win.w.workspace()->waveWidget()->waveCount(), 1);
}

void TestMainFlow::undoAndRedoFromTheKeyboard()
{
    const QString path = makeAnalysisSurvey(QStringLiteral("undo.ard"));
    Window win;
    win.open(path);
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    const WaveAnalyzeInfoList before = win.w.document().model().waveAnalyzeInfoList();
    win.w.onFocusWaveIndexChanged(3);
    win.wavePanel()->waveListWidget()->waveView()->onDeleteCurrWaveGround();
    QCOMPARE(win.w.workspace()->waveWidget()->waveCount(), 11);
    QVERIFY(win.w.isWindowModified());
    QCOMPARE(win.w.actionEditUndo->text(), QStringLiteral("撤销 删除波形"));
    QVERIFY(!win.w.actionEditRedo->isEnabled());

    QTest::keyClick(&win.w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(win.w.workspace()->waveWidget()->waveCount(), 12);
    QCOMPARE(win.wavePanel()->waveListWidget()->waveAnalyzeInfoList(), before);
    QCOMPARE(win.w.workspace()->focusWaveIndex(), 3);
    QVERIFY(!win.w.isWindowModified()); // back where it was saved
    QVERIFY(!win.w.actionEditUndo->isEnabled());
    QCOMPARE(win.w.actionEditRedo->text(), QStringLiteral("重做 删除波形"));

    QTest::keyClick(&win.w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(win.w.workspace()->waveWidget()->waveCount(), 11);
    QTest::keyClick(&win.w, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&win.w, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(win.w.workspace()->waveWidget()->waveCount(), 11);
    QVERIFY(win.w.isWindowModified());

    // Applying to all waves and undoing it restores every wave's settings
    // and processed samples.
    const WaveBlock shown = *win.w.document().model().filterWaveGroupAt(0)->blocks[0];
    const int order = win.w.document().model().waveAnalyzeInfoAt(0)->nFilterOrder;
    auto *orderEdit = win.wavePanel()->analysisPanel()->findChild<QLineEdit *>(QStringLiteral("lEditFilterOrder"));
    QVERIFY(orderEdit);
    orderEdit->setText(QString::number(order + 100));
    win.clickButton("btnSaveFilterWaveDataAll");
    QCOMPARE(win.w.actionEditUndo->text(), QStringLiteral("撤销 应用到所有波形"));
    for (const WaveAnalyzeInfoPtr &r : win.w.document().model().waveAnalyzeInfoList())
        QCOMPARE(r->nFilterOrder, order + 100);
    QVERIFY(
        std::memcmp(win.w.document().model().filterWaveGroupAt(0)->blocks[0]->nData, shown.nData, sizeof(shown.nData))
        != 0);
    win.w.actionEditUndo->trigger();
    for (const WaveAnalyzeInfoPtr &r : win.w.document().model().waveAnalyzeInfoList())
        QCOMPARE(r->nFilterOrder, order);
    QVERIFY(
        std::memcmp(win.w.document().model().filterWaveGroupAt(0)->blocks[0]->nData, shown.nData, sizeof(shown.nData))
        == 0);
    QCOMPARE(orderEdit->text(), QString::number(order));
}

void TestMainFlow::headerEditFollowsEverywhere()
{
    const QString path = makeAnalysisSurvey(QStringLiteral("header.ard"));
    Window win;
    win.open(path);
    auto *pile = win.w.workspace()->infoWidget()->findChild<QLineEdit *>(QStringLiteral("lEditPilingNumber"));
    auto *point = win.w.workspace()->infoWidget()->findChild<QLabel *>(QStringLiteral("labelMeasurePoint"));
    QVERIFY(pile && point);
    pile->setText(QStringLiteral("Z9"));
    emit pile->editingFinished();
    QCOMPARE(decodeText(win.w.fileHead()->pilingNumber), QStringLiteral("Z9"));
    QVERIFY(point->text().startsWith(QStringLiteral("Z9_")));
    QCOMPARE(win.w.actionEditUndo->text(), QStringLiteral("撤销 修改桩号"));
    win.w.actionEditUndo->trigger();
    QVERIFY(!point->text().startsWith(QStringLiteral("Z9_")));
    QCOMPARE(pile->text(), decodeText(win.w.fileHead()->pilingNumber));

    // A refused speed: a message, the field back at the stored value.
    auto *speed = win.w.workspace()->infoWidget()->findChild<QLineEdit *>(QStringLiteral("lEditWaveSpeed"));
    QVERIFY(speed);
    const QString shown = speed->text();
    speed->setText(QStringLiteral("-3"));
    emit speed->editingFinished();
    QCOMPARE(win.messages.size(), 1);
    QCOMPARE(speed->text(), shown);
    QVERIFY(!win.w.actionEditUndo->isEnabled());
    // An accepted one reaches the wave list's depth readout.
    speed->setText(QStringLiteral("2000"));
    emit speed->editingFinished();
    QCOMPARE(win.wavePanel()->waveListWidget()->waveView()->waveSpeed(), 2000.0f);
}

void TestMainFlow::swapSurvivesReopen()
{
    const QString path = makeSurvey(QStringLiteral("swap.ard"));
    float first = 0, second = 0;
    {
        Window win;
        win.open(path);
        first = win.w.document().model().waveAnalyzeInfoAt(0)->fChannelAngle;
        second = win.w.document().model().waveAnalyzeInfoAt(1)->fChannelAngle;
        win.clickButton("btnSwapNextWave");
        QCOMPARE(win.w.workspace()->focusWaveIndex(), 1);
        QCOMPARE(win.w.workspace()->waveWidget()->waveAnalyzeInfoAt(0)->fChannelAngle, second);
        QVERIFY(win.w.actionFileSave->isEnabled());
        QVERIFY(win.w.isWindowModified());
        win.w.actionFileSave->trigger();
        QVERIFY(!win.w.isWindowModified());
    }
    KvrDocument reopened;
    QVERIFY(reopened.open(path).ok);
    QCOMPARE(reopened.model().waveAnalyzeInfoAt(0)->fChannelAngle, second);
    QCOMPARE(reopened.model().waveAnalyzeInfoAt(1)->fChannelAngle, first);
}

void TestMainFlow::rejectedFileKeepsTheOpenDocument()
{
    const QString good = makeSurvey(QStringLiteral("good.ard"));
    const QString bad = m_dir.filePath(QStringLiteral("bad.ard"));
    QByteArray bytes = readAll(good);
    bytes.chop(7); // no longer a whole number of groups
    {
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    Window win;
    win.w.setCloseQuestion([](const QString &) { return MainWindow::CloseAnswer::Discard; });
    win.open(good);
    win.clickButton("btnSwapNextWave");
    QVERIFY(win.w.actionFileSave->isEnabled());

    // Even after "否" nothing is lost when the other file cannot be opened.
    win.open(bad);
    QCOMPARE(win.messages, QStringList {QStringLiteral("提示|文件不完整或者格式不正确！")});
    QCOMPARE(win.w.document().filePath(), good);
    QCOMPARE(win.w.workspace()->waveWidget()->waveCount(), 12);
    QVERIFY(win.w.actionFileSave->isEnabled());

    win.open(m_dir.filePath(QStringLiteral("missing.ard")));
    QCOMPARE(win.messages.size(), 2);
    QVERIFY(win.messages.last().startsWith(QStringLiteral("提示|未检测到文件 ")));
    QCOMPARE(win.w.document().filePath(), good);
}

void TestMainFlow::failedSaveKeepsFileAndChanges()
{
    const QString path = makeSurvey(QStringLiteral("fail.ard"));
    const QByteArray before = readAll(path);
    Window win;
    win.open(path);
    win.clickButton("btnSwapNextWave");
    win.w.document().setSaveDeviceFactory(
        [](const QString &p) { return std::unique_ptr<QSaveFile>(new RefusingSaveFile(p)); });
    win.w.actionFileSave->trigger();
    QCOMPARE(win.messages.size(), 1);
    QVERIFY(win.messages.first().startsWith(QStringLiteral("提示|")));
    QVERIFY(win.w.actionFileSave->isEnabled());
    QVERIFY(win.w.hasUnsavedChanges());
    QCOMPARE(readAll(path), before);
}

// 另存为 writes the survey to the chosen path (".ard" added when missing),
// leaves the old file as it was, and the window works on the new file; a
// refused target or a cancelled dialog changes nothing.
void TestMainFlow::saveAsMovesTheWindowToTheNewFile()
{
    const QString path = makeSurvey(QStringLiteral("saveas.ard"));
    const QByteArray before = readAll(path);
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("copies")));
    const QString copyDir = m_dir.filePath(QStringLiteral("copies"));
    Window win;
    win.open(path);
    win.clickButton("btnSwapNextWave");
    QVERIFY(win.w.hasUnsavedChanges());

    QString answer, proposed;
    int asked = 0;
    win.w.setSaveAsDialog([&](QWidget *, const QString &, const QString &start, const QString &) {
        ++asked;
        proposed = start;
        return answer;
    });
    for (const QString &refused : {QString(), copyDir}) {
        answer = refused;
        win.w.actionFileSaveAs->trigger();
        QCOMPARE(win.w.document().filePath(), path);
        QVERIFY(win.w.hasUnsavedChanges());
    }
    QCOMPARE(asked, 2);
    QCOMPARE(QFileInfo(proposed).absoluteFilePath(), QFileInfo(path).absoluteFilePath());
    QCOMPARE(win.messages.size(), 1); // the directory, not the cancel
    QVERIFY(win.messages.first().startsWith(QStringLiteral("提示|")));

    answer = copyDir + QStringLiteral("/copy");
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    QTest::keyClick(&win.w, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(asked, 3);
    const QString copy = copyDir + QStringLiteral("/copy.ard");
    QCOMPARE(QFileInfo(win.w.document().filePath()).absoluteFilePath(), copy);
    QCOMPARE(readAll(path), before);
    QVERIFY(!win.w.hasUnsavedChanges() && !win.w.actionFileSave->isEnabled());
    QVERIFY(win.w.windowTitle().startsWith(QStringLiteral("copy.ard")));
    QCOMPARE(win.w.recentFiles().value(0), copy);
    FileListWidget *list = win.w.workspace()->infoWidget()->fileListWidget();
    QCOMPARE(list->currentDir(), copyDir);
    QVERIFY(list->fileNames().contains(QStringLiteral("copy.ard")));

    // The next edit and save go to the new file only.
    win.clickButton("btnSwapNextWave");
    win.w.actionFileSave->trigger();
    QCOMPARE(readAll(path), before);
    KvrDocument reopened;
    QVERIFY(reopened.open(copy).ok);
    QVERIFY(readAll(copy) != before);
    QVERIFY(win.messages.size() == 1);
}

// F1 opens the guide of the interface language, and the guide names every
// shortcut the window's actions have.
void TestMainFlow::helpShowsTheGuideInTheInterfaceLanguage()
{
    Window win;
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    QTest::keyClick(&win.w, Qt::Key_F1);
    auto *browser = win.w.findChild<QTextBrowser *>(QStringLiteral("helpBrowser"));
    QVERIFY(browser && browser->isVisible());
    const bool english = installedUiLanguage() == UiLanguage::English;
    QCOMPARE(browser->source().toString(), QStringLiteral("qrc") + HelpDialog::manualPath(installedUiLanguage()));
    const QString text = browser->toPlainText();
    QVERIFY(text.contains(QStringLiteral("Keyboard shortcuts")) == english);
    QVERIFY(text.contains(QStringLiteral("快捷键")) == !english);
    int shortcuts = 0;
    for (const QAction *a : win.w.findChildren<QAction *>()) {
        for (const QKeySequence &k : a->shortcuts()) {
            ++shortcuts;
            const QString key = k.toString(QKeySequence::PortableText);
            QVERIFY2(text.contains(key), qPrintable(a->objectName() + QLatin1Char(' ') + key));
        }
    }
    QVERIFY(shortcuts >= 8);
}

void TestMainFlow::closeFlow_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closed");
    QTest::newRow("nothing unsaved") << false << int(MainWindow::CloseAnswer::Cancel) << false << true;
    QTest::newRow("unsaved, 取消") << true << int(MainWindow::CloseAnswer::Cancel) << true << false;
    QTest::newRow("unsaved, 否") << true << int(MainWindow::CloseAnswer::Discard) << true << true;
    QTest::newRow("unsaved, 是") << true << int(MainWindow::CloseAnswer::Save) << true << true;
}

void TestMainFlow::closeFlow()
{
    QFETCH(bool, edit);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(bool, closed);
    const QString path = makeAnalysisSurvey(QStringLiteral("close.ard"));
    Window win;
    win.open(path);
    if (edit)
        win.clickButton("btnSwapNextWave");
    QString question;
    win.w.setCloseQuestion([&](const QString &name) {
        question = name;
        return MainWindow::CloseAnswer(answer);
    });
    QCOMPARE(win.w.close(), closed);
    QCOMPARE(question.isEmpty(), !asked);
    if (asked)
        QCOMPARE(question, path);
    QCOMPARE(win.w.isVisible(), !closed);
    // Saved by "是", left alone otherwise.
    KvrDocument reopened;
    QVERIFY(reopened.open(path).ok);
    QCOMPARE(reopened.model().waveAnalyzeInfoAt(0)->blUserOrder != 0,
             edit && answer == int(MainWindow::CloseAnswer::Save));
}

void TestMainFlow::switchingFilesAsksFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<bool>("switched");
    QTest::addColumn<bool>("saved");
    QTest::newRow("是") << int(MainWindow::CloseAnswer::Save) << false << true << true;
    QTest::newRow("是, the save fails") << int(MainWindow::CloseAnswer::Save) << true << false << false;
    QTest::newRow("否") << int(MainWindow::CloseAnswer::Discard) << false << true << false;
    QTest::newRow("取消") << int(MainWindow::CloseAnswer::Cancel) << false << false << false;
}

void TestMainFlow::switchingFilesAsksFirst()
{
    QFETCH(int, answer);
    QFETCH(bool, saveFails);
    QFETCH(bool, switched);
    QFETCH(bool, saved);
    const QString first = makeAnalysisSurvey(QStringLiteral("first.ard"));
    const QString second = makeAnalysisSurvey(QStringLiteral("second.ard"));
    const QByteArray before = readAll(first);
    Window win;
    win.open(first);
    win.clickButton("btnSwapNextWave");
    if (saveFails)
        win.w.document().setSaveDeviceFactory(
            [](const QString &p) { return std::unique_ptr<QSaveFile>(new RefusingSaveFile(p)); });
    int asked = 0;
    win.w.setCloseQuestion([&](const QString &) {
        ++asked;
        return MainWindow::CloseAnswer(answer);
    });
    FileListWidget *list = win.w.workspace()->infoWidget()->fileListWidget();
    win.open(second);
    QCOMPARE(asked, 1);
    QCOMPARE(win.w.document().filePath(), switched ? second : first);
    QCOMPARE(readAll(first) != before, saved);
    if (!switched) {
        // The open survey keeps its edits, and the list points at it again.
        QVERIFY(win.w.hasUnsavedChanges());
        QCOMPARE(list->currentFilePath(), first);
        auto *items = list->findChild<QListWidget *>();
        QVERIFY(items && items->currentItem());
        QCOMPARE(items->currentItem()->text(), QStringLiteral("first.ard"));
    } else {
        QVERIFY(!win.w.hasUnsavedChanges());
    }
}

// The survey is read on a worker while the window's own event loop goes on
// (timers and repaints); what the user does meanwhile is dropped, so the
// survey being replaced is not edited; then the new one is shown.
void TestMainFlow::openingKeepsTheWindowPainting()
{
    const QString first = makeAnalysisSurvey(QStringLiteral("before.ard"), 2);
    const QString path = makeSurvey(QStringLiteral("painting.ard"), 30);
    Window win;
    win.open(first);
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    KvrMultiWaveAssistantWidget *list = win.wavePanel()->waveListWidget()->waveView();
    win.w.workspace()->infoWidget()->fileListWidget()->setCurrentFile(path);
    QVERIFY(win.w.isOpening());
    bool timerRan = false;
    QTimer::singleShot(0, &win.w, [&]() { timerRan = true; });
    // Delete on the focused wave does not reach the window.
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(win.deleteQuestions, 0);
    win.waitWhileOpening();
    QVERIFY(timerRan);
    QCOMPARE(win.w.document().filePath(), path);
    QCOMPARE(win.w.workspace()->waveWidget()->waveCount(), 90);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    // Input reaches the window again.
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(win.deleteQuestions, 1);
}

void TestMainFlow::anEditRedrawsOnlyWhatItChanged_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("density");
    QTest::addColumn<QString>("drawn"); // "edited", "none" (the header), "all"
    QTest::newRow("flaw mark") << "mark" << false << "edited";
    QTest::newRow("flaw mark, variable density") << "mark" << true << "edited";
    QTest::newRow("filter of one wave") << "filter" << false << "edited";
    QTest::newRow("undo of a mark") << "undo" << false << "edited";
    QTest::newRow("header text") << "header" << false << "none";
    QTest::newRow("swap") << "swap" << false << "all";
}

// The wave list draws again what the document's change notice names, and
// the picture is the one a whole redraw gives.
void TestMainFlow::anEditRedrawsOnlyWhatItChanged()
{
    QFETCH(QString, edit);
    QFETCH(bool, density);
    QFETCH(QString, drawn);
    SystemConfig::instance().setVariableDensity(density);
    const QString path = makeAnalysisSurvey(QStringLiteral("redraw.ard"));
    Window win;
    win.open(path);
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    KvrDocument &doc = win.w.document();
    KvrMultiWaveAssistantWidget *list = win.wavePanel()->waveListWidget()->waveView();
    const int edited = 5, far = 10;
    QVERIFY(doc.model().waveCount() > far && doc.focusIndex() != edited);
    if (edit == QLatin1String("undo"))
        QVERIFY(doc.setFlawMark(edited, 300).ok);
    // The waves a partial redraw drew: `wave`, and of its neighbours
    // (drawn only where they reach into its strip) at most one either side.
    auto drewAround = [list](int wave) {
        const QVector<int> &d = list->lastDrawnWaves();
        const QVector<int> &shown = list->shownWaves();
        const int p = shown.indexOf(wave);
        return d.contains(wave)
            && std::all_of(d.begin(), d.end(), [&](int w) { return std::abs(shown.indexOf(w) - p) <= 1; });
    };
    // A known last pass, away from the edited wave.
    list->grab();
    list->updateWaves({far});
    list->grab();
    QVERIFY(drewAround(far));

    if (edit == QLatin1String("mark")) {
        QVERIFY(doc.setFlawMark(edited, 300).ok);
    } else if (edit == QLatin1String("filter")) {
        WaveParams params;
        params.blFilter = true;
        params.nLowCutoff = 20000;
        params.nHighCutoff = 60000;
        params.nFilterOrder = 64;
        QVERIFY(doc.applyWaveParams(edited, params).ok);
    } else if (edit == QLatin1String("undo")) {
        QVERIFY(doc.undo());
    } else if (edit == QLatin1String("header")) {
        QVERIFY(doc.setHeaderField(HeaderField::WorkName, QStringLiteral("新工地")).ok);
    } else {
        QVERIFY(doc.swapWaves(edited, 1).ok);
    }
    const QImage after = list->grab().toImage();
    if (drawn == QLatin1String("edited"))
        QVERIFY(drewAround(edited));
    else if (drawn == QLatin1String("none"))
        QVERIFY(drewAround(far));
    else
        QCOMPARE(list->lastDrawnWaves(), list->shownWaves());
    list->updateWaveDisplay();
    QCOMPARE(after, list->grab().toImage());
    SystemConfig::instance().setVariableDensity(false);
}

void TestMainFlow::recentFiles()
{
    QStringList paths;
    for (int i = 1; i <= 10; ++i)
        paths << makeSurvey(QStringLiteral("recent%1.ard").arg(i), 1);
    Window win;
    win.w.setCloseQuestion([](const QString &) { return MainWindow::CloseAnswer::Discard; });
    win.w.actionRecentClear->trigger();
    QVERIFY(win.w.recentFiles().isEmpty());
    for (const QString &p : paths)
        win.open(p);
    // The last eight, the latest first; opening one again moves it up.
    QStringList expected;
    for (int i = 9; i >= 2; --i)
        expected << paths.at(i);
    QCOMPARE(win.w.recentFiles(), expected);
    win.open(paths.at(5));
    expected.removeAll(paths.at(5));
    expected.prepend(paths.at(5));
    QCOMPARE(win.w.recentFiles(), expected);
    auto entry = [&](int i) { return win.w.menuRecent->findChild<QAction *>(QStringLiteral("recentFile%1").arg(i)); };
    QVERIFY(entry(0) && entry(7) && !entry(8));
    QVERIFY(entry(0)->text().contains(QStringLiteral("recent6.ard")));

    // A survey that has gone is greyed; choosing it anyway takes it off the
    // list with a word.
    QVERIFY(QFile::remove(paths.at(8)));
    emit win.w.menuRecent->aboutToShow();
    const int gone = win.w.recentFiles().indexOf(paths.at(8));
    QVERIFY(!entry(gone)->isEnabled());
    QVERIFY(entry(gone)->text().contains(QStringLiteral("文件不存在")));
    win.w.openRecentFile(gone);
    QCOMPARE(win.messages.size(), 1);
    QVERIFY(win.messages.first().contains(QStringLiteral("已从最近打开列表中移除")));
    QVERIFY(!win.w.recentFiles().contains(paths.at(8)));
    QCOMPARE(win.w.document().filePath(), paths.at(5));

    // Another entry opens its survey; the list is kept for the next session.
    win.w.openRecentFile(1);
    win.waitWhileOpening();
    QCOMPARE(win.w.document().filePath(), expected.at(1));
    WindowState saved;
    QVERIFY(saved.load(win.w.windowStatePath()));
    QCOMPARE(saved.recentFiles, win.w.recentFiles());
}

// Size and panel sizes come back at the next start, whichever way the
// window was left.
void TestMainFlow::layoutKeptForTheNextSession_data()
{
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("close button") << false;
    QTest::newRow("文件 → 退出") << true;
}

void TestMainFlow::layoutKeptForTheNextSession()
{
    QFETCH(bool, byMenu);
    QString statePath;
    QByteArray layout;
    {
        Window win;
        QVERIFY(QTest::qWaitForWindowExposed(&win.w));
        statePath = win.w.windowStatePath();
        QFile::remove(statePath);
        win.w.resize(760, 560); // within the 800 x 600 of the offscreen screen
        QCoreApplication::processEvents();
        layout = win.w.workspace()->layoutState();
        if (byMenu)
            win.w.actionFileExit->trigger();
        else
            win.w.close();
        QVERIFY(!win.w.isVisible());
    }
    WindowState saved;
    QVERIFY(saved.load(statePath));
    QVERIFY(!saved.geometry.isEmpty());
    QCOMPARE(saved.layout, layout);
    {
        MainWindow again;
        QCOMPARE(again.size(), QSize(760, 560));
    }
    QVERIFY(QFile::remove(statePath)); // the other tests start from the default size
}

// Showing one channel changes the wave list only: the model, its order and
// the indexes the window works with stay those of the document.
void TestMainFlow::channelFilterIsViewOnly()
{
    const QString path = makeAnalysisSurvey(QStringLiteral("filter.ard"));
    Window win;
    win.open(path);
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    const MeasurementModel &model = win.w.document().model();
    KvrMultiWaveAssistantWidget *list = win.wavePanel()->waveListWidget()->waveView();
    // Start on a wave of another channel, with a CH2 wave after it.
    int start = 0;
    while (model.waveAnalyzeInfoAt(start)->nChannel == 1 || model.waveAnalyzeInfoAt(start + 1)->nChannel != 1)
        ++start;
    win.w.onFocusWaveIndexChanged(start);

    win.w.actionChannelCh2->trigger();
    QCOMPARE(list->shownWaves().size(), 4);
    for (int wave : list->shownWaves())
        QCOMPARE(model.waveAnalyzeInfoAt(wave)->nChannel, 1);
    QCOMPARE(model.waveCount(), 12);
    // The focus went to the next CH2 wave on.
    QCOMPARE(win.w.document().focusIndex(), start + 1);

    // Keys in the focused view step through what the list shows.
    const int p = 0, first = list->shownWaves().first();
    win.w.onFocusWaveIndexChanged(first);
    win.focusedView()->setFocus();
    QTest::keyClick(win.focusedView(), Qt::Key_Right);
    QCOMPARE(win.w.document().focusIndex(), list->shownWaves().at(p + 1));
    win.clickButton("btnPreviousWaveData");
    QCOMPARE(win.w.document().focusIndex(), first);

    // Dragging a shown trace onto the next shown one swaps those two records.
    const int ia = list->shownWaves().at(p + 1), ib = list->shownWaves().at(p + 2);
    const WaveAnalyzeInfoPtr a = model.waveAnalyzeInfoAt(ia);
    const WaveAnalyzeInfoPtr b = model.waveAnalyzeInfoAt(ib);
    const int xa = qRound(list->waveArea().left() + (p + 2) * list->tracePitch());
    const int xb = qRound(list->waveArea().left() + (p + 3) * list->tracePitch());
    QTest::mousePress(list, Qt::LeftButton, Qt::NoModifier, QPoint(xa, 200));
    QTest::mouseRelease(list, Qt::LeftButton, Qt::NoModifier, QPoint(xb, 200));
    QCOMPARE(model.waveAnalyzeInfoAt(ia), b);
    QCOMPARE(model.waveAnalyzeInfoAt(ib), a);
    QCOMPARE(win.w.document().focusIndex(), ib);

    // Delete in the focused view asks, then deletes the focused wave.
    QTest::keyClick(win.focusedView(), Qt::Key_Delete);
    QCOMPARE(win.deleteQuestions, 1);
    QCOMPARE(model.waveCount(), 11);
    QVERIFY(!model.waveAnalyzeInfoList().contains(a));

    win.w.actionChannelAll->trigger();
    QCOMPARE(list->shownWaves().size(), 11);
}

void TestMainFlow::stepsSwapsAndDeletesCountTheShownWaves_data()
{
    // The survey's channels by wave (checked below): 111022210002, so CH2
    // shows waves 0, 1, 2 and 7.
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("focus");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("expectedFocus");
    QTest::addColumn<int>("expectedShown");
    QTest::addColumn<bool>("edited");
    QTest::newRow("all: next") << -1 << 2 << "btnNextWaveData" << 3 << 12 << false;
    QTest::newRow("CH2: next over hidden waves") << 1 << 2 << "btnNextWaveData" << 7 << 4 << false;
    QTest::newRow("CH2: previous") << 1 << 7 << "btnPreviousWaveData" << 2 << 4 << false;
    QTest::newRow("CH2: next from the last") << 1 << 7 << "btnNextWaveData" << 7 << 4 << false;
    QTest::newRow("CH2: swap on") << 1 << 2 << "btnSwapNextWave" << 7 << 4 << true;
    QTest::newRow("CH2: swap back from the first") << 1 << 0 << "btnSwapPreviousWave" << 0 << 4 << false;
    QTest::newRow("CH2: delete") << 1 << 2 << "delete" << 6 << 3 << true;
    QTest::newRow("CH2: delete the last shown") << 1 << 7 << "delete" << 2 << 3 << true;
    QTest::newRow("all: delete the second-to-last") << -1 << 10 << "delete" << 10 << 11 << true;
    QTest::newRow("all: delete the last") << -1 << 11 << "delete" << 10 << 11 << true;
}

// Stepping, swapping and deleting in the window go by the waves the list
// shows: a hidden wave is never stepped to, swapped or left focused.
void TestMainFlow::stepsSwapsAndDeletesCountTheShownWaves()
{
    QFETCH(int, channel);
    QFETCH(int, focus);
    QFETCH(QString, action);
    QFETCH(int, expectedFocus);
    QFETCH(int, expectedShown);
    QFETCH(bool, edited);
    const QString path = makeSurvey(QStringLiteral("shown.ard"));
    Window win;
    win.open(path);
    const MeasurementModel &model = win.w.document().model();
    QCOMPARE(model.waveCount(), 12);
    QString channels;
    for (int i = 0; i < model.waveCount(); ++i)
        channels += QString::number(model.waveAnalyzeInfoAt(i)->nChannel);
    QCOMPARE(channels, QStringLiteral("111022210002"));
    const WaveAnalyzeInfoList before = model.waveAnalyzeInfoList();
    win.w.onFocusWaveIndexChanged(focus);
    if (channel >= 0)
        win.w.setChannelFilter(channel);
    QCOMPARE(win.w.document().focusIndex(), focus);

    if (action == QLatin1String("delete")) {
        win.focusedView()->setFocus();
        QTest::keyClick(win.focusedView(), Qt::Key_Delete);
    } else {
        win.clickButton(qPrintable(action));
    }
    QCOMPARE(win.w.document().focusIndex(), expectedFocus);
    QCOMPARE(win.w.viewState().shownWaves().size(), expectedShown);
    QCOMPARE(win.wavePanel()->waveListWidget()->waveView()->shownWaves(), win.w.viewState().shownWaves());
    QCOMPARE(win.w.viewState().isShown(expectedFocus), true);
    QCOMPARE(win.w.document().canUndo(), edited);
    if (action == QLatin1String("btnSwapNextWave")) {
        // The two CH2 records changed places; the hidden waves between stayed.
        QCOMPARE(model.waveAnalyzeInfoAt(7), before.at(2));
        QCOMPARE(model.waveAnalyzeInfoAt(2), before.at(7));
        for (int i = 3; i < 7; ++i)
            QCOMPARE(model.waveAnalyzeInfoAt(i), before.at(i));
    }
}

// A filter chosen for one survey does not carry over to the next; while it
// is on, the status bar says how many waves it shows.
void TestMainFlow::channelFilterResetsForAnotherSurvey()
{
    const QString first = makeAnalysisSurvey(QStringLiteral("filter-a.ard"));
    const QString second = makeAnalysisSurvey(QStringLiteral("filter-b.ard"), 5);
    Window win;
    win.open(first);
    auto *label = win.w.findChild<QLabel *>(QStringLiteral("filterStatus"));
    QVERIFY(label);
    QVERIFY(label->isHidden());
    win.w.actionChannelCh2->trigger();
    QCOMPARE(label->text(), QStringLiteral("显示 CH2：4 / 12"));
    QVERIFY(!label->isHidden());

    win.open(second);
    QCOMPARE(win.w.currentFileName(), second);
    QCOMPARE(win.w.viewState().channelFilter(), -1);
    QCOMPARE(win.w.viewState().shownWaves().size(), 15);
    QCOMPARE(win.wavePanel()->waveListWidget()->waveView()->shownWaves().size(), 15);
    QVERIFY(win.w.actionChannelAll->isChecked());
    QVERIFY(label->isHidden());
}

// Stretch and spacing are the view state's: resizing the window keeps them,
// and the next step goes on from there.
void TestMainFlow::stretchHoldsAcrossResizes()
{
    using Scale = WaveViewState::Scale;
    const QString path = makeAnalysisSurvey(QStringLiteral("stretch.ard"));
    Window win;
    win.open(path);
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    win.w.actionViewHStretch->trigger();
    win.w.actionViewHStretch->trigger();
    win.w.actionViewSpacerAdd->trigger();
    win.w.resize(1200, 760);
    QTRY_COMPARE(win.w.size(), QSize(1200, 760));
    QApplication::processEvents();

    KvrMultiWaveAssistantWidget *list = win.wavePanel()->waveListWidget()->waveView();
    WaveScrollWidgetBase *strip = win.wavePanel()->singleWaveFrame();
    QCOMPARE(win.w.viewState().value(Scale::TimeStretch), 3.0f);
    QCOMPARE(list->timeStretch(), 3.0f);
    QCOMPARE(list->traceSpacing(), 2.0f);
    QVERIFY(qAbs(list->contentSize().height() - list->waveArea().height() * 3) <= 1.0);
    QCOMPARE(strip->hStretchScale(), 3.0f);
    QCOMPARE(strip->waveWidget()->width(), qRound(strip->scrollArea()->maximumViewportSize().width() * 3.0));
    QVERIFY(win.w.actionViewHCompress->isEnabled());

    win.w.actionViewHStretch->trigger();
    QCOMPARE(win.w.viewState().value(Scale::TimeStretch), 4.0f);
    QCOMPARE(list->timeStretch(), 4.0f);
}

// A drag over the list's depth scale shows that range in the list and the
// focused curve; stretched, both scroll together; Ctrl + wheel zooms about the
// pointer; none of it touches the survey, and another survey opens whole.
void TestMainFlow::depthWindowIsSharedByBothViews()
{
    const QString path = makeAnalysisSurvey(QStringLiteral("window.ard"));
    const QString other = makeAnalysisSurvey(QStringLiteral("window-b.ard"));
    Window win;
    win.open(path);
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    KvrMultiWaveAssistantWidget *list = win.wavePanel()->waveListWidget()->waveView();
    KvrSingleWaveAssistantWidget *one = win.focusedView();
    const WaveViewState &state = win.w.viewState();
    // The same samples at the two ends of both views (the end is exclusive).
    auto shownBy = [](int a, int b) { return QPair<int, int>(a, b); };
    auto listShows = [&]() {
        const QRectF area = list->waveArea();
        return shownBy(list->sampleAtY(area.top()), list->sampleAtY(area.top() + area.height()));
    };
    auto curveShows = [&]() {
        const QRectF area = one->panels().first();
        return shownBy(one->sampleIndexAt(int(area.left())), one->sampleIndexAt(int(area.left() + area.width())));
    };
    QCOMPARE(listShows(), shownBy(0, 1024));
    QCOMPARE(curveShows(), shownBy(0, 1024));

    const QRectF area = list->waveArea();
    const QPoint from(int(area.left()) / 2, int(area.top() + area.height() / 4));
    const QPoint to(from.x(), int(area.top() + area.height() / 2));
    const int a = list->sampleAtY(from.y()), b = list->sampleAtY(to.y());
    QTest::mousePress(list, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent drag(QEvent::MouseMove, to, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list, &drag);
    QTest::mouseRelease(list, Qt::LeftButton, Qt::NoModifier, to);
    QVERIFY(state.hasDepthWindow());
    QCOMPARE(state.depthWindow().from, a);
    QCOMPARE(state.depthWindow().to, b);
    QApplication::processEvents();
    QCOMPARE(listShows(), shownBy(a, b));
    QCOMPARE(curveShows(), shownBy(a, b));
    QVERIFY(!win.w.document().isModified());

    // Stretched within the window, scrolling either view scrolls the other.
    win.w.actionViewHStretch->trigger();
    win.w.actionViewHStretch->trigger();
    QApplication::processEvents();
    list->setScrollOffset(QPoint(0, list->contentSize().height()));
    QApplication::processEvents();
    QScrollBar *across = win.wavePanel()->singleWaveFrame()->scrollArea()->horizontalScrollBar();
    const QRectF panel = one->panels().first();
    auto curveFirst = [&]() { return one->sampleIndexAt(across->value() + int(panel.left())); };
    QVERIFY(list->sampleAtY(area.top()) > a);
    QVERIFY2(qAbs(curveFirst() - list->sampleAtY(area.top())) <= 2,
             qPrintable(QStringLiteral("%1 %2").arg(curveFirst()).arg(list->sampleAtY(area.top()))));
    across->setValue(0);
    QCOMPARE(list->sampleAtY(area.top()), a);

    // Ctrl + wheel over the curve: the sample under the pointer stays there.
    win.w.stepScale(WaveViewState::Scale::TimeStretch, -5);
    QTRY_COMPARE(across->maximum(), 0);
    const QRectF whole = one->panels().first();
    const QPoint at(int(whole.left() + whole.width() / 3), int(whole.center().y()));
    const int under = one->sampleIndexAt(at.x());
    QWheelEvent wheel(at, one->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(one, &wheel);
    QApplication::processEvents();
    QVERIFY(state.depthWindow().to - state.depthWindow().from < b - a);
    QVERIFY(qAbs(one->sampleIndexAt(at.x()) - under) <= 1);
    QCOMPARE(listShows(), curveShows());
    QVERIFY(!win.w.document().isModified());

    win.open(other);
    QCOMPARE(win.w.currentFileName(), other);
    QVERIFY(!state.hasDepthWindow());
    QCOMPARE(listShows(), shownBy(0, 1024));
}

// 视图 → 深度范围… in metres, and its reset.
void TestMainFlow::depthWindowFromTheMenu()
{
    const QString path = makeAnalysisSurvey(QStringLiteral("window-menu.ard"));
    Window win;
    win.open(path);
    WaveViewState &state = win.w.viewState();
    const double speed = win.w.fileHead()->fWaveSpeed;
    DepthWindowDialog dialog(state, speed);
    QCOMPARE(dialog.fromBox()->value(), 0.0);
    QVERIFY(qAbs(dialog.toBox()->value() - DepthWindowDialog::sampleDepth(1024, speed)) < 1e-3);
    // From and to in either order; metres at the survey's speed.
    dialog.fromBox()->setValue(1.2);
    dialog.toBox()->setValue(0.4);
    dialog.apply();
    QCOMPARE(state.depthWindow().from, DepthWindowDialog::depthSample(0.4, speed));
    QCOMPARE(state.depthWindow().to, DepthWindowDialog::depthSample(1.2, speed));
    QVERIFY(qAbs(DepthWindowDialog::sampleDepth(state.depthWindow().to, speed) - 1.2) < 0.01);
    DepthWindowDialog again(state, speed);
    QVERIFY(qAbs(again.fromBox()->value() - 0.4) < 0.01);
    again.reset();
    QVERIFY(!state.hasDepthWindow());
    QVERIFY(!win.w.document().isModified());
}

// On a small logical screen (1920 x 1080 at 200 % is 960 x 540) the wave
// list keeps a usable share of the wave panel beside the focused strip and
// the analysis panel.
void TestMainFlow::waveListKeepsItsShareOfASmallScreen()
{
    const QString path = makeAnalysisSurvey(QStringLiteral("small.ard"));
    Window win;
    win.open(path);
    win.w.resize(960, 500);
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    QTRY_COMPARE(win.w.size(), QSize(960, 500));
    QApplication::processEvents();
    const int panel = win.wavePanel()->height();
    const int list = win.wavePanel()->waveListWidget()->height();
    QVERIFY2(list >= 0.4 * panel, qPrintable(QStringLiteral("%1 of %2").arg(list).arg(panel)));
}

void TestMainFlow::analysisPanelFitsTheWindow_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<bool>("whole"); // all of it in view, without scrolling
    QTest::newRow("1280 x 800") << QSize(1280, 800) << true;
    QTest::newRow("1366 x 768") << QSize(1366, 768) << true;
    QTest::newRow("1024 x 768") << QSize(1024, 768) << false;
}

// Every text of the analysis panel gets the room it asks for, whatever the
// window; where the window is too narrow the panel scrolls sideways.
void TestMainFlow::analysisPanelFitsTheWindow()
{
    QFETCH(QSize, window);
    QFETCH(bool, whole);
    const QString path = makeSurvey(QStringLiteral("fit.ard"), 400);
    Window win;
    win.open(path);
    win.w.onFocusWaveIndexChanged(1000); // "1001 / 1200"
    win.w.resize(window);
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    QTRY_COMPARE(win.w.size(), window);
    QApplication::processEvents();
    AnalysisHelperWidget *panel = win.wavePanel()->analysisPanel();
    QScrollArea *area = win.wavePanel()->analysisPanelArea();
    QVERIFY(panel->isVisible());
    const QImage grab = panel->grab().toImage();
    QVERIFY(!grab.isNull());
    int checked = 0;
    for (QWidget *w : panel->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(panel) || w->parentWidget() != panel)
            continue;
        ++checked;
        const QRect g = w->geometry();
        if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            const int text = edit->fontMetrics().horizontalAdvance(edit->text());
            QVERIFY2(g.width() >= text + 8, qPrintable(w->objectName()));
            QVERIFY2(g.height() >= edit->minimumSizeHint().height(), qPrintable(w->objectName()));
        } else {
            // (The two order buttons are 20 x 20 by design, their icons 16.)
            const QSize hint = w->sizeHint().boundedTo(w->maximumSize());
            QVERIFY2(g.width() >= hint.width(), qPrintable(w->objectName()));
            QVERIFY2(g.height() >= hint.height(), qPrintable(w->objectName()));
        }
        QVERIFY2(panel->rect().contains(g), qPrintable(w->objectName()));
    }
    QCOMPARE(checked, 27);
    // All of the panel is in view, or (on the small screen) reached by its
    // scroll bar.
    const int hidden = qMax(0, panel->width() - area->viewport()->width());
    if (whole)
        QCOMPARE(hidden, 0);
    QCOMPARE(area->horizontalScrollBar()->maximum(), hidden);
    QVERIFY(area->viewport()->height() >= panel->minimumSizeHint().height());
}

// Size and the splitters' positions come back in the next session.
void TestMainFlow::windowRemembersItsLayout()
{
    QList<int> sizes;
    QSize size;
    {
        Window win;
        win.w.resize(760, 560); // within the 800 x 600 of the offscreen screen
        QVERIFY(QTest::qWaitForWindowExposed(&win.w));
        QTRY_COMPARE(win.w.size(), QSize(760, 560));
        QSplitter *splitter = win.w.workspace()->findChild<QSplitter *>();
        QVERIFY(splitter);
        splitter->setSizes({400, splitter->width() - 400 - splitter->handleWidth()});
        sizes = splitter->sizes();
        size = win.w.size();
        QVERIFY(win.w.close());
    }
    MainWindow again;
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QTRY_COMPARE(again.size(), size);
    QCOMPARE(again.workspace()->findChild<QSplitter *>()->sizes(), sizes);
}

void TestMainFlow::saveAsksWhenTheFileChangedOnDisk_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("覆盖") << int(MainWindow::DiskChangedAnswer::Overwrite);
    QTest::newRow("另存为") << int(MainWindow::DiskChangedAnswer::SaveAs);
    QTest::newRow("取消") << int(MainWindow::DiskChangedAnswer::Cancel);
}

// Another program changed the survey after it was opened: 保存 asks before
// it overwrites that program's work.
void TestMainFlow::saveAsksWhenTheFileChangedOnDisk()
{
    QFETCH(int, answer);
    const QString path = makeAnalysisSurvey(QStringLiteral("changed.ard"));
    const QString copy = m_dir.filePath(QStringLiteral("changed-copy.ard"));
    QFile::remove(copy);
    Window win;
    int asked = 0;
    win.w.setDiskChangedQuestion([&](const QString &) {
        ++asked;
        return MainWindow::DiskChangedAnswer(answer);
    });
    win.w.setSaveAsDialog([&](QWidget *, const QString &, const QString &, const QString &) { return copy; });
    win.open(path);
    QVERIFY(win.w.document().setFlawMark(0, 200).ok);

    // The other program's version: same length, other bytes, a new file.
    QByteArray theirs = readAll(path);
    theirs[400] = char(theirs[400] ^ 0x20);
    {
        QSaveFile other(path);
        QVERIFY(other.open(QIODevice::WriteOnly) && other.write(theirs) == theirs.size() && other.commit());
    }
    win.w.actionFileSave->trigger();
    QCOMPARE(asked, 1);
    switch (MainWindow::DiskChangedAnswer(answer)) {
    case MainWindow::DiskChangedAnswer::Overwrite:
        QVERIFY(readAll(path) != theirs);
        QVERIFY(!win.w.hasUnsavedChanges());
        break;
    case MainWindow::DiskChangedAnswer::SaveAs:
        QCOMPARE(readAll(path), theirs);
        QVERIFY(QFileInfo::exists(copy));
        QCOMPARE(win.w.document().filePath(), copy);
        QVERIFY(!win.w.hasUnsavedChanges());
        break;
    case MainWindow::DiskChangedAnswer::Cancel:
        QCOMPARE(readAll(path), theirs);
        QVERIFY(win.w.hasUnsavedChanges());
        break;
    }
    // Once saved, the file on disk is this window's own again: no question.
    if (!win.w.hasUnsavedChanges()) {
        QVERIFY(win.w.document().setFlawMark(1, 220).ok);
        win.w.actionFileSave->trigger();
        QCOMPARE(asked, 1);
    }
}

QTEST_MAIN(TestMainFlow)
#include "test_mainflow.moc"
