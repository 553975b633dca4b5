// Flaw suggestions: where on each wave an echo of a cave below the pile
// bottom stands out of the noise, with a confidence. The engineer decides;
// nothing here changes a record. The method is described in
// docs/flaw-detection.md.
#pragma once

#include "datafile/records.h"

#include <QVector>
#include <vector>

namespace dsp {

// Suggestions at or above this confidence are recommended.
constexpr double kRecommendedConfidence = 0.5;

struct FlawSuggestion {
    int sample = -1;         // suggested flaw position (sample index); -1: nothing stands out
    double confidence = 0.0; // 0..1
    bool isValid() const { return sample >= 0; }
};

struct SuggestOptions {
    // Weaker suggestions are not reported at all.
    double minConfidence = 0.2;
    // Echoes at the same depth on the other channels of the measure point and
    // on the neighbouring measure points raise the confidence.
    bool useNeighbours = true;
    // The recorded waves (the group list the processed list was made from).
    // When given, the arrival is read on the recording (a narrow processing
    // filter makes echoes start early), and a one-sample spike in the
    // recording is recognised even after filtering has smeared it.
    WaveGroupList originals;
};

// One suggestion per analysis record, in list order, for the processed
// samples of `filtered`. Records that point to no wave, and waves too short,
// flat or without anything standing out get an invalid suggestion. Waves are
// spread over the global thread pool; the result does not depend on the
// number of threads.
QVector<FlawSuggestion> suggestFlaws(const WaveGroupList &filtered, const WaveAnalyzeInfoList &infos,
                                     const SuggestOptions &options = SuggestOptions());

// Depth in metres of a sample as the views show it: sample x 2 us gives the
// time in ms, times the wave speed in m/s over 2000.
double sampleDepthMetres(int sample, double waveSpeed);

// What the detector sees on one wave; exposed for tests and the benchmark.
struct EchoCandidate {
    int onset = 0;         // first sample at half the echo's peak: the suggested position
    int peak = 0;          // where the band-limited envelope of the echo peaks
    double strength = 0.0; // power of the best band at the peak over that band's noise power (noise: 1)
    bool spike = false;    // a few samples carry nearly all of its energy
    double evidence = 0.0; // log-odds from this wave alone
};

struct TraceAnalysis {
    bool analysed = false;                 // false: too short or flat
    int period = 0;                        // samples per cycle of the direct pulse
    double frequency = 0.0;                // Hz, of the direct pulse as filtered
    int pulseWidth = 0;                    // samples
    int searchStart = 0;                   // first sample after the direct pulse and its ringing
    int searchEnd = 0;                     // one past the last sample searched
    double noise = 0.0;                    // standard deviation of the noise, sample units
    std::vector<EchoCandidate> candidates; // in time order
};

// `original` may be null; `count` is clamped to 0..4096. The last `edge`
// samples (where the filter saw past the end of the wave) are not searched.
// The noise of each band is measured on this wave alone.
TraceAnalysis analyseTrace(const qint32 *samples, int count, const qint32 *original = nullptr, int edge = 0);

} // namespace dsp
