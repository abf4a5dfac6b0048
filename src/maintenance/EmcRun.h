// The EMC soak test's worker: keeps the unit busy with status requests for the
// step time, then checks that it still identifies, cycle after cycle, until it
// is stopped or the unit fails. It touches nothing but the device library, the
// shared control and its sink; the dialog's sink carries every call over to
// the dialog's thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "vnapi/VnApi.h"

// Whole seconds and waits; tests give a clock that only counts.
class EmcClock {
public:
    virtual ~EmcClock() = default;
    virtual int64_t NowSeconds() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
};
EmcClock& SystemEmcClock();

// Shared by the dialog's thread and the worker.
struct EmcControl {
    // Set on "Start"; "Stop" clears it and the test ends after the cycle
    // under way; the worker clears it when it ends.
    std::atomic<bool> Running{false};
    // The dialog is going away: the worker ends at its next wait or status
    // request, without the cycle's identification.
    std::atomic<bool> Abandon{false};
    // The step field as an unsigned number, read at the start of each cycle.
    std::atomic<uint32_t> StepTime{0};
};

class EmcSink {
public:
    virtual ~EmcSink() = default;
    virtual void BlankPicture() = 0;
    virtual void CyclePassed(uint32_t cycle) = 0;
    virtual void CycleFailed(uint32_t cycle, int32_t reply) = 0;
    // Always the last call.
    virtual void Finished() = 0;
};

struct EmcJob {
    VnApi* Api = nullptr;
    VnWindow Window = nullptr;
    VnInstance Instance = nullptr;
    uint16_t ConnectionType = VnConnectionUsb;
    EmcControl* Control = nullptr;
    EmcClock* Clock = nullptr;
};

struct EmcOutcome {
    int32_t OpenReply = 0;     // non-zero: the unit did not open, no cycle ran
    uint32_t CyclesPassed = 0;
    uint32_t FailedCycle = 0;  // 0: no identification failed
    int32_t FailReply = 0;
};

// The network box is prepared by the caller, before the thread starts.
EmcOutcome RunEmcTest(const EmcJob& job, EmcSink& sink);
