// Packed bitmaps into pictures and back, the program's own BMP writer, and
// every save format read back.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "../vnapi/ImageTestSupport.h"
#include "views/DibToBitmap.h"
#include "views/ImageFiles.h"
#include "vnapi/ByteOrder.h"
#include "vnapi/PackedBitmap.h"

namespace {

// A bitmap with every stored byte of its pixel rows filled from a simple
// generator (padding left zero), colour tables as given.
std::unique_ptr<PackedBitmap> Patterned(int32_t w, int32_t h, uint16_t bits, int32_t dpi)
{
    auto dib = PackedBitmap::Create(w, h, bits, dpi);
    const size_t used = (static_cast<size_t>(w) * bits + 7) / 8;
    uint32_t seed = 12345;
    for (int32_t r = 0; r < h; ++r) {
        for (size_t i = 0; i < used; ++i) {
            seed = seed * 1103515245u + 12345u;
            dib->Row(r)[i] = static_cast<uint8_t>(seed >> 16);
        }
        // Bits past the last pixel of the last byte stay clear.
        const size_t spare = used * 8 - static_cast<size_t>(w) * bits;
        if (spare)
            dib->Row(r)[used - 1] &= static_cast<uint8_t>(0xFF << spare);
    }
    return dib;
}

std::vector<uint8_t> ReadAll(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Largest and mean difference of any colour channel between two pictures of
// one size.
struct Difference {
    int Largest = 0;
    double Mean = 0;
};
Difference Compare(const QImage& a, const QImage& b)
{
    Difference d;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            for (int diff : {std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q))}) {
                d.Largest = std::max(d.Largest, diff);
                sum += diff;
            }
        }
    }
    d.Mean = sum / (3.0 * x.width() * x.height());
    return d;
}

QImage WithDpi(QImage image, int dpi)
{
    image.setDotsPerMeterX(PackedBitmap::DpiToPelsPerMeter(dpi));
    image.setDotsPerMeterY(PackedBitmap::DpiToPelsPerMeter(dpi));
    return image;
}

QImage BlackAndWhite()
{
    QImage image(67, 41, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, ((x / 3 + y / 2) % 3 == 0) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return WithDpi(image, 200);
}

QImage GreyLevels()
{
    QImage image(64, 33, QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.scanLine(y)[x] = static_cast<uint8_t>(x * 3 + y * 2);
    return WithDpi(image, 300);
}

// Only the sixteen colours of the standard 4-bit palette.
QImage SixteenColours()
{
    static const QRgb colours[] = {qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),
                                   qRgb(255, 255, 0),   qRgb(0, 0, 255),     qRgb(255, 0, 255),
                                   qRgb(0, 255, 255),   qRgb(192, 192, 192), qRgb(128, 128, 128),
                                   qRgb(255, 0, 0),     qRgb(255, 255, 255)};
    QImage image(45, 30, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, colours[(x / 4 + y / 3) % std::size(colours)]);
    return WithDpi(image, 240);
}

QImage Colour()
{
    QImage image(96, 64, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 2 + 30, y * 3 + 20, (x + y) + 40));
    return WithDpi(image, 300);
}

} // namespace

TEST(DibToBitmap, EachBitCountWithItsTableAndRowsBottomFirst)
{
    // 1 bit: entry 0 black, entry 1 white; the stored first row is the bottom.
    auto mono = PackedBitmap::Create(10, 3, 1, 300);
    mono->Row(0)[0] = 0x80;
    QImage image;
    ASSERT_TRUE(DibToBitmap(*mono, image));
    EXPECT_EQ(image.format(), QImage::Format_Mono);
    EXPECT_EQ(image.pixel(0, 2), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(1, 2), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.dotsPerMeterX(), PackedBitmap::DpiToPelsPerMeter(300));

    // 4 bits: high nibble first, colours from the table (stored B, G, R).
    auto four = PackedBitmap::Create(3, 2, 4, 200);
    uint8_t* entry = four->ColorEntry(5);
    entry[0] = 10, entry[1] = 20, entry[2] = 30;
    four->Row(1)[0] = 0x5F;
    four->Row(1)[1] = 0x50;
    ASSERT_TRUE(DibToBitmap(*four, image));
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(image.colorCount(), 16);
    EXPECT_EQ(image.pixel(0, 0), qRgb(30, 20, 10));
    EXPECT_EQ(image.pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(2, 0), qRgb(30, 20, 10));
    EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 0));

    // 8 bits.
    auto eight = PackedBitmap::Create(2, 2, 8, 200);
    eight->ColorEntry(200)[2] = 255;
    eight->ColorEntry(200)[1] = 0;
    eight->ColorEntry(200)[0] = 0;
    eight->Row(0)[1] = 200;
    ASSERT_TRUE(DibToBitmap(*eight, image));
    EXPECT_EQ(image.colorCount(), 256);
    EXPECT_EQ(image.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 0));

    // 24 bits in blue, green, red order.
    auto rgb = PackedBitmap::Create(2, 2, 24, 200);
    rgb->Row(1)[3] = 1, rgb->Row(1)[4] = 2, rgb->Row(1)[5] = 3;
    ASSERT_TRUE(DibToBitmap(*rgb, image));
    EXPECT_EQ(image.pixel(1, 0), qRgb(3, 2, 1));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));
}

TEST(DibToBitmap, ResolutionZeroBecomes150EachWayOnItsOwn)
{
    auto dib = PackedBitmap::Create(4, 4, 8, 0);
    QImage image;
    ASSERT_TRUE(DibToBitmap(*dib, image));
    EXPECT_EQ(ImageDpiX(image), 150);
    EXPECT_EQ(ImageDpiY(image), 150);

    dib->SetResolution(0, PackedBitmap::DpiToPelsPerMeter(300));
    ASSERT_TRUE(DibToBitmap(*dib, image));
    EXPECT_EQ(ImageDpiX(image), 150);
    EXPECT_EQ(ImageDpiY(image), 300);
}

TEST(DibToBitmap, RefusesAnInvalidBitmapAndLeavesThePictureAlone)
{
    QImage image(3, 3, QImage::Format_RGB32);
    image.fill(Qt::green);

    auto shortBlock = PackedBitmap::Create(100, 100, 24, 300);
    shortBlock->Bytes().resize(shortBlock->Bytes().size() - 1);
    auto sixteenBits = PackedBitmap::Create(4, 4, 24, 300);
    le::WriteU16(sixteenBits->Bytes().data() + 14, 16);
    auto compressed = PackedBitmap::Create(4, 4, 8, 300);
    le::WriteU32(compressed->Bytes().data() + 16, 1);
    const PackedBitmap empty;

    for (const PackedBitmap* bad :
         std::initializer_list<const PackedBitmap*>{shortBlock.get(), sixteenBits.get(), compressed.get(), &empty}) {
        EXPECT_FALSE(DibToBitmap(*bad, image));
        EXPECT_EQ(image.size(), QSize(3, 3));
        EXPECT_EQ(image.pixel(1, 1), QColor(Qt::green).rgb());
    }
}

TEST(BitmapToDib, GivesBackTheSameBytesAtEachBitCount)
{
    for (uint16_t bits : {1, 4, 8, 24}) {
        for (int32_t width : {1, 7, 33}) {
            const auto original = Patterned(width, 5, bits, 300);
            QImage image;
            ASSERT_TRUE(DibToBitmap(*original, image));
            const auto back = BitmapToDib(image, bits);
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(back->Bytes(), original->Bytes()) << bits << " bits, width " << width;
            EXPECT_EQ(NaturalBitCount(image), bits);
        }
    }
}

TEST(BitmapToDib, ReducesColoursForTheSmallerDepths)
{
    const QImage colour = SixteenColours();
    for (uint16_t bits : {4, 24}) {
        const auto dib = BitmapToDib(colour, bits);
        ASSERT_NE(dib, nullptr);
        QImage back;
        ASSERT_TRUE(DibToBitmap(*dib, back));
        EXPECT_EQ(Compare(colour, back).Largest, 0) << bits << " bits";
    }
    // Grey pictures keep every level at 8 bits, and the nearest of sixteen at 4.
    const QImage grey = GreyLevels();
    QImage back;
    ASSERT_TRUE(DibToBitmap(*BitmapToDib(grey, 8), back));
    EXPECT_EQ(Compare(grey, back).Largest, 0);
    ASSERT_TRUE(DibToBitmap(*BitmapToDib(grey, 4), back));
    EXPECT_LE(Compare(grey, back).Largest, 8);

    // 1 bit: white from half brightness up.
    QImage two(2, 1, QImage::Format_RGB32);
    two.setPixel(0, 0, qRgb(127, 127, 127));
    two.setPixel(1, 0, qRgb(128, 128, 128));
    ASSERT_TRUE(DibToBitmap(*BitmapToDib(two, 1), back));
    EXPECT_EQ(back.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(back.pixel(1, 0), qRgb(255, 255, 255));

    EXPECT_EQ(BitmapToDib(QImage(), 8), nullptr);
    EXPECT_EQ(BitmapToDib(colour, 16), nullptr);
}

TEST(SaveDibAsBmp, EightBitsWithImageSize1000)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto dib = Patterned(100, 10, 8, 300); // 100-byte rows: 1000 bytes of pixels
    ASSERT_EQ(dib->ImageSize(), 1000u);
    const QString path = dir.filePath("eight.bmp");
    ASSERT_TRUE(SaveDibAsBmp(*dib, path.toStdString()));

    const std::vector<uint8_t> file = ReadAll(path);
    ASSERT_EQ(file.size(), 2078u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(le::ReadU32(file.data() + 2), 2078u);
    EXPECT_EQ(le::ReadU16(file.data() + 6), 0);
    EXPECT_EQ(le::ReadU16(file.data() + 8), 0);
    EXPECT_EQ(le::ReadU32(file.data() + 10), 1078u);
    EXPECT_TRUE(std::equal(file.begin() + 14, file.end(), dib->Bytes().begin()));

    // Any BMP reader takes it.
    QImage image;
    ASSERT_TRUE(LoadImageFile(path, image));
    QImage expected;
    ASSERT_TRUE(DibToBitmap(*dib, expected));
    EXPECT_EQ(Compare(image, expected).Largest, 0);
}

TEST(SaveDibAsBmp, PixelOffsetFollowsTheBitCount)
{
    QTemporaryDir dir;
    struct Case {
        uint16_t bits;
        uint32_t offset;
    } cases[] = {{1, 62}, {4, 118}, {8, 1078}, {24, 54}};
    for (const Case& c : cases) {
        const auto dib = Patterned(13, 4, c.bits, 300);
        const QString path = dir.filePath(QStringLiteral("b%1.bmp").arg(c.bits));
        ASSERT_TRUE(SaveDibAsBmp(*dib, path.toStdString()));
        const std::vector<uint8_t> file = ReadAll(path);
        ASSERT_GE(file.size(), 14u);
        EXPECT_EQ(le::ReadU32(file.data() + 10), c.offset) << c.bits << " bits";
        EXPECT_EQ(file.size(), 14 + dib->Bytes().size()) << c.bits << " bits";
    }
}

TEST(SaveDibAsBmp, WritesNothingWhenTheHeaderClaimsMoreThanTheBlockHolds)
{
    QTemporaryDir dir;
    auto dib = Patterned(100, 10, 8, 300);
    dib->SetImageSize(1001);
    const QString path = dir.filePath("claims.bmp");
    EXPECT_FALSE(SaveDibAsBmp(*dib, path.toStdString()));
    EXPECT_FALSE(QFile::exists(path));

    const PackedBitmap tooShort(std::vector<uint8_t>(20, 0));
    EXPECT_FALSE(SaveDibAsBmp(tooShort, path.toStdString()));
    EXPECT_FALSE(QFile::exists(path));

    // A folder that does not exist is skipped silently.
    EXPECT_FALSE(SaveDibAsBmp(*Patterned(4, 4, 8, 300), dir.filePath("none/x.bmp").toStdString()));
}

TEST(SaveImageToFile, EveryFormatReadsBackAsSaved)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char* name;
        SaveFormat format;
        int bits;
        TiffCompression compression;
        QImage picture;
        int largest; // JPEG loses a little
        double mean;
    } cases[] = {
        {"bmp1", SaveFormat::Bmp, 1, TiffCompression::None, BlackAndWhite(), 0, 0},
        {"bmp4", SaveFormat::Bmp, 4, TiffCompression::None, SixteenColours(), 0, 0},
        {"bmp8", SaveFormat::Bmp, 8, TiffCompression::None, GreyLevels(), 0, 0},
        {"bmp24", SaveFormat::Bmp, 24, TiffCompression::None, Colour(), 0, 0},
        {"tif1", SaveFormat::Tiff, 1, TiffCompression::None, BlackAndWhite(), 0, 0},
        {"tif1rle", SaveFormat::Tiff, 1, TiffCompression::CcittRle, BlackAndWhite(), 0, 0},
        {"tif1g31", SaveFormat::Tiff, 1, TiffCompression::CcittGroup3OneD, BlackAndWhite(), 0, 0},
        {"tif1g32", SaveFormat::Tiff, 1, TiffCompression::CcittGroup3TwoD, BlackAndWhite(), 0, 0},
        {"tif1g4", SaveFormat::Tiff, 1, TiffCompression::CcittGroup4, BlackAndWhite(), 0, 0},
        {"tif4", SaveFormat::Tiff, 4, TiffCompression::None, SixteenColours(), 0, 0},
        {"tif8", SaveFormat::Tiff, 8, TiffCompression::None, GreyLevels(), 0, 0},
        {"tif24", SaveFormat::Tiff, 24, TiffCompression::None, Colour(), 0, 0},
        {"jpg8", SaveFormat::Jpeg, 8, TiffCompression::None, GreyLevels(), 24, 2.0},
        {"jpg24", SaveFormat::Jpeg, 24, TiffCompression::None, Colour(), 24, 2.0},
    };
    for (const Case& c : cases) {
        SaveOptions options;
        options.Format = c.format;
        options.BitsPerPixel = c.bits;
        options.Compression = c.compression;
        options.QualityFactor = MinQualityFactor;
        const QString path = dir.filePath(QLatin1String(c.name));
        ASSERT_TRUE(SaveImageToFile(c.picture, path, options)) << c.name;
        QImage back;
        ASSERT_TRUE(LoadImageFile(path, back)) << c.name;
        ASSERT_EQ(back.size(), c.picture.size()) << c.name;
        const Difference d = Compare(c.picture, back);
        EXPECT_LE(d.Largest, c.largest) << c.name;
        EXPECT_LE(d.Mean, c.mean) << c.name;
        EXPECT_EQ(ImageDpiX(back), ImageDpiX(c.picture)) << c.name;
        EXPECT_EQ(ImageDpiY(back), ImageDpiY(c.picture)) << c.name;
    }
}

TEST(SaveImageToFile, CcittCompressionsReallyCompress)
{
    // A mostly white page: each fax coding is well below the raw size.
    QImage page(800, 400, QImage::Format_RGB32);
    page.fill(Qt::white);
    for (int y = 100; y < 110; ++y)
        for (int x = 50; x < 750; ++x)
            page.setPixel(x, y, qRgb(0, 0, 0));
    QTemporaryDir dir;
    SaveOptions options;
    options.Format = SaveFormat::Tiff;
    options.BitsPerPixel = 1;
    const qint64 raw = 800 / 8 * 400;
    for (TiffCompression compression : {TiffCompression::CcittRle, TiffCompression::CcittGroup3OneD,
                                        TiffCompression::CcittGroup3TwoD, TiffCompression::CcittGroup4}) {
        options.Compression = compression;
        const QString path = dir.filePath(QStringLiteral("c%1.tif").arg(static_cast<int>(compression)));
        ASSERT_TRUE(SaveImageToFile(page, path, options));
        EXPECT_LT(QFile(path).size(), raw / 4) << static_cast<int>(compression);
    }
}

TEST(SaveImageToFile, JpegQualityFactorRunsFromBestToSmallest)
{
    EXPECT_EQ(JpegQuality(2), 100);
    EXPECT_EQ(JpegQuality(255), 0);
    EXPECT_EQ(JpegQuality(128), 50);
    EXPECT_EQ(JpegQuality(0), 100);

    QTemporaryDir dir;
    SaveOptions options;
    options.Format = SaveFormat::Jpeg;
    options.BitsPerPixel = 24;
    options.QualityFactor = 2;
    ASSERT_TRUE(SaveImageToFile(Colour(), dir.filePath("best.jpg"), options));
    options.QualityFactor = 255;
    ASSERT_TRUE(SaveImageToFile(Colour(), dir.filePath("small.jpg"), options));
    EXPECT_LT(QFile(dir.filePath("small.jpg")).size(), QFile(dir.filePath("best.jpg")).size());
}

TEST(LoadImageFile, NoResolutionInTheFileMeans150Dpi)
{
    QTemporaryDir dir;
    // A BMP whose header says 0 pixels per metre.
    auto dib = Patterned(20, 10, 24, 0);
    ASSERT_TRUE(SaveDibAsBmp(*dib, dir.filePath("zero.bmp").toStdString()));
    QImage image;
    ASSERT_TRUE(LoadImageFile(dir.filePath("zero.bmp"), image));
    EXPECT_EQ(ImageDpiX(image), 150);
    EXPECT_EQ(ImageDpiY(image), 150);

    // A TIFF written with resolution 0.
    SaveOptions tiff;
    tiff.Format = SaveFormat::Tiff;
    tiff.BitsPerPixel = 24;
    QImage zero;
    ASSERT_TRUE(DibToBitmap(*dib, zero));
    ASSERT_TRUE(SaveImageToFile(zero, dir.filePath("zero.tif"), tiff));
    ASSERT_TRUE(LoadImageFile(dir.filePath("zero.tif"), image));
    EXPECT_EQ(ImageDpiX(image), 150);

    // A JPEG whose JFIF segment gives an aspect ratio only (units 0).
    SaveOptions jpeg;
    jpeg.Format = SaveFormat::Jpeg;
    ASSERT_TRUE(SaveImageToFile(WithDpi(Colour(), 400), dir.filePath("aspect.jpg"), jpeg));
    ASSERT_TRUE(LoadImageFile(dir.filePath("aspect.jpg"), image));
    EXPECT_EQ(ImageDpiX(image), 400);
    QFile file(dir.filePath("aspect.jpg"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.mid(6, 5), QByteArray("JFIF\0", 5));
    bytes[13] = 0;
    file.seek(0);
    file.write(bytes);
    file.close();
    ASSERT_TRUE(LoadImageFile(dir.filePath("aspect.jpg"), image));
    EXPECT_EQ(ImageDpiX(image), 150);
    EXPECT_EQ(ImageDpiY(image), 150);
}

TEST(LoadImageFile, MissingAndUnreadableFilesFail)
{
    QTemporaryDir dir;
    QImage image;
    EXPECT_FALSE(LoadImageFile(dir.filePath("missing.bmp"), image));
    QFile junk(dir.filePath("junk.tif"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("II*\0garbage that is no tiff", 27);
    junk.close();
    EXPECT_FALSE(LoadImageFile(junk.fileName(), image));
    QFile text(dir.filePath("text.bmp"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    EXPECT_FALSE(LoadImageFile(text.fileName(), image));
    EXPECT_TRUE(image.isNull());
}

TEST(LoadImageFile, TinyTiffsClaimingHugeSizesFailWithoutAllocating)
{
    QTemporaryDir dir;
    struct Case {
        uint32_t Width;
        uint32_t Height;
        uint16_t Bits;
    } cases[] = {{60000, 60000, 1}, {60000, 60000, 8}, {16384, 16384, 16}, {8192, 8193, 16}};
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = imagetest::TiffClaiming(c.Width, c.Height, c.Bits);
        QFile file(dir.filePath("huge.tif"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        file.close();
        QImage image;
        EXPECT_FALSE(LoadImageFile(file.fileName(), image)) << c.Width << " x " << c.Height;
        EXPECT_TRUE(image.isNull());
    }
}
