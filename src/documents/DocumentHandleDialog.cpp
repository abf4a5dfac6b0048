// Controls (objectName):
//   "Scan Mode": "ScanModeBwBitmap", "ScanMode16Gray100", "ScanMode16Gray200", "ScanMode16Gray300",
//     "ScanMode256Gray100", "ScanMode256Gray200", "ScanMode256Gray300", "ScanCard"
//   "Codeline Type": "CodelineMicr", "CodelineE13bMicrOcr", "CodelineBarcode", "CodelinePdf417",
//     "CodelineOcr", "BarcodeSet", "BarcodeView", "Pdf417Set", "Pdf417View", "OcrSet", "OcrView"
//   "Optical Windows" ("OpticalWindowsGroup"): "WindowX", "WindowY", "WindowWidth", "WindowHeight",
//     "WindowUnit", "WindowReadType"
//   "Set Print String" ("SetPrintStringGroup"): "EndorsementButton", "Print", "Print15", "Bold",
//     "High" (hidden), "DigitalStringButton" (disabled), "PrintSideButton" (disabled)
//   "Document Handle": "FrontStamp", "WaitTimeout", "BeepOnError"
//   "Save Codeline": "SaveOnFile", "ResetFile"
//   "Check Codeline": "DoCheck", "CodelineBase", "InsertLastCodeline"
//   "Read Image": "SideAll", "SideFront", "SideBack", "SideNone", "ClearImage", "AlignImage"
//   "Save On File": "Jpeg", "Bmp", "Tiff", "JpegQualityLabel", "JpegQuality"
//   "Tiff Type": "TiffTypeTiff", "TiffTypeCcitt", "TiffTypeCcittGr3D1", "TiffTypeCcittGr3D2",
//     "TiffTypeCcittGr4"
//   "Documents": "AllDocument", "Num", "DocumentCount", "DestinationButton"
//   "OK", "Cancel"
#include "documents/DocumentHandleDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/BenchState.h"
#include "documents/DialogFields.h"
#include "documents/DigitalStringDialog.h"
#include "documents/EndorsementStringDialog.h"
#include "core/Operator.h"

using namespace dialogfields;

namespace {

struct Choice {
    const char* Name;
    const char* Text;
    uint16_t Code;
};

constexpr Choice ScanModeChoices[] = {
    {"ScanModeBwBitmap", "Image B/W - Bitmap", VnScanModeBlackWhite},
    {"ScanMode16Gray100", "16 gray scale at 100 dpi", VnScanModeGrey16At100},
    {"ScanMode16Gray200", "16 gray scale at 200 dpi", VnScanModeGrey16At200},
    {"ScanMode16Gray300", "16 gray scale at 300 dpi", VnScanModeGrey16At300},
    {"ScanMode256Gray100", "256 gray scale at 100 dpi", VnScanModeGrey256At100},
    {"ScanMode256Gray200", "256 gray scale at 200 dpi", VnScanModeGrey256At200},
    {"ScanMode256Gray300", "256 gray scale at 300 dpi", VnScanModeGrey256At300},
};

// Barcodes and PDF417 cannot be read from a 100 dpi image.
bool Is100Dpi(uint16_t scanMode) { return scanMode == VnScanModeGrey16At100 || scanMode == VnScanModeGrey256At100; }

constexpr Choice TiffTypeChoices[] = {
    {"TiffTypeTiff", "TIFF ", VnTiffUncompressed},
    {"TiffTypeCcitt", "CCITT", VnTiffCcittRle},
    {"TiffTypeCcittGr3D1", "CCITT Gr3 D1", VnTiffCcittGroup3OneD},
    {"TiffTypeCcittGr3D2", "CCITT Gr3 D2", VnTiffCcittGroup3TwoD},
    {"TiffTypeCcittGr4", "CCITT Gr4", VnTiffCcittGroup4},
};

constexpr Choice SideChoices[] = {
    {"SideAll", "All", 'X'},
    {"SideFront", "Front", 'F'},
    {"SideBack", "Back", 'B'},
    {"SideNone", "None", 'N'},
};
constexpr int SideFrontIndex = 1;
constexpr int SideNoneIndex = 3;

// CodelineType bits.
constexpr uint8_t CodelineMicrBit = 1;
constexpr uint8_t CodelineOcrBit = 2;
constexpr uint8_t CodelineBarcodeBit = 4;
constexpr uint8_t CodelinePdf417Bit = 8;
constexpr uint8_t CodelineE13bMicrOcrBit = 16;

// EndorsePrintMode values.
constexpr uint16_t PrintModeNone = 0;
constexpr uint16_t PrintModePrint = 1;
constexpr uint16_t PrintModeDigital = 2;
constexpr uint16_t PrintModePrint15 = 'A';

constexpr uint16_t SaveImageOff = 5;
constexpr uint16_t SaveImageOn = 6;
constexpr uint16_t SaveFormatJpeg = 10;
constexpr uint16_t SaveFormatBmp = 11;

const char* const DestinationSorted = "Doc. Sortered";
const char* const DestinationEjected = "Doc. Ejected";
const char* const DestinationRetained = "Doc. Retained";

QString PrintSideLabel(int side)
{
    switch (side) {
    case 1:
        return "Print Rear";
    case 2:
        return "Print Front";
    case 3:
        return "Pr. Front/Rear";
    default:
        return "Print";
    }
}

QString OcrReadTypeName(uint8_t letter)
{
    switch (letter) {
    case 'A':
        return "OCRA";
    case 'B':
        return "OCRB";
    case 'C':
        return "OCRB AlphaNuMeric";
    case 'E':
        return "E13B Optical";
    case 'F':
        return "OCRB Italy";
    case 'X':
        return "E13B Opt X Switch";
    default:
        return {};
    }
}

QString BarcodeReadTypeName(uint8_t letter)
{
    switch (letter) {
    case '2':
        return "Barcode 2 of 5";
    case '3':
        return "Barcode CODE39";
    case '4':
        return "Barcode CODE128";
    default:
        return {};
    }
}

template <class T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

QLineEdit* ReadOnlyField(const char* name, QWidget* parent)
{
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    edit->setEnabled(false);
    return edit;
}

} // namespace

DocumentHandleDialog::DocumentHandleDialog(BenchState& state, Operator& op, QWidget* parent)
    : QDialog(parent), State(state), Settings(state.Settings), Op(op)
{
    setObjectName("DocumentHandleDialog");
    setWindowTitle("Document Handle");
    HasPrinter = (state.Identity.FeatureBytes[0] & VnFeatureInkjet) != 0;
    CanScanCards = (state.Identity.FeatureBytes[0] & VnFeatureCard) != 0;
    BuildControls();
    OpenOnRecord();
}

void DocumentHandleDialog::BuildControls()
{
    // "Scan Mode"
    auto* scanGroup = Named(new QGroupBox("Scan Mode", this), "ScanModeGroup");
    auto* scanLayout = new QVBoxLayout(scanGroup);
    for (int i = 0; i < ScanModeCount; ++i) {
        const Choice& c = ScanModeChoices[i];
        ScanModes[i] = Named(new QRadioButton(c.Text, scanGroup), c.Name);
        scanLayout->addWidget(ScanModes[i]);
        connect(ScanModes[i], &QRadioButton::clicked, this, [this, code = c.Code] { ApplyScanModeRule(code); });
    }
    ScanCard = Named(new QCheckBox("Scan &Card", scanGroup), "ScanCard");
    ScanCard->setEnabled(false);
    scanLayout->addWidget(ScanCard);
    connect(ScanCard, &QCheckBox::clicked, this, &DocumentHandleDialog::OnScanCardClicked);

    // "Codeline Type"
    auto* codelineGroup = Named(new QGroupBox("Codeline Type", this), "CodelineTypeGroup");
    auto* codelineLayout = new QGridLayout(codelineGroup);
    Micr = Named(new QCheckBox("MICR", codelineGroup), "CodelineMicr");
    E13bMicrOcr = Named(new QCheckBox("E13B MICR + OCR", codelineGroup), "CodelineE13bMicrOcr");
    Barcode = Named(new QCheckBox("Barcode Sw.", codelineGroup), "CodelineBarcode");
    Pdf417 = Named(new QCheckBox("PDF417 Sw.", codelineGroup), "CodelinePdf417");
    Ocr = Named(new QCheckBox("OCR Sw.", codelineGroup), "CodelineOcr");
    auto setViewPair = [codelineGroup](const char* setName, const char* viewName, QPushButton*& set,
                                       QPushButton*& view) {
        set = Named(new QPushButton("Set", codelineGroup), setName);
        view = Named(new QPushButton("View", codelineGroup), viewName);
        set->setEnabled(false);
        view->setEnabled(false);
    };
    setViewPair("BarcodeSet", "BarcodeView", BarcodeSet, BarcodeView);
    setViewPair("Pdf417Set", "Pdf417View", Pdf417Set, Pdf417View);
    setViewPair("OcrSet", "OcrView", OcrSet, OcrView);
    codelineLayout->addWidget(Micr, 0, 0);
    codelineLayout->addWidget(E13bMicrOcr, 1, 0);
    codelineLayout->addWidget(Barcode, 2, 0);
    codelineLayout->addWidget(BarcodeSet, 2, 1);
    codelineLayout->addWidget(BarcodeView, 2, 2);
    codelineLayout->addWidget(Pdf417, 3, 0);
    codelineLayout->addWidget(Pdf417Set, 3, 1);
    codelineLayout->addWidget(Pdf417View, 3, 2);
    codelineLayout->addWidget(Ocr, 4, 0);
    codelineLayout->addWidget(OcrSet, 4, 1);
    codelineLayout->addWidget(OcrView, 4, 2);
    connect(Micr, &QCheckBox::clicked, this, &DocumentHandleDialog::OnMicrClicked);
    connect(E13bMicrOcr, &QCheckBox::clicked, this, &DocumentHandleDialog::OnE13bMicrOcrClicked);
    connect(Barcode, &QCheckBox::clicked, this, &DocumentHandleDialog::OnBarcodeClicked);
    connect(Pdf417, &QCheckBox::clicked, this, &DocumentHandleDialog::OnPdf417Clicked);
    connect(Ocr, &QCheckBox::clicked, this, &DocumentHandleDialog::OnOcrClicked);
    connect(BarcodeSet, &QPushButton::clicked, this, [this] { OnSetClicked(DecodeWindowKind::Barcode); });
    connect(Pdf417Set, &QPushButton::clicked, this, [this] { OnSetClicked(DecodeWindowKind::Pdf417); });
    connect(OcrSet, &QPushButton::clicked, this, [this] { OnSetClicked(DecodeWindowKind::Ocr); });
    connect(BarcodeView, &QPushButton::clicked, this, [this] { ShowDecodeWindow(DecodeWindowKind::Barcode); });
    connect(Pdf417View, &QPushButton::clicked, this, [this] { ShowDecodeWindow(DecodeWindowKind::Pdf417); });
    connect(OcrView, &QPushButton::clicked, this, [this] { ShowDecodeWindow(DecodeWindowKind::Ocr); });

    // "Optical Windows": display only, enabled by the first "View".
    OpticalWindows = Named(new QGroupBox("Optical Windows", this), "OpticalWindowsGroup");
    WindowX = ReadOnlyField("WindowX", OpticalWindows);
    WindowY = ReadOnlyField("WindowY", OpticalWindows);
    WindowWidth = ReadOnlyField("WindowWidth", OpticalWindows);
    WindowHeight = ReadOnlyField("WindowHeight", OpticalWindows);
    WindowUnit = ReadOnlyField("WindowUnit", OpticalWindows);
    WindowReadType = ReadOnlyField("WindowReadType", OpticalWindows);
    auto* opticalLayout = new QGridLayout(OpticalWindows);
    opticalLayout->addWidget(new QLabel("Right,  Bottom (x,y) :", OpticalWindows), 0, 0);
    opticalLayout->addWidget(WindowX, 0, 1);
    opticalLayout->addWidget(WindowY, 0, 2);
    opticalLayout->addWidget(new QLabel("Width, High :", OpticalWindows), 1, 0);
    opticalLayout->addWidget(WindowWidth, 1, 1);
    opticalLayout->addWidget(WindowHeight, 1, 2);
    opticalLayout->addWidget(new QLabel("Unit Measure :", OpticalWindows), 2, 0);
    opticalLayout->addWidget(WindowUnit, 2, 1);
    opticalLayout->addWidget(new QLabel("Read type :", OpticalWindows), 3, 0);
    opticalLayout->addWidget(WindowReadType, 3, 1, 1, 2);

    // "Set Print String": enabled only when the unit has an endorsement
    // printer. "High", "&Digital String" and the print side are not offered.
    PrintGroup = Named(new QGroupBox("Set Print String", this), "SetPrintStringGroup");
    PrintGroup->setEnabled(false);
    Endorsement = Named(new QPushButton("&Endorsement", PrintGroup), "EndorsementButton");
    Print = Named(new QCheckBox("Print", PrintGroup), "Print");
    Print15 = Named(new QCheckBox("Print 15", PrintGroup), "Print15");
    Bold = Named(new QCheckBox("Bold", PrintGroup), "Bold");
    High = Named(new QCheckBox("High", PrintGroup), "High");
    DigitalString = Named(new QPushButton("&Digital String", PrintGroup), "DigitalStringButton");
    PrintSide = Named(new QPushButton("No Print", PrintGroup), "PrintSideButton");
    PrintSide->setCheckable(true);
    for (QWidget* w : std::initializer_list<QWidget*>{Endorsement, Print, Print15, Bold, High, DigitalString, PrintSide})
        w->setEnabled(false);
    High->setVisible(false);
    auto* printLayout = new QGridLayout(PrintGroup);
    printLayout->addWidget(Endorsement, 0, 0);
    printLayout->addWidget(Print, 0, 1);
    printLayout->addWidget(Print15, 1, 1);
    printLayout->addWidget(Bold, 0, 2);
    printLayout->addWidget(High, 1, 2);
    printLayout->addWidget(DigitalString, 2, 0);
    printLayout->addWidget(PrintSide, 2, 1, 1, 2);
    connect(Endorsement, &QPushButton::clicked, this, &DocumentHandleDialog::OnEndorsementClicked);
    connect(Print, &QCheckBox::clicked, this, &DocumentHandleDialog::OnPrintClicked);
    connect(Print15, &QCheckBox::clicked, this, &DocumentHandleDialog::OnPrint15Clicked);
    connect(Bold, &QCheckBox::clicked, this, &DocumentHandleDialog::OnBoldClicked);
    connect(DigitalString, &QPushButton::clicked, this, &DocumentHandleDialog::OnDigitalStringClicked);
    connect(PrintSide, &QPushButton::clicked, this, &DocumentHandleDialog::OnPrintSideClicked);

    // "Document Handle"
    auto* handleGroup = Named(new QGroupBox("Document Handle", this), "DocumentHandleGroup");
    FrontStamp = Named(new QCheckBox("Front Stamp", handleGroup), "FrontStamp");
    WaitTimeout = Named(new QCheckBox("Wait Timeout", handleGroup), "WaitTimeout");
    BeepOnError = Named(new QCheckBox("Beep on error", handleGroup), "BeepOnError");
    auto* handleLayout = new QVBoxLayout(handleGroup);
    handleLayout->addWidget(FrontStamp);
    handleLayout->addWidget(WaitTimeout);
    handleLayout->addWidget(BeepOnError);

    // "Save Codeline"
    auto* saveCodelineGroup = Named(new QGroupBox("Save Codeline", this), "SaveCodelineGroup");
    SaveOnFile = Named(new QCheckBox("Save on File", saveCodelineGroup), "SaveOnFile");
    ResetFile = Named(new QCheckBox("Reset File", saveCodelineGroup), "ResetFile");
    ResetFile->setEnabled(false);
    auto* saveCodelineLayout = new QVBoxLayout(saveCodelineGroup);
    saveCodelineLayout->addWidget(SaveOnFile);
    saveCodelineLayout->addWidget(ResetFile);
    connect(SaveOnFile, &QCheckBox::clicked, this, &DocumentHandleDialog::OnSaveOnFileClicked);
    connect(ResetFile, &QCheckBox::clicked, this, &DocumentHandleDialog::OnResetFileClicked);

    // "Check Codeline"
    auto* checkGroup = Named(new QGroupBox("Check Codeline", this), "CheckCodelineGroup");
    DoCheck = Named(new QCheckBox("Do Check", checkGroup), "DoCheck");
    CodelineBase = Named(new QLineEdit(checkGroup), "CodelineBase");
    CodelineBase->setMaxLength(static_cast<int>(Settings.CodelineBase.size()) - 1);
    CodelineBase->setMinimumWidth(320);
    InsertLastCodeline = Named(new QPushButton("Insert Last Codeline", checkGroup), "InsertLastCodeline");
    auto* checkLayout = new QGridLayout(checkGroup);
    checkLayout->addWidget(DoCheck, 0, 0);
    checkLayout->addWidget(InsertLastCodeline, 0, 2);
    checkLayout->addWidget(new QLabel("Codeline base :", checkGroup), 1, 0);
    checkLayout->addWidget(CodelineBase, 1, 1, 1, 2);
    connect(InsertLastCodeline, &QPushButton::clicked, this, &DocumentHandleDialog::OnInsertLastCodeline);

    // "Read Image" with its "Side"
    auto* readGroup = Named(new QGroupBox("Read Image", this), "ReadImageGroup");
    auto* sideGroup = Named(new QGroupBox("Side", readGroup), "SideGroup");
    auto* sideLayout = new QVBoxLayout(sideGroup);
    for (int i = 0; i < SideCount; ++i) {
        Sides[i] = Named(new QRadioButton(SideChoices[i].Text, sideGroup), SideChoices[i].Name);
        sideLayout->addWidget(Sides[i]);
    }
    connect(Sides[SideNoneIndex], &QRadioButton::clicked, this, &DocumentHandleDialog::OnSideNoneClicked);
    ClearImage = Named(new QCheckBox("Clear Image", readGroup), "ClearImage");
    AlignImage = Named(new QCheckBox("Align Image", readGroup), "AlignImage");
    AlignImage->setEnabled(false);
    auto* readLayout = new QVBoxLayout(readGroup);
    readLayout->addWidget(sideGroup);
    readLayout->addWidget(ClearImage);
    readLayout->addWidget(AlignImage);
    connect(ClearImage, &QCheckBox::clicked, this, &DocumentHandleDialog::OnClearImageClicked);

    // "Save On File" with its "Tiff Type"
    auto* saveImageGroup = Named(new QGroupBox("Save On File", this), "SaveOnFileGroup");
    Jpeg = Named(new QCheckBox("JPEG", saveImageGroup), "Jpeg");
    Bmp = Named(new QCheckBox("BMP", saveImageGroup), "Bmp");
    Tiff = Named(new QCheckBox("TIFF", saveImageGroup), "Tiff");
    JpegQualityLabel = Named(new QLabel("JPG Quality\n(range 2 to 255)", saveImageGroup), "JpegQualityLabel");
    JpegQuality = Named(new QLineEdit(saveImageGroup), "JpegQuality");
    SetQualityEnabled(false);
    auto* tiffGroup = Named(new QGroupBox("Tiff Type", saveImageGroup), "TiffTypeGroup");
    auto* tiffLayout = new QVBoxLayout(tiffGroup);
    for (int i = 0; i < TiffTypeCount; ++i) {
        TiffTypes[i] = Named(new QRadioButton(TiffTypeChoices[i].Text, tiffGroup), TiffTypeChoices[i].Name);
        tiffLayout->addWidget(TiffTypes[i]);
    }
    SetTiffTypesEnabled(false);
    auto* saveImageLayout = new QGridLayout(saveImageGroup);
    saveImageLayout->addWidget(Jpeg, 0, 0);
    saveImageLayout->addWidget(JpegQualityLabel, 0, 1);
    saveImageLayout->addWidget(JpegQuality, 0, 2);
    saveImageLayout->addWidget(Bmp, 1, 0);
    saveImageLayout->addWidget(Tiff, 2, 0);
    saveImageLayout->addWidget(tiffGroup, 2, 1, 1, 2);
    connect(Jpeg, &QCheckBox::clicked, this, &DocumentHandleDialog::OnJpegClicked);
    connect(Bmp, &QCheckBox::clicked, this, &DocumentHandleDialog::OnBmpClicked);
    connect(Tiff, &QCheckBox::clicked, this, &DocumentHandleDialog::OnTiffClicked);
    connect(JpegQuality, &QLineEdit::textChanged, this, &DocumentHandleDialog::OnQualityChanged);

    // "Documents"
    auto* documentsGroup = Named(new QGroupBox("Documents", this), "DocumentsGroup");
    AllDocument = Named(new QRadioButton("All Document", documentsGroup), "AllDocument");
    Num = Named(new QRadioButton("Num.", documentsGroup), "Num");
    DocumentCount = Named(new QLineEdit(documentsGroup), "DocumentCount");
    DocumentCount->setEnabled(false);
    Destination = Named(new QPushButton(" Doc. Sortered", documentsGroup), "DestinationButton");
    Destination->setCheckable(true);
    auto* documentsLayout = new QGridLayout(documentsGroup);
    documentsLayout->addWidget(AllDocument, 0, 0);
    documentsLayout->addWidget(Num, 1, 0);
    documentsLayout->addWidget(DocumentCount, 1, 1);
    documentsLayout->addWidget(Destination, 2, 0, 1, 2);
    connect(AllDocument, &QRadioButton::clicked, this, [this] { DocumentCount->setEnabled(false); });
    connect(Num, &QRadioButton::clicked, this, &DocumentHandleDialog::OnNumClicked);
    connect(DocumentCount, &QLineEdit::textChanged, this, &DocumentHandleDialog::OnCountChanged);
    connect(Destination, &QPushButton::clicked, this, &DocumentHandleDialog::OnDestinationClicked);

    auto* ok = Named(new QPushButton("OK", this), "OK");
    ok->setDefault(true);
    auto* cancel = Named(new QPushButton("Cancel", this), "Cancel");
    connect(ok, &QPushButton::clicked, this, &DocumentHandleDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &DocumentHandleDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(scanGroup, 0, 0, 2, 1);
    layout->addWidget(codelineGroup, 0, 1);
    layout->addWidget(OpticalWindows, 1, 1);
    layout->addWidget(readGroup, 0, 2, 2, 1);
    layout->addWidget(PrintGroup, 2, 0);
    layout->addWidget(saveImageGroup, 2, 1);
    layout->addWidget(documentsGroup, 2, 2);
    layout->addWidget(handleGroup, 3, 0);
    layout->addWidget(checkGroup, 3, 1);
    layout->addWidget(saveCodelineGroup, 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 4, 0, 1, 3);
}

void DocumentHandleDialog::OpenOnRecord()
{
    SettingsRecord& s = Settings;

    WaitTimeout->setChecked(s.WaitTimeout == 'W');
    FrontStamp->setChecked(s.FrontStamp == 1);
    BeepOnError->setChecked(s.BeepOnError == 1);

    if (HasPrinter) {
        PrintGroup->setEnabled(true);
        for (QWidget* w : std::initializer_list<QWidget*>{Endorsement, Bold, Print, Print15, High})
            w->setEnabled(true);
        Print->setChecked(s.EndorsePrintMode == PrintModePrint);
        Print15->setChecked(s.EndorsePrintMode == PrintModePrint15);
    } else {
        // Stored at once: without a printer nothing may be printed, even
        // when the dialog is cancelled.
        s.EndorsePrintMode = PrintModeNone;
    }
    Bold->setChecked(s.EndorseBold != 0);
    High->setChecked(s.PrintHigh != 0);
    PrintSide->setChecked(s.EndorsePrintMode == PrintModeDigital);
    PrintSide->setText(PrintSideLabel(s.DigitalPrintSide));

    Micr->setChecked((s.CodelineType & CodelineMicrBit) != 0);
    E13bMicrOcr->setChecked((s.CodelineType & CodelineE13bMicrOcrBit) != 0);
    if (s.CodelineType & CodelineBarcodeBit) {
        Barcode->setChecked(true);
        BarcodeSet->setEnabled(true);
        BarcodeView->setEnabled(true);
        ShowDecodeWindow(DecodeWindowKind::Barcode);
    }
    if (s.CodelineType & CodelinePdf417Bit) {
        Pdf417->setChecked(true);
        Pdf417Set->setEnabled(true);
        Pdf417View->setEnabled(true);
    }
    if (s.CodelineType & CodelineOcrBit) {
        Ocr->setChecked(true);
        OcrSet->setEnabled(true);
        OcrView->setEnabled(true);
        ShowDecodeWindow(DecodeWindowKind::Ocr);
    }

    if (s.SaveCodelineOnFile) {
        SaveOnFile->setChecked(true);
        ResetFile->setEnabled(true);
        ResetFile->setChecked(s.ResetCodelineFile != 0);
    }

    if (s.SaveImageMode == SaveImageOn) {
        if (s.SaveImageFormat == SaveFormatJpeg) {
            Jpeg->setChecked(true);
            SetQualityEnabled(true);
        } else if (s.SaveImageFormat == SaveFormatBmp) {
            Bmp->setChecked(true);
        } else {
            for (int i = 0; i < TiffTypeCount; ++i) {
                if (TiffTypeChoices[i].Code == s.SaveImageFormat) {
                    Tiff->setChecked(true);
                    SetTiffTypesEnabled(true);
                    TiffTypes[i]->setChecked(true);
                }
            }
        }
    }
    // Through the edit's own check: a stored value out of range shows 128.
    JpegQuality->setText(QString::number(s.JpegQuality));

    for (int i = 0; i < ScanModeCount; ++i)
        if (ScanModeChoices[i].Code == s.ScanMode)
            ScanModes[i]->setChecked(true);
    ApplyScanModeRule(s.ScanMode);
    if (s.ScanMode == VnScanModeBlackWhite) {
        OcrSet->setEnabled(false);
        OcrView->setEnabled(false);
    }

    if (CanScanCards)
        ScanCard->setEnabled(true);
    if (s.ScanCard == 1) {
        ScanCard->setChecked(true);
        OnScanCardClicked();
    }

    if (s.DocumentCount != 0) {
        Num->setChecked(true);
        DocumentCount->setEnabled(true);
        DocumentCount->setText(QString::number(s.DocumentCount));
    } else {
        AllDocument->setChecked(true);
    }

    Destination->setChecked(true);
    Destination->setText(s.DocDestination == VnDestinationEjected ? DestinationEjected
                         : s.DocDestination == VnDestinationRetained ? DestinationRetained
                                                 : DestinationSorted);

    if (s.ClearImage == 1 || s.ClearImage == 2) {
        ClearImage->setChecked(true);
        AlignImage->setEnabled(true);
        AlignImage->setChecked(s.ClearImage == 2);
    }

    for (int i = 0; i < SideCount; ++i)
        if (SideChoices[i].Code == s.ImageSide)
            Sides[i]->setChecked(true);
    DoCheck->setChecked(s.CheckCodeline != 0);
    if (s.CodelineBase[0] != 0)
        CodelineBase->setText(FieldText(s.CodelineBase));
}

void DocumentHandleDialog::ApplyScanModeRule(uint16_t scanMode)
{
    if (Is100Dpi(scanMode)) {
        for (QCheckBox* box : {Barcode, Pdf417}) {
            box->setChecked(false);
            box->setEnabled(false);
        }
        for (QPushButton* b : {BarcodeSet, BarcodeView, Pdf417Set, Pdf417View})
            b->setEnabled(false);
        Ocr->setEnabled(true);
    } else {
        Pdf417->setEnabled(true);
        Barcode->setEnabled(true);
        Ocr->setEnabled(true);
    }
}

void DocumentHandleDialog::OnMicrClicked()
{
    if (!Micr->isChecked())
        return;
    E13bMicrOcr->setChecked(false);
    SetOpticalDisplayEnabled(false);
}

void DocumentHandleDialog::OnE13bMicrOcrClicked()
{
    if (!E13bMicrOcr->isChecked())
        return;
    Micr->setChecked(false);
    SetOpticalDisplayEnabled(false);
}

void DocumentHandleDialog::OnBarcodeClicked()
{
    MoveSideOffNone();
    if (Barcode->isChecked()) {
        Pdf417->setChecked(false);
        Pdf417->setEnabled(false);
        BarcodeSet->setEnabled(true);
        BarcodeView->setEnabled(true);
        ShowDecodeWindow(DecodeWindowKind::Barcode);
    } else {
        Pdf417->setEnabled(true);
    }
}

void DocumentHandleDialog::OnPdf417Clicked()
{
    MoveSideOffNone();
    if (Pdf417->isChecked()) {
        Pdf417Set->setEnabled(true);
        Pdf417View->setEnabled(true);
        ShowDecodeWindow(DecodeWindowKind::Pdf417);
        Barcode->setEnabled(false);
    } else {
        Barcode->setEnabled(true);
    }
}

void DocumentHandleDialog::OnOcrClicked()
{
    MoveSideOffNone();
    const bool on = Ocr->isChecked();
    OcrSet->setEnabled(on);
    OcrView->setEnabled(on);
    if (on)
        ShowDecodeWindow(DecodeWindowKind::Ocr);
}

// Decoding reads the front image, so a decoder switch asks for one.
void DocumentHandleDialog::MoveSideOffNone()
{
    if (Sides[SideNoneIndex]->isChecked())
        Sides[SideFrontIndex]->setChecked(true);
}

void DocumentHandleDialog::OnSideNoneClicked()
{
    for (QCheckBox* box : {Barcode, Pdf417, Ocr})
        box->setChecked(false);
}

void DocumentHandleDialog::OnScanCardClicked()
{
    if (ScanCard->isChecked()) {
        for (QCheckBox* box : {Micr, Print15, Print, High, Bold, FrontStamp}) {
            box->setChecked(false);
            box->setEnabled(false);
        }
        Endorsement->setEnabled(false);
    } else {
        Micr->setEnabled(true);
        if (HasPrinter)
            for (QWidget* w : std::initializer_list<QWidget*>{Endorsement, Print15, Print, High, Bold})
                w->setEnabled(true);
        // "Front Stamp" comes back only when the dialog is opened again.
    }
}

void DocumentHandleDialog::OnPrintClicked()
{
    if (!Print->isChecked())
        return;
    Print15->setChecked(false);
    ResetPrintSide();
}

void DocumentHandleDialog::OnPrint15Clicked()
{
    if (!Print15->isChecked())
        return;
    Print->setChecked(false);
    Bold->setChecked(false);
    ResetPrintSide();
}

void DocumentHandleDialog::OnBoldClicked()
{
    if (!Bold->isChecked())
        return;
    if (Print15->isChecked()) {
        Bold->setChecked(false);
        return;
    }
    ResetPrintSide();
}

void DocumentHandleDialog::ResetPrintSide()
{
    Settings.DigitalPrintSide = 0;
    PrintSide->setText(PrintSideLabel(0));
    PrintSide->setChecked(false);
}

void DocumentHandleDialog::OnPrintSideClicked()
{
    for (QCheckBox* box : {Print, Print15, Bold, High})
        box->setChecked(false);
    const int side = Settings.DigitalPrintSide;
    const int next = side >= 0 && side < 3 ? side + 1 : 0;
    Settings.DigitalPrintSide = static_cast<int16_t>(next);
    PrintSide->setText(PrintSideLabel(next));
    PrintSide->setChecked(next != 0);
}

void DocumentHandleDialog::OnClearImageClicked()
{
    if (ClearImage->isChecked()) {
        AlignImage->setEnabled(true);
    } else {
        AlignImage->setChecked(false);
        AlignImage->setEnabled(false);
    }
}

void DocumentHandleDialog::SetQualityEnabled(bool enabled)
{
    JpegQuality->setEnabled(enabled);
    JpegQualityLabel->setEnabled(enabled);
}

void DocumentHandleDialog::SetTiffTypesEnabled(bool enabled)
{
    for (QRadioButton* radio : TiffTypes)
        radio->setEnabled(enabled);
}

// "JPEG", "BMP" and "TIFF" exclude each other; all three may be off. Turning
// "JPEG" off leaves its quality edit as it was.
void DocumentHandleDialog::OnJpegClicked()
{
    if (!Jpeg->isChecked())
        return;
    Bmp->setChecked(false);
    Tiff->setChecked(false);
    SetQualityEnabled(true);
    SetTiffTypesEnabled(false);
}

void DocumentHandleDialog::OnBmpClicked()
{
    if (!Bmp->isChecked())
        return;
    Jpeg->setChecked(false);
    Tiff->setChecked(false);
    SetQualityEnabled(false);
    SetTiffTypesEnabled(false);
}

void DocumentHandleDialog::OnTiffClicked()
{
    if (!Tiff->isChecked()) {
        SetTiffTypesEnabled(false);
        return;
    }
    Jpeg->setChecked(false);
    Bmp->setChecked(false);
    SetQualityEnabled(false);
    SetTiffTypesEnabled(true);
    int stored = 0; // "TIFF " when the record holds no TIFF type
    for (int i = 0; i < TiffTypeCount; ++i)
        if (TiffTypeChoices[i].Code == Settings.SaveImageFormat)
            stored = i;
    TiffTypes[stored]->setChecked(true);
}

void DocumentHandleDialog::OnQualityChanged()
{
    uint32_t quality = 0;
    if (!ExactUnsigned(JpegQuality->text(), quality) || quality < 2 || quality > 255) {
        Op.Beep();
        JpegQuality->setText("128");
    }
}

void DocumentHandleDialog::OnCountChanged()
{
    uint32_t count = 0;
    if (!ExactUnsigned(DocumentCount->text(), count) || count == 0)
        DocumentCount->setText("1");
}

void DocumentHandleDialog::OnNumClicked()
{
    DocumentCount->setEnabled(true);
    DocumentCount->setText(QString::number(Settings.DocumentCount != 0 ? Settings.DocumentCount : 1));
}

void DocumentHandleDialog::OnDestinationClicked()
{
    const QString label = Destination->text();
    if (label == DestinationEjected)
        Destination->setText(DestinationRetained);
    else if (label == DestinationRetained)
        Destination->setText(DestinationSorted);
    else
        Destination->setText(DestinationEjected);
    Destination->setChecked(true);
}

void DocumentHandleDialog::OnSaveOnFileClicked()
{
    const bool on = SaveOnFile->isChecked();
    Settings.SaveCodelineOnFile = on ? 1 : 0;
    ResetFile->setEnabled(on);
}

void DocumentHandleDialog::OnResetFileClicked() { Settings.ResetCodelineFile = ResetFile->isChecked() ? 1 : 0; }

void DocumentHandleDialog::OnInsertLastCodeline() { CodelineBase->setText(FieldText(State.LastCodeline)); }

void DocumentHandleDialog::OnSetClicked(DecodeWindowKind kind)
{
    // The window dialog writes the record itself; its values stay on Cancel.
    DecodeWindowDialog dialog(Settings, kind, this);
    Op.Exec(dialog);
    ShowDecodeWindow(kind);
}

void DocumentHandleDialog::OnEndorsementClicked()
{
    EndorsementStringDialog dialog(Settings.EndorseString, this);
    Op.Exec(dialog);
}

void DocumentHandleDialog::OnDigitalStringClicked()
{
    DigitalStringDialog dialog(Settings, this);
    Op.Exec(dialog);
}

void DocumentHandleDialog::SetOpticalDisplayEnabled(bool enabled)
{
    for (QLineEdit* field : {WindowX, WindowY, WindowWidth, WindowHeight, WindowUnit, WindowReadType})
        field->setEnabled(enabled);
}

void DocumentHandleDialog::ShowDecodeWindow(DecodeWindowKind kind)
{
    const SettingsRecord& s = Settings;
    SetOpticalDisplayEnabled(true);

    if (kind == DecodeWindowKind::Pdf417) {
        // Always millimetres; the PDF417 decoder has no read type to show.
        OpticalWindows->setTitle("OCR Decode Information");
        WindowUnit->setText("MM");
        WindowX->setText(Truncated(s.Pdf417WindowX));
        WindowY->setText(Truncated(s.Pdf417WindowY));
        WindowWidth->setText(Truncated(s.Pdf417WindowWidth));
        WindowHeight->setText(Truncated(s.Pdf417WindowHeight));
        return;
    }

    const bool ocr = kind == DecodeWindowKind::Ocr;
    OpticalWindows->setTitle(ocr ? "OCR Decode Information" : "Barcode Decode Information");
    const bool inch = (ocr ? s.OcrWindowInch : s.BarcodeWindowInch) != 0;
    auto show = inch ? TwoDecimals : Truncated;
    WindowUnit->setText(inch ? "INCH" : "MM");
    WindowX->setText(show(ocr ? s.OcrWindowX : s.BarcodeWindowX));
    WindowY->setText(show(ocr ? s.OcrWindowY : s.BarcodeWindowY));
    WindowWidth->setText(show(ocr ? s.OcrWindowWidth : s.BarcodeWindowWidth));
    WindowHeight->setText(TwoDecimals(ocr ? s.OcrWindowHeight : s.BarcodeWindowHeight));
    const QString name = ocr ? OcrReadTypeName(s.OcrReadType) : BarcodeReadTypeName(s.BarcodeType);
    if (!name.isEmpty())
        WindowReadType->setText(name);
}

void DocumentHandleDialog::accept()
{
    SettingsRecord& s = Settings;

    s.FrontStamp = FrontStamp->isChecked() ? 1 : 0;
    s.BeepOnError = BeepOnError->isChecked() ? 1 : 0;
    s.EndorsePrintMode = Print->isChecked() ? PrintModePrint : Print15->isChecked() ? PrintModePrint15 : PrintModeNone;
    s.EndorseBold = Bold->isChecked() ? 1 : 0;
    s.PrintHigh = High->isChecked() ? 1 : 0;
    s.ScanCard = ScanCard->isChecked() ? 1 : 0;
    if (PrintSide->isChecked())
        s.EndorsePrintMode = PrintModeDigital;

    uint8_t codelines = 0;
    if (Micr->isChecked())
        codelines |= CodelineMicrBit;
    if (Ocr->isChecked())
        codelines |= CodelineOcrBit;
    if (Barcode->isChecked())
        codelines |= CodelineBarcodeBit;
    if (Pdf417->isChecked())
        codelines |= CodelinePdf417Bit;
    if (E13bMicrOcr->isChecked())
        codelines |= CodelineE13bMicrOcrBit;
    s.CodelineType = codelines;

    s.WaitTimeout = WaitTimeout->isChecked() ? 'W' : 'G';
    for (int i = 0; i < ScanModeCount; ++i)
        if (ScanModes[i]->isChecked())
            s.ScanMode = ScanModeChoices[i].Code;

    uint32_t count = 0;
    ExactUnsigned(DocumentCount->text(), count);
    s.DocumentCount = AllDocument->isChecked() ? 0 : static_cast<uint16_t>(count);

    const QString destination = Destination->text();
    s.DocDestination = destination == DestinationEjected    ? VnDestinationEjected
                      : destination == DestinationRetained ? VnDestinationRetained
                                                           : VnDestinationSorted;

    s.ClearImage = !ClearImage->isChecked() ? 0 : AlignImage->isChecked() ? 2 : 1;

    for (int i = 0; i < SideCount; ++i)
        if (Sides[i]->isChecked())
            s.ImageSide = static_cast<uint8_t>(SideChoices[i].Code);

    s.SaveImageMode = SaveImageOff;
    if (Jpeg->isChecked()) {
        s.SaveImageMode = SaveImageOn;
        s.SaveImageFormat = SaveFormatJpeg;
    } else if (Bmp->isChecked()) {
        s.SaveImageMode = SaveImageOn;
        s.SaveImageFormat = SaveFormatBmp;
    } else if (Tiff->isChecked()) {
        s.SaveImageMode = SaveImageOn;
        for (int i = 0; i < TiffTypeCount; ++i)
            if (TiffTypes[i]->isChecked())
                s.SaveImageFormat = TiffTypeChoices[i].Code;
    }

    uint32_t quality = 0;
    ExactUnsigned(JpegQuality->text(), quality);
    s.JpegQuality = static_cast<uint16_t>(quality);
    s.CheckCodeline = DoCheck->isChecked() ? 1 : 0;
    StoreFieldText(s.CodelineBase, CodelineBase->text());

    QDialog::accept();
}

int RunDocumentHandleDialog(Bench& bench)
{
    DocumentHandleDialog dialog(bench.State, bench.Op);
    return bench.Op.Exec(dialog) == QDialog::Accepted ? 1 : 0;
}
