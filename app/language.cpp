#include "language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {

// Owned by the application object, so they go with it.
QPointer<QTranslator> sProgramTranslator;
QPointer<QTranslator> sQtTranslator;
UiLanguage sInstalled = UiLanguage::Chinese;

void removeTranslator(QPointer<QTranslator> &translator)
{
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator.data();
    }
    translator.clear();
}

// Loads `resource`, or `name` from Qt's installed translations, and
// installs it; false when neither is there.
bool installFrom(QPointer<QTranslator> &slot, const QString &resource, const QString &name)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    bool ok = !resource.isEmpty() && translator->load(resource);
    if (!ok && !name.isEmpty())
        ok = translator->load(name, QLibraryInfo::location(QLibraryInfo::TranslationsPath));
    if (!ok) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    slot = translator;
    return true;
}

} // namespace

QString languageSettingSystem() { return QStringLiteral("system"); }

QString languageSettingFor(UiLanguage language)
{
    return language == UiLanguage::English ? QStringLiteral("en") : QStringLiteral("zh");
}

UiLanguage resolveUiLanguage(const QString &setting, const QLocale &systemLocale)
{
    const QString chosen = setting.trimmed().toLower();
    if (chosen == QLatin1String("zh"))
        return UiLanguage::Chinese;
    if (chosen == QLatin1String("en"))
        return UiLanguage::English;
    // The language of messages (LANGUAGE, LC_MESSAGES, LANG), which need not
    // be the one of numbers and dates.
    const QStringList ui = systemLocale.uiLanguages();
    const QLocale::Language system = ui.isEmpty() ? systemLocale.language() : QLocale(ui.first()).language();
    if (system == QLocale::Chinese || system == QLocale::C)
        return UiLanguage::Chinese;
    return UiLanguage::English;
}

bool installUiLanguage(UiLanguage language)
{
    removeTranslator(sProgramTranslator);
    removeTranslator(sQtTranslator);
    sInstalled = language;
    if (language == UiLanguage::English) {
        // Qt's dialogs speak English without a translation.
        return installFrom(sProgramTranslator, QStringLiteral(":/language/kvr_en.qm"), QString());
    }
    return installFrom(sQtTranslator, QStringLiteral(":/language/qt_zh_CN.qm"), QStringLiteral("qtbase_zh_CN"));
}

UiLanguage installedUiLanguage() { return sInstalled; }
