#include <gtest/gtest.h>

#include <cmath>

#include "docs/ChequeGenerator.h"
#include "docs/MagneticSignal.h"
#include "micr/SignalAnalysis.h"
#include "micr/TimeSampleStep.h"

using namespace bench;

namespace {

// The bench's trimmer formulas, as the gain calibration applies them.
int NextTrimmerGen40(float percent, int trimmer, int wanted = 100)
{
    const int d = std::abs(static_cast<int>(percent) - wanted);
    const float q = static_cast<float>(d) * 100.0f / percent;
    const float f = percent > static_cast<float>(wanted) ? 100.0f - q : q + 100.0f;
    const int k = (39 * trimmer + 1800) / 100;
    const int r = k * static_cast<int>(f);
    return r <= 1800 ? 0 : (r - 1800) / 39;
}

int NextTrimmerGen39(float percent, int trimmer, int wanted = 100)
{
    const int d = std::abs(static_cast<int>(percent) - wanted);
    const float q = static_cast<float>(d) * 100.0f / percent;
    const float f = percent > static_cast<float>(wanted) ? 100.0f - q : q + 100.0f;
    const float g = ((39.0f * trimmer) + 4700.0f) / 3300.0f + 1.0f;
    return static_cast<int>(((((g / 100.0f) * static_cast<float>(static_cast<int>(f))) - 1.0f) * 3300.0f - 4700.0f) /
                            39.0f);
}

// Three reads of the calibration document, as one half of a calibration cycle.
float MeasurePercent(head::HeadParams params, int reads = 3)
{
    const DocumentSpec doc = MakeE13bCalibrationDocument();
    float sum = 0.0f;
    int count = 0;
    for (int r = 0; r < reads; ++r) {
        params.Seed = 100 + r;
        const auto s = head::ReadSignal(doc, params);
        SignalPeaks peaks;
        MeasureSignalPeaks(s.data(), static_cast<uint32_t>(s.size()), peaks);
        EXPECT_EQ(peaks.Count, 50) << "trimmer " << params.Trimmer;
        sum += peaks.Sum;
        count += peaks.Count;
    }
    return PeakPercent(sum, count);
}

CharacterWidths Widths(const head::HeadParams& params)
{
    auto s = head::ReadSignal(MakeE13bCalibrationDocument(), params);
    s.push_back(0); // the bench's buffers end in zeros
    return MeasureCharacterWidths(s.data(), s.size());
}

} // namespace

TEST(MagneticSignal, AmplifierModels)
{
    EXPECT_DOUBLE_EQ(head::AmplifierGain(head::NominalTrimmer, 40), 1.0);
    EXPECT_DOUBLE_EQ(head::AmplifierGain(head::NominalTrimmer, 39), 1.0);
    EXPECT_NEAR(head::AmplifierGain(28, 40), (1800.0 + 39 * 28) / (1800.0 + 39 * 128), 1e-12);
    EXPECT_NEAR(head::AmplifierGain(200, 39), (1 + (4700.0 + 39 * 200) / 3300) / (1 + (4700.0 + 39 * 128) / 3300),
                1e-12);
    EXPECT_DOUBLE_EQ(head::AmplifierGain(300, 40), head::AmplifierGain(255, 40)) << "one byte";
}

TEST(MagneticSignal, CalibrationDocumentGivesFiftyPeaksAtHundredPercent)
{
    for (int generation : {39, 40}) {
        head::HeadParams params;
        params.Generation = generation;
        EXPECT_NEAR(MeasurePercent(params), 100.0f, 1.5f) << generation;
    }
    // Away from the nominal trimmer the measure follows the amplifier.
    for (int trimmer : {90, 110, 150}) {
        head::HeadParams params;
        params.Trimmer = trimmer;
        EXPECT_NEAR(MeasurePercent(params), head::GainPercent(params), 1.5) << trimmer;
    }
}

TEST(MagneticSignal, BenchTrimmerFormulasConvergeInOneStep)
{
    struct Case {
        int Generation, Start;
        double Sensitivity;
    };
    for (const Case& c : {Case{40, 96, 1.0}, Case{40, 160, 1.0}, Case{39, 80, 1.0}, Case{39, 175, 1.0},
                          Case{40, 128, 0.85}}) {
        head::HeadParams params;
        params.Generation = c.Generation;
        params.Trimmer = c.Start;
        params.Sensitivity = c.Sensitivity;
        const float before = MeasurePercent(params);
        params.Trimmer = c.Generation == 39 ? NextTrimmerGen39(before, c.Start) : NextTrimmerGen40(before, c.Start);
        const float after = MeasurePercent(params);
        EXPECT_GE(after, 96.0f) << "generation " << c.Generation << " from " << c.Start << " (" << before << " %)";
        EXPECT_LE(after, 104.0f) << "generation " << c.Generation << " from " << c.Start << " (" << before << " %)";
    }
}

TEST(MagneticSignal, WidthsAtTheNominalTimeSample)
{
    head::HeadParams params;
    for (uint32_t seed = 0; seed < 5; ++seed) {
        params.Seed = seed;
        const CharacterWidths w = Widths(params);
        EXPECT_GT(w.Widths.size(), 300u);
        EXPECT_GE(w.CharWidthMin, 107);
        EXPECT_LE(w.CharWidthMax, 115);
        EXPECT_NEAR(w.CharWidthMean, 112.0f, 1.0f);
    }
}

TEST(MagneticSignal, TimeSampleCalibrationConvergesFromAMisSetUnit)
{
    for (int start : {92, 94, 106, 108}) {
        head::HeadParams params;
        params.TimeSample = start;
        int inRange = 0;
        for (int turn = 0; turn < 13 && inRange < 3; ++turn) {
            params.Seed = static_cast<uint32_t>(turn);
            const CharacterWidths w = Widths(params);
            ASSERT_LE(w.CharWidthMax - w.CharWidthMin, 11) << "a healthy transport";
            const TimeSampleStep step = NextTimeSample(params.TimeSample, w.CharWidthMin, w.CharWidthMax);
            inRange = step.InRange ? inRange + 1 : 0;
            params.TimeSample = step.Value;
        }
        EXPECT_EQ(inRange, 3) << "from " << start;
        EXPECT_NEAR(params.TimeSample, head::NominalTimeSample, 2) << "from " << start;
    }
}

TEST(MagneticSignal, WornBeltWidensTheWidthSpread)
{
    head::HeadParams params;
    const CharacterWidths good = Widths(params);
    params.BeltWear = 1.0;
    const CharacterWidths worn = Widths(params);
    EXPECT_LE(good.CharWidthMax - good.CharWidthMin, 4);
    EXPECT_GT(worn.CharWidthMax - worn.CharWidthMin, 11) << "the time-sample calibration calls this a bad assembly";
    EXPECT_GT(worn.CharWidthStdDev, 3 * good.CharWidthStdDev);
}

TEST(MagneticSignal, DocumentsWithoutE13bInkStartWithThirteen)
{
    const head::HeadParams params;
    for (const DocumentSpec& doc : {MakeWhiteDocument(), MakeBlankDocument(210.0f), MakeCard(), MakeColourTestDocument(),
                                    DefaultFeeder(1)[5]}) {
        const auto s = head::ReadSignal(doc, params);
        ASSERT_FALSE(s.empty());
        EXPECT_EQ(s[0], head::NoE13bInkMark);
        EXPECT_LE(s.size(), head::MaxSamples);
    }
    // CMC7 ink still shows in the signal after the mark.
    const auto cmc7 = head::ReadSignal(DefaultFeeder(1)[5], params);
    EXPECT_LT(*std::min_element(cmc7.begin() + 1, cmc7.end()), 100);
    const auto white = head::ReadSignal(MakeWhiteDocument(), params);
    EXPECT_GT(*std::min_element(white.begin() + 1, white.end()), 120);
    for (const DocumentSpec& doc : DefaultFeeder(1)) {
        if (doc.Micr == MicrFont::E13B) {
            EXPECT_NE(head::ReadSignal(doc, params)[0], head::NoE13bInkMark) << doc.Codeline;
        }
    }
}

TEST(MagneticSignal, LengthFollowsTheTimeSampleAndNeverExceedsTheBuffer)
{
    const DocumentSpec doc = MakeBlankDocument(300.0f);
    head::HeadParams params;
    const size_t nominal = head::ReadSignal(MakeE13bCalibrationDocument(), params).size();
    EXPECT_NEAR(static_cast<double>(nominal), (185.0 + 4.0) / 3.175 * 112, 30.0);
    params.TimeSample = 50;
    EXPECT_EQ(head::ReadSignal(doc, params).size(), head::MaxSamples);
}

TEST(MagneticSignal, SameSeedSameSamples)
{
    const DocumentSpec doc = DefaultFeeder(2)[0];
    head::HeadParams params;
    params.Seed = 4;
    EXPECT_EQ(head::ReadSignal(doc, params), head::ReadSignal(doc, params));
    head::HeadParams other = params;
    other.Seed = 5;
    EXPECT_NE(head::ReadSignal(doc, params), head::ReadSignal(doc, other));
}

TEST(MagneticSignal, ClippedAtBothEnds)
{
    head::HeadParams params;
    params.Sensitivity = 3.0;
    const auto s = head::ReadSignal(MakeE13bCalibrationDocument(), params);
    EXPECT_EQ(*std::min_element(s.begin(), s.end()), 0);
    EXPECT_EQ(*std::max_element(s.begin(), s.end()), 255);
}

TEST(MagneticSignal, BeltTest)
{
    head::HeadParams params;
    const auto inBand = [](const std::vector<uint8_t>& s) {
        for (size_t i = 10; i + 400 < s.size(); ++i)
            if (s[i] < 110 || s[i] > 145)
                return false;
        return true;
    };
    EXPECT_TRUE(inBand(head::BeltSignal(params, false, 30000)));
    EXPECT_FALSE(inBand(head::BeltSignal(params, true, 30000)));
}

TEST(MagneticSignal, ASlipReadsOnePitchTwiceOrNotAtAll)
{
    const double p = 3.175; // one E13B pitch, 0.125 in
    const std::vector<head::FluxStep> ink = {{0.0, 1}, {1.0, -1}, {3.3, 2}, {4.0, -2}, {6.175, 3}, {7.0, -3}};
    struct Case {
        int Slip;
        std::vector<double> Mm;
    };
    const Case cases[] = {
        {0, {0.0, 1.0, 3.3, 4.0, 6.175, 7.0}},
        // The pitch from 3.0 up to (not including) 6.175 is lost; 6.175 lands on 3.0.
        {-1, {0.0, 1.0, 6.175 - p, 7.0 - p}},
        {1, {0.0, 1.0, 3.3, 4.0, 3.3 + p, 4.0 + p, 6.175 + p, 7.0 + p}},
    };
    for (const Case& c : cases) {
        const auto slipped = head::SlipInk(ink, c.Slip, 3.0);
        ASSERT_EQ(slipped.size(), c.Mm.size()) << c.Slip;
        for (size_t i = 0; i < slipped.size(); ++i)
            EXPECT_NEAR(slipped[i].Mm, c.Mm[i], 1e-9) << c.Slip << " step " << i;
    }
    // The repeated pitch keeps its heights, in read order.
    const auto twice = head::SlipInk(ink, 1, 3.0);
    EXPECT_EQ(twice[4].Height, 2);
    EXPECT_EQ(twice[5].Height, -2);

    // On the calibration document a slip back reads one mark twice, a slip
    // forward misses one.
    const DocumentSpec doc = MakeE13bCalibrationDocument();
    for (const auto& [slip, marks] : {std::pair{1, 51}, std::pair{-1, 49}, std::pair{0, 50}}) {
        head::HeadParams params;
        params.Slip = slip;
        params.Seed = 7;
        const auto s = head::ReadSignal(doc, params);
        SignalPeaks peaks;
        MeasureSignalPeaks(s.data(), static_cast<uint32_t>(s.size()), peaks);
        EXPECT_EQ(peaks.Count, marks) << "slip " << slip;
    }
}
