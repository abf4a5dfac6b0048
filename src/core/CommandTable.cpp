#include "core/CommandTable.h"

#include <algorithm>

namespace {

MenuNode Item(const char* text, int id, bool greyed = false) { return {MenuKind::Item, text, id, greyed, {}}; }
MenuNode Separator() { return {MenuKind::Separator, "", 0, false, {}}; }
MenuNode Popup(const char* text, std::vector<MenuNode> children, bool greyed = false)
{
    return {MenuKind::Popup, text, 0, greyed, std::move(children)};
}

std::vector<MenuNode> BuildMenu()
{
    using namespace Cmd;
    return {
        Popup("&File", {Item("&Open File...", OpenFile), Item("&Save File...", SaveFile), Separator(),
                        Item("&Print", Print), Separator(), Item("E&xit", Exit)}),
        Popup("&View", {Item("&Normal", Normal), Item("&Zoom...", Zoom), Item("&Fit Image To Window", FitImageToWindow),
                        Separator(), Item("Peripheral &Configuration\tF1", PeripheralConfiguration),
                        Item("Peripheral &Status\tF2", PeripheralStatus),
                        Item("&Unit Monitoring\tF3", UnitMonitoring)}),
        Popup("&Document Handle",
              {Item("Read &One Doc.", ReadOneDoc), Item("&Manual ...\tF5", Manual),
               Item("&Repeat manual\tF6", RepeatManual), Item("Read &Badge", ReadBadge), Separator(),
               Popup("Re&set Peripheral", {Item("&Error", ResetError), Item("&Free Path\tF4", FreePath)}),
               Separator(), Item("&Convert to BW", ConvertToBw), Item("R&ead Single Color", ReadSingleColor),
               Item("Reload &Image", ReloadImage), Item("&Brightness Image", BrightnessImage),
               Item("&Contrast Image", ContrastImage), Item("C&ut Image", CutImage), Separator(),
               Item("Interface &Test", InterfaceTest)}),
        Popup("&Setting",
              {Popup("&Sensors Calibration", {Item("&Path", PathCalibration, true)}),
               Item("&Peripheral Setup", PeripheralSetup, true), Item("&Scanner Calibration", ScannerCalibration, true),
               Popup("Read E&13B Signal",
                     {Popup("&View Signal", {Item("&Gray", ViewSignalGray), Item("&Color", ViewSignalColor)}),
                      Popup("&Check Speed Doc.", {Item("&Gray", CheckSpeedGray), Item("&Color", CheckSpeedColor)}),
                      Item("Calibration &MICR", CalibrationMicr, true),
                      Item("&Save Signal on Error", SaveSignalOnError)}),
               Item("&Image Calibration", ImageCalibration, true), Item("Set &Serial Number", SetSerialNumber, true),
               Separator(), Item("Eth Connetion Setup", EthSetup)}),
        Popup("&Unit Type", {Item("&USB Unit", UsbUnit), Item("Vn with &IP Box", IpBoxUnit)}),
        Popup("&Options",
              {Item("Varn with &IP Box", IpBoxUnit), Item("&Fit Image in window", FitImageOption),
               Item("View &Image", ViewImage), Item("View &Codeline", ViewCodeline),
               Item("View &OCR Rectangle", ViewOcrRectangle), Item("Stop on &Error in Codeline", StopOnError),
               Separator(), Item("Test &Beep && LED", TestBeepLed), Item("&Dump Periph. Memory", DumpMemory),
               Item("&Sensors Value", SensorsValue), Item("Handle &EEPROM", HandleEeprom, true),
               Item("Test &Belt", TestBelt)}),
        Popup("&Window", {Item("&Cascade\tShift+F5", Cascade), Item("&Tile\tShift+F4", Tile),
                          Item("Arrange &Icons", ArrangeIcons), Item("Close &All", CloseAll)}),
        Popup("&Help", {Item("&Guide", Guide, true), Item("&About...", About)}),
    };
}

} // namespace

const std::vector<MenuNode>& MainMenuTable()
{
    static const std::vector<MenuNode> table = BuildMenu();
    return table;
}

bool IsUsbOnlyCommand(int id)
{
    using namespace Cmd;
    static constexpr int usbOnly[] = {SensorsValue,     ReloadImage,  CalibrationMicr,    DumpMemory,
                                      PathCalibration,  HandleEeprom, TestBeepLed,        ImageCalibration,
                                      ScannerCalibration, PeripheralSetup, DocSpeed,      ReadCodelineTest,
                                      ViewSignalGray,   ViewSignalColor, CheckSpeedGray,  CheckSpeedColor,
                                      QualityCheck,     EmcTest,      TestBelt};
    return std::find(std::begin(usbOnly), std::end(usbOnly), id) != std::end(usbOnly);
}
