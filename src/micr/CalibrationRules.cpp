#include "micr/CalibrationRules.h"

#include <cmath>
#include <cstdlib>

#include "vnapi/VnCodes.h"

namespace {

// The new gain in percent of the old one, about 100 S / P.
float GainFactor(float percent, int32_t signalValue)
{
    const int32_t d = std::abs(static_cast<int32_t>(percent) - signalValue);
    const float q = static_cast<float>(d) * 100.0f / percent;
    return percent > static_cast<float>(signalValue) ? 100.0f - q : q + 100.0f;
}

} // namespace

int32_t NextTrimmerGen40(float percent, int32_t trimmer, int32_t signalValue)
{
    const float f = GainFactor(percent, signalValue);
    const int32_t k = (39 * trimmer + 1800) / 100;
    const int32_t r = k * static_cast<int32_t>(f);
    return r <= 1800 ? 0 : (r - 1800) / 39;
}

int32_t NextTrimmerGen39(float percent, int32_t trimmer, int32_t signalValue)
{
    const float f = std::trunc(GainFactor(percent, signalValue));
    const float g = static_cast<float>(39 * trimmer + 4700) / 3300.0f + 1.0f;
    return static_cast<int32_t>((((g / 100.0f) * f - 1.0f) * 3300.0f - 4700.0f) / 39.0f);
}

GainDecision JudgeGainRead(GainRun& run, const bench::SignalPeaks& peaks, const GainTarget& target)
{
    GainDecision decision;
    decision.TraceTrimmer = run.Trimmer;
    if (peaks.Count != GainPeaksPerRead) {
        // The pass is repeated; a third such read over the run is a loose document.
        run.BadReads += 1;
        run.Pass -= 1;
        if (run.BadReads >= GainBadReadsAllowed) {
            decision.Ends = decision.DocumentLoose = true;
            decision.Result = VnReplyCalibrationFailed;
        }
        return decision;
    }
    run.SumA += peaks.Sum;
    int32_t count = peaks.Count;
    if (peaks.Lowest == 0)
        count -= peaks.LowestCount; // clipped peaks added 0 and stay out of the mean
    run.CountC += count;
    if (count != 0)
        run.Percent = bench::PeakPercent(peaks.Sum, count);
    decision.TracePercent = run.Percent;

    if (run.Pass == 2) {
        int32_t next = 0;
        if (run.CountC != 0) {
            run.Percent = bench::PeakPercent(run.SumA, run.CountC);
            next = target.Generation == 39 ? NextTrimmerGen39(run.Percent, run.Trimmer, target.SignalValue)
                                           : NextTrimmerGen40(run.Percent, run.Trimmer, target.SignalValue);
        } else {
            next = run.Trimmer - GainClippedStep;
            run.Pass = -1;
        }
        if (next <= 0) {
            run.Result = 0.0f;
            decision.Ends = true;
            decision.Result = VnReplyTrimmerNegative;
        } else if (next >= 255) {
            run.Result = static_cast<float>(next);
            decision.Ends = true;
            decision.Result = VnReplyCalibrationFailed;
        } else {
            run.Trimmer = next;
            decision.WriteTrimmer = true;
            run.SumA = 0.0f;
            run.CountC = 0;
        }
    } else if (run.Pass == 5) {
        run.Percent = bench::PeakPercent(run.SumA, run.CountC);
        const float s = static_cast<float>(target.SignalValue);
        const float low = s - (static_cast<float>(target.ToleranceMinus) / 100.0f) * s;
        const float high = (static_cast<float>(target.TolerancePlus) / 100.0f) * s + s;
        if (low <= run.Percent && run.Percent <= high) {
            run.Result = run.Percent;
        } else if (run.Retries >= GainRetriesAllowed) {
            decision.Ends = true;
            decision.Result = VnReplyCalibrationFailed;
        } else {
            run.Retries += 1;
            run.Pass = -1;
            run.SumA = 0.0f;
            run.CountC = 0;
        }
    }
    return decision;
}

bool FinishGainPass(GainRun& run)
{
    run.Pass += 1;
    return run.Pass >= GainPassesPerCycle;
}

void CountTimeSampleTurn(TimeSampleRun& run, bool inRange)
{
    run.Consecutive = inRange ? run.Consecutive + 1 : 0;
    run.Turns += 1;
}

bool TimeSampleRunOver(const TimeSampleRun& run)
{
    return run.Consecutive >= TimeSampleInRangeNeeded || run.Turns >= TimeSampleTurns;
}

int32_t TimeSampleRunResult(const TimeSampleRun& run)
{
    return run.Consecutive >= TimeSampleInRangeNeeded ? 0 : VnReplyCalibrationFailed;
}

bool BadHeadAssembly(int32_t narrowest, int32_t widest) { return widest - narrowest > 11; }

int32_t SpendSpeedCredits(int32_t credits, int32_t spread, int32_t limit1, int32_t limit2)
{
    if (spread > limit1)
        credits -= spread > limit2 ? 2 : 1;
    return credits;
}

uint16_t ReadTestDestination(bool sorter, int64_t index, int64_t count)
{
    return sorter || index == count - 1 ? VnDestinationSorted : VnDestinationEjected;
}

bool CodelineReadFails(std::string_view read, std::string_view reference)
{
    if (reference.empty())
        return false;
    return read.find('!') != std::string_view::npos || read != reference;
}
