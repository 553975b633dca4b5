// Synthetic surveys for the render benchmark and the screenshot tool: echo
// trains on the three channels of every measure point, with a stronger echo
// (a cave boundary) partway down, built directly from the file records.
#pragma once

#include "datafile/records.h"

#include <QtMath>
#include <cmath>

struct SynthSurvey {
    FileHeadPtr head;
    WaveGroupList groups;
    WaveGroupList filtered;
    WaveAnalyzeInfoList infos;
    FftInfoList ffts;
};

// `points` measure points of `samples` samples each; `traces` limits the
// number of analysis records (0: three per point).
inline SynthSurvey makeSynthSurvey(int points, int samples, int traces = 0)
{
    SynthSurvey s;
    s.head = newFileHead();
    s.head->waveGroupCnt = points;
    s.head->fWaveSpeed = 4000.0f;
    s.head->fOffsetAngle = 0.0f;
    quint32 seed = 12345u;
    auto noise = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return (double((seed >> 8) & 0xffff) / 65535.0 - 0.5);
    };
    for (int m = 0; m < points; ++m) {
        WaveGroupPtr g = newWaveGroup();
        g->head.nSamplePoints = samples;
        g->head.nSampleFreq = 500000;
        g->head.fHeadingAngle = float((m * 37) % 360);
        for (int c = 0; c < kChannelsPerGroup; ++c) {
            WaveBlock &b = *g->blocks[c];
            b.nDataCnt = samples;
            const double f = 18000.0 + 2500.0 * c + 300.0 * (m % 5);
            const double cave = samples * (0.45 + 0.05 * std::sin(m * 0.7 + c));
            for (int j = 0; j < samples; ++j) {
                const double t = j / 500000.0;
                double v = 9000.0 * std::exp(-j / (samples * 0.08)) * std::sin(2 * M_PI * f * t);
                const double dj = j - cave;
                if (dj >= 0)
                    v += 6000.0 * std::exp(-dj / (samples * 0.05)) * std::sin(2 * M_PI * (f * 0.8) * dj / 500000.0);
                v += 600.0 * noise();
                b.nData[j] = qBound(0, int(std::lround(32767.0 + v)), 65535);
            }
        }
        s.groups.append(g);
        s.filtered.append(deepCopy(*g));
        s.ffts.append(newFftInfo());
    }
    const int total = traces > 0 ? qMin(traces, points * kChannelsPerGroup) : points * kChannelsPerGroup;
    for (int k = 0; k < total; ++k) {
        WaveAnalyzeInfoPtr a = newWaveAnalyzeInfo();
        a->nMeasurePoint = k / kChannelsPerGroup;
        a->nChannel = k % kChannelsPerGroup;
        a->fChannelAngle = float(a->nChannel * 120);
        a->nFlawPos = kNoValue;
        a->nLowCutoff = 2000;
        a->nHighCutoff = 60000;
        a->nFilterOrder = 200;
        a->fManualGain = 1.0f;
        s.infos.append(a);
    }
    return s;
}
