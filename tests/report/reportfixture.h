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

// Every report field filled, as an engineer would: depth 32.50, elevation
// -12.25, diameter 1.20, standard 0, a result of two lines.
inline ProjectParams sampleFields()
{
    ProjectParams p;
    p.strTitleName = QStringLiteral("桥梁基桩桩底检测报告");
    p.strGD = QStringLiteral("岩溶地区桩基检测中心");
    p.strReportNum = QStringLiteral("KVR-2026-017");
    p.strProject = QStringLiteral("清江特大桥桩基工程");
    p.strClient = QStringLiteral("交通建设公司");
    p.strPileNum = QStringLiteral("3#墩-2号桩");
    p.strDateDetect = QStringLiteral("2026年12月10日");
    p.strDevice = QStringLiteral("KM-LX5521(A)弹性波孔底溶洞探测仪");
    p.fPileDepth = 32.5f;
    p.fElevation = -12.25f;
    p.fPileDiameter = 1.2f;
    p.strPileType = QStringLiteral("钻孔灌注桩");
    p.strPurpose = QStringLiteral("探测桩底溶洞");
    p.strStandard = 0;
    p.strReault = QStringLiteral("孔底以下2.5米处发现溶洞，洞高约0.6米。\n建议注浆处理后复测。");
    p.strPerson = QStringLiteral("张工");
    p.strCheck = QStringLiteral("李工");
    p.strDateReport = QStringLiteral("2026年12月12日");
    return p;
}
