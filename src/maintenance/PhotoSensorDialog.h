// "Photo Sensor Values": the feeder and trigger photo sensors, read once when
// the dialog opens.
#pragma once

#include <QDialog>

struct Bench;
class QLineEdit;

class PhotoSensorDialog : public QDialog {
    Q_OBJECT
public:
    explicit PhotoSensorDialog(Bench& bench, QWidget* parent = nullptr);
    // Opens the unit and reads the sensors; the fields keep "0x0000" after a
    // failure (which has been reported).
    void ReadSensors();

private:
    Bench& Device;
    QLineEdit* FeederValue = nullptr;
    QLineEdit* TriggerValue = nullptr;
};
