// Image operations of the device library. Each makes a new image and leaves
// its source untouched; the result handle is set only on success. Replies:
// 0, -22 when the source is absent or broken, -9 for an invalid argument
// (unknown method, no result handle, an empty cut window).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "vnapi/PackedBitmap.h"

namespace imaging {

// ---- Conversion to black and white ------------------------------------------
//
// The result is always 1 bit (entry 0 black, entry 1 white) with the source's
// size and resolution. Pixels are judged by their grey level (luminance of the
// pixel or of its colour table entry).
//
// Method 4, adaptive: the parameter is the filter value 50..600 (clamped), the
// side of a square window in thousandths of an inch. At the image's
// horizontal resolution (200 dpi when it has none) the window is
// round(filter * dpi / 1000) pixels, made odd, at least 3, centred on each
// pixel and clipped to the image. A pixel is black when its grey level is more
// than 15 % below the mean grey of its window (grey * 100 < mean * 85), or
// when it is darker than 40 whatever its surroundings. Shading and uneven
// lighting change slowly across the window and so vanish; ink stays.
//
// Method 6, global threshold: the parameter is a level k of 0..15 (clamped);
// a pixel is black when its grey level is below 16 * k + 8, the middle of the
// k-th of sixteen grey bands (k 8 -> 136).
constexpr int32_t BwAdaptiveMethod = 4;
constexpr int32_t BwThresholdMethod = 6;
constexpr uint16_t AdaptiveFilterMin = 50;
constexpr uint16_t AdaptiveFilterMax = 600;
constexpr int32_t AdaptiveDarkerPercent = 15;
constexpr uint8_t AdaptiveAlwaysBlack = 40;
constexpr uint16_t ThresholdLevelMax = 15;

int32_t ConvertImageToBW(int32_t method, const PackedBitmap* source, ImageHandle* result, uint16_t parameter);

// Window side in pixels of method 4 for a filter value (clamped) and a
// resolution (dots per inch, 200 when not positive).
int32_t AdaptiveWindowSide(uint16_t filter, int32_t dotsPerInch);
// Grey threshold of method 6 for a level (clamped).
uint8_t ThresholdOfLevel(uint16_t level);

// Method 4 over a plain grey plane of width x height bytes: one byte per
// pixel, 1 where the pixel is black.
std::vector<uint8_t> AdaptiveBlackMask(const std::vector<uint8_t>& grey, int32_t width, int32_t height,
                                       int32_t windowSide);

// ---- Brightness and contrast -----------------------------------------------
//
// Values run from -1000 to 1000; values outside are clamped. Both work
// through a 256-entry tone table applied to each colour channel:
// - brightness: out = in + round(value * 255 / 1000), clipped to 0..255, so
//   1000 makes everything white and -1000 everything black;
// - contrast: out = 127.5 + (in - 127.5) * f, rounded and clipped, with
//   f = (1000 + value) / 1000 for value <= 0 (down to a flat mid grey at
//   -1000) and f = 1000 / (1000 - value) above 0 (value 999 and 1000 give
//   f = 1000: a hard step between 127 and 128).
// A 24-bit image and an 8-bit image with the grey ramp change their pixels
// (the ramp stays); 1 and 4-bit images and other colour tables change their
// colour table entries and keep their pixel indexes. Depth, size and
// resolution are kept.
constexpr int32_t ToneValueLimit = 1000;

std::array<uint8_t, 256> BrightnessTable(int32_t value);
std::array<uint8_t, 256> ContrastTable(int32_t value);

int32_t ImageBrightness(const PackedBitmap* source, int32_t value, ImageHandle* result);
int32_t ImageContrast(const PackedBitmap* source, int32_t value, ImageHandle* result);

// ---- Cutting ------------------------------------------------------------------
//
// The window is measured from the image's right and bottom edges: x is the
// distance of the window's right edge from the image's right edge, y that of
// its bottom edge from the image's bottom edge, in millimetres (inch 0) or
// inches (inch 1). Lengths become pixels at the image's horizontal (x, width)
// and vertical (y, height) resolution, 200 dpi when it has none; each edge is
// rounded to the nearest pixel on its own, so adjacent windows tile. The
// window is clipped to the image; an empty one (nothing left after clipping,
// a width or height not above 0, an inch value other than 0 and 1) replies
// -9. The result keeps the depth, colour table and resolution.

// A window in pixels: Left is the first column from the image's left edge,
// Bottom the first stored row (row 0 is the picture's bottom row).
struct PixelWindow {
    int32_t Left = 0;
    int32_t Bottom = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// The clipped window in pixels; false when it is empty.
bool CutWindowInPixels(int32_t imageWidth, int32_t imageHeight, int32_t dotsPerInchX, int32_t dotsPerInchY,
                       uint16_t inch, float x, float y, float width, float height, PixelWindow* window);

int32_t CutImage(const PackedBitmap* source, uint16_t inch, float x, float y, float width, float height,
                 ImageHandle* result);

} // namespace imaging
