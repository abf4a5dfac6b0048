// The small palette bitmaps the signal plots are drawn into, the pixel font
// of their statistics, and the calibration trace and the signal view. Drawn
// straight into the pixel bytes, one byte a pixel; every pixel write is
// bounds-checked, so no signal can draw outside its bitmap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/PaletteBitmap.h"
#include "vnapi/PackedBitmap.h"

namespace bench {

// Palette indexes of the 3-3-2 colour cube used by the plots.
namespace PlotColor {
constexpr uint8_t Black = 0;     // axes, arrows, text
constexpr uint8_t Reference = 124; // grid and reference lines
constexpr uint8_t Sample = 132;  // samples and width dots
constexpr uint8_t WidthGrid = 182;
constexpr uint8_t Stroke = 240;  // connecting strokes of the calibration trace
constexpr uint8_t White = PaletteWhite;
} // namespace PlotColor

constexpr size_t SignalBitmapHeaderSize = PaletteBitmapHeaderSize;
constexpr int32_t CalibrationTraceHeight = 280;
constexpr int32_t SignalViewHeight = 300;
constexpr int32_t WidthPlotHeight = 300;

// count + 24, rounded up to a multiple of 4.
int32_t SignalPlotWidth(size_t count);
// basis / 14 + 24, rounded up to a multiple of 4.
int32_t WidthPlotWidth(size_t basis);

// A zeroed block of 1064 + width x height bytes, or none when the memory
// cannot be had.
std::optional<PackedBitmap> AllocateSignalBitmap(int32_t height, int32_t width);

// Header (8 bits, 200 dpi, bottom row first), the 3-3-2 palette, every pixel
// white. False, block untouched, when the block is too small or width is not
// a positive multiple of 4.
bool NewSignalBitmap(PackedBitmap& block, int32_t height, int32_t width);

// Sets one pixel (row 0 at the bottom) when it lies inside the bitmap.
void SetPlotPixel(PackedBitmap& bitmap, int32_t row, int32_t column, uint8_t index);
uint8_t PlotPixel(const PackedBitmap& bitmap, int32_t row, int32_t column);
void FillPlotRow(PackedBitmap& bitmap, int32_t row, uint8_t index);
void FillPlotColumn(PackedBitmap& bitmap, int32_t column, uint8_t index);

// One character of the pixel font, upwards and rightwards from its
// bottom-left pixel (x, y), in black. pixels is the bottom row of a bitmap
// with rows of rowLength bytes and rowCount rows. Characters outside the font
// draw nothing.
void DrawGlyph(uint8_t* pixels, int32_t rowLength, int32_t rowCount, int32_t x, int32_t y, char character);
void DrawGlyph(PackedBitmap& bitmap, int32_t x, int32_t y, char character);

// A value drawn from x: 7 pixels a character, 5 after a '1', 3 after a '.'
// when shortDot is set.
void DrawPlotText(PackedBitmap& bitmap, int32_t x, int32_t y, const std::string& text, bool shortDot);

// Traces of the first count samples into bitmaps made by NewSignalBitmap.
void DrawCalibrationTrace(const uint8_t* samples, size_t count, PackedBitmap& bitmap);
void DrawSignalView(const uint8_t* samples, size_t count, PackedBitmap& bitmap);

// The plots, made whole: none when there is nothing to draw or the memory
// cannot be had. The signal view takes the samples up to the first 0.
std::optional<PackedBitmap> MakeCalibrationTrace(const uint8_t* samples, size_t length);
std::optional<PackedBitmap> MakeSignalView(const uint8_t* samples, size_t capacity);

// Captions of the plot windows.
std::string CalibrationTraceCaption(int docCount, float percent, int trimmer);
std::string SpeedWidthCaption(int widthMin, int widthMax);
std::string TimeSampleWidthCaption(int timeSample, int widthMin, int widthMax);
inline const char* SignalViewCaption() { return "Bitmap Segnale E13B"; }

} // namespace bench
