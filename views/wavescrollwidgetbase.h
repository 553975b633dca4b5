// Scrolling frame around a drawing widget: owns the horizontal and vertical
// stretch factors, clamps them to their range, resizes the drawing widget
// accordingly and resets them when the frame itself is resized.
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

    // Stores the range and sets the current value to the default, without
    // resizing.
    void setHStretchRange(float minimum, float defaultValue, float maximum);
    void setVStretchRange(float minimum, float defaultValue, float maximum);

    float hStretchScale() const { return m_fHStretchCur; }
    float vStretchScale() const { return m_fVStretchCur; }
    float hStretchMin() const { return m_fHStretchMin; }
    float hStretchMax() const { return m_fHStretchMax; }
    float hStretchDefault() const { return m_fHStretchDef; }
    float vStretchMin() const { return m_fVStretchMin; }
    float vStretchMax() const { return m_fVStretchMax; }
    float vStretchDefault() const { return m_fVStretchDef; }

    // Clamps the value to the range and stores it; with apply the drawing
    // widget is resized by new / old along that axis.
    void setHStretchScale(float value, bool apply = true);
    void setVStretchScale(float value, bool apply = true);

signals:
    void stretchScaleReset(bool blHStretch, bool blVStretch);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void initUI();

    QVBoxLayout *m_pLayout = nullptr;
    QScrollArea *m_pScrollArea = nullptr;
    QWidget *m_pWaveWidget = nullptr;
    float m_fHStretchDef = 1.0f, m_fHStretchMin = 1.0f, m_fHStretchMax = 1.0f, m_fHStretchCur = 1.0f;
    float m_fVStretchDef = 1.0f, m_fVStretchMin = 1.0f, m_fVStretchMax = 1.0f, m_fVStretchCur = 1.0f;
};
