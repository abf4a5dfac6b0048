#include "core/PaletteBitmap.h"

#include <cstring>

#include "vnapi/ByteOrder.h"

void WritePaletteBitmap(uint8_t* block, int32_t width, int32_t height)
{
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    le::WriteU32(block + 0, 40);
    le::WriteU32(block + 4, static_cast<uint32_t>(width));
    le::WriteU32(block + 8, static_cast<uint32_t>(height));
    le::WriteU16(block + 12, 1);
    le::WriteU16(block + 14, 8);
    le::WriteU32(block + 16, 0);
    le::WriteU32(block + 20, static_cast<uint32_t>(pixels));
    le::WriteU32(block + 24, 7874);
    le::WriteU32(block + 28, 7874);
    le::WriteU32(block + 32, 0);
    le::WriteU32(block + 36, 0);
    static constexpr uint8_t Levels[8] = {0, 36, 73, 109, 146, 182, 219, 255};
    for (unsigned i = 0; i < 256; ++i) {
        uint8_t* entry = block + 40 + 4 * i;
        entry[0] = static_cast<uint8_t>(85 * (i & 3));
        entry[1] = Levels[(i >> 2) & 7];
        entry[2] = Levels[(i >> 5) & 7];
        entry[3] = 0;
    }
    std::memset(block + PaletteBitmapHeaderSize, PaletteWhite, pixels);
}

namespace {

bool Inside(const PackedBitmap& bitmap, int32_t x, int32_t y)
{
    return x >= 0 && y >= 0 && x < bitmap.Width() && y < bitmap.Height();
}

size_t Offset(const PackedBitmap& bitmap, int32_t x, int32_t y)
{
    return PaletteBitmapHeaderSize + static_cast<size_t>(y) * static_cast<size_t>(bitmap.Width()) +
           static_cast<size_t>(x);
}

} // namespace

void SetPalettePixel(PackedBitmap& bitmap, int32_t x, int32_t y, uint8_t index)
{
    if (Inside(bitmap, x, y))
        bitmap.Bytes()[Offset(bitmap, x, y)] = index;
}

uint8_t PalettePixel(const PackedBitmap& bitmap, int32_t x, int32_t y)
{
    return Inside(bitmap, x, y) ? bitmap.Bytes()[Offset(bitmap, x, y)] : PaletteWhite;
}
