// A splitter whose handle shows as a 1-pixel black line but reacts to the
// mouse on a slightly wider strip.
#pragma once

#include <QSplitter>
#include <QSplitterHandle>

class MiniSplitterHandle : public QSplitterHandle
{
    Q_OBJECT
public:
    MiniSplitterHandle(Qt::Orientation orientation, QSplitter *parent);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

class MiniSplitter : public QSplitter
{
    Q_OBJECT
public:
    explicit MiniSplitter(QWidget *parent = nullptr);
    explicit MiniSplitter(Qt::Orientation orientation, QWidget *parent = nullptr);

protected:
    QSplitterHandle *createHandle() override;

private:
    void setup();
};
