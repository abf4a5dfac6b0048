#include "app/FrameWindow.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

#include "app/FrameOperator.h"
#include "app/MenuTable.h"
#include "device/ReplyCodes.h"
#include "platform/Platform.h"
#include "views/ChildCommands.h"
#include "views/ChildWindows.h"

namespace {

constexpr int FilePopup = 0;
constexpr int ViewPopup = 1;
constexpr int UnitTypePopup = 4;
constexpr int OptionsPopup = 5;
constexpr int WindowPopup = 6;

// Accelerator table: F1 to F6, no modifier.
const std::map<int, Qt::Key> AcceleratorKeys = {
    {Cmd::PeripheralConfiguration, Qt::Key_F1}, {Cmd::PeripheralStatus, Qt::Key_F2},
    {Cmd::UnitMonitoring, Qt::Key_F3},          {Cmd::FreePath, Qt::Key_F4},
    {Cmd::Manual, Qt::Key_F5},                  {Cmd::RepeatManual, Qt::Key_F6},
};

} // namespace

FrameWindow::FrameWindow(BenchState& state, VnApi& api, Operator* op, QWidget* parent)
    : QMainWindow(parent), State(state), Api(api)
{
    setObjectName("VarnFRAME");
    setWindowTitle(Title);
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

    // The MDI keys: each child closes itself on Ctrl+F4; Ctrl+F6 goes to the next.
    auto* nextChild = new QAction(this);
    nextChild->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F6));
    connect(nextChild, &QAction::triggered, Mdi, &QMdiArea::activateNextSubWindow);
    addAction(nextChild);

    RegisterBenchCommands(Registry);
    resize(1024, 740);
}

FrameWindow::~FrameWindow() = default;

Bench FrameWindow::MakeBench() { return Bench{State, Api, *OperatorSeam, this, nullptr}; }

QMenu* FrameWindow::BuildPopup(const MenuNode& node, QWidget* parent)
{
    auto* menu = new QMenu(QString::fromLatin1(node.Text), parent);
    for (const MenuNode& child : node.Children) {
        switch (child.Kind) {
        case MenuKind::Separator:
            menu->addSeparator();
            break;
        case MenuKind::Popup: {
            QMenu* sub = BuildPopup(child, menu);
            menu->addMenu(sub);
            sub->menuAction()->setEnabled(!child.Greyed);
            break;
        }
        case MenuKind::Item: {
            QAction* action = menu->addAction(QString::fromLatin1(child.Text));
            action->setData(child.Id);
            action->setObjectName(QStringLiteral("Action%1").arg(child.Id));
            action->setEnabled(!child.Greyed);
            const int id = child.Id;
            connect(action, &QAction::triggered, this, [this, id] { OnFrameCommand(id); });
            const auto key = AcceleratorKeys.find(id);
            if (key != AcceleratorKeys.end()) {
                action->setShortcut(QKeySequence(key->second));
                action->setShortcutContext(Qt::WindowShortcut);
                // Held by the frame too, so the key works whatever the menu's state.
                addAction(action);
            }
            Actions.emplace(id, action);
            break;
        }
        }
    }
    return menu;
}

void FrameWindow::BuildMenus()
{
    const auto& table = MainMenuTable();
    for (size_t position = 0; position < table.size(); ++position) {
        QMenu* popup = BuildPopup(table[position], this);
        popup->setObjectName(QStringLiteral("Popup%1").arg(position));
        menuBar()->addMenu(popup);
        Popups.push_back(popup);
        const int pos = static_cast<int>(position);
        connect(popup, &QMenu::aboutToShow, this, [this, pos] { UpdatePopup(pos); });
    }
    for (auto [id, action] : Actions) {
        if (id == Cmd::UsbUnit || id == Cmd::IpBoxUnit || id == Cmd::FitImageOption || id == Cmd::ViewImage ||
            id == Cmd::ViewCodeline || id == Cmd::ViewOcrRectangle || id == Cmd::StopOnError ||
            id == Cmd::Normal || id == Cmd::Zoom || id == Cmd::FitImageToWindow)
            action->setCheckable(true);
    }
    // "Varn with &IP Box" under "&Options" keeps the check mark it was built with.
    for (QAction* action : Popups[OptionsPopup]->actions())
        if (action->data().toInt() == Cmd::IpBoxUnit)
            action->setChecked(true);
    for (int position = 0; position < static_cast<int>(Popups.size()); ++position)
        UpdatePopup(position);
}

QAction* FrameWindow::ActionFor(int id) const
{
    const auto it = Actions.find(id);
    return it == Actions.end() ? nullptr : it->second;
}

QMenu* FrameWindow::PopupAt(int position) const
{
    return position >= 0 && position < static_cast<int>(Popups.size()) ? Popups[position] : nullptr;
}

ChildCommandTarget* FrameWindow::ActiveChild() const
{
    QMdiSubWindow* sub = Mdi->activeSubWindow();
    return sub ? dynamic_cast<ChildCommandTarget*>(sub->widget()) : nullptr;
}

void FrameWindow::EnableMainMenu(bool enable)
{
    for (int position = 0; position <= WindowPopup && position < static_cast<int>(Popups.size()); ++position)
        Popups[position]->menuAction()->setEnabled(enable);
    menuBar()->update();
}

void FrameWindow::CloseAllChildren()
{
    for (QMdiSubWindow* sub : Mdi->subWindowList()) {
        sub->showNormal();
        sub->close();
    }
}

void FrameWindow::UpdatePopup(int position)
{
    auto setChecked = [this](int id, bool on) {
        for (auto [it, end] = Actions.equal_range(id); it != end; ++it)
            it->second->setChecked(on);
    };
    ChildCommandTarget* child = ActiveChild();
    switch (position) {
    case FilePopup:
        ActionFor(Cmd::SaveFile)->setEnabled(child != nullptr);
        ActionFor(Cmd::Print)->setEnabled(child != nullptr);
        break;
    case ViewPopup: {
        for (int id : {Cmd::Normal, Cmd::Zoom, Cmd::FitImageToWindow})
            ActionFor(id)->setEnabled(child != nullptr);
        const bool fit = child && child->IsFitToWindow();
        const int zoom = child ? child->ZoomPercent() : 100;
        setChecked(Cmd::Normal, child && !fit && zoom == 100);
        setChecked(Cmd::Zoom, child && !fit && zoom != 100);
        setChecked(Cmd::FitImageToWindow, child && fit);
        break;
    }
    case UnitTypePopup:
        ActionFor(Cmd::UsbUnit)->setChecked(State.UnitType == 0);
        for (QAction* action : Popups[UnitTypePopup]->actions())
            if (action->data().toInt() == Cmd::IpBoxUnit)
                action->setChecked(State.UnitType == 1);
        break;
    case OptionsPopup:
        setChecked(Cmd::FitImageOption, State.FitImageOption != 0);
        setChecked(Cmd::ViewImage, State.ViewImageOption != 0);
        setChecked(Cmd::ViewCodeline, State.ViewCodelineOption != 0);
        setChecked(Cmd::ViewOcrRectangle, State.ViewOcrRectOption != 0);
        setChecked(Cmd::StopOnError, State.StopOnCodelineError != 0);
        break;
    case WindowPopup:
        RebuildWindowList();
        break;
    default:
        break;
    }
}

void FrameWindow::RebuildWindowList()
{
    QMenu* menu = Popups[WindowPopup];
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

void FrameWindow::OnFrameCommand(int id)
{
    auto toggle = [](int32_t& flag) { flag = flag ? 0 : 1; };
    switch (id) {
    case Cmd::Exit:
        close();
        return;
    case Cmd::Cascade:
        Mdi->cascadeSubWindows();
        return;
    case Cmd::Tile:
        Mdi->tileSubWindows();
        return;
    case Cmd::ArrangeIcons:
        ArrangeIcons();
        return;
    case Cmd::CloseAll:
        CloseAllChildren();
        return;
    case Cmd::FitImageOption:
        toggle(State.FitImageOption);
        UpdatePopup(OptionsPopup);
        return;
    case Cmd::ViewCodeline:
        toggle(State.ViewCodelineOption);
        UpdatePopup(OptionsPopup);
        return;
    case Cmd::ViewImage:
        toggle(State.ViewImageOption);
        UpdatePopup(OptionsPopup);
        return;
    case Cmd::ViewOcrRectangle:
        toggle(State.ViewOcrRectOption);
        UpdatePopup(OptionsPopup);
        return;
    case Cmd::StopOnError:
        toggle(State.StopOnCodelineError);
        UpdatePopup(OptionsPopup);
        return;
    case Cmd::UsbUnit:
        State.UnitType = 0;
        State.ConnectionType = VnConnectionUsb;
        UpdatePopup(UnitTypePopup);
        return;
    case Cmd::IpBoxUnit:
        State.UnitType = 1;
        State.ConnectionType = VnConnectionNetworkBox;
        UpdatePopup(UnitTypePopup);
        return;
    case Cmd::SetSerialNumber:
        // The reverse of the USB-only rule: nothing happens for a USB unit.
        if (State.UnitType == 1)
            Op().Message(DemoTitle, "Feature NOT yet implemented !", MessageButtons::Ok, MessageIcon::Information);
        return;
    case Cmd::Guide:
        platform::OpenInTextEditor(State.ProgramFolder + "Tegu.txt");
        return;
    default:
        break;
    }
    RunCommand(id);
}

void FrameWindow::RunCommand(int id)
{
    if (IsUsbOnlyCommand(id) && State.UnitType == 1) {
        Op().Message(DemoTitle, "Feature NOT yet implemented !", MessageButtons::Ok, MessageIcon::Information);
        return;
    }
    const CommandEntry* entry = Registry.Find(id);
    if (!entry) {
        // Everything else belongs to the active image window, when there is one.
        if (ChildCommandTarget* child = ActiveChild())
            child->OnChildCommand(id);
        return;
    }
    if (entry->UsesUnit && State.DeviceCommandRunning) {
        // A key pressed while a run pumps events must not start a second
        // command on the open unit.
        Op().Beep();
        return;
    }
    const bool marksRunning = entry->UsesUnit;
    if (marksRunning)
        State.DeviceCommandRunning = true;
    Bench bench = MakeBench();
    entry->Handler(bench);
    if (marksRunning)
        State.DeviceCommandRunning = false;
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
