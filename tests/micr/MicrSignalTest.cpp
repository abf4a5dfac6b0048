// The E13B signal analyses and the time-sample step, on hand-made signals.
#include <gtest/gtest.h>

#include <vector>

#include "micr/SignalAnalysis.h"
#include "micr/TimeSampleStep.h"

using namespace bench;

namespace {

// A quiet signal (128) with single-sample dips of the given depths at the
// given places.
std::vector<uint8_t> Dips(size_t length, const std::vector<std::pair<size_t, uint8_t>>& dips)
{
    std::vector<uint8_t> s(length, 128);
    for (const auto& [at, value] : dips)
        s[at] = value;
    return s;
}

} // namespace

TEST(MeasureSignalPeaks, DepthSpacingAndEdges)
{
    struct Case {
        size_t Length;
        std::vector<std::pair<size_t, uint8_t>> Dips;
        uint16_t Count;
        int32_t Lowest;
        const char* What;
    } cases[] = {
        {400, {{150, 96}}, 1, 96, "96 is deep enough"},
        {400, {{150, 97}}, 0, 255, "97 is not"},
        {400, {{99, 50}}, 0, 255, "within 100 samples of the start"},
        {400, {{100, 50}}, 1, 50, "100 samples after the start"},
        {400, {{150, 60}, {249, 50}}, 1, 60, "99 samples after the last peak"},
        {400, {{150, 60}, {250, 50}}, 2, 50, "100 samples after it"},
        {400, {{380, 40}}, 1, 40, "the last place looked at: length - 20"},
        {400, {{381, 40}}, 0, 255, "one past it"},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> s = Dips(c.Length, c.Dips);
        SignalPeaks peaks;
        EXPECT_EQ(MeasureSignalPeaks(s.data(), static_cast<uint32_t>(s.size()), peaks), 1) << c.What;
        EXPECT_EQ(peaks.Count, c.Count) << c.What;
        EXPECT_EQ(peaks.Lowest, c.Lowest) << c.What;
    }
    SignalPeaks none;
    EXPECT_EQ(MeasureSignalPeaks(nullptr, 0, none), 0);
    EXPECT_EQ(none.Lowest, 0);
}

TEST(PeakPercent, DepthBelowTheQuietLevelAgainstFullScale)
{
    // Mean peak 28: 100 steps of 0.012890625 V = 1.2890625 V of 1.32 V.
    EXPECT_NEAR(PeakPercent(56.0f, 2), 97.65625f, 1e-3f);
    EXPECT_NEAR(PeakPercent(128.0f, 1), 0.0f, 1e-6f);
}

TEST(NextTimeSample, EveryRuleAtItsBoundary)
{
    struct Case {
        int32_t TimeSample, Narrowest, Widest;
        int32_t Value;
        bool InRange;
    } cases[] = {
        {400, 110, 114, 400, true},  // middle 112: stays
        {400, 110, 115, 400, true},  // widest one below 116, middle still 112
        {400, 113, 115, 401, true},  // middle 114: one step up
        {400, 107, 113, 399, true},  // narrowest at 107, middle 110: one step down
        {400, 110, 116, 401, false}, // widest at 116: 400 x 116 / 116 = 400, so one step
        {400, 110, 125, 431, false}, // 400 x 125 / 116 = 431.03
        {58, 110, 117, 59, false},   // 58 x 117 / 116 = 58.5 rounds up
        {400, 100, 120, 414, false}, // too wide wins over too narrow: 413.79
        {400, 106, 113, 396, false}, // 400 x 106 / 107 = 396.26
        {214, 106, 113, 212, false}, // 214 x 106 / 107 = 212
        {1, 106, 110, 0, false},     // 0.99 rounds to 1, the same: one step down
    };
    for (const Case& c : cases) {
        const TimeSampleStep step = NextTimeSample(c.TimeSample, c.Narrowest, c.Widest);
        EXPECT_EQ(step.Value, c.Value) << c.TimeSample << " " << c.Narrowest << ".." << c.Widest;
        EXPECT_EQ(step.InRange, c.InRange) << c.TimeSample << " " << c.Narrowest << ".." << c.Widest;
    }
}
