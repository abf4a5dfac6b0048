#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "documents/DecodeWindowDialog.h"

struct Bench;
struct BenchState;
struct SettingsRecord;
class Operator;
class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Document Handle": the set-up of a document run. It opens on the settings
// record, keeps its choices in its controls and writes them back on OK. A few
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
    void OpenOnRecord();

    void ApplyScanModeRule(uint16_t scanMode);
    void OnMicrClicked();
    void OnE13bMicrOcrClicked();
    void OnBarcodeClicked();
    void OnPdf417Clicked();
    void OnOcrClicked();
    void MoveSideOffNone();
    void OnSideNoneClicked();
    void OnScanCardClicked();
    void OnPrintClicked();
    void OnPrint15Clicked();
    void OnBoldClicked();
    void ResetPrintSide();
    void OnPrintSideClicked();
    void OnClearImageClicked();
    void OnJpegClicked();
    void OnBmpClicked();
    void OnTiffClicked();
    void SetTiffTypesEnabled(bool enabled);
    void SetQualityEnabled(bool enabled);
    void OnQualityChanged();
    void OnCountChanged();
    void OnNumClicked();
    void OnDestinationClicked();
    void OnSaveOnFileClicked();
    void OnResetFileClicked();
    void OnInsertLastCodeline();
    void OnSetClicked(DecodeWindowKind kind);
    void OnEndorsementClicked();
    void OnDigitalStringClicked();

    // The "Optical Windows" display.
    void ShowDecodeWindow(DecodeWindowKind kind);
    void SetOpticalDisplayEnabled(bool enabled);

    BenchState& State;
    SettingsRecord& Settings;
    Operator& Op;
    bool HasPrinter = false;
    bool CanScanCards = false;

    static constexpr int ScanModeCount = 7;
    static constexpr int TiffTypeCount = 5;
    static constexpr int SideCount = 4;
    std::array<QRadioButton*, ScanModeCount> ScanModes{};
    QCheckBox* ScanCard = nullptr;

    QCheckBox* Micr = nullptr;
    QCheckBox* E13bMicrOcr = nullptr;
    QCheckBox* Barcode = nullptr;
    QCheckBox* Pdf417 = nullptr;
    QCheckBox* Ocr = nullptr;
    QPushButton* BarcodeSet = nullptr;
    QPushButton* BarcodeView = nullptr;
    QPushButton* Pdf417Set = nullptr;
    QPushButton* Pdf417View = nullptr;
    QPushButton* OcrSet = nullptr;
    QPushButton* OcrView = nullptr;

    QGroupBox* OpticalWindows = nullptr;
    QLineEdit* WindowX = nullptr;
    QLineEdit* WindowY = nullptr;
    QLineEdit* WindowWidth = nullptr;
    QLineEdit* WindowHeight = nullptr;
    QLineEdit* WindowUnit = nullptr;
    QLineEdit* WindowReadType = nullptr;

    QGroupBox* PrintGroup = nullptr;
    QPushButton* Endorsement = nullptr;
    QCheckBox* Print = nullptr;
    QCheckBox* Print15 = nullptr;
    QCheckBox* Bold = nullptr;
    QCheckBox* High = nullptr;
    QPushButton* DigitalString = nullptr;
    QPushButton* PrintSide = nullptr;

    QCheckBox* FrontStamp = nullptr;
    QCheckBox* WaitTimeout = nullptr;
    QCheckBox* BeepOnError = nullptr;

    QCheckBox* SaveOnFile = nullptr;
    QCheckBox* ResetFile = nullptr;

    QCheckBox* DoCheck = nullptr;
    QLineEdit* CodelineBase = nullptr;
    QPushButton* InsertLastCodeline = nullptr;

    std::array<QRadioButton*, SideCount> Sides{};
    QCheckBox* ClearImage = nullptr;
    QCheckBox* AlignImage = nullptr;

    QCheckBox* Jpeg = nullptr;
    QCheckBox* Bmp = nullptr;
    QCheckBox* Tiff = nullptr;
    QLabel* JpegQualityLabel = nullptr;
    QLineEdit* JpegQuality = nullptr;
    std::array<QRadioButton*, TiffTypeCount> TiffTypes{};

    QRadioButton* AllDocument = nullptr;
    QRadioButton* Num = nullptr;
    QLineEdit* DocumentCount = nullptr;
    QPushButton* Destination = nullptr;
};

// Builds the dialog on the bench's record and runs it through the operator;
// 1 after OK (the run then starts), 0 otherwise.
int RunDocumentHandleDialog(Bench& bench);
