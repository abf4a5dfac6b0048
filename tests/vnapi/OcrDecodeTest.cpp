#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "SyntheticDocuments.h"
#include "decode/Decode.h"
#include "decode/OcrReader.h"

using decode::TemplateFont;
using synth::Segment;

namespace {

// The default OCR window of the settings: 6 mm from the right, 4 mm from the
// bottom, 150 by 10.5 mm.
constexpr float WindowX = 6, WindowY = 4, WindowWidth = 150, WindowHeight = 10.5f;

struct Cheque {
    std::unique_ptr<PackedBitmap> Image;
    synth::PlacedLine Line;
};

struct ChequeOptions {
    double HeightMm = 80;
    double Dpi = 200;
    uint16_t Bits = 8;
    double Size = 1.0;
    uint32_t Seed = 1;
    int32_t HeaderDpi = -1; // -1: the true resolution
    // Damage to one character: kind (see Damage) and index; -1 for none.
    int DamageKind = -1;
    size_t DamageAt = 0;
};

enum DamageKind { HeavyBlur, SmudgeBlur, EraseRightHalf, EraseLeftHalf, EraseMiddleBand, EraseTop, EraseBottom };

void Damage(synth::Canvas& c, std::array<int, 4> box, int kind)
{
    box = {box[0] - 2, box[1] - 2, box[2] + 2, box[3] + 2};
    switch (kind) {
    case HeavyBlur: synth::Blur(c, box, 3.0); break;
    case SmudgeBlur: synth::Blur(c, box, 2.0); break;
    case EraseRightHalf: synth::Erase(c, box, 0.5, 1, 0, 1); break;
    case EraseLeftHalf: synth::Erase(c, box, 0, 0.5, 0, 1); break;
    case EraseMiddleBand: synth::Erase(c, box, 0, 1, 0.35, 0.65); break;
    case EraseTop: synth::Erase(c, box, 0, 1, 0, 0.45); break;
    case EraseBottom: synth::Erase(c, box, 0, 1, 0.55, 1); break;
    }
}

// A 175 mm cheque on tinted, patterned paper with the line printed in the
// default OCR window: its right end 12 mm from the right edge, its baseline
// 7 mm above the bottom edge.
Cheque MakeCheque(const std::vector<Segment>& line, const ChequeOptions& o = {})
{
    synth::Canvas canvas = synth::MakePaper(175, o.HeightMm, o.Dpi, {}, o.Seed);
    synth::InkStyle ink;
    ink.PhaseX = 0.37;
    ink.PhaseY = 0.61;
    Cheque cheque;
    cheque.Line = synth::PaintPrint(canvas, synth::RenderLine(line, o.Dpi, o.Size), 12, 7, ink);
    if (o.DamageKind >= 0)
        Damage(canvas, cheque.Line.Boxes.at(o.DamageAt), o.DamageKind);
    synth::AddNoise(canvas, 5, o.Seed + 100);
    cheque.Image = synth::ToBitmap(canvas, o.Bits, o.HeaderDpi);
    return cheque;
}

struct Read {
    int32_t Reply = 99;
    std::string Text;
    uint16_t Length = 0;
};

Read ReadCodeline(const PackedBitmap* image, const char* readType, char mode = 'N', uint16_t capacity = 256,
                  uint16_t inch = 0, float x = WindowX, float y = WindowY, float width = WindowWidth,
                  float height = WindowHeight)
{
    char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    Read r;
    r.Length = capacity;
    const DecodeOptions options{1, mode};
    r.Reply = decode::CodelineReadFromBitmap(image, readType, inch, x, y, width, height, &options, buffer, &r.Length);
    if (capacity > 0)
        r.Text.assign(buffer, strnlen(buffer, capacity));
    return r;
}

struct TypeLine {
    const char* ReadType;
    std::vector<Segment> Line;
};

const TypeLine Lines[] = {
    {"A", {{TemplateFont::OcrA, "12345<67890>+-/#"}}},
    {"B", {{TemplateFont::OcrB, "0123456789 <>+-"}}},
    {"C", {{TemplateFont::OcrB, "ABCDEFGHIJKLM NOPQRSTUVWXYZ 0123456789 <>+-/"}}},
    {"F", {{TemplateFont::OcrB, "0123456789<>+#"}}},
    {"E", {{TemplateFont::E13b, "T123456780T 98765U4321$-"}}},
    {"X", {{TemplateFont::E13b, "T02100021T 1234U "}, {TemplateFont::OcrB, "<4567>+890#"}}},
};

std::string TextOf(const std::vector<Segment>& line)
{
    std::string text;
    for (const Segment& s : line)
        text += s.Text;
    return text;
}

} // namespace

TEST(OcrDecode, EveryReadTypeReadsItsLineAtEveryDepth)
{
    for (const TypeLine& t : Lines) {
        const std::string expected = TextOf(t.Line);
        for (uint16_t bits : {8, 1, 4, 24}) {
            ChequeOptions o;
            o.Bits = bits;
            const Cheque cheque = MakeCheque(t.Line, o);
            const Read r = ReadCodeline(cheque.Image.get(), t.ReadType);
            EXPECT_EQ(r.Reply, 0) << t.ReadType << " at " << bits << " bits";
            EXPECT_EQ(r.Text, expected) << t.ReadType << " at " << bits << " bits";
            EXPECT_EQ(r.Length, expected.size());
        }
    }
}

TEST(OcrDecode, ResolutionsAndPrintSizes)
{
    const std::vector<Segment> line{{TemplateFont::OcrB, "0123456789 <>+-"}};
    struct Case {
        double Dpi;
        double Size;
        int32_t HeaderDpi;
    };
    for (const Case c : {Case{100, 1.0, -1}, Case{300, 1.0, -1}, Case{200, 1.0, 0}, Case{200, 0.9, -1},
                         Case{200, 1.12, -1}, Case{300, 0.92, -1}}) {
        ChequeOptions o;
        o.Dpi = c.Dpi;
        o.Size = c.Size;
        o.HeaderDpi = c.HeaderDpi;
        const Cheque cheque = MakeCheque(line, o);
        const Read r = ReadCodeline(cheque.Image.get(), "B");
        EXPECT_EQ(r.Text, TextOf(line)) << c.Dpi << " dpi, size " << c.Size << ", header " << c.HeaderDpi;
    }
}

TEST(OcrDecode, ResolutionComesFromTheLineWhenTheHeaderIsWrongOrMissing)
{
    // A strip scanned at one resolution whose header says another (0: none,
    // read as 200), read over the whole image.
    struct Case {
        TemplateFont Font;
        const char* ReadType;
        const char* Text;
        double Dpi;
        int32_t HeaderDpi;
    };
    for (const Case c : {Case{TemplateFont::E13b, "E", "T021000021T 1234567U", 150, 0},
                         Case{TemplateFont::E13b, "E", "T021000021T 1234567U", 150, 300},
                         Case{TemplateFont::E13b, "E", "T021000021T 1234567U", 300, 200},
                         Case{TemplateFont::E13b, "E", "T021000021T 1234567U", 400, 0},
                         Case{TemplateFont::OcrB, "B", "0123456789<<<<<<+", 300, 0},
                         Case{TemplateFont::OcrA, "A", "0123456789<>+-/#", 120, 0}}) {
        ChequeOptions o;
        o.HeightMm = 12;
        o.Dpi = c.Dpi;
        o.HeaderDpi = c.HeaderDpi;
        const Cheque cheque = MakeCheque({{c.Font, c.Text}}, o);
        EXPECT_EQ(ReadCodeline(cheque.Image.get(), c.ReadType, 'N', 256, 0, 0, 0, 0, 0).Text, c.Text)
            << c.Dpi << " dpi, header " << c.HeaderDpi;
    }
}

TEST(OcrDecode, FillerHeavyLinesReadAtAnyPrintSize)
{
    // Passport-style lines, mostly '<': the size comes from the letters.
    const std::vector<Segment> line{{TemplateFont::OcrB, "P<ITAVERDI<<LUCA<<<<<<<<<<<<<<<<<<<<<<"}};
    for (double size : {0.8, 1.2, 1.3}) {
        ChequeOptions o;
        o.HeightMm = 14;
        o.Size = size;
        const Cheque cheque = MakeCheque(line, o);
        EXPECT_EQ(ReadCodeline(cheque.Image.get(), "C", 'N', 256, 0, 0, 0, 0, 0).Text, TextOf(line)) << size;
    }
}

TEST(OcrDecode, TheSwitchReadsE13bAndOcrbOnOneLine)
{
    const std::vector<Segment> mixed = Lines[5].Line;
    const Cheque cheque = MakeCheque(mixed);
    // The one-document step passes the letter, the automatic run "EF" with the switch.
    EXPECT_EQ(ReadCodeline(cheque.Image.get(), "X", 'N').Text, TextOf(mixed));
    EXPECT_EQ(ReadCodeline(cheque.Image.get(), "EF", 'X').Text, TextOf(mixed));
    // Without the switch a line is in one font: the OCR-B part cannot be read as E13B.
    const Read oneFont = ReadCodeline(cheque.Image.get(), "EF", 'N');
    EXPECT_NE(oneFont.Text, TextOf(mixed));
    EXPECT_NE(oneFont.Text.find('!'), std::string::npos);

    // Without the switch, each font still reads its own lines.
    for (const std::vector<Segment>& line : {std::vector<Segment>{{TemplateFont::E13b, "T0210T 5550U12"}},
                                             std::vector<Segment>{{TemplateFont::OcrB, "<12345>+6789#"}}}) {
        const Cheque single = MakeCheque(line);
        EXPECT_EQ(ReadCodeline(single.Image.get(), "EF", 'N').Text, TextOf(line));
    }
}

TEST(OcrDecode, BlanksFollowThePitch)
{
    for (const TypeLine& t : {TypeLine{"B", {{TemplateFont::OcrB, "12 34  56   7"}}},
                              TypeLine{"E", {{TemplateFont::E13b, "T12 34  56   7U"}}}}) {
        const Cheque cheque = MakeCheque(t.Line);
        EXPECT_EQ(ReadCodeline(cheque.Image.get(), t.ReadType).Text, TextOf(t.Line)) << t.ReadType;
    }
}

TEST(OcrDecode, TheWindowChoosesWhatIsRead)
{
    // A second OCR line higher up the cheque.
    synth::Canvas canvas = synth::MakePaper(175, 80, 200, {}, 3);
    synth::InkStyle ink;
    synth::PaintPrint(canvas, synth::RenderLine({{TemplateFont::OcrB, "1111 2222"}}, 200), 12, 7, ink);
    synth::PaintPrint(canvas, synth::RenderLine({{TemplateFont::OcrB, "3333 4444"}}, 200), 40, 30, ink);
    const auto image = synth::ToBitmap(canvas, 8);

    EXPECT_EQ(ReadCodeline(image.get(), "B").Text, "1111 2222");
    EXPECT_EQ(ReadCodeline(image.get(), "B", 'N', 256, 0, 30, 26, 100, 8).Text, "3333 4444");
    // The same window in inches.
    EXPECT_EQ(ReadCodeline(image.get(), "B", 'N', 256, 1, 30 / 25.4f, 26 / 25.4f, 100 / 25.4f, 8 / 25.4f).Text,
              "3333 4444");
    // A window that cuts the line keeps the characters it holds whole.
    const std::string right = ReadCodeline(image.get(), "B", 'N', 256, 0, 6, 4, 18, 10.5f).Text;
    EXPECT_EQ(right, "2222");
}

TEST(OcrDecode, AnE13bCodelineUnderTheOcrLineIsToldApart)
{
    // The default window also covers the magnetic codeline's band: its
    // baseline 4.76 mm (3/16 in) above the bottom edge.
    for (uint16_t bits : {8, 1}) {
        synth::Canvas canvas = synth::MakePaper(175, 80, 200, {}, 5);
        synth::InkStyle ink;
        synth::PaintPrint(canvas, synth::RenderLine({{TemplateFont::E13b, "T021000021T 123456789U 0000012345$"}}, 200),
                          20, 4.76, ink);
        synth::PaintPrint(canvas, synth::RenderLine({{TemplateFont::OcrB, "<0001234567> 8901+"}}, 200), 12, 10.5,
                          ink);
        synth::AddNoise(canvas, 5, 6);
        const auto image = synth::ToBitmap(canvas, bits);
        EXPECT_EQ(ReadCodeline(image.get(), "B").Text, "<0001234567> 8901+") << bits << " bits";
        EXPECT_EQ(ReadCodeline(image.get(), "E").Text, "T021000021T 123456789U 0000012345$") << bits << " bits";
    }
}

TEST(OcrDecode, NothingToReadIsAnEmptyAnswer)
{
    synth::Canvas paper = synth::MakePaper(175, 80, 200, {}, 9);
    synth::AddNoise(paper, 6, 9);
    const auto blank = synth::ToBitmap(paper, 8);
    Read r = ReadCodeline(blank.get(), "B");
    EXPECT_EQ(r.Reply, 0);
    EXPECT_EQ(r.Text, "");
    EXPECT_EQ(r.Length, 0);

    const Cheque cheque = MakeCheque(Lines[1].Line);
    r = ReadCodeline(cheque.Image.get(), "B", 'N', 256, 0, 500, 4, 50, 10);
    EXPECT_EQ(r.Reply, 0) << "a window off the image";
    EXPECT_EQ(r.Text, "");
}

TEST(OcrDecode, FailedCallsReplyAndLeaveAnEmptyText)
{
    const Cheque cheque = MakeCheque(Lines[1].Line);
    PackedBitmap truncated(std::vector<uint8_t>(cheque.Image->Bytes().begin(), cheque.Image->Bytes().end() - 10));
    struct Case {
        const char* What;
        const PackedBitmap* Image;
        const char* ReadType;
        char Mode;
        float X;
        int32_t Reply;
    };
    const Case cases[] = {
        {"no image", nullptr, "B", 'N', WindowX, -22},
        {"a truncated bitmap", &truncated, "B", 'N', WindowX, -22},
        {"no read type", cheque.Image.get(), nullptr, 'N', WindowX, -9},
        {"an empty read type", cheque.Image.get(), "", 'N', WindowX, -9},
        {"an unknown letter", cheque.Image.get(), "Q", 'N', WindowX, -9},
        {"a lower-case letter", cheque.Image.get(), "b", 'N', WindowX, -9},
        {"one unknown letter among known ones", cheque.Image.get(), "EQ", 'N', WindowX, -9},
        {"an unknown mode", cheque.Image.get(), "B", 'Z', WindowX, -9},
        {"a window that is not a number", cheque.Image.get(), "B", 'N', std::nanf(""), -9},
    };
    for (const Case& c : cases) {
        const Read r = ReadCodeline(c.Image, c.ReadType, c.Mode, 256, 0, c.X);
        EXPECT_EQ(r.Reply, c.Reply) << c.What;
        EXPECT_EQ(r.Text, "") << c.What;
        EXPECT_EQ(r.Length, 0) << c.What;
    }
    uint16_t length = 256;
    EXPECT_EQ(decode::CodelineReadFromBitmap(cheque.Image.get(), "B", 0, WindowX, WindowY, WindowWidth, WindowHeight,
                                             nullptr, nullptr, &length),
              -9);
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(decode::CodelineReadFromBitmap(cheque.Image.get(), "B", 0, WindowX, WindowY, WindowWidth, WindowHeight,
                                             nullptr, buffer, nullptr),
              -9);
    // No options read as (1, 'N').
    length = 256;
    char text[256];
    EXPECT_EQ(decode::CodelineReadFromBitmap(cheque.Image.get(), "B", 0, WindowX, WindowY, WindowWidth, WindowHeight,
                                             nullptr, text, &length),
              0);
    EXPECT_STREQ(text, TextOf(Lines[1].Line).c_str());
}

TEST(OcrDecode, CapacityIsRespected)
{
    const Cheque cheque = MakeCheque(Lines[1].Line); // 15 characters
    const std::string full = TextOf(Lines[1].Line);

    Read r = ReadCodeline(cheque.Image.get(), "B", 'N', 6);
    EXPECT_EQ(r.Reply, 2) << "Codeline Truncated !";
    EXPECT_EQ(r.Text, full.substr(0, 5));
    EXPECT_EQ(r.Length, 5);

    r = ReadCodeline(cheque.Image.get(), "B", 'N', static_cast<uint16_t>(full.size() + 1));
    EXPECT_EQ(r.Reply, 0);
    EXPECT_EQ(r.Text, full);
    r = ReadCodeline(cheque.Image.get(), "B", 'N', static_cast<uint16_t>(full.size()));
    EXPECT_EQ(r.Reply, 2);
    EXPECT_EQ(r.Length, full.size() - 1);

    char untouched[4] = {'a', 'b', 'c', 'd'};
    uint16_t length = 0;
    EXPECT_EQ(decode::CodelineReadFromBitmap(cheque.Image.get(), "B", 0, WindowX, WindowY, WindowWidth, WindowHeight,
                                             nullptr, untouched, &length),
              2);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(untouched[0], 'a') << "a capacity of 0 writes nothing";
}

TEST(OcrDecode, WindowUsedAndItsRectangle)
{
    const Cheque cheque = MakeCheque(Lines[1].Line);
    auto image = std::make_unique<PackedBitmap>(cheque.Image->Bytes());
    decode::PixelRect used;
    char text[256];
    uint16_t length = sizeof text;
    ASSERT_EQ(decode::CodelineReadFromBitmap(image.get(), "B", 0, WindowX, WindowY, WindowWidth, WindowHeight, nullptr,
                                             text, &length, &used),
              0);
    EXPECT_EQ(used, decode::WindowToPixels(*image, 0, WindowX, WindowY, WindowWidth, WindowHeight));
    // Drawn on the image, the rectangle does not disturb the next read of the window.
    decode::DrawWindowRectangle(*image, used);
    EXPECT_NE(image->Bytes(), cheque.Image->Bytes());
    EXPECT_EQ(ReadCodeline(image.get(), "B").Text, TextOf(Lines[1].Line));

    ASSERT_EQ(decode::CodelineReadFromBitmap(nullptr, "B", 0, WindowX, WindowY, WindowWidth, WindowHeight, nullptr,
                                             text, &length, &used),
              -22);
    EXPECT_TRUE(used.IsEmpty());
}

TEST(OcrDecode, ViewOcrRectangleSwitch)
{
    EXPECT_EQ(decode::ViewOcrRectangle(1), 0);
    EXPECT_TRUE(decode::OcrRectangleShown());
    EXPECT_EQ(decode::ViewOcrRectangle(0), 0);
    EXPECT_FALSE(decode::OcrRectangleShown());
}

TEST(OcrDecode, E13bTemplatesComeFromTheGlyphSource)
{
    // Templates drawn from a source that swaps two shapes read the print the
    // other way round: the reader has no E13B shapes of its own.
    const decode::E13bGlyphSource standard = decode::DefaultE13bGlyphSource();
    const decode::E13bGlyphSource swapped = [standard](char symbol, double dpi) {
        return standard(symbol == '1' ? '2' : symbol == '2' ? '1' : symbol, dpi);
    };
    const Cheque cheque = MakeCheque({{TemplateFont::E13b, "T1122334T"}});
    decode::OcrReadRequest request;
    ASSERT_TRUE(decode::ParseOcrReadType("E", 'N', request));
    const decode::PixelRect rect =
        decode::WindowToPixels(*cheque.Image, 0, WindowX, WindowY, WindowWidth, WindowHeight);
    const decode::GreyImage window = decode::ExtractGrey(*cheque.Image, rect);
    EXPECT_EQ(decode::ReadOcrLine(window, 200, request, standard).Text, "T1122334T");
    EXPECT_EQ(decode::ReadOcrLine(window, 200, request, swapped).Text, "T2211334T");
    const decode::E13bGlyphSource none = [](char, double) { return GlyphMask{}; };
    EXPECT_FALSE(decode::ReadOcrLine(window, 200, request, none).Found);
}

// Every character of every read type, smudged or partly erased in the middle
// of a line: it reads as itself or as '!', never as another character nor as
// a blank (a washed-out character is still there), and its neighbours keep
// their places.
class DamagedCharacter : public ::testing::TestWithParam<const char*> { };

TEST_P(DamagedCharacter, IsRejectedNeverMisread)
{
    const char* readType = GetParam();
    decode::OcrReadRequest request;
    ASSERT_TRUE(decode::ParseOcrReadType(readType, 'N', request));
    int rejected = 0, total = 0;
    for (const decode::FontAlphabet& alphabet : request.Fonts) {
        for (char symbol : alphabet.Characters) {
            for (int kind :
                 {HeavyBlur, SmudgeBlur, EraseRightHalf, EraseLeftHalf, EraseMiddleBand, EraseTop, EraseBottom}) {
                const std::string text = std::string("0123") + symbol + "4567";
                ChequeOptions o;
                o.HeightMm = 20; // the bottom strip is all the read looks at
                o.DamageKind = kind;
                o.DamageAt = 4;
                o.Seed = static_cast<uint32_t>(symbol * 7 + kind);
                const Cheque cheque = MakeCheque({{alphabet.Font, text}}, o);
                const Read r = ReadCodeline(cheque.Image.get(), readType);
                ASSERT_EQ(r.Text.size(), text.size()) << "'" << symbol << "' damage " << kind << ": " << r.Text;
                EXPECT_TRUE(r.Text[4] == symbol || r.Text[4] == '!')
                    << "'" << symbol << "' damage " << kind << " read as '" << r.Text[4] << "'";
                for (size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 7u, 8u})
                    EXPECT_TRUE(r.Text[i] == text[i] || r.Text[i] == '!') << r.Text;
                rejected += r.Text[4] == '!';
                ++total;
            }
        }
    }
    EXPECT_GT(rejected, total * 3 / 4) << "such damage is mostly beyond reading";
}

INSTANTIATE_TEST_SUITE_P(ReadTypes, DamagedCharacter, ::testing::Values("A", "B", "C", "F", "E", "X"));
