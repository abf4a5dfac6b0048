// BMP files: the 14-byte file header followed by the packed bitmap exactly as
// it is held, and the reading of uncompressed BMP files of 1, 4, 8 and 24 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vnapi/PackedBitmap.h"

namespace imaging {

constexpr size_t BmpFileHeaderSize = 14;

// The file's bytes: "BM", file size, two reserved words 0, pixel offset
// 54 + colour table size, then header, colour table and every pixel row of the
// image. Replies 0, -22 when the image is absent or broken, -18 when its
// header's image size claims more bytes than the block holds, -9 without
// output.
int32_t EncodeBmp(const PackedBitmap* image, std::vector<uint8_t>* file);

// Writes the file; -18 when it cannot be written.
int32_t SaveBmp(const PackedBitmap* image, const char* path);

// Reads a BMP file held in memory: information headers of 40, 52, 56, 108 or
// 124 bytes, uncompressed, 1, 4, 8 or 24 bits, bottom-up or top-down rows. A
// short colour table is completed with black entries; the result is always
// bottom-up. Every field is checked against the data before use; anything
// else (other compressions, truncation, absurd sizes) replies -18. The result
// handle is set only on success.
int32_t DecodeBmp(const uint8_t* data, size_t size, ImageHandle* image);

// Reads a BMP file: -22 when it cannot be opened, else as DecodeBmp.
int32_t LoadBmp(const char* path, ImageHandle* image);

} // namespace imaging
