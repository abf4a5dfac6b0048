#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "core/CommandTable.h"

namespace {

enum class Unit { Any, UsbOnly, BoxOnly };

struct Expected {
    const char* Text; // as the item shows it, key after a tab
    bool Greyed;
    Unit Rule;
};

// Every command of the default menu bar, written out by id: the item's text,
// whether it is greyed, and the unit type it serves. 40087 stands twice; its
// first item is the one under "&Unit Type".
const std::map<int, Expected>& DefaultMenu()
{
    static const std::map<int, Expected> table = {
        {40002, {"Read &One Doc.", false, Unit::Any}},
        {40003, {"Interface &Test", false, Unit::Any}},
        {40005, {"&Manual ...\tF5", false, Unit::Any}},
        {40006, {"&Open File...", false, Unit::Any}},
        {40007, {"&Save File...", false, Unit::Any}},
        {40008, {"E&xit", false, Unit::Any}},
        {40009, {"&Normal", false, Unit::Any}},
        {40010, {"&Zoom...", false, Unit::Any}},
        {40011, {"&Fit Image To Window", false, Unit::Any}},
        {40012, {"&Print", false, Unit::Any}},
        {40013, {"&Cascade\tShift+F5", false, Unit::Any}},
        {40014, {"&Tile\tShift+F4", false, Unit::Any}},
        {40015, {"Arrange &Icons", false, Unit::Any}},
        {40016, {"Close &All", false, Unit::Any}},
        {40017, {"&About...", false, Unit::Any}},
        {40018, {"Set &Serial Number", true, Unit::BoxOnly}},
        {40019, {"Peripheral &Configuration\tF1", false, Unit::Any}},
        {40020, {"&Sensors Value", false, Unit::UsbOnly}},
        {40021, {"Reload &Image", false, Unit::UsbOnly}},
        {40022, {"Calibration &MICR", true, Unit::UsbOnly}},
        {40023, {"&Fit Image in window", false, Unit::Any}},
        {40024, {"View &Codeline", false, Unit::Any}},
        {40025, {"&Guide", true, Unit::Any}},
        {40026, {"&Repeat manual\tF6", false, Unit::Any}},
        {40027, {"View &Image", false, Unit::Any}},
        {40033, {"Peripheral &Status\tF2", false, Unit::Any}},
        {40035, {"&Free Path\tF4", false, Unit::Any}},
        {40037, {"&Dump Periph. Memory", false, Unit::UsbOnly}},
        {40038, {"&Path", true, Unit::UsbOnly}},
        {40039, {"Stop on &Error in Codeline", false, Unit::Any}},
        {40040, {"&Brightness Image", false, Unit::Any}},
        {40041, {"&Contrast Image", false, Unit::Any}},
        {40042, {"C&ut Image", false, Unit::Any}},
        {40043, {"Handle &EEPROM", true, Unit::UsbOnly}},
        {40044, {"Test &Beep && LED", false, Unit::UsbOnly}},
        {40047, {"&Unit Monitoring\tF3", false, Unit::Any}},
        {40050, {"&Image Calibration", true, Unit::UsbOnly}},
        {40055, {"&Scanner Calibration", true, Unit::UsbOnly}},
        {40058, {"&Peripheral Setup", true, Unit::UsbOnly}},
        {40060, {"Read &Badge", false, Unit::Any}},
        {40064, {"&Convert to BW", false, Unit::Any}},
        {40065, {"View &OCR Rectangle", false, Unit::Any}},
        {40067, {"R&ead Single Color", false, Unit::Any}},
        {40068, {"&Save Signal on Error", false, Unit::Any}},
        {40070, {"&Gray", false, Unit::UsbOnly}},
        {40071, {"&Color", false, Unit::UsbOnly}},
        {40072, {"&Gray", false, Unit::UsbOnly}},
        {40073, {"&Color", false, Unit::UsbOnly}},
        {40076, {"&Error", false, Unit::Any}},
        {40077, {"Eth Connetion Setup", false, Unit::Any}},
        {40087, {"Vn with &IP Box", false, Unit::Any}},
        {40097, {"Test &Belt", false, Unit::UsbOnly}},
        {40102, {"&USB Unit", false, Unit::Any}},
    };
    return table;
}

// Commands with no item in the default bar, and their unit rule.
const std::map<int, Unit> Unlisted = {
    {40061, Unit::UsbOnly}, {40062, Unit::UsbOnly}, {40075, Unit::UsbOnly}, {40078, Unit::UsbOnly},
    {40110, Unit::UsbOnly}, {40103, Unit::Any}};

// Commands that never talk to the unit, so they run while a unit command
// pumps events: files, views, windows, the unit type, the option toggles and
// the virtual unit's panel.
const std::set<int> LeavesTheUnitAlone = {40006, 40007, 40008, 40009, 40010, 40011, 40012, 40013, 40014, 40015,
                                          40016, 40018, 40023, 40024, 40025, 40027, 40039, 40065, 40087, 40102, 40103};

UnitVerdict Verdict(Unit rule, int32_t unitType)
{
    if (rule == Unit::UsbOnly)
        return unitType == 1 ? UnitVerdict::NotImplemented : UnitVerdict::Run;
    // Behind the box the command runs: its own routine says it is not built.
    if (rule == Unit::BoxOnly)
        return unitType == 1 ? UnitVerdict::Run : UnitVerdict::Nothing;
    return UnitVerdict::Run;
}

} // namespace

TEST(CommandTable, EveryDefaultItemHasItsTextGreyingAndUnitRule)
{
    const MenuTable table = MainMenuTable();
    std::set<int> seen;
    for (const MenuRow& row : table) {
        if (row.Id == 0 || row.In == MenuPopup::None)
            continue;
        seen.insert(row.Id);
        EXPECT_TRUE(DefaultMenu().count(row.Id)) << "an item not in the menu bar: " << row.Id;
    }
    for (const auto& [id, expected] : DefaultMenu()) {
        const MenuRow* row = FindCommand(table, id);
        ASSERT_NE(row, nullptr) << id;
        EXPECT_TRUE(seen.count(id)) << id << " has an item";
        EXPECT_EQ(ItemText(*row), expected.Text) << id;
        EXPECT_EQ(row->Greyed, expected.Greyed) << id;
        EXPECT_EQ(row->UsesUnit, !LeavesTheUnitAlone.count(id)) << id;
        for (int32_t unitType : {0, 1})
            EXPECT_EQ(JudgeUnitType(row, unitType), Verdict(expected.Rule, unitType)) << id << " unit " << unitType;
    }
    for (const auto& [id, rule] : Unlisted) {
        EXPECT_FALSE(seen.count(id)) << id << " has no item in the default bar";
        for (int32_t unitType : {0, 1})
            EXPECT_EQ(JudgeUnitType(FindCommand(table, id), unitType), Verdict(rule, unitType)) << id;
    }
}

TEST(CommandTable, TheServiceBarGreysNothingAndKeepsEveryUnitRule)
{
    const MenuTable service = ServiceMenuTable();
    for (const MenuRow& row : service)
        EXPECT_FALSE(row.Greyed) << row.Id << " " << row.Text;
    for (const auto& [id, expected] : DefaultMenu()) {
        const MenuRow* row = FindCommand(service, id);
        ASSERT_NE(row, nullptr) << id;
        for (int32_t unitType : {0, 1})
            EXPECT_EQ(JudgeUnitType(row, unitType), Verdict(expected.Rule, unitType)) << id;
    }
    for (const auto& [id, rule] : Unlisted) {
        const MenuRow* row = FindCommand(service, id);
        ASSERT_NE(row, nullptr) << id << " has an item in the Test popup";
        for (int32_t unitType : {0, 1})
            EXPECT_EQ(JudgeUnitType(row, unitType), Verdict(rule, unitType)) << id;
    }
}
