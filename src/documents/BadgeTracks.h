// Badge tracks: which tracks the settings ask for, and how the reader's data
// splits into the three track texts. No Qt here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "vnapi/VnCodes.h"

// Capacity of the reader's data, without the terminator the bench adds.
constexpr uint16_t BadgeDataSize = 260;

struct BadgeTrackChecks {
    bool Track1 = false;
    bool Track2 = false;
    bool Track3 = false;
    friend bool operator==(const BadgeTrackChecks&, const BadgeTrackChecks&) = default;
};

// The check boxes shown for a stored BadgeTracks: only the combinations the
// reader can deliver (32, 64, 96, 128, 192, 224) check anything.
BadgeTrackChecks ChecksForBadgeTracks(uint8_t badgeTracks);

// BadgeTracks rebuilt from the check boxes.
uint8_t BadgeTracksFromChecks(const BadgeTrackChecks& checks);

// Tracks 1 and 3 without 2: the reader cannot deliver them.
inline bool IsImpossibleTrackSet(uint8_t tracks) { return tracks == (VnBadgeTrack1 | VnBadgeTrack3); }

// Splits the data into track 1, 2 and 3 texts for the tracks asked for,
// taking separators from the end backwards; a separator stays at the start
// of the track it begins. Where separators are missing, what is left goes to
// the first track asked for.
std::array<std::string, 3> SplitBadgeTracks(std::string_view data, uint8_t tracks);

// Blanks after the 90th and the 180th character of a long track 3, where its
// multi-line field may break the line.
std::string BreakTrack3Lines(std::string track3);
