// The processed copies and main frequencies of a survey's waves: the
// analysis records say which wave gets which filter, the numerics work on
// the samples (dsp/waveprocessing.h), and the model takes the results.
#pragma once

#include "datafile/measurementmodel.h"
#include "dsp/waveprocessing.h"

#include <QStringList>
#include <QVector>

namespace processing {

// A wave that could not be processed as its record asks.
struct WaveProblem {
    enum Kind {
        NoSuchRecord,     // the index names no record (`records` of them)
        EmptyRecord,      // a null record
        MissingWave,      // the record points to no wave; skipped
        SharedBuffer,     // the processed copy is the original's buffer; skipped
        NotFiltered,      // the filter cannot be designed (`error`); the processed copy is the original
        NoSpectrumRecord, // the measure point has no spectrum record for the main frequencies
    };
    Kind kind = NoSuchRecord;
    int record = 0; // index in the analysis list
    int measurePoint = 0;
    int channel = 0;
    int records = 0;
    FirError error = FirError::None;
    dsp::FilterSettings filter;
};

// Recomputes the processed copy and the main frequencies of analysis record
// `index`, or of every record when index is -1. Every recomputation starts
// from the original block: the processed block becomes a copy of it, then
// (when the record's filter can be designed and the wave has samples) the
// band-pass filtered samples. With several records for the same wave the
// later one decides. A block without samples may be shared by both lists
// (there is nothing to process); any other shared block is left alone and
// reported. Problems come in record order (none: all filtered).
QVector<WaveProblem> processWaves(MeasurementModel &model, int index,
                                  const dsp::ProgressFunc &progress = dsp::ProgressFunc());

// The problem in words, in the interface language.
QString describe(const WaveProblem &problem);
QStringList describe(const QVector<WaveProblem> &problems);

// The adaptive gain (dsp::adaptiveGain) of the waves the records point to.
float adaptiveGain(const WaveGroupList &groups, const WaveAnalyzeInfoList &records);

} // namespace processing
