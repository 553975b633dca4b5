#include "editcommands.h"

#include "datafile/measurementmodel.h"
#include "datafile/processing.h"

#include <QCoreApplication>
#include "io/textcheck.h"

#include <QTextCodec>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {


struct FieldInfo {
    HeaderField field;
    const char *key;
    const char *label;
    quint32 bit;
};

const FieldInfo kFields[] = {
    {HeaderField::WorkName, "workName", QT_TRANSLATE_NOOP("EditCommand", "工地名称"), ModWorkName},
    {HeaderField::DetectUnit, "detectUnit", QT_TRANSLATE_NOOP("EditCommand", "检测单位"), ModDetectUnit},
    {HeaderField::DetectName, "detectName", QT_TRANSLATE_NOOP("EditCommand", "检测人员"), ModDetectName},
    {HeaderField::PilingNumber, "pilingNumber", QT_TRANSLATE_NOOP("EditCommand", "桩号"), ModPilingNumber},
    {HeaderField::DetectTime, "detectTime", QT_TRANSLATE_NOOP("EditCommand", "检测时间"), ModDetectTime},
    {HeaderField::WaveSpeed, "fWaveSpeed", QT_TRANSLATE_NOOP("EditCommand", "波速"), ModWaveSpeed},
    {HeaderField::OffsetAngle, "fOffsetAngle", QT_TRANSLATE_NOOP("EditCommand", "磁偏角"), ModOffsetAngle},
};

const FieldInfo &info(HeaderField f)
{
    for (const FieldInfo &i : kFields) {
        if (i.field == f)
            return i;
    }
    return kFields[0];
}

char *textField(FileHead &h, HeaderField f)
{
    switch (f) {
    case HeaderField::WorkName: return h.workName;
    case HeaderField::DetectUnit: return h.detectUnit;
    case HeaderField::DetectName: return h.detectName;
    case HeaderField::PilingNumber: return h.pilingNumber;
    case HeaderField::DetectTime: return h.detectTime;
    default: return nullptr;
    }
}

const char *textField(const FileHead &h, HeaderField f) { return textField(const_cast<FileHead &>(h), f); }

float *numberField(FileHead &h, HeaderField f)
{
    if (f == HeaderField::WaveSpeed)
        return &h.fWaveSpeed;
    if (f == HeaderField::OffsetAngle)
        return &h.fOffsetAngle;
    return nullptr;
}

int indexOfRecord(const MeasurementModel &m, const WaveAnalyzeInfoPtr &r) { return m.waveAnalyzeInfoList().indexOf(r); }

// The change notice for edits of the listed waves, found by their records
// (a record no longer in the list is left out).
DocChange wavesChanged(const MeasurementModel &m, const WaveAnalyzeInfoList &records)
{
    DocChange c;
    c.what = DocChange::Waves;
    for (const WaveAnalyzeInfoPtr &r : records) {
        const int i = indexOfRecord(m, r);
        if (i >= 0)
            c.waves << i;
    }
    return c;
}

// Filters the listed waves again (all of them with `all`); returns the
// problems met.
QVector<processing::WaveProblem> refilter(EditTarget &t, const WaveAnalyzeInfoList &records, bool all)
{
    MeasurementModel &m = t.model;
    if (all)
        return processing::processWaves(m, -1);
    QVector<processing::WaveProblem> problems;
    for (const WaveAnalyzeInfoPtr &r : records) {
        const int i = indexOfRecord(m, r);
        if (i >= 0)
            problems << processing::processWaves(m, i);
    }
    return problems;
}

bool filterDiffers(const WaveAnalyzeInfo &a, const WaveAnalyzeInfo &b)
{
    return a.nFilterWindow != b.nFilterWindow || a.nLowCutoff != b.nLowCutoff || a.nHighCutoff != b.nHighCutoff
        || a.nFilterOrder != b.nFilterOrder;
}

} // namespace

// ---- Header fields ---------------------------------------------------------

const QVector<HeaderField> &headerfield::all()
{
    static const QVector<HeaderField> fields = {
        HeaderField::WorkName,   HeaderField::DetectUnit, HeaderField::DetectName, HeaderField::PilingNumber,
        HeaderField::DetectTime, HeaderField::WaveSpeed,  HeaderField::OffsetAngle};
    return fields;
}

QString headerfield::key(HeaderField f) { return QLatin1String(info(f).key); }

bool headerfield::fromKey(const QString &key, HeaderField *f)
{
    for (const FieldInfo &i : kFields) {
        if (key == QLatin1String(i.key)) {
            *f = i.field;
            return true;
        }
    }
    return false;
}

QString headerfield::label(HeaderField f) { return QCoreApplication::translate("EditCommand", info(f).label); }

quint32 headerfield::changeBit(HeaderField f) { return info(f).bit; }

quint32 headerfield::changedBits(const FileHead &a, const FileHead &b)
{
    quint32 bits = 0;
    for (HeaderField f : all()) {
        const bool same = textField(a, f) ? std::memcmp(textField(a, f), textField(b, f), kTextFieldSize) == 0
                                          : std::memcmp(numberField(const_cast<FileHead &>(a), f),
                                                        numberField(const_cast<FileHead &>(b), f), sizeof(float))
                == 0;
        if (!same)
            bits |= changeBit(f);
    }
    return bits;
}

QString headerfield::valueText(const FileHead &head, HeaderField f)
{
    if (const char *text = textField(head, f))
        return decodeText(text);
    return QString::number(double(*numberField(const_cast<FileHead &>(head), f)), 'g', 7);
}

QString headerfield::store(FileHead &head, HeaderField f, const QString &value)
{
    if (char *text = textField(head, f)) {
        // Undecodable input (lone surrogate halves) and control characters
        // would be stored as "?" or garble the field: refused, never stored.
        QTextCodec *codec = QTextCodec::codecForName("gb18030");
        if (!kvrio::isCleanText(value) || (codec && !codec->canEncode(value)))
            return QCoreApplication::translate("EditCommand", "%1含有无法保存的字符（无效的编码或控制字符）").arg(label(f));
        const QByteArray bytes = codec ? codec->fromUnicode(value) : value.toUtf8();
        if (bytes.size() > kTextFieldSize)
            return QCoreApplication::translate("EditCommand", "%1“%2”过长：最多%3个字节（约%4个汉字）")
                .arg(label(f), value)
                .arg(kTextFieldSize)
                .arg(kTextFieldSize / 2);
        encodeText(text, value);
        return QString();
    }
    bool ok = false;
    const float v = value.trimmed().toFloat(&ok);
    if (f == HeaderField::WaveSpeed) {
        if (!ok || !std::isfinite(v) || v < kMinWaveSpeed || v > kMaxWaveSpeed)
            return QCoreApplication::translate("EditCommand", "波速“%1”无效，请输入%2到%3之间的数值（m/s）！")
                .arg(value)
                .arg(double(kMinWaveSpeed))
                .arg(double(kMaxWaveSpeed));
        head.fWaveSpeed = v;
        return QString();
    }
    if (!ok || !std::isfinite(v) || v < 0.0f || v > 360.0f)
        return QCoreApplication::translate("EditCommand", "磁偏角“%1”无效，请输入0到360之间的数值！").arg(value);
    head.fOffsetAngle = v;
    return QString();
}

// ---- Wave parameters --------------------------------------------------------

QString WaveParams::check() const
{
    if (blFilter) {
        if (nFilterWindow < 0 || nFilterWindow > 4)
            return QCoreApplication::translate("EditCommand", "窗函数代码“%1”无效，请输入0到4之间的整数！")
                .arg(nFilterWindow);
        if (nLowCutoff <= 0 || nLowCutoff >= kMaxCutoff)
            return QCoreApplication::translate("EditCommand", "下限截止频率“%1”无效，请输入大于0且小于%2的整数！")
                .arg(nLowCutoff)
                .arg(kMaxCutoff);
        if (nHighCutoff <= 0 || nHighCutoff >= kMaxCutoff)
            return QCoreApplication::translate("EditCommand", "上限截止频率“%1”无效，请输入大于0且小于%2的整数！")
                .arg(nHighCutoff)
                .arg(kMaxCutoff);
        if (nLowCutoff >= nHighCutoff)
            return QCoreApplication::translate("EditCommand", "下限截止频率(%1 Hz)必须小于上限截止频率(%2 Hz)！")
                .arg(nLowCutoff)
                .arg(nHighCutoff);
        if (nFilterOrder < kMinOrder || nFilterOrder > kMaxOrder)
            return QCoreApplication::translate("EditCommand", "滤波阶数“%1”无效，请输入%2到%3之间的整数！")
                .arg(nFilterOrder)
                .arg(kMinOrder)
                .arg(kMaxOrder);
    }
    if (blGain && (!std::isfinite(fManualGain) || fManualGain <= 0.0f || fManualGain > kMaxGain))
        return QCoreApplication::translate("EditCommand", "手动增益“%1”无效，请输入大于0且不超过%2的数值！")
            .arg(double(fManualGain))
            .arg(double(kMaxGain));
    if (!blFilter && !blGain)
        return QCoreApplication::translate("EditCommand", "没有要应用的参数");
    return QString();
}

// ---- Flaw mark ----------------------------------------------------------------

FlawMarkCommand::FlawMarkCommand(const WaveAnalyzeInfoPtr &record, int nFlawPos)
    : EditCommand(nFlawPos == kNoValue ? QCoreApplication::translate("EditCommand", "清除缺陷标记")
                                       : QCoreApplication::translate("EditCommand", "标记缺陷"))
    , m_record(record)
    , m_nFlawPos(nFlawPos)
{ }

FlawMarkCommand::FlawMarkCommand(const WaveAnalyzeInfoPtr &record, int nFlawPos, int nBottom, const QString &text)
    : EditCommand(text)
    , m_record(record)
    , m_nFlawPos(nFlawPos)
    , m_nBottom(nBottom)
    , m_blKeepBottom(false)
{ }

FlawMarkCommand::Saved FlawMarkCommand::read(EditTarget &t) const
{
    Saved s {m_record->nFlawPos, kNoValue, kNoValue, flawBottom(*m_record)};
    const int ch = m_record->nChannel;
    if (ch < 0 || ch >= kBlocksPerGroup)
        return s;
    if (const WaveGroupPtr g = t.model.waveGroupAt(m_record->nMeasurePoint))
        s.nOriginalPos = g->blocks[ch]->nFlawPos;
    if (const WaveGroupPtr g = t.model.filterWaveGroupAt(m_record->nMeasurePoint))
        s.nFilteredPos = g->blocks[ch]->nFlawPos;
    return s;
}

DocChange FlawMarkCommand::apply(EditTarget &t, const Saved &s)
{
    m_record->nFlawPos = s.nRecordPos;
    setFlawBottom(*m_record, s.nBottom);
    const int ch = m_record->nChannel;
    if (ch >= 0 && ch < kBlocksPerGroup) {
        if (const WaveGroupPtr g = t.model.waveGroupAt(m_record->nMeasurePoint))
            g->blocks[ch]->nFlawPos = s.nOriginalPos;
        if (const WaveGroupPtr g = t.model.filterWaveGroupAt(m_record->nMeasurePoint))
            g->blocks[ch]->nFlawPos = s.nFilteredPos;
    }
    return wavesChanged(t.model, {m_record});
}

DocChange FlawMarkCommand::redo(EditTarget &t)
{
    if (!m_blDone) {
        m_before = read(t);
        int bottom = m_nBottom;
        if (m_blKeepBottom)
            bottom = m_nFlawPos != kNoValue && m_before.nBottom > m_nFlawPos ? m_before.nBottom : kNoValue;
        m_after = {m_nFlawPos, m_nFlawPos, m_nFlawPos, bottom};
        m_blDone = true;
    }
    return apply(t, m_after);
}

DocChange FlawMarkCommand::undo(EditTarget &t) { return apply(t, m_before); }

// ---- Several edits as one -----------------------------------------------------

namespace {
// What a group of changes changed together.
struct ChangeSum {
    DocChange all;
    bool everyWave = false;
    void add(const DocChange &one)
    {
        all.what |= one.what;
        if (one.has(DocChange::Waves)) {
            everyWave = everyWave || one.waves.isEmpty();
            all.waves += one.waves;
        }
        if (one.focus >= 0)
            all.focus = one.focus;
    }
    DocChange result()
    {
        if (everyWave)
            all.waves.clear();
        std::sort(all.waves.begin(), all.waves.end());
        all.waves.erase(std::unique(all.waves.begin(), all.waves.end()), all.waves.end());
        return all;
    }
};
} // namespace

EditMacro::EditMacro(const QString &strText)
    : EditCommand(strText)
{ }

DocChange EditMacro::redo(EditTarget &t)
{
    ChangeSum sum;
    for (const auto &c : m_commands)
        sum.add(c->redo(t));
    return sum.result();
}

DocChange EditMacro::undo(EditTarget &t)
{
    ChangeSum sum;
    for (auto it = m_commands.rbegin(); it != m_commands.rend(); ++it)
        sum.add((*it)->undo(t));
    return sum.result();
}

// ---- Filter settings and gain ----------------------------------------------

WaveParamsCommand::WaveParamsCommand(const QString &strText, const WaveAnalyzeInfoList &records,
                                     const WaveParams &params)
    : EditCommand(strText)
    , m_records(records)
    , m_blAll(records.isEmpty())
    , m_params(params)
{ }

DocChange WaveParamsCommand::restore(EditTarget &t, const QVector<WaveAnalyzeInfo> &values)
{
    bool filterChanged = false;
    for (int i = 0; i < m_records.size(); ++i) {
        WaveAnalyzeInfo &r = *m_records.at(i);
        filterChanged = filterChanged || filterDiffers(r, values.at(i));
        r = values.at(i);
    }
    m_problems = filterChanged ? refilter(t, m_records, m_blAll) : QVector<processing::WaveProblem>();
    // Every wave when all were set: an empty list of waves says so.
    return wavesChanged(t.model, m_blAll ? WaveAnalyzeInfoList() : m_records);
}

DocChange WaveParamsCommand::redo(EditTarget &t)
{
    if (!m_blDone) {
        if (m_blAll)
            m_records = t.model.waveAnalyzeInfoList();
        for (const WaveAnalyzeInfoPtr &r : qAsConst(m_records)) {
            m_before << *r;
            WaveAnalyzeInfo a = *r;
            if (m_params.blFilter) {
                a.nFilterWindow = m_params.nFilterWindow;
                a.nLowCutoff = m_params.nLowCutoff;
                a.nHighCutoff = m_params.nHighCutoff;
                a.nFilterOrder = m_params.nFilterOrder;
            }
            if (m_params.blGain)
                a.fManualGain = m_params.fManualGain;
            m_after << a;
        }
        m_blDone = true;
    }
    return restore(t, m_after);
}

DocChange WaveParamsCommand::undo(EditTarget &t) { return restore(t, m_before); }

// ---- Order -------------------------------------------------------------------

WaveOrderCommand::WaveOrderCommand(const QString &strText, int from, int to, bool move)
    : EditCommand(strText)
    , m_nFrom(from)
    , m_nTo(to)
    , m_blMove(move)
{ }

DocChange WaveOrderCommand::redo(EditTarget &t)
{
    if (!m_blDone) {
        m_before = t.model.waveAnalyzeInfoList();
        for (const WaveAnalyzeInfoPtr &r : qAsConst(m_before))
            m_userOrderBefore << r->blUserOrder;
        m_nFocusBefore = t.model.focusIndex();
        m_after = m_before;
        m_moved = m_before.at(m_nFrom);
        if (m_blMove)
            m_after.move(m_nFrom, m_nTo);
        else
            m_after.swapItemsAt(m_nFrom, m_nTo);
        m_nFocusAfter = m_nTo;
        m_blDone = true;
    }
    t.model.replaceWaveAnalyzeInfoList(m_after);
    // From now on the list keeps the user's order, every record of it: a
    // file with the flag on some records only would reopen in another order.
    for (const WaveAnalyzeInfoPtr &r : qAsConst(m_after))
        r->blUserOrder = 1;
    t.model.setFocusIndex(m_nFocusAfter);
    DocChange c;
    c.what = DocChange::Order;
    c.focus = m_nFocusAfter;
    return c;
}

DocChange WaveOrderCommand::undo(EditTarget &t)
{
    t.model.replaceWaveAnalyzeInfoList(m_before);
    for (int i = 0; i < m_before.size(); ++i)
        m_before.at(i)->blUserOrder = m_userOrderBefore.at(i);
    t.model.setFocusIndex(m_nFocusBefore);
    DocChange c;
    c.what = DocChange::Order;
    c.focus = m_nFocusBefore;
    return c;
}

int WaveOrderCommand::id() const { return (!m_blMove && qAbs(m_nTo - m_nFrom) == 1) ? 1 : -1; }

bool WaveOrderCommand::mergeWith(const EditCommand &next)
{
    const auto *n = dynamic_cast<const WaveOrderCommand *>(&next);
    if (!n || n->m_moved != m_moved)
        return false;
    m_after = n->m_after;
    m_nFocusAfter = n->m_nFocusAfter;
    return true;
}

// ---- Deleting a wave -----------------------------------------------------------

DeleteWaveCommand::DeleteWaveCommand(int index)
    : EditCommand(QCoreApplication::translate("EditCommand", "删除波形"))
    , m_nIndex(index)
{ }

DocChange DeleteWaveCommand::redo(EditTarget &t)
{
    if (!m_blDone) {
        m_before = t.model.waveAnalyzeInfoList();
        m_nDeletedBefore = t.head.deleteChannelCnt;
        m_nFocusBefore = t.model.focusIndex();
        t.model.deleteChannel(m_nIndex, t.head);
        m_after = t.model.waveAnalyzeInfoList();
        m_nDeletedAfter = t.head.deleteChannelCnt;
        m_nFocusAfter = t.model.focusIndex();
        m_blDone = true;
    } else {
        t.model.replaceWaveAnalyzeInfoList(m_after);
        t.head.deleteChannelCnt = m_nDeletedAfter;
        t.model.setFocusIndex(m_nFocusAfter);
    }
    DocChange c;
    c.what = DocChange::Order | DocChange::Header;
    c.focus = m_nFocusAfter;
    return c;
}

DocChange DeleteWaveCommand::undo(EditTarget &t)
{
    t.model.replaceWaveAnalyzeInfoList(m_before);
    t.head.deleteChannelCnt = m_nDeletedBefore;
    t.model.setFocusIndex(m_nFocusBefore);
    DocChange c;
    c.what = DocChange::Order | DocChange::Header;
    c.focus = m_nFocusBefore;
    return c;
}

// ---- Header fields ---------------------------------------------------------------

HeaderFieldCommand::HeaderFieldCommand(HeaderField field, const FileHead &before, const FileHead &after)
    : EditCommand(QCoreApplication::translate("EditCommand", "修改") + headerfield::label(field))
    , m_field(field)
    , m_before(read(before, field))
    , m_after(read(after, field))
{ }

HeaderFieldCommand::Value HeaderFieldCommand::read(const FileHead &head, HeaderField field)
{
    Value v;
    if (const char *text = textField(head, field))
        v.bytes = QByteArray(text, kTextFieldSize);
    else
        v.bytes =
            QByteArray(reinterpret_cast<const char *>(numberField(const_cast<FileHead &>(head), field)), sizeof(float));
    return v;
}

void HeaderFieldCommand::write(FileHead &head, HeaderField field, const Value &v)
{
    if (char *text = textField(head, field))
        std::memcpy(text, v.bytes.constData(), kTextFieldSize);
    else
        std::memcpy(numberField(head, field), v.bytes.constData(), sizeof(float));
}

DocChange HeaderFieldCommand::redo(EditTarget &t)
{
    write(t.head, m_field, m_after);
    DocChange c;
    c.what = DocChange::Header;
    return c;
}

DocChange HeaderFieldCommand::undo(EditTarget &t)
{
    write(t.head, m_field, m_before);
    DocChange c;
    c.what = DocChange::Header;
    return c;
}

int HeaderFieldCommand::id() const { return 100 + int(m_field); }

bool HeaderFieldCommand::mergeWith(const EditCommand &next)
{
    const auto *n = dynamic_cast<const HeaderFieldCommand *>(&next);
    if (!n || n->m_field != m_field)
        return false;
    m_after = n->m_after;
    return true;
}

// ---- What the commands keep ------------------------------------------------
// A list handle costs a pointer per wave; records kept by value cost their
// size.

qint64 EditMacro::memoryBytes() const
{
    qint64 bytes = 256;
    for (const auto &c : m_commands)
        bytes += c->memoryBytes();
    return bytes;
}

qint64 WaveParamsCommand::memoryBytes() const
{
    return 256 + qint64(m_records.size()) * qint64(sizeof(void *))
        + qint64(m_before.size() + m_after.size()) * qint64(sizeof(WaveAnalyzeInfo));
}

qint64 WaveOrderCommand::memoryBytes() const
{
    return 256 + qint64(m_before.size() + m_after.size()) * qint64(sizeof(void *)) + m_userOrderBefore.size();
}

qint64 DeleteWaveCommand::memoryBytes() const
{
    return 256 + qint64(m_before.size() + m_after.size()) * qint64(sizeof(void *)) + qint64(sizeof(WaveAnalyzeInfo));
}
