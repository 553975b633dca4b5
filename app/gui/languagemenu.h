// 帮助 → "语言 / Language": the interface language, remembered in the
// configuration and applied at the next start.
#pragma once

#include <QString>

#include <functional>

class MainWindow;
class QMenu;

// Shows the note that the choice takes effect at the next start (title, text).
using LanguageNoteFunc = std::function<void(const QString &, const QString &)>;

// Adds the submenu to the window's help menu and returns it. Its title and
// the language names are written in both languages (each name in its own),
// so that a user who cannot read the current language still finds them.
// `note` shows the note; by default a message box over the window.
QMenu *addLanguageMenu(MainWindow &window, LanguageNoteFunc note = LanguageNoteFunc());
