#include "device/PeripheralStatusDialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PeripheralStatusDialog::PeripheralStatusDialog(const QString& senseKeyText, const QString& sensorText, QWidget* parent)
    : QDialog(parent)
{
    setObjectName("PeripheralStatusDialog");
    setWindowTitle("Peripheral Status");

    auto* senseGroup = new QGroupBox("Sense Key value", this);
    senseGroup->setObjectName("SenseKeyGroup");
    SenseKeyLabel = new QLabel(senseKeyText, senseGroup);
    SenseKeyLabel->setObjectName("SenseKeyText");
    (new QVBoxLayout(senseGroup))->addWidget(SenseKeyLabel);

    auto* sensorGroup = new QGroupBox("Bytes Sensor Status", this);
    sensorGroup->setObjectName("SensorGroup");
    SensorLabel = new QLabel(sensorText, sensorGroup);
    SensorLabel->setObjectName("SensorText");
    (new QVBoxLayout(sensorGroup))->addWidget(SensorLabel);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(senseGroup);
    layout->addWidget(sensorGroup);
    layout->addWidget(ok, 0, Qt::AlignRight);
}
