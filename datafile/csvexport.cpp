#include "csvexport.h"

#include <QStringList>

QByteArray surveyCsv(const MeasurementModel &m, bool original)
{
    QList<const WaveBlock *> blocks;
    QStringList header;
    int rows = 0;
    for (const auto &info : m.waveAnalyzeInfoList()) {
        const WaveGroupPtr g = original ? m.waveGroupAt(info->nMeasurePoint) : m.filterWaveGroupAt(info->nMeasurePoint);
        const WaveBlock *b = g ? g->blocks[info->nChannel].data() : nullptr;
        blocks << b;
        header << QStringLiteral("P%1-CH%2").arg(info->nMeasurePoint + 1).arg(info->nChannel + 1);
        if (b)
            rows = qMax(rows, qBound(0, b->nDataCnt, kMaxSamples));
    }
    QByteArray csv = header.join(QLatin1Char(',')).toUtf8() + "\n";
    for (int i = 0; i < rows; ++i) {
        for (int c = 0; c < blocks.size(); ++c) {
            if (c)
                csv += ',';
            if (blocks[c] && i < blocks[c]->nDataCnt)
                csv += QByteArray::number(blocks[c]->nData[i]);
        }
        csv += '\n';
    }
    return csv;
}
