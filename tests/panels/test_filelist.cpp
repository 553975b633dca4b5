#include "app/systemconfig.h"
#include "panels/filelistwidget.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestFileList : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fillAndDoubleClick();
    void openFileDialog_data();
    void openFileDialog();
    void naturalOrder_data();
    void naturalOrder();
    void followsItsFolder();

private:
    static void touch(const QString &path)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

    QTemporaryDir m_root;
};

void TestFileList::initTestCase()
{
    QVERIFY(m_root.isValid());
    SystemConfig::instance().init(m_root.filePath(QStringLiteral("param_config.xml")));
}

// Regular ".ard" files only: no other suffix, no symbolic link, no folder.
void TestFileList::fillAndDoubleClick()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString d = QDir(dir.path()).absolutePath();
    touch(d + "/a.ard");
    touch(d + "/b.ard");
    touch(d + "/notes.txt");
    QVERIFY(QFile::link(d + "/a.ard", d + "/link.ard"));
    QVERIFY(QDir(d).mkdir(QStringLiteral("folder.ard")));

    FileListWidget w;
    auto *list = w.findChild<QListWidget *>(QStringLiteral("listWidgetFileName"));
    auto *edit = w.findChild<QLineEdit *>(QStringLiteral("editCurrentDir"));
    QVERIFY(list && edit);
    QVERIFY(!edit->isEnabled());
    QSignalSpy selected(&w, &FileListWidget::selectedFile);

    w.setCurrentFile(d + "/b.ard");
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).toString(), d);
    QCOMPARE(selected.at(0).at(1).toString(), d + "/b.ard");
    QCOMPARE(edit->text(), d);
    QStringList names = w.fileNames();
    names.sort();
    QCOMPARE(names, (QStringList {QStringLiteral("a.ard"), QStringLiteral("b.ard")}));
    QCOMPARE(list->count(), 2);
    QVERIFY(list->currentItem());
    QCOMPARE(list->currentItem()->text(), QStringLiteral("b.ard"));

    w.resize(300, 300);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QListWidgetItem *a = list->findItems(QStringLiteral("a.ard"), Qt::MatchExactly).value(0);
    QVERIFY(a);
    const QPoint at = list->visualItemRect(a).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(selected.count(), 2);
    QCOMPARE(selected.at(1).at(0).toString(), d);
    QCOMPARE(selected.at(1).at(1).toString(), d + "/a.ard");
    QCOMPARE(w.currentFilePath(), d + "/a.ard");
}

void TestFileList::openFileDialog_data()
{
    QTest::addColumn<bool>("lastDirExists");
    QTest::addColumn<bool>("chooseFile"); // false: the user cancels
    QTest::newRow("deleted last directory falls back to the desktop") << false << true;
    QTest::newRow("last directory, file chosen") << true << true;
    QTest::newRow("cancelled") << true << false;
}

void TestFileList::openFileDialog()
{
    QFETCH(bool, lastDirExists);
    QFETCH(bool, chooseFile);
    SystemConfig &config = SystemConfig::instance();

    QTemporaryDir last, data;
    QVERIFY(last.isValid() && data.isValid());
    const QString lastPath = QDir(last.path()).absolutePath();
    const QString dataPath = QDir(data.path()).absolutePath();
    touch(dataPath + "/survey.ard");
    config.setLastOpenFilePath(lastPath);
    if (!lastDirExists)
        QVERIFY(last.remove());
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);

    FileListWidget w;
    w.setFileSuffix(QStringLiteral(".ard"));
    w.setFileDescription(QStringLiteral("桩底溶洞数据文件"));
    QString shownTitle, shownDir, shownFilter, configDuringDialog;
    w.setOpenFileDialogFunc([&](QWidget *, const QString &title, const QString &dir, const QString &filter) {
        shownTitle = title;
        shownDir = dir;
        shownFilter = filter;
        configDuringDialog = config.getLastOpenFilePath();
        return chooseFile ? dataPath + "/survey.ard" : QString();
    });
    QSignalSpy selected(&w, &FileListWidget::selectedFile);

    QCOMPARE(w.openFileDialog(), chooseFile);
    QCOMPARE(shownTitle, QStringLiteral("打开文件"));
    QCOMPARE(shownFilter, QStringLiteral("桩底溶洞数据文件 (*.ard)"));
    QCOMPARE(shownDir, lastDirExists ? lastPath : desktop);
    // A missing directory is replaced in the configuration before the dialog.
    QCOMPARE(configDuringDialog, shownDir);

    // The file written to disk holds the same directory as memory.
    SystemConfig::instance().init(config.path());
    if (chooseFile) {
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.at(0).at(0).toString(), dataPath);
        QCOMPARE(selected.at(0).at(1).toString(), dataPath + "/survey.ard");
        QCOMPARE(w.currentDir(), dataPath);
        QCOMPARE(w.fileNames(), QStringList {QStringLiteral("survey.ard")});
        QCOMPARE(config.getLastOpenFilePath(), dataPath);
    } else {
        QCOMPARE(selected.count(), 0);
        QVERIFY(w.fileNames().isEmpty());
        QCOMPARE(config.getLastOpenFilePath(), lastPath);
    }
}

void TestFileList::naturalOrder_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("numbers by value") << QStringList {"P10.ard", "P2.ard", "P1.ard", "P100.ard"}
                                      << QStringList {"P1.ard", "P2.ard", "P10.ard", "P100.ard"};
    QTest::newRow("case does not split the order")
        << QStringList {"p3.ard", "P2.ard", "b1.ard", "A9.ard"} << QStringList {"A9.ard", "b1.ard", "P2.ard", "p3.ard"};
    QTest::newRow("numbers inside names") << QStringList {"桩12_3.ard", "桩12_10.ard", "桩2_1.ard"}
                                          << QStringList {"桩2_1.ard", "桩12_3.ard", "桩12_10.ard"};
}

// The list shows a directory in natural order, also the one remembered from
// the last session (shown without choosing a file).
void TestFileList::naturalOrder()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, listed);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString &name : files)
        touch(dir.filePath(name));
    FileListWidget w;
    QSignalSpy selected(&w, &FileListWidget::selectedFile);
    w.showDirectory(dir.path());
    QCOMPARE(w.fileNames(), listed);
    auto *list = w.findChild<QListWidget *>(QStringLiteral("listWidgetFileName"));
    QCOMPARE(list->item(0)->text(), listed.first());
    QCOMPARE(selected.count(), 0);
    // A directory that is gone leaves the list as it is.
    w.showDirectory(dir.filePath(QStringLiteral("gone")));
    QCOMPARE(w.fileNames(), listed);
}

// A survey written into the shown folder appears, a removed one goes, and
// the row the engineer picked stays picked.
void TestFileList::followsItsFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString d = QDir(dir.path()).absolutePath();
    touch(d + "/a.ard");
    touch(d + "/b.ard");
    FileListWidget w;
    auto *list = w.findChild<QListWidget *>(QStringLiteral("listWidgetFileName"));
    w.showCurrentFile(d + "/b.ard");
    list->setCurrentItem(list->findItems(QStringLiteral("a.ard"), Qt::MatchExactly).value(0));

    touch(d + "/new.ard");
    QTRY_COMPARE(list->count(), 3);
    QCOMPARE(list->currentItem()->text(), QStringLiteral("a.ard"));
    QVERIFY(QFile::remove(d + "/b.ard"));
    QTRY_COMPARE(list->count(), 2);
    QCOMPARE(list->item(1)->text(), QStringLiteral("new.ard"));
}

QTEST_MAIN(TestFileList)
#include "test_filelist.moc"
