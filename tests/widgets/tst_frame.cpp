// The frame: its title, its menu bar against the resource, the dispatcher's
// rules, the popups' states and the accelerators.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "app/BenchState.h"
#include "app/FrameWindow.h"
#include "app/MenuTable.h"
#include "views/ChildCommands.h"

namespace {

// A child that records what the frame passes on.
class FakeChild : public QWidget, public ChildCommandTarget {
public:
    bool OnChildCommand(int id) override
    {
        Received.push_back(id);
        return true;
    }
    bool IsFitToWindow() const override { return Fit; }
    int ZoomPercent() const override { return Zoom; }
    std::vector<int> Received;
    bool Fit = false;
    int Zoom = 100;
};

// Each popup's items in order as "text|id|greyed", "-" for a separator and
// ">text" ... "<" around a sub-popup.
void Flatten(QMenu* menu, QStringList& out)
{
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            out << "-";
        } else if (action->menu()) {
            out << ">" + action->text() + (action->isEnabled() ? "" : "|G");
            Flatten(action->menu(), out);
            out << "<";
        } else {
            out << QStringLiteral("%1|%2%3").arg(action->text()).arg(action->data().toInt()).arg(action->isEnabled() ? "" : "|G");
        }
    }
}

} // namespace

class TestFrame : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        State = std::make_unique<BenchState>();
        Api = std::make_unique<RecordingVnApi>();
        Op = std::make_unique<ScriptedOperator>();
        Frame = std::make_unique<FrameWindow>(*State, *Api, Op.get());
    }
    void cleanup() { Frame.reset(); }

    void titleAndWindowClasses()
    {
        QCOMPARE(Frame->windowTitle(), QString("Varn demo test USB / IP Box  -  Ver. 1.04"));
        QCOMPARE(Frame->objectName(), QString("VarnFRAME"));
        QVERIFY(Frame->MdiClient());
        QCOMPARE(Frame->centralWidget(), Frame->MdiClient());
    }

    void menuBarMatchesTheResource()
    {
        QStringList tops;
        for (QAction* a : Frame->menuBar()->actions())
            tops << a->text();
        QCOMPARE(tops, QStringList({"&File", "&View", "&Document Handle", "&Setting", "&Unit Type", "&Options",
                                    "&Window", "&Help"}));
        // Popups are updated when shown: force the initial state with no child.
        QStringList items;
        for (int i = 0; i < 8; ++i) {
            items << "[" + tops[i] + "]";
            Flatten(Frame->PopupAt(i), items);
        }
        const QStringList expected = {
            "[&File]", "&Open File...|40006", "&Save File...|40007|G", "-", "&Print|40012|G", "-", "E&xit|40008",
            "[&View]", "&Normal|40009|G", "&Zoom...|40010|G", "&Fit Image To Window|40011|G", "-",
            "Peripheral &Configuration\tF1|40019", "Peripheral &Status\tF2|40033", "&Unit Monitoring\tF3|40047",
            "[&Document Handle]", "Read &One Doc.|40002", "&Manual ...\tF5|40005", "&Repeat manual\tF6|40026",
            "Read &Badge|40060", "-", ">Re&set Peripheral", "&Error|40076", "&Free Path\tF4|40035", "<", "-",
            "&Convert to BW|40064", "R&ead Single Color|40067", "Reload &Image|40021", "&Brightness Image|40040",
            "&Contrast Image|40041", "C&ut Image|40042", "-", "Interface &Test|40003",
            "[&Setting]", ">&Sensors Calibration", "&Path|40038|G", "<", "&Peripheral Setup|40058|G",
            "&Scanner Calibration|40055|G", ">Read E&13B Signal", ">&View Signal", "&Gray|40070", "&Color|40071", "<",
            ">&Check Speed Doc.", "&Gray|40072", "&Color|40073", "<", "Calibration &MICR|40022|G",
            "&Save Signal on Error|40068", "<", "&Image Calibration|40050|G", "Set &Serial Number|40018|G", "-",
            "Eth Connetion Setup|40077",
            "[&Unit Type]", "&USB Unit|40102", "Vn with &IP Box|40087",
            "[&Options]", "Varn with &IP Box|40087", "&Fit Image in window|40023", "View &Image|40027",
            "View &Codeline|40024", "View &OCR Rectangle|40065", "Stop on &Error in Codeline|40039", "-",
            "Test &Beep && LED|40044", "&Dump Periph. Memory|40037", "&Sensors Value|40020",
            "Handle &EEPROM|40043|G", "Test &Belt|40097",
            "[&Window]", "&Cascade\tShift+F5|40013", "&Tile\tShift+F4|40014", "Arrange &Icons|40015",
            "Close &All|40016",
            "[&Help]", "&Guide|40025|G", "&About...|40017",
        };
        QCOMPARE(items, expected);
    }

    void eightItemsAreGreyed()
    {
        for (int id : {40038, 40058, 40055, 40022, 40050, 40018, 40043, 40025}) {
            QAction* action = Frame->ActionFor(id);
            QVERIFY2(action && !action->isEnabled(), qPrintable(QString::number(id)));
        }
    }

    void optionFlagsToggleAndShowTheirChecks()
    {
        QCOMPARE(State->FitImageOption, 1);
        Frame->OnFrameCommand(Cmd::FitImageOption);
        Frame->OnFrameCommand(Cmd::ViewOcrRectangle);
        Frame->OnFrameCommand(Cmd::StopOnError);
        Frame->OnFrameCommand(Cmd::StopOnError);
        QCOMPARE(State->FitImageOption, 0);
        QCOMPARE(State->ViewOcrRectOption, 1);
        QCOMPARE(State->StopOnCodelineError, 0);
        Frame->UpdatePopup(5);
        QVERIFY(!Frame->ActionFor(Cmd::FitImageOption)->isChecked());
        QVERIFY(Frame->ActionFor(Cmd::ViewOcrRectangle)->isChecked());
        QVERIFY(Frame->ActionFor(Cmd::ViewImage)->isChecked());
        QVERIFY(Frame->ActionFor(Cmd::ViewCodeline)->isChecked());
        QVERIFY(!Frame->ActionFor(Cmd::StopOnError)->isChecked());
    }

    void unitTypeSetsConnectionAndChecks()
    {
        Frame->OnFrameCommand(Cmd::IpBoxUnit);
        QCOMPARE(State->UnitType, 1);
        QCOMPARE(State->ConnectionType, uint16_t(39));
        Frame->UpdatePopup(4);
        const auto unitItems = Frame->PopupAt(4)->actions();
        QVERIFY(!unitItems[0]->isChecked());
        QVERIFY(unitItems[1]->isChecked());
        Frame->OnFrameCommand(Cmd::UsbUnit);
        QCOMPARE(State->UnitType, 0);
        QCOMPARE(State->ConnectionType, uint16_t(40));
        Frame->UpdatePopup(4);
        QVERIFY(unitItems[0]->isChecked());
        QVERIFY(!unitItems[1]->isChecked());
    }

    void usbOnlyCommandsRefuseTheNetworkBox()
    {
        bool ran = false;
        Frame->Commands().Add(Cmd::DumpMemory, [&](Bench&) { ran = true; });
        Frame->OnFrameCommand(Cmd::IpBoxUnit);
        Frame->OnFrameCommand(Cmd::DumpMemory);
        QVERIFY(!ran);
        QCOMPARE(Op->Messages.size(), size_t(1));
        QCOMPARE(Op->Messages[0].Title, QString("Varnw demo test"));
        QCOMPARE(Op->Messages[0].Text, QString("Feature NOT yet implemented !"));
        QCOMPARE(Op->Messages[0].Icon, MessageIcon::Information);
        // Unrouted USB-only commands answer the same.
        Frame->OnFrameCommand(Cmd::TestBelt);
        QCOMPARE(Op->Messages.size(), size_t(2));

        Frame->OnFrameCommand(Cmd::UsbUnit);
        Frame->OnFrameCommand(Cmd::DumpMemory);
        QVERIFY(ran);
        QCOMPARE(Op->Messages.size(), size_t(2));
    }

    void serialNumberAnswersOnlyTheNetworkBox()
    {
        Frame->OnFrameCommand(Cmd::SetSerialNumber);
        QVERIFY(Op->Messages.empty());
        Frame->OnFrameCommand(Cmd::IpBoxUnit);
        Frame->OnFrameCommand(Cmd::SetSerialNumber);
        QCOMPARE(Op->Messages.size(), size_t(1));
        QCOMPARE(Op->Messages[0].Text, QString("Feature NOT yet implemented !"));
    }

    void unknownCommandsGoToTheActiveChild()
    {
        // Without a child nothing happens.
        Frame->OnFrameCommand(Cmd::Normal);
        auto* child = new FakeChild;
        QMdiSubWindow* sub = Frame->MdiClient()->addSubWindow(child);
        sub->show();
        Frame->MdiClient()->setActiveSubWindow(sub);
        Frame->OnFrameCommand(Cmd::Normal);
        Frame->OnFrameCommand(Cmd::Zoom);
        Frame->OnFrameCommand(120); // a window-list id
        QCOMPARE(child->Received, (std::vector<int>{Cmd::Normal, Cmd::Zoom, 120}));
    }

    void filesAndViewPopupsFollowTheActiveChild()
    {
        Frame->UpdatePopup(0);
        Frame->UpdatePopup(1);
        QVERIFY(!Frame->ActionFor(Cmd::SaveFile)->isEnabled());
        QVERIFY(!Frame->ActionFor(Cmd::Zoom)->isEnabled());

        auto* child = new FakeChild;
        child->Zoom = 250;
        QMdiSubWindow* sub = Frame->MdiClient()->addSubWindow(child);
        sub->showMaximized();
        Frame->MdiClient()->setActiveSubWindow(sub);
        Frame->UpdatePopup(0);
        Frame->UpdatePopup(1);
        QVERIFY(Frame->ActionFor(Cmd::SaveFile)->isEnabled());
        QVERIFY(Frame->ActionFor(Cmd::Print)->isEnabled());
        QVERIFY(Frame->ActionFor(Cmd::Normal)->isEnabled());
        QVERIFY(!Frame->ActionFor(Cmd::Normal)->isChecked());
        QVERIFY(Frame->ActionFor(Cmd::Zoom)->isChecked());
        child->Fit = true;
        Frame->UpdatePopup(1);
        QVERIFY(Frame->ActionFor(Cmd::FitImageToWindow)->isChecked());
        QVERIFY(!Frame->ActionFor(Cmd::Zoom)->isChecked());
    }

    void enableMainMenuGreysAllButHelp()
    {
        Frame->EnableMainMenu(false);
        const auto tops = Frame->menuBar()->actions();
        for (int i = 0; i < 7; ++i)
            QVERIFY(!tops[i]->isEnabled());
        QVERIFY(tops[7]->isEnabled());
        Frame->EnableMainMenu(true);
        for (QAction* a : tops)
            QVERIFY(a->isEnabled());
    }

    void functionKeysReachTheDispatcherWhileAChildHasTheFocus()
    {
        std::vector<int> reached;
        for (int id : {Cmd::PeripheralConfiguration, Cmd::PeripheralStatus, Cmd::UnitMonitoring, Cmd::FreePath,
                       Cmd::Manual, Cmd::RepeatManual})
            Frame->Commands().Add(id, [&reached, id](Bench&) { reached.push_back(id); });
        auto* child = new FakeChild;
        child->setFocusPolicy(Qt::StrongFocus);
        QMdiSubWindow* sub = Frame->MdiClient()->addSubWindow(child);
        Frame->show();
        sub->show();
        QVERIFY(QTest::qWaitForWindowActive(Frame.get()));
        child->setFocus();
        QTRY_VERIFY(child->hasFocus());
        for (Qt::Key key : {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4, Qt::Key_F5, Qt::Key_F6})
            QTest::keyClick(child, key);
        QCOMPARE(reached, (std::vector<int>{40019, 40033, 40047, 40035, 40005, 40026}));
        // Also with the menu bar greyed by a running command.
        Frame->EnableMainMenu(false);
        QTest::keyClick(child, Qt::Key_F2);
        QCOMPARE(reached.size(), size_t(7));
    }

    void aSecondDeviceCommandIsRefusedWhileOneRuns()
    {
        int inner = 0;
        Frame->Commands().Add(Cmd::PeripheralStatus, [&](Bench&) { ++inner; });
        Frame->Commands().Add(Cmd::PeripheralConfiguration, [&](Bench&) {
            // A key pressed while this command pumps events.
            Frame->OnFrameCommand(Cmd::PeripheralStatus);
            Frame->OnFrameCommand(Cmd::ViewImage); // options still toggle
        });
        Frame->OnFrameCommand(Cmd::PeripheralConfiguration);
        QCOMPARE(inner, 0);
        QCOMPARE(Op->Beeps, 1);
        QCOMPARE(State->ViewImageOption, 0);
        Frame->OnFrameCommand(Cmd::PeripheralStatus);
        QCOMPARE(inner, 1);
    }

    void closingTheFrameDuringARunStopsItFirst()
    {
        State->Settings.DocDestination = 5; // a manual run, every document
        State->Settings.DocumentCount = 0;
        Api->SetHook("Varn_PeripheralStatus", [](ApiCall& call) {
            static_cast<uint8_t*>(call.Pointers[3])[0] = 1; // another document always waits
        });
        Frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(Frame.get()));
        int pumps = 0;
        // The close request arrives while the run dispatches events.
        Op->OnPump = [&] {
            if (++pumps == 1)
                Frame->close();
        };
        Frame->OnFrameCommand(Cmd::RepeatManual);
        QCOMPARE(Api->CallsOf("Varn_DocHandle").size(), size_t(1));
        QCOMPARE(Api->Names().back(), std::string("VnDisconnect"));
        QVERIFY(Frame->isVisible()); // the run's own boxes could still be answered
        QTRY_VERIFY(!Frame->isVisible());
    }

    void closeAllAndClosingTheFrameCloseEveryChild()
    {
        for (int i = 0; i < 3; ++i) {
            QMdiSubWindow* sub = Frame->MdiClient()->addSubWindow(new FakeChild);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            sub->show();
        }
        Frame->MdiClient()->subWindowList().first()->showMinimized();
        QCOMPARE(Frame->MdiClient()->subWindowList().size(), 3);
        Frame->OnFrameCommand(Cmd::CloseAll);
        QTRY_COMPARE(Frame->MdiClient()->subWindowList().size(), 0);

        QMdiSubWindow* sub = Frame->MdiClient()->addSubWindow(new FakeChild);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        Frame->show();
        sub->show();
        Frame->close();
        QTRY_COMPARE(Frame->MdiClient()->subWindowList().size(), 0);
    }

    void windowPopupListsTheChildrenWithTheActiveOneChecked()
    {
        QMdiSubWindow* first = Frame->MdiClient()->addSubWindow(new FakeChild);
        first->setWindowTitle(" Front 1");
        QMdiSubWindow* second = Frame->MdiClient()->addSubWindow(new FakeChild);
        second->setWindowTitle(" Back 1");
        Frame->show();
        first->show();
        second->show();
        Frame->MdiClient()->setActiveSubWindow(first);
        Frame->UpdatePopup(6);
        const auto actions = Frame->PopupAt(6)->actions();
        QCOMPARE(actions.size(), 4 + 1 + 2);
        QCOMPARE(actions[5]->text(), QString("&1  Front 1"));
        QVERIFY(actions[5]->isChecked());
        QVERIFY(!actions[6]->isChecked());
        actions[6]->trigger();
        QCOMPARE(Frame->MdiClient()->activeSubWindow(), second);
    }

    void controlF6AndControlF4KeepTheirMdiMeaning()
    {
        auto* a = new FakeChild;
        auto* b = new FakeChild;
        a->setFocusPolicy(Qt::StrongFocus);
        b->setFocusPolicy(Qt::StrongFocus);
        QMdiSubWindow* first = Frame->MdiClient()->addSubWindow(a);
        QMdiSubWindow* second = Frame->MdiClient()->addSubWindow(b);
        first->setAttribute(Qt::WA_DeleteOnClose);
        second->setAttribute(Qt::WA_DeleteOnClose);
        Frame->show();
        first->show();
        second->show();
        QVERIFY(QTest::qWaitForWindowActive(Frame.get()));
        Frame->MdiClient()->setActiveSubWindow(first);
        a->setFocus();
        QTest::keyClick(a, Qt::Key_F6, Qt::ControlModifier);
        QTRY_COMPARE(Frame->MdiClient()->activeSubWindow(), second);
        QTest::keyClick(Frame->MdiClient()->activeSubWindow()->widget(), Qt::Key_F4, Qt::ControlModifier);
        QTRY_COMPARE(Frame->MdiClient()->subWindowList().size(), 1);
    }

private:
    std::unique_ptr<BenchState> State;
    std::unique_ptr<RecordingVnApi> Api;
    std::unique_ptr<ScriptedOperator> Op;
    std::unique_ptr<FrameWindow> Frame;
};

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
