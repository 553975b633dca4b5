#include "kvrdocument.h"

#include "app/systemconfig.h"
#include "datafile/fileformat.h"
#include "datafile/fileoperation.h"
#include "datafile/processing.h"

#include "io/safewrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QtDebug>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

constexpr float kMaxManualGain = 10000.0f;
constexpr int kMaxFilterOrder = kMaxSamples;
// Reading takes this part of an open's progress, processing the rest.
constexpr int kReadShare = 40;

bool isFlawPosSound(int pos, int count) { return pos == kNoValue || (pos >= 0 && pos < count); }

// A cave bottom that cannot stand (damaged, without a top, not below it or
// outside the wave) reads as no bottom; the file still opens.
void sanitizeBottom(WaveAnalyzeInfo &a, int index, int count, QStringList &warnings)
{
    const BottomExt state = bottomExtState(a);
    if (state == BottomExt::None)
        return;
    QString why;
    const int bottom = flawBottom(a);
    if (state == BottomExt::Damaged)
        why = QCoreApplication::translate("KvrDocument", "分析记录 %1 的洞底标记已损坏，已忽略").arg(index + 1);
    else if (a.nFlawPos == kNoValue || a.nFlawPos < 0)
        why = QCoreApplication::translate("KvrDocument", "分析记录 %1 的洞底标记没有洞顶，已忽略").arg(index + 1);
    else if (bottom <= a.nFlawPos || bottom >= count)
        why = QCoreApplication::translate("KvrDocument", "分析记录 %1 的洞底位置 %2 不在洞顶之下的波形内，已忽略")
                  .arg(index + 1)
                  .arg(bottom);
    if (why.isEmpty())
        return;
    warnings << why;
    setFlawBottom(a, kNoValue);
}

// Checks one group read from a file; corrects what cannot be used as it
// stands and says what it corrected.
void sanitizeGroup(WaveGroup &g, int index, QStringList &warnings)
{
    WaveGroupHead &h = g.head;
    // -100 is the instrument's "not recorded" and stays as it is.
    if (h.nSamplePoints != kNoValue && (h.nSamplePoints < 0 || h.nSamplePoints > kMaxSamples)) {
        const int fixed = qBound(0, h.nSamplePoints, kMaxSamples);
        warnings << QCoreApplication::translate("KvrDocument", "测点 %1 的采样点数 %2 超出 0..4096，已改为 %3")
                        .arg(index + 1)
                        .arg(h.nSamplePoints)
                        .arg(fixed);
        h.nSamplePoints = fixed;
    }
    if (!std::isfinite(h.fHeadingAngle)) {
        warnings << QCoreApplication::translate("KvrDocument", "测点 %1 的方位角无效，已改为 0").arg(index + 1);
        h.fHeadingAngle = 0.0f;
    }
    if (!std::isfinite(h.fPitchAngle))
        h.fPitchAngle = kNoValueF;
    if (!std::isfinite(h.fRollAngle))
        h.fRollAngle = kNoValueF;
    for (int b = 0; b < kBlocksPerGroup; ++b) {
        WaveBlock &blk = *g.blocks[b];
        if (blk.nDataCnt < 0 || blk.nDataCnt > kMaxSamples) {
            const int fixed = qBound(0, blk.nDataCnt, kMaxSamples);
            warnings << QCoreApplication::translate("KvrDocument",
                                                    "测点 %1 通道 %2 的采样个数 %3 超出 0..4096，已改为 %4")
                            .arg(index + 1)
                            .arg(b + 1)
                            .arg(blk.nDataCnt)
                            .arg(fixed);
            blk.nDataCnt = fixed;
        }
        if (!isFlawPosSound(blk.nFlawPos, blk.nDataCnt)) {
            warnings << QCoreApplication::translate("KvrDocument", "测点 %1 通道 %2 的缺陷位置 %3 不在波形内，已清除")
                            .arg(index + 1)
                            .arg(b + 1)
                            .arg(blk.nFlawPos);
            blk.nFlawPos = kNoValue;
        }
        int outside = 0;
        for (int i = 0; i < blk.nDataCnt; ++i) {
            qint32 &s = blk.nData[i];
            if (s < 0 || s > 65535) {
                s = qBound(0, s, 65535);
                ++outside;
            }
        }
        if (outside)
            warnings << QCoreApplication::translate("KvrDocument",
                                                    "测点 %1 通道 %2 有 %3 个采样值超出 0..65535，已限幅")
                            .arg(index + 1)
                            .arg(b + 1)
                            .arg(outside);
    }
}

// Checks one analysis record read from a file against the groups read.
// Returns false when the record points to no wave.
bool sanitizeRecord(WaveAnalyzeInfo &a, int index, const WaveGroupList &groups, QSet<qint64> &seen,
                    QStringList &warnings)
{
    if (a.nMeasurePoint < 0 || a.nMeasurePoint >= groups.size() || a.nChannel < 0 || a.nChannel >= kChannelsPerGroup) {
        warnings << QCoreApplication::translate("KvrDocument",
                                                "分析记录 %1 指向不存在的波形（测点 %2，通道 %3），已忽略")
                        .arg(index + 1)
                        .arg(a.nMeasurePoint)
                        .arg(a.nChannel);
        return false;
    }
    const qint64 key = qint64(a.nMeasurePoint) * kBlocksPerGroup + a.nChannel;
    if (seen.contains(key)) {
        warnings << QCoreApplication::translate("KvrDocument", "分析记录 %1 重复（测点 %2，通道 %3），已忽略")
                        .arg(index + 1)
                        .arg(a.nMeasurePoint + 1)
                        .arg(a.nChannel + 1);
        return false;
    }
    seen.insert(key);
    const WaveGroup &g = *groups.at(a.nMeasurePoint);
    if (!std::isfinite(a.fChannelAngle) || a.fChannelAngle < -360.0f || a.fChannelAngle > 720.0f) {
        const float angle = storedChannelAngle(g.head.fHeadingAngle + 120.0f * a.nChannel);
        warnings
            << QCoreApplication::translate("KvrDocument", "分析记录 %1 的通道角度无效，已按方位角重算").arg(index + 1);
        a.fChannelAngle = angle;
    }
    if (!std::isfinite(a.fManualGain) || a.fManualGain <= 0.0f || a.fManualGain > kMaxManualGain) {
        warnings << QCoreApplication::translate("KvrDocument", "分析记录 %1 的增益无效，已改为 1").arg(index + 1);
        a.fManualGain = 1.0f;
    }
    if (a.nFilterOrder < 1 || a.nFilterOrder > kMaxFilterOrder) {
        warnings << QCoreApplication::translate("KvrDocument", "分析记录 %1 的滤波阶数 %2 无效，已改为 500")
                        .arg(index + 1)
                        .arg(a.nFilterOrder);
        a.nFilterOrder = 500;
    }
    const int count = g.blocks[a.nChannel]->nDataCnt;
    if (!isFlawPosSound(a.nFlawPos, count)) {
        warnings << QCoreApplication::translate("KvrDocument", "分析记录 %1 的缺陷位置 %2 不在波形内，已清除")
                        .arg(index + 1)
                        .arg(a.nFlawPos);
        a.nFlawPos = kNoValue;
    }
    sanitizeBottom(a, index, count, warnings);
    return true;
}

// An original file takes its wave speed from the groups later on, so its
// header value is corrected without a word.
void sanitizeHeader(FileHead &h, bool original, QStringList &warnings)
{
    if (!std::isfinite(h.fWaveSpeed) || h.fWaveSpeed <= 0.0f || h.fWaveSpeed > kMaxWaveSpeed) {
        if (!original)
            warnings << QCoreApplication::translate("KvrDocument", "文件头的波速无效，已改为 4000");
        h.fWaveSpeed = 4000.0f;
    } else if (h.fWaveSpeed < kMinWaveSpeed && !original) {
        // Kept as recorded (it is what the engineer stored), but every depth
        // derived from it is next to nothing.
        warnings << QCoreApplication::translate("KvrDocument", "文件头的波速 %1 m/s 不在 %2 到 %3 m/s 之间，深度可能不对")
                        .arg(double(h.fWaveSpeed))
                        .arg(double(kMinWaveSpeed))
                        .arg(double(kMaxWaveSpeed));
    }
    if (!std::isfinite(h.fOffsetAngle)) {
        warnings << QCoreApplication::translate("KvrDocument", "文件头的磁偏角无效，已改为 0");
        h.fOffsetAngle = 0.0f;
    }
    if (!std::isfinite(h.fWaveZoomScale))
        h.fWaveZoomScale = 1.0f;
}

} // namespace

KvrDocument::KvrDocument(QObject *parent)
    : QObject(parent)
    , m_head(newFileHead())
{
    qRegisterMetaType<DocChange>();
    qRegisterMetaType<HeaderField>();
    qRegisterMetaType<WaveParams>();
}

KvrDocument::~KvrDocument() = default;

void KvrDocument::setSaveDeviceFactory(SaveDeviceFactory factory) { m_deviceFactory = std::move(factory); }

// What reading a survey found besides the header and the model.
struct KvrDocument::ReadState {
    bool original = false;
    bool old = false;
    int maxSamplePoints = 0;
    int maxWaveSpeed = 0;
};

// Everything of the opening flow up to the model: the checks of the file,
// the header, the groups and the records, each corrected where it cannot be
// used as it stands. Nothing is processed yet.
DocResult KvrDocument::readSurvey(const QString &path, FileHead &head, MeasurementModel &model, ReadState &state,
                                  const OpenProgress &progress)
{
    DocResult r;
    const QFileInfo fi(path);
    qDebug("打开的目录，文件名为 strDir, strFileName ... %s, %s", qPrintable(fi.absolutePath()), qPrintable(path));
    if (path.isEmpty())
        return r; // nothing chosen: nothing to say

    const QString shownPath = QDir::toNativeSeparators(path);
    const QString unreadable = QCoreApplication::translate("KvrDocument", "无法读取文件 %1：%2");
    QString why;
    switch (kvrio::inspectInput(path, &why)) {
    case kvrio::InputState::Missing:
        r.message = QCoreApplication::translate("KvrDocument", "未检测到文件 %1 ！").arg(path);
        return r;
    case kvrio::InputState::NotAFile:
        r.message = unreadable.arg(shownPath, QCoreApplication::translate("KvrDocument", "它不是普通文件"));
        return r;
    case kvrio::InputState::Unreadable: r.message = unreadable.arg(shownPath, why); return r;
    case kvrio::InputState::Ok: break;
    }
    const QString rejected = QCoreApplication::translate("KvrDocument", "文件不完整或者格式不正确！");
    // Decided by the size alone, before anything is read or allocated.
    const qint64 size = fi.size();
    if (size > kMaxSurveyBytes) {
        r.message =
            QCoreApplication::translate("KvrDocument", "文件 %1 过大（%2 MB），超过可打开的上限 %3 MB，无法打开！")
                .arg(shownPath)
                .arg(double(size) / 1e6, 0, 'f', 1)
                .arg(double(kMaxSurveyBytes) / 1e6, 0, 'f', 1);
        return r;
    }

    std::memset(static_cast<void *>(&head), 0, sizeof(head));
    head.fWaveSpeed = 4000.0f;
    head.fWaveZoomScale = 1.0f;

    FileOperation fop;
    fop.open(path, FileOperation::ReadOnly, FileOperation::FileTypeWaveGroups, &head);
    if (!fop.readError().isEmpty()) {
        r.message = unreadable.arg(shownPath, fop.readError());
        return r;
    }
    QString reason;
    if (!fileformat::accepts(head, size, &reason)) {
        r.message = rejected;
        r.warnings << reason;
        return r;
    }

    // Reading is the first part of the progress (the processing follows).
    const qint64 expectedGroups = qMax<qint64>(1, (size - FILE_HEAD_SIZE) / GroupSize);
    int lastPercent = -1;
    auto report = [&](int percent) {
        if (progress && percent != lastPercent) {
            lastPercent = percent;
            progress(percent);
        }
    };

    QStringList &warnings = r.warnings;
    const bool original = fop.isOriginalFile();
    qDebug(original ? "onSelectedFile: 原始测量文件!" : "onSelectedFile: 分析文件!");
    const bool old = fileformat::isOldVersion(head);
    if (old)
        head.deleteChannelCnt = 0;
    sanitizeHeader(head, original, warnings);

    qDebug(original ? "处理原始数据文件\r\n" : "处理分析后的数据文件\r\n");
    int maxSamplePoints = 0;
    int maxWaveSpeed = 0;
    int fourthChannels = 0;
    float initialGain = 1.0f;
    {
        const quint32 diff = head.headTag - kHeadTagBase;
        initialGain = float(diff == 0 ? 1u : qMin<quint32>(diff, 100u));
    }
    // Four blocks a group and up to three processed copies, in a few large
    // allocations. (The reading overwrites every byte of a group's blocks.)
    WaveBlockArena arena(int(qMin<qint64>(expectedGroups, INT_MAX / 8)) * (kBlocksPerGroup + kChannelsPerGroup));
    // Groups are read one by one up to the end of the file as it was when
    // opened; no count of the header decides how much is read.
    for (int index = 0;; ++index) {
        WaveGroupPtr g(new WaveGroup);
        for (WaveBlockPtr &b : g->blocks)
            b = arena.take();
        if (!fop.readWaveGroup(*g))
            break;
        sanitizeGroup(*g, index, warnings);
        maxSamplePoints = qMax(maxSamplePoints, g->head.nSamplePoints);
        if (g->head.nWaveSpeed >= int(kMinWaveSpeed) && g->head.nWaveSpeed <= int(kMaxWaveSpeed))
            maxWaveSpeed = qMax(maxWaveSpeed, g->head.nWaveSpeed);
        model.addWaveGroup(g);
        model.addFilterWaveGroup(processedCopy(*g, &arena));
        report(int(qMin<qint64>(kReadShare, kReadShare * (index + 1) / expectedGroups)));
        if (!original)
            continue;
        // Only CH1..CH3 take part in the analysis; the size rule of the file
        // counts three records per group.
        for (int b = 0; b < kBlocksPerGroup; ++b) {
            if (g->blocks[b]->nDataCnt <= 0)
                continue;
            if (b >= kChannelsPerGroup) {
                ++fourthChannels;
                continue;
            }
            WaveAnalyzeInfoPtr a = newWaveAnalyzeInfo();
            a->nMeasurePoint = index;
            a->nChannel = b;
            a->fChannelAngle = storedChannelAngle(g->head.fHeadingAngle + 120.0f * b);
            a->nFlawPos = g->blocks[b]->nFlawPos;
            a->nHighCutoff = g->head.nHighFreq;
            a->nLowCutoff = g->head.nLowFreq;
            a->fManualGain = initialGain;
            model.addWaveAnalyzeInfo(a);
        }
    }
    if (fourthChannels)
        warnings << QCoreApplication::translate("KvrDocument", "%1 个测点记录了第四通道，第四通道不参与分析")
                        .arg(fourthChannels);
    if (original && model.groupCount() != head.waveGroupCnt)
        warnings << QCoreApplication::translate("KvrDocument", "文件头记录 %1 个测点，文件中有 %2 个完整测点")
                        .arg(head.waveGroupCnt)
                        .arg(model.groupCount());

    if (!original) {
        QSet<qint64> seen;
        for (int j = 0;; ++j) {
            WaveAnalyzeInfoPtr a = newWaveAnalyzeInfo();
            if (!fop.readAnalysis(*a))
                break;
            a->fChannelAngle = storedChannelAngle(a->fChannelAngle);
            if (old) {
                a->fManualGain = 1.0f;
                a->nFilterWindow = 4;
            }
            if (sanitizeRecord(*a, j, model.waveGroupList(), seen, warnings))
                model.addWaveAnalyzeInfo(a);
        }
    }
    fop.close();
    // A read that failed before the end is the system's error (or the file
    // was cut while being read): not a file to work on.
    if (!fop.readError().isEmpty()) {
        r.message = unreadable.arg(shownPath, fop.readError());
        r.warnings.clear();
        return r;
    }
    report(kReadShare);
    if (model.waveCount() == 0 && model.groupCount() > 0)
        warnings << QCoreApplication::translate("KvrDocument", "文件中没有可分析的波形");

    state.original = original;
    state.old = old;
    state.maxSamplePoints = maxSamplePoints;
    state.maxWaveSpeed = maxWaveSpeed;
    r.ok = true;
    return r;
}

DocResult KvrDocument::check(const QString &path, MeasurementModel *model)
{
    FileHead head;
    MeasurementModel read;
    ReadState state;
    const DocResult r = readSurvey(path, head, read, state);
    if (model)
        *model = read;
    return r;
}

LoadedSurvey KvrDocument::load(const QString &path, const OpenProgress &progress)
{
    // Everything is built aside and takes the place of the open document
    // only when the whole file was read (adopt()).
    LoadedSurvey loaded;
    loaded.path = path;
    loaded.identity = kvrio::fileIdentity(path);
    FileHead &head = loaded.head;
    MeasurementModel &model = loaded.model;
    ReadState state;
    DocResult &r = loaded.result;
    // The progress only ever goes forward.
    int reported = -1;
    const OpenProgress report = [&](int percent) {
        if (progress && percent > reported) {
            reported = percent;
            progress(percent);
        }
    };
    r = readSurvey(path, head, model, state, report);
    if (!r.ok)
        return loaded;
    QStringList &warnings = r.warnings;
    const bool original = state.original;
    const bool old = state.old;
    const int maxSamplePoints = state.maxSamplePoints;
    const int maxWaveSpeed = state.maxWaveSpeed;
    // The main frequencies belong to the processing, not to the checks.
    for (int i = 0; i < model.groupCount(); ++i)
        model.addFftInfo(newFftInfo());

    qDebug("波形个数为 ... %d, %d, %d", model.waveCount(), maxSamplePoints, head.waveGroupCnt);
    warnings << processing::describe(processing::processWaves(
        model, -1, [&](int done, int total) { report(kReadShare + (100 - kReadShare) * done / qMax(1, total)); }));

    head.modifyFlags = 0;
    head.modifyFlags2 = 0;
    if (original) {
        head.fWaveZoomScale = 1.0f;
        head.deleteChannelCnt = 0;
    } else {
        head.fWaveZoomScale = qBound(1.0f, head.fWaveZoomScale, 10.0f);
    }
    const float gain = processing::adaptiveGain(model.waveGroupList(), model.waveAnalyzeInfoList());
    if (gain != head.fWaveZoomScale)
        head.fWaveZoomScale = gain;
    qDebug("自适应的增益为 ... %f", double(gain));

    if (original) {
        if (maxWaveSpeed > 0)
            head.fWaveSpeed = float(maxWaveSpeed);
        else
            warnings << QCoreApplication::translate("KvrDocument", "测点未记录有效波速，波速保持 %1")
                            .arg(double(head.fWaveSpeed));
        qDebug("将文件类型更改为“ANA”");
        fileformat::changeTypeToAnalysis(head);
    }
    if (old) {
        qDebug("如果是旧文件，则需要修改文件版本号");
        fileformat::raiseVersion(head);
    }
    report(100);

    loaded.original = original;
    loaded.old = old;
    loaded.adaptiveGain = gain;
    loaded.maxSamplePoints = maxSamplePoints;
    r.ok = true;
    return loaded;
}

DocResult KvrDocument::adopt(LoadedSurvey loaded)
{
    DocResult r = loaded.result;
    if (!r.ok)
        return r;
    // The header handle is shared with whoever displays it: fill it in place.
    *m_head = loaded.head;
    m_model = loaded.model;
    m_model.setFocusIndex(0);
    m_path = loaded.path;
    m_diskIdentity = loaded.identity;
    m_open = true;
    m_wasOriginal = loaded.original;
    m_oldVersion = loaded.old;
    m_adaptiveGain = loaded.adaptiveGain;
    // An original or old-version file is converted in memory; writing the
    // conversion is the engineer's choice, so it counts as unsaved.
    m_blConversionPending = loaded.original || loaded.old;
    m_history.clear();
    rememberSavedState();
    updateChangeMarks();
    SystemConfig::instance().setMaxSamplePoints(loaded.maxSamplePoints);
    for (const QString &w : qAsConst(r.warnings))
        qDebug("onSelectedFile: %s", qPrintable(w));
    qDebug("onSelectedFile：文件打开成功！");
    emit stateChanged();
    return r;
}

DocResult KvrDocument::open(const QString &path) { return adopt(load(path)); }

DocResult KvrDocument::save() { return writeTo(m_path); }

DocResult KvrDocument::saveAs(const QString &path) { return writeTo(path); }

DocResult KvrDocument::writeTo(const QString &path)
{
    DocResult r;
    if (!m_open || path.isEmpty()) {
        r.message = QCoreApplication::translate("KvrDocument", "没有打开的文件！");
        return r;
    }
    // The file on disk becomes exactly the model: header, all groups in list
    // order, all analysis records in list order. The counts are those of what
    // is written, so the file passes the acceptance test when reopened.
    const WaveGroupList &groups = m_model.waveGroupList();
    WaveAnalyzeInfoList records;
    records.reserve(m_model.waveCount());
    for (const auto &a : m_model.waveAnalyzeInfoList()) {
        WaveAnalyzeInfoPtr c = deepCopy(*a);
        c->blModified = 0;
        c->blFilterChanged = 0;
        records << c;
    }
    FileHead disk = *m_head;
    disk.waveGroupCnt = groups.size();
    disk.deleteChannelCnt = kChannelsPerGroup * groups.size() - records.size();
    // The adaptive gain of the waves as they are now, as the next open will
    // find it: deleting the loudest wave changes it, and a file saved twice
    // without edits in between keeps every byte.
    disk.fWaveZoomScale = processing::adaptiveGain(groups, records);

    qDebug("重新写入全部的波形数据!\r\n");
    const QString failed = QCoreApplication::translate("KvrDocument", "保存文件失败：%1，原文件未被改动！");
    kvrio::SafeFile file(path, QStringList(), m_deviceFactory);
    if (!file.open()) {
        r.message = failed.arg(file.errorString());
        return r;
    }
    FileOperation fop;
    fop.openDevice(file.device(), FileOperation::ReadWrite, FileOperation::FileTypeWaveGroups);
    const bool written = fop.rewriteAll(groups, records) && fop.writeHeader(&disk);
    fop.close();
    if (!written)
        file.abandon();
    if (!written || !file.commit()) {
        r.message = failed.arg(file.errorString());
        return r;
    }

    for (const auto &a : m_model.waveAnalyzeInfoList())
        a->blFilterChanged = 0;
    m_head->waveGroupCnt = disk.waveGroupCnt;
    m_head->deleteChannelCnt = disk.deleteChannelCnt;
    m_head->fWaveZoomScale = disk.fWaveZoomScale;
    m_adaptiveGain = disk.fWaveZoomScale;
    m_path = path;
    m_diskIdentity = kvrio::fileIdentity(path);
    m_blConversionPending = false;
    m_history.setClean();
    rememberSavedState();
    updateChangeMarks();
    r.ok = true;
    emit stateChanged();
    return r;
}

// ---- Edits ------------------------------------------------------------------

bool KvrDocument::changedOnDisk() const { return m_open && kvrio::fileIdentity(m_path) != m_diskIdentity; }

bool KvrDocument::isModified() const { return m_open && (m_blConversionPending || !m_history.isClean()); }

void KvrDocument::rememberSavedState()
{
    m_savedHead = *m_head;
    m_savedWaves.clear();
    m_savedWaves.reserve(m_model.waveCount());
    for (const WaveAnalyzeInfoPtr &a : m_model.waveAnalyzeInfoList())
        m_savedWaves.insert(a.get(),
                            SavedWave {a, a->nFlawPos, flawBottom(*a), a->nHighCutoff, a->nLowCutoff, a->nFilterOrder, a->nFilterWindow,
                                       a->fManualGain});
}

void KvrDocument::updateChangeMarks()
{
    // At the saved point nothing differs, so the marks are clear exactly when
    // the history says the survey is saved (a conversion still pending
    // aside); between, they name what a save would change.
    const bool clean = !isModified();
    quint32 flags = clean ? 0 : headerfield::changedBits(*m_head, m_savedHead);
    if (m_blConversionPending
        || (!clean
            && (m_head->deleteChannelCnt != m_savedHead.deleteChannelCnt
                || m_model.waveCount() != m_savedWaves.size())))
        flags |= ModTypeOrVersion;
    m_head->modifyFlags = flags;
    m_head->modifyFlags2 = 0;
    for (const WaveAnalyzeInfoPtr &a : m_model.waveAnalyzeInfoList()) {
        const auto it = m_savedWaves.constFind(a.get());
        const bool same = clean
            || (it != m_savedWaves.constEnd() && it->nFlawPos == a->nFlawPos
                && it->nFlawBottom == flawBottom(*a) && it->nHighCutoff == a->nHighCutoff
                && it->nLowCutoff == a->nLowCutoff && it->nFilterOrder == a->nFilterOrder
                && it->nFilterWindow == a->nFilterWindow && it->fManualGain == a->fManualGain);
        a->blModified = same ? 0 : 1;
    }
}

bool KvrDocument::setFocusIndex(int index)
{
    if (index < 0 || index >= m_model.waveCount() || index == m_model.focusIndex())
        return false;
    m_model.setFocusIndex(index);
    emit focusChanged(index);
    return true;
}

void KvrDocument::announce(const DocChange &change)
{
    updateChangeMarks();
    if (change.has(DocChange::Order))
        SystemConfig::instance().setMaxSamplePoints(m_model.maxSamplePoints());
    emit changed(change);
    if (change.focus >= 0)
        emit focusChanged(change.focus);
    emit stateChanged();
}

DocChange KvrDocument::perform(std::unique_ptr<EditCommand> command)
{
    EditTarget target {m_model, *m_head};
    const DocChange change = command->redo(target);
    qDebug("KvrDocument: %s", qUtf8Printable(command->text()));
    m_history.push(std::move(command));
    announce(change);
    return change;
}

bool KvrDocument::undo() { return step(false); }

bool KvrDocument::redo() { return step(true); }

bool KvrDocument::step(bool forward)
{
    EditCommand *command = forward ? m_history.redoCommand() : m_history.undoCommand();
    if (!command)
        return false;
    EditTarget target {m_model, *m_head};
    qDebug("KvrDocument: %s %s", forward ? "重做" : "撤销", qUtf8Printable(command->text()));
    const DocChange change = forward ? command->redo(target) : command->undo(target);
    if (forward)
        m_history.stepForward();
    else
        m_history.stepBack();
    announce(change);
    return true;
}

bool KvrDocument::checkWave(int wave, DocResult *r) const
{
    if (!m_open) {
        r->message = QCoreApplication::translate("KvrDocument", "没有打开的文件！");
        return false;
    }
    if (wave < 0 || wave >= m_model.waveCount()) {
        r->message = QCoreApplication::translate("KvrDocument", "波形序号 %1 超出范围（共 %2 个波形，从0开始）")
                         .arg(wave)
                         .arg(m_model.waveCount());
        return false;
    }
    return true;
}

DocResult KvrDocument::setFlawMark(int wave, int sample)
{
    const DocResult r = checkFlawMark(wave, sample);
    if (!r.ok || m_model.waveAnalyzeInfoAt(wave)->nFlawPos == sample)
        return r;
    perform(std::unique_ptr<EditCommand>(new FlawMarkCommand(m_model.waveAnalyzeInfoAt(wave), sample)));
    return r;
}

DocResult KvrDocument::clearFlawMark(int wave) { return setFlawMark(wave, kNoValue); }

DocResult KvrDocument::setFlawBottom(int wave, int sample)
{
    DocResult r = checkFlawMark(wave, sample);
    if (!r.ok)
        return r;
    const WaveAnalyzeInfoPtr a = m_model.waveAnalyzeInfoAt(wave);
    if (sample != kNoValue) {
        if (a->nFlawPos < 0) {
            r.ok = false;
            r.message = QCoreApplication::translate("KvrDocument", "波形 %1 没有洞顶标记，不能标记洞底").arg(wave);
            return r;
        }
        if (sample <= a->nFlawPos) {
            r.ok = false;
            r.message = QCoreApplication::translate("KvrDocument", "洞底位置 %1 须在洞顶位置 %2 之下")
                            .arg(sample)
                            .arg(a->nFlawPos);
            return r;
        }
    }
    if (flawBottom(*a) == sample)
        return r;
    const QString text = sample == kNoValue ? QCoreApplication::translate("KvrDocument", "清除洞底标记")
                                            : QCoreApplication::translate("KvrDocument", "标记洞底");
    perform(std::unique_ptr<EditCommand>(new FlawMarkCommand(a, a->nFlawPos, sample, text)));
    return r;
}

DocResult KvrDocument::checkFlawMark(int wave, int sample) const
{
    DocResult r;
    if (!checkWave(wave, &r))
        return r;
    const WaveAnalyzeInfoPtr a = m_model.waveAnalyzeInfoAt(wave);
    const WaveGroupPtr g = m_model.waveGroupAt(a->nMeasurePoint);
    if (!g || a->nChannel < 0 || a->nChannel >= kChannelsPerGroup) {
        r.message = QCoreApplication::translate("KvrDocument", "波形 %1 没有可标记的数据").arg(wave);
        return r;
    }
    if (sample != kNoValue) {
        const int count = g->blocks[a->nChannel]->nDataCnt;
        if (sample < 0 || sample >= count) {
            r.message = QCoreApplication::translate("KvrDocument", "缺陷位置 %1 不在波形 %2 内（0到%3）")
                            .arg(sample)
                            .arg(wave)
                            .arg(count - 1);
            return r;
        }
    }
    r.ok = true;
    return r;
}

DocResult KvrDocument::setFlawMarks(const QVector<QPair<int, int>> &marks, const QString &text)
{
    std::unique_ptr<EditMacro> macro(new EditMacro(text));
    for (const auto &m : marks) {
        const DocResult r = checkFlawMark(m.first, m.second);
        if (!r.ok)
            return r;
        const WaveAnalyzeInfoPtr a = m_model.waveAnalyzeInfoAt(m.first);
        if (a->nFlawPos != m.second)
            macro->add(std::unique_ptr<EditCommand>(new FlawMarkCommand(a, m.second)));
    }
    DocResult r;
    r.ok = true;
    if (macro->size() > 0)
        perform(std::move(macro));
    return r;
}

DocResult KvrDocument::setCaveMarks(const QVector<CaveMarkEdit> &marks, const QString &text)
{
    std::unique_ptr<EditMacro> macro(new EditMacro(text));
    for (const CaveMarkEdit &m : marks) {
        DocResult r = checkFlawMark(m.wave, m.top);
        if (r.ok && m.bottom != kNoValue)
            r = checkFlawMark(m.wave, m.bottom);
        if (r.ok && m.bottom != kNoValue && (m.top < 0 || m.bottom <= m.top)) {
            r.ok = false;
            r.message = QCoreApplication::translate("KvrDocument", "洞底位置 %1 须在洞顶位置 %2 之下")
                            .arg(m.bottom)
                            .arg(m.top);
        }
        if (!r.ok)
            return r;
        const WaveAnalyzeInfoPtr a = m_model.waveAnalyzeInfoAt(m.wave);
        if (m.bottom == kNoValue) {
            if (a->nFlawPos != m.top)
                macro->add(std::unique_ptr<EditCommand>(new FlawMarkCommand(a, m.top)));
        } else if (a->nFlawPos != m.top || flawBottom(*a) != m.bottom) {
            macro->add(std::unique_ptr<EditCommand>(new FlawMarkCommand(a, m.top, m.bottom, text)));
        }
    }
    DocResult r;
    r.ok = true;
    if (macro->size() > 0)
        perform(std::move(macro));
    return r;
}

DocResult KvrDocument::applyWaveParams(int wave, const WaveParams &params)
{
    DocResult r;
    if (wave != -1 && !checkWave(wave, &r))
        return r;
    if (!m_open || m_model.waveCount() == 0) {
        r.message = QCoreApplication::translate("KvrDocument", "没有可应用参数的波形");
        return r;
    }
    r.message = params.check();
    if (!r.message.isEmpty())
        return r;
    WaveAnalyzeInfoList records;
    if (wave >= 0)
        records << m_model.waveAnalyzeInfoAt(wave);
    auto *command = new WaveParamsCommand(wave >= 0 ? QCoreApplication::translate("KvrDocument", "应用滤波参数")
                                                    : QCoreApplication::translate("KvrDocument", "应用到所有波形"),
                                          records, params);
    perform(std::unique_ptr<EditCommand>(command));
    r.warnings = processing::describe(command->problems());
    r.ok = true;
    return r;
}

DocResult KvrDocument::swapWaves(int wave, int step)
{
    return reorderWave(wave, step, false, QCoreApplication::translate("KvrDocument", "交换波形"));
}

DocResult KvrDocument::moveWave(int wave, int step)
{
    return reorderWave(wave, step, true, QCoreApplication::translate("KvrDocument", "移动波形"));
}

DocResult KvrDocument::reorderWave(int wave, int step, bool move, const QString &text)
{
    DocResult r;
    if (!checkWave(wave, &r))
        return r;
    // The target place in 64 bits: a step near the integer limits must not wrap.
    const qint64 target = qint64(wave) + qint64(step);
    if (target < 0 || target >= m_model.waveCount()) {
        r.message = QCoreApplication::translate("KvrDocument", "波形 %1 移动 %2 位后超出范围（共 %3 个波形，从0开始）")
                        .arg(wave)
                        .arg(step)
                        .arg(m_model.waveCount());
        return r;
    }
    r.ok = true;
    if (step != 0)
        perform(std::unique_ptr<EditCommand>(new WaveOrderCommand(text, wave, wave + step, move)));
    return r;
}

DocResult KvrDocument::deleteWave(int wave)
{
    DocResult r;
    if (!checkWave(wave, &r))
        return r;
    if (m_model.waveCount() == 1) {
        r.message = QCoreApplication::translate("KvrDocument", "这是文件中唯一的波形，不能删除！");
        return r;
    }
    perform(std::unique_ptr<EditCommand>(new DeleteWaveCommand(wave)));
    r.ok = true;
    return r;
}

DocResult KvrDocument::setHeaderField(HeaderField field, const QString &value)
{
    DocResult r;
    if (!m_open) {
        r.message = QCoreApplication::translate("KvrDocument", "没有打开的文件！");
        return r;
    }
    FileHead after = *m_head;
    r.message = headerfield::store(after, field, value);
    if (!r.message.isEmpty())
        return r;
    r.ok = true;
    const bool same = (field == HeaderField::WaveSpeed) ? after.fWaveSpeed == m_head->fWaveSpeed
        : (field == HeaderField::OffsetAngle)
        ? after.fOffsetAngle == m_head->fOffsetAngle
        : headerfield::valueText(after, field) == headerfield::valueText(*m_head, field);
    if (same)
        return r; // the same value: nothing to record
    perform(std::unique_ptr<EditCommand>(new HeaderFieldCommand(field, *m_head, after)));
    return r;
}
