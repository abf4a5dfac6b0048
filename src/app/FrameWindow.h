// The frame: menu bar, MDI client, and the dispatcher every menu item,
// accelerator and test goes through.
#pragma once

#include <QMainWindow>
#include <map>
#include <memory>

#include "core/BenchState.h"
#include "core/CommandRegistry.h"

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class Operator;
class ChildCommandTarget;
class ChildWindows;

class FrameWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* Title = "Varn demo test USB / IP Box  -  Ver. 1.04";

    // With no operator given the frame answers to the person at the screen.
    FrameWindow(BenchState& state, VnApi& api, Operator* op = nullptr, QWidget* parent = nullptr);
    ~FrameWindow() override;

    // The one entry for menus, keys and tests.
    void OnFrameCommand(int id);

    // Greys (false) or enables (true) the popups at positions 0 to 6.
    void EnableMainMenu(bool enable);
    void CloseAllChildren();

    QMdiArea* MdiClient() const { return Mdi; }
    // The image child windows and their slot ring.
    ChildWindows& ImageWindows() { return *Children; }
    ChildCommandTarget* ActiveChild() const;
    CommandRegistry& Commands() { return Registry; }
    Operator& Op() { return *OperatorSeam; }
    Bench MakeBench();

    // The first action carrying a command id, and the popup at a position.
    QAction* ActionFor(int id) const;
    QMenu* PopupAt(int position) const;

    // Brings the check marks and enabled states of a popup up to date, as
    // happens when it opens.
    void UpdatePopup(int position);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    QMenu* BuildPopup(const struct MenuNode& node, QWidget* parent);
    void RebuildWindowList();
    void RunCommand(int id);
    void ArrangeIcons();

    BenchState& State;
    VnApi& Api;
    std::unique_ptr<Operator> OwnOperator;
    Operator* OperatorSeam = nullptr;
    QMdiArea* Mdi = nullptr;
    std::unique_ptr<ChildWindows> Children;
    CommandRegistry Registry;
    std::multimap<int, QAction*> Actions;
    std::vector<QMenu*> Popups;
    std::vector<QAction*> WindowListActions;
};
