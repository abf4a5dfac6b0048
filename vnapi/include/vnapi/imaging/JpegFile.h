// JPEG files through libjpeg-turbo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vnapi/PackedBitmap.h"

namespace imaging {

// The device's quality runs from 2 (smallest file) to 255 (best picture);
// it maps linearly onto libjpeg's 1..100: q = 1 + round((quality - 2) * 99 / 253),
// so 2 -> 1, 128 -> 50, 255 -> 100. Values outside 2..255 are clamped first.
int32_t JpegQualityFromDevice(int32_t quality);

// Compresses the image. An image whose colour table is all grey (every 1 and
// 4-bit image the unit makes, 8-bit grey) becomes a one-component grayscale
// JPEG of its grey levels; 24 bits and colour tables become a colour JPEG. The
// resolution goes into the JFIF header in dots per inch (omitted when 0).
// Replies 0, -22 when the image is absent or broken, -9 without output, -12
// when the encoder fails.
int32_t EncodeJpeg(const PackedBitmap* image, int32_t quality, std::vector<uint8_t>* file);

// Writes the file; -12 when it cannot be written.
int32_t SaveJpeg(const PackedBitmap* image, int32_t quality, const char* path);

// Decompresses a JPEG held in memory: grayscale -> 8 bits with the grey ramp,
// colour (also CMYK/YCCK) -> 24-bit BGR; resolution from the JFIF density (0
// when the file gives only an aspect ratio). Replies -12 on any decoding
// failure or absurd size. The result handle is set only on success.
int32_t DecodeJpeg(const uint8_t* data, size_t size, ImageHandle* image);

// Reads a JPEG file: -22 when it cannot be opened, else as DecodeJpeg.
int32_t LoadJpeg(const char* path, ImageHandle* image);

} // namespace imaging
