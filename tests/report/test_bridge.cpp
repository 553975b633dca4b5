// The bridge as a whole: scanning a folder of surveys, the summary outputs
// and the batch of reports.
#include "../datafile/clirun.h"
#include "../datafile/fixtures.h"
#include "datafile/surveyscan.h"
#include "docxfixture.h"
#include "report/render/batchreport.h"
#include "report/render/reportpdf.h"
#include "report/render/summarytable.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace fixtures;

namespace {

// One part of a zip archive.
QByteArray zipPart(const QString &zipPath, const QString &name) { return readZip(zipPath).value(name); }

struct Cell {
    QString type, style, text;
};

// The cells of the first worksheet by reference ("A1").
QHash<QString, Cell> sheetCells(const QString &xlsx)
{
    QHash<QString, Cell> cells;
    QXmlStreamReader x(zipPart(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement())
            continue;
        if (x.name() == QLatin1String("c")) {
            ref = x.attributes().value("r").toString();
            cells[ref] = {x.attributes().value("t").toString(), x.attributes().value("s").toString(), QString()};
        } else if (x.name() == QLatin1String("t") || x.name() == QLatin1String("v")) {
            cells[ref].text = x.readElementText();
        }
    }
    return cells;
}

// A PDF without its creation and change times.
QByteArray withoutDates(QByteArray pdf)
{
    for (const QByteArray &key : {QByteArray("/CreationDate ("), QByteArray("/ModDate (")}) {
        const int at = pdf.indexOf(key);
        if (at >= 0)
            pdf.remove(at, pdf.indexOf(')', at) + 1 - at);
    }
    return pdf;
}

} // namespace

class TestBridge : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void naturalOrder_data();
    void naturalOrder();
    void scanAgreesWithOpening();
    void cacheFollowsChanges();
    void summaryJson();
    void summaryFiles();
    void batchNamesKeepsAndFails();
    void batchSameBytesAsSingleReport();
    void cancelledBatchLeavesNoPartialFile();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
    QTemporaryDir m_root;
    double m_roofP1 = 0;
    double m_heightP1 = 0;
};

void TestBridge::initTestCase()
{
    QVERIFY(m_dir.isValid() && m_root.isValid());
    qputenv("KVR_DATA_ROOT", m_root.path().toLocal8Bit());
    SynthOptions o;
    o.points = 4;
    o.samples = 2048;
    // P1: marks on two waves; P2: an analysis file without marks; P10: an
    // original survey; P3: cut inside its header; notes.txt: not a survey.
    QVERIFY(!makeAnalysis(path("P1.ard"), o).isEmpty());
    {
        KvrDocument doc;
        QVERIFY(doc.open(path("P1.ard")).ok);
        QVERIFY(doc.setFlawMarks({{3, 1000}, {5, 1500}}, QStringLiteral("marks")).ok);
        QVERIFY(doc.setFlawBottom(3, 1200).ok);
        QVERIFY(doc.save().ok);
        m_roofP1 = 1000 * 0.002 * double(doc.fileHead()->fWaveSpeed) / 2000.0;
        m_heightP1 = 200 * 0.002 * double(doc.fileHead()->fWaveSpeed) / 2000.0;
    }
    o.seed = 2;
    QVERIFY(!makeAnalysis(path("P2.ard"), o).isEmpty());
    o.seed = 3;
    QVERIFY(!makeOriginal(path("P10.ard"), o).isEmpty());
    QVERIFY(writeAll(path("P3.ard"), readAll(path("P2.ard")).left(5000)));
    QVERIFY(writeAll(path("notes.txt"), "not a survey\n"));
}

void TestBridge::naturalOrder_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("numbers") << QStringList {"P10", "P2", "P1"} << QStringList {"P1", "P2", "P10"};
    QTest::newRow("case and zeros") << QStringList {"p02", "P1", "p010"} << QStringList {"P1", "p02", "p010"};
    QTest::newRow("piers") << QStringList {"12#-3", "2#-10", "2#-9"} << QStringList {"2#-9", "2#-10", "12#-3"};
}

void TestBridge::naturalOrder()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, sorted);
    naturalSort(names);
    QCOMPARE(names, sorted);
}

void TestBridge::scanAgreesWithOpening()
{
    const QStringList surveys = surveysInFolder(m_dir.path());
    QStringList names;
    for (const QString &s : surveys)
        names << QFileInfo(s).fileName();
    QCOMPARE(names, (QStringList {"P1.ard", "P2.ard", "P3.ard", "P10.ard"}));
    for (const QString &s : surveys) {
        const SurveyScan scan = scanSurvey(s);
        KvrDocument doc;
        const DocResult r = doc.open(s);
        QCOMPARE(scan.ok(), r.ok);
        if (!r.ok) {
            QVERIFY(scan.error.contains(QStringLiteral("格式不正确")));
            continue;
        }
        QCOMPARE(scan.points, doc.model().groupCount());
        QCOMPARE(scan.waves, doc.model().waveCount());
        QCOMPARE(scan.head.fWaveSpeed, doc.fileHead()->fWaveSpeed);
        // The same waves with the same marks (the opening may order them otherwise).
        QMap<QPair<int, int>, int> scanned, opened;
        for (const WaveAnalyzeInfoPtr &a : scan.infos)
            scanned[{a->nMeasurePoint, a->nChannel}] = a->nFlawPos;
        for (const WaveAnalyzeInfoPtr &a : doc.model().waveAnalyzeInfoList())
            opened[{a->nMeasurePoint, a->nChannel}] = a->nFlawPos;
        QCOMPARE(scanned, opened);
    }
}

void TestBridge::cacheFollowsChanges()
{
    QVERIFY(QFile::copy(path("P2.ard"), path("c.ard")));
    SurveyScanCache cache;
    QCOMPARE(cache.scan(path("c.ard")).waves, 12);
    QCOMPARE(pileFindings(cache.scan(path("c.ard")).infos, {}, 0).marks, 0);
    {
        KvrDocument doc;
        QVERIFY(doc.open(path("c.ard")).ok);
        QVERIFY(doc.setFlawMarks({{0, 700}}, QStringLiteral("mark")).ok);
        QVERIFY(doc.save().ok);
    }
    QFile f(path("c.ard"));
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    f.close();
    QCOMPARE(pileFindings(cache.scan(path("c.ard")).infos, {}, 0).marks, 1);
    QVERIFY(QFile::remove(path("c.ard")));
    QVERIFY(!cache.scan(path("c.ard")).ok());
}

void TestBridge::summaryJson()
{
    const Run r = runCli({"summary", m_dir.path(), "--json", "--diameter", "1"}, m_dir.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("P3.ard")), qPrintable(r.err));
    QVERIFY(!r.err.contains(QStringLiteral("P1.ard")));
    const QJsonArray s = QJsonDocument::fromJson(r.out).object().value("surveys").toArray();
    QCOMPARE(s.size(), 4);
    const QJsonObject p1 = s[0].toObject(), p2 = s[1].toObject(), p3 = s[2].toObject(), p10 = s[3].toObject();
    QCOMPARE(p1.value("file").toString(), QStringLiteral("P1.ard"));
    QCOMPARE(p1.value("pilingNumber").toString(), QStringLiteral("3#墩-2号桩"));
    QCOMPARE(p1.value("points").toInt(), 4);
    QCOMPARE(p1.value("waves").toInt(), 12);
    QCOMPARE(p1.value("marks").toInt(), 2);
    QVERIFY(qAbs(p1.value("roofM").toDouble() - m_roofP1) < 0.001);
    QVERIFY(qAbs(p1.value("caveHeightM").toDouble() - m_heightP1) < 0.001);
    QCOMPARE(p1.value("meets"), QJsonValue(false)); // the roof lies inside the 5 m zone
    QVERIFY(p1.value("error").isNull());
    QCOMPARE(p2.value("marks").toInt(), 0);
    QVERIFY(p2.value("roofM").isNull());
    QCOMPARE(p2.value("meets"), QJsonValue(true));
    QVERIFY(!p3.value("error").toString().isEmpty());
    QVERIFY(p3.value("meets").isNull());
    QCOMPARE(p10.value("file").toString(), QStringLiteral("P10.ard"));
    QCOMPARE(p10.value("waves").toInt(), 12);

    // Without a diameter nothing is assessed.
    const Run plain = runCli({"summary", "P1.ard", "P2.ard", "--json"}, m_dir.path());
    QCOMPARE(plain.code, 0);
    for (const QJsonValue &v : QJsonDocument::fromJson(plain.out).object().value("surveys").toArray())
        QVERIFY(v.toObject().value("meets").isNull());
}

void TestBridge::summaryFiles()
{
    QTemporaryDir out;
    const QString xlsx = out.filePath("s.xlsx"), csv = out.filePath("s.csv"), pdf = out.filePath("s.pdf");
    for (const QString &o : {xlsx, csv, pdf})
        QCOMPARE(runCli({"summary", ".", "-o", o}, m_dir.path()).code, 1); // P3 is damaged
    QCOMPARE(runCli({"summary", ".", "-o", out.filePath("s.ods")}, m_dir.path()).code, 2);

    // Workbook: title, header, numbers as numbers (two decimals), texts as texts, frozen header.
    const QHash<QString, Cell> cells = sheetCells(xlsx);
    QVERIFY(cells.value("A1").text.contains(QStringLiteral("汇总")));
    QCOMPARE(cells.value("A2").text, QStringLiteral("文件"));
    QCOMPARE(cells.value("A3").text, QStringLiteral("P1.ard"));
    QCOMPARE(cells.value("A3").type, QStringLiteral("inlineStr"));
    QCOMPARE(cells.value("C3").type, QString()); // a number
    QCOMPARE(cells.value("C3").text, QStringLiteral("4"));
    QCOMPARE(cells.value("E3").text, QStringLiteral("2"));
    QVERIFY(qAbs(cells.value("F3").text.toDouble() - m_roofP1) < 1e-9);
    const QString numberStyle = cells.value("F3").style;
    QVERIFY(zipPart(xlsx, "xl/styles.xml").contains("formatCode=\"0.00\""));
    QVERIFY(!numberStyle.isEmpty());
    QVERIFY(!cells.contains("F4"));                                         // no roof without marks
    QVERIFY(cells.value("I5").text.contains(QStringLiteral("格式不正确"))); // P3's error
    QVERIFY(!cells.contains("C5"));
    QCOMPARE(cells.value("A6").text, QStringLiteral("P10.ard"));
    QVERIFY(zipPart(xlsx, "xl/worksheets/sheet1.xml").contains("state=\"frozen\""));

    // CSV: byte-order mark, then the same rows.
    const QByteArray bytes = readAll(csv);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(
        lines[1],
        QStringLiteral("P1.ard,3#墩-2号桩,4,12,2,%1,%2,未评定,").arg(m_roofP1, 0, 'f', 2).arg(m_heightP1, 0, 'f', 2));
    QVERIFY(lines[3].startsWith(QStringLiteral("P3.ard,,,,,,,,")));
    QCOMPARE(runCli({"summary", ".", "-o", csv, "--no-bom"}, m_dir.path()).code, 1);
    QVERIFY(readAll(csv).startsWith("文件"));

    QString why;
    QVERIFY2(isCompletePdf(readAll(pdf), &why), qPrintable(why));
}

void TestBridge::batchNamesKeepsAndFails()
{
    QTemporaryDir tmp;
    const QString out = tmp.filePath("reports/new");
    Run r = runCli({"batch", "image", ".", "-o", out, "-j", "2"}, m_dir.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("P3.ard")), qPrintable(r.err));
    QCOMPARE(QDir(out).entryList(QDir::Files), (QStringList {"P1.png", "P10.png", "P2.png"}));
    QCOMPARE(QString::fromUtf8(r.out).split('\n', Qt::SkipEmptyParts).size(), 3);

    // Existing reports are kept unless asked to replace them.
    QVERIFY(writeAll(QDir(out).filePath("P2.png"), "old"));
    r = runCli({"batch", "image", "P1.ard", "P2.ard", "-o", out}, m_dir.path());
    QCOMPARE(r.code, 0);
    QCOMPARE(readAll(QDir(out).filePath("P2.png")), QByteArray("old"));
    QVERIFY(r.err.contains(QStringLiteral("P2.png")));
    r = runCli({"batch", "image", "P2.ard", "-o", out, "--overwrite"}, m_dir.path());
    QCOMPARE(r.code, 0);
    QVERIFY(readAll(QDir(out).filePath("P2.png")).startsWith("\x89PNG"));
    QCOMPARE(QDir(out).entryList(QDir::Files).size(), 3);
}

void TestBridge::batchSameBytesAsSingleReport()
{
    QTemporaryDir out;
    const QStringList field = {"--field", "fPileDiameter=1.2"};
    QCOMPARE(runCli(QStringList {"batch", "pdf", "P1.ard", "P2.ard", "-o", out.path()} + field, m_dir.path()).code, 0);
    QCOMPARE(runCli(QStringList {"pdf", "P1.ard", "-o", out.filePath("single.pdf")} + field, m_dir.path()).code, 0);
    QCOMPARE(withoutDates(readAll(out.filePath("P1.pdf"))), withoutDates(readAll(out.filePath("single.pdf"))));
    QVERIFY(withoutDates(readAll(out.filePath("P1.pdf"))) != withoutDates(readAll(out.filePath("P2.pdf"))));
}

void TestBridge::cancelledBatchLeavesNoPartialFile()
{
    QTemporaryDir out;
    QVector<ReportJob> jobs;
    for (const QString s : {"P1.ard", "P2.ard", "P10.ard"})
        jobs << ReportJob {ReportKind::Pdf, path(s), reportPathFor(out.path(), s, ReportKind::Pdf), {}, {}};
    std::atomic<bool> cancel {false};
    BatchOptions options;
    options.workers = 1;
    options.cancel = &cancel;
    options.progress = [&cancel](int, int, const BatchOutcome &) { cancel = true; };
    const QVector<BatchOutcome> o = runReportBatch(jobs, options);
    QCOMPARE(o[0].state, BatchOutcome::Written);
    QCOMPARE(o[1].state, BatchOutcome::Cancelled);
    QCOMPARE(o[2].state, BatchOutcome::Cancelled);
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList {"P1.pdf"});
}

QTEST_MAIN(TestBridge)
#include "test_bridge.moc"
