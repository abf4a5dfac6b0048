#pragma once

#include <QDialog>

#include "documents/DecodeWindowKind.h"

struct SettingsRecord;
class QComboBox;
class QLineEdit;
class QRadioButton;

// The decode-window dialog ("Barcode Window Parameter" layout): the window's
// right,bottom corner, width and height, its unit and the read type. OK
// writes them into the record and is the only way out.
class DecodeWindowDialog : public QDialog {
    Q_OBJECT
public:
    DecodeWindowDialog(SettingsRecord& settings, DecodeWindowKind kind, QWidget* parent = nullptr);

    static QString TitleFor(DecodeWindowKind kind);

    void accept() override;
    // Escape and the close box leave the dialog open.
    void reject() override {}

private:
    void OnUnitClicked(bool toInches);

    SettingsRecord& Settings;
    const DecodeWindowKind Kind;
    bool ShownInInches = false;

    QLineEdit* CoordinateX = nullptr;
    QLineEdit* CoordinateY = nullptr;
    QLineEdit* Width = nullptr;
    QLineEdit* Height = nullptr;
    QRadioButton* Millimeter = nullptr;
    QRadioButton* Inch = nullptr;
    QComboBox* ReadType = nullptr;
};
