// MICR print quality on the virtual unit, after the head calibrations:
// nominal cheques read in the window, a weak print LOW, a smudge HIGH.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "docs/ChequeGenerator.h"
#include "micr/MicrCalibration.h"
#include "micr/PrintQualityRun.h"
#include "vnapi/VirtualUnitTestApi.h"

using namespace bench;

namespace {

void SetReference(BenchState& state, const std::string& codeline)
{
    state.Settings.CodelineBase.fill(0);
    std::memcpy(state.Settings.CodelineBase.data(), codeline.data(), std::min<size_t>(codeline.size(), 255));
}

} // namespace

TEST(PrintQualityEndToEnd, NominalWeakAndSmudgedCheques)
{
    QTemporaryDir dir;
    BenchState state;
    state.ProgramFolder = dir.path().toStdString() + "/";
    ASSERT_TRUE(QDir(dir.path()).mkdir("Dati"));
    VirtualUnitSetup setup = TestUnitSetup(24);
    setup.GeneratedCheques = 0;
    VirtualUnitPair unit = CreateVirtualUnit(setup);
    ScriptedOperator op;
    Bench bench{state, *unit.Api, op};
    ASSERT_TRUE(unit.Control.LoadDocumentsFromText("Document = E13bCalibration\n"));
    ASSERT_EQ(CalibrateMicrGain(bench), 0);
    ASSERT_TRUE(unit.Control.LoadDocumentsFromText("Document = E13bCalibration\n"));
    ASSERT_EQ(CalibrateTimeSample(bench), 0);
    unit.Control.EmptyFeeder();

    std::vector<DocumentSpec> cheques;
    for (uint32_t i = 0; i < 4; ++i)
        cheques.push_back(MakeCheque(24, i, ChequeLayout{}));
    unit.Control.LoadDocuments(cheques);
    const size_t imagesBefore = op.ImageTitles.size();
    const auto nominal = RunPrintQuality(bench);
    ASSERT_EQ(nominal.size(), cheques.size());
    double lowest = 1000.0, highest = 0.0;
    for (size_t d = 0; d < nominal.size(); ++d) {
        EXPECT_EQ(nominal[d].Codeline, cheques[d].Codeline);
        for (const CharacterQuality& c : nominal[d].Report.Characters) {
            EXPECT_EQ(c.Verdict, PrintVerdict::Ok) << c.Symbol << " at " << c.Position;
            EXPECT_GE(c.Percent, 85.0) << c.Symbol << " at " << c.Position;
            EXPECT_LE(c.Percent, 115.0) << c.Symbol << " at " << c.Position;
            EXPECT_LT(std::fabs(c.PitchErrorInch), 0.01) << c.Symbol << " at " << c.Position;
            lowest = std::min(lowest, c.Percent);
            highest = std::max(highest, c.Percent);
        }
    }
    EXPECT_EQ(op.ImageTitles.size() - imagesBefore, cheques.size()) << "one bar plot a document";

    // A weak print: the reader rejects it, the reference codeline names it.
    const std::string weak = MakeCheque(24, 10, ChequeLayout{}).Codeline;
    SetReference(state, weak);
    ASSERT_TRUE(unit.Control.LoadDocumentsFromText("Document = Cheque | Codeline = " + weak + " | Ink = 40\n"));
    const auto low = RunPrintQuality(bench);
    ASSERT_EQ(low.size(), 1u);
    double lowMean = 0.0;
    for (const CharacterQuality& c : low[0].Report.Characters) {
        EXPECT_EQ(c.Verdict, PrintVerdict::Low) << c.Symbol << " at " << c.Position << ": " << c.Percent;
        EXPECT_NEAR(c.Percent, 40.0, 6.0) << c.Symbol << " at " << c.Position;
    }
    lowMean = low[0].Report.Summary.MeanPercent;

    // A smudged on-us symbol: HIGH there, nothing else touched.
    const std::string smudged = MakeCheque(24, 11, ChequeLayout{}).Codeline;
    const size_t onUs = smudged.find('U');
    ASSERT_NE(onUs, std::string::npos);
    SetReference(state, smudged);
    ASSERT_TRUE(unit.Control.LoadDocumentsFromText("Document = Cheque | Codeline = " + smudged +
                                                    " | Smudge = " + std::to_string(onUs + 1) + "\n"));
    const auto high = RunPrintQuality(bench);
    ASSERT_EQ(high.size(), 1u);
    for (const CharacterQuality& c : high[0].Report.Characters)
        EXPECT_EQ(c.Verdict, c.Position == static_cast<int>(onUs) + 1 ? PrintVerdict::High : PrintVerdict::Ok)
            << c.Symbol << " at " << c.Position << ": " << c.Percent;
    EXPECT_EQ(high[0].Report.Summary.Highs, 1);
    double smudge = 0.0;
    for (const CharacterQuality& c : high[0].Report.Characters)
        smudge = c.Position == static_cast<int>(onUs) + 1 ? c.Percent : smudge;

    QFile csv(QString::fromStdString(state.ProgramFolder + PrintQualityCsvPath));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = csv.readAll().split('\n');
    EXPECT_EQ(rows[0].toStdString(), PrintQualityCsvHeader());
    size_t characters = low[0].Report.Characters.size() + high[0].Report.Characters.size();
    for (const auto& d : nominal)
        characters += d.Report.Characters.size();
    EXPECT_EQ(rows.size(), characters + 2) << "header, one row a character, a final newline";
    std::printf("nominal %.1f..%.1f %%, weak mean %.1f %%, smudge %.1f %%\n", lowest, highest, lowMean, smudge);
}
