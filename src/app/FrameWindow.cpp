#include "app/FrameWindow.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include "app/BenchIcon.h"
#include "app/FrameOperator.h"
#include "app/Registration.h"
#include "core/MessageTitles.h"
#include "platform/Platform.h"
#include "views/ChildCommands.h"
#include "views/ChildWindows.h"
#include "views/WindowTiling.h"

QSize FrameSizeFor(const QSize& available)
{
    // What a window manager adds around the client: a title bar and borders.
    constexpr int TitleAllowance = 32;
    constexpr int BorderAllowance = 8;
    return {std::min(1024, available.width() - BorderAllowance),
            std::min(740, available.height() - TitleAllowance - BorderAllowance)};
}

FrameWindow::FrameWindow(BenchState& state, VnApi& api, Operator* op, MenuMode mode)
    : State(state), Api(api), ModeOfMenus(mode), Table(MenuTableFor(mode))
{
    setObjectName("VarnFRAME");
    setWindowTitle(mode == MenuMode::Service ? QString(Title) + ServiceTitleSuffix : QString(Title));
    setWindowIcon(BenchIcon());
    if (op) {
        OperatorSeam = op;
    } else {
        OwnOperator = std::make_unique<FrameOperator>(*this, state);
        OperatorSeam = OwnOperator.get();
    }

    Mdi = new QMdiArea(this);
    Mdi->setObjectName("MDICLIENT");
    Mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Mdi->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(Mdi);
    // A new frame starts with an empty ring of child slots.
    Children = std::make_unique<ChildWindows>(*Mdi, State, *OperatorSeam);

    BuildMenus();
    statusBar()->setObjectName("StatusBar");

    // The MDI keys: Ctrl+F6 goes to the next child; Ctrl+F4 closes the active
    // one (see keyPressEvent).
    auto* nextChild = new QAction(this);
    nextChild->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F6));
    connect(nextChild, &QAction::triggered, Mdi, &QMdiArea::activateNextSubWindow);
    addAction(nextChild);

    RegisterBenchCommands(Registry);
    RegisterFrameCommands();
    const QScreen* screen = QGuiApplication::primaryScreen();
    resize(screen ? FrameSizeFor(screen->availableGeometry().size()) : QSize(1024, 740));
}

FrameWindow::~FrameWindow() = default;

Bench FrameWindow::MakeBench() { return Bench{State, Api, *OperatorSeam, this, nullptr}; }

void FrameWindow::BuildMenus()
{
    for (const MenuRow& row : Table) {
        if (row.In == MenuPopup::None) {
            // A key with no item: an action the frame holds for the key alone.
            if (row.Key) {
                auto* action = new QAction(this);
                action->setData(row.Id);
                action->setObjectName(QStringLiteral("Key%1").arg(row.Key));
                action->setShortcut(QKeySequence(QString::fromLatin1(row.Key)));
                action->setShortcutContext(Qt::WindowShortcut);
                const int id = row.Id;
                connect(action, &QAction::triggered, this, [this, id] { OnFrameCommand(id); });
                addAction(action);
                Items.push_back({&row, action});
            }
            continue;
        }
        QMenu* parentMenu = row.In == MenuPopup::Bar ? nullptr : Popups.at(row.In);
        if (parentMenu && row.SeparatorBefore)
            parentMenu->addSeparator();
        if (row.Opens != MenuPopup::None) {
            auto* menu = new QMenu(QString::fromLatin1(row.Text), parentMenu ? static_cast<QWidget*>(parentMenu) : this);
            menu->setObjectName(QStringLiteral("Popup%1").arg(static_cast<int>(row.Opens)));
            if (parentMenu) {
                parentMenu->addMenu(menu);
            } else {
                menuBar()->addMenu(menu);
                BarPopups.push_back(&row);
            }
            menu->menuAction()->setEnabled(!row.Greyed);
            Popups[row.Opens] = menu;
            const MenuPopup which = row.Opens;
            connect(menu, &QMenu::aboutToShow, this, [this, which] { UpdatePopup(which); });
            continue;
        }
        QAction* action = parentMenu->addAction(QString::fromLatin1(ItemText(row).c_str()));
        action->setData(row.Id);
        action->setObjectName(QStringLiteral("Action%1").arg(row.Id));
        action->setCheckable(row.Check != CheckMark::None);
        const int id = row.Id;
        connect(action, &QAction::triggered, this, [this, id] { OnFrameCommand(id); });
        if (row.Key) {
            action->setShortcut(QKeySequence(QString::fromLatin1(row.Key)));
            action->setShortcutContext(Qt::WindowShortcut);
            // Held by the frame too, so the key works whatever the menu's state.
            addAction(action);
        }
        Items.push_back({&row, action});
    }
    for (const auto& [popup, menu] : Popups)
        UpdatePopup(popup);
}

void FrameWindow::RegisterFrameCommands()
{
    Registry.Add(Cmd::Exit, [this](Bench&) { close(); });
    Registry.Add(Cmd::Cascade, [this](Bench&) { Mdi->cascadeSubWindows(); });
    Registry.Add(Cmd::Tile, [this](Bench&) { TileHorizontally(); });
    Registry.Add(Cmd::ArrangeIcons, [this](Bench&) { ArrangeIcons(); });
    Registry.Add(Cmd::CloseAll, [this](Bench&) { CloseAllChildren(); });
    Registry.Add(Cmd::UsbUnit, [](Bench& bench) {
        bench.State.UnitType = UnitTypes::Usb;
        bench.State.ConnectionType = VnConnectionUsb;
    });
    Registry.Add(Cmd::IpBoxUnit, [](Bench& bench) {
        bench.State.UnitType = UnitTypes::NetworkBox;
        bench.State.ConnectionType = VnConnectionNetworkBox;
    });
    // Its unit-type rule lets it run only for the network box.
    Registry.Add(Cmd::SetSerialNumber, [](Bench& bench) {
        bench.Op.Message(DemoTitle, NotImplementedText, MessageButtons::Ok, MessageIcon::Information);
    });
    OpenTextFile = [](const QString& path) { platform::OpenInTextEditor(path.toStdString()); };
    Registry.Add(Cmd::Guide, [this](Bench& bench) {
        const QString notes = QString::fromStdString(bench.State.ProgramFolder) + "Tegu.txt";
        // An editor started on a missing file would show an empty page.
        if (!QFileInfo(notes).isFile()) {
            bench.Op.Message(DemoTitle, QStringLiteral("The notes file was not found:\n%1").arg(notes),
                             MessageButtons::Ok, MessageIcon::Warning);
            return;
        }
        OpenTextFile(notes);
    });
    // The option flags of "&Options" toggle as their rows say.
    for (const MenuRow& row : Table)
        if (row.Option) {
            int32_t BenchState::*option = row.Option;
            Registry.Add(row.Id, [option](Bench& bench) { bench.State.*option = bench.State.*option ? 0 : 1; });
        }
}

QAction* FrameWindow::ActionFor(int id) const
{
    for (const ItemAction& item : Items)
        if (item.Row->Id == id)
            return item.Action;
    return nullptr;
}

QMenu* FrameWindow::PopupFor(MenuPopup popup) const
{
    const auto it = Popups.find(popup);
    return it == Popups.end() ? nullptr : it->second;
}

ChildCommandTarget* FrameWindow::ActiveChild() const
{
    QMdiSubWindow* sub = Mdi->activeSubWindow();
    return sub ? dynamic_cast<ChildCommandTarget*>(sub->widget()) : nullptr;
}

ActiveView FrameWindow::CurrentView() const
{
    ActiveView view;
    if (ChildCommandTarget* child = ActiveChild()) {
        view.Present = true;
        view.Fit = child->IsFitToWindow();
        view.ZoomPercent = child->ZoomPercent();
    }
    return view;
}

void FrameWindow::EnableMainMenu(bool enable)
{
    for (const MenuRow* row : BarPopups)
        if (!row->KeptDuringRun)
            Popups.at(row->Opens)->menuAction()->setEnabled(enable);
    menuBar()->update();
}

void FrameWindow::CloseAllChildren()
{
    for (QMdiSubWindow* sub : Mdi->subWindowList()) {
        sub->showNormal();
        sub->close();
    }
}

void FrameWindow::UpdatePopup(MenuPopup popup)
{
    const ActiveView view = CurrentView();
    for (const ItemAction& item : Items) {
        if (item.Row->In != popup)
            continue;
        item.Action->setEnabled(IsEnabled(*item.Row, view));
        if (item.Row->Check != CheckMark::None)
            item.Action->setChecked(IsChecked(*item.Row, State, view));
    }
    if (popup == MenuPopup::Window)
        RebuildWindowList();
}

void FrameWindow::RebuildWindowList()
{
    QMenu* menu = Popups.at(MenuPopup::Window);
    for (QAction* action : WindowListActions) {
        menu->removeAction(action);
        action->deleteLater();
    }
    WindowListActions.clear();
    const auto children = Mdi->subWindowList();
    if (children.isEmpty())
        return;
    WindowListActions.push_back(menu->addSeparator());
    int number = 1;
    for (QMdiSubWindow* sub : children) {
        QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(sub->windowTitle()));
        action->setCheckable(true);
        action->setChecked(sub == Mdi->activeSubWindow());
        connect(action, &QAction::triggered, this, [this, sub] { Mdi->setActiveSubWindow(sub); });
        WindowListActions.push_back(action);
    }
}

void FrameWindow::ArrangeIcons()
{
    // Minimised children line up along the bottom of the client area.
    int x = 0;
    for (QMdiSubWindow* sub : Mdi->subWindowList()) {
        if (!sub->isMinimized())
            continue;
        const QSize size = sub->size();
        sub->move(x, Mdi->viewport()->height() - size.height());
        x += size.width();
    }
}

void FrameWindow::TileHorizontally()
{
    // Minimised children keep their place along the bottom.
    std::vector<QMdiSubWindow*> tiled;
    for (QMdiSubWindow* sub : Mdi->subWindowList())
        if (!sub->isMinimized())
            tiled.push_back(sub);
    const std::vector<QRect> places =
        ::TileHorizontally(Mdi->viewport()->rect(), static_cast<int>(tiled.size()));
    for (size_t i = 0; i < tiled.size(); ++i) {
        if (tiled[i]->isMaximized())
            tiled[i]->showNormal();
        tiled[i]->setGeometry(places[i]);
    }
}

void FrameWindow::OnFrameCommand(int id)
{
    RunCommand(id);
    // A click toggles a checkable item by itself; the table says what every
    // check mark shows after the command.
    const ActiveView view = CurrentView();
    for (const ItemAction& item : Items)
        if (item.Row->Check != CheckMark::None)
            item.Action->setChecked(IsChecked(*item.Row, State, view));
}

void FrameWindow::RunCommand(int id)
{
    const MenuRow* row = FindCommand(Table, id);
    switch (JudgeUnitType(row, State.UnitType)) {
    case UnitVerdict::NotImplemented:
        Op().Message(DemoTitle, NotImplementedText, MessageButtons::Ok, MessageIcon::Information);
        return;
    case UnitVerdict::Nothing:
        return;
    case UnitVerdict::Run:
        break;
    }
    const CommandEntry* entry = Registry.Find(id);
    // A command of the table that nothing handles yet says so.
    static const CommandEntry NotYetBuilt{[](Bench& bench) {
        bench.Op.Message(DemoTitle, NotImplementedText, MessageButtons::Ok, MessageIcon::Information);
    }};
    if (!entry && row && !row->NeedsChild)
        entry = &NotYetBuilt;
    if (!entry) {
        // Everything else belongs to the active image window, when there is one.
        if (ChildCommandTarget* child = ActiveChild())
            child->OnChildCommand(id);
        return;
    }
    // A command the table does not know is taken to use the unit.
    const bool usesUnit = !row || row->UsesUnit;
    if (usesUnit && State.DeviceCommandRunning) {
        // A key pressed while a run pumps events must not start a second
        // command on the open unit.
        Op().Beep();
        return;
    }
    if (usesUnit)
        State.DeviceCommandRunning = true;
    Bench bench = MakeBench();
    entry->Handler(bench);
    if (usesUnit)
        State.DeviceCommandRunning = false;
}

void FrameWindow::keyPressEvent(QKeyEvent* event)
{
    // Ctrl+F4 closes the active image window on every platform; where the
    // platform's own close key differs it reaches the frame as a plain key.
    if (event->key() == Qt::Key_F4 && event->modifiers() == Qt::ControlModifier) {
        if (QMdiSubWindow* sub = Mdi->activeSubWindow()) {
            sub->close();
            event->accept();
            return;
        }
    }
    QMainWindow::keyPressEvent(event);
}

void FrameWindow::closeEvent(QCloseEvent* event)
{
    if (State.DeviceCommandRunning) {
        // The run pumps events between documents: it stops after the current
        // one and closes the unit; the close is asked again until it has.
        State.StopRequested = true;
        event->ignore();
        QTimer::singleShot(100, this, &QWidget::close);
        return;
    }
    OnFrameCommand(Cmd::CloseAll);
    event->accept();
}
