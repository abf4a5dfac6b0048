// "Check Quality Image" on the virtual unit's colour test document.
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "quality/ImageCalibrationRun.h"
#include "quality/QualityImageDialog.h"
#include "vnapi/VirtualUnitTestApi.h"

class TestQualityImage : public QObject {
    Q_OBJECT

    QString Check(double lampLevel, bool colour, const char* shot = nullptr, double streakMm = -1.0)
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("Images");
        BenchState state;
        state.ProgramFolder = dir.path().toStdString() + "/";
        VirtualUnitSetup setup = TestUnitSetup(3);
        setup.LampLevel = lampLevel;
        setup.StreakMm = streakMm;
        VirtualUnitPair unit = CreateVirtualUnit(setup);
        unit.Control.EmptyFeeder();
        if (!unit.Control.LoadDocumentsFromText("Document = ColourTest\n"))
            return "feeder";
        ScriptedOperator op;
        Bench bench{state, *unit.Api, op};
        // The image scale is calibrated first, as a technician does.
        unit.Control.EmptyFeeder();
        if (!unit.Control.LoadDocumentsFromText(QString("Document = Blank | Length = 150\n").repeated(9).toStdString()))
            return "blanks";
        if (!bench::RunImageCalibration(bench, 150, nullptr))
            return "calibration";
        unit.Control.EmptyFeeder();
        if (!unit.Control.LoadDocumentsFromText("Document = ColourTest\n"))
            return "feeder";
        QualityImageDialog dialog(bench);
        dialog.findChild<QRadioButton*>("BandWhite")->setChecked(true);
        dialog.findChild<QRadioButton*>(colour ? "ScaleColor" : "ScaleGrey")->setChecked(true);
        dialog.findChild<QRadioButton*>("SideFront")->setChecked(true);
        dialog.findChild<QPushButton*>("ScanButton")->click();
        if (!dialog.findChild<QPushButton*>("SaveFilesButton")->isEnabled())
            return "save not enabled";
        if (shot != nullptr && qEnvironmentVariableIsSet("VARN_SHOT_DIR")) {
            dialog.show();
            QTest::qWait(100);
            dialog.grab().save(qEnvironmentVariable("VARN_SHOT_DIR") + "/" + shot);
        }
        dialog.findChild<QPushButton*>("CheckButton")->click();
        if (op.Messages.empty())
            return "no message";
        if (op.Messages.back().Title != "Varnw demo test")
            return "title " + op.Messages.back().Title;
        return op.Messages.back().Text;
    }

private slots:
    void healthyUnitPassesInColourAndGrey()
    {
        QCOMPARE(Check(1.0, true, "quality-colour.png"), QString("Test Image  OK !"));
        QCOMPARE(Check(1.0, false, "quality-grey.png"), QString("Test Image  OK !"));
    }
    void weakLampFailsOnTheWhite()
    {
        const QString colour = Check(0.6, true);
        QVERIFY2(colour.contains("on the WHITE is out of range"), qPrintable(colour));
        const QString grey = Check(0.6, false);
        QVERIFY2(grey.contains("of light on the WHITE is out of range"), qPrintable(grey));
    }
    void dirtySensorStreakFails()
    {
        const QString grey = Check(1.0, false, nullptr, 5.0);
        // A dark line 5 mm above the bottom edge crosses every band: the
        // WHITE band, measured first, shows it as its minimum.
        QVERIFY2(grey.startsWith("Min ") && grey.contains("value of the light on the WHITE is minor the average"),
                 qPrintable(grey));
    }
};

QTEST_MAIN(TestQualityImage)
#include "tst_qualityimage.moc"
