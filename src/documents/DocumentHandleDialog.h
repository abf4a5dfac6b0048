#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "documents/DocumentHandleChoices.h"

struct Bench;
struct BenchState;
struct SettingsRecord;
class Operator;
class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;

// "Document Handle": the set-up of a document run. It opens on the settings
// record, keeps its choices in a DocumentHandleChoices that holds the rules,
// shows them in its controls and writes them back on OK. A few
// controls store at once ("Save on File", "Reset File", the print side, the
// strings and windows of the small dialogs it opens); those stay on Cancel.
class DocumentHandleDialog : public QDialog {
    Q_OBJECT
public:
    DocumentHandleDialog(BenchState& state, Operator& op, QWidget* parent = nullptr);

    // OK: stores the controls into the record and ends with 1.
    void accept() override;

private:
    void BuildControls();
    QWidget* Control(HandleControl c) const { return Controls[static_cast<size_t>(c)]; }
    QAbstractButton* Button(HandleControl c) const;
    void OnClicked(HandleControl c);
    void OnQualityEdited();
    void OnCountEdited();
    // Mirrors the choices onto the widgets.
    void ShowChoices();

    BenchState& State;
    Operator& Op;
    DocumentHandleChoices Choices;

    std::array<QWidget*, HandleControlCount> Controls{};
    QLabel* JpegQualityLabel = nullptr;
    QLineEdit* JpegQuality = nullptr;
    QLineEdit* DocumentCount = nullptr;
    QLineEdit* CodelineBase = nullptr;
    QGroupBox* OpticalWindows = nullptr;
    std::array<QLineEdit*, 6> WindowFields{}; // x, y, width, height, unit, read type
};

// Builds the dialog on the bench's record and runs it through the operator;
// 1 after OK (the run then starts), 0 otherwise.
int RunDocumentHandleDialog(Bench& bench);
