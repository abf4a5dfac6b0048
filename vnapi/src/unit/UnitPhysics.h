// What one unit is like physically, fixed by its seed: where its adjustments
// ought to sit. The calibrations of the bench look for these values; the
// signal and image generators measure the unit's settings against them.
#pragma once

#include <cstdint>

namespace virtualunit {

// The image calibration values the unit accepts.
constexpr uint16_t ImageCalibrationLowest = 1523;
constexpr uint16_t ImageCalibrationHighest = 1862;

struct UnitPhysics {
    uint16_t Generation = 40;
    // The trimmer at which the mean negative E13B peak lies 102.4 steps below
    // 128 (100 %), through the generation's amplifier.
    uint8_t RightTrimmer = 120;
    // The time-sample value at which one E13B pitch measures the nominal 112
    // samples; the sampling period is proportional to the value.
    uint16_t RightTimeSample = 400;
    // The image calibration value at which a document measures its true
    // length at 200 dpi; the measured length varies inversely with the value.
    uint16_t RightImageCalibration = 1690;
};

UnitPhysics PhysicsFor(uint16_t generation, uint32_t seed);

// Amplifier gain of the MICR head for a trimmer value: 1800 + 39 t ohms for
// generation 40, 1 + (4700 + 39 t) / 3300 for generation 39. Only ratios
// matter, so the unit is the generation's own.
double MicrGain(uint16_t generation, uint8_t trimmer);

} // namespace virtualunit
