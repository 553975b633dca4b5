// How the wave views draw, handed to them by the workspace: the views keep
// no settings of their own and read nothing process-wide while painting.
#pragma once

#include "datafile/records.h"
#include "dsp/flawdetect.h"

#include <QVector>

struct WaveDisplayState {
    int nSampleCount = 1024;        // samples on the time axis, 1..4096
    bool blNormalized = false;      // every wave at full height instead of its manual gain
    bool blFill = false;            // fill the positive half-waves
    bool blBlackBackground = false; // black background (white otherwise)
    double fFontScale = 1.0;        // display scale for fonts and margins
    bool blVariableDensity = false; // wave list as one grey column per trace instead of wiggles

    bool operator==(const WaveDisplayState &o) const
    {
        return nSampleCount == o.nSampleCount && blNormalized == o.blNormalized && blFill == o.blFill
            && blBlackBackground == o.blBlackBackground && fFontScale == o.fFontScale
            && blVariableDensity == o.blVariableDensity;
    }
    bool operator!=(const WaveDisplayState &o) const { return !(*this == o); }
};

// A flaw suggestion as the views show it (a hollow marker), with the record
// of the wave it was found on: a view shows it only while that record is at
// its place in the list, so a list that changed under it never shows a
// suggestion on another wave.
struct WaveSuggestion {
    WaveAnalyzeInfoPtr record;
    dsp::FlawSuggestion suggestion;
};
// By analysis-list index; shorter lists and empty records show nothing.
using WaveSuggestionList = QVector<WaveSuggestion>;
