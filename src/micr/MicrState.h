// What the signal tests keep for the whole run of the program: the last
// character-width analysis (read by the calibrations), the count of
// documents of the current gain calibration, and the reset choice of the
// last "Save Signal" run.
#pragma once

#include <cstdint>

#include "micr/SignalAnalysis.h"

struct MicrState {
    bench::CharacterWidths CharWidths;
    uint16_t CalibrationDocCount = 0;
    // The value a calibration run hands to its dialog: the accepted
    // percentage, or the trimmer value that could not be written.
    float CalibrationResult = 0.0f;
    int32_t ResetFileRequested = 0;
};

// The one instance for the process.
MicrState& ProcessMicrState();
