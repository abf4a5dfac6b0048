#include "micr/DocSpeedDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/MessageTitles.h"
#include "core/Operator.h"
#include "micr/DocSpeedRun.h"

DocSpeedDialog::DocSpeedDialog(const Bench& bench, QWidget* parent)
    : QDialog(parent), Device{bench.State, bench.Api, bench.Op, this, bench.Instance}
{
    setObjectName("DocSpeedDialog");
    setWindowTitle("Calibration Doc Speed");
    Neutral.load(":/resources/ResultNeutral.png");
    Passed.load(":/resources/ResultPassed.png");
    Failed.load(":/resources/ResultFailed.png");

    auto* fixed = new QGroupBox("Fixed Parameter", this);
    fixed->setObjectName("FixedParameter");
    Reads = new QLineEdit(QString::number(Device.State.Settings.DocSpeedReads), fixed);
    Reads->setObjectName("NumberOfReads");
    auto* fixedRow = new QHBoxLayout(fixed);
    fixedRow->addWidget(new QLabel("Number of reads :", fixed));
    fixedRow->addWidget(Reads);

    Picture = new QLabel(this);
    Picture->setObjectName("ResultPicture");
    Picture->setPixmap(Neutral);
    Picture->setFixedSize(52, 52);
    Status = new QLabel("Calibration OK !", this);
    Status->setObjectName("Status");
    auto* verdict = new QHBoxLayout;
    verdict->addWidget(Picture);
    verdict->addWidget(Status, 1);

    auto* heading = new QLabel(" Min             Max                Media              Dev. Standard", this);
    heading->setObjectName("ResultHeading");
    Results = new QListWidget(this);
    Results->setObjectName("Results");

    Calibrate = new QPushButton("&Calibrate", this);
    Calibrate->setObjectName("Calibrate");
    Calibrate->setAutoDefault(false);
    Exit = new QPushButton("E&xit", this);
    Exit->setObjectName("Exit");
    Exit->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Calibrate);
    buttons->addWidget(Exit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fixed);
    layout->addLayout(verdict);
    layout->addWidget(heading);
    layout->addWidget(Results);
    layout->addLayout(buttons);

    connect(Calibrate, &QPushButton::clicked, this, &DocSpeedDialog::OnCalibrate);
    connect(Exit, &QPushButton::clicked, this, &DocSpeedDialog::reject);
}

void DocSpeedDialog::reject()
{
    if (Running)
        return;
    bool ok = false;
    const uint32_t reads = Reads->text().trimmed().toUInt(&ok);
    if (!ok || reads > 32767) {
        Device.Op.Message(ErrorTitle, "The number of reads must be a whole number from 0 to 32767.",
                          MessageButtons::Ok, MessageIcon::Stop);
        return;
    }
    Device.State.Settings.DocSpeedReads = static_cast<uint16_t>(reads);
    QDialog::reject();
}

void DocSpeedDialog::OnCalibrate()
{
    Running = true;
    Device.Op.CloseAllChildren();
    Calibrate->setEnabled(false);
    Exit->setEnabled(false);
    Picture->setPixmap(Neutral);
    Status->setText("Test in progress !");
    Results->clear();
    Device.Op.PumpEvents();
    const DocSpeedVerdict verdict = CalibrateDocSpeed(Device, [this](const std::string& line) {
        Results->addItem(QString::fromStdString(line));
    });
    if (verdict != DocSpeedVerdict::NotOpened) {
        const bool passed = verdict == DocSpeedVerdict::Passed;
        Picture->setPixmap(passed ? Passed : Failed);
        Status->setText(passed ? "Calibration OK !" : "Calibration Failed !");
    }
    Calibrate->setEnabled(true);
    Exit->setEnabled(true);
    Running = false;
}

void DocSpeedCommand(Bench& bench)
{
    DocSpeedDialog dialog(bench);
    bench.Op.Exec(dialog);
}
