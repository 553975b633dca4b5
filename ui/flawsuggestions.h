// The flaw suggestions shown over the open survey. They are the window's,
// not the survey's: finding or dismissing them changes no record.
//
// Suggestions belong to the records they were found on. The detector
// compares each wave with the other channels of its point and with the
// neighbouring points, all as filtered at the time, so the suggestions hold
// while waves are only marked, re-gained or reordered, and no longer once a
// wave was added or removed or any wave's filter changed.
#pragma once

#include "datafile/records.h"
#include "dsp/flawdetect.h"
#include "views/wavedisplaystate.h"

#include <QHash>
#include <QVector>

class FlawSuggestions
{
public:
    // What the detector found for `infos` (one result per record, in order).
    void assign(const WaveAnalyzeInfoList &infos, const QVector<dsp::FlawSuggestion> &found);
    void clear() { m_byRecord.clear(); }
    // No suggestion at all.
    bool isEmpty() const { return count() == 0; }
    // Suggestions, and those at or above `minConfidence`.
    int count(double minConfidence = 0.0) const;

    // False when `infos` is no longer the list of waves, filtered alike,
    // that the suggestions were found on.
    bool holdsFor(const WaveAnalyzeInfoList &infos) const;
    // The suggestion for `record` (invalid when there is none).
    dsp::FlawSuggestion of(const WaveAnalyzeInfoPtr &record) const;
    // For the views: by index of `infos`.
    WaveSuggestionList forList(const WaveAnalyzeInfoList &infos) const;

private:
    struct Entry {
        WaveAnalyzeInfoPtr record; // kept, so that its address is never another record's
        int filter[4] = {0, 0, 0, 0};
        dsp::FlawSuggestion suggestion;
    };
    static void readFilter(const WaveAnalyzeInfo &r, int *filter);

    QHash<const WaveAnalyzeInfo *, Entry> m_byRecord;
};
