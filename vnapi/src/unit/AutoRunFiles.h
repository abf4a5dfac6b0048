// The image files the unit writes itself in an automatic run with save
// mode 6: "<folder>/<base><nnnn>FF.<ext>" for the front, "...BB.<ext>" for
// the back, the number of at least four digits.
#pragma once

#include <cstdint>
#include <string>

#include "vnapi/PackedBitmap.h"

namespace virtualunit {

constexpr uint16_t SaveModeFiles = 6;
constexpr uint16_t SaveFormatJpeg = 10;
constexpr uint16_t SaveFormatBmp = 11;

// "jpg", "bmp" or "tif" (TIFF types 3, 25, 27, 28, 29); empty for a format
// that saves nothing.
std::string SaveFormatExtension(uint16_t format);

// The folder is joined to the name with '/' unless it ends with one.
std::string AutoRunFileName(const std::string& folder, const std::string& baseName, uint32_t number, bool front,
                            uint16_t format);

// The highest number in the names of the folder's files "<base><digits>FF.*"
// and "<base><digits>BB.*", 0 when there are none (or no folder). A run
// numbers its files after it, so it never overwrites an earlier run's.
uint32_t HighestAutoRunFileNumber(const std::string& folder, const std::string& baseName);

// Writes the image in the format; the reply of the save (0, -12 JPEG, -18
// BMP, -19 TIFF not created, ...).
int32_t SaveAutoRunImage(const PackedBitmap& image, const std::string& path, uint16_t format, int32_t jpegQuality);

} // namespace virtualunit
