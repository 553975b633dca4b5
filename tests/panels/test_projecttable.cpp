// The project table follows its folder and opens a survey on a double-click;
// the batch dialog can be cancelled without leaving a partial report.
#include "../datafile/fixtures.h"
#include "panels/batchoutputdialog.h"
#include "panels/projecttablewidget.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace fixtures;

class TestProjectTable : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void followsTheFolder();
    void doubleClickOpens();
    void batchDialogCancels();

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_root;
};

void TestProjectTable::initTestCase()
{
    QVERIFY(m_dir.isValid() && m_root.isValid());
    qputenv("KVR_DATA_ROOT", m_root.path().toLocal8Bit());
    SynthOptions o;
    o.points = 3;
    QVERIFY(!makeAnalysis(m_dir.filePath("P2.ard"), o).isEmpty());
    o.seed = 2;
    QVERIFY(!makeAnalysis(m_dir.filePath("P10.ard"), o).isEmpty());
    QVERIFY(writeAll(m_dir.filePath("P7.ard"), "broken"));
}

void TestProjectTable::followsTheFolder()
{
    ProjectTableWidget table;
    table.setFolder(m_dir.path());
    QTRY_COMPARE(table.rows().size(), 3);
    QTRY_VERIFY(!table.isBusy());
    // Natural order; the damaged survey is a row with its error.
    const QStringList order = table.allSurveys();
    QCOMPARE(QFileInfo(order.value(0)).fileName(), QStringLiteral("P2.ard"));
    QCOMPARE(QFileInfo(order.value(2)).fileName(), QStringLiteral("P10.ard"));
    const QAbstractItemModel *m = table.view()->model();
    QCOMPARE(m->index(1, ProjectTableModel::File).data().toString(), QStringLiteral("P7.ard"));
    QVERIFY(m->index(1, ProjectTableModel::Pile).data().toString().contains(QStringLiteral("无法读取")));
    QCOMPARE(m->index(0, ProjectTableModel::Waves).data().toInt(), 9);

    QVERIFY(QFile::copy(m_dir.filePath("P2.ard"), m_dir.filePath("P3.ard")));
    QTRY_COMPARE_WITH_TIMEOUT(table.rows().size(), 4, 10000);
    QVERIFY(QFile::remove(m_dir.filePath("P3.ard")));
    QTRY_COMPARE_WITH_TIMEOUT(table.rows().size(), 3, 10000);

    // A report beside a survey shows in its row.
    QVERIFY(writeAll(m_dir.filePath("P10.pdf"), "%PDF"));
    QTRY_VERIFY_WITH_TIMEOUT(
        m->index(2, ProjectTableModel::Report).data().toString().startsWith(QStringLiteral("已输出")), 10000);
    QVERIFY(QFile::remove(m_dir.filePath("P10.pdf")));
}

void TestProjectTable::doubleClickOpens()
{
    ProjectTableWidget table;
    table.resize(800, 400);
    table.show();
    table.setFolder(m_dir.path());
    QTRY_COMPARE(table.rows().size(), 3);
    QSignalSpy open(&table, &ProjectTableWidget::openRequested);
    QTableView *view = table.view();
    const QRect cell = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(open.count(), 1);
    QCOMPARE(open.at(0).at(0).toString(), QFileInfo(m_dir.filePath("P10.ard")).absoluteFilePath());
}

void TestProjectTable::batchDialogCancels()
{
    QTemporaryDir out;
    const QStringList surveys = {m_dir.filePath("P2.ard"), m_dir.filePath("P10.ard")};
    BatchOutputDialog dialog(surveys, {}, out.path());
    QSignalSpy done(&dialog, &BatchOutputDialog::finishedAll);
    QVERIFY(dialog.start());
    dialog.cancel();
    QVERIFY(done.wait(60000));
    // What was under way is finished; nothing half written remains.
    for (const BatchOutcome &o : dialog.outcomes())
        QVERIFY(o.state == BatchOutcome::Written || o.state == BatchOutcome::Cancelled);
    const QStringList files = QDir(out.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString &f : files)
        QVERIFY2(f == QLatin1String("P2.pdf") || f == QLatin1String("P10.pdf"), qPrintable(f));
    int written = 0;
    for (const BatchOutcome &o : dialog.outcomes())
        written += o.state == BatchOutcome::Written ? 1 : 0;
    QCOMPARE(files.size(), written);
}

QTEST_MAIN(TestProjectTable)
#include "test_projecttable.moc"
