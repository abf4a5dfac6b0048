#include "micr/ReadTestDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "core/MessageTitles.h"
#include "core/Operator.h"
#include "micr/ReadTestRun.h"

namespace {

constexpr uint32_t MostReads = 999999;
constexpr uint32_t LongestDelay = 3600;

} // namespace

ReadTestDialog::ReadTestDialog(const Bench& bench, QWidget* parent)
    : QDialog(parent), Device{bench.State, bench.Api, bench.Op, this, bench.Instance}
{
    setObjectName("ReadTestDialog");
    setWindowTitle("Test Read Codeline");
    Neutral.load(":/resources/ResultNeutral.png");
    Passed.load(":/resources/ResultPassed.png");
    Failed.load(":/resources/ResultFailed.png");
    const SettingsRecord& settings = Device.State.Settings;

    Count = new QLineEdit(QString::number(settings.ReadTestCount), this);
    Count->setObjectName("NumberOfReads");
    const char* reference = settings.ReadTestCodeline.data();
    Codeline = new QLineEdit(
        QString::fromLatin1(reference, static_cast<int>(qstrnlen(reference, settings.ReadTestCodeline.size()))),
        this);
    Codeline->setObjectName("CheckCodeline");
    Codeline->setMaxLength(255);
    Delay = new QLineEdit(QString::number(settings.ReadTestDelay), this);
    Delay->setObjectName("DelaySeconds");
    Delay->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), Delay));
    Sorter = new QCheckBox("&Sorter Documents", this);
    Sorter->setObjectName("SorterDocuments");

    auto* form = new QFormLayout;
    form->addRow("Number of reads :", Count);
    form->addRow("Check Codeline :", Codeline);
    form->addRow("Delay time of read in seconds :", Delay);
    form->addRow(Sorter);

    Picture = new QLabel(this);
    Picture->setObjectName("ResultPicture");
    Picture->setPixmap(Neutral);
    Picture->setFixedSize(52, 52);
    Status = new QLabel("Reads OK !", this);
    Status->setObjectName("Status");
    auto* verdict = new QHBoxLayout;
    verdict->addWidget(Picture);
    verdict->addWidget(Status, 1);
    Results = new QListWidget(this);
    Results->setObjectName("Results");

    Start = new QPushButton("&Start Test", this);
    Start->setObjectName("StartTest");
    Start->setAutoDefault(false);
    Exit = new QPushButton("E&xit", this);
    Exit->setObjectName("Exit");
    Exit->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Start);
    buttons->addWidget(Exit);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(verdict);
    layout->addWidget(Results);
    layout->addLayout(buttons);

    connect(Count, &QLineEdit::textEdited, this, &ReadTestDialog::OnCountEdited);
    connect(Start, &QPushButton::clicked, this, &ReadTestDialog::OnStart);
    connect(Exit, &QPushButton::clicked, this, &ReadTestDialog::reject);
}

void ReadTestDialog::OnCountEdited(const QString& text)
{
    // Stored at once, so a run going on sees the new count; what is not a
    // number stays out of the record.
    bool ok = false;
    const uint32_t count = text.trimmed().toUInt(&ok);
    if (ok && count <= MostReads)
        Device.State.Settings.ReadTestCount = count;
}

void ReadTestDialog::reject()
{
    if (Running)
        return;
    bool ok = false;
    const uint32_t count = Count->text().trimmed().toUInt(&ok);
    if (!ok || count > MostReads) {
        Device.Op.Message(ErrorTitle, QString("The number of reads must be a whole number from 0 to %1.").arg(MostReads),
                          MessageButtons::Ok, MessageIcon::Stop);
        return;
    }
    Device.State.Settings.ReadTestCount = count;
    QDialog::reject();
}

void ReadTestDialog::SetControlsEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{Codeline, Delay, Start, Sorter, Exit})
        w->setEnabled(enabled);
}

void ReadTestDialog::OnStart()
{
    bool countOk = false, delayOk = false;
    const uint32_t count = Count->text().trimmed().toUInt(&countOk);
    const uint32_t delay = Delay->text().toUInt(&delayOk);
    if (!countOk || count > MostReads || (!Delay->text().isEmpty() && (!delayOk || delay > LongestDelay))) {
        Device.Op.Message(ErrorTitle,
                          QString("Number of reads: a whole number from 0 to %1; delay: seconds from 0 to %2.")
                              .arg(MostReads)
                              .arg(LongestDelay),
                          MessageButtons::Ok, MessageIcon::Stop);
        return;
    }
    Running = true;
    Device.Op.CloseAllChildren();
    Results->clear();
    SetControlsEnabled(false);
    Picture->setPixmap(Neutral);
    Status->setText("Test in progress !");
    SettingsRecord& settings = Device.State.Settings;
    settings.ReadTestCount = count;
    settings.ReadTestCodeline.fill(0);
    const QByteArray reference = Codeline->text().toLatin1();
    std::memcpy(settings.ReadTestCodeline.data(), reference.constData(),
                std::min<size_t>(static_cast<size_t>(reference.size()), settings.ReadTestCodeline.size() - 1));
    settings.ReadTestDelay = delay;
    Device.Op.PumpEvents();

    ReadTestHooks hooks;
    hooks.Count = [this] { return static_cast<int64_t>(Device.State.Settings.ReadTestCount); };
    hooks.Sorter = Sorter->isChecked();
    hooks.AddLine = [this](const std::string& line) {
        Results->addItem(QString::fromLatin1(line.data(), static_cast<int>(line.size())));
        Results->setCurrentRow(Results->count() - 1);
    };
    const ReadTestVerdict verdict = RunReadTest(Device, hooks);
    if (verdict != ReadTestVerdict::NotOpened) {
        const bool passed = verdict == ReadTestVerdict::ReadsOk;
        Picture->setPixmap(passed ? Passed : Failed);
        Status->setText(passed ? "Reads OK !" : "Test Failed !");
    }
    SetControlsEnabled(true);
    Running = false;
}

void ReadTestCommand(Bench& bench)
{
    ReadTestDialog dialog(bench);
    bench.Op.Exec(dialog);
}
