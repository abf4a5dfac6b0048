// "Read Single image": which colour plane "R&ead Single Color" reads. OK ends
// with 1 and stores the choice; Cancel ends with 2.
#pragma once

#include <QDialog>

struct SettingsRecord;
class QRadioButton;

class ReadSingleImageDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int OkResult = 1;
    static constexpr int CancelResult = 2;

    explicit ReadSingleImageDialog(SettingsRecord& settings, QWidget* parent = nullptr);

    // Escape and the close box cancel.
    void reject() override { done(CancelResult); }

private:
    void OnOk();

    SettingsRecord& Settings;
    QRadioButton* Blue = nullptr;
    QRadioButton* Green = nullptr;
    QRadioButton* Red = nullptr;
};
