#pragma once

#include <QDialog>

struct SettingsRecord;
class QCheckBox;
class QLineEdit;
class QRadioButton;

// "Digital String": the text, place, font and tone of the font-rendered print.
// OK stores every field; Cancel none.
class DigitalStringDialog : public QDialog {
    Q_OBJECT
public:
    DigitalStringDialog(SettingsRecord& settings, QWidget* parent = nullptr);

    void accept() override;

private:
    SettingsRecord& Settings;
    QLineEdit* PrintString = nullptr;
    QRadioButton* Millimeter = nullptr;
    QRadioButton* Inch = nullptr;
    QLineEdit* CoordinateX = nullptr;
    QLineEdit* CoordinateY = nullptr;
    QLineEdit* FontName = nullptr;
    QCheckBox* Bold = nullptr;
    QCheckBox* Italic = nullptr;
    QCheckBox* Underline = nullptr;
    QLineEdit* GrayTone = nullptr;
    QLineEdit* FontSize = nullptr;
};
