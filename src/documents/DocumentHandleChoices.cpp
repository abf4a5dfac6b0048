#include "documents/DocumentHandleChoices.h"

#include <algorithm>

#include "core/SettingsCodes.h"
#include "documents/DialogFields.h"

using namespace dialogfields;
using C = HandleControl;
using K = HandleControlKind;

namespace {

// In HandleControl order.
constexpr HandleControlInfo Infos[HandleControlCount] = {
    {"ScanModeBwBitmap", "Image B/W - Bitmap", K::Radio, ScanModes::BlackWhite},
    {"ScanMode16Gray100", "16 gray scale at 100 dpi", K::Radio, ScanModes::Gray16At100},
    {"ScanMode16Gray200", "16 gray scale at 200 dpi", K::Radio, ScanModes::Gray16At200},
    {"ScanMode16Gray300", "16 gray scale at 300 dpi", K::Radio, ScanModes::Gray16At300},
    {"ScanMode256Gray100", "256 gray scale at 100 dpi", K::Radio, ScanModes::Gray256At100},
    {"ScanMode256Gray200", "256 gray scale at 200 dpi", K::Radio, ScanModes::Gray256At200},
    {"ScanMode256Gray300", "256 gray scale at 300 dpi", K::Radio, ScanModes::Gray256At300},
    {"ScanCard", "Scan &Card", K::CheckBox, 0},
    {"CodelineMicr", "MICR", K::CheckBox, 0},
    {"CodelineE13bMicrOcr", "E13B MICR + OCR", K::CheckBox, 0},
    {"CodelineBarcode", "Barcode Sw.", K::CheckBox, 0},
    {"CodelinePdf417", "PDF417 Sw.", K::CheckBox, 0},
    {"CodelineOcr", "OCR Sw.", K::CheckBox, 0},
    {"BarcodeSet", "Set", K::Push, 0},
    {"BarcodeView", "View", K::Push, 0},
    {"Pdf417Set", "Set", K::Push, 0},
    {"Pdf417View", "View", K::Push, 0},
    {"OcrSet", "Set", K::Push, 0},
    {"OcrView", "View", K::Push, 0},
    {"SetPrintStringGroup", "Set Print String", K::Other, 0},
    {"EndorsementButton", "&Endorsement", K::Push, 0},
    {"Print", "Print", K::CheckBox, 0},
    {"Print15", "Print 15", K::CheckBox, 0},
    {"Bold", "Bold", K::CheckBox, 0},
    {"High", "High", K::CheckBox, 0},
    {"DigitalStringButton", "&Digital String", K::Push, 0},
    {"PrintSideButton", "", K::CheckablePush, 0},
    {"FrontStamp", "Front Stamp", K::CheckBox, 0},
    {"WaitTimeout", "Wait Timeout", K::CheckBox, 0},
    {"BeepOnError", "Beep on error", K::CheckBox, 0},
    {"SaveOnFile", "Save on File", K::CheckBox, 0},
    {"ResetFile", "Reset File", K::CheckBox, 0},
    {"DoCheck", "Do Check", K::CheckBox, 0},
    {"InsertLastCodeline", "Insert Last Codeline", K::Push, 0},
    {"SideAll", "All", K::Radio, 'X'},
    {"SideFront", "Front", K::Radio, 'F'},
    {"SideBack", "Back", K::Radio, 'B'},
    {"SideNone", "None", K::Radio, 'N'},
    {"ClearImage", "Clear Image", K::CheckBox, 0},
    {"AlignImage", "Align Image", K::CheckBox, 0},
    {"Jpeg", "JPEG", K::CheckBox, 0},
    {"Bmp", "BMP", K::CheckBox, 0},
    {"Tiff", "TIFF", K::CheckBox, 0},
    {"JpegQuality", "", K::Other, 0},
    {"TiffTypeTiff", "TIFF ", K::Radio, SaveFormats::Tiff},
    {"TiffTypeCcitt", "CCITT", K::Radio, SaveFormats::Ccitt},
    {"TiffTypeCcittGr3D1", "CCITT Gr3 D1", K::Radio, SaveFormats::CcittGroup3D1},
    {"TiffTypeCcittGr3D2", "CCITT Gr3 D2", K::Radio, SaveFormats::CcittGroup3D2},
    {"TiffTypeCcittGr4", "CCITT Gr4", K::Radio, SaveFormats::CcittGroup4},
    {"AllDocument", "All Document", K::Radio, 0},
    {"Num", "Num.", K::Radio, 0},
    {"DocumentCount", "", K::Other, 0},
    {"DestinationButton", "", K::CheckablePush, 0},
    {"OpticalWindowsGroup", "Optical Windows", K::Other, 0},
};

struct RadioGroup {
    C First;
    C Last;
};
constexpr RadioGroup RadioGroups[] = {
    {C::ScanModeBwBitmap, C::ScanMode256Gray300},
    {C::SideAll, C::SideNone},
    {C::TiffTypeTiff, C::TiffTypeCcittGr4},
    {C::AllDocument, C::Num},
};

C Next(C c) { return static_cast<C>(static_cast<int>(c) + 1); }
bool InRange(C c, C first, C last) { return c >= first && c <= last; }

// Barcodes and PDF417 cannot be read from a 100 dpi image.
bool Is100Dpi(uint16_t scanMode) { return scanMode == ScanModes::Gray16At100 || scanMode == ScanModes::Gray256At100; }

const char* const DestinationSorted = "Doc. Sortered";
const char* const DestinationEjected = "Doc. Ejected";
const char* const DestinationRetained = "Doc. Retained";

QString PrintSideText(int side)
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

} // namespace

const HandleControlInfo& ControlInfo(HandleControl control) { return Infos[static_cast<size_t>(control)]; }

DocumentHandleChoices::DocumentHandleChoices(SettingsRecord& record, bool hasPrinter, bool canScanCards)
    : Record(record), HasPrinter(hasPrinter), CanScanCards(canScanCards)
{
    // As the controls are built.
    SetEnabled({C::ScanCard, C::BarcodeSet, C::BarcodeView, C::Pdf417Set, C::Pdf417View, C::OcrSet, C::OcrView,
                C::PrintGroup, C::Endorsement, C::Print, C::Print15, C::Bold, C::High, C::DigitalString,
                C::PrintSide, C::ResetFile, C::AlignImage, C::DocumentCount, C::OpticalDisplay},
               false);
    SetQualityEnabled(false);
    SetTiffTypesEnabled(false);
    Open();
}

void DocumentHandleChoices::Open()
{
    SettingsRecord& s = Record;
    auto& self = *this;

    self[C::WaitTimeout].Checked = s.WaitTimeout == 'W';
    self[C::FrontStamp].Checked = s.FrontStamp == 1;
    self[C::BeepOnError].Checked = s.BeepOnError == 1;

    if (HasPrinter) {
        SetEnabled({C::PrintGroup, C::Endorsement, C::Bold, C::Print, C::Print15, C::High}, true);
        self[C::Print].Checked = s.EndorsePrintMode == PrintModes::Print;
        self[C::Print15].Checked = s.EndorsePrintMode == PrintModes::Print15;
    } else {
        s.EndorsePrintMode = PrintModes::None;
    }
    self[C::Bold].Checked = s.EndorseBold != 0;
    self[C::High].Checked = s.PrintHigh != 0;
    self[C::PrintSide].Checked = s.EndorsePrintMode == PrintModes::Digital;
    PrintSideLabel = PrintSideText(s.DigitalPrintSide);

    self[C::Micr].Checked = (s.CodelineType & CodelineBits::Micr) != 0;
    self[C::E13bMicrOcr].Checked = (s.CodelineType & CodelineBits::MicrOcr) != 0;
    if (s.CodelineType & CodelineBits::Barcode) {
        self[C::Barcode].Checked = true;
        SetEnabled({C::BarcodeSet, C::BarcodeView}, true);
        ShowDecodeWindow(DecodeWindowKind::Barcode);
    }
    if (s.CodelineType & CodelineBits::Pdf417) {
        self[C::Pdf417].Checked = true;
        SetEnabled({C::Pdf417Set, C::Pdf417View}, true);
    }
    if (s.CodelineType & CodelineBits::Ocr) {
        self[C::Ocr].Checked = true;
        SetEnabled({C::OcrSet, C::OcrView}, true);
        ShowDecodeWindow(DecodeWindowKind::Ocr);
    }

    if (s.SaveCodelineOnFile) {
        self[C::SaveOnFile].Checked = true;
        self[C::ResetFile] = {s.ResetCodelineFile != 0, true};
    }

    if (s.SaveImageMode == SaveImageModes::On) {
        if (s.SaveImageFormat == SaveFormats::Jpeg) {
            self[C::Jpeg].Checked = true;
            SetQualityEnabled(true);
        } else if (s.SaveImageFormat == SaveFormats::Bmp) {
            self[C::Bmp].Checked = true;
        } else {
            for (C c = C::TiffTypeTiff; c <= C::TiffTypeCcittGr4; c = Next(c)) {
                if (ControlInfo(c).Code == s.SaveImageFormat) {
                    self[C::Tiff].Checked = true;
                    SetTiffTypesEnabled(true);
                    CheckRadio(c);
                }
            }
        }
    }
    // The edit's own check runs on it: a stored value out of range shows 128.
    JpegQuality = QString::number(s.JpegQuality);

    for (C c = C::ScanModeBwBitmap; c <= C::ScanMode256Gray300; c = Next(c))
        if (ControlInfo(c).Code == s.ScanMode)
            CheckRadio(c);
    ApplyScanModeRule(s.ScanMode);
    if (s.ScanMode == ScanModes::BlackWhite)
        SetEnabled({C::OcrSet, C::OcrView}, false);

    if (CanScanCards)
        self[C::ScanCard].Enabled = true;
    if (s.ScanCard == ScanCardOn) {
        self[C::ScanCard].Checked = true;
        ApplyScanCardRule();
    }

    if (s.DocumentCount != 0) {
        CheckRadio(C::Num);
        self[C::DocumentCount].Enabled = true;
        DocumentCount = QString::number(s.DocumentCount);
    } else {
        CheckRadio(C::AllDocument);
    }

    self[C::Destination].Checked = true;
    DestinationLabel = s.DocDestination == Destinations::Ejected    ? DestinationEjected
                       : s.DocDestination == Destinations::Retained ? DestinationRetained
                                                                     : DestinationSorted;

    if (s.ClearImage == 1 || s.ClearImage == 2) {
        self[C::ClearImage].Checked = true;
        self[C::AlignImage] = {s.ClearImage == 2, true};
    }

    for (C c = C::SideAll; c <= C::SideNone; c = Next(c))
        if (ControlInfo(c).Code == s.ImageSide)
            CheckRadio(c);
    self[C::DoCheck].Checked = s.CheckCodeline != 0;
    if (s.CodelineBase[0] != 0)
        CodelineBase = FieldText(s.CodelineBase);
}

bool DocumentHandleChoices::Usable(HandleControl c) const
{
    const bool inPrintGroup = InRange(c, C::Endorsement, C::PrintSide);
    return (*this)[c].Enabled && (!inPrintGroup || (*this)[C::PrintGroup].Enabled);
}

void DocumentHandleChoices::Click(HandleControl c)
{
    if (!Usable(c))
        return;
    switch (ControlInfo(c).Kind) {
    case K::Radio:
        Clicked(c, true);
        break;
    case K::CheckBox:
    case K::CheckablePush:
        Clicked(c, !(*this)[c].Checked);
        break;
    default:
        Clicked(c, false);
        break;
    }
}

void DocumentHandleChoices::CheckRadio(HandleControl c)
{
    for (const RadioGroup& group : RadioGroups)
        if (InRange(c, group.First, group.Last))
            for (C other = group.First; other <= group.Last; other = Next(other))
                (*this)[other].Checked = false;
    (*this)[c].Checked = true;
}

void DocumentHandleChoices::SetChecked(std::initializer_list<HandleControl> controls, bool checked)
{
    for (C c : controls)
        (*this)[c].Checked = checked;
}

void DocumentHandleChoices::SetEnabled(std::initializer_list<HandleControl> controls, bool enabled)
{
    for (C c : controls)
        (*this)[c].Enabled = enabled;
}

void DocumentHandleChoices::Clicked(HandleControl c, bool checked)
{
    auto& self = *this;
    const HandleControlKind kind = ControlInfo(c).Kind;
    if (kind == K::Radio)
        CheckRadio(c);
    else if (kind == K::CheckBox || kind == K::CheckablePush)
        self[c].Checked = checked;

    if (InRange(c, C::ScanModeBwBitmap, C::ScanMode256Gray300)) {
        ApplyScanModeRule(ControlInfo(c).Code);
        return;
    }
    switch (c) {
    case C::ScanCard:
        ApplyScanCardRule();
        break;
    case C::Micr:
    case C::E13bMicrOcr:
        // Magnetic reading and E13B MICR + OCR exclude each other.
        if (checked) {
            self[c == C::Micr ? C::E13bMicrOcr : C::Micr].Checked = false;
            self[C::OpticalDisplay].Enabled = false;
        }
        break;
    case C::Barcode:
        MoveSideOffNone();
        if (checked) {
            self[C::Pdf417] = {false, false};
            SetEnabled({C::BarcodeSet, C::BarcodeView}, true);
            ShowDecodeWindow(DecodeWindowKind::Barcode);
        } else {
            self[C::Pdf417].Enabled = true;
        }
        break;
    case C::Pdf417:
        MoveSideOffNone();
        if (checked) {
            SetEnabled({C::Pdf417Set, C::Pdf417View}, true);
            ShowDecodeWindow(DecodeWindowKind::Pdf417);
            self[C::Barcode].Enabled = false;
        } else {
            self[C::Barcode].Enabled = true;
        }
        break;
    case C::Ocr:
        MoveSideOffNone();
        SetEnabled({C::OcrSet, C::OcrView}, checked);
        if (checked)
            ShowDecodeWindow(DecodeWindowKind::Ocr);
        break;
    case C::BarcodeView:
        ShowDecodeWindow(DecodeWindowKind::Barcode);
        break;
    case C::Pdf417View:
        ShowDecodeWindow(DecodeWindowKind::Pdf417);
        break;
    case C::OcrView:
        ShowDecodeWindow(DecodeWindowKind::Ocr);
        break;
    case C::SideNone:
        SetChecked({C::Barcode, C::Pdf417, C::Ocr}, false);
        break;
    case C::Print:
        if (checked) {
            self[C::Print15].Checked = false;
            ResetPrintSide();
        }
        break;
    case C::Print15:
        if (checked) {
            SetChecked({C::Print, C::Bold}, false);
            ResetPrintSide();
        }
        break;
    case C::Bold:
        if (checked) {
            if (self[C::Print15].Checked)
                self[C::Bold].Checked = false; // refused while "Print 15" is on
            else
                ResetPrintSide();
        }
        break;
    case C::PrintSide: {
        // Stored at once, like the strings of the dialogs this group opens.
        SetChecked({C::Print, C::Print15, C::Bold, C::High}, false);
        const int side = Record.DigitalPrintSide;
        const int next = side >= 0 && side < 3 ? side + 1 : 0;
        Record.DigitalPrintSide = static_cast<int16_t>(next);
        PrintSideLabel = PrintSideText(next);
        self[C::PrintSide].Checked = next != 0;
        break;
    }
    case C::ClearImage:
        self[C::AlignImage] = {checked && self[C::AlignImage].Checked, checked};
        break;
    case C::Jpeg:
        // "JPEG", "BMP" and "TIFF" exclude each other; all three may be off.
        // Turning "JPEG" off leaves its quality edit as it was.
        if (checked) {
            SetChecked({C::Bmp, C::Tiff}, false);
            SetQualityEnabled(true);
            SetTiffTypesEnabled(false);
        }
        break;
    case C::Bmp:
        if (checked) {
            SetChecked({C::Jpeg, C::Tiff}, false);
            SetQualityEnabled(false);
            SetTiffTypesEnabled(false);
        }
        break;
    case C::Tiff:
        if (!checked) {
            SetTiffTypesEnabled(false);
            break;
        }
        SetChecked({C::Jpeg, C::Bmp}, false);
        SetQualityEnabled(false);
        SetTiffTypesEnabled(true);
        {
            C stored = C::TiffTypeTiff; // when the record holds no TIFF type
            for (C t = C::TiffTypeTiff; t <= C::TiffTypeCcittGr4; t = Next(t))
                if (ControlInfo(t).Code == Record.SaveImageFormat)
                    stored = t;
            CheckRadio(stored);
        }
        break;
    case C::AllDocument:
        self[C::DocumentCount].Enabled = false;
        break;
    case C::Num:
        self[C::DocumentCount].Enabled = true;
        DocumentCount = QString::number(Record.DocumentCount != 0 ? Record.DocumentCount : 1);
        break;
    case C::Destination:
        DestinationLabel = DestinationLabel == DestinationEjected    ? DestinationRetained
                           : DestinationLabel == DestinationRetained ? DestinationSorted
                                                                     : DestinationEjected;
        self[C::Destination].Checked = true;
        break;
    case C::SaveOnFile:
        // Stored at once. The enabled "Reset File" shows the stored flag:
        // the run empties the log by it.
        Record.SaveCodelineOnFile = checked ? 1 : 0;
        self[C::ResetFile].Enabled = checked;
        if (checked)
            self[C::ResetFile].Checked = Record.ResetCodelineFile != 0;
        break;
    case C::ResetFile:
        Record.ResetCodelineFile = checked ? 1 : 0;
        break;
    default:
        break;
    }
}

void DocumentHandleChoices::ApplyScanModeRule(uint16_t scanMode)
{
    auto& self = *this;
    if (Is100Dpi(scanMode)) {
        self[C::Barcode] = {false, false};
        self[C::Pdf417] = {false, false};
        SetEnabled({C::BarcodeSet, C::BarcodeView, C::Pdf417Set, C::Pdf417View}, false);
    } else {
        SetEnabled({C::Pdf417, C::Barcode}, true);
    }
    self[C::Ocr].Enabled = true;
}

void DocumentHandleChoices::ApplyScanCardRule()
{
    auto& self = *this;
    if (self[C::ScanCard].Checked) {
        for (C c : {C::Micr, C::Print15, C::Print, C::High, C::Bold, C::FrontStamp})
            self[c] = {false, false};
        self[C::Endorsement].Enabled = false;
    } else {
        self[C::Micr].Enabled = true;
        if (HasPrinter)
            SetEnabled({C::Endorsement, C::Print15, C::Print, C::High, C::Bold}, true);
        // "Front Stamp" comes back only when the dialog is opened again.
    }
}

// Decoding reads the front image, so a decoder switch asks for one.
void DocumentHandleChoices::MoveSideOffNone()
{
    if ((*this)[C::SideNone].Checked)
        CheckRadio(C::SideFront);
}

void DocumentHandleChoices::ResetPrintSide()
{
    Record.DigitalPrintSide = 0;
    PrintSideLabel = PrintSideText(0);
    (*this)[C::PrintSide].Checked = false;
}

void DocumentHandleChoices::SetQualityEnabled(bool enabled) { (*this)[C::JpegQuality].Enabled = enabled; }

void DocumentHandleChoices::SetTiffTypesEnabled(bool enabled)
{
    SetEnabled({C::TiffTypeTiff, C::TiffTypeCcitt, C::TiffTypeCcittGr3D1, C::TiffTypeCcittGr3D2, C::TiffTypeCcittGr4},
               enabled);
}

bool DocumentHandleChoices::EditJpegQuality(const QString& text)
{
    uint32_t quality = 0;
    const bool ok = ExactUnsigned(text, quality) && quality >= 2 && quality <= 255;
    JpegQuality = ok ? text : QString("128");
    return ok;
}

void DocumentHandleChoices::EditDocumentCount(const QString& text)
{
    uint32_t count = 0;
    if (ExactUnsigned(text, count)) {
        DocumentCount = count == 0 ? QString("1") : count > MaxDocumentCount ? QString::number(MaxDocumentCount) : text;
        return;
    }
    // Digits only, yet past 32 bits: as large as the field allows.
    const bool digits =
        !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar ch) { return ch >= '0' && ch <= '9'; });
    DocumentCount = digits ? QString::number(MaxDocumentCount) : QString("1");
}

void DocumentHandleChoices::ShowDecodeWindow(DecodeWindowKind kind)
{
    const SettingsRecord& s = Record;
    (*this)[C::OpticalDisplay].Enabled = true;
    OpticalText& o = Optical;

    if (kind == DecodeWindowKind::Pdf417) {
        // Always millimetres; the PDF417 decoder has no read type to show.
        o.Title = "OCR Decode Information";
        o.Unit = "MM";
        o.X = Truncated(s.Pdf417WindowX);
        o.Y = Truncated(s.Pdf417WindowY);
        o.Width = Truncated(s.Pdf417WindowWidth);
        o.Height = Truncated(s.Pdf417WindowHeight);
        return;
    }

    const bool ocr = kind == DecodeWindowKind::Ocr;
    o.Title = ocr ? "OCR Decode Information" : "Barcode Decode Information";
    const bool inch = (ocr ? s.OcrWindowInch : s.BarcodeWindowInch) != 0;
    auto show = inch ? TwoDecimals : Truncated;
    o.Unit = inch ? "INCH" : "MM";
    o.X = show(ocr ? s.OcrWindowX : s.BarcodeWindowX);
    o.Y = show(ocr ? s.OcrWindowY : s.BarcodeWindowY);
    o.Width = show(ocr ? s.OcrWindowWidth : s.BarcodeWindowWidth);
    o.Height = TwoDecimals(ocr ? s.OcrWindowHeight : s.BarcodeWindowHeight);
    const QString name = ocr ? OcrReadTypeName(s.OcrReadType) : BarcodeReadTypeName(s.BarcodeType);
    if (!name.isEmpty())
        o.ReadType = name;
}

void DocumentHandleChoices::Store()
{
    SettingsRecord& s = Record;
    const auto& self = *this;
    auto on = [&](C c) { return self[c].Checked; };

    s.FrontStamp = on(C::FrontStamp) ? 1 : 0;
    s.BeepOnError = on(C::BeepOnError) ? 1 : 0;
    s.EndorsePrintMode = on(C::Print) ? PrintModes::Print : on(C::Print15) ? PrintModes::Print15 : PrintModes::None;
    s.EndorseBold = on(C::Bold) ? 1 : 0;
    s.PrintHigh = on(C::High) ? 1 : 0;
    s.ScanCard = on(C::ScanCard) ? 1 : 0;
    if (on(C::PrintSide))
        s.EndorsePrintMode = PrintModes::Digital;

    uint8_t codelines = 0;
    codelines |= on(C::Micr) ? CodelineBits::Micr : 0;
    codelines |= on(C::Ocr) ? CodelineBits::Ocr : 0;
    codelines |= on(C::Barcode) ? CodelineBits::Barcode : 0;
    codelines |= on(C::Pdf417) ? CodelineBits::Pdf417 : 0;
    codelines |= on(C::E13bMicrOcr) ? CodelineBits::MicrOcr : 0;
    s.CodelineType = codelines;

    s.WaitTimeout = on(C::WaitTimeout) ? 'W' : 'G';
    for (C c = C::ScanModeBwBitmap; c <= C::ScanMode256Gray300; c = Next(c))
        if (on(c))
            s.ScanMode = ControlInfo(c).Code;

    uint32_t count = 0;
    ExactUnsigned(DocumentCount, count);
    s.DocumentCount = on(C::AllDocument) ? 0 : static_cast<uint16_t>(std::min(count, MaxDocumentCount));

    s.DocDestination = DestinationLabel == DestinationEjected    ? Destinations::Ejected
                       : DestinationLabel == DestinationRetained ? Destinations::Retained
                                                                 : Destinations::Sorted;

    s.ClearImage = !on(C::ClearImage) ? 0 : on(C::AlignImage) ? 2 : 1;

    for (C c = C::SideAll; c <= C::SideNone; c = Next(c))
        if (on(c))
            s.ImageSide = static_cast<uint8_t>(ControlInfo(c).Code);

    s.SaveImageMode = SaveImageModes::Off;
    if (on(C::Jpeg)) {
        s.SaveImageMode = SaveImageModes::On;
        s.SaveImageFormat = SaveFormats::Jpeg;
    } else if (on(C::Bmp)) {
        s.SaveImageMode = SaveImageModes::On;
        s.SaveImageFormat = SaveFormats::Bmp;
    } else if (on(C::Tiff)) {
        s.SaveImageMode = SaveImageModes::On;
        for (C c = C::TiffTypeTiff; c <= C::TiffTypeCcittGr4; c = Next(c))
            if (on(c))
                s.SaveImageFormat = ControlInfo(c).Code;
    }

    uint32_t quality = 0;
    ExactUnsigned(JpegQuality, quality);
    s.JpegQuality = static_cast<uint16_t>(quality);
    s.CheckCodeline = on(C::DoCheck) ? 1 : 0;
    StoreFieldText(s.CodelineBase, CodelineBase);
}
