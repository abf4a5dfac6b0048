// The two analyses of an E13B signal: the negative-peak statistics the head's
// gain calibration steers by, and the character-width windows the time-sample
// calibration judges by. Pure functions over the samples; no Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Scale of one signal step (3.3 V / 256) and the depth that counts as 100 %.
constexpr double MicrVoltsPerStep = 0.012890625;
constexpr float MicrFullScaleVolts = 1.32f;

struct SignalPeaks {
    uint16_t Count = 0;
    float Sum = 0.0f;
    int32_t Lowest = 255;
    uint16_t LowestCount = 0;
};

// Negative peaks: at most 96, not above any of the 7 samples before, below
// each of the 7 after, at least 100 samples after the last one taken (which
// starts at index 0), looked for from index 20 to length - 20. Returns 0 when
// the length is 0 (the lowest peak then 0), else 1.
int MeasureSignalPeaks(const uint8_t* samples, uint32_t length, SignalPeaks& peaks);

// Depth of the mean peak below the quiet level 128, in volts, as a percentage
// of MicrFullScaleVolts; 32-bit floats in that order.
float PeakPercent(float sum, int count);

struct CharacterWidths {
    int32_t Min = 1785;
    int32_t Max = 0;
    float Mean = 0.0f;
    float StdDev = 0.0f;
    std::vector<int> Widths;
};

// Windows of seven falling crossings of the threshold 112, sliding by one
// crossing, over the signal up to its first 0 sample (at most capacity
// samples) without its first and last three high runs.
CharacterWidths MeasureCharacterWidths(const uint8_t* samples, size_t capacity);
