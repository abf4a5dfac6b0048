// The signal commands on the virtual unit, with three cheques in the feeder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "core/CommandRegistry.h"
#include "core/CommandIds.h"
#include "docs/ChequeGenerator.h"
#include "micr/MicrCommands.h"
#include "micr/MicrDisplay.h"
#include "micr/MicrState.h"
#include "micr/SignalPlots.h"
#include "vnapi/VirtualUnitTestApi.h"

namespace {

std::vector<DocumentSpec> ThreeCheques()
{
    std::vector<DocumentSpec> docs;
    for (uint32_t i = 0; i < 3; ++i)
        docs.push_back(MakeCheque(11, i, ChequeLayout{}));
    return docs;
}

struct MicrEndToEnd : ::testing::Test {
    QTemporaryDir Dir;
    QString PreviousDirectory = QDir::currentPath();
    BenchState State;
    VirtualUnitPair Unit = CreateVirtualUnit(TestUnitSetup(11));
    ScriptedOperator Op;

    void SetUp() override
    {
        State.ProgramFolder = Dir.path().toStdString() + "/";
        ASSERT_TRUE(QDir(Dir.path()).mkdir("Dati"));
        ASSERT_TRUE(QDir::setCurrent(Dir.path()));
        Unit.Control.EmptyFeeder();
        Unit.Control.LoadDocuments(ThreeCheques());
    }
    void TearDown() override { QDir::setCurrent(PreviousDirectory); }
    void Run(int id)
    {
        CommandRegistry registry;
        RegisterMicrCommands(registry);
        const CommandEntry* entry = registry.Find(id);
        ASSERT_NE(entry, nullptr) << id;
        Bench bench{State, *Unit.Api, Op};
        entry->Handler(bench);
    }
};

} // namespace

TEST_F(MicrEndToEnd, ViewSignalOpensATextWindowAndASignalViewPerDocument)
{
    Run(Cmd::ViewSignalColor);
    ASSERT_EQ(Op.Documents.size(), 3u);
    const std::vector<DocumentSpec> docs = ThreeCheques();
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(Op.Documents[i].HasFront || Op.Documents[i].HasBack) << "text only";
        EXPECT_EQ(Op.Documents[i].DocumentNumber, 1u);
        EXPECT_EQ(Op.Documents[i].Texts[1].toStdString(), docs[i].Codeline);
    }
    EXPECT_EQ(Op.ImageTitles, std::vector<QString>(3, "Bitmap Segnale E13B"));
    EXPECT_TRUE(Op.Messages.empty()) << Op.Messages[0].Text.toStdString();
    EXPECT_EQ(Unit.Control.State().FeederCount, 0u);
    EXPECT_FALSE(Unit.Control.State().Open) << "the unit is closed again";
}

TEST_F(MicrEndToEnd, CheckSpeedLeavesTheLastDocumentsSignalInTheDump)
{
    Run(Cmd::CheckSpeedGray);
    EXPECT_TRUE(Op.Messages.empty()) << Op.Messages[0].Text.toStdString();
    EXPECT_TRUE(Op.Documents.empty()) << "no codeline window";
    ASSERT_EQ(Op.ImageTitles.size(), 3u);
    const bench::CharacterWidths& w = ProcessMicrState().CharWidths;
    EXPECT_EQ(Op.ImageTitles[2].toStdString(), bench::SpeedWidthCaption(w.CharWidthMin, w.CharWidthMax));
    EXPECT_FALSE(w.Widths.empty());

    // The same three cheques through a unit of the same seed: the third pass.
    VirtualUnitPair twin = CreateVirtualUnit(TestUnitSetup(11));
    twin.Control.EmptyFeeder();
    twin.Control.LoadDocuments(ThreeCheques());
    uint16_t unit = 0;
    ASSERT_EQ(twin.Api->VnConnect(nullptr, nullptr, 40, &unit), 0);
    std::vector<uint8_t> samples(16384);
    uint32_t length = 0;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(twin.Api->Varn_DocHandle(unit, nullptr, 0, 0, 1, 'N', 5, 0, 1, 'W', 0, nullptr, 0, 0), 0);
        length = 16384;
        ASSERT_EQ(twin.Api->Varn_ReadE13BSignal(unit, nullptr, samples.data(), &length), 0);
    }
    twin.Api->VnDisconnect(unit, nullptr);
    samples.resize(length);

    QFile dump(Dir.filePath("Dati/E13BSign.dmp"));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    const QByteArray bytes = dump.readAll();
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), samples);
}

TEST_F(MicrEndToEnd, WithoutTheDataFolderTheDumpIsSkippedAndThePlotsStillShow)
{
    ASSERT_TRUE(QDir(Dir.path()).rmdir("Dati"));
    Run(Cmd::CheckSpeedColor);
    EXPECT_TRUE(Op.Messages.empty()) << Op.Messages[0].Text.toStdString();
    EXPECT_EQ(Op.ImageTitles.size(), 3u);
    EXPECT_FALSE(QFile::exists(Dir.filePath("Dati/E13BSign.dmp")));
}

TEST(MicrDisplay, ASignalStartingWithZeroShowsNothingAndKeepsTheLastWidths)
{
    ScriptedOperator op;
    bench::CharacterWidths results;
    results.CharWidthMin = 108;
    results.CharWidthMax = 113;
    const uint8_t samples[] = {0, 128, 60, 128};
    ShowSignalView(op, samples, sizeof samples);
    ShowWidthPlot(op, results, samples, sizeof samples, 0, [](const bench::CharacterWidths&) { return "x"; });
    EXPECT_TRUE(op.ImageTitles.empty());
    EXPECT_EQ(results.CharWidthMin, 108);
    EXPECT_EQ(results.CharWidthMax, 113);
    ShowCalibrationTrace(op, 4, samples + 1, 3, 98.3f, 120);
    ASSERT_EQ(op.ImageTitles.size(), 1u) << "the trace takes the delivered length";
    EXPECT_EQ(op.ImageTitles[0], "4 Bitmap MICR Calibartion  -*-  98.3, Trimmer = 120");
}
