// Precision and recall of the flaw suggestions against the generator's truth,
// over many generated surveys that differ in wavelet shape and frequency,
// wave speed, filter band, kind and level of noise, ringing and caves; and
// the time the detector takes for a 1000-point survey.
//
// A wave's target is its earliest echo. Its arrival is the first sample at
// which that echo alone reaches half its peak absolute amplitude (see
// SynthEcho); a suggestion is right when it lies within 50 samples (0.1 ms)
// of it. Echo-to-noise ratio: the echo's peak amplitude over the standard
// deviation of the noise, both as recorded ("raw"); the same after the
// survey's filter ("filtered") is shown beside it. Only suggestions with a
// confidence of 0.5 or more count.
//
// Usage: bench_suggest [surveys] [seed] [--list] [--all] [--no-timing] [--no-background]
//   --list  also print every wave with an echo-to-noise ratio of 3 or more
//           whose echo was not found ("missed") and every echo-free wave
//           that got a recommended suggestion ("false"), and every floor
//           echo with a ratio of 5 or more not found ("missed-floor"), with the survey's
//           settings and what the detector saw.
//   --all   print every wave's suggestion (sample and confidence of the top
//           and of the floor, in full precision), so that two builds of the
//           detector can be compared wave by wave.
//   --no-timing  skip the timing of a 1000-point survey.
//   --no-background  detect without taking off each channel's background
//           trace (to see what it brings).
#include "datafile/flawsuggest.h"
#include "datafile/kvrdocument.h"
#include "datafile/processing.h"
#include "datafile/synth.h"
#include "dsp/flawdetect.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <random>
#include <vector>

namespace {

constexpr int kTolerance = 50; // samples, 0.1 ms
constexpr double kHeadlineSnr = 3.0;

const char *const kNoiseKinds[] = {"white", "in-band", "mixed"};
const char *const kBands[] = {"matched", "wide", "narrow"};

struct Config {
    SynthOptions o;
    int noiseKind = 0;
    int band = 0;
    bool varying = false; // the direct pulse differs from wave to wave
};

// Survey `index` of the set: every property drawn from its own seed.
Config makeConfig(int index, quint32 seed)
{
    std::mt19937 rng(seed * 7919u + quint32(index) * 104729u + 17u);
    auto uni = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
    auto pick = [&](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng)); };
    Config c;
    SynthOptions &o = c.o;
    o.seed = seed * 1000u + quint32(index);
    o.points = 20;
    o.samples = index % 2 ? 4096 : 2048;
    o.wavelet = SynthWavelet(index % 4);
    o.frequency = std::exp(uni(std::log(4000.0), std::log(25000.0)));
    o.bandwidth = uni(0.2, 0.5);
    o.waveSpeed = float(uni(2500.0, 5500.0));
    o.pulseAmplitude = uni(12000.0, 40000.0);
    o.ringing = pick(4) == 0 ? 0.0 : uni(0.05, 0.3);
    o.ringingDecay = uni(0.05e-3, 0.3e-3);
    o.attenuation = 0.0;
    c.band = (index / 4) % 3;
    const double f = o.frequency;
    if (c.band == 0) {
        o.lowFreq = int(0.5 * f);
        o.highFreq = int(1.6 * f);
    } else if (c.band == 1) {
        o.lowFreq = int(std::max(1000.0, 0.2 * f));
        o.highFreq = int(std::min(3.0 * f, 100000.0));
    } else {
        o.lowFreq = int(0.75 * f);
        o.highFreq = int(1.3 * f);
    }
    c.noiseKind = (index / 12) % 3;
    const double sd = uni(100.0, 800.0);
    const double white = c.noiseKind == 0 ? 1.0 : (c.noiseKind == 1 ? 0.2 : std::sqrt(0.5));
    o.noise = float(sd * white);
    o.bandNoise = float(sd * std::sqrt(1.0 - white * white));

    // Caves from 0.3 ms after the direct pulse has passed (inside its ringing
    // when it rings long), half of them within 0.7 ms of that, and where
    // the bottom echo still fits into the recording.
    const double duration = 1.0 / (o.bandwidth * f); // about the pulse's length
    const double tMin = 40e-6 + 0.5 * duration + 0.3e-3;
    const double tMax = o.samples / kSampleRate - 2.0 * duration - 0.4e-3;
    const double v = o.waveSpeed;
    // Each cave under its own run of points, so that every wave has at most
    // one cave (a top and a weaker bottom echo); the rest stay echo-free.
    o.caves.clear();
    const int caves = 3 + pick(2);
    int nextFree = pick(3);
    for (int k = 0; k < caves && nextFree < o.points; ++k) {
        SynthCave cave;
        const int span = std::min(1 + pick(5), o.points - nextFree);
        cave.firstPoint = nextFree;
        cave.lastPoint = cave.firstPoint + span - 1;
        nextFree = cave.lastPoint + 1 + pick(3);
        const int m = pick(10);
        cave.channelMask = m < 5 ? 0x7 : (m < 8 ? (0x7 & ~(1 << pick(3))) : (1 << pick(3)));
        cave.height = uni(0.3, 1.2);
        cave.bottomRatio = uni(0.3, 0.8);
        cave.dip = uni(-0.05, 0.05);
        const double snr = std::exp(uni(std::log(1.0), std::log(20.0)));
        cave.amplitude = snr * sd;
        // Echoes of the pulse's own shape, or a Ricker wavelet or a Gaussian
        // under a cosine of 0.85..1.15 times the pulse's frequency.
        const int shape = pick(4);
        if (shape >= 2) {
            cave.echoWavelet = int(shape == 2 ? SynthWavelet::Ricker : SynthWavelet::Gabor);
            cave.echoFrequencyRatio = uni(0.85, 1.15);
        }
        const double tLast = tMax - 2.0 * cave.height / v - 2.0 * std::abs(cave.dip) * span / v;
        const bool near = pick(2) == 0;
        const double t = uni(tMin, std::max(tMin, near ? std::min(tLast, tMin + 0.7e-3) : tLast));
        cave.depth = (t - 40e-6) * v / 2.0 + std::max(0.0, -cave.dip * span);
        // In every other group of three surveys the last cave has no floor
        // echo (a cave opening downwards, or a floor too rough to echo):
        // a floor suggested there is a false one.
        if ((index / 3) % 2 == 1 && k + 1 == caves)
            cave.height = 0.0;
        o.caves << cave;
    }
    // In half of the surveys the direct pulse differs from wave to wave as
    // in the field: each channel rings in its own way, and the pulse moves
    // by up to a sample or two and changes its strength a little.
    c.varying = pick(2) == 0;
    if (c.varying) {
        o.ringingSpread = uni(0.1, 0.4);
        o.pulseJitter = uni(0.5e-6, 4e-6);
        o.pulseSpread = uni(0.05, 0.2);
    }
    return c;
}

struct WaveResult {
    bool hasEcho = false;
    double snrRaw = 0.0, snrFiltered = 0.0;
    bool suggested = false;  // confidence >= 0.5
    bool right = false;      // suggested within the tolerance of the earliest echo
    int error = 0;           // suggestion minus arrival, samples
    double confidence = 0.0; // of any suggestion (0: none)
    bool atAnEcho = false;   // the suggestion, whatever its confidence, lies at the earliest echo
    int wavelet = 0, noiseKind = 0, band = 0, varying = 0;
    bool nearArrival = false; // the earliest echo arrives before 1 ms
    // The cave's floor: the second echo of the wave.
    bool hasBottom = false;
    double bottomSnr = 0.0;       // raw
    bool bottomSuggested = false; // a floor suggested with a confidence >= 0.5
    bool bottomRight = false;     // ... within the tolerance of the second echo
};

// Standard deviation of a wave made of one part after the survey's filter,
// and its peak |x| from `from[k]` on to `to[k]` (the earliest echo).
void filteredParts(const SynthOptions &o, int parts, const WaveAnalyzeInfoList &infos, const std::vector<int> &from,
                   const std::vector<int> &to, std::vector<double> *peak, std::vector<double> *sd)
{
    SynthOptions p = o;
    p.parts = parts;
    const SynthSurvey s = synthesizeSurvey(p);
    WaveGroupList filtered;
    FftInfoList ffts;
    for (const WaveGroupPtr &g : s.groups) {
        filtered << deepCopy(*g);
        ffts << newFftInfo();
    }
    MeasurementModel model = MeasurementModel::fromLists(s.groups, filtered, infos, ffts);
    processing::processWaves(model, -1);
    for (int k = 0; k < infos.size(); ++k) {
        const WaveBlock &b = *filtered.at(infos.at(k)->nMeasurePoint)->blocks[infos.at(k)->nChannel];
        double mx = 0.0, power = 0.0;
        for (int i = 0; i < b.nDataCnt; ++i) {
            const double v = b.nData[i] - kZeroLevel;
            if (i >= from[size_t(k)] && i < to[size_t(k)])
                mx = std::max(mx, std::abs(v));
            power += v * v;
        }
        if (peak)
            (*peak)[size_t(k)] = mx;
        if (sd)
            (*sd)[size_t(k)] = b.nDataCnt > 0 ? std::sqrt(power / b.nDataCnt) : 0.0;
    }
}

struct Tally {
    int waves = 0, echoes = 0, found = 0, suggestions = 0, right = 0, echoFree = 0, quiet = 0;
    double absError = 0.0;
    void add(const WaveResult &w)
    {
        ++waves;
        if (w.hasEcho) {
            ++echoes;
            found += w.right;
            if (w.right)
                absError += std::abs(w.error);
        } else {
            ++echoFree;
            quiet += !w.suggested;
        }
        suggestions += w.suggested;
        right += w.right;
    }
    double recall() const { return echoes ? double(found) / echoes : 1.0; }
    double precision() const { return suggestions ? double(right) / suggestions : 1.0; }
    double quietShare() const { return echoFree ? double(quiet) / echoFree : 1.0; }
};

void printCurve(const char *title, const std::vector<WaveResult> &waves, bool filtered)
{
    const double edges[] = {0.0, 1.0, 1.5, 2.0, 3.0, 4.0, 6.0, 10.0, 1e9};
    std::printf("%s\n  snr        waves  recall  precision  mean|err|\n", title);
    for (int b = 0; b + 1 < int(sizeof(edges) / sizeof(edges[0])); ++b) {
        Tally t;
        for (const WaveResult &w : waves) {
            const double snr = filtered ? w.snrFiltered : w.snrRaw;
            if (w.hasEcho && snr >= edges[b] && snr < edges[b + 1])
                t.add(w);
        }
        if (!t.waves)
            continue;
        std::printf("  %4.1f-%-5s %6d  %6.3f  %9.3f  %9.1f\n", edges[b],
                    edges[b + 1] > 1e8 ? "" : qPrintable(QString::number(edges[b + 1])), t.waves, t.recall(),
                    t.precision(), t.found ? t.absError / t.found : 0.0);
    }
}

// Recall and precision over the raw ratio, one column pair per kind of noise.
void printCurveByNoise(const std::vector<WaveResult> &waves)
{
    const double edges[] = {0.0, 1.0, 1.5, 2.0, 3.0, 4.0, 6.0, 10.0, 1e9};
    std::printf("recall / precision over the raw echo-to-noise ratio, by noise\n  snr       ");
    for (const char *name : kNoiseKinds)
        std::printf("  %-15s", name);
    std::printf("\n");
    for (int b = 0; b + 1 < int(sizeof(edges) / sizeof(edges[0])); ++b) {
        std::printf("  %4.1f-%-5s", edges[b], edges[b + 1] > 1e8 ? "" : qPrintable(QString::number(edges[b + 1])));
        for (int kind = 0; kind < 3; ++kind) {
            Tally t;
            for (const WaveResult &w : waves)
                if (w.hasEcho && w.noiseKind == kind && w.snrRaw >= edges[b] && w.snrRaw < edges[b + 1])
                    t.add(w);
            std::printf("  %5.3f / %5.3f  ", t.recall(), t.precision());
        }
        std::printf("\n");
    }
}

// How often a suggestion is right, by its confidence (all waves, whatever
// their echo-to-noise ratio): an honest confidence is right about as often
// as it says.
void printCalibration(const std::vector<WaveResult> &waves)
{
    const double edges[] = {0.2, 0.35, 0.5, 0.65, 0.8, 0.9, 0.97, 1.0001};
    std::printf("suggestions by confidence (all waves)\n  confidence  suggestions  right\n");
    for (int b = 0; b + 1 < int(sizeof(edges) / sizeof(edges[0])); ++b) {
        int n = 0, right = 0;
        for (const WaveResult &w : waves) {
            if (w.confidence >= edges[b] && w.confidence < edges[b + 1]) {
                ++n;
                right += w.atAnEcho;
            }
        }
        std::printf("  %.2f-%.2f   %11d  %5.3f\n", edges[b], std::min(1.0, edges[b + 1]), n,
                    n ? double(right) / n : 0.0);
    }
}

template<typename Key>
void printBreakdown(const char *title, const std::vector<WaveResult> &waves, Key key, const char *const *names,
                    int count)
{
    std::printf("%s (raw snr >= 3 and echo-free waves)\n", title);
    for (int v = 0; v < count; ++v) {
        Tally t;
        for (const WaveResult &w : waves)
            if (key(w) == v && (!w.hasEcho || w.snrRaw >= kHeadlineSnr))
                t.add(w);
        std::printf("  %-8s precision=%.3f recall=%.3f quiet=%.3f (%d waves)\n", names[v], t.precision(), t.recall(),
                    t.quietShare(), t.waves);
    }
}

// Recall by arrival time, in noise inside the band, and of the floors.
void printFigures(const std::vector<WaveResult> &waves)
{
    Tally near, far, band34, band4, mixed34, mixed4, nearBy[2];
    int bottoms = 0, bottomsFound = 0, floorSuggestions = 0, floorsRight = 0, single = 0, singleFloors = 0;
    for (const WaveResult &w : waves) {
        const bool counted = !w.hasEcho || w.snrRaw >= kHeadlineSnr;
        if (w.hasEcho && counted)
            (w.nearArrival ? near : far).add(w);
        if (w.hasEcho && counted && w.nearArrival)
            nearBy[w.varying].add(w);
        if (w.hasEcho && w.snrRaw >= 3.0 && (w.noiseKind == 1 || w.noiseKind == 2)) {
            Tally &t = w.noiseKind == 1 ? (w.snrRaw < 4.0 ? band34 : band4) : (w.snrRaw < 4.0 ? mixed34 : mixed4);
            t.add(w);
        }
        if (w.hasBottom && w.bottomSnr >= 5.0) {
            ++bottoms;
            bottomsFound += w.bottomRight;
        }
        if (w.hasEcho && !w.hasBottom && w.right) {
            ++single;
            singleFloors += w.bottomSuggested;
        }
        if (counted && w.bottomSuggested) {
            ++floorSuggestions;
            floorsRight += w.bottomRight;
        }
    }
    std::printf("by arrival (raw snr >= 3): near (before 1 ms) recall=%.3f precision=%.3f (%d waves), far "
                "recall=%.3f precision=%.3f (%d waves)\n",
                near.recall(), near.precision(), near.waves, far.recall(), far.precision(), far.waves);
    std::printf("near arrivals: steady pulse recall=%.3f (%d), varying pulse recall=%.3f (%d)\n", nearBy[0].recall(),
                nearBy[0].waves, nearBy[1].recall(), nearBy[1].waves);
    std::printf("in-band noise: recall 3-4=%.3f (%d) 4+=%.3f (%d); mixed: recall 3-4=%.3f (%d) 4+=%.3f (%d)\n",
                band34.recall(), band34.waves, band4.recall(), band4.waves, mixed34.recall(), mixed34.waves,
                mixed4.recall(), mixed4.waves);
    std::printf("bottoms: precision=%.3f (%d suggested) recall=%.3f at bottom snr >= 5 (%d); a floor on %d of %d "
                "found echoes without one\n",
                floorSuggestions ? double(floorsRight) / floorSuggestions : 1.0, floorSuggestions,
                bottoms ? double(bottomsFound) / bottoms : 1.0, bottoms, singleFloors, single);
    std::printf("suggest-extra: near=%.3f far=%.3f inband34=%.3f inband4=%.3f bottom_precision=%.3f "
                "bottom_recall=%.3f\n",
                near.recall(), far.recall(), band34.recall(), band4.recall(),
                floorSuggestions ? double(floorsRight) / floorSuggestions : 1.0,
                bottoms ? double(bottomsFound) / bottoms : 1.0);
}

double detectorMsPer1000Points(const QString &dir)
{
    SynthOptions o;
    o.points = 1000;
    o.samples = kMaxSamples;
    const QString path = dir + QStringLiteral("/timing.ard");
    KvrDocument doc;
    if (!writeSynthSurvey(path, o) || !doc.open(path).ok)
        return -1.0;
    const MeasurementModel &m = doc.model();
    std::vector<double> times, cpu;
    for (int r = 0; r < 7; ++r) {
        const std::clock_t c0 = std::clock();
        const auto t0 = std::chrono::steady_clock::now();
        const QVector<dsp::FlawSuggestion> s =
            flawsuggest::suggest(m.filterWaveGroupList(), m.waveGroupList(), m.waveAnalyzeInfoList());
        const auto t1 = std::chrono::steady_clock::now();
        if (s.size() != m.waveCount())
            return -1.0;
        times.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        cpu.push_back(1000.0 * double(std::clock() - c0) / CLOCKS_PER_SEC);
    }
    std::printf("detector on 1000 points x 3 waves x 4096 samples: wall %.1f ms (least of 7), processor time %.1f ms "
                "over all threads\n",
                *std::min_element(times.begin(), times.end()), *std::min_element(cpu.begin(), cpu.end()));
    return *std::min_element(times.begin(), times.end()); // the run least disturbed by other work
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qputenv("QT_LOGGING_RULES", "default.debug=false");
    QStringList args = app.arguments().mid(1);
    const bool list = args.removeAll(QStringLiteral("--list")) > 0;
    const bool everyWave = args.removeAll(QStringLiteral("--all")) > 0;
    const bool timing = args.removeAll(QStringLiteral("--no-timing")) == 0;
    dsp::SuggestOptions options;
    options.useBackground = args.removeAll(QStringLiteral("--no-background")) == 0;
    const int surveys = args.size() > 0 ? std::max(0, args.at(0).toInt()) : 72;
    const quint32 seed = args.size() > 1 ? quint32(std::max(0, args.at(1).toInt())) : 1u;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    std::vector<WaveResult> waves;
    for (int s = 0; s < surveys; ++s) {
        const Config c = makeConfig(s, seed);
        const QString path = dir.filePath(QStringLiteral("s%1.ard").arg(s));
        KvrDocument doc;
        if (!writeSynthSurvey(path, c.o) || !doc.open(path).ok) {
            std::fprintf(stderr, "survey %d could not be made\n", s);
            return 1;
        }
        const MeasurementModel &m = doc.model();
        const WaveAnalyzeInfoList &infos = m.waveAnalyzeInfoList();
        const SynthSurvey truth = synthesizeSurvey(c.o);
        std::vector<const SynthWaveTruth *> truthOf(size_t(infos.size()), nullptr);
        std::vector<int> from(size_t(infos.size()), 0), to(size_t(infos.size()), 0);
        const int duration = int(kSampleRate / (c.o.bandwidth * c.o.frequency));
        for (int k = 0; k < infos.size(); ++k) {
            for (const SynthWaveTruth &x : truth.truth)
                if (x.point == infos.at(k)->nMeasurePoint && x.channel == infos.at(k)->nChannel)
                    truthOf[size_t(k)] = &x;
            const SynthWaveTruth *t = truthOf[size_t(k)];
            if (t && !t->echoes.isEmpty()) {
                from[size_t(k)] = t->echoes.first().arrival - kTolerance;
                to[size_t(k)] = t->echoes.first().arrival + 2 * duration;
                if (t->echoes.size() > 1)
                    to[size_t(k)] = std::min(to[size_t(k)], t->echoes.at(1).arrival);
            }
        }
        std::vector<double> echoPeak(size_t(infos.size())), noiseSd(size_t(infos.size()));
        filteredParts(c.o, SynthEchoes, infos, from, to, &echoPeak, nullptr);
        filteredParts(c.o, SynthNoise, infos, from, to, nullptr, &noiseSd);

        const QVector<dsp::FlawSuggestion> found =
            flawsuggest::suggest(m.filterWaveGroupList(), m.waveGroupList(), infos, options);
        for (int k = 0; k < infos.size(); ++k) {
            const WaveAnalyzeInfo &a = *infos.at(k);
            if (everyWave)
                std::printf("wave s%d p%d c%d: %d %.17g floor %d %.17g\n", s, a.nMeasurePoint, a.nChannel,
                            found[k].sample, found[k].confidence, found[k].bottomSample, found[k].bottomConfidence);
            const SynthWaveTruth *t = truthOf[size_t(k)];
            if (!t)
                continue;
            WaveResult w;
            w.wavelet = int(c.o.wavelet);
            w.noiseKind = c.noiseKind;
            w.band = c.band;
            w.varying = c.varying ? 1 : 0;
            w.hasEcho = !t->echoes.isEmpty();
            w.suggested = found[k].isValid() && found[k].confidence >= dsp::kRecommendedConfidence;
            w.confidence = found[k].isValid() ? found[k].confidence : 0.0;
            if (w.hasEcho) {
                const SynthEcho &e = t->echoes.first();
                w.atAnEcho = found[k].isValid() && std::abs(found[k].sample - e.arrival) <= kTolerance;
                w.snrRaw = t->noiseStd > 0.0 ? e.peak / t->noiseStd : 1e9;
                w.snrFiltered = noiseSd[size_t(k)] > 0.0 ? echoPeak[size_t(k)] / noiseSd[size_t(k)] : 1e9;
                w.nearArrival = e.arrival < int(1e-3 * kSampleRate);
                if (w.suggested) {
                    w.error = found[k].sample - e.arrival;
                    w.right = std::abs(w.error) <= kTolerance;
                }
                w.hasBottom = t->echoes.size() > 1;
                if (w.hasBottom)
                    w.bottomSnr = t->noiseStd > 0.0 ? t->echoes.at(1).peak / t->noiseStd : 1e9;
            }
            w.bottomSuggested =
                w.suggested && found[k].hasBottom() && found[k].bottomConfidence >= dsp::kRecommendedConfidence;
            w.bottomRight = w.bottomSuggested && w.hasBottom
                && std::abs(found[k].bottomSample - t->echoes.at(1).arrival) <= kTolerance;
            if (list && w.hasBottom && w.bottomSnr >= 5.0 && !w.bottomRight)
                std::printf("missed-floor s%d p%d c%d wl=%d f=%.0f bw=%.2f noise=%d snr=%.1f top=%d/%.2f floor=%d/%.2f "
                            "truth: %d %d\n",
                            s, a.nMeasurePoint, a.nChannel, int(c.o.wavelet), c.o.frequency, c.o.bandwidth, c.noiseKind,
                            w.bottomSnr, found[k].sample, found[k].confidence, found[k].bottomSample,
                            found[k].bottomConfidence, t->echoes.at(0).arrival, t->echoes.at(1).arrival);
            const bool missed = w.hasEcho && w.snrRaw >= kHeadlineSnr && !w.right;
            if (list && (missed || (!w.hasEcho && w.suggested))) {
                const WaveBlock &b = *m.filterWaveGroupAt(a.nMeasurePoint)->blocks[a.nChannel];
                const WaveBlock &o = *m.waveGroupAt(a.nMeasurePoint)->blocks[a.nChannel];
                const dsp::TraceAnalysis ta = dsp::analyseTrace(b.nData, b.nDataCnt, o.nData, a.nFilterOrder / 2);
                std::printf("%s s%d p%d c%d wl=%d f=%.0f bw=%.2f band=%d-%d noise=%d ring=%.2f/%.2fms snr=%.1f/%.1f "
                            "var=%d sugg=%d conf=%.2f start=%d P=%d W=%d sd=%.0f truth:",
                            missed ? "missed" : "false", s, a.nMeasurePoint, a.nChannel, int(c.o.wavelet),
                            c.o.frequency, c.o.bandwidth, c.o.lowFreq, c.o.highFreq, c.noiseKind, c.o.ringing,
                            c.o.ringingDecay * 1e3, w.snrRaw, w.snrFiltered, int(c.varying), found[k].sample,
                            found[k].confidence, ta.searchStart, ta.period, ta.pulseWidth, ta.noise);
                for (const SynthEcho &x : t->echoes)
                    std::printf(" %d(%.0f)", x.arrival, x.peak);
                std::printf(" candidates:");
                for (const dsp::EchoCandidate &x : ta.candidates)
                    std::printf(" %d/%.1f%s", x.onset, x.strength, x.spike ? "S" : "");
                std::printf("\n");
            }
            waves.push_back(w);
        }
    }

    Tally all, headline;
    for (const WaveResult &w : waves) {
        all.add(w);
        if (!w.hasEcho || w.snrRaw >= kHeadlineSnr)
            headline.add(w);
    }
    std::printf("%d surveys, %d waves: %d with an echo, %d without\n", surveys, all.waves, all.echoes, all.echoFree);
    printCurve("precision/recall over the raw echo-to-noise ratio", waves, false);
    printCurve("the same over the echo-to-noise ratio after the filter", waves, true);
    printCurveByNoise(waves);
    printCalibration(waves);
    const char *const wavelets[] = {"gabor", "ricker", "damped", "burst"};
    printBreakdown(
        "by wavelet", waves, [](const WaveResult &w) { return w.wavelet; }, wavelets, 4);
    printBreakdown(
        "by noise", waves, [](const WaveResult &w) { return w.noiseKind; }, kNoiseKinds, 3);
    printBreakdown(
        "by filter band", waves, [](const WaveResult &w) { return w.band; }, kBands, 3);
    const char *const pulses[] = {"steady", "varying"};
    printBreakdown(
        "by direct pulse", waves, [](const WaveResult &w) { return w.varying; }, pulses, 2);
    printFigures(waves);
    const double ms = timing ? detectorMsPer1000Points(dir.path()) : 0.0;
    std::printf("suggest: precision=%.3f recall=%.3f quiet=%.3f snr=%g ms_per_1000pts=%.1f\n", headline.precision(),
                headline.recall(), headline.quietShare(), kHeadlineSnr, ms);
    return 0;
}
