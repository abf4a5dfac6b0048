// "Release Document": opening on the release settings, the eject choice that
// stores at once, "&Sort" and the lack of any other way out.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "documents/ReleaseDocumentDialog.h"

namespace {

constexpr uint8_t HasPrinter = 8;
const QStringList SideRadios{"SideAll", "SideFront", "SideBack", "SideNone"};
const QStringList SortControls{"SideAll", "SideFront", "SideBack", "SideNone", "FrontStamp", "Print"};

} // namespace

class TestReleaseDocument : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<BenchState> State;
    std::unique_ptr<ScriptedOperator> Op;
    std::unique_ptr<ReleaseDocumentDialog> Dialog;

    SettingsRecord& S() { return State->Settings; }
    void Open() { Dialog = std::make_unique<ReleaseDocumentDialog>(*State, *Op); }
    QAbstractButton* Button(const QString& name)
    {
        auto* b = Dialog->findChild<QAbstractButton*>(name);
        if (!b)
            qFatal("no control named %s", qPrintable(name));
        return b;
    }
    QString CheckedSide()
    {
        for (const QString& name : SideRadios)
            if (Button(name)->isChecked())
                return name;
        return {};
    }

private slots:
    void init()
    {
        State = std::make_unique<BenchState>();
        Op = std::make_unique<ScriptedOperator>();
    }
    void cleanup() { Dialog.reset(); }

    void opening_data()
    {
        QTest::addColumn<char>("side");
        QTest::addColumn<int>("print");
        QTest::addColumn<int>("stamp");
        QTest::addColumn<bool>("printer");
        QTest::addColumn<QString>("radio");
        QTest::newRow("all, printer") << 'X' << 1 << 1 << true << "SideAll";
        QTest::newRow("front") << 'F' << 0 << 0 << false << "SideFront";
        QTest::newRow("back, print 2 is not 1") << 'B' << 2 << 2 << true << "SideBack";
        QTest::newRow("none") << 'N' << 1 << 0 << false << "SideNone";
        QTest::newRow("unknown side") << 'Q' << 0 << 1 << true << "";
    }
    void opening()
    {
        QFETCH(char, side);
        QFETCH(int, print);
        QFETCH(int, stamp);
        QFETCH(bool, printer);
        QFETCH(QString, radio);
        State->Identity.FeatureBytes[0] = printer ? HasPrinter : 0;
        S().ReleaseSide = static_cast<uint8_t>(side);
        S().ReleasePrint = static_cast<uint16_t>(print);
        S().ReleaseFrontStamp = static_cast<uint16_t>(stamp);
        S().ReleaseBold = 1;
        S().ReleaseSortMode = 1;
        Open();
        QCOMPARE(Dialog->windowTitle(), QString("Release Document"));
        QCOMPARE(CheckedSide(), radio);
        QCOMPARE(Button("Print")->isChecked(), print == 1);
        QCOMPARE(Button("FrontStamp")->isChecked(), stamp == 1);
        QCOMPARE(Button("EndorsementButton")->isEnabled(), printer);
        QVERIFY(Button("Bold")->isChecked());
        QVERIFY(!Button("Bold")->isEnabled());
        QVERIFY(!Button("EjectDocument")->isChecked());
        for (const QString& name : SortControls)
            QVERIFY2(Button(name)->isEnabled(), qPrintable(name));
    }

    void openingInEjectMode()
    {
        State->Identity.FeatureBytes[0] = HasPrinter;
        S().ReleaseSortMode = 5;
        S().ReleaseSide = 'F';
        Open();
        QVERIFY(Button("EjectDocument")->isChecked());
        QCOMPARE(CheckedSide(), QString("SideNone"));
        for (const QString& name : SortControls)
            QVERIFY2(!Button(name)->isEnabled(), qPrintable(name));
        QVERIFY(!Button("EndorsementButton")->isEnabled());
        QVERIFY(!Button("Bold")->isEnabled());
    }

    void ejectStoresAtOnce()
    {
        State->Identity.FeatureBytes[0] = HasPrinter;
        S().ReleaseSortMode = 1;
        S().ReleaseSide = 'F';
        Open();
        Button("EjectDocument")->click();
        QCOMPARE(S().ReleaseSortMode, 5);
        QCOMPARE(CheckedSide(), QString("SideNone"));
        for (const QString& name : SortControls)
            QVERIFY2(!Button(name)->isEnabled(), qPrintable(name));
        QVERIFY(!Button("EndorsementButton")->isEnabled());
        QCOMPARE(S().ReleaseSide, 'F'); // the side waits for "&Sort"

        Button("EjectDocument")->click();
        QCOMPARE(S().ReleaseSortMode, 1);
        for (const QString& name : SortControls)
            QVERIFY2(Button(name)->isEnabled(), qPrintable(name));
        QVERIFY(Button("EndorsementButton")->isEnabled());
        QCOMPARE(CheckedSide(), QString("SideNone"));
    }

    void sortStores_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<char>("side");
        QTest::addColumn<int>("print");
        QTest::addColumn<int>("stamp");
        QTest::addColumn<int>("sortMode");
        QTest::newRow("as opened") << QStringList{} << 'X' << 0 << 0 << 1;
        QTest::newRow("back, print, stamp") << QStringList{"SideBack", "Print", "FrontStamp"} << 'B' << 1 << 1 << 1;
        QTest::newRow("front") << QStringList{"SideFront"} << 'F' << 0 << 0 << 1;
        QTest::newRow("none") << QStringList{"SideNone", "FrontStamp"} << 'N' << 0 << 1 << 1;
        QTest::newRow("eject") << QStringList{"SideBack", "EjectDocument"} << 'N' << 0 << 0 << 5;
        QTest::newRow("eject and back") << QStringList{"EjectDocument", "EjectDocument", "SideFront"} << 'F' << 0 << 0
                                        << 1;
    }
    void sortStores()
    {
        QFETCH(QStringList, clicks);
        QFETCH(char, side);
        QFETCH(int, print);
        QFETCH(int, stamp);
        QFETCH(int, sortMode);
        State->Identity.FeatureBytes[0] = HasPrinter;
        S().ReleaseSide = 'X';
        S().ReleaseSortMode = 1;
        Open();
        for (const QString& name : clicks)
            Button(name)->click();
        Button("Sort")->click();
        QCOMPARE(Dialog->result(), 1);
        QCOMPARE(S().ReleaseSide, static_cast<uint8_t>(side));
        QCOMPARE(S().ReleasePrint, print);
        QCOMPARE(S().ReleaseFrontStamp, stamp);
        QCOMPARE(S().ReleaseSortMode, sortMode);
        QCOMPARE(S().ReleaseBold, 0u);
    }

    void sortKeepsAnUnknownSide()
    {
        S().ReleaseSide = 'Q';
        S().ReleaseBold = 1;
        Open();
        Button("Sort")->click();
        QCOMPARE(S().ReleaseSide, 'Q');
        QCOMPARE(S().ReleaseBold, 1u);
    }

    void escapeAndCloseDoNothing()
    {
        S().ReleaseSortMode = 1;
        Open();
        Dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(Dialog.get()));
        QTest::keyClick(Dialog.get(), Qt::Key_Escape);
        QVERIFY(Dialog->isVisible());
        QVERIFY(!Dialog->close());
        QVERIFY(Dialog->isVisible());
        Button("Sort")->click();
        QVERIFY(!Dialog->isVisible());
        QCOMPARE(Dialog->result(), 1);
    }

    void endorsementEditsTheReleaseString()
    {
        State->Identity.FeatureBytes[0] = HasPrinter;
        SetText(S().EndorseString, "RUN");
        Open();
        Op->QueueDialog([](QDialog& d) {
            d.findChild<QLineEdit*>("PrintString")->setText("RELEASED");
            d.findChild<QPushButton*>("OK")->click();
            return d.result();
        });
        Button("EndorsementButton")->click();
        QCOMPARE(Op->DialogTitles, std::vector<QString>{"Endorsement String"});
        QCOMPARE(GetText(S().ReleaseString), std::string("RELEASED"));
        QCOMPARE(GetText(S().EndorseString), std::string("RUN"));
    }

    void runsThroughTheOperator()
    {
        RecordingVnApi api;
        Bench bench{*State, api, *Op};
        S().ReleaseSortMode = 1;
        Op->QueueDialog([](QDialog& d) {
            d.findChild<QAbstractButton*>("EjectDocument")->click();
            d.findChild<QAbstractButton*>("Sort")->click();
            return d.result();
        });
        RunReleaseDocumentDialog(bench);
        QCOMPARE(Op->DialogTitles, std::vector<QString>{"Release Document"});
        QCOMPARE(S().ReleaseSortMode, 5);
        QCOMPARE(S().ReleaseSide, 'N');
    }
};

QTEST_MAIN(TestReleaseDocument)
#include "tst_releasedocument.moc"
