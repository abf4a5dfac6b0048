#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include <tiffio.h>

#include "ImageTestSupport.h"
#include "imaging/ImageOps.h"
#include "vnapi/ByteOrder.h"
#include "vnapi/VirtualUnit.h"
#include "vnapi/VnCodes.h"
#include "vnapi/imaging/BmpFile.h"
#include "vnapi/imaging/ImageFile.h"
#include "vnapi/imaging/JpegFile.h"
#include "vnapi/imaging/TiffFile.h"

using namespace imaging;
using imagetest::GreyAt;
using imagetest::Pattern;

namespace {

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Largest and mean absolute difference of the grey levels of two images.
struct GreyDifference {
    int Max = 0;
    double Mean = 0;
};
GreyDifference CompareGrey(const PackedBitmap& a, const PackedBitmap& b)
{
    GreyDifference d;
    long total = 0;
    for (int32_t r = 0; r < a.Height(); ++r)
        for (int32_t x = 0; x < a.Width(); ++x) {
            const int diff = std::abs(GreyAt(a, x, r) - GreyAt(b, x, r));
            d.Max = std::max(d.Max, diff);
            total += diff;
        }
    d.Mean = double(total) / (double(a.Width()) * a.Height());
    return d;
}

// A picture without sharp edges, which JPEG keeps well.
std::unique_ptr<PackedBitmap> Smooth(int32_t width, int32_t height, uint16_t bits, int32_t dpi)
{
    auto image = PackedBitmap::Create(width, height, bits, dpi);
    for (int32_t r = 0; r < height; ++r) {
        uint8_t* row = image->Row(r);
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t v = static_cast<uint8_t>((x * 255) / (width - 1));
            const uint8_t u = static_cast<uint8_t>((r * 255) / (height - 1));
            if (bits == 24) {
                row[3 * x] = v;
                row[3 * x + 1] = u;
                row[3 * x + 2] = static_cast<uint8_t>((v + u) / 2);
            } else {
                row[x] = static_cast<uint8_t>((v + u) / 2);
            }
        }
    }
    return image;
}

// Blocks of 16 by 16 pixels in every level of a 1 or 4-bit depth.
std::unique_ptr<PackedBitmap> Blocks(int32_t width, int32_t height, uint16_t bits)
{
    auto image = PackedBitmap::Create(width, height, bits, 200);
    for (int32_t r = 0; r < height; ++r)
        for (int32_t x = 0; x < width; ++x)
            SetPixelIndex(image->Row(r), x, bits, static_cast<uint8_t>((x / 16 + r / 16) % (1u << bits)));
    return image;
}

} // namespace

// ---- BMP ----------------------------------------------------------------------

class BmpFileTest : public imagetest::ScratchFolder {};

TEST_F(BmpFileTest, EveryDepthReadsBackByteForByte)
{
    for (const uint16_t bits : {1, 4, 8, 24})
        for (const int32_t width : {1, 13, 33})
            for (const int32_t dpi : {0, 200, 300}) {
                auto image = Pattern(width, 9, bits, dpi);
                // Across and down differ, so that one read for the other shows.
                image->SetResolution(PackedBitmap::DpiToPelsPerMeter(dpi), PackedBitmap::DpiToPelsPerMeter(dpi / 2));
                const std::string path = PathOf("round.bmp");
                ASSERT_EQ(SaveBmp(image.get(), path.c_str()), VnReplyOk);
                EXPECT_EQ(ReadAll(path).size(), BmpFileHeaderSize + image->Bytes().size());
                ImageHandle loaded;
                ASSERT_EQ(LoadBmp(path.c_str(), &loaded), VnReplyOk) << bits << " bits, width " << width;
                EXPECT_EQ(loaded->Bytes(), image->Bytes()) << bits << " bits, width " << width << ", " << dpi;
            }
}

TEST_F(BmpFileTest, FileHeaderOfAnEightBitImage)
{
    auto image = Pattern(100, 10, 8, 200);
    ASSERT_EQ(image->ImageSize(), 1000u);
    const std::string path = PathOf("eight.bmp");
    ASSERT_EQ(SaveBmp(image.get(), path.c_str()), VnReplyOk);
    const std::vector<uint8_t> file = ReadAll(path);
    ASSERT_EQ(file.size(), 2078u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(le::ReadU32(file.data() + 2), 2078u);
    EXPECT_EQ(le::ReadU32(file.data() + 6), 0u) << "reserved words";
    EXPECT_EQ(le::ReadU32(file.data() + 10), 1078u);
    EXPECT_TRUE(std::equal(image->Bytes().begin(), image->Bytes().end(), file.begin() + 14));
}

TEST_F(BmpFileTest, PixelOffsetFollowsTheColourTable)
{
    for (const auto& [bits, offset] : {std::pair<uint16_t, uint32_t>{1, 62}, {4, 118}, {8, 1078}, {24, 54}}) {
        std::vector<uint8_t> file;
        ASSERT_EQ(EncodeBmp(Pattern(5, 3, bits, 200).get(), &file), VnReplyOk);
        EXPECT_EQ(le::ReadU32(file.data() + 10), offset) << bits;
    }
}

TEST_F(BmpFileTest, TopDownRowsLoadBottomUp)
{
    for (const uint16_t bits : {1, 8, 24}) {
        auto image = Pattern(11, 6, bits, 200);
        std::vector<uint8_t> file;
        ASSERT_EQ(EncodeBmp(image.get(), &file), VnReplyOk);
        const size_t offset = le::ReadU32(file.data() + 10);
        const size_t stride = image->RowStride();
        std::vector<uint8_t> topDown(file.begin(), file.begin() + static_cast<long>(offset));
        for (int32_t r = image->Height() - 1; r >= 0; --r)
            topDown.insert(topDown.end(), image->Row(r), image->Row(r) + stride);
        le::WriteI32(topDown.data() + 22, -image->Height());
        ImageHandle loaded;
        ASSERT_EQ(DecodeBmp(topDown.data(), topDown.size(), &loaded), VnReplyOk);
        EXPECT_EQ(loaded->Height(), image->Height());
        EXPECT_EQ(loaded->Bytes(), image->Bytes()) << bits;
    }
}

TEST_F(BmpFileTest, ShortColourTableIsCompletedWithBlack)
{
    // An 8-bit file whose table holds two entries, pixels right behind it.
    auto image = Pattern(4, 2, 8, 200);
    std::vector<uint8_t> file(14 + 40 + 8);
    std::copy(image->Bytes().begin(), image->Bytes().begin() + 40, file.begin() + 14);
    file[0] = 'B';
    file[1] = 'M';
    le::WriteU32(file.data() + 10, static_cast<uint32_t>(file.size()));
    le::WriteU32(file.data() + 14 + 32, 2);
    const uint8_t red[4] = {0, 0, 255, 0};
    const uint8_t blue[4] = {255, 0, 0, 0};
    std::copy(red, red + 4, file.begin() + 54);
    std::copy(blue, blue + 4, file.begin() + 58);
    const std::vector<uint8_t> pixels = {0, 1, 2, 3, 1, 0, 1, 0};
    file.insert(file.end(), pixels.begin(), pixels.end());

    ImageHandle loaded;
    ASSERT_EQ(DecodeBmp(file.data(), file.size(), &loaded), VnReplyOk);
    EXPECT_EQ(loaded->ColorTableEntries(), 256u);
    EXPECT_EQ(loaded->ColorEntry(0)[2], 255);
    EXPECT_EQ(loaded->ColorEntry(1)[0], 255);
    EXPECT_EQ(loaded->ColorEntry(2)[0] + loaded->ColorEntry(2)[1] + loaded->ColorEntry(255)[2], 0);
    EXPECT_EQ(loaded->Row(0)[3], 3);
    EXPECT_EQ(loaded->Row(1)[1], 0);
}

TEST_F(BmpFileTest, EveryTruncationIsRejected)
{
    std::vector<uint8_t> file;
    ASSERT_EQ(EncodeBmp(Pattern(17, 5, 4, 200).get(), &file), VnReplyOk);
    for (size_t size = 0; size < file.size(); ++size) {
        ImageHandle loaded = PackedBitmap::Create(1, 1, 8, 0);
        const PackedBitmap* before = loaded.get();
        EXPECT_EQ(DecodeBmp(file.data(), size, &loaded), VnReplyDibNotCreated) << size;
        EXPECT_EQ(loaded.get(), before) << "the handle stays as it was";
    }
    ImageHandle loaded;
    EXPECT_EQ(DecodeBmp(file.data(), file.size(), &loaded), VnReplyOk);
}

TEST_F(BmpFileTest, AbsurdOrUnsupportedHeadersAreRejected)
{
    struct Case {
        const char* What;
        size_t Offset; // in the file
        int Width;     // 2 or 4 bytes
        uint32_t Value;
    };
    const Case cases[] = {
        {"not BM", 0, 2, 0x4d42 ^ 0x0101},
        {"pixel offset past the end", 10, 4, 100000},
        {"pixel offset at 4 GiB", 10, 4, 0xffffffff},
        {"pixel offset inside the colour table", 10, 4, 60},
        {"core header", 14, 4, 12},
        {"header of 1000 bytes", 14, 4, 1000},
        {"header size 4 GiB", 14, 4, 0xffffffff},
        {"width 0", 18, 4, 0},
        {"negative width", 18, 4, static_cast<uint32_t>(-5)},
        {"huge width", 18, 4, 0x7fffffff},
        {"height 0", 22, 4, 0},
        {"huge height", 22, 4, 0x7fffffff},
        {"most negative height", 22, 4, 0x80000000},
        {"two planes", 26, 2, 2},
        {"7 bits", 28, 2, 7},
        {"16 bits", 28, 2, 16},
        {"32 bits", 28, 2, 32},
        {"RLE8", 30, 4, 1},
        {"bit fields", 30, 4, 3},
        {"JPEG inside", 30, 4, 4},
        {"300 colours for 8 bits", 46, 4, 300},
        {"4 Gi colours", 46, 4, 0xffffffff},
    };
    std::vector<uint8_t> good;
    ASSERT_EQ(EncodeBmp(Pattern(20, 10, 8, 200).get(), &good), VnReplyOk);
    for (const Case& c : cases) {
        std::vector<uint8_t> file = good;
        if (c.Width == 2)
            le::WriteU16(file.data() + c.Offset, static_cast<uint16_t>(c.Value));
        else
            le::WriteU32(file.data() + c.Offset, c.Value);
        ImageHandle loaded;
        EXPECT_EQ(DecodeBmp(file.data(), file.size(), &loaded), VnReplyDibNotCreated) << c.What;
        EXPECT_FALSE(loaded) << c.What;
    }
}

TEST_F(BmpFileTest, RepliesForMissingImagesAndFiles)
{
    ImageHandle loaded;
    EXPECT_EQ(LoadBmp(PathOf("absent.bmp").c_str(), &loaded), VnReplyImageNotPresent);
    EXPECT_EQ(SaveBmp(nullptr, PathOf("x.bmp").c_str()), VnReplyImageNotPresent);
    PackedBitmap broken(std::vector<uint8_t>(30, 0));
    EXPECT_EQ(SaveBmp(&broken, PathOf("x.bmp").c_str()), VnReplyImageNotPresent);
    auto image = Pattern(3, 3, 8, 200);
    EXPECT_EQ(SaveBmp(image.get(), nullptr), VnReplyInvalidCommand);
    EXPECT_EQ(SaveBmp(image.get(), PathOf("no/such/folder/x.bmp").c_str()), VnReplyDibNotCreated);
}

TEST_F(BmpFileTest, AnImageSizeClaimingMoreThanTheBlockIsNotWritten)
{
    auto image = Pattern(100, 10, 8, 200); // 1000 bytes of pixels
    std::vector<uint8_t> file;
    image->SetImageSize(1000);
    EXPECT_EQ(EncodeBmp(image.get(), &file), VnReplyOk);
    image->SetImageSize(1001);
    EXPECT_EQ(EncodeBmp(image.get(), &file), VnReplyDibNotCreated);
    EXPECT_EQ(SaveBmp(image.get(), PathOf("claims.bmp").c_str()), VnReplyDibNotCreated);
    EXPECT_FALSE(std::filesystem::exists(PathOf("claims.bmp")));
}

// Found by the fuzzer: a valid bitmap whose plane or colour-count fields hold
// leftovers (here those of the inputs it found) was written with them, and the
// file then claimed more colours than its table, or other planes, and could
// not be read back.
TEST_F(BmpFileTest, PlanesAndColourCountsOfTheBlockDoNotReachTheFile)
{
    struct Case {
        uint16_t Bits;
        uint16_t Planes;
        uint32_t ColorsUsed;
        uint32_t ColorsImportant;
    } cases[] = {{1, 1, 0xA300A2A2, 0xA4A400A3}, {1, 0x2001, 0, 0}, {1, 1, 3, 0}, {4, 0, 17, 17},
                 {8, 1, 257, 0}, {24, 2, 1, 1}, {8, 1, 2, 2}};
    for (const Case& c : cases) {
        auto image = Pattern(33, 9, c.Bits, 200);
        le::WriteU16(image->Bytes().data() + 12, c.Planes);
        le::WriteU32(image->Bytes().data() + 32, c.ColorsUsed);
        le::WriteU32(image->Bytes().data() + 36, c.ColorsImportant);
        ASSERT_TRUE(image->IsValid());
        std::vector<uint8_t> file;
        ASSERT_EQ(EncodeBmp(image.get(), &file), VnReplyOk);
        EXPECT_EQ(le::ReadU16(file.data() + 14 + 12), 1u) << c.Bits << " " << c.Planes;
        EXPECT_EQ(le::ReadU32(file.data() + 14 + 32), 0u) << c.Bits << " " << c.ColorsUsed;
        EXPECT_EQ(le::ReadU32(file.data() + 14 + 36), 0u) << c.Bits << " " << c.ColorsUsed;
        ImageHandle loaded;
        ASSERT_EQ(DecodeBmp(file.data(), file.size(), &loaded), VnReplyOk) << c.Bits << " " << c.ColorsUsed;
        EXPECT_TRUE(std::equal(loaded->Bytes().begin() + 40, loaded->Bytes().end(), image->Bytes().begin() + 40));
    }
}

// ---- JPEG ---------------------------------------------------------------------

class JpegFileTest : public imagetest::ScratchFolder {};

TEST(JpegQuality, DeviceRangeMapsOntoLibjpeg)
{
    const std::pair<int32_t, int32_t> table[] = {{2, 1},   {3, 1},    {128, 50}, {200, 78},
                                                 {255, 100}, {-7, 1}, {0, 1},    {1000, 100}};
    for (const auto& [device, libjpeg] : table)
        EXPECT_EQ(JpegQualityFromDevice(device), libjpeg) << device;
    for (int32_t q = 3; q <= 255; ++q)
        EXPECT_GE(JpegQualityFromDevice(q), JpegQualityFromDevice(q - 1));
}

TEST_F(JpegFileTest, GreyImageComesBackGreyWithinTolerance)
{
    auto image = Smooth(120, 80, 8, 200);
    image->SetResolution(PackedBitmap::DpiToPelsPerMeter(200), PackedBitmap::DpiToPelsPerMeter(300));
    const std::string path = PathOf("grey.jpg");
    ASSERT_EQ(SaveJpeg(image.get(), 255, path.c_str()), VnReplyOk);
    ImageHandle loaded;
    ASSERT_EQ(LoadJpeg(path.c_str(), &loaded), VnReplyOk);
    EXPECT_EQ(loaded->BitCount(), 8);
    EXPECT_TRUE(HasGreyRamp(*loaded));
    EXPECT_EQ(loaded->Width(), 120);
    EXPECT_EQ(loaded->Height(), 80);
    EXPECT_EQ(loaded->XPelsPerMeter(), image->XPelsPerMeter());
    EXPECT_EQ(loaded->YPelsPerMeter(), image->YPelsPerMeter());
    const GreyDifference d = CompareGrey(*image, *loaded);
    EXPECT_LE(d.Max, 6);
    EXPECT_LE(d.Mean, 1.5);
}

TEST_F(JpegFileTest, ColourImageComesBackBgrWithinTolerance)
{
    auto image = Smooth(96, 64, 24, 100);
    std::vector<uint8_t> file;
    ASSERT_EQ(EncodeJpeg(image.get(), 255, &file), VnReplyOk);
    ImageHandle loaded;
    ASSERT_EQ(DecodeJpeg(file.data(), file.size(), &loaded), VnReplyOk);
    ASSERT_EQ(loaded->BitCount(), 24);
    EXPECT_EQ(loaded->XPelsPerMeter(), PackedBitmap::DpiToPelsPerMeter(100));
    int worst = 0;
    for (int32_t r = 0; r < 64; ++r)
        for (int32_t i = 0; i < 96 * 3; ++i)
            worst = std::max(worst, std::abs(image->Row(r)[i] - loaded->Row(r)[i]));
    EXPECT_LE(worst, 12) << "blue, green and red stay in their places";
}

TEST_F(JpegFileTest, OneAndFourBitImagesBecomeGrey)
{
    for (const uint16_t bits : {1, 4}) {
        auto image = Blocks(64, 48, bits);
        std::vector<uint8_t> file;
        ASSERT_EQ(EncodeJpeg(image.get(), 255, &file), VnReplyOk);
        ImageHandle loaded;
        ASSERT_EQ(DecodeJpeg(file.data(), file.size(), &loaded), VnReplyOk);
        EXPECT_EQ(loaded->BitCount(), 8) << bits;
        EXPECT_LE(CompareGrey(*image, *loaded).Mean, 3.0) << bits;
    }
}

TEST_F(JpegFileTest, ColourTableImageBecomesColour)
{
    auto image = Blocks(32, 32, 4);
    for (uint32_t i = 0; i < 16; ++i) {
        image->ColorEntry(i)[0] = static_cast<uint8_t>(i * 16);
        image->ColorEntry(i)[2] = static_cast<uint8_t>(255 - i * 16);
    }
    std::vector<uint8_t> file;
    ASSERT_EQ(EncodeJpeg(image.get(), 255, &file), VnReplyOk);
    ImageHandle loaded;
    ASSERT_EQ(DecodeJpeg(file.data(), file.size(), &loaded), VnReplyOk);
    ASSERT_EQ(loaded->BitCount(), 24);
    const uint8_t* centre = loaded->Row(8) + 3 * 8; // block 0: entry 0 is pure red
    EXPECT_LE(centre[0], 12);
    EXPECT_GE(centre[2], 240);
}

TEST_F(JpegFileTest, HigherQualityGivesLargerFiles)
{
    auto image = Pattern(128, 64, 8, 200);
    size_t previous = 0;
    for (const int32_t quality : {2, 64, 128, 200, 255}) {
        std::vector<uint8_t> file;
        ASSERT_EQ(EncodeJpeg(image.get(), quality, &file), VnReplyOk);
        EXPECT_GT(file.size(), previous) << quality;
        previous = file.size();
    }
}

TEST_F(JpegFileTest, ImageWithoutResolutionStaysWithout)
{
    auto image = Smooth(16, 16, 8, 0);
    std::vector<uint8_t> file;
    ASSERT_EQ(EncodeJpeg(image.get(), 128, &file), VnReplyOk);
    ImageHandle loaded;
    ASSERT_EQ(DecodeJpeg(file.data(), file.size(), &loaded), VnReplyOk);
    EXPECT_EQ(loaded->XPelsPerMeter(), 0);
    EXPECT_EQ(loaded->YPelsPerMeter(), 0);
}

TEST_F(JpegFileTest, BrokenDataIsRejected)
{
    std::vector<uint8_t> file;
    ASSERT_EQ(EncodeJpeg(Smooth(32, 32, 8, 200).get(), 128, &file), VnReplyOk);
    std::vector<uint8_t> garbage = {0xff, 0xd8, 0xff, 0xe0};
    for (int i = 0; i < 200; ++i)
        garbage.push_back(static_cast<uint8_t>(i * 37));
    const std::vector<uint8_t> headerOnly(file.begin(), file.begin() + 20);
    for (const auto& bytes : {garbage, headerOnly, std::vector<uint8_t>{}}) {
        ImageHandle loaded;
        EXPECT_EQ(DecodeJpeg(bytes.data(), bytes.size(), &loaded), VnReplyJpegNotCreated) << bytes.size();
        EXPECT_FALSE(loaded);
    }
    ImageHandle loaded;
    EXPECT_EQ(LoadJpeg(PathOf("absent.jpg").c_str(), &loaded), VnReplyImageNotPresent);
    EXPECT_EQ(SaveJpeg(nullptr, 128, PathOf("x.jpg").c_str()), VnReplyImageNotPresent);
    EXPECT_EQ(SaveJpeg(Smooth(8, 8, 8, 0).get(), 128, PathOf("no/folder/x.jpg").c_str()), VnReplyJpegNotCreated);
}

// ---- TIFF ---------------------------------------------------------------------

class TiffFileTest : public imagetest::ScratchFolder {
protected:
    struct Tags {
        uint16_t Compression = 0;
        uint16_t Bits = 0;
        uint16_t Photometric = 0;
        uint32_t Group3Options = 0;
    };
    static Tags ReadTags(const std::string& path)
    {
        Tags tags;
        TIFF* tiff = TIFFOpen(path.c_str(), "r");
        if (tiff == nullptr)
            return tags;
        TIFFGetField(tiff, TIFFTAG_COMPRESSION, &tags.Compression);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &tags.Bits);
        TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &tags.Photometric);
        if (tags.Compression == COMPRESSION_CCITTFAX3)
            TIFFGetField(tiff, TIFFTAG_GROUP3OPTIONS, &tags.Group3Options);
        TIFFClose(tiff);
        return tags;
    }

    // Writes a strip TIFF of one sample per pixel with libtiff itself.
    static void WriteGrey(const std::string& path, uint32_t width, uint32_t height, uint16_t bits,
                          uint16_t photometric, uint16_t compression, const std::vector<uint8_t>& rowsTopFirst,
                          uint16_t orientation = ORIENTATION_TOPLEFT)
    {
        TIFF* tiff = TIFFOpen(path.c_str(), "w");
        ASSERT_NE(tiff, nullptr);
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
        TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 4);
        const size_t rowBytes = (size_t{width} * bits + 7) / 8;
        for (uint32_t y = 0; y < height; ++y)
            TIFFWriteScanline(tiff, const_cast<uint8_t*>(rowsTopFirst.data() + y * rowBytes), y, 0);
        TIFFClose(tiff);
    }
};

TEST_F(TiffFileTest, EveryTypeWritesItsCompressionAndReadsBack)
{
    struct Case {
        int32_t Type;
        uint16_t Compression;
        bool TwoD;
    };
    const Case cases[] = {{VnTiffUncompressed, COMPRESSION_NONE, false},
                          {VnTiffCcittRle, COMPRESSION_CCITTRLE, false},
                          {VnTiffCcittGroup3OneD, COMPRESSION_CCITTFAX3, false},
                          {VnTiffCcittGroup3TwoD, COMPRESSION_CCITTFAX3, true},
                          {VnTiffCcittGroup4, COMPRESSION_CCITTFAX4, false}};
    for (const Case& c : cases)
        for (const uint16_t bits : {1, 4, 8, 24}) {
            SCOPED_TRACE(::testing::Message() << "type " << c.Type << ", " << bits << " bits");
            auto image = Pattern(37, 23, bits, 200);
            image->SetResolution(PackedBitmap::DpiToPelsPerMeter(200), PackedBitmap::DpiToPelsPerMeter(100));
            const std::string path = PathOf("t.tif");
            ASSERT_EQ(SaveTiff(image.get(), path.c_str(), c.Type), VnReplyOk);
            const Tags tags = ReadTags(path);
            EXPECT_EQ(tags.Compression, c.Compression);
            if (c.Compression == COMPRESSION_CCITTFAX3) {
                EXPECT_EQ((tags.Group3Options & GROUP3OPT_2DENCODING) != 0, c.TwoD);
            }

            ImageHandle loaded;
            ASSERT_EQ(LoadTiff(path.c_str(), &loaded), VnReplyOk);
            EXPECT_EQ(loaded->XPelsPerMeter(), image->XPelsPerMeter());
            EXPECT_EQ(loaded->YPelsPerMeter(), image->YPelsPerMeter());
            if (c.Type == VnTiffUncompressed) {
                EXPECT_EQ(tags.Bits, bits == 24 ? 8 : bits);
                EXPECT_EQ(loaded->Bytes(), image->Bytes());
                continue;
            }
            EXPECT_EQ(tags.Bits, 1);
            ASSERT_EQ(loaded->BitCount(), 1);
            EXPECT_EQ(loaded->ColorEntry(0)[0], 0);
            EXPECT_EQ(loaded->ColorEntry(1)[0], 255);
            int wrong = 0;
            for (int32_t r = 0; r < 23; ++r)
                for (int32_t x = 0; x < 37; ++x) {
                    const uint8_t expected = GreyAt(*image, x, r) < TiffBilevelThreshold ? 0 : 1;
                    wrong += PixelIndex(loaded->Row(r), x, 1) != expected;
                }
            EXPECT_EQ(wrong, 0);
        }
}

TEST_F(TiffFileTest, ColourTablesSurviveUncompressed)
{
    // 1 bit with entry 0 white: written min-is-white, read back as the usual
    // black-and-white table with the indexes swapped, so it looks the same.
    auto reversed = Pattern(19, 7, 1, 200);
    std::swap_ranges(reversed->ColorEntry(0), reversed->ColorEntry(0) + 3, reversed->ColorEntry(1));
    const std::string path = PathOf("r.tif");
    ASSERT_EQ(SaveTiff(reversed.get(), path.c_str(), VnTiffUncompressed), VnReplyOk);
    EXPECT_EQ(ReadTags(path).Photometric, PHOTOMETRIC_MINISWHITE);
    ImageHandle loaded;
    ASSERT_EQ(LoadTiff(path.c_str(), &loaded), VnReplyOk);
    EXPECT_EQ(loaded->ColorEntry(0)[1], 0);
    EXPECT_EQ(CompareGrey(*reversed, *loaded).Max, 0);

    auto coloured = Pattern(10, 6, 8, 300);
    for (uint32_t i = 0; i < 256; ++i)
        coloured->ColorEntry(i)[1] = static_cast<uint8_t>(255 - i);
    ASSERT_EQ(SaveTiff(coloured.get(), path.c_str(), VnTiffUncompressed), VnReplyOk);
    EXPECT_EQ(ReadTags(path).Photometric, PHOTOMETRIC_PALETTE);
    ASSERT_EQ(LoadTiff(path.c_str(), &loaded), VnReplyOk);
    EXPECT_EQ(loaded->Bytes(), coloured->Bytes());
}

TEST_F(TiffFileTest, ReadsWhatOtherWritersMake)
{
    const uint32_t width = 12;
    const uint32_t height = 5;
    std::vector<uint8_t> grey(width * height);
    for (size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<uint8_t>(i * 4);
    // Picture row y (top first) is stored row height - 1 - y.
    const auto expectGrey = [&](const PackedBitmap& image, bool inverted, bool bottomFirst) {
        ASSERT_EQ(image.BitCount(), 8);
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t v = grey[y * width + x];
                const int32_t r = bottomFirst ? static_cast<int32_t>(y) : static_cast<int32_t>(height - 1 - y);
                EXPECT_EQ(GreyAt(image, static_cast<int32_t>(x), r), inverted ? 255 - v : v) << x << "," << y;
            }
    };
    ImageHandle loaded;
    const std::string path = PathOf("other.tif");

    WriteGrey(path, width, height, 8, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW, grey);
    ASSERT_EQ(LoadTiff(path.c_str(), &loaded), VnReplyOk);
    expectGrey(*loaded, false, false);
    EXPECT_EQ(loaded->XPelsPerMeter(), 0) << "no resolution tags";

    WriteGrey(path, width, height, 8, PHOTOMETRIC_MINISWHITE, COMPRESSION_PACKBITS, grey);
    ASSERT_EQ(LoadTiff(path.c_str(), &loaded), VnReplyOk);
    expectGrey(*loaded, true, false);

    WriteGrey(path, width, height, 8, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE, grey, ORIENTATION_BOTLEFT);
    ASSERT_EQ(LoadTiff(path.c_str(), &loaded), VnReplyOk);
    expectGrey(*loaded, false, true);

    // Bilevel min-is-black, PackBits: bit 1 is white.
    std::vector<uint8_t> bits(2 * height, 0);
    bits[0] = 0x80; // top row, first pixel white
    WriteGrey(path, width, height, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_PACKBITS, bits);
    ASSERT_EQ(LoadTiff(path.c_str(), &loaded), VnReplyOk);
    ASSERT_EQ(loaded->BitCount(), 1);
    EXPECT_EQ(PixelIndex(loaded->Row(height - 1), 0, 1), 1);
    EXPECT_EQ(PixelIndex(loaded->Row(height - 1), 1, 1), 0);
    EXPECT_EQ(GreyAt(*loaded, 0, static_cast<int32_t>(height - 1)), 255);
}

TEST_F(TiffFileTest, OtherLayoutsGoThroughTheRgbaReader)
{
    const std::string path = PathOf("wide.tif");
    // 16-bit grey: no direct path, read as 24 bits of the high bytes.
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 4u);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 2u);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 80.0f);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 40.0f);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER);
    uint16_t row[4] = {0, 0x4000, 0x8000, 0xffff};
    TIFFWriteScanline(tiff, row, 0, 0);
    TIFFWriteScanline(tiff, row, 1, 0);
    TIFFClose(tiff);

    ImageHandle loaded;
    ASSERT_EQ(LoadTiff(path.c_str(), &loaded), VnReplyOk);
    ASSERT_EQ(loaded->BitCount(), 24);
    EXPECT_EQ(loaded->XPelsPerMeter(), 8000);
    EXPECT_EQ(loaded->YPelsPerMeter(), 4000);
    for (int32_t x = 0; x < 4; ++x)
        EXPECT_NEAR(GreyAt(*loaded, x, 0), row[x] >> 8, 1) << x;
}

TEST_F(TiffFileTest, RepliesForBadTypesFilesAndImages)
{
    auto image = Pattern(8, 8, 8, 200);
    const std::string path = PathOf("x.tif");
    for (const int32_t type : {0, 1, 4, 26, 30}) {
        EXPECT_EQ(SaveTiff(image.get(), path.c_str(), type), VnReplyInvalidCommand) << type;
        EXPECT_FALSE(std::filesystem::exists(path)) << type;
    }
    EXPECT_EQ(SaveTiff(nullptr, path.c_str(), VnTiffCcittGroup4), VnReplyImageNotPresent);
    EXPECT_EQ(SaveTiff(image.get(), PathOf("no/folder/x.tif").c_str(), VnTiffUncompressed), VnReplyTiffNotCreated);

    ImageHandle loaded;
    EXPECT_EQ(LoadTiff(PathOf("absent.tif").c_str(), &loaded), VnReplyImageNotPresent);
    WriteAll(path, {'I', 'I', 42, 0, 0xff, 0xff, 0xff, 0x7f, 1, 2, 3});
    EXPECT_EQ(LoadTiff(path.c_str(), &loaded), VnReplyTiffNotCreated);
    // A real file cut short in its pixel data.
    ASSERT_EQ(SaveTiff(Pattern(64, 64, 8, 200).get(), path.c_str(), VnTiffUncompressed), VnReplyOk);
    std::vector<uint8_t> whole = ReadAll(path);
    whole.resize(whole.size() / 2);
    WriteAll(path, whole);
    EXPECT_EQ(LoadTiff(path.c_str(), &loaded), VnReplyTiffNotCreated);
    EXPECT_FALSE(loaded);
}

TEST(PixelBudget, SizesAtTheBudgetAndOneStepPast)
{
    struct Case {
        uint64_t Width;
        uint64_t Height;
        uint32_t Bits;
        bool Fits;
    } cases[] = {
        {16384, 16384, 8, true}, // 2^28 bytes exactly
        {16384, 16385, 8, false},
        {8192, 8192, 32, true},
        {8192, 8193, 32, false},
        {65535, 32768, 1, true}, // rows of 8192 bytes
        {65535, 32769, 1, false},
        {65536, 1, 1, false}, // a side past the largest
        {1, 65536, 1, false},
        {0, 1, 8, false},
        {1, 0, 8, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitsPixelBudget(c.Width, c.Height, c.Bits), c.Fits) << c.Width << " x " << c.Height << " x " << c.Bits;
}

TEST_F(TiffFileTest, TinyFilesClaimingHugeSizesAreRefusedBeforeAllocating)
{
    struct Case {
        uint32_t Width;
        uint32_t Height;
        uint16_t Bits;
    } cases[] = {{60000, 60000, 1}, {60000, 60000, 8}, {16384, 16385, 8}, {16384, 16384, 16}, {70000, 10, 8}};
    const std::unique_ptr<VnApi> api = CreateVirtualUnitApi(PathOf(""));
    for (const Case& c : cases) {
        const std::string path = PathOf("huge.tif");
        const std::vector<uint8_t> file = imagetest::TiffClaiming(c.Width, c.Height, c.Bits);
        ASSERT_EQ(file.size(), 150u);
        WriteAll(path, file);
        ImageHandle loaded;
        EXPECT_EQ(LoadTiff(path.c_str(), &loaded), VnReplyTiffNotCreated) << c.Width << " x " << c.Height;
        EXPECT_EQ(api->Varn_LoadImageFile(path.c_str(), &loaded), VnReplyTiffNotCreated) << c.Width << " x " << c.Height;
        EXPECT_FALSE(loaded);
    }
}

// ---- Any file -----------------------------------------------------------------

class ImageFileTest : public imagetest::ScratchFolder {};

TEST_F(ImageFileTest, ContentDecidesNotTheExtension)
{
    auto image = Pattern(21, 11, 8, 200);
    const std::string bmpAsJpg = PathOf("bmp.jpg");
    const std::string tifAsBmp = PathOf("tif.bmp");
    const std::string jpgAsTif = PathOf("jpg.tif");
    ASSERT_EQ(SaveBmp(image.get(), bmpAsJpg.c_str()), VnReplyOk);
    ASSERT_EQ(SaveTiff(image.get(), tifAsBmp.c_str(), VnTiffUncompressed), VnReplyOk);
    ASSERT_EQ(SaveJpeg(image.get(), 200, jpgAsTif.c_str()), VnReplyOk);

    ImageHandle loaded;
    ASSERT_EQ(LoadImageFile(bmpAsJpg.c_str(), &loaded), VnReplyOk);
    EXPECT_EQ(loaded->Bytes(), image->Bytes());
    ASSERT_EQ(LoadImageFile(tifAsBmp.c_str(), &loaded), VnReplyOk);
    EXPECT_EQ(loaded->Bytes(), image->Bytes());
    ASSERT_EQ(LoadImageFile(jpgAsTif.c_str(), &loaded), VnReplyOk);
    EXPECT_EQ(loaded->Width(), 21);
}

TEST_F(ImageFileTest, SignaturesAndFailures)
{
    const std::pair<std::vector<uint8_t>, ImageFileKind> heads[] = {
        {{'B', 'M', 0, 0}, ImageFileKind::Bmp},       {{0xff, 0xd8, 0xff, 0xe0}, ImageFileKind::Jpeg},
        {{'I', 'I', 42, 0}, ImageFileKind::Tiff},     {{'M', 'M', 0, 42}, ImageFileKind::Tiff},
        {{'I', 'I', 43, 0}, ImageFileKind::Tiff},     {{'M', 'M', 42, 0}, ImageFileKind::Unknown},
        {{0xff, 0xd8, 0x00, 0x00}, ImageFileKind::Unknown}, {{'B'}, ImageFileKind::Unknown},
        {{'G', 'I', 'F', '8'}, ImageFileKind::Unknown},
    };
    for (const auto& [head, kind] : heads)
        EXPECT_EQ(ImageFileKindOf(head.data(), head.size()), kind);

    ImageHandle kept = PackedBitmap::Create(2, 2, 8, 0);
    const PackedBitmap* before = kept.get();
    EXPECT_EQ(LoadImageFile(PathOf("absent.bmp").c_str(), &kept), VnReplyImageNotPresent);
    WriteAll(PathOf("gif.bmp"), {'G', 'I', 'F', '8', '9', 'a'});
    EXPECT_EQ(LoadImageFile(PathOf("gif.bmp").c_str(), &kept), VnReplyDibNotCreated);
    WriteAll(PathOf("empty.bmp"), {});
    EXPECT_EQ(LoadImageFile(PathOf("empty.bmp").c_str(), &kept), VnReplyDibNotCreated);
    WriteAll(PathOf("short.bmp"), {'B', 'M', 1, 2, 3});
    EXPECT_EQ(LoadImageFile(PathOf("short.bmp").c_str(), &kept), VnReplyDibNotCreated);
    EXPECT_EQ(LoadImageFile(nullptr, &kept), VnReplyInvalidCommand);
    EXPECT_EQ(kept.get(), before) << "a failed load leaves the caller's image alone";
}

// Small files whose headers claim 100,000 x 100,000 pixels (a JPEG header holds
// at most 65535 a side) are refused with each format's reply, whichever way
// they are opened, and nothing is allocated for their pixels.
TEST_F(ImageFileTest, HeadersClaimingHugeSizesAreRefused)
{
    auto small = Pattern(8, 8, 8, 200);
    std::vector<uint8_t> bmp;
    ASSERT_EQ(EncodeBmp(small.get(), &bmp), VnReplyOk);
    std::vector<uint8_t> jpeg;
    ASSERT_EQ(EncodeJpeg(small.get(), 75, &jpeg), VnReplyOk);

    const auto bmpClaiming = [&](int32_t width, int32_t height) {
        std::vector<uint8_t> file = bmp;
        le::WriteU32(&file[18], static_cast<uint32_t>(width));
        le::WriteU32(&file[22], static_cast<uint32_t>(height));
        return file;
    };
    const auto jpegClaiming = [&](uint16_t width, uint16_t height) {
        std::vector<uint8_t> file = jpeg;
        for (size_t i = 2; i + 8 < file.size(); ++i)
            if (file[i] == 0xFF && file[i + 1] == 0xC0) { // start of frame: height then width, big-endian
                file[i + 5] = static_cast<uint8_t>(height >> 8);
                file[i + 6] = static_cast<uint8_t>(height);
                file[i + 7] = static_cast<uint8_t>(width >> 8);
                file[i + 8] = static_cast<uint8_t>(width);
                break;
            }
        return file;
    };
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        int32_t Reply;
    } cases[] = {
        {"bmp 100000 x 100000", bmpClaiming(100000, 100000), VnReplyDibNotCreated},
        {"bmp 100000 x -100000", bmpClaiming(100000, -100000), VnReplyDibNotCreated},
        {"bmp 65536 x 1", bmpClaiming(65536, 1), VnReplyDibNotCreated},
        {"bmp 16384 x 16385", bmpClaiming(16384, 16385), VnReplyDibNotCreated},
        {"jpeg 65535 x 65535", jpegClaiming(65535, 65535), VnReplyJpegNotCreated},
        {"jpeg 16384 x 16385", jpegClaiming(16384, 16385), VnReplyJpegNotCreated}, // grey: one row past
        {"tiff 100000 x 100000", imagetest::TiffClaiming(100000, 100000, 8), VnReplyTiffNotCreated},
        {"tiff 100000 x 100000 1 bit", imagetest::TiffClaiming(100000, 100000, 1), VnReplyTiffNotCreated},
    };
    const std::unique_ptr<VnApi> api = CreateVirtualUnitApi(PathOf(""));
    for (const Case& c : cases) {
        const std::string path = PathOf("huge");
        WriteAll(path, c.File);
        ImageHandle loaded;
        EXPECT_EQ(api->Varn_LoadImageFile(path.c_str(), &loaded), c.Reply) << c.Name;
        EXPECT_EQ(LoadImageFile(path.c_str(), &loaded), c.Reply) << c.Name;
        EXPECT_FALSE(loaded) << c.Name;
    }
    // The untouched files still load: the refusals are the sizes' doing.
    ASSERT_EQ(DecodeBmp(bmp.data(), bmp.size(), &small), VnReplyOk);
    ASSERT_EQ(DecodeJpeg(jpeg.data(), jpeg.size(), &small), VnReplyOk);
}
