#include "micr/MicrCalibration.h"

#include <algorithm>
#include <string>

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/MessageTitles.h"
#include "core/Operator.h"
#include "core/ReplyCodes.h"
#include "micr/CalibrationRules.h"
#include "micr/MicrDisplay.h"
#include "micr/MicrState.h"
#include "micr/SignalBuffer.h"
#include "micr/SignalFiles.h"
#include "micr/SignalPlots.h"
#include "micr/TimeSampleStep.h"

using namespace bench;

namespace {

bool Failed(Bench& bench, int32_t reply, const char* label) { return ReportReply(bench.Op, reply, label) != 0; }

// Passes the document over the head and keeps it in the unit.
int32_t Hold(Bench& bench)
{
    return bench.Api.Varn_DocHandle(bench.State.UnitHandle, bench.Window, 0, 0, 1, 'N', 5, 0,
                                    VnDestinationRetained, 'W', 0, nullptr, 0, 0);
}

// Hands the held document back, for the operator to put in again.
int32_t GiveBack(Bench& bench)
{
    return bench.Api.Varn_DocHandle(bench.State.UnitHandle, bench.Window, 0, 0, 0, 'N', 5, 1,
                                    VnDestinationEjected, 'W', 0, nullptr, 0, 0);
}

// Ends a run: whatever is held is sorted; the reply does not matter.
void Closing(Bench& bench, uint16_t release)
{
    bench.Api.Varn_DocHandle(bench.State.UnitHandle, bench.Window, 0, 0, 1, 'N', 5, release, VnDestinationSorted,
                             'W', 0, nullptr, 0, 0);
}

// The raw samples of one read, numbered by the settings counter.
void DumpSignal(Bench& bench, const uint8_t* samples, uint32_t delivered)
{
    uint16_t& counter = bench.State.Settings.SignalFileCounter;
    const std::string path =
        bench.State.ProgramFolder + "Dati/" + NumberedSignalName("SgnE13B_Varn_", counter, ".kmx");
    counter = static_cast<uint16_t>(counter + 1);
    WriteSignalFile(path, samples, std::min(delivered, SignalBufferSize));
}

// The trimmer, once per run: 0 until the unit has told it.
void ReadTrimmerOnce(Bench& bench, int32_t& trimmer)
{
    if (trimmer != 0)
        return;
    uint8_t value[2] = {};
    if (bench.Api.Varn_ReadTrimmerMICR(bench.State.UnitHandle, bench.Window, 0, value, 2) == VnReplyOk)
        trimmer = value[0];
}

// One signal read into a fresh buffer; the reply, and the delivered length.
int32_t ReadSignal(Bench& bench, SignalBuffer& buffer, uint32_t& delivered)
{
    buffer = NewSignalBuffer();
    if (!buffer)
        return VnReplySystemError;
    delivered = SignalBufferSize;
    return bench.Api.Varn_ReadE13BSignal(bench.State.UnitHandle, bench.Window, buffer.get(), &delivered);
}

int32_t GainPasses(Bench& bench, GainRun& run)
{
    MicrState& micr = ProcessMicrState();
    SettingsRecord& settings = bench.State.Settings;
    GainTarget target;
    target.Generation = bench.State.UnitGeneration;
    target.SignalValue = static_cast<int16_t>(settings.MicrSignalValue);
    target.ToleranceMinus = settings.MicrToleranceMinus;
    target.TolerancePlus = settings.MicrTolerancePlus;
    for (;;) {
        micr.CalibrationDocCount = static_cast<uint16_t>(micr.CalibrationDocCount + 1);
        const int32_t held = Hold(bench);
        if (Failed(bench, held, "Varn_DocHandle"))
            return held;
        ReadTrimmerOnce(bench, run.Trimmer);
        SignalBuffer buffer;
        uint32_t delivered = 0;
        if (Failed(bench, ReadSignal(bench, buffer, delivered), "Varn_ReadE13BSignal"))
            return VnReplyCalibrationFailed;
        DumpSignal(bench, buffer.get(), delivered);
        SignalPeaks peaks;
        MeasureSignalPeaks(buffer.get(), delivered, peaks);
        const GainDecision decision = JudgeGainRead(run, peaks, target);
        ShowCalibrationTrace(bench.Op, micr.CalibrationDocCount, buffer.get(), delivered, decision.TracePercent,
                             static_cast<uint16_t>(decision.TraceTrimmer));
        bench.Op.PumpEvents();
        if (decision.DocumentLoose)
            bench.Op.Message(ErrorTitle, "Document loose !!!\n\nChange Document !", MessageButtons::Ok,
                             MessageIcon::Stop);
        if (decision.Ends)
            return decision.Result;
        if (decision.WriteTrimmer) {
            const int32_t set = bench.Api.Varn_SetTrimmerMICR(bench.State.UnitHandle, bench.Window, 0,
                                                              static_cast<uint8_t>(run.Trimmer));
            if (Failed(bench, set, "Varn_SetTrimmerMICR"))
                return set;
        }
        char codeline[256] = {};
        uint16_t length = sizeof codeline;
        bench.Api.Varn_ReadCodeline(bench.State.UnitHandle, bench.Window, codeline, &length, nullptr, nullptr,
                                    nullptr, nullptr);
        const int32_t given = GiveBack(bench);
        if (Failed(bench, given, "Varn_DocHandle"))
            return given;
        if (FinishGainPass(run))
            return VnReplyOk;
    }
}

} // namespace

int32_t CalibrateMicrGain(Bench& bench)
{
    MicrState& micr = ProcessMicrState();
    SettingsRecord& settings = bench.State.Settings;
    micr.CalibrationDocCount = 0;
    micr.CalibrationResult = 0.0f;
    settings.MicrToleranceMinus = 4;
    settings.MicrTolerancePlus = 4;
    const OpenResult open = OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::AnyFailureStops);
    if (!open.Proceed)
        return open.Reply;
    int32_t result = IdentifyForGeneration(bench);
    if (!Failed(bench, result, "Varn_Identify")) {
        GainRun run;
        result = GainPasses(bench, run);
        micr.CalibrationResult = run.Result;
    }
    Closing(bench, 0);
    CloseUnit(bench);
    return result;
}

int32_t CalibrateTimeSample(Bench& bench)
{
    MicrState& micr = ProcessMicrState();
    micr.CalibrationResult = 0.0f;
    const OpenResult open = OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::AnyFailureStops);
    if (!open.Proceed)
        return 1;
    IdentifyForGeneration(bench);
    const uint16_t unit = bench.State.UnitHandle;
    TimeSampleRun run;
    uint16_t release = 0;
    int32_t result = VnReplyOk;
    bool broken = false;
    while (!TimeSampleRunOver(run) && !broken) {
        const int32_t held = Hold(bench);
        if (!Failed(bench, held, "Varn_DocHandle")) {
            SignalBuffer buffer;
            uint32_t delivered = 0;
            result = ReadSignal(bench, buffer, delivered);
            if (Failed(bench, result, "Varn_ReadE13BSignal")) {
                release = 1;
                break;
            }
            DumpSignal(bench, buffer.get(), delivered);
            uint16_t timeSample = 0;
            result = bench.Api.Varn_ReadTimeSampleMICR(unit, bench.Window, 0, &timeSample, 2);
            if (Failed(bench, result, "SCSIVn_ReadTimeSampleMICR")) {
                release = 1;
                break;
            }
            CharacterWidths& widths = micr.CharWidths;
            if (static_cast<uint16_t>(delivered) != 0) {
                ShowWidthPlot(bench.Op, widths, buffer.get(), SignalBufferSize, delivered,
                              [timeSample](const CharacterWidths& w) {
                                  return TimeSampleWidthCaption(timeSample, w.CharWidthMin, w.CharWidthMax);
                              });
                bench.Op.PumpEvents();
            }
            if (BadHeadAssembly(widths.CharWidthMin, widths.CharWidthMax)) {
                bench.Op.Message(ErrorTitle, "Bad assembly !", MessageButtons::Ok, MessageIcon::Stop);
                release = 1;
                result = VnReplyCalibrationFailed;
                break;
            }
            const TimeSampleStep step = NextTimeSample(timeSample, widths.CharWidthMin, widths.CharWidthMax);
            const int32_t set =
                bench.Api.Varn_SetTimeSampleMICR(unit, bench.Window, 0, static_cast<uint16_t>(step.Value));
            if (Failed(bench, set, "Varn_SetTimeSampleMICR")) {
                release = 1;
                result = VnReplyCalibrationFailed;
                break;
            }
            CountTimeSampleTurn(run, step.InRange);
            result = GiveBack(bench);
            if (Failed(bench, result, "Varn_DocHandle"))
                broken = true;
            continue;
        }
        // A failed hold only uses up the turn.
        result = held;
        CountTimeSampleTurn(run, false);
    }
    if (TimeSampleRunOver(run) && !broken && release == 0)
        result = TimeSampleRunResult(run);
    Closing(bench, release);
    CloseUnit(bench);
    return result;
}

int32_t ReadSignalOnce(Bench& bench, int documents)
{
    MicrState& micr = ProcessMicrState();
    micr.CalibrationDocCount = 0;
    micr.CalibrationResult = 0.0f;
    int32_t trimmer = 0;
    const OpenResult open = OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::AnyFailureStops);
    if (!open.Proceed)
        return open.Reply;
    int32_t reply = VnReplyOk;
    for (int i = 0; i < documents; ++i) {
        micr.CalibrationDocCount = static_cast<uint16_t>(micr.CalibrationDocCount + 1);
        reply = bench.Api.Varn_DocHandle(bench.State.UnitHandle, bench.Window, 0, 0, 1, 'N', 5, 0,
                                         VnDestinationSorted, 'W', 0, nullptr, 0, 0);
        if (Failed(bench, reply, "Varn_DocHandle"))
            break;
        ReadTrimmerOnce(bench, trimmer);
        SignalBuffer buffer;
        uint32_t delivered = 0;
        if (Failed(bench, ReadSignal(bench, buffer, delivered), "Varn_ReadE13BSignal")) {
            reply = VnReplyCalibrationFailed;
            break;
        }
        DumpSignal(bench, buffer.get(), delivered);
        SignalPeaks peaks;
        MeasureSignalPeaks(buffer.get(), delivered, peaks);
        int count = peaks.Count;
        if (peaks.Lowest == 0)
            count -= peaks.LowestCount;
        ShowCalibrationTrace(bench.Op, micr.CalibrationDocCount, buffer.get(), delivered,
                             PeakPercent(peaks.Sum, count), static_cast<uint16_t>(trimmer));
    }
    CloseUnit(bench);
    return reply;
}
