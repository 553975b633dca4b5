// Small surveys built straight from the records for the report tests.
#pragma once

#include "report/render/reportdata.h"

#include <QtMath>

struct TraceSpec {
    float angle = 0.0f;
    int count = 1000;       // nDataCnt of the block
    int flawPos = kNoValue; // analysis entry and block
    float gain = 1.0f;
    int amplitude = 8000; // sine amplitude around the zero line
};

// One wave group per trace (channel 0), wave speed 4000 m/s.
inline ReportData makeReportData(const QList<TraceSpec> &traces)
{
    ReportData d;
    d.head = newFileHead();
    d.head->fWaveSpeed = 4000.0f;
    encodeText(d.head->workName, QStringLiteral("清江大桥"));
    encodeText(d.head->pilingNumber, QStringLiteral("3#墩-2号桩"));
    encodeText(d.head->detectUnit, QStringLiteral("检测中心"));
    encodeText(d.head->detectName, QStringLiteral("张工"));
    encodeText(d.head->detectTime, QStringLiteral("2026-12-10"));
    for (int k = 0; k < traces.size(); ++k) {
        const TraceSpec &t = traces.at(k);
        WaveGroupPtr g = newWaveGroup();
        g->head.nWaveSpeed = 4000;
        WaveBlock &b = *g->blocks[0];
        b.nDataCnt = t.count;
        b.nFlawPos = t.flawPos;
        for (int i = 0; i < kMaxSamples; ++i)
            b.nData[i] = kZeroLevel + int(t.amplitude * std::sin(i * 0.05));
        d.waveGroups.append(g);
        d.filterWaveGroups.append(deepCopy(*g));
        WaveAnalyzeInfoPtr a = newWaveAnalyzeInfo();
        a->fChannelAngle = t.angle;
        a->nMeasurePoint = k;
        a->nChannel = 0;
        a->nFlawPos = t.flawPos;
        a->fManualGain = t.gain;
        d.infos.append(a);
    }
    d.project.strTitleName = QStringLiteral("桥梁基桩桩底检测报告");
    d.nSamplePoints = kMaxSamples;
    return d;
}
