// Fourth stage of the optical read: the line cut into character cells.
#pragma once

#include <vector>

#include "decode/OcrComponents.h"
#include "decode/OcrInkMap.h"
#include "decode/OcrTextLine.h"

namespace decode::ocr {

struct CharacterCell {
    std::vector<int> Members; // component indices
    int From = 0, To = 0;     // columns taken from the members
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// Components whose union stays within one character's width are one
// character (broken strokes, the separate bars of the E13B symbols); a group
// wider than that is touching characters, cut at the pitch where the least
// ink is. Two pieces of full height whose union is wider than the widest
// character's solid ink (widest) are two characters, and a small piece goes with the
// character of full height it lies closer to (the left bars of the E13B
// symbols stand nearer their own character than the one before).
std::vector<CharacterCell> CutCharacters(const InkMap& map, const std::vector<Component>& components,
                                         const std::vector<int>& labels, const TextLine& line, double groupWidth,
                                         double pitch, double widest);

} // namespace decode::ocr
