// The choices of "Document Handle" as plain data: what each control shows,
// how a record opens them, what a click on each does and what OK stores. The
// dialog only mirrors this state onto its widgets, so every rule here is
// testable without a widget.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "core/Settings.h"
#include "documents/DecodeWindowKind.h"

enum class HandleControl : int {
    ScanModeBwBitmap,
    ScanMode16Gray100,
    ScanMode16Gray200,
    ScanMode16Gray300,
    ScanMode256Gray100,
    ScanMode256Gray200,
    ScanMode256Gray300,
    ScanCard,
    Micr,
    E13bMicrOcr,
    Barcode,
    Pdf417,
    Ocr,
    BarcodeSet,
    BarcodeView,
    Pdf417Set,
    Pdf417View,
    OcrSet,
    OcrView,
    PrintGroup,
    Endorsement,
    Print,
    Print15,
    Bold,
    High,
    DigitalString,
    PrintSide,
    FrontStamp,
    WaitTimeout,
    BeepOnError,
    SaveOnFile,
    ResetFile,
    DoCheck,
    InsertLastCodeline,
    SideAll,
    SideFront,
    SideBack,
    SideNone,
    ClearImage,
    AlignImage,
    Jpeg,
    Bmp,
    Tiff,
    JpegQuality, // the edit and its label
    TiffTypeTiff,
    TiffTypeCcitt,
    TiffTypeCcittGr3D1,
    TiffTypeCcittGr3D2,
    TiffTypeCcittGr4,
    AllDocument,
    Num,
    DocumentCount,
    Destination,
    OpticalDisplay, // the six fields of "Optical Windows"
};
constexpr int HandleControlCount = static_cast<int>(HandleControl::OpticalDisplay) + 1;

enum class HandleControlKind { CheckBox, Radio, CheckablePush, Push, Other };

struct HandleControlInfo {
    const char* Name; // the widget's objectName
    const char* Text; // its label, empty where the dialog sets it
    HandleControlKind Kind;
    uint16_t Code; // the record value a radio stands for
};
const HandleControlInfo& ControlInfo(HandleControl control);

struct ControlState {
    bool Checked = false;
    bool Enabled = true;
};

// What "Optical Windows" shows.
struct OpticalText {
    QString Title = "Optical Windows";
    QString X, Y, Width, Height, Unit, ReadType;
};

// The largest count the record's 16-bit field holds; 0 stands for "all".
constexpr uint32_t MaxDocumentCount = 65535;

class DocumentHandleChoices {
public:
    // Opens on the record. Without a printer the record's print mode is
    // cleared at once: nothing may be printed even when the dialog is cancelled.
    DocumentHandleChoices(SettingsRecord& record, bool hasPrinter, bool canScanCards);

    ControlState& operator[](HandleControl c) { return Controls[static_cast<size_t>(c)]; }
    const ControlState& operator[](HandleControl c) const { return Controls[static_cast<size_t>(c)]; }
    // Enabled, and not inside the disabled "Set Print String" group.
    bool Usable(HandleControl c) const;

    // What a mouse click does: nothing on an unusable control; otherwise a
    // check box toggles, a radio button is checked and then Clicked runs.
    void Click(HandleControl c);
    // The control was clicked and now shows `checked`: the radio's group
    // follows it and the control's rule runs. The "Set", "&Endorsement",
    // "&Digital String" and "Insert Last Codeline" buttons have their effect
    // in the dialog they open; ShowDecodeWindow follows a "Set".
    void Clicked(HandleControl c, bool checked);

    // The edits check every change. Returns false when the quality text is
    // refused (the edit then shows 128 and the bench beeps).
    bool EditJpegQuality(const QString& text);
    // An empty, non-numeric or zero count shows 1; a count past the record's
    // field shows the largest it holds.
    void EditDocumentCount(const QString& text);

    void ShowDecodeWindow(DecodeWindowKind kind);

    // OK: the controls into the record.
    void Store();

    std::array<ControlState, HandleControlCount> Controls{};
    QString PrintSideLabel = "No Print";
    QString DestinationLabel = " Doc. Sortered";
    QString JpegQuality;
    QString DocumentCount;
    QString CodelineBase;
    OpticalText Optical;

private:
    void Open();
    void ApplyScanModeRule(uint16_t scanMode);
    void ApplyScanCardRule();
    void MoveSideOffNone();
    void ResetPrintSide();
    void SetQualityEnabled(bool enabled);
    void SetTiffTypesEnabled(bool enabled);
    void CheckRadio(HandleControl c);
    void SetChecked(std::initializer_list<HandleControl> controls, bool checked);
    void SetEnabled(std::initializer_list<HandleControl> controls, bool enabled);

    SettingsRecord& Record;
    bool HasPrinter;
    bool CanScanCards;
};
