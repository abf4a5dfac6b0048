// The commands of a menu bar, one row each: where the item sits, its text and
// key, whether it is checkable or greyed, which unit type it serves and whether
// it uses the unit. The frame derives its menu bar, accelerators, check marks,
// greying and dispatch rules from a table; another menu bar is another table.
#pragma once

#include <cstdint>
#include <span>

#include "core/BenchState.h"
#include "core/CommandIds.h"

// Every popup any menu bar may hold, by what it is. Bar is the menu bar
// itself; None marks a command that has no menu item.
enum class MenuPopup : uint8_t {
    None,
    Bar,
    File,
    View,
    DocumentHandle,
    ResetPeripheral,
    Setting,
    SensorsCalibration,
    ReadE13bSignal,
    ViewSignal,
    CheckSpeedDoc,
    UnitType,
    Options,
    Window,
    Help,
    Test, // the service menu bar's popup of technicians' tests
};

// Which menu bar the frame carries: the default one, or the service one with
// every technician's command within reach.
enum class MenuMode : uint8_t { Default, Service };

// Which unit type a command serves.
enum class UnitRule : uint8_t {
    Any,
    // Behind the network box the command only says "Feature NOT yet implemented !".
    UsbOnly,
    // The reverse: nothing at all happens for a USB unit.
    NetworkBoxOnly,
};

// Where a checkable item's mark comes from.
enum class CheckMark : uint8_t {
    None,           // not checkable
    Always,         // stays checked whatever is clicked
    Option,         // the option flag named by the row
    UnitUsb,        // the unit type is USB
    UnitNetworkBox, // the unit type is the network box
    ViewNormal,     // the active image window at 100 %
    ViewZoom,       // the active image window at another scale
    ViewFit,        // the active image window fitted to its window
};

struct MenuRow {
    int Id = 0; // 0 for a popup
    MenuPopup In = MenuPopup::None;
    const char* Text = "";
    const char* Key = nullptr; // accelerator, also shown after the text
    MenuPopup Opens = MenuPopup::None; // set on the row of a popup
    bool SeparatorBefore = false;
    bool Greyed = false;
    bool UsesUnit = true;     // refused while another unit command runs
    // The active image window's own command, enabled only while one is active.
    bool NeedsChild = false;
    bool KeptDuringRun = false; // a popup the running command leaves enabled
    CheckMark Check = CheckMark::None;
    int32_t BenchState::*Option = nullptr; // toggled by the command when set
    UnitRule Unit = UnitRule::Any;

    constexpr MenuRow Sep() const { return With(&MenuRow::SeparatorBefore); }
    constexpr MenuRow Grey() const { return With(&MenuRow::Greyed); }
    constexpr MenuRow WithChild() const { return With(&MenuRow::NeedsChild); }
    constexpr MenuRow Kept() const { return With(&MenuRow::KeptDuringRun); }
    constexpr MenuRow NoUnit() const
    {
        MenuRow row = *this;
        row.UsesUnit = false;
        return row;
    }
    constexpr MenuRow Accel(const char* key) const
    {
        MenuRow row = *this;
        row.Key = key;
        return row;
    }
    constexpr MenuRow Checks(CheckMark check) const
    {
        MenuRow row = *this;
        row.Check = check;
        return row;
    }
    constexpr MenuRow Toggles(int32_t BenchState::*option) const
    {
        MenuRow row = Checks(CheckMark::Option).NoUnit();
        row.Option = option;
        return row;
    }
    constexpr MenuRow UsbOnly() const { return ForUnit(UnitRule::UsbOnly); }
    constexpr MenuRow ForUnit(UnitRule rule) const
    {
        MenuRow row = *this;
        row.Unit = rule;
        return row;
    }

private:
    constexpr MenuRow With(bool MenuRow::*flag) const
    {
        MenuRow row = *this;
        row.*flag = true;
        return row;
    }
};

// A command's item in a popup (or, with MenuPopup::None, a command with no item).
constexpr MenuRow Item(MenuPopup in, int id, const char* text)
{
    MenuRow row;
    row.Id = id;
    row.In = in;
    row.Text = text;
    return row;
}
// A popup inside another popup (or on the bar).
constexpr MenuRow Popup(MenuPopup in, const char* text, MenuPopup opens)
{
    MenuRow row = Item(in, 0, text).NoUnit();
    row.Opens = opens;
    return row;
}

using MenuTable = std::span<const MenuRow>;

// The bench's menu bar, in menu order; a popup's row comes before its items.
// A row with no popup (MenuPopup::None) and a key is a key of its own.
MenuTable MainMenuTable();
// The service menu bar: the rows of the default one with nothing greyed, the
// "&Test" popup before "&Window", and the F12 key.
MenuTable ServiceMenuTable();
MenuTable MenuTableFor(MenuMode mode);

// The first row of a command (its rules); nullptr when the table lacks it.
// A command may have a second item in another popup.
const MenuRow* FindCommand(MenuTable table, int id);

// The states of the image window that the View items show.
struct ActiveView {
    bool Present = false;
    bool Fit = false;
    int ZoomPercent = 100;
};

// The check mark a row shows for this state and image window.
bool IsChecked(const MenuRow& row, const BenchState& state, const ActiveView& view);
// Whether a row's item is enabled.
bool IsEnabled(const MenuRow& row, const ActiveView& view);

// The text an item shows: its text, then its key after a tab.
std::string ItemText(const MenuRow& row);

// Behind the network box, a USB-only command answers "Feature NOT yet
// implemented !" instead of running; for a USB unit a network-box-only
// command does nothing.
enum class UnitVerdict { Run, NotImplemented, Nothing };
UnitVerdict JudgeUnitType(const MenuRow* row, int32_t unitType);
