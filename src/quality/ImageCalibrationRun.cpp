#include "quality/ImageCalibrationRun.h"

#include <chrono>
#include <thread>

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/Operator.h"
#include "core/ReplyCodes.h"
#include "quality/ImageCalibration.h"

namespace bench {

int32_t CalibrateImageOnce(Bench& bench, float theoretical, const CalibrationShow& show)
{
    PrepareNetworkBox(bench);
    const uint16_t unit = bench.State.UnitHandle;
    int32_t reply = bench.Api.Varn_DocHandle(unit, bench.Window, 0, 0, 0, 'F', 1, 0, 1, 'W', 0, nullptr, 0, 0);
    if (ReportReply(bench.Op, reply, "Varn_DocHandle"))
        return reply;
    ImageHandle front;
    reply = bench.Api.Varn_ReadImage(unit, bench.Window, 0, 'F', 0, 0, &front, nullptr, nullptr, nullptr);
    if (ReportReply(bench.Op, reply, "Varn_ReadImage"))
        return reply;
    if (!front)
        return VnReplyInvalidCommand;
    // Released by the handle however the attempt ends.
    const std::optional<int32_t> bitOffset = TrimBlankMargins(front->Bytes());
    const float measured = bitOffset ? static_cast<float>(MeasuredPixels(front->Bytes(), *bitOffset)) : 0.0f;
    DocumentShow document;
    document.DocumentNumber = 1;
    document.Front = front.get();
    bench.Op.ShowDocumentImages(document);
    if (show)
        show(theoretical, measured, *front);

    uint16_t value = 0;
    reply = bench.Api.Varn_ImageCalibration(unit, bench.Window, 0, &value);
    if (ReportReply(bench.Op, reply, "Varn_ImageCalibration"))
        return reply;
    std::optional<uint16_t> corrected = CorrectedImageCalibration(measured, theoretical, value);
    if (!corrected)
        return 0;
    reply = bench.Api.Varn_ImageCalibration(unit, bench.Window, 1, &*corrected);
    if (ReportReply(bench.Op, reply, "Varn_ImageCalibration"))
        return reply;
    return CalibrationFeedAgain;
}

bool RunImageCalibration(Bench& bench, uint32_t millimetres, const CalibrationShow& show)
{
    const float theoretical = TheoreticalPixels(millimetres);
    const OpenResult open = OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops);
    int32_t result = open.Reply != 0 ? open.Reply : CalibrationFeedAgain;
    if (open.Proceed) {
        for (int attempt = 0; attempt < ImageCalibrationAttempts; ++attempt) {
            if (attempt > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            result = CalibrateImageOnce(bench, theoretical, show);
            if (result != CalibrationFeedAgain)
                break;
        }
    }
    CloseUnit(bench);
    return open.Proceed && result == 0;
}

} // namespace bench
