// kvr-cli marks, assess and the cave-bottom edits, on small surveys.
#include "clirun.h"
#include "fixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace fixtures;

namespace {
struct Cave {
    int wave, top, bottom; // samples; bottom -1: none
};
} // namespace
Q_DECLARE_METATYPE(QVector<Cave>)

class TestMarksCli : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void marksAndAssessment_data();
    void marksAndAssessment();
    void bottomEditsAndInfo();
    void assessNeedsADiameter();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestMarksCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SynthOptions o;
    o.points = 4;
    o.samples = 2048;
    QVERIFY(!makeAnalysis(path("base.ard"), o).isEmpty());
    // 4000 m/s: one sample is 4 mm of depth.
    KvrDocument doc;
    QVERIFY(doc.open(path("base.ard")).ok);
    QVERIFY(doc.setHeaderField(HeaderField::WaveSpeed, QStringLiteral("4000")).ok);
    QVERIFY(doc.setHeaderField(HeaderField::OffsetAngle, QStringLiteral("0")).ok);
    QVERIFY(doc.save().ok);
}

void TestMarksCli::marksAndAssessment_data()
{
    QTest::addColumn<QVector<Cave>>("caves");
    QTest::addColumn<double>("diameter");
    QTest::addColumn<QVector<int>>("order"); // wave numbers in depth order
    QTest::addColumn<double>("zone");
    QTest::addColumn<QVariant>("roof");   // null: none
    QTest::addColumn<QVariant>("height"); // null: no bottom marked
    QTest::addColumn<bool>("meets");

    const QVariant none;
    QTest::newRow("no marks, 0.8 m") << QVector<Cave>() << 0.8 << QVector<int>() << 5.0 << none << none << true;
    const QVector<Cave> deep = {{2, 1520, -1}, {1, 1500, 1800}};
    QTest::newRow("cave below the zone, 1.2 m")
        << deep << 1.2 << QVector<int> {1, 2} << 5.0 << QVariant(6.0) << QVariant(1.2) << true;
    QTest::newRow("cave at the zone's depth, 2.0 m")
        << deep << 2.0 << QVector<int> {1, 2} << 6.0 << QVariant(6.0) << QVariant(1.2) << true;
    QTest::newRow("cave inside the zone, two caves, 0.8 m")
        << QVector<Cave> {{7, 1500, 1700}, {3, 620, -1}, {0, 600, 900}} << 0.8 << QVector<int> {0, 3, 7} << 5.0
        << QVariant(2.4) << QVariant(1.2) << false;
    QTest::newRow("tops only, 1.2 m") << QVector<Cave> {{4, 700, -1}, {5, 710, -1}} << 1.2 << QVector<int> {4, 5} << 5.0
                                      << QVariant(2.8) << none << false;
}

void TestMarksCli::marksAndAssessment()
{
    QFETCH(QVector<Cave>, caves);
    QFETCH(double, diameter);
    QFETCH(QVector<int>, order);
    QFETCH(double, zone);
    QFETCH(QVariant, roof);
    QFETCH(QVariant, height);
    QFETCH(bool, meets);

    const QString file = path(QStringLiteral("case-%1.ard").arg(QTest::currentDataTag()).replace(' ', '-'));
    {
        KvrDocument doc;
        QVERIFY(doc.open(path("base.ard")).ok);
        for (const Cave &c : caves) {
            QVERIFY(doc.setFlawMark(c.wave, c.top).ok);
            if (c.bottom >= 0)
                QVERIFY(doc.setFlawBottom(c.wave, c.bottom).ok);
        }
        QVERIFY(doc.saveAs(file).ok);
    }

    const Run marks = runCli({"marks", file, "--json"}, m_dir.path());
    QCOMPARE(marks.code, 0);
    const QJsonArray list = QJsonDocument::fromJson(marks.out).object().value("marks").toArray();
    QCOMPARE(list.size(), order.size());
    for (int i = 0; i < list.size(); ++i) {
        const QJsonObject m = list.at(i).toObject();
        QCOMPARE(m.value("index").toInt(), order.at(i));
        const Cave c = *std::find_if(caves.begin(), caves.end(), [&](const Cave &x) { return x.wave == order.at(i); });
        QCOMPARE(m.value("topSample").toInt(), c.top);
        QCOMPARE(m.value("topDepthM").toDouble(), c.top * 0.004);
        if (c.bottom < 0) {
            QVERIFY(m.value("bottomSample").isNull() && m.value("bottomDepthM").isNull()
                    && m.value("heightM").isNull());
        } else {
            QCOMPARE(m.value("bottomSample").toInt(), c.bottom);
            QCOMPARE(m.value("heightM").toDouble(), (c.bottom - c.top) * 0.004);
        }
    }

    const Run assess = runCli({"assess", file, "--diameter", QString::number(diameter), "--json"}, m_dir.path());
    QCOMPARE(assess.code, 0);
    const QJsonObject a = QJsonDocument::fromJson(assess.out).object();
    QCOMPARE(a.value("pileDiameterM").toDouble(), diameter);
    QCOMPARE(a.value("zoneM").toDouble(), zone);
    QCOMPARE(a.value("roofM"), QJsonValue::fromVariant(roof));
    QCOMPARE(a.value("caveHeightM"), QJsonValue::fromVariant(height));
    QCOMPARE(a.value("meets").toBool(), meets);
    QVERIFY(
        a.value("text").toString().contains(meets ? QStringLiteral("范围内未发现溶洞") : QStringLiteral("小于要求的")));

    // The CSV holds the same rows under a header.
    const Run csv = runCli({"marks", file, "--csv"}, m_dir.path());
    QCOMPARE(csv.code, 0);
    const QStringList lines = QString::fromUtf8(csv.out).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), order.size() + 1);
    QVERIFY(lines.first().startsWith(QStringLiteral("index,nMeasurePoint,nChannel,angle,topSample")));
}

void TestMarksCli::bottomEditsAndInfo()
{
    const QString file = path("edit.ard");
    QVERIFY(QFile::copy(path("base.ard"), file));
    const QByteArray before = readAll(file);
    // Refused: no top on wave 1, a bottom above the top, outside the wave.
    for (const QStringList &args :
         {QStringList {"--flaw-bottom", "1=500"}, QStringList {"--flaw", "1=400", "--flaw-bottom", "1=300"},
          QStringList {"--flaw", "1=400", "--flaw-bottom", "1=2048"}}) {
        const Run r = runCli(QStringList {"edit", file} + args, m_dir.path());
        QCOMPARE(r.code, 2);
        QVERIFY(readAll(file) == before);
    }
    QCOMPARE(runCli({"edit", file, "--flaw", "1=400", "--flaw-bottom", "1=520"}, m_dir.path()).code, 0);
    auto waves = [&] {
        const Run info = runCli({"info", file, "--json"}, m_dir.path());
        return QJsonDocument::fromJson(info.out).object().value("waves").toArray();
    };
    QJsonArray w = waves();
    QCOMPARE(w.at(1).toObject().value("nFlawBottom").toInt(), 520);
    QCOMPARE(w.at(0).toObject().value("nFlawBottom").toInt(), -100);
    QCOMPARE(runCli({"edit", file, "--clear-flaw", "1"}, m_dir.path()).code, 0);
    w = waves();
    QCOMPARE(w.at(1).toObject().value("nFlawPos").toInt(), -100);
    QCOMPARE(w.at(1).toObject().value("nFlawBottom").toInt(), -100);
}

void TestMarksCli::assessNeedsADiameter()
{
    const Run r = runCli({"assess", path("base.ard"), "--json"}, m_dir.path());
    QCOMPARE(r.code, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY(r.err.contains(QStringLiteral("桩径")));
    QCOMPARE(runCli({"assess", path("base.ard"), "--diameter", "-1"}, m_dir.path()).code, 2);
}

QTEST_GUILESS_MAIN(TestMarksCli)
#include "test_markscli.moc"
