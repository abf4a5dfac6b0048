#include "maintenance/EmcRun.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

#include "maintenance/DeviceTestRules.h"

namespace {

class SteadyEmcClock final : public EmcClock {
public:
    int64_t NowSeconds() override
    {
        return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
    void Sleep(uint32_t milliseconds) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

// Waits in short steps so that a closing dialog is not held up; false when
// the dialog is going away.
bool Wait(const EmcJob& job, uint32_t milliseconds)
{
    constexpr uint32_t Step = 100;
    while (milliseconds > 0 && !job.Control->Abandon) {
        const uint32_t now = std::min(milliseconds, Step);
        job.Clock->Sleep(now);
        milliseconds -= now;
    }
    return !job.Control->Abandon;
}

int32_t Status(const EmcJob& job, uint16_t unit)
{
    std::array<uint8_t, 8> senseKey{}, sensors{};
    return job.Api->Varn_PeripheralStatus(unit, job.Window, senseKey.data(), sensors.data());
}

} // namespace

EmcClock& SystemEmcClock()
{
    static SteadyEmcClock clock;
    return clock;
}

EmcOutcome RunEmcTest(const EmcJob& job, EmcSink& sink)
{
    EmcControl& control = *job.Control;
    EmcOutcome outcome;
    sink.BlankPicture();
    uint16_t unit = 0;
    outcome.OpenReply = job.Api->VnConnect(job.Window, job.Instance, job.ConnectionType, &unit);
    if (outcome.OpenReply == VnReplyOk) {
        for (uint32_t cycle = 1;; ++cycle) {
            const uint32_t stepTime = control.StepTime;
            const int64_t start = job.Clock->NowSeconds();
            if (!Wait(job, devicetest::EmcStatusWaitMs))
                break;
            int32_t status = Status(job, unit);
            bool abandoned = false;
            while (status == VnReplyOk && !devicetest::EmcStepOver(start, job.Clock->NowSeconds(), stepTime)) {
                if (!Wait(job, devicetest::EmcStatusWaitMs)) {
                    abandoned = true;
                    break;
                }
                status = Status(job, unit);
            }
            if (abandoned)
                break;
            std::array<uint8_t, VnFeatureBytesSize> features{};
            std::array<char, VnIdentifyTextSize> model{}, firmware{};
            const int32_t identify = job.Api->Varn_Identify(unit, job.Window, features.data(), model.data(),
                                                            firmware.data(), nullptr, nullptr, nullptr, nullptr,
                                                            nullptr, 0, 0, 0, 0, 0);
            if (identify != VnReplyOk) {
                outcome.FailedCycle = cycle;
                outcome.FailReply = identify;
                sink.CycleFailed(cycle, identify);
                break;
            }
            outcome.CyclesPassed = cycle;
            sink.CyclePassed(cycle);
            if (!control.Running || !Wait(job, devicetest::EmcPictureWaitMs))
                break;
            sink.BlankPicture();
            if (!control.Running)
                break;
        }
        job.Api->VnDisconnect(unit, job.Window);
    }
    control.Running = false;
    sink.Finished();
    return outcome;
}
