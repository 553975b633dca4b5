#include "pilemarks.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cmath>

namespace pile {

namespace {

QString metres(double m) { return QString::number(m, 'f', 2); }
QString degrees(double d) { return QString::number(d, 'f', 1); }

// The smallest arc that holds every angle: from the angle after the widest
// gap round to the one before it.
void angleSpan(QVector<double> angles, double *from, double *to)
{
    std::sort(angles.begin(), angles.end());
    int after = 0;
    double widest = -1;
    for (int i = 0; i < angles.size(); ++i) {
        const double next = i + 1 < angles.size() ? angles.at(i + 1) : angles.first() + 360.0;
        if (next - angles.at(i) > widest) {
            widest = next - angles.at(i);
            after = (i + 1) % angles.size();
        }
    }
    *from = angles.at(after);
    *to = angles.at((after + angles.size() - 1) % angles.size());
}

// A number as JSON writes it, rounded to `decimals`.
QString jsonNumber(double v, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const QByteArray a = QJsonDocument(QJsonArray {std::round(v * scale) / scale}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(a.mid(1, a.size() - 2));
}

QString jsonString(const QString &text)
{
    const QByteArray a = QJsonDocument(QJsonArray {text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(a.mid(1, a.size() - 2));
}

QString tr(const char *text) { return QCoreApplication::translate("PileAssessment", text); }

} // namespace

double sampleDepthM(double sample, double waveSpeed) { return sample * 0.002 * waveSpeed / 2000.0; }

QVector<CaveMark> collectMarks(const WaveAnalyzeInfoList &infos, const FileHead &head)
{
    QVector<CaveMark> marks;
    const double speed = head.fWaveSpeed;
    for (int i = 0; i < infos.size(); ++i) {
        const WaveAnalyzeInfo &a = *infos.at(i);
        if (a.nFlawPos < 0)
            continue;
        CaveMark m;
        m.index = i;
        m.measurePoint = a.nMeasurePoint;
        m.channel = a.nChannel;
        m.angle = wrapAngle(double(a.fChannelAngle) + double(head.fOffsetAngle));
        m.topSample = a.nFlawPos;
        m.topDepthM = sampleDepthM(a.nFlawPos, speed);
        const qint32 bottom = flawBottom(a);
        if (bottom > a.nFlawPos) {
            m.bottomSample = bottom;
            m.bottomDepthM = sampleDepthM(bottom, speed);
            m.heightM = m.bottomDepthM - m.topDepthM;
        }
        marks << m;
    }
    std::stable_sort(marks.begin(), marks.end(), [](const CaveMark &x, const CaveMark &y) {
        return x.topSample != y.topSample ? x.topSample < y.topSample : x.index < y.index;
    });
    return marks;
}

QVector<QVector<int>> groupCaves(const QVector<CaveMark> &marks, double toleranceM)
{
    QVector<QVector<int>> caves;
    double lowest = 0;
    for (int i = 0; i < marks.size(); ++i) {
        const CaveMark &m = marks.at(i);
        if (caves.isEmpty() || m.topDepthM > lowest + toleranceM) {
            caves.append(QVector<int>());
            lowest = m.lowestM();
        }
        caves.last() << i;
        lowest = std::max(lowest, m.lowestM());
    }
    return caves;
}

PileAssessment assessPile(const QVector<CaveMark> &marks, double diameterM, const AssessRule &rule)
{
    PileAssessment r;
    r.pileDiameterM = diameterM > 0 && std::isfinite(diameterM) ? diameterM : 0;
    for (const CaveMark &m : marks) {
        if (m.hasBottom())
            r.maxHeightM = std::max(r.maxHeightM, m.heightM);
    }
    const QString ruleText =
        tr("%1 倍桩径与 %2 m 之较大者").arg(QString::number(rule.multiplier)).arg(QString::number(rule.minimumM));

    QString caveText;
    const QVector<QVector<int>> caves = groupCaves(marks);
    if (!caves.isEmpty()) {
        const QVector<int> &cave = caves.first();
        r.hasRoof = true;
        r.roofM = marks.at(cave.first()).topDepthM;
        r.roofWaves = cave.size();
        QVector<double> angles;
        double lowest = r.roofM;
        for (int k : cave) {
            const CaveMark &m = marks.at(k);
            angles << m.angle;
            if (m.hasBottom()) {
                r.hasHeight = true;
                lowest = std::max(lowest, m.bottomDepthM);
            }
        }
        if (r.hasHeight)
            r.caveHeightM = lowest - r.roofM;
        angleSpan(angles, &r.angleFromDeg, &r.angleToDeg);
        const QString where = r.roofWaves == 1 ? tr("方位 %1°").arg(degrees(r.angleFromDeg))
                                               : tr("方位 %1°–%2°").arg(degrees(r.angleFromDeg), degrees(r.angleToDeg));
        caveText = tr("桩底以下 %1 m 处发现溶洞（%2 个波形，%3）").arg(metres(r.roofM)).arg(r.roofWaves).arg(where);
        if (r.hasHeight)
            caveText += tr("，洞高约 %1 m").arg(metres(r.caveHeightM));
    }

    if (r.pileDiameterM <= 0) {
        r.text = tr("未给出桩径，无法判定桩底以下 %1范围内的岩层完整性；请填写桩径。").arg(ruleText);
        if (!caveText.isEmpty())
            r.text += caveText + tr("。");
        return r;
    }
    r.assessed = true;
    r.zoneM = std::max(rule.multiplier * r.pileDiameterM, rule.minimumM);
    // Depths come from sample counts times 0.002 ms: a roof at the zone's
    // depth to the micrometre is at it, not inside.
    r.meets = !r.hasRoof || r.roofM >= r.zoneM - 1e-6;
    if (!r.hasRoof) {
        r.text = tr("桩底以下 %1 m（%2）范围内未发现溶洞。").arg(metres(r.zoneM), ruleText);
    } else if (r.meets) {
        r.text = tr("桩底以下 %1 m（%2）范围内未发现溶洞；%3。").arg(metres(r.zoneM), ruleText, caveText);
    } else {
        r.text = tr("%1；桩底完整岩层厚度 %2 m，小于要求的 %3 m。").arg(caveText, metres(r.roofM), metres(r.zoneM));
    }
    return r;
}

} // namespace pile

namespace pile {

QString marksJson(const QVector<CaveMark> &marks)
{
    const QString null = QStringLiteral("null");
    QString s = QStringLiteral("{\n    \"marks\": [");
    for (int i = 0; i < marks.size(); ++i) {
        const CaveMark &m = marks.at(i);
        const bool b = m.hasBottom();
        s += i ? QStringLiteral(",\n        ") : QStringLiteral("\n        ");
        s += QStringLiteral("{\"index\": %1, \"nMeasurePoint\": %2, \"nChannel\": %3, \"angle\": %4, "
                            "\"topSample\": %5, \"topDepthM\": %6, \"bottomSample\": %7, \"bottomDepthM\": %8, "
                            "\"heightM\": %9}")
                 .arg(m.index)
                 .arg(m.measurePoint)
                 .arg(m.channel)
                 .arg(jsonNumber(m.angle, 2))
                 .arg(m.topSample)
                 .arg(jsonNumber(m.topDepthM, 3))
                 .arg(b ? QString::number(m.bottomSample) : null)
                 .arg(b ? jsonNumber(m.bottomDepthM, 3) : null)
                 .arg(b ? jsonNumber(m.heightM, 3) : null);
    }
    s += marks.isEmpty() ? QStringLiteral("]\n}\n") : QStringLiteral("\n    ]\n}\n");
    return s;
}

QString marksCsv(const QVector<CaveMark> &marks)
{
    QString s =
        QStringLiteral("index,nMeasurePoint,nChannel,angle,topSample,topDepthM,bottomSample,bottomDepthM,heightM\n");
    for (const CaveMark &m : marks) {
        const bool b = m.hasBottom();
        s += QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9\n")
                 .arg(m.index)
                 .arg(m.measurePoint)
                 .arg(m.channel)
                 .arg(QString::number(m.angle, 'f', 2))
                 .arg(m.topSample)
                 .arg(QString::number(m.topDepthM, 'f', 3))
                 .arg(b ? QString::number(m.bottomSample) : QString())
                 .arg(b ? QString::number(m.bottomDepthM, 'f', 3) : QString())
                 .arg(b ? QString::number(m.heightM, 'f', 3) : QString());
    }
    return s;
}

QString assessmentJson(const PileAssessment &a)
{
    const QString null = QStringLiteral("null");
    return QStringLiteral("{\n    \"pileDiameterM\": %1,\n    \"zoneM\": %2,\n    \"roofM\": %3,\n"
                          "    \"caveHeightM\": %4,\n    \"meets\": %5,\n    \"text\": %6\n}\n")
        .arg(jsonNumber(a.pileDiameterM, 3))
        .arg(jsonNumber(a.zoneM, 3))
        .arg(a.hasRoof ? jsonNumber(a.roofM, 3) : null)
        .arg(a.hasHeight ? jsonNumber(a.caveHeightM, 3) : null)
        .arg(a.meets ? QStringLiteral("true") : QStringLiteral("false"))
        .arg(jsonString(a.text));
}

} // namespace pile
