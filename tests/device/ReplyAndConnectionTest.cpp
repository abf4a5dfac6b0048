#include <gtest/gtest.h>

#include <cstring>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/ReplyCodes.h"

namespace {

struct Fixture : ::testing::Test {
    BenchState State;
    RecordingVnApi Api;
    ScriptedOperator Op;
    Bench MakeBench() { return Bench{State, Api, Op}; }
};

} // namespace

TEST(ReportReply, ZeroShowsNothing)
{
    ScriptedOperator op;
    EXPECT_EQ(ReportReply(op, 0, "Varn_Open"), 0);
    EXPECT_TRUE(op.Messages.empty());
}

TEST(ReportReply, KnownCodesShowLabelBlankLineAndText)
{
    ScriptedOperator op;
    EXPECT_EQ(ReportReply(op, -3, "Varn_Open"), 1);
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_EQ(op.Messages[0].Title, "Varn ERROR");
    EXPECT_EQ(op.Messages[0].Text, "Varn_Open\n\nPeripheral not found.\n\nPossible reasons: peripheral is switched "
                                   "off or not connected to the USB bus.");
    EXPECT_EQ(op.Messages[0].Buttons, MessageButtons::Ok);
    EXPECT_EQ(op.Messages[0].Icon, MessageIcon::None);
}

TEST(ReportReply, UnknownCodeReplacesTheWholeText)
{
    ScriptedOperator op;
    EXPECT_EQ(ReportReply(op, 7, "Varn_DocHandle"), 1);
    EXPECT_EQ(op.Messages.at(0).Text, "UNKNOWN REPLY CODE NUMBER 7");
    ReportReply(op, -1101, "Varn_GetDocData");
    EXPECT_EQ(op.Messages.at(1).Text, "UNKNOWN REPLY CODE NUMBER -1101");
}

TEST_F(Fixture, NetworkBoxIsAddressedByIpOrByNodeName)
{
    auto bench = MakeBench();
    PrepareNetworkBox(bench);
    ASSERT_EQ(Api.Trace(), std::vector<std::string>{"Vn_SetIPAddress(40, \"127.0.0.1\", 4000)"});

    Api.Clear();
    State.Settings.ConnectByNodeName = 1;
    State.ConnectionType = 39;
    SetText(State.Settings.BoxNodeName, "varnbox");
    State.Settings.BoxPort = 4100;
    Api.SetReply("VnSetNetworkNodeName", -109);
    PrepareNetworkBox(bench);
    ASSERT_EQ(Api.Trace(), std::vector<std::string>{"VnSetNetworkNodeName(39, \"varnbox\", 4100)"});
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_TRUE(Op.Messages[0].Text.startsWith("VnSetNetworkNodeName\n\n"));
}

TEST_F(Fixture, AnAddressFillingItsWholeFieldIsPassedWithoutWhatFollowsIt)
{
    struct Case {
        uint32_t ByNodeName;
        std::string Expected;
    };
    // No terminator in either field; the bytes after each (the port, the
    // by-name flag) are not zero.
    State.Settings.BoxIpAddress.fill('1');
    State.Settings.BoxNodeName.fill('n');
    State.Settings.BoxPort = 4000;
    const std::string ip(20, '1');
    const std::string node(40, 'n');
    const Case cases[] = {
        {0, "Vn_SetIPAddress(40, \"" + ip + "\", 4000)"},
        {1, "VnSetNetworkNodeName(40, \"" + node + "\", 4000)"},
    };
    for (const Case& c : cases) {
        Api.Clear();
        State.Settings.ConnectByNodeName = c.ByNodeName;
        auto bench = MakeBench();
        PrepareNetworkBox(bench);
        EXPECT_EQ(Api.Trace(), std::vector<std::string>{c.Expected});
    }
}

TEST_F(Fixture, OpenRulesDecideWhatIsReportedAndWhetherTheCommandGoesOn)
{
    struct Case {
        OpenRule Rule;
        int32_t Reply;
        bool Proceed;
        bool Reported;
    };
    const Case cases[] = {
        {OpenRule::ReportAndGoOn, 0, true, false},          {OpenRule::ReportAndGoOn, 5, true, false},
        {OpenRule::ReportAndGoOn, -3, true, true},          {OpenRule::AlreadyConnectedGoesOn, 5, true, false},
        {OpenRule::AlreadyConnectedGoesOn, -3, false, true}, {OpenRule::Ignore, -3, true, false},
        {OpenRule::AnyFailureStops, 5, false, true},        {OpenRule::AnyFailureStops, 0, true, false},
    };
    for (const auto& c : cases) {
        Op.Messages.clear();
        Api.SetReply("VnConnect", c.Reply);
        auto bench = MakeBench();
        const OpenResult result = OpenUnit(bench, OpenOperation::VnConnect, c.Rule);
        EXPECT_EQ(result.Reply, c.Reply);
        EXPECT_EQ(result.Proceed, c.Proceed) << int(c.Rule) << " reply " << c.Reply;
        EXPECT_EQ(!Op.Messages.empty(), c.Reported) << int(c.Rule) << " reply " << c.Reply;
        if (c.Reported) {
            EXPECT_TRUE(Op.Messages[0].Text.startsWith("Varn_Open\n\n"));
        }
    }
}

TEST_F(Fixture, OpenPreparesTheBoxFirstAndPassesTheConnectionType)
{
    auto bench = MakeBench();
    OpenUnit(bench, OpenOperation::VarnOpen, OpenRule::AnyFailureStops);
    ASSERT_EQ(Api.Names(), (std::vector<std::string>{"Vn_SetIPAddress", "Varn_Open"}));
    EXPECT_EQ(Api.Calls()[1].Args[2], "40");
    EXPECT_EQ(Api.Calls()[1].Pointers[3], &State.UnitHandle);
}

TEST(UnitGeneration, FirstGenerationNeedsVarnModelAndEarlyFirmware)
{
    EXPECT_EQ(UnitGenerationFor("Varn SD", "1.19"), 39);
    EXPECT_EQ(UnitGenerationFor("Varn", "1.0"), 39);
    EXPECT_EQ(UnitGenerationFor("Varn SD", "1.20"), 40);
    EXPECT_EQ(UnitGenerationFor("Varn SD", "2.05"), 40);
    EXPECT_EQ(UnitGenerationFor("VarX SD", "1.05"), 40);
    EXPECT_EQ(UnitGenerationFor("varn SD", "1.05"), 40);
    EXPECT_EQ(UnitGenerationFor("Varn", "1"), 39) << "no number after the digit reads as 0";
}

TEST_F(Fixture, IdentifySetsTheGenerationOnlyWhenItSucceeds)
{
    Api.SetHook("Varn_Identify", [](ApiCall& call) {
        std::strcpy(static_cast<char*>(call.Pointers[3]), "Varn SD");
        std::strcpy(static_cast<char*>(call.Pointers[4]), "1.07");
    });
    auto bench = MakeBench();
    EXPECT_EQ(IdentifyForGeneration(bench), 0);
    EXPECT_EQ(State.UnitGeneration, 39);

    Api.SetReply("Varn_Identify", -3);
    EXPECT_EQ(IdentifyForGeneration(bench), -3);
    EXPECT_EQ(State.UnitGeneration, 40);
    EXPECT_TRUE(Op.Messages.empty()) << "an identify failure here is not reported";
}
