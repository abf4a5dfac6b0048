// Optical reading of one printed codeline by template matching.
//
// The window is turned into an ink map against its local paper level, so a
// tinted or patterned paper and 1-bit scans read alike; the text line is the
// row of character-sized ink that most characters share; characters are cut
// by connected components grouped to the font's pitch (multi-part symbols
// join, touching characters are split at the pitch); each is matched against
// the templates by normalised correlation, scaled to the printed size. A
// character whose best match is weak, or not clearly better than the best
// other character, is rejected rather than guessed.
#pragma once

#include <string>
#include <vector>

#include "decode/DecodeImage.h"
#include "decode/OcrTemplates.h"

namespace decode {

// A match must correlate at least this well, and beat the best other
// character by this much, to be read.
struct OcrAcceptance {
    double MinScore = 0.80;
    double MinMargin = 0.08;
    // E13B characters share their heavy lower strokes: a smudged one must win
    // by more before it is read.
    double E13bMinMargin = 0.11;
};

struct OcrCharacter {
    char Symbol = 0; // micr::Reject when rejected
    char BestSymbol = 0;
    double Score = 0;
    double Margin = 0;
    int Left = 0; // columns in the window, Right exclusive
    int Right = 0;
};

struct OcrLine {
    bool Found = false; // a line of characters was there (rejects or not)
    std::string Text;   // characters, rejects as '!', blanks for wide gaps
    std::vector<OcrCharacter> Characters;
};

// window: grey levels at dotsPerInch in both directions.
OcrLine ReadOcrLine(const GreyImage& window, double dotsPerInch, const OcrReadRequest& request,
                    const OcrAcceptance& acceptance = {});
// The same with the E13B templates drawn from the given source.
OcrLine ReadOcrLine(const GreyImage& window, double dotsPerInch, const OcrReadRequest& request,
                    const E13bGlyphSource& e13b, const OcrAcceptance& acceptance = {});

} // namespace decode
