// "Calibration Gain MICR head": the head's settings, the trimmer read and
// set by hand, and the gain, time-sample and one-read runs with their
// result picture, status and average.
#pragma once

#include <QDialog>
#include <QPixmap>

#include "core/BenchState.h"

class QLabel;
class QLineEdit;
class QPushButton;

class MicrGainDialog : public QDialog {
    Q_OBJECT
public:
    explicit MicrGainDialog(const Bench& bench, QWidget* parent = nullptr);

    // "E&xit" and the close box keep the signal value; refused while a run goes on.
    void reject() override;

private:
    void OnReadTrimmer();
    void OnSetTrimmer();
    void OnGainCalibration();
    void OnTimeSampleCalibration();
    void OnOneRead();
    void StartRun();
    void EndRun(bool passed, const QString& status);
    void SetButtonsEnabled(bool enabled);
    void StoreSignalValue();

    Bench Device;
    bool Running = false;
    QPixmap Neutral, Passed, Failed;
    QLineEdit* SignalValue = nullptr;
    QLabel* ConsecutiveOk = nullptr;
    QLabel* ToleranceMinus = nullptr;
    QLabel* TolerancePlus = nullptr;
    QLabel* TrimmerValue = nullptr;
    QLabel* Picture = nullptr;
    QLabel* Status = nullptr;
    QLabel* Average = nullptr;
    QPushButton* ReadTrimmer = nullptr;
    QPushButton* SetTrimmer = nullptr;
    QPushButton* GainCalibration = nullptr;
    QPushButton* TimeSampleCalibration = nullptr;
    QPushButton* OneRead = nullptr;
    QPushButton* Exit = nullptr;
};

// "Set Trimmer MICR": one number, preset to 1. Refuses what is not a whole
// number from 1 to 65535 and says which byte a value above 255 writes.
class SetTrimmerDialog : public QDialog {
    Q_OBJECT
public:
    explicit SetTrimmerDialog(Operator& op, QWidget* parent = nullptr);
    void accept() override;
    // The number typed, once accepted.
    uint32_t Value() const { return Typed; }

private:
    Operator& Op;
    QLineEdit* NewValue = nullptr;
    uint32_t Typed = 0;
};

// The trimmer value a "Set Trimmer MICR" answer asks for: 0 (nothing) unless
// accepted.
uint32_t AskTrimmerValue(Operator& op, QWidget* parent);

// "Calibration &MICR".
void MicrGainCommand(Bench& bench);
