// The proportional correction and the margin trim of the image calibration.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "quality/ImageCalibration.h"
#include "vnapi/ByteOrder.h"

using namespace bench;

namespace {

// A 1-bit image of the given width and 300 rows with the columns from
// first to last set in every row.
std::vector<uint8_t> OneBitImage(int32_t width, int32_t first, int32_t last)
{
    const size_t stride = (static_cast<size_t>(width) + 31) / 32 * 4;
    std::vector<uint8_t> b(48 + stride * 300, 0);
    le::WriteU32(b.data(), 40);
    le::WriteI32(b.data() + 4, width);
    le::WriteI32(b.data() + 8, 300);
    le::WriteU16(b.data() + 12, 1);
    le::WriteU16(b.data() + 14, 1);
    for (int32_t r = 0; r < 300; ++r)
        for (int32_t c = first; c <= last; ++c)
            b[48 + static_cast<size_t>(r) * stride + static_cast<size_t>(c) / 8] |= static_cast<uint8_t>(0x80 >> (c % 8));
    return b;
}

void SetColumnRows(std::vector<uint8_t>& b, int32_t column, int32_t rows, size_t stride)
{
    for (int32_t r = 0; r < rows; ++r)
        b[48 + static_cast<size_t>(r) * stride + static_cast<size_t>(column) / 8] |=
            static_cast<uint8_t>(0x80 >> (column % 8));
}

} // namespace

TEST(ImageCalibration, HundredMillimetresAre787Point40Pixels)
{
    char text[32];
    std::snprintf(text, sizeof text, "%0.2f", static_cast<double>(TheoreticalPixels(100)));
    EXPECT_STREQ(text, "787.40");
}

TEST(ImageCalibration, CorrectionIsProportionalClampedAndKeptTo16Bits)
{
    struct Case {
        float Measured;
        uint16_t Value;
        int Expected; // -1: within tolerance
    };
    const Case cases[] = {
        {1005.0f, 1690, -1},  // exactly 0.5 % long
        {995.0f, 1690, -1},   // exactly 0.5 % short
        {1100.0f, 1690, 1859}, // 10 % of 1690 is 169
        {900.0f, 1700, 1530},
        {900.0f, 1690, 1523}, // 1521 is below the range
        {1200.0f, 1690, 1862}, // 2028 above it
        {1400.0f, 1690, 1710}, // 67600 keeps its low 16 bits, 2064
    };
    for (const Case& c : cases) {
        const auto v = CorrectedImageCalibration(c.Measured, 1000.0f, c.Value);
        if (c.Expected < 0)
            EXPECT_FALSE(v.has_value()) << c.Measured;
        else
            EXPECT_EQ(v, std::optional<uint16_t>(static_cast<uint16_t>(c.Expected))) << c.Measured;
    }
    // One step past the tolerance corrects.
    EXPECT_TRUE(CorrectedImageCalibration(std::nextafter(1005.0f, 2000.0f), 1000.0f, 1690).has_value());
    EXPECT_TRUE(CorrectedImageCalibration(std::nextafter(995.0f, 0.0f), 1000.0f, 1690).has_value());
}

TEST(ImageCalibration, MarginsAreTrimmedToTheDocumentColumns)
{
    struct Case {
        int32_t Width, First, Last, EdgeRows; // EdgeRows: rows set in column First - 1
        int32_t BitOffset, TrimmedWidth, Measured;
    };
    const Case cases[] = {
        {64, 13, 50, 0, 5, 43, 38},
        {64, 13, 50, 228, 5, 43, 38}, // 228 rows: still blank
        {64, 13, 50, 229, 4, 43, 39}, // 229 rows: a document column
        {100, 40, 70, 0, 0, 31, 31},  // the padded row shrinks from 16 to 4 bytes
        {64, 0, 63, 0, 0, 64, 64},    // nothing to trim
    };
    for (const Case& c : cases) {
        auto image = OneBitImage(c.Width, c.First, c.Last);
        if (c.EdgeRows > 0)
            SetColumnRows(image, c.First - 1, c.EdgeRows, (static_cast<size_t>(c.Width) + 31) / 32 * 4);
        const auto b = TrimBlankMargins(image);
        ASSERT_TRUE(b.has_value());
        EXPECT_EQ(*b, c.BitOffset);
        EXPECT_EQ(le::ReadI32(image.data() + 4), c.TrimmedWidth);
        EXPECT_EQ(MeasuredPixels(image, *b), c.Measured);
        const size_t stride = (static_cast<size_t>(c.TrimmedWidth) + 31) / 32 * 4;
        EXPECT_EQ(image.size(), 48 + stride * 300) << c.Width << " " << c.First;
    }
    auto shrunk = OneBitImage(100, 40, 70);
    TrimBlankMargins(shrunk);
    EXPECT_EQ(le::ReadU32(shrunk.data() + 20), 1200u);
    EXPECT_EQ(shrunk[48], 0xFF); // document columns now start the row
    auto truncated = OneBitImage(64, 13, 50);
    truncated.pop_back();
    EXPECT_FALSE(TrimBlankMargins(truncated).has_value());
}
