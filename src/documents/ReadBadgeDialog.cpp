#include "documents/ReadBadgeDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

#include "core/Connection.h"
#include "core/ReplyCodes.h"
#include "documents/ReadBadgeThread.h"
#include "core/Operator.h"

// Hands each call of the reader thread to the dialog's thread: the call goes
// into the dialog's inbox under its lock, and a queued DrainInbox wakes the
// dialog's thread. Posting needs the dialog alive, which holds: the dialog
// joins the reader before it goes, and wake-ups still queued go with it.
class BadgeDialogSink : public BadgeReadSink {
public:
    BadgeDialogSink(ReadBadgeDialog* dialog, unsigned read) : Dialog(dialog), Read(read) {}

    void ClearTracks() override { Post([d = Dialog, r = Read] { d->OnClearTracks(r); }); }
    void StoreBadgeTracks(uint8_t tracks) override
    {
        Post([d = Dialog, r = Read, tracks] { d->OnStoreBadgeTracks(r, tracks); });
    }
    void TracksNotPossible() override { Post([d = Dialog, r = Read] { d->OnTracksNotPossible(r); }); }
    void ReadFailed(int32_t reply) override { Post([d = Dialog, r = Read, reply] { d->OnReadFailed(r, reply); }); }
    void ShowTracks(const std::array<std::string, 3>& texts) override
    {
        Post([d = Dialog, r = Read, texts] { d->OnShowTracks(r, texts); });
    }
    void ReadFinished() override { Post([d = Dialog, r = Read] { d->OnReadFinished(r); }); }

private:
    void Post(std::function<void()> call)
    {
        {
            std::lock_guard lock(Dialog->InboxMutex);
            Dialog->Inbox.push_back(std::move(call));
        }
        QMetaObject::invokeMethod(Dialog, "DrainInbox", Qt::QueuedConnection);
    }

    ReadBadgeDialog* Dialog;
    unsigned Read;
};

ReadBadgeDialog::ReadBadgeDialog(const Bench& bench, QWidget* parent)
    : QDialog(parent), Device{bench.State, bench.Api, bench.Op, this, bench.Instance}
{
    setObjectName("ReadBadgeDialog");
    setWindowTitle("Read Badge Dialog");

    auto* configure = new QGroupBox("Configure Read Tracks", this);
    configure->setObjectName("ConfigureReadTracks");
    auto* configureLayout = new QHBoxLayout(configure);
    auto makeCheck = [&](const char* text, const char* name) {
        auto* check = new QCheckBox(text, configure);
        check->setObjectName(name);
        configureLayout->addWidget(check);
        return check;
    };
    Track1Check = makeCheck("Track 1", "Track1");
    Track2Check = makeCheck("Track 2", "Track2");
    Track3Check = makeCheck("Track 3", "Track3");
    const BadgeTrackChecks checks = ChecksForBadgeTracks(bench.State.Settings.BadgeTracks);
    Track1Check->setChecked(checks.Track1);
    Track2Check->setChecked(checks.Track2);
    Track3Check->setChecked(checks.Track3);

    Track1Text = new QLineEdit(this);
    Track1Text->setObjectName("Track1Text");
    Track1Text->setReadOnly(true);
    Track2Text = new QLineEdit(this);
    Track2Text->setObjectName("Track2Text");
    Track2Text->setReadOnly(true);
    Track3Text = new QPlainTextEdit(this);
    Track3Text->setObjectName("Track3Text");
    Track3Text->setReadOnly(true);
    Track3Text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* fields = new QFormLayout;
    fields->addRow("Track 1 :", Track1Text);
    fields->addRow("Track 2 :", Track2Text);
    fields->addRow("Track 3 :", Track3Text);

    auto makeButton = [&](const char* text, const char* name) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        return button;
    };
    ReadButton = makeButton("&Read", "Read");
    ResetButton = makeButton("Re&set", "Reset");
    ExitButton = makeButton("E&xit", "Exit");
    connect(ReadButton, &QPushButton::clicked, this, &ReadBadgeDialog::StartRead);
    connect(ResetButton, &QPushButton::clicked, this, &ReadBadgeDialog::ResetUnit);
    connect(ExitButton, &QPushButton::clicked, this, &ReadBadgeDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ReadButton);
    buttons->addWidget(ResetButton);
    buttons->addStretch();
    buttons->addWidget(ExitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(configure);
    layout->addLayout(fields);
    layout->addLayout(buttons);
}

ReadBadgeDialog::~ReadBadgeDialog() { Finish(); }

bool ReadBadgeDialog::Connect()
{
    Connected = OpenUnit(Device, OpenOperation::VnConnect, OpenRule::AnyFailureStops).Proceed;
    return Connected;
}

void ReadBadgeDialog::DrainInbox()
{
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard lock(InboxMutex);
        calls.swap(Inbox);
    }
    for (const auto& call : calls)
        call();
}

void ReadBadgeDialog::done(int result)
{
    Finish();
    QDialog::done(result);
}

void ReadBadgeDialog::Finish()
{
    if (Ended)
        return;
    Cancel = true;
    if (Reader.joinable()) {
        // A read waiting for a swipe would hold the window until the unit
        // gives up; a reset ends the wait. Closing reports nothing of it.
        if (Reading && Connected)
            Device.Api.Varn_Reset(Device.State.UnitHandle, this, '0');
        Device.Op.SetBusyCursor(true);
        Reader.join();
        Device.Op.SetBusyCursor(false);
    }
    if (Connected)
        Device.Api.VnDisconnect(Device.State.UnitHandle, this);
    Connected = false;
    Ended = true;
}

void ReadBadgeDialog::SetReadAndExitEnabled(bool enabled)
{
    ReadButton->setEnabled(enabled);
    ExitButton->setEnabled(enabled);
}

void ReadBadgeDialog::StartRead()
{
    if (Ended)
        return;
    // One read at a time: "Re&set" enables "&Read" again while a read may
    // still be on its way out.
    if (Reader.joinable())
        Reader.join();
    SetReadAndExitEnabled(false);
    BadgeReadJob job;
    job.Api = &Device.Api;
    job.Unit = Device.State.UnitHandle;
    job.Window = this;
    job.Checks = {Track1Check->isChecked(), Track2Check->isChecked(), Track3Check->isChecked()};
    job.Cancel = &Cancel;
    const unsigned read = ++ReadNumber;
    Reading = true;
    Reader = std::thread([this, job, read] {
        BadgeDialogSink sink(this, read);
        ReadBadgeThread(job, sink);
        Reading = false;
    });
}

void ReadBadgeDialog::ResetUnit()
{
    // The library serves this beside a read that is still running.
    const int32_t reply = Device.Api.Varn_Reset(Device.State.UnitHandle, this, '0');
    ReportReply(Device.Op, reply, "Varn_Reset");
    SetReadAndExitEnabled(true);
}

void ReadBadgeDialog::OnClearTracks(unsigned read)
{
    if (!IsCurrent(read))
        return;
    Track1Text->clear();
    Track2Text->clear();
    Track3Text->clear();
}

void ReadBadgeDialog::OnStoreBadgeTracks(unsigned read, uint8_t tracks)
{
    if (IsCurrent(read))
        Device.State.Settings.BadgeTracks = tracks;
}

void ReadBadgeDialog::OnTracksNotPossible(unsigned read)
{
    if (IsCurrent(read))
        Device.Op.Message(ErrorTitle, "Not possible read tracks 1 and 3", MessageButtons::Ok, MessageIcon::Stop);
}

void ReadBadgeDialog::OnReadFailed(unsigned read, int32_t reply)
{
    if (IsCurrent(read))
        ReportReply(Device.Op, reply, "Varn_ReadBadge");
}

void ReadBadgeDialog::OnShowTracks(unsigned read, const std::array<std::string, 3>& texts)
{
    if (!IsCurrent(read))
        return;
    Track1Text->setText(QString::fromLatin1(texts[0]));
    Track2Text->setText(QString::fromLatin1(texts[1]));
    Track3Text->setPlainText(QString::fromLatin1(texts[2]));
}

void ReadBadgeDialog::OnReadFinished(unsigned read)
{
    if (IsCurrent(read))
        SetReadAndExitEnabled(true);
}

void ReadBadgeCommand(Bench& bench)
{
    ReadBadgeDialog dialog(bench);
    if (!dialog.Connect())
        return;
    bench.Op.Exec(dialog);
}
