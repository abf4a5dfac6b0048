// The "Read Badge Dialog" with a real reader thread: a badge read that blocks
// in the library until the test releases it, the buttons while it runs, and
// closing or destroying the dialog in the middle of a read.
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "documents/ReadBadgeDialog.h"

namespace {

// Varn_ReadBadge blocks on the calling thread until Release(). It keeps its
// own records under a lock; every other operation is called from the test's
// thread and recorded as usual.
class BlockingBadgeApi : public RecordingVnApi {
public:
    std::string Data = "%B1234?t;5678?t;9012?";
    // As a unit does: a reset ends a read that waits.
    bool ResetEndsRead = false;

    int32_t Varn_ReadBadge(uint16_t, VnWindow, uint8_t tracks, uint16_t size, char* data,
                           uint16_t* length) override
    {
        std::unique_lock lock(Mutex);
        ++Entered;
        InRead = true;
        Changed.notify_all();
        // Bounded, so a read nobody ends fails its test instead of hanging it.
        if (!Changed.wait_for(lock, std::chrono::seconds(20), [this] { return Released; }))
            TimedOut = true;
        Released = false;
        const size_t n = std::min<size_t>({Data.size(), size, *length});
        std::memcpy(data, Data.data(), n);
        *length = static_cast<uint16_t>(n);
        LastTracks = tracks;
        InRead = false;
        ++Returned;
        return 0;
    }
    int32_t Varn_Reset(uint16_t unit, VnWindow window, char resetType) override
    {
        const int32_t reply = RecordingVnApi::Varn_Reset(unit, window, resetType);
        if (ResetEndsRead && IsInRead())
            Release();
        return reply;
    }
    bool WasTimedOut()
    {
        std::lock_guard lock(Mutex);
        return TimedOut;
    }
    int32_t VnDisconnect(uint16_t unit, VnWindow window) override
    {
        {
            std::lock_guard lock(Mutex);
            DisconnectedDuringRead = DisconnectedDuringRead || InRead;
        }
        return RecordingVnApi::VnDisconnect(unit, window);
    }

    void Release()
    {
        std::lock_guard lock(Mutex);
        Released = true;
        Changed.notify_all();
    }
    bool IsInRead()
    {
        std::lock_guard lock(Mutex);
        return InRead;
    }
    int EnteredCount()
    {
        std::lock_guard lock(Mutex);
        return Entered;
    }
    int ReturnedCount()
    {
        std::lock_guard lock(Mutex);
        return Returned;
    }
    bool WasDisconnectedDuringRead()
    {
        std::lock_guard lock(Mutex);
        return DisconnectedDuringRead;
    }

private:
    std::mutex Mutex;
    std::condition_variable Changed;
    bool InRead = false;
    bool Released = false;
    bool DisconnectedDuringRead = false;
    bool TimedOut = false;
    int Entered = 0;
    int Returned = 0;
    uint8_t LastTracks = 0;
};

// Tells a waiting thread when the dialog starts waiting for its reader (it
// shows the busy cursor just before it joins).
class JoinSignallingOperator : public ScriptedOperator {
public:
    void SetBusyCursor(bool busy) override
    {
        ScriptedOperator::SetBusyCursor(busy);
        if (!busy)
            return;
        std::lock_guard lock(Mutex);
        Joining = true;
        Changed.notify_all();
    }
    void WaitForJoin()
    {
        std::unique_lock lock(Mutex);
        Changed.wait(lock, [this] { return Joining; });
    }

private:
    std::mutex Mutex;
    std::condition_variable Changed;
    bool Joining = false;
};

} // namespace

class TestReadBadge : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        State = std::make_unique<BenchState>();
        Api = std::make_unique<BlockingBadgeApi>();
        Op = std::make_unique<JoinSignallingOperator>();
        State->Settings.BadgeTracks = 224;
        Bench bench{*State, *Api, *Op};
        Dialog = new ReadBadgeDialog(bench);
        QVERIFY(Dialog->Connect());
        Dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(Dialog));
    }
    void cleanup()
    {
        // A test that failed half-way must not leave a reader blocked.
        Api->Release();
        delete Dialog;
        Dialog = nullptr;
        QCoreApplication::sendPostedEvents();
    }

    void readFillsTheTracksAndHoldsReadAndExitMeanwhile()
    {
        Button("Read")->click();
        QVERIFY(!Button("Read")->isEnabled());
        QVERIFY(!Button("Exit")->isEnabled());
        QVERIFY(Button("Reset")->isEnabled());
        QTRY_VERIFY(Api->IsInRead());
        QCoreApplication::processEvents();
        QVERIFY(!Button("Read")->isEnabled());
        QVERIFY(Text("Track1Text").isEmpty());

        Api->Release();
        QTRY_VERIFY(Button("Read")->isEnabled());
        QVERIFY(Button("Exit")->isEnabled());
        QCOMPARE(Text("Track1Text"), QString("%B1234?"));
        QCOMPARE(Text("Track2Text"), QString("t;5678?"));
        QCOMPARE(Dialog->findChild<QPlainTextEdit*>("Track3Text")->toPlainText(), QString("t;9012?"));
        QCOMPARE(State->Settings.BadgeTracks, uint8_t(224));

        Button("Exit")->click();
        QVERIFY(!Dialog->isVisible());
        QCOMPARE(Api->CallsOf("VnDisconnect").size(), size_t(1));
        QVERIFY(!Api->WasDisconnectedDuringRead());
    }

    void tracksOneAndThreeAreRefusedOnTheDialogsThread()
    {
        Dialog->findChild<QCheckBox*>("Track2")->setChecked(false);
        Button("Read")->click();
        QTRY_COMPARE(Op->Messages.size(), size_t(1));
        QCOMPARE(Op->Messages[0].Title, QString("Varn ERROR"));
        QCOMPARE(Op->Messages[0].Text, QString("Not possible read tracks 1 and 3"));
        QCOMPARE(Op->Messages[0].Icon, MessageIcon::Stop);
        QTRY_VERIFY(Button("Read")->isEnabled());
        QVERIFY(Button("Exit")->isEnabled());
        QCOMPARE(Api->EnteredCount(), 0);
        QCOMPARE(State->Settings.BadgeTracks, uint8_t(160));
    }

    void closingDuringAReadWaitsForTheReaderBeforeDisconnecting()
    {
        Button("Read")->click();
        QTRY_VERIFY(Api->IsInRead());
        // Released only once the dialog is waiting for its reader.
        std::thread releaser([this] {
            Op->WaitForJoin();
            Api->Release();
        });
        Dialog->close();
        releaser.join();

        QVERIFY(!Dialog->isVisible());
        QCOMPARE(Api->ReturnedCount(), 1);
        QVERIFY(!Api->WasDisconnectedDuringRead());
        QCOMPARE(Api->Names().back(), std::string("VnDisconnect"));
        // What the reader posted arrives at a finished dialog and changes nothing.
        QCoreApplication::sendPostedEvents();
        QVERIFY(Text("Track1Text").isEmpty());
        QVERIFY(!Button("Read")->isEnabled());
    }

    void closingDuringAReadResetsTheUnitToEndTheWait()
    {
        Api->ResetEndsRead = true;
        Button("Read")->click();
        QTRY_VERIFY(Api->IsInRead());
        // Nobody swipes or releases: only the dialog's reset ends the read.
        Dialog->close();
        QVERIFY(!Dialog->isVisible());
        QVERIFY(!Api->WasTimedOut());
        QCOMPARE(Api->ReturnedCount(), 1);
        QCOMPARE(Api->CallsOf("Varn_Reset").size(), size_t(1));
        QCOMPARE(Api->CallsOf("Varn_Reset")[0].Args[2], std::string("'0'"));
        QVERIFY(!Api->WasDisconnectedDuringRead());
        QCOMPARE(Api->Names().back(), std::string("VnDisconnect"));

        // A dialog closed with no read under way resets nothing.
        delete Dialog;
        Bench bench{*State, *Api, *Op};
        Dialog = new ReadBadgeDialog(bench);
        QVERIFY(Dialog->Connect());
        Dialog->close();
        QCOMPARE(Api->CallsOf("Varn_Reset").size(), size_t(1));
    }

    void escapeDuringAReadAlsoWaits()
    {
        Button("Read")->click();
        QTRY_VERIFY(Api->IsInRead());
        std::thread releaser([this] {
            Op->WaitForJoin();
            Api->Release();
        });
        QTest::keyClick(Dialog, Qt::Key_Escape);
        releaser.join();
        QVERIFY(!Dialog->isVisible());
        QVERIFY(!Api->WasDisconnectedDuringRead());
        QCOMPARE(Api->CallsOf("VnDisconnect").size(), size_t(1));
    }

    void destroyingTheDialogDuringAReadJoinsTheReader()
    {
        Button("Read")->click();
        QTRY_VERIFY(Api->IsInRead());
        std::thread releaser([this] {
            Op->WaitForJoin();
            Api->Release();
        });
        delete Dialog;
        Dialog = nullptr;
        releaser.join();
        QCOMPARE(Api->ReturnedCount(), 1);
        QVERIFY(!Api->WasDisconnectedDuringRead());
        QCOMPARE(Api->CallsOf("VnDisconnect").size(), size_t(1));
        // The posts of the reader went with the dialog.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    void resetDuringAReadEnablesReadAndExit()
    {
        Button("Read")->click();
        QTRY_VERIFY(Api->IsInRead());
        Button("Reset")->click();
        QVERIFY(Button("Read")->isEnabled());
        QVERIFY(Button("Exit")->isEnabled());
        QCOMPARE(Api->CallsOf("Varn_Reset").size(), size_t(1));
        QCOMPARE(Api->CallsOf("Varn_Reset")[0].Args[2], std::string("'0'"));
        std::thread releaser([this] {
            Op->WaitForJoin();
            Api->Release();
        });
        Button("Exit")->click();
        releaser.join();
        QVERIFY(!Api->WasDisconnectedDuringRead());
        QCOMPARE(Api->Names().back(), std::string("VnDisconnect"));
    }

private:
    QPushButton* Button(const char* name) { return Dialog->findChild<QPushButton*>(name); }
    QString Text(const char* name) { return Dialog->findChild<QLineEdit*>(name)->text(); }

    std::unique_ptr<BenchState> State;
    std::unique_ptr<BlockingBadgeApi> Api;
    std::unique_ptr<JoinSignallingOperator> Op;
    ReadBadgeDialog* Dialog = nullptr;
};

QTEST_MAIN(TestReadBadge)
#include "tst_readbadge.moc"
