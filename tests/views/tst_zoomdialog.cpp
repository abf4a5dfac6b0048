// "Zoom Factor": what OK takes, and the edit and bar keeping in step.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "ScriptedOperator.h"
#include "views/ZoomDialog.h"

class ZoomDialogTest : public QObject {
    Q_OBJECT

private slots:
    void controls();
    void okTakesOnlyAWholeNumberInRange_data();
    void okTakesOnlyAWholeNumberInRange();
    void editAndBarKeepInStep();
    void askZoomFactor();
};

void ZoomDialogTest::controls()
{
    ScriptedOperator op;
    ZoomDialog dialog(150, op);
    QCOMPARE(dialog.windowTitle(), QString("Zoom Factor"));
    auto* label = dialog.findChild<QLabel*>("PercentageLabel");
    QVERIFY(label);
    QCOMPARE(label->text(), QString("&Percentage"));
    auto* edit = dialog.findChild<QLineEdit*>("PercentageEdit");
    QCOMPARE(label->buddy(), edit);
    QCOMPARE(edit->text(), QString("150"));
    auto* bar = dialog.findChild<QScrollBar*>("PercentageBar");
    QCOMPARE(bar->orientation(), Qt::Horizontal);
    QCOMPARE(bar->minimum(), 1);
    QCOMPARE(bar->maximum(), 800);
    QCOMPARE(bar->singleStep(), 1);
    QCOMPARE(bar->pageStep(), 100);
    QCOMPARE(bar->value(), 150);
}

void ZoomDialogTest::okTakesOnlyAWholeNumberInRange_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("taken"); // 0: refused

    QTest::newRow("0") << "0" << 0;
    QTest::newRow("801") << "801" << 0;
    QTest::newRow("250") << "250" << 250;
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("800") << "800" << 800;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("fraction") << "12.5" << 0;
    QTest::newRow("negative") << "-5" << 0;
    QTest::newRow("plus sign") << "+5" << 0;
    QTest::newRow("trailing text") << "250%" << 0;
    QTest::newRow("blanks around") << " 42 " << 42;
    QTest::newRow("huge") << "99999999999" << 0;
}

void ZoomDialogTest::okTakesOnlyAWholeNumberInRange()
{
    QFETCH(QString, text);
    QFETCH(int, taken);

    ScriptedOperator op;
    ZoomDialog dialog(100, op);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* edit = dialog.findChild<QLineEdit*>("PercentageEdit");
    edit->setText(text);
    edit->deselect();
    dialog.findChild<QPushButton*>("OK")->click();

    if (taken) {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.Percentage(), taken);
        QCOMPARE(op.Beeps, 0);
    } else {
        QVERIFY2(dialog.isVisible(), "the dialog stays open");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(op.Beeps, 1);
        QCOMPARE(edit->selectedText(), text);
        QTRY_VERIFY(edit->hasFocus());
    }
}

void ZoomDialogTest::editAndBarKeepInStep()
{
    ScriptedOperator op;
    ZoomDialog dialog(100, op);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* edit = dialog.findChild<QLineEdit*>("PercentageEdit");
    auto* bar = dialog.findChild<QScrollBar*>("PercentageBar");

    edit->selectAll();
    QTest::keyClicks(edit, "300");
    QCOMPARE(bar->value(), 300);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(edit->text(), QString("400"));
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(edit->text(), QString("399"));
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(edit->text(), QString("800"));
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(edit->text(), QString("800"));
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(edit->text(), QString("1"));
    bar->setSliderPosition(555);
    QCOMPARE(edit->text(), QString("555"));

    // Out of range or not a number: the bar stays where it was.
    edit->end(false);
    QTest::keyClicks(edit, "5");
    QCOMPARE(edit->text(), QString("5555"));
    QCOMPARE(bar->value(), 555);
    edit->selectAll();
    QTest::keyClicks(edit, "x");
    QCOMPARE(bar->value(), 555);
    QCOMPARE(edit->text(), QString("x"));
}

void ZoomDialogTest::askZoomFactor()
{
    ScriptedOperator op;
    op.QueueDialog([](QDialog& dialog) {
        // It starts at the current zoom.
        if (dialog.findChild<QLineEdit*>("PercentageEdit")->text() != "175")
            return -99;
        dialog.findChild<QLineEdit*>("PercentageEdit")->setText("320");
        dialog.findChild<QPushButton*>("OK")->click();
        return dialog.result();
    });
    QCOMPARE(AskZoomFactor(op, nullptr, 175), 320);

    op.QueueDialog([](QDialog& dialog) {
        dialog.findChild<QPushButton*>("Cancel")->click();
        return dialog.result();
    });
    QCOMPARE(AskZoomFactor(op, nullptr, 175), -1);

    // Ended from outside with a number that OK would refuse.
    op.QueueDialog([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("PercentageEdit")->setText("0");
        dialog.done(QDialog::Accepted);
        return int(QDialog::Accepted);
    });
    QCOMPARE(AskZoomFactor(op, nullptr, 175), -1);
    QCOMPARE(op.DialogTitles, (std::vector<QString>{"Zoom Factor", "Zoom Factor", "Zoom Factor"}));
}

QTEST_MAIN(ZoomDialogTest)
#include "tst_zoomdialog.moc"
