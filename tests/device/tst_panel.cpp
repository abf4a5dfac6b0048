// The virtual unit's panel driven as a person would: what it changes is what
// the unit does next, and what the bench asks of the unit shows on it.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "app/Application.h"
#include "app/FrameWindow.h"
#include "core/BenchState.h"
#include "device/VirtualUnitWindow.h"
#include "documents/AutoDocRun.h"
#include "maintenance/DeviceTestRun.h"
#include "vnapi/VirtualUnitTestApi.h"

class TestPanel : public QObject {
    Q_OBJECT

    QTemporaryDir Dir;
    std::unique_ptr<VirtualUnitPair> Unit;
    std::unique_ptr<VirtualUnitWindow> Panel;
    std::unique_ptr<BenchState> StatePtr;
    std::unique_ptr<ScriptedOperator> OpPtr;

    template <class T> T* Find(const char* name) const
    {
        T* w = Panel->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    void Click(const char* name) { Find<QPushButton>(name)->click(); }
    Bench MakeBench() { return Bench{*StatePtr, *Unit->Api, *OpPtr}; }

private slots:
    void init()
    {
        Unit = std::make_unique<VirtualUnitPair>(CreateVirtualUnit(TestUnitSetup(5)));
        Panel = std::make_unique<VirtualUnitWindow>(Unit->Control, nullptr);
        StatePtr = std::make_unique<BenchState>();
        StatePtr->ProgramFolder = Dir.path().toStdString() + "/";
        OpPtr = std::make_unique<ScriptedOperator>();
    }
    void cleanup()
    {
        Panel.reset();
        Unit.reset();
    }

    void theTestItemOpensOnePanelOnlyForTheVirtualUnit()
    {
        FrameWindow frame(*StatePtr, *Unit->Api, OpPtr.get(), MenuMode::Service);
        AttachVirtualUnitPanel(frame, *Unit->Api, false);
        QVERIFY(frame.ActionFor(40103)->isVisible());
        QVERIFY(frame.findChildren<VirtualUnitWindow*>().isEmpty());
        frame.OnFrameCommand(40103);
        frame.OnFrameCommand(40103);
        QCOMPARE(frame.findChildren<VirtualUnitWindow*>().size(), 1);
        QVERIFY(frame.findChild<VirtualUnitWindow*>()->isVisible());
        QVERIFY(OpPtr->Messages.empty());

        RecordingVnApi other;
        FrameWindow plain(*StatePtr, other, OpPtr.get(), MenuMode::Service);
        AttachVirtualUnitPanel(plain, other, true);
        QVERIFY(!plain.ActionFor(40103)->isVisible());
        QVERIFY(plain.findChildren<VirtualUnitWindow*>().isEmpty());
    }

    void anAddedCalibrationDocumentIsTheNextFed()
    {
        Click("ClearFeeder");
        auto* kind = Find<QComboBox>("AddKind");
        kind->setCurrentIndex(kind->findData("E13bCalibration"));
        Click("AddDocuments");
        Click("AddDocuments");
        QCOMPARE(Find<QTreeWidget>("FeederList")->topLevelItemCount(), 2);
        QCOMPARE(Find<QTreeWidget>("FeederList")->topLevelItem(0)->text(1), QString("E13bCalibration"));

        uint16_t handle = 0;
        QCOMPARE(Unit->Api->VnConnect(nullptr, nullptr, 40, &handle), 0);
        QCOMPARE(Unit->Api->Varn_DocHandle(handle, nullptr, 0, 0, 0, 'N', 5, 0, 1, 'G', 0, nullptr, 0, 0), 0);
        Panel->Refresh();
        QCOMPARE(Panel->Shown().Sorted.Count, 1u);
        QCOMPARE(Panel->Shown().Sorted.Last->Kind, std::string("E13bCalibration"));
        QCOMPARE(Find<QTreeWidget>("FeederList")->topLevelItemCount(), 1);
    }

    void aJamArmedOnTheThirdDocumentStopsTheAutomaticRunThere()
    {
        Find<QSpinBox>("FaultOrdinal")->setValue(3);
        auto* kind = Find<QComboBox>("FaultKind");
        kind->setCurrentIndex(kind->findData(int(DocumentFaultKind::Jam)));
        Click("ArmDocumentFault");
        StatePtr->Settings.DocumentCount = 0;
        StatePtr->Settings.DocDestination = 1;
        StatePtr->ViewImageOption = 0;
        Bench bench = MakeBench();
        // The command's connection, as the dispatcher opens it.
        QCOMPARE(Unit->Api->VnConnect(nullptr, nullptr, 40, &StatePtr->UnitHandle), 0);
        QCOMPARE(RunAutoDocHandle(bench), -7);
        QCOMPARE(OpPtr->Messages.size(), size_t(1));
        QVERIFY2(OpPtr->Messages[0].Text.contains("Document jammed."), qPrintable(OpPtr->Messages[0].Text));
        Panel->Refresh();
        QVERIFY(Panel->Shown().Jammed);
        QCOMPARE(Panel->Shown().Sorted.Count, 2u);
        QCOMPARE(Find<QLabel>("InPath")->text().endsWith("(stuck)"), true);
    }

    void aSwipedBadgeIsWhatTheNextReadReturns()
    {
        Find<QLineEdit>("Track1")->setText("B123^DOE");
        Find<QLineEdit>("Track2")->setText("4567=89");
        Find<QLineEdit>("Track3")->setText("");
        Click("SwipeBadge");
        uint16_t handle = 0;
        QCOMPARE(Unit->Api->VnConnect(nullptr, nullptr, 40, &handle), 0);
        char data[128] = {};
        uint16_t length = sizeof data;
        QCOMPARE(Unit->Api->Varn_ReadBadge(handle, nullptr, 32 | 64 | 128, sizeof data, data, &length), 0);
        QCOMPARE(QByteArray(data, length), QByteArray("B123^DOEt4567=89t"));
    }

    void theLedTestLightsThePanelsLedInTheColourChosen_data()
    {
        QTest::addColumn<uint16_t>("colour");
        QTest::addColumn<QString>("name");
        QTest::newRow("green") << uint16_t(0) << "Green";
        QTest::newRow("amber") << uint16_t(2) << "Amber";
    }
    void theLedTestLightsThePanelsLedInTheColourChosen()
    {
        QFETCH(uint16_t, colour);
        QFETCH(QString, name);
        QCOMPARE(Panel->LedColourName(), QString());
        QVERIFY(!Find<PanelLamp>("LedLamp")->Lit());
        StatePtr->Settings.LedColor = colour;
        Bench bench = MakeBench();
        TestLed(bench);
        QVERIFY(OpPtr->Messages.empty());
        Panel->Refresh();
        QCOMPARE(Panel->LedColourName(), name);
        QVERIFY(Find<PanelLamp>("LedLamp")->Lit());
        QVERIFY(Find<QLabel>("LedText")->text().startsWith("LED: " + name));
    }
};

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
