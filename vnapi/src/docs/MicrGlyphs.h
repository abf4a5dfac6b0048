// The magnetic fonts the virtual unit prints and reads: E13B, the fourteen
// characters of the bank codeline standard drawn on its grid of 0.013 in
// squares (9 high, at most 7 wide, right-aligned in the 0.125 in cell), and
// CMC7 characters of seven vertical strokes. The E13B table is the one source
// of the printed, magnetic and optical shapes.
#pragma once

#include <array>
#include <cstdint>

#include "text/FontRaster.h"

namespace micr {

// ---- E13B ------------------------------------------------------------------
constexpr int E13bColumns = 7;
constexpr int E13bRows = 9;
constexpr double E13bModuleInch = 0.013;
constexpr double E13bPitchInch = 0.125;
constexpr double E13bHeightInch = E13bRows * E13bModuleInch;
constexpr double E13bModuleMm = E13bModuleInch * 25.4;
constexpr double E13bPitchMm = E13bPitchInch * 25.4;
constexpr double E13bHeightMm = E13bHeightInch * 25.4;

// Edges of some strokes fall on half squares, so shapes are kept in half
// columns of 0.0065 in.
constexpr int E13bHalfColumns = 2 * E13bColumns;
constexpr double E13bHalfModuleMm = E13bModuleMm / 2.0;

// One glyph; rows top first, one character per square: '#' inked, '.' paper,
// '[' only its right half inked, ']' only its left half. Every glyph has ink
// in its rightmost column, so the head meets each character at the same place.
struct E13bGlyph {
    char Symbol = 0;
    std::array<const char*, E13bRows> Rows{};
    // Half column h (0..13, left to right) of a row.
    bool HalfInk(int half, int row) const
    {
        const char c = Rows[static_cast<size_t>(row)][half / 2];
        return c == '#' || (c == '[' && half % 2 == 1) || (c == ']' && half % 2 == 0);
    }
    // Any ink in the square.
    bool Ink(int column, int row) const { return HalfInk(2 * column, row) || HalfInk(2 * column + 1, row); }
};

// '0'..'9', then the transit 'T', on-us 'U', amount '$' and dash '-' symbols.
const std::array<E13bGlyph, 14>& E13bGlyphs();
const E13bGlyph* FindE13bGlyph(char symbol);

// Inked squares per half column, left to right.
std::array<int, E13bHalfColumns> E13bColumnProfile(const E13bGlyph& glyph);

// Width of the inked part in squares (4 to 7, in halves).
double E13bWidthSquares(const E13bGlyph& glyph);

// The flux steps a head reading from right to left meets: entry j is the
// change in inked squares at the j-th half-column boundary counted from the
// glyph's right edge (0 = right edge, 14 = left edge of the cell); positive
// where ink begins.
std::array<int, E13bHalfColumns + 1> E13bFluxSteps(const E13bGlyph& glyph);

// Coverage mask of one glyph at a resolution, one pixel row per image row,
// cell width E13bColumns squares; 255 is full ink. Empty mask for an unknown
// symbol.
GlyphMask RenderE13bGlyph(char symbol, double dotsPerInch);

// ---- CMC7 ------------------------------------------------------------------
// Seven strokes, six gaps of which two are long. Proportions chosen here:
// stroke 0.15 mm, short gap 0.30 mm, long gap 0.50 mm (so a character is
// 3.25 mm wide), pitch 4.0 mm (the 0.75 mm between characters is clearly
// longer than a long gap), height 2.8 mm.
constexpr int Cmc7Strokes = 7;
constexpr double Cmc7StrokeMm = 0.15;
constexpr double Cmc7ShortGapMm = 0.30;
constexpr double Cmc7LongGapMm = 0.50;
constexpr double Cmc7WidthMm = 7 * Cmc7StrokeMm + 4 * Cmc7ShortGapMm + 2 * Cmc7LongGapMm;
constexpr double Cmc7PitchMm = 4.0;
constexpr double Cmc7HeightMm = 2.8;

struct Cmc7Glyph {
    char Symbol = 0;
    uint8_t LongGaps = 0; // bit i: the gap after stroke i (counted from the left) is long
};

// '0'..'9' and the symbols S1..S5 written 'A'..'E'.
const std::array<Cmc7Glyph, 15>& Cmc7Glyphs();
const Cmc7Glyph* FindCmc7Glyph(char symbol);

// Left edge of each stroke in mm from the character's left edge.
std::array<double, Cmc7Strokes> Cmc7StrokeLefts(const Cmc7Glyph& glyph);

// Vertical extent of each stroke as a fraction of the character height
// (0 = top): the strokes are cut to the character's outline, as CMC7 is.
struct StrokeSpan {
    double Top = 0.0;
    double Bottom = 1.0;
};
std::array<StrokeSpan, Cmc7Strokes> Cmc7StrokeSpans(const Cmc7Glyph& glyph);

} // namespace micr
