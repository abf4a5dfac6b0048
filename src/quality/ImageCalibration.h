// The image scale calibration: a document of known length is fed, its blank
// margins trimmed, and the unit's image calibration value corrected in
// proportion while the measured length is off by more than half a percent.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace bench {

constexpr uint16_t ImageCalibrationLowest = 1523;
constexpr uint16_t ImageCalibrationHighest = 1862;
constexpr int ImageCalibrationAttempts = 9;
// A reply of one attempt: a correction was written, feed again.
constexpr int32_t CalibrationFeedAgain = 1000;

// Length in pixels at 200 dpi of a document of the given millimetres.
float TheoreticalPixels(uint32_t millimetres);

// The value to write when the measure m is off the theoretical length e by
// more than 0.5 percent, kept in 1523 to 1862; none when within tolerance.
std::optional<uint16_t> CorrectedImageCalibration(float measured, float theoretical, uint16_t value);

// Trims in place the blank side margins of a packed 1-bit bitmap (rows from
// byte 48, leftmost pixel in the top bit); a column is blank when fewer than
// 229 rows have it set. Answers the bit offset of the first document column
// in the first byte kept, or none when the bytes do not hold a 1-bit image.
std::optional<int32_t> TrimBlankMargins(std::vector<uint8_t>& bitmap);

// The document's length in pixels after a trim: width less the bit offset.
int32_t MeasuredPixels(const std::vector<uint8_t>& bitmap, int32_t bitOffset);

} // namespace bench
