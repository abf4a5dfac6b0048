#include "vnapi/PackedBitmap.h"

#include "vnapi/ByteOrder.h"

std::unique_ptr<PackedBitmap> PackedBitmap::Create(int32_t width, int32_t height, uint16_t bitCount,
                                                   int32_t dotsPerInch)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    const uint32_t entries = bitCount <= 8 ? (1u << bitCount) : 0u;
    const size_t stride = StrideFor(width, bitCount);
    const size_t pixels = stride * static_cast<size_t>(height);
    std::vector<uint8_t> bytes(HeaderSize + 4u * entries + pixels, 0);
    uint8_t* h = bytes.data();
    le::WriteU32(h + 0, HeaderSize);
    le::WriteI32(h + 4, width);
    le::WriteI32(h + 8, height);
    le::WriteU16(h + 12, 1);
    le::WriteU16(h + 14, bitCount);
    le::WriteU32(h + 16, 0);
    le::WriteU32(h + 20, static_cast<uint32_t>(pixels));
    const int32_t ppm = DpiToPelsPerMeter(dotsPerInch);
    le::WriteI32(h + 24, ppm);
    le::WriteI32(h + 28, ppm);
    le::WriteU32(h + 32, 0);
    le::WriteU32(h + 36, 0);
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t level = static_cast<uint8_t>(entries == 1 ? 0 : (i * 255u) / (entries - 1));
        uint8_t* e = h + HeaderSize + 4u * i;
        e[0] = e[1] = e[2] = level;
        e[3] = 0;
    }
    return std::make_unique<PackedBitmap>(std::move(bytes));
}

uint32_t PackedBitmap::HeaderBytes() const { return Data.size() >= HeaderSize ? le::ReadU32(Data.data()) : 0; }
int32_t PackedBitmap::Width() const { return Data.size() >= HeaderSize ? le::ReadI32(Data.data() + 4) : 0; }
int32_t PackedBitmap::Height() const { return Data.size() >= HeaderSize ? le::ReadI32(Data.data() + 8) : 0; }
uint16_t PackedBitmap::BitCount() const { return Data.size() >= HeaderSize ? le::ReadU16(Data.data() + 14) : 0; }
uint32_t PackedBitmap::Compression() const { return Data.size() >= HeaderSize ? le::ReadU32(Data.data() + 16) : 0; }
uint32_t PackedBitmap::ImageSize() const { return Data.size() >= HeaderSize ? le::ReadU32(Data.data() + 20) : 0; }
int32_t PackedBitmap::XPelsPerMeter() const { return Data.size() >= HeaderSize ? le::ReadI32(Data.data() + 24) : 0; }
int32_t PackedBitmap::YPelsPerMeter() const { return Data.size() >= HeaderSize ? le::ReadI32(Data.data() + 28) : 0; }

void PackedBitmap::SetResolution(int32_t xPelsPerMeter, int32_t yPelsPerMeter)
{
    if (Data.size() < HeaderSize)
        return;
    le::WriteI32(Data.data() + 24, xPelsPerMeter);
    le::WriteI32(Data.data() + 28, yPelsPerMeter);
}

void PackedBitmap::SetWidth(int32_t width)
{
    if (Data.size() >= HeaderSize)
        le::WriteI32(Data.data() + 4, width);
}

void PackedBitmap::SetImageSize(uint32_t size)
{
    if (Data.size() >= HeaderSize)
        le::WriteU32(Data.data() + 20, size);
}

uint32_t PackedBitmap::ColorTableEntries() const
{
    const uint16_t bits = BitCount();
    return bits >= 1 && bits <= 8 ? (1u << bits) : 0u;
}

bool PackedBitmap::IsValid() const
{
    if (Data.size() < HeaderSize || HeaderBytes() != HeaderSize)
        return false;
    const int32_t w = Width();
    const int32_t h = Height();
    const uint16_t bits = BitCount();
    if (w <= 0 || h <= 0 || Compression() != 0)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return false;
    // Guard the multiplication against absurd headers before trusting it.
    if (w > 1 << 20 || h > 1 << 20)
        return false;
    const size_t need = PixelOffset() + RowStride() * static_cast<size_t>(h);
    return Data.size() >= need;
}
