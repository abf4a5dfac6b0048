// First stage of the optical read: the window as ink against its local
// paper level.
#pragma once

#include <vector>

#include "decode/DecodeImage.h"

namespace decode::ocr {

struct InkMap {
    int Width = 0;
    int Height = 0;
    std::vector<float> Ink; // 0 paper to 1 full ink
    float At(int x, int y) const { return Ink[static_cast<size_t>(y) * Width + x]; }
};

// Ink as the fraction of the way from the local paper level (a smoothed
// running maximum wider than any stroke) to the darkest ink of the window:
// paper tint and pattern fall well below one half.
bool MakeInkMap(const GreyImage& grey, double dotsPerMm, InkMap& map);

} // namespace decode::ocr
