// The two menu bars side by side: the default one and the service one that
// "--service" starts with. Facts are written out here, not taken from the
// command table.
#include <algorithm>

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "app/FrameWindow.h"
#include "core/BenchState.h"
#include "core/CommandTable.h"
#include "views/ChildWindows.h"
#include "views/TextLines.h"

Q_DECLARE_METATYPE(MenuMode)

namespace {

// The items no default menu bar enables.
const std::vector<int> EightGreyed = {40038, 40058, 40055, 40022, 40050, 40018, 40043, 40025};

QStringList BarTitles(const FrameWindow& frame)
{
    QStringList titles;
    for (QAction* a : frame.menuBar()->actions())
        titles << a->text();
    return titles;
}

// The ids bound to a key among every action the frame holds.
std::vector<int> BoundTo(const FrameWindow& frame, Qt::Key key)
{
    std::vector<int> ids;
    for (QAction* action : frame.findChildren<QAction*>())
        if (action->shortcut() == QKeySequence(key))
            ids.push_back(action->data().toInt());
    return ids;
}

// A popup's items as text and id, separators as "-".
QStringList Describe(const QMenu* menu)
{
    QStringList items;
    for (QAction* a : menu->actions())
        items << (a->isSeparator() ? QString("-") : QString("%1 %2").arg(a->text()).arg(a->data().toInt()));
    return items;
}

} // namespace

class TestServiceMenu : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        State = std::make_unique<BenchState>();
        State->ProgramFolder = Dir.path().toStdString() + "/";
        Api = std::make_unique<RecordingVnApi>();
        Op = std::make_unique<ScriptedOperator>();
    }
    void cleanup()
    {
        Frame.reset();
        QFile::remove(Dir.filePath("Tegu.txt"));
    }

    void serviceBarHasTheTestPopupBeforeWindow()
    {
        Make(MenuMode::Service);
        QCOMPARE(Frame->windowTitle(), QString("Varn demo test USB / IP Box  -  Ver. 1.04 [service]"));
        QCOMPARE(BarTitles(*Frame), QStringList({"&File", "&View", "&Document Handle", "&Setting", "&Unit Type",
                                                 "&Options", "&Test", "&Window", "&Help"}));
        QCOMPARE(Describe(Frame->PopupFor(MenuPopup::Test)),
                 QStringList({"Doc. &Speed \tF9 40061", "&Read codeline\tF10 40062", "&EMC Test 40078",
                              "Check &Quality Image 40075", "MICR Print &Quality 40110",
                              "Virtual &Unit... 40103"}));
    }

    void defaultBarIsAsBefore()
    {
        Make(MenuMode::Default);
        QCOMPARE(Frame->windowTitle(), QString("Varn demo test USB / IP Box  -  Ver. 1.04"));
        QCOMPARE(BarTitles(*Frame), QStringList({"&File", "&View", "&Document Handle", "&Setting", "&Unit Type",
                                                 "&Options", "&Window", "&Help"}));
        QVERIFY(!Frame->PopupFor(MenuPopup::Test));
        for (int id : {40061, 40062, 40078, 40075, 40110, 40103})
            QVERIFY2(!Frame->ActionFor(id), qPrintable(QString::number(id)));
    }

    void everyOtherPopupIsTheSameInBothBars()
    {
        Make(MenuMode::Default);
        std::unique_ptr<FrameWindow> service = std::make_unique<FrameWindow>(*State, *Api, Op.get(), MenuMode::Service);
        int compared = 0;
        for (int p = int(MenuPopup::File); p <= int(MenuPopup::Help); ++p) {
            const auto popup = static_cast<MenuPopup>(p);
            QVERIFY(Frame->PopupFor(popup) && service->PopupFor(popup));
            QCOMPARE(Describe(service->PopupFor(popup)), Describe(Frame->PopupFor(popup)));
            ++compared;
        }
        QCOMPARE(compared, 13);
    }

    void greyedItemsPerMode_data()
    {
        QTest::addColumn<MenuMode>("mode");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("default") << MenuMode::Default << false;
        QTest::newRow("service") << MenuMode::Service << true;
    }
    void greyedItemsPerMode()
    {
        QFETCH(MenuMode, mode);
        QFETCH(bool, enabled);
        Make(mode);
        for (int id : EightGreyed) {
            QAction* action = Frame->ActionFor(id);
            QVERIFY2(action && action->isEnabled() == enabled, qPrintable(QString::number(id)));
        }
        // Without an image window only the window's own items are greyed besides them.
        const std::vector<int> needChild = {40007, 40012, 40009, 40010, 40011};
        int enabledItems = 0;
        for (QAction* action : Frame->findChildren<QAction*>()) {
            const int id = action->data().toInt();
            if (id < 40002 || action->menu())
                continue;
            const bool greyedByRule = std::count(needChild.begin(), needChild.end(), id) != 0 ||
                                      (!enabled && std::count(EightGreyed.begin(), EightGreyed.end(), id) != 0);
            QVERIFY2(action->isEnabled() == !greyedByRule, qPrintable(action->text()));
            enabledItems += action->isEnabled();
        }
        QVERIFY(enabledItems > 40);
    }

    void keysPerMode_data()
    {
        QTest::addColumn<MenuMode>("mode");
        QTest::addColumn<std::vector<int>>("f9");
        QTest::addColumn<std::vector<int>>("f10");
        QTest::addColumn<std::vector<int>>("f12");
        QTest::newRow("default") << MenuMode::Default << std::vector<int>{} << std::vector<int>{}
                                 << std::vector<int>{};
        QTest::newRow("service") << MenuMode::Service << std::vector<int>{40061} << std::vector<int>{40062}
                                 << std::vector<int>{40072};
    }
    void keysPerMode()
    {
        QFETCH(MenuMode, mode);
        QFETCH(std::vector<int>, f9);
        QFETCH(std::vector<int>, f10);
        QFETCH(std::vector<int>, f12);
        Make(mode);
        QCOMPARE(BoundTo(*Frame, Qt::Key_F9), f9);
        QCOMPARE(BoundTo(*Frame, Qt::Key_F10), f10);
        QCOMPARE(BoundTo(*Frame, Qt::Key_F12), f12);
        QCOMPARE(BoundTo(*Frame, Qt::Key_F1), std::vector<int>{40019});
        QCOMPARE(BoundTo(*Frame, Qt::Key_F11), std::vector<int>{});
        // F12 has no item; the item of 40072 stays "&Gray" of "&Check Speed Doc.".
        QCOMPARE(Frame->ActionFor(40072)->text(), QString("&Gray"));
    }

    void serviceKeysReachTheirCommandsWhileAnImageWindowHasTheFocus()
    {
        Make(MenuMode::Service);
        std::vector<int> reached;
        for (int id : {40061, 40062, 40072, 40019})
            Frame->Commands().Add(id, [&reached, id](Bench&) { reached.push_back(id); });
        Frame->show();
        QVERIFY(QTest::qWaitForWindowActive(Frame.get()));
        QImage picture(60, 40, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QMdiSubWindow* sub = Frame->ImageWindows().CreateImageChild(MakeTextList({}), " Front 1", picture, true);
        QVERIFY(sub);
        QWidget* child = sub->widget();
        child->setFocus();
        QTRY_VERIFY(child->hasFocus());
        for (Qt::Key key : {Qt::Key_F9, Qt::Key_F10, Qt::Key_F12, Qt::Key_F1, Qt::Key_F11})
            QTest::keyClick(child, key);
        QCOMPARE(reached, (std::vector<int>{40061, 40062, 40072, 40019}));
    }

    void duringADeviceCommandEveryPopupButHelpIsGreyed_data()
    {
        QTest::addColumn<MenuMode>("mode");
        QTest::newRow("default") << MenuMode::Default;
        QTest::newRow("service") << MenuMode::Service;
    }
    void duringADeviceCommandEveryPopupButHelpIsGreyed()
    {
        QFETCH(MenuMode, mode);
        Make(mode);
        QStringList enabledDuring;
        Frame->Commands().Add(40019, [&](Bench&) {
            Frame->EnableMainMenu(false);
            for (QAction* a : Frame->menuBar()->actions())
                if (a->isEnabled())
                    enabledDuring << a->text();
            Frame->EnableMainMenu(true);
        });
        Frame->OnFrameCommand(40019);
        QCOMPARE(enabledDuring, QStringList{"&Help"});
        const int popups = mode == MenuMode::Service ? 9 : 8;
        QCOMPARE(Frame->menuBar()->actions().size(), popups);
        for (QAction* a : Frame->menuBar()->actions())
            QVERIFY2(a->isEnabled(), qPrintable(a->text()));
    }

    void popupsUpdateByWhatTheyAreWithAMaximisedChild_data()
    {
        QTest::addColumn<MenuMode>("mode");
        QTest::newRow("default") << MenuMode::Default;
        QTest::newRow("service") << MenuMode::Service;
    }
    void popupsUpdateByWhatTheyAreWithAMaximisedChild()
    {
        QFETCH(MenuMode, mode);
        Make(mode);
        Frame->show();
        QImage picture(60, 40, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QMdiSubWindow* sub = Frame->ImageWindows().CreateImageChild(MakeTextList({}), " Front 1", picture, true);
        QVERIFY(sub);
        sub->showMaximized();
        Frame->MdiClient()->setActiveSubWindow(sub);
        State->UnitType = 1;
        State->StopOnCodelineError = 1;
        // What opening each popup does, as the menu bar asks for it.
        for (MenuPopup popup : {MenuPopup::File, MenuPopup::View, MenuPopup::UnitType, MenuPopup::Options})
            emit Frame->PopupFor(popup)->aboutToShow();
        QVERIFY(Frame->ActionFor(40007)->isEnabled());
        QVERIFY(Frame->ActionFor(40012)->isEnabled());
        QVERIFY(Frame->ActionFor(40011)->isEnabled());
        QVERIFY(Frame->ActionFor(40011)->isChecked());
        QVERIFY(!Frame->ActionFor(40009)->isChecked());
        QVERIFY(!Frame->ActionFor(40102)->isChecked());
        QVERIFY(Frame->ActionFor(40087)->isChecked());
        QVERIFY(Frame->ActionFor(40039)->isChecked());
        sub->close();
        emit Frame->PopupFor(MenuPopup::File)->aboutToShow();
        QVERIFY(!Frame->ActionFor(40007)->isEnabled());
    }

    void everyCommandHasItsRoutineAndAMissingOneSaysSo()
    {
        Make(MenuMode::Service);
        // Every command of the service bar has its routine.
        for (const MenuRow& row : ServiceMenuTable())
            if (row.Id != 0 && !row.NeedsChild)
                QVERIFY2(Frame->Commands().Find(row.Id) != nullptr, qPrintable(QString::number(row.Id)));
        // A row whose routine is missing says so rather than doing nothing.
        Frame->Commands().Remove(40078);
        Op->Messages.clear();
        Frame->OnFrameCommand(40078);
        QCOMPARE(Op->Messages.size(), size_t(1));
        QCOMPARE(Op->Messages[0].Title, QString("Varnw demo test"));
        QCOMPARE(Op->Messages[0].Text, QString("Feature NOT yet implemented !"));
        QCOMPARE(Op->Messages[0].Icon, MessageIcon::Information);
        // A handler that lands replaces the answer.
        Op->Messages.clear();
        bool ran = false;
        Frame->Commands().Add(40078, [&](Bench&) { ran = true; });
        Frame->OnFrameCommand(40078);
        QVERIFY(ran);
        QVERIFY(Op->Messages.empty());
        // The image window's own commands still go to it, silently without one.
        Frame->OnFrameCommand(40010);
        Frame->OnFrameCommand(120);
        QVERIFY(Op->Messages.empty());
    }

    void guideOpensTheNotesBesideTheProgramOrSaysItIsMissing()
    {
        Make(MenuMode::Service);
        const QString notes = Dir.filePath("Tegu.txt");
        std::vector<QString> opened;
        Frame->OpenTextFile = [&opened](const QString& path) { opened.push_back(path); };
        Frame->ActionFor(40025)->trigger();
        QVERIFY(opened.empty());
        QCOMPARE(Op->Messages.size(), size_t(1));
        QCOMPARE(Op->Messages[0].Title, QString("Varnw demo test"));
        QVERIFY2(Op->Messages[0].Text.contains(notes), qPrintable(Op->Messages[0].Text));

        QFile file(notes);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("notes\n");
        file.close();
        Frame->ActionFor(40025)->trigger();
        QCOMPARE(opened, std::vector<QString>{notes});
        QCOMPARE(Op->Messages.size(), size_t(1));
    }

private:
    void Make(MenuMode mode)
    {
        Frame.reset();
        Frame = std::make_unique<FrameWindow>(*State, *Api, Op.get(), mode);
    }

    QTemporaryDir Dir;
    std::unique_ptr<BenchState> State;
    std::unique_ptr<RecordingVnApi> Api;
    std::unique_ptr<ScriptedOperator> Op;
    std::unique_ptr<FrameWindow> Frame;
};

QTEST_MAIN(TestServiceMenu)
#include "tst_servicemenu.moc"
