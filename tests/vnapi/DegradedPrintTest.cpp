#include <gtest/gtest.h>

#include "decode/Decode.h"
#include "docs/ChequeGenerator.h"
#include "docs/DegradedPrint.h"

TEST(DegradedPrint, CharactersAreScoredAfterAligningTheTexts)
{
    struct Row {
        const char* Printed;
        const char* Read;
        long Characters, Right, Substituted, Rejected;
    };
    const Row table[] = {
        {"T12 3T", "T12 3T", 5, 5, 0, 0},
        {"T12 3T", "T1! 3T", 5, 4, 0, 1},
        {"T12 3T", "T17 3T", 5, 4, 1, 0},
        {"T12 3T", "T1 3T", 5, 4, 1, 0},   // one left out
        {"T12 3T", "T129 3T", 5, 5, 1, 0}, // one made up
        {"T12 3T", "", 5, 0, 5, 0},
        {"T12 3T", "T12!3T", 5, 5, 0, 0}, // a blank taken for a reject
        {"T12 3T", "T1243T", 5, 5, 1, 0}, // a blank read as a character
    };
    for (const Row& r : table) {
        const CharacterScore s = ScoreCharacters(r.Printed, r.Read);
        EXPECT_EQ(s.Characters, r.Characters) << r.Read;
        EXPECT_EQ(s.Right, r.Right) << r.Read;
        EXPECT_EQ(s.Substituted, r.Substituted) << r.Read;
        EXPECT_EQ(s.Rejected, r.Rejected) << r.Read;
    }
}

// One cheque per read type and degradation: fewer than one character in a
// thousand substituted, at least 98 % read right.
TEST(DegradedPrint, OpticalReadsRejectRatherThanSubstitute)
{
    struct Case {
        char Letter;
        OcrFont Ocr;
        float X, Y, Width, Height;
    };
    for (const Case c : {Case{'E', OcrFont::None, 6, 0, 170, 16}, Case{'A', OcrFont::OcrA, 6, 4, 150, 10.5f},
                         Case{'B', OcrFont::OcrB, 6, 4, 150, 10.5f}}) {
        CharacterScore total;
        uint32_t index = 0;
        for (const Degradation& d : DegradationSet()) {
            const DocumentSpec doc = MakeCheque(57, index++, ChequeLayout{MicrFont::E13B, c.Ocr, BarcodeKind::None});
            const ImageHandle front = DegradedFront(doc, d, index);
            char text[256] = {};
            uint16_t length = sizeof text;
            const char readType[2] = {c.Letter, 0};
            const DecodeOptions options{1, 'N'};
            const float k = static_cast<float>(d.Size);
            ASSERT_EQ(decode::CodelineReadFromBitmap(front.get(), readType, 0, c.X * k, c.Y * k, c.Width * k,
                                                     c.Height * k, &options, text, &length),
                      0);
            const std::string& printed = c.Letter == 'E' ? doc.Codeline : doc.OcrText;
            const CharacterScore s = ScoreCharacters(printed, text);
            EXPECT_EQ(s.Substituted, 0) << c.Letter << ", " << d.Name << ": read [" << text << "] for [" << printed
                                        << "]";
            total.Characters += s.Characters;
            total.Right += s.Right;
            total.Substituted += s.Substituted;
        }
        EXPECT_LT(total.Substituted * 1000, total.Characters) << c.Letter;
        EXPECT_GE(total.Right * 100, total.Characters * 98) << c.Letter;
    }
}
