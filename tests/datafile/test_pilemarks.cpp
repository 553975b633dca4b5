// Cave bottoms on disk and through the document, and the pile's conclusion
// drafted from the marks.
#include "datafile/pilemarks.h"
#include "fixtures.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace fixtures;

Q_DECLARE_METATYPE(QVector<pile::CaveMark>)

class TestPileMarks : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void bottomRoundTripTouchesOnlyReservedBytes();
    void unsoundBottomOpensWithWarning_data();
    void unsoundBottomOpensWithWarning();
    void bottomCommandChecksAndUndoes();
    void assessment_data();
    void assessment();
    void marksCarryDepthAndAngle();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
    int m_groups = 4;
};

void TestPileMarks::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SynthOptions o;
    o.points = m_groups;
    o.samples = 1024;
    QVERIFY(!makeAnalysis(path("base.ard"), o).isEmpty());
}

void TestPileMarks::bottomRoundTripTouchesOnlyReservedBytes()
{
    KvrDocument top, both;
    QVERIFY(top.open(path("base.ard")).ok && both.open(path("base.ard")).ok);
    QVERIFY(top.setFlawMark(5, 300).ok);
    QVERIFY(both.setFlawMark(5, 300).ok && both.setFlawBottom(5, 420).ok);
    QVERIFY(top.saveAs(path("top.ard")).ok && both.saveAs(path("both.ard")).ok);

    const QByteArray a = readAll(path("top.ard"));
    const QByteArray b = readAll(path("both.ard"));
    QCOMPARE(a.size(), b.size());
    const qint64 rec = recordOffset(m_groups, 5);
    for (int i = 0; i < a.size(); ++i) {
        if (a.at(i) != b.at(i))
            QVERIFY2(i >= rec + 45 && i < rec + AnaDataSize, qPrintable(QString::number(i)));
    }
    QCOMPARE(b.mid(int(rec + kBottomExtOffset), 4), QByteArray("KBTM"));

    KvrDocument reopened;
    const DocResult r = reopened.open(path("both.ard"));
    QVERIFY(r.ok);
    QVERIFY(r.warnings.isEmpty());
    QCOMPARE(flawBottom(*reopened.model().waveAnalyzeInfoAt(5)), 420);
    QCOMPARE(reopened.model().waveAnalyzeInfoAt(5)->nFlawPos, 300);
    // Saved again unchanged, the file keeps its bytes.
    QVERIFY(reopened.saveAs(path("again.ard")).ok);
    QVERIFY(readAll(path("again.ard")) == b);
}

void TestPileMarks::unsoundBottomOpensWithWarning_data()
{
    QTest::addColumn<int>("offset"); // into the record
    QTest::addColumn<qint32>("value");
    QTest::addColumn<int>("top");
    QTest::newRow("check damaged") << kBottomExtOffset + 12 << qint32(12345) << 300;
    QTest::newRow("version unknown") << kBottomExtOffset + 4 << qint32(7) << 300;
    QTest::newRow("no top") << 12 << qint32(kNoValue) << kNoValue;
    QTest::newRow("above the top") << 12 << qint32(500) << 500;
}

void TestPileMarks::unsoundBottomOpensWithWarning()
{
    QFETCH(int, offset);
    QFETCH(qint32, value);
    QFETCH(int, top);
    QByteArray bytes = readAll(path("both.ard"));
    QVERIFY(!bytes.isEmpty());
    putI32(bytes, recordOffset(m_groups, 5) + offset, value);
    const QString file = path(QStringLiteral("bad-%1.ard").arg(QTest::currentDataTag()));
    QVERIFY(writeAll(file, bytes));

    KvrDocument doc;
    const DocResult r = doc.open(file);
    QVERIFY(r.ok);
    QVERIFY2(r.warnings.join('\n').contains(QStringLiteral("洞底")), qPrintable(r.warnings.join('\n')));
    const WaveAnalyzeInfo &a = *doc.model().waveAnalyzeInfoAt(5);
    QCOMPARE(flawBottom(a), qint32(kNoValue));
    QCOMPARE(a.nFlawPos, top);
}

void TestPileMarks::bottomCommandChecksAndUndoes()
{
    KvrDocument doc;
    QVERIFY(doc.open(path("base.ard")).ok);
    const auto bottom = [&](int w) { return flawBottom(*doc.model().waveAnalyzeInfoAt(w)); };
    QVERIFY(!doc.setFlawBottom(2, 400).ok); // no top
    QVERIFY(doc.setFlawMark(2, 300).ok);
    QVERIFY(!doc.setFlawBottom(2, 300).ok);  // at the top
    QVERIFY(!doc.setFlawBottom(2, 200).ok);  // above it
    QVERIFY(!doc.setFlawBottom(2, 1024).ok); // outside the wave
    QVERIFY(!doc.canRedo());
    const int steps = doc.history().count();
    QVERIFY(doc.setFlawBottom(2, 400).ok);
    QCOMPARE(doc.history().count(), steps + 1);
    QCOMPARE(bottom(2), 400);

    // A top moved below the bottom takes the bottom away; above it keeps it.
    QVERIFY(doc.setFlawMark(2, 350).ok);
    QCOMPARE(bottom(2), 400);
    QVERIFY(doc.setFlawMark(2, 450).ok);
    QCOMPARE(bottom(2), qint32(kNoValue));
    QVERIFY(doc.undo());
    QCOMPARE(bottom(2), 400);

    // Clearing is one step for both.
    QVERIFY(doc.clearFlawMark(2).ok);
    QCOMPARE(doc.model().waveAnalyzeInfoAt(2)->nFlawPos, kNoValue);
    QCOMPARE(bottom(2), qint32(kNoValue));
    QVERIFY(doc.undo());
    QCOMPARE(doc.model().waveAnalyzeInfoAt(2)->nFlawPos, 350);
    QCOMPARE(bottom(2), 400);
}

namespace {
pile::CaveMark mark(int index, double angle, double top, double bottom = -1)
{
    pile::CaveMark m;
    m.index = index;
    m.angle = angle;
    m.topSample = int(top * 1000);
    m.topDepthM = top;
    if (bottom > 0) {
        m.bottomSample = int(bottom * 1000);
        m.bottomDepthM = bottom;
        m.heightM = bottom - top;
    }
    return m;
}
} // namespace

void TestPileMarks::assessment_data()
{
    QTest::addColumn<QVector<pile::CaveMark>>("marks");
    QTest::addColumn<double>("diameter");
    QTest::addColumn<bool>("assessed");
    QTest::addColumn<double>("zone");
    QTest::addColumn<double>("roof"); // -1: none
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("waves");
    QTest::addColumn<bool>("meets");
    QTest::addColumn<QString>("text");

    const QVector<pile::CaveMark> none;
    const QVector<pile::CaveMark> deep = {mark(0, 10, 5.5, 6.7), mark(1, 40, 5.6, 6.5)};
    const QVector<pile::CaveMark> two = {mark(3, 83.5, 2.54, 3.74), mark(1, 41, 2.6), mark(2, 60, 2.7, 3.5),
                                         mark(5, 200, 6.0, 6.4)};
    const QVector<pile::CaveMark> wrapped = {mark(0, 350, 3.0), mark(1, 10, 3.1)};
    QTest::newRow("no marks, 0.8 m") << none << 0.8 << true << 5.0 << -1.0 << 0.0 << 0 << true
                                     << QStringLiteral("桩底以下 5.00 m（3 倍桩径与 5 m 之较大者）范围内未发现溶洞。");
    QTest::newRow("cave below the zone, 1.2 m")
        << deep << 1.2 << true << 5.0 << 5.5 << 1.2 << 2 << true
        << QStringLiteral("桩底以下 5.00 m（3 倍桩径与 5 m 之较大者）范围内未发现溶洞；"
                          "桩底以下 5.50 m 处发现溶洞（2 个波形，方位 10.0°–40.0°），洞高约 1.20 m。");
    QTest::newRow("same cave inside a wide pile's zone, 2.0 m")
        << deep << 2.0 << true << 6.0 << 5.5 << 1.2 << 2 << false
        << QStringLiteral("桩底以下 5.50 m 处发现溶洞（2 个波形，方位 10.0°–40.0°），洞高约 1.20 m；"
                          "桩底完整岩层厚度 5.50 m，小于要求的 6.00 m。");
    QTest::newRow("two caves, roof inside, 0.8 m")
        << two << 0.8 << true << 5.0 << 2.54 << 1.2 << 3 << false
        << QStringLiteral("桩底以下 2.54 m 处发现溶洞（3 个波形，方位 41.0°–83.5°），洞高约 1.20 m；"
                          "桩底完整岩层厚度 2.54 m，小于要求的 5.00 m。");
    QTest::newRow("tops only across north")
        << wrapped << 1.2 << true << 5.0 << 3.0 << 0.0 << 2 << false
        << QStringLiteral("桩底以下 3.00 m 处发现溶洞（2 个波形，方位 350.0°–10.0°）；"
                          "桩底完整岩层厚度 3.00 m，小于要求的 5.00 m。");
    QTest::newRow("no diameter") << two << 0.0 << false << 0.0 << 2.54 << 1.2 << 3 << false
                                 << QStringLiteral(
                                        "未给出桩径，无法判定桩底以下 3 倍桩径与 5 m "
                                        "之较大者范围内的岩层完整性；请填写桩径。"
                                        "桩底以下 2.54 m 处发现溶洞（3 个波形，方位 41.0°–83.5°），洞高约 1.20 m。");
}

void TestPileMarks::assessment()
{
    QFETCH(QVector<pile::CaveMark>, marks);
    QFETCH(double, diameter);
    QFETCH(bool, assessed);
    QFETCH(double, zone);
    QFETCH(double, roof);
    QFETCH(double, height);
    QFETCH(int, waves);
    QFETCH(bool, meets);
    QFETCH(QString, text);
    std::sort(marks.begin(), marks.end(),
              [](const pile::CaveMark &x, const pile::CaveMark &y) { return x.topDepthM < y.topDepthM; });
    const pile::PileAssessment a = pile::assessPile(marks, diameter);
    QCOMPARE(a.assessed, assessed);
    QCOMPARE(a.zoneM, zone);
    QCOMPARE(a.hasRoof, roof >= 0);
    if (roof >= 0)
        QCOMPARE(a.roofM, roof);
    QVERIFY(qAbs(a.caveHeightM - height) < 1e-9);
    QCOMPARE(a.hasHeight, height > 0);
    QCOMPARE(a.roofWaves, waves);
    QCOMPARE(a.meets, meets);
    QCOMPARE(a.text, text);
}

void TestPileMarks::marksCarryDepthAndAngle()
{
    KvrDocument doc;
    QVERIFY(doc.open(path("base.ard")).ok);
    QVERIFY(doc.setHeaderField(HeaderField::WaveSpeed, QStringLiteral("4000")).ok);
    QVERIFY(doc.setHeaderField(HeaderField::OffsetAngle, QStringLiteral("300")).ok);
    QVERIFY(doc.setFlawMark(4, 750).ok && doc.setFlawBottom(4, 900).ok);
    QVERIFY(doc.setFlawMark(1, 500).ok);
    const QVector<pile::CaveMark> marks = pile::collectMarks(doc.model().waveAnalyzeInfoList(), *doc.fileHead());
    QCOMPARE(marks.size(), 2);
    QCOMPARE(marks.at(0).index, 1);
    QCOMPARE(marks.at(0).topDepthM, 2.0); // 500 x 0.002 ms x 4000 m/s / 2000
    QVERIFY(!marks.at(0).hasBottom());
    const pile::CaveMark &m = marks.at(1);
    QCOMPARE(m.index, 4);
    QCOMPARE(m.topDepthM, 3.0);
    QCOMPARE(m.bottomDepthM, 3.6);
    QVERIFY(qAbs(m.heightM - 0.6) < 1e-9);
    const WaveAnalyzeInfo &a = *doc.model().waveAnalyzeInfoAt(4);
    QCOMPARE(m.measurePoint, a.nMeasurePoint);
    QCOMPARE(m.channel, a.nChannel);
    QVERIFY(qAbs(m.angle - std::fmod(double(a.fChannelAngle) + 300.0, 360.0)) < 1e-4);
    QVERIFY(m.angle >= 0 && m.angle < 360);
}

QTEST_GUILESS_MAIN(TestPileMarks)
#include "test_pilemarks.moc"
