// Which of many labels along one axis to draw so that no two overlap: all of
// them when they fit, otherwise an evenly spaced subset that always holds
// the labels that matter (the focused wave's, the flawed waves'). Plain
// arithmetic without painting, so the report pages and the on-screen wave
// list choose their labels the same way.
#pragma once

#include <QVector>
#include <limits>

struct LabelRequest {
    // Wanted centre of each label along the axis (any order).
    QVector<double> centers;
    // Size of each label along the axis; a single value applies to all.
    QVector<double> extents;
    // Free space kept between two neighbouring labels.
    double gap = 0;
    // Labels stay inside [low, high] (as far as the room allows).
    double low = -std::numeric_limits<double>::infinity();
    double high = std::numeric_limits<double>::infinity();
    // Indices that are always shown, the most important first. When they
    // crowd each other they move apart (shiftPriority) or, without
    // shifting, a later one that would overlap an earlier one is dropped.
    // When even the important ones cannot all fit in [low, high], the
    // first ones win.
    QVector<int> priority;
    bool shiftPriority = true;
};

struct LabelPlacement {
    int index = -1;    // into LabelRequest::centers
    double center = 0; // where to draw it; differs from the wanted centre
                       // only for an important label moved aside
};

// The labels to draw, ordered by their centre. Two chosen labels i and j
// always satisfy |center_i - center_j| >= (extent_i + extent_j) / 2 + gap.
QVector<LabelPlacement> chooseLabels(const LabelRequest &request);

// The smallest step of 1, 2 or 5 times a power of ten that is at least
// `least` (a scale's tick or label step); 0 for a `least` that is not a
// positive finite number.
double niceStep(double least);
