#pragma once

#include <QDialog>
#include <QPixmap>

struct Bench;
class QLabel;
class QLineEdit;
class QPushButton;

// "Calibration Image": the operator types a document's length and the unit's
// image scale is corrected until the document measures right.
class CalibrationImageDialog : public QDialog {
    Q_OBJECT
public:
    explicit CalibrationImageDialog(Bench& bench, QWidget* parent = nullptr);

    void RunCalibration();

private:
    enum class Status { Busy, Success, Failure };
    void ShowStatus(Status status, const QString& text);
    void SetControlsEnabled(bool enabled);

    Bench& Session;
    QLineEdit* Length = nullptr;
    QLabel* Theoretical = nullptr;
    QLabel* Measured = nullptr;
    QLabel* StatusPicture = nullptr;
    QLabel* StatusText = nullptr;
    QPushButton* Calibrate = nullptr;
    QPushButton* Exit = nullptr;
    QPixmap Pictures[3];
};
