// zxing's text() is UTF-8 with this, as in the library itself.
#define ZX_USE_UTF8
#include <gtest/gtest.h>

#include <ZXing/ReadBarcode.h>

#include "docs/ChequeGenerator.h"
#include "docs/DocumentGeometry.h"
#include "docs/DocumentRenderer.h"
#include "docs/DocumentScanner.h"
#include "vnapi/ByteOrder.h"

namespace {

// Grey value of a pixel (x from the left, y from the top) of an 8-bit image.
int Grey(const PackedBitmap& image, int x, int y) { return image.Row(image.Height() - 1 - y)[x]; }

double MeanGrey(const PackedBitmap& image, int x0, int y0, int x1, int y1)
{
    double sum = 0.0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            sum += Grey(image, x, y);
    return sum / ((x1 - x0) * (y1 - y0));
}

// The image top row first, as zxing reads it.
std::vector<uint8_t> TopDown(const PackedBitmap& image)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(image.Width()) * image.Height());
    for (int y = 0; y < image.Height(); ++y)
        std::copy_n(image.Row(image.Height() - 1 - y), image.Width(), pixels.begin() + static_cast<long>(y) * image.Width());
    return pixels;
}

// Decodes what lies in a window measured from the right and bottom edges
// (mm) of a 200 dpi grey image cropped to the document.
std::string ReadWindow(const PackedBitmap& image, ZXing::BarcodeFormats formats, double x, double y, double w, double h)
{
    const double px = 200.0 / 25.4;
    const int right = std::max(0, image.Width() - static_cast<int>(x * px));
    const int left = std::max(0, image.Width() - static_cast<int>((x + w) * px));
    const int bottom = std::max(0, image.Height() - static_cast<int>(y * px));
    const int top = std::max(0, image.Height() - static_cast<int>((y + h) * px));
    const std::vector<uint8_t> pixels = TopDown(image);
    ZXing::ImageView view(pixels.data() + static_cast<long>(top) * image.Width() + left, right - left, bottom - top,
                          ZXing::ImageFormat::Lum, image.Width());
    ZXing::DecodeHints hints;
    hints.setFormats(formats);
    hints.setTryHarder(true);
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    return result.isValid() ? result.text() : std::string();
}

DocumentSpec ChequeWith(ChequeLayout layout, uint32_t index = 3)
{
    return MakeCheque(5, index, layout);
}

} // namespace

TEST(DocumentRenderer, ScanModesGiveTheirFormats)
{
    struct Case {
        uint16_t Mode;
        int Dpi;
        uint16_t Bits;
    };
    const DocumentSpec doc = ChequeWith({});
    DocumentImages images(doc, {});
    for (const Case& c : {Case{1, 200, 1}, Case{2, 100, 4}, Case{3, 200, 4}, Case{20, 300, 4}, Case{4, 100, 8},
                          Case{5, 200, 8}, Case{21, 300, 8}, Case{10, 100, 24}, Case{11, 200, 24}}) {
        SCOPED_TRACE(c.Mode);
        const ImageHandle image = images.Scan(true, 'F', c.Mode, 1, {});
        ASSERT_TRUE(image);
        ASSERT_TRUE(image->IsValid());
        EXPECT_EQ(image->BitCount(), c.Bits);
        EXPECT_EQ(image->XPelsPerMeter(), PackedBitmap::DpiToPelsPerMeter(c.Dpi));
        EXPECT_EQ(image->YPelsPerMeter(), PackedBitmap::DpiToPelsPerMeter(c.Dpi));
        EXPECT_EQ(image->Width(), std::lround(doc.LengthMm / 25.4 * c.Dpi));
        EXPECT_EQ(image->Height(), std::lround(doc.HeightMm / 25.4 * c.Dpi));
        EXPECT_EQ(image->RowStride() % 4, 0u);
        EXPECT_EQ(image->ImageSize(), image->RowStride() * image->Height());
        EXPECT_EQ(image->Bytes().size(), image->PixelOffset() + image->ImageSize());
        EXPECT_EQ(image->ColorTableEntries(), c.Bits <= 8 ? 1u << c.Bits : 0u);
        if (c.Bits <= 8) {
            // A grey ramp; for one bit entry 0 is black and 1 white.
            const uint32_t last = image->ColorTableEntries() - 1;
            EXPECT_EQ(image->ColorEntry(0)[0], 0);
            EXPECT_EQ(image->ColorEntry(last)[0], 255);
            EXPECT_EQ(image->ColorEntry(last)[2], 255);
        }
    }
    EXPECT_FALSE(images.Scan(true, 'F', 6, 1, {})) << "no such scan mode";
}

TEST(DocumentRenderer, PackedPixelsKeepTheirOrder)
{
    // The same 200 dpi picture in 8, 4 and 1 bits: the leftmost pixel in the
    // high nibble or the high bit, rows bottom first.
    DocumentImages images(ChequeWith({}), {});
    ScanParams quiet;
    quiet.NoiseLevels = 0;
    const ImageHandle grey = images.Scan(true, 'F', 5, 0, quiet);
    const ImageHandle nibbles = images.Scan(true, 'F', 3, 0, quiet);
    const ImageHandle bits = images.Scan(true, 'F', 1, 0, quiet);
    ASSERT_EQ(grey->Width(), nibbles->Width());
    ASSERT_EQ(grey->Width(), bits->Width());
    int checked = 0;
    for (int r = 0; r < grey->Height(); r += 7) {
        for (int x = 0; x < grey->Width(); x += 3) {
            const int g = grey->Row(r)[x];
            const int n = (nibbles->Row(r)[x >> 1] >> (x & 1 ? 0 : 4)) & 15;
            const int b = (bits->Row(r)[x >> 3] >> (7 - (x & 7))) & 1;
            ASSERT_EQ(n, (g * 15 + 127) / 255) << x << ", " << r;
            ASSERT_EQ(b, g >= 128 ? 1 : 0) << x << ", " << r;
            checked += g < 128;
        }
    }
    EXPECT_GT(checked, 1000) << "dark pixels were among those compared";
}

TEST(DocumentRenderer, SideNGivesNothingAndPlanesAreGreyImagesOfOneColour)
{
    const DocumentSpec doc = MakeColourTestDocument();
    DocumentImages images(doc, {});
    EXPECT_FALSE(images.Scan(true, 'N', 11, 1, {}));
    ScanParams quiet;
    quiet.NoiseLevels = 0;
    const ImageHandle colour = images.Scan(true, 'F', 11, 1, quiet);
    ASSERT_TRUE(colour);
    // The RED band starts at column 158: read it in each plane.
    struct Plane {
        char Front, Back, Both;
        int Channel; // in a 24-bit pixel: 0 blue, 1 green, 2 red
    };
    for (const Plane& p : {Plane{'G', 'C', 'Y', 0}, Plane{'H', 'D', 'W', 1}, Plane{'I', 'E', 'Z', 2}}) {
        for (char side : {p.Front, p.Both}) {
            const ImageHandle plane = images.Scan(true, side, 11, 1, quiet);
            ASSERT_TRUE(plane) << side;
            EXPECT_EQ(plane->BitCount(), 8) << side;
            EXPECT_EQ(plane->Width(), colour->Width());
            EXPECT_EQ(plane->XPelsPerMeter(), colour->XPelsPerMeter());
            EXPECT_EQ(plane->Row(300)[190], colour->Row(300)[3 * 190 + p.Channel]) << side;
        }
        ASSERT_TRUE(images.Scan(false, p.Back, 11, 1, quiet));
        // Planes take the scan mode's resolution.
        EXPECT_EQ(images.Scan(true, p.Front, 10, 1, quiet)->Width(), std::lround(doc.LengthMm / 25.4 * 100));
    }
    const ImageHandle red = images.Scan(true, 'I', 11, 1, quiet);
    const ImageHandle blue = images.Scan(true, 'G', 11, 1, quiet);
    EXPECT_GT(red->Row(300)[190], 150);
    EXPECT_LT(blue->Row(300)[190], 60);
}

TEST(DocumentRenderer, SameDocumentSameBytes)
{
    const DocumentSpec doc = DefaultFeeder(3)[1];
    PrintJob job;
    job.Endorse = true;
    job.EndorseText = "DEPOSIT %d";
    ScanParams params;
    params.Seed = 9;
    DocumentImages first(doc, job), second(doc, job);
    for (uint16_t mode : {1, 5, 11}) {
        const ImageHandle a = first.Scan(true, 'F', mode, 0, params);
        const ImageHandle b = second.Scan(true, 'F', mode, 0, params);
        EXPECT_EQ(a->Bytes(), b->Bytes()) << mode;
        EXPECT_EQ(first.Scan(false, 'B', mode, 1, params)->Bytes(), second.Scan(false, 'B', mode, 1, params)->Bytes());
    }
    DocumentImages other(DefaultFeeder(4)[1], job);
    EXPECT_NE(first.Scan(true, 'F', 5, 1, params)->Bytes(), other.Scan(true, 'F', 5, 1, params)->Bytes());
}

TEST(DocumentRenderer, ClearImageCropsTheBackgroundAndClearsThePaper)
{
    const DocumentSpec doc = ChequeWith({});
    DocumentImages images(doc, {});
    const ImageHandle raw = images.Scan(true, 'F', 5, 0, {});
    const ImageHandle clear = images.Scan(true, 'F', 5, 1, {});
    ASSERT_TRUE(raw && clear);
    const int margin = (raw->Width() - clear->Width()) / 2;
    EXPECT_EQ(margin, std::lround(3.0 / 25.4 * 200)) << "3 mm of background before and after";
    EXPECT_EQ(raw->Height(), clear->Height());
    // The unit's black background shows before and after the document only.
    EXPECT_LT(MeanGrey(*raw, 0, 0, margin - 1, raw->Height()), 25.0);
    EXPECT_LT(MeanGrey(*raw, raw->Width() - margin + 1, 0, raw->Width(), raw->Height()), 25.0);
    EXPECT_GT(MeanGrey(*clear, 0, 0, 10, clear->Height()), 200.0);
    // Tinted, patterned paper becomes white; the codeline's ink stays.
    const int paperX = clear->Width() / 2, paperY = clear->Height() / 3;
    EXPECT_LT(MeanGrey(*raw, margin + paperX, paperY, margin + paperX + 40, paperY + 40), 248.0);
    EXPECT_EQ(MeanGrey(*clear, paperX, paperY, paperX + 40, paperY + 40), 255.0);
    const auto placed = docgeom::PlaceCodeline(doc);
    const double px = 200 / 25.4;
    const int codeX = clear->Width() - static_cast<int>((placed.front().RightMm + 1.0) * px);
    const int codeY = clear->Height() - static_cast<int>((docgeom::E13bBottomMm + 1.5) * px);
    int inkRaw = 0, inkClear = 0;
    for (int x = codeX - 40; x < codeX + 40; ++x) {
        inkRaw += Grey(*raw, margin + x, codeY) < 100;
        inkClear += Grey(*clear, x, codeY) < 100;
    }
    EXPECT_GT(inkClear, 10);
    EXPECT_NEAR(inkClear, inkRaw, 4);
}

TEST(DocumentRenderer, SkewShowsInRawAndCroppedScansAndAlignStraightens)
{
    DocumentSpec doc = ChequeWith({});
    doc.SkewDegrees = 1.0f;
    DocumentImages images(doc, {});
    const ImageHandle skewed = images.Scan(true, 'F', 5, 1, {});
    const ImageHandle straight = images.Scan(true, 'F', 5, 2, {});
    const int height = std::lround(doc.HeightMm / 25.4 * 200);
    EXPECT_EQ(straight->Height(), height);
    EXPECT_EQ(straight->Width(), std::lround(doc.LengthMm / 25.4 * 200));
    // A degree over the document's length lifts one end by ~3 mm.
    EXPECT_NEAR(skewed->Height() - height, doc.LengthMm * std::sin(3.14159265 / 180) / 25.4 * 200, 2.0);
    // The corners of a skewed scan show the unit's background.
    EXPECT_LT(Grey(*skewed, 1, 1) + Grey(*skewed, skewed->Width() - 2, skewed->Height() - 2), 80);
    EXPECT_GT(Grey(*straight, 1, 1), 200);
}

TEST(DocumentRenderer, ImageCalibrationScalesTheLength)
{
    const DocumentSpec doc = MakeBlankDocument(100.0f);
    DocumentImages images(doc, {});
    ScanParams params;
    for (double scale : {0.95, 1.0, 1.04}) {
        params.HorizontalScale = scale;
        const ImageHandle image = images.Scan(true, 'F', 1, 0, params);
        ASSERT_TRUE(image);
        // White (bit set) columns are the document; 787.4 of them at scale 1.
        int white = 0;
        const uint8_t* row = image->Row(image->Height() / 2);
        for (int x = 0; x < image->Width(); ++x)
            white += (row[x >> 3] >> (7 - (x & 7))) & 1;
        EXPECT_NEAR(white, 787.4 * scale, 1.5) << scale;
        EXPECT_EQ(image->Height(), std::lround(80.0 / 25.4 * 200));
    }
}

TEST(DocumentRenderer, BarcodesAndPdf417ReadInTheirDefaultWindows)
{
    struct Case {
        BarcodeKind Kind;
        ZXing::BarcodeFormat Format;
    };
    for (const Case& c : {Case{BarcodeKind::TwoOfFive, ZXing::BarcodeFormat::ITF},
                          Case{BarcodeKind::Code39, ZXing::BarcodeFormat::Code39},
                          Case{BarcodeKind::Code128, ZXing::BarcodeFormat::Code128}}) {
        ChequeLayout layout;
        layout.Barcode = c.Kind;
        layout.Pdf417 = true;
        const DocumentSpec doc = ChequeWith(layout, 6);
        DocumentImages images(doc, {});
        const ImageHandle front = images.Scan(true, 'F', 5, 1, {});
        ASSERT_TRUE(front);
        EXPECT_EQ(ReadWindow(*front, c.Format, 90.0, 4.0, 125.0, 12.0), doc.BarcodeText);
        // The PDF417 window defaults to the whole image.
        EXPECT_EQ(ReadWindow(*front, ZXing::BarcodeFormat::PDF417, 0.0, 0.0, doc.LengthMm, doc.HeightMm),
                  doc.Pdf417Text);
    }
}

TEST(DocumentRenderer, PrintingShowsOnTheImages)
{
    EXPECT_EQ(ExpandCounter("BATCH %d OK", 42, 5), "BATCH 00042 OK");
    EXPECT_EQ(ExpandCounter("%d/%d", 7, 0), "7/7");
    EXPECT_EQ(ExpandCounter("100%", 7, 0), "100%");

    const DocumentSpec doc = ChequeWith({});
    const auto inkIn = [](const PackedBitmap& image, double x0, double y0, double x1, double y1) {
        const double px = 200 / 25.4;
        int ink = 0;
        for (int y = static_cast<int>(y0 * px); y < static_cast<int>(y1 * px); ++y)
            for (int x = static_cast<int>(x0 * px); x < static_cast<int>(x1 * px); ++x)
                ink += Grey(image, x, y) < 128;
        return ink;
    };
    PrintJob none;
    PrintJob job;
    job.Endorse = true;
    job.EndorseText = "PAID %d";
    job.FontLetter = 'b';
    job.Digital = true;
    job.DigitalSide = 'X';
    job.DigitalText = "Digital string";
    job.DigitalX = 70.0f;
    job.DigitalY = 40.0f;
    job.DigitalGrayTone = 0;
    job.FrontStamp = true;
    DocumentImages plain(doc, none), printed(doc, job);
    const ImageHandle backPlain = plain.Scan(false, 'B', 5, 1, {});
    const ImageHandle backPrinted = printed.Scan(false, 'B', 5, 1, {});
    // The endorsement line near the top of the rear, from 20 mm in.
    EXPECT_EQ(inkIn(*backPlain, 62.0, 5.0, 100.0, 20.0), 0);
    EXPECT_GT(inkIn(*backPrinted, 20.0, 5.0, 40.0, 20.0), 100);
    // The digital string on both sides from 70 mm, 40 mm.
    EXPECT_EQ(inkIn(*backPlain, 70.0, 40.0, 100.0, 48.0), 0);
    EXPECT_GT(inkIn(*backPrinted, 70.0, 40.0, 100.0, 48.0), 200);
    const ImageHandle frontPrinted = printed.Scan(true, 'F', 5, 1, {});
    EXPECT_GT(inkIn(*frontPrinted, 70.0, 40.0, 100.0, 48.0),
              inkIn(*plain.Scan(true, 'F', 5, 1, {}), 70.0, 40.0, 100.0, 48.0) + 200);
    // A light grey tone is cleared like the paper.
    job.DigitalGrayTone = 230;
    DocumentImages light(doc, job);
    EXPECT_EQ(inkIn(*light.Scan(false, 'B', 5, 1, {}), 70.0, 40.0, 100.0, 48.0), 0);
    // The stamp on the front.
    EXPECT_GT(inkIn(*frontPrinted, doc.LengthMm / 2 - 20, doc.HeightMm * 0.14, doc.LengthMm / 2 + 14,
                    doc.HeightMm * 0.14 + 10),
              inkIn(*plain.Scan(true, 'F', 5, 1, {}), doc.LengthMm / 2 - 20, doc.HeightMm * 0.14,
                    doc.LengthMm / 2 + 14, doc.HeightMm * 0.14 + 10) + 300);
}

TEST(DocumentRenderer, ColourTestDocumentMeetsTheQualityWindowsOnAGoodUnit)
{
    DocumentImages images(MakeColourTestDocument(), {});
    const ImageHandle colour = images.Scan(true, 'F', 11, 1, {});
    const ImageHandle grey = images.Scan(true, 'F', 5, 1, {});
    ASSERT_TRUE(colour && grey);
    // Band first column, and the windows of red, green, blue and grey averages.
    struct Band {
        int Column;
        int Low[4], High[4];
    };
    const Band bands[] = {
        {1142, {187, 187, 187, 204}, {255, 255, 255, 255}}, {158, {153, 0, 0, 68}, {221, 34, 34, 119}},
        {354, {0, 119, 85, 68}, {34, 153, 119, 119}},       {552, {0, 85, 153, 85}, {34, 136, 204, 136}},
        {740, {187, 153, 17, 119}, {238, 204, 68, 170}},   {944, {0, 0, 0, 0}, {34, 34, 34, 34}},
    };
    for (const Band& b : bands) {
        double sum[4] = {};
        int count = 0;
        for (int r = 8; r < colour->Height(); ++r)
            for (int x = b.Column; x < b.Column + 80; ++x, ++count) {
                const uint8_t* p = colour->Row(r) + 3 * x;
                sum[0] += p[2];
                sum[1] += p[1];
                sum[2] += p[0];
                sum[3] += grey->Row(r)[x];
            }
        for (int k = 0; k < 4; ++k) {
            const double mean = sum[k] / count;
            EXPECT_GE(mean, b.Low[k]) << "band at " << b.Column << " light " << k;
            EXPECT_LE(mean, b.High[k]) << "band at " << b.Column << " light " << k;
        }
    }
    // Drag marks: two dark pixels wide, found from row 48 up to row 77.
    for (int m : {60, 299, 496, 693, 890, 1087, 1327}) {
        int dark = 0;
        for (int x = m - 9; x <= m + 8; ++x)
            dark += grey->Row(48)[x] < 128;
        EXPECT_EQ(dark, 2) << m;
        EXPECT_LT(grey->Row(77)[m], 128) << m;
    }
    // A skewed feed lifts the marks at one end above row 51.
    DocumentSpec skewedDoc = MakeColourTestDocument();
    skewedDoc.SkewDegrees = 1.0f;
    DocumentImages skewedImages(skewedDoc, {});
    const ImageHandle skewed = skewedImages.Scan(true, 'F', 5, 1, {});
    const auto firstDarkRow = [&](int column) {
        for (int r = 48; r <= 77; ++r)
            for (int x = column - 9; x <= column + 8; ++x)
                if (skewed->Row(r)[x] < 128)
                    return r;
        return 999;
    };
    EXPECT_GT(std::max(firstDarkRow(60), firstDarkRow(1327)), 51);
    // A dirty sensor element streaks every band: neighbouring rows differ.
    ScanParams dirty;
    dirty.StreakMm = 40.0;
    const ImageHandle streaked = images.Scan(true, 'F', 5, 1, dirty);
    const int streakRow = static_cast<int>(std::lround(40.0 / 25.4 * 200));
    int step = 0;
    for (int r = streakRow - 3; r < streakRow + 3; ++r)
        step = std::max(step, std::abs(streaked->Row(r)[1180] - streaked->Row(r + 1)[1180]));
    EXPECT_GT(step, 12);
    // A weak lamp greys the white band out of its window.
    ScanParams weak;
    weak.LampLevel = 0.7;
    const ImageHandle dim = images.Scan(true, 'F', 11, 1, weak);
    EXPECT_LT(dim->Row(400)[3 * 1180 + 2], 187);
}

TEST(DocumentScanner, ASlipRepeatsOrLosesTheColumnsAfterIt)
{
    // One row of ten pixels 0..9; the slip is at column 3, two columns long.
    struct Case {
        uint16_t Bits;
        int32_t Columns;
        std::vector<int> Expected;
    };
    const Case cases[] = {
        {8, 2, {0, 1, 2, 3, 4, 3, 4, 5, 6, 7}},
        {8, -2, {0, 1, 2, 5, 6, 7, 8, 9, 8, 9}},
        {8, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {24, 2, {0, 1, 2, 3, 4, 3, 4, 5, 6, 7}},
        {24, -2, {0, 1, 2, 5, 6, 7, 8, 9, 8, 9}},
    };
    for (const Case& c : cases) {
        ImageHandle image = PackedBitmap::Create(10, 2, c.Bits, 200);
        ASSERT_TRUE(image);
        const int bytes = c.Bits / 8;
        for (int32_t y = 0; y < 2; ++y)
            for (int x = 0; x < 10; ++x)
                for (int b = 0; b < bytes; ++b)
                    image->Row(y)[x * bytes + b] = static_cast<uint8_t>(x + 10 * b + 30 * y);
        SlipColumns(*image, 3, c.Columns);
        for (int32_t y = 0; y < 2; ++y)
            for (int x = 0; x < 10; ++x)
                for (int b = 0; b < bytes; ++b)
                    EXPECT_EQ(image->Row(y)[x * bytes + b], c.Expected[static_cast<size_t>(x)] + 10 * b + 30 * y)
                        << c.Bits << " bits, slip " << c.Columns << ", row " << y << ", column " << x;
    }
    // One bit per pixel, the same slips.
    ImageHandle bilevel = PackedBitmap::Create(10, 1, 1, 200);
    ASSERT_TRUE(bilevel);
    bilevel->Row(0)[0] = 0b10110010;
    bilevel->Row(0)[1] = 0b10000000;
    SlipColumns(*bilevel, 3, 2);
    // Columns 0..9 were 1 0 1 1 0 0 1 0 1 0; now 1 0 1 1 0 1 0 0 1 0.
    EXPECT_EQ(bilevel->Row(0)[0], 0b10110100);
    EXPECT_EQ(bilevel->Row(0)[1] & 0xC0, 0b10000000);
    SlipColumns(*bilevel, 3, -2);
    // 1 0 1 | 1 0 1 0 0 1 0 -> 1 0 1 1 0 0 1 0 1 0 (the last two keep theirs).
    EXPECT_EQ(bilevel->Row(0)[0], 0b10110010);
    EXPECT_EQ(bilevel->Row(0)[1] & 0xC0, 0b10000000);
}
