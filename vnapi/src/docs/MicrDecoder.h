// The unit's MICR reader: codeline text from the head's samples. Characters
// are found on the pitch grid from their leading flux step and recognised by
// correlation with the waveform each glyph is expected to give; a character
// is taken only when its match is good, its amplitude within the reader's
// tolerance (50 % to 200 % of nominal) and clearly better than the next
// best glyph. Anything else is the reject character '!': a weak, clipped or
// unevenly fed signal gives rejects, never a wrong character.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace micr {

// What the reader knows of the unit it sits in.
struct ReaderParams {
    int TimeSample = 100; // the unit's time-sample value
};

// E13B: the codeline as printed from left to right, one character per
// character position between the first and the last character read, ' '
// for an empty position. Empty for a signal without E13B ink (first sample
// 13) or without any ink.
std::string DecodeE13bSignal(const uint8_t* samples, size_t count, const ReaderParams& params);

// CMC7: the same from a CMC7 waveform. data, when given, receives the
// reader's 1024-byte record of the read (see below).
constexpr size_t Cmc7DataSize = 1024;
std::string DecodeCmc7Signal(const uint8_t* samples, size_t count, const ReaderParams& params,
                             std::array<uint8_t, Cmc7DataSize>* data = nullptr);

// The CMC7 data record, little-endian: bytes 0-1 the number of characters
// n, 2-3 the number of strokes found; then for each character, in codeline
// order, 8 bytes: its character ('!' when rejected), the six gaps between
// its strokes in samples (255 when over), and the match quality 0..100. At
// most 127 characters; the rest of the record is zero.

} // namespace micr
