#include "clirun.h"
#include "fixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

using namespace fixtures;

namespace {

QJsonObject infoOf(const QString &file, const QString &cwd)
{
    const Run r = runCli({QStringLiteral("info"), file, QStringLiteral("--json")}, cwd);
    return r.code == 0 ? QJsonDocument::fromJson(r.out).object() : QJsonObject();
}

QJsonObject waveOf(const QJsonObject &info, int i) { return info.value("waves").toArray().at(i).toObject(); }

// The same channel wave: measure point and channel.
bool sameWave(const QJsonObject &a, const QJsonObject &b)
{
    return a.value("nMeasurePoint") == b.value("nMeasurePoint") && a.value("nChannel") == b.value("nChannel");
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
    void editActions();
    void refusedEditsWriteNothing_data();
    void refusedEditsWriteNothing();

    void undecodableTextRefused();
    void suggestApplyNeedsANumber();
    void helpOfEveryCommand_data();
    void helpOfEveryCommand();
    void soundFileGivesSilentStderr();
    void undoTakesBackActions();
    void concurrentEditsKeepBoth();

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
    const QStringList waveKeys = {"nMeasurePoint", "nChannel",    "fChannelAngle", "nFlawPos",       "nFlawBottom",
                                  "nLowCutoff",    "nHighCutoff", "nFilterOrder",  "nFilterWindow",  "fManualGain",
                                  "blUserOrder",   "nDataCnt",    "dMainFreq",     "dFilterMainFreq"};
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

// Each action's effect, read back the way an engineer would: kvr-cli info.
void TestKvrCli::editActions()
{
    QCOMPARE(runCli({"convert", "s.ard", "-o", "base.ard"}, m_dir.path()).code, 0);
    const QJsonObject before = infoOf("base.ard", m_dir.path());
    QCOMPARE(before.value("waves").toArray().size(), 11);

    using Check = std::function<bool(const QJsonObject &)>;
    const QList<QPair<QStringList, Check>> cases = {
        {{"--flaw", "2=300"}, [](const QJsonObject &a) { return waveOf(a, 2).value("nFlawPos").toInt() == 300; }},
        {{"--flaw", "2=300", "--clear-flaw", "2"},
         [](const QJsonObject &a) { return waveOf(a, 2).value("nFlawPos").toInt() == -100; }},
        {{"--swap", "0"},
         [&](const QJsonObject &a) {
             return sameWave(waveOf(a, 0), waveOf(before, 1)) && sameWave(waveOf(a, 1), waveOf(before, 0))
                 && waveOf(a, 5).value("blUserOrder").toBool();
         }},
        {{"--move", "0=3"},
         [&](const QJsonObject &a) {
             return sameWave(waveOf(a, 3), waveOf(before, 0)) && sameWave(waveOf(a, 0), waveOf(before, 1));
         }},
        {{"--delete", "4"},
         [&](const QJsonObject &a) {
             return a.value("waves").toArray().size() == 10 && sameWave(waveOf(a, 4), waveOf(before, 5))
                 && a.value("deleteChannelCnt").toInt() == before.value("deleteChannelCnt").toInt() + 1;
         }},
        {{"--set", "pilingNumber=P7-东", "--set", "fWaveSpeed=3500", "--set", "fOffsetAngle=12.5"},
         [](const QJsonObject &a) {
             return a.value("pilingNumber").toString() == QStringLiteral("P7-东")
                 && a.value("fWaveSpeed").toDouble() == 3500.0 && a.value("fOffsetAngle").toDouble() == 12.5;
         }},
        {{"--filter", "all=2,3000,30000,256"},
         [](const QJsonObject &a) {
             for (const QJsonValue &w : a.value("waves").toArray()) {
                 const QJsonObject o = w.toObject();
                 if (o.value("nFilterWindow").toInt() != 2 || o.value("nLowCutoff").toInt() != 3000
                     || o.value("nHighCutoff").toInt() != 30000 || o.value("nFilterOrder").toInt() != 256)
                     return false;
             }
             return true;
         }},
        {{"--gain", "1=2.5"},
         [&](const QJsonObject &a) {
             return waveOf(a, 1).value("fManualGain").toDouble() == 2.5
                 && waveOf(a, 2).value("fManualGain") == waveOf(before, 2).value("fManualGain");
         }},
        {{"--flaw", "0=100", "--set", "workName=X", "--undo", "2", "--redo", "1"},
         [&](const QJsonObject &a) {
             return waveOf(a, 0).value("nFlawPos").toInt() == 100 && a.value("workName") == before.value("workName");
         }},
    };
    for (const auto &c : cases) {
        const QString file = m_dir.filePath("edit.ard");
        QFile::remove(file);
        QVERIFY(QFile::copy(m_dir.filePath("base.ard"), file));
        const Run r = runCli(QStringList {"edit", "edit.ard"} + c.first, m_dir.path());
        QVERIFY2(r.code == 0, qPrintable(c.first.join(' ') + ": " + r.err));
        QVERIFY2(c.second(infoOf("edit.ard", m_dir.path())), qPrintable(c.first.join(' ')));
    }

    // With -o the survey stays as it was.
    const QByteArray base = readAll(m_dir.filePath("base.ard"));
    QCOMPARE(runCli({"edit", "base.ard", "-o", "other.ard", "--flaw", "1=50"}, m_dir.path()).code, 0);
    QVERIFY(readAll(m_dir.filePath("base.ard")) == base);
    QCOMPARE(waveOf(infoOf("other.ard", m_dir.path()), 1).value("nFlawPos").toInt(), 50);
}

void TestKvrCli::refusedEditsWriteNothing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("stderrHas");
    QTest::newRow("wave out of range") << QStringList {"--flaw", "99=10"} << 2 << QStringLiteral("超出范围");
    QTest::newRow("sample beyond the wave") << QStringList {"--flaw", "0=99999"} << 2 << QStringLiteral("不在波形");
    QTest::newRow("not W=SAMPLE") << QStringList {"--flaw", "abc"} << 2 << QStringLiteral("W=SAMPLE");
    QTest::newRow("bad speed") << QStringList {"--set", "fWaveSpeed=-1"} << 2 << QStringLiteral("波速");
    QTest::newRow("unknown field") << QStringList {"--set", "nope=1"} << 2 << QStringLiteral("KEY=VALUE");
    QTest::newRow("bad window") << QStringList {"--filter", "0=9,1000,2000,100"} << 2 << QStringLiteral("窗函数");
    QTest::newRow("low above high") << QStringList {"--filter", "0=1,3000,2000,100"} << 2
                                    << QStringLiteral("下限截止频率");
    QTest::newRow("zero gain") << QStringList {"--gain", "all=0"} << 2 << QStringLiteral("手动增益");
    QTest::newRow("nothing to undo") << QStringList {"--undo", "1"} << 2 << QStringLiteral("没有可撤销");
    QTest::newRow("good, then bad") << QStringList {"--flaw", "0=10", "--set", "fOffsetAngle=500"} << 2
                                    << QStringLiteral("磁偏角");
    QTest::newRow("no action") << QStringList {} << 2 << QStringLiteral("no action");
    QTest::newRow("swap past the end") << QStringList {"--swap", "10"} << 2 << QStringLiteral("超出范围");
    QTest::newRow("empty output name") << QStringList {"-o", "", "--swap", "1"} << 2
                                       << QStringLiteral("-o needs a value");
    QTest::newRow("control character in a text") << QStringList {"--set", "workName=a\x01" "b"} << 2
                                                  << QStringLiteral("无法保存的字符");
    for (const char *speed : {"0", "10", "1e-45", "1e9", "99.9"})
        QTest::newRow(qPrintable(QStringLiteral("speed %1").arg(QLatin1String(speed))))
            << QStringList {"--set", QStringLiteral("fWaveSpeed=%1").arg(QLatin1String(speed))} << 2
            << QStringLiteral("100到20000");
    QTest::newRow("step past the integer limit") << QStringList {"--move", "1=2147483647"} << 2
                                                 << QStringLiteral("移动 2147483647 位后超出范围");
    QTest::newRow("step below the integer limit") << QStringList {"--move", "1=-2147483648"} << 2
                                                  << QStringLiteral("移动 -2147483648 位后超出范围");
}

void TestKvrCli::refusedEditsWriteNothing()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, stderrHas);
    QCOMPARE(runCli({"convert", "s.ard", "-o", "keep.ard"}, m_dir.path()).code, 0);
    const QByteArray before = readAll(m_dir.filePath("keep.ard"));
    const Run r = runCli(QStringList {"edit", "keep.ard"} + args, m_dir.path());
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(stderrHas), qPrintable(r.err.right(400)));
    QVERIFY(readAll(m_dir.filePath("keep.ard")) == before);
    // A rejected file: exit 1, nothing written either.
    const QByteArray cut = readAll(m_dir.filePath("cut.ard"));
    QCOMPARE(runCli({"edit", "cut.ard", "--flaw", "0=1"}, m_dir.path()).code, 1);
    QVERIFY(readAll(m_dir.filePath("cut.ard")) == cut);
}

QTEST_GUILESS_MAIN(TestKvrCli)
// Bytes that are not text in the locale's encoding (a GBK terminal under a
// UTF-8 locale) are refused, never stored as "?".
void TestKvrCli::undecodableTextRefused()
{
    QCOMPARE(runCli({"convert", "s.ard", "-o", "gbk.ard"}, m_dir.path()).code, 0);
    const QByteArray before = readAll(m_dir.filePath("gbk.ard"));
    const QStringList shell = {QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                               QStringLiteral("exec \"$0\" \"$@\" \"workName=$(printf 'ab\\271\\244')\"")};
    const Run r = runCli({"edit", "gbk.ard", "--set"}, m_dir.path(), shell);
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(QStringLiteral("无法保存的字符")), qPrintable(r.err));
    QVERIFY(readAll(m_dir.filePath("gbk.ard")) == before);
    const Run field = runCli({"word", "gbk.ard", "-o", "gbk.docx", "--field"}, m_dir.path(),
                             {QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                              QStringLiteral("exec \"$0\" \"$@\" \"strReault=$(printf '\\271\\244')\"")});
    QCOMPARE(field.code, 2);
    QVERIFY2(field.err.contains(QStringLiteral("strReault")), qPrintable(field.err));
    QVERIFY(!QFileInfo::exists(m_dir.filePath("gbk.docx")));
}

void TestKvrCli::suggestApplyNeedsANumber()
{
    QCOMPARE(runCli({"convert", "s.ard", "-o", "sa.ard"}, m_dir.path()).code, 0);
    const QByteArray before = readAll(m_dir.filePath("sa.ard"));
    for (const QStringList &args : {QStringList {"suggest", "sa.ard", "--apply", ""},
                                    QStringList {"suggest", "sa.ard", "--apply", "0.5", "-o", ""}}) {
        const Run r = runCli(args, m_dir.path());
        QCOMPARE(r.code, 2);
        QVERIFY(r.out.isEmpty());
    }
    QVERIFY(readAll(m_dir.filePath("sa.ard")) == before);
}

void TestKvrCli::helpOfEveryCommand_data()
{
    QTest::addColumn<QString>("command");
    for (const char *c : {"info", "convert", "edit", "export-csv", "synth", "suggest", "image", "pdf", "word"})
        QTest::newRow(c) << QString::fromLatin1(c);
}

void TestKvrCli::helpOfEveryCommand()
{
    QFETCH(QString, command);
    for (const char *flag : {"--help", "-h"}) {
        const Run r = runCli({command, QString::fromLatin1(flag)}, m_dir.path());
        QCOMPARE(r.code, 0);
        QVERIFY2(QString::fromUtf8(r.out).contains(QStringLiteral("kvr-cli ") + command), r.out.constData());
    }
}

void TestKvrCli::soundFileGivesSilentStderr()
{
    QCOMPARE(runCli({"convert", "s.ard", "-o", "quiet.ard"}, m_dir.path()).code, 0);
    for (const QStringList &args : {QStringList {"info", "quiet.ard"}, QStringList {"convert", "quiet.ard"},
                                    QStringList {"edit", "quiet.ard", "--flaw", "0=100"}}) {
        const Run r = runCli(args, m_dir.path());
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    }
    // The diagnostics are there when asked for (the tests' own logging rule
    // taken out of the way).
    QProcess verbose;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    verbose.setProcessEnvironment(env);
    verbose.setWorkingDirectory(m_dir.path());
    verbose.start(QStringLiteral(KVR_CLI), {"info", "quiet.ard", "--verbose"});
    QVERIFY(verbose.waitForFinished(60000));
    QCOMPARE(verbose.exitCode(), 0);
    QVERIFY(!verbose.readAllStandardError().isEmpty());
}

// Every action is a step of its own: --undo N takes back the last N.
void TestKvrCli::undoTakesBackActions()
{
    QCOMPARE(runCli({"convert", "s.ard", "-o", "undo.ard"}, m_dir.path()).code, 0);
    const QJsonObject before = infoOf("undo.ard", m_dir.path());
    QCOMPARE(runCli({"edit", "undo.ard", "--set", "workName=A", "--set", "workName=B", "--undo", "1"}, m_dir.path())
                 .code,
             0);
    QCOMPARE(infoOf("undo.ard", m_dir.path()).value("workName").toString(), QStringLiteral("A"));
    QCOMPARE(runCli({"edit", "undo.ard", "--swap", "3", "--swap", "4", "--undo", "2"}, m_dir.path()).code, 0);
    const QJsonObject after = infoOf("undo.ard", m_dir.path());
    for (int i = 0; i < 6; ++i)
        QVERIFY(sameWave(waveOf(after, i), waveOf(before, i)));
}

// Two writers of one file: each waits for the other, no edit is lost.
void TestKvrCli::concurrentEditsKeepBoth()
{
    for (int round = 0; round < 5; ++round) {
        QCOMPARE(runCli({"convert", "s.ard", "-o", "both.ard"}, m_dir.path()).code, 0);
        QProcess a, b;
        a.setWorkingDirectory(m_dir.path());
        b.setWorkingDirectory(m_dir.path());
        a.start(QStringLiteral(KVR_CLI), {"edit", "both.ard", "--set", "workName=A"});
        b.start(QStringLiteral(KVR_CLI), {"edit", "both.ard", "--set", "detectUnit=B"});
        QVERIFY(a.waitForFinished(60000) && b.waitForFinished(60000));
        QCOMPARE(a.exitCode(), 0);
        QCOMPARE(b.exitCode(), 0);
        const QJsonObject info = infoOf("both.ard", m_dir.path());
        QCOMPARE(info.value("workName").toString(), QStringLiteral("A"));
        QCOMPARE(info.value("detectUnit").toString(), QStringLiteral("B"));
    }
}

#include "test_kvrcli.moc"
