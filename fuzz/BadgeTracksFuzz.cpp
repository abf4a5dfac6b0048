// libFuzzer target: random badge data split into tracks (the first byte is
// the track set asked for). Nothing is made up: every character of a track
// came from the data.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "documents/BadgeTracks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto tracks = SplitBadgeTracks(text, data[0]);
    if (tracks[0].size() + tracks[1].size() + tracks[2].size() > text.size())
        std::abort();
    for (const auto& track : tracks)
        if (!track.empty() && text.find(track) == std::string_view::npos)
            std::abort();
    (void)BreakTrack3Lines(tracks[2]);
    return 0;
}
