// TIFF files through libtiff.
#pragma once

#include <cstdint>

#include "vnapi/PackedBitmap.h"
#include "vnapi/VnCodes.h"

namespace imaging {

// libtiff's compression tag value written for a device TIFF type, 0 for an
// unknown type.
uint16_t TiffCompressionOf(int32_t tiffType);

// Grey level below which a pixel counts as black when a grey or colour image
// is written with a bilevel compression (grey = luminance of the pixel, or of
// its colour table entry).
constexpr uint8_t TiffBilevelThreshold = 128;

// Writes a single-page TIFF, rows top first, resolution in dots per inch
// (omitted when the image has none).
// - Type 3: uncompressed, at the image's own depth. 24 bits -> RGB; indexed
//   images with the grey ramp -> min-is-black grey of 1, 4 or 8 bits; a 1-bit
//   image whose entry 0 is white -> min-is-white; any other colour table ->
//   a palette image.
// - Types 25, 27, 28, 29: CCITT RLE, Group 3 1-D, Group 3 2-D, Group 4; always
//   1 bit, min-is-white (the fax convention). Every pixel darker than
//   TiffBilevelThreshold is black.
// Replies 0, -22 when the image is absent or broken, -9 for another type or
// no path, -19 when libtiff fails (a partly written file is removed).
int32_t SaveTiff(const PackedBitmap* image, const char* path, int32_t tiffType);

// Reads the first page of a TIFF file.
// - Bilevel (any compression libtiff decodes: none, LZW, PackBits, CCITT
//   RLE/G3/G4, ...) -> 1 bit with entry 0 black, entry 1 white, honouring
//   min-is-white and min-is-black.
// - 4 and 8-bit grey -> the same depth with the grey ramp (min-is-white
//   inverted); 1, 4 and 8-bit palette images -> the same depth and palette.
// - 8-bit RGB -> 24-bit BGR.
// - Anything else (tiles, other bit depths, YCbCr, CMYK, alpha, separate
//   planes, unusual orientations) through libtiff's RGBA reader -> 24 bits.
// Resolution from the file's tags (inch or centimetre units), 0 when absent.
// Replies -22 when the file cannot be opened, -19 when it is not a readable
// TIFF or is absurdly large. The result handle is set only on success.
int32_t LoadTiff(const char* path, ImageHandle* image);

} // namespace imaging
