// The main window end to end, driven through the same signals and widgets a
// user's actions reach: open a survey from the file list, mark a flaw,
// swap and delete waves, save, reopen, and the safety nets around them.
#include "app/systemconfig.h"
#include "datafile/kvrdocument.h"
#include "datafile/synth.h"
#include "ui/mainwindow.h"
#include "panels/filelistwidget.h"
#include "views/kvrmultiwaveassistantwidget.h"
#include "views/kvrsinglewaveassistantwidget.h"
#include "views/kvrwavewidget.h"
#include "workspace/showkvrinfowidget.h"
#include "workspace/showkvrwavedatawidget.h"
#include "workspace/showkvrwavewidget.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtTest>

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
    void open(const QString &path) { w.workspace()->infoWidget()->fileListWidget()->setCurrentFile(path); }
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
    void flawMarkEnablesSavingAndSurvivesReopen();
    void channelDeleteSurvivesReopen();
    void swapSurvivesReopen();
    void rejectedFileKeepsTheOpenDocument();
    void failedSaveKeepsFileAndChanges();
    void closingWithChangesAndCancelKeepsTheWindow();

private:
    QString makeSurvey(const QString &name, int points = 4);
    QTemporaryDir m_dir;
};

void TestMainFlow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("KVR_DATA_ROOT", m_dir.filePath(QStringLiteral("root/")).toUtf8());
    SystemConfig::instance().init(m_dir.filePath(QStringLiteral("param_config.xml")));
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

void TestMainFlow::openingAnOriginalShowsItsWaves()
{
    const QString path = makeSurvey(QStringLiteral("open.ard"));
    Window win;
    win.open(path);
    QVERIFY(win.w.isFileLoaded());
    QCOMPARE(win.w.workspace()->waveCount(), 12);
    QCOMPARE(win.wavePanel()->waveListWidget()->waveCount(), 12);
    QCOMPARE(win.w.workspace()->focusWaveIndex(), 0);
    QVERIFY(!win.w.actionFileSave->isEnabled());
    QVERIFY(win.w.actionFilePrint->isEnabled());
    QVERIFY(win.messages.isEmpty());
    // An original file opens as an unsaved analysis file.
    QVERIFY(win.w.hasUnsavedChanges());
    QVERIFY(win.w.windowTitle().startsWith(QStringLiteral("open.ard")));
    QVERIFY(win.w.isWindowModified());
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
    QCOMPARE(win.w.workspace()->waveCount(), 11);
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
        QCOMPARE(win.w.workspace()->waveAnalyzeInfoAt(0)->fChannelAngle, second);
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
    win.open(good);
    win.clickButton("btnSwapNextWave");
    QVERIFY(win.w.actionFileSave->isEnabled());

    win.open(bad);
    QCOMPARE(win.messages, QStringList {QStringLiteral("提示|文件不完整或者格式不正确！")});
    QCOMPARE(win.w.document().filePath(), good);
    QCOMPARE(win.w.workspace()->waveCount(), 12);
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

void TestMainFlow::closingWithChangesAndCancelKeepsTheWindow()
{
    const QString path = makeSurvey(QStringLiteral("close.ard"));
    Window win;
    win.open(path);
    win.clickButton("btnSwapNextWave");
    QString asked;
    win.w.setCloseQuestion([&asked](const QString &name) {
        asked = name;
        return MainWindow::CloseAnswer::Cancel;
    });
    QVERIFY(!win.w.close());
    QVERIFY(win.w.isVisible());
    QCOMPARE(asked, path);
}

QTEST_MAIN(TestMainFlow)
#include "test_mainflow.moc"
