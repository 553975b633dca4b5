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
    m_display = state;
    emit changed(Display);
}

void WaveViewState::setSuggestions(const WaveSuggestionList &suggestions)
{
    m_suggestions = suggestions;
    emit changed(Suggestions);
}
