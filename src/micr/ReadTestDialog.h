// "Test Read Codeline": count, reference codeline and delay, the sorter
// choice, the run's verdict and the list of codelines read.
#pragma once

#include <QDialog>
#include <QPixmap>

#include "core/BenchState.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class ReadTestDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReadTestDialog(const Bench& bench, QWidget* parent = nullptr);
    // "E&xit" and the close box keep the number of reads; refused during a run.
    void reject() override;

private:
    void OnStart();
    void OnCountEdited(const QString& text);
    void SetControlsEnabled(bool enabled);

    Bench Device;
    bool Running = false;
    QPixmap Neutral, Passed, Failed;
    QLineEdit* Count = nullptr;
    QLineEdit* Codeline = nullptr;
    QLineEdit* Delay = nullptr;
    QCheckBox* Sorter = nullptr;
    QLabel* Picture = nullptr;
    QLabel* Status = nullptr;
    QListWidget* Results = nullptr;
    QPushButton* Start = nullptr;
    QPushButton* Exit = nullptr;
};

void ReadTestCommand(Bench& bench);
