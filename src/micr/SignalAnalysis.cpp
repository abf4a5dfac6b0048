#include "micr/SignalAnalysis.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>

#include "micr/SignalBuffer.h"
#include "micr/SignalPlots.h"

namespace bench {

int MeasureSignalPeaks(const uint8_t* s, uint32_t length, SignalPeaks& peaks)
{
    peaks = {};
    if (length == 0) {
        peaks.Lowest = 0;
        return 0;
    }
    if (static_cast<int64_t>(length) - 20 < 20)
        return 1;
    int64_t last = 0;
    const int64_t lastIndex = static_cast<int64_t>(length) - 20;
    for (int64_t i = 20; i <= lastIndex; ++i) {
        const int v = s[i];
        if (v > 96 || i - last < 100)
            continue;
        bool peak = true;
        for (int k = 1; k <= 7 && peak; ++k)
            peak = v <= s[i - k] && v < s[i + k];
        if (!peak)
            continue;
        peaks.Sum += static_cast<float>(v);
        if (v == peaks.Lowest)
            ++peaks.LowestCount;
        if (v < peaks.Lowest) {
            peaks.Lowest = v;
            peaks.LowestCount = 1;
        }
        ++peaks.Count;
        last = i;
    }
    return 1;
}

float PeakPercent(float sum, int count)
{
    const float average = sum / static_cast<float>(count);
    return ((128.0f - average) * static_cast<float>(0.012890625)) * 100.0f / 1.32f;
}

WidthStretch FindWidthStretch(const uint8_t* s, size_t n)
{
    WidthStretch stretch;
    const auto high = [&](int64_t i) { return s[i] >= CharWidthThreshold; };
    const auto count = static_cast<int64_t>(n);

    // From the end: to the last high sample, then back over three high runs.
    int64_t end = count - 1;
    while (end >= 0 && !high(end))
        --end;
    if (end < 0)
        return stretch;
    for (int k = 0; k < 3; ++k) {
        while (end >= 0 && !high(end))
            --end;
        while (end >= 0 && high(end))
            --end;
        if (end < 0)
            return stretch;
    }
    // From the start: forward over three high runs.
    int64_t start = 0;
    for (int k = 0; k < 3; ++k) {
        while (start < count && !high(start))
            ++start;
        while (start < count && high(start))
            ++start;
        if (start >= count)
            return stretch;
    }
    if (start > end)
        return stretch;
    stretch.Empty = false;
    stretch.Start = static_cast<size_t>(start);
    stretch.End = static_cast<size_t>(end);
    return stretch;
}

namespace {

// One pass of the window scan; calls window(width) for every complete one.
template <typename OnWindow>
void ScanWindows(const uint8_t* s, const WidthStretch& stretch, OnWindow window)
{
    if (stretch.Empty)
        return;
    int t = 1;
    int w = 0;
    size_t restart = stretch.Start;
    bool flag = false;
    for (size_t i = stretch.Start; i <= stretch.End;) {
        const bool h = s[i] >= CharWidthThreshold;
        if (!h && flag) {
            if (t == 1) {
                restart = i;
                t = 2;
            } else if (t <= 6) {
                ++t;
            } else {
                window(w > CharWidthLongest ? CharWidthClipped : w);
                t = 1;
                flag = false;
                i = restart + 1;
                w = 1;
                continue;
            }
        }
        flag = h;
        ++i;
        ++w;
    }
}

void DrawWidthFrame(PackedBitmap& plot)
{
    const int32_t w = plot.Width();
    const int32_t h = plot.Height();
    for (int32_t row = 8; row < h; row += 10)
        FillPlotRow(plot, row, PlotColor::WidthGrid);
    FillPlotRow(plot, 8, PlotColor::Black);
    FillPlotColumn(plot, 16, PlotColor::Black);
    SetPlotPixel(plot, 10, w - 3, PlotColor::Black);
    SetPlotPixel(plot, 9, w - 2, PlotColor::Black);
    SetPlotPixel(plot, 7, w - 2, PlotColor::Black);
    SetPlotPixel(plot, 6, w - 3, PlotColor::Black);
    SetPlotPixel(plot, h - 2, 15, PlotColor::Black);
    SetPlotPixel(plot, h - 2, 17, PlotColor::Black);
    SetPlotPixel(plot, h - 3, 14, PlotColor::Black);
    SetPlotPixel(plot, h - 3, 18, PlotColor::Black);
}

void DrawLabel(PackedBitmap& plot, int32_t y, std::initializer_list<std::pair<char, int32_t>> glyphs)
{
    for (const auto& [c, x] : glyphs)
        DrawGlyph(plot, x, y, c);
}

std::string Formatted(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

CharacterWidths MeasureCharacterWidths(const uint8_t* s, size_t capacity, PackedBitmap* plot)
{
    CharacterWidths r;
    if (plot)
        DrawWidthFrame(*plot);
    const WidthStretch stretch = FindWidthStretch(s, SignalLength(s, capacity));

    float sum = 0.0f;
    ScanWindows(s, stretch, [&](int width) {
        r.Widths.push_back(width);
        if (plot)
            SetPlotPixel(*plot, 8 + width, 16 + static_cast<int32_t>(r.Widths.size()), PlotColor::Sample);
        r.CharWidthMin = width < r.CharWidthMin ? width : r.CharWidthMin;
        r.CharWidthMax = width > r.CharWidthMax ? width : r.CharWidthMax;
        sum += static_cast<float>(width);
    });
    const auto m = static_cast<float>(r.Widths.size());
    if (!r.Widths.empty()) {
        r.CharWidthMean = sum / m;
        float squares = 0.0f;
        ScanWindows(s, stretch, [&](int width) {
            const float d = static_cast<float>(width) - r.CharWidthMean;
            squares += d * d;
        });
        r.CharWidthStdDev = std::sqrt(squares / m);
    }
    if (plot)
        DrawWidthStatistics(*plot, r);
    return r;
}

void DrawWidthStatistics(PackedBitmap& plot, const CharacterWidths& widths)
{
    const int32_t h = plot.Height();
    DrawLabel(plot, h - 20, {{'M', 30}, {'i', 40}, {'n', 44}, {'=', 55}});
    DrawPlotText(plot, 63, h - 20, std::to_string(widths.CharWidthMin), false);
    DrawLabel(plot, h - 40, {{'M', 30}, {'a', 40}, {'x', 48}, {'=', 58}});
    DrawPlotText(plot, 66, h - 40, std::to_string(widths.CharWidthMax), false);
    DrawLabel(plot, h - 60, {{'M', 30}, {'e', 40}, {'d', 48}, {'i', 56}, {'a', 60}, {'=', 70}});
    DrawLabel(plot, h - 80,
              {{'D', 30}, {'e', 39}, {'v', 47}, {'.', 54}, {'S', 59}, {'t', 67}, {'a', 72}, {'n', 80}, {'d', 87},
               {'a', 95}, {'r', 103}, {'d', 108}, {'=', 118}});
    // Without a complete window there is no mean and no deviation: the
    // labels stand alone.
    if (widths.Widths.empty())
        return;
    DrawPlotText(plot, 78, h - 60, Formatted("%.2f", widths.CharWidthMean), true);
    DrawPlotText(plot, 126, h - 80, Formatted("%.3f", widths.CharWidthStdDev), true);
}

} // namespace bench
