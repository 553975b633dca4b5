// Filtering plus two spectra for every wave of a 1000-point survey
// (3000 waves x 4096 samples), three ways in one run:
//   ours            processing::processWaves over the whole list
//   straightforward a design and three radix-2 transforms of 2*nextPow2(n)
//                   points per wave, then two spectra, on one thread
//   fftw            FFTW real-input plans, kernel transformed once, the same
//                   number of threads as ours
// Usage: bench_dsp [points] [repeats]
#include "datafile/processing.h"
#include "dsp/fft.h"
#include "dsp/firfilter.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QThreadPool>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <fftw3.h>
#include <functional>
#include <thread>
#include <vector>

namespace {
constexpr double kFs = 500000.0;
constexpr int kSamples = 4096;

struct Survey {
    WaveGroupList groups, filtered;
    WaveAnalyzeInfoList infos;
    FftInfoList ffts;
};

// Band-limited pulses (5..15 kHz carrier under a Gaussian envelope) with two
// weaker echoes and noise, around the zero line 32767.
Survey makeSurvey(int points)
{
    Survey s;
    QRandomGenerator rng(20261210);
    for (int g = 0; g < points; ++g) {
        WaveGroupPtr group = newWaveGroup();
        group->head.nSamplePoints = kSamples;
        for (int c = 0; c < 3; ++c) {
            WaveBlock &b = *group->blocks[c];
            b.nDataCnt = kSamples;
            const double f = 5000.0 + 10000.0 * rng.generateDouble();
            const double a = 6000.0 + 14000.0 * rng.generateDouble();
            const double e1 = 800 + 1500 * rng.generateDouble(), e2 = e1 + 600 * rng.generateDouble();
            for (int i = 0; i < kSamples; ++i) {
                double v = 0.0;
                for (auto [t0, amp] : {std::pair<double, double> {200.0, a}, {e1, 0.3 * a}, {e2, 0.15 * a}}) {
                    const double t = (i - t0) / kFs;
                    v += amp * std::exp(-t * t / (2 * 6e-5 * 6e-5)) * std::sin(2 * M_PI * f * t);
                }
                v += 300.0 * (rng.generateDouble() - 0.5);
                b.nData[i] = std::clamp(int(std::lround(32767 + v)), 0, 65535);
            }
            WaveAnalyzeInfoPtr info = newWaveAnalyzeInfo();
            info->nMeasurePoint = g;
            info->nChannel = c;
            info->nLowCutoff = 2000;
            info->nHighCutoff = 20000;
            info->nFilterOrder = 500;
            info->nFilterWindow = 4;
            s.infos << info;
        }
        s.groups << group;
        s.filtered << deepCopy(*group);
        s.ffts << newFftInfo();
    }
    return s;
}

double seconds(const std::function<void()> &f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double best(int repeats, const std::function<void()> &f)
{
    double t = 1e300;
    for (int i = 0; i < repeats; ++i)
        t = std::min(t, seconds(f));
    return t;
}

// ---- straightforward reference ---------------------------------------------

using C = std::complex<double>;

std::vector<double> designBandpass(int order, double f1, double f2)
{
    const int L = order + 1, M = (L - 1) / 2;
    const double w1 = 2 * M_PI * f1 / kFs, w2 = 2 * M_PI * f2 / kFs;
    std::vector<double> h(static_cast<size_t>(L));
    for (int i = 0; i < L; ++i) {
        const int k = i - M;
        const double d = k == 0 ? (w2 - w1) / M_PI : (std::sin(w2 * k) - std::sin(w1 * k)) / (M_PI * k);
        const double w = 0.42 - 0.5 * std::cos(2 * M_PI * i / (L - 1)) + 0.08 * std::cos(4 * M_PI * i / (L - 1));
        h[size_t(i)] = d * w;
    }
    const double nu = (f1 + f2) / kFs * 0.5;
    C g(0, 0);
    for (int i = 0; i < L; ++i)
        g += h[size_t(i)] * C(std::cos(2 * M_PI * nu * i), std::sin(2 * M_PI * nu * i));
    for (double &v : h)
        v /= std::abs(g);
    return h;
}

void plainFft(std::vector<C> &x, double sign)
{
    const size_t n = x.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (size_t h = 1; h < n; h *= 2) {
        const C wh(std::cos(M_PI / h), sign * std::sin(M_PI / h));
        for (size_t b = 0; b < n; b += 2 * h) {
            C w(1, 0);
            for (size_t j = 0; j < h; ++j) {
                const C t = w * x[b + j + h];
                x[b + j + h] = x[b + j] - t;
                x[b + j] += t;
                w *= wh;
            }
        }
    }
    if (sign > 0)
        for (C &v : x)
            v /= double(n);
}

void plainSpectrum(const int *s, int n, double *row, double &mainFreq)
{
    size_t p = 1;
    while (p < size_t(n))
        p *= 2;
    std::vector<C> x(p, C(0, 0));
    for (int i = 0; i < n; ++i)
        x[size_t(i)] = double(s[i]);
    plainFft(x, -1);
    row[0] = 0;
    int best = 0;
    for (int k = 1; k < n; ++k) {
        row[k] = 2 * std::abs(x[size_t(k)]) / n;
        if (size_t(k) <= p / 2 && row[k] > row[best])
            best = k;
    }
    mainFreq = best * (kFs / (n - 1));
}

void straightforward(Survey &s)
{
    for (const WaveAnalyzeInfoPtr &info : s.infos) {
        const WaveBlock &o = *s.groups[info->nMeasurePoint]->blocks[info->nChannel];
        WaveBlock &p = *s.filtered[info->nMeasurePoint]->blocks[info->nChannel];
        FftInfo &f = *s.ffts[info->nMeasurePoint];
        p = o;
        const std::vector<double> h = designBandpass(info->nFilterOrder, info->nLowCutoff, info->nHighCutoff);
        const int n = o.nDataCnt;
        size_t len = 1;
        while (len < size_t(n))
            len *= 2;
        len *= 2;
        std::vector<C> x(len, C(0, 0)), hh(len, C(0, 0));
        for (int i = 0; i < n; ++i)
            x[size_t(i)] = double(o.nData[i] - 32767);
        for (size_t i = 0; i < h.size(); ++i)
            hh[i] = h[i];
        plainFft(x, -1);
        plainFft(hh, -1);
        for (size_t k = 0; k < len; ++k)
            x[k] *= hh[k];
        plainFft(x, 1);
        const int d = int(h.size() - 1) / 2;
        for (int i = 0; i < n; ++i)
            p.nData[i] = std::clamp(int(x[size_t(d + i)].real()) + 32767, 0, 65535);
        std::vector<double> row = std::vector<double>(size_t(kMaxSamples));
        plainSpectrum(o.nData, n, row.data(), f.dMainFreq[info->nChannel]);
        plainSpectrum(p.nData, n, row.data(), f.dFilterMainFreq[info->nChannel]);
    }
}

// ---- FFTW reference ---------------------------------------------------------

struct FftwPipeline {
    int len = 2 * kSamples;
    double *rin = nullptr;
    fftw_complex *cout = nullptr;
    fftw_plan fwd = nullptr, inv = nullptr, spectrumPlan = nullptr;
    std::vector<C> kernel;
    int taps = 0;

    FftwPipeline()
    {
        rin = fftw_alloc_real(size_t(len));
        cout = fftw_alloc_complex(size_t(len / 2 + 1));
        fwd = fftw_plan_dft_r2c_1d(len, rin, cout, FFTW_MEASURE);
        inv = fftw_plan_dft_c2r_1d(len, cout, rin, FFTW_MEASURE);
        spectrumPlan = fftw_plan_dft_r2c_1d(kSamples, rin, cout, FFTW_MEASURE);
        const std::vector<double> h = designBandpass(500, 2000, 20000);
        taps = int(h.size());
        std::fill(rin, rin + len, 0.0);
        for (size_t i = 0; i < h.size(); ++i)
            rin[i] = h[i] / len;
        fftw_execute(fwd);
        kernel.assign(reinterpret_cast<C *>(cout), reinterpret_cast<C *>(cout) + len / 2 + 1);
    }
    ~FftwPipeline()
    {
        fftw_destroy_plan(fwd);
        fftw_destroy_plan(inv);
        fftw_destroy_plan(spectrumPlan);
        fftw_free(rin);
        fftw_free(cout);
    }

    void wave(const WaveAnalyzeInfo &info, Survey &s, double *r, fftw_complex *c) const
    {
        const WaveBlock &o = *s.groups[info.nMeasurePoint]->blocks[info.nChannel];
        WaveBlock &p = *s.filtered[info.nMeasurePoint]->blocks[info.nChannel];
        FftInfo &f = *s.ffts[info.nMeasurePoint];
        const int ch = info.nChannel, n = kSamples;
        p = o;
        for (int i = 0; i < n; ++i)
            r[i] = o.nData[i] - 32767;
        std::fill(r + n, r + len, 0.0);
        fftw_execute_dft_r2c(fwd, r, c);
        C *X = reinterpret_cast<C *>(c);
        // spectrum of the original from the even bins
        thread_local std::vector<double> rowBuffer = std::vector<double>(size_t(kMaxSamples));
        double *row = rowBuffer.data();
        row[0] = 0;
        int bestK = 0;
        for (int k = 1; k < n; ++k) {
            const int b = k <= n / 2 ? k : n - k;
            row[k] = 2 * std::sqrt(std::norm(X[2 * b])) / n;
            if (k <= n / 2 && row[k] > row[bestK])
                bestK = k;
        }
        f.dMainFreq[ch] = bestK * (kFs / (n - 1));
        for (int k = 0; k <= len / 2; ++k)
            X[k] *= kernel[size_t(k)];
        fftw_execute_dft_c2r(inv, c, r);
        const int d = (taps - 1) / 2;
        for (int i = 0; i < n; ++i)
            p.nData[i] = std::clamp(int(r[d + i]) + 32767, 0, 65535);
        for (int i = 0; i < n; ++i)
            r[i] = p.nData[i];
        fftw_execute_dft_r2c(spectrumPlan, r, c);
        row[0] = 0;
        bestK = 0;
        for (int k = 1; k < n; ++k) {
            const int b = k <= n / 2 ? k : n - k;
            row[k] = 2 * std::sqrt(std::norm(X[b])) / n;
            if (k <= n / 2 && row[k] > row[bestK])
                bestK = k;
        }
        f.dFilterMainFreq[ch] = bestK * (kFs / (n - 1));
    }

    void run(Survey &s, int threads) const
    {
        const int count = s.infos.size();
        std::vector<std::thread> pool;
        for (int t = 0; t < threads; ++t) {
            pool.emplace_back([&, t] {
                double *r = fftw_alloc_real(size_t(len));
                fftw_complex *c = fftw_alloc_complex(size_t(len / 2 + 1));
                for (int i = count * t / threads; i < count * (t + 1) / threads; ++i)
                    wave(*s.infos[i], s, r, c);
                fftw_free(r);
                fftw_free(c);
            });
        }
        for (auto &th : pool)
            th.join();
    }
};

int maxSampleDiff(const Survey &a, const Survey &b)
{
    int d = 0;
    for (int g = 0; g < a.groups.size(); ++g)
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < kSamples; ++i)
                d = std::max(d, std::abs(a.filtered[g]->blocks[c]->nData[i] - b.filtered[g]->blocks[c]->nData[i]));
    return d;
}

int mainFreqMismatches(const Survey &a, const Survey &b)
{
    int m = 0;
    for (int g = 0; g < a.groups.size(); ++g)
        for (int c = 0; c < 3; ++c) {
            m += (a.ffts[g]->dMainFreq[c] != b.ffts[g]->dMainFreq[c])
                + (a.ffts[g]->dFilterMainFreq[c] != b.ffts[g]->dFilterMainFreq[c]);
        }
    return m;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int points = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    const int repeats = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    const int threads = QThreadPool::globalInstance()->maxThreadCount();

    Survey ours = makeSurvey(points), plain = makeSurvey(points), fftw = makeSurvey(points);
    std::printf("survey: %d points, %d waves x %d samples\n", points, ours.infos.size(), kSamples);

    // The quick pipelines take turns so that a load change on a shared
    // machine hits all of them alike; the best time of each counts.
    FftwPipeline pipeline;
    QThreadPool *pool = QThreadPool::globalInstance();
    double ours1 = 1e300, oursN = 1e300, fftw1 = 1e300, fftwN = 1e300;
    MeasurementModel oursModel = MeasurementModel::fromLists(ours.groups, ours.filtered, ours.infos, ours.ffts);
    auto runOurs = [&] { processing::processWaves(oursModel, -1); };
    for (int r = 0; r < repeats; ++r) {
        pool->setMaxThreadCount(1);
        ours1 = std::min(ours1, seconds(runOurs));
        pool->setMaxThreadCount(threads);
        oursN = std::min(oursN, seconds(runOurs));
        fftw1 = std::min(fftw1, seconds([&] { pipeline.run(fftw, 1); }));
        fftwN = std::min(fftwN, seconds([&] { pipeline.run(fftw, threads); }));
    }
    const double tPlain = best(std::max(1, repeats / 3), [&] { straightforward(plain); });

    std::printf("ours             1 thread : %8.3f s\n", ours1);
    std::printf("ours             %d threads: %8.3f s\n", threads, oursN);
    std::printf("straightforward  1 thread : %8.3f s\n", tPlain);
    std::printf("fftw             1 thread : %8.3f s\n", fftw1);
    std::printf("fftw             %d threads: %8.3f s\n", threads, fftwN);
    std::printf("check: max sample difference ours/straightforward %d, ours/fftw %d; "
                "main frequency mismatches %d, %d of %d\n",
                maxSampleDiff(ours, plain), maxSampleDiff(ours, fftw), mainFreqMismatches(ours, plain),
                mainFreqMismatches(ours, fftw), 2 * ours.infos.size());
    std::printf("single thread: straightforward/ours=%.2f ours/fftw=%.2f\n", tPlain / ours1, ours1 / fftw1);
    std::printf("dsp: straightforward/ours=%.2f ours/fftw=%.2f threads=%d\n", tPlain / oursN, oursN / fftwN, threads);
    return 0;
}
