#include <gtest/gtest.h>

#include <cmath>

#include "decode/DecodeImage.h"

using decode::PixelRect;

namespace {

// 1000 x 400 pixels at 254 dpi: ten pixels to the millimetre.
std::unique_ptr<PackedBitmap> TenPerMm(uint16_t bits = 8)
{
    auto bmp = PackedBitmap::Create(1000, 400, bits, 254);
    EXPECT_EQ(bmp->XPelsPerMeter(), 10000);
    return bmp;
}

// Sets the palette index (or 24-bit grey) of picture pixel (x, y), y from the top.
void SetPixel(PackedBitmap& bmp, int x, int y, uint32_t value)
{
    uint8_t* row = bmp.Row(bmp.Height() - 1 - y);
    switch (bmp.BitCount()) {
    case 1:
        row[x >> 3] = static_cast<uint8_t>(value ? row[x >> 3] | (0x80 >> (x & 7)) : row[x >> 3] & ~(0x80 >> (x & 7)));
        break;
    case 4:
        row[x >> 1] =
            static_cast<uint8_t>((x & 1) ? (row[x >> 1] & 0xF0) | value : (row[x >> 1] & 0x0F) | (value << 4));
        break;
    case 8: row[x] = static_cast<uint8_t>(value); break;
    case 24: row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = static_cast<uint8_t>(value); break;
    }
}

void Fill(PackedBitmap& bmp, uint32_t value)
{
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            SetPixel(bmp, x, y, value);
}

uint8_t GreyAt(const PackedBitmap& bmp, int x, int y) { return decode::ExtractGrey(bmp, {x, y, 1, 1}).Pixels.at(0); }

} // namespace

TEST(DecodeWindow, MeasuredFromTheRightAndBottomEdges)
{
    struct Case {
        const char* What;
        uint16_t Inch;
        double X, Y, Width, Height;
        PixelRect Expected;
    };
    const Case cases[] = {
        {"millimetres", 0, 10, 5, 20, 8, {700, 270, 200, 80}},
        {"inches", 1, 0.5, 0.25, 1, 0.3, {619, 260, 254, 77}},
        {"all zeros: the whole image", 0, 0, 0, 0, 0, {0, 0, 1000, 400}},
        {"wider than the image: clipped on the left", 0, 6, 4, 150, 10.5, {0, 255, 940, 105}},
        {"negative x: beyond the right edge, clipped", 0, -5, 5, 20, 8, {850, 270, 150, 80}},
        {"negative width extends to the right of the edge", 0, 10, 5, -20, 8, {900, 270, 100, 80}},
        {"negative height extends below the edge", 0, 10, 20, 20, -8, {700, 200, 200, 80}},
        {"entirely outside: empty", 0, 200, 5, 20, 8, {0, 270, 0, 80}},
    };
    auto bmp = TenPerMm();
    for (const Case& c : cases)
        EXPECT_EQ(decode::WindowToPixels(*bmp, c.Inch, c.X, c.Y, c.Width, c.Height), c.Expected) << c.What;
}

TEST(DecodeWindow, ResolutionComesFromTheHeaderWithZeroAs200Dpi)
{
    auto unknown = PackedBitmap::Create(1000, 400, 8, 0);
    ASSERT_EQ(unknown->XPelsPerMeter(), 0);
    // 200 dpi: 10 mm is 78.74 pixels.
    EXPECT_EQ(decode::WindowToPixels(*unknown, 0, 10, 5, 20, 8), (PixelRect{764, 298, 157, 63}));

    auto anisotropic = TenPerMm();
    anisotropic->SetResolution(10000, 5000);
    EXPECT_EQ(decode::WindowToPixels(*anisotropic, 0, 10, 5, 20, 8), (PixelRect{700, 335, 200, 40}));
    const decode::Resolution res = decode::ResolutionOf(*anisotropic);
    EXPECT_NEAR(res.DotsPerInchX, 254, 0.01);
    EXPECT_NEAR(res.DotsPerInchY, 127, 0.01);
}

TEST(DecodeWindow, GreyLevelsOfEveryDepth)
{
    // Rows are stored bottom first; the first pixel of a byte is its high bit
    // or high nibble; colour tables count, not the raw index.
    auto bw = PackedBitmap::Create(16, 4, 1, 200);
    Fill(*bw, 1);
    SetPixel(*bw, 0, 0, 0);
    SetPixel(*bw, 9, 3, 0);
    EXPECT_EQ(GreyAt(*bw, 0, 0), 0);
    EXPECT_EQ(GreyAt(*bw, 1, 0), 255);
    EXPECT_EQ(GreyAt(*bw, 9, 3), 0);
    EXPECT_EQ(GreyAt(*bw, 0, 3), 255);
    // A 1-bit image whose table is the other way round.
    bw->ColorEntry(0)[0] = bw->ColorEntry(0)[1] = bw->ColorEntry(0)[2] = 255;
    bw->ColorEntry(1)[0] = bw->ColorEntry(1)[1] = bw->ColorEntry(1)[2] = 0;
    EXPECT_EQ(GreyAt(*bw, 0, 0), 255);
    EXPECT_EQ(GreyAt(*bw, 1, 0), 0);

    auto sixteen = PackedBitmap::Create(5, 2, 4, 200);
    SetPixel(*sixteen, 0, 0, 15);
    SetPixel(*sixteen, 1, 0, 3);
    SetPixel(*sixteen, 4, 1, 8);
    EXPECT_EQ(GreyAt(*sixteen, 0, 0), 255);
    EXPECT_EQ(GreyAt(*sixteen, 1, 0), 51);
    EXPECT_EQ(GreyAt(*sixteen, 4, 1), 136);

    auto indexed = PackedBitmap::Create(3, 1, 8, 200);
    uint8_t* red = indexed->ColorEntry(7);
    red[0] = 0; // blue
    red[1] = 0;
    red[2] = 255;
    SetPixel(*indexed, 2, 0, 7);
    EXPECT_EQ(GreyAt(*indexed, 2, 0), 77) << "luminance of pure red: (77 x 255 + 128) / 256";

    auto colour = PackedBitmap::Create(2, 2, 24, 200);
    uint8_t* p = colour->Row(1) + 3; // picture pixel (1, 0)
    p[0] = 255;                      // blue only
    EXPECT_EQ(GreyAt(*colour, 1, 0), 29);
    EXPECT_EQ(GreyAt(*colour, 1, 1), 0);
}

TEST(DecodeWindow, ExtractTakesTheRectangleOnly)
{
    auto bmp = TenPerMm();
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 1000; ++x)
            SetPixel(*bmp, x, y, static_cast<uint32_t>((x + 3 * y) & 0xFF));
    const decode::GreyImage g = decode::ExtractGrey(*bmp, {700, 270, 200, 80});
    ASSERT_EQ(g.Width, 200);
    ASSERT_EQ(g.Height, 80);
    EXPECT_EQ(g.At(0, 0), (700 + 3 * 270) & 0xFF);
    EXPECT_EQ(g.At(199, 79), (899 + 3 * 349) & 0xFF);
}

TEST(DecodeWindow, ScaleColumnsStretchesAcross)
{
    decode::GreyImage ramp;
    ramp.Width = 4;
    ramp.Height = 1;
    ramp.Pixels = {0, 100, 200, 250};
    const decode::GreyImage wide = decode::ScaleColumns(ramp, 2.0);
    ASSERT_EQ(wide.Width, 8);
    EXPECT_EQ(wide.Pixels.front(), 0);
    EXPECT_EQ(wide.Pixels.back(), 250);
    for (int x = 1; x < wide.Width; ++x)
        EXPECT_GE(wide.Pixels[x], wide.Pixels[x - 1]);
}

TEST(DecodeWindow, RectangleIsDrawnJustOutsideTheWindow)
{
    // At 200 dpi the outline is two pixels thick.
    for (uint16_t bits : {1, 4, 8, 24}) {
        auto bmp = PackedBitmap::Create(400, 200, bits, 200);
        const uint32_t white = bits == 1 ? 1 : bits == 4 ? 15 : 255;
        Fill(*bmp, white);
        const PixelRect window{100, 50, 200, 40};
        decode::DrawWindowRectangle(*bmp, window);
        const uint8_t ink = bits == 24 ? 77 : 0; // red in colour (grey 77), black otherwise
        SCOPED_TRACE(bits);
        EXPECT_EQ(GreyAt(*bmp, 99, 60), ink);
        EXPECT_EQ(GreyAt(*bmp, 98, 60), ink);
        EXPECT_EQ(GreyAt(*bmp, 97, 60), 255);
        EXPECT_EQ(GreyAt(*bmp, 300, 89), ink);
        EXPECT_EQ(GreyAt(*bmp, 301, 89), ink);
        EXPECT_EQ(GreyAt(*bmp, 150, 48), ink);
        EXPECT_EQ(GreyAt(*bmp, 150, 91), ink);
        EXPECT_EQ(GreyAt(*bmp, 98, 48), ink) << "corners are closed";
        // Nothing inside the window changes.
        const decode::GreyImage inside = decode::ExtractGrey(*bmp, window);
        for (uint8_t g : inside.Pixels)
            ASSERT_EQ(g, 255);
    }
}

TEST(DecodeWindow, RectangleAtTheImageEdgeKeepsToTheImage)
{
    auto bmp = PackedBitmap::Create(100, 50, 8, 200);
    Fill(*bmp, 255);
    decode::DrawWindowRectangle(*bmp, {0, 0, 100, 50});
    for (uint8_t g : decode::ExtractGrey(*bmp, {0, 0, 100, 50}).Pixels)
        ASSERT_EQ(g, 255) << "every side lies outside the image";
    decode::DrawWindowRectangle(*bmp, {0, 0, 60, 30});
    EXPECT_EQ(GreyAt(*bmp, 60, 10), 0);
    EXPECT_EQ(GreyAt(*bmp, 10, 30), 0);
    EXPECT_EQ(GreyAt(*bmp, 10, 29), 255);
}
