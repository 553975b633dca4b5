// 帮助 → 使用说明: the user guide kept in the resources, in the interface
// language, shown in a browser window beside the main window.
#pragma once

#include "app/language.h"

#include <QDialog>

class QTextBrowser;

class HelpDialog : public QDialog
{
    Q_OBJECT
public:
    explicit HelpDialog(QWidget *parent = nullptr);

    // The resource path of the guide in `language`.
    static QString manualPath(UiLanguage language);
    // Shows the guide of the installed interface language from its start.
    void showManual();
    QTextBrowser *browser() const { return m_pBrowser; }

private:
    QTextBrowser *m_pBrowser = nullptr;
};
