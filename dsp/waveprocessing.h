// Processing of the waves of an open file: band-pass filtering of every
// analysis record's wave into the filter wave group list, the two amplitude
// spectra and main frequencies per wave, and the adaptive gain of the file.
#pragma once

#include "datafile/records.h"

#include <QStringList>
#include <functional>

namespace dsp {

// Recomputes the processed copy, spectra and main frequencies of analysis
// record `index` of `infos`, or of every record when index is -1.
// Every recomputation starts from the original block: the processed block
// becomes a copy of it, then (when the record's filter can be designed and
// the wave has samples) the band-pass filtered samples, clamped to 0..65535.
// Records whose filter cannot be designed keep an unfiltered processed copy;
// records pointing to a missing group or to a channel outside 0..2 are
// skipped. One readable line per such record is returned, in record order
// (empty list: all filtered). With several records for the same wave the
// later one decides. A block without samples may be shared by both lists
// (there is nothing to process); any other shared block is left alone and
// reported. Waves are spread over the global thread pool; the result does
// not depend on the number of threads. `progress`, when given, is called
// now and then with the waves done and the waves to do.
using ProgressFunc = std::function<void(int done, int total)>;
QStringList applyWaveParams(const WaveGroupList &groups, const WaveGroupList &filtered,
                            const WaveAnalyzeInfoList &infos, const FftInfoList &ffts, int index,
                            const ProgressFunc &progress = ProgressFunc());

// The adaptive gain of the file: a whole number from 1 to 10 (1 when no
// record refers to an existing wave).
float computeAdaptiveGain(const WaveGroupList &groups, const WaveAnalyzeInfoList &infos);

} // namespace dsp
