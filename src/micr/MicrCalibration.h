// The MICR head calibrations on the open unit, with the operator's one
// calibration document: the amplifier gain (the trimmer) and the time sample,
// and a single read that only plots. The dialog shows the results.
#pragma once

#include <cstdint>

struct Bench;

// 0, -66 (failed), -300 (the trimmer would go to 0 or below) or the failing
// reply. Leaves the percentage (or the refused trimmer) in CalibrationResult.
int32_t CalibrateMicrGain(Bench& bench);
// 0 after three in-range reads in a row, -66 after thirteen turns without.
int32_t CalibrateTimeSample(Bench& bench);
// Reads and plots documents without changing anything.
int32_t ReadSignalOnce(Bench& bench, int documents);
