#include "showaboutdialog.h"

#include <QEvent>
#include <QLabel>
#include <QSpacerItem>
#include <QVBoxLayout>

#ifndef KVR_VERSION
#define KVR_VERSION "1.1.6472"
#endif

ShowAboutDialog::ShowAboutDialog(QWidget *parent)
    : QDialog(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("ShowAboutDialog"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    resize(480, 320);

    verticalLayout = new QVBoxLayout(this);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(20);
    verticalLayout->addSpacerItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));

    QFont nameFont(QStringLiteral("微软雅黑"));
    nameFont.setPixelSize(24);
    nameFont.setBold(true);
    labelSoftwareName = new QLabel(this);
    labelSoftwareName->setObjectName(QStringLiteral("labelSoftwareName"));
    labelSoftwareName->setAlignment(Qt::AlignCenter);
    labelSoftwareName->setFont(nameFont);
    verticalLayout->addWidget(labelSoftwareName);

    QFont versionFont(QStringLiteral("微软雅黑"));
    versionFont.setPixelSize(16);
    labelSoftwareVersion = new QLabel(this);
    labelSoftwareVersion->setObjectName(QStringLiteral("labelSoftwareVersion"));
    labelSoftwareVersion->setAlignment(Qt::AlignCenter);
    labelSoftwareVersion->setFont(versionFont);
    labelSoftwareVersion->setText(versionText());
    verticalLayout->addWidget(labelSoftwareVersion);

    verticalLayout->addSpacerItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    retranslateUi();
}

QString ShowAboutDialog::applicationName() { return tr("孔底溶洞探测分析软件"); }

QString ShowAboutDialog::versionText() { return QStringLiteral("ORG V") + QStringLiteral(KVR_VERSION); }

void ShowAboutDialog::retranslateUi()
{
    setWindowTitle(tr("关于软件"));
    labelSoftwareName->setText(applicationName());
}

void ShowAboutDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QDialog::changeEvent(event);
}
