#include "waveprocessing.h"

#include <cstring>

namespace dsp {

// Placeholder until the filtering pipeline lands: the processed copy equals
// the original and the spectra stay zero.
QStringList applyWaveParams(const WaveGroupList &groups, const WaveGroupList &filtered,
                            const WaveAnalyzeInfoList &infos, const FftInfoList &ffts,
                            int index)
{
    Q_UNUSED(ffts);
    const int first = index < 0 ? 0 : index;
    const int last = index < 0 ? infos.size() - 1 : index;
    for (int i = first; i <= last && i < infos.size(); ++i) {
        const auto &r = infos.at(i);
        if (r->nMeasurePoint < 0 || r->nMeasurePoint >= groups.size()
            || r->nMeasurePoint >= filtered.size() || r->nChannel < 0 || r->nChannel > 2)
            continue;
        *filtered.at(r->nMeasurePoint)->blocks[r->nChannel] =
            *groups.at(r->nMeasurePoint)->blocks[r->nChannel];
    }
    return {};
}

float computeAdaptiveGain(const WaveGroupList &, const WaveAnalyzeInfoList &)
{
    return 1.0f;
}

} // namespace dsp
