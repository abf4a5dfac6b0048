// The print-quality analysis on hand-built signals, the verdict bounds, and
// the nominal table against the glyphs it is read from.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "docs/MicrGlyphs.h"
#include "micr/PrintQuality.h"
#include "micr/PrintQualityRun.h"
#include "micr/SignalPlots.h"

using namespace bench;

namespace {

struct Pulse {
    double At;
    double Steps;
};

// Quiet 128 with Gaussian pulses of the head's width (2.5 samples).
std::vector<uint8_t> Signal(const std::vector<Pulse>& pulses, size_t count = 1200)
{
    std::vector<uint8_t> s(count);
    for (size_t i = 0; i < count; ++i) {
        double v = 128.0;
        for (const Pulse& p : pulses)
            v += p.Steps * std::exp(-(i - p.At) * (i - p.At) / 12.5);
        s[i] = static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
    }
    return s;
}

// One character at pitch position p (from the right): a leading step and,
// 40 samples on, its dominant (negative) peak.
void AddCharacter(std::vector<Pulse>& pulses, int p, double dominant, double shift = 0.0)
{
    const double lead = 60.0 + 112.0 * p + shift;
    pulses.push_back({lead, dominant * 0.6});
    pulses.push_back({lead + 40.0, -dominant});
}

} // namespace

TEST(PrintQuality, NominalIsTheLargestFluxStepOfEachGlyph)
{
    for (const micr::E13bGlyph& g : micr::E13bGlyphs()) {
        int largest = 0;
        for (int step : micr::E13bFluxSteps(g))
            largest = std::max(largest, std::abs(step));
        EXPECT_NEAR(NominalPeakSteps(g.Symbol), largest * 102.4 / 9.0, 0.01) << g.Symbol;
    }
    EXPECT_EQ(NominalPeakSteps('A'), 0.0);
    EXPECT_EQ(NominalPeakSteps('!'), 0.0);
}

TEST(PrintQuality, VerdictBounds)
{
    const struct {
        double Percent;
        PrintVerdict Verdict;
    } table[] = {{49.0, PrintVerdict::Low},  {49.9, PrintVerdict::Low},   {50.0, PrintVerdict::Ok},
                 {200.0, PrintVerdict::Ok},  {200.1, PrintVerdict::High}, {201.0, PrintVerdict::High}};
    for (const auto& row : table)
        EXPECT_EQ(VerdictForPercent(row.Percent), row.Verdict) << row.Percent;
}

TEST(PrintQuality, KnownPeaksGiveTheirPercentages)
{
    // Printed left to right "0U-8T": the head meets 'T' first.
    const std::string codeline = "0U-8T";
    const double percents[] = {80.0, 190.0, 30.0, 150.0, 110.0}; // left to right
    std::vector<Pulse> pulses;
    for (int i = 0; i < 5; ++i)
        AddCharacter(pulses, 4 - i, percents[i] / 100.0 * NominalPeakSteps(codeline[static_cast<size_t>(i)]),
                     i == 1 ? 7.0 : 0.0);
    const auto s = Signal(pulses);
    const PrintQualityReport r = AnalysePrintQuality(s.data(), s.size(), codeline);
    ASSERT_EQ(r.Characters.size(), 5u);
    const PrintVerdict verdicts[] = {PrintVerdict::Ok, PrintVerdict::Ok, PrintVerdict::Low, PrintVerdict::Ok,
                                     PrintVerdict::Ok};
    for (size_t i = 0; i < 5; ++i) {
        const CharacterQuality& c = r.Characters[i];
        EXPECT_EQ(c.Position, static_cast<int>(i) + 1);
        EXPECT_NEAR(c.Percent, percents[i], 2.0) << codeline[i];
        EXPECT_LT(c.PeakSteps, 0) << "the dominant peak is the negative one";
        EXPECT_EQ(c.Verdict, verdicts[i]) << codeline[i];
        EXPECT_NEAR(c.PitchErrorInch, i == 1 ? 7.0 / 112.0 * 0.125 : 0.0, 0.0012) << codeline[i];
    }
    EXPECT_EQ(r.Summary.Characters, 5);
    EXPECT_EQ(r.Summary.Lows, 1);
    EXPECT_EQ(r.Summary.Highs, 0);
    EXPECT_NEAR(r.Summary.MeanPercent, (80.0 + 190.0 + 30.0 + 150.0 + 110.0) / 5, 1.5);
}

TEST(PrintQuality, RejectsAreReportedAndMeasuredOnlyAgainstTheExpectedCodeline)
{
    // "8 U": a space between; 'U' at 210 % of its nominal, '8' in the window.
    std::vector<Pulse> pulses;
    AddCharacter(pulses, 0, 2.10 * NominalPeakSteps('U'));
    AddCharacter(pulses, 2, NominalPeakSteps('8'));
    const auto s = Signal(pulses);
    const PrintQualityReport plain = AnalysePrintQuality(s.data(), s.size(), "! !");
    ASSERT_EQ(plain.Characters.size(), 2u);
    for (const CharacterQuality& c : plain.Characters) {
        EXPECT_EQ(c.Verdict, PrintVerdict::Reject);
        EXPECT_FALSE(c.Measured);
    }
    EXPECT_EQ(plain.Summary.Rejects, 2);
    EXPECT_EQ(plain.Characters[1].Position, 3);

    const PrintQualityReport known = AnalysePrintQuality(s.data(), s.size(), "! !", "8 U");
    EXPECT_EQ(known.Characters[0].Verdict, PrintVerdict::Reject) << "in the window, yet rejected";
    EXPECT_NEAR(known.Characters[0].Percent, 100.0, 2.0);
    EXPECT_EQ(known.Characters[1].Verdict, PrintVerdict::High);
    EXPECT_NEAR(known.Characters[1].Percent, 210.0, 2.0);
    EXPECT_EQ(known.Summary.Highs, 1);
    EXPECT_EQ(known.Summary.Rejects, 1);
}

TEST(PrintQuality, ClippedPeakIsALowerBound)
{
    std::vector<Pulse> pulses;
    AddCharacter(pulses, 0, 2.5 * NominalPeakSteps('0'));
    const auto s = Signal(pulses);
    const PrintQualityReport r = AnalysePrintQuality(s.data(), s.size(), "0");
    ASSERT_EQ(r.Characters.size(), 1u);
    EXPECT_TRUE(r.Characters[0].Clipped);
    EXPECT_NEAR(r.Characters[0].Percent, 128.0 / 102.4 * 100.0, 0.1);
    EXPECT_NE(PrintQualityLines(r)[1].find(">125.0"), std::string::npos) << PrintQualityLines(r)[1];
}

TEST(PrintQuality, PlotBarsReachTheirPercentAndTheWindowLinesAreDrawn)
{
    PrintQualityReport r;
    CharacterQuality c;
    c.Measured = true;
    c.Percent = 120.0;
    c.Verdict = PrintVerdict::Ok;
    r.Characters.push_back(c);
    const auto plot = MakePrintQualityPlot(r);
    ASSERT_TRUE(plot);
    const int32_t barX = 28 + 8 + 2;
    EXPECT_NE(PlotPixel(*plot, PrintQualityPlotRow(120.0), barX), PlotColor::White);
    EXPECT_EQ(PlotPixel(*plot, PrintQualityPlotRow(120.0) + 1, barX), PlotColor::White);
    const int32_t clearX = plot->Width() - 2;
    EXPECT_EQ(PlotPixel(*plot, PrintQualityPlotRow(50.0), clearX), PlotColor::Reference);
    EXPECT_EQ(PlotPixel(*plot, PrintQualityPlotRow(200.0), clearX), PlotColor::Reference);
    EXPECT_EQ(PlotPixel(*plot, PrintQualityPlotRow(150.0), clearX), PlotColor::White);
}
