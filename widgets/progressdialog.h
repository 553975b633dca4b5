// Progress of a report job: percentage, bar, prompt line and an exit button
// shown once the job has finished.
#pragma once

#include <QDialog>

class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;

class ProgressDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget *parent = nullptr);

    void reset();
    void setProgress(int p);
    void setPrompt(const QString &text);
    QString prompt() const;
    int progress() const;

    // The exit button is hidden until the owner shows it.
    QPushButton *exitButton() const { return btnExit; }

public slots:
    void on_btnExit_clicked();

private:
    void setupUi();

    QGridLayout *gridLayoutMain = nullptr;
    QLabel *labelProgressName = nullptr;
    QLabel *labelProgress = nullptr;
    QProgressBar *progressBar = nullptr;
    QLabel *labelPrompt = nullptr;
    QPushButton *btnExit = nullptr;
};
