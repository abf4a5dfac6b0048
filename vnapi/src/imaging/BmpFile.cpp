#include "vnapi/imaging/BmpFile.h"

#include <algorithm>
#include <cstring>

#include "vnapi/ByteOrder.h"
#include "vnapi/VnCodes.h"
#include "vnapi/imaging/FileBytes.h"
#include "vnapi/imaging/ImagePixels.h"

namespace imaging {

int32_t EncodeBmp(const PackedBitmap* image, std::vector<uint8_t>* file)
{
    if (file == nullptr)
        return VnReplyInvalidCommand;
    if (!IsUsable(image))
        return VnReplyImageNotPresent;
    // A header whose image size claims more than the block holds would send
    // a reader past the end of the file.
    if (image->PixelOffset() + static_cast<uint64_t>(image->ImageSize()) > image->Bytes().size())
        return VnReplyDibNotCreated;
    const size_t colorTableSize = 4u * image->ColorTableEntries();
    const size_t dataSize = image->PixelOffset() + image->RowStride() * static_cast<size_t>(image->Height());
    const size_t fileSize = BmpFileHeaderSize + dataSize;
    if (fileSize > UINT32_MAX)
        return VnReplyDibNotCreated;
    file->assign(fileSize, 0);
    uint8_t* h = file->data();
    h[0] = 'B';
    h[1] = 'M';
    le::WriteU32(h + 2, static_cast<uint32_t>(fileSize));
    le::WriteU16(h + 6, 0);
    le::WriteU16(h + 8, 0);
    le::WriteU32(h + 10, static_cast<uint32_t>(BmpFileHeaderSize + PackedBitmap::HeaderSize + colorTableSize));
    std::memcpy(h + BmpFileHeaderSize, image->Bytes().data(), dataSize);
    // Fields the block's layout does not depend on are written as a reader
    // needs them: one plane, and the whole colour table follows (counts taken
    // over from the block could contradict it and make the file unreadable).
    le::WriteU16(h + BmpFileHeaderSize + 12, 1);
    le::WriteU32(h + BmpFileHeaderSize + 32, 0);
    le::WriteU32(h + BmpFileHeaderSize + 36, 0);
    return VnReplyOk;
}

int32_t SaveBmp(const PackedBitmap* image, const char* path)
{
    if (path == nullptr)
        return VnReplyInvalidCommand;
    std::vector<uint8_t> file;
    const int32_t reply = EncodeBmp(image, &file);
    if (reply != VnReplyOk)
        return reply;
    return WriteFileBytes(path, file.data(), file.size()) ? VnReplyOk : VnReplyDibNotCreated;
}

namespace {

bool IsKnownInfoHeaderSize(uint32_t size)
{
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

} // namespace

int32_t DecodeBmp(const uint8_t* data, size_t size, ImageHandle* image)
{
    if (image == nullptr || (data == nullptr && size > 0))
        return VnReplyInvalidCommand;
    if (size < BmpFileHeaderSize + PackedBitmap::HeaderSize || data[0] != 'B' || data[1] != 'M')
        return VnReplyDibNotCreated;

    const uint32_t pixelOffset = le::ReadU32(data + 10);
    const uint8_t* info = data + BmpFileHeaderSize;
    const uint32_t infoSize = le::ReadU32(info);
    if (!IsKnownInfoHeaderSize(infoSize) || BmpFileHeaderSize + infoSize > size)
        return VnReplyDibNotCreated;

    const int32_t width = le::ReadI32(info + 4);
    const int32_t rawHeight = le::ReadI32(info + 8);
    const uint16_t planes = le::ReadU16(info + 12);
    const uint16_t bits = le::ReadU16(info + 14);
    const uint32_t compression = le::ReadU32(info + 16);
    const int32_t xPelsPerMeter = le::ReadI32(info + 24);
    const int32_t yPelsPerMeter = le::ReadI32(info + 28);
    const uint32_t colorsUsed = le::ReadU32(info + 32);

    if (planes != 1 || compression != 0)
        return VnReplyDibNotCreated;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return VnReplyDibNotCreated;
    // INT32_MIN has no positive counterpart; the side limit rules it out first.
    if (width <= 0 || width > MaxImageSide || rawHeight == 0 || rawHeight < -MaxImageSide ||
        rawHeight > MaxImageSide)
        return VnReplyDibNotCreated;
    const bool topDown = rawHeight < 0;
    const int32_t height = topDown ? -rawHeight : rawHeight;

    const uint32_t tableEntries = bits <= 8 ? (1u << bits) : 0u;
    const uint32_t fileEntries = bits <= 8 ? (colorsUsed == 0 ? tableEntries : colorsUsed) : 0u;
    if (fileEntries > tableEntries)
        return VnReplyDibNotCreated;
    const size_t tableStart = BmpFileHeaderSize + infoSize;
    const size_t tableEnd = tableStart + 4u * static_cast<size_t>(fileEntries);
    if (tableEnd > size || tableEnd > pixelOffset)
        return VnReplyDibNotCreated;

    const size_t stride = PackedBitmap::StrideFor(width, bits);
    const size_t pixelBytes = stride * static_cast<size_t>(height);
    if (pixelBytes > MaxPixelBytes || pixelOffset > size || size - pixelOffset < pixelBytes)
        return VnReplyDibNotCreated;

    auto result = PackedBitmap::Create(width, height, bits, 0);
    if (!result)
        return VnReplyDibNotCreated;
    result->SetResolution(std::max(xPelsPerMeter, 0), std::max(yPelsPerMeter, 0));
    for (uint32_t i = 0; i < tableEntries; ++i) {
        uint8_t* entry = result->ColorEntry(i);
        if (i < fileEntries) {
            const uint8_t* source = data + tableStart + 4u * i;
            entry[0] = source[0];
            entry[1] = source[1];
            entry[2] = source[2];
        } else {
            entry[0] = entry[1] = entry[2] = 0;
        }
        entry[3] = 0;
    }
    for (int32_t r = 0; r < height; ++r) {
        const int32_t fileRow = topDown ? height - 1 - r : r;
        std::memcpy(result->Row(r), data + pixelOffset + static_cast<size_t>(fileRow) * stride, stride);
    }
    *image = std::move(result);
    return VnReplyOk;
}

int32_t LoadBmp(const char* path, ImageHandle* image)
{
    if (path == nullptr || image == nullptr)
        return VnReplyInvalidCommand;
    std::vector<uint8_t> bytes;
    // Header, the largest colour table and the largest pixel area accepted.
    constexpr size_t MaxFileBytes = BmpFileHeaderSize + 124 + 1024 + MaxPixelBytes;
    switch (ReadFileBytes(path, MaxFileBytes, &bytes)) {
    case FileReadResult::Ok:
        return DecodeBmp(bytes.data(), bytes.size(), image);
    case FileReadResult::CannotOpen:
        return VnReplyImageNotPresent;
    default:
        return VnReplyDibNotCreated;
    }
}

} // namespace imaging
