// The "Calibration Image" dialog running on the virtual unit.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "quality/CalibrationImageDialog.h"
#include "vnapi/VirtualUnitTestApi.h"

class TestCalibrationImage : public QObject {
    Q_OBJECT
private slots:
    void calibrationShowsLengthsAndVerdict()
    {
        BenchState state;
        VirtualUnitPair unit = CreateVirtualUnit(TestUnitSetup(5));
        unit.Control.EmptyFeeder();
        std::string lines;
        for (int i = 0; i < 9; ++i)
            lines += "Document = Blank | Length = 100\n";
        QVERIFY(unit.Control.LoadDocumentsFromText(lines));
        ScriptedOperator op;
        Bench bench{state, *unit.Api, op};
        CalibrationImageDialog dialog(bench);
        auto* length = dialog.findChild<QLineEdit*>("LengthField");
        auto* theoretical = dialog.findChild<QLabel*>("TheoreticalValue");
        auto* status = dialog.findChild<QLabel*>("StatusText");
        QVERIFY(length && theoretical && status);
        QCOMPARE(theoretical->text(), QString("00000.00"));
        QCOMPARE(status->text(), QString());
        length->setText("100");
        dialog.findChild<QPushButton*>("CalibrationButton")->click();
        QCOMPARE(theoretical->text(), QString("787.40"));
        QCOMPARE(status->text(), QString("Calibration Ok !"));
        const double read = dialog.findChild<QLabel*>("MeasuredValue")->text().toDouble();
        QVERIFY(std::abs(read - 787.40) <= 787.40 * 0.005);
        QVERIFY(length->isEnabled());
        if (qEnvironmentVariableIsSet("VARN_SHOT_DIR")) {
            dialog.show();
            QTest::qWait(100);
            dialog.grab().save(qEnvironmentVariable("VARN_SHOT_DIR") + "/calibration.png");
        }
        // An empty feeder fails.
        unit.Control.EmptyFeeder();
        dialog.findChild<QPushButton*>("CalibrationButton")->click();
        QCOMPARE(status->text(), QString("Calibration Ko !"));
    }
};

QTEST_MAIN(TestCalibrationImage)
#include "tst_calibrationimage.moc"
