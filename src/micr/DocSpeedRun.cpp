#include "micr/DocSpeedRun.h"

#include <cstdio>

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/MessageTitles.h"
#include "core/Operator.h"
#include "core/ReplyCodes.h"
#include "micr/CalibrationRules.h"
#include "micr/MicrDisplay.h"
#include "micr/MicrState.h"
#include "micr/SignalBuffer.h"
#include "micr/SignalPlots.h"

using namespace bench;

namespace {

// The library starts the signal of a document without E13B ink with this.
constexpr uint8_t NoInkMark = 13;

} // namespace

int32_t ReadSpeedDocument(Bench& bench, uint16_t release, uint16_t destination)
{
    SignalBuffer buffer = NewSignalBuffer();
    if (!buffer)
        return VnReplyOk;
    const uint16_t unit = bench.State.UnitHandle;
    int32_t reply = bench.Api.Varn_DocHandle(unit, bench.Window, 0, 0, 1, 'N', 5, release, destination, 'W', 0,
                                             nullptr, 0, 0);
    if (ReportReply(bench.Op, reply, "Varn_DocHandle"))
        return reply;
    uint32_t length = SignalBufferSize;
    reply = bench.Api.Varn_ReadE13BSignal(unit, bench.Window, buffer.get(), &length);
    if (ReportReply(bench.Op, reply, "Varn_ReadE13BSignal"))
        return reply;
    for (int i = 0; i < 4; ++i) {
        if (buffer[i] == NoInkMark) {
            bench.Op.Message(ErrorTitle, "Document Wrong !", MessageButtons::Ok, MessageIcon::Stop);
            return VnReplyCalibrationFailed;
        }
    }
    ShowWidthPlot(bench.Op, ProcessMicrState().CharWidths, buffer.get(), SignalBufferSize, length,
                  [](const CharacterWidths& w) { return SpeedWidthCaption(w.CharWidthMin, w.CharWidthMax); });
    return VnReplyOk;
}

DocSpeedVerdict CalibrateDocSpeed(Bench& bench, const std::function<void(const std::string&)>& addLine)
{
    if (!OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops).Proceed) {
        CloseUnit(bench);
        return DocSpeedVerdict::NotOpened;
    }
    UnitIdentity& id = bench.State.Identity;
    char model[VnIdentifyTextSize] = {}, firmware[VnIdentifyTextSize] = {};
    bench.Api.Varn_Identify(bench.State.UnitHandle, bench.Window, id.FeatureBytes.data(), model, firmware, nullptr,
                            nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0);
    const SettingsRecord& settings = bench.State.Settings;
    const int32_t reads = static_cast<int16_t>(settings.DocSpeedReads);
    int32_t credits = SpeedCreditsAtStart;
    DocSpeedVerdict verdict = DocSpeedVerdict::Passed;
    for (int32_t i = 0; i < reads && credits > 0; ++i) {
        if (ReadSpeedDocument(bench, 0, VnDestinationSorted) != VnReplyOk) {
            verdict = DocSpeedVerdict::Failed;
            break;
        }
        const CharacterWidths& w = ProcessMicrState().CharWidths;
        char line[160];
        std::snprintf(line, sizeof line, " %ld,           %ld,                %.2f,                  %.3f",
                      static_cast<long>(w.CharWidthMin), static_cast<long>(w.CharWidthMax),
                      static_cast<double>(w.CharWidthMean), static_cast<double>(w.CharWidthStdDev));
        addLine(line);
        bench.Op.PumpEvents();
        credits = SpendSpeedCredits(credits, w.CharWidthMax - w.CharWidthMin, settings.DocSpeedLimit1,
                                    settings.DocSpeedLimit2);
    }
    if (verdict == DocSpeedVerdict::Passed && credits <= 0)
        verdict = DocSpeedVerdict::Failed;
    CloseUnit(bench);
    return verdict;
}
