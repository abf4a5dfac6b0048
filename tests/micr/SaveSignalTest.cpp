// "Save Signal E13B on Error" on the virtual unit: the file set per document,
// the numbering, the reset rule, the decode plug-in both ways.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "docs/ChequeGenerator.h"
#include "micr/DecodeLibrary.h"
#include "micr/MicrState.h"
#include "micr/SaveSignalDialog.h"
#include "micr/SaveSignalRun.h"
#include "vnapi/VirtualUnitTestApi.h"

namespace {

struct SaveSignal : ::testing::Test {
    QTemporaryDir Dir;
    BenchState State;
    VirtualUnitPair Unit = CreateVirtualUnit(TestUnitSetup(11));
    ScriptedOperator Op;
    DecodeLibrary NoLibrary;
    std::vector<DocumentSpec> Docs;
    QStringList Listed;

    void SetUp() override
    {
        State.ProgramFolder = Dir.path().toStdString() + "/";
        Load(3);
    }
    void Load(uint32_t count)
    {
        Unit.Control.EmptyFeeder();
        Docs.clear();
        for (uint32_t i = 0; i < count; ++i)
            Docs.push_back(MakeCheque(11, static_cast<uint32_t>(Listed.size()) + i, ChequeLayout{}));
        Unit.Control.LoadDocuments(Docs);
    }
    void Run(int saveCodelines, int reset, int micrOcr, const DecodeLibrary& decode,
             std::function<SaveSignalChoices()> choices = {})
    {
        Bench bench{State, *Unit.Api, Op};
        SaveSignalHooks hooks{std::move(choices), [this](const QString& text) { Listed << text; }};
        SaveSignalRun(bench, saveCodelines, reset, micrOcr, decode, hooks);
    }
    QByteArray Read(const QString& name) const
    {
        QFile file(Dir.filePath("Dati/" + name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    bool Exists(const QString& name) const { return QFile::exists(Dir.filePath("Dati/" + name)); }
};

} // namespace

TEST_F(SaveSignal, EveryDocumentsFilesCarryOneNumberAndTheCounterGoesOn)
{
    State.Settings.SignalFileCounter = 7;
    int document = 0;
    // CMC7 on the second document only; the image on all three.
    Run(0, 0, 0, NoLibrary, [&] { return SaveSignalChoices{++document == 2, true}; });
    EXPECT_EQ(State.Settings.SignalFileCounter, 10);
    for (const char* n : {"0007", "0009"}) {
        EXPECT_GT(Read(QString("SgnE13B_Varn_%1.kmx").arg(n)).size(), 5000) << n;
        EXPECT_FALSE(Exists(QString("CMC7_signal_Varn_%1.kmx").arg(n))) << n;
    }
    EXPECT_FALSE(Exists("SgnE13B_Varn_0008.kmx")) << "CMC7 checked: no E13B dump";
    EXPECT_GT(Read("CMC7_signal_Varn_0008.kmx").size(), 5000);
    EXPECT_EQ(Read("CMC7_Data_Varn_0008.kmx").size(), 1024);
    for (const char* n : {"0007", "0008", "0009"})
        EXPECT_TRUE(Exists(QString("Front_SgnE13B_%1.bmp").arg(n))) << n;
    EXPECT_FALSE(Exists("SgnE13B_Varn_0010.kmx"));
    EXPECT_FALSE(Exists("CodelineVarn.txt")) << "not asked for";
    ASSERT_EQ(Listed.size(), 3);
    EXPECT_EQ(Listed[2].toStdString(), Docs[2].Codeline);
    EXPECT_EQ(std::string(State.LastCodeline.data()), Docs[2].Codeline);
    ASSERT_EQ(Op.Messages.size(), 1u) << "the reply that stopped the feeding";
    EXPECT_EQ(Op.Messages[0].Text, "Varn_DocHandle\n\nVarn_FEEDER_EMPTY");
}

TEST_F(SaveSignal, ResetEmptiesTheTextFilesAndRestartsTheNumbering)
{
    ASSERT_TRUE(QDir(Dir.path()).mkdir("Dati"));
    QFile old(Dir.filePath("Dati/CodelineVarn.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old line\n");
    old.close();
    State.Settings.SignalFileCounter = 5;
    Run(1, 1, 0, NoLibrary);
    EXPECT_EQ(State.Settings.SignalFileCounter, 3);
    QByteArray expected;
    for (const auto& d : Docs)
        expected += QByteArray::fromStdString(d.Codeline) + "\n";
    EXPECT_EQ(Read("CodelineVarn.txt"), expected);
    EXPECT_TRUE(Exists("SgnE13B_Varn_0000.kmx"));

    Load(2);
    Run(1, 0, 0, NoLibrary);
    EXPECT_EQ(State.Settings.SignalFileCounter, 5) << "appending keeps counting";
    for (const auto& d : Docs)
        expected += QByteArray::fromStdString(d.Codeline) + "\n";
    EXPECT_EQ(Read("CodelineVarn.txt"), expected);

    Load(1);
    Run(0, 1, 0, NoLibrary);
    EXPECT_EQ(State.Settings.SignalFileCounter, 6) << "reset without a text file resets nothing";
    EXPECT_EQ(Read("CodelineVarn.txt"), expected);
}

TEST_F(SaveSignal, MicrAndOcrListsBothAndKeepsTheOcrFile)
{
    Run(0, 1, 1, NoLibrary);
    EXPECT_EQ(State.Settings.SignalFileCounter, 3);
    EXPECT_EQ(Listed.size(), 6) << "MICR then OCR codeline per document";
    EXPECT_EQ(Read("Codeline_Ocr_Varn.txt").count('\n'), 3);
}

TEST_F(SaveSignal, TheDecodePluginWritesTheDumpWhenItIsThere)
{
    State.Settings.SignalFileCounter = 0;
    DecodeLibrary library;
    EXPECT_FALSE(LoadDecodeLibrary(library, State.ProgramFolder)) << "no library: the bench's own dump";
    QFile junk(Dir.filePath("MICRDecodelib.so"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();
    EXPECT_FALSE(LoadDecodeLibrary(library, State.ProgramFolder)) << "not loadable counts as missing";
    EXPECT_EQ(library.Handle, nullptr);
    Run(0, 0, 0, library);
    EXPECT_GT(Read("SgnE13B_Varn_0000.kmx").size(), 5000);
    EXPECT_FALSE(Read("SgnE13B_Varn_0000.kmx").startsWith("MICRDecodelib"));

    ASSERT_TRUE(junk.remove());
    ASSERT_TRUE(QFile::copy(MICRDECODELIB_SAMPLE_PATH, Dir.filePath("MICRDecodelib.so")));
    ASSERT_TRUE(LoadDecodeLibrary(library, State.ProgramFolder));
    Load(1);
    Run(0, 0, 0, library);
    const QByteArray dump = Read("SgnE13B_Varn_0003.kmx");
    EXPECT_TRUE(dump.startsWith("MICRDecodelib sample dump\n")) << dump.left(40).toStdString();
    EXPECT_TRUE(dump.contains("Dati/SgnE13B_Varn_0003.kmx"));
    // With CMC7 the library is not called.
    Load(1);
    Run(0, 0, 0, library, [] { return SaveSignalChoices{true, false}; });
    EXPECT_FALSE(Exists("SgnE13B_Varn_0004.kmx"));
}

TEST_F(SaveSignal, ResetFileIsUncheckedByStartAndCheckedAgainWithSaveCodelines)
{
    ProcessMicrState().ResetFileRequested = 0;
    Unit.Control.EmptyFeeder();
    Bench bench{State, *Unit.Api, Op};
    SaveSignalDialog dialog(bench);
    auto* save = dialog.findChild<QCheckBox*>("SaveCodelines");
    auto* reset = dialog.findChild<QCheckBox*>("ResetFile");
    ASSERT_TRUE(save && reset);
    EXPECT_FALSE(reset->isEnabled());
    save->setChecked(true);
    EXPECT_TRUE(reset->isEnabled());
    EXPECT_FALSE(reset->isChecked());
    reset->setChecked(true);
    dialog.findChild<QPushButton*>("Start")->click();
    EXPECT_FALSE(reset->isChecked()) << "the next start appends";
    EXPECT_EQ(ProcessMicrState().ResetFileRequested, 1);
    save->setChecked(false);
    EXPECT_FALSE(reset->isEnabled());
    save->setChecked(true);
    EXPECT_TRUE(reset->isChecked());
    ProcessMicrState().ResetFileRequested = 0;
}

TEST_F(SaveSignal, AFolderThatCannotBeMadeEndsTheRunBeforeAnyDocument)
{
    QFile blocker(Dir.filePath("NotAFolder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    State.ProgramFolder = Dir.filePath("NotAFolder").toStdString() + "/";
    Run(1, 1, 0, NoLibrary);
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Title, "Varnw demo test");
    EXPECT_EQ(Op.Messages[0].Text, "Can't create the Folder \"Dati\" !!!");
    EXPECT_EQ(Op.Messages[0].Icon, MessageIcon::Information);
    EXPECT_EQ(Unit.Control.State().FeederCount, 3u);
}
