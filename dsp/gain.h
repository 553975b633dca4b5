// Amplitude helpers shared by the views, the report drawing and the core:
// sample range, normalisation factor, the display transfer rule and the
// adaptive gain of a survey.
#pragma once

#include <QtGlobal>
#include <vector>

namespace dsp {

constexpr double kMidLevel = 32767.5;
constexpr int kFullScale = 65535;
constexpr qint32 kNoSample = -100; // "no value" in a sample slot

// Largest and smallest of `count` samples, leaving out the "no value"
// marker -100. max starts at 0 and min at 65535 (returned as they are for a
// null pointer, a count <= 0 or only markers); afterwards max is limited to
// 65535 and min to at least 0.
void sampleRange(const int *samples, int count, int &max, int &min);

// The normalisation factor, the one rule for the views, the report image and
// the printed page: it stretches the larger excursion from the mid level
// 32767.5 to full scale: 32767.5/(max - 32767.5) when |max - 65535| < |min|,
// otherwise 32767.5/(32767.5 - min). An empty wave gives -1 (nothing to
// draw).
float normalizeFactor(const int *samples, int count, int &max, int &min, float &factor);
// The same for the first `count` samples of a wave, without the range.
float normalizeFactor(const int *samples, int count);

// A sample as drawn, the one rule for the views, the report image and the
// printed page: mid + (sample - mid) * gain limited to 0..65535; the "no
// value" marker -100, and a gain that gives no number, draw the mid level.
inline double drawnValue(qint32 sample, double gain)
{
    if (sample == kNoSample)
        return kMidLevel;
    const double a = (sample - kMidLevel) * gain + kMidLevel;
    if (!(a == a)) // not a number
        return kMidLevel;
    return a < 0.0 ? 0.0 : (a > kFullScale ? kFullScale : a);
}

// The samples of one wave.
struct SampleSpan {
    const qint32 *data = nullptr;
    int count = 0;
};

// The adaptive gain of a survey's waves: 32767 over the largest excursion
// from the zero line 32767, as a whole number from 1 to 10. A wave without
// samples counts as full scale; no waves at all give 1.
float adaptiveGain(const std::vector<SampleSpan> &waves);

} // namespace dsp
