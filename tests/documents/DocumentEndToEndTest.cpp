// Documents fed through the virtual unit: read, decoded, shown, saved, logged.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "docs/ChequeGenerator.h"
#include "docs/Document.h"
#include "documents/AutoDocRun.h"
#include "documents/DocumentRun.h"
#include "documents/ReleaseDocumentDialog.h"
#include "vnapi/VirtualUnitTestApi.h"

namespace {

struct DocumentsEndToEnd : ::testing::Test {
    QTemporaryDir Dir;
    BenchState State;
    VirtualUnitPair Unit = CreateVirtualUnit(TestUnitSetup(11));
    ScriptedOperator Op;
    DocumentDialogs Dialogs{[](Bench&) { return 1; }, [](Bench& bench) { RunReleaseDocumentDialog(bench); }};

    void SetUp() override
    {
        State.ProgramFolder = Dir.path().toStdString() + "/";
        QDir(Dir.path()).mkdir("Images");
        State.Settings.CodelineType = 1;
        State.Settings.DocDestination = 5;
        ASSERT_EQ(Unit.Api->VnConnect(nullptr, nullptr, 40, &State.UnitHandle), 0);
        uint8_t features[4] = {};
        ASSERT_EQ(Unit.Api->Varn_Identify(State.UnitHandle, nullptr, features, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr, nullptr, 0, 0, 0, 0, 0),
                  0);
        std::copy(features, features + 4, State.Identity.FeatureBytes.begin());
    }
    void TearDown() override { Unit.Api->VnDisconnect(State.UnitHandle, nullptr); }
    Bench MakeBench() { return Bench{State, *Unit.Api, Op}; }
    QString Log() const
    {
        QFile file(Dir.filePath("CodelineVarn.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString("<none>");
    }
};

} // namespace

TEST_F(DocumentsEndToEnd, MicrReadGivesThePrintedCodelineInStripLastCodelineAndLog)
{
    const auto feeder = Unit.Control.FeederContents();
    ASSERT_FALSE(feeder.empty());
    State.Settings.SaveCodelineOnFile = 1;
    auto bench = MakeBench();
    EXPECT_EQ(HandleOneDocument(bench, Dialogs), 0);
    const QString printed = QString::fromStdString(feeder[0].Codeline);
    ASSERT_EQ(Op.Documents.size(), 1u);
    EXPECT_EQ(Op.Documents[0].Texts[1], printed);
    EXPECT_EQ(QString(State.LastCodeline.data()), printed);
    EXPECT_EQ(Log(), printed + "\n");
    EXPECT_TRUE(State.CurrentFrontImage && State.CurrentBackImage);
    EXPECT_TRUE(Op.Messages.empty()) << Op.Messages[0].Text.toStdString();
}

TEST_F(DocumentsEndToEnd, OcrAndBarcodeAreDecodedFromTheFrontImage)
{
    struct Case {
        ChequeLayout Layout;
        uint8_t Switch;
        char OcrType;
        char BarcodeType;
    };
    const Case cases[] = {
        {{MicrFont::E13B, OcrFont::OcrB, BarcodeKind::None}, 2, 'B', '2'},
        {{MicrFont::E13B, OcrFont::OcrA, BarcodeKind::None}, 2, 'A', '2'},
        {{MicrFont::E13B, OcrFont::None, BarcodeKind::TwoOfFive}, 4, 'B', '2'},
        {{MicrFont::E13B, OcrFont::None, BarcodeKind::Code39}, 4, 'B', '3'},
        {{MicrFont::E13B, OcrFont::None, BarcodeKind::Code128}, 4, 'B', '4'},
    };
    uint32_t index = 0;
    for (const Case& c : cases) {
        const DocumentSpec doc = MakeCheque(11, index++, c.Layout);
        Unit.Control.EmptyFeeder();
        Unit.Control.LoadDocuments({doc});
        Op.Documents.clear();
        auto& s = State.Settings;
        s.CodelineType = static_cast<uint8_t>(1 | c.Switch);
        s.OcrReadType = static_cast<uint8_t>(c.OcrType);
        s.BarcodeType = static_cast<uint8_t>(c.BarcodeType);
        auto bench = MakeBench();
        EXPECT_EQ(HandleOneDocument(bench, Dialogs), 1);
        ASSERT_EQ(Op.Documents.size(), 1u);
        const QStringList& texts = Op.Documents[0].Texts;
        EXPECT_EQ(texts[1].toStdString(), doc.Codeline);
        if (c.Switch == 2) {
            EXPECT_EQ(texts[0].toStdString(), doc.OcrText);
            EXPECT_FALSE(Op.Documents[0].HasBack) << "the OCR switch scans the front only";
        } else {
            EXPECT_EQ(texts[2].toStdString(), doc.BarcodeText);
        }
    }
    EXPECT_TRUE(Op.Messages.empty()) << Op.Messages[0].Text.toStdString();
}

TEST_F(DocumentsEndToEnd, SavedImagesLoadBackInEveryFormat)
{
    auto& s = State.Settings;
    s.SaveImageMode = 6;
    for (uint16_t format : {11, 10, 3, 25, 27, 28, 29}) {
        s.SaveImageFormat = format;
        auto bench = MakeBench();
        ASSERT_EQ(HandleOneDocument(bench, Dialogs), 0) << format;
        const char* extension = format == 11 ? "bmp" : format == 10 ? "jpg" : "tif";
        for (const char* side : {"FF", "BB"}) {
            const std::string path = State.ProgramFolder + "Images/Image_0000" + side + "." + extension;
            ImageHandle loaded;
            ASSERT_EQ(Unit.Api->Varn_LoadImageFile(path.c_str(), &loaded), 0) << path;
            ASSERT_TRUE(loaded && loaded->IsValid()) << path;
            EXPECT_EQ(loaded->Width(), State.CurrentFrontImage->Width()) << path;
        }
    }
}

TEST_F(DocumentsEndToEnd, RetainedDocumentIsReleasedThroughItsDialog)
{
    State.Settings.DocDestination = 0;
    State.Settings.ReleaseSide = 'B';
    Op.QueueDialog([](QDialog& dialog) {
        dialog.findChild<QAbstractButton*>("Sort")->click();
        return dialog.result();
    });
    auto bench = MakeBench();
    EXPECT_EQ(HandleOneDocument(bench, Dialogs), 0);
    EXPECT_EQ(Op.DialogTitles.size(), 1u);
    EXPECT_TRUE(Op.Messages.empty()) << Op.Messages[0].Text.toStdString();
    ASSERT_EQ(Op.Documents.size(), 2u) << "the document, then the release's images";
    EXPECT_FALSE(Op.Documents[1].HasFront);
    EXPECT_TRUE(Op.Documents[1].HasBack);
    EXPECT_FALSE(Unit.Control.State().DocumentInPath) << "the held document went to the pocket";
}

TEST_F(DocumentsEndToEnd, ManualRunOfAllDocumentsEmptiesTheFeederAndTheLogKeepsTheLast)
{
    auto& s = State.Settings;
    s.DocumentCount = 0;
    s.SaveCodelineOnFile = 1;
    s.ResetCodelineFile = 1;
    State.ViewImageOption = 0;
    const auto feeder = Unit.Control.FeederContents();
    auto bench = MakeBench();
    RunManualDocuments(bench, Dialogs);
    EXPECT_EQ(Unit.Control.State().FeederCount, 0u);
    EXPECT_EQ(Unit.Control.State().DocumentsFed, feeder.size());
    EXPECT_TRUE(Op.Messages.empty()) << Op.Messages[0].Text.toStdString();
    EXPECT_EQ(Log(), QString::fromStdString(feeder.back().Codeline) + "\n");
}

TEST_F(DocumentsEndToEnd, AutomaticRunFetchesTheWholeStack)
{
    auto& s = State.Settings;
    s.DocDestination = 1;
    s.DocumentCount = 0;
    s.SaveCodelineOnFile = 1;
    State.ViewImageOption = 0;
    const auto feeder = Unit.Control.FeederContents();
    auto bench = MakeBench();
    EXPECT_EQ(RunAutoDocHandle(bench), 1);
    QStringList expected;
    for (const auto& doc : feeder)
        expected << QString::fromStdString(doc.Codeline);
    EXPECT_EQ(Log(), expected.join("\n") + "\n");
    ASSERT_EQ(Op.Messages.size(), 1u) << "the empty feeder ends the run";
    EXPECT_EQ(Op.Messages[0].Text, "Varn_GetDocData\n\nVarn_FEEDER_EMPTY");
}
