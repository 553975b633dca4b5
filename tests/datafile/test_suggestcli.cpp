#include "clirun.h"
#include "datafile/flawsuggest.h"
#include "datafile/kvrdocument.h"
#include "fixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace fixtures;

namespace {

QJsonArray suggestions(const QString &file, const QString &cwd)
{
    const Run r = runCli({QStringLiteral("suggest"), file, QStringLiteral("--json")}, cwd);
    return r.code == 0 ? QJsonDocument::fromJson(r.out).object().value(QStringLiteral("waves")).toArray()
                       : QJsonArray();
}

bool recommended(const QJsonValue &w)
{
    return !w[QStringLiteral("sample")].isNull() && w[QStringLiteral("confidence")].toDouble() >= 0.5;
}

} // namespace

class TestSuggestCli : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void exitCodes_data();
    void exitCodes();
    void listsEveryWaveInInfoOrder();
    void applySetsTheMarksAndKeepsTheEngineers();
    void acceptRuleIsOneStep();

private:
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};

void TestSuggestCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SynthOptions o;
    o.points = 8;
    o.missing = {{2, 1}};
    QVERIFY(!makeOriginal(path("s.ard"), o).isEmpty());
    QByteArray cut = readAll(path("s.ard"));
    cut.chop(10);
    QVERIFY(writeAll(path("cut.ard"), cut));
}

void TestSuggestCli::exitCodes_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("stderrHas");
    QTest::newRow("missing file") << QStringList {"suggest", "none.ard"} << 1 << QStringLiteral("none.ard");
    QTest::newRow("rejected file") << QStringList {"suggest", "cut.ard", "--apply", "0.5", "-o", "x.ard"} << 1
                                   << QStringLiteral("文件不完整或者格式不正确！");
    QTest::newRow("no file") << QStringList {"suggest", "--json"} << 2 << QStringLiteral("usage");
    QTest::newRow("two files") << QStringList {"suggest", "s.ard", "cut.ard"} << 2 << QStringLiteral("one FILE");
    QTest::newRow("confidence above 1") << QStringList {"suggest", "s.ard", "--apply", "1.5", "-o", "x.ard"} << 2
                                        << QStringLiteral("--apply");
    QTest::newRow("confidence not a number")
        << QStringList {"suggest", "s.ard", "--apply", "high", "-o", "x.ard"} << 2 << QStringLiteral("--apply");
    QTest::newRow("-o without --apply") << QStringList {"suggest", "s.ard", "-o", "x.ard"} << 2
                                        << QStringLiteral("--apply");
    QTest::newRow("unknown option") << QStringList {"suggest", "s.ard", "--xml"} << 2 << QStringLiteral("--xml");
}

void TestSuggestCli::exitCodes()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, stderrHas);
    const QByteArray before = readAll(path("s.ard"));
    const Run r = runCli(args, m_dir.path());
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(stderrHas), qPrintable(r.err.right(400)));
    QVERIFY(r.out.isEmpty());
    QVERIFY(!QFile::exists(path("x.ard")));
    QVERIFY(readAll(path("s.ard")) == before);
}

void TestSuggestCli::listsEveryWaveInInfoOrder()
{
    const Run info = runCli({QStringLiteral("info"), QStringLiteral("s.ard"), QStringLiteral("--json")}, m_dir.path());
    QCOMPARE(info.code, 0);
    const QJsonObject head = QJsonDocument::fromJson(info.out).object();
    const QJsonArray infoWaves = head.value("waves").toArray();
    const double speed = head.value("fWaveSpeed").toDouble();

    const Run r = runCli({QStringLiteral("suggest"), QStringLiteral("s.ard"), QStringLiteral("--json")}, m_dir.path());
    QCOMPARE(r.code, 0);
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(r.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError); // nothing but JSON on stdout
    QCOMPARE(o.keys(), QStringList {"waves"});
    const QJsonArray waves = o.value("waves").toArray();
    QCOMPARE(waves.size(), infoWaves.size());
    QStringList expectedKeys = {"index",      "nMeasurePoint", "nChannel",     "sample",          "depthM",
                                "confidence", "bottomSample",  "bottomDepthM", "bottomConfidence"};
    expectedKeys.sort();
    int found = 0, bottoms = 0;
    for (int i = 0; i < waves.size(); ++i) {
        const QJsonObject w = waves.at(i).toObject();
        QStringList keys = w.keys();
        keys.sort();
        QCOMPARE(keys, expectedKeys);
        QCOMPARE(w.value("index").toInt(), i);
        QCOMPARE(w.value("nMeasurePoint").toInt(), infoWaves.at(i)[QStringLiteral("nMeasurePoint")].toInt());
        QCOMPARE(w.value("nChannel").toInt(), infoWaves.at(i)[QStringLiteral("nChannel")].toInt());
        const double confidence = w.value("confidence").toDouble(-1);
        QVERIFY(confidence >= 0.0 && confidence <= 1.0);
        QCOMPARE(w.value("sample").isNull(), w.value("depthM").isNull());
        QCOMPARE(w.value("bottomSample").isNull(), w.value("bottomDepthM").isNull());
        const double bottomConfidence = w.value("bottomConfidence").toDouble(-1);
        QVERIFY(bottomConfidence >= 0.0 && bottomConfidence <= 1.0);
        if (w.value("sample").isNull()) {
            QCOMPARE(confidence, 0.0);
            QVERIFY(w.value("bottomSample").isNull());
            continue;
        }
        if (w.value("bottomSample").isNull()) {
            QCOMPARE(bottomConfidence, 0.0);
        } else {
            // The floor lies below the top, its depth by the same rule.
            const int bottom = w.value("bottomSample").toInt();
            QVERIFY(bottom > w.value("sample").toInt());
            QVERIFY(qAbs(w.value("bottomDepthM").toDouble() - bottom * 0.002 * speed / 2000.0) <= 0.0005);
            ++bottoms;
        }
        ++found;
        // Depth as the views show it: sample x 2 us, times the speed over 2000.
        const int sample = w.value("sample").toInt();
        QVERIFY(sample >= 0 && sample < infoWaves.at(i)[QStringLiteral("nDataCnt")].toInt());
        QVERIFY(qAbs(w.value("depthM").toDouble() - sample * 0.002 * speed / 2000.0) <= 0.0005);
    }
    QVERIFY(found >= 10);  // the generator's caves lie under most points
    QVERIFY(bottoms >= 5); // ... each with a floor 0.8 m below its top

    const Run text = runCli({QStringLiteral("suggest"), QStringLiteral("s.ard")}, m_dir.path());
    QCOMPARE(text.code, 0);
    const QStringList lines = QString::fromUtf8(text.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + waves.size() + 1); // column titles, one line per wave, the count
    QVERIFY(lines.last().startsWith(QStringLiteral("%1 waves").arg(waves.size())));
}

void TestSuggestCli::applySetsTheMarksAndKeepsTheEngineers()
{
    const QByteArray before = readAll(path("s.ard"));
    const QJsonArray waves = suggestions(QStringLiteral("s.ard"), m_dir.path());
    QVERIFY(!waves.isEmpty());
    Run r = runCli({QStringLiteral("suggest"), QStringLiteral("s.ard"), QStringLiteral("--apply"),
                    QStringLiteral("0.5"), QStringLiteral("-o"), QStringLiteral("a.ard")},
                   m_dir.path());
    QCOMPARE(r.code, 0);
    QVERIFY(readAll(path("s.ard")) == before);

    int marked = 0, chosen = -1, bottoms = 0;
    {
        KvrDocument doc;
        QVERIFY(doc.open(path("a.ard")).ok);
        QCOMPARE(doc.model().waveCount(), waves.size());
        for (int i = 0; i < waves.size(); ++i) {
            const WaveAnalyzeInfoPtr a = doc.model().waveAnalyzeInfoAt(i);
            const int expected = recommended(waves.at(i)) ? waves.at(i)[QStringLiteral("sample")].toInt() : kNoValue;
            QCOMPARE(a->nFlawPos, expected);
            QCOMPARE(doc.model().waveGroupAt(a->nMeasurePoint)->blocks[a->nChannel]->nFlawPos, expected);
            // Accepting sets the floor too where one was suggested as surely.
            const QJsonValue bottom = waves.at(i)[QStringLiteral("bottomSample")];
            const bool withBottom = expected != kNoValue && !bottom.isNull()
                && waves.at(i)[QStringLiteral("bottomConfidence")].toDouble() >= 0.5;
            QCOMPARE(flawBottom(*a), withBottom ? bottom.toInt() : kNoValue);
            bottoms += withBottom;
            marked += expected != kNoValue;
            if (expected != kNoValue && chosen < 0)
                chosen = i;
        }
        QVERIFY(marked >= 10);
        QVERIFY(bottoms >= 5);
        // The engineer moves one mark.
        QVERIFY(doc.setFlawMark(chosen, 5).ok);
        QVERIFY(doc.save().ok);
    }

    // In place: the engineer's mark stays, unless replaced on purpose.
    r = runCli({QStringLiteral("suggest"), QStringLiteral("a.ard"), QStringLiteral("--apply"), QStringLiteral("0.5")},
               m_dir.path());
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains(QStringLiteral("existing marks kept: 1")), qPrintable(r.err.right(200)));
    {
        KvrDocument doc;
        QVERIFY(doc.open(path("a.ard")).ok);
        QCOMPARE(doc.model().waveAnalyzeInfoAt(chosen)->nFlawPos, 5);
    }
    r = runCli({QStringLiteral("suggest"), QStringLiteral("a.ard"), QStringLiteral("--apply"), QStringLiteral("0.5"),
                QStringLiteral("--replace")},
               m_dir.path());
    QCOMPARE(r.code, 0);
    KvrDocument doc;
    QVERIFY(doc.open(path("a.ard")).ok);
    QCOMPARE(doc.model().waveAnalyzeInfoAt(chosen)->nFlawPos, waves.at(chosen)[QStringLiteral("sample")].toInt());
}

// The accept rule on an open document: the engineer's mark is kept, the
// rest is set as one step of the history, and one undo takes it all back.
void TestSuggestCli::acceptRuleIsOneStep()
{
    KvrDocument doc;
    QVERIFY(doc.open(path("s.ard")).ok);
    const MeasurementModel &m = doc.model();
    const QVector<dsp::FlawSuggestion> found =
        flawsuggest::suggest(m.filterWaveGroupList(), m.waveGroupList(), m.waveAnalyzeInfoList());
    int engineers = -1;
    for (int i = 0; i < found.size() && engineers < 0; ++i)
        if (found.at(i).confidence >= 0.5)
            engineers = i;
    QVERIFY(engineers >= 0);
    QVERIFY(doc.setFlawMark(engineers, 7).ok);
    const QString before = doc.undoText();

    flawsuggest::AcceptPlan plan;
    QVERIFY(
        flawsuggest::acceptSuggestions(doc, found, flawsuggest::AcceptRule(), QStringLiteral("采纳建议"), &plan).ok);
    QCOMPARE(plan.kept, 1);
    QVERIFY(plan.marks.size() >= 10);
    int bottoms = 0;
    for (const flawsuggest::AcceptedMark &a : plan.marks) {
        const WaveAnalyzeInfo &r = *m.waveAnalyzeInfoAt(a.wave);
        QCOMPARE(r.nFlawPos, a.top);
        QCOMPARE(flawBottom(r), a.bottom >= 0 ? a.bottom : kNoValue);
        bottoms += a.bottom >= 0;
    }
    QVERIFY(bottoms > 0);
    QCOMPARE(m.waveAnalyzeInfoAt(engineers)->nFlawPos, 7);
    QCOMPARE(doc.undoText(), QStringLiteral("采纳建议"));

    QVERIFY(doc.undo());
    QCOMPARE(doc.undoText(), before);
    for (int i = 0; i < m.waveCount(); ++i) {
        QCOMPARE(m.waveAnalyzeInfoAt(i)->nFlawPos, i == engineers ? 7 : kNoValue);
        QCOMPARE(flawBottom(*m.waveAnalyzeInfoAt(i)), kNoValue);
    }
}

QTEST_GUILESS_MAIN(TestSuggestCli)
#include "test_suggestcli.moc"
