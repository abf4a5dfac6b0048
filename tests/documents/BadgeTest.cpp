// Badge reading: the track bits, the split of the reader's data, the reader
// thread's steps (run here on the test's own thread) and the dialog's
// connection.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <cstring>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "documents/BadgeTracks.h"
#include "documents/ReadBadgeDialog.h"
#include "documents/ReadBadgeThread.h"

namespace {

using Tracks = std::array<std::string, 3>;

// What the thread told its dialog, in order.
struct RecordingSink : BadgeReadSink {
    std::vector<std::string> Events;
    Tracks Shown;
    void ClearTracks() override { Events.push_back("clear"); }
    void StoreBadgeTracks(uint8_t tracks) override { Events.push_back("store " + std::to_string(tracks)); }
    void TracksNotPossible() override { Events.push_back("not possible"); }
    void ReadFailed(int32_t reply) override { Events.push_back("failed " + std::to_string(reply)); }
    void ShowTracks(const Tracks& texts) override
    {
        Events.push_back("show");
        Shown = texts;
    }
    void ReadFinished() override { Events.push_back("finished"); }
};

// The reader answers with this data and length.
void BadgeReads(RecordingVnApi& api, std::string data, int length = -1)
{
    api.SetHook("Varn_ReadBadge", [data, length](ApiCall& c) {
        auto* out = static_cast<char*>(c.Pointers[4]);
        auto* size = static_cast<uint16_t*>(c.Pointers[5]);
        EXPECT_EQ(*size, 260) << "the length holds the capacity on entry";
        std::memcpy(out, data.data(), std::min<size_t>(data.size(), 260));
        *size = static_cast<uint16_t>(length < 0 ? data.size() : length);
    });
}

} // namespace

TEST(BadgeTracksTest, CheckBoxesShownForEachStoredValue)
{
    struct Case {
        uint8_t Stored;
        BadgeTrackChecks Checks;
    } cases[] = {
        {32, {true, false, false}},  {64, {false, true, false}}, {96, {true, true, false}},
        {128, {false, false, true}}, {192, {false, true, true}}, {224, {true, true, true}},
        {160, {}}, {0, {}}, {255, {}}, {33, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChecksForBadgeTracks(c.Stored), c.Checks) << int(c.Stored);
}

TEST(BadgeTracksTest, TracksRebuiltFromTheCheckBoxes)
{
    for (int bits = 0; bits < 8; ++bits) {
        const BadgeTrackChecks checks{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
        EXPECT_EQ(BadgeTracksFromChecks(checks), bits * 32) << bits;
    }
}

TEST(BadgeTracksTest, DataSplitsFromTheLastSeparatorBackwards)
{
    struct Case {
        const char* Data;
        uint8_t Asked;
        Tracks Expected;
    } cases[] = {
        {"%B1234^DOE/J?t;5678?t;9012?", 224, {"%B1234^DOE/J?", "t;5678?", "t;9012?"}},
        {";5678?t;9012?", 192, {"", ";5678?", "t;9012?"}},
        {"%B1234?t;5678?", 96, {"%B1234?", "t;5678?", ""}},
        // One track: the whole data, separators and all.
        {"t;5678?", 64, {"", "t;5678?", ""}},
        {"AtB", 128, {"", "", "AtB"}},
        // Separators missing: what is left goes to the first track asked for.
        {";5678?", 192, {"", ";5678?", ""}},
        {"AAAtCCC", 224, {"AAA", "", "tCCC"}},
        {"", 224, {"", "", ""}},
        // Empty groups keep their separators.
        {"tt", 224, {"", "t", "t"}},
        {"AtBtC", 0, {"", "", ""}},
        {"AtBtC", 160, {"", "", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitBadgeTracks(c.Data, c.Asked), c.Expected) << c.Data << " tracks " << int(c.Asked);
}

TEST(BadgeTracksTest, LongTrack3GetsBlanksAfterCharacters90And180)
{
    std::string track(200, '0');
    for (size_t i = 0; i < track.size(); ++i)
        track[i] = static_cast<char>('0' + i % 10);
    const std::string shown = BreakTrack3Lines(track);
    ASSERT_EQ(shown.size(), 202u);
    EXPECT_EQ(shown.substr(0, 90), track.substr(0, 90));
    EXPECT_EQ(shown[90], ' ');
    EXPECT_EQ(shown.substr(91, 90), track.substr(90, 90));
    EXPECT_EQ(shown[181], ' ');
    EXPECT_EQ(shown.substr(182), track.substr(180));

    EXPECT_EQ(BreakTrack3Lines(std::string(89, 'x')), std::string(89, 'x'));
    EXPECT_EQ(BreakTrack3Lines(std::string(90, 'x')), std::string(90, 'x') + " ");
    EXPECT_EQ(BreakTrack3Lines(std::string(180, 'x')), std::string(90, 'x') + " " + std::string(90, 'x') + " ");
}

struct BadgeThread : ::testing::Test {
    RecordingVnApi Api;
    RecordingSink Sink;
    std::atomic<bool> Cancel{false};
    int Window = 0;

    int Read(BadgeTrackChecks checks)
    {
        BadgeReadJob job;
        job.Api = &Api;
        job.Unit = 3;
        job.Window = &Window;
        job.Checks = checks;
        job.Cancel = &Cancel;
        return ReadBadgeThread(job, Sink);
    }
};

TEST_F(BadgeThread, ReadsTheCheckedTracksAndShowsThemSplit)
{
    BadgeReads(Api, "%B1234?t;5678?t;9012?");
    EXPECT_EQ(Read({true, true, true}), 1);
    EXPECT_EQ(Api.Trace(), (std::vector<std::string>{"Varn_ReadBadge(3, ptr, 224, 260, ptr, ptr)"}));
    EXPECT_EQ(Api.Calls()[0].Pointers[1], &Window);
    EXPECT_EQ(Sink.Events, (std::vector<std::string>{"clear", "store 224", "show", "finished"}));
    EXPECT_EQ(Sink.Shown, (Tracks{"%B1234?", "t;5678?", "t;9012?"}));
}

TEST_F(BadgeThread, TracksTwoAndThreeLeaveTrackOneEmpty)
{
    BadgeReads(Api, ";5678?t;9012?");
    Read({false, true, true});
    EXPECT_EQ(Api.CallsOf("Varn_ReadBadge").at(0).Args[2], "192");
    EXPECT_EQ(Sink.Shown, (Tracks{"", ";5678?", "t;9012?"}));
}

TEST_F(BadgeThread, A200CharacterTrack3IsShownAs202)
{
    BadgeReads(Api, std::string(200, '7'));
    Read({false, false, true});
    EXPECT_EQ(Sink.Shown[2].size(), 202u);
    EXPECT_EQ(Sink.Shown[2][90], ' ');
    EXPECT_EQ(Sink.Shown[2][181], ' ');
    EXPECT_TRUE(Sink.Shown[0].empty() && Sink.Shown[1].empty());
}

TEST_F(BadgeThread, TheDataEndsAtTheReturnedLengthWithinTheBuffer)
{
    BadgeReads(Api, ";5678?GARBAGE", 6);
    Read({false, true, false});
    EXPECT_EQ(Sink.Shown[1], ";5678?");

    // A length beyond the buffer is cut at the buffer's end.
    BadgeReads(Api, std::string(300, 'A'), 5000);
    Read({true, false, false});
    EXPECT_EQ(Sink.Shown[0], std::string(260, 'A'));
}

TEST_F(BadgeThread, TracksOneAndThreeAloneAreRefusedWithoutAskingTheUnit)
{
    Read({true, false, true});
    EXPECT_TRUE(Api.Calls().empty());
    EXPECT_EQ(Sink.Events, (std::vector<std::string>{"clear", "store 160", "not possible", "finished"}));

    Sink.Events.clear();
    Read({false, false, false});
    EXPECT_TRUE(Api.Calls().empty());
    EXPECT_EQ(Sink.Events, (std::vector<std::string>{"clear", "store 0", "finished"}));
}

TEST_F(BadgeThread, AFailedReadIsPassedOnAndShowsNothing)
{
    Api.SetReply("Varn_ReadBadge", -7);
    Read({true, true, false});
    EXPECT_EQ(Sink.Events, (std::vector<std::string>{"clear", "store 96", "failed -7", "finished"}));
}

TEST_F(BadgeThread, ACancelledReadSkipsTheUnitButStillFinishes)
{
    Cancel = true;
    Read({true, true, true});
    EXPECT_TRUE(Api.Calls().empty());
    EXPECT_EQ(Sink.Events.back(), "finished");
}

struct BadgeCommand : ::testing::Test {
    BenchState State;
    RecordingVnApi Api;
    ScriptedOperator Op;
    Bench MakeBench() { return Bench{State, Api, Op}; }
};

TEST_F(BadgeCommand, AFailingOpenIsReportedAndTheDialogNotShown)
{
    Api.SetReply("VnConnect", -109);
    auto bench = MakeBench();
    ReadBadgeCommand(bench);
    EXPECT_EQ(Api.Names(), (std::vector<std::string>{"Vn_SetIPAddress", "VnConnect"}));
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Text, "Varn_Open\n\nVnConnect Box IP address not founded !");
    EXPECT_TRUE(Op.DialogTitles.empty());
}

TEST_F(BadgeCommand, TheDialogKeepsItsConnectionUntilExitAndResetsThroughIt)
{
    State.Settings.BadgeTracks = 192;
    Api.SetHook("VnConnect", [](ApiCall& c) { *static_cast<uint16_t*>(c.Pointers[3]) = 9; });
    Api.SetReply("Varn_Reset", -4);
    const void* dialogWindow = nullptr;
    Op.QueueDialog([&](QDialog& d) {
        dialogWindow = &d;
        EXPECT_EQ(d.windowTitle(), "Read Badge Dialog");
        EXPECT_FALSE(d.findChild<QCheckBox*>("Track1")->isChecked());
        EXPECT_TRUE(d.findChild<QCheckBox*>("Track2")->isChecked());
        EXPECT_TRUE(d.findChild<QCheckBox*>("Track3")->isChecked());
        // Reset enables "&Read" and "E&xit" whatever they were.
        d.findChild<QPushButton*>("Read")->setEnabled(false);
        d.findChild<QPushButton*>("Exit")->setEnabled(false);
        d.findChild<QPushButton*>("Reset")->click();
        EXPECT_TRUE(d.findChild<QPushButton*>("Read")->isEnabled());
        EXPECT_TRUE(d.findChild<QPushButton*>("Exit")->isEnabled());
        d.findChild<QPushButton*>("Exit")->click();
        return d.result();
    });
    auto bench = MakeBench();
    ReadBadgeCommand(bench);
    EXPECT_EQ(Api.Trace(), (std::vector<std::string>{"Vn_SetIPAddress(40, \"127.0.0.1\", 4000)",
                                                     "VnConnect(ptr, null, 40, ptr)", "Varn_Reset(9, ptr, '0')",
                                                     "VnDisconnect(9, ptr)"}));
    for (const char* name : {"VnConnect", "Varn_Reset", "VnDisconnect"})
        EXPECT_EQ(Api.CallsOf(name).at(0).Pointers[name == std::string("VnConnect") ? 0 : 1], dialogWindow) << name;
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Text, "Varn_Reset\n\nPeripheral hardware error.");
    EXPECT_EQ(Op.Messages[0].Title, "Varn ERROR");
}
