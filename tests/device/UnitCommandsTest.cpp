#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <cstring>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "device/PeripheralStatusDialog.h"
#include "device/UnitCommands.h"

namespace {

struct UnitCommands : ::testing::Test {
    BenchState State;
    RecordingVnApi Api;
    ScriptedOperator Op;
    Bench MakeBench() { return Bench{State, Api, Op}; }

    void UnitIdentifiesAs(uint8_t b0, uint8_t b1, const char* internal = "", uint8_t board = 0)
    {
        Api.SetHook("Varn_Identify", [=](ApiCall& call) {
            auto* features = static_cast<uint8_t*>(call.Pointers[2]);
            features[0] = b0;
            features[1] = b1;
            std::strcpy(static_cast<char*>(call.Pointers[3]), "Varn SD");
            std::strcpy(static_cast<char*>(call.Pointers[4]), "2.14");
            std::strcpy(static_cast<char*>(call.Pointers[5]), "2026/03/02");
            std::strcpy(static_cast<char*>(call.Pointers[6]), internal);
            static_cast<uint8_t*>(call.Pointers[7])[0] = board;
            static_cast<uint8_t*>(call.Pointers[7])[1] = 'C';
        });
    }
};

} // namespace

TEST_F(UnitCommands, IdentifyListsTheFeaturesOfTheUnit)
{
    UnitIdentifiesAs(1, 3 + 16);
    auto bench = MakeBench();
    EXPECT_EQ(IdentifyUnit(bench, true), 0);
    EXPECT_EQ(Api.Names(), (std::vector<std::string>{"Vn_SetIPAddress", "Varn_Open", "Varn_Identify", "VnDisconnect"}));
    const auto identify = Api.CallsOf("Varn_Identify").at(0);
    EXPECT_EQ(identify.Args[8], "null");
    EXPECT_EQ(std::vector<std::string>(identify.Args.begin() + 10, identify.Args.end()),
              (std::vector<std::string>{"0", "0", "0", "0", "0"}));
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Title, "Peripheral identify");
    EXPECT_EQ(Op.Messages[0].Icon, MessageIcon::Information);
    EXPECT_EQ(Op.Messages[0].Text, "Device Name : Varn SD\nFirmware Version : 2.14\nRelease Date : 2026/03/02\n\n"
                                   "\nMICR reader\nScanner FRONT\nScanner BACK\nBadge reader tracks 1/2/3\n");
    EXPECT_EQ(State.Features.HasMicrReader, 1);
    EXPECT_EQ(State.Features.BadgeReaderType, 3);
}

TEST_F(UnitCommands, IdentifyTextShowsNoneAndOptionalLines)
{
    UnitIdentity id;
    std::strcpy(id.DeviceModel.data(), "Varn");
    std::strcpy(id.FirmwareVersion.data(), "1.07");
    std::strcpy(id.ReleaseDate.data(), "2019/01/01");
    FeatureFlags none;
    EXPECT_EQ(FormatIdentifyText(id, none),
              "Device Name : Varn\nFirmware Version : 1.07\nRelease Date : 2019/01/01\n\n\nNone\n");

    std::strcpy(id.InternalNumber.data(), "VN-000123");
    std::strcpy(id.PrinterFirmware.data(), "IJ 3.2");
    id.BoardInfo = {0x12, 'B'};
    FeatureFlags inkjet;
    inkjet.HasInkjetPrinter = 1;
    inkjet.BadgeReaderType = 2;
    EXPECT_EQ(FormatIdentifyText(id, inkjet),
              "Device Name : Varn\nFirmware Version : 1.07\nRelease Date : 2019/01/01\n\n"
              "Printer Expansion Firmware Version : IJ 3.2\nPeripheral Internal Number : VN-000123\n"
              "Board Release : 0x12\nFPGA Release : B\n\nEndorsement Ink-jet printer\nBadge reader tracks 2/3\n");
}

TEST_F(UnitCommands, IdentifyTextHasNoNulForAnFpgaReleaseOfZero)
{
    UnitIdentity id;
    std::strcpy(id.DeviceModel.data(), "Varn");
    id.BoardInfo = {0x12, 0};
    FeatureFlags micr;
    micr.HasMicrReader = 1;
    const QString text = FormatIdentifyText(id, micr);
    EXPECT_FALSE(text.contains(QChar(0)));
    EXPECT_TRUE(text.endsWith("Board Release : 0x12\nFPGA Release : \n\nMICR reader\n")) << text.toStdString();
    id.BoardInfo = {0x12, 1};
    EXPECT_TRUE(FormatIdentifyText(id, micr).contains(QString("FPGA Release : ") + QChar(1) + "\n"));
    // An internal number of one character still has its line.
    std::strcpy(id.InternalNumber.data(), "7");
    EXPECT_TRUE(FormatIdentifyText(id, micr).contains("\nPeripheral Internal Number : 7\nBoard Release"));
}

TEST_F(UnitCommands, BadgeReaderBitsLaterBitWins)
{
    FeatureFlags flags;
    const uint8_t bytes[2] = {0, 4 | 8};
    DecodeFeatures(bytes, flags);
    EXPECT_EQ(flags.BadgeReaderType, 2);
    const uint8_t all[2] = {1 | 2 | 8 | 16 | 32, 1 | 2 | 4};
    DecodeFeatures(all, flags);
    EXPECT_EQ(flags.HasCardProcessing + flags.HasInkjetPrinter + flags.IsUsbPowered + flags.HasVoidingStamp, 4);
    EXPECT_EQ(flags.BadgeReaderType, 1);
}

TEST_F(UnitCommands, FailedOpenOrIdentifyIsReportedAndTheUnitClosed)
{
    Api.SetReply("Varn_Open", -3);
    auto bench = MakeBench();
    EXPECT_EQ(IdentifyUnit(bench, true), -3);
    EXPECT_EQ(Api.Names().back(), "VnDisconnect");
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_TRUE(Op.Messages[0].Text.startsWith("Varn_Open\n\n"));

    Api.Clear();
    Op.Messages.clear();
    Api.SetReply("Varn_Open", 0);
    State.Features.HasMicrReader = 1;
    Api.SetHook("Varn_Identify", [](ApiCall& call) { static_cast<uint8_t*>(call.Pointers[2])[0] = 0; });
    Api.SetReply("Varn_Identify", -4);
    EXPECT_EQ(IdentifyUnit(bench, true), -4);
    EXPECT_EQ(Api.Names().back(), "VnDisconnect");
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Text, "Varn_Identify\n\nPeripheral hardware error.");
    EXPECT_EQ(State.Features.HasMicrReader, 1) << "a failed identification leaves the flags as they were";
}

TEST(PeripheralStatusTexts, SenseKeysAndSensorBits)
{
    const std::pair<uint8_t, const char*> senseKeys[] = {
        {0, "Peripheral Ok !"},     {2, "Peripheral busy"},     {3, "Paper Jam"},
        {4, "Hardware error"},      {5, "Illegal request"},     {6, "Feeder Empty"},
        {7, "Error Double Leafing"}, {9, "Illegal Command"},     {11, "Aborted command"},
        {16, "Calibration Aborted"}, {25, "Peripheral Ok!\nDouble Leafing occurs"},
        {1, "Error 1, not contempled"}, {8, "Error 8, not contempled"}, {10, "Error 10, not contempled"},
        {12, "Error 12, not contempled"}, {15, "Error 15, not contempled"}, {17, "Error 17, not contempled"},
        {24, "Error 24, not contempled"}, {26, "Error 26, not contempled"}, {255, "Error 255, not contempled"},
    };
    for (const auto& [key, text] : senseKeys)
        EXPECT_EQ(SenseKeyText(key), text) << int(key);

    // Each bit of the first byte alone, the second byte never read, and bits together.
    const struct {
        uint8_t Bytes[2];
        const char* Lines;
    } sensors[] = {
        {{0x00, 0x00}, ""},
        {{0x01, 0xFF}, "Document present in the feeder"},
        {{0x02, 0x00}, "Trigger photo covered"},
        {{0x04, 0x00}, ""},
        {{0x08, 0x00}, ""},
        {{0x10, 0x00}, ""},
        {{0x20, 0x00}, "Inkjet board don't answer !"},
        {{0x40, 0x07}, "Document retained"},
        {{0x80, 0x00}, "Unit just ON"},
        {{0x81, 0x00}, "Document present in the feeder\nUnit just ON"},
        {{0x7F, 0x00}, "Document present in the feeder\nTrigger photo covered\nInkjet board don't answer !\n"
                       "Document retained"},
    };
    for (const auto& c : sensors) {
        const QString header = QString::asprintf("Sensor status value :   0x%02x   0x%02x\n", c.Bytes[0], c.Bytes[1]);
        EXPECT_EQ(SensorStatusText(c.Bytes), header + (*c.Lines ? "\n" : "") + c.Lines) << int(c.Bytes[0]);
    }
}

TEST_F(UnitCommands, StatusDialogShowsWhatTheUnitSaysAndKeepsAnAlreadyOpenUnit)
{
    Api.SetHook("Varn_PeripheralStatus", [](ApiCall& call) {
        *static_cast<uint8_t*>(call.Pointers[2]) = 25;
        static_cast<uint8_t*>(call.Pointers[3])[0] = 0x81;
    });
    QString senseShown, sensorShown;
    Op.QueueDialog([&](QDialog& dialog) {
        senseShown = dialog.findChild<QLabel*>("SenseKeyText")->text();
        sensorShown = dialog.findChild<QLabel*>("SensorText")->text();
        return 1;
    });
    auto bench = MakeBench();
    ShowPeripheralStatus(bench);
    EXPECT_EQ(senseShown, "Peripheral Ok!\nDouble Leafing occurs");
    EXPECT_TRUE(sensorShown.endsWith("Unit just ON"));
    EXPECT_EQ(Op.DialogTitles, std::vector<QString>{"Peripheral Status"});
    EXPECT_EQ(Api.Names().back(), "VnDisconnect");

    Api.Clear();
    Api.SetReply("Varn_Open", 5);
    ShowPeripheralStatus(bench);
    EXPECT_EQ(Api.Names(), (std::vector<std::string>{"Vn_SetIPAddress", "Varn_Open", "Varn_PeripheralStatus"}));
    EXPECT_TRUE(Op.Messages.empty());

    Api.Clear();
    Api.SetReply("Varn_Open", -3);
    ShowPeripheralStatus(bench);
    EXPECT_EQ(Api.Names(), (std::vector<std::string>{"Vn_SetIPAddress", "Varn_Open"}));
    EXPECT_EQ(Op.Messages.size(), 1u);
}

TEST_F(UnitCommands, FailedStatusIsReportedAndNoStatusShown)
{
    Api.SetReply("Varn_PeripheralStatus", -3);
    auto bench = MakeBench();
    ShowPeripheralStatus(bench);
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_TRUE(Op.Messages[0].Text.startsWith("Varn_PeripheralStatus\n\nPeripheral not found."));
    EXPECT_TRUE(Op.DialogTitles.empty());
    EXPECT_EQ(Api.Names().back(), "VnDisconnect");
}

TEST_F(UnitCommands, ResetReportsItsOwnFailureButNotTheOpens)
{
    Api.SetReply("Varn_Open", -3);
    Api.SetReply("Varn_Reset", -3);
    auto bench = MakeBench();
    ResetUnit(bench, '1');
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_TRUE(Op.Messages[0].Text.startsWith("Varn_Reset\n\nPeripheral not found."));
    EXPECT_EQ(Api.CallsOf("Varn_Reset").at(0).Args[2], "'1'");
    EXPECT_EQ(Api.Names().back(), "VnDisconnect");

    Op.Messages.clear();
    Api.SetReply("Varn_Reset", 0);
    ResetUnit(bench, '0');
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Title, "Varnw demo test");
    EXPECT_EQ(Op.Messages[0].Text, "Reset OK !");
    EXPECT_EQ(Op.Messages[0].Icon, MessageIcon::None);
}

TEST_F(UnitCommands, InterfaceTestRunsTheProgramOfTheWorkingDirectory)
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    auto bench = MakeBench();

    RunInterfaceTest(bench);
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Text, "Interface Test failed: AppTamo.EXE not found.");
    EXPECT_EQ(Op.Messages[0].Icon, MessageIcon::Information);

    auto writeScript = [&](const char* body) {
        QFile script(dir.filePath("AppVnApi"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write(body);
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    writeScript("#!/bin/sh\nexit 0\n");
    Op.Messages.clear();
    RunInterfaceTest(bench);
    EXPECT_TRUE(Op.Messages.empty());

    writeScript("#!/bin/sh\nexit 3\n");
    RunInterfaceTest(bench);
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Text, "Interface Test failed: 3");
    QDir::setCurrent(previous);
}
