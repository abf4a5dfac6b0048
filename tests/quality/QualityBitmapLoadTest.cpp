// Loading a BMP file for the quality check: good, truncated, not a BMP, too large.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "quality/QualityBench.h"
#include "vnapi/ByteOrder.h"

using namespace bench;

namespace {

std::string Write(const QTemporaryDir& dir, const char* name, const std::vector<uint8_t>& bytes)
{
    const std::string path = (dir.path() + "/" + name).toStdString();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

// A 24-bit BMP file of 1222 x 10 pixels.
std::vector<uint8_t> ColourBmp()
{
    const size_t stride = 3668;
    std::vector<uint8_t> f(14 + 40 + stride * 10, 128);
    f[0] = 'B';
    f[1] = 'M';
    le::WriteU32(f.data() + 14, 40);
    le::WriteI32(f.data() + 18, 1222);
    le::WriteI32(f.data() + 22, 10);
    le::WriteU16(f.data() + 26, 1);
    le::WriteU16(f.data() + 28, 24);
    return f;
}

} // namespace

TEST(QualityBitmapLoad, EachBadFileGetsItsMessage)
{
    QTemporaryDir dir;
    const auto good = LoadQualityBitmap(Write(dir, "good.bmp", ColourBmp()));
    EXPECT_TRUE(good.Problem.empty());
    EXPECT_EQ(good.Bytes.size(), 40u + 3668u * 10u); // from the info header on

    auto cut = ColourBmp();
    cut.pop_back();
    EXPECT_EQ(LoadQualityBitmap(Write(dir, "cut.bmp", cut)).Problem, "The BMP file is truncated !");

    auto notBmp = ColourBmp();
    notBmp[0] = 'P';
    EXPECT_EQ(LoadQualityBitmap(Write(dir, "not.bmp", notBmp)).Problem, "The file is not a BMP file !");

    auto large = ColourBmp();
    large.resize(14 + QualityLoadBufferSize, 0); // exactly fills the buffer
    EXPECT_TRUE(LoadQualityBitmap(Write(dir, "full.bmp", large)).Problem.empty());
    large.push_back(0);
    const auto tooLarge = LoadQualityBitmap(Write(dir, "large.bmp", large));
    EXPECT_EQ(tooLarge.Problem, "The file is larger than the load buffer of 4194304 bytes !");
    EXPECT_TRUE(tooLarge.Bytes.empty());

    EXPECT_FALSE(LoadQualityBitmap((dir.path() + "/missing.bmp").toStdString()).Opened);
}
