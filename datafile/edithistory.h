// The edit history of an open survey: every change the program makes to a
// survey is an EditCommand that can be undone and redone, kept in order by
// EditHistory. The history also knows the point at which the survey was last
// saved (or opened), which is what "unsaved" means.
#pragma once

#include "datafile/records.h"

#include <QMetaType>
#include <QString>
#include <QVector>
#include <memory>
#include <vector>

class MeasurementModel;

// What a command changed, as the document announces it after every edit,
// undo and redo, so that views refresh exactly that.
struct DocChange {
    enum What : unsigned {
        Header = 0x1, // a header field (texts, wave speed, declination, counts)
        Waves = 0x2,  // records of some waves: flaw marks, filter settings, gains, processed samples
        Order = 0x4,  // the list of waves itself: order, deletions, insertions
    };
    unsigned what = 0;
    // With Waves: the list indexes (after the change) of the waves touched;
    // empty means every wave.
    QVector<int> waves;
    // The focus the change moved to, or -1 when it left the focus alone.
    int focus = -1;

    bool has(What w) const { return (what & w) != 0; }
    bool isEmpty() const { return what == 0; }
};
Q_DECLARE_METATYPE(DocChange)

// What commands work on: the model and the header of one open survey.
struct EditTarget {
    MeasurementModel &model;
    FileHead &head;
};

class EditCommand
{
public:
    explicit EditCommand(const QString &strText)
        : m_strText(strText)
    { }
    virtual ~EditCommand() = default;
    EditCommand(const EditCommand &) = delete;
    EditCommand &operator=(const EditCommand &) = delete;

    // The command's name as the user sees it ("删除波形").
    QString text() const { return m_strText; }

    // Applies the command (again) and says what changed.
    virtual DocChange redo(EditTarget &target) = 0;
    // Puts back exactly what redo() changed.
    virtual DocChange undo(EditTarget &target) = 0;

    // Two commands in a row with the same id >= 0 may merge into one entry of
    // the history: mergeWith() takes over the later command's effect and
    // returns true, or returns false to keep them apart.
    virtual int id() const { return -1; }
    // About how many bytes the command keeps to redo and undo itself; the
    // history's memory budget counts these.
    virtual qint64 memoryBytes() const { return 256; }
    virtual bool mergeWith(const EditCommand &next)
    {
        Q_UNUSED(next)
        return false;
    }

private:
    QString m_strText;
};

class EditHistory
{
public:
    // Records a command whose redo() has just been applied. Everything that
    // could have been redone is dropped. The command merges into the one
    // before it when both agree, unless that one marks the saved point.
    void push(std::unique_ptr<EditCommand> command);

    bool canUndo() const { return m_nIndex > 0; }
    bool canRedo() const { return m_nIndex < int(m_commands.size()); }
    // Names of the commands an undo or redo would take back or apply again;
    // empty when there is none.
    QString undoText() const;
    QString redoText() const;

    // The command an undo takes back (null when there is none); the caller
    // undoes it and then calls stepBack().
    EditCommand *undoCommand() const;
    void stepBack();
    EditCommand *redoCommand() const;
    void stepForward();

    int index() const { return m_nIndex; }
    int count() const { return int(m_commands.size()); }

    // The saved point: the survey on disk is the state at index(). After
    // pushing a command past an undone saved point, the saved point can no
    // longer be reached.
    void setClean() { m_nCleanIndex = m_nIndex; }
    bool isClean() const { return m_nCleanIndex == m_nIndex; }

    // Empties the history; the present state is the saved point.
    void clear();

    // The most the kept commands may hold together (memoryBytes()); past it
    // the oldest steps are dropped, the last one is always kept. Dropping
    // the saved point leaves the survey unsaved until the next save.
    static constexpr qint64 kDefaultBudget = qint64(256) << 20;
    void setBudget(qint64 bytes);
    qint64 budget() const { return m_nBudget; }
    qint64 memoryBytes() const { return m_nBytes; }
    // Steps dropped for the budget since the last clear().
    int droppedCount() const { return m_nDropped; }

    // Whether commands that agree merge into one step (typing in one header
    // field, stepping one wave with the order buttons). Off, every action is
    // a step of its own.
    void setMerging(bool on) { m_blMerging = on; }

private:
    void trim();

    std::vector<std::unique_ptr<EditCommand>> m_commands;
    int m_nIndex = 0;
    int m_nCleanIndex = 0;
    qint64 m_nBudget = kDefaultBudget;
    qint64 m_nBytes = 0;
    int m_nDropped = 0;
    bool m_blMerging = true;
};
