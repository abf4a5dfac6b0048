// Third stage of the optical read: the row of characters and its baseline.
#pragma once

#include <vector>

#include "decode/OcrComponents.h"

namespace decode::ocr {

struct Baseline {
    double Offset = 0; // y = Offset + Slope * x
    double Slope = 0;
    double At(double x) const { return Offset + Slope * x; }
};

// The middle value (the upper of the two middle ones); 0 for none.
double Median(std::vector<double> values);

struct TextLine {
    Baseline Base;
    double CharacterHeight = 0;
    std::vector<int> Members; // components on the line, any size
};

// The row of character-sized components that most of those not yet taken
// share; they are marked taken.
bool FindTextLine(const std::vector<Component>& components, double referenceHeight, double widestPitch,
                  std::vector<bool>& taken, TextLine& line);

} // namespace decode::ocr
