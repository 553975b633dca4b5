// Renders the wave list and the focused-wave view offscreen into PNG files:
// white and black background with fill on, the focused wave as curves
// (filtered over original) with a flaw marked, and as spectra.
#pragma once

#include "datafile/records.h"

#include <QStringList>

// Writes the pictures into outDir and returns their paths (empty on a write
// failure). `flawPos` is marked on the focused trace when it has no mark
// (the record is copied first; the caller's model is not changed).
QStringList renderViewShots(const QString &outDir, const FileHeadPtr &head, const WaveGroupList &groups,
                            const WaveGroupList &filtered, const WaveAnalyzeInfoList &infos, const FftInfoList &ffts,
                            int focusIndex, int flawPos);
