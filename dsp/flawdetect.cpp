#include "flawdetect.h"

#include <QHash>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace dsp {

namespace {

constexpr int kMinSamples = 128;     // shorter waves are not analysed
constexpr int kMinNoiseSamples = 64; // the noise level needs this many samples after the pulse
constexpr double kMinNoise = 0.5;    // sample units: below that the samples are quantisation only
constexpr double kGaussMad = 1.4826; // standard deviation over median absolute deviation, normal distribution
constexpr double kNormalIqr = 1.349; // interquartile range of the standard normal distribution
constexpr double kEndLevel = 2.2;    // the ringing has decayed when the envelope is down to this (x noise)

// Detection: windows of 12 to 192 samples (24 to 384 us); scores are
// z-scores (see analyseTrace).
constexpr int kShortestWindow = 12;
constexpr int kScales[] = {1, 2, 4, 8, 16}; // multiples of the shortest window
constexpr double kStrengthFloor = 3.0;      // lower scores are not candidates

// Confidence: log-odds = (score - kStrengthHalf) / kStrengthScale (for a
// spike at most kSpikeLogOdds, whatever its score), plus kNeighbourGain per
// supporting neighbour
// (at most kMaxSupport of them; a channel of a neighbouring point counts
// kAdjacentPointWeight). Set on generated surveys so that a wave of noise
// alone gets a recommended suggestion about once in a hundred.
constexpr double kStrengthHalf = 5.0;
constexpr double kStrengthScale = 0.55;
constexpr double kSpikeLogOdds = -2.0; // a confidence of 0.12: below what is reported
constexpr double kNeighbourGain = 1.6;
constexpr double kMaxSupport = 2.5;
constexpr double kAdjacentPointWeight = 0.7;

double median(std::vector<double> &v)
{
    if (v.empty())
        return 0.0;
    const auto mid = v.begin() + std::ptrdiff_t(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

// Robust standard deviation of x[from..to): the median absolute value,
// taken over every `step`-th sample (neighbouring samples of a band-limited
// wave say nearly the same).
double noiseLevel(const std::vector<double> &x, int from, int to, int step)
{
    std::vector<double> a;
    a.reserve(size_t(std::max(0, to - from) / step + 1));
    for (int i = from; i < to; i += step)
        a.push_back(std::abs(x[size_t(i)]));
    return kGaussMad * median(a);
}

// Share of the energy of v[from..to) carried by its three largest samples.
double concentration(const double *v, int from, int to)
{
    double total = 0.0, top[3] = {0.0, 0.0, 0.0};
    for (int i = from; i < to; ++i) {
        const double e = v[i] * v[i];
        total += e;
        if (e > top[2]) {
            top[2] = e;
            std::sort(top, top + 3, std::greater<double>());
        }
    }
    return total > 0.0 ? (top[0] + top[1] + top[2]) / total : 0.0;
}

// Samples per cycle in x[from..to): twice the median length of the half
// cycles reaching `level`; 0 when there are fewer than two.
int halfCyclePeriod(const std::vector<double> &x, int from, int to, double level)
{
    std::vector<double> halves;
    int start = -1;
    double top = 0.0;
    for (int i = from + 1; i < to; ++i) {
        top = std::max(top, std::abs(x[size_t(i)]));
        if ((x[size_t(i - 1)] < 0.0) != (x[size_t(i)] < 0.0)) {
            if (start >= 0 && top >= level)
                halves.push_back(double(i - start));
            start = i;
            top = 0.0;
        }
    }
    if (halves.size() < 2)
        return 0;
    return std::clamp(int(std::lround(2.0 * median(halves))), 4, 256);
}

// Samples per cycle around the strongest part of the direct pulse (sample
// k0), from the half cycles reaching a quarter of it; without a clear pulse
// from the zero-crossing rate of the whole wave.
int pulsePeriod(const std::vector<double> &x, int n, int k0)
{
    const int p = halfCyclePeriod(x, std::max(0, k0 - 512), std::min(n, k0 + 512), 0.25 * std::abs(x[size_t(k0)]));
    if (p > 0)
        return p;
    int crossings = 0;
    for (int i = 1; i < n; ++i)
        crossings += (x[size_t(i - 1)] < 0.0) != (x[size_t(i)] < 0.0);
    return std::clamp(crossings > 0 ? int(std::lround(2.0 * n / crossings)) : 32, 4, 256);
}

// The arrival of an echo whose envelope peaks near `centre`: from its
// strongest sample back over the half cycles that still reach half of that
// (and clearly more than the noise), the first sample of the earliest one at
// that level. On a clean echo this is the first sample at which it reaches
// half its peak.
int leadingHalfPeak(const std::vector<double> &x, int centre, int width, int leftLimit, int rightLimit, int period,
                    double noise)
{
    int m = centre;
    for (int j = std::max(leftLimit, centre - width); j < std::min(rightLimit, centre + width + 1); ++j)
        if (std::abs(x[size_t(j)]) > std::abs(x[size_t(m)]))
            m = j;
    const double peak = std::abs(x[size_t(m)]);
    const double level = std::min(peak, std::max(0.5 * peak, 2.5 * noise));
    auto sign = [&](int i) { return x[size_t(i)] < 0.0; };
    auto halfCycleStart = [&](int i) {
        while (i > leftLimit && sign(i - 1) == sign(i))
            --i;
        return i;
    };
    int j = halfCycleStart(m);
    while (j > leftLimit) {
        const int start = halfCycleStart(j - 1);
        double top = 0.0;
        for (int q = start; q < j; ++q)
            top = std::max(top, std::abs(x[size_t(q)]));
        // A sliver of a half cycle is noise on a zero crossing: look past it.
        if (top < level && (j - start) * 4 >= period)
            break;
        j = start;
    }
    while (j < m && std::abs(x[size_t(j)]) < level)
        ++j;
    return j;
}

// Samples per cycle of the strongest part of x[from..to), from the half
// cycles reaching 30 % of its peak; `fallback` when there are fewer than two.
int localPeriod(const std::vector<double> &x, int from, int to, int fallback)
{
    double peak = 0.0;
    for (int i = from; i < to; ++i)
        peak = std::max(peak, std::abs(x[size_t(i)]));
    const int p = halfCyclePeriod(x, from, to, 0.3 * peak);
    return p > 0 ? p : fallback;
}

double logistic(double v) { return 1.0 / (1.0 + std::exp(-v)); }

} // namespace

double sampleDepthMetres(int sample, double waveSpeed) { return sample * 0.002 * waveSpeed / 2000.0; }

TraceAnalysis analyseTrace(const qint32 *samples, int count, const qint32 *original, int edge)
{
    TraceAnalysis r;
    int n = std::clamp(count, 0, kMaxSamples);
    if (!samples || n < kMinSamples)
        return r;

    // Centred samples; out-of-range values count as clipped. The zero line is
    // the median (of every 16th sample: the pulse cannot move it far).
    std::vector<double> x(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        x[size_t(i)] = double(std::clamp(int(samples[i]), 0, 65535) - kZeroLevel);
    {
        std::vector<double> some;
        some.reserve(size_t(n / 16 + 1));
        for (int i = 0; i < n; i += 16)
            some.push_back(x[size_t(i)]);
        const double m = median(some);
        for (double &v : x)
            v -= m;
    }
    // A recording that stopped early ends in a constant stretch: only what
    // came before it was recorded.
    {
        int last = n - 1;
        while (last > 0 && x[size_t(last - 1)] == x[size_t(n - 1)])
            --last;
        if (n - last >= 32)
            n = last;
        if (n < kMinSamples)
            return r;
        x.resize(size_t(n));
    }
    std::vector<double> prefix(size_t(n) + 1, 0.0);
    for (int i = 0; i < n; ++i)
        prefix[size_t(i) + 1] = prefix[size_t(i)] + x[size_t(i)] * x[size_t(i)];
    if (prefix[size_t(n)] <= 0.0)
        return r; // flat
    // Squared envelope: twice the mean square over a window of w samples
    // centred on i (a sine of amplitude A gives A^2).
    auto energy = [&](int i, int w) {
        const int lo = std::max(0, std::min(i - w / 2, n - w)), hi = std::min(n, lo + w);
        return 2.0 * (prefix[size_t(hi)] - prefix[size_t(lo)]) / double(hi - lo);
    };

    // The direct pulse: the strongest part of the first third of the wave.
    const int third = std::max(1, n / 3);
    int k0 = 0;
    for (int i = 1; i < third; ++i)
        if (std::abs(x[size_t(i)]) > std::abs(x[size_t(k0)]))
            k0 = i;
    const int period = pulsePeriod(x, n, k0);
    int p0 = 0;
    double pulsePeak = 0.0;
    for (int i = 0; i < third; ++i) {
        const double e = energy(i, period);
        if (e > pulsePeak) {
            pulsePeak = e;
            p0 = i;
        }
    }
    if (pulsePeak <= 0.0)
        return r;
    int r1 = p0;
    while (r1 + 1 < n && energy(r1 + 1, period) >= 0.25 * pulsePeak)
        ++r1;
    // The pulse may start before the recording does: its width from the
    // falling half.
    const int width = std::clamp(2 * (r1 - p0 + 1), period, std::max(period, std::min(8 * period, n / 8)));

    const int noiseFrom = std::min(n, r1 + 2 * width);
    if (n - noiseFrom < kMinNoiseSamples)
        return r;
    const double noise0 = std::max(kMinNoise, noiseLevel(x, noiseFrom, n, 8)); // a first estimate

    // End of the pulse and its ringing: the envelope is down in the noise,
    // or it has a valley out of which another arrival clearly rises.
    const double endLevel = kEndLevel * kEndLevel * noise0 * noise0;
    const double valleyLevel = 0.04 * energy(p0, width);
    int end = -1;
    double previous = energy(r1, width);
    for (int i = r1 + 1; i < n - 1 && end < 0; ++i) {
        const double e = energy(i, width);
        if (e <= endLevel) {
            end = i;
        } else if (e <= valleyLevel && e <= previous && e < energy(i + 1, width)) {
            const int to = std::min(n, i + 2 * width);
            for (int j = i + 1; j < to; ++j)
                if (energy(j, width) >= 4.0 * e) {
                    end = i;
                    break;
                }
        }
        previous = e;
    }
    r.analysed = true;
    r.period = period;
    r.pulseWidth = width;
    if (end < 0) {
        r.searchStart = n;
        r.noise = noise0;
        return r;
    }
    const int quietFrom = std::min(n, end + width);
    const double noise =
        n - quietFrom >= kMinNoiseSamples ? std::max(kMinNoise, noiseLevel(x, quietFrom, n, 2)) : noise0;
    r.noise = noise;
    const int s0 = std::min(n, end + width / 2);
    const int s1 = std::max(s0, n - std::max(width / 2, std::clamp(edge, 0, n / 4)));
    r.searchStart = s0;

    // Candidates. The energy in windows of several lengths (short echoes and
    // long ones) around each sample is compared with its own spread over the
    // searched part of this wave: constant false-alarm rate detection. The
    // cube root of a sum of squares of Gaussian noise is nearly Gaussian, so
    // the score is a z-score of that cube root, taken from quantiles (robust
    // to the echoes themselves).
    struct Scale {
        int w = 0;
        double centre = 0.0, spread = 1.0; // of the cube root of the energy
        double threshold = 0.0;            // energy at the candidate floor
    };
    std::vector<Scale> scales;
    // Energies carry at least the quantisation noise of whole-numbered
    // samples, so that a silent stretch does not make a one-count wiggle
    // stand out.
    const double energyFloor = 2.0 * kMinNoise * kMinNoise;
    const double spreadFloor = 0.1 * std::cbrt(2.0 * noise * noise + energyFloor);
    for (int cycles : kScales) {
        const int w = cycles * kShortestWindow;
        if (w * 8 > s1 - s0)
            break;
        std::vector<double> e;
        for (int i = s0 + w / 2; i < s1 - w / 2; i += std::max(1, w / 4)) // overlapping windows
            e.push_back(energy(i, w) + energyFloor);
        if (e.size() < 16)
            break;
        // Median, then the quartiles inside the two halves it leaves.
        const auto mid = e.begin() + std::ptrdiff_t(e.size() / 2);
        std::nth_element(e.begin(), mid, e.end());
        const auto low = e.begin() + std::ptrdiff_t(e.size() / 4);
        std::nth_element(e.begin(), low, mid);
        const auto high = e.begin() + std::ptrdiff_t(3 * e.size() / 4);
        std::nth_element(mid, high, e.end());
        Scale sc;
        sc.w = w;
        sc.centre = std::cbrt(*mid);
        sc.spread = std::max(spreadFloor, (std::cbrt(*high) - std::cbrt(*low)) / kNormalIqr);
        const double y = sc.centre + kStrengthFloor * sc.spread;
        sc.threshold = y * y * y - energyFloor;
        scales.push_back(sc);
    }
    if (scales.empty())
        return r; // too little after the pulse to tell an echo from the noise
    auto score = [&](int i, const Scale &sc) {
        return (std::cbrt(energy(i, sc.w) + energyFloor) - sc.centre) / sc.spread;
    };

    // Samples where some window reaches the floor.
    std::vector<char> hit(size_t(std::max(0, s1 - s0)), 0);
    // Only windows that end before s1 count: the end of the wave may carry
    // what the filter made of its edge.
    for (const Scale &sc : scales) {
        const double sumLevel = sc.threshold * sc.w / 2.0; // the same on the sum of squares
        const int half = sc.w / 2;
        const int from = std::max(s0, half), to = s1 - (sc.w - half);
        for (int i = from; i < to; ++i)
            hit[size_t(i - s0)] |= prefix[size_t(i - half + sc.w)] - prefix[size_t(i - half)] >= sumLevel;
    }
    auto above = [&](int j) { return hit[size_t(j - s0)] != 0; };
    for (int i = s0; i < s1;) {
        if (!above(i)) {
            ++i;
            continue;
        }
        const int a = i;
        while (i < s1 && above(i))
            ++i;
        const int b = i;
        int pk = a;
        double best = -1e300;
        const Scale *bestScale = &scales.front();
        for (int j = a; j < b; ++j) {
            for (const Scale &sc : scales) {
                if (j - sc.w / 2 < 0 || j - sc.w / 2 + sc.w > s1)
                    continue;
                const double z = score(j, sc);
                if (z > best) {
                    best = z;
                    pk = j;
                    bestScale = &sc;
                }
            }
        }
        const int w = bestScale->w;
        double before = energy(a, w);
        for (int j = std::max(end, a - 2 * w); j <= a; ++j)
            before = std::min(before, energy(j, w));
        if (before > 0.5 * energy(pk, w))
            continue; // the tail of something earlier, not a new arrival

        const int h0 = std::max(0, a - w / 2), h1 = std::min(s1, b + w / 2);
        const int cycle = localPeriod(x, h0, h1, period);
        // The earliest clear maximum of the envelope in the hump (two echoes
        // close together make one hump).
        const int e0 = std::max(0, h0 - cycle), e1 = std::min(s1, h1 + cycle + 1);
        std::vector<double> env(size_t(e1 - e0));
        double top = 0.0;
        for (int j = e0; j < e1; ++j) {
            env[size_t(j - e0)] = energy(j, cycle);
            if (j >= h0 && j < h1)
                top = std::max(top, env[size_t(j - e0)]);
        }
        int fp = pk;
        for (int j = h0; j < h1; ++j) {
            const double e = env[size_t(j - e0)];
            if (e < 0.36 * top)
                continue;
            bool isMax = true;
            for (int q = std::max(e0, j - cycle); q < std::min(e1, j + cycle + 1) && isMax; ++q)
                isMax = env[size_t(q - e0)] <= e;
            if (isMax) {
                fp = j;
                break;
            }
        }
        const int leftLimit = std::max(0, s0 - width / 2);
        const int reach = std::max(w, 2 * cycle);

        EchoCandidate c;
        c.onset = leadingHalfPeak(x, fp, reach, leftLimit, s1, cycle, noise);
        c.peak = fp;
        c.strength = best;
        const int w0 = std::max(0, fp - reach), w1 = std::min(n, fp + reach + 1);
        c.spike = concentration(x.data(), w0, w1) >= 0.5;
        if (!c.spike && original) {
            std::vector<double> o(size_t(w1 - w0));
            for (int j = w0; j < w1; ++j)
                o[size_t(j - w0)] = double(std::clamp(int(original[j]), 0, 65535) - kZeroLevel);
            std::vector<double> copy = o;
            const double m = median(copy);
            for (double &v : o)
                v -= m;
            c.spike = concentration(o.data(), 0, int(o.size())) >= 0.5;
        }
        // Pieces of one arrival (the score dipped below the floor in between)
        // lead to the same onset: keep one, with the best score.
        if (!r.candidates.empty() && std::abs(r.candidates.back().onset - c.onset) <= std::max(10, cycle / 2)) {
            EchoCandidate &last = r.candidates.back();
            if (c.strength > last.strength) {
                last.strength = c.strength;
                last.spike = c.spike;
            }
            continue;
        }
        r.candidates.push_back(c);
    }
    for (EchoCandidate &c : r.candidates) {
        c.evidence = (c.strength - kStrengthHalf) / kStrengthScale;
        if (c.spike)
            c.evidence = std::min(c.evidence, kSpikeLogOdds);
    }
    return r;
}

QVector<FlawSuggestion> suggestFlaws(const WaveGroupList &filtered, const WaveAnalyzeInfoList &infos,
                                     const SuggestOptions &options)
{
    const int count = infos.size();
    QVector<FlawSuggestion> result(count);
    auto blockOf = [](const WaveGroupList &list, int g, int c) -> const WaveBlock * {
        if (g < 0 || g >= list.size() || !list.at(g) || c < 0 || c >= kChannelsPerGroup)
            return nullptr;
        return list.at(g)->blocks[c].data();
    };

    std::vector<TraceAnalysis> traces(static_cast<size_t>(count));
    std::vector<int> index(static_cast<size_t>(count));
    std::iota(index.begin(), index.end(), 0);
    auto analyse = [&](int k) {
        const WaveAnalyzeInfoPtr &info = infos.at(k);
        if (!info)
            return;
        const WaveBlock *b = blockOf(filtered, info->nMeasurePoint, info->nChannel);
        if (!b)
            return;
        const WaveBlock *o = blockOf(options.originals, info->nMeasurePoint, info->nChannel);
        const int n = std::clamp(int(b->nDataCnt), 0, kMaxSamples);
        // The filter saw past the end of the wave over its last half length.
        const int edge = int(info->nFilterOrder) / 2;
        traces[size_t(k)] = analyseTrace(b->nData, n, o && o->nDataCnt >= n ? o->nData : nullptr, edge);
    };
    // Every wave writes only its own slot.
    if (count < 8) {
        for (int k : index)
            analyse(k);
    } else {
        QtConcurrent::blockingMap(index, analyse);
    }

    // Waves by position, for the neighbours.
    QHash<qint64, int> byPosition;
    for (int k = 0; k < count; ++k) {
        const WaveAnalyzeInfoPtr &info = infos.at(k);
        if (info && traces[size_t(k)].analysed) {
            const qint64 key = qint64(info->nMeasurePoint) * kBlocksPerGroup + info->nChannel;
            if (!byPosition.contains(key))
                byPosition.insert(key, k);
        }
    }

    for (int k = 0; k < count; ++k) {
        const TraceAnalysis &t = traces[size_t(k)];
        if (t.candidates.empty())
            continue;
        const WaveAnalyzeInfo &info = *infos.at(k);
        std::vector<double> confidence(t.candidates.size());
        for (size_t c = 0; c < t.candidates.size(); ++c) {
            const EchoCandidate &cand = t.candidates[c];
            double support = 0.0;
            if (options.useNeighbours && !cand.spike) {
                for (int dp = -1; dp <= 1; ++dp) {
                    for (int ch = 0; ch < kChannelsPerGroup; ++ch) {
                        if (dp == 0 && ch == info.nChannel)
                            continue;
                        const qint64 key = qint64(info.nMeasurePoint + dp) * kBlocksPerGroup + ch;
                        const auto it = byPosition.constFind(key);
                        if (it == byPosition.constEnd() || it.value() == k)
                            continue;
                        const TraceAnalysis &other = traces[size_t(it.value())];
                        const int tolerance = std::max(25, std::max(t.pulseWidth, other.pulseWidth) / 2);
                        double best = 0.0;
                        for (const EchoCandidate &o : other.candidates) {
                            if (o.spike || std::abs(o.onset - cand.onset) > tolerance)
                                continue;
                            best = std::max(
                                best,
                                std::clamp((o.strength - kStrengthFloor) / (kStrengthHalf - kStrengthFloor), 0.0, 1.0));
                        }
                        support += (dp == 0 ? 1.0 : kAdjacentPointWeight) * best;
                    }
                }
            }
            confidence[c] = logistic(cand.evidence + kNeighbourGain * std::min(support, kMaxSupport));
        }
        // The first recommended arrival; otherwise the most likely one.
        int pick = -1;
        for (size_t c = 0; c < confidence.size() && pick < 0; ++c)
            if (confidence[c] >= kRecommendedConfidence)
                pick = int(c);
        if (pick < 0)
            pick = int(std::max_element(confidence.begin(), confidence.end()) - confidence.begin());
        if (confidence[size_t(pick)] >= options.minConfidence) {
            result[k].sample = t.candidates[size_t(pick)].onset;
            result[k].confidence = confidence[size_t(pick)];
        }
    }
    return result;
}

} // namespace dsp
