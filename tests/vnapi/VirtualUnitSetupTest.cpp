// The set-up file "VarnUnit.ini" and the cheques the unit generates.
#include <fstream>
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "UnitTestHelpers.h"
#include "docs/ChequeGenerator.h"
#include "docs/Document.h"
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
                             "Track2 = ;1234=2512?\n"
                             "Wait = 2.5\n";
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
    EXPECT_DOUBLE_EQ(s.BadgeWaitSeconds, 2.5);
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

TEST(VirtualUnitFeeder, DefaultStackIsTheDocumentGeneratorsOwn)
{
    const auto feeder = CreateVirtualUnit(TestUnitSetup(7)).Control.FeederContents();
    const std::vector<DocumentSpec> expected = DefaultFeeder(7);
    ASSERT_EQ(feeder.size(), expected.size());
    for (size_t i = 0; i < feeder.size(); ++i) {
        EXPECT_EQ(feeder[i].Codeline, expected[i].Codeline) << i;
        EXPECT_EQ(feeder[i].Micr, expected[i].Micr) << i;
        EXPECT_EQ(feeder[i].Seed, expected[i].Seed) << i;
    }
}

TEST(VirtualUnitFeeder, MoreChequesThanTheDefaultStackAreStillEachDifferent)
{
    VirtualUnitSetup setup = TestUnitSetup(3);
    setup.GeneratedCheques = 40;
    const auto feeder = CreateVirtualUnit(setup).Control.FeederContents();
    ASSERT_EQ(feeder.size(), 40u);
    std::set<std::string> codelines;
    for (const DocumentSpec& d : feeder)
        codelines.insert(d.Codeline);
    EXPECT_EQ(codelines.size(), 40u);
}

TEST(VirtualUnitFeeder, ChequesOfTheSetUpFileAreOrdinaryValidE13bChequesDeterministicPerSeed)
{
    const std::regex shape("T([0-9]{9})T [0-9-]{8,12}U [0-9]{4}( \\$[0-9]{10}\\$)?");
    const auto chequesOf = [](uint32_t seed) {
        VirtualUnitSetup setup = ParseVirtualUnitSetup("[Feeder]\nCheques = 25\n");
        setup.Seed = seed;
        setup.TimeScale = 0;
        return CreateVirtualUnit(setup).Control.FeederContents();
    };
    const auto one = chequesOf(1), again = chequesOf(1), other = chequesOf(2);
    ASSERT_EQ(one.size(), 25u);
    for (size_t i = 0; i < one.size(); ++i) {
        const DocumentSpec& cheque = one[i];
        std::smatch match;
        ASSERT_TRUE(std::regex_match(cheque.Codeline, match, shape)) << cheque.Codeline;
        EXPECT_TRUE(IsValidRoutingNumber(match[1].str())) << cheque.Codeline;
        EXPECT_EQ(cheque.Micr, MicrFont::E13B);
        EXPECT_EQ(cheque.Ocr, OcrFont::None);
        EXPECT_EQ(cheque.Barcode, BarcodeKind::None);
        EXPECT_FALSE(cheque.Payee.empty());
        EXPECT_EQ(cheque.Codeline, again[i].Codeline);
        EXPECT_NE(cheque.Codeline, other[i].Codeline);
    }
    static_assert(micr::E13bTransit == 'T' && micr::E13bOnUs == 'U', "the pattern above spells the symbols");
}

TEST(VirtualUnitFeeder, AConnectionFindingTheFeederEmptyGetsTheSetUpStackAgain)
{
    VirtualUnitSetup setup = TestUnitSetup();
    setup.GeneratedCheques = 3;
    OpenUnit unit(setup);
    const auto first = unit.Control().FeederContents();
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(unit.Feed(), 0);
    EXPECT_EQ(unit.Feed(), 1);
    ASSERT_EQ(unit.Api().VnDisconnect(unit.Handle, nullptr), 0);
    ASSERT_EQ(unit.Api().VnConnect(nullptr, nullptr, 40, &unit.Handle), 0);
    const auto refilled = unit.Control().FeederContents();
    ASSERT_EQ(refilled.size(), 3u);
    EXPECT_EQ(refilled[2].Codeline, first[2].Codeline);

    // A feeder that still holds documents is left as it is.
    ASSERT_EQ(unit.Feed(), 0);
    ASSERT_EQ(unit.Api().VnDisconnect(unit.Handle, nullptr), 0);
    ASSERT_EQ(unit.Api().VnConnect(nullptr, nullptr, 40, &unit.Handle), 0);
    EXPECT_EQ(unit.Control().FeederContents().size(), 2u);
}

TEST(VirtualUnitSetupFile, ConditionOfTheUnit)
{
    const std::string text = "[Faults]\n"
                             "MagnetisedBelt = 1\n"
                             "BeltWear = 0.8\n"
                             "SpeedRipple = 2.5\n"
                             "LampLevel = 0.6\n"
                             "Streak = 30\n"
                             "LooseDocument = 1\n"
                             "BeltWear = 2\n"
                             "LampLevel = dim\n"
                             "Streak = -4\n"
                             "LooseDocument = 2\n";
    std::vector<std::string> ignored;
    const VirtualUnitSetup s = ParseVirtualUnitSetup(text, &ignored);
    EXPECT_TRUE(s.MagnetisedBelt);
    EXPECT_DOUBLE_EQ(s.BeltWear, 0.8f);
    EXPECT_DOUBLE_EQ(s.SpeedRipplePercent, 2.5);
    EXPECT_DOUBLE_EQ(s.LampLevel, 0.6f);
    EXPECT_DOUBLE_EQ(s.StreakMm, 30.0);
    EXPECT_TRUE(s.LooseDocument);
    EXPECT_EQ(ignored.size(), 4u) << "the four values out of range keep the earlier ones";
    const VirtualUnitSetup plain = ParseVirtualUnitSetup("");
    EXPECT_FALSE(plain.MagnetisedBelt);
    EXPECT_EQ(plain.BeltWear, 0.0);
    EXPECT_EQ(plain.LampLevel, 1.0);
    EXPECT_LT(plain.StreakMm, 0.0);
    EXPECT_FALSE(plain.LooseDocument);
}

} // namespace
