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

    // Copies of what the report reads, plus the report records and display
    // flags as they are now (GUI thread), for a worker thread while the
    // survey may change. The page draws from the processed groups and the
    // records only, so those are copied; the original groups are handed on
    // as they are and must not be read by the report.
    static ReportData capture(const WaveGroupList &groups, const WaveGroupList &filterGroups,
                              const WaveAnalyzeInfoList &infos, const FileHeadPtr &head);
    // The same without copying anything, for a caller that changes nothing
    // while the report is made (the command line).
    static ReportData borrow(const WaveGroupList &groups, const WaveGroupList &filterGroups,
                             const WaveAnalyzeInfoList &infos, const FileHeadPtr &head);
};
