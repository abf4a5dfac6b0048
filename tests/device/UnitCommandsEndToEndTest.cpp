// The unit commands against the virtual unit.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "device/UnitCommands.h"
#include "vnapi/VirtualUnitTestApi.h"

namespace {

struct VirtualUnitCommands : ::testing::Test {
    BenchState State;
    VirtualUnitPair Unit = CreateVirtualUnit(TestUnitSetup());
    ScriptedOperator Op;
    Bench MakeBench() { return Bench{State, *Unit.Api, Op}; }
};

} // namespace

TEST_F(VirtualUnitCommands, FullFeaturedUnitIdentifies)
{
    auto bench = MakeBench();
    EXPECT_EQ(IdentifyUnit(bench, true), 0);
    ASSERT_EQ(Op.Messages.size(), 1u);
    const QString text = Op.Messages[0].Text;
    EXPECT_TRUE(text.startsWith("Device Name : Varn")) << text.toStdString();
    for (const char* line : {"MICR reader\n", "Card Processing\n", "Endorsement Ink-jet printer\n",
                             "Voiding front stamp\n", "Scanner FRONT\n", "Scanner BACK\n", "Badge reader tracks 1/2/3\n"})
        EXPECT_TRUE(text.contains(line)) << line;
    EXPECT_FALSE(text.contains("None"));
    EXPECT_FALSE(Unit.Control.State().Open) << "the unit is closed after the command";
}

TEST_F(VirtualUnitCommands, StatusIsOkAndResetFreesThePath)
{
    QString sense;
    Op.QueueDialog([&](QDialog& dialog) {
        sense = dialog.findChild<QLabel*>("SenseKeyText")->text();
        return 1;
    });
    auto bench = MakeBench();
    ShowPeripheralStatus(bench);
    EXPECT_EQ(sense, "Peripheral Ok !");
    EXPECT_TRUE(Op.Messages.empty());

    ResetUnit(bench, '1');
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Text, "Reset OK !");
    EXPECT_EQ(Unit.Control.State().LastReset, '1');
    EXPECT_FALSE(Unit.Control.State().Open);
}

TEST_F(VirtualUnitCommands, ArmedFaultsShowTheirBoxAndTheUnitIsClosedEveryTime)
{
    struct Case {
        const char* Operation;
        int32_t Reply;
        const char* Expected;
        void (*Run)(Bench&);
    };
    const Case cases[] = {
        {"Varn_Open", -3, "Varn_Open\n\nPeripheral not found.", [](Bench& b) { IdentifyUnit(b, true); }},
        {"Varn_Identify", -4, "Varn_Identify\n\nPeripheral hardware error.", [](Bench& b) { IdentifyUnit(b, true); }},
        {"Varn_Open", -2, "Varn_Open\n\nThe module was unable", [](Bench& b) { ShowPeripheralStatus(b); }},
        {"Varn_Reset", -7, "Varn_Reset\n\nDocument jammed.", [](Bench& b) { ResetUnit(b, '0'); }},
    };
    for (const auto& c : cases) {
        Op.Messages.clear();
        ASSERT_TRUE(Unit.Control.ArmOperationFault(c.Operation, c.Reply));
        auto bench = MakeBench();
        c.Run(bench);
        ASSERT_EQ(Op.Messages.size(), 1u) << c.Operation;
        EXPECT_EQ(Op.Messages[0].Title, "Varn ERROR");
        EXPECT_TRUE(Op.Messages[0].Text.startsWith(c.Expected)) << Op.Messages[0].Text.toStdString();
        EXPECT_FALSE(Unit.Control.State().Open) << c.Operation;
    }
}

TEST_F(VirtualUnitCommands, InterfaceTestFromTheProgramFolderShowsNothing)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QFileInfo(APPVNAPI_PATH).absolutePath()));
    auto bench = MakeBench();
    RunInterfaceTest(bench);
    QDir::setCurrent(previous);
    EXPECT_TRUE(Op.Messages.empty()) << (Op.Messages.empty() ? "" : Op.Messages[0].Text.toStdString());
}
