// "Calibration Doc Speed": the number of documents, the run, its verdict and
// one list line per document.
#pragma once

#include <QDialog>
#include <QPixmap>

#include "core/BenchState.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class DocSpeedDialog : public QDialog {
    Q_OBJECT
public:
    explicit DocSpeedDialog(const Bench& bench, QWidget* parent = nullptr);
    // "E&xit" and the close box store the number of reads; refused during a run.
    void reject() override;

private:
    void OnCalibrate();

    Bench Device;
    bool Running = false;
    QPixmap Neutral, Passed, Failed;
    QLineEdit* Reads = nullptr;
    QLabel* Picture = nullptr;
    QLabel* Status = nullptr;
    QListWidget* Results = nullptr;
    QPushButton* Calibrate = nullptr;
    QPushButton* Exit = nullptr;
};

void DocSpeedCommand(Bench& bench);
