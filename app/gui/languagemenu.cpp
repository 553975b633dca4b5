#include "languagemenu.h"

#include "app/language.h"
#include "app/systemconfig.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>
#include <QMessageBox>

namespace {

// The note is written in the language just chosen, whatever the window
// speaks now.
void noteFor(UiLanguage language, QString *title, QString *text)
{
    if (language == UiLanguage::English) {
        *title = QStringLiteral("Language");
        *text = QStringLiteral("The interface will be in English from the next start of the program.");
    } else {
        *title = QStringLiteral("语言");
        *text = QStringLiteral("下次启动程序时界面将使用中文。");
    }
}

} // namespace

QMenu *addLanguageMenu(MainWindow &window, LanguageNoteFunc note)
{
    if (!note) {
        note = [&window](const QString &title, const QString &text) { QMessageBox::information(&window, title, text); };
    }
    QMenu *menu = window.menuHelp->addMenu(QStringLiteral("语言 / Language"));
    menu->setObjectName(QStringLiteral("menuLanguage"));
    auto *group = new QActionGroup(menu);
    group->setExclusive(true);
    const struct {
        const char *name;
        QString text;
        QString setting;
    } choices[] = {
        {"actionLanguageChinese", QStringLiteral("中文"), languageSettingFor(UiLanguage::Chinese)},
        {"actionLanguageEnglish", QStringLiteral("English"), languageSettingFor(UiLanguage::English)},
        {"actionLanguageSystem", QCoreApplication::translate("LanguageMenu", "跟随系统"), languageSettingSystem()},
    };
    const QString current = SystemConfig::instance().languageSetting();
    bool matched = false;
    for (const auto &c : choices) {
        QAction *action = menu->addAction(c.text);
        action->setObjectName(QLatin1String(c.name));
        action->setCheckable(true);
        action->setData(c.setting);
        group->addAction(action);
        if (c.setting == current) {
            action->setChecked(true);
            matched = true;
        }
    }
    if (!matched) // an unknown remembered value follows the system
        group->actions().constLast()->setChecked(true);
    QObject::connect(group, &QActionGroup::triggered, menu, [note](QAction *action) {
        const QString setting = action->data().toString();
        if (setting == SystemConfig::instance().languageSetting())
            return;
        SystemConfig::instance().setLanguageSetting(setting);
        const UiLanguage chosen = resolveUiLanguage(setting);
        if (chosen == installedUiLanguage())
            return; // nothing changes at the next start
        QString title, text;
        noteFor(chosen, &title, &text);
        note(title, text);
    });
    return menu;
}
