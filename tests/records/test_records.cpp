#include "datafile/records.h"

#include <QtTest>
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
};

QTEST_APPLESS_MAIN(TestRecords)
#include "test_records.moc"
