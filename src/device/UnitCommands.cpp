#include "device/UnitCommands.h"

#include <cerrno>
#include <cstring>

#include "core/BenchState.h"
#include "core/CommandRegistry.h"
#include "core/CommandIds.h"
#include "core/Connection.h"
#include "core/Identify.h"
#include "device/EthConfigurationDialog.h"
#include "device/PeripheralStatusDialog.h"
#include "core/ReplyCodes.h"
#include "core/Operator.h"
#include "platform/Platform.h"

namespace {

template <size_t N> QString Text(const std::array<char, N>& field)
{
    return QString::fromLatin1(field.data(), static_cast<int>(strnlen(field.data(), N)));
}

} // namespace

int32_t IdentifyUnit(Bench& bench, bool show)
{
    const int32_t reply = ReadIdentity(bench);
    if (reply == 0 && show)
        bench.Op.Message("Peripheral identify", FormatIdentifyText(bench.State.Identity, bench.State.Features),
                         MessageButtons::Ok, MessageIcon::Information);
    return reply;
}

QString FormatIdentifyText(const UnitIdentity& id, const FeatureFlags& f)
{
    QString text = QString("Device Name : %1\nFirmware Version : %2\nRelease Date : %3\n\n")
                       .arg(Text(id.DeviceModel), Text(id.FirmwareVersion), Text(id.ReleaseDate));
    if (id.PrinterFirmware[0] != 0)
        text += "Printer Expansion Firmware Version : " + Text(id.PrinterFirmware) + "\n";
    if (id.InternalNumber[0] != 0)
        text += "Peripheral Internal Number : " + Text(id.InternalNumber) + "\n";
    if (id.BoardInfo[0] != 0) {
        text += QString::asprintf("Board Release : %#02x\n", static_cast<int>(static_cast<int8_t>(id.BoardInfo[0])));
        // A release letter of 0 is no letter, not a NUL in the text.
        text += "FPGA Release : ";
        if (id.BoardInfo[1] != 0)
            text += QChar::fromLatin1(static_cast<char>(id.BoardInfo[1]));
        text += "\n";
    }
    text += "\n";
    const std::pair<int, const char*> lines[] = {
        {f.HasMicrReader, "MICR reader\n"},
        {f.HasCardProcessing, "Card Processing\n"},
        {f.HasInkjetPrinter, "Endorsement Ink-jet printer\n"},
        {f.IsUsbPowered, "USB Powered\n"},
        {f.HasVoidingStamp, "Voiding front stamp\n"},
        {f.HasScannerFront, "Scanner FRONT\n"},
        {f.HasScannerBack, "Scanner BACK\n"},
    };
    bool any = false;
    for (const auto& [flag, line] : lines) {
        if (flag == 1) {
            text += line;
            any = true;
        }
    }
    switch (f.BadgeReaderType) {
    case 1: text += "Badge reader tracks 1/2\n"; break;
    case 2: text += "Badge reader tracks 2/3\n"; break;
    case 3: text += "Badge reader tracks 1/2/3\n"; break;
    default: break;
    }
    if (!any && f.BadgeReaderType == 0)
        text += "None\n";
    return text;
}

QString SenseKeyText(uint8_t senseKey)
{
    switch (senseKey) {
    case VnSenseOk: return "Peripheral Ok !";
    case VnSenseBusy: return "Peripheral busy";
    case VnSensePaperJam: return "Paper Jam";
    case VnSenseHardwareError: return "Hardware error";
    case VnSenseIllegalRequest: return "Illegal request";
    case VnSenseFeederEmpty: return "Feeder Empty";
    case VnSenseDoubleLeafing: return "Error Double Leafing";
    case VnSenseIllegalCommand: return "Illegal Command";
    case VnSenseAborted: return "Aborted command";
    case VnSenseCalibrationAborted: return "Calibration Aborted";
    case VnSenseOkDoubleLeafingOccurred: return "Peripheral Ok!\nDouble Leafing occurs";
    default: return QString::asprintf("Error %d, not contempled", senseKey);
    }
}

QString SensorStatusText(const uint8_t* sensor)
{
    QString text = QString::asprintf("Sensor status value :   0x%02x   0x%02x\n\n", sensor[0], sensor[1]);
    if (sensor[0] & VnSensorDocumentInFeeder)
        text += "Document present in the feeder\n";
    if (sensor[0] & VnSensorTriggerCovered)
        text += "Trigger photo covered\n";
    if (sensor[0] & VnSensorInkjetSilent)
        text += "Inkjet board don't answer !\n";
    if (sensor[0] & VnSensorDocumentRetained)
        text += "Document retained\n";
    if (sensor[0] & VnSensorJustOn)
        text += "Unit just ON";
    if (text.endsWith('\n'))
        text.chop(1);
    return text;
}

void ShowPeripheralStatus(Bench& bench)
{
    const OpenResult open = OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::AlreadyConnectedGoesOn);
    if (!open.Proceed)
        return;
    uint8_t senseKey = 0;
    uint8_t sensor[VnSensorBytesSize] = {};
    const int32_t reply = bench.Api.Varn_PeripheralStatus(bench.State.UnitHandle, bench.Window, &senseKey, sensor);
    // A failed request leaves nothing to show: the zeros would read as
    // "Peripheral Ok !".
    if (ReportReply(bench.Op, reply, "Varn_PeripheralStatus") == 0) {
        PeripheralStatusDialog dialog(SenseKeyText(senseKey), SensorStatusText(sensor));
        bench.Op.Exec(dialog);
    }
    // A unit that was already open stays as it was found.
    if (open.Reply != VnReplyAlreadyConnected)
        CloseUnit(bench);
}

void ResetUnit(Bench& bench, char resetType)
{
    OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::Ignore);
    const int32_t reply = bench.Api.Varn_Reset(bench.State.UnitHandle, bench.Window, resetType);
    if (ReportReply(bench.Op, reply, "Varn_Reset") == 0)
        bench.Op.Message(DemoTitle, "Reset OK !", MessageButtons::Ok, MessageIcon::None);
    CloseUnit(bench);
}

void RunInterfaceTest(Bench& bench)
{
    // Relative to the working directory, never searched along PATH.
    const platform::ProgramRun run = platform::RunProgramAndWait("AppVnApi", {});
    if (run.Started && run.ExitCode == 0)
        return;
    QString text;
    if (!run.Started && run.Error == ENOENT)
        text = "Interface Test failed: AppTamo.EXE not found.";
    else if (!run.Started)
        text = QString::asprintf("Interface Test failed: %d", run.Error);
    else
        // The program ran and failed: its exit status says more than errno.
        text = QString::asprintf("Interface Test failed: %d", run.ExitCode);
    bench.Op.Message(DemoTitle, text, MessageButtons::Ok, MessageIcon::Information);
}

void RegisterUnitCommands(CommandRegistry& registry)
{
    registry.Add(Cmd::PeripheralConfiguration, [](Bench& bench) {
        MenusGreyed greyed(bench.Op);
        IdentifyUnit(bench, true);
    });
    registry.Add(Cmd::PeripheralStatus, [](Bench& bench) {
        MenusGreyed greyed(bench.Op);
        ShowPeripheralStatus(bench);
    });
    registry.Add(Cmd::ResetError, [](Bench& bench) { ResetUnit(bench, '0'); });
    registry.Add(Cmd::FreePath, [](Bench& bench) { ResetUnit(bench, '1'); });
    registry.Add(Cmd::InterfaceTest, [](Bench& bench) { RunInterfaceTest(bench); });
    registry.Add(Cmd::EthSetup, [](Bench& bench) {
        EthConfigurationDialog dialog(bench.State.Settings);
        bench.Op.Exec(dialog);
    });
}
