#include "datafile/records.h"

#include <QtTest>
#include <cmath>
#include <cstring>

class TestRecords : public QObject
{
    Q_OBJECT
private slots:
    void newRecordsHaveDocumentedValues()
    {
        auto h = newFileHead();
        QCOMPARE(h->fWaveSpeed, 4000.0f);
        QCOMPARE(h->fWaveZoomScale, 1.0f);
        QCOMPARE(h->waveGroupCnt, 0);

        auto b = newWaveBlock();
        QCOMPARE(b->nData[0], 32767);
        QCOMPARE(b->nData[4095], 32767);
        QCOMPARE(b->nDataCnt, 0);
        QCOMPARE(b->nFlawPos, -100);

        auto a = newWaveAnalyzeInfo();
        QCOMPARE(a->fChannelAngle, -100.0f);
        QCOMPARE(a->nMeasurePoint, -1);
        QCOMPARE(a->nFilterOrder, 500);
        QCOMPARE(a->fManualGain, 1.0f);
        QCOMPARE(a->nFilterWindow, 4);
        QCOMPARE(int(a->blUserOrder), 0);
    }

    void deepCopyOwnsItsBuffers()
    {
        auto g = newWaveGroup();
        g->blocks[1]->nData[5] = 1234;
        auto c = deepCopy(*g);
        QVERIFY(c->blocks[1] != g->blocks[1]);
        QCOMPARE(c->blocks[1]->nData[5], 1234);
        g->blocks[1]->nData[5] = 1;
        QCOMPARE(c->blocks[1]->nData[5], 1234);
    }

    void textFieldsAreGb18030AndCutAt64Bytes()
    {
        char field[64];
        std::memset(field, 'x', sizeof field);
        encodeText(field, QStringLiteral("某大桥"));
        // three CJK characters are two bytes each in gb18030, then zeros
        QCOMPARE(int(field[6]), 0);
        QCOMPARE(int(field[63]), 0);
        QCOMPARE(decodeText(field), QStringLiteral("某大桥"));

        const QString longName = QString(40, QChar(0x6865)); // 80 bytes encoded
        encodeText(field, longName);
        QCOMPARE(decodeText(field), QString(32, QChar(0x6865)));
    }

    // Every angle shown or placed (wave list, report, marks) is a direction
    // in [0, 360); the file keeps its own rule for what it stores.
    void channelAngles_data()
    {
        QTest::addColumn<double>("angle");
        QTest::addColumn<double>("shown");
        QTest::addColumn<float>("stored");
        QTest::newRow("inside") << 123.5 << 123.5 << 123.5f;
        QTest::newRow("zero") << 0.0 << 0.0 << 0.0f;
        QTest::newRow("360") << 360.0 << 0.0 << 360.0f;
        QTest::newRow("one turn and a bit") << 370.0 << 10.0 << 10.0f;
        QTest::newRow("two turns") << 720.0 << 0.0 << 360.0f;
        QTest::newRow("negative") << -30.0 << 330.0 << -30.0f;
        QTest::newRow("just below a turn") << 359.95 << 359.95 << 359.95f;
        QTest::newRow("minus a turn") << -360.0 << 0.0 << -360.0f;
        QTest::newRow("no number") << double(NAN) << 0.0 << float(NAN);
    }
    void channelAngles()
    {
        QFETCH(double, angle);
        QFETCH(double, shown);
        QFETCH(float, stored);
        QCOMPARE(wrapAngle(angle), shown);
        const float s = storedChannelAngle(float(angle));
        QVERIFY(s == stored || (std::isnan(s) && std::isnan(stored)));
    }
};

QTEST_APPLESS_MAIN(TestRecords)
#include "test_records.moc"
