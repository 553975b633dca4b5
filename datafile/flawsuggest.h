// Flaw suggestions over a survey's records: the detector's input made from
// the file's lists, and the one rule that turns suggestions into marks (used
// by `kvr-cli suggest --apply` and the window's accept commands).
#pragma once

#include "datafile/records.h"
#include "dsp/flawdetect.h"

#include <QString>
#include <QVector>
#include <vector>

class KvrDocument;
struct DocResult;

namespace flawsuggest {

// The detector's input for every analysis record, in list order: the
// processed samples of `filtered` and, when `originals` holds the recording
// (at least as long), the recording. Records that point to no wave get a
// wave without samples. The lists must outlive the returned input.
std::vector<dsp::FlawWave> detectorInput(const WaveGroupList &filtered, const WaveGroupList &originals,
                                         const WaveAnalyzeInfoList &infos);

// One suggestion per analysis record, in list order.
QVector<dsp::FlawSuggestion> suggest(const WaveGroupList &filtered, const WaveGroupList &originals,
                                     const WaveAnalyzeInfoList &infos,
                                     const dsp::SuggestOptions &options = dsp::SuggestOptions());

// Which suggestions become marks.
struct AcceptRule {
    double minConfidence = dsp::kRecommendedConfidence; // suggestions at or above it
    bool replaceMarks = false;                          // waves the engineer has marked already get the suggestion too
};

// True when the rule takes a suggestion of this confidence for a wave that
// is (`marked`) or is not marked yet.
bool accepts(const AcceptRule &rule, double confidence, bool marked);

// A mark to set: the top at `top`, and the cave's floor at `bottom` (-1:
// the suggestion has no floor at or above the rule's confidence).
struct AcceptedMark {
    int wave = -1; // index into the analysis list
    int top = -1;
    int bottom = -1;
};

struct AcceptPlan {
    QVector<AcceptedMark> marks;
    int kept = 0; // marked waves whose mark the rule keeps
};

// The marks the rule sets for `suggestions` (one per analysis record, in
// list order). Waves whose mark already is the suggestion are left out.
AcceptPlan planAccept(const WaveAnalyzeInfoList &infos, const QVector<dsp::FlawSuggestion> &suggestions,
                      const AcceptRule &rule);

// Sets the planned marks as one undoable step named `text`; `plan` receives
// what was set. Nothing changes when a mark is refused.
DocResult acceptSuggestions(KvrDocument &doc, const QVector<dsp::FlawSuggestion> &suggestions, const AcceptRule &rule,
                            const QString &text, AcceptPlan *plan = nullptr);

// Takes the suggestion of wave `wave` (an index into the analysis list),
// whatever its confidence, as one undoable step named `text`: the top, and
// the cave's floor when that is recommended (as accepting all does at the
// recommended threshold); without one, a bottom marked below the new top
// stays. An invalid suggestion changes nothing.
DocResult acceptSuggestion(KvrDocument &doc, int wave, const dsp::FlawSuggestion &suggestion, const QString &text);

} // namespace flawsuggest
