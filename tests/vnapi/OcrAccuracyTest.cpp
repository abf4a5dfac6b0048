#include <gtest/gtest.h>

#include "SyntheticDocuments.h"
#include "decode/Decode.h"

// Random lines of each read type under random print and scan conditions (a
// fixed seed: the same lines every run): not one character may be misread,
// and rejects must stay rare.
class OcrAccuracy : public ::testing::TestWithParam<char> { };

TEST_P(OcrAccuracy, RandomLinesAreNeverMisread)
{
#ifdef VARN_SANITIZED
    // The sanitizers look for memory faults; the statistics need the full sweep.
    constexpr int Lines = 40;
#else
    constexpr int Lines = 200;
#endif
    const char readType = GetParam();
    synth::Score total;
    int exact = 0;
    for (int i = 0; i < Lines; ++i) {
        const synth::SweepLine line = synth::MakeSweepLine(readType, 7919u * static_cast<uint32_t>(readType) + i);
        char text[256];
        uint16_t length = sizeof text;
        const DecodeOptions options{1, line.Mode};
        ASSERT_EQ(decode::CodelineReadFromBitmap(line.Image.get(), line.ReadType.c_str(), 0, 6, 4, 150, 10.5f, &options,
                                                 text, &length),
                  0);
        const synth::Score s = synth::Compare(line.Expected, text);
        EXPECT_EQ(s.Misreads, 0) << "printed '" << line.Expected << "'\n   read '" << text << "'\n" << line.Conditions;
        total.Characters += s.Characters;
        total.Rejects += s.Rejects;
        total.Misreads += s.Misreads;
        exact += s.Rejects == 0 && s.Misreads == 0;
    }
    EXPECT_EQ(total.Misreads, 0);
    EXPECT_LT(total.Rejects * 100, total.Characters) << "under 1 % rejects";
    EXPECT_GE(exact, Lines * 9 / 10) << "nine lines in ten read whole";
    RecordProperty("characters", total.Characters);
    RecordProperty("rejects", total.Rejects);
}

INSTANTIATE_TEST_SUITE_P(ReadTypes, OcrAccuracy, ::testing::Values('A', 'B', 'C', 'F', 'E', 'X'),
                         [](const ::testing::TestParamInfo<char>& info) { return std::string(1, info.param); });
