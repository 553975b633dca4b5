// "关于软件": application name and version.
#pragma once

#include <QDialog>

class QLabel;
class QVBoxLayout;

class ShowAboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ShowAboutDialog(QWidget *parent = nullptr);

    static QString applicationName();
    static QString versionText();

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslateUi();

    QVBoxLayout *verticalLayout = nullptr;
    QLabel *labelSoftwareName = nullptr;
    QLabel *labelSoftwareVersion = nullptr;
};
