// "Test Device Beep and LED": beeps or blinks the unit with counts and times
// that the settings keep (stored before the unit is opened, so a failed open
// keeps them too).
#pragma once

#include <QDialog>
#include <cstdint>

struct Bench;
class QComboBox;
class QLineEdit;

class BeepLedDialog : public QDialog {
    Q_OBJECT
public:
    explicit BeepLedDialog(Bench& bench, QWidget* parent = nullptr);

private:
    void Beep();
    void Led();
    // The field as a number from 0 to 65535; false after telling the operator.
    bool TakeField(const QLineEdit* field, const QString& name, uint16_t& value);

    Bench& Device;
    QLineEdit* BeepCount = nullptr;
    QLineEdit* BeepTimeOn = nullptr;
    QLineEdit* BeepTimeOff = nullptr;
    QComboBox* LedColor = nullptr;
    QLineEdit* LedTimeOn = nullptr;
    QLineEdit* LedTimeOff = nullptr;
};
