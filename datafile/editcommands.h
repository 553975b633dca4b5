// The edits the program offers on an open survey, each an undoable command,
// and the values they take: flaw marks, filter settings and gains, the order
// of the waves, deleting a wave, and the header fields.
//
// Commands find their waves through the records themselves (shared
// handles), not through list positions, so they stay right whatever other
// commands did to the order in between.
#pragma once

#include "datafile/edithistory.h"
#include "datafile/processing.h"
#include "datafile/records.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// Header fields that can be edited.
enum class HeaderField { WorkName, DetectUnit, DetectName, PilingNumber, DetectTime, WaveSpeed, OffsetAngle };

namespace headerfield {
// Every editable field, in the order of the header.
const QVector<HeaderField> &all();
// The field's name as `kvr-cli info --json` prints it ("workName", ...).
QString key(HeaderField f);
bool fromKey(const QString &key, HeaderField *f);
// The field's name as the header panel shows it ("工地名称", ...).
QString label(HeaderField f);
// Its change bit in FileHead::modifyFlags.
quint32 changeBit(HeaderField f);
// The change bits of the fields whose bytes differ between two headers.
quint32 changedBits(const FileHead &a, const FileHead &b);
// The field's value as text (numbers as the panel shows them).
QString valueText(const FileHead &head, HeaderField f);
// Checks a new value; on success stores it in `head` (without the change
// bit) and returns an empty string, else returns why it was refused and
// leaves `head` alone.
QString store(FileHead &head, HeaderField f, const QString &value);
} // namespace headerfield

Q_DECLARE_METATYPE(HeaderField)

// Settings an "apply" writes into analysis records: the filter (window code,
// cut-offs in Hz, order) and/or the manual gain. Parts not set stay as the
// records have them.
struct WaveParams {
    static constexpr int kMaxCutoff = 250000; // Hz, exclusive: below half the sampling rate
    static constexpr int kMinOrder = 2;
    static constexpr int kMaxOrder = 4096;
    static constexpr float kMaxGain = 10000.0f;

    bool blFilter = false;
    int nFilterWindow = 4; // 0 rectangle .. 4 Blackman
    int nLowCutoff = 0;
    int nHighCutoff = 0;
    int nFilterOrder = 0;
    bool blGain = false;
    float fManualGain = 1.0f;

    // Empty when the settings can be applied, else why not (for the user).
    QString check() const;
};
Q_DECLARE_METATYPE(WaveParams)

// Sets (or, with kNoValue, clears) the flaw mark of one wave: its analysis
// record and its block in both group lists. The cave bottom stays while it
// is still below the new top and is cleared with the top otherwise.
class FlawMarkCommand : public EditCommand
{
public:
    FlawMarkCommand(const WaveAnalyzeInfoPtr &record, int nFlawPos);
    // Sets top and bottom as given (kNoValue: none), named `text`.
    FlawMarkCommand(const WaveAnalyzeInfoPtr &record, int nFlawPos, int nBottom, const QString &text);
    DocChange redo(EditTarget &target) override;
    DocChange undo(EditTarget &target) override;

private:
    struct Saved {
        int nRecordPos;
        int nOriginalPos;
        int nFilteredPos;
        int nBottom;
    };
    DocChange apply(EditTarget &target, const Saved &s);
    Saved read(EditTarget &target) const;

    WaveAnalyzeInfoPtr m_record;
    int m_nFlawPos;
    int m_nBottom = kNoValue;
    bool m_blKeepBottom = true; // keep the record's bottom when still below the top
    bool m_blDone = false;
    Saved m_before {};
    Saved m_after {};
};

// Several edits that go into the history as one (accepting many
// suggestions at once): redone in order, undone in reverse.
class EditMacro : public EditCommand
{
public:
    explicit EditMacro(const QString &strText);
    void add(std::unique_ptr<EditCommand> command) { m_commands.push_back(std::move(command)); }
    int size() const { return int(m_commands.size()); }
    DocChange redo(EditTarget &target) override;
    DocChange undo(EditTarget &target) override;
    qint64 memoryBytes() const override;

private:
    std::vector<std::unique_ptr<EditCommand>> m_commands;
};

// Writes filter settings and/or the gain into some waves (or all) and
// filters them again where the filter changed.
class WaveParamsCommand : public EditCommand
{
public:
    // `records` empty means every wave of the list at the time of redo().
    WaveParamsCommand(const QString &strText, const WaveAnalyzeInfoList &records, const WaveParams &params);
    DocChange redo(EditTarget &target) override;
    DocChange undo(EditTarget &target) override;
    // Waves that could not be filtered at the last redo or undo.
    QVector<processing::WaveProblem> problems() const { return m_problems; }
    qint64 memoryBytes() const override;

private:
    DocChange restore(EditTarget &target, const QVector<WaveAnalyzeInfo> &values);

    WaveAnalyzeInfoList m_records;
    bool m_blAll;
    WaveParams m_params;
    bool m_blDone = false;
    QVector<WaveAnalyzeInfo> m_before;
    QVector<WaveAnalyzeInfo> m_after;
    QVector<processing::WaveProblem> m_problems;
};

// A new order of the analysis list (swap, move). The list keeps the user's
// order from then on (blUserOrder on every record).
class WaveOrderCommand : public EditCommand
{
public:
    // Swaps wave `from` with wave `to`; with `move`, takes wave `from` out and
    // puts it in at `to` instead. The focus follows the wave.
    WaveOrderCommand(const QString &strText, int from, int to, bool move);
    DocChange redo(EditTarget &target) override;
    DocChange undo(EditTarget &target) override;
    // Steps of one wave by one place in a row (the order buttons) merge.
    int id() const override;
    bool mergeWith(const EditCommand &next) override;
    qint64 memoryBytes() const override;

private:
    int m_nFrom, m_nTo;
    bool m_blMove;
    bool m_blDone = false;
    WaveAnalyzeInfoPtr m_moved;
    WaveAnalyzeInfoList m_before, m_after;
    QVector<quint8> m_userOrderBefore;
    int m_nFocusBefore = 0, m_nFocusAfter = 0;
};

// Deletes one channel's wave (its analysis record) from the survey.
class DeleteWaveCommand : public EditCommand
{
public:
    explicit DeleteWaveCommand(int index);
    DocChange redo(EditTarget &target) override;
    DocChange undo(EditTarget &target) override;
    qint64 memoryBytes() const override;

private:
    int m_nIndex;
    bool m_blDone = false;
    WaveAnalyzeInfoList m_before, m_after;
    qint32 m_nDeletedBefore = 0, m_nDeletedAfter = 0;
    int m_nFocusBefore = 0, m_nFocusAfter = 0;
};

// One header field edited. Edits of the same field in a row merge.
class HeaderFieldCommand : public EditCommand
{
public:
    // `after` is the header with the new value already checked and stored.
    HeaderFieldCommand(HeaderField field, const FileHead &before, const FileHead &after);
    DocChange redo(EditTarget &target) override;
    DocChange undo(EditTarget &target) override;
    int id() const override;
    bool mergeWith(const EditCommand &next) override;

private:
    // The field's bytes, as they were and as they become.
    struct Value {
        QByteArray bytes;
    };
    static Value read(const FileHead &head, HeaderField field);
    static void write(FileHead &head, HeaderField field, const Value &v);

    HeaderField m_field;
    Value m_before, m_after;
};
