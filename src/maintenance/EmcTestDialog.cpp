#include "maintenance/EmcTestDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/Operator.h"
#include "maintenance/DeviceTestRules.h"

// Hands each call of the worker to the dialog's thread: the call goes into
// the inbox under its lock and a queued DrainInbox wakes the dialog's thread.
// The dialog joins the worker before it goes, so posting finds it alive.
class EmcDialogSink final : public EmcSink {
public:
    explicit EmcDialogSink(EmcTestDialog* dialog) : Dialog(dialog) {}
    void BlankPicture() override { Post([d = Dialog] { d->OnBlankPicture(); }); }
    void CyclePassed(uint32_t cycle) override { Post([d = Dialog, cycle] { d->OnCyclePassed(cycle); }); }
    void CycleFailed(uint32_t cycle, int32_t reply) override
    {
        Post([d = Dialog, cycle, reply] { d->OnCycleFailed(cycle, reply); });
    }
    void Finished() override { Post([d = Dialog] { d->OnFinished(); }); }

private:
    void Post(std::function<void()> call)
    {
        {
            std::lock_guard lock(Dialog->InboxMutex);
            Dialog->Inbox.push_back(std::move(call));
        }
        QMetaObject::invokeMethod(Dialog, "DrainInbox", Qt::QueuedConnection);
    }
    EmcTestDialog* Dialog;
};

EmcTestDialog::EmcTestDialog(Bench& bench, QWidget* parent)
    : QDialog(parent), Device(bench), Neutral(":/resources/ResultNeutral.png"),
      Passed(":/resources/ResultPassed.png"), Failed(":/resources/ResultFailed.png")
{
    setObjectName("EmcTestDialog");
    setWindowTitle("EMC Test");

    auto* stepGroup = new QGroupBox("Set Step Time", this);
    stepGroup->setObjectName("SetStepTime");
    auto* stepLayout = new QHBoxLayout(stepGroup);
    StepField = new QLineEdit(QString::number(bench.State.Settings.EmcStepTime), stepGroup);
    StepField->setObjectName("StepTime");
    StepField->setMaximumWidth(80);
    auto* seconds = new QLabel("seconds", stepGroup);
    seconds->setObjectName("Seconds");
    stepLayout->addWidget(StepField);
    stepLayout->addWidget(seconds);
    stepLayout->addStretch();
    // The worker reads the step at the start of each cycle: it follows the field.
    Control.StepTime = devicetest::EmcStepFromText(StepField->text().toStdString());
    connect(StepField, &QLineEdit::textChanged, this,
            [this](const QString& text) { Control.StepTime = devicetest::EmcStepFromText(text.toStdString()); });

    StatusText = new QLabel(this);
    StatusText->setObjectName("Status");
    CycleText = new QLabel(this);
    CycleText->setObjectName("Cycles");
    Picture = new QLabel(this);
    Picture->setObjectName("Picture");
    Picture->setAlignment(Qt::AlignCenter);
    Picture->setMinimumSize(Neutral.size().expandedTo(QSize(64, 64)));
    Picture->setPixmap(Neutral);

    auto makeButton = [&](const char* text, const char* name) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        return button;
    };
    StartButton = makeButton("Start", "Start");
    StopButton = makeButton("Stop", "Stop");
    ExitButton = makeButton("Exit", "Exit");
    connect(StartButton, &QPushButton::clicked, this, &EmcTestDialog::Start);
    connect(StopButton, &QPushButton::clicked, this, &EmcTestDialog::Stop);
    connect(ExitButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(StartButton);
    buttons->addWidget(StopButton);
    buttons->addStretch();
    buttons->addWidget(ExitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(stepGroup);
    layout->addWidget(StatusText);
    layout->addWidget(CycleText);
    layout->addWidget(Picture, 1);
    layout->addLayout(buttons);
    setMinimumWidth(300);
}

EmcTestDialog::~EmcTestDialog() { Join(); }

void EmcTestDialog::Start()
{
    if (Ended || WorkerBusy)
        return;
    Join(); // the last test's worker has ended; collect it
    StartButton->setEnabled(false);
    ExitButton->setEnabled(false);
    StatusText->setText("Test in progress !");
    CycleText->clear();
    Control.Abandon = false;
    Control.Running = true;
    WorkerBusy = true;
    PrepareNetworkBox(Device);
    EmcJob job;
    job.Api = &Device.Api;
    job.Window = this;
    job.Instance = Device.Instance;
    job.ConnectionType = Device.State.ConnectionType;
    job.Control = &Control;
    job.Clock = Clock;
    Worker = std::thread([this, job] {
        EmcDialogSink sink(this);
        RunEmcTest(job, sink);
    });
}

void EmcTestDialog::Stop()
{
    Control.Running = false;
    if (WorkerBusy)
        StatusText->setText("Waiting ... test was stopped !");
}

void EmcTestDialog::Join()
{
    if (!Worker.joinable())
        return;
    Control.Abandon = true;
    Control.Running = false;
    Device.Op.SetBusyCursor(true);
    Worker.join();
    Device.Op.SetBusyCursor(false);
}

void EmcTestDialog::done(int result)
{
    if (!Ended) {
        Join();
        Ended = true;
        WorkerBusy = false;
        Device.State.Settings.EmcStepTime = devicetest::EmcStepFromText(StepField->text().toStdString());
    }
    QDialog::done(result);
}

void EmcTestDialog::DrainInbox()
{
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard lock(InboxMutex);
        calls.swap(Inbox);
    }
    if (Ended)
        return;
    for (const auto& call : calls)
        call();
}

void EmcTestDialog::OnBlankPicture() { Picture->setPixmap(Neutral); }

void EmcTestDialog::OnCyclePassed(uint32_t cycle)
{
    Picture->setPixmap(Passed);
    CycleText->setText(QString("Cycle %1 passed").arg(cycle));
}

void EmcTestDialog::OnCycleFailed(uint32_t cycle, int32_t reply)
{
    // The fail picture stays until the next start.
    Picture->setPixmap(Failed);
    CycleText->setText(QString("Cycle %1 failed (reply %2)").arg(cycle).arg(reply));
}

void EmcTestDialog::OnFinished()
{
    Join();
    WorkerBusy = false;
    StartButton->setEnabled(true);
    ExitButton->setEnabled(true);
    StatusText->clear();
}
