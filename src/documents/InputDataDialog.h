// "Input data": one value for an image command, and for "&Convert to BW" also
// the threshold of its second pass. It closes through OK only.
#pragma once

#include <QDialog>
#include <cstdint>

class QGroupBox;
class QLineEdit;

enum class InputDataUse { ConvertToBw, Brightness, Contrast };

class InputDataDialog : public QDialog {
    Q_OBJECT
public:
    // bwThreshold receives the threshold on OK in the convert use.
    InputDataDialog(InputDataUse use, uint16_t& bwThreshold, QWidget* parent = nullptr);

    // Escape and the close box leave the dialog open.
    void reject() override {}

private:
    void OnOk();

    InputDataUse Use;
    uint16_t& BwThreshold;
    QGroupBox* ValueGroup = nullptr;
    QLineEdit* ValueEdit = nullptr;
    QGroupBox* ThresholdGroup = nullptr;
    QLineEdit* ThresholdEdit = nullptr;
};
