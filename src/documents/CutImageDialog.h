// "Cut Image Parameter": the window cut out of the current images, in
// millimetres or inches, measured from the right and bottom edges. It edits
// the settings on OK, and closes through OK only.
#pragma once

#include <QDialog>

struct SettingsRecord;
class QLineEdit;
class QRadioButton;

class CutImageDialog : public QDialog {
    Q_OBJECT
public:
    explicit CutImageDialog(SettingsRecord& settings, QWidget* parent = nullptr);

    void reject() override {}

private:
    void OnOk();

    SettingsRecord& Settings;
    QLineEdit* XEdit = nullptr;
    QLineEdit* YEdit = nullptr;
    QLineEdit* WidthEdit = nullptr;
    QLineEdit* HeightEdit = nullptr;
    QRadioButton* Millimeter = nullptr;
    QRadioButton* Inch = nullptr;
};
