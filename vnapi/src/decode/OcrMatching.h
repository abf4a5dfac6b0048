// Last stage of the optical read: each cell against the templates, and
// the decision what it reads as.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "decode/OcrCells.h"
#include "decode/OcrInkMap.h"
#include "decode/OcrReader.h"
#include "decode/OcrTemplates.h"
#include "decode/OcrTextLine.h"

namespace decode::ocr {

// The best placement of one template on one cell.
struct Match {
    double Score = -1;
};

// Correlation of one cell with every template: the cell's ink (other
// characters masked out) against the template placed on the baseline and
// centred on the cell, over the union of both boxes, best of small shifts.
std::vector<Match> ScoreCell(const InkMap& map, const std::vector<int>& labels, const CharacterCell& cell,
                             const Baseline& base, const TemplateSet& set, int shiftX, int shiftY, int context);

struct Reading {
    std::string Text;
    std::vector<OcrCharacter> Characters;
    std::vector<size_t> TemplateOf; // best template of each character
    int Rejects = 0;
    double MeanScore = 0;
};

// Whether the columns [from, to) of a line hold a character too faint to
// have been cut out: a blob of weak ink (a third of the contrast or more) of
// a character's height or width. Tint, pattern and noise stay below that or
// stay in specks and threads.
// With level and height given: a blob of ink of at least that level and that
// share of the character height.
bool HasFaintCharacter(const InkMap& map, const TextLine& line, double from, double to, float level = 0.33f,
                       double height = 0.0);

// faint(from, to): whether the columns hold ink too faint to be cut out as
// a character (a smudged or washed-out character), which is then reported as
// a reject rather than left out.
using FaintInk = std::function<bool(double from, double to)>;

// solid(from, to): whether the columns hold ink of full strength and
// character height that was not cut out (a character run into a stroke);
// only such ink stands for a character beyond the line's ends.
Reading ReadCells(const std::vector<CharacterCell>& cells, const std::vector<std::vector<Match>>& scores,
                  const TemplateSet& set, const std::vector<bool>& fonts, const OcrAcceptance& acceptance,
                  const FaintInk& faint, const FaintInk& solid);

} // namespace decode::ocr
