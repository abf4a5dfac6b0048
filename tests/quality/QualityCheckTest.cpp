// The image quality check on test images built by hand: every band-and-light
// window at its bounds, the tolerance rules, the step rule and the drag marks.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "quality/QualityCheck.h"
#include "vnapi/ByteOrder.h"

using namespace bench;

namespace {

struct Pixel {
    int Blue, Green, Red;
};

// First columns of the bands, independent of the code under test:
// WHITE, RED, GREEN, BLUE, YELLOW, BLACK.
constexpr int Columns[6] = {1142, 158, 354, 552, 740, 944};
const char* Names[6] = {"WHITE", "RED", "GREEN", "BLUE", "YELLOW", "BLACK"};

// Colour windows: band, then light (RED, GREEN, BLUE) low/high.
constexpr int ColourLow[6][3] = {{187, 187, 187}, {153, 0, 0}, {0, 119, 85}, {0, 85, 153}, {187, 153, 17}, {0, 0, 0}};
constexpr int ColourHigh[6][3] = {{255, 255, 255}, {221, 34, 34}, {34, 153, 119}, {34, 136, 204}, {238, 204, 68},
                                  {34, 34, 34}};
constexpr int GreyLow[6] = {204, 68, 68, 85, 119, 0};
constexpr int GreyHigh[6] = {255, 119, 119, 136, 170, 34};

// Healthy values inside every window.
constexpr Pixel HealthyColour[6] = {{220, 220, 220}, {17, 17, 187}, {102, 136, 17},
                                    {178, 110, 17},  {42, 178, 212}, {17, 17, 17}};
constexpr int HealthyGrey[6] = {230, 93, 93, 110, 144, 17};

class TestImage {
public:
    TestImage(int width, int height, bool colour) : Width(width), Height(height), Colour(colour)
    {
        const size_t bpp = colour ? 3 : 1;
        Stride = (static_cast<size_t>(width) * bpp + 3) / 4 * 4;
        Offset = colour ? 40 : 1064;
        Bytes.assign(Offset + Stride * static_cast<size_t>(height), 255);
        std::fill(Bytes.begin(), Bytes.begin() + static_cast<long>(Offset), 0);
        le::WriteU32(Bytes.data(), 40);
        le::WriteI32(Bytes.data() + 4, width);
        le::WriteI32(Bytes.data() + 8, height);
        le::WriteU16(Bytes.data() + 12, 1);
        le::WriteU16(Bytes.data() + 14, colour ? 24 : 8);
    }
    uint8_t& At(int row, int column, int light = 0)
    {
        return Bytes[Offset + static_cast<size_t>(row) * Stride + static_cast<size_t>(column) * (Colour ? 3 : 1) +
                     static_cast<size_t>(light)];
    }
    // Every pixel of a band's row (light: 0 blue, 1 green, 2 red).
    void SetBandRow(int band, int row, int light, int value)
    {
        for (int x = Columns[band]; x < Columns[band] + 80; ++x)
            At(row, x, light) = static_cast<uint8_t>(value);
    }
    void SetBand(int band, int light, int value)
    {
        for (int r = 0; r < Height; ++r)
            SetBandRow(band, r, light, value);
    }
    int Width, Height;
    bool Colour;
    size_t Stride = 0, Offset = 0;
    std::vector<uint8_t> Bytes;
};

TestImage HealthyColourImage(int height = 40)
{
    TestImage image(1222, height, true);
    for (int b = 0; b < 6; ++b) {
        image.SetBand(b, 0, HealthyColour[b].Blue);
        image.SetBand(b, 1, HealthyColour[b].Green);
        image.SetBand(b, 2, HealthyColour[b].Red);
    }
    return image;
}

// Marks two pixels wide (columns m - 1 and m) from firstRow to row 77.
void DrawMarks(TestImage& image, int firstRow)
{
    for (int m : {60, 299, 496, 693, 890, 1087, 1327})
        for (int r = firstRow; r <= 77; ++r)
            image.At(r, m - 1) = image.At(r, m) = 0;
}

TestImage HealthyGreyImage(int height = 100)
{
    TestImage image(1338, height, false);
    for (int b = 0; b < 6; ++b)
        image.SetBand(b, 0, HealthyGrey[b]);
    DrawMarks(image, 48);
    return image;
}

std::string Printf(const char* format, int a, int b, int c = 0)
{
    char text[200];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

const char* LightNames[3] = {"BLUE", "GREEN", "RED"};

int CheckColour(TestImage& image, std::string& message)
{
    RowProfiles profiles;
    return CheckColourTestImage(image.Bytes, message, profiles);
}

int CheckGrey(TestImage& image, std::string& message, GreyByProducts* out = nullptr)
{
    RowProfiles profiles;
    GreyByProducts byProducts{99, 99};
    const int result = CheckGreyTestImage(image.Bytes, message, profiles, byProducts);
    if (out != nullptr)
        *out = byProducts;
    return result;
}

} // namespace

TEST(QualityCheck, StatisticsAreTakenOverRowAveragesTruncated)
{
    TestImage image(1222, 11, true);
    // Row 8: half the band 10, half 11 -> 10.5 truncates to 10; row 9: 20; row 10: 31.
    for (int x = 158; x < 198; ++x)
        image.At(8, x, 2) = 10;
    for (int x = 198; x < 238; ++x)
        image.At(8, x, 2) = 11;
    image.SetBandRow(1, 9, 2, 20);
    image.SetBandRow(1, 10, 2, 31);
    image.SetBandRow(1, 0, 2, 200); // rows below 8 are not measured
    RowProfiles profiles;
    BandStatistics s;
    ASSERT_TRUE(ComputeBandStatistics(158, 80, image.Bytes, profiles, s));
    EXPECT_EQ(s.Light[RedLight].Minimum, 10);
    EXPECT_EQ(s.Light[RedLight].Maximum, 31);
    EXPECT_EQ(s.Light[RedLight].Average, 20); // 61 / 3
    EXPECT_EQ(profiles.Light[RedLight][8], 10);
    EXPECT_EQ(profiles.Light[RedLight][0], 0);
    EXPECT_EQ(s.Light[BlueLight].Average, 255);
}

TEST(QualityCheck, HealthyImagesPass)
{
    std::string message = "untouched";
    TestImage colour = HealthyColourImage();
    EXPECT_EQ(CheckColour(colour, message), 1);
    EXPECT_EQ(message, "untouched");
    TestImage grey = HealthyGreyImage();
    EXPECT_EQ(CheckGrey(grey, message), 1) << message;
}

TEST(QualityCheck, EveryColourWindowBoundPassesAndOneLevelOutFails)
{
    for (int band = 0; band < 6; ++band) {
        for (int column = 0; column < 3; ++column) {
            const int light = 2 - column; // RED, GREEN, BLUE
            const int bounds[2] = {ColourLow[band][column], ColourHigh[band][column]};
            for (int bound : bounds) {
                SCOPED_TRACE(std::string(Names[band]) + " " + LightNames[light] + " " + std::to_string(bound));
                TestImage image = HealthyColourImage();
                image.SetBand(band, light, bound);
                std::string message;
                EXPECT_EQ(CheckColour(image, message), 1) << message;
                const int out = bound == bounds[0] ? bound - 1 : bound + 1;
                if (out < 0 || out > 255)
                    continue;
                image.SetBand(band, light, out);
                EXPECT_EQ(CheckColour(image, message), 0);
                const std::string expected =
                    band == 1 && light == 2
                        ? Printf("Average %d of RED light on the RED out of range (min = %d - max = %d) !", out,
                                 bounds[0], bounds[1])
                        : Printf((std::string("Average %d of ") + LightNames[light] + " light on the " + Names[band] +
                                  " is out of range (min = %d - max = %d) !")
                                     .c_str(),
                                 out, bounds[0], bounds[1]);
                EXPECT_EQ(message, expected);
            }
        }
    }
}

TEST(QualityCheck, ColourMinimumAndMaximumTolerance)
{
    struct Case {
        int Low, High; // one row each, the others at 136; average stays 136
        int Result;
        const char* Message;
    };
    const Case cases[] = {
        {112, 160, 1, ""},
        {111, 160, 0, "Min 111 value of the GREEN light on the GREEN is minor the average 136 - 0x18 !"},
        {112, 161, 0, "Max 161 value of the GREEN light on the GREEN is greater of the average 136 + 0x18 !"},
        {111, 161, 0, "Max 161 value of the GREEN light on the GREEN is greater of the average 136 + 0x18 !"},
    };
    for (const Case& c : cases) {
        TestImage image = HealthyColourImage();
        image.SetBand(2, 1, 136);
        image.SetBandRow(2, 10, 1, c.Low);
        image.SetBandRow(2, 11, 1, c.High);
        image.SetBandRow(2, 12, 1, 136 - (c.Low + c.High - 272));
        std::string message;
        EXPECT_EQ(CheckColour(image, message), c.Result) << c.Low << " " << c.High;
        if (c.Result == 0) {
            EXPECT_EQ(message, c.Message);
        }
    }
}

TEST(QualityCheck, ColourFailureOnWhiteStopsWithWhiteProfiles)
{
    TestImage image = HealthyColourImage();
    image.SetBand(0, 2, 186);
    RowProfiles profiles;
    std::string message;
    EXPECT_EQ(CheckColourTestImage(image.Bytes, message, profiles), 0);
    EXPECT_EQ(message, "Average 186 of RED light on the WHITE is out of range (min = 187 - max = 255) !");
    EXPECT_EQ(profiles.Light[RedLight][20], 186);
    EXPECT_EQ(profiles.Light[GreenLight][20], 220);
}

TEST(QualityCheck, EveryGreyWindowBoundPassesAndOneLevelOutFails)
{
    for (int band = 0; band < 6; ++band) {
        for (int bound : {GreyLow[band], GreyHigh[band]}) {
            SCOPED_TRACE(std::string(Names[band]) + " " + std::to_string(bound));
            TestImage image = HealthyGreyImage();
            image.SetBand(band, 0, bound);
            std::string message;
            EXPECT_EQ(CheckGrey(image, message), 1) << message;
            const int out = bound == GreyLow[band] ? bound - 1 : bound + 1;
            if (out < 0 || out > 255)
                continue;
            image.SetBand(band, 0, out);
            EXPECT_EQ(CheckGrey(image, message), 0);
            EXPECT_EQ(message, Printf((std::string("Average %d of light on the ") + Names[band] +
                                       " is out of range (min = %d - max = %d) !")
                                          .c_str(),
                                      out, GreyLow[band], GreyHigh[band]));
        }
    }
}

TEST(QualityCheck, GreyMinimumWordingsAndMaximum)
{
    struct Case {
        int Band, Average, Low, High;
        const char* Message;
    };
    const Case cases[] = {
        {0, 230, 206, 230, nullptr},
        {0, 230, 205, 230, "Min 205 value of the light on the WHITE is minor the average 230 - 0x18 !"},
        {1, 93, 68, 93, "Min 68 value of the light on the RED is minor of the average 93 - 0x18 !"},
        {1, 93, 69, 117, nullptr},
        {1, 93, 68, 118, "Max 118 value of the light on the RED is greater of the average 93 + 0x18 !"},
    };
    for (const Case& c : cases) {
        TestImage image = HealthyGreyImage(400);
        image.SetBand(c.Band, 0, c.Average);
        // Ramps in steps of at most 12 down to the low row and up to the high
        // one; rows one level off the average elsewhere keep the average put.
        int deviation = 0;
        auto ramp = [&](int centre, int value) {
            for (int d = -3; d <= 3; ++d) {
                const int v = value + (c.Average - value) * (d < 0 ? -d : d) / 3;
                image.SetBandRow(c.Band, centre + d, 0, v);
                deviation += v - c.Average;
            }
        };
        ramp(370, c.Low);
        ramp(385, c.High);
        for (int i = 0; i < (deviation < 0 ? -deviation : deviation); ++i)
            image.SetBandRow(c.Band, 200 + i, 0, c.Average + (deviation < 0 ? 1 : -1));
        std::string message;
        const int result = CheckGrey(image, message);
        if (c.Message == nullptr) {
            EXPECT_EQ(result, 1) << message;
        } else {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(message, c.Message);
        }
    }
}

TEST(QualityCheck, GreyStepOfTwelvePassesThirteenFailsAndALaterMessageReplacesIt)
{
    for (int step : {12, 13}) {
        TestImage image = HealthyGreyImage();
        for (int r = 50; r < 100; ++r)
            image.SetBandRow(0, r, 0, 230 - step);
        std::string message;
        EXPECT_EQ(CheckGrey(image, message), step == 12 ? 1 : 0);
        if (step == 13) {
            EXPECT_EQ(message, "Distance of 13 pixel, between row 49 and row 50, on the WHITE");
        }
    }
    // The last offending pair is reported.
    TestImage twice = HealthyGreyImage();
    twice.SetBandRow(0, 30, 0, 217);
    twice.SetBandRow(0, 60, 0, 217);
    std::string message;
    EXPECT_EQ(CheckGrey(twice, message), 0);
    EXPECT_EQ(message, "Distance of 13 pixel, between row 60 and row 61, on the WHITE");
    // A step on a band whose average then fails: the average message stands.
    TestImage both = HealthyGreyImage();
    both.SetBand(0, 0, 190);
    for (int r = 90; r < 100; ++r)
        both.SetBandRow(0, r, 0, 210);
    EXPECT_EQ(CheckGrey(both, message), 0);
    EXPECT_EQ(message, "Average 192 of light on the WHITE is out of range (min = 204 - max = 255) !");
}

TEST(QualityCheck, DragMarksFirstSeenInRow51PassAnd52Fail)
{
    for (int firstRow : {51, 52}) {
        TestImage image = HealthyGreyImage();
        for (int r = 48; r < firstRow; ++r)
            for (int m : {1327})
                image.At(r, m - 1) = image.At(r, m) = 255;
        std::string message;
        EXPECT_EQ(CheckGrey(image, message), firstRow == 51 ? 1 : 0) << message;
        if (firstRow == 52) {
            EXPECT_EQ(message, "Drag document not alligned at the base !");
        }
    }
}

TEST(QualityCheck, BrokenMarkIsNotRegular)
{
    TestImage image = HealthyGreyImage();
    image.At(70, 495) = 255; // two dark pixels of five are enough
    image.At(70, 497) = 0;
    std::string message;
    EXPECT_EQ(CheckGrey(image, message), 1) << message;
    image.At(70, 496) = 255;
    EXPECT_EQ(CheckGrey(image, message), 0);
    EXPECT_EQ(message, "Drag document not regular !");
}

TEST(QualityCheck, ThreeDarkPixelsAreAMarkOnlyWhenTheNextButOneIsAbove128)
{
    for (int after : {128, 129}) {
        TestImage image = HealthyGreyImage();
        // The mark at 60 three pixels wide, 59 to 61: the counter reaches 2
        // at 60, whose next pixel is dark, so 62 decides.
        for (int r = 48; r <= 77; ++r) {
            image.At(r, 59) = image.At(r, 60) = image.At(r, 61) = 0;
            image.At(r, 62) = static_cast<uint8_t>(after);
            image.At(r, 63) = static_cast<uint8_t>(after);
        }
        std::string message;
        const int result = CheckGrey(image, message);
        EXPECT_EQ(result, after == 129 ? 1 : 0) << message;
        if (after == 128) {
            EXPECT_EQ(message, "Drag document not alligned at the base !");
        }
    }
}

TEST(QualityCheck, WhiteByProductsAreSetEvenWhenTheMarksFail)
{
    TestImage image(1338, 100, false); // no marks
    for (int b = 0; b < 6; ++b)
        image.SetBand(b, 0, HealthyGrey[b]);
    image.SetBandRow(0, 40, 0, 236); // spread 6, step 6
    image.SetBandRow(0, 41, 0, 226); // spread 10; steps |236-226| = 10, |230-226|... max 10
    GreyByProducts byProducts;
    std::string message;
    EXPECT_EQ(CheckGrey(image, message, &byProducts), 0);
    EXPECT_EQ(message, "Drag document not alligned at the base !");
    EXPECT_EQ(byProducts.WhiteSpread, 10);
    EXPECT_EQ(byProducts.WhiteMaxStep, 10);
}

TEST(QualityCheck, WhiteMaxStepLooksOneAndTwoRowsApart)
{
    struct Case {
        std::vector<uint8_t> Profile; // entries from row 0
        int16_t Step;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0, 100, 105, 110, 115}, 10}, // 100 -> 110 two rows apart
        {{0, 0, 0, 0, 0, 0, 0, 0, 100, 100, 100}, 0},        // 11 rows
        {{0, 0, 0, 0, 0, 0, 0, 0, 100, 140}, 0},             // 10 rows: not looked at
        {{0, 0, 0, 0, 0, 0, 0, 0, 200, 100, 100, 100, 100, 90}, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WhiteMaxStep(c.Profile.data(), static_cast<int32_t>(c.Profile.size())), c.Step);
}

TEST(QualityCheck, ImagesTheCheckCannotReadGetAMessage)
{
    struct Case {
        int Width, Height;
        bool Colour;
        size_t Cut;
        const char* Message;
    };
    const Case cases[] = {
        {1221, 40, true, 0, "Image too narrow for the check: 1221 pixels, at least 1222 needed !"},
        {1337, 100, false, 0, "Image too narrow for the check: 1337 pixels, at least 1338 needed !"},
        {1222, 8, true, 0, "Image too short for the check: 8 rows, at least 9 needed !"},
        {1338, 77, false, 0, "Image too short for the check: 77 rows, at least 78 needed !"},
        {1222, 865, true, 0, "Image too tall for the check: 865 rows, at most 864 allowed !"},
        {1222, 40, true, 1, /* rows of 3668 bytes */ "Image truncated: 146759 bytes, 146760 needed !"},
    };
    for (const Case& c : cases) {
        TestImage image(c.Width, c.Height, c.Colour);
        image.Bytes.resize(image.Bytes.size() - c.Cut);
        std::string message;
        if (c.Colour)
            EXPECT_EQ(CheckColour(image, message), 0);
        else
            EXPECT_EQ(CheckGrey(image, message), 0);
        EXPECT_EQ(message, c.Message);
    }
    TestImage fits(1222, 9, true);
    EXPECT_EQ(TestImageProblem(fits.Bytes), std::nullopt);
    TestImage tallest(1222, 864, true);
    EXPECT_EQ(TestImageProblem(tallest.Bytes), std::nullopt);
    EXPECT_NE(TestImageProblem(std::vector<uint8_t>(39, 0)), std::nullopt);
}
