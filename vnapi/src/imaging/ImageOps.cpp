#include "imaging/ImageOps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "vnapi/VnCodes.h"
#include "vnapi/imaging/ImagePixels.h"

namespace imaging {

// ---- Conversion to black and white ------------------------------------------

int32_t AdaptiveWindowSide(uint16_t filter, int32_t dotsPerInch)
{
    const int32_t f = std::clamp<int32_t>(filter, AdaptiveFilterMin, AdaptiveFilterMax);
    const int32_t dpi = dotsPerInch > 0 ? std::min(dotsPerInch, 100000) : AssumedDpi;
    const int32_t side = static_cast<int32_t>((static_cast<int64_t>(f) * dpi + 500) / 1000);
    return std::max(3, side | 1);
}

uint8_t ThresholdOfLevel(uint16_t level)
{
    return static_cast<uint8_t>(16 * std::min(level, ThresholdLevelMax) + 8);
}

std::vector<uint8_t> AdaptiveBlackMask(const std::vector<uint8_t>& grey, int32_t width, int32_t height,
                                       int32_t windowSide)
{
    std::vector<uint8_t> black(grey.size(), 0);
    if (width <= 0 || height <= 0 || grey.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return black;
    const int32_t half = std::max(windowSide, 1) / 2;
    const size_t w = static_cast<size_t>(width);

    // Running column sums over the rows of the window, then a running sum of
    // those along the row: every pixel's window mean in constant time.
    std::vector<uint32_t> columnSums(w, 0);
    std::vector<uint64_t> prefix(w + 1, 0);
    const auto addRow = [&](int32_t r, bool add) {
        const uint8_t* row = grey.data() + static_cast<size_t>(r) * w;
        for (size_t x = 0; x < w; ++x)
            columnSums[x] = add ? columnSums[x] + row[x] : columnSums[x] - row[x];
    };
    for (int32_t r = 0; r < std::min(half, height); ++r)
        addRow(r, true);

    for (int32_t r = 0; r < height; ++r) {
        if (r + half < height)
            addRow(r + half, true);
        if (r - half - 1 >= 0)
            addRow(r - half - 1, false);
        const int64_t rows = std::min(r + half, height - 1) - std::max(r - half, 0) + 1;
        for (size_t x = 0; x < w; ++x)
            prefix[x + 1] = prefix[x] + columnSums[x];

        const uint8_t* row = grey.data() + static_cast<size_t>(r) * w;
        uint8_t* out = black.data() + static_cast<size_t>(r) * w;
        for (int32_t x = 0; x < width; ++x) {
            const int32_t left = std::max(x - half, 0);
            const int32_t right = std::min(x + half, width - 1);
            const int64_t count = rows * (right - left + 1);
            const int64_t sum = static_cast<int64_t>(prefix[static_cast<size_t>(right) + 1] - prefix[left]);
            // grey < mean * (100 - p) / 100, kept in integers.
            const bool darker = static_cast<int64_t>(row[x]) * 100 * count < sum * (100 - AdaptiveDarkerPercent);
            out[x] = darker || row[x] < AdaptiveAlwaysBlack ? 1 : 0;
        }
    }
    return black;
}

int32_t ConvertImageToBW(int32_t method, const PackedBitmap* source, ImageHandle* result, uint16_t parameter)
{
    if (result == nullptr)
        return VnReplyInvalidCommand;
    if (!IsUsable(source))
        return VnReplyImageNotPresent;
    if (method != BwAdaptiveMethod && method != BwThresholdMethod)
        return VnReplyInvalidCommand;

    const int32_t width = source->Width();
    const int32_t height = source->Height();
    const std::vector<uint8_t> grey = GreyPlane(*source);
    std::vector<uint8_t> black;
    if (method == BwAdaptiveMethod) {
        const int32_t side = AdaptiveWindowSide(parameter, HorizontalDpiOrDefault(*source));
        black = AdaptiveBlackMask(grey, width, height, side);
    } else {
        const uint8_t threshold = ThresholdOfLevel(parameter);
        black.resize(grey.size());
        for (size_t i = 0; i < grey.size(); ++i)
            black[i] = grey[i] < threshold ? 1 : 0;
    }

    auto image = CreateWithResolutionOf(*source, width, height, 1);
    if (!image)
        return VnReplyImageNotPresent;
    for (int32_t r = 0; r < height; ++r) {
        uint8_t* row = image->Row(r);
        const uint8_t* mask = black.data() + static_cast<size_t>(r) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x) {
            if (!mask[x])
                SetPixelIndex(row, x, 1, 1);
        }
    }
    *result = std::move(image);
    return VnReplyOk;
}

// ---- Brightness and contrast -----------------------------------------------

namespace {

uint8_t ClipToByte(double value) { return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

int32_t ApplyToneTable(const PackedBitmap* source, const std::array<uint8_t, 256>& table, ImageHandle* result)
{
    if (result == nullptr)
        return VnReplyInvalidCommand;
    if (!IsUsable(source))
        return VnReplyImageNotPresent;
    auto image = std::make_unique<PackedBitmap>(source->Bytes());
    const uint16_t bits = image->BitCount();
    if (bits == 24 || (bits == 8 && HasGreyRamp(*image))) {
        const size_t rowBytes = static_cast<size_t>(image->Width()) * (bits / 8);
        for (int32_t r = 0; r < image->Height(); ++r) {
            uint8_t* row = image->Row(r);
            for (size_t i = 0; i < rowBytes; ++i)
                row[i] = table[row[i]];
        }
    } else {
        for (uint32_t i = 0; i < image->ColorTableEntries(); ++i) {
            uint8_t* e = image->ColorEntry(i);
            e[0] = table[e[0]];
            e[1] = table[e[1]];
            e[2] = table[e[2]];
        }
    }
    *result = std::move(image);
    return VnReplyOk;
}

} // namespace

std::array<uint8_t, 256> BrightnessTable(int32_t value)
{
    const int32_t v = std::clamp(value, -ToneValueLimit, ToneValueLimit);
    const double offset = std::round(v * 255.0 / ToneValueLimit);
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = ClipToByte(i + offset);
    return table;
}

std::array<uint8_t, 256> ContrastTable(int32_t value)
{
    const int32_t v = std::clamp(value, -ToneValueLimit, ToneValueLimit);
    const double factor = v <= 0 ? (ToneValueLimit + v) / double(ToneValueLimit)
                                 : ToneValueLimit / double(ToneValueLimit - std::min(v, ToneValueLimit - 1));
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = ClipToByte(127.5 + (i - 127.5) * factor);
    return table;
}

int32_t ImageBrightness(const PackedBitmap* source, int32_t value, ImageHandle* result)
{
    return ApplyToneTable(source, BrightnessTable(value), result);
}

int32_t ImageContrast(const PackedBitmap* source, int32_t value, ImageHandle* result)
{
    return ApplyToneTable(source, ContrastTable(value), result);
}

// ---- Cutting ------------------------------------------------------------------

namespace {

// Rounded pixel count of a length; NaN and absurd lengths saturate far
// outside any image so clipping handles them.
int64_t ToPixels(double length, double pixelsPerUnit)
{
    const double pixels = length * pixelsPerUnit;
    if (std::isnan(pixels))
        return 0;
    return std::llround(std::clamp(pixels, -1e12, 1e12));
}

} // namespace

bool CutWindowInPixels(int32_t imageWidth, int32_t imageHeight, int32_t dotsPerInchX, int32_t dotsPerInchY,
                       uint16_t inch, float x, float y, float width, float height, PixelWindow* window)
{
    if (window == nullptr || inch > 1 || imageWidth <= 0 || imageHeight <= 0)
        return false;
    if (std::isnan(x) || std::isnan(y) || std::isnan(width) || std::isnan(height) || !(width > 0) ||
        !(height > 0))
        return false;
    const double unitsPerInch = inch ? 1.0 : 25.4;
    const double perUnitX = (dotsPerInchX > 0 ? dotsPerInchX : AssumedDpi) / unitsPerInch;
    const double perUnitY = (dotsPerInchY > 0 ? dotsPerInchY : AssumedDpi) / unitsPerInch;

    const int64_t right = std::min<int64_t>(imageWidth - ToPixels(x, perUnitX), imageWidth);
    const int64_t left = std::max<int64_t>(imageWidth - ToPixels(double(x) + width, perUnitX), 0);
    const int64_t bottom = std::max<int64_t>(ToPixels(y, perUnitY), 0);
    const int64_t top = std::min<int64_t>(ToPixels(double(y) + height, perUnitY), imageHeight);
    if (right <= left || top <= bottom)
        return false;
    window->Left = static_cast<int32_t>(left);
    window->Bottom = static_cast<int32_t>(bottom);
    window->Width = static_cast<int32_t>(right - left);
    window->Height = static_cast<int32_t>(top - bottom);
    return true;
}

int32_t CutImage(const PackedBitmap* source, uint16_t inch, float x, float y, float width, float height,
                 ImageHandle* result)
{
    if (result == nullptr)
        return VnReplyInvalidCommand;
    if (!IsUsable(source))
        return VnReplyImageNotPresent;
    PixelWindow window;
    if (!CutWindowInPixels(source->Width(), source->Height(), HorizontalDpiOrDefault(*source),
                           VerticalDpiOrDefault(*source), inch, x, y, width, height, &window))
        return VnReplyInvalidCommand;

    const uint16_t bits = source->BitCount();
    auto image = CreateWithResolutionOf(*source, window.Width, window.Height, bits);
    if (!image)
        return VnReplyImageNotPresent;
    if (const uint32_t entries = source->ColorTableEntries(); entries > 0)
        std::memcpy(image->ColorEntry(0), source->ColorEntry(0), 4u * entries);
    for (int32_t r = 0; r < window.Height; ++r) {
        const uint8_t* in = source->Row(window.Bottom + r);
        uint8_t* out = image->Row(r);
        if (bits == 24) {
            std::memcpy(out, in + 3 * static_cast<size_t>(window.Left), 3 * static_cast<size_t>(window.Width));
        } else if (bits == 8) {
            std::memcpy(out, in + window.Left, static_cast<size_t>(window.Width));
        } else {
            for (int32_t c = 0; c < window.Width; ++c)
                SetPixelIndex(out, c, bits, PixelIndex(in, window.Left + c, bits));
        }
    }
    *result = std::move(image);
    return VnReplyOk;
}

} // namespace imaging
