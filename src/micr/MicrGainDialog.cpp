#include "micr/MicrGainDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Connection.h"
#include "core/MessageTitles.h"
#include "core/Operator.h"
#include "core/ReplyCodes.h"
#include "micr/MicrCalibration.h"
#include "micr/MicrState.h"

namespace {

QLabel* NamedLabel(const QString& text, const char* name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

MicrGainDialog::MicrGainDialog(const Bench& bench, QWidget* parent)
    : QDialog(parent), Device{bench.State, bench.Api, bench.Op, this, bench.Instance}
{
    setObjectName("MicrGainDialog");
    setWindowTitle("Calibration Gain MICR head");
    Neutral.load(":/resources/ResultNeutral.png");
    Passed.load(":/resources/ResultPassed.png");
    Failed.load(":/resources/ResultFailed.png");
    const SettingsRecord& settings = Device.State.Settings;

    SignalValue = new QLineEdit(QString::number(static_cast<int16_t>(settings.MicrSignalValue)), this);
    SignalValue->setObjectName("SignalValue");
    ConsecutiveOk = NamedLabel(QString::number(settings.MicrConsecutiveOk), "ConsecutiveOk", this);
    TrimmerValue = NamedLabel("000", "TrimmerValue", this);
    auto* tolerance = new QHBoxLayout;
    tolerance->addWidget(NamedLabel("-", "ToleranceMinusSign", this));
    ToleranceMinus = NamedLabel(QString::number(settings.MicrToleranceMinus), "ToleranceMinus", this);
    tolerance->addWidget(ToleranceMinus);
    tolerance->addWidget(NamedLabel("+", "TolerancePlusSign", this));
    TolerancePlus = NamedLabel(QString::number(settings.MicrTolerancePlus), "TolerancePlus", this);
    tolerance->addWidget(TolerancePlus);
    tolerance->addStretch();

    auto makeButton = [&](const char* text, const char* name) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        return button;
    };
    ReadTrimmer = makeButton("&Read", "ReadTrimmer");
    SetTrimmer = makeButton("&Set Trimmer", "SetTrimmer");
    auto* trimmerRow = new QHBoxLayout;
    trimmerRow->addWidget(TrimmerValue);
    trimmerRow->addWidget(ReadTrimmer);
    trimmerRow->addWidget(SetTrimmer);

    auto* form = new QFormLayout;
    form->addRow("Value of Volt for 100 % :",
                 NamedLabel(QString::asprintf("%.2f", static_cast<double>(settings.MicrVoltFor100)), "VoltFor100",
                            this));
    form->addRow("Signal Value :", SignalValue);
    form->addRow("Tollerance :", tolerance);
    form->addRow("Nr. read TRUE consecutive :", ConsecutiveOk);
    form->addRow("Trimmer Value :", trimmerRow);

    Picture = NamedLabel("", "ResultPicture", this);
    Picture->setPixmap(Neutral);
    Picture->setFixedSize(52, 52);
    Picture->setAlignment(Qt::AlignCenter);
    Status = NamedLabel("", "Status", this);
    Status->setMinimumWidth(260);
    Average = NamedLabel("0.0", "Average", this);
    auto* result = new QHBoxLayout;
    result->addWidget(Picture);
    auto* texts = new QVBoxLayout;
    texts->addWidget(Status);
    auto* averageRow = new QHBoxLayout;
    averageRow->addWidget(new QLabel("Average :", this));
    averageRow->addWidget(Average);
    averageRow->addWidget(new QLabel("%", this));
    averageRow->addStretch();
    texts->addLayout(averageRow);
    result->addLayout(texts);

    GainCalibration = makeButton("&Gain Calibration", "GainCalibration");
    TimeSampleCalibration = makeButton("Time Sample Calibration", "TimeSampleCalibration");
    OneRead = makeButton("&One Read", "OneRead");
    Exit = makeButton("E&xit", "Exit");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {GainCalibration, TimeSampleCalibration, OneRead, Exit})
        buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(result);
    layout->addLayout(buttons);

    connect(ReadTrimmer, &QPushButton::clicked, this, &MicrGainDialog::OnReadTrimmer);
    connect(SetTrimmer, &QPushButton::clicked, this, &MicrGainDialog::OnSetTrimmer);
    connect(GainCalibration, &QPushButton::clicked, this, &MicrGainDialog::OnGainCalibration);
    connect(TimeSampleCalibration, &QPushButton::clicked, this, &MicrGainDialog::OnTimeSampleCalibration);
    connect(OneRead, &QPushButton::clicked, this, &MicrGainDialog::OnOneRead);
    connect(Exit, &QPushButton::clicked, this, &MicrGainDialog::reject);
}

void MicrGainDialog::reject()
{
    // A run holds the unit and the operator's document: it ends on its own.
    if (Running)
        return;
    StoreSignalValue();
    QDialog::reject();
}

void MicrGainDialog::StoreSignalValue()
{
    bool ok = false;
    const int value = SignalValue->text().toInt(&ok);
    if (ok && value > 0 && value <= 32767)
        Device.State.Settings.MicrSignalValue = static_cast<uint16_t>(value);
    else
        SignalValue->setText(QString::number(static_cast<int16_t>(Device.State.Settings.MicrSignalValue)));
}

void MicrGainDialog::SetButtonsEnabled(bool enabled)
{
    for (QPushButton* b : {ReadTrimmer, SetTrimmer, GainCalibration, TimeSampleCalibration, OneRead, Exit})
        b->setEnabled(enabled);
    SignalValue->setEnabled(enabled);
}

void MicrGainDialog::OnReadTrimmer()
{
    if (!OpenUnit(Device, OpenOperation::VarnOpen, OpenRule::AnyFailureStops).Proceed)
        return;
    uint8_t value[2] = {};
    const int32_t reply = Device.Api.Varn_ReadTrimmerMICR(Device.State.UnitHandle, Device.Window, 0, value, 2);
    CloseUnit(Device);
    if (ReportReply(Device.Op, reply, "Varn_ReadTrimmerMICR"))
        TrimmerValue->setText("---");
    else
        TrimmerValue->setText(QString::asprintf("%03u", value[0]));
}

void MicrGainDialog::OnSetTrimmer()
{
    const uint32_t value = AskTrimmerValue(Device.Op, this);
    if (value == 0)
        return;
    if (!OpenUnit(Device, OpenOperation::VarnOpen, OpenRule::AlreadyConnectedGoesOn).Proceed)
        return;
    ReportReply(Device.Op,
                Device.Api.Varn_SetTrimmerMICR(Device.State.UnitHandle, Device.Window, 0,
                                               static_cast<uint8_t>(value & 0xFF)),
                "Varn_SetTrimmerMICR");
    CloseUnit(Device);
}

void MicrGainDialog::StartRun()
{
    Running = true;
    SetButtonsEnabled(false);
    Device.Op.CloseAllChildren();
    Picture->setPixmap(Neutral);
    Average->setText("0.0");
    Status->setText("INSERT DOCUMENT !");
    Device.Op.PumpEvents();
}

void MicrGainDialog::EndRun(bool passed, const QString& status)
{
    Picture->setPixmap(passed ? Passed : Failed);
    Status->setText(status);
    Average->setText(QString::asprintf("%.1f", static_cast<double>(ProcessMicrState().CalibrationResult)));
    // The gain run leaves its own tolerances in the settings.
    const SettingsRecord& settings = Device.State.Settings;
    ToleranceMinus->setText(QString::number(settings.MicrToleranceMinus));
    TolerancePlus->setText(QString::number(settings.MicrTolerancePlus));
    SetButtonsEnabled(true);
    Running = false;
}

void MicrGainDialog::OnGainCalibration()
{
    StoreSignalValue();
    StartRun();
    Device.State.Settings.MicrConsecutiveOk = static_cast<uint16_t>(ConsecutiveOk->text().toUInt());
    const int32_t result = CalibrateMicrGain(Device);
    if (result == 0) {
        EndRun(true, "Calibration OK !");
        return;
    }
    EndRun(false, QString::asprintf("Calibration FAILED -*- Trimmer Value %d",
                                    static_cast<int>(ProcessMicrState().CalibrationResult)));
    if (result != VnReplyCalibrationFailed)
        ReportReply(Device.Op, result, "Varn_Open");
}

void MicrGainDialog::OnTimeSampleCalibration()
{
    StartRun();
    const int32_t result = CalibrateTimeSample(Device);
    EndRun(result == 0, result == 0 ? "Calibration Ok !" : "Calibration Ko !");
}

void MicrGainDialog::OnOneRead()
{
    Running = true;
    SetButtonsEnabled(false);
    ReadSignalOnce(Device, 1);
    SetButtonsEnabled(true);
    Running = false;
}

SetTrimmerDialog::SetTrimmerDialog(Operator& op, QWidget* parent) : QDialog(parent), Op(op)
{
    setObjectName("SetTrimmerDialog");
    setWindowTitle("Set Trimmer MICR");
    NewValue = new QLineEdit("1", this);
    NewValue->setObjectName("NewTrimmerValue");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("Buttons");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("Ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("Cancel");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Insert New Trimmer Value", this));
    layout->addWidget(NewValue);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &SetTrimmerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SetTrimmerDialog::reject);
}

void SetTrimmerDialog::accept()
{
    bool ok = false;
    const uint32_t value = NewValue->text().trimmed().toUInt(&ok);
    if (!ok || value == 0 || value > 65535) {
        Op.Message(ErrorTitle, "The trimmer value must be a whole number from 1 to 255.", MessageButtons::Ok,
                   MessageIcon::Stop);
        return;
    }
    if (value > 255 &&
        Op.Message(ErrorTitle,
                   QString("The trimmer holds one byte: %1 will be written as %2.").arg(value).arg(value & 0xFF),
                   MessageButtons::OkCancel, MessageIcon::Warning) != MessageAnswer::Ok)
        return;
    Typed = value;
    QDialog::accept();
}

uint32_t AskTrimmerValue(Operator& op, QWidget* parent)
{
    SetTrimmerDialog dialog(op, parent);
    return op.Exec(dialog) == QDialog::Accepted ? dialog.Value() : 0;
}

void MicrGainCommand(Bench& bench)
{
    MicrGainDialog dialog(bench);
    bench.Op.Exec(dialog);
}
