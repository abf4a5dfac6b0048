// Folding, plots, histogram and report texts of the image quality bench.
#include <gtest/gtest.h>

#include <vector>

#include "quality/QualityPlots.h"
#include "vnapi/ByteOrder.h"

using namespace bench;

TEST(QualityPlots, ProfilesAreFoldedFrom633RowsKeepingTheWorseOfEachPair)
{
    for (int32_t height : {632, 633}) {
        RowProfiles p;
        p.Light[BlueLight][8] = 100;
        p.Light[BlueLight][9] = 90; // farther from 100
        p.Light[BlueLight][10] = 95;
        p.Light[BlueLight][11] = 105; // as far: the second is kept
        p.Light[RedLight][8] = 10;
        p.Light[RedLight][9] = 30; // red average 25: 10 is farther
        HalveProfiles(height, p, 100, 0, 25);
        if (height == 632) {
            EXPECT_EQ(p.Light[BlueLight][8], 100);
            EXPECT_EQ(p.Light[BlueLight][9], 90);
        } else {
            EXPECT_EQ(p.Light[BlueLight][8], 90);
            EXPECT_EQ(p.Light[BlueLight][9], 105);
            EXPECT_EQ(p.Light[RedLight][8], 10);
        }
    }
}

TEST(QualityPlots, ProfilePlotShowsEveryRowUpTo632AndHalfFrom633)
{
    struct Case {
        int32_t Height;
        int32_t Width;
    };
    for (const Case c : {Case{632, 664}, Case{633, 348}, Case{9, 44}}) {
        RowProfiles p;
        p.Light[BlueLight][8] = 50;
        p.Light[GreenLight][8] = 60;
        const PackedBitmap grey = DrawProfilePlot(c.Height, false, p);
        EXPECT_EQ(grey.Width(), c.Width);
        EXPECT_EQ(grey.Height(), 280);
        EXPECT_EQ(QualityPlotPixel(grey, 24, 60), QualityPlotColor::Blue);
        EXPECT_EQ(QualityPlotPixel(grey, 24, 61), QualityPlotColor::Blue);
        EXPECT_EQ(QualityPlotPixel(grey, 24, 70), QualityPlotColor::White); // no green in grey
        const PackedBitmap colour = DrawProfilePlot(c.Height, true, p);
        EXPECT_EQ(QualityPlotPixel(colour, 24, 70), QualityPlotColor::Green);
        EXPECT_EQ(QualityPlotPixel(colour, 24, 10), QualityPlotColor::Red); // red entry 0
    }
    RowProfiles p;
    const PackedBitmap plot = DrawProfilePlot(100, false, p);
    EXPECT_EQ(QualityPlotPixel(plot, 120, 10), QualityPlotColor::Black);  // axis past the last row drawn
    EXPECT_EQ(QualityPlotPixel(plot, 16, 200), QualityPlotColor::Black);  // axis
    EXPECT_EQ(QualityPlotPixel(plot, 16, 265), QualityPlotColor::Grid);   // grid drawn over the axis
    EXPECT_EQ(QualityPlotPixel(plot, 100, 266), QualityPlotColor::White); // above the last grid row
    EXPECT_EQ(QualityPlotPixel(plot, 129, 12), QualityPlotColor::Black);  // arrow head, width 132
    EXPECT_EQ(QualityPlotPixel(plot, 14, 277), QualityPlotColor::Black);
}

TEST(QualityPlots, GreyLevelsAreCountedWithoutRowPadding)
{
    std::vector<uint8_t> image(1064 + 2 * 4, 0);
    le::WriteI32(image.data() + 4, 3);
    le::WriteI32(image.data() + 8, 2);
    le::WriteU16(image.data() + 14, 8);
    const uint8_t pixels[8] = {7, 7, 9, 200, 9, 9, 9, 200}; // the 200s are padding
    std::copy(pixels, pixels + 8, image.begin() + 1064);
    GreyHistogram h{};
    ASSERT_TRUE(CountGreyLevels(image, h));
    EXPECT_EQ(h[7], 2u);
    EXPECT_EQ(h[9], 4u);
    EXPECT_EQ(h[200], 0u);
    EXPECT_EQ(MostFrequentGreyLevel(h), 9);
    image.pop_back();
    EXPECT_FALSE(CountGreyLevels(image, h));
}

TEST(QualityPlots, MostFrequentLevelKeepsTheFirstOnTies)
{
    GreyHistogram all{};
    all.fill(5);
    EXPECT_EQ(MostFrequentGreyLevel(all), 0);
    GreyHistogram two{};
    two[7] = 5;
    two[3] = 5;
    EXPECT_EQ(MostFrequentGreyLevel(two), 3);
    EXPECT_EQ(HistogramText(3, 5), "Max grey value  3,  with  5  recurrence");
}

TEST(QualityPlots, HistogramBarsAreTwoPixelsAPercent)
{
    GreyHistogram h{};
    h[10] = 100; // 50 percent of 200
    h[20] = 200;
    h[30] = 1; // 0 percent: on the axis
    const PackedBitmap plot = DrawHistogramPlot(200, h);
    EXPECT_EQ(plot.Width(), 572);
    EXPECT_EQ(plot.Height(), 220);
    EXPECT_EQ(QualityPlotPixel(plot, 36, 109), QualityPlotColor::Blue);
    EXPECT_EQ(QualityPlotPixel(plot, 37, 109), QualityPlotColor::Blue);
    EXPECT_EQ(QualityPlotPixel(plot, 37, 111), QualityPlotColor::White);
    EXPECT_EQ(QualityPlotPixel(plot, 56, 209), QualityPlotColor::Blue);
    EXPECT_EQ(QualityPlotPixel(plot, 56, 211), QualityPlotColor::White);
    EXPECT_EQ(QualityPlotPixel(plot, 76, 10), QualityPlotColor::Blue);
    EXPECT_EQ(QualityPlotPixel(plot, 76, 11), QualityPlotColor::White);
    EXPECT_EQ(QualityPlotPixel(plot, 38, 110), QualityPlotColor::Grid);
    EXPECT_EQ(QualityPlotPixel(plot, 536, 7), QualityPlotColor::Black); // last tick
    EXPECT_EQ(QualityPlotPixel(plot, 536, 6), QualityPlotColor::White);
    const PackedBitmap empty = DrawHistogramPlot(0, GreyHistogram{});
    EXPECT_EQ(QualityPlotPixel(empty, 40, 10), QualityPlotColor::Blue);
}

TEST(QualityPlots, ReportTextForASmallImage)
{
    RowProfiles p;
    for (size_t r = 8; r < 10; ++r) {
        p.Light[RedLight][r] = static_cast<uint8_t>(r * 10);
        p.Light[GreenLight][r] = 1;
        p.Light[BlueLight][r] = 2;
    }
    BandStatistics s;
    s.Light[RedLight] = {80, 90, 85};
    s.Light[GreenLight] = {1, 1, 1};
    s.Light[BlueLight] = {2, 2, 2};
    const std::string rows = "\tRed  \tGreen\tBlue \n"
                             "0 - \t0\t0\t0 \n1 - \t0\t0\t0 \n2 - \t0\t0\t0 \n3 - \t0\t0\t0 \n"
                             "4 - \t0\t0\t0 \n5 - \t0\t0\t0 \n6 - \t0\t0\t0 \n7 - \t0\t0\t0 \n"
                             "8 - \t80\t1\t2 \n9 - \t90\t1\t2 \n\n\n\n";
    EXPECT_EQ(BandReportText(Band::Red, s, p, 10), "Light Red   : Min = 80; Max = 90; Average =85 \n"
                                                   "Light Green : Min = 1; Max = 1; Average =1 \n"
                                                   "Light Blue  : Min = 2; Max = 2; Average =2 \n\n" +
                                                       rows);
    EXPECT_EQ(BandReportText(Band::White, s, p, 10), "Light Red   : Min = 80; Max = 90; Average = 85 \n"
                                                     "Light Green : Min = 1; Max = 1; Average = 1 \n"
                                                     "Light Blue  : Min = 2; Max = 2; Average = 2 \n\n" +
                                                         rows);
}
