#include "quality/QualityCheck.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "vnapi/ByteOrder.h"

namespace bench {

namespace {

constexpr int32_t ColourMinimumWidth = 1222; // WHITE band's last pixel and its three lights
constexpr int32_t GreyMinimumWidth = 1338;   // last drag mark window plus two pixels
constexpr int32_t GreyMinimumHeight = 78;    // the drag marks are searched up to row 77
constexpr int Tolerance = 0x18;
constexpr int MaximumGreyStep = 12;

void Format(std::string& out, const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    out = text;
}

struct Window {
    int Low;
    int High;
};

// Average windows of the colour check, rows by band, columns by light
// (blue, green, red).
Window ColourWindow(Band band, int light)
{
    static constexpr Window Table[6][3] = {
        {{187, 255}, {187, 255}, {187, 255}}, // WHITE
        {{0, 34}, {0, 34}, {153, 221}},       // RED
        {{85, 119}, {119, 153}, {0, 34}},     // GREEN
        {{153, 204}, {85, 136}, {0, 34}},     // BLUE
        {{17, 68}, {153, 204}, {187, 238}},   // YELLOW
        {{0, 34}, {0, 34}, {0, 34}},          // BLACK
    };
    return Table[static_cast<int>(band)][light];
}

Window GreyWindow(Band band)
{
    static constexpr Window Table[6] = {{204, 255}, {68, 119}, {68, 119}, {85, 136}, {119, 170}, {0, 34}};
    return Table[static_cast<int>(band)];
}

const char* LightName(int light)
{
    static constexpr const char* Names[3] = {"BLUE", "GREEN", "RED"};
    return Names[light];
}

bool DragMarksProblem(std::span<const uint8_t> image, const TestImageLayout& layout, std::string& message)
{
    auto pixel = [&](int32_t row, int32_t column) {
        return image[layout.PixelOffset + static_cast<size_t>(row) * layout.RowStride + static_cast<size_t>(column)];
    };
    for (const int32_t m : DragMarkColumns) {
        int32_t foundRow = -1;
        int32_t s = 0;
        for (int32_t row = 48; row <= 77 && foundRow < 0; ++row) {
            int dark = 0;
            for (int32_t x = m - 9; x <= m + 8; ++x) {
                if (pixel(row, x) >= 128) {
                    dark = 0;
                    continue;
                }
                if (++dark < 2)
                    continue;
                if (pixel(row, x + 1) >= 128 || pixel(row, x + 2) > 128) {
                    foundRow = row;
                    s = x - 2;
                    break;
                }
                dark = 0;
            }
        }
        if (foundRow < 0 || foundRow > 51) {
            Format(message, "Drag document not alligned at the base !");
            return true;
        }
        for (int32_t row = foundRow + 1; row <= 77; ++row) {
            int dark = 0;
            for (int32_t x = s; x <= s + 4; ++x)
                dark += pixel(row, x) < 128 ? 1 : 0;
            if (dark < 2) {
                Format(message, "Drag document not regular !");
                return true;
            }
        }
    }
    return false;
}

} // namespace

int32_t BandFirstColumn(Band band)
{
    static constexpr int32_t Columns[6] = {1142, 158, 354, 552, 740, 944};
    return Columns[static_cast<int>(band)];
}

const char* BandName(Band band)
{
    static constexpr const char* Names[6] = {"WHITE", "RED", "GREEN", "BLUE", "YELLOW", "BLACK"};
    return Names[static_cast<int>(band)];
}

std::optional<TestImageLayout> ReadTestImageLayout(std::span<const uint8_t> image)
{
    if (image.size() < 40)
        return std::nullopt;
    TestImageLayout layout;
    layout.Width = le::ReadI32(image.data() + 4);
    layout.Height = le::ReadI32(image.data() + 8);
    layout.Colour = le::ReadU16(image.data() + 14) == 24;
    layout.PixelOffset = layout.Colour ? 40 : 1064;
    layout.BytesPerPixel = layout.Colour ? 3 : 1;
    if (layout.Width <= 0 || layout.Height <= 0 || layout.Width > (1 << 20) || layout.Height > (1 << 20))
        return std::nullopt;
    layout.RowStride = (static_cast<size_t>(layout.Width) * layout.BytesPerPixel + 3) / 4 * 4;
    return layout;
}

std::optional<std::string> TestImageProblem(std::span<const uint8_t> image)
{
    const auto layout = ReadTestImageLayout(image);
    if (!layout)
        return std::string("The image has no valid bitmap header !");
    const int32_t minimumWidth = layout->Colour ? ColourMinimumWidth : GreyMinimumWidth;
    const int32_t minimumHeight = layout->Colour ? FirstProfileRow + 1 : GreyMinimumHeight;
    std::string text;
    if (layout->Width < minimumWidth)
        Format(text, "Image too narrow for the check: %d pixels, at least %d needed !", layout->Width, minimumWidth);
    else if (layout->Height < minimumHeight)
        Format(text, "Image too short for the check: %d rows, at least %d needed !", layout->Height, minimumHeight);
    else if (layout->Height > RowProfileLength)
        Format(text, "Image too tall for the check: %d rows, at most %d allowed !", layout->Height, RowProfileLength);
    else if (image.size() < layout->PixelOffset + layout->RowStride * static_cast<size_t>(layout->Height))
        Format(text, "Image truncated: %zu bytes, %zu needed !", image.size(),
               layout->PixelOffset + layout->RowStride * static_cast<size_t>(layout->Height));
    else
        return std::nullopt;
    return text;
}

bool ComputeBandStatistics(int32_t firstColumn, int32_t bandWidth, std::span<const uint8_t> image,
                           RowProfiles& profiles, BandStatistics& statistics)
{
    const auto layout = ReadTestImageLayout(image);
    if (!layout || bandWidth <= 0 || firstColumn < 0 || layout->Height <= FirstProfileRow ||
        layout->Height > RowProfileLength)
        return false;
    // The last light of the last pixel read.
    const size_t lastByte = static_cast<size_t>(firstColumn + bandWidth - 1) * layout->BytesPerPixel + 2;
    if (lastByte >= layout->RowStride ||
        image.size() < layout->PixelOffset + layout->RowStride * static_cast<size_t>(layout->Height))
        return false;
    statistics = BandStatistics{};
    std::array<long, 3> sums{};
    for (int32_t r = FirstProfileRow; r < layout->Height; ++r) {
        const uint8_t* row = image.data() + layout->PixelOffset + static_cast<size_t>(r) * layout->RowStride;
        for (int k = 0; k < 3; ++k) {
            long sum = 0;
            for (int32_t x = firstColumn; x < firstColumn + bandWidth; ++x)
                sum += row[static_cast<size_t>(x) * layout->BytesPerPixel + static_cast<size_t>(k)];
            const auto value = static_cast<uint8_t>(sum / bandWidth);
            profiles.Light[static_cast<size_t>(k)][static_cast<size_t>(r)] = value;
            LightStatistics& s = statistics.Light[static_cast<size_t>(k)];
            s.Minimum = std::min(s.Minimum, value);
            s.Maximum = std::max(s.Maximum, value);
            sums[static_cast<size_t>(k)] += value;
        }
    }
    for (size_t k = 0; k < 3; ++k)
        statistics.Light[k].Average = static_cast<uint8_t>(sums[k] / (layout->Height - FirstProfileRow));
    return true;
}

int CheckColourTestImage(std::span<const uint8_t> image, std::string& message, RowProfiles& profiles)
{
    if (auto problem = TestImageProblem(image)) {
        message = *problem;
        return 0;
    }
    for (const Band band : CheckOrder) {
        BandStatistics statistics;
        ComputeBandStatistics(BandFirstColumn(band), BandWidth, image, profiles, statistics);
        for (const int light : {RedLight, GreenLight, BlueLight}) {
            const LightStatistics& s = statistics.Light[static_cast<size_t>(light)];
            const Window window = ColourWindow(band, light);
            const int average = s.Average;
            if (average < window.Low || average > window.High) {
                if (band == Band::Red && light == RedLight)
                    Format(message, "Average %d of RED light on the RED out of range (min = %d - max = %d) !", average,
                           window.Low, window.High);
                else
                    Format(message, "Average %d of %s light on the %s is out of range (min = %d - max = %d) !",
                           average, LightName(light), BandName(band), window.Low, window.High);
                return 0;
            }
            bool failed = false;
            if (s.Minimum < average - Tolerance) {
                Format(message, "Min %d value of the %s light on the %s is minor the average %d - 0x18 !", s.Minimum,
                       LightName(light), BandName(band), average);
                failed = true;
            }
            if (s.Maximum > average + Tolerance) {
                Format(message, "Max %d value of the %s light on the %s is greater of the average %d + 0x18 !",
                       s.Maximum, LightName(light), BandName(band), average);
                return 0;
            }
            if (failed)
                return 0;
        }
    }
    return 1;
}

int16_t WhiteSpread(const BandStatistics& white)
{
    return static_cast<int16_t>(white.Light[BlueLight].Maximum - white.Light[BlueLight].Minimum);
}

int16_t WhiteMaxStep(const uint8_t* p, int32_t height)
{
    int step = 0;
    if (height <= 10)
        return 0;
    for (int32_t i = 9; i <= height - 2; ++i) {
        step = std::max({step, std::abs(p[i - 1] - p[i]), std::abs(p[i - 1] - p[i + 1]), std::abs(p[i] - p[i + 1])});
    }
    return static_cast<int16_t>(step);
}

int CheckGreyTestImage(std::span<const uint8_t> image, std::string& message, RowProfiles& profiles,
                       GreyByProducts& byProducts)
{
    byProducts = GreyByProducts{};
    if (auto problem = TestImageProblem(image)) {
        message = *problem;
        return 0;
    }
    const TestImageLayout layout = *ReadTestImageLayout(image);
    const bool marksFailed = DragMarksProblem(image, layout, message);

    BandStatistics white;
    ComputeBandStatistics(BandFirstColumn(Band::White), BandWidth, image, profiles, white);
    byProducts.WhiteSpread = WhiteSpread(white);
    byProducts.WhiteMaxStep = WhiteMaxStep(profiles.Light[BlueLight].data(), layout.Height);
    if (marksFailed)
        return 0;

    for (const Band band : CheckOrder) {
        BandStatistics statistics;
        ComputeBandStatistics(BandFirstColumn(band), BandWidth, image, profiles, statistics);
        const uint8_t* p = profiles.Light[BlueLight].data();
        bool failed = false;
        for (int32_t i = FirstProfileRow; i <= layout.Height - 2; ++i) {
            const int difference = std::abs(p[i] - p[i + 1]);
            if (difference > MaximumGreyStep) {
                Format(message, "Distance of %d pixel, between row %d and row %d, on the %s", difference, i, i + 1,
                       BandName(band));
                failed = true;
            }
        }
        const LightStatistics& s = statistics.Light[BlueLight];
        const Window window = GreyWindow(band);
        const int average = s.Average;
        if (average < window.Low || average > window.High) {
            Format(message, "Average %d of light on the %s is out of range (min = %d - max = %d) !", average,
                   BandName(band), window.Low, window.High);
            return 0;
        }
        if (s.Minimum < average - Tolerance) {
            if (band == Band::White)
                Format(message, "Min %d value of the light on the WHITE is minor the average %d - 0x18 !", s.Minimum,
                       average);
            else
                Format(message, "Min %d value of the light on the %s is minor of the average %d - 0x18 !", s.Minimum,
                       BandName(band), average);
            failed = true;
        }
        if (s.Maximum > average + Tolerance) {
            Format(message, "Max %d value of the light on the %s is greater of the average %d + 0x18 !", s.Maximum,
                   BandName(band), average);
            return 0;
        }
        if (failed)
            return 0;
    }
    return 1;
}

} // namespace bench
