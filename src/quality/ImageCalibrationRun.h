// The image calibration on the unit: feeds of a document of known length
// with a proportional correction of the unit's value after each.
#pragma once

#include <cstdint>
#include <functional>

#include "vnapi/PackedBitmap.h"

struct Bench;

namespace bench {

// Told after each feed: the theoretical and measured lengths and the
// trimmed image, so the caller can show them while the unit is busy.
using CalibrationShow = std::function<void(float theoretical, float measured, const PackedBitmap& trimmed)>;

// One feed: 1000 when a correction was written, 0 within tolerance, else the
// failing reply (reported).
int32_t CalibrateImageOnce(Bench& bench, float theoretical, const CalibrationShow& show);

// The open, up to nine feeds, the close. True when the measure ended within
// tolerance.
bool RunImageCalibration(Bench& bench, uint32_t millimetres, const CalibrationShow& show);

} // namespace bench
