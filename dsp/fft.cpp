#include "fft.h"
#include "compilerhints.h"

#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace dsp {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;
constexpr double kSinPiRounded = 1.2246467991473532e-16; // sin(pi) in double

// Scratch buffer reused by the calling thread.
double *scratch(int doubles)
{
    thread_local std::vector<double> buf;
    if (int(buf.size()) < doubles)
        buf.resize(size_t(doubles));
    return buf.data();
}

// Split working arrays of the real transforms (kept apart from scratch(),
// which callers of the transforms use for their own buffers).
double *splitScratch(int doubles)
{
    thread_local std::vector<double> buf;
    if (int(buf.size()) < doubles)
        buf.resize(size_t(doubles));
    return buf.data();
}

// Radix-2 transform on a complex sequence with the twiddle advanced by
// repeated multiplication, as the plain reference form of the transform.
void radix2(ComplexSeq &x, double sign)
{
    bitReverse(x);
    const size_t n = x.size();
    for (size_t h = 1; h < n; h *= 2) {
        const double wr = h == 1 ? -1.0 : std::cos(kTwoPi / double(2 * h));
        const double wi = h == 1 ? sign * kSinPiRounded : sign * std::sin(kTwoPi / double(2 * h));
        for (size_t b = 0; b < n; b += 2 * h) {
            double cr = 1.0, ci = 0.0;
            for (size_t j = 0; j < h; ++j) {
                Complex &a = x[b + j];
                Complex &c = x[b + j + h];
                const double tr = cr * c.real() - ci * c.imag();
                const double ti = cr * c.imag() + ci * c.real();
                c = Complex(a.real() - tr, a.imag() - ti);
                a = Complex(a.real() + tr, a.imag() + ti);
                const double nr = cr * wr - ci * wi;
                ci = cr * wi + ci * wr;
                cr = nr;
            }
        }
    }
}
} // namespace

unsigned nextPow2(unsigned n)
{
    if (n < 2)
        return 1;
    unsigned p = 1;
    while (p < n && p < 0x80000000u)
        p <<= 1;
    return p;
}

ComplexSeq toComplex(const int *samples, int count, int length)
{
    ComplexSeq out(size_t(std::max(length, 0)), Complex(0.0, 0.0));
    const int m = std::min(count, length);
    for (int i = 0; i < m && samples; ++i)
        out[size_t(i)] = Complex(double(samples[i]), 0.0);
    return out;
}

ComplexSeq toComplex(const std::vector<double> &values, int length)
{
    ComplexSeq out(size_t(std::max(length, 0)), Complex(0.0, 0.0));
    const int m = std::min(int(values.size()), length);
    for (int i = 0; i < m; ++i)
        out[size_t(i)] = Complex(values[size_t(i)], 0.0);
    return out;
}

void bitReverse(ComplexSeq &x)
{
    const size_t n = x.size();
    if (n <= 2)
        return;
    size_t j = n / 2;
    for (size_t i = 1; i <= n - 2; ++i) {
        if (i < j)
            std::swap(x[i], x[j]);
        size_t k = n / 2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }
}

void fft(ComplexSeq &x) { radix2(x, -1.0); }

void ifft(ComplexSeq &x)
{
    radix2(x, 1.0);
    const double n = double(x.size());
    for (Complex &v : x)
        v = Complex(v.real() / n, v.imag() / n);
}

// ---------------------------------------------------------------------------

ComplexFft::ComplexFft(int n)
    : m_n(n)
{
    int bits = 0;
    while ((1 << bits) < n)
        ++bits;
    m_rev.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        int r = 0;
        for (int b = 0; b < bits; ++b)
            if (i & (1 << b))
                r |= 1 << (bits - 1 - b);
        m_rev[size_t(i)] = r;
    }
    // Twiddles e^(-i pi j/h) for every stage, each computed directly.
    m_twRe.resize(size_t(std::max(n - 1, 1)));
    m_twIm.resize(size_t(std::max(n - 1, 1)));
    for (int h = 1; h < n; h *= 2) {
        for (int j = 0; j < h; ++j) {
            const double a = kPi * double(j) / double(h);
            m_twRe[size_t(h - 1 + j)] = std::cos(a);
            m_twIm[size_t(h - 1 + j)] = -std::sin(a);
        }
    }
}

namespace {

// The first two stages on four points (p0..p3, in bit-reversed order): a
// radix-4 butterfly without multiplications, into re[0..3] and im[0..3].
// sign = -1 forward, +1 inverse.
inline void firstButterfly(double p0r, double p0i, double p1r, double p1i, double p2r, double p2i, double p3r,
                           double p3i, double sign, double *re, double *im)
{
    const double a0r = p0r + p1r, a0i = p0i + p1i;
    const double a1r = p0r - p1r, a1i = p0i - p1i;
    const double a2r = p2r + p3r, a2i = p2i + p3i;
    const double a3r = p2r - p3r, a3i = p2i - p3i;
    // a3 times -i (forward) or +i (inverse)
    const double t3r = -sign * a3i, t3i = sign * a3r;
    re[0] = a0r + a2r;
    im[0] = a0i + a2i;
    re[2] = a0r - a2r;
    im[2] = a0i - a2i;
    re[1] = a1r + t3r;
    im[1] = a1i + t3i;
    re[3] = a1r - t3r;
    im[3] = a1i - t3i;
}

// Two stages (half spans h and 2h) on the four points x0..x3 spaced h apart,
// in place: twiddles a = (ar, ai) for the first, b = (br, bi) for the second
// (already in the direction of the transform).
inline void radix4Point(double &x0r, double &x0i, double &x1r, double &x1i, double &x2r, double &x2i, double &x3r,
                        double &x3i, double ar, double ai, double br, double bi, double sign)
{
    const double t1r = ar * x1r - ai * x1i, t1i = ar * x1i + ai * x1r;
    const double t3r = ar * x3r - ai * x3i, t3i = ar * x3i + ai * x3r;
    const double u0r = x0r + t1r, u0i = x0i + t1i;
    const double u1r = x0r - t1r, u1i = x0i - t1i;
    const double u2r = x2r + t3r, u2i = x2i + t3i;
    const double u3r = x2r - t3r, u3i = x2i - t3i;
    const double vr = br * u2r - bi * u2i, vi = br * u2i + bi * u2r;
    const double mr = br * u3r - bi * u3i, mi = br * u3i + bi * u3r;
    // second twiddle of the odd half: times -i forward, +i inverse
    const double qr = -sign * mi, qi = sign * mr;
    x0r = u0r + vr;
    x0i = u0i + vi;
    x2r = u0r - vr;
    x2i = u0i - vi;
    x1r = u1r + qr;
    x1i = u1i + qi;
    x3r = u1r - qr;
    x3i = u1i - qi;
}

// Half spans 1 and 2 in one pass: radix-4 butterflies without multiplications.
// sign = -1 forward, +1 inverse.
void firstStages(double *__restrict re, double *__restrict im, int n, double sign)
{
    if (n == 2) {
        const double ar = re[0], ai = im[0];
        re[0] = ar + re[1];
        im[0] = ai + im[1];
        re[1] = ar - re[1];
        im[1] = ai - im[1];
        return;
    }
    for (int b = 0; b < n; b += 4)
        firstButterfly(re[b], im[b], re[b + 1], im[b + 1], re[b + 2], im[b + 2], re[b + 3], im[b + 3], sign, re + b,
                       im + b);
}

// The same two first stages reading interleaved natural-order data through
// the bit-reversal table, so that the permutation costs no pass of its own.
void firstStagesGather(const double *__restrict src, const int *__restrict rev, double *__restrict re,
                       double *__restrict im, int n, double sign)
{
    if (n < 4) {
        for (int k = 0; k < n; ++k) {
            re[k] = src[2 * rev[k]];
            im[k] = src[2 * rev[k] + 1];
        }
        if (n == 2)
            firstStages(re, im, n, sign);
        return;
    }
    for (int b = 0; b < n; b += 4) {
        const double *p0 = src + 2 * rev[b], *p1 = src + 2 * rev[b + 1];
        const double *p2 = src + 2 * rev[b + 2], *p3 = src + 2 * rev[b + 3];
        firstButterfly(p0[0], p0[1], p1[0], p1[1], p2[0], p2[1], p3[0], p3[1], sign, re + b, im + b);
    }
}

// Two stages (half spans h and 2h) in one pass over blocks of 4h points.
// Built for a wide vector unit too where the processor has one; every
// variant computes each value by the same sequence of operations per run.
KVR_CLONE_FOR_AVX2
void radix4Pass(double *__restrict re, double *__restrict im, int n, int h, const double *__restrict w1r,
                const double *__restrict w1i, const double *__restrict w2r, const double *__restrict w2i, double sign)
{
    // sign = -1 forward, +1 inverse: twiddle imaginary parts are stored for
    // the forward direction and negated for the inverse.
    const double s = -sign;
    for (int b = 0; b < n; b += 4 * h) {
        double *r0 = re + b, *i0 = im + b;
        double *r1 = r0 + h, *i1 = i0 + h;
        double *r2 = r1 + h, *i2 = i1 + h;
        double *r3 = r2 + h, *i3 = i2 + h;
        KVR_LOOP_INDEPENDENT
        for (int j = 0; j < h; ++j) {
            double x0r = r0[j], x0i = i0[j], x1r = r1[j], x1i = i1[j];
            double x2r = r2[j], x2i = i2[j], x3r = r3[j], x3i = i3[j];
            radix4Point(x0r, x0i, x1r, x1i, x2r, x2i, x3r, x3i, w1r[j], s * w1i[j], w2r[j], s * w2i[j], sign);
            r0[j] = x0r;
            i0[j] = x0i;
            r1[j] = x1r;
            i1[j] = x1i;
            r2[j] = x2r;
            i2[j] = x2i;
            r3[j] = x3r;
            i3[j] = x3i;
        }
    }
}

KVR_CLONE_FOR_AVX2
void radix2Pass(double *__restrict re, double *__restrict im, int n, int h, const double *__restrict wr,
                const double *__restrict wi, double sign)
{
    const double s = -sign;
    for (int b = 0; b < n; b += 2 * h) {
        double *ar = re + b, *ai = im + b;
        double *cr = ar + h, *ci = ai + h;
        KVR_LOOP_INDEPENDENT
        for (int j = 0; j < h; ++j) {
            const double xr = wr[j], xi = s * wi[j];
            const double tr = xr * cr[j] - xi * ci[j];
            const double ti = xr * ci[j] + xi * cr[j];
            const double pr = ar[j], pi = ai[j];
            cr[j] = pr - tr;
            ci[j] = pi - ti;
            ar[j] = pr + tr;
            ai[j] = pi + ti;
        }
    }
}

// The first four stages (half spans 1 to 8) block by block of 16 points,
// reading natural-order data through the bit-reversal table: the same
// operations as firstStagesGather() and then radix4Pass() with h = 4, without
// a pass of their own over the data (n >= 16; w1 and w2 as for that pass).
KVR_CLONE_FOR_AVX2
void firstFourStagesGather(const double *__restrict src, const int *__restrict rev, double *__restrict re,
                           double *__restrict im, int n, const double *__restrict w1r, const double *__restrict w1i,
                           const double *__restrict w2r, const double *__restrict w2i, double sign)
{
    const double s = -sign;
    for (int b = 0; b < n; b += 16) {
        double r[16], i[16];
        for (int q = 0; q < 16; q += 4) {
            const double *p0 = src + 2 * rev[b + q], *p1 = src + 2 * rev[b + q + 1];
            const double *p2 = src + 2 * rev[b + q + 2], *p3 = src + 2 * rev[b + q + 3];
            firstButterfly(p0[0], p0[1], p1[0], p1[1], p2[0], p2[1], p3[0], p3[1], sign, r + q, i + q);
        }
        double *r0 = re + b, *i0 = im + b;
        for (int j = 0; j < 4; ++j) {
            double x0r = r[j], x0i = i[j], x1r = r[4 + j], x1i = i[4 + j];
            double x2r = r[8 + j], x2i = i[8 + j], x3r = r[12 + j], x3i = i[12 + j];
            radix4Point(x0r, x0i, x1r, x1i, x2r, x2i, x3r, x3i, w1r[j], s * w1i[j], w2r[j], s * w2i[j], sign);
            r0[j] = x0r;
            i0[j] = x0i;
            r0[4 + j] = x1r;
            i0[4 + j] = x1i;
            r0[8 + j] = x2r;
            i0[8 + j] = x2i;
            r0[12 + j] = x3r;
            i0[12 + j] = x3i;
        }
    }
}

// The stages from half span h on.
void stagesFrom(double *re, double *im, int n, int h, const double *twRe, const double *twIm, double sign)
{
    for (; 4 * h <= n; h *= 4)
        radix4Pass(re, im, n, h, twRe + h - 1, twIm + h - 1, twRe + 2 * h - 1, twIm + 2 * h - 1, sign);
    if (h < n)
        radix2Pass(re, im, n, h, twRe + h - 1, twIm + h - 1, sign);
}

} // namespace

void ComplexFft::laterStages(double *re, double *im, double sign) const
{
    stagesFrom(re, im, m_n, 4, m_twRe.data(), m_twIm.data(), sign);
}

void ComplexFft::transform(const double *src, double *re, double *im, bool inverse) const
{
    const double sign = inverse ? 1.0 : -1.0;
    if (m_n >= 16) {
        firstFourStagesGather(src, m_rev.data(), re, im, m_n, m_twRe.data() + 3, m_twIm.data() + 3, m_twRe.data() + 7,
                              m_twIm.data() + 7, sign);
        stagesFrom(re, im, m_n, 16, m_twRe.data(), m_twIm.data(), sign);
        return;
    }
    firstStagesGather(src, m_rev.data(), re, im, m_n, sign);
    if (m_n >= 4)
        laterStages(re, im, sign);
}

namespace {
void complexInPlace(const ComplexFft &plan, double *data, bool inverse)
{
    const int n = plan.size();
    // Split output, reused by the calling thread (apart from the other
    // scratch buffers, which callers and the real transforms use).
    thread_local std::vector<double> split;
    if (split.size() < size_t(2 * n))
        split.resize(size_t(2 * n));
    double *re = split.data(), *im = re + n;
    plan.transform(data, re, im, inverse);
    for (int k = 0; k < n; ++k) {
        data[2 * k] = re[k];
        data[2 * k + 1] = im[k];
    }
}
} // namespace

void ComplexFft::forward(double *data) const { complexInPlace(*this, data, false); }

void ComplexFft::inverse(double *data) const { complexInPlace(*this, data, true); }

// ---------------------------------------------------------------------------

RealFft::RealFft(int n)
    : m_n(n)
    , m_half(std::max(n / 2, 1))
{
    // cosines of 2 pi k/n for k = 0..n/4, then the negated sines
    const int quarter = n / 4;
    m_split.resize(size_t(2 * (quarter + 1)));
    for (int k = 0; k <= quarter; ++k) {
        const double a = kTwoPi * double(k) / double(n);
        m_split[size_t(k)] = std::cos(a);
        m_split[size_t(quarter + 1 + k)] = -std::sin(a);
    }
}

namespace {
// Half spectrum of a real sequence from the transform Z of its even/odd
// packing: X[k] = E + W^k O, X[m-k] = conj(E - W^k O) with
// E = (Z[k] + conj Z[m-k]) / 2, O = (Z[k] - conj Z[m-k]) / 2i.
KVR_CLONE_FOR_AVX2
void splitForward(const double *__restrict re, const double *__restrict im, const double *__restrict twr,
                  const double *__restrict twi, double *__restrict out, int m)
{
    out[0] = re[0] + im[0];
    out[1] = 0.0;
    out[2 * m] = re[0] - im[0];
    out[2 * m + 1] = 0.0;
    for (int k = 1; k <= m / 2; ++k) {
        const int q = m - k;
        const double zr = re[k], zi = im[k];
        const double yr = re[q], yi = -im[q];
        const double er = 0.5 * (zr + yr), ei = 0.5 * (zi + yi);
        const double orr = 0.5 * (zi - yi), oi = -0.5 * (zr - yr);
        const double wr = twr[k], wi = twi[k];
        const double tr = wr * orr - wi * oi, ti = wr * oi + wi * orr;
        out[2 * k] = er + tr;
        out[2 * k + 1] = ei + ti;
        out[2 * q] = er - tr;
        out[2 * q + 1] = ti - ei;
    }
}

// The packed transform Z of a real sequence from its half spectrum `in`
// (bins 0..m): Z[k] = E + i O and Z[m-k] = conj(E) + i conj(O), into `out`.
KVR_CLONE_FOR_AVX2
void splitInverse(const double *__restrict in, const double *__restrict twr, const double *__restrict twi,
                  double *__restrict out, int m)
{
    const double x0 = in[0], xm = in[2 * m];
    out[0] = x0 + xm;
    out[1] = x0 - xm;
    auto pair = [&](int k) {
        const int q = m - k;
        const double xr = in[2 * k], xi = in[2 * k + 1];
        const double yr = in[2 * q], yi = -in[2 * q + 1]; // conj(X[m-k])
        const double er = xr + yr, ei = xi + yi;
        const double dr = xr - yr, di = xi - yi;
        const double wr = twr[k], wi = -twi[k]; // conj W
        const double orr = dr * wr - di * wi, oi = dr * wi + di * wr;
        out[2 * k] = er - oi;
        out[2 * k + 1] = ei + orr;
        out[2 * q] = er + oi;
        out[2 * q + 1] = -ei + orr;
    };
    // Every k below m/2 has its own q above it; the middle bin is its own
    // partner (its second values are the ones kept).
    for (int k = 1; k < m / 2; ++k)
        pair(k);
    if (m >= 2)
        pair(m / 2);
}
} // namespace

void RealFft::forward(double *buf) const
{
    const int n = m_n;
    if (n == 1) {
        buf[1] = 0.0;
        return;
    }
    if (n == 2) {
        const double a = buf[0], b = buf[1];
        buf[0] = a + b;
        buf[1] = 0.0;
        buf[2] = a - b;
        buf[3] = 0.0;
        return;
    }
    const int m = n / 2;
    // z[k] = x[2k] + i x[2k+1] is the input read as interleaved complex data.
    double *re = splitScratch(2 * m);
    double *im = re + m;
    m_half.transform(buf, re, im, false);
    splitForward(re, im, m_split.data(), m_split.data() + (m / 2 + 1), buf, m);
}

void RealFft::inverse(double *buf) const
{
    const int n = m_n;
    if (n == 1)
        return;
    if (n == 2) {
        const double a = buf[0], b = buf[2];
        buf[0] = a + b;
        buf[1] = a - b;
        return;
    }
    const int m = n / 2;
    // The packed transform, into working values of the calling thread.
    thread_local std::vector<double> packed;
    if (packed.size() < size_t(2 * m))
        packed.resize(size_t(2 * m));
    splitInverse(buf, m_split.data(), m_split.data() + (m / 2 + 1), packed.data(), m);
    double *re = splitScratch(2 * m);
    double *im = re + m;
    m_half.transform(packed.data(), re, im, true);
    for (int j = 0; j < m; ++j) {
        buf[2 * j] = re[j];
        buf[2 * j + 1] = im[j];
    }
}

const RealFft &realFftPlan(int n)
{
    static QMutex mutex;
    static std::map<int, std::unique_ptr<RealFft>> plans;
    QMutexLocker lock(&mutex);
    auto &slot = plans[n];
    if (!slot)
        slot.reset(new RealFft(n));
    return *slot;
}

// ---------------------------------------------------------------------------

double spectrumFromBins(const double *bins, int stride, int count, double fs, double *row)
{
    if (count <= 0)
        return 0.0;
    const int p = int(nextPow2(unsigned(count)));
    const int half = p / 2;
    const int low = std::min(count - 1, half);
    row[0] = 0.0;
    for (int k = 1; k <= low; ++k) {
        const double re = bins[2 * k * stride], im = bins[2 * k * stride + 1];
        row[k] = 2.0 * std::sqrt(re * re + im * im) / double(count);
    }
    for (int k = low + 1; k < count; ++k) // the upper bins mirror the lower ones
        row[k] = row[p - k];
    if (count < 2)
        return 0.0;
    // Peak among the bins whose reported frequency k * fs / (count - 1) does
    // not exceed half the rate (never beyond bin P/2, whose upper neighbours
    // only mirror the lower ones); exact ties go to the lowest bin.
    const int last = std::min((count - 1) / 2, half);
    int best = 0;
    for (int k = 1; k <= last; ++k)
        if (row[k] > row[best])
            best = k;
    return double(best) * (fs / double(count - 1));
}

double spectrumAndMainFrequency(const qint32 *samples, int count, double fs, double *row)
{
    if (count <= 0)
        return 0.0;
    const RealFft &plan = realFftPlan(int(nextPow2(unsigned(count))));
    double *buf = scratch(plan.bufferSize());
    for (int i = 0; i < count; ++i)
        buf[i] = double(samples[i]);
    std::fill(buf + count, buf + plan.bufferSize(), 0.0);
    plan.forward(buf);
    return spectrumFromBins(buf, 1, count, fs, row);
}

QVector<double> amplitudeSpectrum(const qint32 *samples, int count, double fs, double *mainFrequency)
{
    QVector<double> row(std::max(count, 0));
    const double f = samples ? spectrumAndMainFrequency(samples, count, fs, row.data()) : 0.0;
    if (mainFrequency)
        *mainFrequency = f;
    return row;
}

} // namespace dsp
