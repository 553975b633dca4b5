#include "datafile/processing.h"
#include "dsp/fft.h"
#include "dsp/firfilter.h"
#include "dsp/gain.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThreadPool>
#include <QtTest>
#include <cmath>
#include <cstring>

namespace {
constexpr double kFs = 500000.0;

struct Model {
    WaveGroupList groups, filtered;
    WaveAnalyzeInfoList infos;
    FftInfoList ffts;
};

// A survey of `points` groups with three channels of pulses plus noise.
Model makeModel(int points, int samples, quint32 seed)
{
    Model m;
    QRandomGenerator rng(seed);
    for (int g = 0; g < points; ++g) {
        WaveGroupPtr group = newWaveGroup();
        for (int c = 0; c < kChannelsPerGroup; ++c) {
            WaveBlock &b = *group->blocks[c];
            b.nDataCnt = samples;
            b.nFlawPos = 10 * c;
            const double f = 6000.0 + 1000.0 * ((g + c) % 7);
            for (int i = 0; i < samples; ++i) {
                const double t = (i - 300.0 - 40 * c) / kFs;
                const double env = std::exp(-t * t / (2 * 4e-5 * 4e-5));
                b.nData[i] = 32767 + int(12000 * env * std::sin(2 * M_PI * f * t)) + int(rng.bounded(401)) - 200;
            }
            WaveAnalyzeInfoPtr info = newWaveAnalyzeInfo();
            info->nMeasurePoint = g;
            info->nChannel = c;
            info->nLowCutoff = 2000;
            info->nHighCutoff = 20000 + 5000 * (c % 2);
            info->nFilterOrder = 500;
            info->nFilterWindow = 4;
            m.infos << info;
        }
        m.groups << group;
        m.filtered << deepCopy(*group);
        m.ffts << newFftInfo();
    }
    return m;
}

// Processes record `index` (-1: all) of the lists as a survey's model.
QVector<processing::WaveProblem> process(const Model &m, int index)
{
    MeasurementModel model = MeasurementModel::fromLists(m.groups, m.filtered, m.infos, m.ffts);
    return processing::processWaves(model, index);
}

WaveAnalyzeInfoPtr recordFor(int group, int channel)
{
    WaveAnalyzeInfoPtr info = newWaveAnalyzeInfo();
    info->nMeasurePoint = group;
    info->nChannel = channel;
    info->nLowCutoff = 2000;
    info->nHighCutoff = 20000;
    return info;
}

bool sameBlocks(const WaveGroupList &a, const WaveGroupList &b)
{
    for (int g = 0; g < a.size(); ++g)
        for (int c = 0; c < kBlocksPerGroup; ++c)
            if (std::memcmp(a[g]->blocks[c].data(), b[g]->blocks[c].data(), sizeof(WaveBlock)))
                return false;
    return true;
}

QVector<double> readSection(const QString &name)
{
    QFile f(QString::fromLocal8Bit(qgetenv("KVR_SOURCE_DIR")) + "/tests/dsp/fixtures/reference.txt");
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QStringList head = in.readLine().split(' ');
        if (head.size() == 2 && head[0] == name) {
            if (name == QLatin1String("mainfreq"))
                return {head[1].toDouble()};
            QVector<double> out;
            for (int i = 0, n = head[1].toInt(); i < n; ++i)
                out << in.readLine().toDouble();
            return out;
        }
    }
    return {};
}
} // namespace

class TestWaveProcessing : public QObject
{
    Q_OBJECT
private slots:
    void adaptiveGain_data()
    {
        QTest::addColumn<int>("excursion");
        QTest::addColumn<float>("expected");
        QTest::newRow("3276 -> 10") << 3276 << 10.0f;
        QTest::newRow("20000 -> 1") << 20000 << 1.0f;
        QTest::newRow("5000 -> 6") << 5000 << 6.0f;
        QTest::newRow("-5000 -> 6") << -5000 << 6.0f;
        QTest::newRow("flat -> 1") << 0 << 1.0f;
    }
    void adaptiveGain()
    {
        QFETCH(int, excursion);
        QFETCH(float, expected);
        Model m = makeModel(2, 16, 1);
        for (const WaveGroupPtr &g : m.groups)
            for (int c = 0; c < 3; ++c)
                for (int i = 0; i < 16; ++i)
                    g->blocks[c]->nData[i] = 32767;
        m.groups[1]->blocks[2]->nData[5] = 32767 + excursion;
        m.groups[0]->blocks[1]->nData[3] = 32767 + excursion / 2;
        QCOMPARE(processing::adaptiveGain(m.groups, m.infos), expected);
    }

    void adaptiveGainEdgeCases()
    {
        Model m = makeModel(1, 16, 2);
        QCOMPARE(processing::adaptiveGain(m.groups, {}), 1.0f);
        // an empty wave counts as full scale
        m.groups[0]->blocks[0]->nDataCnt = 0;
        for (int c = 1; c < 3; ++c)
            for (int i = 0; i < 16; ++i)
                m.groups[0]->blocks[c]->nData[i] = 32767 + (i % 2) * 100;
        QCOMPARE(processing::adaptiveGain(m.groups, m.infos), 1.0f);
        // a record pointing nowhere is ignored
        WaveAnalyzeInfoList onlyBad {recordFor(5, 0)};
        QCOMPARE(processing::adaptiveGain(m.groups, onlyBad), 1.0f);
        WaveAnalyzeInfoList mixed {recordFor(0, 1), recordFor(0, 7)};
        QCOMPARE(processing::adaptiveGain(m.groups, mixed), 10.0f);
    }

    void normalizeFactor_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("expected");
        QTest::newRow("30000..40000") << 30000 << 40000 << 2 << 32767.5 / (40000 - 32767.5);
        QTest::newRow("5000..40000") << 5000 << 40000 << 2 << 32767.5 / (32767.5 - 5000);
        QTest::newRow("empty") << 0 << 0 << 0 << -1.0;
        QTest::newRow("beyond full scale") << -20 << 70000 << 2 << 1.0;
    }
    void normalizeFactor()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(int, count);
        QFETCH(double, expected);
        const int samples[2] = {low, high};
        int mx = -1, mn = -1;
        float factor = 0.0f;
        QCOMPARE(dsp::normalizeFactor(samples, count, mx, mn, factor), float(expected));
        QCOMPARE(factor, float(expected));
        QCOMPARE(mx, count ? std::min(high, 65535) : 0);
        QCOMPARE(mn, count ? std::max(low, 0) : 65535);
    }

    // The one rule by which views, report image and printed page draw a sample.
    void drawnValue_data()
    {
        QTest::addColumn<int>("sample");
        QTest::addColumn<double>("gain");
        QTest::addColumn<double>("drawn");
        QTest::newRow("gain 3 about the mid level") << 32867 << 3.0 << 32767.5 + 3 * 99.5;
        QTest::newRow("clipped at full scale") << 60000 << 4.0 << 65535.0;
        QTest::newRow("clipped at zero") << 1000 << 4.0 << 0.0;
        QTest::newRow("negative gain mirrors") << 40000 << -1.0 << 32767.5 - (40000 - 32767.5);
        QTest::newRow("no value marker") << -100 << 5.0 << 32767.5;
        QTest::newRow("gain without a number") << 40000 << std::nan("") << 32767.5;
        QTest::newRow("infinite gain on the zero line") << 32767 << HUGE_VAL << 0.0;
    }
    void drawnValue()
    {
        QFETCH(int, sample);
        QFETCH(double, gain);
        QFETCH(double, drawn);
        QCOMPARE(dsp::drawnValue(sample, gain), drawn);
    }

    void matchesIndependentReferenceWave()
    {
        const QVector<double> wave = readSection("wave");
        const QVector<double> expected = readSection("filtered");
        const QVector<double> mainFreq = readSection("mainfreq");
        QCOMPARE(wave.size(), 300);
        QCOMPARE(expected.size(), 300);
        Model m = makeModel(1, 300, 3);
        for (int i = 0; i < 300; ++i)
            m.groups[0]->blocks[1]->nData[i] = int(wave[i]);
        m.infos = {recordFor(0, 1)};
        m.infos[0]->nFilterOrder = 500;
        m.infos[0]->nFilterWindow = 4;
        QVERIFY(process(m, -1).isEmpty());
        int off = 0;
        for (int i = 0; i < 300; ++i) {
            const int d = std::abs(m.filtered[0]->blocks[1]->nData[i] - int(expected[i]));
            QVERIFY2(d <= 1, qPrintable(QString("sample %1").arg(i)));
            off += d;
        }
        QVERIFY(off < 5); // an exact tie at truncation is rare
        QVERIFY(std::abs(m.ffts[0]->dMainFreq[1] - mainFreq[0]) < 1e-6);
    }

    void agreesWithPlainPipeline()
    {
        // The plain path: 2*nextPow2(n) radix-2 transforms with the twiddle
        // recurrence, a design per wave, raw-sample spectra.
        Model m = makeModel(2, 4096, 4);
        m.infos[4]->nFilterWindow = 2;
        m.infos[5]->nFilterOrder = 120;
        QVERIFY(process(m, -1).isEmpty());
        for (const WaveAnalyzeInfoPtr &info : m.infos) {
            const WaveBlock &o = *m.groups[info->nMeasurePoint]->blocks[info->nChannel];
            const WaveBlock &p = *m.filtered[info->nMeasurePoint]->blocks[info->nChannel];
            const FftInfo &f = *m.ffts[info->nMeasurePoint];
            FirFilter filter;
            QVERIFY(
                filter.bandpass(info->nFilterWindow, info->nFilterOrder, info->nLowCutoff, info->nHighCutoff, kFs, 1));
            const int n = o.nDataCnt, len = 2 * int(dsp::nextPow2(unsigned(n)));
            std::vector<int> centred(o.nData, o.nData + n);
            for (int &v : centred)
                v -= 32767;
            dsp::ComplexSeq x = dsp::toComplex(centred.data(), n, len);
            dsp::ComplexSeq h = dsp::toComplex(filter.coefficients, len);
            dsp::fft(x);
            dsp::fft(h);
            for (int k = 0; k < len; ++k)
                x[size_t(k)] *= h[size_t(k)];
            dsp::ifft(x);
            const int delay = info->nFilterOrder / 2;
            int differing = 0;
            for (int i = 0; i < n; ++i) {
                const int v = std::clamp(int(x[size_t(delay + i)].real()) + 32767, 0, 65535);
                QVERIFY(std::abs(v - p.nData[i]) <= 1);
                differing += v != p.nData[i];
            }
            QVERIFY(differing < 5);
            QCOMPARE(p.nDataCnt, o.nDataCnt);
            QCOMPARE(p.nFlawPos, o.nFlawPos);

            dsp::ComplexSeq raw = dsp::toComplex(o.nData, n, n);
            dsp::fft(raw);
            // The spectrum a view shows is the one the main frequency comes from.
            double shownMain = -1;
            const QVector<double> shown = dsp::amplitudeSpectrum(o.nData, n, kFs, &shownMain);
            QCOMPARE(shown.size(), n);
            int best = 1;
            for (int k = 1; k < n; ++k) {
                const double a = 2.0 * std::abs(raw[size_t(k)]) / n;
                QVERIFY(std::abs(a - shown[k]) < 1e-9 * (1.0 + a));
                if (k <= (n - 1) / 2 && a > 2.0 * std::abs(raw[size_t(best)]) / n)
                    best = k;
            }
            QCOMPARE(f.dMainFreq[info->nChannel], best * (kFs / (n - 1)));
            QCOMPARE(f.dMainFreq[info->nChannel], shownMain);
            QVERIFY(f.dFilterMainFreq[info->nChannel] > 2000.0);
            QVERIFY(f.dFilterMainFreq[info->nChannel] < 25000.0);
        }
    }

    void constantWaveStaysConstant()
    {
        Model m = makeModel(1, 4096, 5);
        for (int i = 0; i < 4096; ++i)
            m.groups[0]->blocks[0]->nData[i] = 32767;
        QVERIFY(process(m, 0).isEmpty());
        for (int i = 0; i < 4096; ++i)
            QCOMPARE(m.filtered[0]->blocks[0]->nData[i], 32767);
        QCOMPARE(m.ffts[0]->dMainFreq[0], 0.0);
        QCOMPARE(m.ffts[0]->dFilterMainFreq[0], 0.0);
        // only record 0 was touched
        QCOMPARE(m.ffts[0]->dMainFreq[1], 0.0);
        QVERIFY(std::memcmp(m.filtered[0]->blocks[1].data(), m.groups[0]->blocks[1].data(), sizeof(WaveBlock)) == 0);
    }

    void emptyWaveCopiedUnchanged()
    {
        Model m = makeModel(1, 64, 6);
        m.groups[0]->blocks[2]->nDataCnt = 0;
        m.filtered[0]->blocks[2]->nData[0] = 1; // stale processed value
        QVERIFY(process(m, 2).isEmpty());
        QVERIFY(std::memcmp(m.filtered[0]->blocks[2].data(), m.groups[0]->blocks[2].data(), sizeof(WaveBlock)) == 0);
        QCOMPARE(m.ffts[0]->dFilterMainFreq[2], 0.0);

        // The open flow shares an empty block between both lists: nothing to
        // process and nothing to report, the block stays as it was.
        m.filtered[0]->blocks[2] = m.groups[0]->blocks[2];
        const WaveBlock before = *m.groups[0]->blocks[2];
        m.ffts[0]->dMainFreq[2] = m.ffts[0]->dFilterMainFreq[2] = 5.0;
        QVERIFY(process(m, -1).isEmpty());
        QVERIFY(std::memcmp(&before, m.groups[0]->blocks[2].data(), sizeof(WaveBlock)) == 0);
        QCOMPARE(m.ffts[0]->dMainFreq[2], 0.0);
        QCOMPARE(m.ffts[0]->dFilterMainFreq[2], 0.0);
    }

    void refusedDesignKeepsUnfilteredCopy()
    {
        Model m = makeModel(2, 512, 7);
        m.infos[1]->nFilterOrder = 0;
        m.infos[4]->nLowCutoff = 30000; // above the upper cut-off
        const QVector<processing::WaveProblem> problems = process(m, -1);
        QCOMPARE(problems.size(), 2);
        QCOMPARE(problems[0].kind, processing::WaveProblem::NotFiltered);
        QCOMPARE(problems[0].record, 1);
        QCOMPARE(problems[0].error, FirError::Order);
        QCOMPARE(problems[1].record, 4);
        QCOMPARE(problems[1].error, FirError::CutOffs);
        QCOMPARE(problems[1].filter.lowCutoff, 30000);
        QVERIFY(std::memcmp(m.filtered[0]->blocks[1].data(), m.groups[0]->blocks[1].data(), sizeof(WaveBlock)) == 0);
        QVERIFY(std::memcmp(m.filtered[0]->blocks[0].data(), m.groups[0]->blocks[0].data(), sizeof(WaveBlock)) != 0);
        // spectra still computed, the processed one equals the original one
        QVERIFY(m.ffts[0]->dMainFreq[1] > 0.0);
        QCOMPARE(m.ffts[0]->dFilterMainFreq[1], m.ffts[0]->dMainFreq[1]);
    }

    void recordsPointingNowhereAreSkipped()
    {
        Model m = makeModel(2, 256, 8);
        m.infos[0]->nMeasurePoint = 9;
        m.infos[2]->nChannel = 3;
        m.infos[3]->nMeasurePoint = -1;
        m.ffts.removeLast(); // group 1 has no spectrum record
        const QVector<processing::WaveProblem> problems = process(m, -1);
        QCOMPARE(problems.size(), 5); // 3 skipped, 2 without spectra (records 4, 5)
        QCOMPARE(problems[0].kind, processing::WaveProblem::MissingWave);
        QCOMPARE(problems[0].measurePoint, 9);
        QCOMPARE(problems[3].kind, processing::WaveProblem::NoSpectrumRecord);
        QCOMPARE(problems[3].record, 4);
        QVERIFY(std::memcmp(m.filtered[0]->blocks[1].data(), m.groups[0]->blocks[1].data(), sizeof(WaveBlock)) != 0);
        QVERIFY(std::memcmp(m.filtered[1]->blocks[1].data(), m.groups[1]->blocks[1].data(), sizeof(WaveBlock)) != 0);
        const QVector<processing::WaveProblem> beyond = process(m, 6);
        QCOMPARE(beyond.size(), 1);
        QCOMPARE(beyond[0].kind, processing::WaveProblem::NoSuchRecord);
        // a processed copy that is the original itself is never overwritten
        m.filtered[1]->blocks[1] = m.groups[1]->blocks[1];
        const WaveBlock before = *m.groups[1]->blocks[1];
        const QVector<processing::WaveProblem> aliased = process(m, 4);
        QCOMPARE(aliased.size(), 1);
        QCOMPARE(aliased[0].kind, processing::WaveProblem::SharedBuffer);
        QVERIFY(std::memcmp(&before, m.groups[1]->blocks[1].data(), sizeof(WaveBlock)) == 0);
        m.infos.clear();
        QVERIFY(process(m, -1).isEmpty());
    }

    void resultIndependentOfThreadsAndOrder()
    {
        Model a = makeModel(6, 4096, 9), b = makeModel(6, 4096, 9), c = makeModel(6, 4096, 9);
        QThreadPool *pool = QThreadPool::globalInstance();
        const int threads = pool->maxThreadCount();
        pool->setMaxThreadCount(1);
        process(a, -1);
        pool->setMaxThreadCount(4);
        process(b, -1);
        pool->setMaxThreadCount(threads);
        for (int i = c.infos.size() - 1; i >= 0; --i)
            process(c, i);
        QVERIFY(sameBlocks(a.filtered, b.filtered));
        QVERIFY(sameBlocks(a.filtered, c.filtered));
        for (int g = 0; g < 6; ++g) {
            QVERIFY(std::memcmp(a.ffts[g].data(), b.ffts[g].data(), sizeof(FftInfo)) == 0);
            QVERIFY(std::memcmp(a.ffts[g].data(), c.ffts[g].data(), sizeof(FftInfo)) == 0);
        }
    }

    void laterRecordForSameWaveWins()
    {
        Model a = makeModel(1, 1024, 10), b = makeModel(1, 1024, 10);
        WaveAnalyzeInfoPtr dup = deepCopy(*a.infos[0]);
        dup->nHighCutoff = 60000;
        a.infos << dup;
        process(a, -1);
        b.infos[0]->nHighCutoff = 60000;
        process(b, -1);
        QVERIFY(sameBlocks(a.filtered, b.filtered));
    }
};

QTEST_GUILESS_MAIN(TestWaveProcessing)
#include "test_waveprocessing.moc"
