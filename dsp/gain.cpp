#include "gain.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace dsp {

namespace {
constexpr int kNoSample = -100; // "no value" in a sample slot
} // namespace

void sampleRange(const int *samples, int count, int &max, int &min)
{
    max = 0;
    min = kFullScale;
    if (!samples || count <= 0)
        return;
    for (int i = 0; i < count; ++i) {
        if (samples[i] == kNoSample)
            continue;
        max = std::max(max, samples[i]);
        min = std::min(min, samples[i]);
    }
    max = std::min(max, kFullScale);
    min = std::max(min, 0);
}

float normalizeFactor(const int *samples, int count, int &max, int &min, float &factor)
{
    sampleRange(samples, count, max, min);
    if (std::abs(max - kFullScale) < std::abs(min))
        factor = float(kMidLevel / (double(max) - kMidLevel));
    else
        factor = float(kMidLevel / (kMidLevel - double(min)));
    return factor;
}

float normalizeFactor(const int *samples, int count)
{
    int max = 0, min = 0;
    float factor = 1.0f;
    return normalizeFactor(samples, count, max, min, factor);
}

double displayValue(double sample, double gain, double mid, double full)
{
    const double v = mid + (sample - mid) * gain;
    if (std::isnan(v))
        return mid;
    return std::clamp(v, 0.0, full);
}

} // namespace dsp
