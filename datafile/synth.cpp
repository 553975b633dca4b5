#include "synth.h"

#include "datafile/fileoperation.h"
#include "io/safewrite.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Small fixed generator so that a seed gives the same survey everywhere.
class Rng
{
public:
    explicit Rng(quint32 seed)
        : m_state(0x9E3779B97F4A7C15ull ^ seed)
    {
        next();
    }
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    double gauss()
    {
        const double u1 = qMax(uniform(), 1e-300);
        const double u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
    }

private:
    quint64 m_state;
};

// A pulse shape at one frequency, scaled to a peak absolute value of 1.
// value(t) is the shape at time t from its reference point (the centre of the
// symmetric shapes, the start of the others); it is zero outside lo..hi.
struct Wavelet {
    SynthWavelet shape = SynthWavelet::Gabor;
    double f = 10000.0;
    double sigma = 0.0; // Gabor: width of the Gaussian, s
    double decay = 0.0; // DampedSine: time constant, s
    double rise = 0.0;  // DampedSine: rise time constant, s
    double cycles = 0;  // ToneBurst: cycles under the window
    double lo = 0.0, hi = 0.0;
    double norm = 1.0;

    Wavelet(SynthWavelet s, double frequency, double bandwidth)
        : shape(s)
        , f(frequency)
    {
        const double bw = bandwidth * frequency;
        switch (shape) {
        case SynthWavelet::Gabor:
            sigma = 1.0 / (2.0 * M_PI * bw);
            hi = 4.0 / (2.0 * M_PI * bw);
            lo = -hi;
            break;
        case SynthWavelet::Ricker:
            hi = 1.6 / f;
            lo = -hi;
            break;
        case SynthWavelet::DampedSine:
            decay = 1.0 / (M_PI * bw);
            rise = 0.25 / f;
            hi = 7.0 * decay;
            break;
        case SynthWavelet::ToneBurst:
            cycles = qMax(1.0, std::round(1.5 / qMax(bandwidth, 0.05)));
            hi = cycles / f;
            break;
        }
        if (shape == SynthWavelet::DampedSine) { // the only shape whose peak is not 1 by construction
            double peak = 0.0;
            for (int i = 0; i <= 4000; ++i)
                peak = qMax(peak, std::abs(raw(lo + (hi - lo) * i / 4000.0)));
            norm = peak > 0.0 ? 1.0 / peak : 1.0;
        }
    }

    double raw(double t) const
    {
        switch (shape) {
        case SynthWavelet::Gabor: return std::exp(-t * t / (2.0 * sigma * sigma)) * std::cos(2.0 * M_PI * f * t);
        case SynthWavelet::Ricker: {
            const double a = M_PI * f * t;
            return (1.0 - 2.0 * a * a) * std::exp(-a * a);
        }
        case SynthWavelet::DampedSine:
            return t < 0.0 ? 0.0 : (1.0 - std::exp(-t / rise)) * std::exp(-t / decay) * std::sin(2.0 * M_PI * f * t);
        case SynthWavelet::ToneBurst: {
            if (t < 0.0 || t > hi)
                return 0.0;
            const double w = std::sin(M_PI * t / hi);
            return w * w * std::cos(2.0 * M_PI * f * (t - 0.5 * hi));
        }
        }
        return 0.0;
    }
    double value(double t) const { return norm * raw(t); }
};

void addWavelet(double *wave, int n, double t0, double amplitude, const Wavelet &w)
{
    const int first = qMax(0, int((t0 + w.lo) * kSampleRate));
    const int last = qMin(n - 1, int((t0 + w.hi) * kSampleRate) + 1);
    for (int i = first; i <= last; ++i)
        wave[i] += amplitude * w.value(i / kSampleRate - t0);
}

double attenuationAt(const SynthOptions &o, int i, int samples) { return 1.0 + o.attenuation * i / samples; }

// Arrival and peak of one echo as it will be recorded (after attenuation).
SynthEcho measureEcho(const SynthOptions &o, int samples, double t0, double amplitude, const Wavelet &w)
{
    std::vector<double> alone(size_t(samples), 0.0);
    addWavelet(alone.data(), samples, t0, amplitude, w);
    SynthEcho e;
    for (int i = 0; i < samples; ++i)
        e.peak = qMax(e.peak, std::abs(alone[size_t(i)] / attenuationAt(o, i, samples)));
    if (e.peak <= 0.0)
        return e;
    for (int i = 0; i < samples && e.arrival < 0; ++i)
        if (std::abs(alone[size_t(i)] / attenuationAt(o, i, samples)) >= 0.5 * e.peak)
            e.arrival = i;
    return e;
}

// Noise inside the pulse's band: white noise through two band-pass
// sections at the pulse frequency, scaled to the standard deviation `sd`.
void addBandNoise(double *wave, int n, double sd, double frequency, quint32 seed)
{
    Rng rng(seed);
    const int warm = 512;
    const double w0 = 2.0 * M_PI * qBound(100.0, frequency, 0.45 * kSampleRate) / kSampleRate;
    const double alpha = std::sin(w0) / 2.0; // Q = 1
    const double a0 = 1.0 + alpha;
    const double b0 = alpha / a0, b2 = -alpha / a0, a1 = -2.0 * std::cos(w0) / a0, a2 = (1.0 - alpha) / a0;
    double s[2][4] = {};
    std::vector<double> y(size_t(n), 0.0);
    for (int i = -warm; i < n; ++i) {
        double v = rng.gauss();
        for (auto &st : s) { // st: x1 x2 y1 y2
            const double out = b0 * v + b2 * st[1] - a1 * st[2] - a2 * st[3];
            st[1] = st[0];
            st[0] = v;
            st[3] = st[2];
            st[2] = out;
            v = out;
        }
        if (i >= 0)
            y[size_t(i)] = v;
    }
    double power = 0.0;
    for (double v : y)
        power += v * v;
    const double scale = power > 0.0 ? sd / std::sqrt(power / n) : 0.0;
    for (int i = 0; i < n; ++i)
        wave[i] += scale * y[size_t(i)];
}

} // namespace

SynthSurvey synthesizeSurvey(const SynthOptions &o)
{
    Rng rng(o.seed);
    SynthSurvey s;
    s.head = newFileHead();
    FileHead &h = *s.head;
    h.headTag = kHeadTagBase + quint32(qBound(0, o.initialGain, 100));
    encodeText(h.fileTypeVersion, QStringLiteral("ARD-ORG V") + o.version);
    const int points = qMax(0, o.points);
    const int samples = qBound(1, o.samples, kMaxSamples);
    h.waveGroupCnt = points;
    encodeText(h.workName, QStringLiteral("清江特大桥桩基工程"));
    encodeText(h.detectUnit, QStringLiteral("岩溶地区桩基检测中心"));
    encodeText(h.detectName, QStringLiteral("张工、李工"));
    encodeText(h.pilingNumber, QStringLiteral("3#墩-%1号桩").arg(1 + o.seed % 8));
    encodeText(h.detectTime, QStringLiteral("2026年12月10日"));
    h.fWaveSpeed = o.waveSpeed;
    h.fWaveZoomScale = 1.0f;
    h.fOffsetAngle = float(std::round(rng.range(0.0, 8.0) * 10.0) / 10.0);

    const bool direct = o.parts & SynthDirect, echoes = o.parts & SynthEchoes, noisy = o.parts & SynthNoise;
    const Wavelet pulse(o.wavelet, o.frequency, o.bandwidth);
    const double zeroTime = 40e-6; // emitted pulse position
    for (int p = 0; p < points; ++p) {
        WaveGroupPtr g = newWaveGroup();
        WaveGroupHead &gh = g->head;
        gh.nLowFreq = o.lowFreq;
        gh.nHighFreq = o.highFreq;
        gh.nEmittedPulse = 100;
        gh.nStandRadius = 300;
        gh.nZeroTime = int(zeroTime * 1e6);
        const float speed = o.waveSpeed + float(rng.range(-150.0, 150.0));
        gh.nWaveSpeed = int(std::lround(speed));
        gh.fHeadingAngle = float(std::round(rng.range(0.0, 360.0) * 10.0) / 10.0);
        gh.fPitchAngle = float(std::round(rng.range(-3.0, 3.0) * 100.0) / 100.0);
        gh.fRollAngle = float(std::round(rng.range(-3.0, 3.0) * 100.0) / 100.0);
        gh.nSamplePoints = samples;
        gh.nSampleFreq = int(kSampleRate);
        const int blocks = o.fourthChannel ? kBlocksPerGroup : kChannelsPerGroup;
        for (int b = 0; b < kBlocksPerGroup; ++b) {
            gh.nGain[b] = b < blocks ? int(rng.next() % 4) : kNoValue;
            if (b >= blocks || o.missing.contains(qMakePair(p, b)))
                continue;
            std::vector<double> wave(samples, 0.0);
            if (direct) {
                // The channel's transducer, then this wave: drawn from their
                // own streams so that the rest of the survey does not change.
                Rng channelRng(o.seed * 40503u + quint32(b) * 977u + 5u);
                const double ringAmp = 1.0 + o.ringingSpread * channelRng.range(-1.0, 1.0);
                const double ringDecay = 1.0 + o.ringingSpread * channelRng.range(-1.0, 1.0);
                const double ringFreq = o.ringingSpread > 0.0 ? channelRng.range(0.85, 0.95) : 0.9;
                const double ringPhase = o.ringingSpread > 0.0 ? channelRng.range(0.0, 2.0 * M_PI) : 0.0;
                Rng waveRng(o.seed * 69069u + quint32(p * kBlocksPerGroup + b) * 2654435761u + 11u);
                const double shift = o.pulseJitter * waveRng.range(-1.0, 1.0);
                const double strength = 1.0 + o.pulseSpread * waveRng.range(-1.0, 1.0);
                const double ringWave = 1.0 + o.pulseSpread * waveRng.range(-1.0, 1.0);
                const double t0 = zeroTime + shift;
                addWavelet(wave.data(), samples, t0, o.pulseAmplitude * strength, pulse);
                if (o.ringing > 0.0 && o.ringingDecay > 0.0) {
                    const double fr = ringFreq * o.frequency, rise = 0.5 / o.frequency;
                    const double decay = o.ringingDecay * ringDecay;
                    for (int i = qMax(0, int(t0 * kSampleRate)); i < samples; ++i) {
                        const double t = i / kSampleRate - t0;
                        if (t > 10.0 * decay)
                            break;
                        if (t < 0.0)
                            continue;
                        wave[size_t(i)] += o.ringing * ringAmp * ringWave * o.pulseAmplitude
                            * (1.0 - std::exp(-t / rise)) * std::exp(-t / decay)
                            * std::sin(2.0 * M_PI * fr * t + ringPhase);
                    }
                }
            }
            SynthWaveTruth truth;
            truth.point = p;
            truth.channel = b;
            auto addEcho = [&](double t, double amplitude, const Wavelet &w) {
                if (echoes)
                    addWavelet(wave.data(), samples, t, amplitude, w);
                const SynthEcho e = measureEcho(o, samples, t, amplitude, w);
                if (e.arrival >= 0)
                    truth.echoes << e;
            };
            if (o.caves.isEmpty()) {
                // A cave shows under some points only, strongest in the middle.
                for (int c = 0; c < o.caveDepths.size(); ++c) {
                    const double centre = points * (c + 1.0) / (o.caveDepths.size() + 1.0);
                    const double reach = qMax(1.5, points / 4.0);
                    const double weight = 1.0 - std::abs(p - centre) / reach;
                    if (weight <= 0.0)
                        continue;
                    const double depth = o.caveDepths.at(c) + rng.range(-0.05, 0.05);
                    const double t = zeroTime + 2.0 * depth / speed;
                    // Upper boundary (soft: polarity reversed) and lower boundary.
                    addEcho(t, -6000.0 * weight * rng.range(0.7, 1.0), pulse);
                    addEcho(t + 2.0 * 0.8 / speed, 3500.0 * weight * rng.range(0.7, 1.0), pulse);
                }
            } else {
                for (const SynthCave &cave : o.caves) {
                    if (p < cave.firstPoint || p > cave.lastPoint || b >= kChannelsPerGroup
                        || !(cave.channelMask & (1 << b)))
                        continue;
                    const double depth = cave.depth + cave.dip * (p - cave.firstPoint) + rng.range(-0.03, 0.03);
                    const double amplitude = cave.amplitude * rng.range(0.75, 1.25);
                    const double sign = rng.uniform() < 0.5 ? -1.0 : 1.0;
                    const double ratio = rng.range(0.8, 1.0);
                    const Wavelet w(cave.echoWavelet < 0 ? o.wavelet : SynthWavelet(cave.echoWavelet),
                                    o.frequency * (cave.echoFrequencyRatio > 0.0 ? cave.echoFrequencyRatio : ratio),
                                    o.bandwidth);
                    const double t = zeroTime + 2.0 * depth / speed;
                    addEcho(t, sign * amplitude, w);
                    if (cave.height > 0.0)
                        addEcho(t + 2.0 * cave.height / speed, -sign * amplitude * cave.bottomRatio, w);
                }
            }
            std::sort(truth.echoes.begin(), truth.echoes.end(),
                      [](const SynthEcho &x, const SynthEcho &y) { return x.arrival < y.arrival; });
            truth.noiseStd = std::sqrt(double(o.noise) * o.noise + double(o.bandNoise) * o.bandNoise);

            std::vector<double> inBand(samples, 0.0);
            if (o.bandNoise > 0.0f)
                addBandNoise(inBand.data(), samples, o.bandNoise, o.frequency,
                             o.seed * 2654435761u + quint32(p * kBlocksPerGroup + b) + 1u);
            WaveBlock &blk = *g->blocks[b];
            for (int i = 0; i < samples; ++i) {
                const double attenuation = attenuationAt(o, i, samples);
                const double n = o.noise * rng.gauss();
                const double v = kZeroLevel + wave[i] / attenuation + (noisy ? n + inBand[size_t(i)] : 0.0);
                blk.nData[i] = qBound(0, int(std::lround(v)), 65535);
            }
            blk.nDataCnt = samples;
            blk.nFlawPos = kNoValue;
            if (b < kChannelsPerGroup)
                s.truth << truth;
        }
        s.groups << g;
    }
    return s;
}

bool writeSynthSurvey(const QString &path, const SynthOptions &options, QString *error)
{
    const SynthSurvey s = synthesizeSurvey(options);
    kvrio::SafeFile file(path);
    bool ok = file.open();
    if (ok) {
        FileOperation fop;
        fop.openDevice(file.device(), FileOperation::ReadWrite, FileOperation::FileTypeWaveGroups);
        ok = (fop.rewriteAll(s.groups, {}) && fop.writeHeader(s.head.data())) || file.abandon();
        fop.close();
        ok = ok && file.commit();
    }
    if (!ok && error)
        *error = file.errorString();
    return ok;
}
