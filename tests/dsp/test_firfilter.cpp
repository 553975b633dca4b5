#include "dsp/fft.h"
#include "dsp/firfilter.h"
#include "dsp/waveprocessing.h"

#include <QFile>
#include <QTextStream>
#include <QtTest>
#include <cmath>

Q_DECLARE_METATYPE(FirError)

namespace {
constexpr double kFs = 500000.0;

// Reads one "name count" section of tests/dsp/fixtures/reference.txt.
QVector<double> readSection(const QString &name)
{
    QFile f(QString::fromLocal8Bit(qgetenv("KVR_SOURCE_DIR")) + "/tests/dsp/fixtures/reference.txt");
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QTextStream in(&f);
    QVector<double> out;
    while (!in.atEnd()) {
        const QStringList head = in.readLine().split(' ');
        if (head.size() != 2)
            continue;
        if (head[0] == name) {
            const int n = head[1].toInt();
            if (name == QLatin1String("mainfreq"))
                return {head[1].toDouble()};
            for (int i = 0; i < n; ++i)
                out << in.readLine().toDouble();
            return out;
        }
    }
    return out;
}

// Amplitude of the wave between two indexes (half the peak-to-peak range).
double amplitude(const std::vector<double> &v, int from, int to)
{
    double mx = -1e300, mn = 1e300;
    for (int i = from; i < to; ++i) {
        mx = std::max(mx, v[size_t(i)]);
        mn = std::min(mn, v[size_t(i)]);
    }
    return (mx - mn) / 2.0;
}
} // namespace

class TestFirFilter : public QObject
{
    Q_OBJECT
private slots:
    void evenOrderSymmetricWithUnitGain_data()
    {
        QTest::addColumn<int>("windowCode");
        QTest::addColumn<int>("order");
        QTest::addColumn<double>("f1");
        QTest::addColumn<double>("f2");
        QTest::newRow("blackman 500") << 4 << 500 << 2000.0 << 20000.0;
        QTest::newRow("rectangle 100") << 0 << 100 << 5000.0 << 15000.0;
        QTest::newRow("bartlett 64") << 1 << 64 << 1000.0 << 40000.0;
        QTest::newRow("hanning 2") << 2 << 2 << 20000.0 << 60000.0;
        QTest::newRow("hamming 1000") << 3 << 1000 << 500.0 << 3000.0;
    }
    void evenOrderSymmetricWithUnitGain()
    {
        QFETCH(int, windowCode);
        QFETCH(int, order);
        QFETCH(double, f1);
        QFETCH(double, f2);
        FirFilter f;
        QVERIFY(f.bandpass(windowCode, order, f1, f2, kFs, 1));
        QCOMPARE(int(f.coefficients.size()), order + 1);
        QCOMPARE(int(f.window.size()), order + 1);
        for (int i = 0; i <= order; ++i)
            QVERIFY(std::abs(f.coefficients[size_t(i)] - f.coefficients[size_t(order - i)]) < 1e-15);
        // the centre tap carries the largest weight of a band-pass design
        const auto centre = std::max_element(f.coefficients.begin(), f.coefficients.end());
        QCOMPARE(int(centre - f.coefficients.begin()), order / 2);
        QVERIFY(std::abs(FirFilter::responseMagnitude(f1, f2, kFs, order + 1, f.coefficients) - 1.0) < 1e-12);
    }

    void oddOrderKeepsSymmetricWindowOnly()
    {
        FirFilter f;
        QVERIFY(f.bandpass(3, 11, 20000, 60000, kFs, 1));
        QCOMPARE(int(f.coefficients.size()), 12);
        for (int i = 0; i < 12; ++i)
            QCOMPARE(f.window[size_t(i)], f.window[size_t(11 - i)]);
        // ideal response centred on index 5: d[5] = (w2 - w1)/pi
        QVERIFY(std::abs(f.ideal[5] - 2.0 * (60000.0 - 20000.0) / kFs) < 1e-15);
        QVERIFY(std::abs(f.coefficients[2] - f.coefficients[9]) > 1e-6);
    }

    void windowShapes()
    {
        FirFilter f;
        const std::vector<double> bartlett = f.makeWindow("Bartlett", 5, 2.0);
        const std::vector<double> expected {0.0, 1.0, 2.0, 1.0, 0.0};
        QCOMPARE(bartlett, expected);
        const std::vector<double> rect = f.makeWindow("Rectangle", 4, 3.0);
        QCOMPARE(rect, std::vector<double>(4, 3.0));
        const std::vector<double> hann = f.makeWindow("Hanning", 3, 1.0);
        QCOMPARE(hann[1], 1.0);
        QCOMPARE(hann[0], 0.0);
        // an unknown name yields nothing and leaves the last window alone
        QVERIFY(f.makeWindow("blackman", 3, 1.0).empty());
        QCOMPARE(f.window, hann);
    }

    void codesOutsideTheTables()
    {
        FirFilter a, b;
        QVERIFY(a.bandpass(7, 200, 3000, 30000, kFs, 1));
        QVERIFY(b.design("bandpass", "Blackman", 3000, 30000, kFs, 200, 1.0));
        QCOMPARE(a.coefficients, b.coefficients);
        QVERIFY(a.designByCode(9, 4, 3000, 30000, kFs, 200, 1.0));
        QCOMPARE(a.coefficients, b.coefficients);
    }

    void bandNameIsCaseSensitive()
    {
        FirFilter a, b;
        QVERIFY(a.design("LowPass", "Hamming", 3000, 30000, kFs, 100, 1.0));
        QVERIFY(b.design("bandstop", "Hamming", 3000, 30000, kFs, 100, 1.0));
        QCOMPARE(a.coefficients, b.coefficients);
        QVERIFY(b.design("lowpass", "Hamming", 3000, 30000, kFs, 100, 1.0));
        QVERIFY(a.coefficients != b.coefficients);
    }

    void amplitudeCancelsInNormalisation()
    {
        FirFilter a, b;
        QVERIFY(a.designByCode(2, 0, 3000, 30000, kFs, 80, 2.0));
        QVERIFY(b.designByCode(2, 0, 3000, 30000, kFs, 80, 1.0));
        for (size_t i = 0; i < a.coefficients.size(); ++i)
            QVERIFY(std::abs(a.coefficients[i] - b.coefficients[i]) < 1e-15);
    }

    void refusedDesigns_data()
    {
        QTest::addColumn<QString>("band");
        QTest::addColumn<QString>("windowName");
        QTest::addColumn<double>("f1");
        QTest::addColumn<double>("f2");
        QTest::addColumn<int>("order");
        QTest::addColumn<FirError>("why");
        QTest::newRow("order 0") << "bandpass"
                                 << "Blackman" << 2000.0 << 20000.0 << 0 << FirError::Order;
        QTest::newRow("negative order") << "bandpass"
                                        << "Hamming" << 2000.0 << 20000.0 << -4 << FirError::Order;
        QTest::newRow("huge order") << "bandpass"
                                    << "Hamming" << 2000.0 << 20000.0 << 2147483647 << FirError::Order;
        QTest::newRow("f1 zero") << "bandpass"
                                 << "Blackman" << 0.0 << 20000.0 << 500 << FirError::CutOffs;
        QTest::newRow("f1 above f2") << "bandpass"
                                     << "Blackman" << 30000.0 << 20000.0 << 500 << FirError::CutOffs;
        QTest::newRow("f1 equals f2") << "bandpass"
                                      << "Blackman" << 20000.0 << 20000.0 << 500 << FirError::CutOffs;
        QTest::newRow("f2 at nyquist") << "bandpass"
                                       << "Blackman" << 2000.0 << 250000.0 << 500 << FirError::CutOffs;
        QTest::newRow("no value cut-offs") << "bandpass"
                                           << "Blackman" << -100.0 << -100.0 << 500 << FirError::CutOffs;
        QTest::newRow("nan") << "bandpass"
                             << "Blackman" << std::nan("") << 20000.0 << 500 << FirError::CutOffs;
        QTest::newRow("unknown window") << "bandpass"
                                        << "Kaiser" << 2000.0 << 20000.0 << 500 << FirError::Window;
        QTest::newRow("blackman of two taps vanishes") << "bandpass"
                                                       << "Blackman" << 2000.0 << 20000.0 << 1 << FirError::Vanishes;
    }
    void refusedDesigns()
    {
        QFETCH(QString, band);
        QFETCH(QString, windowName);
        QFETCH(double, f1);
        QFETCH(double, f2);
        QFETCH(int, order);
        QFETCH(FirError, why);
        FirFilter f;
        FirError error = FirError::Window;
        QVERIFY(f.bandpass(4, 20, 2000, 20000, kFs, 1, &error)); // a usable earlier design
        QCOMPARE(error, FirError::None);
        QVERIFY(!f.design(band, windowName, f1, f2, kFs, order, 1.0, &error));
        QCOMPARE(error, why);
        QVERIFY(f.coefficients.empty());
    }

    void matchesIndependentReferenceTaps()
    {
        const QVector<double> ref = readSection("taps");
        QCOMPARE(ref.size(), 501);
        FirFilter f;
        QVERIFY(f.bandpass(4, 500, 2000, 20000, kFs, 1));
        double worst = 0.0;
        for (int i = 0; i < 501; ++i)
            worst = std::max(worst, std::abs(f.coefficients[size_t(i)] - ref[i]));
        QVERIFY2(worst < 1e-12, qPrintable(QString::number(worst)));
    }

    void passBandKeptStopBandRemoved_data()
    {
        QTest::addColumn<double>("freq");
        QTest::addColumn<double>("minRatio");
        QTest::addColumn<double>("maxRatio");
        QTest::newRow("11 kHz, reference") << 11000.0 << 0.99 << 1.01;
        QTest::newRow("6 kHz, pass band") << 6000.0 << 0.97 << 1.03;
        QTest::newRow("150 kHz, far stop band") << 150000.0 << 0.0 << 1e-3;
        QTest::newRow("60 kHz, above the band") << 60000.0 << 0.0 << 1e-3;
    }
    void passBandKeptStopBandRemoved()
    {
        QFETCH(double, freq);
        QFETCH(double, minRatio);
        QFETCH(double, maxRatio);
        FirFilter f;
        QVERIFY(f.bandpass(4, 500, 2000, 20000, kFs, 1));
        const int n = 4096;
        std::vector<qint32> s(n);
        for (int i = 0; i < n; ++i)
            s[size_t(i)] = 32767 + int(std::lround(10000.0 * std::sin(2.0 * M_PI * freq * i / kFs)));
        dsp::filterWave(s.data(), n, dsp::filterKernel(f.coefficients, dsp::convolutionLength(n, 501)), s.data());
        std::vector<double> y(s.begin(), s.end());
        const double a = amplitude(y, 600, n - 600) / 10000.0; // away from the edges
        QVERIFY2(a >= minRatio && a <= maxRatio, qPrintable(QString::number(a)));
    }

    void impulseGivesTheTaps()
    {
        FirFilter f;
        QVERIFY(f.bandpass(3, 64, 5000, 50000, kFs, 1));
        const int n = 200, taps = 65, delay = 32;
        const dsp::FilterKernel kernel = dsp::filterKernel(f.coefficients, dsp::convolutionLength(n, taps));
        std::vector<double> x(n, 0.0), y(n);
        x[0] = 1.0;
        // The transform of the input is shown before it is filtered: that of
        // an impulse is flat.
        bool seen = false;
        dsp::convolve(x.data(), n, kernel, y.data(), [&](const double *bins) {
            seen = true;
            for (int k = 0; k <= kernel.length / 2; ++k)
                QVERIFY(bins[2 * k] == 1.0 && bins[2 * k + 1] == 0.0);
        });
        QVERIFY(seen);
        // the delay removal drops the first `delay` taps
        for (int i = 0; i < n; ++i) {
            const double expected = i + delay < taps ? f.coefficients[size_t(i + delay)] : 0.0;
            QVERIFY(std::abs(y[size_t(i)] - expected) < 1e-14);
        }
    }

    void shortWaveGetsFullLinearConvolution()
    {
        // 10 samples against 501 taps: the transform must hold n + L - 1 points
        QVERIFY(dsp::convolutionLength(10, 501) >= 510);
        QCOMPARE(dsp::convolutionLength(4096, 501), 8192);
        QCOMPARE(dsp::convolutionLength(1000, 501), 2048);
        FirFilter f;
        QVERIFY(f.bandpass(4, 500, 2000, 20000, kFs, 1));
        qint32 s[10];
        for (int i = 0; i < 10; ++i)
            s[i] = 32767 + 8000 * ((i * 7) % 5 - 2);
        int direct[10];
        for (int i = 0; i < 10; ++i) {
            double acc = 0.0;
            for (int j = 0; j < 10; ++j) {
                const int k = i + 250 - j;
                if (k >= 0 && k < 501)
                    acc += f.coefficients[size_t(k)] * (s[j] - 32767);
            }
            direct[i] = int(acc) + 32767;
        }
        dsp::filterWave(s, 10, dsp::filterKernel(f.coefficients, dsp::convolutionLength(10, 501)), s);
        for (int i = 0; i < 10; ++i)
            QVERIFY2(std::abs(s[i] - direct[i]) <= 1, qPrintable(QString::number(i)));
    }
};

QTEST_GUILESS_MAIN(TestFirFilter)
#include "test_firfilter.moc"
