// The calibration decisions, against values worked out by hand.
#include <gtest/gtest.h>

#include <vector>

#include "micr/CalibrationRules.h"
#include "vnapi/VnCodes.h"

using namespace bench;

namespace {

// A read of count peaks adding up to sum.
SignalPeaks Peaks(float sum, uint16_t count = 50)
{
    SignalPeaks p;
    p.Count = count;
    p.Sum = sum;
    p.Lowest = 20;
    p.LowestCount = 1;
    return p;
}

SignalPeaks AllClipped()
{
    SignalPeaks p;
    p.Count = 50;
    p.Sum = 0.0f;
    p.Lowest = 0;
    p.LowestCount = 50;
    return p;
}

// Mean peak 28: 100 steps below 128, 1.2890625 V of 1.32 V = 97.66 %.
constexpr float Near98 = 1400.0f;
// Mean peak 76.8: 51.2 steps, 0.66 V = 50 %, which in 32-bit floats comes
// out a whisker below: 49.999996, truncated to 49.
constexpr float Half = 3840.0f;

} // namespace

TEST(NextTrimmer, Generation40)
{
    struct Case {
        float Percent;
        int32_t Trimmer, Expected;
    } cases[] = {
        {50.0f, 200, 446},  // F 200, k 96, R 19200: 17400 / 39
        {100.0f, 100, 100}, // F 100, k 57, R 5700
        {110.0f, 100, 85},  // q 9.09, F 90, R 5130: 3330 / 39 = 85.4
        {99.5f, 100, 101},  // d 1, F 101.005, R 5757: 3957 / 39 = 101.5
        {100.0f, 1, 0},     // R 1800: not above 1800
        {100.0f, 3, 2},     // k 19, R 1900: 100 / 39
        {200.0f, 10, 0},    // F 50, k 21, R 1050
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextTrimmerGen40(c.Percent, c.Trimmer, 100), c.Expected) << c.Percent << " " << c.Trimmer;
}

TEST(NextTrimmer, Generation39)
{
    // ((39 t + 8000) F / 100 - 8000) / 39, truncated.
    struct Case {
        float Percent;
        int32_t Trimmer, Expected;
    } cases[] = {
        {50.0f, 100, 405},  // 15800 / 39 = 405.1
        {110.0f, 100, 69},  // F 90: 2710 / 39 = 69.5
        {90.0f, 60, 89},    // F 111: 3477.4 / 39 = 89.2
        {80.0f, 200, 301},  // F 125: 11750 / 39 = 301.3
        {200.0f, 10, -97},  // F 50: -3805 / 39 = -97.6, toward zero
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextTrimmerGen39(c.Percent, c.Trimmer, 100), c.Expected) << c.Percent << " " << c.Trimmer;
}

namespace {

struct GainLog {
    std::vector<int32_t> Written;
    int32_t Reads = 0;
    GainDecision Last;
    bool Passed = false;
};

// Feeds reads until the run ends; avg(read number) gives each read's peaks.
template <typename Reads>
GainLog RunGain(GainRun& run, const GainTarget& target, Reads reads, int32_t limit = 100)
{
    GainLog log;
    while (log.Reads < limit) {
        log.Last = JudgeGainRead(run, reads(log.Reads++), target);
        if (log.Last.Ends)
            break;
        if (log.Last.WriteTrimmer)
            log.Written.push_back(run.Trimmer);
        if (FinishGainPass(run)) {
            log.Passed = true;
            break;
        }
    }
    return log;
}

} // namespace

TEST(GainRun, OneCycleConvergesAndLeavesThePercent)
{
    GainRun run;
    run.Trimmer = 100;
    // 97.66 %: trunc 97, F 103, k 57, R 5871: 4071 / 39 = 104.
    const GainLog log = RunGain(run, GainTarget{}, [](int32_t) { return Peaks(Near98); });
    EXPECT_TRUE(log.Passed);
    EXPECT_EQ(log.Reads, 6);
    EXPECT_EQ(log.Written, std::vector<int32_t>{104});
    EXPECT_NEAR(run.Result, 97.656f, 1e-3f);
}

TEST(GainRun, HalfAmplitudeAtTrimmer200StopsAbove255WithoutWriting)
{
    GainRun run;
    run.Trimmer = 200;
    const GainLog log = RunGain(run, GainTarget{}, [](int32_t) { return Peaks(Half); });
    EXPECT_EQ(log.Reads, 3);
    EXPECT_TRUE(log.Last.Ends);
    EXPECT_EQ(log.Last.Result, VnReplyCalibrationFailed);
    // d 51, q 102.00001, F 202, k 96, R 19392: 17592 / 39 = 451.1
    EXPECT_FLOAT_EQ(run.Result, 451.0f);
    EXPECT_TRUE(log.Written.empty());
}

TEST(GainRun, ThreeRetriesThenFails)
{
    // Good at the old trimmer, half at the new one: the trimmer climbs
    // 104 (k 57), 107 (k 58, R 5974), 109 (k 59, R 6077), 112 (k 60, R 6180).
    GainRun run;
    run.Trimmer = 100;
    const GainLog log = RunGain(run, GainTarget{}, [](int32_t n) { return Peaks(n % 6 < 3 ? Near98 : Half); });
    EXPECT_EQ(log.Written, (std::vector<int32_t>{104, 107, 109, 112}));
    EXPECT_EQ(log.Reads, 24);
    EXPECT_EQ(run.Retries, 3);
    EXPECT_EQ(log.Last.Result, VnReplyCalibrationFailed);
    EXPECT_FALSE(log.Passed);
}

TEST(GainRun, TheThirdReadWithout50PeaksEndsItEvenAfterGoodOnes)
{
    GainRun run;
    run.Trimmer = 100;
    const std::vector<SignalPeaks> reads = {Peaks(Near98), Peaks(Near98, 49), Peaks(Near98), Peaks(Near98, 51),
                                            Peaks(Near98, 49)};
    const GainLog log = RunGain(run, GainTarget{}, [&](int32_t n) { return reads[n]; });
    EXPECT_EQ(log.Reads, 5);
    EXPECT_TRUE(log.Last.DocumentLoose);
    EXPECT_EQ(log.Last.Result, VnReplyCalibrationFailed);
    // The two bad reads were repeated: only two good passes were made.
    EXPECT_EQ(run.Pass, 1);
    EXPECT_TRUE(log.Written.empty());
}

TEST(GainRun, TwoBadReadsAreForgivenAndThePassRepeated)
{
    GainRun run;
    run.Trimmer = 100;
    const GainLog log = RunGain(run, GainTarget{}, [](int32_t n) { return Peaks(Near98, n == 1 || n == 4 ? 51 : 50); });
    EXPECT_TRUE(log.Passed);
    EXPECT_EQ(log.Reads, 8);
}

TEST(GainRun, ClippedPeaksLowerTheTrimmerBy11)
{
    struct Case {
        int32_t Trimmer;
        std::vector<int32_t> Written;
        int32_t Result;
    } cases[] = {
        {34, {23, 12, 1}, VnReplyTrimmerNegative}, // 1 is still written; 1 - 11 is not
        {12, {1}, VnReplyTrimmerNegative},
        {11, {}, VnReplyTrimmerNegative},
    };
    for (const Case& c : cases) {
        GainRun run;
        run.Trimmer = c.Trimmer;
        const GainLog log = RunGain(run, GainTarget{}, [](int32_t) { return AllClipped(); });
        EXPECT_EQ(log.Written, c.Written) << c.Trimmer;
        EXPECT_EQ(log.Last.Result, c.Result) << c.Trimmer;
        EXPECT_EQ(log.Reads, 3 * static_cast<int32_t>(c.Written.size() + 1)) << c.Trimmer;
        EXPECT_FLOAT_EQ(run.Result, 0.0f);
    }
}

TEST(GainRun, ClippedPeaksStayOutOfTheMean)
{
    // 10 of 50 peaks at 0, 40 at 35: the mean is 35, not 28.
    SignalPeaks p;
    p.Count = 50;
    p.Sum = 40 * 35.0f;
    p.Lowest = 0;
    p.LowestCount = 10;
    GainRun run;
    run.Trimmer = 100;
    const GainDecision d = JudgeGainRead(run, p, GainTarget{});
    EXPECT_EQ(run.CountC, 40);
    EXPECT_NEAR(d.TracePercent, PeakPercent(35.0f, 1), 1e-4f);
}

TEST(GainRun, Generation39UsesItsOwnFormula)
{
    GainRun run;
    run.Trimmer = 100;
    GainTarget target;
    target.Generation = 39;
    // F 202: (11900 x 2.02 - 8000) / 39 = 411.2, at or above 255: fails with it
    // (generation 40 would give 57 x 202 = 11514 - 1800 over 39 = 249).
    const GainLog log = RunGain(run, target, [](int32_t) { return Peaks(Half); });
    EXPECT_FLOAT_EQ(run.Result, 411.0f);
    EXPECT_TRUE(log.Last.Ends);
}

TEST(TimeSampleRun, ThreeInRowOrThirteenTurns)
{
    struct Case {
        std::vector<bool> Turns;
        int32_t Result;
    } cases[] = {
        {{true, true, true}, 0},
        {{true, true, false, true, true, true}, 0},
        {std::vector<bool>(13, false), VnReplyCalibrationFailed},
        {{false, false, false, false, false, false, false, false, false, false, true, true, true}, 0},
        {{false, false, false, false, false, false, false, false, false, false, false, true, true},
         VnReplyCalibrationFailed},
    };
    for (const Case& c : cases) {
        TimeSampleRun run;
        size_t used = 0;
        while (!TimeSampleRunOver(run))
            CountTimeSampleTurn(run, c.Turns.at(used++));
        EXPECT_EQ(used, c.Turns.size());
        EXPECT_EQ(TimeSampleRunResult(run), c.Result) << used;
    }
}

TEST(TimeSampleRun, SpreadOver11IsBadAssembly)
{
    EXPECT_FALSE(BadHeadAssembly(104, 115));
    EXPECT_TRUE(BadHeadAssembly(104, 116));
}

TEST(SpeedCredits, OneEachLimitCrossed)
{
    struct Case {
        int32_t Spread, Left;
    } cases[] = {{10, 2}, {11, 1}, {13, 1}, {14, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(SpendSpeedCredits(2, c.Spread, 10, 13), c.Left) << c.Spread;
}

TEST(ReadTest, DestinationAndComparison)
{
    EXPECT_EQ(ReadTestDestination(false, 0, 3), VnDestinationEjected);
    EXPECT_EQ(ReadTestDestination(false, 2, 3), VnDestinationSorted);
    EXPECT_EQ(ReadTestDestination(true, 0, 3), VnDestinationSorted);
    EXPECT_EQ(ReadTestDestination(false, 1, 3), VnDestinationEjected);

    EXPECT_FALSE(CodelineReadFails("a!b", ""));
    EXPECT_FALSE(CodelineReadFails("<012< 34", "<012< 34"));
    EXPECT_TRUE(CodelineReadFails("<012<34", "<012< 34"));
    EXPECT_TRUE(CodelineReadFails("<012< 34 ", "<012< 34"));
    EXPECT_TRUE(CodelineReadFails("<0!2<", "<0!2<"));
}
