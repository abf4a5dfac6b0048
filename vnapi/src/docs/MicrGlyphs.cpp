#include "docs/MicrGlyphs.h"

#include <algorithm>
#include <cmath>

#include "vnapi/MicrSymbols.h"

namespace micr {

namespace {

// The standard's characters after its public descriptions: a grid of 0.013 in
// squares nine high and at most seven wide; digits and the transit and amount
// symbols the full nine squares, the on-us and dash symbols shorter; five
// widths (here 4, 4.5, 5, 6 and 7 squares), at least four squares; every
// character's right edge on the cell's right edge. The strokes within are
// our drawing of each character's familiar silhouette. Only the amount of ink
// per column reaches the head, and the drawings keep those profiles apart: no
// two characters' flux waveforms correlate above 0.78, even with the
// character stretched by 6 % or shifted by a quarter square.
const std::array<E13bGlyph, 14> Glyphs = {{
    {'0', {".######", ".#..###", ".#..###", ".#..###", ".#..###", ".#..###", ".#..###", ".#..###", ".######"}},
    {'1', {"...####", "....###", ".....##", ".....##", ".....##", ".....##", "...####", "...####", "...####"}},
    {'2', {"..[####", "......#", "......#", "......#", "..[####", "..[##..", "..[##..", "..[####", "..[####"}},
    {'3', {".#####.", "....##.", "....##.", "....##.", "..#####", "....###", "....###", "....###", ".######"}},
    {'4', {"#....##", "#....##", "#....##", "#....##", "#######", "#######", ".....##", ".....##", ".....##"}},
    {'5', {"..#####", "..##...", "..##...", "..##...", "..#####", ".....##", ".....##", ".....##", "..#####"}},
    {'6', {".#####.", ".##....", ".##....", ".##....", ".######", ".##...#", ".##...#", ".##...#", ".######"}},
    {'7', {"..#####", "..#####", "......#", "......#", "....###", "....###", "....###", "....###", "....###"}},
    {'8', {".#####.", ".#...#.", ".#...#.", ".#####.", "#######", "##...##", "##...##", "##...##", "#######"}},
    {'9', {".######", ".##..##", ".##..##", ".##..##", ".######", ".....##", ".....##", ".....##", ".....##"}},
    {E13bTransit, {"##..###", "##..###", "##..###", "##.....", "##.....", "##.....", "##..###", "##..###", "##..###"}},
    {E13bOnUs, {"##.##..", "##.##..", "##.##..", "##.####", "##.####", ".....##", ".....##", ".......", "......."}},
    {E13bAmount, {"#..##.#", "#..##.#", "...##..", "...##..", "...##..", "...##..", "...##..", "#..##.#", "#..##.#"}},
    {E13bDash, {".......", ".......", ".##.##.", ".##.###", ".##.###", ".##.###", ".##.##.", ".......", "......."}},
}};

// The silhouettes CMC7 digits are cut to, one row of seven stroke columns
// per ninth of the height, top first.
const std::array<std::array<const char*, 9>, 10> Cmc7Outlines = {{
    {"..#####", "..#...#", "..#...#", "..#...#", "..#..##", "..#..##", "..#..##", "..#..##", "..#####"},
    {"...####", "...####", "....###", "....###", "....###", "....###", "....###", "..#####", "..#####"},
    {"..#####", "..#####", "....###", "..#####", "..###..", "..###..", "..###..", "..###..", "..#####"},
    {".######", ".....##", ".....##", ".######", ".....##", ".....##", ".....##", ".....##", ".######"},
    {".#..###", ".#..###", ".#..###", ".#..###", ".######", "....###", "....###", "....###", "....###"},
    {".######", ".#.....", ".#.....", ".#.....", ".######", "......#", "......#", "......#", ".######"},
    {".######", ".###...", ".###...", ".###...", ".######", ".###.##", ".###.##", ".###.##", ".######"},
    {"..#####", "..#####", "......#", "......#", "......#", "......#", "......#", "......#", "......#"},
    {"#######", "#....##", "#....##", "#######", "#....##", "#....##", "#....##", "#....##", "#######"},
    {"#######", "##....#", "##....#", "##....#", "#######", "....###", "....###", "....###", "#######"},
}};

// Two long gaps among six: the fifteen pairs in order, one per character.
std::array<Cmc7Glyph, 15> MakeCmc7Glyphs()
{
    const char symbols[15] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9',
                              Cmc7S1, Cmc7S2, Cmc7S3, Cmc7S4, Cmc7S5};
    std::array<Cmc7Glyph, 15> glyphs{};
    int n = 0;
    for (int a = 0; a < 6; ++a)
        for (int b = a + 1; b < 6; ++b) {
            glyphs[static_cast<size_t>(n)] = {symbols[n], static_cast<uint8_t>((1u << a) | (1u << b))};
            ++n;
        }
    return glyphs;
}

const std::array<Cmc7Glyph, 15> Cmc7Table = MakeCmc7Glyphs();

// Adds the area of the rectangle [x0, x1) x [y0, y1) (pixels) to a mask.
void AddRect(GlyphMask& mask, double x0, double y0, double x1, double y1)
{
    const int ix0 = std::max(0, static_cast<int>(std::floor(x0)));
    const int iy0 = std::max(0, static_cast<int>(std::floor(y0)));
    const int ix1 = std::min(mask.Width, static_cast<int>(std::ceil(x1)));
    const int iy1 = std::min(mask.Height, static_cast<int>(std::ceil(y1)));
    for (int y = iy0; y < iy1; ++y) {
        const double cy = std::min(y1, y + 1.0) - std::max(y0, static_cast<double>(y));
        for (int x = ix0; x < ix1; ++x) {
            const double cx = std::min(x1, x + 1.0) - std::max(x0, static_cast<double>(x));
            uint8_t& c = mask.Coverage[static_cast<size_t>(y) * mask.Width + x];
            c = static_cast<uint8_t>(std::min(255.0, c + 255.0 * cx * cy + 0.5));
        }
    }
}

} // namespace

const std::array<E13bGlyph, 14>& E13bGlyphs() { return Glyphs; }

const E13bGlyph* FindE13bGlyph(char symbol)
{
    for (const E13bGlyph& g : Glyphs)
        if (g.Symbol == symbol)
            return &g;
    return nullptr;
}

std::array<int, E13bHalfColumns> E13bColumnProfile(const E13bGlyph& glyph)
{
    std::array<int, E13bHalfColumns> profile{};
    for (int h = 0; h < E13bHalfColumns; ++h)
        for (int r = 0; r < E13bRows; ++r)
            profile[static_cast<size_t>(h)] += glyph.HalfInk(h, r) ? 1 : 0;
    return profile;
}

double E13bWidthSquares(const E13bGlyph& glyph)
{
    const auto profile = E13bColumnProfile(glyph);
    int first = 0;
    while (first < E13bHalfColumns && profile[static_cast<size_t>(first)] == 0)
        ++first;
    return (E13bHalfColumns - first) / 2.0;
}

std::array<int, E13bHalfColumns + 1> E13bFluxSteps(const E13bGlyph& glyph)
{
    const auto profile = E13bColumnProfile(glyph);
    std::array<int, E13bHalfColumns + 1> steps{};
    int before = 0;
    for (int j = 0; j <= E13bHalfColumns; ++j) {
        const int column = E13bHalfColumns - 1 - j; // read from the right
        const int now = column >= 0 ? profile[static_cast<size_t>(column)] : 0;
        steps[static_cast<size_t>(j)] = now - before;
        before = now;
    }
    return steps;
}

GlyphMask RenderE13bGlyph(char symbol, double dotsPerInch)
{
    GlyphMask mask;
    const E13bGlyph* glyph = FindE13bGlyph(symbol);
    if (!glyph || dotsPerInch <= 0)
        return mask;
    const double module = E13bModuleInch * dotsPerInch;
    const double half = module / 2.0;
    mask.Width = static_cast<int>(std::ceil(E13bColumns * module));
    mask.Height = static_cast<int>(std::ceil(E13bRows * module));
    mask.Coverage.assign(static_cast<size_t>(mask.Width) * mask.Height, 0);
    for (int r = 0; r < E13bRows; ++r) {
        // Runs of squares in a row become one rectangle, so no seams show.
        int c = 0;
        while (c < E13bHalfColumns) {
            if (!glyph->HalfInk(c, r)) {
                ++c;
                continue;
            }
            int end = c;
            while (end < E13bHalfColumns && glyph->HalfInk(end, r))
                ++end;
            AddRect(mask, c * half, r * module, end * half, (r + 1) * module);
            c = end;
        }
    }
    return mask;
}

const std::array<Cmc7Glyph, 15>& Cmc7Glyphs() { return Cmc7Table; }

const Cmc7Glyph* FindCmc7Glyph(char symbol)
{
    for (const Cmc7Glyph& g : Cmc7Table)
        if (g.Symbol == symbol)
            return &g;
    return nullptr;
}

std::array<double, Cmc7Strokes> Cmc7StrokeLefts(const Cmc7Glyph& glyph)
{
    std::array<double, Cmc7Strokes> lefts{};
    double x = 0.0;
    for (int i = 0; i < Cmc7Strokes; ++i) {
        lefts[static_cast<size_t>(i)] = x;
        x += Cmc7StrokeMm;
        if (i < Cmc7Strokes - 1)
            x += (glyph.LongGaps >> i) & 1u ? Cmc7LongGapMm : Cmc7ShortGapMm;
    }
    return lefts;
}

std::array<StrokeSpan, Cmc7Strokes> Cmc7StrokeSpans(const Cmc7Glyph& glyph)
{
    std::array<StrokeSpan, Cmc7Strokes> spans{};
    // Digits are cut to a digit's silhouette; a stroke keeps at least half
    // the height so that every stroke reads magnetically.
    if (glyph.Symbol >= '0' && glyph.Symbol <= '9') {
        const auto& outline = Cmc7Outlines[static_cast<size_t>(glyph.Symbol - '0')];
        for (int c = 0; c < Cmc7Strokes; ++c) {
            int top = -1;
            int bottom = -1;
            for (int r = 0; r < E13bRows; ++r)
                if (outline[static_cast<size_t>(r)][c] == '#') {
                    if (top < 0)
                        top = r;
                    bottom = r;
                }
            StrokeSpan& s = spans[static_cast<size_t>(c)];
            if (top < 0 || bottom - top + 1 < 5) {
                const bool upper = top >= 0 && top < 4;
                s = upper ? StrokeSpan{0.0, 5.0 / 9.0} : StrokeSpan{4.0 / 9.0, 1.0};
                if (top < 0)
                    s = {0.0, 1.0};
            } else {
                s = {top / 9.0, (bottom + 1) / 9.0};
            }
        }
        return spans;
    }
    // Symbols: a recognisable silhouette each.
    for (int c = 0; c < Cmc7Strokes; ++c) {
        StrokeSpan& s = spans[static_cast<size_t>(c)];
        switch (glyph.Symbol) {
        case Cmc7S1: s = {c % 2 ? 0.25 : 0.0, c % 2 ? 0.75 : 1.0}; break;
        case Cmc7S2: s = {0.0, c < 3 ? 0.6 : 1.0}; break;
        case Cmc7S3: s = {c < 4 ? 0.0 : 0.4, 1.0}; break;
        case Cmc7S4: s = {0.1 * (c % 3), 1.0 - 0.1 * (c % 3)}; break;
        default: s = {0.0, 1.0}; break;
        }
    }
    return spans;
}

} // namespace micr
