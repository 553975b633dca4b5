#include "fixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace fixtures;

namespace {

struct Run {
    int code = -1;
    QByteArray out;
    QString err;
};

Run runCli(const QStringList &args, const QString &cwd)
{
    QProcess p;
    p.setWorkingDirectory(cwd);
    p.start(QStringLiteral(KVR_CLI), args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestKvrCli : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void exitCodes_data();
    void exitCodes();
    void infoJson();
    void convertAndExport();

private:
    QTemporaryDir m_dir;
};

void TestKvrCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const Run r = runCli({QStringLiteral("synth"), QStringLiteral("-o"), QStringLiteral("s.ard"),
                          QStringLiteral("--points"), QStringLiteral("4"), QStringLiteral("--samples"),
                          QStringLiteral("1024"), QStringLiteral("--missing"), QStringLiteral("1:2")},
                         m_dir.path());
    QCOMPARE(r.code, 0);
    QByteArray bytes = readAll(m_dir.filePath(QStringLiteral("s.ard")));
    QCOMPARE(bytes.size(), FILE_HEAD_SIZE + 4 * GroupSize);
    bytes.chop(10);
    QVERIFY(writeAll(m_dir.filePath(QStringLiteral("cut.ard")), bytes));
}

void TestKvrCli::exitCodes_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("stderrHas");
    QTest::newRow("missing file") << QStringList {"info", "none.ard"} << 1
                                  << QStringLiteral("未检测到文件 none.ard ！");
    QTest::newRow("rejected file") << QStringList {"info", "cut.ard"} << 1
                                   << QStringLiteral("文件不完整或者格式不正确！");
    QTest::newRow("convert rejected") << QStringList {"convert", "cut.ard", "-o", "x.ard"} << 1
                                      << QStringLiteral("文件不完整或者格式不正确！");
    QTest::newRow("no command") << QStringList {} << 2 << QStringLiteral("usage");
    QTest::newRow("unknown command") << QStringList {"frobnicate"} << 2 << QStringLiteral("usage");
    QTest::newRow("unknown option") << QStringList {"info", "s.ard", "--xml"} << 2 << QStringLiteral("--xml");
    QTest::newRow("export without -o") << QStringList {"export-csv", "s.ard"} << 2 << QStringLiteral("usage");
    QTest::newRow("synth bad samples") << QStringList {"synth", "-o", "y.ard", "--samples", "9000"} << 2
                                       << QStringLiteral("--samples");
    QTest::newRow("synth bad missing") << QStringList {"synth", "-o", "y.ard", "--missing", "99:0"} << 2
                                       << QStringLiteral("--missing");
    QTest::newRow("report depth not a number")
        << QStringList {"pdf", "s.ard", "-o", "y.pdf", "--field", "fPileDepth=nan"} << 2
        << QStringLiteral("fPileDepth");
    QTest::newRow("report diameter out of range")
        << QStringList {"word", "s.ard", "-o", "y.docx", "--field", "fPileDiameter=12345678901234567890"} << 2
        << QStringLiteral("fPileDiameter");
}

void TestKvrCli::exitCodes()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, stderrHas);
    const Run r = runCli(args, m_dir.path());
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(stderrHas), qPrintable(r.err.right(400)));
    QVERIFY(r.out.isEmpty());
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("y.ard"))));
}

void TestKvrCli::infoJson()
{
    const Run r = runCli({QStringLiteral("info"), QStringLiteral("s.ard"), QStringLiteral("--json")}, m_dir.path());
    QCOMPARE(r.code, 0);
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(r.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError); // nothing but JSON on stdout
    const QStringList keys = {"kind",
                              "fileTypeVersion",
                              "waveGroupCnt",
                              "deleteChannelCnt",
                              "fWaveSpeed",
                              "fWaveZoomScale",
                              "fOffsetAngle",
                              "workName",
                              "detectUnit",
                              "detectName",
                              "pilingNumber",
                              "detectTime",
                              "maxSamplePoints",
                              "waves"};
    QStringList actual = o.keys();
    QStringList expected = keys;
    actual.sort();
    expected.sort();
    QCOMPARE(actual, expected);
    QCOMPARE(o.value("kind").toString(), QStringLiteral("ORG"));
    QCOMPARE(o.value("fileTypeVersion").toString(), QStringLiteral("ARD-ANA V1.1.2736"));
    QCOMPARE(o.value("waveGroupCnt").toInt(), 4);
    QCOMPARE(o.value("maxSamplePoints").toInt(), 1024);
    QCOMPARE(o.value("workName").toString(), QStringLiteral("清江特大桥桩基工程"));
    const QJsonArray waves = o.value("waves").toArray();
    QCOMPARE(waves.size(), 11);
    const QStringList waveKeys = {"nMeasurePoint", "nChannel",     "fChannelAngle",  "nFlawPos",    "nLowCutoff",
                                  "nHighCutoff",   "nFilterOrder", "nFilterWindow",  "fManualGain", "blUserOrder",
                                  "nDataCnt",      "dMainFreq",    "dFilterMainFreq"};
    QStringList wk = waves.first().toObject().keys();
    QStringList we = waveKeys;
    wk.sort();
    we.sort();
    QCOMPARE(wk, we);
    double previous = -1;
    for (const QJsonValue &w : waves) {
        QVERIFY(w.toObject().value("fChannelAngle").toDouble() >= previous);
        previous = w.toObject().value("fChannelAngle").toDouble();
        QVERIFY(!(w.toObject().value("nMeasurePoint").toInt() == 1 && w.toObject().value("nChannel").toInt() == 2));
    }
}

void TestKvrCli::convertAndExport()
{
    const QByteArray before = readAll(m_dir.filePath(QStringLiteral("s.ard")));
    Run r = runCli({QStringLiteral("convert"), QStringLiteral("s.ard"), QStringLiteral("-o"), QStringLiteral("a.ard")},
                   m_dir.path());
    QCOMPARE(r.code, 0);
    QVERIFY(readAll(m_dir.filePath(QStringLiteral("s.ard"))) == before);
    QCOMPARE(readAll(m_dir.filePath(QStringLiteral("a.ard"))).size(),
             FILE_HEAD_SIZE + 4 * GroupSize + 11 * AnaDataSize);

    r = runCli({QStringLiteral("info"), QStringLiteral("a.ard"), QStringLiteral("--json")}, m_dir.path());
    QCOMPARE(r.code, 0);
    QCOMPARE(QJsonDocument::fromJson(r.out).object().value("kind").toString(), QStringLiteral("ANA"));

    for (const bool original : {false, true}) {
        QStringList args = {QStringLiteral("export-csv"), QStringLiteral("a.ard"), QStringLiteral("-o"),
                            QStringLiteral("w.csv")};
        if (original)
            args << QStringLiteral("--original");
        QCOMPARE(runCli(args, m_dir.path()).code, 0);
        const QList<QByteArray> lines = readAll(m_dir.filePath(QStringLiteral("w.csv"))).split('\n');
        QCOMPARE(lines.size(), 1 + 1024 + 1); // header, samples, final newline
        const QList<QByteArray> header = lines.first().split(',');
        QCOMPARE(header.size(), 11);
        QVERIFY(!header.contains("P2-CH3"));
        QCOMPARE(lines.at(1).split(',').size(), 11);
        if (original) {
            KvrDocument doc;
            QVERIFY(doc.open(m_dir.filePath(QStringLiteral("a.ard"))).ok);
            const WaveAnalyzeInfoPtr first = doc.model().waveAnalyzeInfoAt(0);
            QCOMPARE(header.first(),
                     QStringLiteral("P%1-CH%2").arg(first->nMeasurePoint + 1).arg(first->nChannel + 1).toUtf8());
            const WaveBlock &b = *doc.model().waveGroupAt(first->nMeasurePoint)->blocks[first->nChannel];
            QCOMPARE(lines.at(1).split(',').first().toInt(), b.nData[0]);
            QCOMPARE(lines.at(1024).split(',').first().toInt(), b.nData[1023]);
        }
    }
}

QTEST_GUILESS_MAIN(TestKvrCli)
#include "test_kvrcli.moc"
