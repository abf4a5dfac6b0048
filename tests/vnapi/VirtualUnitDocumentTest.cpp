// What the virtual unit makes of a document it feeds: the codeline its MICR
// head reads, the images its cameras take, and what its printer and stamp
// leave on the paper.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "UnitTestHelpers.h"
#include "docs/Document.h"
#include "vnapi/MicrSymbols.h"

namespace {

ImageHandle ReadSide(OpenUnit& unit, char side, uint16_t clearImage = 1, ImageHandle* other = nullptr,
                     int32_t* reply = nullptr)
{
    ImageHandle front, back;
    const int32_t r =
        unit.Api().Varn_ReadImage(unit.Handle, nullptr, clearImage, side, 0, 0, &front, &back, nullptr, nullptr);
    if (reply)
        *reply = r;
    const bool backOnly = side == 'B' || side == 'C' || side == 'D' || side == 'E';
    if (other)
        *other = std::move(backOnly ? front : back);
    return std::move(backOnly ? back : front);
}

// Pixels of the region (millimetres from the image's left and top edges)
// whose grey level differs by more than 60 between two images of one size.
int InkDifference(const PackedBitmap& a, const PackedBitmap& b, double leftMm, double topMm, double rightMm,
                  double bottomMm, int* rowsWithInk = nullptr)
{
    EXPECT_EQ(a.Width(), b.Width());
    EXPECT_EQ(a.Height(), b.Height());
    EXPECT_EQ(a.BitCount(), 8);
    const double px = 200.0 / 25.4;
    int count = 0, rows = 0;
    for (int y = static_cast<int>(topMm * px); y < std::min<int>(a.Height(), static_cast<int>(bottomMm * px)); ++y) {
        const int r = a.Height() - 1 - y;
        bool ink = false;
        for (int x = static_cast<int>(leftMm * px); x < std::min<int>(a.Width(), static_cast<int>(rightMm * px)); ++x)
            if (std::abs(a.Row(r)[x] - b.Row(r)[x]) > 60) {
                ++count;
                ink = true;
            }
        rows += ink;
    }
    if (rowsWithInk)
        *rowsWithInk = rows;
    return count;
}

TEST(VirtualUnitCodeline, EveryDefaultChequeReadsAsPrintedOnAFreshAndOnACalibratedUnit)
{
    for (const bool calibrated : {false, true}) {
        OpenUnit unit;
        if (calibrated)
            unit.Calibrate();
        const std::vector<DocumentSpec> stack = unit.Control().FeederContents();
        ASSERT_EQ(stack.size(), 25u);
        size_t cmc7 = 0;
        for (size_t i = 0; i < stack.size(); ++i) {
            ASSERT_EQ(unit.FeedFor(1, 'N', 5), 0) << i;
            int32_t reply = -1;
            EXPECT_EQ(unit.Codeline(&reply), stack[i].Codeline) << "cheque " << i << (calibrated ? " calibrated" : "");
            EXPECT_EQ(reply, 0);
            cmc7 += stack[i].Micr == MicrFont::CMC7;
        }
        EXPECT_EQ(cmc7, 4u) << "E13B and CMC7 both read, each by its font";
        EXPECT_EQ(unit.Control().State().History.MicrReadErrors, 0u);
    }
}

TEST(VirtualUnitCodeline, AWeakHeadRejectsCharactersAndCountsItsErrors)
{
    OpenUnit unit;
    // Trimmer 0: the amplifier gives about a third of the gain it should.
    ASSERT_EQ(unit.Api().Varn_SetTrimmerMICR(unit.Handle, nullptr, 0, 0), 0);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(unit.FeedFor(1, 'N', 5), 0);
        EXPECT_NE(unit.Codeline().find(micr::Reject), std::string::npos) << unit.Codeline();
    }
    const HistoryRecord h = unit.Control().State().History;
    EXPECT_EQ(h.MicrReadErrors, 3u);
    EXPECT_EQ(h.E13bReadErrors, 3u);
}

TEST(VirtualUnitCodeline, LengthInAndOut)
{
    OpenUnit unit;
    const std::string printed = unit.Control().FeederContents()[0].Codeline;
    int32_t reply = 0;
    unit.Codeline(&reply);
    EXPECT_EQ(reply, -9) << "no document has passed yet";

    ASSERT_EQ(unit.FeedFor(1, 'N', 5), 0);
    char text[256];
    uint16_t length = 256;
    EXPECT_EQ(unit.Api().Varn_ReadCodeline(unit.Handle, nullptr, text, &length, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(length, printed.size());
    EXPECT_STREQ(text, printed.c_str());

    length = 6;
    EXPECT_EQ(unit.Api().Varn_ReadCodeline(unit.Handle, nullptr, text, &length, nullptr, nullptr, nullptr, nullptr), 2)
        << "Codeline Truncated";
    EXPECT_EQ(length, 5);
    EXPECT_EQ(std::string(text), printed.substr(0, 5));
    EXPECT_EQ(unit.Api().Varn_ReadCodeline(unit.Handle, nullptr, nullptr, &length, nullptr, nullptr, nullptr, nullptr),
              -9);

    // A feed that asks for no codeline leaves none to read.
    ASSERT_EQ(unit.FeedFor(0, 'N', 5), 0);
    EXPECT_EQ(unit.Codeline(&reply), "");
    EXPECT_EQ(reply, 0);
}

TEST(VirtualUnitCodeline, MicrAndOcrGivesTheMicrCodelineAndTheOpticalHalf)
{
    OpenUnit unit;
    const std::string printed = unit.Control().FeederContents()[0].Codeline;
    ASSERT_EQ(unit.FeedFor(15, 'F', 5), 0);
    char micrText[256], ocrText[256];
    uint16_t micrLength = 256, ocrLength = 256;
    EXPECT_EQ(unit.Api().Varn_ReadCodelineMicrOcr(unit.Handle, nullptr, micrText, &micrLength, ocrText, &ocrLength),
              0);
    EXPECT_EQ(std::string(micrText, micrLength), printed);
    // The optical half reads the same codeline from the front image.
    EXPECT_EQ(std::string(ocrText, ocrLength), printed);
}

struct ImageCase {
    uint16_t ScanMode;
    char Side;
    bool Front;
    bool Back;
    uint16_t Bits;
    int Dpi;
};

TEST(VirtualUnitImages, EachScanModeSideAndPlaneGivesItsDepthAndSize)
{
    const ImageCase cases[] = {
        {1, 'F', true, false, 1, 200},  {2, 'B', false, true, 4, 100},  {3, 'X', true, true, 4, 200},
        {20, 'F', true, false, 4, 300}, {4, 'X', true, true, 8, 100},   {5, 'X', true, true, 8, 200},
        {21, 'B', false, true, 8, 300}, {10, 'X', true, true, 24, 100}, {11, 'F', true, false, 24, 200},
        {11, 'G', true, false, 8, 200}, {11, 'H', true, false, 8, 200}, {11, 'I', true, false, 8, 200},
        {10, 'C', false, true, 8, 100}, {10, 'D', false, true, 8, 100}, {5, 'E', false, true, 8, 200},
        {11, 'Y', true, true, 8, 200},  {11, 'W', true, true, 8, 200},  {11, 'Z', true, true, 8, 200},
        {5, 'N', false, false, 0, 0},
    };
    for (const ImageCase& c : cases) {
        OpenUnit unit;
        unit.Calibrate();
        const DocumentSpec doc = unit.Control().FeederContents()[0];
        ASSERT_EQ(unit.FeedFor(0, 'X', c.ScanMode), 0);
        ImageHandle front, back;
        ASSERT_EQ(unit.Api().Varn_ReadImage(unit.Handle, nullptr, 1, c.Side, 0, 0, &front, &back, nullptr, nullptr), 0)
            << c.Side << c.ScanMode;
        EXPECT_EQ(front != nullptr, c.Front) << c.Side << " mode " << c.ScanMode;
        EXPECT_EQ(back != nullptr, c.Back) << c.Side << " mode " << c.ScanMode;
        for (const ImageHandle* image : {&front, &back}) {
            if (!*image)
                continue;
            const PackedBitmap& b = **image;
            EXPECT_TRUE(b.IsValid());
            EXPECT_EQ(b.BitCount(), c.Bits) << c.Side << " mode " << c.ScanMode;
            EXPECT_EQ(PackedBitmap::PelsPerMeterToDpi(b.XPelsPerMeter()), c.Dpi);
            EXPECT_NEAR(b.Width(), doc.LengthMm * c.Dpi / 25.4, 1.0) << c.Side << " mode " << c.ScanMode;
            EXPECT_NEAR(b.Height(), doc.HeightMm * c.Dpi / 25.4, 1.0) << c.Side << " mode " << c.ScanMode;
        }
    }
}

TEST(VirtualUnitImages, RawScansShowTheUnitsBackgroundBeforeAndAfter)
{
    OpenUnit unit;
    unit.Calibrate();
    const DocumentSpec doc = unit.Control().FeederContents()[0];
    ASSERT_EQ(unit.FeedFor(0, 'F', 1), 0);
    const ImageHandle raw = ReadSide(unit, 'F', 0);
    const ImageHandle cleared = ReadSide(unit, 'F', 1);
    ASSERT_TRUE(raw && cleared);
    EXPECT_NEAR(raw->Width() - cleared->Width(), 2 * 3.0 * 200 / 25.4, 1.0);
    // Palette entry 0 is black: the background is 0 bits.
    EXPECT_EQ(raw->Row(raw->Height() / 2)[0], 0);
    EXPECT_EQ(cleared->ColorEntry(1)[0], 255);
    EXPECT_NEAR(cleared->Width(), doc.LengthMm * 200 / 25.4, 1.0);
}

TEST(VirtualUnitImages, WhatTheFeedScannedCanBeReadAgainAndWhatItDidNotIsNotPresent)
{
    OpenUnit unit;
    ASSERT_EQ(unit.FeedFor(1, 'F', 5), 0);
    ImageHandle back;
    int32_t reply = -1;
    ImageHandle front = ReadSide(unit, 'X', 1, &back, &reply);
    EXPECT_EQ(reply, 0) << "both cameras run when the feed asks for one side";
    EXPECT_TRUE(front && back);

    // Kept across connections, as "Reload Image" expects.
    ASSERT_EQ(unit.Api().VnDisconnect(unit.Handle, nullptr), 0);
    ASSERT_EQ(unit.Api().VnConnect(nullptr, nullptr, 40, &unit.Handle), 0);
    EXPECT_TRUE(ReadSide(unit, 'B'));

    ASSERT_EQ(unit.FeedFor(1, 'N', 5), 0);
    EXPECT_FALSE(ReadSide(unit, 'F', 1, nullptr, &reply));
    EXPECT_EQ(reply, -22) << "the cameras were not asked for";
    EXPECT_FALSE(ReadSide(unit, 'N', 1, nullptr, &reply));
    EXPECT_EQ(reply, 0);
}

TEST(VirtualUnitImages, BadArgumentsAndMissingScanners)
{
    OpenUnit unit;
    EXPECT_EQ(unit.FeedFor(0, 'F', 7), -9) << "no scan mode 7";
    EXPECT_EQ(unit.FeedFor(0, 'Q', 5), -9) << "no side Q";
    EXPECT_EQ(unit.FeedFor(0, 'N', 7), 0) << "the scan mode does not matter without images";
    ASSERT_EQ(unit.FeedFor(0, 'X', 5), 0);
    int32_t reply = 0;
    ReadSide(unit, 'Q', 1, nullptr, &reply);
    EXPECT_EQ(reply, -9);
    ReadSide(unit, 'F', 3, nullptr, &reply);
    EXPECT_EQ(reply, -9);

    VirtualUnitSetup frontOnly = TestUnitSetup();
    frontOnly.Features = {0x2B, 0x01, 0, 0};
    OpenUnit single(frontOnly);
    ASSERT_EQ(single.FeedFor(0, 'X', 5), 0);
    ImageHandle back;
    EXPECT_TRUE(ReadSide(single, 'X', 1, &back, &reply));
    EXPECT_EQ(reply, 0);
    EXPECT_FALSE(back) << "no rear scanner";
    EXPECT_FALSE(ReadSide(single, 'B', 1, nullptr, &reply));
    EXPECT_EQ(reply, 19);
}

// ---- Printing ---------------------------------------------------------------

struct Printed {
    ImageHandle Front;
    ImageHandle Back;
};

// The first cheque of a calibrated unit, scanned in grey at 200 dpi, after
// the given preparation of the printer.
template <class Prepare> Printed FirstCheque(uint16_t printMode, uint16_t stamp, Prepare prepare,
                                             std::array<uint8_t, 4> features = {0x2B, 0x13, 0, 0})
{
    VirtualUnitSetup setup = TestUnitSetup();
    setup.Features = features;
    OpenUnit unit(setup);
    unit.Calibrate();
    prepare(unit);
    EXPECT_EQ(unit.FeedFor(0, 'X', 5, printMode, stamp), 0);
    Printed p;
    p.Front = ReadSide(unit, 'X', 1, &p.Back);
    return p;
}

void Nothing(OpenUnit&) {}

TEST(VirtualUnitPrinting, EndorsementShowsOnTheBackWhereTheUnitPrintsIt)
{
    const Printed plain = FirstCheque(0, 0, Nothing);
    const auto load = [](char font) {
        return [font](OpenUnit& u) { EXPECT_EQ(u.Api().Varn_LoadString(u.Handle, nullptr, font, 16, "FOR DEPOSIT ONLY"), 0); };
    };
    const Printed normal = FirstCheque(1, 0, load('N'));
    const Printed high = FirstCheque(1, 0, load('n'));
    ASSERT_TRUE(plain.Back && normal.Back && high.Back);

    int normalRows = 0, highRows = 0;
    EXPECT_GT(InkDifference(*plain.Back, *normal.Back, 15, 5, 120, 30, &normalRows), 300);
    EXPECT_GT(InkDifference(*plain.Back, *high.Back, 15, 5, 120, 30, &highRows), 300);
    EXPECT_GT(highRows, normalRows * 3 / 2) << "the lower-case letter prints high";
    EXPECT_EQ(InkDifference(*plain.Back, *normal.Back, 0, 35, 300, 200), 0) << "nothing printed below the line";
    EXPECT_EQ(plain.Front->Bytes(), normal.Front->Bytes()) << "the endorsement is on the back only";

    // Loaded but not asked for: nothing printed.
    const Printed notAsked = FirstCheque(0, 0, load('N'));
    EXPECT_EQ(notAsked.Back->Bytes(), plain.Back->Bytes());
}

TEST(VirtualUnitPrinting, CounterOfTheLoadedStringCountsPrintedDocuments)
{
    // A unit counting from 8 in three digits prints what a unit given the
    // literal texts prints.
    OpenUnit counting;
    OpenUnit literal;
    counting.Calibrate();
    literal.Calibrate();
    const char* text = "No. %d";
    ASSERT_EQ(counting.Api().Varn_LoadStringWithCounter(counting.Handle, nullptr, 'B', text, 6, 8, 3), 0);
    EXPECT_EQ(counting.Control().State().Counter, 8);
    for (const char* expected : {"No. 008", "No. 009"}) {
        ASSERT_EQ(literal.Api().Varn_LoadString(literal.Handle, nullptr, 'B', 7, expected), 0);
        ASSERT_EQ(counting.FeedFor(0, 'B', 5, 1), 0);
        ASSERT_EQ(literal.FeedFor(0, 'B', 5, 1), 0);
        const ImageHandle a = ReadSide(counting, 'B');
        const ImageHandle b = ReadSide(literal, 'B');
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->Bytes(), b->Bytes()) << expected;
    }
    EXPECT_EQ(counting.Control().State().Counter, 10);
    ASSERT_EQ(counting.FeedFor(0, 'B', 5, 0), 0);
    EXPECT_EQ(counting.Control().State().Counter, 10) << "a document not printed does not count";
}

TEST(VirtualUnitPrinting, LoadStringRepliesForFontsTextsAndPrinters)
{
    OpenUnit unit;
    struct Case {
        char Font;
        uint16_t Length;
        const char* Text;
        int32_t Reply;
    };
    const Case cases[] = {
        {'A', 3, "ABC", 0}, {'B', 3, "ABC", 0},   {'N', 3, "ABC", 0},     {'a', 3, "ABC", 0},  {'b', 0, "", 0},
        {'n', 3, "ABC", 0}, {'Q', 3, "ABC", -57}, {'C', 3, "ABC", -57},   {'N', 3, nullptr, -9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(unit.Api().Varn_LoadString(unit.Handle, nullptr, c.Font, c.Length, c.Text), c.Reply) << c.Font;
    const std::string tooLong(300, 'x');
    EXPECT_EQ(unit.Api().Varn_LoadString(unit.Handle, nullptr, 'N', 300, tooLong.c_str()), -9);
    EXPECT_EQ(unit.Api().Varn_LoadString(unit.Handle, nullptr, 'B', 10, "PAID"), 0) << "the text ends at its NUL";
    EXPECT_EQ(unit.Control().State().EndorsementText, "PAID");
    EXPECT_EQ(unit.Control().State().EndorsementFont, 'B');
    EXPECT_EQ(unit.FeedFor(0, 'N', 5, 3), -57) << "print mode 3";

    VirtualUnitSetup noPrinter = TestUnitSetup();
    noPrinter.Features = {0x21, 0x13, 0, 0};
    OpenUnit plain(noPrinter);
    EXPECT_EQ(plain.Api().Varn_LoadString(plain.Handle, nullptr, 'N', 3, "ABC"), 19);
    EXPECT_EQ(plain.Api().Varn_LoadStringWithCounter(plain.Handle, nullptr, 'N', "%d", 2, 8, 3), 19);
}

TEST(VirtualUnitPrinting, DigitalStringOnTheSideAsked)
{
    const Printed plain = FirstCheque(0, 0, Nothing);
    const auto load = [](char side) {
        return [side](OpenUnit& u) {
            EXPECT_EQ(u.Api().Varn_LoadDigitalString(u.Handle, nullptr, side, "VOID 2024", 9, 7, 0, "Arial", 28, 1,
                                                      0, 0, 0, 0, 10.0f, 21.0f),
                      0);
            EXPECT_EQ(u.Control().State().DigitalText, "VOID 2024");
        };
    };
    const Printed front = FirstCheque(2, 0, load('F'));
    const Printed both = FirstCheque(2, 0, load('X'));
    EXPECT_GT(InkDifference(*plain.Front, *front.Front, 8, 19, 80, 35), 200);
    EXPECT_EQ(plain.Back->Bytes(), front.Back->Bytes());
    EXPECT_GT(InkDifference(*plain.Front, *both.Front, 8, 19, 80, 35), 200);
    EXPECT_GT(InkDifference(*plain.Back, *both.Back, 8, 19, 80, 35), 200);

    OpenUnit unit;
    EXPECT_EQ(unit.Api().Varn_LoadDigitalString(unit.Handle, nullptr, 'Q', "X", 1, 7, 0, "Arial", 20, 0, 0, 0, 0, 0,
                                                0.0f, 0.0f),
              -9);
}

TEST(VirtualUnitPrinting, VoidingStampOnTheFrontOfAUnitThatHasOne)
{
    const Printed plain = FirstCheque(0, 0, Nothing);
    const Printed stamped = FirstCheque(0, 1, Nothing);
    EXPECT_GT(InkDifference(*plain.Front, *stamped.Front, 0, 0, 300, 60), 200);
    EXPECT_EQ(plain.Back->Bytes(), stamped.Back->Bytes());

    const std::array<uint8_t, 4> noStamp{0x0B, 0x13, 0, 0};
    const Printed without = FirstCheque(0, 1, Nothing, noStamp);
    EXPECT_EQ(without.Front->Bytes(), FirstCheque(0, 0, Nothing, noStamp).Front->Bytes());
}

TEST(VirtualUnitPrinting, AReleasePrintsAndScansTheHeldDocumentOnItsWayOut)
{
    OpenUnit unit;
    unit.Calibrate();
    ASSERT_EQ(unit.FeedFor(1, 'X', 5, 0, 0, 0), 0);
    const std::string codeline = unit.Codeline();
    const ImageHandle before = ReadSide(unit, 'B');
    ASSERT_EQ(unit.Api().Varn_LoadString(unit.Handle, nullptr, 'N', 4, "PAID"), 0);
    ASSERT_EQ(unit.Api().Varn_DocHandle(unit.Handle, nullptr, 0, 1, 0, 'B', 5, 1, 1, 'G', 0, nullptr, 0, 0), 0);
    const ImageHandle after = ReadSide(unit, 'B');
    ASSERT_TRUE(before && after);
    EXPECT_GT(InkDifference(*before, *after, 15, 5, 120, 30), 100);
    EXPECT_EQ(unit.Codeline(), codeline) << "the same document: its codeline stays";
    EXPECT_EQ(unit.Control().State().History.DocumentsPrinted, 1u);
}

// ---- Determinism ------------------------------------------------------------

struct Pass {
    std::string Codeline;
    std::vector<uint8_t> Signal;
    std::vector<uint8_t> Front;
    std::vector<uint8_t> Back;
};

std::vector<Pass> ThreeDocuments(uint32_t seed)
{
    OpenUnit unit(TestUnitSetup(seed));
    std::vector<Pass> passes;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(unit.FeedFor(1, 'X', 11), 0);
        Pass p;
        p.Codeline = unit.Codeline();
        std::vector<uint8_t> samples(16384);
        uint32_t length = 16384;
        EXPECT_EQ(unit.Api().Varn_ReadE13BSignal(unit.Handle, nullptr, samples.data(), &length), 0);
        samples.resize(length);
        p.Signal = samples;
        ImageHandle back;
        const ImageHandle front = ReadSide(unit, 'X', 0, &back);
        p.Front = front->Bytes();
        p.Back = back->Bytes();
        passes.push_back(std::move(p));
    }
    return passes;
}

TEST(VirtualUnitDeterminism, SameSeedSameCodelinesSignalsAndImagesByteForByte)
{
    const auto a = ThreeDocuments(5), b = ThreeDocuments(5), c = ThreeDocuments(6);
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].Codeline, b[i].Codeline);
        EXPECT_EQ(a[i].Signal, b[i].Signal);
        EXPECT_EQ(a[i].Front, b[i].Front);
        EXPECT_EQ(a[i].Back, b[i].Back);
        EXPECT_NE(a[i].Codeline, c[i].Codeline);
        EXPECT_NE(a[i].Front, c[i].Front);
    }
}

} // namespace
