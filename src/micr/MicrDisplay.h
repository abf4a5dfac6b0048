// The signal plots shown in image child windows, at 100 %, through the
// operator: the calibration trace, the signal view and the width plot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "micr/SignalAnalysis.h"

class Operator;

// The trace of the delivered samples, captioned with the document count, the
// percentage and the trimmer value.
void ShowCalibrationTrace(Operator& op, uint16_t docCount, const uint8_t* samples, uint32_t length, float percent,
                          uint16_t trimmer);

// The samples up to the first 0 (at most capacity); nothing when the first
// sample is 0.
void ShowSignalView(Operator& op, const uint8_t* samples, size_t capacity);

// With basis > 0: a width plot basis / 14 + 24 wide, the analysis into
// results, the plot captioned from them. With basis 0 nothing is analysed
// and results keep their values. A plot that cannot be allocated is skipped.
void ShowWidthPlot(Operator& op, bench::CharacterWidths& results, const uint8_t* samples, size_t capacity,
                   size_t basis, const std::function<std::string(const bench::CharacterWidths&)>& caption);
