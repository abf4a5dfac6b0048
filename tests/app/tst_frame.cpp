// The frame: its title, facts about the menu bar its command table makes, the
// dispatcher's rules, the popups' states, the accelerators and the icon.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QtTest>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "app/FrameWindow.h"
#include "app/AboutDialog.h"
#include "app/BenchIcon.h"
#include "core/CommandTable.h"
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

    void dialogsOpenOverTheFrameOrTheirCallingDialog()
    {
        // The frame's own operator, not the scripted one.
        FrameWindow frame(*State, *Api);
        QDialog outer;
        QDialog inner;
        QWidget* outerOwner = nullptr;
        QWidget* innerOwner = nullptr;
        QTimer::singleShot(0, &frame, [&] {
            outerOwner = outer.parentWidget();
            QTimer::singleShot(0, &frame, [&] {
                innerOwner = inner.parentWidget();
                inner.done(0);
                outer.done(0);
            });
            frame.Op().Exec(inner);
        });
        frame.Op().Exec(outer);
        QCOMPARE(outerOwner, static_cast<QWidget*>(&frame));
        QCOMPARE(innerOwner, static_cast<QWidget*>(&outer));
        QVERIFY(outer.isWindow() && inner.isWindow());
    }

    void frameFitsTheScreensFreeArea_data()
    {
        QTest::addColumn<QSize>("available");
        QTest::addColumn<QSize>("frame");
        // 1366 x 768 less a 40-pixel task bar leaves 728 rows: 728 - 32 - 8.
        QTest::newRow("1366x768 with a task bar") << QSize(1366, 728) << QSize(1024, 688);
        QTest::newRow("just tall enough") << QSize(1366, 780) << QSize(1024, 740);
        QTest::newRow("one row short") << QSize(1366, 779) << QSize(1024, 739);
        QTest::newRow("just wide enough") << QSize(1032, 900) << QSize(1024, 740);
        QTest::newRow("one column short") << QSize(1031, 900) << QSize(1023, 740);
        QTest::newRow("large screen") << QSize(1920, 1040) << QSize(1024, 740);
    }
    void frameFitsTheScreensFreeArea()
    {
        QFETCH(QSize, available);
        QFETCH(QSize, frame);
        QCOMPARE(FrameSizeFor(available), frame);
    }

    void titleAndWindowClasses()
    {
        QCOMPARE(Frame->windowTitle(), QString("Varn demo test USB / IP Box  -  Ver. 1.04"));
        QCOMPARE(Frame->objectName(), QString("VarnFRAME"));
        QVERIFY(Frame->MdiClient());
        QCOMPARE(Frame->centralWidget(), Frame->MdiClient());
    }

    void menuBarHoldsItsPopupsInOrder()
    {
        QStringList tops;
        for (QAction* a : Frame->menuBar()->actions())
            tops << a->text();
        QCOMPARE(tops, QStringList({"&File", "&View", "&Document Handle", "&Setting", "&Unit Type", "&Options",
                                    "&Window", "&Help"}));
        // Popups are found by what they are, wherever they sit.
        QCOMPARE(Frame->PopupFor(MenuPopup::ResetPeripheral)->title(), QString("Re&set Peripheral"));
        QCOMPARE(Frame->PopupFor(MenuPopup::CheckSpeedDoc)->title(), QString("&Check Speed Doc."));
        const auto reset = Frame->PopupFor(MenuPopup::ResetPeripheral)->actions();
        QCOMPARE(reset.size(), 2);
        QCOMPARE(reset[1]->text(), QString("&Free Path\tF4"));
        // "&File": two separators around "&Print".
        const auto file = Frame->PopupFor(MenuPopup::File)->actions();
        QCOMPARE(file.size(), 6);
        QVERIFY(file[2]->isSeparator() && file[4]->isSeparator());
        QCOMPARE(file[5]->data().toInt(), Cmd::Exit);
    }

    void eachFunctionKeyIsBoundToOneCommand()
    {
        const std::vector<std::pair<Qt::Key, int>> keys = {{Qt::Key_F1, 40019}, {Qt::Key_F2, 40033},
                                                           {Qt::Key_F3, 40047}, {Qt::Key_F4, 40035},
                                                           {Qt::Key_F5, 40005}, {Qt::Key_F6, 40026}};
        for (auto [key, id] : keys) {
            std::vector<int> bound;
            for (QAction* action : Frame->findChildren<QAction*>())
                if (action->shortcut() == QKeySequence(key))
                    bound.push_back(action->data().toInt());
            QCOMPARE(bound, std::vector<int>{id});
        }
        QCOMPARE(Frame->ActionFor(Cmd::Manual)->text(), QString("&Manual ...\tF5"));
        // Shown only: no key is bound to Cascade.
        QVERIFY(Frame->ActionFor(Cmd::Cascade)->shortcut().isEmpty());
        QVERIFY(Frame->ActionFor(Cmd::ReadOneDoc)->shortcut().isEmpty());
    }

    void checkableItemsAreTheOptionsUnitTypesAndScales()
    {
        for (int id : {Cmd::FitImageOption, Cmd::ViewImage, Cmd::ViewCodeline, Cmd::ViewOcrRectangle,
                       Cmd::StopOnError, Cmd::UsbUnit, Cmd::Normal, Cmd::Zoom, Cmd::FitImageToWindow})
            QVERIFY2(Frame->ActionFor(id)->isCheckable(), qPrintable(QString::number(id)));
        for (int id : {Cmd::TestBeepLed, Cmd::TestBelt, Cmd::Manual, Cmd::Exit, Cmd::Tile, Cmd::SaveSignalOnError})
            QVERIFY2(!Frame->ActionFor(id)->isCheckable(), qPrintable(QString::number(id)));
    }

    void ipBoxItemOfOptionsKeepsItsCheckWhenClicked()
    {
        QAction* optionsIpBox = Frame->PopupFor(MenuPopup::Options)->actions().first();
        QCOMPARE(optionsIpBox->text(), QString("Varn with &IP Box"));
        QVERIFY(optionsIpBox->isChecked());
        optionsIpBox->trigger();
        QVERIFY(optionsIpBox->isChecked());
        QCOMPARE(State->UnitType, 1);
        optionsIpBox->trigger();
        QVERIFY(optionsIpBox->isChecked());
        // The "&Unit Type" items follow the unit type.
        const auto unitItems = Frame->PopupFor(MenuPopup::UnitType)->actions();
        unitItems[0]->trigger();
        QCOMPARE(State->UnitType, 0);
        QVERIFY(unitItems[0]->isChecked());
        QVERIFY(!unitItems[1]->isChecked());
        QVERIFY(optionsIpBox->isChecked());
        unitItems[0]->trigger();
        QVERIFY(unitItems[0]->isChecked());
    }

    void clickedOptionsShowTheirFlag()
    {
        QAction* viewImage = Frame->ActionFor(Cmd::ViewImage);
        QVERIFY(viewImage->isChecked());
        viewImage->trigger();
        QCOMPARE(State->ViewImageOption, 0);
        QVERIFY(!viewImage->isChecked());
        viewImage->trigger();
        QCOMPARE(State->ViewImageOption, 1);
        QVERIFY(viewImage->isChecked());
    }

    void frameAboutBoxAndChildrenShowTheBenchIcon()
    {
        const QImage icon = BenchIcon().pixmap(32, 32).toImage();
        QVERIFY(!icon.isNull());
        QCOMPARE(Frame->windowIcon().pixmap(32, 32).toImage(), icon);
        QMdiSubWindow* sub = Frame->MdiClient()->addSubWindow(new FakeChild);
        QCOMPARE(sub->windowIcon().pixmap(32, 32).toImage(), icon);
        AboutDialog about(Frame.get());
        QCOMPARE(about.windowIcon().pixmap(32, 32).toImage(), icon);
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
        Frame->UpdatePopup(MenuPopup::Options);
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
        Frame->UpdatePopup(MenuPopup::UnitType);
        const auto unitItems = Frame->PopupFor(MenuPopup::UnitType)->actions();
        QVERIFY(!unitItems[0]->isChecked());
        QVERIFY(unitItems[1]->isChecked());
        Frame->OnFrameCommand(Cmd::UsbUnit);
        QCOMPARE(State->UnitType, 0);
        QCOMPARE(State->ConnectionType, uint16_t(40));
        Frame->UpdatePopup(MenuPopup::UnitType);
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
        Frame->UpdatePopup(MenuPopup::File);
        Frame->UpdatePopup(MenuPopup::View);
        QVERIFY(!Frame->ActionFor(Cmd::SaveFile)->isEnabled());
        QVERIFY(!Frame->ActionFor(Cmd::Zoom)->isEnabled());

        auto* child = new FakeChild;
        child->Zoom = 250;
        QMdiSubWindow* sub = Frame->MdiClient()->addSubWindow(child);
        sub->showMaximized();
        Frame->MdiClient()->setActiveSubWindow(sub);
        Frame->UpdatePopup(MenuPopup::File);
        Frame->UpdatePopup(MenuPopup::View);
        QVERIFY(Frame->ActionFor(Cmd::SaveFile)->isEnabled());
        QVERIFY(Frame->ActionFor(Cmd::Print)->isEnabled());
        QVERIFY(Frame->ActionFor(Cmd::Normal)->isEnabled());
        QVERIFY(!Frame->ActionFor(Cmd::Normal)->isChecked());
        QVERIFY(Frame->ActionFor(Cmd::Zoom)->isChecked());
        child->Fit = true;
        Frame->UpdatePopup(MenuPopup::View);
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
        Frame->UpdatePopup(MenuPopup::Window);
        const auto actions = Frame->PopupFor(MenuPopup::Window)->actions();
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

    void controlF4ReachingTheFrameClosesTheActiveChild()
    {
        // Where the platform's close key is not Ctrl+F4 the key reaches the frame.
        QMdiSubWindow* first = Frame->MdiClient()->addSubWindow(new FakeChild);
        QMdiSubWindow* second = Frame->MdiClient()->addSubWindow(new FakeChild);
        first->setAttribute(Qt::WA_DeleteOnClose);
        second->setAttribute(Qt::WA_DeleteOnClose);
        Frame->show();
        first->show();
        second->show();
        Frame->MdiClient()->setActiveSubWindow(first);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F4, Qt::ControlModifier);
        QApplication::sendEvent(Frame.get(), &press);
        QTRY_COMPARE(Frame->MdiClient()->subWindowList().size(), 1);
        QCOMPARE(Frame->MdiClient()->subWindowList().first(), second);
    }

private:
    std::unique_ptr<BenchState> State;
    std::unique_ptr<RecordingVnApi> Api;
    std::unique_ptr<ScriptedOperator> Op;
    std::unique_ptr<FrameWindow> Frame;
};

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
