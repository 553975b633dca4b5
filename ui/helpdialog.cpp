#include "ui/helpdialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpDialog::HelpDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("helpDialog"));
    setWindowTitle(tr("使用说明"));
    setModal(false);
    m_pBrowser = new QTextBrowser(this);
    m_pBrowser->setObjectName(QStringLiteral("helpBrowser"));
    // Links inside the guide move within it; none leaves the program.
    m_pBrowser->setOpenExternalLinks(false);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(tr("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pBrowser);
    layout->addWidget(buttons);
    resize(720, 640);
}

QString HelpDialog::manualPath(UiLanguage language)
{
    return language == UiLanguage::English ? QStringLiteral(":/help/manual.en.html")
                                           : QStringLiteral(":/help/manual.zh.html");
}

void HelpDialog::showManual()
{
    setWindowTitle(tr("使用说明"));
    m_pBrowser->setSource(QUrl(QStringLiteral("qrc") + manualPath(installedUiLanguage())));
    m_pBrowser->home();
    show();
    raise();
    activateWindow();
}
