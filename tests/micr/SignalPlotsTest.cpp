// The signal analyses and plots on signals built by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "micr/SignalAnalysis.h"
#include "micr/SignalBuffer.h"
#include "micr/SignalPlots.h"
#include "vnapi/ByteOrder.h"

using namespace bench;

namespace {

struct Dip {
    int At;          // first sample of the bottom
    int Bottom;
    int Flat = 1;    // samples at the bottom value
};

// Quiet level with V-shaped dips: 6 steps a sample down to the bottom and up
// again, so every dip is below its 7 neighbours on each side.
std::vector<uint8_t> PeakSignal(size_t length, const std::vector<Dip>& dips)
{
    std::vector<uint8_t> s(length, 128);
    for (const Dip& d : dips) {
        for (int k = 0; k < d.Flat; ++k)
            s[static_cast<size_t>(d.At + k)] = static_cast<uint8_t>(d.Bottom);
        for (int k = 1; k <= 10; ++k) {
            const int v = std::min(128, d.Bottom + 6 * k);
            const int before = d.At - k;
            const int after = d.At + d.Flat - 1 + k;
            if (before >= 0)
                s[static_cast<size_t>(before)] = static_cast<uint8_t>(std::min<int>(s[static_cast<size_t>(before)], v));
            if (after < static_cast<int>(length))
                s[static_cast<size_t>(after)] = static_cast<uint8_t>(std::min<int>(s[static_cast<size_t>(after)], v));
        }
    }
    return s;
}

// Quiet level with three-sample drops to 60 starting at each position: every
// start is a falling crossing of the width threshold, then n samples and 0.
std::vector<uint8_t> WidthSignal(const std::vector<int>& drops, size_t n, uint8_t high = 128, uint8_t low = 60)
{
    std::vector<uint8_t> s(n + 1, high);
    for (const int d : drops)
        for (int k = 0; k < 3; ++k)
            s[static_cast<size_t>(d + k)] = low;
    s[n] = 0;
    return s;
}

std::vector<int> Spaced(int first, int spacing, int count)
{
    std::vector<int> v;
    for (int i = 0; i < count; ++i)
        v.push_back(first + spacing * i);
    return v;
}

PackedBitmap Plot(int32_t height, int32_t width)
{
    std::optional<PackedBitmap> b = AllocateSignalBitmap(height, width);
    EXPECT_TRUE(b && NewSignalBitmap(*b, height, width));
    return std::move(*b);
}

} // namespace

TEST(SignalPeaks, RulesAtTheirBoundaries)
{
    struct Case {
        const char* What;
        size_t Length;
        std::vector<Dip> Dips;
        int Result, Count, Lowest, LowestCount;
        float Sum;
    };
    const Case cases[] = {
        {"length 0", 0, {}, 0, 0, 0, 0, 0.0f},
        {"length 39: no scan", 39, {}, 1, 0, 255, 0, 0.0f},
        {"length 40: nothing found", 40, {}, 1, 0, 255, 0, 0.0f},
        {"first peak at 100", 300, {{100, 50}}, 1, 1, 50, 1, 50.0f},
        {"none before 100", 300, {{99, 50}}, 1, 0, 255, 0, 0.0f},
        {"99 after the last: dropped", 400, {{150, 50}, {249, 40}}, 1, 1, 50, 1, 50.0f},
        {"100 after the last: taken", 400, {{150, 50}, {250, 40}}, 1, 2, 40, 1, 90.0f},
        {"96 is deep enough", 300, {{150, 96}}, 1, 1, 96, 1, 96.0f},
        {"97 is not", 300, {{150, 97}}, 1, 0, 255, 0, 0.0f},
        {"flat bottom: its last sample", 400, {{150, 60, 3}, {252, 40}}, 1, 2, 40, 1, 100.0f},
        {"flat bottom: not its first", 400, {{150, 60, 3}, {251, 40}}, 1, 1, 60, 1, 60.0f},
        {"lowest counted", 800, {{150, 60}, {350, 50}, {550, 50}}, 1, 3, 50, 2, 160.0f},
        {"last index scanned is length - 20", 220, {{200, 50}}, 1, 1, 50, 1, 50.0f},
        {"length - 19 is not scanned", 219, {{200, 50}}, 1, 0, 255, 0, 0.0f},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> s = PeakSignal(c.Length, c.Dips);
        SignalPeaks p;
        EXPECT_EQ(MeasureSignalPeaks(s.data(), static_cast<uint32_t>(c.Length), p), c.Result) << c.What;
        EXPECT_EQ(p.Count, c.Count) << c.What;
        EXPECT_EQ(p.Lowest, c.Lowest) << c.What;
        EXPECT_EQ(p.LowestCount, c.LowestCount) << c.What;
        EXPECT_FLOAT_EQ(p.Sum, c.Sum) << c.What;
    }
}

TEST(CharacterWidths, WindowsOfSevenCrossingsOnHandMadeSignals)
{
    // Drops d1..dk: the stretch runs from d3 to the low before the third last
    // high run, so windows d(i) .. d(i+7) for 3 <= i and i + 7 <= k - 2.
    std::vector<int> steps = Spaced(100, 50, 13);
    for (size_t i = 10; i < steps.size(); ++i)
        ++steps[i]; // d11 on one later: the second window is 351 long
    struct Case {
        const char* What;
        std::vector<int> Drops;
        size_t N;
        std::vector<int> Widths;
        int Min, Max;
        float Mean, StdDev;
    };
    const Case cases[] = {
        {"even pitch", Spaced(100, 16, 15), 400, {112, 112, 112, 112}, 112, 112, 112.0f, 0.0f},
        {"one window", Spaced(100, 16, 12), 400, {112}, 112, 112, 112.0f, 0.0f},
        {"six crossings: no window", Spaced(100, 16, 11), 400, {}, 1785, 0, 0.0f, 0.0f},
        {"350 stays, 351 counts as 349", steps, 800, {350, 349}, 349, 350, 349.5f, 0.5f},
        {"uneven pitch", {100, 110, 130, 140, 160, 170, 190, 200, 220, 230, 250, 260, 280, 290}, 400,
         {100, 110, 100}, 100, 110, 103.333336f, 4.7140455f},
        {"five high runs: empty stretch", Spaced(100, 16, 4), 400, {}, 1785, 0, 0.0f, 0.0f},
        {"no low sample", {}, 400, {}, 1785, 0, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> s = WidthSignal(c.Drops, c.N);
        const CharacterWidths w = MeasureCharacterWidths(s.data(), s.size());
        EXPECT_EQ(w.Widths, c.Widths) << c.What;
        EXPECT_EQ(w.CharWidthMin, c.Min) << c.What;
        EXPECT_EQ(w.CharWidthMax, c.Max) << c.What;
        EXPECT_FLOAT_EQ(w.CharWidthMean, c.Mean) << c.What;
        EXPECT_FLOAT_EQ(w.CharWidthStdDev, c.StdDev) << c.What;
    }
    // High is 112 and up: a signal sitting exactly there is all high runs, one
    // level lower it has none.
    const std::vector<uint8_t> atThreshold = WidthSignal(Spaced(100, 16, 15), 400, 112, 111);
    EXPECT_EQ(MeasureCharacterWidths(atThreshold.data(), atThreshold.size()).Widths.size(), 4u);
    const std::vector<uint8_t> belowThreshold = WidthSignal(Spaced(100, 16, 15), 400, 111, 60);
    EXPECT_TRUE(MeasureCharacterWidths(belowThreshold.data(), belowThreshold.size()).Widths.empty());
    const std::vector<uint8_t> quietLow(400, 100);
    EXPECT_TRUE(MeasureCharacterWidths(quietLow.data(), quietLow.size()).Widths.empty()) << "no high sample";
    // The signal ends at its first 0: drops after it are not looked at.
    std::vector<uint8_t> cut = WidthSignal(Spaced(100, 16, 15), 400);
    const std::vector<uint8_t> more = WidthSignal(Spaced(420, 16, 15), 700);
    cut.insert(cut.end(), more.begin(), more.end());
    EXPECT_EQ(MeasureCharacterWidths(cut.data(), cut.size()).Widths.size(), 4u);
}

TEST(SignalBitmaps, HeaderPaletteAndWhitePixels)
{
    PackedBitmap b = Plot(300, 40);
    const uint8_t* h = b.Bytes().data();
    EXPECT_EQ(b.Bytes().size(), 1064u + 40u * 300u);
    EXPECT_EQ(le::ReadU32(h), 40u);
    EXPECT_EQ(b.Width(), 40);
    EXPECT_EQ(b.Height(), 300);
    EXPECT_EQ(le::ReadU16(h + 12), 1u);
    EXPECT_EQ(b.BitCount(), 8u);
    EXPECT_EQ(b.Compression(), 0u);
    EXPECT_EQ(b.ImageSize(), 12000u);
    EXPECT_EQ(b.XPelsPerMeter(), 7874);
    EXPECT_EQ(b.YPelsPerMeter(), 7874);
    EXPECT_EQ(le::ReadU32(h + 32), 0u);
    EXPECT_EQ(le::ReadU32(h + 36), 0u);
    EXPECT_TRUE(b.IsValid());
    struct Entry {
        unsigned Index;
        uint8_t Red, Green, Blue;
    };
    for (const Entry e : {Entry{0, 0, 0, 0}, Entry{124, 109, 255, 0}, Entry{132, 146, 36, 0},
                          Entry{182, 182, 182, 170}, Entry{240, 255, 146, 0}, Entry{255, 255, 255, 255},
                          Entry{45, 36, 109, 85}}) {
        const uint8_t* c = b.ColorEntry(e.Index);
        EXPECT_EQ(c[0], e.Blue) << e.Index;
        EXPECT_EQ(c[1], e.Green) << e.Index;
        EXPECT_EQ(c[2], e.Red) << e.Index;
        EXPECT_EQ(c[3], 0) << e.Index;
    }
    EXPECT_EQ(std::count(b.Bytes().begin() + 1064, b.Bytes().end(), 255), 12000);
    PackedBitmap small(std::vector<uint8_t>(1063 + 40 * 300));
    EXPECT_FALSE(NewSignalBitmap(small, 300, 40)) << "block one byte short";
    EXPECT_FALSE(NewSignalBitmap(b, 300, 38)) << "width not a multiple of 4";
    EXPECT_EQ(SignalPlotWidth(0), 24);
    EXPECT_EQ(SignalPlotWidth(1), 28);
    EXPECT_EQ(SignalPlotWidth(4), 28);
    EXPECT_EQ(SignalPlotWidth(5), 32);
    EXPECT_EQ(WidthPlotWidth(13), 24);
    EXPECT_EQ(WidthPlotWidth(14), 28);
    EXPECT_EQ(WidthPlotWidth(16384), 1196);
}

TEST(SignalBitmaps, GlyphsAreDrawnFromTheirBottomLeftPixel)
{
    PackedBitmap b = Plot(20, 40);
    DrawGlyph(b, 2, 3, '1'); // bottom row "###", top row ".#."
    DrawGlyph(b, 10, 3, '.');
    DrawGlyph(b, 20, 3, '-');
    EXPECT_EQ(PlotPixel(b, 3, 2), 0);
    EXPECT_EQ(PlotPixel(b, 3, 4), 0);
    EXPECT_EQ(PlotPixel(b, 3, 5), 255) << "'1' is 3 columns wide";
    EXPECT_EQ(PlotPixel(b, 11, 3), 0) << "9 rows high";
    EXPECT_EQ(PlotPixel(b, 12, 3), 255);
    EXPECT_EQ(PlotPixel(b, 3, 10), 0);
    EXPECT_EQ(std::count(b.Bytes().begin() + 1064, b.Bytes().end(), 0), 12 + 1) << "'-' draws nothing";
    PackedBitmap edge = Plot(4, 4);
    DrawGlyph(edge, 2, 2, 'M'); // mostly outside: clipped, never written past
    EXPECT_EQ(PlotPixel(edge, 2, 2), 0);
    EXPECT_EQ(edge.Bytes().size(), 1064u + 16u);
}

TEST(WidthPlot, FrameDotsAndStatisticsAtTheirCoordinates)
{
    const std::vector<uint8_t> s = WidthSignal(Spaced(100, 16, 15), 2000);
    PackedBitmap b = Plot(300, WidthPlotWidth(2000));
    const int32_t w = b.Width();
    ASSERT_EQ(w, 168);
    MeasureCharacterWidths(s.data(), s.size(), &b);
    EXPECT_EQ(PlotPixel(b, 18, 40), 182);
    EXPECT_EQ(PlotPixel(b, 298, 5), 182);
    EXPECT_EQ(PlotPixel(b, 17, 40), 255);
    EXPECT_EQ(PlotPixel(b, 8, 40), 0) << "time axis";
    EXPECT_EQ(PlotPixel(b, 0, 16), 0);
    EXPECT_EQ(PlotPixel(b, 299, 16), 0) << "width axis";
    for (const auto& [row, column] : {std::pair{10, w - 3}, {9, w - 2}, {7, w - 2}, {6, w - 3}, {298, 15},
                                      {298, 17}, {297, 14}, {297, 18}})
        EXPECT_EQ(PlotPixel(b, row, column), 0) << row << "," << column;
    EXPECT_EQ(PlotPixel(b, 9, w - 3), 255);
    for (int m = 1; m <= 4; ++m)
        EXPECT_EQ(PlotPixel(b, 8 + 112, 16 + m), 132) << "window " << m;
    EXPECT_EQ(PlotPixel(b, 120, 21), 255);
    // "M" at x 30 (bottom row "#.....#"); "Min=112" from x 63: 1 at 63 and 68, 2 at 73.
    EXPECT_EQ(PlotPixel(b, 280, 30), 0);
    EXPECT_EQ(PlotPixel(b, 280, 33), 255);
    EXPECT_EQ(PlotPixel(b, 280, 36), 0);
    for (int x = 63; x <= 77; ++x)
        EXPECT_EQ(PlotPixel(b, 280, x), (x == 66 || x == 67 || x == 71 || x == 72) ? 255 : 0) << x;
    // "112.00" from x 78: the dot at 95, then a '0' whose bottom row is ".###." from 98.
    for (int x = 93; x <= 99; ++x)
        EXPECT_EQ(PlotPixel(b, 240, x), (x == 95 || x == 99) ? 0 : 255) << x;
    // "0.000" from x 126: the dot at 133.
    EXPECT_EQ(PlotPixel(b, 220, 133), 0);
    EXPECT_EQ(PlotPixel(b, 220, 134), 255);
    EXPECT_EQ(PlotPixel(b, 220, 137), 0);
    // The label's own '.' of "Dev.Standard=" at x 54.
    EXPECT_EQ(PlotPixel(b, 220, 54), 0);
}

TEST(WidthPlot, EmptyStretchShowsFrameAndLabelsOnly)
{
    const std::vector<uint8_t> s = WidthSignal(Spaced(100, 16, 4), 2000);
    PackedBitmap b = Plot(300, WidthPlotWidth(2000));
    const CharacterWidths r = MeasureCharacterWidths(s.data(), s.size(), &b);
    EXPECT_EQ(std::count(b.Bytes().begin() + 1064, b.Bytes().end(), 132), 0);
    // "1785" drawn from 63 (its '1' bottom row from 63 to 65); no mean or deviation value.
    EXPECT_EQ(PlotPixel(b, 280, 63), 0);
    for (int x = 78; x < b.Width(); ++x)
        EXPECT_EQ(PlotPixel(b, 240, x), 255) << x;
    EXPECT_EQ(r.CharWidthMin, 1785);
}

TEST(SignalPlots, CalibrationTraceAxesReferenceAndHalfStrokes)
{
    const uint8_t s[] = {128, 135, 135};
    PackedBitmap b = Plot(CalibrationTraceHeight, SignalPlotWidth(3));
    const int32_t w = b.Width();
    DrawCalibrationTrace(s, 3, b);
    EXPECT_EQ(PlotPixel(b, 16, 5), 0);
    EXPECT_EQ(PlotPixel(b, 279, 16), 0);
    EXPECT_EQ(PlotPixel(b, 144, 5), 124) << "quiet level";
    for (const auto& [row, column] : {std::pair{18, w - 3}, {17, w - 2}, {15, w - 2}, {14, w - 3}, {278, 15},
                                      {278, 17}, {277, 14}, {277, 18}})
        EXPECT_EQ(PlotPixel(b, row, column), 0) << row << "," << column;
    EXPECT_EQ(PlotPixel(b, 144, 17), 132) << "sample 1 at column 17, row 16 + 128";
    EXPECT_EQ(PlotPixel(b, 151, 18), 132) << "sample 2";
    EXPECT_EQ(PlotPixel(b, 151, 19), 132) << "sample 3, no gap";
    // 128 -> 135: 4 pixels leave 128 in column 17, 3 come from 135 in column 18.
    for (int row = 145; row <= 149; ++row)
        EXPECT_EQ(PlotPixel(b, row, 17), row <= 148 ? 240 : 255) << row;
    for (int row = 147; row <= 150; ++row)
        EXPECT_EQ(PlotPixel(b, row, 18), row >= 148 ? 240 : 255) << row;
    EXPECT_EQ(PlotPixel(b, 150, 19), 255);
}

TEST(SignalPlots, SignalViewAxesGridAndTrace)
{
    const uint8_t s[] = {200, 190, 0};
    const std::optional<PackedBitmap> view = MakeSignalView(s, sizeof s);
    ASSERT_TRUE(view);
    const PackedBitmap& b = *view;
    const int32_t w = b.Width();
    EXPECT_EQ(w, 28);
    EXPECT_EQ(b.Height(), 300);
    EXPECT_EQ(PlotPixel(b, 132, 5), 0);
    EXPECT_EQ(PlotPixel(b, 0, 16), 0);
    for (const int row : {12, 42, 72, 102, 162, 192, 222, 252})
        EXPECT_EQ(PlotPixel(b, row, 5), 124) << row;
    EXPECT_EQ(PlotPixel(b, 13, 5), 255);
    for (const auto& [row, column] : {std::pair{134, w - 3}, {133, w - 2}, {131, w - 2}, {130, w - 3},
                                      {298, 15}, {298, 17}, {297, 14}, {297, 18}})
        EXPECT_EQ(PlotPixel(b, row, column), 0) << row << "," << column;
    EXPECT_EQ(PlotPixel(b, 204, 17), 132);
    EXPECT_EQ(PlotPixel(b, 194, 18), 132);
    // 200 -> 190: 5 down from 199 in column 17, 5 up from 191 in column 18, all in 132.
    EXPECT_EQ(PlotPixel(b, 203, 17), 132);
    EXPECT_EQ(PlotPixel(b, 199, 17), 132);
    EXPECT_EQ(PlotPixel(b, 198, 17), 255);
    EXPECT_EQ(PlotPixel(b, 195, 18), 132);
    EXPECT_EQ(PlotPixel(b, 199, 18), 132);
    EXPECT_EQ(PlotPixel(b, 200, 18), 255);
    EXPECT_EQ(PlotPixel(b, 203, 19), 255) << "the 0 ends the trace";
}

TEST(SignalPlots, EmptyAndFullBuffersStayInsideTheirBitmaps)
{
    const uint8_t none[] = {0, 200, 200};
    EXPECT_FALSE(MakeSignalView(none, sizeof none)) << "first sample 0: no view";
    // Full scale swings over the whole buffer, no 0 anywhere.
    std::vector<uint8_t> full(SignalBufferSize);
    for (size_t i = 0; i < full.size(); ++i)
        full[i] = (i / 8) % 2 ? 255 : 1;
    const std::optional<PackedBitmap> view = MakeSignalView(full.data(), full.size());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->Width(), 16408);
    EXPECT_EQ(view->Bytes().size(), 1064u + 16408u * 300u);
    EXPECT_EQ(PlotPixel(*view, 4 + full.back(), 16 + 16384), 132) << "the last sample";
    const std::optional<PackedBitmap> trace = MakeCalibrationTrace(full.data(), full.size());
    ASSERT_TRUE(trace);
    EXPECT_EQ(PlotPixel(*trace, 16 + 255, 16 + 16384), 132) << "the last sample";
    const std::optional<PackedBitmap> empty = MakeCalibrationTrace(full.data(), 0);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->Width(), 24);
    PackedBitmap plot = Plot(300, WidthPlotWidth(full.size()));
    const CharacterWidths r = MeasureCharacterWidths(full.data(), full.size(), &plot);
    EXPECT_FALSE(r.Widths.empty());
    EXPECT_EQ(r.CharWidthMin, 112) << "a drop every 16 samples";
}
