#include "progressdialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

ProgressDialog::ProgressDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi();
    QMetaObject::connectSlotsByName(this);
}

void ProgressDialog::setupUi()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("ProgressDialog"));
    setWindowTitle(tr("进度"));
    resize(200, 150);
    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::WindowStaysOnTopHint);

    gridLayoutMain = new QGridLayout(this);
    gridLayoutMain->setObjectName(QStringLiteral("gridLayoutMain"));
    gridLayoutMain->setContentsMargins(6, 6, 6, 6);

    labelProgressName = new QLabel(tr("完成进度："), this);
    labelProgressName->setObjectName(QStringLiteral("labelProgressName"));
    gridLayoutMain->addWidget(labelProgressName, 0, 0);

    labelProgress = new QLabel(this);
    labelProgress->setObjectName(QStringLiteral("labelProgress"));
    gridLayoutMain->addWidget(labelProgress, 0, 1);

    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setTextVisible(false);
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    gridLayoutMain->addWidget(progressBar, 1, 0, 1, 2);

    labelPrompt = new QLabel(this);
    labelPrompt->setObjectName(QStringLiteral("labelPrompt"));
    labelPrompt->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    gridLayoutMain->addWidget(labelPrompt, 2, 0, 1, 2);

    btnExit = new QPushButton(tr("退出"), this);
    btnExit->setObjectName(QStringLiteral("btnExit"));
    btnExit->setMinimumHeight(40);
    btnExit->setVisible(false);
    gridLayoutMain->addWidget(btnExit, 3, 0, 1, 2);
}

void ProgressDialog::reset()
{
    labelProgress->clear();
    labelPrompt->clear();
    progressBar->setValue(0);
}

void ProgressDialog::setProgress(int p)
{
    labelProgress->setText(QString::number(p) + QStringLiteral("%"));
    progressBar->setValue(qBound(0, p, 100));
}

void ProgressDialog::setPrompt(const QString &text) { labelPrompt->setText(text); }

QString ProgressDialog::prompt() const { return labelPrompt->text(); }

int ProgressDialog::progress() const { return progressBar->value(); }

void ProgressDialog::on_btnExit_clicked() { reject(); }
