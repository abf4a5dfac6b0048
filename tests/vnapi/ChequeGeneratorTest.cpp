#include <gtest/gtest.h>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <set>

#include "docs/ChequeGenerator.h"
#include "docs/DocumentGeometry.h"
#include "docs/MicrGlyphs.h"
#include "vnapi/MicrSymbols.h"

namespace {

bool SameSpec(const DocumentSpec& a, const DocumentSpec& b)
{
    return a.Kind == b.Kind && a.LengthMm == b.LengthMm && a.HeightMm == b.HeightMm && a.Micr == b.Micr &&
           a.Codeline == b.Codeline && a.Ocr == b.Ocr && a.OcrText == b.OcrText && a.Barcode == b.Barcode &&
           a.BarcodeText == b.BarcodeText && a.Pdf417Text == b.Pdf417Text && a.Payee == b.Payee &&
           a.Amount == b.Amount && a.Seed == b.Seed && a.SkewDegrees == b.SkewDegrees;
}

// The settings record's default windows, measured from the right and
// bottom edges in mm: right edge x, bottom edge y, width, height.
struct Window {
    double X, Y, Width, Height;
    bool Holds(double right, double bottom, double left, double top) const
    {
        return right >= X && left <= X + Width && bottom >= Y && top <= Y + Height;
    }
};
constexpr Window OcrWindow{6.0, 4.0, 150.0, 10.5};
constexpr Window BarcodeWindow{90.0, 4.0, 125.0, 12.0};

} // namespace

TEST(ChequeGenerator, RoutingCheckDigit)
{
    // Published routing numbers and made-up ones checked by hand.
    struct Case {
        const char* Number;
        bool Valid;
    };
    for (const Case& c : {Case{"011000015", true}, Case{"021000021", true}, Case{"121000358", true},
                          Case{"021000022", false}, Case{"12100035", false}, Case{"12100035X", false},
                          Case{"000000000", true}}) {
        EXPECT_EQ(IsValidRoutingNumber(c.Number), c.Valid) << c.Number;
    }
    EXPECT_EQ(RoutingCheckDigit("02100002"), 1);
    EXPECT_EQ(RoutingCheckDigit("0210000"), -1);
    EXPECT_EQ(CodelineRoutingNumber("T021000021T 123U 1001"), "021000021");
    EXPECT_EQ(CodelineRoutingNumber("123U 1001"), "");
}

TEST(ChequeGenerator, AmountTexts)
{
    EXPECT_EQ(FormatAmount(123456), "1,234.56");
    EXPECT_EQ(FormatAmount(5), "0.05");
    EXPECT_EQ(FormatAmount(100000000), "1,000,000.00");
    EXPECT_EQ(AmountInWords(12345), "One hundred twenty-three and 45/100");
    EXPECT_EQ(AmountInWords(1700000), "Seventeen thousand and 00/100");
    EXPECT_EQ(AmountInWords(99), "Zero and 99/100");
    EXPECT_EQ(AmountInWords(101101), "One thousand eleven and 01/100");
}

TEST(ChequeGenerator, SameSeedSameStackOtherSeedOtherStack)
{
    const auto a = DefaultFeeder(7), b = DefaultFeeder(7), c = DefaultFeeder(8);
    ASSERT_EQ(a.size(), 25u);
    ASSERT_EQ(c.size(), 25u);
    int differing = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_TRUE(SameSpec(a[i], b[i])) << i;
        differing += a[i].Codeline != c[i].Codeline;
    }
    EXPECT_EQ(differing, 25);
}

TEST(ChequeGenerator, DefaultStackHasValidCodelinesAndEveryOptionalPart)
{
    std::set<char> e13bSymbols;
    int cmc7 = 0, ocrA = 0, ocrB = 0, pdf = 0, skewed = 0;
    std::set<BarcodeKind> barcodes;
    for (uint32_t seed : {1u, 2u, 3u}) {
        for (const DocumentSpec& doc : DefaultFeeder(seed)) {
            ASSERT_EQ(doc.Kind, DocumentKind::Cheque);
            ASSERT_FALSE(doc.Codeline.empty());
            if (doc.Micr == MicrFont::E13B) {
                const std::string routing = CodelineRoutingNumber(doc.Codeline);
                EXPECT_TRUE(IsValidRoutingNumber(routing)) << doc.Codeline;
                EXPECT_EQ(doc.Codeline.front(), micr::E13bTransit);
                for (char c : doc.Codeline) {
                    if (c != ' ') {
                        EXPECT_NE(micr::FindE13bGlyph(c), nullptr) << doc.Codeline;
                    }
                    e13bSymbols.insert(c);
                }
            } else {
                ASSERT_EQ(doc.Micr, MicrFont::CMC7);
                ++cmc7;
                for (char c : doc.Codeline)
                    EXPECT_NE(micr::FindCmc7Glyph(c), nullptr) << doc.Codeline;
            }
            // The codeline fits the document, in the clear band.
            for (const docgeom::PlacedChar& pc : docgeom::PlaceCodeline(doc))
                EXPECT_LT(pc.RightMm + micr::E13bPitchMm, doc.LengthMm - 5.0) << doc.Codeline;
            ocrA += doc.Ocr == OcrFont::OcrA;
            ocrB += doc.Ocr == OcrFont::OcrB;
            pdf += !doc.Pdf417Text.empty();
            skewed += doc.SkewDegrees != 0.0f;
            if (doc.Barcode != BarcodeKind::None) {
                barcodes.insert(doc.Barcode);
                EXPECT_EQ(doc.Ocr, OcrFont::None) << "an OCR line and a barcode share one place";
            }
            if (doc.Barcode == BarcodeKind::TwoOfFive) {
                EXPECT_EQ(doc.BarcodeText.size() % 2, 0u) << doc.BarcodeText;
                EXPECT_GE(doc.BarcodeText.size(), 6u) << doc.BarcodeText;
            }
        }
    }
    EXPECT_EQ(cmc7, 12);
    EXPECT_GT(ocrA, 0);
    EXPECT_GT(ocrB, 0);
    EXPECT_GT(pdf, 0);
    EXPECT_EQ(skewed, 6);
    EXPECT_EQ(barcodes.size(), 3u);
    for (char c : {micr::E13bTransit, micr::E13bOnUs, micr::E13bAmount, micr::E13bDash, ' '})
        EXPECT_TRUE(e13bSymbols.count(c)) << "the stack shows symbol '" << c << "'";
}

TEST(ChequeGenerator, OptionalCodelinesLieInsideTheDefaultWindows)
{
    for (const DocumentSpec& doc : DefaultFeeder(11)) {
        if (doc.Ocr != OcrFont::None) {
            const double left = docgeom::OcrRightMm + doc.OcrText.size() * docgeom::OcrPitchMm;
            EXPECT_TRUE(OcrWindow.Holds(docgeom::OcrRightMm, docgeom::OcrBottomMm, left,
                                        docgeom::OcrBottomMm + docgeom::OcrCharHeightMm))
                << doc.OcrText;
            EXPECT_LT(left, doc.LengthMm);
        }
        if (doc.Barcode != BarcodeKind::None) {
            const ZXing::BarcodeFormat format = doc.Barcode == BarcodeKind::TwoOfFive ? ZXing::BarcodeFormat::ITF
                                                : doc.Barcode == BarcodeKind::Code39  ? ZXing::BarcodeFormat::Code39
                                                                                      : ZXing::BarcodeFormat::Code128;
            const auto m = ZXing::MultiFormatWriter(format).setMargin(0).encode(doc.BarcodeText, 0, 0);
            const double quiet = 10 * docgeom::BarcodeModuleMm;
            const double left = docgeom::BarcodeRightMm + m.width() * docgeom::BarcodeModuleMm;
            EXPECT_TRUE(BarcodeWindow.Holds(docgeom::BarcodeRightMm - quiet, docgeom::BarcodeBottomMm, left + quiet,
                                            docgeom::BarcodeBottomMm + docgeom::BarcodeHeightMm))
                << doc.BarcodeText;
            EXPECT_LT(left + quiet, doc.LengthMm) << doc.BarcodeText << " runs off the document";
        }
        // The MICR line stays below the OCR line and the barcode.
        EXPECT_LT(docgeom::E13bBottomMm + micr::E13bHeightMm, docgeom::OcrBottomMm - 1.0);
        EXPECT_LT(docgeom::E13bBottomMm + micr::E13bHeightMm, docgeom::BarcodeBottomMm - 1.0);
    }
}

TEST(ChequeGenerator, CodelinePositions)
{
    DocumentSpec doc = MakeCheque(1, 0, ChequeLayout{});
    doc.Codeline = "T1T 2U";
    auto placed = docgeom::PlaceCodeline(doc);
    ASSERT_EQ(placed.size(), 5u);
    // Without an amount field the last character stands at position 14.
    EXPECT_NEAR(placed.back().RightMm, docgeom::E13bFirstRightMm + 13 * micr::E13bPitchMm, 1e-9);
    EXPECT_NEAR(placed.front().RightMm, placed.back().RightMm + 5 * micr::E13bPitchMm, 1e-9);
    doc.Codeline = "U $0000000100$";
    placed = docgeom::PlaceCodeline(doc);
    EXPECT_NEAR(placed.back().RightMm, 5.0 / 16.0 * 25.4, 1e-9) << "the amount field ends at position 1";
}

TEST(ChequeGenerator, ServiceDocuments)
{
    EXPECT_EQ(MakeE13bCalibrationDocument().Kind, DocumentKind::E13bCalibration);
    EXPECT_GT(MakeE13bCalibrationDocument().LengthMm,
              docgeom::E13bFirstRightMm + docgeom::CalibrationMarkCount * micr::E13bPitchMm);
    const DocumentSpec blank = MakeBlankDocument(123.0f);
    EXPECT_EQ(blank.Kind, DocumentKind::Blank);
    EXPECT_FLOAT_EQ(blank.LengthMm, 123.0f);
    EXPECT_EQ(blank.Micr, MicrFont::None);
    EXPECT_EQ(MakeWhiteDocument().Kind, DocumentKind::White);
    EXPECT_EQ(MakeCard().Kind, DocumentKind::Card);
    EXPECT_LT(MakeCard().LengthMm, 90.0f);
    // The colour test document spans the quality check's columns and rows
    // at 200 dpi: up to column 1338, at most 864 rows.
    const DocumentSpec colour = MakeColourTestDocument();
    EXPECT_GT(colour.LengthMm / 25.4 * 200, 1340);
    EXPECT_LT(colour.HeightMm / 25.4 * 200, 864);
}
