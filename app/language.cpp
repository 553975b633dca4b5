#include "language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace {

std::unique_ptr<QTranslator> sProgramTranslator;
std::unique_ptr<QTranslator> sQtTranslator;
UiLanguage sInstalled = UiLanguage::Chinese;

void removeTranslator(std::unique_ptr<QTranslator> &translator)
{
    if (translator)
        QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

// Loads `resource`, or `name` from Qt's installed translations, and
// installs it; false when neither is there.
bool installFrom(std::unique_ptr<QTranslator> &slot, const QString &resource, const QString &name)
{
    auto translator = std::make_unique<QTranslator>();
    bool ok = !resource.isEmpty() && translator->load(resource);
    if (!ok && !name.isEmpty())
        ok = translator->load(name, QLibraryInfo::location(QLibraryInfo::TranslationsPath));
    if (!ok)
        return false;
    QCoreApplication::installTranslator(translator.get());
    slot = std::move(translator);
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
    const QLocale::Language system = systemLocale.language();
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
