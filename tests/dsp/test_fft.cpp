#include "dsp/fft.h"

#include <QRandomGenerator>
#include <QtTest>
#include <cmath>

namespace {
constexpr double kFs = 500000.0;

dsp::ComplexSeq directDft(const dsp::ComplexSeq &x, double sign)
{
    const size_t n = x.size();
    dsp::ComplexSeq out(n);
    for (size_t k = 0; k < n; ++k) {
        dsp::Complex acc(0.0, 0.0);
        for (size_t j = 0; j < n; ++j) {
            const double a = sign * 2.0 * M_PI * double((j * k) % n) / double(n);
            acc += x[j] * dsp::Complex(std::cos(a), std::sin(a));
        }
        out[k] = acc;
    }
    return out;
}

dsp::ComplexSeq randomSeq(int n, quint32 seed)
{
    QRandomGenerator rng(seed);
    dsp::ComplexSeq x(static_cast<size_t>(n));
    for (auto &v : x)
        v = dsp::Complex(rng.generateDouble() - 0.5, rng.generateDouble() - 0.5);
    return x;
}

double maxDiff(const dsp::ComplexSeq &a, const dsp::ComplexSeq &b)
{
    double d = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        d = std::max(d, std::abs(a[i] - b[i]));
    return d;
}

// Main frequency of the samples as the spectrum finds it.
double mainFrequency(const std::vector<int> &samples)
{
    double f = -1.0;
    dsp::amplitudeSpectrum(samples.data(), int(samples.size()), kFs, &f);
    return f;
}

std::vector<int> cosineWave(int n, double bin, int p, double amp)
{
    std::vector<int> s(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        s[size_t(i)] = 32767 + int(std::lround(amp * std::cos(2.0 * M_PI * bin * i / p)));
    return s;
}
} // namespace

class TestFft : public QObject
{
    Q_OBJECT
private slots:
    void nextPow2_data()
    {
        QTest::addColumn<unsigned>("n");
        QTest::addColumn<unsigned>("expected");
        QTest::newRow("0") << 0u << 1u;
        QTest::newRow("1") << 1u << 1u;
        QTest::newRow("2") << 2u << 2u;
        QTest::newRow("3") << 3u << 4u;
        QTest::newRow("1000") << 1000u << 1024u;
        QTest::newRow("4096") << 4096u << 4096u;
        QTest::newRow("4097") << 4097u << 8192u;
    }
    void nextPow2()
    {
        QFETCH(unsigned, n);
        QFETCH(unsigned, expected);
        QCOMPARE(dsp::nextPow2(n), expected);
    }

    void transformsAgreeWithDirectSum_data()
    {
        QTest::addColumn<int>("n");
        for (int n : {1, 2, 4, 8, 16, 64, 512})
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }
    void transformsAgreeWithDirectSum()
    {
        QFETCH(int, n);
        const dsp::ComplexSeq x = randomSeq(n, quint32(n));
        const dsp::ComplexSeq ref = directDft(x, -1.0);
        const double tol = 1e-12 * n;

        dsp::ComplexSeq plain = x;
        dsp::fft(plain);
        QVERIFY(maxDiff(plain, ref) < tol);
        dsp::ifft(plain);
        QVERIFY(maxDiff(plain, x) < 1e-14 * n + 1e-15);

        dsp::ComplexFft plan(n);
        dsp::ComplexSeq fast = x;
        plan.forward(reinterpret_cast<double *>(fast.data()));
        QVERIFY(maxDiff(fast, ref) < tol);
        plan.inverse(reinterpret_cast<double *>(fast.data()));
        for (auto &v : fast)
            v /= double(n);
        QVERIFY(maxDiff(fast, x) < 1e-14 * n + 1e-15);

        // real input: half spectrum and the way back (n times the input)
        dsp::ComplexSeq realIn(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            realIn[size_t(i)] = x[size_t(i)].real();
        const dsp::ComplexSeq realRef = directDft(realIn, -1.0);
        dsp::RealFft rplan(n);
        std::vector<double> buf(size_t(rplan.bufferSize()), 0.0);
        for (int i = 0; i < n; ++i)
            buf[size_t(i)] = realIn[size_t(i)].real();
        rplan.forward(buf.data());
        for (int k = 0; k <= n / 2; ++k)
            QVERIFY(std::abs(dsp::Complex(buf[size_t(2 * k)], buf[size_t(2 * k + 1)]) - realRef[size_t(k)]) < tol);
        rplan.inverse(buf.data());
        for (int i = 0; i < n; ++i)
            QVERIFY(std::abs(buf[size_t(i)] / n - realIn[size_t(i)].real()) < 1e-14 * n + 1e-15);
    }

    void impulseTransformsToOnes()
    {
        dsp::ComplexSeq x = dsp::toComplex(std::vector<double> {1.0}, 16);
        QCOMPARE(int(x.size()), 16);
        dsp::fft(x);
        for (const auto &v : x)
            QCOMPARE(v, dsp::Complex(1.0, 0.0));
    }

    void builders()
    {
        const int samples[3] = {5, -6, 7};
        const dsp::ComplexSeq x = dsp::toComplex(samples, 3, 4);
        QCOMPARE(int(x.size()), 4);
        QCOMPARE(x[1], dsp::Complex(-6.0, 0.0));
        QCOMPARE(x[3], dsp::Complex(0.0, 0.0));
    }

    void mainFrequencyUsesSampleCountStep()
    {
        const std::vector<int> s = cosineWave(1024, 20, 1024, 10000);
        double shown = -1.0;
        const QVector<double> spectrum = dsp::amplitudeSpectrum(s.data(), 1024, kFs, &shown);
        QVERIFY(std::abs(shown - 9775.171065493646) < 1e-6);
        QCOMPARE(spectrum.size(), 1024);
        QCOMPARE(spectrum[0], 0.0);
        // single-sided amplitude of the cosine
        QVERIFY(std::abs(spectrum[20] - 10000.0) < 1.0);
    }

    void spectrumOfNonPowerOfTwoWave()
    {
        const std::vector<int> s = cosineWave(1000, 100, 1024, 5000);
        // bin 100 of the 1024-point transform, reported with step 500000/999
        QCOMPARE(mainFrequency(s), 100 * (kFs / 999.0));
        const QVector<double> spectrum = dsp::amplitudeSpectrum(s.data(), 1000, kFs);
        QCOMPARE(spectrum.size(), 1000);
        dsp::ComplexSeq x = dsp::toComplex(s.data(), 1000, 1024);
        dsp::fft(x);
        QVERIFY(std::abs(spectrum[5] - 2.0 * std::abs(x[5]) / 1000.0) < 1e-9);
        // the upper bins mirror the lower ones of the padded transform
        QCOMPARE(spectrum[999], spectrum[1024 - 999]);
    }

    void constantWaveHasNoMainFrequency()
    {
        const std::vector<int> s(1024, 40000);
        double shown = 123.0;
        const QVector<double> spectrum = dsp::amplitudeSpectrum(s.data(), 1024, kFs, &shown);
        QCOMPARE(spectrum.size(), 1024);
        for (int k = 0; k < 1024; ++k)
            QCOMPARE(spectrum[k], 0.0);
        QCOMPARE(shown, 0.0);
    }

    void shortWavesHaveMainFrequencyZero_data()
    {
        QTest::addColumn<int>("n");
        QTest::newRow("empty") << 0;
        QTest::newRow("one sample") << 1;
    }
    void shortWavesHaveMainFrequencyZero()
    {
        QFETCH(int, n);
        const std::vector<int> s(size_t(n), 50000);
        double shown = 123.0;
        QCOMPARE(dsp::amplitudeSpectrum(s.data(), n, kFs, &shown).size(), n);
        QCOMPARE(shown, 0.0);
    }

    // The filtering reads a wave's spectrum off its own transform, zero-padded
    // to twice the length; that gives what the view shows, bin for bin and
    // main frequency for main frequency.
    void spectrumFromPaddedTransform_data()
    {
        QTest::addColumn<QVector<int>>("samples");
        const std::vector<int> tone = cosineWave(1024, 20, 1024, 10000);
        QTest::newRow("tone") << QVector<int>(tone.begin(), tone.end());
        QVector<int> nyquist(64);
        for (int i = 0; i < 64; ++i)
            nyquist[i] = 32767 + (i % 2 ? 9000 : -9000) + int(std::lround(800 * std::cos(2.0 * M_PI * 5 * i / 64)));
        QTest::newRow("strongest at half the rate") << nyquist;
        QRandomGenerator rng(11);
        QVector<int> noise(256);
        for (int &v : noise)
            v = 32767 + int(rng.bounded(2001)) - 1000;
        QTest::newRow("noise") << noise;
    }
    void spectrumFromPaddedTransform()
    {
        QFETCH(QVector<int>, samples);
        const int n = samples.size();
        std::vector<double> direct(static_cast<size_t>(n)), padded(static_cast<size_t>(n));
        const double fDirect = dsp::spectrumAndMainFrequency(samples.constData(), n, kFs, direct.data());
        const dsp::RealFft &plan = dsp::realFftPlan(2 * n);
        std::vector<double> buf(size_t(plan.bufferSize()), 0.0);
        for (int i = 0; i < n; ++i)
            buf[size_t(i)] = samples[i] - 32767;
        plan.forward(buf.data());
        const double fPadded = dsp::spectrumFromBins(buf.data(), 2, n, kFs, padded.data());
        QCOMPARE(fPadded, fDirect);
        QVERIFY(fDirect <= kFs / 2);
        for (int k = 1; k < n; ++k)
            QVERIFY(std::abs(padded[size_t(k)] - direct[size_t(k)]) < 1e-9 * (1.0 + direct[size_t(k)]));
    }

    void mainFrequencyNeverAboveNyquist()
    {
        // Pure tones at bins whose mirror image lies in the upper half, with
        // noise: the reported frequency is the lower image.
        QRandomGenerator rng(7);
        for (int bin : {3, 700, 1096, 1500, 2047}) {
            std::vector<int> s = cosineWave(4096, bin, 4096, 8000);
            for (int &v : s)
                v += int(rng.bounded(41)) - 20;
            QCOMPARE(mainFrequency(s), bin * (kFs / 4095.0));
        }
        // A 1000-sample wave padded to 1024 with a tone at transform bin 510:
        // bin 510 times 500000/999 would read 255255 Hz, above half the rate.
        QVERIFY(mainFrequency(cosineWave(1000, 510, 1024, 8000)) <= kFs / 2);
        // and white noise, whatever its length, never reports a frequency
        // above half the sampling rate
        for (int round = 0; round < 20; ++round) {
            std::vector<int> s(round % 2 ? 1000 : 4096);
            for (int &v : s)
                v = 32767 + int(rng.bounded(2001)) - 1000;
            QVERIFY(mainFrequency(s) <= kFs / 2);
        }
    }
};

QTEST_GUILESS_MAIN(TestFft)
#include "test_fft.moc"
