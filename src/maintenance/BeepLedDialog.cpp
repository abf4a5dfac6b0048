#include "maintenance/BeepLedDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/BenchState.h"
#include "core/MessageTitles.h"
#include "core/Operator.h"
#include "maintenance/DeviceTestRun.h"

BeepLedDialog::BeepLedDialog(Bench& bench, QWidget* parent) : QDialog(parent), Device(bench)
{
    setObjectName("BeepLedDialog");
    setWindowTitle("Test Device Beep and LED");
    const SettingsRecord& s = bench.State.Settings;

    auto makeField = [](QWidget* owner, const char* name, uint16_t value) {
        auto* field = new QLineEdit(QString::number(value), owner);
        field->setObjectName(name);
        return field;
    };
    auto makeButton = [&](const char* text, const char* name) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        return button;
    };

    auto* beepGroup = new QGroupBox("Beep", this);
    beepGroup->setObjectName("BeepGroup");
    auto* beepForm = new QFormLayout(beepGroup);
    BeepCount = makeField(beepGroup, "BeepCount", s.BeepCount);
    BeepTimeOn = makeField(beepGroup, "BeepTimeOn", s.BeepTimeOn);
    BeepTimeOff = makeField(beepGroup, "BeepTimeOff", s.BeepTimeOff);
    beepForm->addRow("Nr. of Beep :", BeepCount);
    beepForm->addRow("Time On (ms) :", BeepTimeOn);
    beepForm->addRow("Time Off (ms):", BeepTimeOff);
    auto* beep = makeButton("Test &Beep", "TestBeep");
    beepForm->addRow(beep);

    auto* ledGroup = new QGroupBox("LED", this);
    ledGroup->setObjectName("LedGroup");
    auto* ledForm = new QFormLayout(ledGroup);
    LedColor = new QComboBox(ledGroup);
    LedColor->setObjectName("LedColor");
    LedColor->addItems({"Green", "Red", "Amber"});
    LedColor->setCurrentIndex(s.LedColor < LedColor->count() ? s.LedColor : 0);
    LedTimeOn = makeField(ledGroup, "LedTimeOn", s.LedTimeOn);
    LedTimeOff = makeField(ledGroup, "LedTimeOff", s.LedTimeOff);
    ledForm->addRow("Color :", LedColor);
    ledForm->addRow("Time On (ms) :", LedTimeOn);
    ledForm->addRow("Time Off (ms):", LedTimeOff);
    auto* led = makeButton("Test &LED", "TestLed");
    ledForm->addRow(led);

    auto* exit = makeButton("E&xit", "Exit");
    connect(beep, &QPushButton::clicked, this, &BeepLedDialog::Beep);
    connect(led, &QPushButton::clicked, this, &BeepLedDialog::Led);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto* groups = new QHBoxLayout;
    groups->addWidget(beepGroup);
    groups->addWidget(ledGroup);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(buttons);
}

bool BeepLedDialog::TakeField(const QLineEdit* field, const QString& name, uint16_t& value)
{
    const auto number = devicetest::WholeNumber(field->text().toStdString());
    if (!number || *number < 0 || *number > 0xFFFF) {
        Device.Op.Message(DemoTitle, name + " must be a number from 0 to 65535 !", MessageButtons::Ok,
                          MessageIcon::Warning);
        return false;
    }
    value = static_cast<uint16_t>(*number);
    return true;
}

void BeepLedDialog::Beep()
{
    uint16_t count = 0, on = 0, off = 0;
    if (!TakeField(BeepCount, "Nr. of Beep", count) || !TakeField(BeepTimeOn, "Time On", on) ||
        !TakeField(BeepTimeOff, "Time Off", off))
        return;
    SettingsRecord& s = Device.State.Settings;
    s.BeepCount = count;
    s.BeepTimeOn = on;
    s.BeepTimeOff = off;
    TestBeep(Device);
}

void BeepLedDialog::Led()
{
    uint16_t on = 0, off = 0;
    if (!TakeField(LedTimeOn, "Time On", on) || !TakeField(LedTimeOff, "Time Off", off))
        return;
    SettingsRecord& s = Device.State.Settings;
    s.LedColor = static_cast<uint16_t>(std::max(LedColor->currentIndex(), 0));
    s.LedTimeOn = on;
    s.LedTimeOff = off;
    TestLed(Device);
}
