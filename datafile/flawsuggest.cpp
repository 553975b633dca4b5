#include "flawsuggest.h"

#include "datafile/kvrdocument.h"

namespace flawsuggest {

namespace {

const WaveBlock *blockOf(const WaveGroupList &list, int group, int channel)
{
    if (group < 0 || group >= list.size() || !list.at(group) || channel < 0 || channel >= kChannelsPerGroup)
        return nullptr;
    return list.at(group)->blocks[channel].data();
}

// Waves with equal keys were filtered alike.
qint64 processingKey(const WaveAnalyzeInfo &a)
{
    quint64 h = 1469598103934665603ull;
    for (qint64 v : {qint64(a.nLowCutoff), qint64(a.nHighCutoff), qint64(a.nFilterOrder), qint64(a.nFilterWindow)})
        h = (h ^ quint64(v)) * 1099511628211ull;
    return qint64(h);
}

} // namespace

std::vector<dsp::FlawWave> detectorInput(const WaveGroupList &filtered, const WaveGroupList &originals,
                                         const WaveAnalyzeInfoList &infos)
{
    std::vector<dsp::FlawWave> waves(size_t(infos.size()));
    for (int k = 0; k < infos.size(); ++k) {
        const WaveAnalyzeInfoPtr &info = infos.at(k);
        if (!info)
            continue;
        dsp::FlawWave &w = waves[size_t(k)];
        w.measurePoint = info->nMeasurePoint;
        w.channel = info->nChannel;
        w.processing = processingKey(*info);
        // The filter saw past the end of the wave over its last half length.
        w.edge = int(info->nFilterOrder) / 2;
        if (info->nMeasurePoint >= 0 && info->nMeasurePoint < filtered.size() && filtered.at(info->nMeasurePoint)) {
            const qint32 speed = filtered.at(info->nMeasurePoint)->head.nWaveSpeed;
            if (speed >= qint32(kMinWaveSpeed) && speed <= qint32(kMaxWaveSpeed))
                w.waveSpeed = speed;
        }
        const WaveBlock *b = blockOf(filtered, info->nMeasurePoint, info->nChannel);
        if (!b)
            continue;
        w.samples = b->nData;
        w.count = std::clamp(int(b->nDataCnt), 0, kMaxSamples);
        const WaveBlock *o = blockOf(originals, info->nMeasurePoint, info->nChannel);
        if (o && o->nDataCnt >= b->nDataCnt) {
            w.original = o->nData;
            w.originalCount = std::clamp(int(o->nDataCnt), 0, kMaxSamples);
        }
    }
    return waves;
}

QVector<dsp::FlawSuggestion> suggest(const WaveGroupList &filtered, const WaveGroupList &originals,
                                     const WaveAnalyzeInfoList &infos, const dsp::SuggestOptions &options)
{
    return dsp::suggestFlaws(detectorInput(filtered, originals, infos), options);
}

bool accepts(const AcceptRule &rule, double confidence, bool marked)
{
    return confidence >= rule.minConfidence && (rule.replaceMarks || !marked);
}

AcceptPlan planAccept(const WaveAnalyzeInfoList &infos, const QVector<dsp::FlawSuggestion> &suggestions,
                      const AcceptRule &rule)
{
    AcceptPlan plan;
    for (int k = 0; k < infos.size() && k < suggestions.size(); ++k) {
        const dsp::FlawSuggestion &s = suggestions.at(k);
        if (!infos.at(k) || !s.isValid())
            continue;
        const int mark = infos.at(k)->nFlawPos;
        const bool withBottom = s.hasBottom() && s.bottomConfidence >= rule.minConfidence;
        if ((mark == s.sample && (!withBottom || flawBottom(*infos.at(k)) == s.bottomSample))
            || s.confidence < rule.minConfidence)
            continue;
        if (!accepts(rule, s.confidence, mark >= 0)) {
            ++plan.kept;
            continue;
        }
        AcceptedMark m;
        m.wave = k;
        m.top = s.sample;
        if (withBottom)
            m.bottom = s.bottomSample;
        plan.marks << m;
    }
    return plan;
}

DocResult acceptSuggestions(KvrDocument &doc, const QVector<dsp::FlawSuggestion> &suggestions, const AcceptRule &rule,
                            const QString &text, AcceptPlan *plan)
{
    const AcceptPlan p = planAccept(doc.model().waveAnalyzeInfoList(), suggestions, rule);
    QVector<KvrDocument::CaveMarkEdit> edits;
    for (const AcceptedMark &m : p.marks)
        edits << KvrDocument::CaveMarkEdit {m.wave, m.top, m.bottom >= 0 ? m.bottom : kNoValue};
    DocResult r;
    r.ok = true;
    if (!edits.isEmpty())
        r = doc.setCaveMarks(edits, text);
    if (plan)
        *plan = r.ok ? p : AcceptPlan();
    return r;
}

DocResult acceptSuggestion(KvrDocument &doc, int wave, const dsp::FlawSuggestion &suggestion, const QString &text)
{
    if (!suggestion.isValid()) {
        DocResult r;
        r.ok = true;
        return r;
    }
    const bool withBottom = suggestion.hasBottom() && suggestion.bottomConfidence >= dsp::kRecommendedConfidence;
    return doc.setCaveMarks({{wave, suggestion.sample, withBottom ? suggestion.bottomSample : kNoValue}}, text);
}

} // namespace flawsuggest
