// The interface language: Chinese (the texts in the sources) or English
// (translations/kvr_en.ts, compiled into the resources).
#pragma once

#include <QLocale>
#include <QString>

enum class UiLanguage { Chinese, English };

// The remembered choice in the configuration: "zh", "en", or anything else
// (empty, "system") to follow the system locale.
QString languageSettingSystem();
QString languageSettingFor(UiLanguage language);

// The language for a remembered setting on a system with `systemLocale`.
// Following the system: a Chinese locale gives Chinese; the C/POSIX locale
// (no language configured at all) gives the program's own Chinese; any other
// language gives English.
UiLanguage resolveUiLanguage(const QString &setting, const QLocale &systemLocale = QLocale::system());

// Installs the translators of `language` on the running application: the
// program's texts and Qt's own dialogs. Replaces those of an earlier call.
// Returns false when a translation it needs could not be loaded (the texts
// then stay as they are).
bool installUiLanguage(UiLanguage language);

// The language installed by the last installUiLanguage (Chinese before).
UiLanguage installedUiLanguage();
