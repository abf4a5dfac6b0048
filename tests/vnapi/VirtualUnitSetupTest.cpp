// The set-up file "VarnUnit.ini" and the cheques the unit generates.
#include <fstream>
#include <regex>

#include <gtest/gtest.h>

#include "UnitTestHelpers.h"
#include "docs/Document.h"
#include "unit/ChequeGenerator.h"
#include "unit/UnitSetupFile.h"
#include "vnapi/MicrSymbols.h"
#include "vnapi/VirtualUnit.h"

namespace {

TEST(VirtualUnitSetupFile, MissingFileGivesTheFullFeaturedUnit)
{
    TemporaryFolder folder;
    std::vector<std::string> ignored;
    const VirtualUnitSetup setup = virtualunit::ReadSetupFile(folder.Folder() + "VarnUnit.ini", &ignored);
    EXPECT_TRUE(ignored.empty());
    EXPECT_EQ(setup.Generation, 40);
    EXPECT_EQ(setup.Features, (std::array<uint8_t, 4>{0x2B, 0x13, 0, 0}));
    EXPECT_EQ(setup.Seed, 1u);
    EXPECT_EQ(setup.TimeScale, 1.0);
    EXPECT_EQ(setup.GeneratedCheques, 25u);
    EXPECT_TRUE(setup.Feeder.empty());
    EXPECT_TRUE(setup.OperationFaults.empty());
}

TEST(VirtualUnitSetupFile, EveryKeyOfTheUnitSection)
{
    const std::string text = "# a first-generation unit\r\n"
                             "[Unit]\r\n"
                             "Generation = 39\r\n"
                             "Model = Varn S1 Plus\r\n"
                             "Firmware = 1.12\r\n"
                             "ReleaseDate = 2019/01/31\r\n"
                             "InternalNumber = S1-42\r\n"
                             "PrinterFirmware = IJ 1.00\r\n"
                             "BoardRelease = 0x12\r\n"
                             "FpgaRelease = C\r\n"
                             "Features = 0x01, 0x13\r\n"
                             "  seed = 4242  \r\n"
                             "TimeScale = 0.25\r\n";
    std::vector<std::string> ignored;
    const VirtualUnitSetup s = ParseVirtualUnitSetup(text, &ignored);
    EXPECT_TRUE(ignored.empty()) << ignored.front();
    EXPECT_EQ(s.Generation, 39);
    EXPECT_EQ(s.Model, "Varn S1 Plus");
    EXPECT_EQ(s.Firmware, "1.12");
    EXPECT_EQ(s.ReleaseDate, "2019/01/31");
    EXPECT_EQ(s.InternalNumber, "S1-42");
    EXPECT_EQ(s.PrinterFirmware, "IJ 1.00");
    EXPECT_EQ(s.BoardRelease, 0x12);
    EXPECT_EQ(s.FpgaRelease, 'C');
    EXPECT_EQ(s.Features, (std::array<uint8_t, 4>{0x01, 0x13, 0, 0}));
    EXPECT_EQ(s.Seed, 4242u);
    EXPECT_DOUBLE_EQ(s.TimeScale, 0.25);
}

TEST(VirtualUnitSetupFile, BadValuesAreSkippedAndListed)
{
    const std::string text = "[Unit]\n"
                             "Generation = 41\n"
                             "Seed = twelve\n"
                             "Features = 0x2B 300\n"
                             "Features = 1 2 3 4 5\n"
                             "TimeScale = -1\n"
                             "BoardRelease = 256\n"
                             "Colour = blue\n"
                             "no equals sign\n"
                             "[Faults]\n"
                             "OnCall = Varn_Fly -4\n"
                             "OnCall = Varn_Identify 0\n"
                             "OnDocument = 0 Jam\n"
                             "OnDocument = 3 Melt\n"
                             "[Elsewhere]\n"
                             "Key = value\n"
                             "[Unit\n";
    std::vector<std::string> ignored;
    const VirtualUnitSetup s = ParseVirtualUnitSetup(text, &ignored);
    EXPECT_EQ(s.Generation, 40);
    EXPECT_EQ(s.Seed, 1u);
    EXPECT_EQ(s.Features, (std::array<uint8_t, 4>{0x2B, 0x13, 0, 0}));
    EXPECT_EQ(s.TimeScale, 1.0);
    EXPECT_FALSE(s.BoardRelease);
    EXPECT_TRUE(s.OperationFaults.empty());
    EXPECT_TRUE(s.DocumentFaults.empty());
    EXPECT_EQ(ignored.size(), 15u);
    EXPECT_EQ(ignored.front().rfind("line 2:", 0), 0u) << ignored.front();
}

TEST(VirtualUnitSetupFile, FeederSectionListsTheDocumentsInOrder)
{
    const std::string text = "[Unit]\n"
                             "Seed = 9\n"
                             "[Feeder]\n"
                             "Document = E13bCalibration\n"
                             "Cheques = 2\n"
                             "Document = Cheque | Codeline = T011000015T 123456U 0042 | Payee = Ann Lee | Jam\n"
                             "Document = Blank | Length = 210\n"
                             "Document = ColourTest\n"
                             "Document = Card\n"
                             "Document = White | DoubleFeed | Skew = 1.5\n"
                             "Document = Cheque | Micr = CMC7 | Codeline = D12345678B | Ocr = OcrB | OcrText = 123\n"
                             "Document = Cheque | Barcode = Code39 | BarcodeText = ABC | Pdf417 = hello\n"
                             "Document = Cheque | Length = 9000\n"
                             "Document = Hovercraft\n";
    std::vector<std::string> ignored;
    const VirtualUnitSetup s = ParseVirtualUnitSetup(text, &ignored);
    EXPECT_EQ(s.GeneratedCheques, 0u);
    ASSERT_EQ(s.Feeder.size(), 11u);
    EXPECT_EQ(ignored.size(), 2u) << "the bad length and the unknown kind";
    EXPECT_EQ(s.Feeder[0].Kind, DocumentKind::E13bCalibration);
    EXPECT_TRUE(virtualunit::IsChequeToGenerate(s.Feeder[1]));
    EXPECT_EQ(s.Feeder[3].Codeline, "T011000015T 123456U 0042");
    EXPECT_EQ(s.Feeder[3].Payee, "Ann Lee");
    EXPECT_TRUE(s.Feeder[3].Jam);
    EXPECT_EQ(s.Feeder[4].Kind, DocumentKind::Blank);
    EXPECT_FLOAT_EQ(s.Feeder[4].LengthMm, 210.0f);
    EXPECT_EQ(s.Feeder[5].Kind, DocumentKind::ColourTest);
    EXPECT_EQ(s.Feeder[6].Kind, DocumentKind::Card);
    EXPECT_EQ(s.Feeder[6].Micr, MicrFont::None);
    EXPECT_TRUE(s.Feeder[7].DoubleFeed);
    EXPECT_FLOAT_EQ(s.Feeder[7].SkewDegrees, 1.5f);
    EXPECT_EQ(s.Feeder[8].Micr, MicrFont::CMC7);
    EXPECT_EQ(s.Feeder[8].Ocr, OcrFont::OcrB);
    EXPECT_EQ(s.Feeder[8].OcrText, "123");
    EXPECT_EQ(s.Feeder[9].Barcode, BarcodeKind::Code39);
    EXPECT_EQ(s.Feeder[9].Pdf417Text, "hello");
    EXPECT_FLOAT_EQ(s.Feeder[10].LengthMm, 175.0f) << "the bad field is skipped, the document kept";

    // Loaded, the cheques to generate get codelines; the barcode survives.
    VirtualUnitSetup quick = s;
    quick.TimeScale = 0;
    const auto feeder = CreateVirtualUnit(quick).Control.FeederContents();
    ASSERT_EQ(feeder.size(), 11u);
    EXPECT_FALSE(feeder[1].Codeline.empty());
    EXPECT_NE(feeder[1].Codeline, feeder[2].Codeline);
    EXPECT_EQ(feeder[3].Codeline, "T011000015T 123456U 0042");
    EXPECT_EQ(feeder[9].Barcode, BarcodeKind::Code39);
    EXPECT_FALSE(feeder[9].Codeline.empty());
}

TEST(VirtualUnitSetupFile, AnEmptyFeederCanBeAskedFor)
{
    const VirtualUnitSetup s = ParseVirtualUnitSetup("[Feeder]\nCheques = 0\n");
    EXPECT_EQ(s.GeneratedCheques, 0u);
    EXPECT_TRUE(s.Feeder.empty());
    // A feeder section with nothing usable leaves the usual stack.
    EXPECT_EQ(ParseVirtualUnitSetup("[Feeder]\nCheques = many\n").GeneratedCheques, 25u);
}

TEST(VirtualUnitSetupFile, FaultsAndBadge)
{
    const std::string text = "[Faults]\n"
                             "OnCall = Varn_ScannerCalibration -351\n"
                             "OnDocument = 4 DoubleFeedStop\n"
                             "OnDocument = 6 -95\n"
                             "[Badge]\n"
                             "Track1 = %B1234^DOE/JOHN^2512?\n"
                             "Track2 = ;1234=2512?\n";
    const VirtualUnitSetup s = ParseVirtualUnitSetup(text);
    ASSERT_EQ(s.OperationFaults.size(), 1u);
    EXPECT_EQ(s.OperationFaults[0].Operation, "Varn_ScannerCalibration");
    EXPECT_EQ(s.OperationFaults[0].Reply, -351);
    ASSERT_EQ(s.DocumentFaults.size(), 2u);
    EXPECT_EQ(s.DocumentFaults[0].Ordinal, 4u);
    EXPECT_EQ(s.DocumentFaults[0].Kind, DocumentFaultKind::DoubleFeedStop);
    EXPECT_EQ(s.DocumentFaults[1].Kind, DocumentFaultKind::Reply);
    EXPECT_EQ(s.DocumentFaults[1].Reply, -95);
    ASSERT_TRUE(s.Badge);
    EXPECT_EQ(s.Badge->Track1, "%B1234^DOE/JOHN^2512?");
    EXPECT_EQ(s.Badge->Track2, ";1234=2512?");
    EXPECT_EQ(s.Badge->Track3, "");
}

TEST(VirtualUnitSetupFile, UnitReadsItsFolder)
{
    TemporaryFolder folder;
    {
        std::ofstream ini(folder.Folder() + VirtualUnitSetupFileName);
        ini << "[Unit]\nGeneration = 39\nTimeScale = 0\n[Feeder]\nCheques = 3\n";
    }
    auto pair = CreateVirtualUnitInFolder(folder.Folder());
    uint16_t handle = 0;
    ASSERT_EQ(pair.Api->Varn_Open(nullptr, nullptr, 40, &handle), 0);
    char firmware[VnIdentifyTextSize] = {};
    ASSERT_EQ(pair.Api->Varn_Identify(handle, nullptr, nullptr, nullptr, firmware, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, 0, 0, 0, 0, 0),
              0);
    EXPECT_STREQ(firmware, "1.07");
    EXPECT_EQ(pair.Control.State().FeederCount, 3u);
}

TEST(VirtualUnitSetupFile, TestControlLoadsFeederLines)
{
    auto pair = CreateVirtualUnit([] {
        VirtualUnitSetup s = TestUnitSetup();
        s.GeneratedCheques = 0;
        return s;
    }());
    EXPECT_TRUE(pair.Control.LoadDocumentsFromText("Cheques = 2\nDocument = E13bCalibration\n"));
    EXPECT_FALSE(pair.Control.LoadDocumentsFromText("Document = White\nDocument = Teapot\n"));
    const auto feeder = pair.Control.FeederContents();
    ASSERT_EQ(feeder.size(), 4u);
    EXPECT_EQ(feeder[2].Kind, DocumentKind::E13bCalibration);
    EXPECT_EQ(feeder[3].Kind, DocumentKind::White);
}

TEST(ChequeGenerator, RoutingCheckDigit)
{
    struct Case {
        const char* Routing;
        bool Valid;
    };
    const Case cases[] = {{"011000015", true}, {"021000021", true}, {"026009593", true},  {"121000358", true},
                          {"011000016", false}, {"021000012", false}, {"12100035", false}, {"12100035x", false}};
    for (const Case c : cases)
        EXPECT_EQ(virtualunit::IsValidRoutingNumber(c.Routing), c.Valid) << c.Routing;
    EXPECT_EQ(virtualunit::RoutingCheckDigit("02100002"), 1);
}

TEST(ChequeGenerator, ValidCodelinesDeterministicPerSeed)
{
    const std::regex shape("T([0-9]{9})T [0-9]{8,11}U [0-9]{4}");
    for (uint32_t index = 0; index < 25; ++index) {
        const DocumentSpec cheque = virtualunit::GenerateCheque(1, index);
        std::smatch match;
        ASSERT_TRUE(std::regex_match(cheque.Codeline, match, shape)) << cheque.Codeline;
        EXPECT_TRUE(virtualunit::IsValidRoutingNumber(match[1].str())) << cheque.Codeline;
        const int district = std::stoi(match[1].str().substr(0, 2));
        EXPECT_TRUE((district >= 1 && district <= 12) || (district >= 21 && district <= 32)) << cheque.Codeline;
        EXPECT_EQ(cheque.Micr, MicrFont::E13B);
        EXPECT_FALSE(cheque.Payee.empty());
        EXPECT_FALSE(cheque.Amount.empty());
        EXPECT_GE(cheque.LengthMm, 152.0f);
        EXPECT_LE(cheque.LengthMm, 216.0f);
        EXPECT_EQ(cheque.Codeline, virtualunit::GenerateCheque(1, index).Codeline);
        EXPECT_NE(cheque.Codeline, virtualunit::GenerateCheque(2, index).Codeline);
    }
    static_assert(micr::E13bTransit == 'T' && micr::E13bOnUs == 'U', "the pattern above spells the symbols");
}

} // namespace
