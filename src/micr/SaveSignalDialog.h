// "Save Signal E13B on Error": the reference codeline, the options of the
// run, and the list of the codelines it read.
#pragma once

#include <QDialog>

#include "core/BenchState.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

class SaveSignalDialog : public QDialog {
    Q_OBJECT
public:
    // Looks for the decode library as it opens.
    explicit SaveSignalDialog(const Bench& bench, QWidget* parent = nullptr);

    // "E&xit" and the close box keep the edited reference codeline.
    void reject() override;

    // Appends a codeline, selects it and lets the frame paint.
    void AddListLine(const QString& text);

private:
    void OnSaveCodelinesToggled(bool checked);
    void OnStart();
    void StoreCodelineBase();
    void SetControlsEnabled(bool enabled);

    Bench Device;
    QLineEdit* CodelineBase = nullptr;
    QPushButton* InsertLastCodeline = nullptr;
    QCheckBox* SaveCodelines = nullptr;
    QCheckBox* ResetFile = nullptr;
    QCheckBox* SaveImage = nullptr;
    QCheckBox* ReadCmc7 = nullptr;
    QCheckBox* MicrOcr = nullptr;
    QListWidget* CodelinesRead = nullptr;
    QPushButton* Start = nullptr;
    QPushButton* Clear = nullptr;
    QPushButton* Exit = nullptr;
};

// "&Save Signal on Error".
void SaveSignalCommand(Bench& bench);
