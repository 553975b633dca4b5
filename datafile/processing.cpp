#include "processing.h"

#include "dsp/gain.h"

#include <QCoreApplication>
#include <QDebug>
#include <QHash>
#include <algorithm>
#include <vector>

namespace processing {

namespace {

bool validBlock(const WaveGroupList &list, int group, int channel)
{
    return group >= 0 && group < list.size() && list.at(group) && channel >= 0 && channel < kChannelsPerGroup
        && list.at(group)->blocks[channel];
}

QString reason(const WaveProblem &p)
{
    switch (p.error) {
    case FirError::Order:
        return QCoreApplication::translate("KvrDocument", "滤波阶数 %1 不在 1 到 %2 之间")
            .arg(p.filter.order)
            .arg(FirFilter::kMaxOrder);
    case FirError::CutOffs:
        return QCoreApplication::translate("KvrDocument", "截止频率 %1–%2 Hz 须满足 0 < 下限 < 上限 < %3 Hz")
            .arg(p.filter.lowCutoff)
            .arg(p.filter.highCutoff)
            .arg(kSampleRate / 2.0);
    case FirError::Vanishes:
        return QCoreApplication::translate("KvrDocument", "窗函数在 %1 阶时为零").arg(p.filter.order);
    case FirError::NoGain:
        return QCoreApplication::translate("KvrDocument", "滤波器在 %1 Hz 处没有增益")
            .arg((double(p.filter.lowCutoff) + p.filter.highCutoff) / 2.0);
    default: return QCoreApplication::translate("KvrDocument", "滤波系数无法计算");
    }
}

} // namespace

QVector<WaveProblem> processWaves(MeasurementModel &model, int index, const dsp::ProgressFunc &progress)
{
    const WaveGroupList &groups = model.waveGroupList();
    const WaveGroupList &filtered = model.filterWaveGroupList();
    const WaveAnalyzeInfoList &infos = model.waveAnalyzeInfoList();
    const FftInfoList &ffts = model.fftInfoList();
    QVector<WaveProblem> problems;
    if (infos.isEmpty())
        return problems;
    if (index < -1 || index >= infos.size()) {
        WaveProblem p;
        p.kind = WaveProblem::NoSuchRecord;
        p.record = index;
        p.records = infos.size();
        return {p};
    }
    const int first = index < 0 ? 0 : index;
    const int last = index < 0 ? infos.size() - 1 : index;

    // Per record: its problem, if any; for the others, the wave it sets.
    std::vector<WaveProblem> notes(size_t(last - first + 1));
    std::vector<bool> noted(notes.size(), false);
    auto note = [&](int r, WaveProblem::Kind kind) -> WaveProblem & {
        WaveProblem &p = notes[size_t(r - first)];
        noted[size_t(r - first)] = true;
        p.kind = kind;
        p.record = r;
        if (const WaveAnalyzeInfoPtr &info = infos.at(r)) {
            p.measurePoint = info->nMeasurePoint;
            p.channel = info->nChannel;
        }
        return p;
    };
    QHash<int, int> lastRecordOfTarget; // group * 4 + channel -> record
    std::vector<int> order;
    for (int r = first; r <= last; ++r) {
        const WaveAnalyzeInfoPtr &info = infos.at(r);
        if (!info) {
            note(r, WaveProblem::EmptyRecord);
            continue;
        }
        const int g = info->nMeasurePoint, c = info->nChannel;
        if (!validBlock(groups, g, c) || !validBlock(filtered, g, c)) {
            note(r, WaveProblem::MissingWave);
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
            note(r, WaveProblem::SharedBuffer);
            continue;
        }
        // Two records for the same wave: the later one decides, as if they
        // had been applied one after the other.
        const int target = g * kBlocksPerGroup + c;
        if (!lastRecordOfTarget.contains(target))
            order.push_back(target);
        lastRecordOfTarget[target] = r;
    }
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return lastRecordOfTarget.value(a) < lastRecordOfTarget.value(b); });

    // Every job starts from a copy of the original block.
    std::vector<dsp::WaveJob> jobs;
    std::vector<int> jobRecord;
    jobs.reserve(order.size());
    jobRecord.reserve(order.size());
    for (int target : order) {
        const int r = lastRecordOfTarget.value(target);
        const WaveAnalyzeInfo &info = *infos.at(r);
        const WaveBlock &o = *groups.at(info.nMeasurePoint)->blocks[info.nChannel];
        WaveBlock &p = *filtered.at(info.nMeasurePoint)->blocks[info.nChannel];
        p = o;
        dsp::WaveJob job;
        job.original = o.nData;
        job.count = std::clamp(int(o.nDataCnt), 0, kMaxSamples);
        job.processed = p.nData;
        job.filter.window = info.nFilterWindow;
        job.filter.order = info.nFilterOrder;
        job.filter.lowCutoff = info.nLowCutoff;
        job.filter.highCutoff = info.nHighCutoff;
        jobs.push_back(job);
        jobRecord.push_back(r);
    }

    const std::vector<dsp::WaveOutcome> outcomes = dsp::processWaves(jobs, progress);

    for (size_t j = 0; j < jobs.size(); ++j) {
        const int r = jobRecord[j];
        const WaveAnalyzeInfo &info = *infos.at(r);
        const int g = info.nMeasurePoint, c = info.nChannel;
        if (outcomes[j].error != FirError::None) {
            WaveProblem &p = note(r, WaveProblem::NotFiltered);
            p.error = outcomes[j].error;
            p.filter = jobs[j].filter;
        }
        if (g < ffts.size() && ffts.at(g)) {
            ffts.at(g)->dMainFreq[c] = outcomes[j].mainFrequency;
            ffts.at(g)->dFilterMainFreq[c] = outcomes[j].processedMainFrequency;
        } else if (!noted[size_t(r - first)]) {
            note(r, WaveProblem::NoSpectrumRecord);
        }
    }

    for (size_t i = 0; i < notes.size(); ++i)
        if (noted[i])
            problems << notes[i];
    return problems;
}

QString describe(const WaveProblem &p)
{
    switch (p.kind) {
    case WaveProblem::NoSuchRecord:
        return QCoreApplication::translate("KvrDocument", "没有第 %1 个分析记录（共 %2 个）")
            .arg(p.record + 1)
            .arg(p.records);
    case WaveProblem::EmptyRecord:
        return QCoreApplication::translate("KvrDocument", "分析记录 %1 为空，已跳过").arg(p.record + 1);
    case WaveProblem::MissingWave:
        return QCoreApplication::translate("KvrDocument", "分析记录 %1 指向不存在的波形（测点 %2，通道 %3），已忽略")
            .arg(p.record + 1)
            .arg(p.measurePoint)
            .arg(p.channel);
    case WaveProblem::SharedBuffer:
        return QCoreApplication::translate("KvrDocument", "分析记录 %1 的处理波形与原始波形共用数据，未处理")
            .arg(p.record + 1);
    case WaveProblem::NotFiltered:
        return QCoreApplication::translate("KvrDocument", "分析记录 %1（测点 %2，通道 %3）未滤波：%4")
            .arg(p.record + 1)
            .arg(p.measurePoint + 1)
            .arg(p.channel + 1)
            .arg(reason(p));
    case WaveProblem::NoSpectrumRecord:
        return QCoreApplication::translate("KvrDocument", "分析记录 %1：测点 %2 没有频谱记录，主频未计算")
            .arg(p.record + 1)
            .arg(p.measurePoint + 1);
    }
    return QString();
}

QStringList describe(const QVector<WaveProblem> &problems)
{
    QStringList out;
    for (const WaveProblem &p : problems) {
        out << describe(p);
        qDebug("processWaves: %s", qPrintable(out.last()));
    }
    return out;
}

float adaptiveGain(const WaveGroupList &groups, const WaveAnalyzeInfoList &records)
{
    std::vector<dsp::SampleSpan> waves;
    waves.reserve(size_t(records.size()));
    for (const WaveAnalyzeInfoPtr &info : records) {
        if (!info || !validBlock(groups, info->nMeasurePoint, info->nChannel))
            continue;
        const WaveBlock &b = *groups.at(info->nMeasurePoint)->blocks[info->nChannel];
        waves.push_back({b.nData, std::clamp(int(b.nDataCnt), 0, kMaxSamples)});
    }
    return dsp::adaptiveGain(waves);
}

} // namespace processing
