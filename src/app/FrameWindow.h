// The frame: menu bar, MDI client, and the dispatcher every menu item,
// accelerator and test goes through. Its menu bar is built from a command table.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/BenchState.h"
#include "core/CommandRegistry.h"
#include "core/CommandTable.h"

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class Operator;
class ChildCommandTarget;
class ChildWindows;

// The frame's first size: 1024 x 740, made smaller where the screen's free
// area (without task bars) cannot hold it with the window's title and borders.
QSize FrameSizeFor(const QSize& available);

class FrameWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* Title = "Varn demo test USB / IP Box  -  Ver. 1.04";
    // Ends the title in service mode, so a screenshot shows the mode.
    static constexpr const char* ServiceTitleSuffix = " [service]";

    // With no operator given the frame answers to the person at the screen.
    FrameWindow(BenchState& state, VnApi& api, Operator* op = nullptr, MenuMode mode = MenuMode::Default);
    ~FrameWindow() override;

    // The one entry for menus, keys and tests.
    void OnFrameCommand(int id);

    // Greys (false) or enables (true) every popup of the bar a running
    // command does not keep.
    void EnableMainMenu(bool enable);
    void CloseAllChildren();

    QMdiArea* MdiClient() const { return Mdi; }
    // The image child windows and their slot ring.
    ChildWindows& ImageWindows() { return *Children; }
    ChildCommandTarget* ActiveChild() const;
    CommandRegistry& Commands() { return Registry; }
    MenuMode Mode() const { return ModeOfMenus; }

    // Opens a text file in the desktop's text editor; tests put a recorder here.
    std::function<void(const QString& path)> OpenTextFile;
    Operator& Op() { return *OperatorSeam; }
    Bench MakeBench();

    // The first action carrying a command id, and a popup by what it is.
    QAction* ActionFor(int id) const;
    QMenu* PopupFor(MenuPopup popup) const;

    // Brings the check marks and enabled states of a popup up to date, as
    // happens when it opens.
    void UpdatePopup(MenuPopup popup);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct ItemAction {
        const MenuRow* Row;
        QAction* Action;
    };

    void BuildMenus();
    void RegisterFrameCommands();
    void RebuildWindowList();
    void RunCommand(int id);
    void ArrangeIcons();
    void TileHorizontally();
    ActiveView CurrentView() const;

    BenchState& State;
    VnApi& Api;
    MenuMode ModeOfMenus;
    MenuTable Table;
    std::unique_ptr<Operator> OwnOperator;
    Operator* OperatorSeam = nullptr;
    QMdiArea* Mdi = nullptr;
    std::unique_ptr<ChildWindows> Children;
    CommandRegistry Registry;
    std::vector<ItemAction> Items;
    std::map<MenuPopup, QMenu*> Popups;
    std::vector<const MenuRow*> BarPopups;
    std::vector<QAction*> WindowListActions;
};
