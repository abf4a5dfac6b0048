// The two analyses of an E13B signal: the negative-peak statistics the gain
// calibration steers the trimmer by, and the character-width windows the
// time-sample and speed calibrations judge by, with the width plot drawn
// from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class PackedBitmap;

namespace bench {

struct SignalPeaks {
    uint16_t Count = 0;
    float Sum = 0.0f;
    int32_t Lowest = 255;
    uint16_t LowestCount = 0;
};

// Negative peaks: at most 96, not above any of the 7 samples before, below
// each of the 7 after, at least 100 samples after the last one taken (which
// starts at index 0), looked for from index 20 to length - 20. Returns 0 for
// length 0 (everything 0), else 1.
int MeasureSignalPeaks(const uint8_t* samples, uint32_t length, SignalPeaks& peaks);

// Depth of the mean peak below 128 in volts (3.3 V / 256 a step), as a
// percentage of 1.32 V.
float PeakPercent(float sum, int count);

// Threshold of the width analysis: a sample is high at or above it.
constexpr int CharWidthThreshold = 112;
// A window longer than this counts as CharWidthClipped.
constexpr int CharWidthLongest = 350;
constexpr int CharWidthClipped = 349;

struct CharacterWidths {
    int32_t CharWidthMin = 1785;
    int32_t CharWidthMax = 0;
    // Both 0 when no window was complete.
    float CharWidthMean = 0.0f;
    float CharWidthStdDev = 0.0f;
    // Every complete window's width, in scan order.
    std::vector<int> Widths;
};

// The sample range the windows are looked for in: the signal up to its first
// 0 sample without its first three and last three high runs. Empty when the
// signal has too few high runs.
struct WidthStretch {
    bool Empty = true;
    size_t Start = 0;
    size_t End = 0; // inclusive
};
WidthStretch FindWidthStretch(const uint8_t* samples, size_t n);

// Windows of seven falling crossings of the threshold, sliding by one
// crossing, over the zero-terminated samples (at most capacity of them).
// With a plot (a bitmap of NewSignalBitmap) draws the frame, one dot a window
// and the statistics text.
CharacterWidths MeasureCharacterWidths(const uint8_t* samples, size_t capacity, PackedBitmap* plot = nullptr);

// The statistics text of a width plot of height h (glyph rows h - 20 to
// h - 80), drawn in black.
void DrawWidthStatistics(PackedBitmap& plot, const CharacterWidths& widths);

} // namespace bench
