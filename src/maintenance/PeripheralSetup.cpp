#include "maintenance/PeripheralSetup.h"

#include <thread>

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/MessageTitles.h"
#include "core/Operator.h"
#include "core/ReplyCodes.h"

namespace {

bool Chosen(int32_t index) { return index == 1; }

} // namespace

ConfigurationBlock ConfigurationBlockFor(const SetupChoices& c)
{
    ConfigurationBlock block{0x40, 0x40, 0x40, 0x40};
    if (Chosen(c.MicrHead))
        block[0] |= VnFeatureMicr;
    if (Chosen(c.ProcessCard))
        block[0] |= VnFeatureCard;
    if (Chosen(c.InkJetPrinter))
        block[0] |= VnFeatureInkjet;
    if (Chosen(c.PoweredBy))
        block[0] |= VnFeatureUsbPowered;
    if (Chosen(c.VoidingStamp))
        block[0] |= VnFeatureVoidingStamp;
    block[1] |= VnFeatureScannerFront | VnFeatureScannerBack;
    switch (c.BadgeReader) {
    case 1: block[1] |= VnFeatureBadgeTracks12; break;
    case 2: block[1] |= VnFeatureBadgeTracks23; break;
    case 3: block[1] |= VnFeatureBadgeTracks123; break;
    default: break;
    }
    return block;
}

void ApplyChoices(const SetupChoices& c, FeatureFlags& f)
{
    f.HasMicrReader = Chosen(c.MicrHead) ? 1 : 0;
    f.HasCardProcessing = Chosen(c.ProcessCard) ? 1 : 0;
    f.HasInkjetPrinter = Chosen(c.InkJetPrinter) ? 1 : 0;
    f.IsUsbPowered = Chosen(c.PoweredBy) ? 1 : 0;
    f.HasVoidingStamp = Chosen(c.VoidingStamp) ? 1 : 0;
    f.BadgeReaderType = c.BadgeReader >= 0 && c.BadgeReader <= 3 ? c.BadgeReader : 0;
}

SetupChoices ChoicesFromFeatures(const FeatureFlags& f)
{
    SetupChoices c;
    c.MicrHead = f.HasMicrReader;
    c.VoidingStamp = f.HasVoidingStamp;
    c.InkJetPrinter = f.HasInkjetPrinter;
    c.BadgeReader = f.BadgeReaderType;
    c.ProcessCard = f.HasCardProcessing;
    c.PoweredBy = f.IsUsbPowered;
    return c;
}

SetupChoices ChoicesFromSettings(const SettingsRecord& s)
{
    return {s.SetupMicrHead, s.SetupVoidingStamp, s.SetupInkJetPrinter,
            s.SetupBadgeReader, s.SetupProcessCard, s.SetupPoweredBy};
}

void StoreChoices(const SetupChoices& c, SettingsRecord& s)
{
    s.SetupMicrHead = c.MicrHead;
    s.SetupVoidingStamp = c.VoidingStamp;
    s.SetupInkJetPrinter = c.InkJetPrinter;
    s.SetupBadgeReader = c.BadgeReader;
    s.SetupProcessCard = c.ProcessCard;
    s.SetupPoweredBy = c.PoweredBy;
}

bool ConfirmDestructiveCalibration(Bench& bench)
{
    return bench.Op.Message(DemoTitle,
                            "WARNING !!!\n\nYou destroy the current peripheral calibration !\n\nDo you want to continue ?",
                            MessageButtons::YesNo, MessageIcon::Information) == MessageAnswer::Yes;
}

void ScannerCalibrationCommand(Bench& bench, uint16_t side, std::chrono::milliseconds settle)
{
    MenusGreyed greyed(bench.Op);
    // A unit that did not open is not closed.
    if (!OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::AnyFailureStops).Proceed)
        return;
    const auto until = std::chrono::steady_clock::now() + settle;
    while (std::chrono::steady_clock::now() < until) {
        bench.Op.PumpEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ReportReply(bench.Op, bench.Api.Varn_ScannerCalibration(bench.State.UnitHandle, bench.Window, side),
                "Varn_ScannerCalibration");
    CloseUnit(bench);
}

void PhotosCalibrationCommand(Bench& bench)
{
    MenusGreyed greyed(bench.Op);
    if (!OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::AnyFailureStops).Proceed)
        return;
    ReportReply(bench.Op, bench.Api.Varn_PhotosCalibration(bench.State.UnitHandle, bench.Window, 0),
                "Varn_PhotosCalibration");
    CloseUnit(bench);
}

void WriteConfiguration(Bench& bench, const ConfigurationBlock& block)
{
    if (!OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::AlreadyConnectedGoesOn).Proceed)
        return;
    ReportReply(bench.Op, bench.Api.Varn_SetConfiguration(bench.State.UnitHandle, bench.Window, block.data()),
                "Varn_SetConfiguration");
    CloseUnit(bench);
}
