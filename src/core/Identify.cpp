#include "core/Identify.h"

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/ReplyCodes.h"

int32_t ReadIdentity(Bench& bench)
{
    const OpenResult open = OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::AnyFailureStops);
    if (!open.Proceed) {
        CloseUnit(bench);
        return open.Reply;
    }
    // Identify into a copy: a failed identification leaves the last good one.
    UnitIdentity id = bench.State.Identity;
    id.BoardInfo[0] = 0;
    id.PrinterFirmware.fill(0);
    const int32_t reply = bench.Api.Varn_Identify(
        bench.State.UnitHandle, bench.Window, id.FeatureBytes.data(), id.DeviceModel.data(), id.FirmwareVersion.data(),
        id.ReleaseDate.data(), id.InternalNumber.data(), id.BoardInfo.data(), nullptr, id.PrinterFirmware.data(), 0, 0,
        0, 0, 0);
    if (ReportReply(bench.Op, reply, "Varn_Identify")) {
        CloseUnit(bench);
        return reply;
    }
    // Texts from the unit are cut at their buffer's end whatever it sent.
    id.DeviceModel.back() = id.FirmwareVersion.back() = id.ReleaseDate.back() = id.InternalNumber.back() = 0;
    id.PrinterFirmware.back() = 0;
    bench.State.Identity = id;
    CloseUnit(bench);
    DecodeFeatures(id.FeatureBytes.data(), bench.State.Features);
    return 0;
}

void DecodeFeatures(const uint8_t* featureBytes, FeatureFlags& flags)
{
    const uint8_t b0 = featureBytes[0];
    const uint8_t b1 = featureBytes[1];
    flags.HasMicrReader = (b0 & VnFeatureMicr) ? 1 : 0;
    flags.HasCardProcessing = (b0 & VnFeatureCard) ? 1 : 0;
    flags.HasInkjetPrinter = (b0 & VnFeatureInkjet) ? 1 : 0;
    flags.IsUsbPowered = (b0 & VnFeatureUsbPowered) ? 1 : 0;
    flags.HasVoidingStamp = (b0 & VnFeatureVoidingStamp) ? 1 : 0;
    flags.HasScannerFront = (b1 & VnFeatureScannerFront) ? 1 : 0;
    flags.HasScannerBack = (b1 & VnFeatureScannerBack) ? 1 : 0;
    // A later bit wins.
    flags.BadgeReaderType = 0;
    if (b1 & VnFeatureBadgeTracks12)
        flags.BadgeReaderType = 1;
    if (b1 & VnFeatureBadgeTracks23)
        flags.BadgeReaderType = 2;
    if (b1 & VnFeatureBadgeTracks123)
        flags.BadgeReaderType = 3;
}

