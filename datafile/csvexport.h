// The samples of an open survey as CSV: one column per wave in the order of
// the analysis list ("P<point>-CH<channel>"), one row per sample.
#pragma once

#include "datafile/measurementmodel.h"

#include <QByteArray>

// Processed samples, or the original ones with `original`.
QByteArray surveyCsv(const MeasurementModel &model, bool original);
