// The device test rules by table, the EMC worker on a clock that only counts,
// and the dialogs and the belt test end to end on the virtual unit.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <climits>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "maintenance/BeepLedDialog.h"
#include "maintenance/DeviceTestRules.h"
#include "maintenance/DeviceTestRun.h"
#include "maintenance/EepromDialog.h"
#include "maintenance/EmcRun.h"
#include "maintenance/PhotoSensorDialog.h"
#include "vnapi/VirtualUnitTestApi.h"

using namespace devicetest;

TEST(EepromRules, ReadText)
{
    const uint8_t bytes[] = {0, 31, 255, 16};
    EXPECT_EQ(EepromReadText(bytes, 3), "0, 0x1f, 0xff");
    EXPECT_EQ(EepromReadText(bytes + 3, 1), "0x10");
    EXPECT_EQ(EepromReadText(bytes, 1), "0");
    EXPECT_EQ(EepromReadText(bytes, 0), "");
    EXPECT_EQ(EepromReadText(bytes, -1), "");
}

TEST(EepromRules, DecimalPrefixAsStrtol)
{
    const std::pair<const char*, long> cases[] = {
        {"  +12x", 12}, {"-7", -7}, {"x", 0}, {"", 0}, {"0x10", 0}, {"\t 8", 8}, {"- 3", 0},
        {"9223372036854775807", LONG_MAX}, {"9223372036854775808", LONG_MAX}, {"-9223372036854775809", LONG_MIN}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(DecimalPrefix(text), value) << text;
}

TEST(EepromRules, WriteRuleRepeatsTheLastValueAndKeepsToTheBuffer)
{
    struct Case {
        const char* Text;
        int Count;
        std::vector<int> Expected; // the first bytes; the rest stay 0
    };
    const Case cases[] = {
        {"1,2", 4, {1, 2, 2, 2, 0}}, {"", 3, {0, 0, 0}},       {"0x10", 1, {0, 0}},
        {"300", 1, {44, 0}},         {"-1", 2, {255, 255, 0}}, {" 7 , 8", 2, {7, 8, 0}},
        {"1,2,3", 2, {1, 2, 0}},     {"4", 0, {0}},            {"4", -3, {0}},
    };
    for (const Case& c : cases) {
        EepromBuffer buffer;
        buffer.fill(0xAA);
        ComposeEepromWrite(c.Text, c.Count, buffer);
        for (size_t i = 0; i < c.Expected.size(); ++i)
            EXPECT_EQ(buffer[i], c.Expected[i]) << c.Text << " byte " << i;
    }
    EepromBuffer buffer{};
    ComposeEepromWrite("9", 2000, buffer); // beyond the buffer: cut to it
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 9), 1024);
}

TEST(EepromRules, RangeAndTextProblems)
{
    const std::tuple<int64_t, int64_t, bool> ranges[] = {
        {0, 0, true},     {0, 1024, true},  {0, 1025, false},   {1023, 1, true},   {1023, 2, false},
        {1024, 0, false}, {-1, 1, false},   {0, -1, false},     {1000, 24, true},  {1000, 25, false}};
    for (const auto& [offset, count, fine] : ranges)
        EXPECT_EQ(!EepromRangeProblem(offset, count), fine) << offset << " + " << count;

    const std::tuple<const char*, int, bool> texts[] = {
        {"1,2", 4, true},   {"", 4, true},    {"  \n", 4, true},  {"abc", 1, false}, {"1,,2", 3, false},
        {"1,,2", 1, true},  {"0x10", 1, true}, {"1,x", 2, false}, {"-5", 1, true},   {"1,2,", 3, false}};
    for (const auto& [text, count, fine] : texts)
        EXPECT_EQ(!EepromWriteTextProblem(text, count), fine) << text;
    EXPECT_NE(EepromWriteTextProblem("1,x", 2)->find("Byte 2"), std::string::npos);
}

TEST(DeviceTestRules, NumbersPhotoTextsBeltAndStep)
{
    EXPECT_EQ(WholeNumber(" 12 "), 12);
    EXPECT_EQ(WholeNumber("-3"), -3);
    EXPECT_EQ(WholeNumber("4294967295"), 4294967295LL);
    for (const char* bad : {"12a", "", "+", "4294967296", "1.5"})
        EXPECT_FALSE(WholeNumber(bad)) << bad;

    EXPECT_EQ(PhotoValueText(0x1f), "0x001f");
    EXPECT_EQ(PhotoValueText(0xabcd), "0xabcd");
    const PhotoReadings r = DecodePhotoReadings({0x34, 0x12, 0xcd, 0xab, 1, 2, 3, 4});
    EXPECT_EQ(r.Feeder, 0x1234);
    EXPECT_EQ(r.Trigger, 0xabcd);

    // index, value, count, magnetic
    const std::tuple<size_t, uint8_t, size_t, bool> belt[] = {
        {10, 109, 1000, true},  {10, 110, 1000, false}, {300, 145, 1000, false}, {300, 146, 1000, true},
        {599, 146, 1000, true}, {600, 146, 1000, false}, {9, 0, 1000, false},     {10, 0, 410, false},
        {10, 0, 411, true}};
    for (const auto& [index, value, count, magnetic] : belt) {
        std::vector<uint8_t> samples(count, 128);
        samples[index] = value;
        const BeltVerdict verdict = JudgeBelt(samples.data(), count);
        EXPECT_EQ(verdict.Magnetic, magnetic) << index << ": " << int(value) << " of " << count;
        if (magnetic) {
            EXPECT_EQ(verdict.Index, index);
        }
    }
    std::vector<uint8_t> full(BeltBufferSize, 128);
    EXPECT_FALSE(JudgeBelt(full.data(), UINT32_MAX).Magnetic) << "a count past the buffer is cut to it";

    EXPECT_FALSE(EmcStepOver(100, 100, 0));
    EXPECT_TRUE(EmcStepOver(100, 101, 0));
    EXPECT_FALSE(EmcStepOver(100, 101, 1));
    EXPECT_TRUE(EmcStepOver(100, 102, 1));
    EXPECT_EQ(EmcStepFromText("5"), 5u);
    EXPECT_EQ(EmcStepFromText("-5"), 0u);
    EXPECT_EQ(EmcStepFromText("x"), 0u);
    EXPECT_EQ(EmcStepFromText("3000000000"), uint32_t(INT32_MAX));
}

// ---- EMC worker ------------------------------------------------------------

namespace {

class CountingClock : public EmcClock {
public:
    int64_t Milliseconds = 0;
    int64_t NowSeconds() override { return Milliseconds / 1000; }
    void Sleep(uint32_t ms) override { Milliseconds += ms; }
};

struct RecordingSink : EmcSink {
    std::vector<std::string> Events;
    void BlankPicture() override { Events.push_back("blank"); }
    void CyclePassed(uint32_t cycle) override { Events.push_back("pass " + std::to_string(cycle)); }
    void CycleFailed(uint32_t cycle, int32_t reply) override
    {
        Events.push_back("fail " + std::to_string(cycle) + " " + std::to_string(reply));
    }
    void Finished() override { Events.push_back("end"); }
};

struct EmcWorker : ::testing::Test {
    RecordingVnApi Api;
    CountingClock Clock;
    EmcControl Control;
    RecordingSink Sink;
    EmcOutcome Run(uint32_t step, uint32_t stopInCycle)
    {
        Control.Running = true;
        Control.StepTime = step;
        // Stop is pressed while the given cycle asks for the status.
        Api.SetHook("Varn_Identify", [this, stopInCycle](ApiCall&) {
            if (Api.CallsOf("Varn_Identify").size() >= stopInCycle)
                Control.Running = false;
        });
        return RunEmcTest({&Api, nullptr, nullptr, VnConnectionUsb, &Control, &Clock}, Sink);
    }
};

} // namespace

TEST_F(EmcWorker, StatusLoopLastsPastTheStepInWholeSecondsThenIdentifies)
{
    // From 0 ms, a status every 77 ms: 13 x 77 = 1001 is the first past second
    // 0, 26 x 77 = 2002 the first past second 1.
    for (const auto& [step, statuses] : {std::pair{0u, 13u}, std::pair{1u, 26u}}) {
        Api.Clear();
        Clock.Milliseconds = 0;
        const EmcOutcome outcome = Run(step, 1);
        EXPECT_EQ(Api.CallsOf("Varn_PeripheralStatus").size(), statuses) << step;
        EXPECT_EQ(outcome.CyclesPassed, 1u);
        EXPECT_EQ(Api.Names().back(), "VnDisconnect");
        EXPECT_FALSE(Control.Running);
    }
}

TEST_F(EmcWorker, StopLetsTheCycleFinishAndAFailedIdentifyEndsTheTest)
{
    const EmcOutcome stopped = Run(0, 2);
    EXPECT_EQ(stopped.CyclesPassed, 2u) << "Stop during cycle 2 lets it identify and show its picture";
    EXPECT_EQ(Sink.Events, (std::vector<std::string>{"blank", "pass 1", "blank", "pass 2", "end"}));

    Sink.Events.clear();
    Api.Clear();
    Api.QueueReplies("Varn_Identify", {0, 0, -2});
    Api.QueueReplies("Varn_PeripheralStatus", {0, 0, -2}); // a failed status only ends the loop
    const EmcOutcome failed = Run(0, 100);
    EXPECT_EQ(failed.FailedCycle, 3u);
    EXPECT_EQ(failed.FailReply, -2);
    EXPECT_EQ(Sink.Events, (std::vector<std::string>{"blank", "pass 1", "blank", "pass 2", "blank", "fail 3 -2", "end"}));
    // Cycle 1 ends on its third status; cycle 2 starts at 3 x 77 + 777 = 1008 ms
    // and asks until 1008 + 13 x 77 = 2009; cycle 3 starts at 2786 and is past
    // second 2 after 3 statuses.
    EXPECT_EQ(Api.CallsOf("Varn_PeripheralStatus").size(), 3u + 13u + 3u);
    EXPECT_EQ(Api.Names().back(), "VnDisconnect");

    Api.Clear();
    Api.SetReply("VnConnect", -3);
    EXPECT_EQ(Run(0, 100).OpenReply, -3);
    EXPECT_EQ(Api.Names(), std::vector<std::string>{"VnConnect"}) << "no cycle, nothing to close";
}

TEST_F(EmcWorker, AbandonEndsAtTheNextStatusWithoutIdentifying)
{
    Api.SetHook("Varn_PeripheralStatus", [this](ApiCall&) {
        if (Api.CallsOf("Varn_PeripheralStatus").size() == 4)
            Control.Abandon = true;
    });
    const EmcOutcome outcome = Run(60, 100);
    EXPECT_EQ(outcome.CyclesPassed, 0u);
    EXPECT_EQ(Api.CallsOf("Varn_PeripheralStatus").size(), 4u);
    EXPECT_TRUE(Api.CallsOf("Varn_Identify").empty());
    EXPECT_EQ(Api.Names().back(), "VnDisconnect");
}

TEST(EmcEndToEnd, TheVirtualUnitFailsOnTheCycleAfterItsArmedCount)
{
    VirtualUnitPair unit = CreateVirtualUnit(TestUnitSetup());
    unit.Control.ArmEmcFault(4);
    CountingClock clock;
    EmcControl control;
    control.Running = true;
    RecordingSink sink;
    const EmcOutcome outcome = RunEmcTest({unit.Api.get(), nullptr, nullptr, VnConnectionUsb, &control, &clock}, sink);
    EXPECT_EQ(outcome.CyclesPassed, 4u);
    EXPECT_EQ(outcome.FailedCycle, 5u);
    EXPECT_EQ(outcome.FailReply, VnReplyUsbHardwareError);
    EXPECT_FALSE(unit.Control.State().Open);
    EXPECT_TRUE(unit.Control.State().Silent);
    unit.Control.PowerCycle();
    EXPECT_FALSE(unit.Control.State().Silent);
}

// ---- Dialogs and the belt on the virtual unit -------------------------------

namespace {

struct DeviceTests : ::testing::Test {
    QTemporaryDir Dir;
    BenchState State;
    ScriptedOperator Op;
    VirtualUnitSetup Setup = [this] {
        VirtualUnitSetup s = TestUnitSetup();
        s.MemoryFile = Dir.filePath("VarnUnit.mem").toStdString();
        return s;
    }();
    VirtualUnitPair Unit = CreateVirtualUnit(Setup);
    Bench MakeBench() { return Bench{State, *Unit.Api, Op}; }
    template <class T> T* Find(QWidget& w, const char* name) { return w.findChild<T*>(name); }
};

} // namespace

TEST_F(DeviceTests, BeltHealthyThenMagnetisedAndResetEachTime)
{
    auto bench = MakeBench();
    RunBeltTest(bench);
    Unit.Control.SetMagnetisedBelt(true);
    RunBeltTest(bench);
    ASSERT_EQ(Op.Messages.size(), 2u);
    EXPECT_EQ(Op.Messages[0].Text, "Belt OK !");
    EXPECT_EQ(Op.Messages[0].Title, "Varnw demo test");
    EXPECT_EQ(Op.Messages[1].Text, "Magnetic present in the Belt !");
    EXPECT_EQ(Op.Messages[1].Title, "Varn ERROR");
    EXPECT_EQ(Op.Messages[1].Icon, MessageIcon::Stop);
    EXPECT_EQ(Unit.Control.State().Resets, 2u);
    EXPECT_EQ(Unit.Control.State().LastReset, '0');
    EXPECT_FALSE(Unit.Control.State().Open);
}

TEST_F(DeviceTests, EepromWriteThenReadSurvivesARestartAndBadInputStaysAtHome)
{
    auto bench = MakeBench();
    {
        EepromDialog dialog(bench);
        Find<QLineEdit>(dialog, "Offset")->setText("1020");
        Find<QLineEdit>(dialog, "ByteCount")->setText("4");
        Find<QPlainTextEdit>(dialog, "WriteText")->setPlainText("1,2");
        Find<QPushButton>(dialog, "Write")->click();
    }
    Unit = {}; // switched off: the memory file keeps the EEPROM
    Unit = CreateVirtualUnit(Setup);
    auto again = MakeBench();
    EepromDialog dialog(again);
    auto* text = Find<QPlainTextEdit>(dialog, "ReadText");
    Find<QLineEdit>(dialog, "Offset")->setText("1020");
    Find<QLineEdit>(dialog, "ByteCount")->setText("4");
    Find<QPushButton>(dialog, "Read")->click();
    EXPECT_EQ(text->toPlainText(), "0x1, 0x2, 0x2, 0x2");
    EXPECT_TRUE(Op.Messages.empty());

    // Past the end, a negative offset, letters: a message each, the unit untouched.
    for (const auto& [offset, count, write] : {std::tuple{"1020", "5", ""}, std::tuple{"-1", "4", ""},
                                               std::tuple{"0", "4", "a,b"}}) {
        Find<QLineEdit>(dialog, "Offset")->setText(offset);
        Find<QLineEdit>(dialog, "ByteCount")->setText(count);
        Find<QPlainTextEdit>(dialog, "WriteText")->setPlainText(write);
        Find<QPushButton>(dialog, *write ? "Write" : "Read")->click();
    }
    ASSERT_EQ(Op.Messages.size(), 3u);
    EXPECT_EQ(Op.Messages[0].Text, "Offset + Nr. Bytes goes past the end of the EEPROM (1024 bytes) !");
    EXPECT_EQ(Op.Messages[1].Text, "Offset must be from 0 to 1023 !");
    EXPECT_TRUE(Op.Messages[2].Text.startsWith("Byte 1 of the write text is not a decimal number !"));
    EXPECT_EQ(text->toPlainText(), "0x1, 0x2, 0x2, 0x2");
    EXPECT_FALSE(Unit.Control.State().Open);
}

TEST_F(DeviceTests, BeepAndLedKeepTheirSettingsEvenWhenTheOpenFails)
{
    auto bench = MakeBench();
    BeepLedDialog dialog(bench);
    Find<QLineEdit>(dialog, "BeepCount")->setText("3");
    Find<QLineEdit>(dialog, "BeepTimeOn")->setText("150");
    Find<QLineEdit>(dialog, "BeepTimeOff")->setText("50");
    Unit.Control.ArmOperationFault("VnConnect", VnReplyPeripheralNotFound);
    Find<QPushButton>(dialog, "TestBeep")->click();
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_TRUE(Op.Messages[0].Text.startsWith("Varn_Open"));
    EXPECT_EQ(State.Settings.BeepCount, 3);
    EXPECT_EQ(State.Settings.BeepTimeOn, 150);
    EXPECT_EQ(State.Settings.BeepTimeOff, 50);
    EXPECT_EQ(Unit.Control.State().LastBeep.Calls, 0u);

    Find<QPushButton>(dialog, "TestBeep")->click();
    Find<QComboBox>(dialog, "LedColor")->setCurrentIndex(2);
    Find<QLineEdit>(dialog, "LedTimeOn")->setText("500");
    Find<QLineEdit>(dialog, "LedTimeOff")->setText("65536"); // one past 16 bits: refused
    Find<QPushButton>(dialog, "TestLed")->click();
    Find<QLineEdit>(dialog, "LedTimeOff")->setText("65535");
    Find<QPushButton>(dialog, "TestLed")->click();
    const VirtualUnitState s = Unit.Control.State();
    EXPECT_EQ(s.LastBeep.Value, 3);
    EXPECT_EQ(s.LastBeep.TimeOn, 150);
    EXPECT_EQ(s.LastLed.Value, 2);
    EXPECT_EQ(s.LastLed.TimeOff, 65535);
    EXPECT_EQ(s.LastLed.Calls, 1u);
    EXPECT_EQ(State.Settings.LedColor, 2);
    ASSERT_EQ(Op.Messages.size(), 2u);
    EXPECT_EQ(Op.Messages[1].Text, "Time Off must be a number from 0 to 65535 !");
}

TEST(PhotoSensorDialogTest, ShowsBothReadingsOrKeepsZerosAfterAFailure)
{
    BenchState state;
    ScriptedOperator op;
    RecordingVnApi api;
    Bench bench{state, api, op};
    api.SetHook("VnReadPhotosValue", [](ApiCall& call) {
        const uint8_t answer[8] = {0x34, 0x12, 0xcd, 0xab, 0xff, 0xff, 0xff, 0xff};
        std::copy(answer, answer + 8, static_cast<uint8_t*>(call.Pointers[2]));
    });
    PhotoSensorDialog shown(bench);
    shown.ReadSensors();
    EXPECT_EQ(shown.findChild<QLineEdit*>("FeederValue")->text(), "0x1234");
    EXPECT_EQ(shown.findChild<QLineEdit*>("TriggerValue")->text(), "0xabcd");

    api.SetReply("VnReadPhotosValue", -4);
    PhotoSensorDialog failed(bench);
    failed.ReadSensors();
    EXPECT_EQ(failed.findChild<QLineEdit*>("FeederValue")->text(), "0x0000");
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_TRUE(op.Messages[0].Text.startsWith("VnReadPhotosValue"));
    EXPECT_EQ(api.Names().back(), "VnDisconnect");
}
