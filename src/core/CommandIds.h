// The ids of the bench's commands, as menu items, keys and tests send them.
#pragma once

namespace Cmd {
constexpr int ReadOneDoc = 40002;
constexpr int InterfaceTest = 40003;
constexpr int Manual = 40005;
constexpr int OpenFile = 40006;
constexpr int SaveFile = 40007;
constexpr int Exit = 40008;
constexpr int Normal = 40009;
constexpr int Zoom = 40010;
constexpr int FitImageToWindow = 40011;
constexpr int Print = 40012;
constexpr int Cascade = 40013;
constexpr int Tile = 40014;
constexpr int ArrangeIcons = 40015;
constexpr int CloseAll = 40016;
constexpr int About = 40017;
constexpr int SetSerialNumber = 40018;
constexpr int PeripheralConfiguration = 40019;
constexpr int SensorsValue = 40020;
constexpr int ReloadImage = 40021;
constexpr int CalibrationMicr = 40022;
constexpr int FitImageOption = 40023;
constexpr int ViewCodeline = 40024;
constexpr int Guide = 40025;
constexpr int RepeatManual = 40026;
constexpr int ViewImage = 40027;
constexpr int PeripheralStatus = 40033;
constexpr int FreePath = 40035;
constexpr int DumpMemory = 40037;
constexpr int PathCalibration = 40038;
constexpr int StopOnError = 40039;
constexpr int BrightnessImage = 40040;
constexpr int ContrastImage = 40041;
constexpr int CutImage = 40042;
constexpr int HandleEeprom = 40043;
constexpr int TestBeepLed = 40044;
constexpr int UnitMonitoring = 40047;
constexpr int ImageCalibration = 40050;
constexpr int ScannerCalibration = 40055;
constexpr int PeripheralSetup = 40058;
constexpr int ReadBadge = 40060;
constexpr int DocSpeed = 40061;
constexpr int ReadCodelineTest = 40062;
constexpr int ConvertToBw = 40064;
constexpr int ViewOcrRectangle = 40065;
constexpr int ReadSingleColor = 40067;
constexpr int SaveSignalOnError = 40068;
constexpr int ViewSignalGray = 40070;
constexpr int ViewSignalColor = 40071;
constexpr int CheckSpeedGray = 40072;
constexpr int CheckSpeedColor = 40073;
constexpr int QualityCheck = 40075;
constexpr int ResetError = 40076;
constexpr int EthSetup = 40077;
constexpr int EmcTest = 40078;
constexpr int IpBoxUnit = 40087;
constexpr int TestBelt = 40097;
constexpr int UsbUnit = 40102;
constexpr int MicrPrintQuality = 40110;
// The virtual unit's panel (service "&Test" popup).
constexpr int VirtualUnitPanel = 40103;
} // namespace Cmd
