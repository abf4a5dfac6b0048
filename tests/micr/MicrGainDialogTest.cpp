// What only the dialogs can get wrong: the verdict, picture and average a run
// leaves, and the trimmer value refused or explained before it is written.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "micr/DocSpeedDialog.h"
#include "micr/MicrGainDialog.h"
#include "micr/ReadTestDialog.h"
#include "vnapi/VirtualUnitTestApi.h"

namespace {

bool SameImage(const QLabel* label, const char* resource)
{
    const QPixmap wanted(resource);
    return !wanted.isNull() && label->pixmap().toImage() == wanted.toImage();
}

} // namespace

TEST(MicrGainDialog, AGainRunShowsItsVerdictPictureAndAverage)
{
    QTemporaryDir dir;
    BenchState state;
    state.ProgramFolder = dir.path().toStdString() + "/";
    ASSERT_TRUE(QDir(dir.path()).mkdir("Dati"));
    VirtualUnitSetup setup = TestUnitSetup(21);
    setup.GeneratedCheques = 0;
    VirtualUnitPair unit = CreateVirtualUnit(setup);
    std::string lines;
    for (int i = 0; i < 40; ++i)
        lines += "Document = E13bCalibration\n";
    ASSERT_TRUE(unit.Control.LoadDocumentsFromText(lines));
    ScriptedOperator op;
    Bench bench{state, *unit.Api, op};
    MicrGainDialog dialog(bench);
    auto* status = dialog.findChild<QLabel*>("Status");
    auto* average = dialog.findChild<QLabel*>("Average");
    auto* picture = dialog.findChild<QLabel*>("ResultPicture");
    EXPECT_TRUE(SameImage(picture, ":/resources/ResultNeutral.png"));
    EXPECT_EQ(average->text(), "0.0");

    dialog.findChild<QPushButton*>("GainCalibration")->click();
    EXPECT_EQ(status->text(), "Calibration OK !");
    EXPECT_TRUE(SameImage(picture, ":/resources/ResultPassed.png"));
    const double shown = average->text().toDouble();
    EXPECT_GE(shown, 96.0);
    EXPECT_LE(shown, 104.0);
    EXPECT_GE(op.CloseAllCount, 1);
    EXPECT_FALSE(op.ImageTitles.empty()) << "the traces were shown while the run went on";

    dialog.findChild<QPushButton*>("TimeSampleCalibration")->click();
    EXPECT_EQ(status->text(), "Calibration Ok !");
    EXPECT_EQ(average->text(), "0.0");
    if (qEnvironmentVariableIsSet("VARN_GRAB_GAIN_DIALOG")) {
        dialog.show();
        dialog.grab().save(qEnvironmentVariable("VARN_GRAB_GAIN_DIALOG"));
    }

    // No document left: the failure and its picture.
    unit.Control.EmptyFeeder();
    dialog.findChild<QPushButton*>("GainCalibration")->click();
    EXPECT_EQ(status->text(), "Calibration FAILED -*- Trimmer Value 0");
    EXPECT_TRUE(SameImage(picture, ":/resources/ResultFailed.png"));
}

TEST(MicrGainDialog, SetTrimmerRefusesWhatIsNotANumberInRange)
{
    struct Case {
        const char* Typed;
        std::vector<MessageAnswer> Answers;
        uint32_t Value;
        size_t Messages;
    } cases[] = {
        {"1", {}, 1, 0},
        {"255", {}, 255, 0},
        {"0", {}, 0, 1},
        {"abc", {}, 0, 1},
        {"256", {MessageAnswer::Ok}, 256, 1},     // written as 0: said so first
        {"300", {MessageAnswer::Cancel}, 0, 1},
        {"65536", {}, 0, 1},
    };
    for (const Case& c : cases) {
        ScriptedOperator op;
        op.QueueAnswers(c.Answers);
        op.QueueDialog([&](QDialog& d) {
            d.findChild<QLineEdit*>("NewTrimmerValue")->setText(c.Typed);
            d.accept();
            if (d.result() != QDialog::Accepted) // refused: the operator gives up
                d.reject();
            return d.result();
        });
        EXPECT_EQ(AskTrimmerValue(op, nullptr), c.Value) << c.Typed;
        EXPECT_EQ(op.Messages.size(), c.Messages) << c.Typed;
    }
}

TEST(ReadTestDialog, CountAndDelayThatAreNotNumbersInRangeAreRefused)
{
    struct Case {
        const char* Count;
        const char* Delay;
        bool Refused;
    } cases[] = {{"abc", "0", true}, {"1000000", "0", true}, {"3", "3601", true}, {"0", "0", false}};
    for (const Case& c : cases) {
        BenchState state;
        VirtualUnitPair unit = CreateVirtualUnit(TestUnitSetup(3));
        ScriptedOperator op;
        Bench bench{state, *unit.Api, op};
        ReadTestDialog dialog(bench);
        dialog.findChild<QLineEdit*>("NumberOfReads")->setText(c.Count);
        dialog.findChild<QLineEdit*>("DelaySeconds")->setText(c.Delay);
        dialog.findChild<QPushButton*>("StartTest")->click();
        EXPECT_EQ(op.Messages.size(), c.Refused ? 1u : 0u) << c.Count << " " << c.Delay;
        // A refused run never reaches the unit; 0 reads ends at once with its verdict.
        EXPECT_EQ(dialog.findChild<QLabel*>("Status")->text(), "Reads OK !");
        EXPECT_EQ(unit.Control.State().FeederCount, 25u) << c.Count;
    }
}

TEST(DocSpeedDialog, ExitRefusesAReadCountThatIsNotANumber)
{
    BenchState state;
    VirtualUnitPair unit = CreateVirtualUnit(TestUnitSetup(3));
    ScriptedOperator op;
    Bench bench{state, *unit.Api, op};
    DocSpeedDialog dialog(bench);
    dialog.findChild<QLineEdit*>("NumberOfReads")->setText("five");
    dialog.findChild<QPushButton*>("Exit")->click();
    EXPECT_EQ(op.Messages.size(), 1u);
    EXPECT_EQ(state.Settings.DocSpeedReads, DefaultSettings().DocSpeedReads);
    dialog.findChild<QLineEdit*>("NumberOfReads")->setText("7");
    dialog.findChild<QPushButton*>("Exit")->click();
    EXPECT_EQ(state.Settings.DocSpeedReads, 7);
}
