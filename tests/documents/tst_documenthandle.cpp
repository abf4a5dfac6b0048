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
#include "documents/DocumentHandleChoices.h"
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

    // The rules live in DocumentHandleChoices; the widgets must show its state
    // after every click and OK must store what it stores.
    void widgetsMirrorTheChoices()
    {
        using C = HandleControl;
        State->Identity.FeatureBytes[0] = HasPrinter | CanScanCards;
        S().ScanMode = 5;
        S().SaveCodelineOnFile = 0;
        S().ResetCodelineFile = 1;
        SettingsRecord copy = S();
        DocumentHandleChoices choices(copy, true, true);
        Open();
        const std::vector<C> clicks{
            C::ScanMode256Gray100, C::ScanMode16Gray300, C::Micr, C::E13bMicrOcr, C::Barcode, C::BarcodeView,
            C::Pdf417, C::Barcode, C::Pdf417, C::Ocr, C::SideNone, C::Ocr, C::OcrView, C::Print, C::Print15,
            C::Bold, C::ScanCard, C::ScanCard, C::ClearImage, C::AlignImage, C::Jpeg, C::Tiff,
            C::TiffTypeCcittGr4, C::Bmp, C::Num, C::AllDocument, C::Num, C::Destination, C::SaveOnFile,
            C::ResetFile, C::DoCheck, C::WaitTimeout, C::FrontStamp, C::BeepOnError, C::SideBack};
        auto compare = [&](const char* after) {
            for (int i = 0; i < HandleControlCount; ++i) {
                const auto c = static_cast<C>(i);
                const QString what = QString("%1 after %2").arg(ControlInfo(c).Name, after);
                if (c == C::OpticalDisplay || c == C::PrintGroup)
                    continue;
                QWidget* w = Find<QWidget>(ControlInfo(c).Name);
                QVERIFY2(w->isEnabled() == choices.Usable(c), qPrintable(what));
                if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->isCheckable())
                    QVERIFY2(b->isChecked() == choices[c].Checked, qPrintable(what));
            }
            QCOMPARE(Find<QLabel>("JpegQualityLabel")->isEnabled(), choices[C::JpegQuality].Enabled);
            QCOMPARE(Edit("WindowX")->isEnabled(), choices[C::OpticalDisplay].Enabled);
            QCOMPARE(Find<QGroupBox>("OpticalWindowsGroup")->title(), choices.Optical.Title);
            QCOMPARE(Edit("WindowX")->text(), choices.Optical.X);
            QCOMPARE(Edit("WindowReadType")->text(), choices.Optical.ReadType);
            QCOMPARE(Button("PrintSideButton")->text(), choices.PrintSideLabel);
            QCOMPARE(Button("DestinationButton")->text(), choices.DestinationLabel);
            QCOMPARE(Edit("DocumentCount")->text(), choices.DocumentCount);
            QCOMPARE(Edit("JpegQuality")->text(), choices.JpegQuality);
        };
        compare("opening");
        for (C c : clicks) {
            Button(ControlInfo(c).Name)->click();
            choices.Click(c);
            compare(ControlInfo(c).Name);
        }
        Edit("DocumentCount")->setText("70000");
        choices.EditDocumentCount("70000");
        compare("a count past the field");
        Ok();
        choices.Store();
        QVERIFY(EncodeSettings(S()) == EncodeSettings(copy));
        QCOMPARE(S().DocumentCount, 65535);
    }

    void printGroupLayout()
    {
        State->Identity.FeatureBytes[0] = HasPrinter;
        Open();
        // Laid out out of the operator's reach.
        QVERIFY(Button("EndorsementButton")->isEnabled());
        QVERIFY(Button("High")->isHidden());
        QVERIFY(!Button("DigitalStringButton")->isEnabled());
        QVERIFY(!Button("PrintSideButton")->isEnabled());
    }

    // A 1366 x 768 screen with a task bar leaves about 1366 x 728 with the
    // window's frame.
    void fitsASmallScreen()
    {
        Open();
        const QSize size = Dialog->sizeHint();
        QVERIFY2(size.width() <= 1340 && size.height() <= 700,
                 qPrintable(QString("%1 x %2").arg(size.width()).arg(size.height())));
    }

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
