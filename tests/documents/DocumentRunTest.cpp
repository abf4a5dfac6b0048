// The one-document step and the manual run against a recording library.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "documents/DocumentRun.h"
#include "documents/ImageSaving.h"

namespace {

ImageHandle SmallImage(uint8_t grey)
{
    auto image = PackedBitmap::Create(8, 4, 8, 200);
    std::fill(image->Bytes().begin() + static_cast<long>(image->PixelOffset()), image->Bytes().end(), grey);
    return image;
}

struct DocumentRun : ::testing::Test {
    QTemporaryDir Dir;
    BenchState State;
    RecordingVnApi Api;
    ScriptedOperator Op;
    int ReleaseDialogs = 0;
    DocumentDialogs Dialogs{[](Bench&) { return 1; }, [this](Bench&) { ++ReleaseDialogs; }};
    int DocumentsInFeeder = 3;

    void SetUp() override
    {
        State.ProgramFolder = Dir.path().toStdString() + "/";
        State.Identity.FeatureBytes[0] = 1 | 8; // MICR and endorsement printer
        // Each feed takes a document; the status says whether another waits.
        Api.SetHook("Varn_DocHandle", [this](ApiCall& call) {
            if (call.Args[7] == "0")
                --DocumentsInFeeder;
        });
        Api.SetHook("Varn_PeripheralStatus", [this](ApiCall& call) {
            static_cast<uint8_t*>(call.Pointers[3])[0] = DocumentsInFeeder > 0 ? 1 : 0;
        });
        Api.SetHook("Varn_ReadCodeline", [this](ApiCall& call) {
            const std::string text = "T011000015T 1234567U" + std::to_string(DocumentsInFeeder);
            std::strcpy(static_cast<char*>(call.Pointers[2]), text.c_str());
            *static_cast<uint16_t*>(call.Pointers[3]) = static_cast<uint16_t>(text.size());
        });
        Api.SetHook("Varn_ReadImage", [](ApiCall& call) {
            const char side = call.Args[3][1];
            if (side == 'F' || side == 'X')
                *static_cast<ImageHandle*>(call.Pointers[6]) = SmallImage(200);
            if (side == 'B' || side == 'X')
                *static_cast<ImageHandle*>(call.Pointers[7]) = SmallImage(100);
        });
        State.Settings.CodelineType = 1;
    }
    Bench MakeBench() { return Bench{State, Api, Op}; }
    std::vector<std::string> DocHandleArgs(size_t n) const { return Api.CallsOf("Varn_DocHandle").at(n).Args; }
    QString Log() const
    {
        QFile file(Dir.filePath("CodelineVarn.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString("<none>");
    }
};

} // namespace

TEST(EndorseFont, LetterRule)
{
    EXPECT_EQ(EndorseFontLetter(65, 1, 0), 'A');
    EXPECT_EQ(EndorseFontLetter(1, 1, 0), 'B');
    EXPECT_EQ(EndorseFontLetter(1, 0, 0), 'N');
    EXPECT_EQ(EndorseFontLetter(1, 0, 1), 'n');
    EXPECT_EQ(EndorseFontLetter(65, 0, 1), 'a');
}

TEST(CompareCodeline, BlanksAreIgnoredAndEmptyTextsAreEqual)
{
    ScriptedOperator op;
    struct Case {
        const char* Base;
        const char* Read;
        int16_t Expected;
    };
    const Case cases[] = {
        {"T123T 456U", "T123T 456U", 0},
        {"T123T456U", "T123T 456U  ", 0},
        {"T123T 456U", "T123T456U", 0},
        {"T123T456U", "", 0},
        {"", "T123T456U", 0},
        {"T123", " ", 0},
        {" ", "T123", 0},
        {"T123", "T124", 4},
        {"T123", "T1234", 4},
        {"T1234", "T123", 4},
        {"X23", "123", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareWithCodelineBase(op, c.Base, c.Read, false), c.Expected) << c.Base << " / " << c.Read;
    EXPECT_TRUE(op.Messages.empty());

    CompareWithCodelineBase(op, "T123", "T124", true);
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_EQ(op.Messages[0].Title, "Varn ERROR");
    EXPECT_EQ(op.Messages[0].Text, "Different Codeline !");
    EXPECT_EQ(op.Tones, (std::vector<std::pair<int, int>>{{700, 400}}));
}

TEST_F(DocumentRun, OneDocumentReadsShowsKeepsAndTellsWhetherAnotherWaits)
{
    State.Settings.ImageCounter = 12;
    auto bench = MakeBench();
    EXPECT_EQ(HandleOneDocument(bench, Dialogs), 0);
    EXPECT_EQ(Api.Names(), (std::vector<std::string>{"Varn_DocHandle", "Varn_ReadCodeline", "Varn_ReadImage",
                                                      "Varn_PeripheralStatus"}));
    EXPECT_EQ(DocHandleArgs(0), (std::vector<std::string>{"0", "null", "0", "0", "1", "'X'", "5", "0", "1", "'G'",
                                                         "0", "null", "0", "0"}));
    EXPECT_EQ(Api.CallsOf("Varn_ReadImage")[0].Args,
              (std::vector<std::string>{"0", "null", "1", "'X'", "0", "0", "ptr", "ptr", "null", "null"}));
    ASSERT_EQ(Op.Documents.size(), 1u);
    EXPECT_EQ(Op.Documents[0].DocumentNumber, 12u);
    EXPECT_TRUE(Op.Documents[0].HasFront && Op.Documents[0].HasBack);
    EXPECT_EQ(Op.Documents[0].Texts[1], "T011000015T 1234567U2");
    EXPECT_EQ(State.Settings.ImageCounter, 13u);
    EXPECT_STREQ(State.LastCodeline.data(), "T011000015T 1234567U2");
    ASSERT_TRUE(State.CurrentFrontImage && State.CurrentBackImage);
    EXPECT_EQ(State.CurrentBackImage->Row(0)[0], 100);

    DocumentsInFeeder = 1;
    EXPECT_EQ(HandleOneDocument(bench, Dialogs), 1) << "the feeder is empty after the last document";
}

TEST_F(DocumentRun, PrintPreparationAndCodelineRequest)
{
    auto& s = State.Settings;
    s.EndorsePrintMode = 65;
    s.PrintHigh = 1;
    SetText(s.EndorseString, "PAID");
    s.CodelineType = 16;
    s.ImageSide = 'B';
    auto bench = MakeBench();
    HandleOneDocument(bench, Dialogs);
    EXPECT_EQ(Api.Trace()[0], "Varn_LoadString(0, null, 'a', 4, \"PAID\")");
    EXPECT_EQ(DocHandleArgs(0)[3], "1");
    EXPECT_EQ(DocHandleArgs(0)[4], "15");
    EXPECT_EQ(DocHandleArgs(0)[5], "'B'");
    EXPECT_EQ(Api.CallsOf("Varn_SaveBMP").size(), 0u);

    // Without a printer the string is not loaded but the print mode stays.
    Api.Clear();
    State.Identity.FeatureBytes[0] = 1;
    s.EndorsePrintMode = 1;
    HandleOneDocument(bench, Dialogs);
    EXPECT_EQ(Api.Names()[0], "Varn_DocHandle");
    EXPECT_EQ(DocHandleArgs(0)[3], "1");

    // The digital string print, its side from "Print Front".
    Api.Clear();
    s.EndorsePrintMode = 2;
    s.DigitalPrintSide = 2;
    HandleOneDocument(bench, Dialogs);
    EXPECT_EQ(Api.Trace()[0],
              "Varn_LoadDigitalString(0, null, 'F', \"Digital string\", 14, 7, 0, \"Arial\", 20, 0, 0, 0, 0, 0, 10, 21)");
    EXPECT_EQ(DocHandleArgs(0)[3], "2");
    Api.Clear();
    s.DigitalPrintSide = 3; // "Pr. Front/Rear", the last side
    HandleOneDocument(bench, Dialogs);
    EXPECT_EQ(Api.CallsOf("Varn_LoadDigitalString").at(0).Args[2], "'X'");
}

TEST_F(DocumentRun, OcrReadsOnlyTheFrontAndDecodesInOrder)
{
    auto& s = State.Settings;
    s.CodelineType = 1 | 2 | 4;
    s.ImageSide = 'X';
    s.SaveImageMode = 6;
    s.SaveImageFormat = 11;
    State.ViewOcrRectOption = 1;
    Api.SetHook("Varn_CodelineReadFromBitmap", [](ApiCall& call) {
        std::strcpy(static_cast<char*>(call.Pointers[9]), "OCR LINE");
        EXPECT_EQ(*static_cast<uint16_t*>(call.Pointers[10]), 256) << "the OCR decode gets the full buffer";
    });
    Api.SetHook("Varn_ReadBarcodeFromBitmap",
                [](ApiCall& call) { std::strcpy(static_cast<char*>(call.Pointers[7]), "123456"); });
    auto bench = MakeBench();
    HandleOneDocument(bench, Dialogs);
    EXPECT_EQ(Api.Names(),
              (std::vector<std::string>{"Varn_DocHandle", "Varn_ReadCodeline", "Varn_ReadImage", "Varn_ViewOCRRectangle",
                                        "Varn_CodelineReadFromBitmap", "Varn_ReadBarcodeFromBitmap", "Varn_SaveBMP",
                                        "Varn_PeripheralStatus"}));
    EXPECT_EQ(DocHandleArgs(0)[5], "'F'");
    EXPECT_EQ(Api.Trace()[3], "Varn_ViewOCRRectangle(null, 1)");
    EXPECT_EQ(Api.CallsOf("Varn_CodelineReadFromBitmap")[0].Args[2], "\"B\"");
    EXPECT_EQ(Api.CallsOf("Varn_ReadBarcodeFromBitmap")[0].Args,
              (std::vector<std::string>{"null", "ptr", "'2'", "90", "4", "125", "12", "ptr", "ptr"}));
    EXPECT_EQ(Api.CallsOf("Varn_SaveBMP")[0].Args[2], "\"" + State.ProgramFolder + "Images/Image_0000FF.bmp\"");
    EXPECT_STREQ(State.LastCodeline.data(), "OCR LINE") << "the optical line comes first";
    EXPECT_EQ(State.DocumentFileNumber, 1);
    ASSERT_EQ(Op.Documents.size(), 1u);
    EXPECT_EQ(Op.Documents[0].Texts, (QStringList{"OCR LINE", "T011000015T 1234567U2", "123456"}));
}

TEST_F(DocumentRun, FailuresAreReportedWithTheirLabelAndEndTheStep)
{
    struct Case {
        const char* Operation;
        int32_t Reply;
        const char* Label;
    };
    for (const Case c : {Case{"Varn_DocHandle", -7, "Varn_DocHandle"}, Case{"Varn_ReadCodeline", -4, "Varn_ReadCodeline"},
                         Case{"Varn_ReadImage", -22, "Varn_ReadImage"},
                         Case{"Varn_PeripheralStatus", -8, "Varn_PeripheralStatus"}}) {
        RecordingVnApi api;
        ScriptedOperator op;
        api.SetReply(c.Operation, c.Reply);
        Bench bench{State, api, op};
        EXPECT_EQ(HandleOneDocument(bench, Dialogs), c.Reply);
        ASSERT_EQ(op.Messages.size(), 1u) << c.Operation;
        EXPECT_TRUE(op.Messages[0].Text.startsWith(QString(c.Label) + "\n\n")) << c.Operation;
        EXPECT_EQ(api.Names().back(), c.Operation) << "nothing runs after the failure";
    }
}

TEST_F(DocumentRun, LastCodelineIsKeptWhenNothingWasRead)
{
    std::strcpy(State.LastCodeline.data(), "PREVIOUS");
    State.Settings.CodelineType = 0;
    auto bench = MakeBench();
    HandleOneDocument(bench, Dialogs);
    EXPECT_STREQ(State.LastCodeline.data(), "PREVIOUS");
}

TEST_F(DocumentRun, CheckCodelineComparesWithTheBase)
{
    State.Settings.CheckCodeline = 1;
    SetText(State.Settings.CodelineBase, "T011000015T 1234567U2");
    auto bench = MakeBench();
    HandleOneDocument(bench, Dialogs);
    EXPECT_TRUE(Op.Messages.empty());
    HandleOneDocument(bench, Dialogs);
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Text, "Different Codeline !");
}

TEST_F(DocumentRun, TextsFillingTheirWholeFieldEndThere)
{
    // No terminator in either field, and the bytes after each are not zero.
    auto& s = State.Settings;
    s.CheckCodeline = 1;
    SetText(s.CodelineBase, "T011000015T 1234567U2");
    std::fill(s.CodelineBase.begin() + 21, s.CodelineBase.end(), ' '); // trailing blanks do not count
    s.Unused536 = 'd';
    s.EndorsePrintMode = 2;
    s.DigitalFontName.fill('F');
    s.DigitalFontSize = 20;
    auto bench = MakeBench();
    HandleOneDocument(bench, Dialogs);
    EXPECT_TRUE(Op.Messages.empty()) << "the base ends with its field";
    EXPECT_EQ(Api.CallsOf("Varn_LoadDigitalString").at(0).Args[7], "\"" + std::string(120, 'F') + "\"");
}

TEST_F(DocumentRun, BarcodeWindowsOutOfRangeArePassedHeldToTheRange)
{
    auto& s = State.Settings;
    s.CodelineType = 4;
    s.ImageSide = 'F';
    s.BarcodeWindowX = 2147483648.0f; // as the decode-window dialog stores "2147483648"
    s.BarcodeWindowY = -3.0e9f;
    s.BarcodeWindowWidth = std::nanf("");
    s.BarcodeWindowHeight = 12.9f;
    auto bench = MakeBench();
    HandleOneDocument(bench, Dialogs);
    const auto args = Api.CallsOf("Varn_ReadBarcodeFromBitmap").at(0).Args;
    EXPECT_EQ(std::vector<std::string>(args.begin() + 3, args.begin() + 7),
              (std::vector<std::string>{"2147483647", "-2147483648", "0", "12"}));
}

TEST_F(DocumentRun, RetainedDocumentGoesThroughTheReleaseDialog)
{
    auto& s = State.Settings;
    s.DocDestination = 0;
    s.ReleasePrint = 1;
    s.ReleaseBold = 1;
    SetText(s.ReleaseString, "REL");
    s.ReleaseFrontStamp = 1;
    s.ReleaseSide = 'F';
    auto bench = MakeBench();
    HandleOneDocument(bench, Dialogs);
    EXPECT_EQ(ReleaseDialogs, 1);
    const auto trace = Api.Trace();
    EXPECT_NE(std::find(trace.begin(), trace.end(), "Varn_LoadString(0, null, 'B', 3, \"REL\")"), trace.end());
    EXPECT_EQ(DocHandleArgs(1), (std::vector<std::string>{"0", "null", "1", "1", "0", "'F'", "5", "1", "1", "'G'",
                                                         "0", "null", "0", "0"}));
    ASSERT_EQ(Op.Documents.size(), 2u);
    EXPECT_TRUE(Op.Documents[1].Texts.join("").isEmpty());
    EXPECT_EQ(State.Settings.ImageCounter, 3u);
    EXPECT_TRUE(State.CurrentFrontImage);
    EXPECT_FALSE(State.CurrentBackImage) << "the release's front-only images become current";

    // Ejecting: no stamp, print or images.
    Api.Clear();
    s.ReleaseSortMode = 5;
    s.ReleaseSide = 'N';
    HandleOneDocument(bench, Dialogs);
    EXPECT_EQ(DocHandleArgs(1), (std::vector<std::string>{"0", "null", "0", "0", "0", "'N'", "5", "1", "5", "'G'",
                                                         "0", "null", "0", "0"}));
    EXPECT_EQ(Api.CallsOf("Varn_ReadImage").size(), 1u);
    EXPECT_TRUE(State.CurrentFrontImage && State.CurrentBackImage) << "the document's own images stay current";

    // Without a printer the release prints nothing.
    Api.Clear();
    State.Identity.FeatureBytes[0] = 1;
    HandleOneDocument(bench, Dialogs);
    EXPECT_EQ(Api.CallsOf("Varn_DocHandle").size(), 2u);
    EXPECT_EQ(Api.CallsOf("Varn_LoadString").size(), 0u);
}

TEST_F(DocumentRun, ManualRunRepeatsUntilTheFeederIsEmptyAndResetFileKeepsTheLastDocument)
{
    auto& s = State.Settings;
    s.DocDestination = 5;
    s.DocumentCount = 0;
    s.SaveCodelineOnFile = 1;
    s.ResetCodelineFile = 1;
    DocumentsInFeeder = 4;
    auto bench = MakeBench();
    RunManualDocuments(bench, Dialogs);
    EXPECT_EQ(Api.CallsOf("Varn_DocHandle").size(), 4u);
    EXPECT_EQ(Log(), "T011000015T 1234567U0\n");

    s.ResetCodelineFile = 0;
    DocumentsInFeeder = 2;
    RunManualDocuments(bench, Dialogs);
    EXPECT_EQ(Log(), "T011000015T 1234567U0\nT011000015T 1234567U1\nT011000015T 1234567U0\n");
}

TEST_F(DocumentRun, ManualRunStopsAtTheCountOrAtAnError)
{
    auto& s = State.Settings;
    s.DocDestination = 0;
    s.ScanCard = 1;
    s.DocumentCount = 2;
    DocumentsInFeeder = 10;
    auto bench = MakeBench();
    RunManualDocuments(bench, Dialogs);
    EXPECT_EQ(Api.CallsOf("Varn_PeripheralStatus").size(), 2u);

    Api.Clear();
    s.DocumentCount = 0;
    Api.QueueReplies("Varn_ReadCodeline", {0, 0, -4});
    RunManualDocuments(bench, Dialogs);
    EXPECT_EQ(Api.CallsOf("Varn_ReadCodeline").size(), 3u);
}

TEST_F(DocumentRun, SortedDestinationHandsTheBatchToTheAutomaticRun)
{
    State.Settings.DocDestination = 1;
    Api.SetReply("Varn_AutoDocHandle", 1);
    auto bench = MakeBench();
    RunManualDocuments(bench, Dialogs);
    EXPECT_EQ(Api.CallsOf("Varn_AutoDocHandle").size(), 1u);
    EXPECT_EQ(Api.CallsOf("Varn_DocHandle").size(), 0u);
}

TEST_F(DocumentRun, DocumentCommandOpensIdentifiesAndClosesAroundTheDialog)
{
    int dialogs = 0;
    DocumentDialogs cancelled{[&](Bench&) {
                                  ++dialogs;
                                  return 0;
                              },
                              [](Bench&) {}};
    Api.SetReply("VnConnect", 5);
    auto bench = MakeBench();
    RunDocumentCommand(bench, 40002, cancelled);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(Api.Names(), (std::vector<std::string>{"Vn_SetIPAddress", "VnConnect", "Varn_Identify", "VnDisconnect"}));
    EXPECT_TRUE(Op.Messages.empty()) << "an open reply of 5 is not shown";
    EXPECT_EQ(Op.MenuStates, (std::vector<bool>{false, true}));
    EXPECT_EQ(Op.CloseAllCount, 1);

    Api.Clear();
    Api.SetReply("VnConnect", -3);
    RunDocumentCommand(bench, 40026, Dialogs);
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_TRUE(Op.Messages[0].Text.startsWith("Varn_Open"));
    EXPECT_EQ(dialogs, 1) << "repeat manual runs without the dialog";
    EXPECT_EQ(Api.CallsOf("Varn_AutoDocHandle").size(), 1u) << "the command goes on after a failed open";
}

TEST(ImageNames, NumbersAndFormats)
{
    EXPECT_EQ(DocumentImageName("/p/Images", 7, 11, true), "/p/Images/Image_0007FF.bmp");
    EXPECT_EQ(DocumentImageName("/p/Images", 7, 10, false), "/p/Images/Image_0007BB.jpg");
    EXPECT_EQ(DocumentImageName("/p/Images", 12345, 29, true), "/p/Images/Image_12345FF.tif");
    EXPECT_EQ(DocumentImageName("/p/Images", 0, 0, true), "");
    EXPECT_EQ(DocumentImageName("/p/Images", 0, 12, true), "");
}

TEST(ImageSavingCalls, EachFormatItsOperation)
{
    BenchState state;
    state.ProgramFolder = "/p/";
    state.Settings.JpegQuality = 90;
    RecordingVnApi api;
    ScriptedOperator op;
    Bench bench{state, api, op};
    auto front = SmallImage(1);
    SaveDocumentImages(bench, 3, 10, front.get(), nullptr);
    SaveDocumentImages(bench, 3, 28, nullptr, front.get());
    SaveDocumentImages(bench, 3, 0, front.get(), front.get());
    EXPECT_EQ(api.Trace(), (std::vector<std::string>{"Varn_SaveJPEG(null, ptr, 90, \"/p/Images/Image_0003FF.jpg\")",
                                                     "Varn_SaveTIFF(null, ptr, \"/p/Images/Image_0003BB.tif\", 28, 0, 1)"}));
}

TEST_F(DocumentRun, ManualRunShowsItsProgressAndDispatchesEventsAfterEachDocument)
{
    auto& s = State.Settings;
    s.DocDestination = 5;
    s.DocumentCount = 3;
    DocumentsInFeeder = 10;
    std::vector<size_t> fedAtPump;
    Op.OnPump = [&] { fedAtPump.push_back(Api.CallsOf("Varn_DocHandle").size()); };
    auto bench = MakeBench();
    RunManualDocuments(bench, Dialogs);
    EXPECT_EQ(fedAtPump, (std::vector<size_t>{1, 2, 3}));
    EXPECT_EQ(Op.StatusTexts,
              (std::vector<QString>{"Document 1 of 3", "Document 2 of 3", "Document 3 of 3", ""}));

    Op.StatusTexts.clear();
    s.DocumentCount = 0; // all: no count to show
    DocumentsInFeeder = 2;
    RunManualDocuments(bench, Dialogs);
    EXPECT_EQ(Op.StatusTexts, (std::vector<QString>{"Document 1", "Document 2", ""}));
}

// The frame asks a run to stop when it is closed during the run.
TEST_F(DocumentRun, ManualRunStopsAfterTheDocumentDuringWhichAStopWasRequested)
{
    auto& s = State.Settings;
    s.DocDestination = 5;
    s.DocumentCount = 0;
    DocumentsInFeeder = 10;
    int reads = 0;
    Api.SetHook("Varn_ReadImage", [&](ApiCall&) {
        if (++reads == 2)
            State.StopRequested = true;
    });
    auto bench = MakeBench();
    RunManualDocuments(bench, Dialogs);
    EXPECT_EQ(Api.CallsOf("Varn_DocHandle").size(), 2u);
    EXPECT_EQ(Api.CallsOf("Varn_PeripheralStatus").size(), 2u) << "the second document is finished";
}

TEST_F(DocumentRun, AFailedImageSaveIsReportedOncePerRun)
{
    auto& s = State.Settings;
    s.DocDestination = 5;
    s.DocumentCount = 0;
    s.SaveImageMode = 6;
    s.SaveImageFormat = 10;
    DocumentsInFeeder = 3;
    Api.SetReply("Varn_SaveJPEG", -12);
    auto bench = MakeBench();
    RunDocumentCommand(bench, 40026, Dialogs);
    EXPECT_EQ(Api.CallsOf("Varn_SaveJPEG").size(), 6u) << "every side is still tried";
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_TRUE(Op.Messages[0].Text.startsWith("Varn_SaveJPEG")) << Op.Messages[0].Text.toStdString();

    DocumentsInFeeder = 2;
    RunDocumentCommand(bench, 40026, Dialogs);
    EXPECT_EQ(Op.Messages.size(), 2u) << "the next run reports again";

    Api.SetReply("Varn_SaveJPEG", 0);
    DocumentsInFeeder = 2;
    RunDocumentCommand(bench, 40026, Dialogs);
    EXPECT_EQ(Op.Messages.size(), 2u) << "a good save says nothing";
}
