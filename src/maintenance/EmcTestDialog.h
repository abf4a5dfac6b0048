// "EMC Test": runs the EMC soak test on a worker thread and shows each
// cycle's pass or fail picture. The worker never touches the dialog's
// widgets: its calls are queued to the dialog's thread. Closing the dialog
// stops the worker and waits for it.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "maintenance/EmcRun.h"

struct Bench;
class QLabel;
class QLineEdit;
class QPushButton;

class EmcTestDialog : public QDialog {
    Q_OBJECT
public:
    explicit EmcTestDialog(Bench& bench, QWidget* parent = nullptr);
    ~EmcTestDialog() override;

    // Tests give a clock that does not wait; the default is the real one.
    void SetClock(EmcClock& clock) { Clock = &clock; }
    // True from "Start" until the worker's last call has reached the dialog.
    bool TestRunning() const { return WorkerBusy; }

    // "Exit", Escape and the close box: the worker is stopped and awaited,
    // then the step field goes into EmcStepTime.
    void done(int result) override;

private:
    friend class EmcDialogSink;

    Q_INVOKABLE void DrainInbox();
    void Start();
    void Stop();
    void Join();

    void OnBlankPicture();
    void OnCyclePassed(uint32_t cycle);
    void OnCycleFailed(uint32_t cycle, int32_t reply);
    void OnFinished();

    Bench& Device;
    EmcClock* Clock = &SystemEmcClock();
    EmcControl Control;
    std::thread Worker;
    bool WorkerBusy = false;
    bool Ended = false;
    std::mutex InboxMutex;
    std::vector<std::function<void()>> Inbox;

    QPixmap Neutral, Passed, Failed;
    QLineEdit* StepField = nullptr;
    QLabel* StatusText = nullptr;
    QLabel* CycleText = nullptr;
    QLabel* Picture = nullptr;
    QPushButton* StartButton = nullptr;
    QPushButton* StopButton = nullptr;
    QPushButton* ExitButton = nullptr;
};
