#include "documents/BadgeTracks.h"

#include <vector>

BadgeTrackChecks ChecksForBadgeTracks(uint8_t badgeTracks)
{
    switch (badgeTracks) {
    case VnBadgeTrack1: return {true, false, false};
    case VnBadgeTrack2: return {false, true, false};
    case VnBadgeTrack1 | VnBadgeTrack2: return {true, true, false};
    case VnBadgeTrack3: return {false, false, true};
    case VnBadgeTrack2 | VnBadgeTrack3: return {false, true, true};
    case VnBadgeTrack1 | VnBadgeTrack2 | VnBadgeTrack3: return {true, true, true};
    default: return {};
    }
}

uint8_t BadgeTracksFromChecks(const BadgeTrackChecks& checks)
{
    return static_cast<uint8_t>((checks.Track1 ? VnBadgeTrack1 : 0) | (checks.Track2 ? VnBadgeTrack2 : 0) |
                                (checks.Track3 ? VnBadgeTrack3 : 0));
}

std::array<std::string, 3> SplitBadgeTracks(std::string_view data, uint8_t tracks)
{
    std::array<std::string, 3> texts;
    if (IsImpossibleTrackSet(tracks))
        return texts;
    std::vector<int> asked;
    for (int i = 0; i < 3; ++i)
        if (tracks & (VnBadgeTrack1 << i))
            asked.push_back(i);
    if (asked.empty())
        return texts;
    // The last track asked for takes the data from the last separator on,
    // the one before it from the separator before that, and so on.
    std::string_view rest = data;
    for (size_t k = asked.size() - 1; k > 0; --k) {
        const size_t at = rest.rfind(VnBadgeTrackSeparator);
        if (at == std::string_view::npos)
            break;
        texts[asked[k]] = std::string(rest.substr(at));
        rest = rest.substr(0, at);
    }
    texts[asked.front()] = std::string(rest);
    return texts;
}

std::string BreakTrack3Lines(std::string track3)
{
    const size_t length = track3.size();
    if (length >= 180)
        track3.insert(180, 1, ' ');
    if (length >= 90)
        track3.insert(90, 1, ' ');
    return track3;
}
