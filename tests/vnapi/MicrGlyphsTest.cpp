#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "docs/MicrGlyphs.h"
#include "vnapi/MicrSymbols.h"

namespace {

// How alike two glyphs look to a head reading right to left: the best
// normalised correlation of their flux waveforms (Gaussian pulses 2.5
// samples wide, 11.65 samples a square, steps on half squares) over stretches of +-6 % and shifts
// of +-3 samples.
double WaveformSimilarity(const micr::E13bGlyph& a, const micr::E13bGlyph& b)
{
    constexpr double Module = 11.65, Sigma = 2.5;
    const auto sa = micr::E13bFluxSteps(a), sb = micr::E13bFluxSteps(b);
    // Inner product of two pulse trains, x stretched by sx, y by sy and
    // shifted; Gaussians of width Sigma overlap as exp(-d^2 / 4 Sigma^2).
    const auto inner = [&](const auto& x, double sx, const auto& y, double sy, double shift) {
        double sum = 0.0;
        for (size_t i = 0; i < x.size(); ++i)
            for (size_t j = 0; j < y.size(); ++j) {
                const double d = i * Module / 2 * sx - (j * Module / 2 * sy + shift);
                sum += x[i] * y[j] * std::exp(-d * d / (4 * Sigma * Sigma));
            }
        return sum;
    };
    double best = -1.0;
    for (int s = -3; s <= 3; ++s)
        for (int d = -6; d <= 6; ++d) {
            const double stretch = 1.0 + 0.02 * s, shift = 0.5 * d;
            const double norm = std::sqrt(inner(sa, 1.0, sa, 1.0, 0.0) * inner(sb, stretch, sb, stretch, 0.0));
            best = std::max(best, inner(sa, 1.0, sb, stretch, shift) / norm);
        }
    return best;
}

} // namespace

TEST(MicrGlyphs, E13bSetIsCompleteAndOnTheGrid)
{
    std::set<char> symbols;
    for (const micr::E13bGlyph& g : micr::E13bGlyphs()) {
        symbols.insert(g.Symbol);
        for (const char* row : g.Rows)
            ASSERT_EQ(std::string(row).size(), size_t(micr::E13bColumns)) << g.Symbol;
        // The reader syncs on the leading edge: every glyph inks its right column.
        EXPECT_GE(micr::E13bColumnProfile(g)[13], 3) << g.Symbol;
        int sum = 0;
        for (int step : micr::E13bFluxSteps(g))
            sum += step;
        EXPECT_EQ(sum, 0) << g.Symbol << ": the flux steps of a glyph cancel";
    }
    EXPECT_EQ(symbols, (std::set<char>{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', micr::E13bTransit,
                                       micr::E13bOnUs, micr::E13bAmount, micr::E13bDash}));
    EXPECT_EQ(micr::FindE13bGlyph('A'), nullptr);
    EXPECT_NEAR(micr::E13bPitchMm, 3.175, 1e-9);
    EXPECT_NEAR(micr::E13bHeightMm, 2.9718, 1e-9);
}

TEST(MicrGlyphs, E13bWaveformsAreDistinct)
{
    const auto& glyphs = micr::E13bGlyphs();
    for (size_t i = 0; i < glyphs.size(); ++i)
        for (size_t j = i + 1; j < glyphs.size(); ++j) {
            EXPECT_NE(micr::E13bColumnProfile(glyphs[i]), micr::E13bColumnProfile(glyphs[j]));
            EXPECT_LT(std::max(WaveformSimilarity(glyphs[i], glyphs[j]), WaveformSimilarity(glyphs[j], glyphs[i])), 0.80)
                << glyphs[i].Symbol << " and " << glyphs[j].Symbol << " look alike to the head";
        }
}

TEST(MicrGlyphs, E13bFluxStepsFollowTheColumns)
{
    // '1': a stem two squares wide with a foot and a cap to its left; the
    // squares 3..6 hold 4, 5, 9, 9 inked squares. Read from the right in
    // half squares the head meets +9, nothing for two squares, -4, -1, -4.
    const micr::E13bGlyph* one = micr::FindE13bGlyph('1');
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(micr::E13bColumnProfile(*one), (std::array<int, 14>{0, 0, 0, 0, 0, 0, 4, 4, 5, 5, 9, 9, 9, 9}));
    EXPECT_EQ(micr::E13bFluxSteps(*one), (std::array<int, 15>{9, 0, 0, 0, -4, 0, -1, 0, -4, 0, 0, 0, 0, 0, 0}));
    // '2' is four and a half squares wide: its left edge is a half square.
    const micr::E13bGlyph* two = micr::FindE13bGlyph('2');
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(micr::E13bFluxSteps(*two)[9], -6);
    EXPECT_EQ(micr::E13bFluxSteps(*two)[10], 0);
}

TEST(MicrGlyphs, E13bMaskCoversTheSquares)
{
    const GlyphMask eight = micr::RenderE13bGlyph('8', 200.0);
    EXPECT_EQ(eight.Width, 19);  // 7 x 0.013 in at 200 dpi = 18.2 pixels
    EXPECT_EQ(eight.Height, 24); // 9 x 0.013 in = 23.4 pixels
    EXPECT_EQ(eight.At(1, 1), 0) << "the upper loop is narrower than the lower";
    EXPECT_EQ(eight.At(5, 1), 255);
    EXPECT_EQ(eight.At(6, 3), 0) << "inside the upper loop";
    EXPECT_EQ(eight.At(6, 9), 255) << "the middle bar";
    // The last column is partly covered: 18.2 pixels.
    EXPECT_NEAR(eight.At(18, 11), 0.2 * 255, 2);
    EXPECT_EQ(eight.At(18, 1), 0);
    EXPECT_TRUE(micr::RenderE13bGlyph('x', 200.0).Coverage.empty());
}

TEST(MicrGlyphs, E13bWidthsAndHeightsAreTheStandards)
{
    // Width in squares, first and last inked row, and one cell that tells the
    // character (column, row, inked), from the drawings of the standard.
    struct Row {
        char Symbol;
        double Width;
        int Top, Bottom;
        int Column, CellRow;
        bool Inked;
    };
    const Row table[] = {
        {'0', 6.0, 0, 8, 2, 4, false},         {'1', 4.0, 0, 8, 3, 7, true},  {'2', 4.5, 0, 8, 5, 6, false},
        {'3', 6.0, 0, 8, 1, 4, false},         {'4', 7.0, 0, 8, 0, 7, false}, {'5', 5.0, 0, 8, 6, 2, false},
        {'6', 6.0, 0, 8, 6, 0, false},         {'7', 5.0, 0, 8, 2, 5, false}, {'8', 7.0, 0, 8, 0, 6, true},
        {'9', 6.0, 0, 8, 1, 6, false},         {micr::E13bTransit, 7.0, 0, 8, 0, 4, true},
        {micr::E13bAmount, 7.0, 0, 8, 6, 4, false}, {micr::E13bOnUs, 7.0, 0, 6, 5, 6, true},
        {micr::E13bDash, 6.0, 2, 6, 3, 4, false},
    };
    std::set<double> widths;
    for (const Row& row : table) {
        const micr::E13bGlyph* g = micr::FindE13bGlyph(row.Symbol);
        ASSERT_NE(g, nullptr) << row.Symbol;
        EXPECT_EQ(micr::E13bWidthSquares(*g), row.Width) << row.Symbol;
        widths.insert(row.Width);
        int top = -1, bottom = -1;
        for (int r = 0; r < micr::E13bRows; ++r)
            for (int c = 0; c < micr::E13bColumns; ++c)
                if (g->Ink(c, r)) {
                    top = top < 0 ? r : top;
                    bottom = r;
                }
        EXPECT_EQ(top, row.Top) << row.Symbol;
        EXPECT_EQ(bottom, row.Bottom) << row.Symbol;
        EXPECT_EQ(g->Ink(row.Column, row.CellRow), row.Inked) << row.Symbol;
    }
    EXPECT_EQ(widths.size(), 5u);
    // A half square: the left half of the '2''s first column is paper.
    const micr::E13bGlyph* two = micr::FindE13bGlyph('2');
    EXPECT_FALSE(two->HalfInk(4, 8));
    EXPECT_TRUE(two->HalfInk(5, 8));
}

TEST(MicrGlyphs, Cmc7HasFifteenPatternsOfTwoLongGaps)
{
    std::set<uint8_t> patterns;
    std::set<char> symbols;
    for (const micr::Cmc7Glyph& g : micr::Cmc7Glyphs()) {
        EXPECT_EQ(__builtin_popcount(g.LongGaps), 2) << g.Symbol;
        EXPECT_LT(g.LongGaps, 64) << g.Symbol;
        patterns.insert(g.LongGaps);
        symbols.insert(g.Symbol);
        const auto lefts = micr::Cmc7StrokeLefts(g);
        EXPECT_DOUBLE_EQ(lefts[0], 0.0);
        EXPECT_NEAR(lefts[6] + micr::Cmc7StrokeMm, micr::Cmc7WidthMm, 1e-9) << g.Symbol;
        for (const auto& span : micr::Cmc7StrokeSpans(g))
            EXPECT_GE(span.Bottom - span.Top, 0.5) << g.Symbol << ": every stroke must read magnetically";
    }
    EXPECT_EQ(patterns.size(), 15u);
    EXPECT_EQ(symbols.size(), 15u);
    EXPECT_NE(micr::FindCmc7Glyph(micr::Cmc7S5), nullptr);
    EXPECT_NEAR(micr::Cmc7WidthMm, 3.25, 1e-9);
    EXPECT_GT(micr::Cmc7PitchMm - micr::Cmc7WidthMm, micr::Cmc7LongGapMm)
        << "the space between characters is longer than any gap inside one";
}
