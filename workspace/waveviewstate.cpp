#include "waveviewstate.h"

#include <algorithm>
#include <cmath>

WaveViewState::WaveViewState(QObject *parent)
    : QObject(parent)
{ }

WaveViewState::Range WaveViewState::range(Scale scale)
{
    switch (scale) {
    case Scale::Zoom: return {1.0f, 10.0f, 1.0f};
    case Scale::TimeStretch:
    case Scale::Spacing: break;
    }
    return {1.0f, 5.0f, 1.0f};
}

float &WaveViewState::valueRef(Scale scale)
{
    switch (scale) {
    case Scale::Zoom: return m_fZoom;
    case Scale::TimeStretch: return m_fTimeStretch;
    case Scale::Spacing: break;
    }
    return m_fSpacing;
}

float WaveViewState::value(Scale scale) const { return const_cast<WaveViewState *>(this)->valueRef(scale); }

bool WaveViewState::canStep(Scale scale, int direction) const
{
    const Range r = range(scale);
    const float v = value(scale);
    return direction > 0 ? v < r.maximum : (direction < 0 ? v > r.minimum : false);
}

bool WaveViewState::step(Scale scale, int steps)
{
    const float before = value(scale);
    setValue(scale, before + float(steps) * range(scale).step);
    return value(scale) != before;
}

void WaveViewState::setValue(Scale scale, float value)
{
    const Range r = range(scale);
    const float v = std::isfinite(value) ? qBound(r.minimum, value, r.maximum) : r.minimum;
    float &slot = valueRef(scale);
    if (v == slot)
        return;
    slot = v;
    emit changed(scale == Scale::Zoom ? Zoom : (scale == Scale::TimeStretch ? TimeStretch : Spacing));
}

void WaveViewState::setChannelFilter(int channel)
{
    channel = (channel >= 0 && channel < kChannelsPerGroup) ? channel : -1;
    if (channel == m_nChannel)
        return;
    m_nChannel = channel;
    refreshShown();
    emit changed(Shown);
}

void WaveViewState::setWaves(const WaveAnalyzeInfoList &infos)
{
    m_channels.resize(infos.size());
    for (int i = 0; i < infos.size(); ++i)
        m_channels[i] = infos.at(i) ? infos.at(i)->nChannel : -1;
    m_nWaveCount = infos.size();
    refreshShown();
    emit changed(Shown);
}

void WaveViewState::refreshShown()
{
    QVector<int> shown;
    shown.reserve(m_channels.size());
    for (int i = 0; i < m_channels.size(); ++i) {
        if (m_nChannel < 0 || m_channels.at(i) == m_nChannel)
            shown.append(i);
    }
    m_shown = shown;
}

bool WaveViewState::isShown(int wave) const { return std::binary_search(m_shown.begin(), m_shown.end(), wave); }

int WaveViewState::shownNeighbour(int wave, int step) const
{
    if (step == 0 || m_shown.isEmpty())
        return -1;
    const int pos = int(std::lower_bound(m_shown.begin(), m_shown.end(), wave) - m_shown.begin());
    const bool exact = pos < m_shown.size() && m_shown.at(pos) == wave;
    // From a hidden wave, the first shown one on counts as one step forward.
    const int target = (exact || step < 0) ? pos + step : pos + step - 1;
    return (target >= 0 && target < m_shown.size()) ? m_shown.at(target) : -1;
}

int WaveViewState::nearestShown(int wave) const
{
    if (m_shown.isEmpty())
        return -1;
    const auto it = std::lower_bound(m_shown.begin(), m_shown.end(), wave);
    return it != m_shown.end() ? *it : m_shown.last();
}

void WaveViewState::setDisplayState(const WaveDisplayState &state)
{
    if (state == m_display)
        return;
    const bool samplesChanged = state.nSampleCount != m_display.nSampleCount;
    const SampleWindow before = depthWindow();
    m_display = state;
    Aspects aspects = Display;
    if (samplesChanged && m_blWindow) {
        // A window that no longer fits the trace is brought back onto it.
        const SampleWindow w = m_window;
        m_blWindow = false;
        setWindow(w.from, w.to);
        if (!(depthWindow() == before))
            aspects |= DepthWindow;
    }
    emit changed(aspects);
}

void WaveViewState::setSuggestions(const WaveSuggestionList &suggestions)
{
    m_suggestions = suggestions;
    emit changed(Suggestions);
}

int WaveViewState::sampleCount() const { return qBound(1, m_display.nSampleCount, kMaxSamples); }

WaveViewState::SampleWindow WaveViewState::depthWindow() const
{
    return m_blWindow ? m_window : SampleWindow {0, sampleCount()};
}

// Without a signal: brings [from, to) onto the trace, at least
// kMinWindowSamples wide (the whole trace when it is shorter); the whole
// trace is no window.
void WaveViewState::setWindow(int from, int to)
{
    const int n = sampleCount();
    if (from > to)
        std::swap(from, to);
    from = qBound(0, from, n);
    to = qBound(0, to, n);
    const int minimum = qMin(n, kMinWindowSamples);
    if (to - from < minimum) {
        const int middle = from + (to - from) / 2;
        from = qBound(0, middle - minimum / 2, n - minimum);
        to = from + minimum;
    }
    m_blWindow = !(from == 0 && to == n);
    m_window = m_blWindow ? SampleWindow {from, to} : SampleWindow {};
}

void WaveViewState::setDepthWindow(int from, int to)
{
    const SampleWindow before = depthWindow();
    const bool had = m_blWindow;
    setWindow(from, to);
    Aspects aspects;
    if (!(depthWindow() == before) || had != m_blWindow)
        aspects |= DepthWindow;
    const float unstretched = range(Scale::TimeStretch).minimum;
    if (m_fTimeStretch != unstretched) {
        m_fTimeStretch = unstretched;
        aspects |= TimeStretch;
    }
    if (aspects)
        emit changed(aspects);
}

void WaveViewState::zoomDepthWindow(int sample, int steps)
{
    if (steps == 0)
        return;
    const SampleWindow w = depthWindow();
    const double length = w.to - w.from;
    const double wanted = length / std::pow(kWindowZoomStep, double(steps));
    const double at = qBound(double(w.from), double(sample), double(w.to));
    // The sample under the pointer keeps its share of the window above it.
    const double share = length > 0.0 ? (at - w.from) / length : 0.5;
    const int n = sampleCount();
    if (!(wanted < n)) {
        setDepthWindow(0, n);
        return;
    }
    const double from = at - share * wanted;
    int a = int(std::floor(from + 0.5));
    int b = int(std::floor(from + wanted + 0.5));
    // A step always narrows by at least one sample at each end it can move,
    // so that narrow windows still zoom.
    if (steps > 0 && b - a >= w.to - w.from) {
        a = qMin(a + 1, int(at));
        b = qMax(b - 1, int(std::ceil(at)));
    }
    // Widened at an end of the trace, the window moves rather than shrinks.
    if (a < 0) {
        b -= a;
        a = 0;
    }
    if (b > n) {
        a -= b - n;
        b = n;
    }
    setDepthWindow(a, b);
}

void WaveViewState::resetDepthWindow()
{
    if (!m_blWindow)
        return;
    m_blWindow = false;
    m_window = SampleWindow {};
    emit changed(DepthWindow);
}
