// Scrolling frame around a drawing widget: the drawing widget is the
// viewport's height and the stretch it is given times the viewport's width,
// also after the frame is resized. The stretch is handed down by whoever
// owns it; the frame only lays the widget out with it.
#pragma once

#include <QWidget>

class QScrollArea;
class QVBoxLayout;

class WaveScrollWidgetBase : public QWidget
{
    Q_OBJECT
public:
    explicit WaveScrollWidgetBase(QWidget *waveWidget, QWidget *parent = nullptr);
    ~WaveScrollWidgetBase() override;

    QWidget *waveWidget() const { return m_pWaveWidget; }
    QScrollArea *scrollArea() const { return m_pScrollArea; }

    // Times the viewport's width the drawing widget gets (at least 1).
    float hStretchScale() const { return m_fHStretch; }
    void setHStretchScale(float value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void initUI();
    void layoutWaveWidget();

    QVBoxLayout *m_pLayout = nullptr;
    QScrollArea *m_pScrollArea = nullptr;
    QWidget *m_pWaveWidget = nullptr;
    float m_fHStretch = 1.0f;
};
