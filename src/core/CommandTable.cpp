#include "core/CommandTable.h"

#include <string>
#include <vector>

namespace {

using P = MenuPopup;
using namespace Cmd;

// Rows in menu order. Items without .NoUnit() use the unit.
constexpr MenuRow MainRows[] = {
    Popup(P::Bar, "&File", P::File),
    Item(P::File, OpenFile, "&Open File...").NoUnit(),
    Item(P::File, SaveFile, "&Save File...").NoUnit().WithChild(),
    Item(P::File, Print, "&Print").NoUnit().WithChild().Sep(),
    Item(P::File, Exit, "E&xit").NoUnit().Sep(),

    Popup(P::Bar, "&View", P::View),
    Item(P::View, Normal, "&Normal").NoUnit().WithChild().Checks(CheckMark::ViewNormal),
    Item(P::View, Zoom, "&Zoom...").NoUnit().WithChild().Checks(CheckMark::ViewZoom),
    Item(P::View, FitImageToWindow, "&Fit Image To Window").NoUnit().WithChild().Checks(CheckMark::ViewFit),
    Item(P::View, PeripheralConfiguration, "Peripheral &Configuration").Accel("F1").Sep(),
    Item(P::View, PeripheralStatus, "Peripheral &Status").Accel("F2"),
    Item(P::View, UnitMonitoring, "&Unit Monitoring").Accel("F3"),

    Popup(P::Bar, "&Document Handle", P::DocumentHandle),
    Item(P::DocumentHandle, ReadOneDoc, "Read &One Doc."),
    Item(P::DocumentHandle, Manual, "&Manual ...").Accel("F5"),
    Item(P::DocumentHandle, RepeatManual, "&Repeat manual").Accel("F6"),
    Item(P::DocumentHandle, ReadBadge, "Read &Badge"),
    Popup(P::DocumentHandle, "Re&set Peripheral", P::ResetPeripheral).Sep(),
    Item(P::ResetPeripheral, ResetError, "&Error"),
    Item(P::ResetPeripheral, FreePath, "&Free Path").Accel("F4"),
    Item(P::DocumentHandle, ConvertToBw, "&Convert to BW").Sep(),
    Item(P::DocumentHandle, ReadSingleColor, "R&ead Single Color"),
    Item(P::DocumentHandle, ReloadImage, "Reload &Image").UsbOnly(),
    Item(P::DocumentHandle, BrightnessImage, "&Brightness Image"),
    Item(P::DocumentHandle, ContrastImage, "&Contrast Image"),
    Item(P::DocumentHandle, CutImage, "C&ut Image"),
    Item(P::DocumentHandle, InterfaceTest, "Interface &Test").Sep(),

    Popup(P::Bar, "&Setting", P::Setting),
    Popup(P::Setting, "&Sensors Calibration", P::SensorsCalibration),
    Item(P::SensorsCalibration, PathCalibration, "&Path").Grey().UsbOnly(),
    Item(P::Setting, PeripheralSetup, "&Peripheral Setup").Grey().UsbOnly(),
    Item(P::Setting, ScannerCalibration, "&Scanner Calibration").Grey().UsbOnly(),
    Popup(P::Setting, "Read E&13B Signal", P::ReadE13bSignal),
    Popup(P::ReadE13bSignal, "&View Signal", P::ViewSignal),
    Item(P::ViewSignal, ViewSignalGray, "&Gray").UsbOnly(),
    Item(P::ViewSignal, ViewSignalColor, "&Color").UsbOnly(),
    Popup(P::ReadE13bSignal, "&Check Speed Doc.", P::CheckSpeedDoc),
    Item(P::CheckSpeedDoc, CheckSpeedGray, "&Gray").UsbOnly(),
    Item(P::CheckSpeedDoc, CheckSpeedColor, "&Color").UsbOnly(),
    Item(P::ReadE13bSignal, CalibrationMicr, "Calibration &MICR").Grey().UsbOnly(),
    Item(P::ReadE13bSignal, SaveSignalOnError, "&Save Signal on Error"),
    Item(P::Setting, ImageCalibration, "&Image Calibration").Grey().UsbOnly(),
    Item(P::Setting, SetSerialNumber, "Set &Serial Number").Grey().NoUnit().ForUnit(UnitRule::NetworkBoxOnly),
    Item(P::Setting, EthSetup, "Eth Connetion Setup").Sep(),

    Popup(P::Bar, "&Unit Type", P::UnitType),
    Item(P::UnitType, UsbUnit, "&USB Unit").NoUnit().Checks(CheckMark::UnitUsb),
    Item(P::UnitType, IpBoxUnit, "Vn with &IP Box").NoUnit().Checks(CheckMark::UnitNetworkBox),

    Popup(P::Bar, "&Options", P::Options),
    // The same command as under "&Unit Type", shown always checked.
    Item(P::Options, IpBoxUnit, "Varn with &IP Box").NoUnit().Checks(CheckMark::Always),
    Item(P::Options, FitImageOption, "&Fit Image in window").Toggles(&BenchState::FitImageOption),
    Item(P::Options, ViewImage, "View &Image").Toggles(&BenchState::ViewImageOption),
    Item(P::Options, ViewCodeline, "View &Codeline").Toggles(&BenchState::ViewCodelineOption),
    Item(P::Options, ViewOcrRectangle, "View &OCR Rectangle").Toggles(&BenchState::ViewOcrRectOption),
    Item(P::Options, StopOnError, "Stop on &Error in Codeline").Toggles(&BenchState::StopOnCodelineError),
    Item(P::Options, TestBeepLed, "Test &Beep && LED").Sep().UsbOnly(),
    Item(P::Options, DumpMemory, "&Dump Periph. Memory").UsbOnly(),
    Item(P::Options, SensorsValue, "&Sensors Value").UsbOnly(),
    Item(P::Options, HandleEeprom, "Handle &EEPROM").Grey().UsbOnly(),
    Item(P::Options, TestBelt, "Test &Belt").UsbOnly(),

    Popup(P::Bar, "&Window", P::Window),
    // Shift+F5 and Shift+F4 are shown only; no key is bound to them.
    Item(P::Window, Cascade, "&Cascade\tShift+F5").NoUnit(),
    Item(P::Window, Tile, "&Tile\tShift+F4").NoUnit(),
    Item(P::Window, ArrangeIcons, "Arrange &Icons").NoUnit(),
    Item(P::Window, CloseAll, "Close &All").NoUnit(),

    Popup(P::Bar, "&Help", P::Help).Kept(),
    Item(P::Help, Guide, "&Guide").Grey().NoUnit(),
    // The About box runs a conversion test on the unit.
    Item(P::Help, About, "&About..."),

    // Commands with no item of their own.
    Item(P::None, DocSpeed, "").UsbOnly(),
    Item(P::None, ReadCodelineTest, "").UsbOnly(),
    Item(P::None, QualityCheck, "").UsbOnly(),
    Item(P::None, EmcTest, "").UsbOnly(),
    Item(P::None, MicrPrintQuality, "").UsbOnly(),
    // Talks to the virtual unit's own control, never through a connection.
    Item(P::None, VirtualUnitPanel, "").NoUnit(),
};

// The items of the service "&Test" popup, in order. Their rules are those of
// the same commands in the default table.
struct TestItem {
    int Id;
    const char* Text;
    const char* Key;
};
constexpr TestItem TestItems[] = {
    {DocSpeed, "Doc. &Speed ", "F9"},
    {ReadCodelineTest, "&Read codeline", "F10"},
    {EmcTest, "&EMC Test", nullptr},
    {QualityCheck, "Check &Quality Image", nullptr},
    {MicrPrintQuality, "MICR Print &Quality", nullptr},
    {VirtualUnitPanel, "Virtual &Unit...", nullptr},
};

bool InTestPopup(int id)
{
    for (const TestItem& item : TestItems)
        if (item.Id == id)
            return true;
    return false;
}

std::vector<MenuRow> BuildServiceRows()
{
    const MenuTable main = MainRows;
    std::vector<MenuRow> rows;
    for (const MenuRow& row : main) {
        if (row.Opens == P::Window && row.In == P::Bar) {
            rows.push_back(Popup(P::Bar, "&Test", P::Test));
            for (const TestItem& item : TestItems) {
                MenuRow test = *FindCommand(main, item.Id);
                test.In = P::Test;
                test.Text = item.Text;
                test.Key = item.Key;
                test.SeparatorBefore = false;
                test.Greyed = false;
                rows.push_back(test);
            }
        }
        // A command without an item that "&Test" now holds.
        if (row.In == P::None && InTestPopup(row.Id))
            continue;
        MenuRow copy = row;
        copy.Greyed = false;
        rows.push_back(copy);
    }
    // F12 checks the document speed in grey, a key with no item of its own.
    MenuRow f12 = *FindCommand(main, CheckSpeedGray);
    f12.In = P::None;
    f12.Text = "";
    f12.Key = "F12";
    f12.SeparatorBefore = false;
    rows.push_back(f12);
    return rows;
}

} // namespace

MenuTable MainMenuTable() { return MainRows; }

MenuTable ServiceMenuTable()
{
    static const std::vector<MenuRow> rows = BuildServiceRows();
    return rows;
}

MenuTable MenuTableFor(MenuMode mode) { return mode == MenuMode::Service ? ServiceMenuTable() : MainMenuTable(); }

const MenuRow* FindCommand(MenuTable table, int id)
{
    for (const MenuRow& row : table)
        if (row.Id == id && id != 0)
            return &row;
    return nullptr;
}

bool IsChecked(const MenuRow& row, const BenchState& state, const ActiveView& view)
{
    const bool scaled = view.Present && !view.Fit;
    switch (row.Check) {
    case CheckMark::None:
        return false;
    case CheckMark::Always:
        return true;
    case CheckMark::Option:
        return row.Option && state.*row.Option != 0;
    case CheckMark::UnitUsb:
        return state.UnitType == UnitTypes::Usb;
    case CheckMark::UnitNetworkBox:
        return state.UnitType == UnitTypes::NetworkBox;
    case CheckMark::ViewNormal:
        return scaled && view.ZoomPercent == 100;
    case CheckMark::ViewZoom:
        return scaled && view.ZoomPercent != 100;
    case CheckMark::ViewFit:
        return view.Present && view.Fit;
    }
    return false;
}

bool IsEnabled(const MenuRow& row, const ActiveView& view) { return !row.Greyed && (!row.NeedsChild || view.Present); }

std::string ItemText(const MenuRow& row)
{
    std::string text = row.Text;
    if (row.Key)
        text += std::string("\t") + row.Key;
    return text;
}

UnitVerdict JudgeUnitType(const MenuRow* row, int32_t unitType)
{
    if (!row)
        return UnitVerdict::Run;
    if (row->Unit == UnitRule::UsbOnly && unitType == UnitTypes::NetworkBox)
        return UnitVerdict::NotImplemented;
    if (row->Unit == UnitRule::NetworkBoxOnly && unitType == UnitTypes::Usb)
        return UnitVerdict::Nothing;
    return UnitVerdict::Run;
}
