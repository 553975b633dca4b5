// Processing of the waves of an open file: band-pass filtering of every
// analysis record's wave into the filter wave group list, the two amplitude
// spectra and main frequencies per wave, and the adaptive gain of the file.
#pragma once

#include "datafile/records.h"

#include <QStringList>

namespace dsp {

// Recomputes the processed copy, spectra and main frequencies of analysis
// record `index` of `infos`, or of every record when index is -1.
// Records whose filter cannot be designed keep an unfiltered processed copy;
// one readable line per such record is returned (empty list: all filtered).
QStringList applyWaveParams(const WaveGroupList &groups, const WaveGroupList &filtered,
                            const WaveAnalyzeInfoList &infos, const FftInfoList &ffts,
                            int index);

// The adaptive gain of the file: a whole number from 1 to 10.
float computeAdaptiveGain(const WaveGroupList &groups, const WaveAnalyzeInfoList &infos);

} // namespace dsp
