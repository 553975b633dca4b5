#include "firfilter.h"
#include "fft.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kFourPi = 12.566370614359172;

bool refuse(FirError *error, FirError why)
{
    if (error)
        *error = why;
    return false;
}

bool isKnownWindow(const QString &w)
{
    return w == QLatin1String("Rectangle") || w == QLatin1String("Bartlett") || w == QLatin1String("Hanning")
        || w == QLatin1String("Hamming") || w == QLatin1String("Blackman");
}
} // namespace

QString FirFilter::bandName(int code)
{
    switch (code) {
    case FirBand::LowPass: return QStringLiteral("lowpass");
    case FirBand::HighPass: return QStringLiteral("highpass");
    case FirBand::BandStop: return QStringLiteral("bandstop");
    default: return QStringLiteral("bandpass");
    }
}

QString FirFilter::windowName(int code)
{
    switch (code) {
    case FirWindow::Rectangle: return QStringLiteral("Rectangle");
    case FirWindow::Bartlett: return QStringLiteral("Bartlett");
    case FirWindow::Hanning: return QStringLiteral("Hanning");
    case FirWindow::Hamming: return QStringLiteral("Hamming");
    default: return QStringLiteral("Blackman");
    }
}

std::vector<double> FirFilter::idealResponse(const QString &band, double f1, double f2, double fs, int length)
{
    ideal.assign(size_t(std::max(length, 0)), 0.0);
    const int m = (length - 1) / 2;
    const double w1 = kTwoPi * f1 / fs;
    const double w2 = kTwoPi * f2 / fs;
    const bool low = band == QLatin1String("lowpass");
    const bool high = band == QLatin1String("highpass");
    const bool pass = band == QLatin1String("bandpass");
    for (int i = 0; i < length; ++i) {
        const double k = double(i - m);
        double v;
        if (i == m) {
            if (low)
                v = w1 / kPi;
            else if (high)
                v = (kPi - w1) / kPi;
            else if (pass)
                v = (w2 - w1) / kPi;
            else
                v = (kPi + w1 - w2) / kPi;
        } else if (low) {
            v = std::sin(w1 * k) / (kPi * k);
        } else if (high) {
            v = (std::sin(kPi * k) - std::sin(w1 * k)) / (kPi * k);
        } else if (pass) {
            v = (std::sin(w2 * k) - std::sin(w1 * k)) / (kPi * k);
        } else {
            v = (std::sin(kPi * k) + std::sin(w1 * k) - std::sin(w2 * k)) / (kPi * k);
        }
        ideal[size_t(i)] = v;
    }
    return ideal;
}

std::vector<double> FirFilter::makeWindow(const QString &windowType, int length, double amplitude)
{
    if (!isKnownWindow(windowType))
        return {};
    window.resize(size_t(std::max(length, 0)));
    const double a = amplitude;
    const double d = double(length - 1);
    for (int i = 0; i < (length + 1) / 2; ++i) {
        double v;
        if (windowType == QLatin1String("Rectangle"))
            v = a;
        else if (windowType == QLatin1String("Bartlett"))
            v = 2.0 * double(i) * a / d;
        else if (windowType == QLatin1String("Hanning"))
            v = (0.5 - 0.5 * std::cos(kTwoPi * double(i) / d)) * a;
        else if (windowType == QLatin1String("Hamming"))
            v = (0.54 - 0.46 * std::cos(kTwoPi * double(i) / d)) * a;
        else
            v = (0.42 - 0.5 * std::cos(kTwoPi * double(i) / d) + 0.08 * std::cos(kFourPi * double(i) / d)) * a;
        window[size_t(i)] = v;
        window[size_t(length - 1 - i)] = v;
    }
    return window;
}

double FirFilter::responseMagnitude(double f1, double f2, double fs, int length, const std::vector<double> &taps)
{
    const double nu = (f1 + f2) / fs * 0.5;
    double re = 0.0, im = 0.0;
    const int n = std::min(length, int(taps.size()));
    for (int i = 0; i < n; ++i) {
        re += taps[size_t(i)] * std::cos(kTwoPi * nu * double(i));
        im += taps[size_t(i)] * std::sin(kTwoPi * nu * double(i));
    }
    return std::sqrt(re * re + im * im);
}

bool FirFilter::design(const QString &band, const QString &windowType, double f1, double f2, double fs, int order,
                       double amplitude, FirError *error)
{
    coefficients.clear();
    if (error)
        *error = FirError::None;
    if (order < 1 || order > kMaxOrder)
        return refuse(error, FirError::Order);
    if (!std::isfinite(fs) || fs <= 0.0)
        return refuse(error, FirError::SampleRate);
    const bool twoEdges = band != QLatin1String("lowpass") && band != QLatin1String("highpass");
    const double nyquist = fs / 2.0;
    const bool edgesOk = twoEdges ? (std::isfinite(f1) && std::isfinite(f2) && f1 > 0.0 && f1 < f2 && f2 < nyquist)
                                  : (std::isfinite(f1) && f1 > 0.0 && f1 < nyquist && std::isfinite(f2));
    if (!edgesOk)
        return refuse(error, FirError::CutOffs);
    if (!isKnownWindow(windowType))
        return refuse(error, FirError::Window);
    if (!std::isfinite(amplitude) || amplitude == 0.0)
        return refuse(error, FirError::Amplitude);

    const int length = order + 1;
    ideal.resize(size_t(length));
    window.resize(size_t(length));
    idealResponse(band, f1, f2, fs, length);
    makeWindow(windowType, length, amplitude);
    // A window that vanishes at this length (Bartlett, Hanning or Blackman of
    // two taps) leaves only rounding noise to normalise.
    double peak = 0.0;
    for (double w : window)
        peak = std::max(peak, std::abs(w));
    if (!(peak > 1e-12 * std::abs(amplitude)))
        return refuse(error, FirError::Vanishes);
    std::vector<double> taps(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i)
        taps[size_t(i)] = ideal[size_t(i)] * window[size_t(i)];
    const double g = responseMagnitude(f1, f2, fs, length, taps);
    if (!std::isfinite(g) || g < 1e-300)
        return refuse(error, FirError::NoGain);
    for (double &t : taps) {
        t /= g;
        if (!std::isfinite(t))
            return refuse(error, FirError::NotFinite);
    }
    coefficients = std::move(taps);
    return true;
}

bool FirFilter::designByCode(int band, int windowType, double f1, double f2, double fs, int order, double amplitude,
                             FirError *error)
{
    return design(bandName(band), windowName(windowType), f1, f2, fs, order, amplitude, error);
}

bool FirFilter::lowpass(int windowType, int order, double f1, double f2, double fs, unsigned int amplitude,
                        FirError *error)
{
    return designByCode(FirBand::LowPass, windowType, f1, f2, fs, order, double(amplitude), error);
}

bool FirFilter::highpass(int windowType, int order, double f1, double f2, double fs, unsigned int amplitude,
                         FirError *error)
{
    return designByCode(FirBand::HighPass, windowType, f1, f2, fs, order, double(amplitude), error);
}

bool FirFilter::bandpass(int windowType, int order, double f1, double f2, double fs, unsigned int amplitude,
                         FirError *error)
{
    return designByCode(FirBand::BandPass, windowType, f1, f2, fs, order, double(amplitude), error);
}

namespace dsp {

int convolutionLength(int n, int taps)
{
    const int p = int(nextPow2(unsigned(std::max(n, 0))));
    const int full = int(nextPow2(unsigned(std::max(n + taps - 1, 1))));
    return std::max(2 * p, full);
}

FilterKernel filterKernel(const std::vector<double> &taps, int length)
{
    FilterKernel k;
    k.length = length;
    k.taps = int(taps.size());
    const RealFft &plan = realFftPlan(length);
    k.spectrum.assign(size_t(plan.bufferSize()), 0.0);
    const int n = std::min(k.taps, length);
    const double scale = 1.0 / double(length);
    for (int i = 0; i < n; ++i)
        k.spectrum[size_t(i)] = taps[size_t(i)] * scale;
    plan.forward(k.spectrum.data());
    return k;
}

void convolve(const double *in, int count, const FilterKernel &kernel, double *out, const BinsFunc &seeInput)
{
    const int length = kernel.length;
    const RealFft &plan = realFftPlan(length);
    thread_local std::vector<double> work;
    if (int(work.size()) < plan.bufferSize())
        work.resize(size_t(plan.bufferSize()));
    double *x = work.data();
    std::copy(in, in + count, x);
    std::fill(x + count, x + plan.bufferSize(), 0.0);
    plan.forward(x);
    if (seeInput)
        seeInput(x);
    const double *h = kernel.spectrum.data();
    for (int k = 0; k <= length / 2; ++k) {
        const double xr = x[2 * k], xi = x[2 * k + 1];
        const double hr = h[2 * k], hi = h[2 * k + 1];
        x[2 * k] = xr * hr - xi * hi;
        x[2 * k + 1] = xr * hi + xi * hr;
    }
    plan.inverse(x);
    const int delay = (kernel.taps - 1) / 2;
    std::copy(x + delay, x + delay + count, out);
}

} // namespace dsp
