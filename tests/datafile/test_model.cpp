#include "datafile/editcommands.h"
#include "datafile/measurementmodel.h"

#include <QtTest>
#include <cstring>

namespace {

WaveAnalyzeInfoPtr record(float angle, int point = 0, int channel = 0, bool userOrder = false)
{
    WaveAnalyzeInfoPtr a = newWaveAnalyzeInfo();
    a->fChannelAngle = angle;
    a->nMeasurePoint = point;
    a->nChannel = channel;
    a->blUserOrder = userOrder ? 1 : 0;
    return a;
}

// Two groups, records for channels 0..2 of each (angles 10 + 60 * k).
MeasurementModel sixWaves()
{
    MeasurementModel m;
    for (int p = 0; p < 2; ++p) {
        WaveGroupPtr g = newWaveGroup();
        g->head.nSamplePoints = 1024 * (p + 1);
        m.addWaveGroup(g);
        m.addFilterWaveGroup(deepCopy(*g));
        m.addFftInfo(newFftInfo());
        for (int c = 0; c < 3; ++c)
            m.addWaveAnalyzeInfo(record(10.0f + 60.0f * (3 * p + c), p, c));
    }
    return m;
}

QList<float> angles(const MeasurementModel &m)
{
    QList<float> out;
    for (const auto &a : m.waveAnalyzeInfoList())
        out << a->fChannelAngle;
    return out;
}

} // namespace

class TestModel : public QObject
{
    Q_OBJECT
private slots:
    void orderedInsertion();
    void userOrderAppends();
    void moveAndSwap_data();
    void moveAndSwap();
    void swapSetsUserOrderOnAll();
    void flawMarkReachesBothGroupLists();
    void deleteChannel_data();
    void deleteChannel();
    void deleteLastRemainingIsRefused();
};

void TestModel::orderedInsertion()
{
    MeasurementModel m;
    WaveAnalyzeInfoPtr first120 = record(120);
    m.addWaveAnalyzeInfo(record(240));
    m.addWaveAnalyzeInfo(record(0));
    m.addWaveAnalyzeInfo(first120);
    QCOMPARE(angles(m), (QList<float> {0, 120, 240}));
    WaveAnalyzeInfoPtr second120 = record(120);
    m.addWaveAnalyzeInfo(second120);
    QCOMPARE(angles(m), (QList<float> {0, 120, 120, 240}));
    QCOMPARE(m.waveAnalyzeInfoAt(1), first120);
    QCOMPARE(m.waveAnalyzeInfoAt(2), second120);
    m.addWaveAnalyzeInfo(record(-5));
    QCOMPARE(m.waveAnalyzeInfoAt(0)->fChannelAngle, -5.0f);
}

void TestModel::userOrderAppends()
{
    MeasurementModel m;
    m.addWaveAnalyzeInfo(record(300, 0, 0, true));
    m.addWaveAnalyzeInfo(record(10, 0, 1, true));
    QCOMPARE(angles(m), (QList<float> {300, 10}));
}

void TestModel::moveAndSwap_data()
{
    QTest::addColumn<int>("focus");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("done");
    QTest::addColumn<int>("newFocus");
    QTest::newRow("forward") << 2 << 1 << true << 3;
    QTest::newRow("backward two") << 2 << -2 << true << 0;
    QTest::newRow("past the end") << 5 << 1 << false << 5;
    QTest::newRow("before the start") << 0 << -1 << false << 0;
}

void TestModel::moveAndSwap()
{
    QFETCH(int, focus);
    QFETCH(int, step);
    QFETCH(bool, done);
    QFETCH(int, newFocus);

    MeasurementModel moved = sixWaves();
    QVERIFY(moved.setFocusIndex(focus));
    QCOMPARE(moved.moveFocus(step), done);
    QCOMPARE(moved.focusIndex(), newFocus);

    MeasurementModel swapped = sixWaves();
    const QList<float> before = angles(swapped);
    swapped.setFocusIndex(focus);
    const WaveAnalyzeInfoPtr focused = swapped.waveAnalyzeInfoAt(focus);
    QCOMPARE(swapped.swap(step), done);
    QCOMPARE(swapped.focusIndex(), newFocus);
    QCOMPARE(swapped.waveAnalyzeInfoAt(newFocus), focused);
    if (!done)
        QCOMPARE(angles(swapped), before);
}

void TestModel::swapSetsUserOrderOnAll()
{
    MeasurementModel m = sixWaves();
    m.setFocusIndex(4);
    QVERIFY(m.swap(1));
    for (const auto &a : m.waveAnalyzeInfoList())
        QCOMPARE(a->blUserOrder, quint8(1));
    // Records added later keep the user's order (appended).
    m.addWaveAnalyzeInfo(record(0, 1, 2, true));
    QCOMPARE(m.waveAnalyzeInfoList().last()->fChannelAngle, 0.0f);
}

void TestModel::flawMarkReachesBothGroupLists()
{
    MeasurementModel m = sixWaves();
    FileHead head {};
    EditTarget target {m, head};
    const int before = m.waveAnalyzeInfoAt(4)->nFlawPos;
    FlawMarkCommand mark(m.waveAnalyzeInfoAt(4), 321); // point 1, channel 1
    const DocChange change = mark.redo(target);
    QCOMPARE(change.waves, QVector<int> {4});
    QCOMPARE(m.waveAnalyzeInfoAt(4)->nFlawPos, 321);
    QCOMPARE(m.waveGroupAt(1)->blocks[1]->nFlawPos, 321);
    QCOMPARE(m.filterWaveGroupAt(1)->blocks[1]->nFlawPos, 321);
    QCOMPARE(m.waveGroupAt(1)->blocks[0]->nFlawPos, kNoValue);
    QCOMPARE(m.waveGroupAt(0)->blocks[1]->nFlawPos, kNoValue);
    mark.undo(target);
    QCOMPARE(m.waveAnalyzeInfoAt(4)->nFlawPos, before);
    QCOMPARE(m.waveGroupAt(1)->blocks[1]->nFlawPos, kNoValue);
    QCOMPARE(m.filterWaveGroupAt(1)->blocks[1]->nFlawPos, kNoValue);
}

void TestModel::deleteChannel_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("done");
    QTest::addColumn<int>("newFocus");
    QTest::newRow("wave 2 of 6") << 2 << true << 2;
    QTest::newRow("second-to-last wave") << 4 << true << 4;
    QTest::newRow("last wave") << 5 << true << 4;
    QTest::newRow("first wave") << 0 << true << 0;
    QTest::newRow("out of range") << 6 << false << 3;
    QTest::newRow("negative") << -1 << false << 3;
}

void TestModel::deleteChannel()
{
    QFETCH(int, index);
    QFETCH(bool, done);
    QFETCH(int, newFocus);

    MeasurementModel m = sixWaves();
    m.setFocusIndex(3);
    FileHead head;
    std::memset(static_cast<void *>(&head), 0, sizeof(head));
    const WaveAnalyzeInfoList before = m.waveAnalyzeInfoList();
    const WaveGroupPtr group0 = m.waveGroupAt(0);

    QCOMPARE(m.deleteChannel(index, head), done);
    QCOMPARE(m.focusIndex(), newFocus);
    if (!done) {
        QCOMPARE(m.waveAnalyzeInfoList(), before);
        QCOMPARE(head.deleteChannelCnt, 0);
        return;
    }
    WaveAnalyzeInfoList expected = before;
    expected.removeAt(index);
    QCOMPARE(m.waveAnalyzeInfoList(), expected);
    QCOMPARE(head.deleteChannelCnt, 1);
    QCOMPARE(head.modifyFlags, quint32(ModTypeOrVersion));
    // Groups stay as they were, same records, same samples.
    QCOMPARE(m.groupCount(), 2);
    QCOMPARE(m.waveGroupAt(0), group0);
    QCOMPARE(m.fftInfoList().size(), 2);
    QCOMPARE(m.maxSamplePoints(), 2048);
}

void TestModel::deleteLastRemainingIsRefused()
{
    MeasurementModel m;
    m.addWaveGroup(newWaveGroup());
    m.addFilterWaveGroup(newWaveGroup());
    m.addFftInfo(newFftInfo());
    m.addWaveAnalyzeInfo(record(0));
    FileHead head;
    std::memset(static_cast<void *>(&head), 0, sizeof(head));
    QVERIFY(!m.deleteChannel(0, head));
    QCOMPARE(m.waveCount(), 1);
    QCOMPARE(head.deleteChannelCnt, 0);
    QCOMPARE(head.modifyFlags, 0u);
}

QTEST_GUILESS_MAIN(TestModel)
#include "test_model.moc"
