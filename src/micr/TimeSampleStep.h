// One turn of the time-sample calibration: from the unit's time sample and
// the character widths measured at it, the value to set next. No Qt.
#pragma once

#include <cstdint>

// Character widths, in samples, that a correct time sample gives.
constexpr int32_t TimeSampleWidthLow = 107;  // narrower: the time sample is too long
constexpr int32_t TimeSampleWidthHigh = 116; // this wide or wider: too short
constexpr int32_t TimeSampleWidthTarget = 112;
// A wider spread of widths than this is a bad assembly, not a time sample.
constexpr int32_t TimeSampleMaxSpread = 11;

struct TimeSampleStep {
    int32_t Value = 0;    // the time sample to set
    bool InRange = false; // the widths lay within the window: one good read more
};

// widestWidth >= 116: scale up by widest / 116; narrowestWidth < 107: scale
// down by narrowest / 107 (both rounded half up, at least one step); else one
// step towards the middle width 112, or none.
TimeSampleStep NextTimeSample(int32_t timeSample, int32_t narrowestWidth, int32_t widestWidth);
