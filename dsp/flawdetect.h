// Flaw suggestions: where on each wave an echo of a cave below the pile
// bottom stands out of the noise, with a confidence, and where a second
// echo (the cave's floor) follows it. The engineer decides; nothing here
// changes a survey. The detector takes samples and plain values; the
// adaptation from the file's lists lives in datafile/flawsuggest.h. The
// method is described in docs/flaw-detection.md.
#pragma once

#include <QVector>
#include <QtGlobal>
#include <vector>

namespace dsp {

// Suggestions at or above this confidence are recommended.
constexpr double kRecommendedConfidence = 0.5;

struct FlawSuggestion {
    int sample = -1;         // suggested flaw position (sample index); -1: nothing stands out
    double confidence = 0.0; // 0..1
    // The cave's floor: a later echo of the same cave, -1 when none stands
    // out; only with a valid top.
    int bottomSample = -1;
    double bottomConfidence = 0.0; // 0..1
    bool isValid() const { return sample >= 0; }
    bool hasBottom() const { return sample >= 0 && bottomSample > sample; }
};

// One wave as the detector takes it. Samples are 16-bit values around the
// zero line 32767 (values outside 0..65535 count as clipped).
struct FlawWave {
    const qint32 *samples = nullptr; // as processed (filtered); null: no wave, no suggestion
    int count = 0;
    // The recording the processed samples were made from, or null. The
    // arrival is read on it (a narrow processing filter makes echoes start
    // early), and a spike in it is recognised even after filtering has
    // smeared it.
    const qint32 *original = nullptr;
    int originalCount = 0;
    // Where the wave was recorded: neighbours are the other channels of the
    // measure point and the channels of the points next to it.
    int measurePoint = 0;
    int channel = 0;
    // Waves with the same value were processed alike (same filter); the
    // noise and the background trace are shared only among them.
    qint64 processing = 0;
    // The last `edge` samples (where the filter saw past the end of the wave)
    // are not searched.
    int edge = 0;
    // The wave speed recorded for the measure point (m/s), 0 when unknown:
    // a cave lies at the same depth under neighbouring points, so its echo
    // arrives later where the speed is lower.
    double waveSpeed = 0.0;
};

struct SuggestOptions {
    // Weaker suggestions are not reported at all.
    double minConfidence = 0.2;
    // Echoes at the same depth on the other channels of the measure point and
    // on the neighbouring measure points raise the confidence.
    bool useNeighbours = true;
    // The background trace of each channel (what every wave of it carries:
    // the direct pulse and its ringing) is taken off before searching, so
    // that echoes inside the ringing show.
    bool useBackground = true;
};

// One suggestion per wave, in the order given. Waves without samples, too
// short, flat or without anything standing out get an invalid suggestion.
// Waves are spread over the global thread pool; the result does not depend
// on the number of threads nor on the order of the waves.
QVector<FlawSuggestion> suggestFlaws(const std::vector<FlawWave> &waves,
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
    int searchStart = 0;                   // first sample searched
    int searchEnd = 0;                     // one past the last sample searched
    double noise = 0.0;                    // standard deviation of the noise, sample units
    std::vector<EchoCandidate> candidates; // in time order
};

// One wave against its own noise, without a background trace. `original` may
// be null; `count` is clamped to 0..4096.
TraceAnalysis analyseTrace(const qint32 *samples, int count, const qint32 *original = nullptr, int edge = 0);

} // namespace dsp
