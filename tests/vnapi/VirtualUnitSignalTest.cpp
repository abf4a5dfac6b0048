// The unit's head and scanner against the bench's measurements: the E13B
// signal of the calibration document, the CMC7 read, the belt test and the
// image calibration. The bench's own analyses (src/micr) judge the signals,
// so that a calibration run on the virtual unit is known to converge.
#include <cmath>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "UnitTestHelpers.h"
#include "docs/Document.h"
#include "docs/MicrDecoder.h"
#include "micr/SignalAnalysis.h"
#include "micr/TimeSampleStep.h"

using namespace bench;
#include "vnapi/ByteOrder.h"

namespace {

constexpr uint32_t SignalBufferSize = 16384;

// A unit of the generation with an empty feeder.
VirtualUnitSetup CalibrationDocuments(uint16_t generation, uint32_t seed)
{
    VirtualUnitSetup setup = TestUnitSetup(seed);
    setup.Generation = generation;
    setup.GeneratedCheques = 0;
    return setup;
}

OpenUnit& LoadCalibrationDocuments(OpenUnit& unit, int count)
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "Document = E13bCalibration\n";
    EXPECT_TRUE(unit.Control().LoadDocumentsFromText(lines));
    return unit;
}

// One pass over the head as the calibrations make it: the samples in a
// zero-filled buffer, and the delivered length.
std::vector<uint8_t> ReadPass(OpenUnit& unit, uint32_t* delivered = nullptr)
{
    EXPECT_EQ(unit.FeedFor(1, 'N', 5, 0, 0, 0), 0);
    std::vector<uint8_t> samples(SignalBufferSize, 0);
    uint32_t length = SignalBufferSize;
    EXPECT_EQ(unit.Api().Varn_ReadE13BSignal(unit.Handle, nullptr, samples.data(), &length), 0);
    EXPECT_EQ(unit.Release(5), 0);
    if (delivered)
        *delivered = length;
    return samples;
}

float PercentOf(OpenUnit& unit, int reads, int* peaks = nullptr)
{
    float sum = 0.0f;
    int count = 0;
    for (int i = 0; i < reads; ++i) {
        uint32_t length = 0;
        const std::vector<uint8_t> s = ReadPass(unit, &length);
        SignalPeaks p;
        MeasureSignalPeaks(s.data(), length, p);
        if (peaks)
            *peaks = p.Count;
        sum += p.Sum;
        count += p.Count;
    }
    return PeakPercent(sum, count);
}

// The bench's trimmer formulas of its gain calibration.
int NextTrimmerGen40(float percent, int t)
{
    const int wanted = 100;
    const int d = std::abs(static_cast<int>(percent) - wanted);
    const float q = static_cast<float>(d) * 100.0f / percent;
    const float f = percent > wanted ? 100.0f - q : q + 100.0f;
    const int k = (39 * t + 1800) / 100;
    const int r = k * static_cast<int>(f);
    return r <= 1800 ? 0 : (r - 1800) / 39;
}

int NextTrimmerGen39(float percent, int t)
{
    const int wanted = 100;
    const int d = std::abs(static_cast<int>(percent) - wanted);
    const float q = static_cast<float>(d) * 100.0f / percent;
    const float f = percent > wanted ? 100.0f - q : q + 100.0f;
    const float g = static_cast<float>(39 * t + 4700) / 3300.0f + 1.0f;
    return static_cast<int>(std::trunc(((g / 100.0f * std::trunc(f) - 1.0f) * 3300.0f - 4700.0f) / 39.0f));
}

TEST(VirtualUnitE13bSignal, CalibrationDocumentGivesFiftyPeaksAndPitchWindowsAtTheRightSettings)
{
    for (const uint16_t generation : {40, 39}) {
        for (const uint32_t seed : {1u, 77u}) {
            OpenUnit unit(CalibrationDocuments(generation, seed));
            LoadCalibrationDocuments(unit, 3);
            unit.Calibrate();
            for (int pass = 0; pass < 3; ++pass) {
                uint32_t length = 0;
                const std::vector<uint8_t> s = ReadPass(unit, &length);
                SignalPeaks peaks;
                ASSERT_EQ(MeasureSignalPeaks(s.data(), length, peaks), 1);
                EXPECT_EQ(peaks.Count, 50) << "generation " << generation << " seed " << seed;
                EXPECT_NEAR(PeakPercent(peaks.Sum, peaks.Count), 100.0f, 4.0f);
                const CharacterWidths w = MeasureCharacterWidths(s.data(), s.size());
                EXPECT_GE(w.CharWidthMin, 107) << "generation " << generation << " seed " << seed;
                EXPECT_LE(w.CharWidthMax, 115);
                EXPECT_LE(w.CharWidthMax - w.CharWidthMin, 11);
            }
        }
    }
}

TEST(VirtualUnitE13bSignal, TheBenchsGainCalibrationCorrectsAFreshUnit)
{
    for (const uint16_t generation : {40, 39}) {
        OpenUnit unit(CalibrationDocuments(generation, 3));
        LoadCalibrationDocuments(unit, 6);
        int peaks = 0;
        const float before = PercentOf(unit, 3, &peaks);
        EXPECT_EQ(peaks, 50) << "a fresh unit still finds the fifty marks";
        EXPECT_LT(before, 96.0f) << "a fresh unit's gain is low, outside the bench's window";
        const int trimmer = unit.Control().State().Trimmer;
        const int next = generation == 39 ? NextTrimmerGen39(before, trimmer) : NextTrimmerGen40(before, trimmer);
        ASSERT_GT(next, 0);
        ASSERT_LT(next, 255);
        ASSERT_EQ(unit.Api().Varn_SetTrimmerMICR(unit.Handle, nullptr, 0, static_cast<uint8_t>(next)), 0);
        const float after = PercentOf(unit, 3);
        EXPECT_NEAR(after, 100.0f, 4.0f) << "generation " << generation << ": " << before << " % at " << trimmer
                                         << ", then " << after << " % at " << next;
    }
}

TEST(VirtualUnitE13bSignal, TheBenchsTimeSampleCalibrationConverges)
{
    OpenUnit unit(CalibrationDocuments(40, 5));
    LoadCalibrationDocuments(unit, 13);
    int inRange = 0, turns = 0;
    while (inRange < 3 && turns < 13) {
        const std::vector<uint8_t> s = ReadPass(unit);
        uint16_t t = 0;
        ASSERT_EQ(unit.Api().Varn_ReadTimeSampleMICR(unit.Handle, nullptr, 0, &t, 2), 0);
        const CharacterWidths w = MeasureCharacterWidths(s.data(), s.size());
        ASSERT_LE(w.CharWidthMax - w.CharWidthMin, 11) << "Bad assembly on a healthy unit";
        const TimeSampleStep step = NextTimeSample(t, w.CharWidthMin, w.CharWidthMax);
        inRange = step.InRange ? inRange + 1 : 0;
        ASSERT_EQ(unit.Api().Varn_SetTimeSampleMICR(unit.Handle, nullptr, 0, static_cast<uint16_t>(step.Value)), 0);
        ++turns;
    }
    EXPECT_EQ(inRange, 3) << "after " << turns << " turns";
}

TEST(VirtualUnitE13bSignal, AWornBeltSpreadsTheCharacterWidths)
{
    struct Case {
        double Wear;
        bool BadAssembly;
    };
    for (const Case c : {Case{0.0, false}, Case{1.0, true}}) {
        VirtualUnitSetup setup = CalibrationDocuments(40, 9);
        setup.BeltWear = c.Wear;
        OpenUnit unit(setup);
        LoadCalibrationDocuments(unit, 1);
        unit.Calibrate();
        const std::vector<uint8_t> s = ReadPass(unit);
        const CharacterWidths w = MeasureCharacterWidths(s.data(), s.size());
        EXPECT_EQ(w.CharWidthMax - w.CharWidthMin > 11, c.BadAssembly) << "wear " << c.Wear << ": " << w.CharWidthMin << " to " << w.CharWidthMax;
    }
}

TEST(VirtualUnitE13bSignal, LengthIsBoundedByTheCallersCapacity)
{
    OpenUnit unit;
    uint8_t samples[SignalBufferSize];
    uint32_t length = SignalBufferSize;
    EXPECT_EQ(unit.Api().Varn_ReadE13BSignal(unit.Handle, nullptr, samples, &length), -9) << "no document yet";
    ASSERT_EQ(unit.FeedFor(1, 'N', 5), 0);
    ASSERT_EQ(unit.Api().Varn_ReadE13BSignal(unit.Handle, nullptr, samples, &length), 0);
    EXPECT_GT(length, 5000u);
    EXPECT_LE(length, SignalBufferSize);
    const std::vector<uint8_t> whole(samples, samples + length);

    uint8_t part[1000];
    uint32_t small = sizeof part;
    EXPECT_EQ(unit.Api().Varn_ReadE13BSignal(unit.Handle, nullptr, part, &small), -10);
    EXPECT_EQ(small, 1000u);
    EXPECT_TRUE(std::equal(part, part + 1000, whole.begin())) << "the same pass, cut short";
    EXPECT_EQ(unit.Api().Varn_ReadE13BSignal(unit.Handle, nullptr, nullptr, &small), -9);

    VirtualUnitSetup noMicr = TestUnitSetup();
    noMicr.Features = {0x2A, 0x13, 0, 0};
    OpenUnit plain(noMicr);
    ASSERT_EQ(plain.FeedFor(1, 'N', 5), 0);
    EXPECT_EQ(plain.Codeline(), "") << "no head, no codeline";
    EXPECT_EQ(plain.Api().Varn_ReadE13BSignal(plain.Handle, nullptr, samples, &length), 19);
}

TEST(VirtualUnitE13bSignal, DocumentsWithoutE13bInkStartWithThirteen)
{
    OpenUnit unit;
    unit.Control().EmptyFeeder();
    ASSERT_TRUE(unit.Control().LoadDocumentsFromText("Document = White\nDocument = Cheque | Micr = CMC7 | "
                                                      "Codeline = 1234567A012345678901D1234567890B\n"
                                                      "Cheques = 1\n"));
    const uint8_t expected[] = {13, 13, 0};
    for (const uint8_t first : expected) {
        ASSERT_EQ(unit.FeedFor(1, 'N', 5), 0);
        uint8_t samples[SignalBufferSize];
        uint32_t length = SignalBufferSize;
        ASSERT_EQ(unit.Api().Varn_ReadE13BSignal(unit.Handle, nullptr, samples, &length), 0);
        if (first == 13)
            EXPECT_EQ(samples[0], 13);
        else
            EXPECT_NE(samples[0], 13) << "an E13B cheque starts at the quiet level";
    }
}

TEST(VirtualUnitCmc7, TheRecordOfTheRead)
{
    OpenUnit unit;
    const std::vector<DocumentSpec> stack = unit.Control().FeederContents();
    ASSERT_EQ(stack[5].Micr, MicrFont::CMC7);
    for (int i = 0; i < 6; ++i)
        ASSERT_EQ(unit.FeedFor(1, 'N', 5), 0);
    EXPECT_EQ(unit.Codeline(), stack[5].Codeline);
    uint8_t record[1024];
    ASSERT_EQ(unit.Api().Varn_ReadCMC7Signal(unit.Handle, nullptr, record, sizeof record), 0);
    EXPECT_EQ(le::ReadU16(record), stack[5].Codeline.size());
    EXPECT_EQ(static_cast<char>(record[4]), stack[5].Codeline[0]);
    uint8_t half[512];
    EXPECT_EQ(unit.Api().Varn_ReadCMC7Signal(unit.Handle, nullptr, half, sizeof half), -10);
    EXPECT_TRUE(std::equal(half, half + 512, record));
    EXPECT_EQ(unit.Api().Varn_ReadCMC7Signal(unit.Handle, nullptr, nullptr, 1024), -9);
}

// ---- Belt --------------------------------------------------------------------

TEST(VirtualUnitBelt, QuietBandOnAHealthyBeltAndBumpsOnAMagnetisedOne)
{
    for (const bool magnetised : {false, true}) {
        VirtualUnitSetup setup = TestUnitSetup();
        setup.MagnetisedBelt = magnetised;
        OpenUnit unit(setup);
        std::vector<uint8_t> samples(30000, 0);
        uint32_t length = 30000;
        ASSERT_EQ(unit.Api().VnTestCinghia(unit.Handle, nullptr, samples.data(), &length), 0);
        ASSERT_GT(length, 411u);
        ASSERT_LE(length, 30000u);
        int outside = 0;
        for (uint32_t i = 10; i < length - 400; ++i)
            outside += samples[i] < 110 || samples[i] > 145;
        EXPECT_EQ(outside > 0, magnetised) << outside << " samples outside 110..145";
    }
    OpenUnit unit;
    uint8_t few[100];
    uint32_t length = sizeof few;
    EXPECT_EQ(unit.Api().VnTestCinghia(unit.Handle, nullptr, few, &length), 0);
    EXPECT_EQ(length, 100u) << "as many as the caller has room for";
    length = 0;
    EXPECT_EQ(unit.Api().VnTestCinghia(unit.Handle, nullptr, few, &length), -10);
}

// ---- Image calibration ------------------------------------------------------

// The bench's measure: columns from the first to the last that has at least
// 229 white rows in a 1-bit image.
double MeasuredLength(const PackedBitmap& image)
{
    int first = -1, last = -1;
    for (int x = 0; x < image.Width(); ++x) {
        int white = 0;
        for (int r = 0; r < image.Height(); ++r)
            white += (image.Row(r)[x >> 3] >> (7 - (x & 7))) & 1;
        if (white >= 229) {
            if (first < 0)
                first = x;
            last = x;
        }
    }
    return first < 0 ? 0.0 : last - first + 1;
}

double MeasureBlank(OpenUnit& unit)
{
    EXPECT_EQ(unit.FeedFor(0, 'F', 1), 0);
    ImageHandle front;
    EXPECT_EQ(unit.Api().Varn_ReadImage(unit.Handle, nullptr, 0, 'F', 0, 0, &front, nullptr, nullptr, nullptr), 0);
    EXPECT_TRUE(front && front->BitCount() == 1);
    return front ? MeasuredLength(*front) : 0.0;
}

TEST(VirtualUnitImageCalibration, MeasuredLengthVariesInverselyWithTheValue)
{
    OpenUnit unit;
    unit.Control().EmptyFeeder();
    ASSERT_TRUE(unit.Control().LoadDocumentsFromText("Document = Blank | Length = 200\n"
                                                      "Document = Blank | Length = 200\n"
                                                      "Document = Blank | Length = 200\n"));
    const uint16_t right = virtualunit::PhysicsFor(40, 1).RightImageCalibration;
    std::vector<double> products;
    for (uint16_t value : {uint16_t(1523), right, uint16_t(1862)}) {
        ASSERT_EQ(unit.Api().Varn_ImageCalibration(unit.Handle, nullptr, 1, &value), 0);
        const double m = MeasureBlank(unit);
        if (value == right) {
            EXPECT_NEAR(m, 200.0 / 25.4 * 200.0, 2.0) << "true length at the unit's right value";
        }
        products.push_back(m * value);
    }
    EXPECT_NEAR(products[0] / products[1], 1.0, 0.002);
    EXPECT_NEAR(products[2] / products[1], 1.0, 0.002);
}

TEST(VirtualUnitImageCalibration, TheBenchsProportionalCorrectionConverges)
{
    for (const uint32_t seed : {1u, 2u, 3u}) {
        OpenUnit unit(TestUnitSetup(seed));
        unit.Control().EmptyFeeder();
        std::string lines;
        for (int i = 0; i < 9; ++i)
            lines += "Document = Blank | Length = 100\n";
        ASSERT_TRUE(unit.Control().LoadDocumentsFromText(lines));
        const float e = 100.0f / 25.4f * 200.0f;
        int attempts = 0;
        bool done = false;
        while (!done && attempts < 9) {
            ++attempts;
            const float m = static_cast<float>(MeasureBlank(unit));
            uint16_t v = 0;
            ASSERT_EQ(unit.Api().Varn_ImageCalibration(unit.Handle, nullptr, 0, &v), 0);
            const float t = e * 0.005f;
            int next = v;
            if (m > e + t)
                next = v + static_cast<uint16_t>(static_cast<int>((m - e) * 100.0f / e * v)) / 100;
            else if (m < e - t)
                next = v - static_cast<uint16_t>(static_cast<int>((e - m) * 100.0f / e * v)) / 100;
            else
                done = true;
            next = std::clamp(next, 1523, 1862);
            uint16_t written = static_cast<uint16_t>(next);
            ASSERT_EQ(unit.Api().Varn_ImageCalibration(unit.Handle, nullptr, 1, &written), 0);
        }
        EXPECT_TRUE(done) << "seed " << seed;
        EXPECT_LE(attempts, 3) << "seed " << seed;
        EXPECT_GT(attempts, 1) << "a fresh unit is off at first";
    }
}

TEST(VirtualUnitScanner, AWeakLampAndADirtyElementShowInTheImages)
{
    const auto frontOfWhite = [](double lamp, double streak) {
        VirtualUnitSetup setup = TestUnitSetup();
        setup.LampLevel = lamp;
        setup.StreakMm = streak;
        OpenUnit unit(setup);
        unit.Control().EmptyFeeder();
        EXPECT_TRUE(unit.Control().LoadDocumentsFromText("Document = White\n"));
        EXPECT_EQ(unit.FeedFor(0, 'F', 11), 0);
        ImageHandle front;
        EXPECT_EQ(unit.Api().Varn_ReadImage(unit.Handle, nullptr, 0, 'F', 0, 0, &front, nullptr, nullptr, nullptr),
                  0);
        return front;
    };
    // Mean green of a stored row in the middle of the document.
    const auto rowMean = [](const PackedBitmap& image, int row) {
        long sum = 0;
        const int from = image.Width() / 4, to = 3 * image.Width() / 4;
        for (int x = from; x < to; ++x)
            sum += image.Row(row)[3 * x + 1];
        return static_cast<double>(sum) / (to - from);
    };
    const ImageHandle good = frontOfWhite(1.0, -1.0);
    const ImageHandle weak = frontOfWhite(0.6, -1.0);
    const ImageHandle streaked = frontOfWhite(1.0, 20.0);
    ASSERT_TRUE(good && weak && streaked);
    const int middle = good->Height() / 2;
    EXPECT_LT(rowMean(*weak, middle), rowMean(*good, middle) * 0.7);
    const int streakRow = static_cast<int>(std::lround(20.0 * 200 / 25.4));
    EXPECT_LT(rowMean(*streaked, streakRow), rowMean(*good, streakRow) * 0.8) << "a dark line 20 mm up";
    EXPECT_NEAR(rowMean(*streaked, middle), rowMean(*good, middle), 1.0);
}

} // namespace
