// The optical read types and the character templates they match against.
//
// Read-type letters and what each reads:
//   'A' "OCRA"               OCR-A: 0-9 < > + - / #
//   'B' "OCRB"               OCR-B numeric: 0-9 < > + -
//   'C' "OCRB AlphaNuMeric"  OCR-B: 0-9 A-Z < > + - /
//   'F' "OCRB Italy"         OCR-B, the Italian payment-slip subset: 0-9 < > + #
//   'E' "E13B Optical"       E13B: 0-9 and the symbols T (transit), U (on-us),
//                            $ (amount), - (dash)
//   'X' "E13B Opt X Switch"  E13B together with OCR-B Italy on one line, the
//                            font switching from character to character; the
//                            same as the text "EF" with the switch mode 'X'
// A read-type text may list several letters ("EF"). With the mode 'X' every
// character is matched against all of their templates, so the font may change
// within the line; with the mode 'N' the line is in one font and the font
// that reads it best is kept.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "decode/E13bGlyphSource.h"

namespace decode {

enum class TemplateFont { OcrA, OcrB, E13b };

struct FontAlphabet {
    TemplateFont Font = TemplateFont::OcrB;
    std::string Characters;
};

struct OcrReadRequest {
    std::vector<FontAlphabet> Fonts; // one entry per font
    bool FontSwitching = false;
};

// False for a null or empty text, an unknown letter, or a mode other than
// 'N' and 'X'.
bool ParseOcrReadType(const char* readType, char mode, OcrReadRequest& request);

// Printed pitch of a font (OCR-A and OCR-B size I: 10 characters per inch).
double NominalPitchInch(TemplateFont font);
// The em size in pixels at which a FreeType OCR face prints at its nominal
// pitch; 0 for E13B or when the face is missing.
double EmPixelsFor(TemplateFont font, double dotsPerInch);

// One character as the reader expects to see it: the inked box of the glyph
// with its coverage (0 to 1), placed relative to the pen position and the
// baseline (BoxTop is negative above the baseline).
struct CharTemplate {
    char Symbol = 0;
    size_t FontIndex = 0; // into TemplateSet::Fonts
    int Width = 0;
    int Height = 0;
    int BoxLeft = 0;
    int BoxTop = 0;
    // The part inked to at least one half (what a scan shows as ink), within the box.
    int SolidLeft = 0;
    int SolidWidth = 0;
    int SolidHeight = 0;
    std::vector<float> Ink;
    double Sum = 0;
    double SumSquares = 0;
    float At(int x, int y) const { return Ink[static_cast<size_t>(y) * Width + x]; }
};

struct TemplateSet {
    std::vector<TemplateFont> Fonts;
    std::vector<double> PitchPixels; // per font
    std::vector<CharTemplate> Templates;
    std::vector<double> FontReferenceHeight; // median height of each font's digits, pixels
    double MaxWidth = 0;
    bool Empty() const { return Templates.empty(); }
};

// Templates of the fonts and characters asked for, at a resolution. A font
// whose face is not installed contributes nothing.
TemplateSet BuildTemplates(const std::vector<FontAlphabet>& fonts, double dotsPerInch, const E13bGlyphSource& e13b);

// The same, kept for reuse (the templates of a read type and resolution are
// built once per process). Only for the default E13B source.
std::shared_ptr<const TemplateSet> CachedTemplates(const std::vector<FontAlphabet>& fonts, double dotsPerInch);

} // namespace decode
