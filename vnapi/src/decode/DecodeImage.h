// The image side of the optical decodes: where a decode window lies on a
// packed bitmap, the window as grey levels, and the window drawn onto the
// image for "View OCR Rectangle". No Qt.
#pragma once

#include <cstdint>
#include <vector>

#include "vnapi/PackedBitmap.h"

namespace decode {

// A resolution of 0 in the header reads as this.
constexpr int32_t DefaultDotsPerInch = 200;

// Pixel rectangle with row 0 at the top of the picture (the stored rows are
// bottom first; the decodes think top down like the document).
struct PixelRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    bool IsEmpty() const { return Width <= 0 || Height <= 0; }
    int32_t Right() const { return Left + Width; }  // exclusive
    int32_t Bottom() const { return Top + Height; } // exclusive
    bool operator==(const PixelRect&) const = default;
};

struct Resolution {
    double DotsPerInchX = DefaultDotsPerInch;
    double DotsPerInchY = DefaultDotsPerInch;
};
Resolution ResolutionOf(const PackedBitmap& image);

// A decode window in the codeline convention: x is the distance of the
// window's right edge from the image's right edge, y the distance of its
// bottom edge from the image's bottom edge, in millimetres (inch 0) or inches
// (inch 1). A window of four zeros is the whole image; a negative width or
// height extends the window the other way from its edge. The result is
// clipped to the image and may be empty.
PixelRect WindowToPixels(const PackedBitmap& image, uint16_t inch, double x, double y, double width, double height);

// 8-bit grey levels (0 black, 255 white), row 0 at the top.
struct GreyImage {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Pixels;
    uint8_t At(int32_t x, int32_t y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
    uint8_t& At(int32_t x, int32_t y) { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

// The rectangle of a valid image as grey levels: 1, 4 and 8 bits through
// their colour table, 24 bits by luminance. rect must lie inside the image.
GreyImage ExtractGrey(const PackedBitmap& image, const PixelRect& rect);

// Stretches the columns by factor (linear), for images whose horizontal and
// vertical resolutions differ.
GreyImage ScaleColumns(const GreyImage& grey, double factor);

// Draws the outline of rect just outside it (so that decoding the same
// window again does not see it), about a quarter millimetre thick, in the
// darkest colour of the table, or red in a 24-bit image. Sides that fall
// outside the image are left out.
void DrawWindowRectangle(PackedBitmap& image, const PixelRect& rect);

} // namespace decode
