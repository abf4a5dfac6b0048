#pragma once

#include <QDialog>

#include "maintenance/PeripheralSetup.h"

struct Bench;
class QComboBox;

// "Setup": which options the unit carries. "&Write" sends them to the unit,
// "&Read" shows what its identification says; the selections reach the
// settings when the dialog closes, however it closes.
class SetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit SetupDialog(Bench& bench, QWidget* parent = nullptr);

    SetupChoices Choices() const;
    void Select(const SetupChoices& choices);

    void WriteClicked();
    void ReadClicked();

    void done(int result) override;

private:
    Bench& Session;
    QComboBox* MicrHead = nullptr;
    QComboBox* VoidingStamp = nullptr;
    QComboBox* InkJetPrinter = nullptr;
    QComboBox* BadgeReader = nullptr;
    QComboBox* ProcessCard = nullptr;
    QComboBox* PoweredBy = nullptr;
};
