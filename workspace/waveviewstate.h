// How the open survey is shown, owned in one place: the channel filter and
// the list of shown waves, the amplitude zoom, the time stretch, the spacing
// of the traces, the display switches, the flaw suggestions and the depth
// window (the time range both wave views show). The views
// are drawn from it: the workspace hands them what changed, the window's
// actions read canStep(), and nothing else keeps its own copy of a value.
//
// The focus is not here: it is the document's (KvrDocument::focusIndex()).
// Indexes are analysis-list indexes of the document's model.
#pragma once

#include "datafile/records.h"
#include "views/wavedisplaystate.h"

#include <QObject>
#include <QVector>

class WaveViewState : public QObject
{
    Q_OBJECT
public:
    // What changed, in changed().
    enum Aspect {
        Shown = 0x01,       // channel filter or shown list
        Zoom = 0x02,        // amplitude zoom
        TimeStretch = 0x04, // the time axis of the list and the focused curve
        Spacing = 0x08,     // pitch of the list's traces
        Display = 0x10,     // WaveDisplayState
        Suggestions = 0x20, // flaw suggestions
        DepthWindow = 0x40, // the samples both views lay out
    };
    Q_DECLARE_FLAGS(Aspects, Aspect)

    // The three stepped scales of the tool bar.
    enum class Scale { Zoom, TimeStretch, Spacing };
    struct Range {
        float minimum;
        float maximum;
        float step;
    };
    static Range range(Scale scale);

    explicit WaveViewState(QObject *parent = nullptr);

    float value(Scale scale) const;
    // Whether one step up (direction > 0) or down (< 0) is within the range.
    bool canStep(Scale scale, int direction) const;
    // Moves `steps` steps (negative: down), clamped to the range; true when
    // the value changed.
    bool step(Scale scale, int steps);
    // Sets a value, clamped to the range (a value that is not finite gives
    // the minimum).
    void setValue(Scale scale, float value);

    // ---- Shown waves ----------------------------------------------------
    // -1 every wave, 0..2 only the waves of CH1..CH3.
    int channelFilter() const { return m_nChannel; }
    void setChannelFilter(int channel);
    // The analysis list the filter applies to; call after every change of
    // the document's list (order, a wave removed or inserted, another survey).
    void setWaves(const WaveAnalyzeInfoList &infos);
    int waveCount() const { return m_nWaveCount; }
    // Ascending analysis-list indexes of the shown waves.
    const QVector<int> &shownWaves() const { return m_shown; }
    bool isShown(int wave) const;
    // The shown wave `step` shown waves away from `wave`, or -1 when there is
    // none. A wave that is not shown counts from where it would be.
    int shownNeighbour(int wave, int step) const;
    // `wave` when it is shown, else the next shown one on, else the last
    // shown one; -1 with nothing shown.
    int nearestShown(int wave) const;

    // ---- Display and suggestions ----------------------------------------
    const WaveDisplayState &displayState() const { return m_display; }
    void setDisplayState(const WaveDisplayState &state);
    const WaveSuggestionList &suggestions() const { return m_suggestions; }
    void setSuggestions(const WaveSuggestionList &suggestions);

    // ---- Depth window ---------------------------------------------------
    // The samples [from, to) the wave list lays out down its height and the
    // focused view across its width: the whole trace unless a window is set.
    // It is how the survey is looked at, not an edit: nothing of it is saved,
    // and another survey starts without one.
    struct SampleWindow {
        int from = 0;
        int to = 0;
        bool operator==(const SampleWindow &o) const { return from == o.from && to == o.to; }
    };
    // The narrowest window, in samples.
    static constexpr int kMinWindowSamples = 8;
    // A wheel step zooms the window by this factor.
    static constexpr double kWindowZoomStep = 1.25;
    bool hasDepthWindow() const { return m_blWindow; }
    // The window within 0 .. the display state's sample count.
    SampleWindow depthWindow() const;
    // Shows samples [from, to) (either order), brought within the trace and
    // widened to kMinWindowSamples; the whole trace clears the window. The
    // time stretch goes back to 1, so both views show exactly that range.
    void setDepthWindow(int from, int to);
    // Narrows (steps > 0) or widens the window about `sample`, which stays
    // where it is on the screen.
    void zoomDepthWindow(int sample, int steps);
    void resetDepthWindow();

signals:
    void changed(WaveViewState::Aspects aspects);

private:
    float &valueRef(Scale scale);
    int sampleCount() const;
    void setWindow(int from, int to);
    void refreshShown();

    float m_fZoom = 1.0f;
    float m_fTimeStretch = 1.0f;
    float m_fSpacing = 1.0f;
    int m_nChannel = -1;
    int m_nWaveCount = 0;
    QVector<int> m_channels; // channel of every wave of the list
    QVector<int> m_shown;
    WaveDisplayState m_display;
    WaveSuggestionList m_suggestions;
    bool m_blWindow = false;
    SampleWindow m_window;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(WaveViewState::Aspects)
