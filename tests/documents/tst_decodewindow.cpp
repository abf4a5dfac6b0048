// The small dialogs of "Document Handle": the decode window in its three
// variants, the endorsement string and the digital string.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "core/Settings.h"
#include "documents/DecodeWindowDialog.h"
#include "documents/DigitalStringDialog.h"
#include "documents/EndorsementStringDialog.h"

Q_DECLARE_METATYPE(DecodeWindowKind)

namespace {

template <class T = QAbstractButton> T* Find(QDialog& dialog, const QString& name)
{
    T* w = dialog.findChild<T*>(name);
    if (!w)
        qFatal("no control named %s", qPrintable(name));
    return w;
}

QLineEdit* Edit(QDialog& dialog, const QString& name) { return Find<QLineEdit>(dialog, name); }

QStringList WindowTexts(QDialog& dialog)
{
    return {Edit(dialog, "CoordinateX")->text(), Edit(dialog, "CoordinateY")->text(), Edit(dialog, "Width")->text(),
            Edit(dialog, "Height")->text()};
}

void SetWindowTexts(QDialog& dialog, const QStringList& texts)
{
    const char* names[] = {"CoordinateX", "CoordinateY", "Width", "Height"};
    for (int i = 0; i < 4; ++i)
        Edit(dialog, names[i])->setText(texts[i]);
}

struct Window {
    float X, Y, Width, Height;
    bool operator==(const Window&) const = default;
};

Window Stored(const SettingsRecord& s, DecodeWindowKind kind)
{
    switch (kind) {
    case DecodeWindowKind::Ocr:
        return {s.OcrWindowX, s.OcrWindowY, s.OcrWindowWidth, s.OcrWindowHeight};
    case DecodeWindowKind::Barcode:
        return {s.BarcodeWindowX, s.BarcodeWindowY, s.BarcodeWindowWidth, s.BarcodeWindowHeight};
    case DecodeWindowKind::Pdf417:
        break;
    }
    return {s.Pdf417WindowX, s.Pdf417WindowY, s.Pdf417WindowWidth, s.Pdf417WindowHeight};
}

void Store(SettingsRecord& s, DecodeWindowKind kind, const Window& w)
{
    switch (kind) {
    case DecodeWindowKind::Ocr:
        s.OcrWindowX = w.X, s.OcrWindowY = w.Y, s.OcrWindowWidth = w.Width, s.OcrWindowHeight = w.Height;
        return;
    case DecodeWindowKind::Barcode:
        s.BarcodeWindowX = w.X, s.BarcodeWindowY = w.Y, s.BarcodeWindowWidth = w.Width;
        s.BarcodeWindowHeight = w.Height;
        return;
    case DecodeWindowKind::Pdf417:
        s.Pdf417WindowX = w.X, s.Pdf417WindowY = w.Y, s.Pdf417WindowWidth = w.Width, s.Pdf417WindowHeight = w.Height;
        return;
    }
}

char *toString(const Window& w)
{
    return QTest::toString(QStringLiteral("(%1, %2, %3, %4)").arg(w.X).arg(w.Y).arg(w.Width).arg(w.Height));
}

} // namespace

Q_DECLARE_METATYPE(Window)

class TestDecodeWindow : public QObject {
    Q_OBJECT

private slots:
    // ---- decode window ----

    void opening_data()
    {
        QTest::addColumn<DecodeWindowKind>("kind");
        QTest::addColumn<int>("inch");
        QTest::addColumn<Window>("window");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("enabled"); // of Height, Inch, ReadType
        QTest::newRow("OCR in mm") << DecodeWindowKind::Ocr << 0 << Window{6.0f, 4.0f, 150.7f, 3.0f}
                                   << "Parametrer for Ocr Window" << QStringList{"6", "4", "150", "10.50"}
                                   << QStringList{"OCRA", "OCRB", "OCRB AlphaNuMeric", "OCRB Italy", "E13B Optical",
                                                  "E13B Opt X Switch"}
                                   << QStringList{"Inch", "ReadType"};
        QTest::newRow("OCR in inches") << DecodeWindowKind::Ocr << 1 << Window{0.236f, 0.157f, 5.9f, 0.41f}
                                       << "Parametrer for Ocr Window" << QStringList{"0.24", "0.16", "5.90", "10.50"}
                                       << QStringList{"OCRA", "OCRB", "OCRB AlphaNuMeric", "OCRB Italy",
                                                      "E13B Optical", "E13B Opt X Switch"}
                                       << QStringList{"Inch", "ReadType"};
        QTest::newRow("Barcode") << DecodeWindowKind::Barcode << 1 << Window{90.9f, 4.0f, 125.0f, 12.7f}
                                 << "Parametrer for Barcode Window" << QStringList{"90", "4", "125", "12"}
                                 << QStringList{"Barcode 2 of 5", "CODE 39", "CODE 128"}
                                 << QStringList{"Height", "ReadType"};
        QTest::newRow("PDF417") << DecodeWindowKind::Pdf417 << 1 << Window{-5.5f, 0.0f, 60.2f, 9.9f}
                                << "Parametrer for PDF417 Window" << QStringList{"-5", "0", "60", "9"}
                                << QStringList{} << QStringList{"Height"};
    }
    void opening()
    {
        QFETCH(DecodeWindowKind, kind);
        QFETCH(int, inch);
        QFETCH(Window, window);
        QFETCH(QString, title);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, items);
        QFETCH(QStringList, enabled);
        SettingsRecord s = DefaultSettings();
        s.OcrWindowInch = s.BarcodeWindowInch = static_cast<uint16_t>(inch);
        Store(s, kind, window);
        DecodeWindowDialog dialog(s, kind);
        QCOMPARE(dialog.windowTitle(), title);
        QCOMPARE(WindowTexts(dialog), shown);
        QStringList got;
        auto* list = Find<QComboBox>(dialog, "ReadType");
        for (int i = 0; i < list->count(); ++i)
            got << list->itemText(i);
        QCOMPARE(got, items);
        for (const char* name : {"Height", "Inch", "ReadType"})
            QCOMPARE(Find<QWidget>(dialog, name)->isEnabled(), enabled.contains(name));
        const bool inInches = kind == DecodeWindowKind::Ocr && inch;
        QCOMPARE(Find(dialog, "Inch")->isChecked(), inInches);
        QCOMPARE(Find(dialog, "Millimeter")->isChecked(), !inInches);
    }

    void readTypeSelection_data()
    {
        QTest::addColumn<DecodeWindowKind>("kind");
        QTest::addColumn<char>("stored");
        QTest::addColumn<int>("index");
        QTest::addColumn<char>("afterOk");
        QTest::newRow("OCR A") << DecodeWindowKind::Ocr << 'A' << 0 << 'A';
        QTest::newRow("OCR B") << DecodeWindowKind::Ocr << 'B' << 1 << 'B';
        QTest::newRow("OCR C") << DecodeWindowKind::Ocr << 'C' << 2 << 'C';
        QTest::newRow("OCR F") << DecodeWindowKind::Ocr << 'F' << 3 << 'F';
        QTest::newRow("OCR E") << DecodeWindowKind::Ocr << 'E' << 4 << 'E';
        QTest::newRow("OCR X") << DecodeWindowKind::Ocr << 'X' << 5 << 'X';
        QTest::newRow("OCR other") << DecodeWindowKind::Ocr << 'Z' << 2 << 'C';
        QTest::newRow("barcode 2") << DecodeWindowKind::Barcode << '2' << 0 << '2';
        QTest::newRow("barcode 3") << DecodeWindowKind::Barcode << '3' << 1 << '3';
        QTest::newRow("barcode 4") << DecodeWindowKind::Barcode << '4' << 2 << '4';
        QTest::newRow("barcode other") << DecodeWindowKind::Barcode << '9' << 0 << '2';
    }
    void readTypeSelection()
    {
        QFETCH(DecodeWindowKind, kind);
        QFETCH(char, stored);
        QFETCH(int, index);
        QFETCH(char, afterOk);
        SettingsRecord s = DefaultSettings();
        uint8_t& field = kind == DecodeWindowKind::Ocr ? s.OcrReadType : s.BarcodeType;
        field = static_cast<uint8_t>(stored);
        DecodeWindowDialog dialog(s, kind);
        QCOMPARE(Find<QComboBox>(dialog, "ReadType")->currentIndex(), index);
        Find(dialog, "OK")->click();
        QCOMPARE(field, static_cast<uint8_t>(afterOk));
    }

    void chosenReadTypeIsStored()
    {
        SettingsRecord s = DefaultSettings();
        DecodeWindowDialog dialog(s, DecodeWindowKind::Ocr);
        Find<QComboBox>(dialog, "ReadType")->setCurrentIndex(4);
        Find(dialog, "OK")->click();
        QCOMPARE(s.OcrReadType, 'E');
    }

    void okInMillimetres_data()
    {
        QTest::addColumn<DecodeWindowKind>("kind");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<Window>("stored");
        QTest::newRow("OCR leading minus") << DecodeWindowKind::Ocr << QStringList{"-12", "7", "-150", "x"}
                                           << Window{-12, 7, -150, 10.5f};
        QTest::newRow("OCR decimals dropped") << DecodeWindowKind::Ocr << QStringList{"12.9", " 4", "80", "x"}
                                              << Window{12, 4, 80, 10.5f};
        QTest::newRow("OCR unsigned Y") << DecodeWindowKind::Ocr << QStringList{"1", "-3", "a9", "x"}
                                        << Window{1, 0, 0, 10.5f};
        QTest::newRow("barcode reads X and width unsigned")
            << DecodeWindowKind::Barcode << QStringList{"-12", "7", "-150", "12.75"} << Window{0, 7, 0, 12.75f};
        QTest::newRow("barcode") << DecodeWindowKind::Barcode << QStringList{"95", "5", "110", "13"}
                                 << Window{95, 5, 110, 13};
        QTest::newRow("PDF417 leading minus") << DecodeWindowKind::Pdf417 << QStringList{"-7", "-3", "-33", "9.5"}
                                              << Window{-7, 0, -33, 9.5f};
        QTest::newRow("not numbers") << DecodeWindowKind::Pdf417 << QStringList{"", "abc", "-", "z"}
                                     << Window{0, 0, 0, 0};
    }
    void okInMillimetres()
    {
        QFETCH(DecodeWindowKind, kind);
        QFETCH(QStringList, typed);
        QFETCH(Window, stored);
        SettingsRecord s = DefaultSettings();
        s.BarcodeWindowInch = 1; // the barcode variant always stores millimetres
        s.OcrWindowHeight = 3.0f;
        DecodeWindowDialog dialog(s, kind);
        // The disabled OCR height edit is set too: OK still reads it.
        SetWindowTexts(dialog, kind == DecodeWindowKind::Ocr ? typed.mid(0, 3) << "10.50" : typed);
        Find(dialog, "OK")->click();
        QCOMPARE(dialog.result(), 1);
        QCOMPARE(Stored(s, kind), stored);
        QCOMPARE(s.OcrWindowInch, 0);
        QCOMPARE(s.BarcodeWindowInch, kind == DecodeWindowKind::Barcode ? 0 : 1);
    }

    void ocrHeightIsAlways10_5()
    {
        SettingsRecord s = DefaultSettings();
        s.OcrWindowHeight = 3.0f;
        s.OcrWindowInch = 1;
        DecodeWindowDialog dialog(s, DecodeWindowKind::Ocr);
        Find(dialog, "OK")->click();
        QCOMPARE(s.OcrWindowHeight, 10.5f);
        QCOMPARE(s.OcrWindowInch, 1);
    }

    void unitSwitchConverts_data()
    {
        QTest::addColumn<QStringList>("millimetres");
        QTest::addColumn<QStringList>("inches");
        QTest::addColumn<QStringList>("back");
        QTest::newRow("whole numbers") << QStringList{"254", "4", "-127", "10.50"}
                                       << QStringList{"10.00", "0.16", "-5.00", "0.39"}
                                       << QStringList{"254", "4", "-127", "9"};
        QTest::newRow("decimals are cut before dividing") << QStringList{"25.9", "x", "50", "1"}
                                                          << QStringList{"0.98", "0.00", "1.97", "0.04"}
                                                          << QStringList{"24", "0", "50", "1"};
    }
    void unitSwitchConverts()
    {
        QFETCH(QStringList, millimetres);
        QFETCH(QStringList, inches);
        QFETCH(QStringList, back);
        SettingsRecord s = DefaultSettings();
        DecodeWindowDialog dialog(s, DecodeWindowKind::Ocr);
        SetWindowTexts(dialog, millimetres);
        Find(dialog, "Inch")->click();
        QCOMPARE(WindowTexts(dialog), inches);
        Find(dialog, "Inch")->click(); // already in inches
        QCOMPARE(WindowTexts(dialog), inches);
        Find(dialog, "Millimeter")->click();
        QCOMPARE(WindowTexts(dialog), back);
    }

    void okInInchesStoresDecimals()
    {
        SettingsRecord s = DefaultSettings();
        DecodeWindowDialog dialog(s, DecodeWindowKind::Ocr);
        SetWindowTexts(dialog, {"254", "4", "-127", "10.50"});
        Find(dialog, "Inch")->click();
        Find(dialog, "OK")->click();
        QCOMPARE(s.OcrWindowInch, 1);
        QCOMPARE(Stored(s, DecodeWindowKind::Ocr), (Window{10.0f, 0.16f, -5.0f, 0.39f}));

        // Switched there and back: the height is the converted one.
        DecodeWindowDialog again(s, DecodeWindowKind::Ocr);
        Find(again, "Millimeter")->click();
        Find(again, "OK")->click();
        QCOMPARE(s.OcrWindowInch, 0);
        QCOMPARE(s.OcrWindowHeight, 266.0f); // the opening "10.50" taken as inches
    }

    void onlyOkCloses()
    {
        SettingsRecord s = DefaultSettings();
        const auto before = EncodeSettings(s);
        DecodeWindowDialog dialog(s, DecodeWindowKind::Barcode);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        dialog.close();
        QVERIFY(dialog.isVisible());
        QVERIFY(EncodeSettings(s) == before);
        Find(dialog, "OK")->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), 1);
    }

    // ---- "Endorsement String" ----

    void endorsementString()
    {
        CharField<200> field{};
        SetText(field, "OLD");
        {
            EndorsementStringDialog dialog(field);
            QCOMPARE(dialog.windowTitle(), QString("Endorsement String"));
            QCOMPARE(Edit(dialog, "PrintString")->text(), QString("OLD"));
            Edit(dialog, "PrintString")->setText("NEW");
            Find(dialog, "Cancel")->click();
            QCOMPARE(GetText(field), std::string("OLD"));
        }
        {
            EndorsementStringDialog dialog(field);
            Edit(dialog, "PrintString")->setText(QString(250, 'x'));
            Find(dialog, "OK")->click();
            QCOMPARE(GetText(field), std::string(199, 'x'));
            QCOMPARE(field[199], '\0');
        }
    }

    // ---- "Digital String" ----

    void digitalStringOpening()
    {
        SettingsRecord s = DefaultSettings();
        s.DigitalX = 10.0f;
        s.DigitalY = 21.456f;
        s.DigitalInch = 1;
        s.DigitalItalic = 1;
        s.DigitalGrayTone = 40;
        DigitalStringDialog dialog(s);
        QCOMPARE(dialog.windowTitle(), QString("Digital String"));
        QCOMPARE(Edit(dialog, "PrintString")->text(), QString("Digital string"));
        QCOMPARE(Edit(dialog, "CoordinateX")->text(), QString("10.00"));
        QCOMPARE(Edit(dialog, "CoordinateY")->text(), QString("21.46"));
        QCOMPARE(Edit(dialog, "FontName")->text(), QString("Arial"));
        QCOMPARE(Edit(dialog, "FontName")->maxLength(), 119);
        QCOMPARE(Edit(dialog, "GrayTone")->text(), QString("40"));
        QCOMPARE(Edit(dialog, "FontSize")->text(), QString("20"));
        QVERIFY(Find(dialog, "Inch")->isChecked());
        QVERIFY(Find(dialog, "Italic")->isChecked());
        QVERIFY(!Find(dialog, "Bold")->isChecked());
    }

    void digitalStringOkStoresAll()
    {
        SettingsRecord s = DefaultSettings();
        DigitalStringDialog dialog(s);
        Edit(dialog, "PrintString")->setText("VOID");
        Find(dialog, "Inch")->click();
        Edit(dialog, "CoordinateX")->setText("12.75");
        Edit(dialog, "CoordinateY")->setText("-3.9");
        Edit(dialog, "FontName")->setText("DejaVu Sans");
        for (const char* name : {"Bold", "Italic", "Underline"})
            Find(dialog, name)->click();
        Edit(dialog, "GrayTone")->setText("128");
        Edit(dialog, "FontSize")->setText("14pt");
        Find(dialog, "OK")->click();
        QCOMPARE(GetText(s.DigitalString), std::string("VOID"));
        QCOMPARE(s.DigitalInch, 1);
        QCOMPARE(s.DigitalX, 12.0f); // read back whole
        QCOMPARE(s.DigitalY, -3.0f);
        QCOMPARE(GetText(s.DigitalFontName), std::string("DejaVu Sans"));
        QCOMPARE(s.DigitalBold + s.DigitalItalic + s.DigitalUnderline, 3u);
        QCOMPARE(s.DigitalGrayTone, 128);
        QCOMPARE(s.DigitalFontSize, 14);
    }

    void digitalStringCancelStoresNone()
    {
        SettingsRecord s = DefaultSettings();
        const auto before = EncodeSettings(s);
        DigitalStringDialog dialog(s);
        Edit(dialog, "PrintString")->setText("VOID");
        Find(dialog, "Inch")->click();
        Find(dialog, "Bold")->click();
        Edit(dialog, "CoordinateX")->setText("99");
        Find(dialog, "Cancel")->click();
        QCOMPARE(dialog.result(), 0);
        QVERIFY(EncodeSettings(s) == before);
    }
};

QTEST_MAIN(TestDecodeWindow)
#include "tst_decodewindow.moc"
