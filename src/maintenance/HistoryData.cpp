#include "maintenance/HistoryData.h"

#include <cstdio>

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/ReplyCodes.h"

std::string WorkTimeText(uint32_t workTime)
{
    // 64 bits: 2^32 units of 300 s overflow 32.
    const uint64_t seconds = uint64_t{workTime} * 300;
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned>(seconds % 3600 / 60), static_cast<unsigned>(seconds % 60));
    return text;
}

int32_t RunHistoryCommand(Bench& bench, uint16_t command, HistoryRecord* record)
{
    const OpenResult open = OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops);
    if (!open.Proceed)
        return open.Reply;
    if (record)
        record->Size = 40;
    const int32_t reply = bench.Api.Varn_HistoryCommand(bench.State.UnitHandle, bench.Window, command, record);
    ReportReply(bench.Op, reply, "Varn_HistoryCommand");
    CloseUnit(bench);
    return reply;
}
