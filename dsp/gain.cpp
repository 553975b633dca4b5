#include "gain.h"

#include "datafile/records.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace dsp {

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

float adaptiveGain(const std::vector<SampleSpan> &waves)
{
    if (waves.empty())
        return 1.0f;
    int p = 0, q = 0;
    for (const SampleSpan &w : waves) {
        int pos = kZeroLevel, neg = kZeroLevel + 1;
        if (w.data && w.count >= 1) {
            int mx = 0, mn = 65535;
            for (int i = 0; i < w.count; ++i) {
                mx = std::max(mx, int(w.data[i]));
                mn = std::min(mn, int(w.data[i]));
            }
            pos = int(std::min<qint64>(std::llabs(qint64(mx) - kZeroLevel), 1 << 30));
            neg = int(std::min<qint64>(std::llabs(qint64(mn) - kZeroLevel), 1 << 30));
        }
        p = std::max(p, pos);
        q = std::max(q, neg);
    }
    const int m = std::max(p, q);
    if (m == 0)
        return 1.0f;
    const int g = int(std::floor(float(32767.0 / double(m))));
    return float(g > 10 ? 10 : std::max(g, 1));
}

} // namespace dsp
