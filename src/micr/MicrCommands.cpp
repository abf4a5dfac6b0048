#include "micr/MicrCommands.h"

#include <algorithm>

#include "core/BenchState.h"
#include "core/CommandRegistry.h"
#include "core/CommandIds.h"
#include "core/Connection.h"
#include "core/ReplyCodes.h"
#include "micr/DocSpeedDialog.h"
#include "micr/HeadFeed.h"
#include "micr/MicrDisplay.h"
#include "micr/MicrGainDialog.h"
#include "micr/MicrState.h"
#include "micr/PrintQualityRun.h"
#include "micr/ReadTestDialog.h"
#include "micr/SaveSignalDialog.h"
#include "micr/SignalBuffer.h"
#include "micr/SignalFiles.h"
#include "micr/SignalPlots.h"
#include "core/Operator.h"

using namespace bench;

namespace {

enum class SignalLook { View, Speed };

// One document; false when a device failure (already reported) ends the
// command.
bool LookAtOneDocument(Bench& bench, SignalLook look)
{
    Operator& op = bench.Op;
    const uint16_t unit = bench.State.UnitHandle;
    if (ReportReply(op, FeedForSignal(bench), "Varn_DocHandle"))
        return false;
    if (look == SignalLook::View) {
        char codeline[256] = {};
        uint16_t length = sizeof codeline;
        const int32_t reply =
            bench.Api.Varn_ReadCodeline(unit, bench.Window, codeline, &length, nullptr, nullptr, nullptr, nullptr);
        if (ReportReply(op, reply, "Varn_ReadCodeline"))
            return false;
        DocumentShow show;
        show.DocumentNumber = 1;
        show.Text2 = QString::fromLatin1(codeline, static_cast<int>(qstrnlen(codeline, sizeof codeline)));
        op.ShowDocumentImages(show);
    }
    SignalBuffer buffer = NewSignalBuffer();
    if (!buffer) {
        ReportReply(op, VnReplySystemError, "Error");
        return true;
    }
    uint32_t length = SignalBufferSize;
    const int32_t reply = bench.Api.Varn_ReadE13BSignal(unit, bench.Window, buffer.get(), &length);
    if (ReportReply(op, reply, "Varn_ReadE13BSignal"))
        return false;
    if (look == SignalLook::View) {
        ShowSignalView(op, buffer.get(), SignalBufferSize);
    } else {
        WriteSignalFile(E13BDumpPath, buffer.get(), std::min<uint32_t>(length, SignalBufferSize));
        ShowWidthPlot(op, ProcessMicrState().CharWidths, buffer.get(), SignalBufferSize,
                      SignalLength(buffer.get(), SignalBufferSize), [](const CharacterWidths& w) {
                          return SpeedWidthCaption(w.CharWidthMin, w.CharWidthMax);
                      });
    }
    return true;
}

void LookAtEveryDocument(Bench& bench, SignalLook look)
{
    MenusGreyed greyed(bench.Op);
    if (!OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops).Proceed)
        return;
    while (LookAtOneDocument(bench, look) && DocumentInFeeder(bench))
        bench.Op.PumpEvents();
    CloseUnit(bench);
}

} // namespace

void ViewE13BSignal(Bench& bench) { LookAtEveryDocument(bench, SignalLook::View); }

void CheckDocSpeed(Bench& bench) { LookAtEveryDocument(bench, SignalLook::Speed); }

void RegisterMicrCommands(CommandRegistry& registry)
{
    // "&Gray" and "&Color" run the same command.
    registry.Add(Cmd::ViewSignalGray, ViewE13BSignal);
    registry.Add(Cmd::ViewSignalColor, ViewE13BSignal);
    registry.Add(Cmd::CheckSpeedGray, CheckDocSpeed);
    registry.Add(Cmd::CheckSpeedColor, CheckDocSpeed);
    registry.Add(Cmd::SaveSignalOnError, SaveSignalCommand);
    registry.Add(Cmd::CalibrationMicr, MicrGainCommand);
    registry.Add(Cmd::DocSpeed, DocSpeedCommand);
    registry.Add(Cmd::ReadCodelineTest, ReadTestCommand);
    registry.Add(Cmd::MicrPrintQuality, [](Bench& bench) { RunPrintQuality(bench); });
}
