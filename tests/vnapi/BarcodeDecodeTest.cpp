#include <gtest/gtest.h>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <cstring>

#include "SyntheticDocuments.h"
#include "decode/BarcodeReader.h"
#include "decode/Decode.h"

namespace {

// The default barcode window of the settings, in whole millimetres: its
// right edge 90 mm from the cheque's right edge, its bottom 4 mm up, 125 by
// 12 mm (on a 175 mm cheque it reaches the left edge).
constexpr int32_t WindowX = 90, WindowY = 4, WindowWidth = 125, WindowHeight = 12;

ZXing::BitMatrix Encode(ZXing::BarcodeFormat format, const std::string& text)
{
    const bool stacked = format == ZXing::BarcodeFormat::PDF417;
    return ZXing::MultiFormatWriter(format).setMargin(0).encode(text, 0, stacked ? 0 : 1);
}

// A cheque with a linear symbol of 0.33 mm modules, 9 mm high, its right end
// 100 mm from the right edge and its bottom 6 mm up: inside the default window.
std::unique_ptr<PackedBitmap> ChequeWithBarcode(ZXing::BarcodeFormat format, const std::string& text, uint16_t bits = 8,
                                                double dpi = 200)
{
    synth::Canvas canvas = synth::MakePaper(175, 80, dpi, {}, 21);
    synth::PaintBarcode(canvas, Encode(format, text), 0.33, 9, 100, 6);
    synth::AddNoise(canvas, 5, 22);
    return synth::ToBitmap(canvas, bits);
}

struct Read {
    int32_t Reply = 99;
    std::string Text;
    uint16_t Length = 0;
    int32_t Extra = -1;
};

Read ReadBarcode(const PackedBitmap* image, char type, int32_t x = WindowX, int32_t y = WindowY,
                 int32_t width = WindowWidth, int32_t height = WindowHeight, uint16_t capacity = 256)
{
    char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    Read r;
    r.Length = capacity;
    r.Reply = decode::ReadBarcodeFromBitmap(image, type, x, y, width, height, buffer, &r.Length);
    r.Text.assign(buffer, strnlen(buffer, capacity));
    return r;
}

Read ReadPdf417(const PackedBitmap* image, int32_t x = 0, int32_t y = 0, int32_t width = 0, int32_t height = 0,
                uint16_t capacity = 256)
{
    char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    Read r;
    r.Length = capacity;
    r.Reply = decode::ReadPdf417FromBitmap(image, buffer, &r.Length, &r.Extra, x, y, width, height);
    r.Text.assign(buffer, strnlen(buffer, capacity));
    return r;
}

} // namespace

TEST(BarcodeDecode, EachTypeReadsInTheDefaultWindow)
{
    struct Case {
        char Type;
        ZXing::BarcodeFormat Format;
        const char* Text;
    };
    const Case cases[] = {
        {'2', ZXing::BarcodeFormat::ITF, "0123456789"},
        {'3', ZXing::BarcodeFormat::Code39, "VARN-2024 A"},
        {'4', ZXing::BarcodeFormat::Code128, "Varn bench 42"},
    };
    for (const Case& c : cases) {
        for (uint16_t bits : {8, 1, 24}) {
            const auto image = ChequeWithBarcode(c.Format, c.Text, bits);
            const Read r = ReadBarcode(image.get(), c.Type);
            EXPECT_EQ(r.Reply, 0) << c.Type << " at " << bits << " bits";
            EXPECT_EQ(r.Text, c.Text) << c.Type << " at " << bits << " bits";
            EXPECT_EQ(r.Length, std::strlen(c.Text));
        }
    }
    const auto at300 = ChequeWithBarcode(ZXing::BarcodeFormat::Code128, "300 dpi", 8, 300);
    EXPECT_EQ(ReadBarcode(at300.get(), '4').Text, "300 dpi");
}

TEST(BarcodeDecode, OnlyTheTypeAskedForIsRead)
{
    const auto code128 = ChequeWithBarcode(ZXing::BarcodeFormat::Code128, "ABC123");
    for (char other : {'2', '3'}) {
        const Read r = ReadBarcode(code128.get(), other);
        EXPECT_EQ(r.Reply, 0) << "nothing found is an empty answer";
        EXPECT_EQ(r.Text, "");
        EXPECT_EQ(r.Length, 0);
    }
}

TEST(BarcodeDecode, TwoOfFiveNeedsAnEvenCountOfAtLeastSixDigits)
{
    struct Case {
        const char* Text;
        bool Accepted;
    };
    for (const Case c :
         {Case{"", false}, Case{"1234", false}, Case{"12345", false}, Case{"123456", true}, Case{"1234567", false},
          Case{"12345678", true}, Case{"12345a", false}, Case{"00000000000000000000", true}})
        EXPECT_EQ(decode::IsAcceptableItf(c.Text), c.Accepted) << c.Text;

    const auto shortItf = ChequeWithBarcode(ZXing::BarcodeFormat::ITF, "1234");
    EXPECT_EQ(ReadBarcode(shortItf.get(), '2').Text, "") << "four digits are rejected";
    const auto sixItf = ChequeWithBarcode(ZXing::BarcodeFormat::ITF, "123456");
    EXPECT_EQ(ReadBarcode(sixItf.get(), '2').Text, "123456");
}

TEST(BarcodeDecode, TheWindowIsWhereTheSymbolIsLookedFor)
{
    const auto image = ChequeWithBarcode(ZXing::BarcodeFormat::Code128, "WINDOW");
    // The symbol spans about 100 to 135 mm from the right edge, 6 to 15 mm up.
    EXPECT_EQ(ReadBarcode(image.get(), '4', 95, 4, 45, 13).Text, "WINDOW");
    EXPECT_EQ(ReadBarcode(image.get(), '4', 0, 0, 0, 0).Text, "WINDOW") << "all zeros: the whole image";
    EXPECT_EQ(ReadBarcode(image.get(), '4', 6, 4, 80, 12).Text, "") << "a window to its right";
    EXPECT_EQ(ReadBarcode(image.get(), '4', 90, 30, 125, 12).Text, "") << "a window above it";
}

TEST(BarcodeDecode, Pdf417AnywhereOrInAWindow)
{
    const std::string text = "VARN PDF417 0123456789 the quick brown fox";
    synth::Canvas canvas = synth::MakePaper(175, 80, 200, {}, 31);
    // 0.4 mm modules (the writer repeats each row), right end 20 mm from the right,
    // 30 mm up: about 65 by 35 mm.
    synth::PaintBarcode(canvas, Encode(ZXing::BarcodeFormat::PDF417, text), 0.4, 0.4, 20, 30);
    synth::AddNoise(canvas, 5, 32);
    for (uint16_t bits : {8, 1}) {
        const auto image = synth::ToBitmap(canvas, bits);
        Read r = ReadPdf417(image.get());
        EXPECT_EQ(r.Reply, 0);
        EXPECT_EQ(r.Text, text);
        EXPECT_EQ(r.Length, text.size());
        EXPECT_EQ(r.Extra, static_cast<int32_t>(text.size()));
        r = ReadPdf417(image.get(), 10, 20, 100, 50);
        EXPECT_EQ(r.Text, text) << "a window around it";
        r = ReadPdf417(image.get(), 100, 5, 70, 20);
        EXPECT_EQ(r.Reply, 0);
        EXPECT_EQ(r.Text, "") << "a window elsewhere";
        EXPECT_EQ(r.Extra, 0);
    }
}

TEST(BarcodeDecode, TextsThatDoNotFitAreCutAndSaySo)
{
    const std::string text = "0123456789ABCDEFGHIJ";
    synth::Canvas canvas = synth::MakePaper(175, 80, 200, {}, 41);
    synth::PaintBarcode(canvas, Encode(ZXing::BarcodeFormat::PDF417, text), 0.4, 0.4, 20, 30);
    const auto pdf = synth::ToBitmap(canvas, 8);
    Read r = ReadPdf417(pdf.get(), 0, 0, 0, 0, 10);
    EXPECT_EQ(r.Reply, -10) << "Data lost";
    EXPECT_EQ(r.Text, "012345678");
    EXPECT_EQ(r.Length, 9);
    EXPECT_EQ(r.Extra, static_cast<int32_t>(text.size()));

    const auto code39 = ChequeWithBarcode(ZXing::BarcodeFormat::Code39, "ABCDEF");
    r = ReadBarcode(code39.get(), '3', WindowX, WindowY, WindowWidth, WindowHeight, 4);
    EXPECT_EQ(r.Reply, -10);
    EXPECT_EQ(r.Text, "ABC");
    EXPECT_EQ(r.Length, 3);
}

TEST(BarcodeDecode, Latin1TextsArriveAsLatin1)
{
    const std::string latin1 = "Soci\xE9t\xE9 G\xE9n\xE9rale";
    synth::Canvas canvas = synth::MakePaper(175, 80, 200, {}, 51);
    synth::PaintBarcode(canvas,
                        ZXing::MultiFormatWriter(ZXing::BarcodeFormat::PDF417)
                            .setMargin(0)
                            .setEncoding(ZXing::CharacterSet::ISO8859_1)
                            .encode(std::wstring(L"Soci\u00e9t\u00e9 G\u00e9n\u00e9rale"), 0, 0),
                        0.4, 0.4, 20, 30);
    const auto image = synth::ToBitmap(canvas, 8);
    EXPECT_EQ(ReadPdf417(image.get()).Text, latin1);

    struct Case {
        const char* Utf8;
        const char* Latin1;
    };
    for (const Case c : {Case{"abc", "abc"}, Case{"caf\xC3\xA9", "caf\xE9"}, Case{"\xE2\x82\xAC 5", "? 5"},
                         Case{"\xF0\x9F\x98\x80!", "?!"}, Case{"end\xC3", "end?"}, Case{"\x80x", "?x"}})
        EXPECT_EQ(decode::Utf8ToLatin1(c.Utf8), c.Latin1) << c.Utf8;
}

TEST(BarcodeDecode, FailedCallsReply)
{
    const auto image = ChequeWithBarcode(ZXing::BarcodeFormat::Code128, "X1");
    EXPECT_EQ(ReadBarcode(nullptr, '4').Reply, -22);
    EXPECT_EQ(ReadBarcode(image.get(), '5').Reply, -9);
    EXPECT_EQ(ReadBarcode(image.get(), 'A').Reply, -9);
    Read r = ReadPdf417(nullptr);
    EXPECT_EQ(r.Reply, -22);
    EXPECT_EQ(r.Text, "");
    EXPECT_EQ(r.Length, 0);
    EXPECT_EQ(r.Extra, 0);
    uint16_t length = 256;
    EXPECT_EQ(decode::ReadBarcodeFromBitmap(image.get(), '4', 0, 0, 0, 0, nullptr, &length), -9);
    EXPECT_EQ(decode::ReadPdf417FromBitmap(image.get(), nullptr, &length, nullptr, 0, 0, 0, 0), -9);
}

// A plain Code 128 of six digits on white, as barcode sample pictures are:
// the larger ones are scaled down inside the reader, where its search for
// several symbols used to abort the process.
TEST(BarcodeDecode, APlainCode128OfSixDigitsReadsAtEverySize)
{
    struct Case {
        double PageMm, PageHeightMm, ModuleMm, BarsMm, QuietMm;
    };
    const Case cases[] = {
        {50, 20, 0.33, 15, 2.5}, // a label, about 394 x 157 pixels
        {70, 70, 0.5, 60, 10},   // 551 x 551 pixels
        {90, 75, 0.75, 70, 5},
        {100, 100, 1.0, 90, 3},
    };
    const synth::PaperStyle white{255, 0, 0};
    for (const Case& c : cases) {
        synth::Canvas canvas = synth::MakePaper(c.PageMm, c.PageHeightMm, 200, white, 61);
        synth::PaintBarcode(canvas, Encode(ZXing::BarcodeFormat::Code128, "123456"), c.ModuleMm, c.BarsMm, c.QuietMm,
                            (c.PageHeightMm - c.BarsMm) / 2, 0);
        const auto image = synth::ToBitmap(canvas, 8);
        const Read r = ReadBarcode(image.get(), '4', 0, 0, 0, 0);
        EXPECT_EQ(r.Reply, 0) << c.PageMm << " mm";
        EXPECT_EQ(r.Text, "123456") << c.PageMm << " mm";
    }
}

TEST(BarcodeDecode, AShortTwoOfFiveIsSkippedForTheNextSymbol)
{
    for (const bool shortOnTheRight : {true, false}) {
        synth::Canvas canvas = synth::MakePaper(175, 40, 200, {}, 71);
        synth::PaintBarcode(canvas, Encode(ZXing::BarcodeFormat::ITF, "1234"), 0.33, 9, shortOnTheRight ? 10 : 90, 15);
        synth::PaintBarcode(canvas, Encode(ZXing::BarcodeFormat::ITF, "24681357"), 0.33, 9,
                            shortOnTheRight ? 90 : 10, 15);
        const auto image = synth::ToBitmap(canvas, 8);
        EXPECT_EQ(ReadBarcode(image.get(), '2', 0, 0, 0, 0).Text, "24681357") << shortOnTheRight;
    }
}
