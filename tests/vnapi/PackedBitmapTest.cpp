#include <gtest/gtest.h>

#include "vnapi/ByteOrder.h"
#include "vnapi/PackedBitmap.h"
#include "vnapi/VnApi.h"

TEST(PackedBitmap, LayoutOfEachDepth)
{
    struct Case {
        uint16_t Bits;
        int32_t Width;
        size_t Stride;
        uint32_t Entries;
    };
    for (const Case c : {Case{1, 33, 8, 2}, Case{4, 9, 8, 16}, Case{8, 5, 8, 256}, Case{24, 3, 12, 0}}) {
        auto bmp = PackedBitmap::Create(c.Width, 7, c.Bits, 200);
        ASSERT_TRUE(bmp);
        EXPECT_TRUE(bmp->IsValid());
        EXPECT_EQ(bmp->RowStride(), c.Stride) << c.Bits;
        EXPECT_EQ(bmp->ColorTableEntries(), c.Entries);
        EXPECT_EQ(bmp->PixelOffset(), 40u + 4u * c.Entries);
        EXPECT_EQ(bmp->ImageSize(), c.Stride * 7);
        EXPECT_EQ(bmp->Bytes().size(), bmp->PixelOffset() + c.Stride * 7);
        EXPECT_EQ(bmp->XPelsPerMeter(), 7874);
    }
    auto bw = PackedBitmap::Create(10, 10, 1, 200);
    EXPECT_EQ(bw->ColorEntry(0)[0], 0) << "entry 0 black";
    EXPECT_EQ(bw->ColorEntry(1)[2], 255) << "entry 1 white";
}

TEST(PackedBitmap, TruncatedOrAbsurdBlocksAreInvalid)
{
    auto bmp = PackedBitmap::Create(100, 100, 8, 200);
    auto bytes = bmp->Bytes();
    bytes.resize(bytes.size() - 1);
    EXPECT_FALSE(PackedBitmap(bytes).IsValid());
    EXPECT_FALSE(PackedBitmap(std::vector<uint8_t>(39, 0)).IsValid());
    auto huge = bmp->Bytes();
    le::WriteI32(huge.data() + 4, 0x7fffffff);
    EXPECT_FALSE(PackedBitmap(huge).IsValid());
    auto odd = bmp->Bytes();
    le::WriteU16(odd.data() + 14, 7);
    EXPECT_FALSE(PackedBitmap(odd).IsValid());
}

TEST(NoUnitApi, EveryOpenFindsNoPeripheral)
{
    auto api = CreateNoUnitApi();
    uint16_t handle = 0;
    EXPECT_EQ(api->Varn_Open(nullptr, nullptr, 40, &handle), -3);
    EXPECT_EQ(api->VnConnect(nullptr, nullptr, 39, &handle), -3);
}
