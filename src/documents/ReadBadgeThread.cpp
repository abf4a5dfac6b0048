#include "documents/ReadBadgeThread.h"

#include <algorithm>
#include <cstring>

namespace {

bool Cancelled(const BadgeReadJob& job) { return job.Cancel && job.Cancel->load(); }

} // namespace

int ReadBadgeThread(const BadgeReadJob& job, BadgeReadSink& sink)
{
    sink.ClearTracks();
    const uint8_t tracks = BadgeTracksFromChecks(job.Checks);
    sink.StoreBadgeTracks(tracks);
    if (IsImpossibleTrackSet(tracks)) {
        sink.TracksNotPossible();
    } else if (tracks != 0 && !Cancelled(job)) {
        char data[BadgeDataSize + 1] = {};
        uint16_t length = BadgeDataSize;
        const int32_t reply = job.Api->Varn_ReadBadge(job.Unit, job.Window, tracks, BadgeDataSize, data, &length);
        if (reply != 0) {
            sink.ReadFailed(reply);
        } else if (!Cancelled(job)) {
            // The reply's length, within the buffer, then terminated.
            data[std::min<uint16_t>(length, BadgeDataSize)] = 0;
            std::array<std::string, 3> texts = SplitBadgeTracks(std::string_view(data, std::strlen(data)), tracks);
            if (tracks & VnBadgeTrack3)
                texts[2] = BreakTrack3Lines(std::move(texts[2]));
            sink.ShowTracks(texts);
        }
    }
    sink.ReadFinished();
    return 1;
}
