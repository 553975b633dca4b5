// Everything a report page is drawn from, captured at one moment so that a
// job on the worker thread never reads records the GUI is changing.
#pragma once

#include "app/systemconfig.h"
#include "datafile/records.h"
#include "report/render/printctrlparams.h"

struct ReportData {
    WaveGroupList waveGroups;       // indexed by measure point
    WaveGroupList filterWaveGroups; // parallel, the traces are drawn from these
    WaveAnalyzeInfoList infos;      // one entry per trace, in drawing order
    FileHeadPtr head;
    ProjectParams project;
    PrintCtrlParams print;
    bool blNormalized = false;
    bool blIsWaveStyleFill = false;
    int nSamplePoints = kMaxSamples; // current sample count of the opened file

    // Deep copies of the records plus the report records and display flags
    // as they are now (GUI thread).
    static ReportData capture(const WaveGroupList &groups, const WaveGroupList &filterGroups,
                              const WaveAnalyzeInfoList &infos, const FileHeadPtr &head);
};
