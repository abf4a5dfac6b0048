#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ImageTestSupport.h"
#include "imaging/ImageOps.h"
#include "vnapi/VnCodes.h"

using namespace imaging;
using imagetest::GreyAt;
using imagetest::Pattern;

namespace {

// A scanned page under uneven light: the paper goes from grey 70 at the left
// to 245 at the right (and a little darker towards the top), with thin dark
// strokes whose ink is half as bright as the paper beside it.
struct SyntheticPage {
    std::unique_ptr<PackedBitmap> Image;
    std::vector<uint8_t> Ink; // 1 for stroke pixels, stored row order
};

SyntheticPage MakePage()
{
    const int32_t width = 800;
    const int32_t height = 300;
    SyntheticPage page{PackedBitmap::Create(width, height, 8, 200),
                       std::vector<uint8_t>(static_cast<size_t>(width) * height, 0)};
    for (int32_t r = 0; r < height; ++r) {
        uint8_t* row = page.Image->Row(r);
        for (int32_t x = 0; x < width; ++x) {
            const double paper = 70.0 + 175.0 * x / (width - 1) - 10.0 * r / (height - 1);
            // Strokes: 3-pixel wide uprights of 24-pixel "letters" on three lines.
            const bool line = (r >= 40 && r < 64) || (r >= 130 && r < 154) || (r >= 220 && r < 244);
            const bool ink = line && x >= 20 && x < width - 20 && (x % 14) < 3;
            page.Ink[static_cast<size_t>(r) * width + x] = ink;
            row[x] = static_cast<uint8_t>(std::lround(ink ? paper * 0.5 : paper));
        }
    }
    return page;
}

struct Scores {
    double InkKept = 0;    // share of ink pixels that came out black
    double PaperWhite = 0; // share of paper pixels that came out white
};

Scores Score(const SyntheticPage& page, const PackedBitmap& bw)
{
    long ink = 0, inkBlack = 0, paper = 0, paperWhite = 0;
    for (int32_t r = 0; r < bw.Height(); ++r)
        for (int32_t x = 0; x < bw.Width(); ++x) {
            const bool black = PixelIndex(bw.Row(r), x, 1) == 0;
            if (page.Ink[static_cast<size_t>(r) * bw.Width() + x]) {
                ++ink;
                inkBlack += black;
            } else {
                ++paper;
                paperWhite += !black;
            }
        }
    return {double(inkBlack) / ink, double(paperWhite) / paper};
}

} // namespace

// ---- Conversion to black and white ------------------------------------------

TEST(ConvertImageToBW, ParametersBecomeWindowsAndThresholds)
{
    const struct {
        uint16_t Filter;
        int32_t Dpi;
        int32_t Side;
    } windows[] = {{450, 200, 91}, {50, 200, 11}, {600, 300, 181}, {450, 0, 91},
                   {10, 200, 11},  {1000, 200, 121}, {50, 10, 3},   {100, 100, 11}};
    for (const auto& w : windows)
        EXPECT_EQ(AdaptiveWindowSide(w.Filter, w.Dpi), w.Side) << w.Filter << " at " << w.Dpi;

    const std::pair<uint16_t, uint8_t> thresholds[] = {{0, 8}, {1, 24}, {8, 136}, {15, 248}, {16, 248}, {999, 248}};
    for (const auto& [level, threshold] : thresholds)
        EXPECT_EQ(ThresholdOfLevel(level), threshold) << level;
}

TEST(ConvertImageToBW, AdaptiveMethodKeepsTextUnderUnevenLight)
{
    const SyntheticPage page = MakePage();
    ImageHandle bw;
    ASSERT_EQ(ConvertImageToBW(BwAdaptiveMethod, page.Image.get(), &bw, 450), VnReplyOk);
    const Scores adaptive = Score(page, *bw);
    EXPECT_GE(adaptive.InkKept, 0.99);
    EXPECT_GE(adaptive.PaperWhite, 0.99);

    // No global threshold manages both: dark paper on the left is darker
    // than the ink on the right.
    for (uint16_t k = 0; k <= ThresholdLevelMax; ++k) {
        ASSERT_EQ(ConvertImageToBW(BwThresholdMethod, page.Image.get(), &bw, k), VnReplyOk);
        const Scores global = Score(page, *bw);
        EXPECT_TRUE(global.InkKept < 0.9 || global.PaperWhite < 0.9)
            << "level " << k << ": ink " << global.InkKept << ", paper " << global.PaperWhite;
    }
}

TEST(ConvertImageToBW, AdaptiveMethodLeavesFlatAreasAlone)
{
    // Uniform grey paper stays white; a large black area stays black.
    auto image = PackedBitmap::Create(120, 60, 8, 200);
    for (int32_t r = 0; r < 60; ++r)
        for (int32_t x = 0; x < 120; ++x)
            image->Row(r)[x] = x < 60 ? 150 : 10;
    ImageHandle bw;
    ASSERT_EQ(ConvertImageToBW(BwAdaptiveMethod, image.get(), &bw, 50), VnReplyOk);
    EXPECT_EQ(PixelIndex(bw->Row(30), 10, 1), 1);
    EXPECT_EQ(PixelIndex(bw->Row(30), 110, 1), 0);
}

TEST(ConvertImageToBW, ThresholdMethodSplitsAtItsLevel)
{
    auto ramp = PackedBitmap::Create(256, 2, 8, 300);
    for (int32_t x = 0; x < 256; ++x)
        ramp->Row(0)[x] = ramp->Row(1)[x] = static_cast<uint8_t>(x);
    for (const uint16_t k : {0, 3, 8, 15}) {
        ImageHandle bw;
        ASSERT_EQ(ConvertImageToBW(BwThresholdMethod, ramp.get(), &bw, k), VnReplyOk);
        for (int32_t x = 0; x < 256; ++x)
            ASSERT_EQ(PixelIndex(bw->Row(1), x, 1), x < 16 * k + 8 ? 0 : 1) << "level " << k << ", grey " << x;
    }
}

TEST(ConvertImageToBW, ResultIsANewBilevelImageOfTheSameSize)
{
    for (const uint16_t bits : {1, 4, 8, 24})
        for (const int32_t method : {BwAdaptiveMethod, BwThresholdMethod}) {
            auto source = Pattern(45, 17, bits, 300);
            const std::vector<uint8_t> before = source->Bytes();
            ImageHandle bw;
            ASSERT_EQ(ConvertImageToBW(method, source.get(), &bw, method == BwAdaptiveMethod ? 450 : 8), VnReplyOk);
            EXPECT_EQ(source->Bytes(), before) << "the source is untouched";
            ASSERT_TRUE(bw->IsValid());
            EXPECT_EQ(bw->BitCount(), 1);
            EXPECT_EQ(bw->Width(), 45);
            EXPECT_EQ(bw->Height(), 17);
            EXPECT_EQ(bw->XPelsPerMeter(), source->XPelsPerMeter());
            EXPECT_EQ(bw->ColorEntry(0)[2], 0);
            EXPECT_EQ(bw->ColorEntry(1)[2], 255);
            if (method == BwThresholdMethod) {
                for (int32_t x = 0; x < 45; ++x)
                    ASSERT_EQ(PixelIndex(bw->Row(5), x, 1), GreyAt(*source, x, 5) < 136 ? 0 : 1) << bits;
            }
        }
}

TEST(ConvertImageToBW, InvalidCallsReplyAndLeaveTheHandle)
{
    auto source = Pattern(8, 8, 8, 200);
    ImageHandle kept = PackedBitmap::Create(1, 1, 1, 0);
    const PackedBitmap* before = kept.get();
    for (const int32_t method : {0, 1, 3, 5, 7, -4})
        EXPECT_EQ(ConvertImageToBW(method, source.get(), &kept, 8), VnReplyInvalidCommand) << method;
    EXPECT_EQ(ConvertImageToBW(BwThresholdMethod, nullptr, &kept, 8), VnReplyImageNotPresent);
    PackedBitmap broken(std::vector<uint8_t>(10, 0));
    EXPECT_EQ(ConvertImageToBW(BwThresholdMethod, &broken, &kept, 8), VnReplyImageNotPresent);
    EXPECT_EQ(ConvertImageToBW(BwThresholdMethod, source.get(), nullptr, 8), VnReplyInvalidCommand);
    EXPECT_EQ(kept.get(), before);
}

// ---- Brightness and contrast -----------------------------------------------

TEST(ToneTables, BrightnessIsMonotonicAndClamped)
{
    const auto identity = BrightnessTable(0);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(identity[i], i);
    EXPECT_EQ(BrightnessTable(5000), BrightnessTable(1000));
    EXPECT_EQ(BrightnessTable(-5000), BrightnessTable(-1000));
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(BrightnessTable(1000)[i], 255);
        EXPECT_EQ(BrightnessTable(-1000)[i], 0);
    }
    EXPECT_EQ(BrightnessTable(450)[0], 115);
    for (int32_t v = -1000; v < 1000; v += 50) {
        const auto lower = BrightnessTable(v);
        const auto higher = BrightnessTable(v + 50);
        for (int i = 0; i < 256; ++i) {
            ASSERT_LE(lower[i], higher[i]) << v << " at " << i;
            if (i > 0) {
                ASSERT_LE(lower[i - 1], lower[i]) << "order of levels kept";
            }
        }
    }
}

TEST(ToneTables, ContrastSpreadsFromTheMiddleAndIsClamped)
{
    const auto identity = ContrastTable(0);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(identity[i], i);
    EXPECT_EQ(ContrastTable(4000), ContrastTable(1000));
    EXPECT_EQ(ContrastTable(-4000), ContrastTable(-1000));
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(ContrastTable(-1000)[i], 128) << "flat mid grey";
    EXPECT_EQ(ContrastTable(1000)[127], 0);
    EXPECT_EQ(ContrastTable(1000)[128], 255);
    EXPECT_EQ(ContrastTable(-500)[255], 191);
    EXPECT_EQ(ContrastTable(500)[191], 255);
    for (int32_t v = -1000; v < 1000; v += 50) {
        const auto lower = ContrastTable(v);
        const auto higher = ContrastTable(v + 50);
        for (int i = 0; i < 256; ++i) {
            ASSERT_LE(std::abs(lower[i] - 127.5), std::abs(higher[i] - 127.5)) << v << " at " << i;
            ASSERT_EQ(lower[i] >= 128, higher[i] >= 128 || lower[i] == 128) << "no level crosses the middle";
        }
    }
}

TEST(ImageBrightnessContrast, EveryDepthLooksBrighterOrSharperAndTheSourceStays)
{
    for (const uint16_t bits : {1, 4, 8, 24}) {
        auto source = Pattern(23, 9, bits, 200);
        const std::vector<uint8_t> before = source->Bytes();
        ImageHandle brighter;
        ImageHandle sharper;
        ASSERT_EQ(ImageBrightness(source.get(), 300, &brighter), VnReplyOk);
        ASSERT_EQ(ImageContrast(source.get(), 600, &sharper), VnReplyOk);
        EXPECT_EQ(source->Bytes(), before) << bits;
        for (const PackedBitmap* result : {brighter.get(), sharper.get()}) {
            ASSERT_TRUE(result->IsValid());
            EXPECT_EQ(result->BitCount(), bits);
            EXPECT_EQ(result->Width(), 23);
            EXPECT_EQ(result->XPelsPerMeter(), source->XPelsPerMeter());
        }
        const auto lift = BrightnessTable(300);
        const auto spread = ContrastTable(600);
        for (int32_t r = 0; r < 9; ++r)
            for (int32_t x = 0; x < 23; ++x) {
                if (bits == 24) {
                    for (int c = 0; c < 3; ++c) {
                        ASSERT_EQ(brighter->Row(r)[3 * x + c], lift[source->Row(r)[3 * x + c]]);
                        ASSERT_EQ(sharper->Row(r)[3 * x + c], spread[source->Row(r)[3 * x + c]]);
                    }
                } else {
                    const uint8_t grey = GreyAt(*source, x, r);
                    ASSERT_EQ(GreyAt(*brighter, x, r), lift[grey]) << bits;
                    ASSERT_EQ(GreyAt(*sharper, x, r), spread[grey]) << bits;
                }
            }
    }
}

TEST(ImageBrightnessContrast, EightBitGreyChangesPixelsOthersTheirColourTable)
{
    auto grey = Pattern(10, 4, 8, 200);
    ImageHandle result;
    ASSERT_EQ(ImageBrightness(grey.get(), 200, &result), VnReplyOk);
    EXPECT_TRUE(HasGreyRamp(*result)) << "readers of raw grey bytes see the change";
    EXPECT_NE(result->Row(0)[0], grey->Row(0)[0]);

    auto bilevel = Pattern(10, 4, 1, 200);
    ASSERT_EQ(ImageBrightness(bilevel.get(), 200, &result), VnReplyOk);
    EXPECT_EQ(result->Row(2)[0], bilevel->Row(2)[0]);
    EXPECT_EQ(result->ColorEntry(0)[0], 51);
}

TEST(ImageBrightnessContrast, MissingImageOrHandle)
{
    ImageHandle result;
    EXPECT_EQ(ImageBrightness(nullptr, 10, &result), VnReplyImageNotPresent);
    EXPECT_EQ(ImageContrast(nullptr, 10, &result), VnReplyImageNotPresent);
    auto source = Pattern(4, 4, 8, 0);
    EXPECT_EQ(ImageBrightness(source.get(), 10, nullptr), VnReplyInvalidCommand);
    EXPECT_EQ(ImageContrast(source.get(), 10, nullptr), VnReplyInvalidCommand);
}

// ---- Cutting ------------------------------------------------------------------

TEST(CutImage, WindowArithmetic)
{
    const struct {
        const char* What;
        int32_t DpiX, DpiY;
        uint16_t Inch;
        float X, Y, Width, Height;
        bool Found;
        int32_t Left, Bottom, WindowWidth, WindowHeight;
    } cases[] = {
        {"inches", 200, 200, 1, 0.5f, 0.25f, 1.0f, 0.5f, true, 100, 50, 200, 100},
        {"millimetres", 200, 200, 0, 10.0f, 5.0f, 25.4f, 12.7f, true, 121, 39, 200, 100},
        {"no resolution is 200 dpi", 0, 0, 1, 0.5f, 0.25f, 1.0f, 0.5f, true, 100, 50, 200, 100},
        {"own vertical resolution", 200, 100, 1, 0.5f, 0.25f, 1.0f, 0.5f, true, 100, 25, 200, 50},
        {"whole image", 200, 200, 1, 0.0f, 0.0f, 2.0f, 1.5f, true, 0, 0, 400, 300},
        {"clipped on the left and top", 200, 200, 1, 1.0f, 1.0f, 5.0f, 5.0f, true, 0, 200, 200, 100},
        {"clipped on the right and bottom", 200, 200, 0, -10.0f, -10.0f, 20.0f, 20.0f, true, 321, 0, 79, 79},
        {"beyond the left edge", 200, 200, 1, 2.5f, 0.0f, 1.0f, 1.0f, false, 0, 0, 0, 0},
        {"above the top", 200, 200, 1, 0.0f, 1.6f, 1.0f, 1.0f, false, 0, 0, 0, 0},
        {"zero width", 200, 200, 1, 0.5f, 0.5f, 0.0f, 1.0f, false, 0, 0, 0, 0},
        {"negative height", 200, 200, 1, 0.5f, 0.5f, 1.0f, -1.0f, false, 0, 0, 0, 0},
        {"unknown unit", 200, 200, 2, 0.5f, 0.25f, 1.0f, 0.5f, false, 0, 0, 0, 0},
        {"not a number", 200, 200, 1, NAN, 0.25f, 1.0f, 0.5f, false, 0, 0, 0, 0},
        {"absurdly far", 200, 200, 0, 1e30f, 0.0f, 1e30f, 10.0f, false, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        PixelWindow window;
        ASSERT_EQ(CutWindowInPixels(400, 300, c.DpiX, c.DpiY, c.Inch, c.X, c.Y, c.Width, c.Height, &window),
                  c.Found)
            << c.What;
        if (!c.Found)
            continue;
        EXPECT_EQ(window.Left, c.Left) << c.What;
        EXPECT_EQ(window.Bottom, c.Bottom) << c.What;
        EXPECT_EQ(window.Width, c.WindowWidth) << c.What;
        EXPECT_EQ(window.Height, c.WindowHeight) << c.What;
    }
}

TEST(CutImage, MarkedPixelLandsWhereTheWindowPutsIt)
{
    // The mark sits at column 150 from the left, stored row 60 from the bottom.
    const struct {
        uint16_t Inch;
        float X, Y, Width, Height;
        int32_t Column, Row; // of the mark in the result
    } windows[] = {{1, 0.5f, 0.25f, 1.0f, 0.5f, 50, 10}, {0, 10.0f, 5.0f, 25.4f, 12.7f, 29, 21}};
    for (const uint16_t bits : {1, 4, 8, 24})
        for (const auto& w : windows) {
            SCOPED_TRACE(::testing::Message() << bits << " bits, inch " << w.Inch);
            auto source = PackedBitmap::Create(400, 300, bits, 200);
            if (bits <= 8) {
                source->ColorEntry(1)[1] = 77; // an own colour table must travel along
                SetPixelIndex(source->Row(60), 150, bits, 1);
            } else {
                source->Row(60)[3 * 150 + 2] = 200;
            }
            const std::vector<uint8_t> before = source->Bytes();
            ImageHandle cut;
            ASSERT_EQ(CutImage(source.get(), w.Inch, w.X, w.Y, w.Width, w.Height, &cut), VnReplyOk);
            EXPECT_EQ(source->Bytes(), before);
            ASSERT_TRUE(cut->IsValid());
            EXPECT_EQ(cut->BitCount(), bits);
            EXPECT_EQ(cut->Width(), 200);
            EXPECT_EQ(cut->Height(), 100);
            EXPECT_EQ(cut->XPelsPerMeter(), source->XPelsPerMeter());
            if (bits <= 8) {
                EXPECT_EQ(cut->ColorEntry(1)[1], 77);
            }
            int marks = 0;
            for (int32_t r = 0; r < 100; ++r)
                for (int32_t x = 0; x < 200; ++x) {
                    const bool marked =
                        bits == 24 ? cut->Row(r)[3 * x + 2] == 200 : PixelIndex(cut->Row(r), x, bits) == 1;
                    if (marked) {
                        ++marks;
                        EXPECT_EQ(x, w.Column);
                        EXPECT_EQ(r, w.Row);
                    }
                }
            EXPECT_EQ(marks, 1);
        }
}

TEST(CutImage, EmptyWindowAndMissingImage)
{
    auto source = Pattern(50, 50, 8, 200);
    ImageHandle kept = PackedBitmap::Create(1, 1, 8, 0);
    const PackedBitmap* before = kept.get();
    EXPECT_EQ(CutImage(source.get(), 1, 5.0f, 0.0f, 1.0f, 1.0f, &kept), VnReplyInvalidCommand);
    EXPECT_EQ(CutImage(source.get(), 0, 0.0f, 0.0f, 0.0f, 0.0f, &kept), VnReplyInvalidCommand);
    EXPECT_EQ(CutImage(nullptr, 0, 0.0f, 0.0f, 10.0f, 10.0f, &kept), VnReplyImageNotPresent);
    EXPECT_EQ(CutImage(source.get(), 0, 0.0f, 0.0f, 10.0f, 10.0f, nullptr), VnReplyInvalidCommand);
    EXPECT_EQ(kept.get(), before);
}
