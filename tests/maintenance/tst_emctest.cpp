// The "EMC Test" dialog with its real worker thread on the virtual unit: a test
// that runs until stopped, one that fails on the cycle the armed fault says,
// and closing the dialog while the worker runs. The clock counts instead of
// waiting, with a short real pause so the threads interleave.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <atomic>
#include <thread>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "maintenance/EmcTestDialog.h"
#include "vnapi/VirtualUnitTestApi.h"

namespace {

class QuickClock : public EmcClock {
public:
    int64_t NowSeconds() override { return Milliseconds / 1000; }
    void Sleep(uint32_t ms) override
    {
        Milliseconds += ms;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

private:
    std::atomic<int64_t> Milliseconds{0};
};

} // namespace

class EmcTestDialogTest : public QObject {
    Q_OBJECT

    BenchState State;
    ScriptedOperator Op;
    VirtualUnitPair Unit;
    QuickClock Clock;

    template <class T> static T* Find(QWidget& w, const char* name) { return w.findChild<T*>(name); }
    static QImage Shown(QWidget& w) { return Find<QLabel>(w, "Picture")->pixmap().toImage(); }

private slots:
    void init() { Unit = CreateVirtualUnit(TestUnitSetup()); }

    void runsCyclesUntilStopped()
    {
        Bench bench{State, *Unit.Api, Op};
        EmcTestDialog dialog(bench);
        dialog.SetClock(Clock);
        Find<QLineEdit>(dialog, "StepTime")->setText("0");
        Find<QPushButton>(dialog, "Start")->click();
        QVERIFY(dialog.TestRunning());
        QVERIFY(!Find<QPushButton>(dialog, "Start")->isEnabled());
        QVERIFY(!Find<QPushButton>(dialog, "Exit")->isEnabled());
        QCOMPARE(Find<QLabel>(dialog, "Status")->text(), QString("Test in progress !"));
        QTRY_VERIFY_WITH_TIMEOUT(Unit.Control.State().Identifications >= 3, 20000);
        Find<QPushButton>(dialog, "Stop")->click();
        QCOMPARE(Find<QLabel>(dialog, "Status")->text(), QString("Waiting ... test was stopped !"));
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.TestRunning(), 20000);
        QVERIFY(Find<QPushButton>(dialog, "Start")->isEnabled());
        QVERIFY(Find<QPushButton>(dialog, "Exit")->isEnabled());
        QCOMPARE(Find<QLabel>(dialog, "Status")->text(), QString());
        // The cycle under way at the stop finished and showed its picture.
        const uint32_t cycles = Unit.Control.State().Identifications;
        QCOMPARE(Find<QLabel>(dialog, "Cycles")->text(), QString("Cycle %1 passed").arg(cycles));
        QVERIFY(!Unit.Control.State().Open);
    }

    void failsOnTheCycleAfterTheArmedCount()
    {
        Unit.Control.ArmEmcFault(2);
        Bench bench{State, *Unit.Api, Op};
        EmcTestDialog dialog(bench);
        dialog.SetClock(Clock);
        Find<QPushButton>(dialog, "Start")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.TestRunning(), 20000);
        QCOMPARE(Find<QLabel>(dialog, "Cycles")->text(), QString("Cycle 3 failed (reply -2)"));
        QCOMPARE(Shown(dialog), QImage(":/resources/ResultFailed.png").convertToFormat(Shown(dialog).format()));
        QVERIFY(Op.Messages.empty());
        QVERIFY(!Unit.Control.State().Open);
    }

    void closingWhileRunningStopsAndJoinsTheWorker()
    {
        Bench bench{State, *Unit.Api, Op};
        auto dialog = std::make_unique<EmcTestDialog>(bench);
        dialog->SetClock(Clock);
        Find<QLineEdit>(*dialog, "StepTime")->setText("3600"); // an hour of status requests
        Find<QPushButton>(*dialog, "Start")->click();
        QTRY_VERIFY_WITH_TIMEOUT(Unit.Control.State().Open, 20000);
        Find<QLineEdit>(*dialog, "StepTime")->setText("7");
        dialog->reject();
        QVERIFY(!Unit.Control.State().Open);
        QCOMPARE(Unit.Control.State().Identifications, 0u);
        QCOMPARE(State.Settings.EmcStepTime, 7u);
        dialog.reset(); // queued calls of the worker go with it
        QCoreApplication::processEvents();
    }
};

QTEST_MAIN(EmcTestDialogTest)
#include "tst_emctest.moc"
