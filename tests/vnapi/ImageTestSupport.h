// Images and scratch folders shared by the image file and operation tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "vnapi/ByteOrder.h"
#include "vnapi/PackedBitmap.h"
#include "vnapi/imaging/ImagePixels.h"

namespace imagetest {

// A busy pattern using every level of the depth, different in each row, so a
// swapped row, a shifted bit or a lost padding byte shows.
inline std::unique_ptr<PackedBitmap> Pattern(int32_t width, int32_t height, uint16_t bits, int32_t dpi)
{
    auto image = PackedBitmap::Create(width, height, bits, dpi);
    for (int32_t r = 0; r < height; ++r) {
        uint8_t* row = image->Row(r);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t v = static_cast<uint32_t>(x * 7 + r * 13 + x * r);
            if (bits == 24) {
                row[3 * x] = static_cast<uint8_t>(v);
                row[3 * x + 1] = static_cast<uint8_t>(v * 3 + 1);
                row[3 * x + 2] = static_cast<uint8_t>(255 - v);
            } else {
                imaging::SetPixelIndex(row, x, bits, static_cast<uint8_t>(v % (1u << bits)));
            }
        }
    }
    return image;
}

// A grey level of pixel (x, stored row r) of any depth.
inline uint8_t GreyAt(const PackedBitmap& image, int32_t x, int32_t r)
{
    const uint8_t* row = image.Row(r);
    if (image.BitCount() == 24)
        return imaging::Luminance(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    const uint8_t* e = image.ColorEntry(imaging::PixelIndex(row, x, image.BitCount()));
    return imaging::Luminance(e[2], e[1], e[0]);
}

// A folder of its own for each test, removed afterwards.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        Folder = std::filesystem::temp_directory_path() /
                 ("vnapi-imaging-" + std::to_string(getpid()) + "-" + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(Folder);
        std::filesystem::create_directories(Folder);
    }
    void TearDown() override { std::filesystem::remove_all(Folder); }
    std::string PathOf(const std::string& name) const { return (Folder / name).string(); }

    std::filesystem::path Folder;
};

// A little-endian TIFF of one grey strip of 16 bytes whatever size its
// header claims: 150 bytes in all.
inline std::vector<uint8_t> TiffClaiming(uint32_t width, uint32_t height, uint16_t bits)
{
    struct Entry {
        uint16_t Tag;
        uint16_t Type; // 3 short, 4 long
        uint32_t Value;
    };
    constexpr uint32_t DataOffset = 8 + 2 + 9 * 12 + 4;
    const Entry entries[] = {{256, 4, width}, {257, 4, height}, {258, 3, bits},       {259, 3, 1},  {262, 3, 1},
                             {273, 4, DataOffset}, {277, 3, 1}, {278, 4, height}, {279, 4, 16}};
    std::vector<uint8_t> file(DataOffset + 16, 0);
    file[0] = 'I';
    file[1] = 'I';
    le::WriteU16(&file[2], 42);
    le::WriteU32(&file[4], 8);
    le::WriteU16(&file[8], 9);
    uint8_t* at = &file[10];
    for (const Entry& e : entries) {
        le::WriteU16(at, e.Tag);
        le::WriteU16(at + 2, e.Type);
        le::WriteU32(at + 4, 1);
        le::WriteU32(at + 8, e.Value); // a short sits in the first two bytes
        at += 12;
    }
    file.resize(150, 0);
    return file;
}

} // namespace imagetest
