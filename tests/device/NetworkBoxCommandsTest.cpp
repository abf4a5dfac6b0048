// The bench with "Vn with &IP Box": the unit commands reach the box's unit,
// and a box that is not there gives its message.
#include <gtest/gtest.h>

#include <thread>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "device/UnitCommands.h"
#include "vnapi/NetworkBox.h"
#include "vnapi/VirtualUnitTestApi.h"

TEST(NetworkBoxCommands, IdentifyShowsTheBoxsUnitThenTheMissingBox)
{
    VirtualUnitSetup boxSetup = TestUnitSetup(3);
    boxSetup.Model = "Varn BOXED";
    VirtualUnitPair hosted = CreateVirtualUnit(boxSetup);
    auto box = std::make_unique<NetworkBox>(*hosted.Api, NetworkBoxOptions{"127.0.0.1", 0});
    std::string error;
    ASSERT_TRUE(box->Start(&error)) << error;
    std::thread serving([&] { box->Run(); });

    BenchState state;
    state.ConnectionType = VnConnectionNetworkBox;
    state.Settings.ConnectByNodeName = 0;
    SetText(state.Settings.BoxIpAddress, "127.0.0.1");
    state.Settings.BoxPort = box->Port();
    VirtualUnitPair local = CreateVirtualUnit(TestUnitSetup(3));
    ScriptedOperator op;
    Bench bench{state, *local.Api, op};

    EXPECT_EQ(IdentifyUnit(bench, true), 0);
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_TRUE(op.Messages[0].Text.startsWith("Device Name : Varn BOXED\n")) << op.Messages[0].Text.toStdString();
    EXPECT_FALSE(hosted.Control.State().Open) << "closed after the command";

    box->Stop();
    serving.join();
    box.reset();
    op.Messages.clear();
    EXPECT_EQ(IdentifyUnit(bench, true), VnReplyBoxNotFound);
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_EQ(op.Messages[0].Text, "Varn_Open\n\nVnConnect Box IP address not founded !");
}
