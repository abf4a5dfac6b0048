#include "decode/DecodeImage.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "vnapi/imaging/ImagePixels.h"

namespace decode {

namespace {

constexpr double MillimetresPerInch = 25.4;

double DpiFromHeader(int32_t pelsPerMetre) { return pelsPerMetre > 0 ? pelsPerMetre * 0.0254 : DefaultDotsPerInch; }

} // namespace

Resolution ResolutionOf(const PackedBitmap& image)
{
    Resolution r;
    r.DotsPerInchX = DpiFromHeader(image.XPelsPerMeter());
    r.DotsPerInchY = DpiFromHeader(image.YPelsPerMeter());
    return r;
}

PixelRect WindowToPixels(const PackedBitmap& image, uint16_t inch, double x, double y, double width, double height)
{
    const int32_t imageWidth = std::max(image.Width(), 0);
    const int32_t imageHeight = std::max(image.Height(), 0);
    if (x == 0 && y == 0 && width == 0 && height == 0)
        return {0, 0, imageWidth, imageHeight};

    const Resolution res = ResolutionOf(image);
    const double unitX = inch ? res.DotsPerInchX : res.DotsPerInchX / MillimetresPerInch;
    const double unitY = inch ? res.DotsPerInchY : res.DotsPerInchY / MillimetresPerInch;

    // Edges as distances from the right and bottom, then as picture pixels.
    double right = imageWidth - x * unitX;
    double left = right - width * unitX;
    double bottom = imageHeight - y * unitY;
    double top = bottom - height * unitY;
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);

    const auto clampTo = [](double v, int32_t limit) {
        return static_cast<int32_t>(std::clamp(std::lround(v), 0L, static_cast<long>(limit)));
    };
    PixelRect rect;
    rect.Left = clampTo(left, imageWidth);
    rect.Top = clampTo(top, imageHeight);
    rect.Width = clampTo(right, imageWidth) - rect.Left;
    rect.Height = clampTo(bottom, imageHeight) - rect.Top;
    return rect;
}

GreyImage ExtractGrey(const PackedBitmap& image, const PixelRect& rect)
{
    GreyImage grey;
    if (rect.IsEmpty())
        return grey;
    grey.Width = rect.Width;
    grey.Height = rect.Height;
    grey.Pixels.resize(static_cast<size_t>(rect.Width) * rect.Height);

    const uint16_t bits = image.BitCount();
    std::array<uint8_t, 256> palette{};
    for (uint32_t i = 0; i < image.ColorTableEntries(); ++i) {
        const uint8_t* e = image.ColorEntry(i);
        palette[i] = imaging::Luminance(e[2], e[1], e[0]);
    }
    for (int32_t y = 0; y < rect.Height; ++y) {
        const uint8_t* row = image.Row(image.Height() - 1 - (rect.Top + y));
        uint8_t* out = grey.Pixels.data() + static_cast<size_t>(y) * rect.Width;
        for (int32_t x = 0; x < rect.Width; ++x) {
            const int32_t sx = rect.Left + x;
            if (bits == 24) {
                const uint8_t* p = row + 3 * static_cast<size_t>(sx);
                out[x] = imaging::Luminance(p[2], p[1], p[0]);
            } else {
                out[x] = palette[imaging::PixelIndex(row, sx, bits)];
            }
        }
    }
    return grey;
}

GreyImage ScaleColumns(const GreyImage& grey, double factor)
{
    GreyImage out;
    if (grey.Width <= 0 || grey.Height <= 0 || !(factor > 0))
        return out;
    out.Width = std::max(1, static_cast<int32_t>(std::lround(grey.Width * factor)));
    out.Height = grey.Height;
    out.Pixels.resize(static_cast<size_t>(out.Width) * out.Height);
    for (int32_t x = 0; x < out.Width; ++x) {
        const double sx = std::clamp((x + 0.5) / factor - 0.5, 0.0, grey.Width - 1.0);
        const int32_t x0 = static_cast<int32_t>(sx);
        const int32_t x1 = std::min(x0 + 1, grey.Width - 1);
        const double f = sx - x0;
        for (int32_t y = 0; y < out.Height; ++y)
            out.At(x, y) = static_cast<uint8_t>(std::lround(grey.At(x0, y) * (1 - f) + grey.At(x1, y) * f));
    }
    return out;
}

void DrawWindowRectangle(PackedBitmap& image, const PixelRect& rect)
{
    if (!image.IsValid() || rect.IsEmpty())
        return;
    const int32_t width = image.Width();
    const int32_t height = image.Height();
    const uint16_t bits = image.BitCount();
    const double dpi = ResolutionOf(image).DotsPerInchY;
    const int32_t thick = std::max(1, static_cast<int32_t>(std::lround(0.25 * dpi / MillimetresPerInch)));

    uint32_t darkest = 0;
    int best = 256;
    for (uint32_t i = 0; i < image.ColorTableEntries(); ++i) {
        const uint8_t* e = image.ColorEntry(i);
        const int level = imaging::Luminance(e[2], e[1], e[0]);
        if (level < best) {
            best = level;
            darkest = i;
        }
    }
    const auto plot = [&](int32_t x, int32_t y) {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        uint8_t* row = image.Row(height - 1 - y);
        if (bits == 24) {
            uint8_t* p = row + 3 * static_cast<size_t>(x);
            p[0] = 0;
            p[1] = 0;
            p[2] = 255;
        } else {
            imaging::SetPixelIndex(row, x, bits, static_cast<uint8_t>(darkest));
        }
    };
    const int32_t outerLeft = rect.Left - thick;
    const int32_t outerRight = rect.Right() + thick; // exclusive
    const int32_t outerTop = rect.Top - thick;
    const int32_t outerBottom = rect.Bottom() + thick; // exclusive
    for (int32_t t = 0; t < thick; ++t) {
        for (int32_t x = outerLeft; x < outerRight; ++x) {
            plot(x, rect.Top - 1 - t);
            plot(x, rect.Bottom() + t);
        }
        for (int32_t y = outerTop; y < outerBottom; ++y) {
            plot(rect.Left - 1 - t, y);
            plot(rect.Right() + t, y);
        }
    }
}

} // namespace decode
