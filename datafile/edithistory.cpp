#include "edithistory.h"

void EditHistory::push(std::unique_ptr<EditCommand> command)
{
    if (!command)
        return;
    if (m_nIndex < int(m_commands.size())) {
        m_commands.erase(m_commands.begin() + m_nIndex, m_commands.end());
        if (m_nCleanIndex > m_nIndex)
            m_nCleanIndex = -1; // the saved state was undone and is now gone
    }
    // Merging into the command at the saved point would change what was saved
    // without the history noticing.
    if (m_nIndex > 0 && m_nCleanIndex != m_nIndex && command->id() >= 0) {
        EditCommand &last = *m_commands.back();
        if (last.id() == command->id() && last.mergeWith(*command))
            return;
    }
    m_commands.push_back(std::move(command));
    m_nIndex = int(m_commands.size());
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
}
