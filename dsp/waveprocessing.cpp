#include "waveprocessing.h"

#include "datafile/records.h"
#include "fft.h"

#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <map>
#include <tuple>

namespace dsp {

namespace {

struct Design {
    FirError error = FirError::None;
    std::vector<double> taps;
};

struct Task {
    const WaveJob *job = nullptr;
    WaveOutcome *outcome = nullptr;
    const FilterKernel *kernel = nullptr; // null: no filtering (refused design or no samples)
};

void runTask(const Task &task)
{
    const WaveJob &job = *task.job;
    WaveOutcome &out = *task.outcome;
    const int n = std::clamp(job.count, 0, kMaxSamples);
    // The spectra only give the main frequencies here; a view that shows a
    // spectrum computes it again (dsp::amplitudeSpectrum).
    thread_local std::vector<double> row = std::vector<double>(size_t(kMaxSamples));
    bool originalDone = false;
    if (task.kernel && n > 0) {
        // For a full power-of-two wave the even bins of the zero-padded
        // transform are the spectrum of the wave itself (the centring only
        // changes bin 0, which the spectrum discards).
        BinsFunc seeInput;
        if (int(nextPow2(unsigned(n))) == n && task.kernel->length == 2 * n) {
            seeInput = [&](const double *bins) {
                out.mainFrequency = spectrumFromBins(bins, 2, n, kSampleRate, row.data());
                originalDone = true;
            };
        }
        filterWave(job.original, n, *task.kernel, job.processed, seeInput);
    }
    if (!originalDone)
        out.mainFrequency = spectrumAndMainFrequency(job.original, n, kSampleRate, row.data());
    out.processedMainFrequency = spectrumAndMainFrequency(job.processed, n, kSampleRate, row.data());
}

} // namespace

void filterWave(const qint32 *original, int count, const FilterKernel &kernel, qint32 *processed,
                const BinsFunc &seeInput)
{
    thread_local std::vector<double> x;
    if (int(x.size()) < count)
        x.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        x[size_t(i)] = double(original[i] - kZeroLevel);
    convolve(x.data(), count, kernel, x.data(), seeInput);
    // Truncation toward zero, then back onto the zero line and into
    // 0..65535; bounding first keeps every conversion defined.
    for (int i = 0; i < count; ++i) {
        const double y = x[size_t(i)];
        const double v = y > -1e6 ? (y < 1e6 ? y : 1e6) : -1e6;
        const int s = int(v) + kZeroLevel;
        processed[i] = s < 0 ? 0 : (s > 65535 ? 65535 : s);
    }
}

std::vector<WaveOutcome> processWaves(const std::vector<WaveJob> &jobs, const ProgressFunc &progress)
{
    std::vector<WaveOutcome> outcomes(jobs.size());
    // Designs and kernel transforms, once per distinct setting.
    std::map<std::tuple<int, int, int, int>, Design> designs;
    std::map<std::tuple<int, int, int, int, int>, FilterKernel> kernels;
    std::vector<Task> tasks(jobs.size());
    for (size_t i = 0; i < jobs.size(); ++i) {
        const WaveJob &job = jobs[i];
        const FilterSettings &f = job.filter;
        // The code as the design reads it: anything outside the table is Blackman.
        const int window =
            f.window >= FirWindow::Rectangle && f.window <= FirWindow::Blackman ? f.window : int(FirWindow::Blackman);
        const auto key = std::make_tuple(window, f.order, f.lowCutoff, f.highCutoff);
        auto it = designs.find(key);
        if (it == designs.end()) {
            Design d;
            FirFilter filter;
            filter.bandpass(window, f.order, double(f.lowCutoff), double(f.highCutoff), kSampleRate, 1, &d.error);
            d.taps = std::move(filter.coefficients);
            it = designs.emplace(key, std::move(d)).first;
        }
        const Design &design = it->second;
        tasks[i].job = &job;
        tasks[i].outcome = &outcomes[i];
        outcomes[i].error = design.error;
        const int n = std::clamp(job.count, 0, kMaxSamples);
        if (design.error == FirError::None && n > 0) {
            const int length = convolutionLength(n, int(design.taps.size()));
            const auto kkey = std::tuple_cat(key, std::make_tuple(length));
            auto kit = kernels.find(kkey);
            if (kit == kernels.end())
                kit = kernels.emplace(kkey, filterKernel(design.taps, length)).first;
            tasks[i].kernel = &kit->second;
        }
    }

    // Every task writes only its own wave and its own outcome, so the result
    // does not depend on how the tasks are spread.
    const int total = int(tasks.size());
    if (total < 2) {
        for (const Task &task : tasks)
            runTask(task);
    } else if (!progress) {
        QtConcurrent::blockingMap(tasks, runTask);
    } else {
        // In slices, to say how far it got.
        const int slice = std::max(1, (total + 15) / 16);
        for (int from = 0; from < total; from += slice) {
            const int to = std::min(total, from + slice);
            QtConcurrent::blockingMap(tasks.begin() + from, tasks.begin() + to, runTask);
            progress(to, total);
        }
    }
    return outcomes;
}

} // namespace dsp
