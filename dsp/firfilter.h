// Linear-phase FIR filter design by the window method, and FFT convolution
// of a wave with the designed taps.
#pragma once

#include <QString>
#include <vector>

// Band and window codes as stored in the analysis records. Scoped, so that
// names like Rectangle never meet a platform function of the same name.
namespace FirBand {
enum Code : int { LowPass = 0, HighPass = 1, BandPass = 2, BandStop = 3 };
}
namespace FirWindow {
enum Code : int { Rectangle = 0, Bartlett = 1, Hanning = 2, Hamming = 3, Blackman = 4 };
}

class FirFilter
{
public:
    // Largest order accepted; larger requests are refused (they cannot come
    // from the analysis panel and would only exhaust memory).
    static constexpr int kMaxOrder = 65536;
    // Longest sequence filterSamples() accepts.
    static constexpr int kMaxFilterSamples = 1 << 24;

    // Band and window names of the codes ("bandpass" / "Blackman" for codes
    // outside the tables).
    static QString bandName(int code);
    static QString windowName(int code);

    // Designs order + 1 taps into `coefficients`. A request that cannot give
    // finite taps (order < 1 or above kMaxOrder, cut-offs outside
    // 0 < f1 (< f2) < fs/2, an unknown window name, a non-finite or zero
    // amplitude or gain) is refused: false, `coefficients` emptied and the
    // reason in *error when given.
    bool design(const QString &band, const QString &windowType, double f1, double f2, double fs, int order,
                double amplitude, QString *error = nullptr);
    bool designByCode(int band, int windowType, double f1, double f2, double fs, int order, double amplitude,
                      QString *error = nullptr);
    bool lowpass(int windowType, int order, double f1, double f2, double fs, unsigned int amplitude,
                 QString *error = nullptr);
    bool highpass(int windowType, int order, double f1, double f2, double fs, unsigned int amplitude,
                  QString *error = nullptr);
    bool bandpass(int windowType, int order, double f1, double f2, double fs, unsigned int amplitude,
                  QString *error = nullptr);

    // Fills `ideal` with `length` values of the ideal response; returns a copy.
    std::vector<double> idealResponse(const QString &band, double f1, double f2, double fs, int length);
    // Fills `window` (symmetric, computed over the first half and mirrored);
    // returns a copy. An unknown name returns an empty sequence and leaves
    // `window` as it was.
    std::vector<double> makeWindow(const QString &windowType, int length, double amplitude);
    // |H| at the reference frequency (f1 + f2)/2 of the first `length` taps.
    static double responseMagnitude(double f1, double f2, double fs, int length, const std::vector<double> &taps);

    // Filters count samples in place with `coefficients` by FFT convolution,
    // delay removed (D = (L-1)/2), truncated toward zero. Returns false and
    // leaves the samples untouched when there are no usable taps or more
    // than kMaxFilterSamples samples.
    bool filterSamples(int *samples, int count) const;

    std::vector<double> coefficients;
    std::vector<double> window;
    std::vector<double> ideal;
};

namespace dsp {
// Transform length of the FFT convolution of n samples with L taps:
// 2 * nextPow2(n), enlarged to hold the whole linear convolution n + L - 1.
int convolutionLength(int n, int taps);

// Filters `count` doubles in place with the half spectrum `kernel` of a
// kernel of `taps` taps on a transform of `length` points, pre-scaled by
// 1/length (see FirFilter::filterSamples). `out` receives count values
// (delay removed). Usable from several threads at once.
void convolveWithSpectrum(const double *in, int count, const double *kernel, int length, int taps, double *out);
// Half spectrum (length/2 + 1 complex bins, interleaved) of the taps padded
// to `length`, scaled by 1/length.
std::vector<double> kernelSpectrum(const std::vector<double> &taps, int length);
// Truncation toward zero of a finite double into the int range.
int toIntTruncated(double v);
} // namespace dsp
