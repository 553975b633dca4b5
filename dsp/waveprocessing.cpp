#include "waveprocessing.h"

#include "fft.h"
#include "firfilter.h"

#include <QDebug>
#include <QHash>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <tuple>
#include <vector>

namespace dsp {

namespace {

struct Design {
    bool ok = false;
    QString error;
    std::vector<double> taps;
};

struct Kernel {
    int length = 0;
    int taps = 0;
    std::vector<double> spectrum;
};

struct Job {
    int record = 0;
    int group = 0;
    int channel = 0;
    const Design *design = nullptr;
    const Kernel *kernel = nullptr; // null: no filtering (refused design or no samples)
    FftInfo *fft = nullptr;
};

// Single-sided spectrum and main frequency from an already computed half
// spectrum `bins` of the `p`-point transform of the wave (bin 0 ignored),
// read with a stride (2 when the bins come from a transform twice as long).
double spectrumFromBins(const double *bins, int stride, int p, int count, double fs, double *row)
{
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
    const int last = std::min(count - 1, half);
    int best = 0;
    for (int k = 1; k <= last; ++k)
        if (row[k] > row[best])
            best = k;
    return double(best) * (fs / double(count - 1));
}

void runJob(const Job &job, const WaveGroupList &groups, const WaveGroupList &filtered)
{
    const WaveBlock &o = *groups.at(job.group)->blocks[job.channel];
    WaveBlock &p = *filtered.at(job.group)->blocks[job.channel];
    p = o;
    const int n = std::clamp(int(o.nDataCnt), 0, kMaxSamples);
    bool originalDone = false;
    // The spectra only give the main frequencies here; a view that shows a
    // spectrum computes it again (dsp::blockSpectrum).
    thread_local std::vector<double> row = std::vector<double>(size_t(kMaxSamples));

    if (job.kernel && n > 0) {
        const Kernel &k = *job.kernel;
        const RealFft &plan = realFftPlan(k.length);
        thread_local std::vector<double> work;
        if (int(work.size()) < plan.bufferSize())
            work.resize(size_t(plan.bufferSize()));
        double *x = work.data();
        for (int i = 0; i < n; ++i)
            x[i] = double(o.nData[i] - kZeroLevel);
        std::fill(x + n, x + plan.bufferSize(), 0.0);
        plan.forward(x);
        // For a full power-of-two wave the even bins of the zero-padded
        // transform are the spectrum of the wave itself (the centring only
        // changes bin 0, which the spectrum discards).
        const int pow2 = int(nextPow2(unsigned(n)));
        if (job.fft && pow2 == n && k.length == 2 * n) {
            job.fft->dMainFreq[job.channel] = spectrumFromBins(x, 2, n, n, kSampleRate, row.data());
            originalDone = true;
        }
        const double *h = k.spectrum.data();
        for (int b = 0; b <= k.length / 2; ++b) {
            const double xr = x[2 * b], xi = x[2 * b + 1];
            const double hr = h[2 * b], hi = h[2 * b + 1];
            x[2 * b] = xr * hr - xi * hi;
            x[2 * b + 1] = xr * hi + xi * hr;
        }
        plan.inverse(x);
        const int delay = (k.taps - 1) / 2;
        // Truncation toward zero, then back onto the zero line and into
        // 0..65535; bounding first keeps every conversion defined.
        const double *y = x + delay;
        for (int i = 0; i < n; ++i) {
            const double v = y[i] > -1e6 ? (y[i] < 1e6 ? y[i] : 1e6) : -1e6;
            const int s = int(v) + kZeroLevel;
            p.nData[i] = s < 0 ? 0 : (s > 65535 ? 65535 : s);
        }
    }
    if (job.fft) {
        if (!originalDone)
            job.fft->dMainFreq[job.channel] = spectrumAndMainFrequency(o.nData, n, kSampleRate, row.data());
        job.fft->dFilterMainFreq[job.channel] = spectrumAndMainFrequency(p.nData, n, kSampleRate, row.data());
    }
}

bool validBlock(const WaveGroupList &list, int group, int channel)
{
    return group >= 0 && group < list.size() && list.at(group) && channel >= 0 && channel < kChannelsPerGroup
        && list.at(group)->blocks[channel];
}

} // namespace

QStringList applyWaveParams(const WaveGroupList &groups, const WaveGroupList &filtered,
                            const WaveAnalyzeInfoList &infos, const FftInfoList &ffts, int index,
                            const ProgressFunc &progress)
{
    QStringList problems;
    if (infos.isEmpty())
        return problems;
    if (index < -1 || index >= infos.size()) {
        const QString text =
            QStringLiteral("wave %1: no such analysis record (%2 records)").arg(index).arg(infos.size());
        qDebug("applyWaveParams: %s", qPrintable(text));
        return {text};
    }
    const int first = index < 0 ? 0 : index;
    const int last = index < 0 ? infos.size() - 1 : index;

    // Per record: its problem (if any) and, for valid ones, the job target.
    std::vector<QString> notes(size_t(last - first + 1));
    QHash<int, int> lastRecordOfTarget; // group * 4 + channel -> record
    std::vector<int> order;
    for (int r = first; r <= last; ++r) {
        const WaveAnalyzeInfoPtr &info = infos.at(r);
        if (!info) {
            notes[size_t(r - first)] = QStringLiteral("wave %1: empty analysis record").arg(r);
            continue;
        }
        const int g = info->nMeasurePoint, c = info->nChannel;
        if (!validBlock(groups, g, c) || !validBlock(filtered, g, c)) {
            notes[size_t(r - first)] =
                QStringLiteral("wave %1: measure point %2 channel %3 does not exist, skipped").arg(r).arg(g).arg(c);
            continue;
        }
        if (groups.at(g)->blocks[c] == filtered.at(g)->blocks[c]) {
            // An empty block is shared by the processed copy (nothing to
            // process); any other shared buffer must not be overwritten.
            if (groups.at(g)->blocks[c]->nDataCnt <= 0) {
                if (g < ffts.size() && ffts.at(g))
                    ffts.at(g)->dMainFreq[c] = ffts.at(g)->dFilterMainFreq[c] = 0.0;
                continue;
            }
            notes[size_t(r - first)] =
                QStringLiteral("wave %1: processed copy shares the original's buffer, skipped").arg(r);
            continue;
        }
        // Two records for the same wave: the later one decides, as if they
        // had been applied one after the other.
        const int target = g * kBlocksPerGroup + c;
        if (!lastRecordOfTarget.contains(target))
            order.push_back(target);
        lastRecordOfTarget[target] = r;
    }

    // Designs and kernel transforms, once per distinct setting.
    std::map<std::tuple<int, int, int, int>, Design> designs;
    std::map<std::tuple<int, int, int, int, int>, Kernel> kernels;
    std::vector<Job> jobs;
    jobs.reserve(order.size());
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return lastRecordOfTarget.value(a) < lastRecordOfTarget.value(b); });
    for (int target : order) {
        const int r = lastRecordOfTarget.value(target);
        const WaveAnalyzeInfo &info = *infos.at(r);
        Job job;
        job.record = r;
        job.group = info.nMeasurePoint;
        job.channel = info.nChannel;
        const int window = std::clamp(int(info.nFilterWindow), 0, int(FirWindow::Blackman));
        const auto key = std::make_tuple(window, int(info.nFilterOrder), int(info.nLowCutoff), int(info.nHighCutoff));
        auto it = designs.find(key);
        if (it == designs.end()) {
            Design d;
            FirFilter filter;
            d.ok = filter.bandpass(info.nFilterWindow, info.nFilterOrder, double(info.nLowCutoff),
                                   double(info.nHighCutoff), kSampleRate, 1, &d.error);
            d.taps = std::move(filter.coefficients);
            it = designs.emplace(key, std::move(d)).first;
        }
        job.design = &it->second;
        if (!job.design->ok) {
            notes[size_t(r - first)] = QStringLiteral("wave %1 (measure point %2 channel %3): not filtered: %4")
                                           .arg(r)
                                           .arg(job.group)
                                           .arg(job.channel)
                                           .arg(job.design->error);
        }
        const int n = std::clamp(int(groups.at(job.group)->blocks[job.channel]->nDataCnt), 0, kMaxSamples);
        if (job.design->ok && n > 0) {
            const int taps = int(job.design->taps.size());
            const int length = convolutionLength(n, taps);
            const auto kkey = std::tuple_cat(key, std::make_tuple(length));
            auto kit = kernels.find(kkey);
            if (kit == kernels.end()) {
                Kernel k;
                k.length = length;
                k.taps = taps;
                k.spectrum = kernelSpectrum(job.design->taps, length);
                kit = kernels.emplace(kkey, std::move(k)).first;
            }
            job.kernel = &kit->second;
        }
        if (job.group < ffts.size() && ffts.at(job.group)) {
            job.fft = ffts.at(job.group).data();
        } else if (notes[size_t(r - first)].isEmpty()) {
            notes[size_t(r - first)] =
                QStringLiteral("wave %1: measure point %2 has no spectrum record").arg(r).arg(job.group);
        }
        jobs.push_back(job);
    }

    // Every job writes only its own block, its own spectrum rows and main
    // frequencies, so the result does not depend on how the jobs are spread.
    const int total = int(jobs.size());
    if (total < 2) {
        for (const Job &job : jobs)
            runJob(job, groups, filtered);
    } else if (!progress) {
        QtConcurrent::blockingMap(jobs, [&](const Job &job) { runJob(job, groups, filtered); });
    } else {
        // In slices, to say how far it got.
        const int slice = std::max(1, (total + 15) / 16);
        for (int from = 0; from < total; from += slice) {
            const int to = std::min(total, from + slice);
            QtConcurrent::blockingMap(jobs.begin() + from, jobs.begin() + to,
                                      [&](const Job &job) { runJob(job, groups, filtered); });
            progress(to, total);
        }
    }

    for (const QString &note : notes) {
        if (note.isEmpty())
            continue;
        qDebug("applyWaveParams: %s", qPrintable(note));
        problems << note;
    }
    return problems;
}

float computeAdaptiveGain(const WaveGroupList &groups, const WaveAnalyzeInfoList &infos)
{
    int p = 0, q = 0;
    bool any = false;
    for (const WaveAnalyzeInfoPtr &info : infos) {
        if (!info || !validBlock(groups, info->nMeasurePoint, info->nChannel))
            continue;
        any = true;
        const WaveBlock &b = *groups.at(info->nMeasurePoint)->blocks[info->nChannel];
        const int n = std::min(int(b.nDataCnt), kMaxSamples);
        int pos = 32767, neg = 32768;
        if (n >= 1) {
            int mx = 0, mn = 65535;
            for (int i = 0; i < n; ++i) {
                mx = std::max(mx, int(b.nData[i]));
                mn = std::min(mn, int(b.nData[i]));
            }
            pos = int(std::min<qint64>(std::llabs(qint64(mx) - kZeroLevel), 1 << 30));
            neg = int(std::min<qint64>(std::llabs(qint64(mn) - kZeroLevel), 1 << 30));
        }
        p = std::max(p, pos);
        q = std::max(q, neg);
    }
    if (!any)
        return 1.0f;
    qDebug("最大幅度为 ... %d, %d, %f, %f", q, p, q / 32767.0, p / 32767.0);
    const int m = std::max(p, q);
    if (m == 0)
        return 1.0f;
    const int g = int(std::floor(float(32767.0 / double(m))));
    return float(g > 10 ? 10 : std::max(g, 1));
}

} // namespace dsp
