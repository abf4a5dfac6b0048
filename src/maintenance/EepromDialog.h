// "Data EEPROM": reads a run of the unit's EEPROM bytes as text, or writes
// bytes composed from a comma-separated text.
#pragma once

#include <QDialog>
#include <cstdint>

struct Bench;
class QLineEdit;
class QPlainTextEdit;

class EepromDialog : public QDialog {
    Q_OBJECT
public:
    explicit EepromDialog(Bench& bench, QWidget* parent = nullptr);

private:
    // The offset and count fields, checked; false after telling the operator.
    bool TakeRange(uint16_t& offset, int16_t& count);
    void Read();
    void Write();

    Bench& Device;
    QLineEdit* OffsetField = nullptr;
    QLineEdit* CountField = nullptr;
    QPlainTextEdit* ReadText = nullptr;
    QPlainTextEdit* WriteText = nullptr;
};
