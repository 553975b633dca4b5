#include "synth.h"

#include "datafile/fileoperation.h"
#include "io/safewrite.h"

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

// Gabor pulse centred at 10 kHz whose band covers 5..15 kHz.
double pulse(double t)
{
    const double fc = 10000.0;
    const double sigma = 1.0 / (2.0 * M_PI * 2500.0);
    return std::exp(-t * t / (2.0 * sigma * sigma)) * std::cos(2.0 * M_PI * fc * t);
}

void addPulse(double *wave, int n, double t0, double amplitude)
{
    const double halfWidth = 4.0 / (2.0 * M_PI * 2500.0);
    const int first = qMax(0, int((t0 - halfWidth) * kSampleRate));
    const int last = qMin(n - 1, int((t0 + halfWidth) * kSampleRate) + 1);
    for (int i = first; i <= last; ++i)
        wave[i] += amplitude * pulse(i / kSampleRate - t0);
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

    const double zeroTime = 40e-6; // emitted pulse position
    for (int p = 0; p < points; ++p) {
        WaveGroupPtr g = newWaveGroup();
        WaveGroupHead &gh = g->head;
        gh.nLowFreq = 5000;
        gh.nHighFreq = 15000;
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
            addPulse(wave.data(), samples, zeroTime, 20000.0);
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
                addPulse(wave.data(), samples, t, -6000.0 * weight * rng.range(0.7, 1.0));
                addPulse(wave.data(), samples, t + 2.0 * 0.8 / speed, 3500.0 * weight * rng.range(0.7, 1.0));
            }
            WaveBlock &blk = *g->blocks[b];
            for (int i = 0; i < samples; ++i) {
                const double attenuation = 1.0 + 3.0 * i / samples;
                const double v = kZeroLevel + wave[i] / attenuation + o.noise * rng.gauss();
                blk.nData[i] = qBound(0, int(std::lround(v)), 65535);
            }
            blk.nDataCnt = samples;
            blk.nFlawPos = kNoValue;
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
