// Pixel access shared by the image files and operations: packed indexes of
// 1, 4 and 8-bit rows, grey levels through the colour table, size limits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "vnapi/PackedBitmap.h"

namespace imaging {

// Far beyond any scanned document; keeps every size computation small and
// rejects absurd headers before anything is allocated.
constexpr int32_t MaxImageSide = 65535;
constexpr size_t MaxPixelBytes = size_t{1} << 28;

// An image of this size whose rows take bitsPerPixel bits a pixel (padded to
// four bytes) stays within MaxPixelBytes and MaxImageSide. Headers are checked
// with it before anything is allocated for their pixels.
constexpr bool FitsPixelBudget(uint64_t width, uint64_t height, uint32_t bitsPerPixel)
{
    if (width == 0 || height == 0 || width > MaxImageSide || height > MaxImageSide || bitsPerPixel == 0 ||
        bitsPerPixel > 32)
        return false;
    const uint64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    return rowBytes * height <= MaxPixelBytes;
}

// Resolution assumed by operations measured in millimetres or inches when the
// image carries none.
constexpr int32_t AssumedDpi = 200;

inline uint8_t PixelIndex(const uint8_t* row, int32_t x, uint16_t bits)
{
    switch (bits) {
    case 1:
        return static_cast<uint8_t>((row[x >> 3] >> (7 - (x & 7))) & 1u);
    case 4:
        return static_cast<uint8_t>((x & 1) ? (row[x >> 1] & 0x0f) : (row[x >> 1] >> 4));
    default:
        return row[x];
    }
}

inline void SetPixelIndex(uint8_t* row, int32_t x, uint16_t bits, uint8_t value)
{
    switch (bits) {
    case 1: {
        const uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>(value ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask));
        break;
    }
    case 4:
        if (x & 1)
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xf0) | (value & 0x0f));
        else
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0f) | (value << 4));
        break;
    default:
        row[x] = value;
        break;
    }
}

// Weights 77 + 150 + 29 = 256, so white stays 255 and black 0.
inline uint8_t Luminance(uint8_t red, uint8_t green, uint8_t blue)
{
    return static_cast<uint8_t>((77u * red + 150u * green + 29u * blue + 128u) >> 8);
}

// A usable image: present and with every row in its block.
inline bool IsUsable(const PackedBitmap* image) { return image != nullptr && image->IsValid(); }

// Grey level of every pixel, width x height bytes in stored row order (bottom
// row first, no padding). Indexed pixels take the luminance of their entry.
std::vector<uint8_t> GreyPlane(const PackedBitmap& image);

// Grey level of each colour table entry (empty for 24 bits).
std::vector<uint8_t> PaletteGreys(const PackedBitmap& image);

// The colour table is the plain ramp entry i = i * 255 / (2^bits - 1).
bool HasGreyRamp(const PackedBitmap& image);
// Every entry of the colour table is a grey (red = green = blue).
bool HasGreyPalette(const PackedBitmap& image);

// An empty image of the given size and depth with the source's resolution.
// Indexed depths get the grey ramp (1 bit: entry 0 black, entry 1 white).
std::unique_ptr<PackedBitmap> CreateWithResolutionOf(const PackedBitmap& source, int32_t width, int32_t height,
                                                     uint16_t bitCount);

// Horizontal and vertical resolution in dots per inch, AssumedDpi when absent.
int32_t HorizontalDpiOrDefault(const PackedBitmap& image);
int32_t VerticalDpiOrDefault(const PackedBitmap& image);

} // namespace imaging
