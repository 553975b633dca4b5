// Amplitude helpers shared by the views, the report drawing and the core:
// sample range, normalisation factor and the display transfer rule.
#pragma once

namespace dsp {

constexpr double kMidLevel = 32767.5;
constexpr int kFullScale = 65535;

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

// Display transfer: mid + (s - mid) * gain, limited to 0..full.
double displayValue(double sample, double gain, double mid = kMidLevel, double full = kFullScale);

} // namespace dsp
