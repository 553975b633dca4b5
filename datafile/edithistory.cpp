#include "edithistory.h"

#include <algorithm>

void EditHistory::push(std::unique_ptr<EditCommand> command)
{
    if (!command)
        return;
    if (m_nIndex < int(m_commands.size())) {
        for (auto it = m_commands.begin() + m_nIndex; it != m_commands.end(); ++it)
            m_nBytes -= (*it)->memoryBytes();
        m_commands.erase(m_commands.begin() + m_nIndex, m_commands.end());
        if (m_nCleanIndex > m_nIndex)
            m_nCleanIndex = -1; // the saved state was undone and is now gone
    }
    // Merging into the command at the saved point would change what was saved
    // without the history noticing.
    if (m_blMerging && m_nIndex > 0 && m_nCleanIndex != m_nIndex && command->id() >= 0) {
        EditCommand &last = *m_commands.back();
        const qint64 before = last.memoryBytes();
        if (last.id() == command->id() && last.mergeWith(*command)) {
            m_nBytes += last.memoryBytes() - before;
            trim();
            return;
        }
    }
    m_nBytes += command->memoryBytes();
    m_commands.push_back(std::move(command));
    m_nIndex = int(m_commands.size());
    trim();
}

void EditHistory::setBudget(qint64 bytes)
{
    m_nBudget = bytes;
    trim();
}

void EditHistory::trim()
{
    // The oldest steps go first, but never the one the next undo takes back.
    int drop = 0;
    qint64 bytes = m_nBytes;
    while (bytes > m_nBudget && drop < m_nIndex - 1) {
        bytes -= m_commands[size_t(drop)]->memoryBytes();
        ++drop;
    }
    if (drop > 0) {
        m_commands.erase(m_commands.begin(), m_commands.begin() + drop);
        m_nIndex -= drop;
        m_nDropped += drop;
        if (m_nCleanIndex >= 0)
            m_nCleanIndex = m_nCleanIndex >= drop ? m_nCleanIndex - drop : -1; // the saved point went with them
    }
    // Still too much: the steps that were undone go, the farthest first,
    // keeping one to redo.
    while (bytes > m_nBudget && int(m_commands.size()) > std::max(m_nIndex + 1, 1)) {
        bytes -= m_commands.back()->memoryBytes();
        m_commands.pop_back();
        ++m_nDropped;
        if (m_nCleanIndex > int(m_commands.size()))
            m_nCleanIndex = -1;
    }
    m_nBytes = bytes;
}

QString EditHistory::undoText() const { return canUndo() ? m_commands[size_t(m_nIndex - 1)]->text() : QString(); }

QString EditHistory::redoText() const { return canRedo() ? m_commands[size_t(m_nIndex)]->text() : QString(); }

EditCommand *EditHistory::undoCommand() const { return canUndo() ? m_commands[size_t(m_nIndex - 1)].get() : nullptr; }

void EditHistory::stepBack()
{
    if (canUndo())
        --m_nIndex;
}

EditCommand *EditHistory::redoCommand() const { return canRedo() ? m_commands[size_t(m_nIndex)].get() : nullptr; }

void EditHistory::stepForward()
{
    if (canRedo())
        ++m_nIndex;
}

void EditHistory::clear()
{
    m_commands.clear();
    m_nIndex = 0;
    m_nCleanIndex = 0;
    m_nBytes = 0;
    m_nDropped = 0;
}
