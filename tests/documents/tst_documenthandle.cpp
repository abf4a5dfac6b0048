// "Document Handle": what it shows for a record, its rules while open, what
// OK stores and what stays after Cancel.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "documents/DocumentHandleDialog.h"

namespace {

constexpr uint8_t HasPrinter = 8;
constexpr uint8_t CanScanCards = 2;

} // namespace

class TestDocumentHandle : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<BenchState> State;
    std::unique_ptr<ScriptedOperator> Op;
    std::unique_ptr<DocumentHandleDialog> Dialog;

    SettingsRecord& S() { return State->Settings; }
    void Open() { Dialog = std::make_unique<DocumentHandleDialog>(*State, *Op); }

    template <class T = QAbstractButton> T* Find(const QString& name)
    {
        T* w = Dialog->findChild<T*>(name);
        if (!w)
            qFatal("no control named %s", qPrintable(name));
        return w;
    }
    QAbstractButton* Button(const QString& name) { return Find<QAbstractButton>(name); }
    QLineEdit* Edit(const QString& name) { return Find<QLineEdit>(name); }
    void Click(const QStringList& names)
    {
        for (const QString& name : names)
            Button(name)->click();
    }
    void Ok()
    {
        Button("OK")->click();
        QCOMPARE(Dialog->result(), 1);
    }
    void Cancel()
    {
        Button("Cancel")->click();
        QCOMPARE(Dialog->result(), 0);
    }

private slots:
    void init()
    {
        State = std::make_unique<BenchState>();
        Op = std::make_unique<ScriptedOperator>();
        S().CodelineType = 0;
    }
    void cleanup() { Dialog.reset(); }

    // ---- scan mode ----

    void scanModeRadiosStoreTheirCodes_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<int>("code");
        QTest::newRow("B/W") << "ScanModeBwBitmap" << 1;
        QTest::newRow("16 gray 100") << "ScanMode16Gray100" << 2;
        QTest::newRow("16 gray 200") << "ScanMode16Gray200" << 3;
        QTest::newRow("16 gray 300") << "ScanMode16Gray300" << 20;
        QTest::newRow("256 gray 100") << "ScanMode256Gray100" << 4;
        QTest::newRow("256 gray 200") << "ScanMode256Gray200" << 5;
        QTest::newRow("256 gray 300") << "ScanMode256Gray300" << 21;
    }
    void scanModeRadiosStoreTheirCodes()
    {
        QFETCH(QString, radio);
        QFETCH(int, code);
        S().ScanMode = static_cast<uint16_t>(code);
        Open();
        QVERIFY(Button(radio)->isChecked());
        Dialog.reset();

        S().ScanMode = code == 5 ? 1 : 5;
        Open();
        Button(radio)->click();
        Ok();
        QCOMPARE(S().ScanMode, code);
    }

    void scanModeWithoutRadioIsKept()
    {
        S().ScanMode = 10;
        Open();
        Ok();
        QCOMPARE(S().ScanMode, 10);
    }

    void hundredDpiOpeningClearsBarcodeAndPdf417_data()
    {
        QTest::addColumn<int>("scanMode");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("afterOk");
        QTest::addColumn<bool>("decodersEnabled");
        QTest::newRow("256 gray 100 dpi") << 4 << (4 | 8 | 2) << 2 << false;
        QTest::newRow("16 gray 100 dpi") << 2 << (4 | 1) << 1 << false;
        QTest::newRow("256 gray 200 dpi keeps them") << 5 << (4 | 2) << (4 | 2) << true;
        QTest::newRow("B/W keeps them") << 1 << (8 | 16) << (8 | 16) << true;
    }
    void hundredDpiOpeningClearsBarcodeAndPdf417()
    {
        QFETCH(int, scanMode);
        QFETCH(int, stored);
        QFETCH(int, afterOk);
        QFETCH(bool, decodersEnabled);
        S().ScanMode = static_cast<uint16_t>(scanMode);
        S().CodelineType = static_cast<uint8_t>(stored);
        Open();
        QCOMPARE(Button("CodelineBarcode")->isEnabled(), decodersEnabled);
        QCOMPARE(Button("CodelinePdf417")->isEnabled(), decodersEnabled);
        QVERIFY(Button("CodelineOcr")->isEnabled());
        if (!decodersEnabled) {
            QVERIFY(!Button("CodelineBarcode")->isChecked());
            QVERIFY(!Button("CodelinePdf417")->isChecked());
            for (const char* name : {"BarcodeSet", "BarcodeView", "Pdf417Set", "Pdf417View"})
                QVERIFY2(!Button(name)->isEnabled(), name);
        }
        Ok();
        QCOMPARE(S().CodelineType, afterOk);
    }

    void scanModeSwitchWhileOpen()
    {
        S().ScanMode = 5;
        S().CodelineType = 4;
        Open();
        QVERIFY(Button("BarcodeSet")->isEnabled());
        Button("ScanMode256Gray100")->click();
        QVERIFY(!Button("CodelineBarcode")->isChecked());
        QVERIFY(!Button("CodelineBarcode")->isEnabled());
        QVERIFY(!Button("CodelinePdf417")->isEnabled());
        QVERIFY(!Button("BarcodeSet")->isEnabled());
        Button("ScanMode16Gray300")->click();
        QVERIFY(Button("CodelineBarcode")->isEnabled());
        QVERIFY(Button("CodelinePdf417")->isEnabled());
        QVERIFY(!Button("CodelineBarcode")->isChecked());
        Ok();
        QCOMPARE(S().CodelineType, 0);
        QCOMPARE(S().ScanMode, 20);
    }

    void blackAndWhiteOpeningDisablesOcrSetAndView()
    {
        S().ScanMode = 1;
        S().CodelineType = 2;
        Open();
        QVERIFY(Button("CodelineOcr")->isChecked());
        QVERIFY(!Button("OcrSet")->isEnabled());
        QVERIFY(!Button("OcrView")->isEnabled());
        // Clicking the switch twice brings them back.
        Click({"CodelineOcr", "CodelineOcr"});
        QVERIFY(Button("OcrSet")->isEnabled());
    }

    // ---- codeline switches and sides ----

    void codelineSwitches_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("codelineType");
        QTest::addColumn<char>("side");
        QTest::newRow("E13B MICR+OCR turns MICR off")
            << QStringList{"CodelineMicr", "CodelineE13bMicrOcr"} << 16 << 'X';
        QTest::newRow("MICR turns E13B MICR+OCR off")
            << QStringList{"CodelineE13bMicrOcr", "CodelineMicr"} << 1 << 'X';
        QTest::newRow("Barcode disables PDF417")
            << QStringList{"CodelineBarcode", "CodelinePdf417"} << 4 << 'X';
        QTest::newRow("PDF417 disables Barcode")
            << QStringList{"CodelinePdf417", "CodelineBarcode"} << 8 << 'X';
        QTest::newRow("Barcode off gives PDF417 back")
            << QStringList{"CodelineBarcode", "CodelineBarcode", "CodelinePdf417"} << 8 << 'X';
        QTest::newRow("PDF417 off gives Barcode back")
            << QStringList{"CodelinePdf417", "CodelinePdf417", "CodelineBarcode"} << 4 << 'X';
        QTest::newRow("MICR, OCR and Barcode")
            << QStringList{"CodelineMicr", "CodelineOcr", "CodelineBarcode"} << 7 << 'X';
        QTest::newRow("None unchecks the decoders")
            << QStringList{"CodelineMicr", "CodelineOcr", "CodelineBarcode", "SideNone"} << 1 << 'N';
        QTest::newRow("a decoder moves None to Front") << QStringList{"SideNone", "CodelineOcr"} << 2 << 'F';
        QTest::newRow("PDF417 moves None to Front") << QStringList{"SideNone", "CodelinePdf417"} << 8 << 'F';
        QTest::newRow("other sides keep the decoders") << QStringList{"CodelineOcr", "SideBack"} << 2 << 'B';
    }
    void codelineSwitches()
    {
        QFETCH(QStringList, clicks);
        QFETCH(int, codelineType);
        QFETCH(char, side);
        S().ScanMode = 5;
        S().ImageSide = 'X';
        Open();
        Click(clicks);
        Ok();
        QCOMPARE(S().CodelineType, codelineType);
        QCOMPARE(S().ImageSide, static_cast<uint8_t>(side));
    }

    void sideRadios_data()
    {
        QTest::addColumn<char>("stored");
        QTest::addColumn<QString>("radio");
        QTest::newRow("X") << 'X' << "SideAll";
        QTest::newRow("F") << 'F' << "SideFront";
        QTest::newRow("B") << 'B' << "SideBack";
        QTest::newRow("N") << 'N' << "SideNone";
    }
    void sideRadios()
    {
        QFETCH(char, stored);
        QFETCH(QString, radio);
        S().ImageSide = static_cast<uint8_t>(stored);
        Open();
        QVERIFY(Button(radio)->isChecked());
        Dialog.reset();

        S().ImageSide = 'Q'; // no radio: kept
        Open();
        Ok();
        QCOMPARE(S().ImageSide, 'Q');
        Dialog.reset();
        Open();
        Button(radio)->click();
        Ok();
        QCOMPARE(S().ImageSide, static_cast<uint8_t>(stored));
    }

    // ---- "Optical Windows" ----

    void opticalWindowsView_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<int>("inch");
        QTest::addColumn<QList<double>>("window");
        QTest::addColumn<char>("readType");
        QTest::addColumn<QStringList>("shown"); // title, x, y, width, height, unit, read type
        QTest::newRow("OCR in inches") << "OcrView" << 1 << QList<double>{1.234, 0.5, 5.999, 0.41} << 'C'
                                       << QStringList{"OCR Decode Information", "1.23", "0.50", "6.00", "0.41",
                                                      "INCH", "OCRB AlphaNuMeric"};
        QTest::newRow("OCR in mm") << "OcrView" << 0 << QList<double>{6.9, 4.0, 150.7, 10.5} << 'X'
                                   << QStringList{"OCR Decode Information", "6", "4", "150", "10.50", "MM",
                                                  "E13B Opt X Switch"};
        QTest::newRow("OCR negative mm") << "OcrView" << 0 << QList<double>{-12.8, 4.0, -3.2, 1} << 'F'
                                         << QStringList{"OCR Decode Information", "-12", "4", "-3", "1.00", "MM",
                                                        "OCRB Italy"};
        QTest::newRow("Barcode in mm") << "BarcodeView" << 0 << QList<double>{90.9, 4.0, 125.0, 12.0} << '3'
                                       << QStringList{"Barcode Decode Information", "90", "4", "125", "12.00", "MM",
                                                      "Barcode CODE39"};
        QTest::newRow("Barcode in inches") << "BarcodeView" << 1 << QList<double>{3.5, 0.25, 4.0, 0.5} << '4'
                                           << QStringList{"Barcode Decode Information", "3.50", "0.25", "4.00",
                                                          "0.50", "INCH", "Barcode CODE128"};
        // Always millimetres and whole numbers; the read type shown before stays.
        QTest::newRow("PDF417") << "Pdf417View" << 1 << QList<double>{-5.7, 3.0, 80.2, 20.9} << 'B'
                                << QStringList{"OCR Decode Information", "-5", "3", "80", "20", "MM", "OCRB"};
    }
    void opticalWindowsView()
    {
        QFETCH(QString, view);
        QFETCH(int, inch);
        QFETCH(QList<double>, window);
        QFETCH(char, readType);
        QFETCH(QStringList, shown);
        S().ScanMode = 5;
        S().CodelineType = 2 | (view == "BarcodeView" ? 4 : 8);
        S().OcrReadType = 'B';
        Open();
        auto w = [&](int i) { return static_cast<float>(window[i]); };
        if (view == "OcrView") {
            S().OcrWindowInch = static_cast<uint16_t>(inch);
            S().OcrWindowX = w(0), S().OcrWindowY = w(1), S().OcrWindowWidth = w(2), S().OcrWindowHeight = w(3);
            S().OcrReadType = static_cast<uint8_t>(readType);
        } else if (view == "BarcodeView") {
            S().BarcodeWindowInch = static_cast<uint16_t>(inch);
            S().BarcodeWindowX = w(0), S().BarcodeWindowY = w(1), S().BarcodeWindowWidth = w(2);
            S().BarcodeWindowHeight = w(3);
            S().BarcodeType = static_cast<uint8_t>(readType);
        } else {
            S().OcrWindowInch = static_cast<uint16_t>(inch); // not the PDF417 window's unit
            S().Pdf417WindowX = w(0), S().Pdf417WindowY = w(1), S().Pdf417WindowWidth = w(2);
            S().Pdf417WindowHeight = w(3);
        }
        Button(view)->click();
        QStringList got{Find<QGroupBox>("OpticalWindowsGroup")->title()};
        for (const char* name : {"WindowX", "WindowY", "WindowWidth", "WindowHeight", "WindowUnit", "WindowReadType"}) {
            got << Edit(name)->text();
            QVERIFY2(Edit(name)->isEnabled(), name);
        }
        QCOMPARE(got, shown);
    }

    void opticalDisplayEnabling()
    {
        S().ScanMode = 5;
        Open();
        QCOMPARE(Find<QGroupBox>("OpticalWindowsGroup")->title(), QString("Optical Windows"));
        QVERIFY(!Edit("WindowX")->isEnabled());
        Button("CodelineOcr")->click();
        QVERIFY(Edit("WindowX")->isEnabled());
        QCOMPARE(Edit("WindowReadType")->text(), QString("OCRB"));
        Button("CodelineMicr")->click();
        QVERIFY(!Edit("WindowX")->isEnabled());
        QVERIFY(!Edit("WindowReadType")->isEnabled());
        Button("OcrView")->click();
        QVERIFY(Edit("WindowX")->isEnabled());
        Button("CodelineE13bMicrOcr")->click();
        QVERIFY(!Edit("WindowX")->isEnabled());
        QVERIFY(!Button("CodelineMicr")->isChecked());
    }

    void openingShowsOcrAfterBarcode()
    {
        S().ScanMode = 5;
        S().CodelineType = 2 | 4;
        Open();
        QCOMPARE(Find<QGroupBox>("OpticalWindowsGroup")->title(), QString("OCR Decode Information"));
        QVERIFY(Button("BarcodeSet")->isEnabled() && Button("OcrView")->isEnabled());
        QVERIFY(!Button("Pdf417Set")->isEnabled());
    }

    void setStoresTheWindowEvenOnCancel()
    {
        S().ScanMode = 5;
        S().CodelineType = 2;
        S().OcrWindowX = 6;
        Open();
        Op->QueueDialog([](QDialog& d) {
            d.findChild<QLineEdit*>("CoordinateX")->setText("-20");
            d.findChild<QPushButton*>("OK")->click();
            return d.result();
        });
        Button("OcrSet")->click();
        QCOMPARE(Op->DialogTitles, std::vector<QString>{"Parametrer for Ocr Window"});
        QCOMPARE(S().OcrWindowX, -20.0f);
        QCOMPARE(Edit("WindowX")->text(), QString("-20")); // "View" ran after it
        Cancel();
        QCOMPARE(S().OcrWindowX, -20.0f);
    }

    void setOpensEachVariant()
    {
        S().ScanMode = 5;
        S().CodelineType = 4;
        S().BarcodeWindowX = 90;
        Open();
        Button("BarcodeSet")->click(); // no script: left unanswered
        Button("CodelinePdf417")->click(); // disabled by Barcode
        Button("CodelineBarcode")->click();
        Button("CodelinePdf417")->click();
        Button("Pdf417Set")->click();
        QCOMPARE(Op->DialogTitles,
                 (std::vector<QString>{"Parametrer for Barcode Window", "Parametrer for PDF417 Window"}));
        QCOMPARE(Find<QGroupBox>("OpticalWindowsGroup")->title(), QString("OCR Decode Information"));
        QCOMPARE(S().BarcodeWindowX, 90.0f);
    }

    // ---- "Set Print String" ----

    void withoutPrinterPrintModeIsZero_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void withoutPrinterPrintModeIsZero()
    {
        QFETCH(bool, ok);
        S().EndorsePrintMode = 1;
        Open();
        QCOMPARE(S().EndorsePrintMode, 0); // at once
        QVERIFY(!Find<QGroupBox>("SetPrintStringGroup")->isEnabled());
        QVERIFY(!Button("Print")->isChecked());
        QVERIFY(!Button("EndorsementButton")->isEnabled());
        if (ok)
            Ok();
        else
            Cancel();
        QCOMPARE(S().EndorsePrintMode, 0);
    }

    void printerOpening_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("side");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("sideLabel");
        QTest::newRow("Print") << 1 << 0 << "Print" << "Print";
        QTest::newRow("Print 15") << 65 << 1 << "Print15" << "Print Rear";
        QTest::newRow("digital print") << 2 << 3 << "PrintSideButton" << "Pr. Front/Rear";
        QTest::newRow("digital front") << 2 << 2 << "PrintSideButton" << "Print Front";
        QTest::newRow("none, odd side") << 0 << 9 << "" << "Print";
    }
    void printerOpening()
    {
        QFETCH(int, mode);
        QFETCH(int, side);
        QFETCH(QString, checked);
        QFETCH(QString, sideLabel);
        State->Identity.FeatureBytes[0] = HasPrinter;
        S().EndorsePrintMode = static_cast<uint16_t>(mode);
        S().DigitalPrintSide = static_cast<int16_t>(side);
        Open();
        for (const char* name : {"Print", "Print15", "PrintSideButton"})
            QCOMPARE(Button(name)->isChecked(), checked == name);
        QCOMPARE(Button("PrintSideButton")->text(), sideLabel);
        // Laid out out of the operator's reach.
        QVERIFY(Button("EndorsementButton")->isEnabled());
        QVERIFY(Button("High")->isHidden());
        QVERIFY(!Button("DigitalStringButton")->isEnabled());
        QVERIFY(!Button("PrintSideButton")->isEnabled());
        Ok();
        QCOMPARE(S().EndorsePrintMode, mode);
    }

    void printChecksExcludeEachOther()
    {
        State->Identity.FeatureBytes[0] = HasPrinter;
        S().EndorseBold = 1;
        S().PrintHigh = 1;
        Open();
        QVERIFY(Button("Bold")->isChecked());
        QVERIFY(Button("High")->isChecked());
        Button("Print")->click();
        Button("Print15")->click();
        QVERIFY(!Button("Print")->isChecked());
        QVERIFY(!Button("Bold")->isChecked());
        Button("Bold")->click(); // refused while "Print 15" is on
        QVERIFY(!Button("Bold")->isChecked());
        Ok();
        QCOMPARE(S().EndorsePrintMode, 65);
        QCOMPARE(S().EndorseBold, 0u);
        QCOMPARE(S().PrintHigh, 1);

        Dialog.reset();
        Open();
        Click({"Print", "Bold"});
        QVERIFY(!Button("Print15")->isChecked());
        Ok();
        QCOMPARE(S().EndorsePrintMode, 1);
        QCOMPARE(S().EndorseBold, 1u);
    }

    void printSideCycle()
    {
        State->Identity.FeatureBytes[0] = HasPrinter;
        S().EndorsePrintMode = 1;
        S().EndorseBold = 1;
        Open();
        QAbstractButton* side = Button("PrintSideButton");
        side->click(); // disabled in the layout: nothing happens
        QCOMPARE(S().DigitalPrintSide, 0);
        side->setEnabled(true);

        const QStringList labels{"Print Rear", "Print Front", "Pr. Front/Rear", "Print", "Print Rear"};
        for (int i = 0; i < labels.size(); ++i) {
            side->click();
            QCOMPARE(side->text(), labels[i]);
            QCOMPARE(S().DigitalPrintSide, (i + 1) % 4);
            QCOMPARE(side->isChecked(), (i + 1) % 4 != 0);
        }
        QVERIFY(!Button("Print")->isChecked());
        QVERIFY(!Button("Bold")->isChecked());

        Button("Bold")->click(); // any of Bold, Print, Print 15 resets the side
        QCOMPARE(S().DigitalPrintSide, 0);
        QCOMPARE(side->text(), QString("Print"));
        QVERIFY(!side->isChecked());

        Click({"PrintSideButton", "PrintSideButton"});
        Cancel();
        QCOMPARE(S().DigitalPrintSide, 2); // stored at once
        QCOMPARE(S().EndorsePrintMode, 1);

        Dialog.reset();
        Open();
        Button("PrintSideButton")->setEnabled(true);
        Button("PrintSideButton")->click();
        Ok();
        QCOMPARE(S().EndorsePrintMode, 2);
        QCOMPARE(S().DigitalPrintSide, 3);
    }

    void endorsementStringStaysOnCancel()
    {
        State->Identity.FeatureBytes[0] = HasPrinter;
        SetText(S().EndorseString, "OLD");
        Open();
        Op->QueueDialog([](QDialog& d) {
            d.findChild<QLineEdit*>("PrintString")->setText("PAID 2024");
            d.findChild<QPushButton*>("OK")->click();
            return d.result();
        });
        Button("EndorsementButton")->click();
        QCOMPARE(Op->DialogTitles.back(), QString("Endorsement String"));
        QCOMPARE(GetText(S().EndorseString), std::string("PAID 2024"));
        Cancel();
        QCOMPARE(GetText(S().EndorseString), std::string("PAID 2024"));
    }

    // ---- "Scan &Card" ----

    void scanCardRules()
    {
        State->Identity.FeatureBytes[0] = HasPrinter | CanScanCards;
        S().FrontStamp = 1;
        S().CodelineType = 1;
        S().EndorsePrintMode = 1;
        S().EndorseBold = 1;
        Open();
        QVERIFY(Button("FrontStamp")->isChecked());
        QVERIFY(Button("ScanCard")->isEnabled());

        Button("ScanCard")->click();
        for (const char* name : {"CodelineMicr", "Print", "Print15", "Bold", "High", "FrontStamp"}) {
            QVERIFY2(!Button(name)->isChecked(), name);
            QVERIFY2(!Button(name)->isEnabled(), name);
        }
        QVERIFY(!Button("EndorsementButton")->isEnabled());

        Button("ScanCard")->click();
        for (const char* name : {"CodelineMicr", "Print", "Print15", "Bold", "High", "EndorsementButton"})
            QVERIFY2(Button(name)->isEnabled(), name);
        QVERIFY(!Button("FrontStamp")->isEnabled()); // until the dialog opens again
        Ok();
        QCOMPARE(S().ScanCard, 0);
        QCOMPARE(S().FrontStamp, 0);
        QCOMPARE(S().CodelineType, 0);
        QCOMPARE(S().EndorsePrintMode, 0);
    }

    void scanCardStoredOpensTurnedOn()
    {
        State->Identity.FeatureBytes[0] = 0; // neither cards nor printer
        S().ScanCard = 1;
        S().CodelineType = 1;
        Open();
        QVERIFY(Button("ScanCard")->isChecked());
        QVERIFY(!Button("ScanCard")->isEnabled());
        QVERIFY(!Button("CodelineMicr")->isChecked());
        QVERIFY(!Button("FrontStamp")->isEnabled());
        Ok();
        QCOMPARE(S().ScanCard, 1);
        QCOMPARE(S().CodelineType, 0);
    }

    void scanCardOffWithoutPrinterKeepsPrintingOff()
    {
        State->Identity.FeatureBytes[0] = CanScanCards;
        Open();
        Click({"ScanCard", "ScanCard"});
        QVERIFY(Button("CodelineMicr")->isEnabled());
        QVERIFY(!Button("Print")->isEnabled());
        QVERIFY(!Button("EndorsementButton")->isEnabled());
    }

    // ---- "Read Image" ----

    void clearAndAlign_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("afterOk");
        QTest::addColumn<bool>("alignEnabled");
        QTest::newRow("0 as opened") << 0 << QStringList{} << 0 << false;
        QTest::newRow("1 as opened") << 1 << QStringList{} << 1 << true;
        QTest::newRow("2 as opened") << 2 << QStringList{} << 2 << true;
        QTest::newRow("odd value opens unchecked") << 7 << QStringList{} << 0 << false;
        QTest::newRow("align needs clear") << 0 << QStringList{"AlignImage"} << 0 << false;
        QTest::newRow("clear then align") << 0 << QStringList{"ClearImage", "AlignImage"} << 2 << true;
        QTest::newRow("clear off drops align") << 2 << QStringList{"ClearImage"} << 0 << false;
        QTest::newRow("clear off and on") << 2 << QStringList{"ClearImage", "ClearImage"} << 1 << true;
        QTest::newRow("align off") << 2 << QStringList{"AlignImage"} << 1 << true;
    }
    void clearAndAlign()
    {
        QFETCH(int, stored);
        QFETCH(QStringList, clicks);
        QFETCH(int, afterOk);
        QFETCH(bool, alignEnabled);
        S().ClearImage = static_cast<uint16_t>(stored);
        Open();
        Click(clicks);
        QCOMPARE(Button("AlignImage")->isEnabled(), alignEnabled);
        Ok();
        QCOMPARE(S().ClearImage, afterOk);
    }

    // ---- "Save On File" ----

    void saveImageFormats_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("format");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("modeAfter");
        QTest::addColumn<int>("formatAfter");
        QTest::addColumn<bool>("qualityEnabled");
        QTest::addColumn<bool>("tiffTypesEnabled");
        QTest::newRow("none") << 5 << 0 << QStringList{} << 5 << 0 << false << false;
        QTest::newRow("opening JPEG") << 6 << 10 << QStringList{} << 6 << 10 << true << false;
        QTest::newRow("opening CCITT") << 6 << 25 << QStringList{} << 6 << 25 << false << true;
        QTest::newRow("JPEG") << 5 << 0 << QStringList{"Jpeg"} << 6 << 10 << true << false;
        QTest::newRow("BMP after JPEG") << 5 << 0 << QStringList{"Jpeg", "Bmp"} << 6 << 11 << false << false;
        QTest::newRow("TIFF takes the stored type") << 5 << 27 << QStringList{"Tiff"} << 6 << 27 << false << true;
        QTest::newRow("TIFF over a JPEG record") << 6 << 10 << QStringList{"Tiff"} << 6 << 3 << false << true;
        QTest::newRow("TIFF Gr4") << 5 << 0 << QStringList{"Tiff", "TiffTypeCcittGr4"} << 6 << 29 << false << true;
        QTest::newRow("TIFF off") << 6 << 28 << QStringList{"Tiff"} << 5 << 28 << false << false;
        QTest::newRow("JPEG after TIFF") << 6 << 28 << QStringList{"Jpeg"} << 6 << 10 << true << false;
        QTest::newRow("JPEG off keeps the format") << 6 << 10 << QStringList{"Jpeg"} << 5 << 10 << true << false;
        QTest::newRow("TIFF radio needs TIFF") << 5 << 0 << QStringList{"TiffTypeCcitt"} << 5 << 0 << false << false;
    }
    void saveImageFormats()
    {
        QFETCH(int, mode);
        QFETCH(int, format);
        QFETCH(QStringList, clicks);
        QFETCH(int, modeAfter);
        QFETCH(int, formatAfter);
        QFETCH(bool, qualityEnabled);
        QFETCH(bool, tiffTypesEnabled);
        S().SaveImageMode = static_cast<uint16_t>(mode);
        S().SaveImageFormat = static_cast<uint16_t>(format);
        Open();
        Click(clicks);
        const int checked = Button("Jpeg")->isChecked() + Button("Bmp")->isChecked() + Button("Tiff")->isChecked();
        QVERIFY(checked <= 1);
        QCOMPARE(Edit("JpegQuality")->isEnabled(), qualityEnabled);
        QCOMPARE(Find<QLabel>("JpegQualityLabel")->isEnabled(), qualityEnabled);
        QCOMPARE(Button("TiffTypeCcittGr3D2")->isEnabled(), tiffTypesEnabled);
        Ok();
        QCOMPARE(S().SaveImageMode, modeAfter);
        QCOMPARE(S().SaveImageFormat, formatAfter);
    }

    void qualityEditRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("beeps");
        QTest::newRow("1") << "1" << "128" << 1;
        QTest::newRow("256") << "256" << "128" << 1;
        QTest::newRow("0") << "0" << "128" << 1;
        QTest::newRow("empty") << "" << "128" << 1;
        QTest::newRow("not a number") << "7x" << "128" << 1;
        QTest::newRow("2") << "2" << "2" << 0;
        QTest::newRow("255") << "255" << "255" << 0;
        QTest::newRow("75") << "75" << "75" << 0;
    }
    void qualityEditRule()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QFETCH(int, beeps);
        S().JpegQuality = 90;
        Open();
        QCOMPARE(Op->Beeps, 0);
        Edit("JpegQuality")->setText(text);
        QCOMPARE(Edit("JpegQuality")->text(), shown);
        QCOMPARE(Op->Beeps, beeps);
        Ok(); // stored whether or not "JPEG" is checked
        QCOMPARE(S().JpegQuality, shown.toInt());
    }

    void qualityEditChecksEveryKeystroke()
    {
        S().SaveImageMode = 6;
        S().SaveImageFormat = 10;
        S().JpegQuality = 128;
        Open();
        QLineEdit* quality = Edit("JpegQuality");
        quality->selectAll();
        QTest::keyClicks(quality, "40");
        QCOMPARE(quality->text(), QString("40"));
        QCOMPARE(Op->Beeps, 0);
        QTest::keyClicks(quality, "0"); // 400
        QCOMPARE(quality->text(), QString("128"));
        QCOMPARE(Op->Beeps, 1);
        QTest::keyClick(quality, Qt::Key_Backspace); // 12
        QTest::keyClick(quality, Qt::Key_Backspace); // 1
        QCOMPARE(quality->text(), QString("128"));
        QCOMPARE(Op->Beeps, 2);
    }

    void qualityOutOfRangeOnOpeningShows128()
    {
        S().JpegQuality = 300;
        Open();
        QCOMPARE(Edit("JpegQuality")->text(), QString("128"));
        QCOMPARE(Op->Beeps, 1);
    }

    // ---- "Documents" ----

    void documentCount_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("typed"); // replaces the edit's text when not null
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("afterOk");
        QTest::newRow("opened on a count") << 7 << QStringList{} << QString() << "7" << 7;
        QTest::newRow("All Document stores 0") << 7 << QStringList{"AllDocument"} << QString() << "7" << 0;
        QTest::newRow("Num from all shows 1") << 0 << QStringList{"Num"} << QString() << "1" << 1;
        QTest::newRow("Num shows the stored count") << 9 << QStringList{"AllDocument", "Num"} << QString() << "9" << 9;
        QTest::newRow("empty edit becomes 1") << 0 << QStringList{"Num"} << "" << "1" << 1;
        QTest::newRow("0 becomes 1") << 5 << QStringList{} << "0" << "1" << 1;
        QTest::newRow("typed count") << 5 << QStringList{} << "25" << "25" << 25;
        QTest::newRow("not a number becomes 1") << 5 << QStringList{} << "x2" << "1" << 1;
    }
    void documentCount()
    {
        QFETCH(int, stored);
        QFETCH(QStringList, clicks);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, afterOk);
        S().DocumentCount = static_cast<uint16_t>(stored);
        Open();
        QCOMPARE(Button("AllDocument")->isChecked(), stored == 0);
        Click(clicks);
        QLineEdit* count = Edit("DocumentCount");
        if (!typed.isNull())
            count->setText(typed);
        if (Button("Num")->isChecked())
            QCOMPARE(count->text(), shown);
        QCOMPARE(count->isEnabled(), Button("Num")->isChecked());
        Ok();
        QCOMPARE(S().DocumentCount, afterOk);
    }

    void destinationCycle_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("afterOk");
        QTest::newRow("sorted") << 1 << 0 << "Doc. Sortered" << 1;
        QTest::newRow("ejected") << 5 << 0 << "Doc. Ejected" << 5;
        QTest::newRow("retained") << 0 << 0 << "Doc. Retained" << 0;
        QTest::newRow("other value") << 7 << 0 << "Doc. Sortered" << 1;
        QTest::newRow("sorted, 1 click") << 1 << 1 << "Doc. Ejected" << 5;
        QTest::newRow("sorted, 2 clicks") << 1 << 2 << "Doc. Retained" << 0;
        QTest::newRow("sorted, 3 clicks") << 1 << 3 << "Doc. Sortered" << 1;
        QTest::newRow("retained, 1 click") << 0 << 1 << "Doc. Sortered" << 1;
        QTest::newRow("ejected, 1 click") << 5 << 1 << "Doc. Retained" << 0;
    }
    void destinationCycle()
    {
        QFETCH(int, stored);
        QFETCH(int, clicks);
        QFETCH(QString, label);
        QFETCH(int, afterOk);
        S().DocDestination = static_cast<uint16_t>(stored);
        Open();
        for (int i = 0; i < clicks; ++i)
            Button("DestinationButton")->click();
        QCOMPARE(Button("DestinationButton")->text(), label);
        QVERIFY(Button("DestinationButton")->isChecked());
        Ok();
        QCOMPARE(S().DocDestination, afterOk);
    }

    // ---- codeline saving and checking ----

    void saveCodelineStoresAtOnce()
    {
        S().SaveCodelineOnFile = 0;
        S().ResetCodelineFile = 1;
        S().FrontStamp = 0;
        Open();
        QVERIFY(!Button("ResetFile")->isEnabled());
        QVERIFY(!Button("ResetFile")->isChecked());
        Button("SaveOnFile")->click();
        QCOMPARE(S().SaveCodelineOnFile, 1u);
        QVERIFY(Button("ResetFile")->isEnabled());
        Button("ResetFile")->click();
        QCOMPARE(S().ResetCodelineFile, 1u);
        Button("ResetFile")->click();
        QCOMPARE(S().ResetCodelineFile, 0u);
        Button("FrontStamp")->click(); // stored only by OK
        Cancel();
        QCOMPARE(S().SaveCodelineOnFile, 1u);
        QCOMPARE(S().ResetCodelineFile, 0u);
        QCOMPARE(S().FrontStamp, 0);

        S().ResetCodelineFile = 1;
        Dialog.reset();
        Open();
        QVERIFY(Button("SaveOnFile")->isChecked());
        QVERIFY(Button("ResetFile")->isChecked());
        Button("SaveOnFile")->click();
        QCOMPARE(S().SaveCodelineOnFile, 0u);
        QVERIFY(!Button("ResetFile")->isEnabled());
    }

    void checkCodelineAndLastCodeline()
    {
        S().CheckCodeline = 0;
        SetText(S().CodelineBase, "OLD BASE");
        const char last[] = "<0123456789<012345678>";
        std::copy(std::begin(last), std::end(last), State->LastCodeline.begin());
        Open();
        QCOMPARE(Edit("CodelineBase")->text(), QString("OLD BASE"));
        QCOMPARE(Edit("CodelineBase")->maxLength(), 255);
        Button("InsertLastCodeline")->click();
        QCOMPARE(Edit("CodelineBase")->text(), QString(last));
        Button("DoCheck")->click();
        Ok();
        QCOMPARE(S().CheckCodeline, 1u);
        QCOMPARE(GetText(S().CodelineBase), std::string(last));
    }

    void okStoresTheHandleChecks()
    {
        S().WaitTimeout = 'G';
        S().BeepOnError = 0;
        S().FrontStamp = 1;
        Open();
        QVERIFY(Button("FrontStamp")->isChecked());
        QVERIFY(!Button("WaitTimeout")->isChecked());
        Click({"WaitTimeout", "BeepOnError", "FrontStamp"});
        Ok();
        QCOMPARE(S().WaitTimeout, 'W');
        QCOMPARE(S().BeepOnError, 1);
        QCOMPARE(S().FrontStamp, 0);

        Dialog.reset();
        Open();
        QVERIFY(Button("WaitTimeout")->isChecked());
        QVERIFY(Button("BeepOnError")->isChecked());
        Button("WaitTimeout")->click();
        Ok();
        QCOMPARE(S().WaitTimeout, 'G');
    }

    void cancelStoresNothingElse()
    {
        State->Identity.FeatureBytes[0] = HasPrinter;
        S().ScanMode = 5;
        const auto before = EncodeSettings(S());
        Open();
        Click({"ScanMode16Gray300", "CodelineMicr", "CodelineOcr", "Print", "Jpeg", "SideBack", "Num",
               "DestinationButton", "ClearImage", "DoCheck", "WaitTimeout"});
        Edit("JpegQuality")->setText("60");
        Edit("CodelineBase")->setText("123");
        Button("Cancel")->click();
        QCOMPARE(Dialog->result(), 0);
        QVERIFY(EncodeSettings(S()) == before);
    }

    // ---- through the operator ----

    void runsThroughTheOperator()
    {
        RecordingVnApi api;
        Bench bench{*State, api, *Op};
        S().DocumentCount = 3;
        Op->QueueDialog([](QDialog& d) {
            d.findChild<QAbstractButton*>("AllDocument")->click();
            d.findChild<QAbstractButton*>("OK")->click();
            return d.result();
        });
        QCOMPARE(RunDocumentHandleDialog(bench), 1);
        QCOMPARE(S().DocumentCount, 0);
        QCOMPARE(Op->DialogTitles, std::vector<QString>{"Document Handle"});

        Op->QueueDialog([](QDialog& d) {
            d.findChild<QAbstractButton*>("Cancel")->click();
            return d.result();
        });
        QCOMPARE(RunDocumentHandleDialog(bench), 0);
        QCOMPARE(RunDocumentHandleDialog(bench), 0); // unanswered
    }
};

QTEST_MAIN(TestDocumentHandle)
#include "tst_documenthandle.moc"
