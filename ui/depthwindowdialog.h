// 视图 → 深度范围…: the depth window in metres, from and to, or the whole
// trace again. It sets the view state's window and changes nothing in the
// survey.
#pragma once

#include <QDialog>

class QDoubleSpinBox;
class WaveViewState;

class DepthWindowDialog : public QDialog
{
    Q_OBJECT
public:
    // `speed` the survey's wave speed (m/s), which turns samples into metres.
    DepthWindowDialog(WaveViewState &state, double speed, QWidget *parent = nullptr);

    QDoubleSpinBox *fromBox() const { return m_pFrom; }
    QDoubleSpinBox *toBox() const { return m_pTo; }

    // Metres of a sample and the sample nearest a depth, at `speed`.
    static double sampleDepth(int sample, double speed);
    static int depthSample(double metres, double speed);

    // Sets the view state's window from the two boxes and closes.
    void apply();
    // Shows the whole trace again and closes.
    void reset();

private:
    WaveViewState &m_state;
    double m_dSpeed;
    QDoubleSpinBox *m_pFrom = nullptr;
    QDoubleSpinBox *m_pTo = nullptr;
};
