// "Read Badge Dialog": reads the magnetic tracks of a swiped badge on a worker
// thread and shows tracks 1, 2 and 3. The dialog keeps one connection to the
// unit from Connect() until it ends; before it disconnects or goes away it
// waits for a read still running.
#pragma once

#include <QDialog>
#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/BenchState.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class ReadBadgeDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReadBadgeDialog(const Bench& bench, QWidget* parent = nullptr);
    ~ReadBadgeDialog() override;

    // Opens the unit for the dialog (VnConnect); false, after the report, when
    // the open fails and the dialog must not be shown.
    bool Connect();

    // "E&xit", Escape and the close box all end here.
    void done(int result) override;

private:
    friend class BadgeDialogSink;

    // Runs the calls the reader thread left in the inbox.
    Q_INVOKABLE void DrainInbox();

    void StartRead();
    void ResetUnit();
    // Waits for the reader, then disconnects; once only.
    void Finish();
    void SetReadAndExitEnabled(bool enabled);

    // Carried over from the reader thread; stale reads and a finished dialog
    // ignore them.
    bool IsCurrent(unsigned read) const { return !Ended && read == ReadNumber; }
    void OnClearTracks(unsigned read);
    void OnStoreBadgeTracks(unsigned read, uint8_t tracks);
    void OnTracksNotPossible(unsigned read);
    void OnReadFailed(unsigned read, int32_t reply);
    void OnShowTracks(unsigned read, const std::array<std::string, 3>& texts);
    void OnReadFinished(unsigned read);

    Bench Device; // the dialog's own window goes to the library
    bool Connected = false;
    bool Ended = false;
    unsigned ReadNumber = 0;
    std::atomic<bool> Cancel{false};
    std::atomic<bool> Reading{false}; // the reader thread has not ended yet
    std::thread Reader;
    std::mutex InboxMutex;
    std::vector<std::function<void()>> Inbox;

    QCheckBox* Track1Check = nullptr;
    QCheckBox* Track2Check = nullptr;
    QCheckBox* Track3Check = nullptr;
    QLineEdit* Track1Text = nullptr;
    QLineEdit* Track2Text = nullptr;
    QPlainTextEdit* Track3Text = nullptr;
    QPushButton* ReadButton = nullptr;
    QPushButton* ResetButton = nullptr;
    QPushButton* ExitButton = nullptr;
};

// "Read &Badge": the dialog, when its connection opens.
void ReadBadgeCommand(Bench& bench);
