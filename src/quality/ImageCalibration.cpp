#include "quality/ImageCalibration.h"

#include <algorithm>

#include "vnapi/ByteOrder.h"

namespace bench {

namespace {

constexpr size_t RowsStart = 48; // header and a two-entry palette
constexpr int32_t SetRowsOfADocumentColumn = 229;

size_t StrideOf(int32_t width) { return (static_cast<size_t>(width) + 31) / 32 * 4; }

struct OneBitImage {
    std::vector<uint8_t>& Bytes;
    int32_t Height;
    size_t Stride;
    bool Blank(int32_t column) const
    {
        int32_t set = 0;
        const size_t byte = static_cast<size_t>(column) / 8;
        const auto mask = static_cast<uint8_t>(0x80 >> (column % 8));
        for (int32_t r = 0; r < Height; ++r)
            if ((Bytes[RowsStart + static_cast<size_t>(r) * Stride + byte] & mask) != 0)
                ++set;
        return set < SetRowsOfADocumentColumn;
    }
};

// Rebuilds every row from byte `from` of the old row, copying `copy` bytes
// into rows of newStride bytes padded with 0.
void Repack(std::vector<uint8_t>& bytes, int32_t height, size_t oldStride, size_t from, size_t copy, size_t newStride)
{
    std::vector<uint8_t> rows(newStride * static_cast<size_t>(height), 0);
    for (int32_t r = 0; r < height; ++r) {
        const uint8_t* source = bytes.data() + RowsStart + static_cast<size_t>(r) * oldStride + from;
        std::copy(source, source + copy, rows.begin() + static_cast<long>(static_cast<size_t>(r) * newStride));
    }
    bytes.resize(RowsStart);
    bytes.insert(bytes.end(), rows.begin(), rows.end());
    le::WriteU32(bytes.data() + 20, static_cast<uint32_t>(rows.size()));
}

} // namespace

float TheoreticalPixels(uint32_t millimetres) { return static_cast<float>(millimetres) / 25.4f * 200.0f; }

std::optional<uint16_t> CorrectedImageCalibration(float m, float e, uint16_t value)
{
    const float t = e * 0.005f;
    const float v = value;
    int newValue = 0;
    if (m > e + t) {
        const auto q = static_cast<uint16_t>(static_cast<int32_t>((m - e) * 100.0f / e * v)) / 100;
        newValue = static_cast<uint16_t>(value + q);
    } else if (m < e - t) {
        const auto q = static_cast<uint16_t>(static_cast<int32_t>((e - m) * 100.0f / e * v)) / 100;
        newValue = static_cast<uint16_t>(value - q);
    } else {
        return std::nullopt;
    }
    return static_cast<uint16_t>(std::clamp<int>(newValue, ImageCalibrationLowest, ImageCalibrationHighest));
}

std::optional<int32_t> TrimBlankMargins(std::vector<uint8_t>& bytes)
{
    if (bytes.size() < RowsStart || le::ReadU16(bytes.data() + 14) != 1)
        return std::nullopt;
    int32_t width = le::ReadI32(bytes.data() + 4);
    const int32_t height = le::ReadI32(bytes.data() + 8);
    if (width <= 0 || height <= 0 || width > (1 << 20) ||
        (bytes.size() - RowsStart) / StrideOf(width) < static_cast<size_t>(height))
        return std::nullopt;

    size_t stride = StrideOf(width);
    auto s = static_cast<int32_t>(stride * 8);
    int32_t left = 0;
    while (left < s && OneBitImage{bytes, height, stride}.Blank(left))
        ++left;
    const int32_t bitOffset = left % 8;
    if (left != 0 && left != s) {
        width = s - left;
        const size_t newStride = StrideOf(width);
        Repack(bytes, height, stride, static_cast<size_t>(left / 8), static_cast<size_t>((s - left) / 8), newStride);
        stride = newStride;
        le::WriteI32(bytes.data() + 4, width);
    }

    s = static_cast<int32_t>(stride * 8);
    int32_t right = 0;
    while (right < s && OneBitImage{bytes, height, stride}.Blank(s - 1 - right))
        ++right;
    if (right != 0 && right != s) {
        width -= right - (s - width);
        const size_t newStride = StrideOf(width);
        if (newStride < stride)
            Repack(bytes, height, stride, 0, newStride, newStride);
        le::WriteI32(bytes.data() + 4, width);
    }
    return bitOffset;
}

int32_t MeasuredPixels(const std::vector<uint8_t>& bitmap, int32_t bitOffset)
{
    return bitmap.size() < 8 ? 0 : le::ReadI32(bitmap.data() + 4) - bitOffset;
}

} // namespace bench
