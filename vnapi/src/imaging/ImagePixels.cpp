#include "vnapi/imaging/ImagePixels.h"

namespace imaging {

std::vector<uint8_t> PaletteGreys(const PackedBitmap& image)
{
    const uint32_t entries = image.ColorTableEntries();
    std::vector<uint8_t> greys(entries);
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* e = image.ColorEntry(i);
        greys[i] = Luminance(e[2], e[1], e[0]);
    }
    return greys;
}

std::vector<uint8_t> GreyPlane(const PackedBitmap& image)
{
    const int32_t width = image.Width();
    const int32_t height = image.Height();
    const uint16_t bits = image.BitCount();
    std::vector<uint8_t> plane(static_cast<size_t>(width) * static_cast<size_t>(height));
    const std::vector<uint8_t> greys = PaletteGreys(image);
    for (int32_t r = 0; r < height; ++r) {
        const uint8_t* row = image.Row(r);
        uint8_t* out = plane.data() + static_cast<size_t>(r) * static_cast<size_t>(width);
        if (bits == 24) {
            for (int32_t x = 0; x < width; ++x)
                out[x] = Luminance(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        } else {
            for (int32_t x = 0; x < width; ++x)
                out[x] = greys[PixelIndex(row, x, bits)];
        }
    }
    return plane;
}

bool HasGreyRamp(const PackedBitmap& image)
{
    const uint32_t entries = image.ColorTableEntries();
    if (entries < 2)
        return false;
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t level = static_cast<uint8_t>((i * 255u) / (entries - 1));
        const uint8_t* e = image.ColorEntry(i);
        if (e[0] != level || e[1] != level || e[2] != level)
            return false;
    }
    return true;
}

bool HasGreyPalette(const PackedBitmap& image)
{
    const uint32_t entries = image.ColorTableEntries();
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* e = image.ColorEntry(i);
        if (e[0] != e[1] || e[1] != e[2])
            return false;
    }
    return entries > 0;
}

std::unique_ptr<PackedBitmap> CreateWithResolutionOf(const PackedBitmap& source, int32_t width, int32_t height,
                                                     uint16_t bitCount)
{
    auto image = PackedBitmap::Create(width, height, bitCount, 0);
    if (image)
        image->SetResolution(source.XPelsPerMeter(), source.YPelsPerMeter());
    return image;
}

namespace {
int32_t DpiOrDefault(int32_t pelsPerMeter)
{
    const int32_t dpi = pelsPerMeter > 0 ? PackedBitmap::PelsPerMeterToDpi(pelsPerMeter) : 0;
    return dpi > 0 ? dpi : AssumedDpi;
}
} // namespace

int32_t HorizontalDpiOrDefault(const PackedBitmap& image) { return DpiOrDefault(image.XPelsPerMeter()); }
int32_t VerticalDpiOrDefault(const PackedBitmap& image) { return DpiOrDefault(image.YPelsPerMeter()); }

} // namespace imaging
