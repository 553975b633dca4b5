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

WaveBlockPtr blockOf(const std::vector<int> &samples)
{
    WaveBlockPtr b = newWaveBlock();
    b->nDataCnt = int(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        b->nData[i] = samples[i];
    return b;
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
        WaveBlock b = *newWaveBlock();
        b.nDataCnt = 2;
        const dsp::ComplexSeq y = dsp::toComplex(b, 8);
        QCOMPARE(y[1], dsp::Complex(32767.0, 0.0));
        QCOMPARE(y[2], dsp::Complex(0.0, 0.0));
    }

    void mainFrequencyUsesSampleCountStep()
    {
        FftInfo info {};
        const WaveBlockPtr b = blockOf(cosineWave(1024, 20, 1024, 10000));
        QVERIFY(dsp::computeFftInfo(b, &info, 1, kFs, true));
        QVERIFY(std::abs(info.dMainFreq[1] - 9775.171065493646) < 1e-6);
        QCOMPARE(info.dFilterMainFreq[1], 0.0);
        double shown = 0.0;
        const QVector<double> spectrum = dsp::blockSpectrum(*b, kFs, &shown);
        QCOMPARE(spectrum.size(), 1024);
        QCOMPARE(shown, info.dMainFreq[1]);
        QCOMPARE(spectrum[0], 0.0);
        // single-sided amplitude of the cosine
        QVERIFY(std::abs(spectrum[20] - 10000.0) < 1.0);
    }

    void spectrumOfNonPowerOfTwoBlock()
    {
        const WaveBlockPtr b = blockOf(cosineWave(1000, 100, 1024, 5000));
        const auto a = dsp::amplitudeSpectrum(b);
        QCOMPARE(a->size(), 1000);
        // bin 100 of the 1024-point transform, reported with step 500000/999
        FftInfo info {};
        QVERIFY(dsp::computeFftInfo(b, &info, 0, kFs, false));
        QCOMPARE(info.dFilterMainFreq[0], 100 * (kFs / 999.0));
        const QVector<double> spectrum = dsp::blockSpectrum(*b, kFs);
        QCOMPARE(spectrum.size(), 1000);
        QVERIFY(std::abs(spectrum[5] - 2.0 * (*a)[5] / 1000.0) < 1e-9);
    }

    void constantBlockHasNoMainFrequency()
    {
        FftInfo info {};
        info.dMainFreq[2] = 123.0;
        const WaveBlockPtr b = blockOf(std::vector<int>(1024, 40000));
        QVERIFY(dsp::computeFftInfo(b, &info, 2, kFs, true));
        const QVector<double> spectrum = dsp::blockSpectrum(*b, kFs);
        QCOMPARE(spectrum.size(), 1024);
        for (int k = 0; k < 1024; ++k)
            QCOMPARE(spectrum[k], 0.0);
        QCOMPARE(info.dMainFreq[2], 0.0);
    }

    void shortBlocksHaveMainFrequencyZero_data()
    {
        QTest::addColumn<int>("n");
        QTest::newRow("empty") << 0;
        QTest::newRow("one sample") << 1;
    }
    void shortBlocksHaveMainFrequencyZero()
    {
        QFETCH(int, n);
        FftInfo info {};
        info.dMainFreq[0] = 123.0;
        const WaveBlockPtr b = blockOf(std::vector<int>(size_t(n), 50000));
        QVERIFY(dsp::computeFftInfo(b, &info, 0, kFs, true));
        QCOMPARE(info.dMainFreq[0], 0.0);
        QCOMPARE(dsp::amplitudeSpectrum(b)->size(), n);
        QVERIFY(!dsp::computeFftInfo(b, &info, 4, kFs, true));
        QVERIFY(!dsp::computeFftInfo(WaveBlockPtr(), &info, 0, kFs, true));
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
            FftInfo info {};
            QVERIFY(dsp::computeFftInfo(blockOf(s), &info, 0, kFs, true));
            QCOMPARE(info.dMainFreq[0], bin * (kFs / 4095.0));
        }
        // A 1000-sample wave padded to 1024 with a tone at transform bin 510:
        // bin 510 times 500000/999 would read 255255 Hz, above half the rate.
        {
            FftInfo info {};
            QVERIFY(dsp::computeFftInfo(blockOf(cosineWave(1000, 510, 1024, 8000)), &info, 0, kFs, true));
            QVERIFY(info.dMainFreq[0] <= kFs / 2);
        }
        // and white noise, whatever its length, never reports a frequency
        // above half the sampling rate
        for (int round = 0; round < 20; ++round) {
            std::vector<int> s(round % 2 ? 1000 : 4096);
            for (int &v : s)
                v = 32767 + int(rng.bounded(2001)) - 1000;
            FftInfo info {};
            QVERIFY(dsp::computeFftInfo(blockOf(s), &info, 0, kFs, true));
            QVERIFY(info.dMainFreq[0] <= kFs / 2);
        }
    }
};

QTEST_GUILESS_MAIN(TestFft)
#include "test_fft.moc"
