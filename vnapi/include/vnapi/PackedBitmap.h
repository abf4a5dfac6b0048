// The device library's image form: a packed device-independent bitmap held
// byte for byte as the unit delivers it: a 40-byte information header, the
// colour table (2^bits entries of 4 bytes for 8 bits or less), then the pixel
// rows, bottom row first, each padded to a multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class PackedBitmap {
public:
    static constexpr size_t HeaderSize = 40;

    PackedBitmap() = default;
    explicit PackedBitmap(std::vector<uint8_t> bytes) : Data(std::move(bytes)) {}

    // A bottom-up bitmap with a zeroed pixel area. Bit counts 1, 4 and 8 get a
    // grey ramp colour table (for 1 bit: entry 0 black, entry 1 white).
    static std::unique_ptr<PackedBitmap> Create(int32_t width, int32_t height, uint16_t bitCount,
                                                int32_t dotsPerInch);

    const std::vector<uint8_t>& Bytes() const { return Data; }
    std::vector<uint8_t>& Bytes() { return Data; }

    // Header fields; 0 when the block is too short to hold a header.
    uint32_t HeaderBytes() const;
    int32_t Width() const;
    int32_t Height() const;
    uint16_t BitCount() const;
    uint32_t Compression() const;
    uint32_t ImageSize() const;
    int32_t XPelsPerMeter() const;
    int32_t YPelsPerMeter() const;
    void SetResolution(int32_t xPelsPerMeter, int32_t yPelsPerMeter);
    void SetWidth(int32_t width);
    void SetImageSize(uint32_t size);

    // Colour table entries as laid out: 2^bits for 8 bits or less, else 0.
    uint32_t ColorTableEntries() const;
    size_t PixelOffset() const { return HeaderSize + 4u * ColorTableEntries(); }
    size_t RowStride() const { return StrideFor(Width(), BitCount()); }

    // True when the header is sane and the block holds every pixel row.
    bool IsValid() const;

    // Stored row r (0 is the bottom row of the picture). Only on a valid bitmap.
    uint8_t* Row(int32_t r) { return Data.data() + PixelOffset() + static_cast<size_t>(r) * RowStride(); }
    const uint8_t* Row(int32_t r) const
    {
        return Data.data() + PixelOffset() + static_cast<size_t>(r) * RowStride();
    }

    // Colour table entry i as (blue, green, red, 0).
    uint8_t* ColorEntry(uint32_t i) { return Data.data() + HeaderSize + 4u * i; }
    const uint8_t* ColorEntry(uint32_t i) const { return Data.data() + HeaderSize + 4u * i; }

    static size_t StrideFor(int32_t width, uint16_t bitCount)
    {
        if (width <= 0)
            return 0;
        return ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    }
    static int32_t DpiToPelsPerMeter(int32_t dpi) { return static_cast<int32_t>(dpi / 0.0254 + 0.5); }
    static int32_t PelsPerMeterToDpi(int32_t ppm) { return static_cast<int32_t>(ppm * 0.0254 + 0.5); }

private:
    std::vector<uint8_t> Data;
};

// Image handles belong to the caller that received them; Varn_FreeImage or the
// handle's own destructor releases them.
using ImageHandle = std::unique_ptr<PackedBitmap>;
