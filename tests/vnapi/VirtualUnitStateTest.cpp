// The virtual unit as a state machine: in each state every operation gives
// its own reply, and the status follows what happened.
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "UnitTestHelpers.h"
#include "docs/Document.h"
#include "unit/VirtualUnit.h"

namespace {

enum class UnitState { Closed, Open, DocumentHeld, FeederEmpty, Jammed };

const char* Name(UnitState s)
{
    switch (s) {
    case UnitState::Closed:
        return "closed";
    case UnitState::Open:
        return "open";
    case UnitState::DocumentHeld:
        return "document held";
    case UnitState::FeederEmpty:
        return "feeder empty";
    case UnitState::Jammed:
        return "jammed";
    }
    return "?";
}

// A unit brought into the state; Handle is the handle the bench would use
// (a stale one for the closed unit).
std::unique_ptr<OpenUnit> UnitIn(UnitState state)
{
    auto unit = std::make_unique<OpenUnit>();
    switch (state) {
    case UnitState::Closed:
        EXPECT_EQ(unit->Api().VnDisconnect(unit->Handle, nullptr), 0);
        break;
    case UnitState::Open:
        break;
    case UnitState::DocumentHeld:
        EXPECT_EQ(unit->Feed(0), 0);
        break;
    case UnitState::FeederEmpty:
        unit->Control().EmptyFeeder();
        break;
    case UnitState::Jammed:
        unit->Control().ArmDocumentFault(1, DocumentFaultKind::Jam);
        EXPECT_EQ(unit->Feed(), -7);
        break;
    }
    return unit;
}

using Operation = std::function<int32_t(OpenUnit&)>;

struct Row {
    const char* Label;
    Operation Call;
    // closed, open, document held, feeder empty, jammed
    std::array<int32_t, 5> Replies;
};

std::vector<Row> OperationTable()
{
    static uint8_t buffer[64];
    static HistoryRecord record;
    return {
        {"Varn_Open USB", [](OpenUnit& u) { uint16_t h = 0; return u.Api().Varn_Open(nullptr, nullptr, 40, &h); },
         {0, 5, 5, 5, 5}},
        {"VnConnect USB", [](OpenUnit& u) { uint16_t h = 0; return u.Api().VnConnect(nullptr, nullptr, 40, &h); },
         {0, 5, 5, 5, 5}},
        {"VnConnect network box",
         [](OpenUnit& u) { uint16_t h = 0; return u.Api().VnConnect(nullptr, nullptr, 39, &h); },
         {-109, -109, -109, -109, -109}},
        {"VnDisconnect", [](OpenUnit& u) { return u.Api().VnDisconnect(u.Handle, nullptr); }, {-3, 0, 0, 0, 0}},
        {"Varn_Identify",
         [](OpenUnit& u) {
             return u.Api().Varn_Identify(u.Handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr, 0, 0, 0, 0, 0);
         },
         {-3, 0, 0, 0, 0}},
        {"Varn_PeripheralStatus",
         [](OpenUnit& u) { return u.Api().Varn_PeripheralStatus(u.Handle, nullptr, buffer, buffer + 1); },
         {-3, 0, 0, 0, 0}},
        {"Varn_DocHandle feed", [](OpenUnit& u) { return u.Feed(); }, {-3, 0, -9, 1, -7}},
        {"Varn_DocHandle release", [](OpenUnit& u) { return u.Release(); }, {-3, -9, 0, -9, -7}},
        {"Varn_Reset error", [](OpenUnit& u) { return u.Api().Varn_Reset(u.Handle, nullptr, '0'); },
         {-3, 0, 0, 0, 0}},
        {"Varn_Reset free path", [](OpenUnit& u) { return u.Api().Varn_Reset(u.Handle, nullptr, '1'); },
         {-3, 0, 0, 0, 0}},
        {"Varn_Reset unknown", [](OpenUnit& u) { return u.Api().Varn_Reset(u.Handle, nullptr, '7'); },
         {-3, -9, -9, -9, -9}},
        {"Varn_PhotosCalibration", [](OpenUnit& u) { return u.Api().Varn_PhotosCalibration(u.Handle, nullptr, 0); },
         {-3, 0, -66, 0, -66}},
        {"Varn_ScannerCalibration",
         [](OpenUnit& u) { return u.Api().Varn_ScannerCalibration(u.Handle, nullptr, 1); }, {-3, 0, 0, 0, 0}},
        {"VnEEPROMCommand read",
         [](OpenUnit& u) { return u.Api().VnEEPROMCommand(u.Handle, nullptr, 0, 0, 16, buffer); },
         {-3, 0, 0, 0, 0}},
        {"Varn_HistoryCommand read",
         [](OpenUnit& u) {
             record.Size = 40;
             return u.Api().Varn_HistoryCommand(u.Handle, nullptr, 1, &record);
         },
         {-3, 0, 0, 0, 0}},
        {"VnBeep", [](OpenUnit& u) { return u.Api().VnBeep(u.Handle, nullptr, 2, 100, 100); }, {-3, 0, 0, 0, 0}},
        // Codeline and images are those of the last document; a jam leaves none.
        {"Varn_ReadCodeline",
         [](OpenUnit& u) {
             char text[256];
             uint16_t length = 256;
             return u.Api().Varn_ReadCodeline(u.Handle, nullptr, text, &length, nullptr, nullptr, nullptr, nullptr);
         },
         {-3, -9, 0, -9, -9}},
        {"Varn_ReadImage front",
         [](OpenUnit& u) {
             ImageHandle front;
             return u.Api().Varn_ReadImage(u.Handle, nullptr, 1, 'F', 0, 0, &front, nullptr, nullptr, nullptr);
         },
         {-3, -22, -22, -22, -22}},
        {"Varn_ReadImage none",
         [](OpenUnit& u) {
             ImageHandle front;
             return u.Api().Varn_ReadImage(u.Handle, nullptr, 1, 'N', 0, 0, &front, nullptr, nullptr, nullptr);
         },
         {-3, 0, 0, 0, 0}},
        {"Varn_ReadE13BSignal",
         [](OpenUnit& u) {
             static uint8_t samples[16384];
             uint32_t length = sizeof samples;
             return u.Api().Varn_ReadE13BSignal(u.Handle, nullptr, samples, &length);
         },
         {-3, -9, 0, -9, -9}},
        {"Varn_LoadString",
         [](OpenUnit& u) { return u.Api().Varn_LoadString(u.Handle, nullptr, 'N', 3, "ABC"); }, {-3, 0, 0, 0, 0}},
        {"Varn_AutoDocHandle",
         [](OpenUnit& u) {
             return u.Api().Varn_AutoDocHandle(u.Handle, nullptr, 0, 0, 1, 5, 0, 1, 0, 1, 'X', 0, 5, nullptr,
                                               nullptr, 0, 0, 0, 0, 10, 0, 0, 128, 0, 1, 'G', 0, nullptr, nullptr,
                                               nullptr);
         },
         {-3, 0, -9, 1, -7}},
        {"Varn_GetDocData without a run",
         [](OpenUnit& u) {
             return u.Api().Varn_GetDocData(u.Handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr);
         },
         {-3, -9, -9, -9, -9}},
        {"VnTestCinghia",
         [](OpenUnit& u) {
             static uint8_t samples[30000];
             uint32_t length = sizeof samples;
             return u.Api().VnTestCinghia(u.Handle, nullptr, samples, &length);
         },
         {-3, 0, -9, 0, -7}},
        {"Varn_ReadBadge without a swipe",
         [](OpenUnit& u) {
             char data[260];
             uint16_t length = 260;
             return u.Api().Varn_ReadBadge(u.Handle, nullptr, 96, 260, data, &length);
         },
         {-3, -8, -8, -8, -8}},
        {"Varn_SaveBMP needs no unit",
         [](OpenUnit& u) { return u.Api().Varn_SaveBMP(nullptr, nullptr, "x.bmp"); }, {-22, -22, -22, -22, -22}},
    };
}

TEST(VirtualUnitStates, EveryOperationRepliesAsItsStateAllows)
{
    const UnitState states[] = {UnitState::Closed, UnitState::Open, UnitState::DocumentHeld,
                                UnitState::FeederEmpty, UnitState::Jammed};
    for (const Row& row : OperationTable()) {
        for (size_t s = 0; s < std::size(states); ++s) {
            auto unit = UnitIn(states[s]);
            EXPECT_EQ(row.Call(*unit), row.Replies[s]) << row.Label << " when " << Name(states[s]);
        }
    }
}

TEST(VirtualUnitStates, StatusOfEachState)
{
    struct Case {
        UnitState State;
        uint8_t SenseKey;
        uint8_t Sensors;
    };
    // Feeder 1, trigger 2, retained 64, just ON 128.
    const Case cases[] = {
        {UnitState::Open, 0, 0x81},
        {UnitState::DocumentHeld, 0, 0xC1},
        {UnitState::FeederEmpty, 6, 0x80},
        {UnitState::Jammed, 3, 0xC3},
    };
    for (const Case& c : cases) {
        auto unit = UnitIn(c.State);
        EXPECT_EQ(unit->SenseKey(), c.SenseKey) << Name(c.State);
        EXPECT_EQ(unit->Sensors(), c.Sensors) << Name(c.State);
    }
}

TEST(VirtualUnitStates, OpeningTwiceRepliesAlreadyConnectedWithTheSameHandle)
{
    OpenUnit unit;
    uint16_t second = 0;
    EXPECT_EQ(unit.Api().VnConnect(nullptr, nullptr, 40, &second), 5);
    EXPECT_EQ(second, unit.Handle);
    // The handle stays usable, as the status command relies on.
    EXPECT_EQ(unit.SenseKey(), 0);

    ASSERT_EQ(unit.Api().VnDisconnect(unit.Handle, nullptr), 0);
    uint16_t third = 0;
    ASSERT_EQ(unit.Api().Varn_Open(nullptr, nullptr, 40, &third), 0);
    EXPECT_NE(third, unit.Handle) << "a new connection gets a new handle";
    uint8_t sense = 0;
    EXPECT_EQ(unit.Api().Varn_PeripheralStatus(unit.Handle, nullptr, &sense, nullptr), -3) << "stale handle";
    EXPECT_EQ(unit.Api().VnDisconnect(unit.Handle, nullptr), -3);
    EXPECT_EQ(unit.Api().VnDisconnect(third, nullptr), 0);
}

TEST(VirtualUnitStates, ConnectionTypesAndAddresses)
{
    auto pair = CreateVirtualUnit(TestUnitSetup());
    VnApi& api = *pair.Api;
    uint16_t handle = 0;
    EXPECT_EQ(api.Vn_SetIPAddress(39, "192.168.1.50", 4000), 0);
    EXPECT_EQ(api.Varn_Open(nullptr, nullptr, 39, &handle), -109);
    EXPECT_EQ(api.VnSetNetworkNodeName(40, "VARNBOX", 4001), 0);
    VirtualUnitState state = pair.Control.State();
    EXPECT_EQ(state.IpAddress, "192.168.1.50");
    EXPECT_EQ(state.NodeName, "VARNBOX");
    EXPECT_EQ(state.Port, 4001);
    EXPECT_EQ(state.AddressConnectionType, 40);
    EXPECT_FALSE(state.Open);

    EXPECT_EQ(api.Vn_SetIPAddress(12, "10.0.0.1", 4000), -9);
    EXPECT_EQ(api.Varn_Open(nullptr, nullptr, 12, &handle), -1000);
    EXPECT_EQ(api.Varn_Open(nullptr, nullptr, 40, nullptr), -9);
    EXPECT_EQ(api.Varn_Open(nullptr, nullptr, 40, &handle), 0);
    EXPECT_TRUE(pair.Control.State().Open);
    // While the USB unit is open, the network box still does not answer.
    EXPECT_EQ(api.VnConnect(nullptr, nullptr, 39, &handle), -109);
}

TEST(VirtualUnitStates, ResetsClearJustOnAndJamAndFreeThePath)
{
    auto unit = UnitIn(UnitState::Jammed);
    // '0' clears the error, but the stuck document is still in the path.
    ASSERT_EQ(unit->Api().Varn_Reset(unit->Handle, nullptr, '0'), 0);
    EXPECT_EQ(unit->SenseKey(), 0);
    EXPECT_EQ(unit->Sensors(), 0x43) << "just ON gone, document still over the trigger";
    EXPECT_EQ(unit->Feed(), -7) << "the stuck document blocks the next feed";
    EXPECT_EQ(unit->SenseKey(), 3);

    ASSERT_EQ(unit->Api().Varn_Reset(unit->Handle, nullptr, '1'), 0);
    EXPECT_EQ(unit->SenseKey(), 0);
    EXPECT_EQ(unit->Sensors(), 0x01);
    EXPECT_EQ(unit->Feed(), 0);
    EXPECT_EQ(unit->Control().State().LastReset, '1');
    EXPECT_EQ(unit->Control().State().Resets, 2u);
}

TEST(VirtualUnitStates, FreeingThePathDropsAHeldDocument)
{
    auto unit = UnitIn(UnitState::DocumentHeld);
    const size_t inFeeder = unit->Control().State().FeederCount;
    ASSERT_EQ(unit->Api().Varn_Reset(unit->Handle, nullptr, '1'), 0);
    EXPECT_FALSE(unit->Control().State().DocumentInPath);
    EXPECT_EQ(unit->Control().State().FeederCount, inFeeder);
    EXPECT_EQ(unit->Release(), -9) << "nothing left to release";
}

TEST(VirtualUnitStates, JustOnLastsUntilTheFirstResetAndReturnsAfterAPowerCycle)
{
    OpenUnit unit;
    EXPECT_TRUE(unit.Sensors() & 0x80);
    unit.Feed();
    EXPECT_TRUE(unit.Sensors() & 0x80) << "work alone does not clear it";
    unit.Api().Varn_Reset(unit.Handle, nullptr, '0');
    EXPECT_FALSE(unit.Sensors() & 0x80);

    unit.Control().PowerCycle();
    EXPECT_FALSE(unit.Control().State().Open);
    uint8_t sense = 0;
    EXPECT_EQ(unit.Api().Varn_PeripheralStatus(unit.Handle, nullptr, &sense, nullptr), -3);
    ASSERT_EQ(unit.Api().Varn_Open(nullptr, nullptr, 40, &unit.Handle), 0);
    EXPECT_TRUE(unit.Sensors() & 0x80);
    EXPECT_EQ(unit.Control().State().History.PowerOns, 2u);
}

TEST(VirtualUnitStates, FeedingEmptiesTheFeederAndThenRepliesFeederEmpty)
{
    VirtualUnitSetup setup = TestUnitSetup();
    setup.GeneratedCheques = 2;
    OpenUnit unit(setup);
    EXPECT_EQ(unit.Feed(), 0);
    EXPECT_EQ(unit.Sensors() & 1, 1);
    EXPECT_EQ(unit.Feed(), 0);
    EXPECT_EQ(unit.Sensors() & 1, 0) << "the bench's 'another document waits' bit";
    EXPECT_EQ(unit.Feed(1, 'W'), 1);
    EXPECT_EQ(unit.Feed(1, 'G'), 1);
    EXPECT_EQ(unit.SenseKey(), 6);
    unit.Control().LoadCheques(1);
    EXPECT_EQ(unit.SenseKey(), 0);
    EXPECT_EQ(unit.Feed(), 0);
}

TEST(VirtualUnitStates, HoldThenGiveBackAsTheMicrCalibrationDoes)
{
    OpenUnit unit;
    ASSERT_EQ(unit.Feed(0), 0);
    const std::string held = unit.Control().State().DocumentInPath ? "held" : "";
    EXPECT_EQ(held, "held");
    EXPECT_EQ(unit.Feed(0), -9) << "cannot take a second document while one is held";
    EXPECT_EQ(unit.Release(0), -9) << "releasing to 'retained' is no move";
    EXPECT_EQ(unit.Release(5), 0);
    EXPECT_EQ(unit.Release(5), -9);
    EXPECT_EQ(unit.Feed(7), -9) << "destinations are 0, 1 and 5";
    const HistoryRecord h = unit.Control().State().History;
    EXPECT_EQ(h.DocumentsProcessed, 1u);
    EXPECT_EQ(h.DocumentsRetained, 1u);
}

TEST(VirtualUnitStates, DoubleFeedWarnsAndTakesTwoSheets)
{
    VirtualUnitSetup setup = TestUnitSetup();
    setup.GeneratedCheques = 4;
    OpenUnit unit(setup);
    unit.Control().ArmDocumentFault(1, DocumentFaultKind::DoubleFeed);
    EXPECT_EQ(unit.Feed(), 0);
    EXPECT_EQ(unit.SenseKey(), 25);
    EXPECT_EQ(unit.Control().State().FeederCount, 2u);
    EXPECT_EQ(unit.Feed(), 0);
    EXPECT_EQ(unit.SenseKey(), 0) << "the warning is about the last feed only";
}

TEST(VirtualUnitStates, HistoryCountsWhatTheUnitDidAndCanBeErased)
{
    VirtualUnitSetup setup = TestUnitSetup();
    OpenUnit unit(setup);
    // Stamp and print on a unit with a voiding stamp and an ink-jet printer.
    ASSERT_EQ(unit.Api().Varn_DocHandle(unit.Handle, nullptr, 1, 1, 1, 'X', 5, 0, 1, 'G', 0, nullptr, 0, 0), 0);
    ASSERT_EQ(unit.Feed(0), 0);
    ASSERT_EQ(unit.Release(5), 0);
    unit.Control().ArmDocumentFault(1, DocumentFaultKind::Jam);
    ASSERT_EQ(unit.Feed(), -7);

    HistoryRecord record;
    ASSERT_EQ(unit.Api().Varn_HistoryCommand(unit.Handle, nullptr, 1, &record), 0);
    EXPECT_EQ(record.Size, 40);
    EXPECT_EQ(record.DocumentsProcessed, 2u);
    EXPECT_EQ(record.DocumentsStamped, 1u);
    EXPECT_EQ(record.DocumentsPrinted, 1u);
    EXPECT_EQ(record.DocumentsRetained, 1u);
    EXPECT_EQ(record.FeederJams, 1u);
    EXPECT_EQ(record.PowerOns, 1u);

    EXPECT_EQ(unit.Api().Varn_HistoryCommand(unit.Handle, nullptr, 2, nullptr), 0);
    ASSERT_EQ(unit.Api().Varn_HistoryCommand(unit.Handle, nullptr, 1, &record), 0);
    EXPECT_EQ(record.DocumentsProcessed + record.FeederJams + record.PowerOns, 0u);

    EXPECT_EQ(unit.Api().Varn_HistoryCommand(unit.Handle, nullptr, 1, nullptr), -9);
    EXPECT_EQ(unit.Api().Varn_HistoryCommand(unit.Handle, nullptr, 3, &record), -9);
    record.Size = 20;
    EXPECT_EQ(unit.Api().Varn_HistoryCommand(unit.Handle, nullptr, 1, &record), -10);
}

TEST(VirtualUnitStates, UnitWithoutStampOrPrinterCountsNeither)
{
    VirtualUnitSetup setup = TestUnitSetup();
    setup.Features = {0x01, 0x03, 0, 0};
    OpenUnit unit(setup);
    ASSERT_EQ(unit.Api().Varn_DocHandle(unit.Handle, nullptr, 1, 1, 1, 'X', 5, 0, 1, 'G', 0, nullptr, 0, 0), 0);
    EXPECT_EQ(unit.Control().State().History.DocumentsStamped, 0u);
    EXPECT_EQ(unit.Control().State().History.DocumentsPrinted, 0u);
    EXPECT_EQ(unit.Api().Varn_DocHandle(unit.Handle, nullptr, 0, 0, 1, 'X', 5, 0, 1, 'G', 0, nullptr, 1, 0), 19)
        << "no card processing fitted";
}

TEST(VirtualUnitStates, TwoThreadsShareOneUnit)
{
    OpenUnit unit;
    VnApi& api = unit.Api();
    const uint16_t handle = unit.Handle;
    auto statusLoop = [&] {
        int failures = 0;
        for (int i = 0; i < 300; ++i) {
            uint8_t sense = 0;
            uint8_t sensors[2] = {};
            failures += api.Varn_PeripheralStatus(handle, nullptr, &sense, sensors) != 0;
            failures += (sensors[0] & 0x01) != 0x01;
        }
        return failures;
    };
    auto identifyLoop = [&] {
        int failures = 0;
        for (int i = 0; i < 300; ++i) {
            char model[VnIdentifyTextSize] = {};
            uint8_t features[VnFeatureBytesSize] = {};
            failures += api.Varn_Identify(handle, nullptr, features, model, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr, 0, 0, 0, 0, 0) != 0;
            failures += std::strcmp(model, "Varn SD") != 0;
            unit.Control().State(); // the test side reads meanwhile
        }
        return failures;
    };
    int statusFailures = 0;
    std::thread worker([&] { statusFailures = statusLoop(); });
    const int identifyFailures = identifyLoop();
    worker.join();
    EXPECT_EQ(statusFailures, 0);
    EXPECT_EQ(identifyFailures, 0);
}

} // namespace

// What the panel shows and does: pockets, taking a document out, the fresh
// kept values, and the control found behind a library.
TEST(VirtualUnitPanelControl, PocketsRemovalFreshValuesAndControlOf)
{
    OpenUnit unit;
    const auto top = unit.Control().State().Feeder.at(0);
    ASSERT_EQ(unit.Feed(0), 0); // held: the retained pocket
    EXPECT_EQ(unit.Control().State().InPath->Codeline, top.Codeline);
    ASSERT_EQ(unit.Release(5), 0);
    ASSERT_EQ(unit.Feed(1), 0);
    const VirtualUnitState s = unit.Control().State();
    EXPECT_EQ(s.Retained.Count, 1u);
    EXPECT_EQ(s.Ejected.Count, 1u);
    EXPECT_EQ(s.Ejected.Last->Codeline, top.Codeline);
    EXPECT_EQ(s.Sorted.Count, 1u);
    EXPECT_FALSE(s.InPath);

    const size_t n = s.Feeder.size();
    EXPECT_FALSE(unit.Control().RemoveDocument(n)) << "one past the bottom";
    const std::string second = s.Feeder.at(n - 2).Codeline;
    EXPECT_TRUE(unit.Control().RemoveDocument(n - 1));
    EXPECT_EQ(unit.Control().State().Feeder.back().Codeline, second);

    const uint8_t fresh = s.Trimmer;
    ASSERT_EQ(unit.Api().Varn_SetTrimmerMICR(unit.Handle, nullptr, 0, uint8_t(fresh + 7)), 0);
    EXPECT_TRUE(unit.Control().ResetKeptValues());
    EXPECT_EQ(unit.Control().State().Trimmer, fresh);

    EXPECT_TRUE(unit.Control().LoadDocumentsFromText("Document = Cheque | Micr = CMC7"));
    const DocumentSummary cmc7 = unit.Control().State().Feeder.back();
    EXPECT_EQ(cmc7.Details.substr(0, 4), "CMC7");
    EXPECT_FALSE(cmc7.Codeline.empty()) << "a CMC7 cheque without a codeline is generated";

    EXPECT_TRUE(ControlOf(unit.Api()).Valid());
    EXPECT_FALSE(ControlOf(*CreateNoUnitApi()).Valid());
}
