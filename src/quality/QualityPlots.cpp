#include "quality/QualityPlots.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/PaletteBitmap.h"
#include "vnapi/ByteOrder.h"

namespace bench {

namespace {

constexpr int32_t AxisRow = 10;
constexpr int32_t AxisColumn = 16;

void SetPixel(PackedBitmap& plot, int32_t x, int32_t y, uint8_t index) { SetPalettePixel(plot, x, y, index); }

void FillRow(PackedBitmap& plot, int32_t y, uint8_t index)
{
    for (int32_t x = 0; x < plot.Width(); ++x)
        SetPixel(plot, x, y, index);
}

void FillColumn(PackedBitmap& plot, int32_t x, uint8_t index)
{
    for (int32_t y = 0; y < plot.Height(); ++y)
        SetPixel(plot, x, y, index);
}

void DrawAxes(PackedBitmap& plot)
{
    FillRow(plot, AxisRow, QualityPlotColor::Black);
    FillColumn(plot, AxisColumn, QualityPlotColor::Black);
}

void DrawArrows(PackedBitmap& plot)
{
    const int32_t w = plot.Width();
    const int32_t h = plot.Height();
    for (const auto& [x, y] : {std::pair{w - 3, 12}, {w - 2, 11}, {w - 2, 9}, {w - 3, 8}, {15, h - 2}, {17, h - 2},
                              {14, h - 3}, {18, h - 3}})
        SetPixel(plot, x, y, QualityPlotColor::Black);
}

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

} // namespace

PackedBitmap NewQualityPlot(int32_t width, int32_t height)
{
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    PackedBitmap plot(std::vector<uint8_t>(PaletteBitmapHeaderSize + pixels, 0));
    WritePaletteBitmap(plot.Bytes().data(), width, height);
    return plot;
}

uint8_t QualityPlotPixel(const PackedBitmap& plot, int32_t x, int32_t y) { return PalettePixel(plot, x, y); }

void HalveProfiles(int32_t height, RowProfiles& profiles, uint8_t blueAverage, uint8_t greenAverage,
                   uint8_t redAverage)
{
    if (height < 633 || height > RowProfileLength)
        return;
    const std::array<uint8_t, 3> averages{blueAverage, greenAverage, redAverage};
    for (size_t k = 0; k < 3; ++k) {
        auto& p = profiles.Light[k];
        const int a = averages[k];
        for (int32_t j = 0; j <= (height - 9) / 2; ++j) {
            const uint8_t first = p[static_cast<size_t>(8 + 2 * j)];
            const uint8_t second = p[static_cast<size_t>(9 + 2 * j)];
            p[static_cast<size_t>(8 + j)] = std::abs(first - a) > std::abs(second - a) ? first : second;
        }
    }
}

PackedBitmap DrawProfilePlot(int32_t height, bool colour, const RowProfiles& profiles)
{
    const int32_t n = std::clamp(height > 632 ? height / 2 : height, 0, RowProfileLength);
    PackedBitmap plot = NewQualityPlot((n + 3) / 4 * 4 + 32, 280);
    DrawAxes(plot);
    for (int k = 0; k < 15; ++k)
        FillRow(plot, 27 + 17 * k, QualityPlotColor::Grid);
    DrawArrows(plot);
    for (int32_t x = 8; x < n; ++x) {
        auto dot = [&](int light, uint8_t index) {
            const int v = profiles.Light[static_cast<size_t>(light)][static_cast<size_t>(x)];
            SetPixel(plot, 16 + x, v + 10, index);
            SetPixel(plot, 16 + x, v + 11, index);
        };
        dot(BlueLight, QualityPlotColor::Blue);
        if (colour) {
            dot(GreenLight, QualityPlotColor::Green);
            dot(RedLight, QualityPlotColor::Red);
        }
    }
    return plot;
}

bool CountGreyLevels(std::span<const uint8_t> image, GreyHistogram& histogram)
{
    if (image.size() < 40 || le::ReadU16(image.data() + 14) != 8)
        return false;
    const int32_t width = le::ReadI32(image.data() + 4);
    const int32_t height = le::ReadI32(image.data() + 8);
    if (width < 0 || height < 0)
        return false;
    const size_t stride = (static_cast<size_t>(width) + 3) / 4 * 4;
    const size_t offset = 1064;
    if (image.size() < offset || (image.size() - offset) / (stride == 0 ? 1 : stride) < static_cast<size_t>(height))
        return false;
    for (int32_t r = 0; r < height; ++r) {
        const uint8_t* row = image.data() + offset + static_cast<size_t>(r) * stride;
        for (int32_t x = 0; x < width; ++x)
            ++histogram[row[x]];
    }
    return true;
}

int MostFrequentGreyLevel(const GreyHistogram& histogram)
{
    int level = 0;
    for (int l = 1; l < 256; ++l)
        if (histogram[static_cast<size_t>(l)] > histogram[static_cast<size_t>(level)])
            level = l;
    return level;
}

PackedBitmap DrawHistogramPlot(uint32_t largestCount, const GreyHistogram& histogram)
{
    PackedBitmap plot = NewQualityPlot(572, 220);
    DrawAxes(plot);
    for (int32_t y = 30; y <= 210; y += 20)
        FillRow(plot, y, QualityPlotColor::Grid);
    for (int k = 0; k <= 25; ++k)
        for (int32_t y = 7; y <= 9; ++y)
            SetPixel(plot, 36 + 20 * k, y, QualityPlotColor::Black);
    DrawArrows(plot);
    for (int32_t level = 0; level < 256; ++level) {
        const uint64_t count = histogram[static_cast<size_t>(level)];
        const auto p = largestCount == 0 ? 0 : static_cast<int32_t>(count * 100 / largestCount);
        if (p == 0) {
            SetPixel(plot, 16 + 2 * level, AxisRow, QualityPlotColor::Blue);
            SetPixel(plot, 17 + 2 * level, AxisRow, QualityPlotColor::Blue);
            continue;
        }
        for (int32_t y = AxisRow; y <= AxisRow + 2 * p - 1; ++y) {
            SetPixel(plot, 16 + 2 * level, y, QualityPlotColor::Blue);
            SetPixel(plot, 17 + 2 * level, y, QualityPlotColor::Blue);
        }
    }
    return plot;
}

std::string StatisticsText(const BandStatistics& s)
{
    const LightStatistics& r = s.Light[RedLight];
    const LightStatistics& g = s.Light[GreenLight];
    const LightStatistics& b = s.Light[BlueLight];
    return Printf("Light Red   : Min = %d; Max = %d; Average = %d \n", r.Minimum, r.Maximum, r.Average) +
           Printf("Light Green : Min = %d; Max = %d; Average = %d \n", g.Minimum, g.Maximum, g.Average) +
           Printf("Light Blue  : Min = %d; Max = %d; Average = %d \n", b.Minimum, b.Maximum, b.Average);
}

std::string HistogramText(int level, uint32_t count)
{
    return Printf("Max grey value  %d,  with  %ld  recurrence", level, static_cast<long>(count));
}

std::string BandReportText(Band band, const BandStatistics& s, const RowProfiles& profiles, int32_t height)
{
    const LightStatistics& r = s.Light[RedLight];
    const LightStatistics& g = s.Light[GreenLight];
    const LightStatistics& b = s.Light[BlueLight];
    std::string text;
    if (band == Band::Red) {
        text = Printf("Light Red   : Min = %d; Max = %d; Average =%d \n", r.Minimum, r.Maximum, r.Average) +
               Printf("Light Green : Min = %d; Max = %d; Average =%d \n", g.Minimum, g.Maximum, g.Average) +
               Printf("Light Blue  : Min = %d; Max = %d; Average =%d \n\n", b.Minimum, b.Maximum, b.Average);
    } else {
        text = StatisticsText(s) + "\n";
    }
    text += "\tRed  \tGreen\tBlue \n";
    for (int32_t row = 0; row < std::min(height, RowProfileLength); ++row) {
        const auto i = static_cast<size_t>(row);
        text += Printf("%d - \t%d\t%d\t%d \n", row, profiles.Light[RedLight][i], profiles.Light[GreenLight][i],
                       profiles.Light[BlueLight][i]);
    }
    return text + "\n\n\n";
}

const char* BandReportFileName(Band band)
{
    static constexpr const char* Names[6] = {"Report_White.txt", "Report_Red.txt",    "Report_Green.txt",
                                             "Report_Blue.txt",  "Report_Yellow.txt", "Report_Black.txt"};
    return Names[static_cast<int>(band)];
}

} // namespace bench
