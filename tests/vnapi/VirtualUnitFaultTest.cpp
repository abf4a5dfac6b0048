// Faults: armed for the next call of an operation or for the n-th document,
// from the test control or from the set-up file; the status follows them.
#include <gtest/gtest.h>

#include "UnitTestHelpers.h"
#include "docs/Document.h"

namespace {

int32_t Call(OpenUnit& unit, const std::string& operation)
{
    VnApi& api = unit.Api();
    const uint16_t h = unit.Handle;
    if (operation == "Varn_Identify")
        return api.Varn_Identify(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 0, 0, 0, 0, 0);
    if (operation == "VnConnect") {
        uint16_t handle = 0;
        return api.VnConnect(nullptr, nullptr, 40, &handle);
    }
    if (operation == "Varn_DocHandle")
        return unit.Feed();
    if (operation == "Varn_ScannerCalibration")
        return api.Varn_ScannerCalibration(h, nullptr, 1);
    if (operation == "Varn_PhotosCalibration")
        return api.Varn_PhotosCalibration(h, nullptr, 0);
    if (operation == "VnBeep")
        return api.VnBeep(h, nullptr, 1, 10, 10);
    if (operation == "Varn_SetTrimmerMICR")
        return api.Varn_SetTrimmerMICR(h, nullptr, 0, 99);
    if (operation == "Varn_SaveBMP")
        return api.Varn_SaveBMP(nullptr, nullptr, "x.bmp");
    static uint8_t buffer[30000];
    char text[260];
    uint16_t length = 256, second = 256;
    uint32_t size = sizeof buffer;
    ImageHandle image;
    if (operation == "Varn_ReadImage")
        return api.Varn_ReadImage(h, nullptr, 1, 'N', 0, 0, &image, nullptr, nullptr, nullptr);
    if (operation == "Varn_ReadCodeline")
        return api.Varn_ReadCodeline(h, nullptr, text, &length, nullptr, nullptr, nullptr, nullptr);
    if (operation == "Varn_ReadCodelineMicrOcr")
        return api.Varn_ReadCodelineMicrOcr(h, nullptr, text, &length, text, &second);
    if (operation == "Varn_LoadString")
        return api.Varn_LoadString(h, nullptr, 'N', 4, "PAID");
    if (operation == "Varn_LoadStringWithCounter")
        return api.Varn_LoadStringWithCounter(h, nullptr, 'N', "%d", 2, 8, 3);
    if (operation == "Varn_LoadDigitalString")
        return api.Varn_LoadDigitalString(h, nullptr, 'B', "X", 1, 7, 0, "Arial", 20, 0, 0, 0, 0, 0, 10, 21);
    if (operation == "Varn_AutoDocHandle")
        return api.Varn_AutoDocHandle(h, nullptr, 0, 0, 1, 5, 0, 1, 0, 1, 'X', 0, 5, "", "", 0, 0, 0, 0, 10, 0, 0,
                                      128, 0, 1, 'G', 0, nullptr, nullptr, nullptr);
    if (operation == "Varn_GetDocData")
        return api.Varn_GetDocData(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (operation == "Varn_SetAutoDocOptions") {
        const AutoDocOptions options{0, 1};
        return api.Varn_SetAutoDocOptions(h, nullptr, &options);
    }
    if (operation == "Varn_ReadBadge")
        return api.Varn_ReadBadge(h, nullptr, 96, 260, text, &length);
    if (operation == "Varn_ReadE13BSignal")
        return api.Varn_ReadE13BSignal(h, nullptr, buffer, &size);
    if (operation == "Varn_ReadCMC7Signal")
        return api.Varn_ReadCMC7Signal(h, nullptr, buffer, 1024);
    if (operation == "VnTestCinghia")
        return api.VnTestCinghia(h, nullptr, buffer, &size);
    ADD_FAILURE() << "no call for " << operation;
    return 0;
}

TEST(VirtualUnitFaults, NextCallOfAnOperationRepliesTheArmedCode)
{
    struct Case {
        const char* Operation;
        int32_t Reply;
        uint8_t SenseAfter;    // what the status says once the fault struck
        int32_t ReplyAfter;    // the next call, without a fault
    };
    const Case cases[] = {
        {"Varn_Identify", -4, 4, 0},
        {"Varn_Identify", -2, 4, 0},
        {"VnConnect", 14, 0, 5},
        {"VnConnect", -30, 0, 5},
        // The calibration sense key covers -348 to -363, both ends.
        {"Varn_ScannerCalibration", -347, 0, 0},
        {"Varn_ScannerCalibration", -348, 16, 0},
        {"Varn_ScannerCalibration", -351, 16, 0},
        {"Varn_ScannerCalibration", -363, 16, 0},
        {"Varn_ScannerCalibration", -364, 0, 0},
        {"Varn_PhotosCalibration", -66, 16, 0},
        {"VnBeep", -8, 2, 0},
        {"VnBeep", -13, 11, 0},
        {"Varn_SetTrimmerMICR", -9, 9, 0},
        {"Varn_DocHandle", 1, 6, 0},
        {"Varn_DocHandle", -7, 3, -7},
        {"Varn_SaveBMP", -18, 0, -22},
        // The document operations; "after" is their reply on a unit that has
        // fed nothing yet.
        {"Varn_ReadImage", -22, 0, 0},
        {"Varn_ReadCodeline", -4, 4, -9},
        {"Varn_ReadCodelineMicrOcr", -13, 11, -9},
        {"Varn_LoadString", -57, 0, 0},
        {"Varn_LoadStringWithCounter", -4, 4, 0},
        {"Varn_LoadDigitalString", -2, 4, 0},
        {"Varn_AutoDocHandle", -7, 3, -7},
        {"Varn_AutoDocHandle", 1, 6, 0},
        {"Varn_GetDocData", -7, 3, -9},
        {"Varn_SetAutoDocOptions", -9, 9, 0},
        {"Varn_ReadBadge", -8, 2, -8},
        {"Varn_ReadE13BSignal", -10, 0, -9},
        {"Varn_ReadCMC7Signal", -2, 4, -9},
        {"VnTestCinghia", -4, 4, 0},
    };
    for (const Case& c : cases) {
        OpenUnit unit;
        ASSERT_TRUE(unit.Control().ArmOperationFault(c.Operation, c.Reply));
        EXPECT_EQ(Call(unit, c.Operation), c.Reply) << c.Operation << " " << c.Reply;
        EXPECT_EQ(unit.SenseKey(), c.SenseAfter) << c.Operation << " " << c.Reply;
        EXPECT_EQ(Call(unit, c.Operation), c.ReplyAfter) << c.Operation << " once only";
    }
}

TEST(VirtualUnitFaults, ArmedFaultsStrikeInTurn)
{
    OpenUnit unit;
    ASSERT_TRUE(unit.Control().ArmOperationFault("VnBeep", -4));
    ASSERT_TRUE(unit.Control().ArmOperationFault("VnBeep", -8));
    EXPECT_EQ(unit.Api().Varn_Reset(unit.Handle, nullptr, '0'), 0) << "other operations are untouched";
    EXPECT_EQ(Call(unit, "VnBeep"), -4);
    EXPECT_EQ(Call(unit, "VnBeep"), -8);
    EXPECT_EQ(Call(unit, "VnBeep"), 0);
    EXPECT_EQ(unit.Control().State().LastBeep.Calls, 1u) << "a faulted call does no work";
}

TEST(VirtualUnitFaults, UnknownOperationsAndReplyZeroAreRefused)
{
    OpenUnit unit;
    EXPECT_FALSE(unit.Control().ArmOperationFault("Varn_Teleport", -4));
    EXPECT_FALSE(unit.Control().ArmOperationFault("Varn_Identify", 0));
    EXPECT_EQ(Call(unit, "Varn_Identify"), 0);
}

TEST(VirtualUnitFaults, DisconnectedPeripheralDropsTheConnection)
{
    OpenUnit unit;
    ASSERT_TRUE(unit.Control().ArmOperationFault("Varn_Identify", -64));
    EXPECT_EQ(Call(unit, "Varn_Identify"), -64);
    EXPECT_FALSE(unit.Control().State().Open);
    EXPECT_EQ(Call(unit, "Varn_Identify"), -3);
}

TEST(VirtualUnitFaults, FaultOnTheOpenItself)
{
    auto pair = CreateVirtualUnit(TestUnitSetup());
    ASSERT_TRUE(pair.Control.ArmOperationFault("Varn_Open", -3));
    uint16_t handle = 0;
    EXPECT_EQ(pair.Api->Varn_Open(nullptr, nullptr, 40, &handle), -3);
    EXPECT_FALSE(pair.Control.State().Open);
    EXPECT_EQ(pair.Api->Varn_Open(nullptr, nullptr, 40, &handle), 0);
}

TEST(VirtualUnitFaults, NthDocument)
{
    struct Case {
        DocumentFaultKind Kind;
        int32_t Reply;        // armed code for DocumentFaultKind::Reply
        int32_t FeedReply;    // what the struck feed replies
        uint8_t Sense;
        size_t FeederAfter;   // of 5, after two feeds
        bool InPath;
    };
    const Case cases[] = {
        {DocumentFaultKind::Jam, 0, -7, 3, 3, true},
        {DocumentFaultKind::DoubleFeed, 0, 0, 25, 2, false},
        {DocumentFaultKind::DoubleFeedStop, 0, -7, 7, 2, true},
        {DocumentFaultKind::Reply, -4, -4, 4, 4, false},
        {DocumentFaultKind::Reply, -95, -95, 0, 4, false},
        {DocumentFaultKind::Reply, -7, -7, 3, 3, true},
    };
    for (const Case& c : cases) {
        VirtualUnitSetup setup = TestUnitSetup();
        setup.GeneratedCheques = 5;
        OpenUnit unit(setup);
        unit.Control().ArmDocumentFault(2, c.Kind, c.Reply);
        ASSERT_EQ(unit.Feed(), 0) << "the first document passes";
        EXPECT_EQ(unit.Feed(), c.FeedReply) << static_cast<int>(c.Kind) << " " << c.Reply;
        EXPECT_EQ(unit.SenseKey(), c.Sense) << static_cast<int>(c.Kind) << " " << c.Reply;
        const VirtualUnitState s = unit.Control().State();
        EXPECT_EQ(s.FeederCount, c.FeederAfter) << static_cast<int>(c.Kind) << " " << c.Reply;
        EXPECT_EQ(s.DocumentInPath, c.InPath) << static_cast<int>(c.Kind) << " " << c.Reply;
        EXPECT_EQ((unit.Sensors() & 0x40) != 0, c.InPath) << "retained bit";
    }
}

TEST(VirtualUnitFaults, DocumentFaultsCountFromWhenTheyAreArmed)
{
    VirtualUnitSetup setup = TestUnitSetup();
    OpenUnit unit(setup);
    ASSERT_EQ(unit.Feed(), 0);
    ASSERT_EQ(unit.Feed(), 0);
    unit.Control().ArmDocumentFault(1, DocumentFaultKind::Jam);
    EXPECT_EQ(unit.Feed(), -7);
    EXPECT_EQ(unit.Control().State().History.FeederJams, 1u);
}

TEST(VirtualUnitFaults, DocumentsBringTheirOwnFaults)
{
    VirtualUnitSetup setup = TestUnitSetup();
    setup.GeneratedCheques = 0;
    OpenUnit unit(setup);
    DocumentSpec doubled;
    doubled.DoubleFeed = true;
    DocumentSpec jams;
    jams.Jam = true;
    unit.Control().LoadDocuments({doubled, DocumentSpec{}, jams});
    EXPECT_EQ(unit.Feed(), 0);
    EXPECT_EQ(unit.SenseKey(), 25);
    EXPECT_EQ(unit.Feed(), -7);
    EXPECT_EQ(unit.SenseKey(), 3);
}

TEST(VirtualUnitFaults, FromTheSetupFile)
{
    const std::string text = "[Faults]\n"
                             "OnCall = Varn_Identify -4\n"
                             "OnDocument = 2 Jam\n"
                             "OnDocument = 1 DoubleFeed\n"
                             "InkjetBoardSilent = 1\n";
    VirtualUnitSetup setup = ParseVirtualUnitSetup(text);
    setup.TimeScale = 0;
    OpenUnit unit(setup);
    EXPECT_EQ(Call(unit, "Varn_Identify"), -4);
    EXPECT_EQ(unit.Sensors() & 0x20, 0x20) << "ink-jet board does not answer";
    EXPECT_EQ(unit.Api().Varn_DocHandle(unit.Handle, nullptr, 0, 1, 1, 'X', 5, 0, 1, 'G', 0, nullptr, 0, 0), -4)
        << "a print needs the ink-jet board";
    EXPECT_EQ(unit.Feed(), 0);
    EXPECT_EQ(unit.SenseKey(), 25);
    // The double feed took the second sheet along; the jam strikes the
    // second document fed.
    EXPECT_EQ(unit.Feed(), -7);
}

TEST(VirtualUnitFaults, EmcFaultSilencesTheUnitAfterItsIdentificationsUntilAPowerCycle)
{
    std::vector<std::string> ignored;
    VirtualUnitSetup setup = ParseVirtualUnitSetup("[Faults]\nEmcSilentAfter = 2\nEmcSilentAfter = x\n", &ignored);
    ASSERT_EQ(ignored.size(), 1u) << "a count that is no number is skipped";
    setup.TimeScale = 0;
    OpenUnit unit(setup);
    uint8_t sense = 0, sensors[2] = {};
    EXPECT_EQ(Call(unit, "Varn_Identify"), 0);
    EXPECT_EQ(unit.Api().Varn_PeripheralStatus(unit.Handle, nullptr, &sense, sensors), 0);
    EXPECT_EQ(Call(unit, "Varn_Identify"), 0);
    // The second identification was the last answer.
    EXPECT_EQ(unit.Api().Varn_PeripheralStatus(unit.Handle, nullptr, &sense, sensors), -2);
    EXPECT_EQ(Call(unit, "Varn_Identify"), -2);
    EXPECT_EQ(unit.Api().VnBeep(unit.Handle, nullptr, 1, 10, 10), -2);
    EXPECT_EQ(unit.Api().VnDisconnect(unit.Handle, nullptr), 0) << "closing needs no answer";
    uint16_t handle = 0;
    EXPECT_EQ(unit.Api().VnConnect(nullptr, nullptr, VnConnectionUsb, &handle), -3);
    unit.Control().PowerCycle();
    EXPECT_EQ(unit.Api().VnConnect(nullptr, nullptr, VnConnectionUsb, &handle), 0);
    EXPECT_EQ(unit.Api().Varn_Identify(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, 0, 0, 0, 0, 0),
              0);

    unit.Control().ArmEmcFault(0); // silent at once
    EXPECT_TRUE(unit.Control().State().Silent);
}

} // namespace
