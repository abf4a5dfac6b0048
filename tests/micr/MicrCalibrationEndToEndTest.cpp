// The head calibrations on the virtual unit of both generations, from the
// fresh unit's mis-set trimmer and time sample.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "micr/DocSpeedRun.h"
#include "micr/MicrCalibration.h"
#include "micr/MicrState.h"
#include "micr/ReadTestRun.h"
#include "docs/ChequeGenerator.h"
#include "vnapi/VirtualUnitTestApi.h"
#include "vnapi/VnCodes.h"

namespace {

// The gain and time-sample runs need one calibration document: handed back
// after a pass, it is in the feeder again for the next. The speed run sorts
// every document it reads.
void LoadCalibrationDocument(VirtualUnitControl& control, int count = 1)
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "Document = E13bCalibration\n";
    ASSERT_TRUE(control.LoadDocumentsFromText(lines));
}

VirtualUnitSetup CalibrationUnit(uint16_t generation)
{
    VirtualUnitSetup setup = TestUnitSetup(21);
    setup.Generation = generation;
    setup.GeneratedCheques = 0;
    return setup;
}

} // namespace

TEST(MicrCalibrationEndToEnd, BothGenerationsConvergeFromAFreshUnit)
{
    for (const uint16_t generation : {40, 39}) {
        QTemporaryDir dir;
        BenchState state;
        state.ProgramFolder = dir.path().toStdString() + "/";
        ASSERT_TRUE(QDir(dir.path()).mkdir("Dati"));
        VirtualUnitPair unit = CreateVirtualUnit(CalibrationUnit(generation));
        const uint8_t freshTrimmer = unit.Control.State().Trimmer;
        const uint16_t freshTimeSample = unit.Control.State().TimeSample;
        ScriptedOperator op;
        Bench bench{state, *unit.Api, op};

        LoadCalibrationDocument(unit.Control);
        EXPECT_EQ(CalibrateMicrGain(bench), 0) << "generation " << generation;
        const size_t gainPasses = ProcessMicrState().CalibrationDocCount;
        const float average = ProcessMicrState().CalibrationResult;
        EXPECT_GE(average, 96.0f) << generation;
        EXPECT_LE(average, 104.0f) << generation;
        EXPECT_EQ(state.UnitGeneration, generation);
        EXPECT_NE(unit.Control.State().Trimmer, freshTrimmer) << "the new trimmer stays in the unit";
        EXPECT_EQ(state.Settings.MicrToleranceMinus, 4);
        EXPECT_EQ(state.Settings.MicrTolerancePlus, 4);
        EXPECT_TRUE(op.Messages.empty()) << op.Messages[0].Text.toStdString();

        EXPECT_EQ(unit.Control.State().FeederCount, 0u) << "the run ends with the document sorted";
        LoadCalibrationDocument(unit.Control);
        const uint32_t fedBefore = unit.Control.State().DocumentsFed;
        EXPECT_EQ(CalibrateTimeSample(bench), 0) << "generation " << generation;
        // The closing feed takes one document more than the turns.
        const size_t timePasses = unit.Control.State().DocumentsFed - fedBefore - 1;
        EXPECT_NE(unit.Control.State().TimeSample, freshTimeSample);
        EXPECT_FLOAT_EQ(ProcessMicrState().CalibrationResult, 0.0f);
        EXPECT_FALSE(unit.Control.State().Open);

        // The calibrated head reads twenty cheques cleanly.
        unit.Control.EmptyFeeder();
        std::vector<DocumentSpec> cheques;
        for (uint32_t i = 0; i < 20; ++i)
            cheques.push_back(MakeCheque(21, i, ChequeLayout{}));
        unit.Control.LoadDocuments(cheques);
        state.Settings.ReadTestCount = 20;
        state.Settings.ReadTestDelay = 0;
        std::vector<std::string> lines;
        ReadTestHooks hooks;
        hooks.Count = [&] { return static_cast<int64_t>(state.Settings.ReadTestCount); };
        hooks.Sorter = true;
        hooks.AddLine = [&](const std::string& l) { lines.push_back(l); };
        EXPECT_EQ(RunReadTest(bench, hooks), ReadTestVerdict::ReadsOk);
        ASSERT_EQ(lines.size(), 20u);
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].find('!'), std::string::npos) << generation << ": " << lines[i];
            EXPECT_EQ(lines[i], cheques[i].Codeline) << generation;
        }
        std::printf("generation %u: gain %zu passes (%.1f %%, trimmer %u -> %u), time sample %zu passes (%u -> %u)\n",
                    generation, gainPasses, average, freshTrimmer, unit.Control.State().Trimmer, timePasses,
                    freshTimeSample, unit.Control.State().TimeSample);
    }
}

TEST(MicrCalibrationEndToEnd, GainRunLeavesTolerances4EvenWhenItFails)
{
    BenchState state;
    state.Settings.MicrToleranceMinus = 7;
    state.Settings.MicrTolerancePlus = 9;
    VirtualUnitPair unit = CreateVirtualUnit(CalibrationUnit(40));
    unit.Control.EmptyFeeder();
    ScriptedOperator op;
    Bench bench{state, *unit.Api, op};
    EXPECT_NE(CalibrateMicrGain(bench), 0) << "no document";
    EXPECT_EQ(state.Settings.MicrToleranceMinus, 4);
    EXPECT_EQ(state.Settings.MicrTolerancePlus, 4);
}

TEST(MicrCalibrationEndToEnd, AWornBeltFailsTheDocumentSpeedAndAHealthyOnePasses)
{
    struct Case {
        double Wear;
        DocSpeedVerdict Verdict;
    };
    for (const Case c : {Case{0.0, DocSpeedVerdict::Passed}, Case{1.0, DocSpeedVerdict::Failed}}) {
        BenchState state;
        VirtualUnitSetup setup = CalibrationUnit(40);
        setup.BeltWear = c.Wear;
        VirtualUnitPair unit = CreateVirtualUnit(setup);
        LoadCalibrationDocument(unit.Control, 5);
        ScriptedOperator op;
        Bench bench{state, *unit.Api, op};
        std::vector<std::string> lines;
        EXPECT_EQ(CalibrateDocSpeed(bench, [&](const std::string& l) { lines.push_back(l); }), c.Verdict)
            << "wear " << c.Wear;
        EXPECT_TRUE(op.Messages.empty()) << op.Messages[0].Text.toStdString();
        EXPECT_FALSE(lines.empty());
        for (const std::string& l : lines)
            std::printf("wear %.1f: %s\n", c.Wear, l.c_str());
    }
}

TEST(MicrCalibrationEndToEnd, NoReadsAsked)
{
    BenchState state;
    state.Settings.DocSpeedReads = 0;
    VirtualUnitPair unit = CreateVirtualUnit(CalibrationUnit(40));
    LoadCalibrationDocument(unit.Control);
    ScriptedOperator op;
    Bench bench{state, *unit.Api, op};
    std::vector<std::string> lines;
    EXPECT_EQ(CalibrateDocSpeed(bench, [&](const std::string& l) { lines.push_back(l); }), DocSpeedVerdict::Passed);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(unit.Control.State().FeederCount, 1u) << "no document fed";
}

TEST(MicrCalibrationEndToEnd, ALooseDocumentEndsTheGainRunAfterThreeWrongCounts)
{
    BenchState state;
    VirtualUnitSetup setup = CalibrationUnit(40);
    setup.LooseDocument = true;
    VirtualUnitPair unit = CreateVirtualUnit(setup);
    LoadCalibrationDocument(unit.Control);
    const uint8_t trimmer = unit.Control.State().Trimmer;
    ScriptedOperator op;
    Bench bench{state, *unit.Api, op};
    EXPECT_EQ(CalibrateMicrGain(bench), VnReplyCalibrationFailed);
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_EQ(op.Messages[0].Text, "Document loose !!!\n\nChange Document !");
    EXPECT_EQ(op.Messages[0].Title, "Varn ERROR");
    EXPECT_EQ(unit.Control.State().DocumentsFed, 3u) << "51, 49, 51 marks: three reads, no pass";
    EXPECT_EQ(unit.Control.State().Trimmer, trimmer) << "no read counted, nothing written";
}

TEST(MicrCalibrationEndToEnd, ReadSignalOnceReadsAndPlotsWithoutChangingTheUnit)
{
    QTemporaryDir dir;
    BenchState state;
    state.ProgramFolder = dir.path().toStdString() + "/";
    ASSERT_TRUE(QDir(dir.path()).mkdir("Dati"));
    VirtualUnitPair unit = CreateVirtualUnit(CalibrationUnit(39));
    LoadCalibrationDocument(unit.Control, 2);
    const VirtualUnitState before = unit.Control.State();
    ScriptedOperator op;
    Bench bench{state, *unit.Api, op};
    EXPECT_EQ(ReadSignalOnce(bench, 2), 0);
    EXPECT_EQ(ProcessMicrState().CalibrationDocCount, 2);
    EXPECT_EQ(op.ImageTitles.size(), 2u) << "one trace per document";
    EXPECT_TRUE(op.Messages.empty());
    const VirtualUnitState after = unit.Control.State();
    EXPECT_EQ(after.Trimmer, before.Trimmer);
    EXPECT_EQ(after.TimeSample, before.TimeSample);
    EXPECT_EQ(after.FeederCount, 0u) << "both documents sorted";
    EXPECT_FALSE(after.Open);
    // A third document is not there: the feed's reply is reported and the run ends.
    EXPECT_EQ(ReadSignalOnce(bench, 1), VnReplyFeederEmpty);
    ASSERT_EQ(op.Messages.size(), 1u);
    EXPECT_TRUE(op.Messages[0].Text.startsWith("Varn_DocHandle")) << op.Messages[0].Text.toStdString();
}
