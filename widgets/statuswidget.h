// The permanent message field of the main window's status bar.
#pragma once

#include <QWidget>

class QLabel;

class StatusWidget : public QWidget
{
    Q_OBJECT
public:
    explicit StatusWidget(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;

private:
    QLabel *m_pLabel = nullptr;
};
