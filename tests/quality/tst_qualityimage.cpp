// "Check Quality Image" on the virtual unit's test documents.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "quality/ImageCalibrationRun.h"
#include "quality/QualityImageDialog.h"
#include "vnapi/VirtualUnitTestApi.h"

namespace {

// A bench on a calibrated virtual unit, in a folder of its own.
struct Rig {
    QTemporaryDir Dir;
    BenchState State;
    VirtualUnitPair Unit;
    ScriptedOperator Op;
    std::unique_ptr<Bench> Session;
    bool Ready = false;

    explicit Rig(const VirtualUnitSetup& setup, bool calibrate = true) : Unit(CreateVirtualUnit(setup))
    {
        QDir(Dir.path()).mkdir("Images");
        State.ProgramFolder = Dir.path().toStdString() + "/";
        Session = std::make_unique<Bench>(Bench{State, *Unit.Api, Op});
        // The image scale is calibrated first, as a technician does.
        Unit.Control.EmptyFeeder();
        Ready = !calibrate || (Unit.Control.LoadDocumentsFromText(
                                   QString("Document = Blank | Length = 150\n").repeated(9).toStdString()) &&
                               bench::RunImageCalibration(*Session, 150, nullptr));
        Unit.Control.EmptyFeeder();
    }
    bool Load(const char* documents) { return Unit.Control.LoadDocumentsFromText(documents); }
    QString Images() const { return Dir.path() + "/Images/"; }
};

void Choose(QualityImageDialog& dialog, const char* band, bool colour)
{
    dialog.findChild<QRadioButton*>(band)->setChecked(true);
    dialog.findChild<QRadioButton*>(colour ? "ScaleColor" : "ScaleGrey")->setChecked(true);
    dialog.findChild<QRadioButton*>("SideFront")->setChecked(true);
}

void Click(QualityImageDialog& dialog, const char* button) { dialog.findChild<QPushButton*>(button)->click(); }

} // namespace

class TestQualityImage : public QObject {
    Q_OBJECT

    // Scans the colour test document and checks it: the message shown.
    QString Check(VirtualUnitSetup setup, bool colour, const char* shot = nullptr,
                  const char* document = "Document = ColourTest\n", bool calibrate = true)
    {
        Rig rig(setup, calibrate);
        if (!rig.Ready || !rig.Load(document))
            return "set-up";
        QualityImageDialog dialog(*rig.Session);
        Choose(dialog, "BandWhite", colour);
        Click(dialog, "ScanButton");
        if (!dialog.findChild<QPushButton*>("SaveFilesButton")->isEnabled())
            return "save not enabled";
        if (shot != nullptr && qEnvironmentVariableIsSet("VARN_SHOT_DIR")) {
            dialog.show();
            QTest::qWait(100);
            dialog.grab().save(qEnvironmentVariable("VARN_SHOT_DIR") + "/" + shot);
        }
        Click(dialog, "CheckButton");
        if (rig.Op.Messages.empty())
            return "no message";
        if (rig.Op.Messages.back().Title != "Varnw demo test")
            return "title " + rig.Op.Messages.back().Title;
        return rig.Op.Messages.back().Text;
    }

    static VirtualUnitSetup Unit(double lampLevel = 1.0, double streakMm = -1.0)
    {
        VirtualUnitSetup setup = TestUnitSetup(3);
        setup.LampLevel = lampLevel;
        setup.StreakMm = streakMm;
        return setup;
    }

private slots:
    void healthyUnitPassesInColourAndGrey()
    {
        QCOMPARE(Check(Unit(), true, "quality-colour.png"), QString("Test Image  OK !"));
        QCOMPARE(Check(Unit(), false, "quality-grey.png"), QString("Test Image  OK !"));
    }
    void weakLampFailsOnTheWhite()
    {
        const QString colour = Check(Unit(0.6), true);
        QVERIFY2(colour.contains("on the WHITE is out of range"), qPrintable(colour));
        const QString grey = Check(Unit(0.6), false);
        QVERIFY2(grey.contains("of light on the WHITE is out of range"), qPrintable(grey));
    }
    void dirtySensorStreakFails()
    {
        const QString grey = Check(Unit(1.0, 5.0), false);
        // A dark line 5 mm above the bottom edge crosses every band: the
        // WHITE band, measured first, shows it as its minimum.
        QVERIFY2(grey.startsWith("Min ") && grey.contains("value of the light on the WHITE is minor the average"),
                 qPrintable(grey));
    }
    void skewedFeedMisplacesTheDragMarks()
    {
        // Fed at an angle, the marks along the base leave their rows.
        const QString grey = Check(Unit(), false, nullptr, "Document = ColourTest | Skew = 1.5\n");
        QVERIFY2(grey.startsWith("Drag document not"), qPrintable(grey));
        // The colour check has no mark test; the tilted edge darkens the white.
        const QString colour = Check(Unit(), true, nullptr, "Document = ColourTest | Skew = 1.5\n");
        QVERIFY2(colour.contains("on the WHITE"), qPrintable(colour));
    }
    void slippingFeedBreaksTheDragMarks()
    {
        // A loose sheet cannot calibrate the scale: the unit is calibrated
        // while healthy and keeps the value in its memory file.
        QTemporaryDir memory;
        VirtualUnitSetup healthy = Unit();
        healthy.MemoryFile = memory.filePath("VarnUnit.mem").toStdString();
        QVERIFY(Rig(healthy).Ready);
        QCOMPARE(Check(healthy, false, nullptr, "Document = ColourTest\n", false), QString("Test Image  OK !"));
        VirtualUnitSetup loose = healthy;
        loose.LooseDocument = true;
        const QString grey = Check(loose, false, nullptr, "Document = ColourTest\n", false);
        QVERIFY2(grey.startsWith("Drag document not"), qPrintable(grey));
    }
    void grayChecksAreSavedNumberedAndReportsAppended()
    {
        Rig rig(Unit());
        QVERIFY(rig.Ready && rig.Load("Document = ColourTest\nDocument = ColourTest\n"));
        const QString home = QDir::currentPath();
        QDir::setCurrent(rig.Dir.path());
        QualityImageDialog dialog(*rig.Session);
        Choose(dialog, "BandRed", false);
        QStringList saved;
        for (int i = 0; i < 2; ++i) {
            Click(dialog, "ScanButton");
            Click(dialog, "CheckButton");
            Click(dialog, "SaveFilesButton");
        }
        saved = QDir(rig.Images()).entryList({"Document_*.bmp"}, QDir::Files, QDir::Name);
        QFile red(rig.Dir.path() + "/Report_Red.txt");
        const bool opened = red.open(QIODevice::ReadOnly);
        const QByteArray report = red.readAll();
        const QStringList reports = QDir(rig.Dir.path()).entryList({"Report_*.txt"}, QDir::Files);
        QDir::setCurrent(home);
        // Each grey check keeps its image, numbered from 1 at the dialog's
        // opening, with the white band's spread and largest step in the name.
        QCOMPARE(saved.size(), 2);
        QVERIFY2(saved[0].startsWith("Document_0001_") && saved[1].startsWith("Document_0002_"),
                 qPrintable(saved.join(' ')));
        QVERIFY(QFile::exists(rig.Images() + "Document.bmp"));
        QCOMPARE(reports.size(), 6);
        QVERIFY(opened);
        QVERIFY2(report.count("\n") > 2, report.constData());
        // The second save appends: the first report's text comes twice.
        const QByteArray head = report.left(40);
        QVERIFY(report.indexOf(head, 1) > 0);
    }
    void loadReadsTheSavedScanFromTheKeptFolderFirst()
    {
        Rig rig(Unit());
        QVERIFY(rig.Ready && rig.Load("Document = ColourTest\n"));
        {
            QualityImageDialog scan(*rig.Session);
            Choose(scan, "BandWhite", true);
            Click(scan, "ScanButton");
        }
        QualityImageDialog dialog(*rig.Session);
        rig.Op.QueueOpenFileName(rig.Images() + "Document.bmp");
        Click(dialog, "LoadButton");
        QCOMPARE(rig.Op.FileDialogs.size(), size_t(1));
        QCOMPARE(rig.Op.FileDialogs[0].StartPath, rig.Dir.path() + "/Images");
        QCOMPARE(rig.Op.FileDialogs[0].Filters, QStringList({"*.BMP (*.bmp)", "ALL (*.*)"}));
        Click(dialog, "CheckButton");
        QVERIFY(!rig.Op.Messages.empty());
        QCOMPARE(rig.Op.Messages.back().Text, QString("Test Image  OK !"));
    }
    void whiteDocumentShowsItsCommonestGrey()
    {
        Rig rig(Unit());
        QVERIFY(rig.Ready && rig.Load("Document = White\n"));
        QualityImageDialog dialog(*rig.Session);
        Choose(dialog, "BandWhite", false);
        Click(dialog, "WhiteButton");
        const QString text = dialog.findChild<QLabel*>("ResultText")->text();
        const QRegularExpression form("^Max grey value  (\\d+),  with  (\\d+)  recurrence$");
        const auto match = form.match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text));
        // White paper under a good lamp: the commonest level is near the top.
        QVERIFY2(match.captured(1).toInt() >= 200, qPrintable(text));
        QVERIFY(match.captured(2).toInt() > 1000);
    }
    void choicesAreKeptInTheSettings()
    {
        Rig rig(Unit());
        {
            QualityImageDialog dialog(*rig.Session);
            dialog.findChild<QRadioButton*>("BandYellow")->setChecked(true);
            dialog.findChild<QRadioButton*>("ScaleGrey")->setChecked(true);
            dialog.findChild<QRadioButton*>("SideBack")->setChecked(true);
            dialog.done(0);
        }
        QCOMPARE(rig.State.Settings.QualityChoice1, uint16_t(1012));
        QCOMPARE(rig.State.Settings.QualityChoice2, uint16_t(1227));
        QCOMPARE(rig.State.Settings.QualityChoice3, uint16_t(1204));
        QualityImageDialog again(*rig.Session);
        QVERIFY(again.findChild<QRadioButton*>("BandYellow")->isChecked());
        QVERIFY(again.findChild<QRadioButton*>("ScaleGrey")->isChecked());
        QVERIFY(again.findChild<QRadioButton*>("SideBack")->isChecked());
    }
};

QTEST_MAIN(TestQualityImage)
#include "tst_qualityimage.moc"
