// The rules of "Document Handle" without its widgets: how a record opens the
// choices, what clicks do, what OK stores.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Settings.h"
#include "documents/DocumentHandleChoices.h"

namespace {

using C = HandleControl;
using ClickList = std::vector<C>;

constexpr uint8_t Printer = 8;
constexpr uint8_t Cards = 2;

struct Choices : ::testing::Test {
    SettingsRecord S = DefaultSettings();
    Choices() { S.CodelineType = 0; }

    DocumentHandleChoices Open(uint8_t features = 0)
    {
        return DocumentHandleChoices(S, (features & Printer) != 0, (features & Cards) != 0);
    }
    static void Click(DocumentHandleChoices& c, const ClickList& clicks)
    {
        for (C control : clicks)
            c.Click(control);
    }
};

// ---- scan mode ----

TEST_F(Choices, ScanModeRadiosStoreTheirCodes)
{
    const std::pair<C, uint16_t> rows[] = {
        {C::ScanModeBwBitmap, 1},   {C::ScanMode16Gray100, 2},  {C::ScanMode16Gray200, 3},
        {C::ScanMode16Gray300, 20}, {C::ScanMode256Gray100, 4}, {C::ScanMode256Gray200, 5},
        {C::ScanMode256Gray300, 21},
    };
    for (auto [radio, code] : rows) {
        S.ScanMode = code;
        EXPECT_TRUE(Open()[radio].Checked) << code;
        S.ScanMode = code == 5 ? 1 : 5;
        auto c = Open();
        c.Click(radio);
        c.Store();
        EXPECT_EQ(S.ScanMode, code);
    }
    S.ScanMode = 10; // no radio: kept
    Open().Store();
    EXPECT_EQ(S.ScanMode, 10);
}

TEST_F(Choices, HundredDpiOpeningClearsBarcodeAndPdf417)
{
    struct Row {
        uint16_t ScanMode;
        uint8_t Stored, AfterOk;
        bool DecodersEnabled;
    };
    const Row rows[] = {
        {4, 4 | 8 | 2, 2, false},    // 256 gray 100 dpi
        {2, 4 | 1, 1, false},        // 16 gray 100 dpi
        {5, 4 | 2, 4 | 2, true},     // 256 gray 200 dpi keeps them
        {1, 8 | 16, 8 | 16, true},   // B/W keeps them
        {3, 4, 4, true},             // 16 gray 200 dpi, one step past 100 dpi
    };
    for (const Row& r : rows) {
        S.ScanMode = r.ScanMode;
        S.CodelineType = r.Stored;
        auto c = Open();
        EXPECT_EQ(c[C::Barcode].Enabled, r.DecodersEnabled) << r.ScanMode;
        EXPECT_EQ(c[C::Pdf417].Enabled, r.DecodersEnabled) << r.ScanMode;
        EXPECT_TRUE(c[C::Ocr].Enabled);
        if (!r.DecodersEnabled) {
            for (C b : {C::BarcodeSet, C::BarcodeView, C::Pdf417Set, C::Pdf417View})
                EXPECT_FALSE(c[b].Enabled) << ControlInfo(b).Name;
        }
        c.Store();
        EXPECT_EQ(S.CodelineType, r.AfterOk) << r.ScanMode;
    }
}

TEST_F(Choices, ScanModeSwitchWhileOpen)
{
    S.ScanMode = 5;
    S.CodelineType = 4;
    auto c = Open();
    EXPECT_TRUE(c[C::BarcodeSet].Enabled);
    c.Click(C::ScanMode256Gray100);
    EXPECT_FALSE(c[C::Barcode].Checked);
    EXPECT_FALSE(c[C::Barcode].Enabled);
    EXPECT_FALSE(c[C::Pdf417].Enabled);
    EXPECT_FALSE(c[C::BarcodeSet].Enabled);
    c.Click(C::ScanMode16Gray300);
    EXPECT_TRUE(c[C::Barcode].Enabled);
    EXPECT_TRUE(c[C::Pdf417].Enabled);
    EXPECT_FALSE(c[C::Barcode].Checked);
    c.Store();
    EXPECT_EQ(S.CodelineType, 0);
    EXPECT_EQ(S.ScanMode, 20);
}

TEST_F(Choices, BlackAndWhiteOpeningDisablesOcrSetAndView)
{
    S.ScanMode = 1;
    S.CodelineType = 2;
    auto c = Open();
    EXPECT_TRUE(c[C::Ocr].Checked);
    EXPECT_FALSE(c[C::OcrSet].Enabled);
    EXPECT_FALSE(c[C::OcrView].Enabled);
    Click(c, {C::Ocr, C::Ocr}); // twice brings them back
    EXPECT_TRUE(c[C::OcrSet].Enabled);
}

// ---- codeline switches and sides ----

TEST_F(Choices, CodelineSwitches)
{
    struct Row {
        const char* Name;
        ClickList Clicks;
        uint8_t CodelineType;
        char Side;
    };
    const Row rows[] = {
        {"E13B MICR+OCR turns MICR off", {C::Micr, C::E13bMicrOcr}, 16, 'X'},
        {"MICR turns E13B MICR+OCR off", {C::E13bMicrOcr, C::Micr}, 1, 'X'},
        {"Barcode disables PDF417", {C::Barcode, C::Pdf417}, 4, 'X'},
        {"PDF417 disables Barcode", {C::Pdf417, C::Barcode}, 8, 'X'},
        {"Barcode off gives PDF417 back", {C::Barcode, C::Barcode, C::Pdf417}, 8, 'X'},
        {"PDF417 off gives Barcode back", {C::Pdf417, C::Pdf417, C::Barcode}, 4, 'X'},
        {"MICR, OCR and Barcode", {C::Micr, C::Ocr, C::Barcode}, 7, 'X'},
        {"None unchecks the decoders", {C::Micr, C::Ocr, C::Barcode, C::SideNone}, 1, 'N'},
        {"a decoder moves None to Front", {C::SideNone, C::Ocr}, 2, 'F'},
        {"PDF417 moves None to Front", {C::SideNone, C::Pdf417}, 8, 'F'},
        {"other sides keep the decoders", {C::Ocr, C::SideBack}, 2, 'B'},
    };
    for (const Row& r : rows) {
        S.ScanMode = 5;
        S.ImageSide = 'X';
        S.CodelineType = 0;
        auto c = Open();
        Click(c, r.Clicks);
        c.Store();
        EXPECT_EQ(S.CodelineType, r.CodelineType) << r.Name;
        EXPECT_EQ(S.ImageSide, static_cast<uint8_t>(r.Side)) << r.Name;
    }
}

TEST_F(Choices, SideRadios)
{
    const std::pair<char, C> rows[] = {{'X', C::SideAll}, {'F', C::SideFront}, {'B', C::SideBack}, {'N', C::SideNone}};
    for (auto [stored, radio] : rows) {
        S.ImageSide = static_cast<uint8_t>(stored);
        EXPECT_TRUE(Open()[radio].Checked) << stored;
        S.ImageSide = 'Q'; // no radio: kept
        auto c = Open();
        c.Store();
        EXPECT_EQ(S.ImageSide, 'Q');
        c.Click(radio);
        c.Store();
        EXPECT_EQ(S.ImageSide, static_cast<uint8_t>(stored));
    }
}

// ---- "Optical Windows" ----

TEST_F(Choices, OpticalWindowsView)
{
    struct Row {
        C View;
        uint16_t Inch;
        float X, Y, Width, Height;
        char ReadType;
        std::vector<std::string> Shown; // title, x, y, width, height, unit, read type
    };
    const Row rows[] = {
        {C::OcrView, 1, 1.234f, 0.5f, 5.999f, 0.41f, 'C',
         {"OCR Decode Information", "1.23", "0.50", "6.00", "0.41", "INCH", "OCRB AlphaNuMeric"}},
        {C::OcrView, 0, 6.9f, 4.0f, 150.7f, 10.5f, 'X',
         {"OCR Decode Information", "6", "4", "150", "10.50", "MM", "E13B Opt X Switch"}},
        {C::OcrView, 0, -12.8f, 4.0f, -3.2f, 1, 'F',
         {"OCR Decode Information", "-12", "4", "-3", "1.00", "MM", "OCRB Italy"}},
        {C::BarcodeView, 0, 90.9f, 4.0f, 125.0f, 12.0f, '3',
         {"Barcode Decode Information", "90", "4", "125", "12.00", "MM", "Barcode CODE39"}},
        {C::BarcodeView, 1, 3.5f, 0.25f, 4.0f, 0.5f, '4',
         {"Barcode Decode Information", "3.50", "0.25", "4.00", "0.50", "INCH", "Barcode CODE128"}},
        // Always millimetres and whole numbers; the read type shown before stays.
        {C::Pdf417View, 1, -5.7f, 3.0f, 80.2f, 20.9f, 'B', {"OCR Decode Information", "-5", "3", "80", "20", "MM", "OCRB"}},
    };
    for (const Row& r : rows) {
        S = DefaultSettings();
        S.ScanMode = 5;
        S.CodelineType = 2 | (r.View == C::BarcodeView ? 4 : 8);
        S.OcrReadType = 'B';
        auto c = Open();
        if (r.View == C::OcrView) {
            S.OcrWindowInch = r.Inch;
            S.OcrWindowX = r.X, S.OcrWindowY = r.Y, S.OcrWindowWidth = r.Width, S.OcrWindowHeight = r.Height;
            S.OcrReadType = static_cast<uint8_t>(r.ReadType);
        } else if (r.View == C::BarcodeView) {
            S.BarcodeWindowInch = r.Inch;
            S.BarcodeWindowX = r.X, S.BarcodeWindowY = r.Y, S.BarcodeWindowWidth = r.Width;
            S.BarcodeWindowHeight = r.Height;
            S.BarcodeType = static_cast<uint8_t>(r.ReadType);
        } else {
            S.OcrWindowInch = r.Inch; // not the PDF417 window's unit
            S.Pdf417WindowX = r.X, S.Pdf417WindowY = r.Y, S.Pdf417WindowWidth = r.Width;
            S.Pdf417WindowHeight = r.Height;
        }
        c.Click(r.View);
        const OpticalText& o = c.Optical;
        const std::vector<std::string> got{o.Title.toStdString(), o.X.toStdString(),    o.Y.toStdString(),
                                           o.Width.toStdString(), o.Height.toStdString(), o.Unit.toStdString(),
                                           o.ReadType.toStdString()};
        EXPECT_EQ(got, r.Shown) << ControlInfo(r.View).Name << " " << r.Inch;
        EXPECT_TRUE(c[C::OpticalDisplay].Enabled);
    }
}

TEST_F(Choices, OpticalDisplayEnabling)
{
    S.ScanMode = 5;
    auto c = Open();
    EXPECT_EQ(c.Optical.Title, "Optical Windows");
    EXPECT_FALSE(c[C::OpticalDisplay].Enabled);
    c.Click(C::Ocr);
    EXPECT_TRUE(c[C::OpticalDisplay].Enabled);
    EXPECT_EQ(c.Optical.ReadType, "OCRB");
    c.Click(C::Micr);
    EXPECT_FALSE(c[C::OpticalDisplay].Enabled);
    c.Click(C::OcrView);
    EXPECT_TRUE(c[C::OpticalDisplay].Enabled);
    c.Click(C::E13bMicrOcr);
    EXPECT_FALSE(c[C::OpticalDisplay].Enabled);
    EXPECT_FALSE(c[C::Micr].Checked);
}

TEST_F(Choices, OpeningEnablesTheStoredDecodersAndShowsOcrAfterBarcode)
{
    struct Row {
        uint8_t CodelineType;
        const char* Title;
        bool Barcode, Pdf417, Ocr;
    };
    const Row rows[] = {
        {4, "Barcode Decode Information", true, false, false},
        {8, "Optical Windows", false, true, false}, // PDF417 leaves the group alone
        {2, "OCR Decode Information", false, false, true},
        {2 | 4, "OCR Decode Information", true, false, true},
    };
    for (const Row& r : rows) {
        S.ScanMode = 5;
        S.CodelineType = r.CodelineType;
        auto c = Open();
        SCOPED_TRACE(int(r.CodelineType));
        EXPECT_EQ(c.Optical.Title, r.Title);
        EXPECT_EQ(c[C::Barcode].Checked, r.Barcode);
        EXPECT_EQ(c[C::Pdf417].Checked, r.Pdf417);
        EXPECT_EQ(c[C::Ocr].Checked, r.Ocr);
        for (C b : {C::BarcodeSet, C::BarcodeView})
            EXPECT_EQ(c[b].Enabled, r.Barcode);
        for (C b : {C::Pdf417Set, C::Pdf417View})
            EXPECT_EQ(c[b].Enabled, r.Pdf417);
        for (C b : {C::OcrSet, C::OcrView})
            EXPECT_EQ(c[b].Enabled, r.Ocr);
    }
}

// ---- "Set Print String" ----

TEST_F(Choices, WithoutPrinterPrintModeIsZeroAtOnce)
{
    S.EndorsePrintMode = 1;
    auto c = Open();
    EXPECT_EQ(S.EndorsePrintMode, 0); // before OK or Cancel
    EXPECT_FALSE(c[C::PrintGroup].Enabled);
    EXPECT_FALSE(c[C::Print].Checked);
    EXPECT_FALSE(c.Usable(C::Endorsement));
    c.Click(C::Print); // out of reach
    c.Store();
    EXPECT_EQ(S.EndorsePrintMode, 0);
}

TEST_F(Choices, PrinterOpening)
{
    struct Row {
        uint16_t Mode;
        int16_t Side;
        C Checked; // High: none of the three
        const char* SideLabel;
    };
    const Row rows[] = {
        {1, 0, C::Print, "Print"},         {65, 1, C::Print15, "Print Rear"},
        {2, 3, C::PrintSide, "Pr. Front/Rear"}, {2, 2, C::PrintSide, "Print Front"},
        {0, 9, C::High, "Print"},          {0, 4, C::High, "Print"},
    };
    for (const Row& r : rows) {
        S.EndorsePrintMode = r.Mode;
        S.DigitalPrintSide = r.Side;
        auto c = Open(Printer);
        for (C b : {C::Print, C::Print15, C::PrintSide})
            EXPECT_EQ(c[b].Checked, b == r.Checked) << r.Mode << " " << ControlInfo(b).Name;
        EXPECT_EQ(c.PrintSideLabel, r.SideLabel);
        EXPECT_TRUE(c.Usable(C::Endorsement));
        EXPECT_FALSE(c[C::DigitalString].Enabled);
        EXPECT_FALSE(c[C::PrintSide].Enabled);
        c.Store();
        EXPECT_EQ(S.EndorsePrintMode, r.Mode);
    }
}

TEST_F(Choices, PrintChecksExcludeEachOther)
{
    S.EndorseBold = 1;
    S.PrintHigh = 1;
    auto c = Open(Printer);
    EXPECT_TRUE(c[C::Bold].Checked);
    EXPECT_TRUE(c[C::High].Checked);
    Click(c, {C::Print, C::Print15});
    EXPECT_FALSE(c[C::Print].Checked);
    EXPECT_FALSE(c[C::Bold].Checked);
    c.Click(C::Bold); // refused while "Print 15" is on
    EXPECT_FALSE(c[C::Bold].Checked);
    c.Store();
    EXPECT_EQ(S.EndorsePrintMode, 65);
    EXPECT_EQ(S.EndorseBold, 0u);
    EXPECT_EQ(S.PrintHigh, 1);

    auto d = Open(Printer);
    Click(d, {C::Print, C::Bold});
    EXPECT_FALSE(d[C::Print15].Checked);
    d.Store();
    EXPECT_EQ(S.EndorsePrintMode, 1);
    EXPECT_EQ(S.EndorseBold, 1u);
}

TEST_F(Choices, PrintSideCycle)
{
    S.EndorsePrintMode = 1;
    S.EndorseBold = 1;
    auto c = Open(Printer);
    c.Click(C::PrintSide); // not offered: nothing happens
    EXPECT_EQ(S.DigitalPrintSide, 0);
    c[C::PrintSide].Enabled = true;

    const char* const labels[] = {"Print Rear", "Print Front", "Pr. Front/Rear", "Print", "Print Rear"};
    for (int i = 0; i < 5; ++i) {
        c.Click(C::PrintSide);
        EXPECT_EQ(c.PrintSideLabel, labels[i]);
        EXPECT_EQ(S.DigitalPrintSide, (i + 1) % 4); // stored at once
        EXPECT_EQ(c[C::PrintSide].Checked, (i + 1) % 4 != 0);
    }
    EXPECT_FALSE(c[C::Print].Checked);
    EXPECT_FALSE(c[C::Bold].Checked);

    c.Click(C::Bold); // any of Bold, Print, Print 15 resets the side
    EXPECT_EQ(S.DigitalPrintSide, 0);
    EXPECT_EQ(c.PrintSideLabel, "Print");
    EXPECT_FALSE(c[C::PrintSide].Checked);

    Click(c, {C::PrintSide, C::PrintSide}); // no OK: the side stays
    EXPECT_EQ(S.DigitalPrintSide, 2);
    EXPECT_EQ(S.EndorsePrintMode, 1);

    S.DigitalPrintSide = -1; // out of the cycle: back to 0
    c.Click(C::PrintSide);
    EXPECT_EQ(S.DigitalPrintSide, 0);
    c.Click(C::PrintSide);
    c.Store();
    EXPECT_EQ(S.EndorsePrintMode, 2);
    EXPECT_EQ(S.DigitalPrintSide, 1);
}

// ---- "Scan &Card" ----

TEST_F(Choices, ScanCardRules)
{
    S.FrontStamp = 1;
    S.CodelineType = 1;
    S.EndorsePrintMode = 1;
    S.EndorseBold = 1;
    auto c = Open(Printer | Cards);
    EXPECT_TRUE(c[C::FrontStamp].Checked);
    EXPECT_TRUE(c[C::ScanCard].Enabled);
    c.Click(C::ScanCard);
    for (C b : {C::Micr, C::Print, C::Print15, C::Bold, C::High, C::FrontStamp}) {
        EXPECT_FALSE(c[b].Checked) << ControlInfo(b).Name;
        EXPECT_FALSE(c[b].Enabled) << ControlInfo(b).Name;
    }
    EXPECT_FALSE(c[C::Endorsement].Enabled);
    c.Click(C::ScanCard);
    for (C b : {C::Micr, C::Print, C::Print15, C::Bold, C::High, C::Endorsement})
        EXPECT_TRUE(c[b].Enabled) << ControlInfo(b).Name;
    EXPECT_FALSE(c[C::FrontStamp].Enabled); // until the dialog opens again
    c.Store();
    EXPECT_EQ(S.ScanCard, 0);
    EXPECT_EQ(S.FrontStamp, 0);
    EXPECT_EQ(S.CodelineType, 0);
    EXPECT_EQ(S.EndorsePrintMode, 0);
}

TEST_F(Choices, ScanCardStoredOpensTurnedOn)
{
    S.ScanCard = 1;
    S.CodelineType = 1;
    auto c = Open(0); // neither cards nor printer
    EXPECT_TRUE(c[C::ScanCard].Checked);
    EXPECT_FALSE(c[C::ScanCard].Enabled);
    EXPECT_FALSE(c[C::Micr].Checked);
    EXPECT_FALSE(c[C::FrontStamp].Enabled);
    c.Store();
    EXPECT_EQ(S.ScanCard, 1);
    EXPECT_EQ(S.CodelineType, 0);
}

TEST_F(Choices, ScanCardOffWithoutPrinterKeepsPrintingOff)
{
    auto c = Open(Cards);
    Click(c, {C::ScanCard, C::ScanCard});
    EXPECT_TRUE(c[C::Micr].Enabled);
    EXPECT_FALSE(c[C::Print].Enabled);
    EXPECT_FALSE(c[C::Endorsement].Enabled);
}

// ---- "Read Image" ----

TEST_F(Choices, ClearAndAlign)
{
    struct Row {
        uint16_t Stored;
        ClickList Clicks;
        uint16_t AfterOk;
        bool AlignEnabled;
    };
    const Row rows[] = {
        {0, {}, 0, false},
        {1, {}, 1, true},
        {2, {}, 2, true},
        {3, {}, 0, false}, // one past the last value opens unchecked
        {7, {}, 0, false},
        {0, {C::AlignImage}, 0, false}, // align needs clear
        {0, {C::ClearImage, C::AlignImage}, 2, true},
        {2, {C::ClearImage}, 0, false}, // clear off drops align
        {2, {C::ClearImage, C::ClearImage}, 1, true},
        {2, {C::AlignImage}, 1, true},
    };
    for (const Row& r : rows) {
        S.ClearImage = r.Stored;
        auto c = Open();
        Click(c, r.Clicks);
        EXPECT_EQ(c[C::AlignImage].Enabled, r.AlignEnabled) << r.Stored << " " << r.Clicks.size();
        c.Store();
        EXPECT_EQ(S.ClearImage, r.AfterOk) << r.Stored << " " << r.Clicks.size();
    }
}

// ---- "Save On File" ----

TEST_F(Choices, SaveImageFormats)
{
    struct Row {
        const char* Name;
        uint16_t Mode, Format;
        ClickList Clicks;
        uint16_t ModeAfter, FormatAfter;
        bool QualityEnabled, TiffTypesEnabled;
    };
    const Row rows[] = {
        {"none", 5, 0, {}, 5, 0, false, false},
        {"opening JPEG", 6, 10, {}, 6, 10, true, false},
        {"opening CCITT", 6, 25, {}, 6, 25, false, true},
        {"opening an unknown format", 6, 26, {}, 5, 26, false, false},
        {"JPEG", 5, 0, {C::Jpeg}, 6, 10, true, false},
        {"BMP after JPEG", 5, 0, {C::Jpeg, C::Bmp}, 6, 11, false, false},
        {"TIFF takes the stored type", 5, 27, {C::Tiff}, 6, 27, false, true},
        {"TIFF over a JPEG record", 6, 10, {C::Tiff}, 6, 3, false, true},
        {"TIFF Gr4", 5, 0, {C::Tiff, C::TiffTypeCcittGr4}, 6, 29, false, true},
        {"TIFF off", 6, 28, {C::Tiff}, 5, 28, false, false},
        {"JPEG after TIFF", 6, 28, {C::Jpeg}, 6, 10, true, false},
        {"JPEG off keeps the format", 6, 10, {C::Jpeg}, 5, 10, true, false},
        {"TIFF radio needs TIFF", 5, 0, {C::TiffTypeCcitt}, 5, 0, false, false},
    };
    for (const Row& r : rows) {
        S.SaveImageMode = r.Mode;
        S.SaveImageFormat = r.Format;
        auto c = Open();
        Click(c, r.Clicks);
        EXPECT_LE(c[C::Jpeg].Checked + c[C::Bmp].Checked + c[C::Tiff].Checked, 1) << r.Name;
        EXPECT_EQ(c[C::JpegQuality].Enabled, r.QualityEnabled) << r.Name;
        EXPECT_EQ(c[C::TiffTypeCcittGr3D2].Enabled, r.TiffTypesEnabled) << r.Name;
        c.Store();
        EXPECT_EQ(S.SaveImageMode, r.ModeAfter) << r.Name;
        EXPECT_EQ(S.SaveImageFormat, r.FormatAfter) << r.Name;
    }
}

TEST_F(Choices, QualityEditRule)
{
    struct Row {
        const char* Text;
        const char* Shown;
        bool Accepted;
    };
    const Row rows[] = {
        {"1", "128", false},   {"256", "128", false}, {"0", "128", false}, {"", "128", false},
        {"7x", "128", false},  {"-2", "128", false},  {"2", "2", true},    {"255", "255", true},
        {"75", "75", true},
    };
    for (const Row& r : rows) {
        S.JpegQuality = 90;
        auto c = Open();
        EXPECT_EQ(c.EditJpegQuality(r.Text), r.Accepted) << r.Text;
        EXPECT_EQ(c.JpegQuality, r.Shown) << r.Text;
        c.Store(); // stored whether or not "JPEG" is checked
        EXPECT_EQ(S.JpegQuality, QString(r.Shown).toInt()) << r.Text;
    }
}

// ---- "Documents" ----

TEST_F(Choices, DocumentCount)
{
    struct Row {
        const char* Name;
        uint16_t Stored;
        ClickList Clicks;
        const char* Typed; // replaces the edit's text when set
        const char* Shown;
        uint16_t AfterOk;
    };
    const Row rows[] = {
        {"opened on a count", 7, {}, nullptr, "7", 7},
        {"All Document stores 0", 7, {C::AllDocument}, nullptr, "7", 0},
        {"Num from all shows 1", 0, {C::Num}, nullptr, "1", 1},
        {"Num shows the stored count", 9, {C::AllDocument, C::Num}, nullptr, "9", 9},
        {"empty edit becomes 1", 0, {C::Num}, "", "1", 1},
        {"0 becomes 1", 5, {}, "0", "1", 1},
        {"typed count", 5, {}, "25", "25", 25},
        {"not a number becomes 1", 5, {}, "x2", "1", 1},
        {"the largest count", 5, {}, "65535", "65535", 65535},
        {"one past the largest", 5, {}, "65536", "65535", 65535},
        {"far past the largest", 5, {}, "70000", "65535", 65535},
        {"past 32 bits", 5, {}, "99999999999", "65535", 65535},
        {"opened on the largest", 65535, {}, nullptr, "65535", 65535},
    };
    for (const Row& r : rows) {
        S.DocumentCount = r.Stored;
        auto c = Open();
        EXPECT_EQ(c[C::AllDocument].Checked, r.Stored == 0) << r.Name;
        Click(c, r.Clicks);
        if (r.Typed)
            c.EditDocumentCount(r.Typed);
        EXPECT_EQ(c.DocumentCount, r.Shown) << r.Name;
        EXPECT_EQ(c[C::DocumentCount].Enabled, c[C::Num].Checked) << r.Name;
        c.Store();
        EXPECT_EQ(S.DocumentCount, r.AfterOk) << r.Name;
    }
}

TEST_F(Choices, DestinationCycle)
{
    struct Row {
        uint16_t Stored;
        int Clicks;
        const char* Label;
        uint16_t AfterOk;
    };
    const Row rows[] = {
        {1, 0, "Doc. Sortered", 1}, {5, 0, "Doc. Ejected", 5},  {0, 0, "Doc. Retained", 0},
        {7, 0, "Doc. Sortered", 1}, {1, 1, "Doc. Ejected", 5},  {1, 2, "Doc. Retained", 0},
        {1, 3, "Doc. Sortered", 1}, {0, 1, "Doc. Sortered", 1}, {5, 1, "Doc. Retained", 0},
    };
    for (const Row& r : rows) {
        S.DocDestination = r.Stored;
        auto c = Open();
        for (int i = 0; i < r.Clicks; ++i)
            c.Click(C::Destination);
        EXPECT_EQ(c.DestinationLabel, r.Label) << r.Stored << " " << r.Clicks;
        EXPECT_TRUE(c[C::Destination].Checked);
        c.Store();
        EXPECT_EQ(S.DocDestination, r.AfterOk) << r.Stored << " " << r.Clicks;
    }
}

// ---- codeline saving ----

TEST_F(Choices, SaveCodelineStoresAtOnce)
{
    S.SaveCodelineOnFile = 0;
    S.ResetCodelineFile = 0;
    auto c = Open();
    EXPECT_FALSE(c[C::ResetFile].Enabled);
    c.Click(C::SaveOnFile);
    EXPECT_EQ(S.SaveCodelineOnFile, 1u);
    EXPECT_TRUE(c[C::ResetFile].Enabled);
    c.Click(C::ResetFile);
    EXPECT_EQ(S.ResetCodelineFile, 1u);
    c.Click(C::ResetFile);
    EXPECT_EQ(S.ResetCodelineFile, 0u);

    S.ResetCodelineFile = 1;
    S.SaveCodelineOnFile = 1;
    auto d = Open();
    EXPECT_TRUE(d[C::SaveOnFile].Checked);
    EXPECT_TRUE(d[C::ResetFile].Checked);
    d.Click(C::SaveOnFile);
    EXPECT_EQ(S.SaveCodelineOnFile, 0u);
    EXPECT_FALSE(d[C::ResetFile].Enabled);
}

// The run empties the log by the stored flag, so the enabled box shows it.
TEST_F(Choices, EnabledResetFileShowsTheStoredFlag)
{
    for (uint32_t stored : {0u, 1u}) {
        S.SaveCodelineOnFile = 0;
        S.ResetCodelineFile = stored;
        auto c = Open();
        EXPECT_FALSE(c[C::ResetFile].Checked);
        c.Click(C::SaveOnFile);
        EXPECT_TRUE(c[C::ResetFile].Enabled);
        EXPECT_EQ(c[C::ResetFile].Checked, stored != 0) << stored;
        c.Click(C::ResetFile); // one click turns the shown value over
        EXPECT_EQ(S.ResetCodelineFile, stored != 0 ? 0u : 1u);
    }
}

TEST_F(Choices, OkStoresTheHandleChecks)
{
    S.WaitTimeout = 'G';
    S.BeepOnError = 0;
    S.FrontStamp = 1;
    auto c = Open();
    EXPECT_TRUE(c[C::FrontStamp].Checked);
    EXPECT_FALSE(c[C::WaitTimeout].Checked);
    Click(c, {C::WaitTimeout, C::BeepOnError, C::FrontStamp});
    c.Store();
    EXPECT_EQ(S.WaitTimeout, 'W');
    EXPECT_EQ(S.BeepOnError, 1);
    EXPECT_EQ(S.FrontStamp, 0);

    auto d = Open();
    EXPECT_TRUE(d[C::WaitTimeout].Checked);
    EXPECT_TRUE(d[C::BeepOnError].Checked);
    d.Click(C::WaitTimeout);
    d.Store();
    EXPECT_EQ(S.WaitTimeout, 'G');
}

} // namespace
