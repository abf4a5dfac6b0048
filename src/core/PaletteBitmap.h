// The small 8-bit bitmaps the service plots are drawn into: a 40-byte header
// (200 dpi, bottom row first), the 3-3-2 colour cube as palette, one byte a
// pixel. Pixel (x, y) counts from the bottom-left; reads and writes outside
// the picture are ignored, so no plot can draw outside its bitmap.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vnapi/PackedBitmap.h"

constexpr size_t PaletteBitmapHeaderSize = 40 + 256 * 4;
constexpr uint8_t PaletteWhite = 255;

// Writes header and palette into a block of at least PaletteBitmapHeaderSize
// + width x height bytes and paints every pixel white.
void WritePaletteBitmap(uint8_t* block, int32_t width, int32_t height);

void SetPalettePixel(PackedBitmap& bitmap, int32_t x, int32_t y, uint8_t index);
// White outside the picture.
uint8_t PalettePixel(const PackedBitmap& bitmap, int32_t x, int32_t y);
