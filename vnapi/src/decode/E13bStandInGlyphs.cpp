// STAND-IN E13B GLYPHS: to be replaced by the glyphs of the magnetic side
// (docs/MicrGlyphs.h) so that printed, magnetic and optical E13B agree.
// Switching over means making DefaultE13bGlyphSource() below return masks
// drawn from those glyphs; nothing else in the optical read depends on this
// file.
//
// The shapes follow the E13B proportions: each character is laid out on the
// 0.013 in grid, 9 units (0.117 in) high and at most 7 units (0.091 in) wide,
// with the heavy lower strokes of the font and the symbols built from
// separate bars and blocks.
#include "decode/E13bGlyphSource.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "vnapi/MicrSymbols.h"

namespace decode {

namespace {

constexpr int GridColumns = 7;
constexpr int GridRows = 9;

struct GridGlyph {
    char Symbol;
    const char* Rows[GridRows];
};

// 'X' is one inked 0.013 in square.
constexpr GridGlyph Glyphs[] = {
    {'0', {".XXXXX.", "XX...XX", "XX...XX", "XX...XX", "XX...XX", "XXX..XX", "XXX..XX", "XXX..XX", ".XXXXX."}},
    {'1', {"..XXX..", "...XX..", "...XX..", "...XX..", "...XX..", ".XXXXX.", ".XXXXX.", ".XXXXX.", ".XXXXX."}},
    {'2', {"XXXXXX.", ".....XX", ".....XX", ".....XX", ".XXXXXX", "XXX....", "XXX....", "XXX....", "XXXXXXX"}},
    {'3', {"XXXXXX.", "....XX.", "....XX.", "....XX.", "XXXXXXX", "....XXX", "....XXX", "....XXX", "XXXXXXX"}},
    {'4', {"XX.....", "XX.....", "XX.....", "XX..XX.", "XX..XX.", "XXXXXXX", "....XXX", "....XXX", "....XXX"}},
    {'5', {"XXXXXX.", "XX.....", "XX.....", "XX.....", "XXXXXX.", "....XXX", "....XXX", "....XXX", "XXXXXXX"}},
    {'6', {"XX.....", "XX.....", "XX.....", "XX.....", "XXXXXXX", "XXX..XX", "XXX..XX", "XXX..XX", "XXXXXXX"}},
    {'7', {"XXXXXXX", ".....XX", ".....XX", "....XX.", "....XX.", "...XXX.", "...XXX.", "...XXX.", "...XXX."}},
    {'8', {".XXXXX.", ".XX.XX.", ".XX.XX.", ".XXXXX.", "XXXXXXX", "XXX..XX", "XXX..XX", "XXX..XX", "XXXXXXX"}},
    {'9', {"XXXXXXX", "XX...XX", "XX...XX", "XX...XX", "XXXXXXX", "....XXX", "....XXX", "....XXX", "....XXX"}},
    {micr::E13bTransit,
     {"XX.....", "XX..XXX", "XX..XXX", "XX..XXX", "XX.....", "XX..XXX", "XX..XXX", "XX..XXX", "XX....."}},
    {micr::E13bOnUs,
     {"XX.XX..", "XX.XX..", "XX.XX..", "XX.XX..", "XX.XX..", "XX.XX..", ".......", ".....XX", ".....XX"}},
    {micr::E13bAmount,
     {"XX.....", "XX.....", "...XX..", "...XX..", "...XX..", "...XX..", "...XX..", ".....XX", ".....XX"}},
    {micr::E13bDash,
     {".......", ".......", ".......", "XXX.XXX", "XXX.XXX", "XXX.XXX", ".......", ".......", "......."}},
};

const GridGlyph* Find(char symbol)
{
    for (const GridGlyph& g : Glyphs)
        if (g.Symbol == symbol)
            return &g;
    return nullptr;
}

// Area coverage of the grid glyph, sampled 4 x 4 per pixel.
GlyphMask Rasterise(const GridGlyph& glyph, double dotsPerInch)
{
    constexpr int Samples = 4;
    const double unit = E13bUnitInch * dotsPerInch; // pixels per grid square
    GlyphMask mask;
    mask.Height = std::max(1, static_cast<int>(std::lround(E13bHeightInch * dotsPerInch)));
    const int fullWidth = std::max(1, static_cast<int>(std::ceil(GridColumns * unit)));
    std::vector<uint8_t> full(static_cast<size_t>(fullWidth) * mask.Height, 0);
    // The character box is 9 units high; rows are scaled onto the mask height
    // so that the bottom row ends exactly on the baseline.
    const double unitY = mask.Height / static_cast<double>(GridRows);
    for (int y = 0; y < mask.Height; ++y) {
        for (int x = 0; x < fullWidth; ++x) {
            int hits = 0;
            for (int sy = 0; sy < Samples; ++sy) {
                const int row = static_cast<int>((y + (sy + 0.5) / Samples) / unitY);
                if (row >= GridRows)
                    continue;
                for (int sx = 0; sx < Samples; ++sx) {
                    const int col = static_cast<int>((x + (sx + 0.5) / Samples) / unit);
                    if (col < GridColumns && glyph.Rows[row][col] == 'X')
                        ++hits;
                }
            }
            full[static_cast<size_t>(y) * fullWidth + x] =
                static_cast<uint8_t>((hits * 255 + Samples * Samples / 2) / (Samples * Samples));
        }
    }
    int first = fullWidth;
    int last = -1;
    for (int x = 0; x < fullWidth; ++x)
        for (int y = 0; y < mask.Height; ++y)
            if (full[static_cast<size_t>(y) * fullWidth + x]) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    if (last < first)
        return {};
    mask.Width = last - first + 1;
    mask.Coverage.resize(static_cast<size_t>(mask.Width) * mask.Height);
    for (int y = 0; y < mask.Height; ++y)
        std::memcpy(mask.Coverage.data() + static_cast<size_t>(y) * mask.Width,
                    full.data() + static_cast<size_t>(y) * fullWidth + first, static_cast<size_t>(mask.Width));
    return mask;
}

GlyphMask StandInGlyph(char symbol, double dotsPerInch)
{
    const GridGlyph* glyph = Find(symbol);
    if (!glyph || !(dotsPerInch > 0))
        return {};
    return Rasterise(*glyph, dotsPerInch);
}

} // namespace

E13bGlyphSource DefaultE13bGlyphSource() { return &StandInGlyph; }

} // namespace decode
