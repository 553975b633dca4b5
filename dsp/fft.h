// FFT, amplitude spectra and main frequencies.
//
// Two layers live here:
//  - the plain radix-2 transform on complex sequences (`fft`, `ifft`,
//    `bitReverse`) with its builders, in its simplest form (the twiddle is
//    advanced by repeated multiplication); for small jobs and as the
//    yardstick of the fast layer;
//  - `ComplexFft` / `RealFft`, transform plans with precomputed twiddle and
//    permutation tables and real-input packing, used by the filtering and
//    spectrum pipeline. A plan is immutable after construction and may be
//    used from any number of threads at once.
#pragma once

#include <QVector>
#include <QtGlobal>
#include <complex>
#include <vector>

namespace dsp {

using Complex = std::complex<double>;
using ComplexSeq = std::vector<Complex>;

// 1 when n < 2, otherwise the smallest power of two not below n.
unsigned nextPow2(unsigned n);

// Builders: a sequence of exactly `length` zeros whose first real parts hold
// the input. `length` below the number of inputs keeps the first `length`.
ComplexSeq toComplex(const int *samples, int count, int length);
ComplexSeq toComplex(const std::vector<double> &values, int length);

// In-place bit-reversal permutation (length a power of two).
void bitReverse(ComplexSeq &x);
// In-place forward transform X[k] = sum x[j] e^(-2 pi i jk/N), no scaling.
void fft(ComplexSeq &x);
// In-place inverse transform with the 1/N scaling.
void ifft(ComplexSeq &x);

// Complex transform plan for a power-of-two length, without scaling.
// The stages work on split data (real parts and imaginary parts in two
// arrays) so that the butterflies run over contiguous memory.
class ComplexFft
{
public:
    explicit ComplexFft(int n);
    int size() const { return m_n; }
    // In place on interleaved (re, im) data.
    void forward(double *data) const;
    void inverse(double *data) const; // unscaled: N times the inverse
    // The whole transform of n interleaved complex values in natural order
    // (`src`, left unchanged) into split natural-order output.
    void transform(const double *src, double *re, double *im, bool inverse) const;

private:
    void laterStages(double *re, double *im, double sign) const;

    int m_n;
    std::vector<int> m_rev;
    std::vector<double> m_twRe, m_twIm; // stage with half span h: h twiddles at offset h-1
};

// Transform plan for real input of a power-of-two length n (n >= 1).
// The half spectrum has n/2 + 1 bins stored as interleaved (re, im) doubles.
class RealFft
{
public:
    explicit RealFft(int n);
    int size() const { return m_n; }
    // Number of doubles a buffer for forward()/inverse() must hold.
    int bufferSize() const { return m_n + 2; }
    // buf[0..n-1] real input in, bins 0..n/2 out (interleaved, in place).
    void forward(double *buf) const;
    // buf bins 0..n/2 in (Hermitian half), n real values out equal to
    // n times the inverse transform (no 1/n scaling), in place.
    void inverse(double *buf) const;

private:
    int m_n;
    ComplexFft m_half;
    std::vector<double> m_split; // cos, then -sin, of 2 pi k/n for k = 0..n/4
};

// Process-wide plan of the given power-of-two length; built once, then shared.
const RealFft &realFftPlan(int n);

// Single-sided amplitude spectrum of `count` raw samples into row[0..count-1]
// (bin 0 cleared) and the main frequency in Hz: the lowest bin of the peak
// among the bins k with k * fs/(count - 1) <= fs/2 (never beyond
// nextPow2(count)/2), times fs/(count - 1); 0 when count < 2.
double spectrumAndMainFrequency(const qint32 *samples, int count, double fs, double *row);

// The same from the half spectrum `bins` (interleaved, as RealFft gives it)
// of the samples zero-padded to stride x nextPow2(count) points, read at
// every `stride`-th bin: a transform made for filtering gives the spectrum
// without a second one.
double spectrumFromBins(const double *bins, int stride, int count, double fs, double *row);

// The spectrum of `count` samples as a view shows it (one value per
// sample); the main frequency goes to `mainFrequency` when given.
QVector<double> amplitudeSpectrum(const qint32 *samples, int count, double fs, double *mainFrequency = nullptr);

} // namespace dsp
