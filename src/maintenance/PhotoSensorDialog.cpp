#include "maintenance/PhotoSensorDialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "maintenance/DeviceTestRun.h"

PhotoSensorDialog::PhotoSensorDialog(Bench& bench, QWidget* parent) : QDialog(parent), Device(bench)
{
    setObjectName("PhotoSensorDialog");
    setWindowTitle("Photo Sensor Values");

    auto* group = new QGroupBox("Value setted", this);
    group->setObjectName("ValueSetted");
    auto* form = new QFormLayout(group);
    auto makeValue = [&](const char* name) {
        auto* field = new QLineEdit("0x0000", group);
        field->setObjectName(name);
        field->setReadOnly(true);
        field->setMaximumWidth(90);
        return field;
    };
    FeederValue = makeValue("FeederValue");
    TriggerValue = makeValue("TriggerValue");
    form->addRow("Feeder Photo Sensor Value ....................................", FeederValue);
    form->addRow("Trigger Photo Sensor Value ......................................", TriggerValue);

    auto* exit = new QPushButton("E&xit", this);
    exit->setObjectName("Exit");
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

void PhotoSensorDialog::ReadSensors()
{
    devicetest::PhotoReadings readings;
    if (!ReadPhotoSensors(Device, readings))
        return;
    FeederValue->setText(QString::fromStdString(devicetest::PhotoValueText(readings.Feeder)));
    TriggerValue->setText(QString::fromStdString(devicetest::PhotoValueText(readings.Trigger)));
}
