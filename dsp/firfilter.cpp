#include "firfilter.h"
#include "fft.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kFourPi = 12.566370614359172;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
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
                       double amplitude, QString *error)
{
    coefficients.clear();
    if (order < 1 || order > kMaxOrder) {
        setError(error, QStringLiteral("filter order %1 outside 1..%2").arg(order).arg(kMaxOrder));
        return false;
    }
    if (!std::isfinite(fs) || fs <= 0.0) {
        setError(error, QStringLiteral("sampling rate %1 is not positive").arg(fs));
        return false;
    }
    const bool twoEdges = band != QLatin1String("lowpass") && band != QLatin1String("highpass");
    const double nyquist = fs / 2.0;
    const bool edgesOk = twoEdges ? (std::isfinite(f1) && std::isfinite(f2) && f1 > 0.0 && f1 < f2 && f2 < nyquist)
                                  : (std::isfinite(f1) && f1 > 0.0 && f1 < nyquist && std::isfinite(f2));
    if (!edgesOk) {
        setError(error,
                 twoEdges
                     ? QStringLiteral("cut-offs %1..%2 Hz not within 0 < f1 < f2 < %3 Hz").arg(f1).arg(f2).arg(nyquist)
                     : QStringLiteral("cut-off %1 Hz not within 0 < f1 < %2 Hz").arg(f1).arg(nyquist));
        return false;
    }
    if (!isKnownWindow(windowType)) {
        setError(error, QStringLiteral("unknown window \"%1\"").arg(windowType));
        return false;
    }
    if (!std::isfinite(amplitude) || amplitude == 0.0) {
        setError(error, QStringLiteral("window amplitude %1 unusable").arg(amplitude));
        return false;
    }

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
    if (!(peak > 1e-12 * std::abs(amplitude))) {
        setError(error, QStringLiteral("window %1 vanishes at %2 taps").arg(windowType).arg(length));
        return false;
    }
    std::vector<double> taps(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i)
        taps[size_t(i)] = ideal[size_t(i)] * window[size_t(i)];
    const double g = responseMagnitude(f1, f2, fs, length, taps);
    if (!std::isfinite(g) || g < 1e-300) {
        setError(error, QStringLiteral("filter has no gain at %1 Hz").arg((f1 + f2) / 2.0));
        return false;
    }
    for (double &t : taps) {
        t /= g;
        if (!std::isfinite(t)) {
            setError(error, QStringLiteral("filter taps are not finite"));
            return false;
        }
    }
    coefficients = std::move(taps);
    return true;
}

bool FirFilter::designByCode(int band, int windowType, double f1, double f2, double fs, int order, double amplitude,
                             QString *error)
{
    return design(bandName(band), windowName(windowType), f1, f2, fs, order, amplitude, error);
}

bool FirFilter::lowpass(int windowType, int order, double f1, double f2, double fs, unsigned int amplitude,
                        QString *error)
{
    return designByCode(FirBand::LowPass, windowType, f1, f2, fs, order, double(amplitude), error);
}

bool FirFilter::highpass(int windowType, int order, double f1, double f2, double fs, unsigned int amplitude,
                         QString *error)
{
    return designByCode(FirBand::HighPass, windowType, f1, f2, fs, order, double(amplitude), error);
}

bool FirFilter::bandpass(int windowType, int order, double f1, double f2, double fs, unsigned int amplitude,
                         QString *error)
{
    return designByCode(FirBand::BandPass, windowType, f1, f2, fs, order, double(amplitude), error);
}

bool FirFilter::filterSamples(int *samples, int count) const
{
    if (count <= 0 || !samples)
        return true;
    if (coefficients.empty() || count > kMaxFilterSamples)
        return false;
    const int taps = int(coefficients.size());
    const int length = dsp::convolutionLength(count, taps);
    const std::vector<double> kernel = dsp::kernelSpectrum(coefficients, length);
    std::vector<double> buf(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        buf[size_t(i)] = double(samples[i]);
    dsp::convolveWithSpectrum(buf.data(), count, kernel.data(), length, taps, buf.data());
    for (int i = 0; i < count; ++i)
        samples[i] = dsp::toIntTruncated(buf[size_t(i)]);
    return true;
}

namespace dsp {

int convolutionLength(int n, int taps)
{
    const int p = int(nextPow2(unsigned(std::max(n, 0))));
    const int full = int(nextPow2(unsigned(std::max(n + taps - 1, 1))));
    return std::max(2 * p, full);
}

std::vector<double> kernelSpectrum(const std::vector<double> &taps, int length)
{
    const RealFft &plan = realFftPlan(length);
    std::vector<double> buf(size_t(plan.bufferSize()), 0.0);
    const int n = std::min(int(taps.size()), length);
    const double scale = 1.0 / double(length);
    for (int i = 0; i < n; ++i)
        buf[size_t(i)] = taps[size_t(i)] * scale;
    plan.forward(buf.data());
    return buf;
}

void convolveWithSpectrum(const double *in, int count, const double *kernel, int length, int taps, double *out)
{
    const RealFft &plan = realFftPlan(length);
    thread_local std::vector<double> work;
    if (int(work.size()) < plan.bufferSize())
        work.resize(size_t(plan.bufferSize()));
    double *x = work.data();
    std::copy(in, in + count, x);
    std::fill(x + count, x + plan.bufferSize(), 0.0);
    plan.forward(x);
    for (int k = 0; k <= length / 2; ++k) {
        const double xr = x[2 * k], xi = x[2 * k + 1];
        const double hr = kernel[2 * k], hi = kernel[2 * k + 1];
        x[2 * k] = xr * hr - xi * hi;
        x[2 * k + 1] = xr * hi + xi * hr;
    }
    plan.inverse(x);
    const int delay = (taps - 1) / 2;
    std::copy(x + delay, x + delay + count, out);
}

int toIntTruncated(double v)
{
    if (!std::isfinite(v))
        return 0;
    if (v >= double(INT_MAX))
        return INT_MAX;
    if (v <= double(INT_MIN))
        return INT_MIN;
    return int(v);
}

} // namespace dsp
