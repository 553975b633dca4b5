// The caves marked on a survey's waves, and the pile's conclusion drafted
// from them: the rock below the pile tip must be free of caves over a check
// zone of max(multiplier x pile diameter, minimum depth).
#pragma once

#include "datafile/records.h"

#include <QString>
#include <QVector>

namespace pile {

struct CaveMark {
    int index = -1;       // wave index in the analysis list
    int measurePoint = 0; // nMeasurePoint
    int channel = 0;      // nChannel
    double angle = 0;     // channel angle plus the header's azimuth offset, wrapped to [0, 360)
    int topSample = -1;   // nFlawPos
    double topDepthM = 0;
    int bottomSample = -100; // flawBottom(); -100 when none
    double bottomDepthM = 0; // meaningful only with hasBottom()
    double heightM = 0;      // bottomDepthM - topDepthM, only with hasBottom()
    bool hasBottom() const { return bottomSample >= 0; }
    // The deepest point of the mark: its bottom, or its top without one.
    double lowestM() const { return hasBottom() ? bottomDepthM : topDepthM; }
};

// Depth in metres of a sample index at the given wave speed (two-way path,
// 0.002 ms per sample).
double sampleDepthM(double sample, double waveSpeed);

// Every marked wave, in depth order (top depth, then index).
QVector<CaveMark> collectMarks(const WaveAnalyzeInfoList &infos, const FileHead &head);

// Marks that belong to one cave: depth intervals (top to bottom, a single
// depth without a bottom) that overlap or lie within `toleranceM` of each
// other, chained. Each cave lists positions in `marks` (depth ordered);
// the caves come shallowest first.
QVector<QVector<int>> groupCaves(const QVector<CaveMark> &marks, double toleranceM = 0.2);

// The marks as the program writes them out: JSON {"marks": [...]} and CSV
// (a header row, one row per mark; empty cells where a wave has no bottom).
// Depths and heights in metres to 3 decimals, angles in degrees to 2.
QString marksJson(const QVector<CaveMark> &marks);
QString marksCsv(const QVector<CaveMark> &marks);

struct AssessRule {
    double multiplier = 3.0;
    double minimumM = 5.0;
};

struct PileAssessment {
    double pileDiameterM = 0; // 0: not given
    bool assessed = false;    // false without a diameter (then `text` says what is missing)
    double zoneM = 0;         // max(multiplier x d, minimum)
    bool hasRoof = false;     // a cave top is marked
    double roofM = 0;         // the shallowest cave top
    bool hasHeight = false;   // the roof's cave has a bottom marked
    double caveHeightM = 0;
    double maxHeightM = 0; // largest marked cave height of the pile (0 when none)
    int roofWaves = 0;     // waves that see the roof's cave
    double angleFromDeg = 0, angleToDeg = 0;
    bool meets = false; // assessed and no cave top inside the zone
    QString text;       // the drafted conclusion (Chinese)
};

PileAssessment assessPile(const QVector<CaveMark> &marks, double diameterM, const AssessRule &rule = AssessRule());
// {"pileDiameterM", "zoneM", "roofM" | null, "caveHeightM" | null, "meets", "text"}
QString assessmentJson(const PileAssessment &a);

} // namespace pile
