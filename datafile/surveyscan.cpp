#include "surveyscan.h"

#include "datafile/fileformat.h"
#include "datafile/fileoperation.h"
#include "io/safewrite.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtConcurrent/QtConcurrentMap>
#include <QtEndian>
#include <array>
#include <cmath>
#include <cstring>
#include <numeric>

namespace {


bool readAt(QFile &f, qint64 pos, void *data, qint64 size)
{
    return f.seek(pos) && f.read(static_cast<char *>(data), size) == size;
}

QString tr(const char *text) { return QCoreApplication::translate("SurveyScan", text); }

} // namespace

PileFindings pileFindings(const WaveAnalyzeInfoList &infos, const FileHead &head, double diameterM,
                          const pile::AssessRule &rule)
{
    PileFindings f;
    const QVector<pile::CaveMark> marks = pile::collectMarks(infos, head);
    const pile::PileAssessment a = pile::assessPile(marks, diameterM, rule);
    f.marks = marks.size();
    f.hasRoof = a.hasRoof;
    f.roofM = a.roofM;
    for (const pile::CaveMark &m : marks) {
        f.hasHeight = f.hasHeight || m.hasBottom();
        f.caves.append({m.angle, m.topDepthM, m.lowestM()});
    }
    f.maxHeightM = a.maxHeightM;
    f.assessed = a.assessed;
    f.meets = a.assessed && a.meets;
    f.text = a.text;
    f.conclusion = !a.assessed ? QStringLiteral("未评定") : a.meets ? QStringLiteral("满足") : QStringLiteral("不满足");
    return f;
}

QString SurveyScan::pilingNumber() const { return ok() ? decodeText(head.pilingNumber) : QString(); }

bool isSurveyName(const QString &fileName) { return fileName.endsWith(QLatin1String(".ard"), Qt::CaseInsensitive); }

bool naturalLess(const QString &a, const QString &b)
{
    // A named locale: the "C" locale compares code points and knows no numbers.
    static thread_local QCollator collator = [] {
        QCollator c(QLocale(QLocale::Chinese, QLocale::China));
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const int c = collator.compare(a, b);
    return c != 0 ? c < 0 : a < b;
}

void naturalSort(QStringList &paths)
{
    std::stable_sort(paths.begin(), paths.end(), [](const QString &a, const QString &b) {
        const QString fa = QFileInfo(a).fileName(), fb = QFileInfo(b).fileName();
        if (fa != fb)
            return naturalLess(fa, fb);
        return naturalLess(a, b);
    });
}

QStringList surveysInFolder(const QString &folder, bool recursive)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot,
                    recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString p = it.next();
        if (isSurveyName(p))
            out << p;
    }
    naturalSort(out);
    return out;
}

SurveyScan scanSurvey(const QString &path)
{
    SurveyScan s;
    s.path = path;
    std::memset(static_cast<void *>(&s.head), 0, sizeof(s.head));
    const QFileInfo fi(path);
    s.size = fi.size();
    s.modified = fi.lastModified();
    QString why;
    switch (kvrio::inspectInput(path, &why)) {
    case kvrio::InputState::Missing: s.error = tr("文件不存在"); return s;
    case kvrio::InputState::NotAFile: s.error = tr("不是普通文件"); return s;
    case kvrio::InputState::Unreadable: s.error = tr("无法读取：%1").arg(why); return s;
    case kvrio::InputState::Ok: break;
    }
    if (s.size > kMaxSurveyBytes) {
        s.error = tr("文件过大（%1 MB）").arg(double(s.size) / 1e6, 0, 'f', 1);
        return s;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        s.error = tr("无法读取：%1").arg(f.errorString());
        return s;
    }
    FileHead head;
    if (!readAt(f, 0, &head, sizeof(head))) {
        s.error = tr("文件不完整或者格式不正确：文件头不完整");
        return s;
    }
    swapToFromDisk(head);
    QString reason;
    if (!fileformat::accepts(head, s.size, &reason)) {
        s.error = tr("文件不完整或者格式不正确：%1").arg(reason);
        return s;
    }
    const bool original = fileformat::isOriginal(head);
    const qint64 groups = fileformat::completeGroupCount(head, s.size);
    const qint64 analysisStart = FILE_HEAD_SIZE + qint64(GroupSize) * head.waveGroupCnt;
    if (!std::isfinite(head.fWaveSpeed) || head.fWaveSpeed <= 0.0f || head.fWaveSpeed > kMaxWaveSpeed)
        head.fWaveSpeed = 4000.0f;
    if (!std::isfinite(head.fOffsetAngle))
        head.fOffsetAngle = 0.0f;

    // Per group its head and, per block, the sample count and the mark.
    struct Block {
        qint32 count = 0, flaw = kNoValue;
    };
    QVector<std::array<Block, kBlocksPerGroup>> blocks(static_cast<int>(groups));
    QVector<float> heading(static_cast<int>(groups));
    int maxWaveSpeed = 0;
    for (int g = 0; g < groups; ++g) {
        const qint64 at = FILE_HEAD_SIZE + qint64(GroupSize) * g;
        WaveGroupHead gh;
        if (!readAt(f, at, &gh, sizeof(gh))) {
            s.error = tr("读取失败：%1").arg(f.errorString());
            return s;
        }
        swapToFromDisk(gh);
        heading[g] = std::isfinite(gh.fHeadingAngle) ? gh.fHeadingAngle : 0.0f;
        if (gh.nWaveSpeed >= int(kMinWaveSpeed) && gh.nWaveSpeed <= int(kMaxWaveSpeed))
            maxWaveSpeed = qMax(maxWaveSpeed, gh.nWaveSpeed);
        for (int b = 0; b < kBlocksPerGroup; ++b) {
            uchar raw[8];
            if (!readAt(f, at + kWaveGroupHeadSize + qint64(kWaveBlockSize) * b + kMaxSamples * 4, raw, 8)) {
                s.error = tr("读取失败：%1").arg(f.errorString());
                return s;
            }
            Block &k = blocks[g][b];
            k.count = qBound(0, qFromLittleEndian<qint32>(raw), kMaxSamples);
            k.flaw = qFromLittleEndian<qint32>(raw + 4);
            if (k.flaw != kNoValue && (k.flaw < 0 || k.flaw >= k.count))
                k.flaw = kNoValue;
        }
    }
    if (original) {
        // The waves are the recorded channels CH1..CH3; the wave speed is
        // the groups' as the opening takes it.
        if (maxWaveSpeed > 0)
            head.fWaveSpeed = float(maxWaveSpeed);
        for (int g = 0; g < groups; ++g)
            for (int b = 0; b < kChannelsPerGroup; ++b) {
                if (blocks[g][b].count <= 0)
                    continue;
                WaveAnalyzeInfoPtr a = newWaveAnalyzeInfo();
                a->nMeasurePoint = g;
                a->nChannel = b;
                a->fChannelAngle = storedChannelAngle(heading[g] + 120.0f * b);
                a->nFlawPos = blocks[g][b].flaw;
                s.infos << a;
            }
    } else {
        // Records pointing to no wave or repeating one are left out, as the
        // opening does.
        QSet<qint64> seen;
        for (qint64 pos = analysisStart; pos + AnaDataSize <= s.size; pos += AnaDataSize) {
            WaveAnalyzeInfoPtr a = newWaveAnalyzeInfo();
            if (!readAt(f, pos, a.data(), AnaDataSize)) {
                s.error = tr("读取失败：%1").arg(f.errorString());
                return s;
            }
            swapToFromDisk(*a);
            if (a->nMeasurePoint < 0 || a->nMeasurePoint >= groups || a->nChannel < 0
                || a->nChannel >= kChannelsPerGroup)
                continue;
            const qint64 key = qint64(a->nMeasurePoint) * kBlocksPerGroup + a->nChannel;
            if (seen.contains(key))
                continue;
            seen.insert(key);
            if (!std::isfinite(a->fChannelAngle) || a->fChannelAngle < -360.0f || a->fChannelAngle > 720.0f) {
                a->fChannelAngle = storedChannelAngle(heading[a->nMeasurePoint] + 120.0f * a->nChannel);
            } else {
                a->fChannelAngle = storedChannelAngle(a->fChannelAngle);
            }
            const int count = blocks[a->nMeasurePoint][a->nChannel].count;
            if (a->nFlawPos != kNoValue && (a->nFlawPos < 0 || a->nFlawPos >= count))
                a->nFlawPos = kNoValue;
            s.infos << a;
        }
    }
    s.head = head;
    s.points = int(groups);
    s.waves = s.infos.size();
    return s;
}

SurveyScan SurveyScanCache::scan(const QString &path)
{
    const QFileInfo fi(path);
    const qint64 size = fi.exists() ? fi.size() : -1;
    const QDateTime modified = fi.lastModified();
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_scans.constFind(path);
        if (it != m_scans.constEnd() && it->size == size && it->modified == modified && size >= 0)
            return *it;
    }
    SurveyScan s = scanSurvey(path);
    QMutexLocker lock(&m_mutex);
    m_scans.insert(path, s);
    return s;
}

QVector<SurveyScan> SurveyScanCache::scanAll(const QStringList &paths)
{
    QVector<SurveyScan> scans(paths.size());
    QVector<int> indexes(paths.size());
    std::iota(indexes.begin(), indexes.end(), 0);
    QtConcurrent::blockingMap(indexes, [&](int &i) { scans[i] = scan(paths.at(i)); });
    return scans;
}

void SurveyScanCache::forget(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    m_scans.remove(path);
}

int SurveyScanCache::size() const
{
    QMutexLocker lock(&m_mutex);
    return m_scans.size();
}
