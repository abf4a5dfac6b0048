// The row-profile and grey-histogram plots of the image quality bench, and
// the texts and report files that go with them. Drawn into small 8-bit
// palette bitmaps (3-3-2 colour cube), pixel (x, y) from the bottom left.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "quality/QualityCheck.h"
#include "vnapi/PackedBitmap.h"

namespace bench {

namespace QualityPlotColor {
constexpr uint8_t Black = 0;
constexpr uint8_t Blue = 3;
constexpr uint8_t Green = 124;
constexpr uint8_t Grid = 182;
constexpr uint8_t Red = 240;
constexpr uint8_t White = 255;
} // namespace QualityPlotColor

using GreyHistogram = std::array<uint32_t, 256>;

// An all-white plot of width x height (width a multiple of 4).
PackedBitmap NewQualityPlot(int32_t width, int32_t height);
uint8_t QualityPlotPixel(const PackedBitmap& plot, int32_t x, int32_t y);

// Folds each profile of an image of 633 rows or more to one entry per two
// rows, keeping the entry farther from that light's average (the second on a
// tie). Shorter images are left alone.
void HalveProfiles(int32_t height, RowProfiles& profiles, uint8_t blueAverage, uint8_t greenAverage,
                   uint8_t redAverage);

// The profiles of an image of the given height (halved above 632 rows): blue,
// then green and red for a colour image.
PackedBitmap DrawProfilePlot(int32_t height, bool colour, const RowProfiles& profiles);

// Adds every pixel of an 8-bit image to the histogram. False, histogram
// untouched, when the image is not an 8-bit bitmap held whole in the bytes.
bool CountGreyLevels(std::span<const uint8_t> image, GreyHistogram& histogram);

// The level with the largest count, the lowest on a tie.
int MostFrequentGreyLevel(const GreyHistogram& histogram);

// Bars of 2 pixels a level, 2 pixels a percent of the largest count. With a
// largest count of 0 every level lies on the axis.
PackedBitmap DrawHistogramPlot(uint32_t largestCount, const GreyHistogram& histogram);

std::string StatisticsText(const BandStatistics& statistics);
std::string HistogramText(int level, uint32_t count);

// One report of a band: statistics, then one line a row 0 to height - 1 with
// the red, green and blue entries. The RED band's report has its own average
// wording. Lines end with \n; the file is written in text mode.
std::string BandReportText(Band band, const BandStatistics& statistics, const RowProfiles& profiles, int32_t height);
const char* BandReportFileName(Band band);

} // namespace bench
