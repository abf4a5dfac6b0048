// The maintenance commands on the virtual unit.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "core/CommandIds.h"
#include "core/CommandRegistry.h"
#include "device/UnitCommands.h"
#include "documents/AutoDocRun.h"
#include "maintenance/DumpMemoryDialog.h"
#include "maintenance/HistoryDataDialog.h"
#include "maintenance/MaintenanceCommands.h"
#include "maintenance/SetupDialog.h"
#include "vnapi/VirtualUnitTestApi.h"

namespace {

struct Maintenance : ::testing::Test {
    QTemporaryDir Dir;
    BenchState State;
    VirtualUnitSetup Setup = TestUnitSetup(6);
    VirtualUnitPair Unit;
    ScriptedOperator Op;
    CommandRegistry Registry;

    void SetUp() override
    {
        State.ProgramFolder = Dir.path().toStdString() + "/";
        Setup.MemoryFile = Dir.filePath("VarnUnit.mem").toStdString();
        Unit = CreateVirtualUnit(Setup);
        RegisterMaintenanceCommands(Registry);
    }
    Bench MakeBench() { return Bench{State, *Unit.Api, Op}; }
    // "History Data" as it opens: the counter fields by name.
    std::string Shown(const char* field)
    {
        auto bench = MakeBench();
        HistoryDataDialog dialog(bench);
        return dialog.findChild<QLineEdit*>(field)->text().toStdString();
    }
    std::vector<uint8_t> Memory()
    {
        uint16_t h = 0;
        std::vector<uint8_t> bytes(36864);
        EXPECT_EQ(Unit.Api->VnConnect(nullptr, nullptr, 40, &h), 0);
        EXPECT_EQ(Unit.Api->Varn_DumpPeripheralMemory(h, nullptr, bytes.data(), 36864, 0, 0), 0);
        Unit.Api->VnDisconnect(h, nullptr);
        return bytes;
    }
};

} // namespace

TEST_F(Maintenance, HistoryCountsAnAutomaticRunAndKeepsItAcrossARestart)
{
    EXPECT_EQ(Shown("ProcessedValue"), "0");
    EXPECT_EQ(Shown("PowerOnsValue"), "1");
    Unit.Control.EmptyFeeder();
    Unit.Control.LoadCheques(7);
    State.Settings.CodelineType = 1;
    State.Settings.DocDestination = 1;
    State.Settings.DocumentCount = 0; // the whole stack
    State.ViewImageOption = 0;
    auto bench = MakeBench();
    // The document commands open the unit around the run.
    ASSERT_EQ(Unit.Api->VnConnect(nullptr, nullptr, 40, &State.UnitHandle), 0);
    RunAutoDocHandle(bench);
    Unit.Api->VnDisconnect(State.UnitHandle, nullptr);
    EXPECT_EQ(Shown("ProcessedValue"), "7");
    Unit = CreateVirtualUnit(Setup); // switched off and on: a new unit on the same memory file
    EXPECT_EQ(Shown("ProcessedValue"), "7");
    EXPECT_EQ(Shown("PowerOnsValue"), "2");
}

TEST_F(Maintenance, EraseOnlyAfterYesThenShowsWhatTheUnitReports)
{
    auto bench = MakeBench();
    HistoryDataDialog dialog(bench);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("PowerOnsValue")->text(), "1");
    EXPECT_TRUE(dialog.findChild<QLineEdit*>("E13bErrorsValue")->isHidden());
    Op.QueueAnswers({MessageAnswer::No, MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::Yes});
    dialog.findChild<QPushButton*>("EraseButton")->click();
    EXPECT_EQ(Unit.Control.State().History.PowerOns, 1u) << "No erases nothing";
    Unit.Control.PowerCycle();
    Unit.Control.ArmOperationFault("Varn_HistoryCommand", -4);
    dialog.findChild<QPushButton*>("EraseButton")->click();
    EXPECT_EQ(Op.Messages.back().Text, "Varn_HistoryCommand\n\nPeripheral hardware error.");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("PowerOnsValue")->text(), "2") << "read again after the failed erase";
    dialog.findChild<QPushButton*>("EraseButton")->click();
    EXPECT_EQ(Op.Messages.back().Text, "Are you sure to ERASE peripheral data history ?");
    EXPECT_EQ(Op.Messages.back().Icon, MessageIcon::Question);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("PowerOnsValue")->text(), "0");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("WorkTimeValue")->text(), "0:00:00");
    EXPECT_EQ(Op.Messages.size(), 4u) << "no further error";
}

TEST_F(Maintenance, SetupWrittenIsWhatTheIdentifyShowsAndExitStoresIt)
{
    auto bench = MakeBench();
    SetupDialog dialog(bench);
    dialog.Select({0, 0, 0, 0, 0, 0});
    dialog.findChild<QPushButton*>("WriteButton")->click();
    EXPECT_EQ(Unit.Control.State().Configuration, (std::array<uint8_t, 4>{0x40, 0x43, 0x40, 0x40}));
    IdentifyUnit(bench, true);
    EXPECT_FALSE(Op.Messages.back().Text.contains("MICR reader"));
    EXPECT_TRUE(Op.Messages.back().Text.endsWith("Scanner FRONT\nScanner BACK\n"));

    dialog.Select({1, 1, 1, 3, 1, 1});
    dialog.findChild<QPushButton*>("WriteButton")->click();
    dialog.Select({0, 0, 0, 1, 0, 0});
    dialog.findChild<QPushButton*>("ReadButton")->click();
    EXPECT_EQ(dialog.Choices(), (SetupChoices{1, 1, 1, 3, 1, 1})) << "read back from the unit";
    IdentifyUnit(bench, true);
    for (const char* line : {"MICR reader\n", "USB Powered\n", "Badge reader tracks 1/2/3\n"})
        EXPECT_TRUE(Op.Messages.back().Text.contains(line)) << line;

    Unit.Control.ArmOperationFault("Varn_Identify", -4);
    dialog.Select({0, 0, 0, 0, 0, 0});
    dialog.findChild<QPushButton*>("ReadButton")->click();
    EXPECT_EQ(dialog.Choices(), (SetupChoices{1, 1, 1, 3, 1, 1})) << "the last good identification";
    EXPECT_EQ(State.Settings.SetupBadgeReader, 0);
    dialog.findChild<QPushButton*>("ExitButton")->click();
    EXPECT_EQ(ChoicesFromSettings(State.Settings), (SetupChoices{1, 1, 1, 3, 1, 1}));
}

TEST_F(Maintenance, CalibrationsAskFirstThenChangeWhatTheUnitKeeps)
{
    Setup.StreakMm = 12.5;
    Unit = CreateVirtualUnit(Setup);
    auto bench = MakeBench();
    Op.QueueAnswers({MessageAnswer::No, MessageAnswer::No});
    Registry.Find(Cmd::ScannerCalibration)->Handler(bench);
    Registry.Find(Cmd::PathCalibration)->Handler(bench);
    EXPECT_EQ(Op.Messages.size(), 2u);
    EXPECT_EQ(Op.Messages[0].Text, "WARNING !!!\n\nYou destroy the current peripheral calibration !\n\nDo you want to continue ?");
    EXPECT_EQ(Op.Messages[0].Buttons, MessageButtons::YesNo);
    EXPECT_EQ(Op.Messages[0].Icon, MessageIcon::Information);
    EXPECT_EQ(Memory()[0x90], 0xFF) << "no shading before";
    EXPECT_LT(Memory()[0x94] | Memory()[0x95] << 8, 200) << "weak emitter before";

    Registry.Find(Cmd::ScannerCalibration)->Handler(bench);
    Registry.Find(Cmd::PathCalibration)->Handler(bench);
    EXPECT_EQ(Op.Messages.size(), 4u) << "no error";
    const VirtualUnitState s = Unit.Control.State();
    EXPECT_EQ(s.ScannerCalibrations, 1u);
    EXPECT_EQ(s.PhotosCalibrations, 1u);
    EXPECT_FALSE(s.Open);
    const auto m = Memory();
    EXPECT_EQ(m[0x90] | m[0x91] << 8, 125) << "front element at 12.5 mm evened out";
    EXPECT_NEAR(m[0x94] | m[0x95] << 8, 256, 3);
}

TEST_F(Maintenance, DumpFileLaidOutAndBadFoldersRefused)
{
    auto bench = MakeBench();
    const QString path = Dir.filePath("Dump.txt");
    {
        DumpMemoryDialog dialog(bench);
        EXPECT_EQ(dialog.findChild<QLineEdit*>("DumpFileName")->text(), Dir.filePath("DumpMemory.txt"));
        dialog.findChild<QLineEdit*>("DumpFileName")->setText(path);
        dialog.findChild<QPushButton*>("OK")->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 2304);
    EXPECT_TRUE(lines[0].startsWith("00000000: 56 41 52 4E 2D 4D 45 4D - ")) << "VARN-MEM";
    EXPECT_EQ(lines[1].size(), 60) << "59 characters and CR";
    EXPECT_TRUE(lines[1].endsWith('\r'));
    EXPECT_TRUE(lines[2303].startsWith("00008FF0: ")) << lines[2303].constData();
    EXPECT_EQ(lines[2303].size(), 59);
    EXPECT_FALSE(text.endsWith('\n'));
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), 2) << "the dump and the memory file, no temporary";

    DumpMemoryDialog dialog(bench);
    dialog.findChild<QLineEdit*>("DumpFileName")->setText(Dir.filePath("missing/Dump.txt"));
    dialog.findChild<QPushButton*>("OK")->click();
    EXPECT_TRUE(Op.Messages.back().Text.startsWith("The folder of the dump file does not exist:"));
    EXPECT_TRUE(dialog.findChild<QPushButton*>("OK")->isEnabled()) << "the name can be corrected";
    Unit.Control.ArmOperationFault("Varn_DumpPeripheralMemory", -4);
    dialog.findChild<QLineEdit*>("DumpFileName")->setText(Dir.filePath("Failed.txt"));
    dialog.findChild<QPushButton*>("OK")->click();
    EXPECT_EQ(Op.Messages.back().Text, "Varn_DumpPeripheralMemory\n\nPeripheral hardware error.");
    EXPECT_FALSE(QFile::exists(Dir.filePath("Failed.txt")));
}
