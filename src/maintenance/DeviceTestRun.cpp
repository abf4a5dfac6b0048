#include "maintenance/DeviceTestRun.h"

#include <vector>

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/MessageTitles.h"
#include "core/Operator.h"
#include "core/ReplyCodes.h"

namespace {

// Varn_Open where 0 and 5 go on; any other reply is reported with the label.
bool OpenAlreadyConnectedGoesOn(Bench& bench, const char* label)
{
    const OpenResult open = OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::Ignore);
    if (open.Reply == VnReplyOk || open.Reply == VnReplyAlreadyConnected)
        return true;
    ReportReply(bench.Op, open.Reply, QString::fromLatin1(label));
    return false;
}

} // namespace

bool ReadPhotoSensors(Bench& bench, devicetest::PhotoReadings& readings)
{
    const OpenResult open = OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::Ignore);
    if (ReportReply(bench.Op, open.Reply, QStringLiteral("VnConnect")))
        return false;
    std::array<uint8_t, 8> buffer{};
    const int32_t reply = bench.Api.VnReadPhotosValue(bench.State.UnitHandle, bench.Window, buffer.data(), 0);
    const bool read = ReportReply(bench.Op, reply, QStringLiteral("VnReadPhotosValue")) == 0;
    if (read)
        readings = devicetest::DecodePhotoReadings(buffer);
    CloseUnit(bench);
    return read;
}

namespace {

int32_t EepromCommand(Bench& bench, uint16_t command, uint16_t offset, int16_t count,
                      devicetest::EepromBuffer& buffer)
{
    if (!OpenAlreadyConnectedGoesOn(bench, "Varn_Open"))
        return VnReplyPeripheralNotFound;
    const int32_t reply =
        bench.Api.VnEEPROMCommand(bench.State.UnitHandle, bench.Window, command, offset, count, buffer.data());
    ReportReply(bench.Op, reply, QStringLiteral("VnEEPROMCommand"));
    CloseUnit(bench);
    return reply;
}

} // namespace

bool ReadEeprom(Bench& bench, uint16_t offset, int16_t count, devicetest::EepromBuffer& buffer)
{
    return EepromCommand(bench, 0, offset, count, buffer) == VnReplyOk;
}

void WriteEeprom(Bench& bench, uint16_t offset, int16_t count, devicetest::EepromBuffer& buffer)
{
    EepromCommand(bench, 1, offset, count, buffer);
}

namespace {

template <class Signal> void SignalTest(Bench& bench, const char* label, Signal&& signal)
{
    if (!OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops).Proceed)
        return;
    ReportReply(bench.Op, signal(), QString::fromLatin1(label));
    CloseUnit(bench);
}

} // namespace

void TestBeep(Bench& bench)
{
    const SettingsRecord& s = bench.State.Settings;
    SignalTest(bench, "VnBeep", [&] {
        return bench.Api.VnBeep(bench.State.UnitHandle, bench.Window, s.BeepCount, s.BeepTimeOn, s.BeepTimeOff);
    });
}

void TestLed(Bench& bench)
{
    const SettingsRecord& s = bench.State.Settings;
    SignalTest(bench, "VnLED", [&] {
        return bench.Api.VnLED(bench.State.UnitHandle, bench.Window, s.LedColor, s.LedTimeOn, s.LedTimeOff);
    });
}

void RunBeltTest(Bench& bench)
{
    if (!OpenAlreadyConnectedGoesOn(bench, "VnConnect"))
        return;
    std::vector<uint8_t> samples(devicetest::BeltBufferSize, 0);
    uint32_t length = static_cast<uint32_t>(samples.size());
    const int32_t reply = bench.Api.VnTestCinghia(bench.State.UnitHandle, bench.Window, samples.data(), &length);
    if (ReportReply(bench.Op, reply, QStringLiteral("VnTestCinghia")) == 0) {
        if (devicetest::JudgeBelt(samples.data(), length).Magnetic)
            bench.Op.Message(ErrorTitle, "Magnetic present in the Belt !", MessageButtons::Ok, MessageIcon::Stop);
        else
            bench.Op.Message(DemoTitle, "Belt OK !", MessageButtons::Ok, MessageIcon::Information);
    }
    bench.Api.Varn_Reset(bench.State.UnitHandle, bench.Window, '0');
    CloseUnit(bench);
}
