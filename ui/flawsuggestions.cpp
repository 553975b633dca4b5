#include "flawsuggestions.h"

#include <algorithm>

void FlawSuggestions::readFilter(const WaveAnalyzeInfo &r, int *filter)
{
    filter[0] = r.nFilterWindow;
    filter[1] = r.nLowCutoff;
    filter[2] = r.nHighCutoff;
    filter[3] = r.nFilterOrder;
}

void FlawSuggestions::assign(const WaveAnalyzeInfoList &infos, const QVector<dsp::FlawSuggestion> &found)
{
    m_byRecord.clear();
    // Every record is remembered with its filter, with or without a suggestion.
    for (int i = 0; i < infos.size(); ++i) {
        const WaveAnalyzeInfoPtr &r = infos.at(i);
        if (!r)
            continue;
        Entry e;
        e.record = r;
        readFilter(*r, e.filter);
        if (i < found.size())
            e.suggestion = found.at(i);
        m_byRecord.insert(r.data(), e);
    }
    if (isEmpty())
        m_byRecord.clear();
}

int FlawSuggestions::count(double minConfidence) const
{
    int n = 0;
    for (const Entry &e : m_byRecord)
        n += e.suggestion.isValid() && e.suggestion.confidence >= minConfidence;
    return n;
}

bool FlawSuggestions::holdsFor(const WaveAnalyzeInfoList &infos) const
{
    int records = 0;
    for (const WaveAnalyzeInfoPtr &r : infos) {
        if (!r)
            continue;
        ++records;
        const auto it = m_byRecord.constFind(r.data());
        if (it == m_byRecord.constEnd())
            return false;
        int filter[4];
        readFilter(*r, filter);
        if (!std::equal(filter, filter + 4, it->filter))
            return false;
    }
    return records == m_byRecord.size();
}

dsp::FlawSuggestion FlawSuggestions::of(const WaveAnalyzeInfoPtr &record) const
{
    const auto it = m_byRecord.constFind(record.data());
    return (record && it != m_byRecord.constEnd()) ? it->suggestion : dsp::FlawSuggestion();
}

WaveSuggestionList FlawSuggestions::forList(const WaveAnalyzeInfoList &infos) const
{
    WaveSuggestionList list;
    if (isEmpty())
        return list;
    list.resize(infos.size());
    for (int i = 0; i < infos.size(); ++i) {
        const dsp::FlawSuggestion s = of(infos.at(i));
        if (s.isValid())
            list[i] = {infos.at(i), s};
    }
    return list;
}
