#include "micr/TimeSampleStep.h"

#include <cmath>

namespace {

// Half up: a fraction of one half or more adds one, then the fraction goes.
int32_t RoundHalfUp(double x) { return static_cast<int32_t>(x - std::floor(x) >= 0.5 ? x + 1 : x); }

} // namespace

TimeSampleStep NextTimeSample(int32_t timeSample, int32_t narrowestWidth, int32_t widestWidth)
{
    const int32_t t = timeSample;
    TimeSampleStep step;
    if (widestWidth >= TimeSampleWidthHigh) {
        // The integer product, divided as a float.
        const int32_t v = RoundHalfUp(static_cast<float>(t * widestWidth) / static_cast<float>(TimeSampleWidthHigh));
        step.Value = v == t ? t + 1 : v;
    } else if (narrowestWidth < TimeSampleWidthLow) {
        const int32_t v = RoundHalfUp(static_cast<float>(t * narrowestWidth) / static_cast<float>(TimeSampleWidthLow));
        step.Value = v == t ? t - 1 : v;
    } else {
        const int32_t middle = (narrowestWidth + widestWidth) / 2;
        step.Value = middle - TimeSampleWidthTarget >= 1 ? t + 1 : middle - TimeSampleWidthTarget <= -1 ? t - 1 : t;
        step.InRange = true;
    }
    return step;
}
