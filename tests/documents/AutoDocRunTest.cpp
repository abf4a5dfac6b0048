// The automatic run against a recording library.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <deque>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "documents/AutoDocRun.h"

namespace {

struct Fetch {
    int32_t Reply;
    const char* Micr;
};

struct AutoRun : ::testing::Test {
    QTemporaryDir Dir;
    BenchState State;
    RecordingVnApi Api;
    ScriptedOperator Op;
    std::deque<Fetch> Fetches;

    void SetUp() override
    {
        State.ProgramFolder = Dir.path().toStdString() + "/";
        State.Settings.CodelineType = 1;
        State.Settings.DocumentCount = 0;
        Api.SetHook("Varn_GetDocData", [this](ApiCall& call) {
            if (Fetches.empty())
                return;
            std::strcpy(static_cast<char*>(call.Pointers[12]), Fetches.front().Micr);
            *static_cast<uint32_t*>(call.Pointers[2]) = 900;
            auto image = PackedBitmap::Create(4, 4, 8, 200);
            *static_cast<ImageHandle*>(call.Pointers[7]) = std::move(image);
        });
    }
    // Replies of the fetches, in order; the texts go with them.
    void Script(std::vector<Fetch> fetches)
    {
        std::vector<int32_t> replies;
        for (const auto& f : fetches) {
            Fetches.push_back(f);
            replies.push_back(f.Reply);
        }
        Api.QueueReplies("Varn_GetDocData", replies);
    }
    int32_t Run()
    {
        Bench bench{State, Api, Op};
        // Drop a fetch's text once it has been used.
        Op.OnPump = [this] {
            if (!Fetches.empty())
                Fetches.pop_front();
        };
        return RunAutoDocHandle(bench);
    }
    QString Log() const
    {
        QFile file(Dir.filePath("CodelineVarn.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString("<none>");
    }
};

} // namespace

TEST_F(AutoRun, ThirtyArgumentsOfTheStart)
{
    auto& s = State.Settings;
    s.CodelineType = 1 | 2 | 4;
    s.SaveImageMode = 6;
    s.SaveImageFormat = 10;
    s.JpegQuality = 80;
    s.WaitTimeout = 'W';
    State.StopOnCodelineError = 1;
    Api.SetReply("Varn_AutoDocHandle", 1);
    EXPECT_EQ(Run(), 1);
    const auto trace = Api.Trace();
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0], "Varn_ViewOCRRectangle(null, 0)");
    EXPECT_EQ(trace[1], "Varn_SetAutoDocOptions(0, null, ptr)");
    EXPECT_EQ(trace[2], "Varn_AutoDocHandle(0, null, 0, 0, 1, 5, 0, 1, 0, 1, 'X', 0, 6, \"" + State.ProgramFolder +
                            "Images\", \"Image_\", 6, 4, 150, 10.5, 10, 0, 10, 80, 0, 1, 'W', 0, null, null, null)");
    EXPECT_TRUE(Op.Messages.empty()) << "a start reply of 1 is not reported";
    EXPECT_EQ(Api.CallsOf("Varn_GetDocData").size(), 0u);
}

TEST_F(AutoRun, DeviceCodelineChoiceAndWindow)
{
    auto& s = State.Settings;
    struct Case {
        uint8_t Bits;
        uint8_t OcrType;
        uint16_t Inch;
        std::string Expected; // codeline type, window and unit code
    };
    const Case cases[] = {
        {16, 'B', 0, "15, 5, 0, 1, 0, 1, 'X', 0, 5, *, 6, 4, 150, 10.5, 10"},
        {2, 'A', 1, "65, 5, 0, 1, 0, 1, 'X', 0, 5, *, 6, 4, 150, 10.5, 20"},
        {4, 'B', 0, "50, 5, 0, 1, 0, 1, 'X', 0, 5, *, 90, 4, 125, 12, 10"},
        {8, 'B', 0, "2, 5, 0, 1, 0, 1, 'X', 0, 5, *, 0, 0, 0, 0, 10"},
        {0, 'B', 0, "0, 5, 0, 1, 0, 1, 'X', 0, 5, *, 6, 4, 150, 10.5, 10"},
    };
    Api.SetReply("Varn_AutoDocHandle", 1);
    for (const auto& c : cases) {
        Api.Clear();
        s.CodelineType = c.Bits;
        s.OcrReadType = c.OcrType;
        s.OcrWindowInch = c.Inch;
        Run();
        const auto args = Api.CallsOf("Varn_AutoDocHandle").at(0).Args;
        // Folder and base name are checked elsewhere.
        std::string compact;
        for (size_t i = 4; i <= 19; ++i) {
            if (i == 14)
                continue;
            compact += (compact.empty() ? "" : ", ") + (i == 13 ? std::string("*") : args[i]);
        }
        EXPECT_EQ(compact, c.Expected) << int(c.Bits);
    }
}

TEST_F(AutoRun, RunsToTheEndOfTheStackAndLogsOnce)
{
    auto& s = State.Settings;
    s.SaveCodelineOnFile = 1;
    s.ResetCodelineFile = 1;
    s.ImageCounter = 40;
    QFile old(Dir.filePath("CodelineVarn.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("OLD\n");
    old.close();
    Script({{0, "T1T"}, {0, "T2T"}, {0, "T3T"}, {1, ""}});
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(Api.CallsOf("Varn_GetDocData").size(), 4u);
    EXPECT_EQ(Log(), "T1T\nT2T\nT3T\n") << "emptied once at the start, kept for the whole run";
    ASSERT_EQ(Op.Documents.size(), 3u);
    EXPECT_EQ(Op.Documents[2].Prefix, 3);
    EXPECT_EQ(Op.Documents[2].DocumentNumber, 42u);
    EXPECT_EQ(s.ImageCounter, 43u);
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Text, "Varn_GetDocData\n\nVarn_FEEDER_EMPTY");
    EXPECT_STREQ(State.LastCodeline.data(), "T3T");
    EXPECT_TRUE(State.CurrentFrontImage);
    EXPECT_GE(Op.Pumps, 4) << "events are dispatched after every document and at the end";
    EXPECT_EQ(Op.StatusTexts.front(), "Document 1");
    EXPECT_EQ(Op.StatusTexts.back(), "") << "the progress is cleared at the end";
}

TEST_F(AutoRun, DoubleLeafingIsShownAndTheRunGoesOn)
{
    State.Settings.CodelineType = 1 | 4;
    State.Settings.BarcodeType = '4';
    Script({{7, "T1T"}, {0, "T2T"}, {10, ""}});
    Run();
    ASSERT_EQ(Op.Documents.size(), 2u);
    EXPECT_EQ(Op.Documents[0].Status, 7) << "the warning survives the barcode decode";
    EXPECT_EQ(Op.Documents[1].Status, 0);
    ASSERT_EQ(Op.Messages.size(), 1u) << "7 is not reported; 10 is and ends the run";
    EXPECT_TRUE(Op.Messages[0].Text.contains("UNKNOWN REPLY CODE NUMBER 10"));
    // The barcode decode always asks for type '2'.
    EXPECT_EQ(Api.CallsOf("Varn_ReadBarcodeFromBitmap").at(0).Args[2], "'2'");
}

TEST_F(AutoRun, SevereFetchErrorShowsTheDocumentBeforeTheReport)
{
    // -1101 and below show the document with the library's number before the
    // report; -1100 goes on with the document, shown with the image counter.
    // Either way the status ends the run.
    for (const int32_t reply : {-1200, -1101, -1100}) {
        SCOPED_TRACE(reply);
        Api.Clear();
        Op.Messages.clear();
        Op.Documents.clear();
        Fetches.clear();
        Script({{0, "T1T"}, {reply, "T2T"}});
        const uint32_t counter = State.Settings.ImageCounter;
        Run();
        ASSERT_EQ(Op.Documents.size(), 2u);
        EXPECT_EQ(Op.Documents[1].Status, reply);
        EXPECT_EQ(Op.Documents[1].DocumentNumber, reply <= -1101 ? 900u : counter + 1);
        ASSERT_EQ(Op.Messages.size(), 1u);
        EXPECT_EQ(Op.Messages[0].Text, QString("UNKNOWN REPLY CODE NUMBER %1").arg(reply));
        EXPECT_EQ(Api.CallsOf("Varn_GetDocData").size(), 2u) << "the run ends";
    }
}

TEST_F(AutoRun, OcrReadsFrontsAndTheXSwitchSendsEF)
{
    auto& s = State.Settings;
    s.CodelineType = 1 | 2;
    s.ImageSide = 'N';
    s.OcrReadType = 'X';
    Script({{0, "T1T"}, {1, ""}});
    Api.SetHook("Varn_CodelineReadFromBitmap", [](ApiCall& call) {
        const auto* options = static_cast<const DecodeOptions*>(call.Pointers[8]);
        EXPECT_EQ(options->Value, 1);
        EXPECT_EQ(options->Mode, 'X');
    });
    Run();
    EXPECT_EQ(Api.CallsOf("Varn_AutoDocHandle").at(0).Args[10], "'F'");
    EXPECT_EQ(Api.CallsOf("Varn_CodelineReadFromBitmap").at(0).Args[2], "\"EF\"");
    EXPECT_EQ(Api.CallsOf("Varn_AutoDocHandle").at(0).Args[4], "1") << "MICR is read by the unit";

    // Another side letter passes unchanged.
    Api.Clear();
    s.ImageSide = 'B';
    Script({{1, ""}});
    Run();
    EXPECT_EQ(Api.CallsOf("Varn_AutoDocHandle").at(0).Args[10], "'B'");
}

TEST_F(AutoRun, DecodeErrorsAreReportedAndTheRunGoesOn)
{
    State.Settings.CodelineType = 1 | 8;
    Api.SetReply("Varn_ReadPdf417FromBitmap", -22);
    Script({{0, "T1T"}, {0, "T2T"}, {1, ""}});
    Run();
    EXPECT_EQ(Api.CallsOf("Varn_GetDocData").size(), 3u);
    ASSERT_EQ(Op.Messages.size(), 3u);
    EXPECT_EQ(Op.Messages[0].Text, "Varn_ReadPdf417FromBitmap\n\nImage not present.");
}

TEST_F(AutoRun, StopOnCodelineErrorEndsAfterTheDocumentIsShownAndLogged)
{
    State.StopOnCodelineError = 1;
    State.Settings.SaveCodelineOnFile = 1;
    Script({{0, "T1T"}, {0, "T!T"}, {0, "T3T"}});
    Run();
    EXPECT_EQ(Api.CallsOf("Varn_GetDocData").size(), 2u);
    EXPECT_EQ(Op.Documents.size(), 2u);
    EXPECT_EQ(Log(), "T1T\nT!T\n");
}

TEST_F(AutoRun, CounterStringAndFailedLoad)
{
    State.Identity.FeatureBytes[0] = 8;
    auto& s = State.Settings;
    s.EndorsePrintMode = 1;
    s.EndorseBold = 1;
    SetText(s.EndorseString, "No. %d");
    Api.SetReply("Varn_LoadStringWithCounter", -57);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Api.Trace(), std::vector<std::string>{"Varn_LoadStringWithCounter(0, null, 'B', \"No. %d\", 6, 8, 3)"});
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Text, "Varn_LoadString\n\nPrint format not supported.");
}

// The frame asks a run to stop when it is closed during the run.
TEST_F(AutoRun, AStopRequestEndsTheRunAfterTheCurrentDocument)
{
    Script({{0, "T1T"}, {0, "T2T"}, {0, "T3T"}, {1, ""}});
    Bench bench{State, Api, Op};
    int pumps = 0;
    Op.OnPump = [&] {
        if (++pumps == 2)
            State.StopRequested = true;
    };
    RunAutoDocHandle(bench);
    EXPECT_EQ(Api.CallsOf("Varn_GetDocData").size(), 2u);
    EXPECT_EQ(Op.Documents.size(), 2u);
    EXPECT_EQ(Op.StatusTexts.back(), "");
}
