#include <gtest/gtest.h>

#include "docs/ChequeGenerator.h"
#include "docs/MagneticSignal.h"
#include "docs/MicrDecoder.h"
#include "docs/MicrGlyphs.h"
#include "vnapi/ByteOrder.h"
#include "vnapi/MicrSymbols.h"

namespace {

std::string Read(const DocumentSpec& doc, const std::vector<uint8_t>& samples, int timeSample = head::NominalTimeSample)
{
    micr::ReaderParams reader;
    reader.TimeSample = timeSample;
    return doc.Micr == MicrFont::CMC7 ? micr::DecodeCmc7Signal(samples.data(), samples.size(), reader)
                                      : micr::DecodeE13bSignal(samples.data(), samples.size(), reader);
}

// A read is honest when it has the printed codeline's length and every
// character is either the printed one or a reject.
::testing::AssertionResult Honest(const std::string& printed, const std::string& read)
{
    if (read.size() != printed.size())
        return ::testing::AssertionFailure() << "read \"" << read << "\" for \"" << printed << "\"";
    for (size_t i = 0; i < read.size(); ++i)
        if (read[i] != micr::Reject && read[i] != printed[i])
            return ::testing::AssertionFailure() << "'" << read[i] << "' for '" << printed[i] << "' at " << i
                                                 << ": \"" << read << "\" for \"" << printed << "\"";
    return ::testing::AssertionSuccess();
}

size_t Rejects(const std::string& read) { return static_cast<size_t>(std::count(read.begin(), read.end(), micr::Reject)); }

} // namespace

TEST(MicrDecoder, DefaultStackReadsBackItsCodelines)
{
    for (uint32_t seed : {1u, 2u, 3u}) {
        for (const DocumentSpec& doc : DefaultFeeder(seed)) {
            head::HeadParams params;
            params.Seed = seed;
            EXPECT_EQ(Read(doc, head::ReadSignal(doc, params)), doc.Codeline) << "seed " << seed;
        }
    }
}

TEST(MicrDecoder, ReadsAtTheUnitsTimeSampleAndAnUnevenSpeed)
{
    struct Case {
        int TimeSample;
        double Speed;
    };
    const auto stack = DefaultFeeder(4);
    for (const Case& c : {Case{92, 1.0}, Case{108, 1.0}, Case{100, 0.92}, Case{100, 1.08}}) {
        for (const DocumentSpec& doc : stack) {
            head::HeadParams params;
            params.TimeSample = c.TimeSample;
            params.SpeedFactor = c.Speed;
            EXPECT_EQ(Read(doc, head::ReadSignal(doc, params), c.TimeSample), doc.Codeline)
                << "time sample " << c.TimeSample << ", speed " << c.Speed;
        }
    }
}

TEST(MicrDecoder, WeakClippedOrUnevenSignalsGiveRejectsNeverWrongCharacters)
{
    struct Case {
        const char* What;
        double Sensitivity;
        double Jitter;
    };
    for (const Case& c : {Case{"a third of the gain", 1.0 / 3.0, 0.3}, Case{"half the gain", 0.45, 0.3},
                          Case{"clipped", 2.5, 0.3}, Case{"heavily clipped", 4.0, 0.3},
                          Case{"heavy jitter", 1.0, 12.0}, Case{"heavier jitter", 1.0, 15.0}}) {
        size_t rejects = 0;
        for (uint32_t seed : {1u, 2u}) {
            for (const DocumentSpec& doc : DefaultFeeder(seed)) {
                head::HeadParams params;
                params.Sensitivity = c.Sensitivity;
                params.JitterPercent = c.Jitter;
                params.Seed = seed;
                const std::string read = Read(doc, head::ReadSignal(doc, params));
                EXPECT_TRUE(Honest(doc.Codeline, read)) << c.What;
                rejects += Rejects(read);
            }
        }
        EXPECT_GT(rejects, 10u) << c.What << " must fail somewhere";
    }
}

TEST(MicrDecoder, SamplesScaledDownToAThirdAreRejected)
{
    const DocumentSpec doc = DefaultFeeder(6)[0];
    std::vector<uint8_t> samples = head::ReadSignal(doc, {});
    for (uint8_t& s : samples)
        s = static_cast<uint8_t>(128 + (s - 128) / 3);
    const std::string read = Read(doc, samples);
    EXPECT_TRUE(Honest(doc.Codeline, read));
    EXPECT_EQ(Rejects(read), doc.Codeline.size() - std::count(doc.Codeline.begin(), doc.Codeline.end(), ' '))
        << "below the reader's 50 % amplitude, nothing is taken";
}

TEST(MicrDecoder, NothingToRead)
{
    const micr::ReaderParams reader;
    EXPECT_EQ(micr::DecodeE13bSignal(nullptr, 0, reader), "");
    const auto white = head::ReadSignal(MakeWhiteDocument(), {});
    EXPECT_EQ(micr::DecodeE13bSignal(white.data(), white.size(), reader), "");
    EXPECT_EQ(micr::DecodeCmc7Signal(white.data(), white.size(), reader), "");
    // An E13B reader sees a CMC7 document as one without E13B ink.
    const DocumentSpec cmc7 = DefaultFeeder(1)[5];
    const auto signal = head::ReadSignal(cmc7, {});
    EXPECT_EQ(micr::DecodeE13bSignal(signal.data(), signal.size(), reader), "");
    // The calibration marks are no characters.
    const auto marks = head::ReadSignal(MakeE13bCalibrationDocument(), {});
    const std::string read = micr::DecodeE13bSignal(marks.data(), marks.size(), reader);
    EXPECT_EQ(read, std::string(50, micr::Reject));
}

TEST(MicrDecoder, Cmc7DataRecord)
{
    const DocumentSpec doc = DefaultFeeder(1)[11];
    ASSERT_EQ(doc.Micr, MicrFont::CMC7);
    const auto samples = head::ReadSignal(doc, {});
    std::array<uint8_t, micr::Cmc7DataSize> data{};
    data.fill(0xEE);
    const std::string read = micr::DecodeCmc7Signal(samples.data(), samples.size(), {}, &data);
    ASSERT_EQ(read, doc.Codeline);
    ASSERT_EQ(le::ReadU16(data.data()), read.size());
    EXPECT_EQ(le::ReadU16(data.data() + 2), 7 * read.size());
    for (size_t i = 0; i < read.size(); ++i) {
        const uint8_t* c = data.data() + 4 + 8 * i;
        EXPECT_EQ(c[0], static_cast<uint8_t>(read[i]));
        const micr::Cmc7Glyph* g = micr::FindCmc7Glyph(read[i]);
        ASSERT_NE(g, nullptr);
        // Long gaps measure longer than short ones, in samples.
        for (int gap = 0; gap < 6; ++gap)
            EXPECT_EQ(c[1 + gap] > 20, ((g->LongGaps >> gap) & 1) != 0) << read[i] << " gap " << gap;
        EXPECT_GT(c[7], 50);
    }
    for (size_t i = 4 + 8 * read.size(); i < data.size(); ++i)
        ASSERT_EQ(data[i], 0) << i;
}
