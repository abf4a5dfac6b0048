#include "micr/ReadTestRun.h"

#include <chrono>
#include <cstring>
#include <string_view>
#include <thread>

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/Operator.h"
#include "core/ReplyCodes.h"
#include "micr/CalibrationRules.h"

namespace {

constexpr size_t CodelineSize = 256;

// Waits the seconds with the window kept alive.
void WaitSeconds(Bench& bench, uint32_t seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        bench.Op.PumpEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace

int32_t TestReadOnce(Bench& bench, uint16_t destination, char* text)
{
    const SettingsRecord& settings = bench.State.Settings;
    const uint16_t unit = bench.State.UnitHandle;
    int32_t reply = bench.Api.Varn_DocHandle(unit, bench.Window, settings.FrontStamp, settings.EndorsePrintMode, 1,
                                             'N', 5, 0, destination, 'W', 1, nullptr, 0, 0);
    if (ReportReply(bench.Op, reply, "Varn_DocHandle"))
        return reply;
    uint16_t length = CodelineSize;
    ReportReply(bench.Op, bench.Api.Varn_ReadCodeline(unit, bench.Window, text, &length, nullptr, nullptr, nullptr,
                                                      nullptr),
                "Varn_ReadCodeline");
    reply = bench.Api.Varn_Reset(unit, bench.Window, '0');
    if (ReportReply(bench.Op, reply, "Varn_Reset"))
        return reply;
    return VnReplyOk;
}

void ReleaseTestDocument(Bench& bench, bool openUnit)
{
    if (openUnit && !OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops).Proceed)
        return;
    ReportReply(bench.Op,
                bench.Api.Varn_DocHandle(bench.State.UnitHandle, bench.Window, 0, 0, 1, 'N', 5, 1,
                                         VnDestinationSorted, 'G', 1, nullptr, 0, 0),
                "Varn_DocHandle");
    if (openUnit)
        CloseUnit(bench);
}

ReadTestVerdict RunReadTest(Bench& bench, const ReadTestHooks& hooks)
{
    if (!OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops).Proceed) {
        CloseUnit(bench);
        return ReadTestVerdict::NotOpened;
    }
    uint8_t features[VnFeatureBytesSize] = {};
    bench.Api.Varn_Identify(bench.State.UnitHandle, bench.Window, features, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, 0, 0, 0, 0, 0);
    const SettingsRecord& settings = bench.State.Settings;
    const std::string_view reference(settings.ReadTestCodeline.data(),
                                     strnlen(settings.ReadTestCodeline.data(), settings.ReadTestCodeline.size()));
    bool readsOk = true;
    int64_t i = 0;
    int64_t count = hooks.Count();
    while (i < count) {
        count = hooks.Count();
        char text[CodelineSize] = {};
        if (TestReadOnce(bench, ReadTestDestination(hooks.Sorter, i, count), text) != VnReplyOk)
            break;
        const std::string_view read(text, strnlen(text, sizeof text));
        if (CodelineReadFails(read, reference))
            readsOk = false;
        hooks.AddLine(std::string(read));
        bench.Op.PumpEvents();
        if (settings.ReadTestDelay != 0 && i != count - 1)
            WaitSeconds(bench, settings.ReadTestDelay);
        ++i;
    }
    if (!readsOk && i < count)
        ReleaseTestDocument(bench, false);
    CloseUnit(bench);
    return readsOk ? ReadTestVerdict::ReadsOk : ReadTestVerdict::Failed;
}
