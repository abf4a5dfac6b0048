// Program-wide state of the bench, in one place so a test can build a fresh
// one: the settings record, the connection globals, the option flags, the
// identified unit, the last codeline and the current images.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/Settings.h"
#include "vnapi/PackedBitmap.h"
#include "vnapi/VnApi.h"

class Operator;

// Results of the last successful identification, and the option flags
// decoded from them.
struct UnitIdentity {
    std::array<uint8_t, VnFeatureBytesSize> FeatureBytes{};
    std::array<char, VnIdentifyTextSize> DeviceModel{};
    std::array<char, VnIdentifyTextSize> FirmwareVersion{};
    std::array<char, VnIdentifyTextSize> ReleaseDate{};
    std::array<char, VnIdentifyTextSize> InternalNumber{};
    std::array<uint8_t, 2> BoardInfo{};
    std::array<char, VnPrinterFirmwareSize> PrinterFirmware{};
};

struct FeatureFlags {
    int HasMicrReader = 0;
    int HasCardProcessing = 0;
    int HasInkjetPrinter = 0;
    int IsUsbPowered = 0;
    int HasVoidingStamp = 0;
    int HasScannerFront = 0;
    int HasScannerBack = 0;
    int BadgeReaderType = 0; // 0 none, 1 tracks 1/2, 2 tracks 2/3, 3 tracks 1/2/3
};

// BenchState::UnitType.
namespace UnitTypes {
constexpr int32_t Usb = 0;
constexpr int32_t NetworkBox = 1;
} // namespace UnitTypes

struct BenchState {
    // Beside the program: the executable's folder, ending with '/'.
    std::string ProgramFolder;
    SettingsRecord Settings = DefaultSettings();

    // Connection globals.
    int32_t UnitType = UnitTypes::Usb;
    uint16_t ConnectionType = VnConnectionUsb;  // 40 USB, 39 network box
    uint16_t UnitHandle = 0;
    uint16_t UnitGeneration = 0;

    // Options of the "&Options" menu; not persistent.
    int32_t FitImageOption = 1;
    int32_t ViewCodelineOption = 1;
    int32_t ViewImageOption = 1;
    int32_t ViewOcrRectOption = 0;
    int32_t StopOnCodelineError = 0;

    UnitIdentity Identity;
    FeatureFlags Features;

    // The last document.
    std::array<char, 256> LastCodeline{};
    ImageHandle CurrentFrontImage;
    ImageHandle CurrentBackImage;
    uint16_t DocumentFileNumber = 0;

    // Remembered between commands of one run.
    uint16_t BwThreshold = 8;
    int LastSaveFormat = 0;
    std::string OpenFilePath;

    // True while a command that uses the unit is running.
    bool DeviceCommandRunning = false;
    // Set when the frame is closed during a run: the run stops after the
    // current document, as after an error.
    bool StopRequested = false;
    // A run reports its first failed image save only.
    bool SaveFailureReported = false;
    // Where document runs write their images and codeline log; empty for the
    // usual places beside the program ("Images", and the program folder).
    std::string OutputFolder;
    // The one-document step saves every document as number 0000, each over
    // the last; a scripted run keeps them all by numbering across the run.
    bool NumberFilesAcrossRun = false;
};

// The folder of a run's image files, without a final '/'.
inline std::string ImagesFolderOf(const BenchState& state)
{
    return state.OutputFolder.empty() ? state.ProgramFolder + "Images" : state.OutputFolder;
}
// The folder of a run's codeline log, ending with '/'.
inline std::string LogFolderOf(const BenchState& state)
{
    return state.OutputFolder.empty() ? state.ProgramFolder : state.OutputFolder + "/";
}

// What every command works with: the state, the device library, the operator
// and the window that owns the command (passed on to the library).
struct Bench {
    BenchState& State;
    VnApi& Api;
    Operator& Op;
    VnWindow Window = nullptr;
    VnInstance Instance = nullptr;
};
