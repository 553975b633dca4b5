#include "app/displayscale.h"

#include <QtTest>

class TestDisplayScale : public QObject
{
    Q_OBJECT
private slots:
    void scaleAndFont_data();
    void scaleAndFont();
};

void TestDisplayScale::scaleAndFont_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("fontPixels");

    QTest::newRow("1920x1080 at 96") << 1920 << 1080 << 96.0 << 1.0 << 13;
    QTest::newRow("1920x1080 at 192 stays 1") << 1920 << 1080 << 192.0 << 1.0 << 13;
    QTest::newRow("smaller screen") << 1366 << 768 << 96.0 << 1.0 << 13;
    QTest::newRow("2560x1440 at 96") << 2560 << 1440 << 96.0 << (1.0 + 4.0 / 3.0) / 2.0 << 15;
    QTest::newRow("3840x2160 at 144") << 3840 << 2160 << 144.0 << 1.75 << 22;
    QTest::newRow("1920x1200 at 96") << 1920 << 1200 << 96.0 << (1.0 + 1200.0 / 1080.0) / 2.0 << 13;
    // h equals the smaller of d and w: the mean of d and w.
    QTest::newRow("2560x1440 at 128") << 2560 << 1440 << 128.0 << 4.0 / 3.0 << 17;
    // h below both d and w: the mean of w and h.
    QTest::newRow("3840x1200 at 192") << 3840 << 1200 << 192.0 << (2.0 + 1200.0 / 1080.0) / 2.0 << 20;
}

void TestDisplayScale::scaleAndFont()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, dpi);
    QFETCH(double, scale);
    QFETCH(int, fontPixels);

    const double got = computeDisplayScaleFor(width, height, dpi);
    QVERIFY2(qAbs(got - scale) < 1e-9, qPrintable(QString::number(got, 'f', 6)));
    QCOMPARE(applicationFontPixelSize(got), fontPixels);
}

QTEST_APPLESS_MAIN(TestDisplayScale)
#include "test_displayscale.moc"
