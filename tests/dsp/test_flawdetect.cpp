#include "datafile/flawsuggest.h"
#include "datafile/processing.h"
#include "datafile/synth.h"
#include "dsp/flawdetect.h"

#include <QThreadPool>
#include <QtTest>
#include <algorithm>
#include <functional>

using Damage = std::function<void(WaveGroupList &)>;
Q_DECLARE_METATYPE(SynthOptions)
Q_DECLARE_METATYPE(Damage)
Q_DECLARE_METATYPE(SynthWavelet)

namespace {

constexpr int kTolerance = 50; // samples (0.1 ms)

// A generated survey filtered as the open flow does it.
struct Survey {
    SynthSurvey synth;
    WaveGroupList filtered;
    WaveAnalyzeInfoList infos;
};

Survey makeSurvey(const SynthOptions &o, const Damage &damage = {})
{
    Survey s;
    s.synth = synthesizeSurvey(o);
    if (damage)
        damage(s.synth.groups);
    FftInfoList ffts;
    for (int p = 0; p < s.synth.groups.size(); ++p) {
        const WaveGroupPtr &g = s.synth.groups.at(p);
        s.filtered << deepCopy(*g);
        ffts << newFftInfo();
        for (int c = 0; c < kChannelsPerGroup; ++c) {
            if (g->blocks[c]->nDataCnt <= 0)
                continue;
            WaveAnalyzeInfoPtr a = newWaveAnalyzeInfo();
            a->nMeasurePoint = p;
            a->nChannel = c;
            a->nLowCutoff = g->head.nLowFreq;
            a->nHighCutoff = g->head.nHighFreq;
            s.infos << a;
        }
    }
    MeasurementModel model = MeasurementModel::fromLists(s.synth.groups, s.filtered, s.infos, ffts);
    processing::processWaves(model, -1);
    return s;
}

// One recorded wave (point 0, CH1) with quiet white noise.
SynthOptions oneWave()
{
    SynthOptions o;
    o.points = 1;
    o.samples = 2048;
    o.missing = {{0, 1}, {0, 2}};
    o.noise = 100.0f;
    o.attenuation = 0.0;
    o.caveDepths.clear();
    return o;
}

// Seven measure points in a row, CH1 only: enough for the channel's
// background trace. The waves under the caves are those of point 3.
SynthOptions sevenPoints()
{
    SynthOptions o = oneWave();
    o.points = 7;
    o.missing.clear();
    for (int p = 0; p < o.points; ++p)
        o.missing << qMakePair(p, 1) << qMakePair(p, 2);
    return o;
}

SynthCave caveAt(double depth, double amplitude, double height = 0.0, int point = 0)
{
    SynthCave c;
    c.depth = depth;
    c.amplitude = amplitude;
    c.height = height;
    c.firstPoint = c.lastPoint = point;
    c.channelMask = 0x1;
    return c;
}

// The detector over the analysis records `infos` of `s`, given the
// recording too when `withOriginals`.
QVector<dsp::FlawSuggestion> detect(const Survey &s, const WaveAnalyzeInfoList &infos, bool withOriginals = true,
                                    const dsp::SuggestOptions &options = dsp::SuggestOptions())
{
    return flawsuggest::suggest(s.filtered, withOriginals ? s.synth.groups : WaveGroupList(), infos, options);
}

dsp::FlawSuggestion suggestOne(const Survey &s, bool withOriginals = true)
{
    const QVector<dsp::FlawSuggestion> r = detect(s, s.infos, withOriginals);
    return r.isEmpty() ? dsp::FlawSuggestion() : r.first();
}

bool recommended(const dsp::FlawSuggestion &f) { return f.isValid() && f.confidence >= dsp::kRecommendedConfidence; }

} // namespace

class TestFlawDetect : public QObject
{
    Q_OBJECT
private slots:
    void generatedWaves_data();
    void generatedWaves();
    void arrivalAsRecorded_data();
    void arrivalAsRecorded();
    void arrivalOfSlowRiseInNoise();
    void hostileWaves_data();
    void hostileWaves();
    void floorRightAfterTheTop();
    void neighboursRaiseTheConfidence();
    void caveUnderHalfOfThePoints();
    void spikesBesideAnEchoRaiseNothing();
    void twoRecordsOfOneWave();
    void sameResultForAnyThreadCountAndOrder();
    void depthAsTheViewsShowIt();
};

// Waves from the generator, whose truth says where the echo arrives.
void TestFlawDetect::generatedWaves_data()
{
    QTest::addColumn<SynthOptions>("options");
    QTest::addColumn<bool>("found");  // a recommended suggestion at the first echo of the wave under the cave
    QTest::addColumn<bool>("bottom"); // ... and a recommended floor at its second echo

    SynthOptions o = oneWave();
    o.caves = {caveAt(3.0, 2500.0)};
    QTest::newRow("one clear echo") << o << true << false;

    o = oneWave();
    o.caves = {caveAt(2.0, 2000.0), caveAt(3.5, 6000.0)};
    QTest::newRow("two echoes: the first, though weaker") << o << true << false;

    o = oneWave();
    o.caves = {caveAt(2.5, 3000.0, 0.8)};
    QTest::newRow("cave top and bottom") << o << true << true;

    o.caves = {caveAt(2.5, 3000.0, 0.4)}; // the floor 0.2 ms (half a pulse length) under the top: one hump in the bands
    QTest::newRow("cave floor within a pulse length of its top") << o << true << true;

    o = oneWave();
    QTest::newRow("no echo") << o << false << false;

    o = sevenPoints();
    o.ringing = 0.4;
    o.ringingDecay = 0.3e-3;
    o.caves = {caveAt(0.6, 1000.0, 0.0, 3)}; // arrives while the ringing is about three times as strong
    QTest::newRow("echo inside the ringing") << o << true << false;

    // In the field no two waves carry quite the same pulse: it moves by a
    // fraction of a sample or two and its strength and ringing differ.
    o = sevenPoints();
    o.ringing = 0.4;
    o.ringingDecay = 0.3e-3;
    o.ringingSpread = 0.3;
    o.pulseJitter = 3e-6;
    o.pulseSpread = 0.15;
    o.pulseAmplitude = 12000.0;
    QTest::newRow("pulse differing from wave to wave, no echo") << o << false << false;
    // What is left of the background there is counted as noise: an echo
    // about as strong as the ringing there stands out of it.
    o.caves = {caveAt(1.0, 1500.0, 0.0, 3)};
    QTest::newRow("echo inside the ringing of a pulse differing from wave to wave") << o << true << false;

    // A strong pulse in little noise (300 times it): what the fit leaves
    // of a pulse that differs from wave to wave is many times the noise
    // right after it, on many waves of a channel at once.
    for (int seed : {3, 6, 7}) {
        o = sevenPoints();
        o.seed = quint32(seed);
        o.points = 20;
        o.missing.clear();
        o.frequency = 11700.0;
        o.lowFreq = 5800;
        o.highFreq = 18700;
        o.pulseAmplitude = 30000.0;
        o.ringing = 0.2;
        o.ringingDecay = 0.07e-3;
        o.ringingSpread = 0.4;
        o.pulseJitter = 4e-6;
        o.pulseSpread = 0.2;
        QTest::newRow(qPrintable(QStringLiteral("strong pulse differing from wave to wave, seed %1").arg(seed)))
            << o << false << false;
    }

    // A long pulse that rings and differs from wave to wave: what the fit
    // leaves of it on one wave is only guessed at, and cautiously; a strong
    // echo in that ringing, which the channel's other waves show to be
    // weak there, still stands out.
    o = sevenPoints();
    o.points = 20;
    for (int p = 7; p < o.points; ++p)
        o.missing << qMakePair(p, 1) << qMakePair(p, 2);
    o.samples = 4096;
    o.wavelet = SynthWavelet::ToneBurst;
    o.frequency = 4780.0;
    o.bandwidth = 0.256;
    o.lowFreq = 2390;
    o.highFreq = 7650;
    o.waveSpeed = 3436.0f;
    o.pulseAmplitude = 19300.0;
    o.ringing = 0.244;
    o.ringingDecay = 0.23e-3;
    o.ringingSpread = 0.355;
    o.pulseJitter = 1.67e-6;
    o.pulseSpread = 0.067;
    o.noise = 290.0f;
    o.bandNoise = 290.0f;
    o.caves = {caveAt(1.93, 4800.0, 0.0, 3)}; // about 12 times the noise
    o.caves.first().echoWavelet = int(SynthWavelet::Ricker);
    QTest::newRow("strong echo in the ringing of a long pulse differing from wave to wave") << o << true << false;

    o = sevenPoints();
    o.caves = {caveAt(1.0, 1000.0, 0.0, 3)}; // 0.3 ms after the pulse has passed
    QTest::newRow("echo 0.3 ms after the pulse") << o << true << false;

    o = sevenPoints();
    o.ringing = 0.5;
    o.ringingDecay = 0.3e-3;
    QTest::newRow("long ringing, no echo") << o << false << false;

    o = sevenPoints();
    o.ringing = 0.3;
    o.ringingDecay = 0.2e-3;
    o.caves = {caveAt(1.2, 3000.0, 1.0, 3)};
    QTest::newRow("cave top and bottom inside the ringing") << o << true << true;

    o = oneWave();
    o.ringing = 0.4;
    o.ringingDecay = 0.1e-3;
    o.caves = {caveAt(3.0, 2000.0)};
    QTest::newRow("echo after the ringing") << o << true << false;

    o = oneWave();
    o.pulseAmplitude = 60000.0;
    o.caves = {caveAt(3.0, 45000.0)};
    QTest::newRow("clipped pulse and echo") << o << true << false;

    // Noise inside the pulse's band, which the filter cannot remove.
    o = oneWave();
    o.frequency = 5000.0;
    o.lowFreq = 2500;
    o.highFreq = 8000;
    o.noise = 60.0f;
    o.bandNoise = 300.0f;
    o.caves = {caveAt(3.0, 2400.0)}; // about 6 times the noise
    QTest::newRow("echo in noise inside the band") << o << true << false;

    o.wavelet = SynthWavelet::ToneBurst;
    o.caves = {caveAt(3.0, 3600.0)}; // six cycles: half of what is searched
    QTest::newRow("long echo in noise inside the band") << o << true << false;

    for (SynthWavelet w : {SynthWavelet::Ricker, SynthWavelet::DampedSine, SynthWavelet::ToneBurst}) {
        o = oneWave();
        o.wavelet = w;
        o.samples = 4096; // room for long echoes beside the noise they are measured against
        o.frequency = 6000.0;
        o.lowFreq = 2000;
        o.highFreq = 12000;
        o.caves = {caveAt(4.0, 2500.0)};
        QTest::newRow(qPrintable(QStringLiteral("other wavelet %1").arg(int(w)))) << o << true << false;
    }
}

void TestFlawDetect::generatedWaves()
{
    QFETCH(SynthOptions, options);
    QFETCH(bool, found);
    QFETCH(bool, bottom);
    const Survey s = makeSurvey(options);
    const int point = options.points > 1 ? 3 : 0;
    int k = 0;
    while (k < s.infos.size() && s.infos.at(k)->nMeasurePoint != point)
        ++k;
    QVERIFY(k < s.infos.size());
    const QVector<dsp::FlawSuggestion> all = detect(s, s.infos);
    const dsp::FlawSuggestion f = all.at(k);
    QVERIFY(f.confidence >= 0.0 && f.confidence <= 1.0);
    for (int j = 0; j < all.size(); ++j) // the waves beside the cave stay quiet
        QVERIFY2(j == k || !recommended(all.at(j)),
                 qPrintable(QStringLiteral("wave %1: %2").arg(j).arg(all.at(j).sample)));
    if (!found) {
        QVERIFY2(!recommended(f), qPrintable(QStringLiteral("suggested %1 (%2)").arg(f.sample).arg(f.confidence)));
        return;
    }
    const SynthWaveTruth &t = s.synth.truth.at(point);
    QVERIFY(!t.echoes.isEmpty());
    QVERIFY2(recommended(f), qPrintable(QStringLiteral("confidence %1").arg(f.confidence)));
    QVERIFY2(std::abs(f.sample - t.echoes.first().arrival) <= kTolerance,
             qPrintable(QStringLiteral("suggested %1, echo at %2").arg(f.sample).arg(t.echoes.first().arrival)));
    if (bottom) {
        QCOMPARE(t.echoes.size(), 2);
        QVERIFY2(f.hasBottom() && f.bottomConfidence >= dsp::kRecommendedConfidence,
                 qPrintable(QStringLiteral("floor %1 (%2)").arg(f.bottomSample).arg(f.bottomConfidence)));
        QVERIFY2(std::abs(f.bottomSample - t.echoes.at(1).arrival) <= kTolerance,
                 qPrintable(QStringLiteral("floor %1, echo at %2").arg(f.bottomSample).arg(t.echoes.at(1).arrival)));
    } else if (t.echoes.size() < 2) {
        QVERIFY(!f.hasBottom() || f.bottomConfidence < dsp::kRecommendedConfidence);
    }
}

// A filter narrower than the pulse makes an echo ring and start earlier;
// the suggestion is where the echo starts in the recording.
void TestFlawDetect::arrivalAsRecorded_data()
{
    QTest::addColumn<SynthWavelet>("wavelet");
    QTest::newRow("ricker") << SynthWavelet::Ricker;
    QTest::newRow("short gabor") << SynthWavelet::Gabor;
}

void TestFlawDetect::arrivalAsRecorded()
{
    QFETCH(SynthWavelet, wavelet);
    SynthOptions o = oneWave();
    o.wavelet = wavelet;
    o.bandwidth = 0.5;
    o.frequency = 4400.0;
    o.lowFreq = 3300; // 0.75 to 1.3 times the pulse's frequency
    o.highFreq = 5700;
    o.caves = {caveAt(3.0, 4000.0)};
    const Survey s = makeSurvey(o);
    const SynthWaveTruth &t = s.synth.truth.first();
    QVERIFY(!t.echoes.isEmpty());
    const dsp::FlawSuggestion f = suggestOne(s);
    QVERIFY2(recommended(f), qPrintable(QStringLiteral("confidence %1").arg(f.confidence)));
    QVERIFY2(std::abs(f.sample - t.echoes.first().arrival) <= 10,
             qPrintable(QStringLiteral("suggested %1, echo at %2").arg(f.sample).arg(t.echoes.first().arrival)));
}

// A tone burst rises over several cycles, so that in noise the strongest
// sample lies well above the echo's own peak and a half cycle near half of
// it may or may not reach it: the mark still lands within 0.1 ms of the
// arrival on nearly every wave.
void TestFlawDetect::arrivalOfSlowRiseInNoise()
{
    int right = 0, waves = 0;
    for (int seed = 1; seed <= 40; ++seed, ++waves) {
        SynthOptions o = oneWave();
        o.seed = quint32(seed);
        o.wavelet = SynthWavelet::ToneBurst;
        o.frequency = 4600.0;
        o.bandwidth = 0.37;
        o.lowFreq = 2300;
        o.highFreq = 7400;
        o.noise = 140.0f; // mostly noise inside the band: about a tenth of the echo
        o.bandNoise = 690.0f;
        o.caves = {caveAt(3.0 + 0.011 * seed, 7000.0)};
        const Survey s = makeSurvey(o);
        const SynthWaveTruth &t = s.synth.truth.first();
        QVERIFY(!t.echoes.isEmpty());
        const dsp::FlawSuggestion f = suggestOne(s);
        right += recommended(f) && std::abs(f.sample - t.echoes.first().arrival) <= kTolerance;
    }
    QVERIFY2(right >= 38, qPrintable(QStringLiteral("%1 of %2 right").arg(right).arg(waves)));
}

// Waves no detector should trip over: nothing suggested, nothing crashes.
void TestFlawDetect::hostileWaves_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<bool>("recordOk"); // the analysis record points to the wave

    QTest::newRow("flat") << Damage([](WaveGroupList &g) {
        std::fill(g[0]->blocks[0]->nData, g[0]->blocks[0]->nData + kMaxSamples, kZeroLevel);
    }) << true;
    QTest::newRow("very short") << Damage([](WaveGroupList &g) { g[0]->blocks[0]->nDataCnt = 100; }) << true;
    QTest::newRow("no samples") << Damage([](WaveGroupList &g) { g[0]->blocks[0]->nDataCnt = 0; }) << true;
    QTest::newRow("count beyond the block")
        << Damage([](WaveGroupList &g) { g[0]->blocks[0]->nDataCnt = 99999; }) << true;
    QTest::newRow("-100 samples") << Damage([](WaveGroupList &g) {
        std::fill(g[0]->blocks[0]->nData, g[0]->blocks[0]->nData + kMaxSamples, kNoValue);
    }) << true;
    QTest::newRow("one-sample spike in the recording")
        << Damage([](WaveGroupList &g) { g[0]->blocks[0]->nData[1200] = 65535; }) << true;
    QTest::newRow("missing channel") << Damage() << false;
}

void TestFlawDetect::hostileWaves()
{
    QFETCH(Damage, damage);
    QFETCH(bool, recordOk);
    const Survey s = makeSurvey(oneWave(), damage);
    WaveAnalyzeInfoList infos = s.infos;
    if (!recordOk) {
        WaveAnalyzeInfoPtr bad = deepCopy(*infos.first());
        bad->nChannel = kNoValue;
        WaveAnalyzeInfoPtr gone = deepCopy(*infos.first());
        gone->nMeasurePoint = 7;
        infos = {bad, gone};
    }
    const QVector<dsp::FlawSuggestion> r = detect(s, infos);
    QCOMPARE(r.size(), infos.size());
    for (const dsp::FlawSuggestion &f : r)
        QVERIFY2(!recommended(f), qPrintable(QStringLiteral("suggested %1 (%2)").arg(f.sample).arg(f.confidence)));
    if (!recordOk)
        QVERIFY(!r.first().isValid() && !r.last().isValid());
}

// Two caves 1.2 and 1.8 m under the pile, each under half of the points: the
// channel's background then carries part of their echoes, and a wave whose
// ringing would be fitted to them must not show a cave right after its
// pulse, above the shallower cave. Most of the caves' echoes are suggested.
void TestFlawDetect::caveUnderHalfOfThePoints()
{
    SynthOptions o;
    o.points = 16;
    o.samples = 2048;
    o.seed = 5;
    o.caveDepths = {1.2, 1.8};
    const Survey s = makeSurvey(o);
    const QVector<dsp::FlawSuggestion> found = detect(s, s.infos);
    int shallowest = o.samples, right = 0;
    for (const SynthWaveTruth &t : s.synth.truth)
        for (const SynthEcho &e : t.echoes)
            shallowest = std::min(shallowest, e.arrival);
    for (int k = 0; k < s.infos.size(); ++k) {
        const WaveAnalyzeInfo &a = *s.infos.at(k);
        if (!recommended(found[k]))
            continue;
        QVERIFY2(found[k].sample >= shallowest - kTolerance,
                 qPrintable(QStringLiteral("point %1 channel %2: suggested %3, the shallowest echo at %4")
                                .arg(a.nMeasurePoint)
                                .arg(a.nChannel)
                                .arg(found[k].sample)
                                .arg(shallowest)));
        const SynthWaveTruth &t = s.synth.truth.at(a.nMeasurePoint * 3 + a.nChannel);
        right += !t.echoes.isEmpty() && std::abs(found[k].sample - t.echoes.first().arrival) <= kTolerance;
    }
    QVERIFY2(right >= 24, qPrintable(QStringLiteral("%1 caves found").arg(right)));
}

// A cave's floor echoes before the top's echo has faded in the bands, right
// after a ringing pulse, under four points and all channels: the bands see
// one echo rising out of the top's into the floor's, which is the stronger
// one there. The mark is the top's arrival on nearly every wave.
void TestFlawDetect::floorRightAfterTheTop()
{
    SynthOptions o;
    o.seed = 4043u;
    o.points = 20;
    o.samples = 4096;
    o.wavelet = SynthWavelet::ToneBurst;
    o.frequency = 8083.0;
    o.bandwidth = 0.31;
    o.waveSpeed = 3626.0f;
    o.pulseAmplitude = 28500.0;
    o.ringing = 0.26;
    o.ringingDecay = 0.24e-3;
    o.attenuation = 0.0;
    o.lowFreq = 1616;
    o.highFreq = 24248;
    o.noise = 595.0f;
    SynthCave cave = caveAt(1.06, 1620.0, 0.56);
    cave.dip = 0.042;
    cave.lastPoint = 3;
    cave.channelMask = 0x7;
    cave.bottomRatio = 0.55;
    cave.echoWavelet = int(SynthWavelet::Gabor);
    cave.echoFrequencyRatio = 0.91;
    o.caves = {cave};
    const Survey s = makeSurvey(o);
    const QVector<dsp::FlawSuggestion> found = detect(s, s.infos);
    int right = 0, late = 0;
    for (int k = 0; k < s.infos.size(); ++k) {
        const WaveAnalyzeInfo &a = *s.infos.at(k);
        const SynthWaveTruth &t = s.synth.truth.at(a.nMeasurePoint * 3 + a.nChannel);
        if (t.echoes.isEmpty() || a.nMeasurePoint > 3)
            continue;
        right += recommended(found[k]) && std::abs(found[k].sample - t.echoes.first().arrival) <= kTolerance;
        late += recommended(found[k]) && found[k].sample - t.echoes.first().arrival > kTolerance;
    }
    QVERIFY2(right >= 11 && late <= 1,
             qPrintable(QStringLiteral("%1 of 12 right, %2 on the floor").arg(right).arg(late)));
}

// A faint echo seen at the same depth under neighbouring points and channels
// is recommended; the same echo on a wave of its own is not.
void TestFlawDetect::neighboursRaiseTheConfidence()
{
    SynthOptions o = oneWave();
    o.missing.clear();
    o.points = 5;
    o.wavelet = SynthWavelet::ToneBurst;
    o.bandNoise = 300.0f; // noise inside the band: the filter cannot help
    o.noise = 50.0f;
    SynthCave cave = caveAt(3.0, 1100.0); // alone, a strength of about the threshold
    cave.firstPoint = 1;
    cave.lastPoint = 3;
    cave.channelMask = 0x7;
    o.caves = {cave};
    const Survey s = makeSurvey(o);
    dsp::SuggestOptions alone;
    alone.useNeighbours = false;
    const QVector<dsp::FlawSuggestion> single = detect(s, s.infos, false, alone);
    const QVector<dsp::FlawSuggestion> joint = detect(s, s.infos, false);
    int raised = 0, rightOnly = 0;
    for (int k = 0; k < s.infos.size(); ++k) {
        const WaveAnalyzeInfo &a = *s.infos.at(k);
        const SynthWaveTruth &t = s.synth.truth.at(a.nMeasurePoint * 3 + a.nChannel);
        if (t.echoes.isEmpty()) {
            QVERIFY(!recommended(joint[k]));
            continue;
        }
        if (!recommended(single[k]) && recommended(joint[k])
            && std::abs(joint[k].sample - t.echoes.first().arrival) <= kTolerance)
            ++raised;
        rightOnly += recommended(joint[k]) && std::abs(joint[k].sample - t.echoes.first().arrival) <= kTolerance;
        QVERIFY(joint[k].confidence >= single[k].confidence || single[k].sample != joint[k].sample);
    }
    QVERIFY2(raised >= 2, qPrintable(QStringLiteral("%1 raised").arg(raised)));
    QVERIFY2(rightOnly >= 6, qPrintable(QStringLiteral("%1 of 9 found").arg(rightOnly)));
}

// Spikes on the neighbouring waves at the time of a faint echo are no cave:
// they do not raise it, as echoes there would.
void TestFlawDetect::spikesBesideAnEchoRaiseNothing()
{
    SynthOptions o = oneWave();
    o.missing.clear();
    o.points = 5;
    o.wavelet = SynthWavelet::ToneBurst;
    o.bandNoise = 300.0f;
    o.noise = 50.0f;
    SynthCave cave = caveAt(3.0, 900.0); // alone, a middling confidence
    cave.firstPoint = cave.lastPoint = 2;
    o.caves = {cave};
    const int arrival = synthesizeSurvey(o).truth.at(2 * 3).echoes.first().arrival;
    const Survey clean = makeSurvey(o);
    const Survey spiky = makeSurvey(o, [arrival](WaveGroupList &g) {
        for (int p = 1; p <= 3; ++p)
            for (int c = 0; c < kChannelsPerGroup; ++c)
                if (p != 2 || c != 0)
                    g[p]->blocks[c]->nData[arrival + 40] = 65535;
    });
    int k = 0;
    while (k < clean.infos.size() && (clean.infos.at(k)->nMeasurePoint != 2 || clean.infos.at(k)->nChannel != 0))
        ++k;
    QVERIFY(k < clean.infos.size());
    const dsp::FlawSuggestion quiet = detect(clean, clean.infos).at(k), spiked = detect(spiky, spiky.infos).at(k);
    QVERIFY(std::abs(quiet.sample - arrival) <= kTolerance && quiet.confidence < 0.9);
    QCOMPARE(spiked.sample, quiet.sample);
    QVERIFY2(spiked.confidence <= quiet.confidence + 0.01,
             qPrintable(QStringLiteral("%1 beside spikes, %2 alone").arg(spiked.confidence).arg(quiet.confidence)));
}

// A wave with two analysis records is not its own neighbour.
void TestFlawDetect::twoRecordsOfOneWave()
{
    SynthOptions o = oneWave();
    o.caves = {caveAt(3.0, 150.0)}; // faint: a middling confidence
    const Survey s = makeSurvey(o);
    const dsp::FlawSuggestion single = suggestOne(s);
    QVERIFY2(single.isValid() && single.confidence < 0.95, qPrintable(QString::number(single.confidence)));
    WaveAnalyzeInfoList twice = s.infos;
    twice << deepCopy(*s.infos.first());
    const QVector<dsp::FlawSuggestion> r = detect(s, twice);
    QCOMPARE(r.size(), 2);
    for (const dsp::FlawSuggestion &f : r) {
        QCOMPARE(f.sample, single.sample);
        QCOMPARE(f.confidence, single.confidence);
    }
}

void TestFlawDetect::sameResultForAnyThreadCountAndOrder()
{
    SynthOptions o;
    // Enough measure points for the bands to be worked out in several runs
    // of points, as many as the threads allow: 4 with one thread, more with 8.
    o.points = 100;
    o.seed = 5;
    o.bandNoise = 200.0f;
    const Survey s = makeSurvey(o);
    const QVector<dsp::FlawSuggestion> reference = detect(s, s.infos, false);
    QThreadPool *pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    pool->setMaxThreadCount(1);
    const QVector<dsp::FlawSuggestion> one = detect(s, s.infos, false);
    pool->setMaxThreadCount(8);
    WaveAnalyzeInfoList reversed = s.infos;
    std::reverse(reversed.begin(), reversed.end());
    const QVector<dsp::FlawSuggestion> backwards = detect(s, reversed, false);
    pool->setMaxThreadCount(threads);
    int valid = 0;
    for (int k = 0; k < reference.size(); ++k) {
        QCOMPARE(one[k].sample, reference[k].sample);
        QCOMPARE(one[k].confidence, reference[k].confidence);
        QCOMPARE(backwards[reference.size() - 1 - k].sample, reference[k].sample);
        QCOMPARE(backwards[reference.size() - 1 - k].confidence, reference[k].confidence);
        valid += reference[k].isValid();
    }
    QVERIFY(valid > 10);
}

void TestFlawDetect::depthAsTheViewsShowIt()
{
    // 500 samples = 1 ms; at 4000 m/s the echo comes from 2 m.
    QCOMPARE(dsp::sampleDepthMetres(500, 4000.0), 2.0);
    QCOMPARE(dsp::sampleDepthMetres(0, 3500.0), 0.0);
}

QTEST_GUILESS_MAIN(TestFlawDetect)
#include "test_flawdetect.moc"
