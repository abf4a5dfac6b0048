// One read of the "Read Badge Dialog", run on a thread of its own. The thread
// touches nothing but the device library and its sink; the dialog's sink
// carries every call over to the dialog's thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "documents/BadgeTracks.h"
#include "vnapi/VnApi.h"

class BadgeReadSink {
public:
    virtual ~BadgeReadSink() = default;
    virtual void ClearTracks() = 0;
    // BadgeTracks as rebuilt from the check boxes.
    virtual void StoreBadgeTracks(uint8_t tracks) = 0;
    // Tracks 1 and 3 without 2 were asked for; the unit is not asked.
    virtual void TracksNotPossible() = 0;
    // Varn_ReadBadge failed with this reply.
    virtual void ReadFailed(int32_t reply) = 0;
    virtual void ShowTracks(const std::array<std::string, 3>& texts) = 0;
    // Always the last call of a read.
    virtual void ReadFinished() = 0;
};

struct BadgeReadJob {
    VnApi* Api = nullptr;
    uint16_t Unit = 0;
    VnWindow Window = nullptr;
    BadgeTrackChecks Checks;
    // Set when the dialog is going away: what has not started yet is skipped.
    const std::atomic<bool>* Cancel = nullptr;
};

// Returns 1 when done.
int ReadBadgeThread(const BadgeReadJob& job, BadgeReadSink& sink);
