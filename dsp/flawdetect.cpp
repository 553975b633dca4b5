#include "flawdetect.h"

#include "compilerhints.h"
#include "datafile/records.h"
#include "fft.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <numeric>
#include <tuple>

namespace dsp {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kMinSamples = 128;     // shorter waves are not analysed
constexpr int kMinNoiseSamples = 64; // the noise level needs this many samples after the pulse
constexpr double kMinNoise = 0.5;    // sample units: below that the samples are quantisation only
constexpr double kGaussMad = 1.4826; // standard deviation over median absolute deviation, normal distribution
constexpr double kEndLevel = 2.2;    // the ringing has decayed when the envelope is down to this (x noise)

// Bands: Gaussian band-pass filters (centre and standard deviation in Hz)
// around the frequency of the direct pulse. Echoes come back a little
// lower than the pulse went out, so most bands lie below it.
constexpr double kBandCentres[] = {0.6, 0.75, 0.9, 1.1}; // x the pulse's frequency
constexpr double kBandWidths[] = {0.2, 0.4};             // standard deviation over centre frequency
constexpr double kBandReach = 4.0;                       // the window ends at this many standard deviations
constexpr double kBandSettled = 2.0;    // a band is searched from where its power is down to this x its noise
constexpr double kNoiseQuantile = 0.3;  // of a band's power, for its noise
constexpr double kStopband = 0.01;      // bands with less noise than this share of the loudest are left out
constexpr int kGrid = 4;                // samples between the values the detection looks at
constexpr double kResidualSafety = 3.0; // what is left of the background may be this much more than it seems
constexpr float kOverCommon = 6.0f;     // ... but not more than this times what the channel's waves show

// Detection. The strength of an arrival is the power of the band that shows
// it best over that band's noise power: for noise alone an exponential
// variable of mean 1, so a strength of s turns up by chance with a
// probability of about e^-s per band and cell. A candidate is a maximum of
// the strength that rises out of what comes before it (from kRise of itself
// or less) and is not just a wiggle on the way up to something stronger (it
// falls back to kDip of itself first): so a cave's weaker top echo right
// before its bottom echo is one.
constexpr double kCandidateFloor = 5.0; // weaker maxima are not candidates
constexpr double kRise = 0.5;
constexpr double kDip = 0.7;
constexpr double kFloorRise = 0.85; // a floor on a stronger echo's tail rises from this much of itself

// The noise power of a band is the median over the neighbouring waves
// processed alike (this many measure points to each side), but never below
// this share of the wave's own.
constexpr int kPoolPoints = 2;
constexpr double kOwnNoiseShare = 0.7;

// Confidence: log-odds = (strength + support - kThreshold) / kScale, for a
// spike at most kSpikeLogOdds. Support: the same channel of the two
// neighbouring measure points (a channel that sees a cave sees it from the
// next point too) and, weighing kSamePointWeight, the other channels of the
// measure point each add what they show within kSupportTolerance samples:
// their strength above kSupportFloor, at most kSupportCap; a spike shows
// nothing. At most kMaxSupport in all: however strongly the neighbours see a
// cave, this wave must show it too. The other channels of the neighbouring
// points add nothing: a cave under a run of points is seen there by the same
// channel, and counting it again raised echo-free waves beside caves more
// than it found echoes. Set on generated surveys so that a wave of noise
// alone gets a recommended suggestion well under once in a hundred and a
// confidence is right about as often as it says.
constexpr double kThreshold = 14.0;
constexpr double kScale = 1.5;
constexpr double kSpikeLogOdds = -2.0; // a confidence of 0.12: below what is reported
constexpr double kSupportFloor = 5.0;
constexpr double kSupportCap = 6.0;
constexpr double kMaxSupport = 10.0;
constexpr double kSamePointWeight = 0.7;
constexpr int kSupportTolerance = 32;
constexpr double kSupportRatio = 4.0;

// A floor inside the top's hump: log-odds (strength of the wide band's
// envelope rising again after the top - kHumpThreshold) / kScale.
constexpr double kHumpThreshold = 10.0;

// A cave's floor echoes at most this many samples (1.5 ms) after its top.
constexpr int kBottomReach = 750;

// The k-th smallest of v[0..n) (v is reordered). Quickselect whose
// partition does not branch on the values (the comparisons of noise are
// unpredictable); should the pivots keep falling badly (many equal values),
// the standard selection finishes. Any exact selection gives the same value.
double nthSmallest(double *v, int n, int k)
{
    int lo = 0, hi = n - 1, rounds = 0;
    while (hi - lo > 8) {
        if (++rounds > 24) {
            std::nth_element(v + lo, v + k, v + hi + 1);
            return v[k];
        }
        // Median of three as the pivot, placed at hi.
        const int mid = lo + (hi - lo) / 2;
        if (v[mid] < v[lo])
            std::swap(v[mid], v[lo]);
        if (v[hi] < v[lo])
            std::swap(v[hi], v[lo]);
        if (v[mid] < v[hi])
            std::swap(v[mid], v[hi]);
        const double pivot = v[hi];
        int store = lo;
        for (int i = lo; i < hi; ++i) {
            const double x = v[i];
            v[i] = v[store];
            v[store] = x;
            store += x < pivot;
        }
        std::swap(v[store], v[hi]);
        if (k == store)
            return v[k];
        if (k < store)
            hi = store - 1;
        else
            lo = store + 1;
    }
    // A few values left: sorted by insertion.
    for (int i = lo + 1; i <= hi; ++i) {
        const double x = v[i];
        int j = i;
        for (; j > lo && x < v[j - 1]; --j)
            v[j] = v[j - 1];
        v[j] = x;
    }
    return v[k];
}

double median(std::vector<double> &v)
{
    if (v.empty())
        return 0.0;
    return nthSmallest(v.data(), int(v.size()), int(v.size() / 2));
}

// The running sums of squares of x[0..n) into p: p[i] = sum of x[0..i)^2,
// p[0] = 0, worked out only as far as they are read (a wave's pulse and
// what is left of it lie near its start).
class SquareSums
{
public:
    explicit SquareSums(std::vector<double> &p)
        : m_p(p)
    { }
    void reset(const double *x, int n)
    {
        m_x = x;
        m_p.resize(size_t(n) + 1);
        m_p[0] = 0.0;
        m_done = 0;
    }
    // p[0..i] are there.
    void upTo(int i)
    {
        if (i <= m_done)
            return;
        double sum = m_p[size_t(m_done)]; // kept apart: the compiler cannot tell that p and x do not overlap
        for (int j = m_done; j < i; ++j) {
            sum += m_x[j] * m_x[j];
            m_p[size_t(j) + 1] = sum;
        }
        m_done = i;
    }

private:
    std::vector<double> &m_p;
    const double *m_x = nullptr;
    int m_done = 0; // m_p[0..m_done] hold their sums
};

// Squared envelope from the running sums p of x^2 (p[i] = sum of x[0..i)):
// twice the mean square over w samples centred on i (a sine of amplitude A
// gives A^2).
double windowEnergy(const std::vector<double> &p, int n, int i, int w)
{
    const int lo = std::max(0, std::min(i - w / 2, n - w)), hi = std::min(n, lo + w);
    return 2.0 * (p[size_t(hi)] - p[size_t(lo)]) / double(std::max(1, hi - lo));
}

constexpr int kNoiseValues = 256; // samples a noise level is read from, at most

// Robust standard deviation of x[from..to): the median absolute value,
// taken over every `step`-th sample (neighbouring samples of a band-limited
// wave say nearly the same).
double noiseLevel(const std::vector<double> &x, int from, int to, int step)
{
    step = std::max(step, (to - from) / kNoiseValues); // more say no more
    // The values are kept by the calling thread from call to call.
    thread_local std::vector<double> a;
    a.clear();
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
        if (e > top[2]) { // into its place among the three largest
            top[2] = e;
            if (top[2] > top[1])
                std::swap(top[2], top[1]);
            if (top[1] > top[0])
                std::swap(top[1], top[0]);
        }
    }
    return total > 0.0 ? (top[0] + top[1] + top[2]) / total : 0.0;
}

// Lengths of the half cycles of x[from..to) whose peak reaches `level`.
std::vector<double> halfCycles(const std::vector<double> &x, int from, int to, double level)
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
    return halves;
}

// Samples per cycle in x[from..to): twice the median length of the half
// cycles reaching `level`; 0 when there are fewer than two.
int halfCyclePeriod(const std::vector<double> &x, int from, int to, double level)
{
    std::vector<double> halves = halfCycles(x, from, to, level);
    if (halves.size() < 2)
        return 0;
    return std::clamp(int(std::lround(2.0 * median(halves))), 4, 256);
}

// A half cycle whose top reaches the level with less than this probability
// ends the walk back from an echo's peak.
constexpr double kUnlikely = 0.1;

// The arrival of an echo whose envelope peaks near `centre`: from its
// strongest sample back over the half cycles that still reach half of that
// (and clearly more than the noise), the first sample of the earliest one at
// that level, as far as the noise tells which one that is. On a clean echo
// this is the first sample at which it reaches half its peak.
int leadingHalfPeak(const std::vector<double> &x, int centre, int width, int leftLimit, int rightLimit, int period,
                    double noise)
{
    int m = centre;
    for (int j = std::max(leftLimit, centre - width); j < std::min(rightLimit, centre + width + 1); ++j)
        if (std::abs(x[size_t(j)]) > std::abs(x[size_t(m)]))
            m = j;
    const double peak = std::abs(x[size_t(m)]);
    auto sign = [&](int i) { return x[size_t(i)] < 0.0; };
    // The strongest sample is the largest of the crests near the echo's
    // peak, each raised or lowered by the noise: the more of them there are
    // (a slow-rising echo), the more the largest lies above the echo's own
    // peak, by the expected largest of that many normal deviates.
    int crests = 0;
    {
        const int from = std::max(leftLimit, centre - width), to = std::min(rightLimit, centre + width + 1);
        double top = 0.0;
        for (int i = from; i < to; ++i) {
            if (i > from && sign(i) != sign(i - 1)) {
                crests += top >= 0.7 * peak;
                top = 0.0;
            }
            top = std::max(top, std::abs(x[size_t(i)]));
        }
        crests += top >= 0.7 * peak;
    }
    constexpr double kLargestOf[] = {0.0, 0.56, 0.85, 1.03, 1.16, 1.27, 1.35, 1.42};
    const double raised = noise * kLargestOf[std::clamp(crests, 1, 8) - 1];
    const double level = std::min(peak, std::max(0.5 * (peak - raised), 2.5 * noise));
    auto halfCycleStart = [&](int i) {
        while (i > leftLimit && sign(i - 1) == sign(i))
            --i;
        return i;
    };
    auto topOf = [&](int from, int to) {
        double top = 0.0;
        for (int q = from; q < to; ++q)
            top = std::max(top, std::abs(x[size_t(q)]));
        return top;
    };
    // Going back from the strongest half cycle, each one's own top reaches
    // the level with a probability set by the noise on it and on the peak
    // (the level is half the peak). The echo rises once: if the first half
    // cycle to reach the level is the k-th one back, those up to it reach it
    // and those beyond do not. The arrival is the mean of where each k would
    // put it, weighed by how likely the half cycles make that k: on a clean
    // echo the first sample at the level, and where the noise leaves open
    // which of two half cycles comes first, a point between them instead of
    // half a cycle off one.
    const double spread = noise * std::sqrt(1.0 + 0.25);
    auto reaches = [&](double top) {
        if (spread <= 0.0)
            return top >= level ? 1.0 : 0.0;
        return 0.5 * std::erfc((level - top) / (spread * std::sqrt(2.0)));
    };
    // The first sample at the level in [from, to); the half cycle's top
    // when it stays below it.
    auto firstAtLevel = [&](int from, int to) {
        int best = from;
        for (int i = from; i < to; ++i) {
            if (std::abs(x[size_t(i)]) >= level)
                return i;
            if (std::abs(x[size_t(i)]) > std::abs(x[size_t(best)]))
                best = i;
        }
        return best;
    };
    // Each half cycle back from the strongest one, with the probability
    // that its own top reaches the level; the walk ends at one that most
    // likely does not (anything before it is another arrival or noise).
    thread_local std::vector<std::pair<int, double>> halves; // where it would put the arrival, probability
    halves.clear();
    int j = halfCycleStart(m);
    halves.push_back({firstAtLevel(j, m + 1), 1.0});
    while (j > leftLimit) {
        // The half cycle before j; slivers of one are noise on a zero
        // crossing: look past them.
        int start = j;
        double top = 0.0;
        while (start > leftLimit) {
            start = halfCycleStart(start - 1);
            top = std::max(top, topOf(start, j));
            if ((j - start) * 4 >= period || top >= level)
                break;
        }
        const double p = reaches(top);
        if (p < kUnlikely)
            break;
        halves.push_back({firstAtLevel(start, j), p});
        j = start;
    }
    // The likelihood of each k, in logarithms.
    thread_local std::vector<double> logLikelihood;
    const int count = int(halves.size());
    logLikelihood.assign(size_t(count), 0.0);
    double reached = 0.0;
    for (int k = 0; k < count; ++k) {
        reached += std::log(std::max(halves[size_t(k)].second, 1e-300));
        logLikelihood[size_t(k)] = reached;
    }
    double missed = 0.0;
    for (int k = count - 1; k >= 0; --k) {
        logLikelihood[size_t(k)] += missed;
        missed += std::log(std::max(1.0 - halves[size_t(k)].second, 1e-300));
    }
    const double best = *std::max_element(logLikelihood.begin(), logLikelihood.end());
    double weights = 0.0, sum = 0.0;
    for (int k = 0; k < count; ++k) {
        const double w = std::exp(logLikelihood[size_t(k)] - best);
        weights += w;
        sum += w * halves[size_t(k)].first;
    }
    return int(std::lround(sum / weights));
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

// cos(pi (t + 0.5) / length) for t = 0..length-1: the half cycle of a
// smooth fade over `length` samples. The waves share their few lengths (a
// period or so): each thread keeps those it worked out.
const double *halfCosines(int length)
{
    constexpr int kKept = 512;
    thread_local std::vector<double> kept[kKept + 1];
    thread_local std::vector<double> other;
    std::vector<double> &c = length <= kKept ? kept[std::max(0, length)] : other;
    if (int(c.size()) != length) {
        c.resize(size_t(std::max(0, length)));
        for (int t = 0; t < length; ++t)
            c[size_t(t)] = std::cos(kPi * (t + 0.5) / length);
    }
    return c.data();
}

// Complex transform plans of the band filters, shared by all threads; each
// thread keeps those it looked up.
const ComplexFft &complexPlan(int n)
{
    int bits = 0;
    while ((1 << bits) < n)
        ++bits;
    thread_local const ComplexFft *known[32] = {};
    if (bits < 32 && known[bits] && known[bits]->size() == n)
        return *known[bits];
    static QMutex mutex;
    static std::map<int, std::unique_ptr<ComplexFft>> plans;
    QMutexLocker lock(&mutex);
    auto &slot = plans[n];
    if (!slot)
        slot.reset(new ComplexFft(n));
    if (bits < 32)
        known[bits] = slot.get();
    return *slot;
}

// What the samples of one wave show before any band is looked at.
struct Shape {
    bool analysed = false;
    int n = 0;         // samples used (a constant end cut off)
    double zero = 0.0; // zero line, sample units above kZeroLevel
    int period = 0;    // samples per cycle of the direct pulse
    double frequency = 0.0;
    int width = 0; // of the direct pulse, samples
    int s0 = 0;    // searched: s0..s1-1
    int s1 = 0;
    double noise = 0.0;         // standard deviation, sample units
    bool subtracted = false;    // the background trace was taken off
    double bandFrequency = 0.0; // the bands lie around this (0: the pulse's frequency)
    // What is left of the background, every kGrid-th sample from s0: its
    // power over the noise's (missing values: none left).
    std::vector<float> residual;
};

// The samples as numbers around the zero line; out-of-range values count as
// clipped.
void centred(const qint32 *samples, int n, double zero, std::vector<double> &x)
{
    x.resize(static_cast<size_t>(std::max(0, n)));
    for (int i = 0; i < n; ++i)
        x[size_t(i)] = double(std::clamp(int(samples[i]), 0, 65535) - kZeroLevel) - zero;
}

// True when samples[0..n) hold one value only: a recording of nothing (such
// as all -100), whatever the filter made of its edges.
bool constant(const qint32 *samples, int n)
{
    return samples && std::all_of(samples, samples + std::max(0, n), [&](qint32 v) { return v == samples[0]; });
}

// The zero line of samples[0..n): the median of every 16th sample (the
// pulse cannot move it far).
double zeroOf(const qint32 *samples, int n)
{
    // The values are kept by the calling thread from call to call.
    thread_local std::vector<double> some;
    some.clear();
    for (int i = 0; i < n; i += 16)
        some.push_back(double(std::clamp(int(samples[i]), 0, 65535) - kZeroLevel));
    return median(some);
}

// The background trace of a channel: what every wave of it carries (the
// direct pulse and its ringing), with its first and second differences for
// moving it by a fraction of a sample. Zero from `active` on.
struct Background {
    std::vector<double> b, d1, d2;
    int active = 0;
    int pulseEnd = 0; // where the pulse's energy is down to a quarter
    int period = 0;   // samples per cycle of the pulse
};

// Where the pulse of trace b ends (its energy over a cycle down to a
// quarter of its peak), and the samples per cycle.
int pulseEndOf(const std::vector<double> &b, int *period)
{
    const int n = int(b.size());
    int peak = 0;
    for (int i = 1; i < n / 3; ++i)
        if (std::abs(b[size_t(i)]) > std::abs(b[size_t(peak)]))
            peak = i;
    *period = std::max(4,
                       halfCyclePeriod(b, std::max(0, peak - 512), std::min(n, peak + 512),
                                       0.25 * std::abs(b[size_t(std::min(peak, n - 1))])));
    std::vector<double> prefix(size_t(n) + 1, 0.0);
    for (int i = 0; i < n; ++i)
        prefix[size_t(i) + 1] = prefix[size_t(i)] + b[size_t(i)] * b[size_t(i)];
    const double top = windowEnergy(prefix, n, peak, *period);
    int end = peak;
    while (end + 1 < n && windowEnergy(prefix, n, end + 1, *period) >= 0.25 * top)
        ++end;
    return end;
}

Background makeBackground(std::vector<double> b)
{
    Background r;
    if (!b.empty())
        r.pulseEnd = pulseEndOf(b, &r.period);
    const int n = int(b.size());
    r.d1.assign(size_t(n), 0.0);
    r.d2.assign(size_t(n), 0.0);
    for (int i = 1; i + 1 < n; ++i) {
        r.d1[size_t(i)] = 0.5 * (b[size_t(i + 1)] - b[size_t(i - 1)]);
        r.d2[size_t(i)] = b[size_t(i + 1)] - 2.0 * b[size_t(i)] + b[size_t(i - 1)];
    }
    r.active = n;
    while (r.active > 0 && b[size_t(r.active - 1)] == 0.0)
        --r.active;
    r.b = std::move(b);
    return r;
}

// Tables that depend on a length only, worked out once and kept for the
// program's life: the fits of all waves point into them instead of each
// holding its own copy (allocated and freed for every wave). Fade: 0.5 + 0.5
// halfCosines(length); Fractions: r / length for r = 0..length-1.
enum class LengthTable { Fade, Fractions };

const double *lengthTable(LengthTable kind, int length)
{
    constexpr int kKnown = 513; // lengths a thread remembers it looked up
    thread_local const double *known[2][kKnown] = {};
    const int which = kind == LengthTable::Fade ? 0 : 1;
    if (length >= 0 && length < kKnown && known[which][length])
        return known[which][length];
    static QMutex mutex;
    static std::map<std::pair<int, int>, std::vector<double>> tables; // nodes never move
    QMutexLocker lock(&mutex);
    std::vector<double> &t = tables[{which, length}];
    if (t.empty()) {
        t.resize(size_t(std::max(1, length)));
        if (kind == LengthTable::Fade) {
            const double *c = halfCosines(length);
            for (int i = 0; i < length; ++i)
                t[size_t(i)] = 0.5 + 0.5 * c[i];
        } else {
            for (int i = 0; i < length; ++i)
                t[size_t(i)] = double(i) / length;
        }
    }
    if (length >= 0 && length < kKnown)
        known[which][length] = t.data();
    return t.data();
}

// How one wave carries its channel's background. The pulse of a wave may
// start a little earlier or later than the background's (by `shift` whole
// samples and `fraction` of one), and its strength and that of its ringing
// differ from wave to wave: the background, moved so, is scaled by a factor
// that changes slowly along the wave (`scale` every `step` samples, linear
// in between).
struct BackgroundFit {
    bool used = false;
    int shift = 0;
    double fraction = 0.0;
    int step = 1;
    std::vector<double> scale;

    // The moved background at sample i, before scaling.
    double moved(const Background &bg, int i) const
    {
        const int j = i - shift;
        if (j < 0 || j >= bg.active)
            return 0.0;
        const size_t u = size_t(j);
        return bg.b[u] - fraction * bg.d1[u] + 0.5 * fraction * fraction * bg.d2[u];
    }
    // How much of sample i belongs to the pulse (1) rather than to its
    // ringing (0).
    double pulseShare(int i) const
    {
        if (i < split)
            return 1.0;
        if (i >= split + taper)
            return 0.0;
        return fade[size_t(i - split)];
    }
    // The ringing's scale at sample i, with r = i - k step.
    double ringingScale(int k, int r) const
    {
        const int k1 = std::min(k + 1, int(scale.size()) - 1);
        const double f = r < step ? fractions[size_t(r)] : 1.0;
        return (1.0 - f) * scale[size_t(k)] + f * scale[size_t(k1)];
    }
    double ringingScale(int i) const
    {
        const int k = std::min(i / step, int(scale.size()) - 1);
        return ringingScale(k, i - k * step);
    }
    // The moved background, scaled, for every sample from..to-1 into
    // out[0..to-from), walking through the scale's windows instead of
    // dividing for every sample.
    void model(const Background &bg, int from, int to, double *out) const
    {
        std::fill(out, out + std::max(0, to - from), 0.0);
        // Only where the moved background lies.
        const int lo = std::max(from, shift), hi = std::min(to, shift + bg.active);
        if (!used || lo >= hi)
            return;
        const int lastWindow = int(scale.size()) - 1;
        const double half = 0.5 * fraction * fraction;
        // Window by window of the ringing's scale; past the pulse and its
        // fade the pulse has no share (and a sample's factor is exactly the
        // ringing's scale), so that stretch goes without a branch.
        for (int i = lo; i < hi;) {
            const int k = std::min(i / step, lastWindow), k1 = std::min(k + 1, lastWindow);
            const int end = k < lastWindow ? std::min(hi, (k + 1) * step) : hi;
            const double s0 = scale[size_t(k)], s1 = scale[size_t(k1)];
            for (; i < std::min(end, split + taper); ++i) {
                const int r = i - k * step;
                const size_t u = size_t(i - shift);
                const double m = bg.b[u] - fraction * bg.d1[u] + half * bg.d2[u]; // as moved()
                if (m != 0.0) {
                    const double w = pulseShare(i), f = r < step ? fractions[size_t(r)] : 1.0;
                    out[i - from] = (w * pulseScale + (1.0 - w) * ((1.0 - f) * s0 + f * s1)) * m;
                }
            }
            for (; i < end; ++i) {
                const int r = i - k * step;
                const size_t u = size_t(i - shift);
                const double m = bg.b[u] - fraction * bg.d1[u] + half * bg.d2[u];
                const double f = r < step ? fractions[size_t(r)] : 1.0;
                out[i - from] = ((1.0 - f) * s0 + f * s1) * m; // zero (of either sign) where m is
            }
        }
    }

    // The pulse (up to `split`, fading over `taper` samples) and its ringing
    // are scaled apart: their strengths differ from wave to wave.
    int split = 0;
    int taper = 1;
    double pulseScale = 0.0;

    void setPulse(int pulseEnd, int fadeLength)
    {
        split = pulseEnd;
        taper = fadeLength;
        fade = lengthTable(LengthTable::Fade, taper);
    }
    void setStep(int samples)
    {
        step = samples;
        fractions = lengthTable(LengthTable::Fractions, step);
    }

private:
    const double *fade = nullptr;      // the pulse's share over the taper
    const double *fractions = nullptr; // r / step for r = 0..step-1
};

constexpr int kMaxShift = 6; // whole samples a wave's pulse may lie off the background's

// Samples next to a clipped one (0 or 65535 as recorded) do not follow the
// background: they are left out of its fit. Empty when no sample is
// clipped (as on most waves; the fit then checks none).
void clippedNear(const qint32 *samples, int n, std::vector<unsigned char> &out)
{
    out.clear();
    if (!samples)
        return;
    // Whether any is, first, in a loop the compiler vectorises.
    bool any = false;
    for (int i = 0; i < n; ++i)
        any |= quint32(samples[i]) - 1u >= 65534u; // <= 0 or >= 65535
    if (!any)
        return;
    out.assign(size_t(std::max(0, n)), 0);
    for (int i = 0; i < n; ++i)
        if (samples[i] <= 0 || samples[i] >= 65535)
            for (int j = std::max(0, i - 2); j < std::min(n, i + 3); ++j)
                out[size_t(j)] = 1;
}

// Fits the background to the wave x (around its zero line): first where it
// lies (whole samples by correlation, then the fraction by least squares),
// then the scales of the pulse (up to `pulseEnd`) and of its ringing, the
// latter also in overlapping windows of a few periods, drawn towards its
// scale over the whole wave where the ringing is weak against the noise.
KVR_CLONE_FOR_AVX2
BackgroundFit fitBackground(const std::vector<double> &x, const Background &bg, int n, int period, int pulseEnd,
                            const std::vector<unsigned char> &clipped)
{
    BackgroundFit fit;
    if (bg.active <= 0)
        return fit;
    const int last = std::min(n, bg.active + kMaxShift);
    // Where the pulse lies is read on the pulse and its early ringing, where
    // the background is strong and no echo of a cave has arrived yet.
    const int reach = std::min(last, std::max(pulseEnd, bg.pulseEnd) + 8 * std::max(period, bg.period));
    auto usable = [&](int i) { return size_t(i) >= clipped.size() || !clipped[size_t(i)]; };
    double best = -1.0;
    // All shifts in one pass over the samples (each sum still adds its terms
    // in the order of the samples).
    constexpr int kShifts = 2 * kMaxShift + 1;
    double xbs[kShifts] = {}, bbs[kShifts] = {};
    auto add = [&](int i) {
        if (!usable(i))
            return;
        const double xi = x[size_t(i)];
        for (int s = std::max(-kMaxShift, i - bg.active + 1); s <= std::min(kMaxShift, i); ++s) {
            const double b = bg.b[size_t(i - s)];
            xbs[s + kMaxShift] += xi * b;
            bbs[s + kMaxShift] += b * b;
        }
    };
    // Where every shift reaches into the background, the same with a fixed
    // number of shifts, which the compiler unrolls.
    const int inFrom = std::min(reach, kMaxShift), inTo = std::max(inFrom, std::min(reach, bg.active - kMaxShift));
    for (int i = 0; i < inFrom; ++i)
        add(i);
    for (int i = inFrom; i < inTo; ++i) {
        if (!usable(i))
            continue;
        const double xi = x[size_t(i)];
        const double *b = bg.b.data() + (i + kMaxShift); // b[-t] is the background at i - s, s = t - kMaxShift
        for (int t = 0; t < kShifts; ++t) {
            xbs[t] += xi * b[-t];
            bbs[t] += b[-t] * b[-t];
        }
    }
    for (int i = inTo; i < reach; ++i)
        add(i);
    for (int s = -kMaxShift; s <= kMaxShift; ++s) {
        const double xb = xbs[s + kMaxShift], bb = bbs[s + kMaxShift];
        const double score = bb > 0.0 ? xb / std::sqrt(bb) : 0.0;
        if (score > best) {
            best = score;
            fit.shift = s;
        }
    }
    if (best <= 0.0)
        return fit;
    // The fraction: x ~ a g + c dg/dfraction around the present fraction.
    for (int iteration = 0; iteration < 3; ++iteration) {
        double gg = 0.0, gh = 0.0, hh = 0.0, xg = 0.0, xh = 0.0;
        for (int i = std::max(0, fit.shift); i < reach; ++i) {
            const int j = i - fit.shift;
            if (j >= bg.active || !usable(i))
                continue;
            const size_t u = size_t(j);
            const double g = bg.b[u] - fit.fraction * bg.d1[u] + 0.5 * fit.fraction * fit.fraction * bg.d2[u];
            const double h = -bg.d1[u] + fit.fraction * bg.d2[u];
            gg += g * g;
            gh += g * h;
            hh += h * h;
            xg += x[size_t(i)] * g;
            xh += x[size_t(i)] * h;
        }
        const double det = gg * hh - gh * gh;
        if (det <= 0.0 || gg <= 0.0)
            break;
        const double a = (xg * hh - xh * gh) / det, c = (gg * xh - gh * xg) / det;
        if (a <= 0.0)
            break;
        fit.fraction = std::clamp(fit.fraction + c / a, -1.0, 1.0);
    }
    // The scales of the pulse and of its ringing over the whole wave, then
    // that of the ringing in windows.
    fit.setPulse(std::max(0, pulseEnd), std::max(4, period));
    // The moved background and the pulse's share of every sample, worked
    // out once for all the sums below (tables reused by the calling thread).
    thread_local std::vector<double> movedAt, shares, trust;
    movedAt.resize(size_t(last));
    shares.resize(size_t(last));
    for (int i = 0; i < last; ++i) {
        movedAt[size_t(i)] = fit.moved(bg, i);
        shares[size_t(i)] = fit.pulseShare(i);
    }
    double pp = 0.0, pr = 0.0, rr = 0.0, xp = 0.0, xr = 0.0;
    for (int i = 0; i < last; ++i) {
        if (!usable(i))
            continue;
        const double g = movedAt[size_t(i)], w = shares[size_t(i)];
        const double gp = w * g, gr = (1.0 - w) * g;
        pp += gp * gp;
        pr += gp * gr;
        rr += gr * gr;
        xp += x[size_t(i)] * gp;
        xr += x[size_t(i)] * gr;
    }
    if (pp + rr <= 0.0)
        return fit;
    double ringing = 0.0;
    const double det = pp * rr - pr * pr;
    if (pp > 0.0 && rr > 0.0 && det > 1e-9 * pp * rr) {
        fit.pulseScale = std::clamp((xp * rr - xr * pr) / det, 0.0, 4.0);
        ringing = std::clamp((pp * xr - pr * xp) / det, 0.5 * fit.pulseScale, 2.0 * fit.pulseScale);
    } else {
        const double overall = std::clamp((xp + xr) / (pp + rr + 2.0 * pr), 0.0, 4.0);
        fit.pulseScale = ringing = overall;
    }
    const double noise = std::max(kMinNoise, noiseLevel(x, n / 2, n, 8));
    // An echo inside the ringing must not be taken for more ringing: the
    // samples that the fit leaves far off count less (weights that halve
    // with every doubling beyond twice the typical misfit), twice over.
    trust.assign(size_t(last), 1.0);
    for (int round = 0; round < 2; ++round) {
        thread_local std::vector<double> misfit; // every 4th sample says enough of it
        misfit.clear();
        for (int i = 0; i < last; i += 4) {
            const double g = movedAt[size_t(i)], share = shares[size_t(i)];
            if (usable(i) && share < 1.0 && std::abs(g) > noise)
                misfit.push_back(std::abs(x[size_t(i)] - (share * fit.pulseScale + (1.0 - share) * ringing) * g));
        }
        if (misfit.size() < 8)
            break;
        const double typical = std::max(noise, kGaussMad * median(misfit));
        double wxr = 0.0, wrr = 0.0;
        for (int i = 0; i < last; ++i) {
            const double g = movedAt[size_t(i)], share = shares[size_t(i)];
            const double e = std::abs(x[size_t(i)] - (share * fit.pulseScale + (1.0 - share) * ringing) * g);
            trust[size_t(i)] = e > 2.0 * typical ? 2.0 * typical / e : 1.0;
            if (!usable(i))
                continue;
            const double gr = (1.0 - share) * g;
            wxr += trust[size_t(i)] * (x[size_t(i)] - fit.pulseScale * share * g) * gr;
            wrr += trust[size_t(i)] * gr * gr;
        }
        if (wrr > 0.0)
            ringing = std::clamp(wxr / wrr, 0.5 * fit.pulseScale, 2.0 * fit.pulseScale);
    }
    fit.setStep(std::max(8, 2 * period));
    const int windows = last / fit.step + 2;
    fit.scale.assign(size_t(windows), ringing);
    const int half = 2 * fit.step;
    // What each window weighs: the ringing's part of the moved background and
    // what the pulse leaves of the sample, and the windows' triangle.
    thread_local std::vector<double> ringingPart, rests, triangle;
    ringingPart.resize(size_t(last));
    rests.resize(size_t(last));
    for (int i = 0; i < last; ++i) {
        const double g = movedAt[size_t(i)], share = shares[size_t(i)];
        ringingPart[size_t(i)] = (1.0 - share) * g;
        rests[size_t(i)] = x[size_t(i)] - fit.pulseScale * share * g;
    }
    thread_local int triangleHalf = 0; // the triangle kept is this wide
    if (half != triangleHalf) {
        triangle.resize(size_t(2 * half));
        for (int d = -half + 1; d < half; ++d)
            triangle[size_t(d + half)] = 1.0 - std::abs(d) / double(half);
        triangleHalf = half;
    }
    for (int k = 0; k < windows; ++k) {
        const int centre = k * fit.step;
        double wxg = 0.0, wgg = 0.0, weights = 0.0;
        for (int i = std::max(0, centre - half + 1); i < std::min(last, centre + half); ++i) {
            const double w = triangle[size_t(i - centre + half)] * trust[size_t(i)];
            weights += w;
            if (!usable(i))
                continue;
            const double gr = ringingPart[size_t(i)];
            wxg += w * rests[size_t(i)] * gr;
            wgg += w * gr * gr;
        }
        // Where the ringing is no stronger than twice the noise, its scale
        // over the whole wave counts as much as the window.
        const double pull = 4.0 * noise * noise * weights;
        if (wgg + pull > 0.0)
            fit.scale[size_t(k)] = std::clamp((wxg + pull * ringing) / (wgg + pull), 0.5 * ringing, 2.0 * ringing);
    }
    fit.used = true;
    return fit;
}

// A wave as the detector looks at it: the samples around their zero line,
// less the background trace as fitted to it, worked out where needed.
struct Trace {
    const qint32 *samples = nullptr;
    double zero = 0.0;
    const Background *background = nullptr;
    const BackgroundFit *fit = nullptr;

    // The samples from..to-1 into out[0..to-from).
    void values(int from, int to, double *out) const
    {
        const bool less = background && fit;
        if (less)
            fit->model(*background, from, to, out);
        for (int i = from; i < to; ++i) {
            const double v = double(std::clamp(int(samples[i]), 0, 65535) - kZeroLevel) - zero;
            out[i - from] = less ? v - out[i - from] : v;
        }
    }
    // All n samples into x.
    const std::vector<double> &all(int n, std::vector<double> &x) const
    {
        x.resize(size_t(std::max(0, n)));
        values(0, n, x.data());
        return x;
    }
};

// What is left of the pulse and its ringing after the background has been
// taken off. No wave carries its background exactly (its pulse moves by a
// fraction of a sample, its strength and its ringing differ a little): what
// is left follows the background's decay. Its share of the background's
// energy is the median, over the pulse itself (from..to, where no echo of a
// cave can be told from it anyway), of the energy left over the
// background's (the noise's taken off).
double residualShare(const std::vector<double> &prefix, const std::vector<double> &modelPrefix, int n, int from, int to,
                     int width, double noise)
{
    const double noisePower = 2.0 * noise * noise;
    std::vector<double> shares;
    const int stride = std::max(1, width / 8);
    for (int i = std::max(0, from); i <= std::min(n - 1, to); i += stride) {
        const double model = windowEnergy(modelPrefix, n, i, width);
        if (model >= 16.0 * noisePower)
            shares.push_back(std::max(0.0, windowEnergy(prefix, n, i, width) - noisePower) / model);
    }
    return shares.empty() ? 0.0 : median(shares);
}

// The direct pulse, its ringing and the noise. With a background trace (the
// direct pulse and ringing every wave of the channel carries, centred), that
// is taken off first: the search then starts where the pulse itself ends,
// not where its ringing has died away.
Shape measure(const qint32 *samples, int count, int edge, std::vector<double> *centredSamples,
              const Background *background = nullptr, BackgroundFit *fit = nullptr,
              const std::vector<unsigned char> &clipped = {})
{
    Shape r;
    int n = std::clamp(count, 0, kMaxSamples);
    if (!samples || n < kMinSamples)
        return r;

    // The zero line is the median (of every 16th sample: the pulse cannot
    // move it far).
    r.zero = zeroOf(samples, n);
    std::vector<double> &x = *centredSamples;
    centred(samples, n, r.zero, x);
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
    // Working arrays reused by the calling thread from wave to wave.
    thread_local std::vector<double> prefix, modelPrefix;
    SquareSums sums(prefix), modelSums(modelPrefix);
    sums.reset(x.data(), n);
    if (std::all_of(x.begin(), x.end(), [](double v) { return v == 0.0; }))
        return r; // flat
    // Squared envelope: twice the mean square over a window of w samples
    // centred on i (a sine of amplitude A gives A^2).
    auto energy = [&](int i, int w) {
        const int lo = std::max(0, std::min(i - w / 2, n - w)), hi = std::min(n, lo + w);
        sums.upTo(hi);
        return 2.0 * (prefix[size_t(hi)] - prefix[size_t(lo)]) / double(hi - lo);
    };

    // The direct pulse: the strongest part of the first third of the wave.
    // Its period and frequency from the half cycles around it reaching a
    // quarter of it; without a clear pulse from the zero crossings of the
    // whole wave.
    const int third = std::max(1, n / 3);
    int k0 = 0;
    for (int i = 1; i < third; ++i)
        if (std::abs(x[size_t(i)]) > std::abs(x[size_t(k0)]))
            k0 = i;
    {
        std::vector<double> halves =
            halfCycles(x, std::max(0, k0 - 512), std::min(n, k0 + 512), 0.25 * std::abs(x[size_t(k0)]));
        if (halves.size() >= 2) {
            const double mean = std::accumulate(halves.begin(), halves.end(), 0.0) / double(halves.size());
            r.frequency = kSampleRate / (2.0 * mean);
            r.period = std::clamp(int(std::lround(2.0 * median(halves))), 4, 256);
        } else {
            int crossings = 0;
            for (int i = 1; i < n; ++i)
                crossings += (x[size_t(i - 1)] < 0.0) != (x[size_t(i)] < 0.0);
            r.period = std::clamp(crossings > 0 ? int(std::lround(2.0 * n / crossings)) : 32, 4, 256);
            r.frequency = kSampleRate / r.period;
        }
    }
    const int period = r.period;
    int p0 = 0;
    double pulsePeak = 0.0;
    // The strongest energy over a period in the first third (the first
    // sample that has it). Where the window lies inside the wave every energy
    // is its sum over the same divisor, and dividing by it keeps the order:
    // the largest sum says how strong the peak is, and only sums that close
    // to it are divided to find the first sample that has it.
    {
        auto consider = [&](int i, double e) {
            if (e > pulsePeak) {
                pulsePeak = e;
                p0 = i;
            }
        };
        const int h = period / 2;
        const int inFrom = std::min(third, h), inTo = std::max(inFrom, std::min(third, n - period + h + 1));
        sums.upTo(std::min(n, third + period));
        const double *running = prefix.data();
        const double samples = double(period);
        for (int i = 0; i < inFrom; ++i)
            consider(i, energy(i, period));
        double most = -HUGE_VAL;
        for (int i = inFrom; i < inTo; ++i)
            most = std::max(most, 2.0 * (running[i - h + period] - running[i - h]));
        if (inFrom < inTo && most > 0.0 && most / samples > pulsePeak) {
            const double peak = most / samples, near = most * (1.0 - 1e-12);
            for (int i = inFrom; i < inTo; ++i) {
                const double sum = 2.0 * (running[i - h + period] - running[i - h]);
                if (sum >= near && sum / samples == peak) {
                    consider(i, peak);
                    break;
                }
            }
        }
        for (int i = inTo; i < third; ++i)
            consider(i, energy(i, period));
    }
    if (pulsePeak <= 0.0)
        return r;
    // Near the start of the wave the windows are cut off and several give
    // the same energy: the strongest sample says where the pulse is.
    if (energy(k0, period) >= 0.9 * pulsePeak)
        p0 = k0;
    int r1 = p0;
    while (r1 + 1 < n && energy(r1 + 1, period) >= 0.25 * pulsePeak)
        ++r1;
    // The pulse may start before the recording does: its width from the
    // falling half.
    int width = std::clamp(2 * (r1 - p0 + 1), period, std::max(period, std::min(8 * period, n / 8)));
    const double pulseEnergy = energy(p0, width);
    if (background && fit && background->active > 0) {
        *fit = fitBackground(x, *background, n, period, background->pulseEnd + period / 2, clipped);
        if (fit->used) {
            r.subtracted = true;
            // The pulse ends where the channel's pulse ends: an echo right
            // after it does not make it longer.
            r1 = std::clamp(background->pulseEnd + fit->shift, p0, r1);
            width = std::clamp(2 * (r1 - p0 + 1), period, std::max(period, std::min(8 * period, n / 8)));
            thread_local std::vector<double> model;
            model.resize(size_t(n));
            fit->model(*background, 0, n, model.data());
            for (int i = 0; i < n; ++i)
                x[size_t(i)] -= model[size_t(i)];
            sums.reset(x.data(), n);
            modelSums.reset(model.data(), n); // of the background taken off, squared
        }
    }

    const int noiseFrom = std::min(n, r1 + 2 * width);
    if (n - noiseFrom < kMinNoiseSamples)
        return r;
    const double noise0 = std::max(kMinNoise, noiseLevel(x, noiseFrom, n, 8)); // a first estimate

    // End of the pulse and its ringing: the envelope is down in the noise,
    // or it has a valley out of which another arrival clearly rises.
    const double endLevel = kEndLevel * kEndLevel * noise0 * noise0;
    const double valleyLevel = 0.04 * pulseEnergy;
    // With the background taken off, the ringing is gone: the search starts
    // where the pulse itself has fallen off.
    int end = r.subtracted ? r1 : -1;
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
    r.n = n;
    r.width = width;
    if (end < 0) { // the pulse or its ringing never decays: nothing is searched
        r.s0 = r.s1 = n;
        r.noise = noise0;
        return r;
    }
    const int quietFrom = std::min(n, end + width);
    r.noise = n - quietFrom >= kMinNoiseSamples ? std::max(kMinNoise, noiseLevel(x, quietFrom, n, 8)) : noise0;
    // With the background taken off the search starts where the pulse ends
    // (what is left of it there counts as noise, below); without, half a
    // pulse width after its ringing has decayed.
    r.s0 = std::min(n, end + (r.subtracted ? 0 : width / 2));
    // Neither the last half filter length (where the filter saw past the end
    // of the wave) is searched.
    r.s1 = std::max(r.s0, n - std::max(width / 2, std::clamp(edge, 0, n / 4)));
    // What is left of the background counts as noise where it is: every
    // kGrid-th sample from s0, its power (kResidualSafety times over) over
    // the noise's, as long as it matters. The pulse and its ringing overlap
    // and change their strengths apart: where they cancel, the background is
    // weak but what the fit leaves of them is not. So what is left follows
    // the background's strongest energy over the half pulse width before,
    // not its energy at the time.
    if (r.subtracted) {
        const int pulseTo = std::min(n, std::max(0, r1 + width / 2) + width); // the windows over the pulse end here
        sums.upTo(pulseTo);
        modelSums.upTo(pulseTo);
        const double share =
            kResidualSafety * residualShare(prefix, modelPrefix, n, p0 - width / 2, r1 + width / 2, width, noise0);
        const double noisePower = 2.0 * r.noise * r.noise;
        thread_local std::vector<float> left; // gathered here, then copied once
        left.clear();
        for (int i = r.s0; i < r.s1 && share > 0.0; i += kGrid) {
            modelSums.upTo(std::min(n, i + width));
            double model = 0.0;
            for (int j = std::max(0, i - width / 2); j <= i; j += kGrid)
                model = std::max(model, windowEnergy(modelPrefix, n, j, width));
            const double here = share * model / noisePower;
            if (here < 0.01 && i > r.s0 + width)
                break;
            left.push_back(float(here));
        }
        r.residual.assign(left.begin(), left.end());
    }
    return r;
}

// The power (squared envelope) of a wave after one band filter, every
// `step` samples around the searched part.
struct BandPower {
    double centre = 0.0; // Hz
    double sigma = 0.0;  // Hz
    int step = 1;
    int first = 0;      // sample of power[0]
    int start = 0;      // first sample searched in this band: the pulse and its ringing have decayed there
    double noise = 0.0; // mean power of the noise, this wave alone
    bool used = true;   // false: nothing to look at in this band (kept, so that bands line up across waves)
    std::vector<float> power;

    // Samples over which the band's response to a short arrival spreads.
    int duration() const { return int(std::lround(kSampleRate / (2.0 * kPi * sigma))); }
};

// Scratch buffer of the calling thread, one per use.
std::vector<double> &scratch(int which, size_t size)
{
    thread_local std::vector<double> buffers[3];
    std::vector<double> &b = buffers[which];
    if (b.size() < size)
        b.resize(size);
    return b;
}

// A band's Gaussian window over the bins of a transform of `size` points.
struct Window {
    double centre = 0.0, sigma = 0.0;
    int size = 0;
    std::vector<double> g;
    double gain = 0.0; // sum of the squared window
};

// The bands around the direct pulse's frequency, computed from one transform
// of the whole wave (padded with zeros, so that the pulse does not wrap
// around onto the end). Each band's complex output is taken only as often as
// its bandwidth needs.
std::vector<BandPower> bandPowers(const Trace &x, const Shape &s)
{
    std::vector<BandPower> bands;
    if (!s.analysed || s.s1 - s.s0 < kGrid * 4 || s.frequency <= 0.0)
        return bands;
    bands.reserve(std::size(kBandCentres) * std::size(kBandWidths));
    // Padded with zeros so that the pulse does not wrap round onto the end;
    // with the background taken off there is no pulse left to wrap.
    const int size = (s.subtracted ? 1 : 2) * int(nextPow2(unsigned(s.n)));
    const RealFft &plan = realFftPlan(size);
    std::vector<double> &spectrum = scratch(0, size_t(plan.bufferSize()));
    // What follows the searched part (where the filter saw past the end of
    // the wave) is left out, so that no band carries it back in.
    const int taper = std::max(1, s.period);
    const int cut = std::max(0, s.s1 - taper);
    x.values(0, s.s1, spectrum.data());
    const double *c = halfCosines(taper);
    for (int i = cut; i < s.s1; ++i)
        spectrum[size_t(i)] = spectrum[size_t(i)] * 0.5 * (1.0 + c[i - cut]);
    std::fill(spectrum.begin() + s.s1, spectrum.begin() + plan.bufferSize(), 0.0);
    plan.forward(spectrum.data());
    const double binHz = kSampleRate / size;
    const double scale = 1.0 / size;
    for (double ratio : kBandCentres) {
        for (double relative : kBandWidths) {
            BandPower b;
            b.centre = ratio * (s.bandFrequency > 0.0 ? s.bandFrequency : s.frequency);
            b.sigma = relative * b.centre;
            if (b.centre + b.sigma >= 0.5 * kSampleRate || b.sigma < 2.0 * binHz) {
                b.used = false;
                b.start = s.s1;
                b.noise = 1.0;
                b.power.assign(1, 0.0f);
                b.first = s.s0;
                bands.push_back(std::move(b));
                continue;
            }
            const int kc = int(std::lround(b.centre / binHz));
            const int reach = std::max(1, int(std::ceil(kBandReach * b.sigma / binHz)));
            const int m = std::min(size, std::max(16, int(nextPow2(unsigned(2 * (2 * reach + 1))))));
            std::vector<double> &y = scratch(1, size_t(2 * m));
            std::fill(y.begin(), y.begin() + 2 * m, 0.0);
            const int k0 = std::max(1, kc - reach), k1 = std::min(size / 2, kc + reach);
            // The Gaussian window over bins k0..k1, by recurrence: g(k+1) =
            // g(k) r(k), r(k+1) = r(k) q. The waves processed alike share
            // their bands: each thread keeps the windows it worked out last.
            thread_local Window windows[std::size(kBandCentres) * std::size(kBandWidths)];
            Window &window = windows[bands.size()];
            if (window.centre != b.centre || window.sigma != b.sigma || window.size != size) {
                window.centre = b.centre;
                window.sigma = b.sigma;
                window.size = size;
                window.g.resize(size_t(k1 - k0 + 1));
                const double step = binHz / b.sigma, d0 = (k0 * binHz - b.centre) / b.sigma;
                double g = scale * std::exp(-0.5 * d0 * d0);
                double r = std::exp(-d0 * step - 0.5 * step * step);
                const double q = std::exp(-step * step);
                window.gain = 0.0;
                for (int k = k0; k <= k1; ++k) {
                    window.g[size_t(k - k0)] = g;
                    window.gain += g * g;
                    g *= r;
                    r *= q;
                }
            }
            const double gain = window.gain; // sum of the squared window
            // Bin k goes to slot (k - kc) modulo m, counted along.
            for (int k = k0, slot = ((k0 - kc) % m + m) % m; k <= k1; ++k, slot = slot + 1 == m ? 0 : slot + 1) {
                const double g = window.g[size_t(k - k0)];
                y[size_t(2 * slot)] = spectrum[size_t(2 * k)] * g;
                y[size_t(2 * slot + 1)] = spectrum[size_t(2 * k + 1)] * g;
            }
            // The band's output into split real and imaginary parts, which
            // its power reads side by side.
            std::vector<double> &out = scratch(2, size_t(2 * m));
            const double *re = out.data(), *im = out.data() + m;
            complexPlan(m).transform(y.data(), out.data(), out.data() + m, true);
            b.step = size / m;
            const int m0 = s.s0 / b.step, m1 = std::min(m - 1, (s.s1 + b.step - 1) / b.step);
            b.first = m0 * b.step;
            b.power.resize(size_t(m1 - m0 + 1));
            float *power = b.power.data();
            for (int i = m0; i <= m1; ++i)
                power[i - m0] = float(re[i] * re[i] + im[i] * im[i]);
            // The noise power is exponentially distributed: its mean follows
            // from a low quantile, which echoes filling much of a short record
            // do not move. First over all the searched part, then over where
            // the band has settled.
            // Values closer than the band's duration say nearly the same:
            // one per duration is enough.
            const int every = std::max(1, b.duration() / b.step);
            auto noiseFrom = [&](int from) {
                thread_local std::vector<double> v;
                v.clear();
                for (int i = std::max(0, (from - b.first + b.step - 1) / b.step); b.first + i * b.step < s.s1;
                     i += every)
                    v.push_back(b.power[size_t(i)]);
                if (v.size() < 8)
                    return -1.0;
                const int at = int(kNoiseQuantile * double(v.size()));
                return nthSmallest(v.data(), int(v.size()), at) / -std::log(1.0 - kNoiseQuantile);
            };
            const double all = noiseFrom(s.s0);
            if (all <= 0.0) {
                b.used = false;
                b.start = s.s1;
                b.noise = 1.0;
                bands.push_back(std::move(b));
                continue;
            }
            // Without the background taken off, the band still rings with
            // the pulse after s0: it is searched from where that has settled.
            int settled = std::max(0, (s.s0 - b.first + b.step - 1) / b.step);
            while (!s.subtracted && b.first + settled * b.step < s.s1 && b.power[size_t(settled)] > kBandSettled * all)
                ++settled;
            b.start = std::max(s.s0, b.first + settled * b.step);
            // With the background taken off the band is searched from the
            // start: its noise is the one just measured.
            b.noise = s.subtracted ? all : noiseFrom(b.start);
            if (b.noise <= 0.0)
                b.noise = all;
            // The least noise there is: kMinNoise (standard deviation, white)
            // through this band, so that a silent stretch does not make a
            // one-count wiggle stand out.
            b.noise = std::max(b.noise, kMinNoise * kMinNoise * s.n * gain);
            bands.push_back(std::move(b));
        }
    }
    // A band where the processing filter let nothing through (its noise far
    // below the others') would make any broadband trace of the filter's own
    // stand out: leave it out.
    double loudest = 0.0;
    for (const BandPower &b : bands)
        if (b.used)
            loudest = std::max(loudest, b.noise);
    for (BandPower &b : bands) {
        if (b.noise < kStopband * loudest) {
            b.used = false;
            b.start = s.s1;
        }
    }
    return bands;
}

// Strength over the searched part of a wave: for every kGrid-th sample the
// best band's power over its noise power.
struct Strength {
    int first = 0;
    std::vector<float> value;
    std::vector<unsigned char> band; // which band gave it
};

KVR_CLONE_FOR_AVX2
Strength strengthOf(const Shape &s, const std::vector<BandPower> &bands, const std::vector<double> &noise)
{
    Strength z;
    z.first = s.s0;
    const int count = std::max(0, (s.s1 - s.s0 + kGrid - 1) / kGrid);
    z.value.assign(size_t(count), 0.0f);
    z.band.assign(size_t(count), 0);
    thread_local std::vector<float> v; // one band's strength, kept by the calling thread
    v.resize(size_t(count));
    for (size_t b = 0; b < bands.size(); ++b) {
        const BandPower &p = bands[b];
        if (!p.used)
            continue;
        const int last = int(p.power.size()) - 1;
        const float inverse = float(1.0 / noise[b]);
        // The step is a power of two (a transform length over another): a
        // shift divides by it and its reciprocal is exact.
        int shift = 0;
        while ((1 << shift) < p.step)
            ++shift;
        const float perStep = 1.0f / float(p.step);
        // The band's strength (in the powers' own precision), then the best
        // band kept: simple loops the compiler can vectorise.
        const int from = std::max(0, (p.start - s.s0 + kGrid - 1) / kGrid);
        // Linear between the band's own values (offset >= 0: the band starts
        // at or before s0).
        auto at = [&](int i) {
            const int offset = s.s0 + i * kGrid - p.first;
            const int j = std::min(offset >> shift, last), k = std::min(j + 1, last);
            const float f = float(offset - j * p.step) * perStep;
            v[size_t(i)] = ((1.0f - f) * p.power[size_t(j)] + f * p.power[size_t(k)]) * inverse;
        };
        int i = from;
        if (p.step % kGrid == 0) {
            // Every band value is followed by the same number of cells, at the
            // same fractions of a step: those go value by value.
            const int cells = p.step / kGrid;
            thread_local std::vector<float> fractions;
            fractions.resize(size_t(cells));
            const float *power = p.power.data();
            float *out = v.data();
            while (i < count && ((s.s0 + i * kGrid - p.first) & (p.step - 1)) >= kGrid)
                at(i++);
            // Here cell i lies on band value j or at most kGrid - 1 samples
            // after it.
            const int phase = (s.s0 + i * kGrid - p.first) & (p.step - 1);
            for (int c = 0; c < cells; ++c)
                fractions[size_t(c)] = float(phase + c * kGrid) * perStep;
            // Values j0..j0+groups-1 and each next one, cells from i on.
            const int j0 = (s.s0 + i * kGrid - p.first) >> shift;
            const int groups = std::max(0, std::min(last - j0, (count - i) / cells));
            for (int c = 0; c < cells; ++c) {
                const float f = fractions[size_t(c)], g = 1.0f - f;
                const float *a = power + j0;
                float *o = out + i + c;
                for (int t = 0; t < groups; ++t)
                    o[t * cells] = (g * a[t] + f * a[t + 1]) * inverse;
            }
            i += groups * cells;
        }
        for (; i < count; ++i)
            at(i);
        const unsigned char which = static_cast<unsigned char>(b);
        const float *own = v.data();
        float *best = z.value.data();
        unsigned char *band = z.band.data();
        for (int i = from; i < count; ++i) {
            // Without a branch: which band wins is as unpredictable as the
            // noise.
            const unsigned char better = static_cast<unsigned char>(-int(own[i] > best[i]));
            best[i] = std::max(best[i], own[i]);
            band[i] = static_cast<unsigned char>((which & better) | (band[i] & ~better));
        }
    }
    return z;
}

// The wide band's gain (below) times the inverse transform's scale, bin by
// bin of a transform of `size` points up to the first bin it lets nothing
// through. A channel's pulses give few frequencies: each thread keeps the
// gains of those it met last.
const std::vector<double> &wideGains(double frequency, int size)
{
    struct Kept {
        double frequency = 0.0;
        int size = 0;
        std::vector<double> gains;
    };
    constexpr int kKept = 8;
    thread_local Kept kept[kKept];
    thread_local int next = 0;
    for (const Kept &k : kept)
        if (k.size == size && k.frequency == frequency)
            return k.gains;
    Kept &out = kept[next];
    next = (next + 1) % kKept;
    out.frequency = frequency;
    out.size = size;
    out.gains.clear();
    const double lo0 = 0.12 * frequency, lo1 = 0.25 * frequency, hi1 = 2.5 * frequency, hi0 = 4.0 * frequency;
    // The size is a power of two: multiplying by its reciprocal is dividing.
    const double perSize = 1.0 / size;
    for (int k = 0; k <= size / 2; ++k) {
        const double f = k * kSampleRate * perSize;
        if (f >= hi0)
            break; // so are all the later bins
        double g = 1.0;
        if (f <= lo0)
            g = 0.0;
        else if (f < lo1)
            g = 0.5 - 0.5 * std::cos(kPi * (f - lo0) / (lo1 - lo0));
        else if (f > hi1)
            g = 0.5 + 0.5 * std::cos(kPi * (f - hi1) / (hi0 - hi1));
        out.gains.push_back(g * perSize);
    }
    return out.gains;
}

// The recording in a wide band around the pulse's frequency (a quarter of
// it to two and a half times it, with smooth edges): narrow enough to leave
// out what lies far from the echoes' frequencies, wide enough to keep their
// shape as recorded. A narrow processing filter makes every echo ring and
// start earlier than it was recorded; the arrival is read here instead.
// The n samples of `original` are read into buf, which receives the band;
// `spectrum` receives the band's half spectrum (for its envelope) up to the
// last bin the band lets through (all later bins are zero).
void wideBand(const Trace &original, int n, double frequency, std::vector<double> &buf, std::vector<double> &spectrum)
{
    const int size = int(nextPow2(unsigned(n)));
    const RealFft &plan = realFftPlan(size);
    buf.resize(size_t(plan.bufferSize()));
    original.values(0, n, buf.data());
    std::fill(buf.begin() + n, buf.end(), 0.0);
    plan.forward(buf.data());
    const std::vector<double> &gains = wideGains(frequency, size);
    const int k = int(gains.size());
    for (int i = 0; i < k; ++i) {
        buf[size_t(2 * i)] *= gains[size_t(i)];
        buf[size_t(2 * i + 1)] *= gains[size_t(i)];
    }
    // The size is a power of two: multiplying by its reciprocal is dividing.
    const double perSize = 1.0 / size;
    spectrum.assign(buf.begin(), buf.begin() + 2 * k);
    const double none = 0.0 * perSize; // as the band's gain there, times the scale
    for (int i = 2 * k; i < size + 2; ++i)
        buf[size_t(i)] *= none;
    plan.inverse(buf.data());
    buf.resize(size_t(n));
}

// A few samples carrying half or more of the energy of x[from..to) (taken
// around their mean): a spike, not an echo.
bool spikeIn(const Trace *x, int from, int to)
{
    if (!x || to - from < 4)
        return false;
    thread_local std::vector<double> v;
    v.resize(size_t(to - from));
    x->values(from, to, v.data());
    const double mean = std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
    for (double &e : v)
        e -= mean;
    return concentration(v.data(), 0, int(v.size())) >= 0.5;
}

// A candidate before its arrival is read.
struct Candidate {
    EchoCandidate echo;
    int reach = 0;          // samples around the peak that belong to it
    int from = 0;           // where it rises out of what came before
    bool floorOnly = false; // on the tail of a stronger echo: only a cave's floor
};

// Candidates: maxima of the strength above the floor that stand out. A spike
// in the processed samples or in the recording is marked as such.
std::vector<Candidate> candidatesOf(const Strength &z, const std::vector<int> &durations, const Shape &s,
                                    const Trace *samples, const Trace *original)
{
    std::vector<Candidate> out;
    const std::vector<float> &v = z.value;
    const int count = int(v.size());
    for (int i = 0; i < count; ++i) {
        const float top = v[size_t(i)];
        if (top < kCandidateFloor || (i > 0 && v[size_t(i - 1)] > top) || (i + 1 < count && v[size_t(i + 1)] >= top))
            continue;
        // Where the strength falls to `share` of the top going in direction
        // `dir`; -1 when it rises above the top first.
        auto fallsOff = [&](int dir, double share) {
            int j = i + dir;
            for (; j >= 0 && j < count; j += dir) {
                if (v[size_t(j)] > top)
                    return -1;
                if (v[size_t(j)] <= share * top)
                    return j;
            }
            return std::clamp(j, 0, count - 1);
        };
        int rise = fallsOff(-1, kRise);
        // A maximum that has not risen out of anything since the search
        // began is what is left of the pulse, not an echo.
        if (rise == 0 && v[0] > kRise * top)
            continue;
        bool floorOnly = false;
        if (rise < 0) {
            // On the tail of something stronger: a floor echo if the
            // strength clearly dips in between.
            int j = i - 1, low = i;
            for (; j >= 0 && v[size_t(j)] <= top; --j)
                if (v[size_t(j)] < v[size_t(low)])
                    low = j;
            if (j < 0 || v[size_t(low)] > kFloorRise * top)
                continue;
            rise = low;
            floorOnly = true;
        }
        if (fallsOff(1, kDip) < 0)
            continue;

        Candidate c;
        c.echo.peak = z.first + i * kGrid;
        c.echo.strength = top;
        c.floorOnly = floorOnly;
        c.reach = std::max(s.period, durations[z.band[size_t(i)]]);
        // A strong echo may rise out of another one without falling to half
        // of itself in between (two echoes close together): its rise goes
        // back as long as the strength keeps falling and stays above what
        // counts as an echo on its own, so that its arrival is read on the
        // earlier one.
        if (!floorOnly)
            while (rise > 0 && double(v[size_t(rise)]) > std::min(kRise * top, kThreshold)
                   && v[size_t(rise - 1)] <= v[size_t(rise)])
                --rise;
        c.from = std::min(c.echo.peak - c.reach, z.first + rise * kGrid);
        // Wide enough to hold all of an echo, wherever its peak lies.
        const int lo = std::max(0, c.echo.peak - 2 * c.reach), hi = std::min(s.s1, c.echo.peak + 2 * c.reach + 1);
        c.echo.spike = spikeIn(samples, lo, hi) || spikeIn(original, lo, hi);
        c.echo.evidence = (c.echo.strength - kThreshold) / kScale;
        if (c.echo.spike)
            c.echo.evidence = std::min(c.echo.evidence, kSpikeLogOdds);
        out.push_back(c);
    }
    return out;
}

// Reads arrivals on one wave: on the recording in a wide band when there is
// one, else on the processed samples (both with the background taken off).
class ArrivalReader
{
public:
    // One reader at a time on each thread: it works in the thread's buffers.
    ArrivalReader(const Shape &s, const Trace &samples, const Trace *original)
        : m_shape(s)
    {
        m_envelope.clear();
        m_spectrum.clear();
        if (original) {
            wideBand(*original, s.n, s.frequency, m_trace, m_spectrum);
            m_fromSpectrum = true;
            m_noise = std::max(kMinNoise, noiseLevel(m_trace, s.s0, s.s1, 8));
        } else {
            samples.all(s.n, m_trace);
            m_noise = s.noise;
        }
    }
    // From the strongest sample of the whole rise and peak (two echoes close
    // together make one hump, whose top may be the later one). Nothing
    // before `notBefore` belongs to it.
    int arrival(const Candidate &c, int notBefore = -1) const
    {
        const int lo = std::max({0, c.from, notBefore}), hi = std::min(m_shape.s1, c.echo.peak + c.reach + 1);
        const int cycle = localPeriod(m_trace, lo, hi, m_shape.period);
        const int leftLimit = std::max({0, m_shape.s0 - m_shape.width / 2, notBefore});
        return leadingHalfPeak(m_trace, (lo + hi) / 2, (hi - lo) / 2, leftLimit, m_shape.s1, cycle, m_noise);
    }

    // A second echo inside the top echo's hump in the bands (a cave's floor
    // less than about a pulse length under its top): the wide band resolves
    // it as a rise of the envelope out of a dip after the top's envelope
    // peak, at least `minGap` samples after that and before `limit`. Its
    // strength is the rise's power over the noise's (for noise alone about
    // exponential of mean 1). False when nothing rises.
    bool laterHump(const Candidate &top, int minGap, int limit, Candidate *hump, double *strength) const
    {
        const std::vector<double> &env = envelope();
        const int n = int(env.size());
        limit = std::min({limit, m_shape.s1, n - 1});
        int tp = std::max(0, top.from);
        for (int i = tp; i <= std::min(limit, top.echo.peak + top.reach); ++i)
            if (env[size_t(i)] > env[size_t(tp)])
                tp = i;
        int low = tp, best = -1, bestLow = -1;
        double bestRise = 0.0;
        for (int i = tp + 1; i < limit; ++i) {
            if (env[size_t(i)] < env[size_t(low)])
                low = i;
            if (i - tp < minGap || env[size_t(i)] < env[size_t(i - 1)] || env[size_t(i)] <= env[size_t(i + 1)])
                continue;
            const double rise = env[size_t(i)] - env[size_t(low)];
            if (rise > bestRise) {
                bestRise = rise;
                best = i;
                bestLow = low;
            }
        }
        if (best < 0)
            return false;
        *strength = bestRise * bestRise / (2.0 * m_noise * m_noise);
        hump->echo.peak = best;
        hump->from = bestLow;
        hump->reach = std::max(m_shape.period, best - bestLow);
        return true;
    }

private:
    // The envelope of the trace: the magnitude of its analytic signal, from
    // the wide band's half spectrum when the trace is the wide band.
    const std::vector<double> &envelope() const
    {
        if (!m_envelope.empty())
            return m_envelope;
        const int n = int(m_trace.size());
        thread_local std::vector<double> y;
        int size = 0;
        double scale = 1.0;
        if (m_fromSpectrum) {
            size = int(nextPow2(unsigned(n))); // as wideBand() transformed it
            y.assign(size_t(2 * size), 0.0);
            std::copy(m_spectrum.begin(), m_spectrum.end(), y.begin());
        } else {
            size = int(nextPow2(unsigned(std::max(2, n))));
            y.assign(size_t(2 * size), 0.0);
            for (int i = 0; i < n; ++i)
                y[size_t(2 * i)] = m_trace[size_t(i)];
            complexPlan(size).forward(y.data());
            scale = 1.0 / size; // a power of two: multiplying by it is dividing
            for (int k = size / 2 + 1; k < size; ++k)
                y[size_t(2 * k)] = y[size_t(2 * k + 1)] = 0.0;
        }
        // Positive frequencies doubled, negative ones (already zero) left out.
        for (int k = 1; k < size / 2; ++k) {
            y[size_t(2 * k)] *= 2.0;
            y[size_t(2 * k + 1)] *= 2.0;
        }
        // Into split real and imaginary parts, which the magnitude reads side
        // by side.
        thread_local std::vector<double> out;
        out.resize(size_t(2 * size));
        const double *re = out.data(), *im = out.data() + size;
        complexPlan(size).transform(y.data(), out.data(), out.data() + size, true);
        m_envelope.resize(size_t(n));
        for (int i = 0; i < n; ++i)
            m_envelope[size_t(i)] = std::hypot(re[i], im[i]) * scale;
        return m_envelope;
    }

    const Shape &m_shape;
    static thread_local std::vector<double> m_trace;
    static thread_local std::vector<double> m_envelope;
    // The wide band's half spectrum up to its last bin that is not zero.
    static thread_local std::vector<double> m_spectrum;
    bool m_fromSpectrum = false; // the trace is the wide band, m_spectrum its spectrum
    double m_noise = 0.0;
};
thread_local std::vector<double> ArrivalReader::m_trace;
thread_local std::vector<double> ArrivalReader::m_envelope;
thread_local std::vector<double> ArrivalReader::m_spectrum;

std::vector<double> ownNoise(const std::vector<BandPower> &bands)
{
    std::vector<double> noise;
    for (const BandPower &b : bands)
        noise.push_back(b.used ? b.noise : -1.0); // -1: not to be pooled
    return noise;
}

std::vector<int> durationsOf(const std::vector<BandPower> &bands)
{
    std::vector<int> d;
    d.reserve(bands.size());
    for (const BandPower &b : bands)
        d.push_back(b.duration());
    return d;
}

// Samples around the zero line as measure() takes them: the median of
// every 16th sample is the zero.
void centredAtZero(const qint32 *samples, int n, std::vector<double> &x) { centred(samples, n, zeroOf(samples, n), x); }

// Background traces need this many waves of a channel processed alike; of
// more, this many spread over the survey are enough for a steady median.
constexpr int kMinBackgroundWaves = 5;
constexpr int kMaxBackgroundWaves = 31;
constexpr int kBackgroundFade = 64;  // samples over which the background is faded out
constexpr int kMinCommonValues = 64; // strengths what every wave of a channel shows at a time is read from
constexpr double kCommonSlack = 1.2; // a median strength up to this much above noise alone's is left alone

// The comparisons of a sorting network for `size` values (a power of two:
// Batcher's odd-even merge sort) that the value at `wanted` depends on, in
// order: after them, v[wanted] is the wanted-th smallest of v[0..size).
std::vector<std::pair<int, int>> selectionNetwork(int size, int wanted)
{
    std::vector<std::pair<int, int>> all;
    for (int p = 1; p < size; p *= 2)
        for (int k = p; k >= 1; k /= 2)
            for (int j = k % p; j + k < size; j += 2 * k)
                for (int i = 0; i < std::min(k, size - j - k); ++i)
                    if ((i + j) / (2 * p) == (i + j + k) / (2 * p))
                        all.push_back({i + j, i + j + k});
    std::vector<bool> needed(size_t(size), false);
    needed[size_t(wanted)] = true;
    std::vector<std::pair<int, int>> kept;
    for (auto c = all.rbegin(); c != all.rend(); ++c) {
        if (needed[size_t(c->first)] || needed[size_t(c->second)]) {
            kept.push_back(*c);
            needed[size_t(c->first)] = needed[size_t(c->second)] = true;
        }
    }
    std::reverse(kept.begin(), kept.end());
    return kept;
}

// The median of some waves, sample by sample. Up to 32 waves go through a
// selection network, several samples side by side (the same value as
// median(): the one of that rank).
KVR_CLONE_FOR_AVX2
std::vector<double> medianOf(const std::vector<std::vector<double>> &waves, int n)
{
    std::vector<double> b(size_t(n), 0.0);
    const int m = int(waves.size());
    constexpr int kMaxNetwork = 32, kLanes = 8;
    if (m == 0 || m > kMaxNetwork) {
        std::vector<double> column(waves.size());
        for (int i = 0; i < n; ++i) {
            for (size_t w = 0; w < waves.size(); ++w)
                column[w] = waves[w][size_t(i)];
            b[size_t(i)] = median(column);
        }
        return b;
    }
    const int size = int(nextPow2(unsigned(m)));
    const std::vector<std::pair<int, int>> network = selectionNetwork(size, m / 2);
    double lanes[kMaxNetwork][kLanes];
    for (int i0 = 0; i0 < n; i0 += kLanes) {
        const int count = std::min(kLanes, n - i0);
        // Missing values are larger than any: they sort behind the waves'.
        for (int w = 0; w < size; ++w)
            for (int l = 0; l < kLanes; ++l)
                lanes[w][l] = w < m && l < count ? waves[size_t(w)][size_t(i0 + l)] : HUGE_VAL;
        for (const std::pair<int, int> &c : network) {
            double *lo = lanes[c.first], *hi = lanes[c.second];
            for (int l = 0; l < kLanes; ++l) {
                const double x = lo[l], y = hi[l];
                lo[l] = std::min(x, y);
                hi[l] = std::max(x, y);
            }
        }
        for (int l = 0; l < count; ++l)
            b[size_t(i0 + l)] = lanes[m / 2][l];
    }
    return b;
}

// Only the direct pulse and its ringing are kept of a background: from
// where it has stayed within four times its own noise for kBackgroundFade
// samples, it fades out to zero, so that a cave under more than half of the
// points is not taken for background further down.
void fadeOut(std::vector<double> &b)
{
    const int n = int(b.size());
    std::vector<double> magnitude;
    for (int i = n / 2; i < n; i += 2)
        magnitude.push_back(std::abs(b[size_t(i)]));
    const double level = 4.0 * std::max(kMinNoise, kGaussMad * median(magnitude));
    int peak = 0;
    for (int i = 1; i < n / 3; ++i)
        if (std::abs(b[size_t(i)]) > std::abs(b[size_t(peak)]))
            peak = i;
    int end = n, quiet = 0;
    for (int i = peak; i < n; ++i) {
        quiet = std::abs(b[size_t(i)]) < level ? quiet + 1 : 0;
        if (quiet >= kBackgroundFade) {
            end = i - kBackgroundFade + 1;
            break;
        }
    }
    for (int i = end; i < n; ++i) {
        const int into = i - end;
        b[size_t(i)] *= into < kBackgroundFade ? 0.5 + 0.5 * std::cos(kPi * (into + 0.5) / kBackgroundFade) : 0.0;
    }
}

// Wave x brought onto a reference it was fitted to: moved back by the
// fit's shift and fraction and divided by its scales, into y.
void alignedTo(const std::vector<double> &x, const BackgroundFit &fit, int n, std::vector<double> &y)
{
    y.assign(size_t(n), 0.0);
    const int last = int(fit.scale.size()) - 1;
    // Sample i lies `rest` samples into window `window` of the ringing's
    // scale (i / step and i % step), counted along as i grows.
    int at = std::clamp(fit.shift, 1, n - 2), window = at / fit.step, rest = at % fit.step;
    for (int j = 0; j < n; ++j) {
        const int i = std::clamp(j + fit.shift, 1, n - 2);
        for (; at < i; ++at)
            if (++rest == fit.step) {
                rest = 0;
                ++window;
            }
        const double d1 = 0.5 * (x[size_t(i + 1)] - x[size_t(i - 1)]);
        const double d2 = x[size_t(i + 1)] - 2.0 * x[size_t(i)] + x[size_t(i - 1)];
        const double v = x[size_t(i)] + fit.fraction * d1 + 0.5 * fit.fraction * fit.fraction * d2;
        const double w = fit.pulseShare(i);
        const int k = std::min(window, last);
        const double a = w * fit.pulseScale + (1.0 - w) * fit.ringingScale(k, i - k * fit.step);
        y[size_t(j)] = a > 0.05 ? v / a : v;
    }
}

// The median, sample by sample, of waves each brought onto a first median
// of them: moved by the whole samples and the fraction its pulse lies off
// (the instrument's trigger is not exact to a sample) and divided by the
// strength of its pulse and of its ringing.
std::vector<double> alignedMedian(const std::vector<std::vector<double>> &waves, int n)
{
    std::vector<double> first = medianOf(waves, n);
    fadeOut(first);
    const Background reference = makeBackground(std::move(first));
    // Kept by the calling thread from channel to channel.
    thread_local std::vector<std::vector<double>> aligned;
    aligned.resize(waves.size());
    for (size_t u = 0; u < waves.size(); ++u) {
        const std::vector<double> &x = waves[u];
        const BackgroundFit fit =
            fitBackground(x, reference, n, reference.period, reference.pulseEnd + reference.period / 2, {});
        if (fit.used)
            alignedTo(x, fit, n, aligned[u]);
        else
            aligned[u] = x;
    }
    return medianOf(aligned, n);
}

// The background trace of some waves of one channel (processed or
// recorded, n samples each): the median of each sample over them, each
// brought onto the others first.
Background backgroundOf(const std::vector<const qint32 *> &members, int n)
{
    // Kept by the calling thread from channel to channel.
    thread_local std::vector<std::vector<double>> traces;
    traces.resize(members.size());
    for (size_t u = 0; u < members.size(); ++u)
        centredAtZero(members[u], n, traces[u]);
    std::vector<double> b = alignedMedian(traces, n);
    fadeOut(b);
    return makeBackground(std::move(b));
}

// The sample of wave `to` at the depth of sample i of wave `from`: their
// times scale with the wave speeds recorded for their measure points.
int sameDepth(int i, const FlawWave &from, const FlawWave &to)
{
    if (from.waveSpeed <= 0.0 || to.waveSpeed <= 0.0)
        return i;
    const double ratio = from.waveSpeed / to.waveSpeed;
    return ratio > 0.8 && ratio < 1.25 ? int(std::lround(i * ratio)) : i;
}

} // namespace

double sampleDepthMetres(int sample, double waveSpeed) { return sample * 0.002 * waveSpeed / 2000.0; }

TraceAnalysis analyseTrace(const qint32 *samples, int count, const qint32 *original, int edge)
{
    TraceAnalysis r;
    std::vector<double> x;
    const Shape s = measure(samples, count, edge, &x);
    if (!s.analysed || constant(original, s.n))
        return r;
    r.analysed = true;
    r.period = s.period;
    r.frequency = s.frequency;
    r.pulseWidth = s.width;
    r.searchStart = s.s0;
    r.searchEnd = s.s1;
    r.noise = s.noise;
    const std::vector<BandPower> bands = bandPowers(Trace {samples, s.zero}, s);
    if (bands.empty())
        return r;
    const Strength z = strengthOf(s, bands, ownNoise(bands));
    const Trace processed {samples, s.zero};
    const Trace recorded {original, original ? zeroOf(original, s.n) : 0.0};
    const Trace *rec = original ? &recorded : nullptr;
    const std::vector<Candidate> found = candidatesOf(z, durationsOf(bands), s, &processed, rec);
    if (found.empty())
        return r;
    const ArrivalReader reader(s, processed, rec);
    for (const Candidate &c : found) {
        EchoCandidate e = c.echo;
        e.onset = reader.arrival(c);
        r.candidates.push_back(e);
    }
    return r;
}

QVector<FlawSuggestion> suggestFlaws(const std::vector<FlawWave> &input, const SuggestOptions &options)
{
    const int count = int(input.size());
    QVector<FlawSuggestion> result(count);

    struct Wave {
        const qint32 *samples = nullptr;
        const qint32 *original = nullptr;
        int n = 0;
        int background = -1; // index into `backgrounds`, -1: none
        Shape shape;
        double originalZero = 0.0;
        BackgroundFit processedFit, originalFit;
        std::vector<BandPower> bands;
        std::vector<double> noise;  // per band, this wave alone
        std::vector<int> durations; // per band, samples
        Strength strength;
        std::vector<Candidate> candidates;
    };
    std::vector<Wave> waves(static_cast<size_t>(count));

    // Waves by position, for the neighbours and the background traces.
    QHash<qint64, int> byPosition;
    auto keyOf = [](int point, int channel) { return qint64(point) * kBlocksPerGroup + channel; };
    for (int k = 0; k < count; ++k) {
        const FlawWave &in = input[size_t(k)];
        if (!in.samples || in.channel < 0 || in.channel >= kBlocksPerGroup)
            continue;
        Wave &w = waves[size_t(k)];
        w.samples = in.samples;
        w.n = std::clamp(in.count, 0, kMaxSamples);
        if (in.original && in.originalCount >= in.count)
            w.original = in.original;
        const qint64 key = keyOf(in.measurePoint, in.channel);
        const auto it = byPosition.constFind(key);
        if (it == byPosition.constEnd() || in.samples < input[size_t(it.value())].samples)
            byPosition.insert(key, k); // the same wave whatever the order of the list
    }

    // The background traces: one per channel, processing and length, from
    // up to kMaxBackgroundWaves of its waves spread over the measure points.
    struct ChannelBackground {
        // The recording's background is inactive when not every wave has one.
        Background processed, original;
        std::vector<int> members; // the waves it was made from
        // What every wave of the channel shows right after the pulse over
        // noise alone, every kGrid-th sample from 0 (see below).
        std::vector<float> common;
    };
    std::vector<ChannelBackground> backgrounds;
    if (options.useBackground) {
        std::map<std::tuple<int, qint64, int>, std::vector<std::pair<int, int>>> groups; // -> (point, wave)
        for (auto it = byPosition.constBegin(); it != byPosition.constEnd(); ++it) {
            const FlawWave &in = input[size_t(it.value())];
            const Wave &w = waves[size_t(it.value())];
            if (w.n >= kMinSamples)
                groups[std::make_tuple(in.channel, in.processing, w.n)].push_back({in.measurePoint, it.value()});
        }
        // Each trace is worked out on its own: they are spread over the
        // thread pool.
        struct Job {
            std::vector<const qint32 *> members;
            int n = 0;
            int background = 0;
            bool original = false;
        };
        std::vector<Job> jobs;
        for (auto &g : groups) {
            std::vector<std::pair<int, int>> &members = g.second;
            if (int(members.size()) < kMinBackgroundWaves)
                continue;
            std::sort(members.begin(), members.end());
            const int n = std::get<2>(g.first), m = int(members.size());
            const int used = std::min(m, kMaxBackgroundWaves);
            Job processed, original;
            processed.n = original.n = n;
            processed.background = original.background = int(backgrounds.size());
            original.original = true;
            bool recorded = true;
            for (int u = 0; u < used; ++u) {
                const Wave &w = waves[size_t(members[size_t(u * m / used)].second)];
                processed.members.push_back(w.samples);
                recorded = recorded && w.original;
                if (recorded)
                    original.members.push_back(w.original);
            }
            jobs.push_back(std::move(processed));
            if (recorded)
                jobs.push_back(std::move(original));
            for (const std::pair<int, int> &member : members)
                waves[size_t(member.second)].background = int(backgrounds.size());
            backgrounds.emplace_back();
            for (int u = 0; u < used; ++u)
                backgrounds.back().members.push_back(members[size_t(u * m / used)].second);
        }
        QtConcurrent::blockingMap(jobs, [&](const Job &job) {
            ChannelBackground &b = backgrounds[size_t(job.background)];
            (job.original ? b.original : b.processed) = backgroundOf(job.members, job.n);
        });
        // Records that point to the same wave share its background.
        for (int k = 0; k < count; ++k) {
            const FlawWave &in = input[size_t(k)];
            if (waves[size_t(k)].samples)
                waves[size_t(k)].background =
                    waves[size_t(byPosition.value(keyOf(in.measurePoint, in.channel)))].background;
        }
    }
    auto processedBackground = [&](const Wave &w) -> const Background * {
        return w.background >= 0 ? &backgrounds[size_t(w.background)].processed : nullptr;
    };
    auto originalBackground = [&](const Wave &w) -> const Background * {
        return w.background >= 0 && backgrounds[size_t(w.background)].original.active > 0
            ? &backgrounds[size_t(w.background)].original
            : nullptr;
    };
    // What the detector looks at on a wave: the samples with the background
    // taken off, processed and recorded.
    auto processedOf = [&](const Wave &w) {
        return Trace {w.samples, w.shape.zero, processedBackground(w), &w.processedFit};
    };
    auto recordedOf = [&](const Wave &w) {
        return Trace {w.original, w.originalZero, originalBackground(w), &w.originalFit};
    };

    // The analysed waves around wave k: the other channels of its measure
    // point and those of the points up to `points` away (never the wave
    // itself, even when two records point to it).
    auto around = [&](int k, int points, auto &&visit) {
        const FlawWave &in = input[size_t(k)];
        for (int dp = -points; dp <= points; ++dp) {
            for (int ch = 0; ch < kChannelsPerGroup; ++ch) {
                if (dp == 0 && ch == in.channel)
                    continue;
                const auto it = byPosition.constFind(keyOf(in.measurePoint + dp, ch));
                if (it != byPosition.constEnd() && waves[size_t(it.value())].shape.analysed)
                    visit(it.value(), dp);
            }
        }
    };
    auto sameFilter = [&](int a, int b) { return input[size_t(a)].processing == input[size_t(b)].processing; };

    // Each step writes only the slot of its own wave and reads the others
    // only after the step before has finished: the result is the same for any
    // number of threads and any order of the list.
    std::vector<int> index(static_cast<size_t>(count));
    std::iota(index.begin(), index.end(), 0);
    auto forAll = [&](const std::function<void(int)> &step) {
        if (count < 8) {
            for (int k : index)
                step(k);
        } else {
            QtConcurrent::blockingMap(index, step);
        }
    };

    // Each wave's pulse, its background and its noise.
    forAll([&](int k) {
        Wave &w = waves[size_t(k)];
        if (!w.samples)
            return;
        thread_local std::vector<double> x;
        thread_local std::vector<unsigned char> clipped;
        clippedNear(w.original ? w.original : w.samples, w.n, clipped);
        w.shape = measure(w.samples, w.n, input[size_t(k)].edge, &x, processedBackground(w), &w.processedFit, clipped);
        if (!w.shape.analysed || constant(w.original, w.shape.n)) {
            w.shape.analysed = false;
            return;
        }
        if (w.original) {
            w.originalZero = zeroOf(w.original, w.shape.n);
            if (const Background *b = originalBackground(w))
                w.originalFit = fitBackground(Trace {w.original, w.originalZero}.all(w.shape.n, x), *b, w.shape.n,
                                              w.shape.period, w.processedFit.split, clipped);
        }
    });

    // The bands lie around the pulse's frequency as the waves processed
    // alike show it (their median): the same for all of them, so that their
    // noise levels can be pooled band by band, and steady where the pulse
    // or the ringing of one wave or channel looks a little different.
    {
        std::map<qint64, std::vector<double>> frequencies;
        for (int k = 0; k < count; ++k)
            if (waves[size_t(k)].shape.analysed)
                frequencies[input[size_t(k)].processing].push_back(waves[size_t(k)].shape.frequency);
        std::map<qint64, double> common;
        for (auto &f : frequencies)
            common[f.first] = median(f.second);
        for (int k = 0; k < count; ++k)
            if (waves[size_t(k)].shape.analysed)
                waves[size_t(k)].shape.bandFrequency = common[input[size_t(k)].processing];
    }

    // The bands of every wave with the noise of each on that wave alone, then
    // its strength against the noise of the neighbourhood (waves filtered
    // alike; never below a share of the wave's own). A wave's band powers are
    // needed only until its strength is known, and that needs only the noise
    // of the points up to kPoolPoints away: the measure points go in order,
    // run by run, each run working out the noise of the points beyond its
    // ends as well, so that only a few points' powers are held at a time
    // (instead of those of the whole survey, which took more time to allocate
    // than to work out).
    std::vector<std::pair<int, std::vector<int>>> points; // measure point, its waves; in order
    {
        std::map<int, std::vector<int>> atPoint;
        for (int k = 0; k < count; ++k)
            if (waves[size_t(k)].shape.analysed)
                atPoint[input[size_t(k)].measurePoint].push_back(k);
        points.assign(atPoint.begin(), atPoint.end());
    }
    struct Run {
        int first = 0, last = 0; // points[first..last)
    };
    std::vector<Run> runs;
    {
        constexpr int kMinRunPoints = 16;
        const int all = int(points.size());
        const int wanted =
            std::clamp(all / kMinRunPoints, 1, 4 * std::max(1, QThreadPool::globalInstance()->maxThreadCount()));
        for (int r = 0; r < wanted; ++r)
            runs.push_back(Run {r * all / wanted, (r + 1) * all / wanted});
    }
    auto runBands = [&](const Run &run) {
        if (run.first >= run.last)
            return;
        const int firstPoint = points[size_t(run.first)].first, lastPoint = points[size_t(run.last - 1)].first;
        std::map<int, std::vector<double>> noiseOf; // of every wave whose bands this run worked out
        auto bandsAt = [&](int p) {
            const bool own = p >= run.first && p < run.last;
            for (int k : points[size_t(p)].second) {
                Wave &w = waves[size_t(k)];
                std::vector<BandPower> bands = bandPowers(processedOf(w), w.shape);
                std::vector<double> &noise = noiseOf[k];
                noise = ownNoise(bands);
                if (own) {
                    w.noise = noise;
                    w.durations = durationsOf(bands);
                    w.bands = std::move(bands);
                }
            }
        };
        auto strengthAt = [&](int p) {
            for (int k : points[size_t(p)].second) {
                Wave &w = waves[size_t(k)];
                if (w.bands.empty())
                    continue;
                thread_local std::vector<double> noise; // kept by the calling thread
                noise = w.noise;
                // The neighbours' noise, looked up once for all bands.
                thread_local std::vector<const std::vector<double> *> pool;
                pool.clear();
                around(k, kPoolPoints, [&](int j, int) {
                    const std::vector<double> &other = noiseOf.at(j);
                    if (sameFilter(k, j) && other.size() == noise.size())
                        pool.push_back(&other);
                });
                for (size_t b = 0; b < noise.size(); ++b) {
                    if (w.noise[b] <= 0.0)
                        continue;
                    thread_local std::vector<double> level;
                    level.assign(1, w.noise[b]);
                    for (const std::vector<double> *other : pool)
                        if ((*other)[b] > 0.0)
                            level.push_back((*other)[b]);
                    noise[b] = std::max(median(level), kOwnNoiseShare * w.noise[b]);
                }
                w.strength = strengthOf(w.shape, w.bands, noise);
                // The strength is all the next steps need (let go here, on
                // the thread pool, rather than all at the end).
                w.bands = {};
                w.noise = {};
            }
        };
        int p = run.first;
        while (p > 0 && points[size_t(p - 1)].first >= firstPoint - kPoolPoints)
            --p;
        int due = run.first; // the next point whose strength is to be worked out
        for (; p < int(points.size()) && points[size_t(p)].first <= lastPoint + kPoolPoints; ++p) {
            // Every point up to kPoolPoints after `due` has its noise.
            while (due < run.last && points[size_t(due)].first + kPoolPoints < points[size_t(p)].first)
                strengthAt(due++);
            bandsAt(p);
        }
        while (due < run.last)
            strengthAt(due++);
    };
    if (runs.size() == 1)
        runBands(runs.front());
    else
        QtConcurrent::blockingMap(runs, runBands);

    // What is left of the pulse where the fit of the background misses the
    // same way on every wave of a channel (a channel's ringing that is not
    // quite proportional to it) shows as strength at the same time on most
    // of the channel's waves, where an echo of a cave shows on the few
    // points above it. Over the pulse's ringing (where the background is
    // active), the median strength of the waves the background was made
    // from, over a pulse width around each time, says how much more than
    // noise alone every wave shows there.
    QtConcurrent::blockingMap(backgrounds, [&](ChannelBackground &g) {
        const int cells = (g.processed.active + kGrid - 1) / kGrid;
        std::vector<const Wave *> used;
        for (int k : g.members)
            if (!waves[size_t(k)].strength.value.empty())
                used.push_back(&waves[size_t(k)]);
        if (int(used.size()) < kMinBackgroundWaves || cells <= 0)
            return;
        // A cave lies under fewer than half of the points: the median of
        // what the waves show is not moved by its echoes.
        std::vector<double> values;
        for (const Wave *w : used)
            values.push_back(w->shape.width);
        const int reach = std::max(1, int(median(values)) / (2 * kGrid));
        // Noise alone: the median strength of the same waves after the
        // ringing (the best of several bands, so more than ln 2).
        values.clear();
        for (const Wave *w : used) {
            const std::vector<float> &v = w->strength.value;
            for (int j = std::max(0, (cells * kGrid - w->strength.first) / kGrid); j < int(v.size()); j += 4)
                values.push_back(v[size_t(j)]);
        }
        if (int(values.size()) < kMinCommonValues)
            return;
        const double alone = median(values);
        if (alone <= 0.0)
            return;
        g.common.assign(size_t(cells), 1.0f);
        for (int c = 0; c < cells; ++c) {
            values.clear();
            for (const Wave *w : used) {
                const std::vector<float> &v = w->strength.value;
                for (int d = c - reach; d <= c + reach; ++d) {
                    const int j = (d * kGrid - w->strength.first) / kGrid;
                    if (d * kGrid >= w->strength.first && j < int(v.size()))
                        values.push_back(v[size_t(j)]);
                }
            }
            if (int(values.size()) < kMinCommonValues)
                continue;
            g.common[size_t(c)] = float(std::max(1.0, median(values) / (kCommonSlack * alone)));
        }
    });

    forAll([&](int k) {
        Wave &w = waves[size_t(k)];
        if (w.strength.value.empty())
            return;
        // What is left of the pulse counts as noise: as much as this wave
        // shows of its own or as every wave of the channel shows there,
        // whichever is more. The wave's own share is a cautious guess
        // (kResidualSafety times what the fit seems to leave); where the
        // channel's waves show how much is really left, it is taken as at
        // most kOverCommon times that: otherwise a strong echo in the ringing
        // of a pulse that differs from wave to wave is divided away.
        const std::vector<float> &residual = w.shape.residual;
        const std::vector<float> *common = w.background >= 0 ? &backgrounds[size_t(w.background)].common : nullptr;
        if (common && common->empty())
            common = nullptr;
        for (size_t i = 0; i < w.strength.value.size(); ++i) {
            float floor = i < residual.size() ? 1.0f + residual[i] : 1.0f;
            if (common) {
                const size_t cell = size_t((w.strength.first + int(i) * kGrid) / kGrid);
                const float shown = cell < common->size() ? (*common)[cell] : 1.0f;
                floor = std::max(shown, std::min(floor, kOverCommon * shown));
            }
            w.strength.value[i] /= floor;
        }
        const Trace processed = processedOf(w), recorded = recordedOf(w);
        w.candidates = candidatesOf(w.strength, w.durations, w.shape, &processed, w.original ? &recorded : nullptr);
    });

    // Support from the neighbours, the choice, its arrival and the cave's
    // floor.
    // What wave j shows of an echo within kSupportTolerance of sample
    // kGrid * cell: its strongest strength there (nothing around a spike),
    // -1 where the wave has no strength there. Read only where a neighbour
    // asks, instead of worked out for every sample of every wave.
    auto shows = [&](int j, int cell) {
        const Wave &o = waves[size_t(j)];
        const int cells = (o.shape.n + kGrid - 1) / kGrid;
        if (o.strength.value.empty() || cell < 0 || cell >= cells)
            return -1.0f;
        // Strength i lies in cell base + i.
        const int base = o.strength.first / kGrid, count = int(o.strength.value.size());
        const int reach = kSupportTolerance / kGrid;
        float best = 0.0f;
        for (int d = std::max(0, cell - reach); d <= std::min(cells - 1, cell + reach); ++d) {
            const int i = d - base;
            if (i < 0 || i >= count)
                continue;
            bool spike = false;
            for (const Candidate &c : o.candidates)
                spike = spike
                    || (c.echo.spike && d >= std::max(0, (c.echo.peak - 2 * c.reach) / kGrid)
                        && d <= (c.echo.peak + 2 * c.reach) / kGrid);
            if (!spike)
                best = std::max(best, o.strength.value[size_t(i)]);
        }
        return best;
    };

    forAll([&](int k) {
        Wave &own = waves[size_t(k)];
        // No wave reads these any more: let go here, on the thread pool,
        // rather than all at the end.
        own.durations = {};
        own.shape.residual = {};
        const Wave &w = own;
        if (w.candidates.empty())
            return;
        std::vector<double> confidence(w.candidates.size());
        // The neighbours that may support it (the same channel of the points
        // beside it, the other channels of its own point), looked up once.
        thread_local std::vector<std::pair<int, bool>> supporters; // wave, same channel
        supporters.clear();
        around(k, 1, [&](int j, int dp) {
            const bool sameChannel = input[size_t(j)].channel == input[size_t(k)].channel;
            if (dp == 0 || sameChannel)
                supporters.push_back({j, sameChannel});
        });
        for (size_t c = 0; c < w.candidates.size(); ++c) {
            const Candidate &cand = w.candidates[c];
            if (cand.echo.spike || !options.useNeighbours) {
                confidence[c] = logistic(cand.echo.evidence);
                continue;
            }
            double support = 0.0;
            for (const auto &[j, sameChannel] : supporters) {
                const float shown = shows(j, sameDepth(cand.echo.peak, input[size_t(k)], input[size_t(j)]) / kGrid);
                if (shown < 0.0f)
                    continue;
                // A neighbour that sees an echo far stronger than this wave
                // does says that the cave would show clearly here too: it
                // does not support a faint maximum at that depth.
                const double seen = double(shown);
                if (seen > kSupportRatio * cand.echo.strength)
                    continue;
                support += (sameChannel ? 1.0 : kSamePointWeight) * std::clamp(seen - kSupportFloor, 0.0, kSupportCap);
            }
            confidence[c] = logistic(cand.echo.evidence + std::min(support, kMaxSupport) / kScale);
        }
        // The first recommended arrival; otherwise the most likely one.
        int pick = -1;
        for (size_t c = 0; c < confidence.size() && pick < 0; ++c)
            if (confidence[c] >= kRecommendedConfidence && !w.candidates[c].floorOnly)
                pick = int(c);
        if (pick < 0)
            for (size_t c = 0; c < confidence.size(); ++c)
                if (!w.candidates[c].floorOnly && (pick < 0 || confidence[c] > confidence[size_t(pick)]))
                    pick = int(c);
        if (pick < 0)
            return;
        if (confidence[size_t(pick)] < options.minConfidence)
            return;
        const Trace processed = processedOf(w), recorded = recordedOf(w);
        const ArrivalReader reader(w.shape, processed, w.original ? &recorded : nullptr);
        const Candidate &top = w.candidates[size_t(pick)];
        FlawSuggestion &r = result[k];
        r.sample = reader.arrival(top);
        r.confidence = confidence[size_t(pick)];
        // The floor: the most likely later echo within kBottomReach of the
        // top's peak, clear of the top echo itself.
        int floor = -1;
        for (size_t c = size_t(pick) + 1; c < w.candidates.size(); ++c) {
            const Candidate &cand = w.candidates[c];
            if (cand.echo.spike || cand.echo.peak - top.echo.peak > kBottomReach)
                continue;
            if (cand.echo.peak - top.echo.peak >= std::max(w.shape.period, top.reach / 2)
                && (floor < 0 || confidence[c] > confidence[size_t(floor)]))
                floor = int(c);
        }
        if (floor >= 0 && confidence[size_t(floor)] >= options.minConfidence) {
            const Candidate &f = w.candidates[size_t(floor)];
            const int at = reader.arrival(f, (top.echo.peak + f.echo.peak) / 2);
            if (at > r.sample) {
                r.bottomSample = at;
                r.bottomConfidence = confidence[size_t(floor)];
            }
        }
        // A floor too close under the top for the bands to tell apart.
        Candidate hump;
        double strength = 0.0;
        if (r.bottomSample < 0 && !top.echo.spike
            && reader.laterHump(top, w.shape.period, top.echo.peak + kBottomReach, &hump, &strength)) {
            const double c = logistic((strength - kHumpThreshold) / kScale);
            const int at = reader.arrival(hump, hump.from);
            if (c >= options.minConfidence && at > r.sample + w.shape.period / 2) {
                r.bottomSample = at;
                r.bottomConfidence = c;
            }
        }
    });
    return result;
}

} // namespace dsp
