// Processing of waves: band-pass filtering into the processed copy and the
// main frequencies of both, on samples and plain values. Which wave gets
// which filter, and where the results go, is the survey's business
// (datafile/processing.h).
#pragma once

#include "dsp/firfilter.h"

#include <QtGlobal>
#include <functional>
#include <vector>

namespace dsp {

// A wave's processing filter as the analysis panel sets it: window code
// (codes outside the table mean Blackman), order and cut-offs in Hz.
struct FilterSettings {
    int window = FirWindow::Blackman;
    int order = 500;
    int lowCutoff = 0;
    int highCutoff = 0;
};

// One wave: 16-bit samples around the zero line 32767, at 500 kHz.
struct WaveJob {
    const qint32 *original = nullptr;
    int count = 0;               // samples, 0..4096
    qint32 *processed = nullptr; // receives `count` filtered samples; left as it is when not filtered
    FilterSettings filter;
};

struct WaveOutcome {
    // Why the wave was not filtered; None when it was, or had no samples.
    FirError error = FirError::None;
    double mainFrequency = 0.0;          // Hz, of the original samples
    double processedMainFrequency = 0.0; // Hz, of the processed samples afterwards
};

// Filters every wave whose filter can be designed (the band-pass filtered
// samples, truncated toward zero and clamped to 0..65535) and measures the
// main frequencies of both copies (dsp::spectrumAndMainFrequency). One
// outcome per job, in order. The jobs' processed buffers must be distinct
// and apart from every original. Waves are spread over the global thread
// pool; the result does not depend on the number of threads. `progress`,
// when given, is called now and then with the waves done and the waves to
// do.
using ProgressFunc = std::function<void(int done, int total)>;
std::vector<WaveOutcome> processWaves(const std::vector<WaveJob> &jobs, const ProgressFunc &progress = ProgressFunc());

// The filtering of one wave as processWaves does it: `count` samples from
// `original` through the kernel into `processed` (which may be `original`).
// `seeInput` as for dsp::convolve.
void filterWave(const qint32 *original, int count, const FilterKernel &kernel, qint32 *processed,
                const BinsFunc &seeInput = BinsFunc());

} // namespace dsp
