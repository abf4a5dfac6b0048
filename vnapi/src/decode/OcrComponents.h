// Second stage of the optical read: the connected blobs of ink.
#pragma once

#include <vector>

#include "decode/OcrInkMap.h"

namespace decode::ocr {

struct Component {
    int Left = 0, Top = 0, Right = 0, Bottom = 0; // Right and Bottom exclusive
    int Area = 0;
    int WidthPx() const { return Right - Left; }
    int HeightPx() const { return Bottom - Top; }
    double CentreX() const { return (Left + Right) / 2.0; }
};

// 8-connected components of the ink above one half; labels hold index + 1.
std::vector<Component> Label(const InkMap& map, std::vector<int>& labels);

} // namespace decode::ocr
