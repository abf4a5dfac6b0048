#pragma once

#include <QDialog>

class QLabel;

// "Peripheral Status": the sense key and the sensor bytes, and OK.
class PeripheralStatusDialog : public QDialog {
    Q_OBJECT
public:
    PeripheralStatusDialog(const QString& senseKeyText, const QString& sensorText, QWidget* parent = nullptr);

    QLabel* SenseKeyLabel = nullptr;
    QLabel* SensorLabel = nullptr;
};
