// The image quality check of a scanned colour test document: per-band row
// profiles of the three lights, their windows, and the drag marks of a grey
// image. Pure computation over the bytes of a packed bitmap.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace bench {

constexpr int32_t RowProfileLength = 864;
constexpr int32_t BandWidth = 80;
constexpr int32_t FirstProfileRow = 8;

// Light k of a pixel is its k-th byte: 0 blue, 1 green, 2 red.
enum Light : int { BlueLight = 0, GreenLight = 1, RedLight = 2 };

// Entry r of each profile is the band average of row r for the band last
// measured; entries 0 to 7 are never written.
struct RowProfiles {
    std::array<std::array<uint8_t, RowProfileLength>, 3> Light{}; // indexed by Light
    void Clear() { Light = {}; }
};

struct LightStatistics {
    uint8_t Minimum = 255;
    uint8_t Maximum = 0;
    uint8_t Average = 0;
};

struct BandStatistics {
    std::array<LightStatistics, 3> Light; // indexed by Light
};

// The bands of the test document, in the order the checks take them.
enum class Band { White, Red, Green, Blue, Yellow, Black };
constexpr std::array<Band, 6> CheckOrder{Band::White, Band::Red, Band::Green, Band::Blue, Band::Yellow, Band::Black};
int32_t BandFirstColumn(Band band);
const char* BandName(Band band); // in capitals, as the messages name it

constexpr std::array<int32_t, 7> DragMarkColumns{60, 299, 496, 693, 890, 1087, 1327};

// The header fields the check reads, and where the pixel rows are.
struct TestImageLayout {
    int32_t Width = 0;
    int32_t Height = 0;
    bool Colour = false;
    size_t PixelOffset = 0;
    size_t BytesPerPixel = 0;
    size_t RowStride = 0;
};
std::optional<TestImageLayout> ReadTestImageLayout(std::span<const uint8_t> image);

// Why the image cannot be checked (too small a buffer, too narrow, too short
// or too tall), or none when every pixel and profile entry the check reads is
// there. The minimum width is that of the colour or the grey check.
std::optional<std::string> TestImageProblem(std::span<const uint8_t> image);

// Fills rows 8 to height - 1 of the profiles and the statistics of the band
// starting at firstColumn. False, nothing written, when the band or the rows
// do not lie inside the image and the profiles.
bool ComputeBandStatistics(int32_t firstColumn, int32_t bandWidth, std::span<const uint8_t> image,
                           RowProfiles& profiles, BandStatistics& statistics);

// 1 pass, 0 fail; the reason of a failure is left in message.
int CheckColourTestImage(std::span<const uint8_t> image, std::string& message, RowProfiles& profiles);

struct GreyByProducts {
    int16_t WhiteSpread = 0;
    int16_t WhiteMaxStep = 0;
};
int CheckGreyTestImage(std::span<const uint8_t> image, std::string& message, RowProfiles& profiles,
                       GreyByProducts& byProducts);

// The WHITE band's grey maximum minus its minimum.
int16_t WhiteSpread(const BandStatistics& white);
// Largest difference between profile rows one or two apart over rows 8 to
// height - 1; 0 for images of 10 rows or fewer.
int16_t WhiteMaxStep(const uint8_t* greyProfile, int32_t height);

} // namespace bench
