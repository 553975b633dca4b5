// Linear-phase FIR filter design by the window method, and FFT convolution
// of a wave with the designed taps.
#pragma once

#include <QString>
#include <functional>
#include <vector>

// Band and window codes as stored in the analysis records. Scoped, so that
// names like Rectangle never meet a platform function of the same name.
namespace FirBand {
enum Code : int { LowPass = 0, HighPass = 1, BandPass = 2, BandStop = 3 };
}
namespace FirWindow {
enum Code : int { Rectangle = 0, Bartlett = 1, Hanning = 2, Hamming = 3, Blackman = 4 };
}

// Why a design was refused; the caller, who knows the values it asked for,
// says so in words.
enum class FirError {
    None,
    Order,      // order < 1 or above FirFilter::kMaxOrder
    SampleRate, // not a positive number
    CutOffs,    // not 0 < f1 (< f2) < fs/2
    Window,     // unknown window name
    Amplitude,  // zero or not finite
    Vanishes,   // the window is zero at this length (two taps)
    NoGain,     // no gain at the reference frequency (f1 + f2)/2
    NotFinite,  // taps not finite
};

class FirFilter
{
public:
    // Largest order accepted; larger requests are refused (they cannot come
    // from the analysis panel and would only exhaust memory).
    static constexpr int kMaxOrder = 65536;

    // Band and window names of the codes ("bandpass" / "Blackman" for codes
    // outside the tables).
    static QString bandName(int code);
    static QString windowName(int code);

    // Designs order + 1 taps into `coefficients`. A request that cannot give
    // finite taps (order < 1 or above kMaxOrder, cut-offs outside
    // 0 < f1 (< f2) < fs/2, an unknown window name, a non-finite or zero
    // amplitude or gain) is refused: false, `coefficients` emptied and the
    // reason in *error when given (FirError::None after a design).
    bool design(const QString &band, const QString &windowType, double f1, double f2, double fs, int order,
                double amplitude, FirError *error = nullptr);
    bool designByCode(int band, int windowType, double f1, double f2, double fs, int order, double amplitude,
                      FirError *error = nullptr);
    bool lowpass(int windowType, int order, double f1, double f2, double fs, unsigned int amplitude,
                 FirError *error = nullptr);
    bool highpass(int windowType, int order, double f1, double f2, double fs, unsigned int amplitude,
                  FirError *error = nullptr);
    bool bandpass(int windowType, int order, double f1, double f2, double fs, unsigned int amplitude,
                  FirError *error = nullptr);

    // Fills `ideal` with `length` values of the ideal response; returns a copy.
    std::vector<double> idealResponse(const QString &band, double f1, double f2, double fs, int length);
    // Fills `window` (symmetric, computed over the first half and mirrored);
    // returns a copy. An unknown name returns an empty sequence and leaves
    // `window` as it was.
    std::vector<double> makeWindow(const QString &windowType, int length, double amplitude);
    // |H| at the reference frequency (f1 + f2)/2 of the first `length` taps.
    static double responseMagnitude(double f1, double f2, double fs, int length, const std::vector<double> &taps);

    std::vector<double> coefficients;
    std::vector<double> window;
    std::vector<double> ideal;
};

namespace dsp {
// Transform length of the FFT convolution of n samples with L taps:
// 2 * nextPow2(n), enlarged to hold the whole linear convolution n + L - 1.
int convolutionLength(int n, int taps);

// Designed taps made ready for FFT convolution on a transform of `length`
// points: their half spectrum (length/2 + 1 complex bins, interleaved),
// padded to `length` and scaled by 1/length.
struct FilterKernel {
    int length = 0;
    int taps = 0;
    std::vector<double> spectrum;
};
FilterKernel filterKernel(const std::vector<double> &taps, int length);

// Convolves `count` values (at most length - taps + 1 of them) with the
// kernel, delay (taps - 1)/2 removed, into out[0..count-1] (`out` may be
// `in`). `seeInput`, when given, is shown the half spectrum of the
// zero-padded input before it is filtered. Usable from several threads at
// once.
using BinsFunc = std::function<void(const double *bins)>;
void convolve(const double *in, int count, const FilterKernel &kernel, double *out,
              const BinsFunc &seeInput = BinsFunc());
} // namespace dsp
