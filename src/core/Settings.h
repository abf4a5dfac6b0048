// The settings record: 1880 bytes at fixed offsets, little-endian, read at
// start and written at exit to "Varnw.Cfg" beside the program. The file is the
// record's bytes, so every offset below is part of the file format.
#pragma once

#include <array>
#include <cstdint>
#include <string>

template <size_t N> using CharField = std::array<char, N>;

struct SettingsRecord {
    static constexpr size_t Size = 1880;

    uint16_t FrontStamp = 0;           // 0x000
    uint16_t EndorsePrintMode = 0;     // 0x004
    uint32_t EndorseBold = 0;          // 0x008
    CharField<200> EndorseString{};    // 0x00C
    uint8_t OcrReadType = 0;           // 0x0D4
    uint32_t SaveCodelineOnFile = 0;   // 0x0D8
    uint32_t ResetCodelineFile = 0;    // 0x0DC
    uint16_t DocDestination = 0;       // 0x0E0
    uint16_t ScanMode = 0;             // 0x0E2
    uint8_t ImageSide = 0;             // 0x0E4
    uint8_t BadgeTracks = 0;           // 0x0E8
    uint16_t SaveImageMode = 0;        // 0x0EA
    uint16_t SaveImageFormat = 0;      // 0x0EC
    uint16_t JpegQuality = 0;          // 0x0EE
    uint16_t ClearImage = 0;           // 0x0F0
    uint16_t DocumentCount = 0;        // 0x0F2
    uint8_t BeepOnError = 0;           // 0x0F4
    float OcrWindowX = 0;              // 0x0F8
    float OcrWindowY = 0;              // 0x0FC
    float OcrWindowWidth = 0;          // 0x100
    float OcrWindowHeight = 0;         // 0x104
    uint16_t OcrWindowInch = 0;        // 0x108
    uint16_t WaitTimeout = 0;          // 0x110
    uint16_t SignalFileCounter = 0;    // 0x112
    uint32_t CheckCodeline = 0;        // 0x114
    CharField<256> CodelineBase{};     // 0x118
    uint16_t Unused536 = 0;            // 0x218
    uint16_t Unused538 = 0;            // 0x21A
    uint16_t Unused540 = 0;            // 0x21C
    uint16_t Unused542 = 0;            // 0x21E
    float Unused544 = 0;               // 0x220
    int32_t SetupMicrHead = 0;         // 0x224
    int32_t SetupVoidingStamp = 0;     // 0x228
    int32_t SetupInkJetPrinter = 0;    // 0x22C
    int32_t SetupBadgeReader = 0;      // 0x230
    int32_t SetupProcessCard = 0;      // 0x234
    int32_t SetupPoweredBy = 0;        // 0x238
    uint16_t ReleasePrint = 0;         // 0x246
    uint32_t ReleaseBold = 0;          // 0x248
    CharField<200> ReleaseString{};    // 0x24C
    uint8_t ReleaseSide = 0;           // 0x314
    uint16_t ReleaseFrontStamp = 0;    // 0x316
    uint16_t ReleaseSortMode = 0;      // 0x318
    uint16_t DocSpeedReads = 0;        // 0x31A
    uint16_t DocSpeedLimit1 = 0;       // 0x31C
    uint16_t DocSpeedLimit2 = 0;       // 0x31E
    uint16_t Unused800 = 0;            // 0x320
    uint16_t Unused802 = 0;            // 0x322
    uint32_t ReadTestCount = 0;        // 0x324
    CharField<256> ReadTestCodeline{}; // 0x328
    uint32_t ReadTestDelay = 0;        // 0x428
    float BarcodeWindowX = 0;          // 0x42C
    float BarcodeWindowY = 0;          // 0x430
    float BarcodeWindowWidth = 0;      // 0x434
    float BarcodeWindowHeight = 0;     // 0x438
    uint16_t BarcodeWindowInch = 0;    // 0x43C
    uint8_t BarcodeType = 0;           // 0x43E
    uint8_t CodelineType = 0;          // 0x43F
    uint32_t Unused1092 = 0;           // 0x444
    uint16_t BeepCount = 0;            // 0x448
    uint16_t BeepTimeOn = 0;           // 0x44A
    uint16_t BeepTimeOff = 0;          // 0x44C
    uint16_t LedColor = 0;             // 0x44E
    uint16_t LedTimeOn = 0;            // 0x450
    uint16_t LedTimeOff = 0;           // 0x452
    uint16_t SingleColor = 0;          // 0x454
    float MicrVoltFor100 = 0;          // 0x458
    uint16_t MicrSignalValue = 0;      // 0x45C
    uint16_t MicrToleranceMinus = 0;   // 0x45E
    uint16_t MicrTolerancePlus = 0;    // 0x460
    uint16_t MicrConsecutiveOk = 0;    // 0x462
    float CutWindowX = 0;              // 0x478
    float CutWindowY = 0;              // 0x47C
    float CutWindowHeight = 0;         // 0x480
    float CutWindowWidth = 0;          // 0x484
    uint16_t CutWindowInch = 0;        // 0x488
    uint16_t Unused1162 = 0;           // 0x48A
    uint16_t QualityChoice1 = 0;       // 0x48E
    uint16_t QualityChoice2 = 0;       // 0x490
    uint16_t QualityChoice3 = 0;       // 0x492
    CharField<260> QualityImageFolder{}; // 0x494
    float Pdf417WindowX = 0;           // 0x598
    float Pdf417WindowY = 0;           // 0x59C
    float Pdf417WindowWidth = 0;       // 0x5A0
    float Pdf417WindowHeight = 0;      // 0x5A4
    uint16_t PrintHigh = 0;            // 0x5A8
    CharField<20> BoxIpAddress{};      // 0x5AA
    uint16_t BoxPort = 0;              // 0x5BE
    uint32_t EmcStepTime = 0;          // 0x5C0
    CharField<200> DigitalString{};    // 0x5C4
    int16_t DigitalPrintSide = 0;      // 0x68C
    CharField<120> DigitalFontName{};  // 0x68E
    uint16_t DigitalFontSize = 0;      // 0x706
    uint16_t DigitalInch = 0;          // 0x708
    float DigitalX = 0;                // 0x70C
    float DigitalY = 0;                // 0x710
    uint16_t DigitalGrayTone = 0;      // 0x714
    uint32_t DigitalBold = 0;          // 0x718
    uint32_t DigitalItalic = 0;        // 0x71C
    uint32_t DigitalUnderline = 0;     // 0x720
    uint16_t ScanCard = 0;             // 0x724
    uint32_t ImageCounter = 0;         // 0x728
    CharField<40> BoxNodeName{};       // 0x72C
    uint32_t ConnectByNodeName = 0;    // 0x754

    // Bytes that no field covers, kept as read so that a record written back
    // is byte for byte the one that was loaded.
    std::array<uint8_t, Size> Gaps{};
};

// Zero record with every default applied.
SettingsRecord DefaultSettings();

// The record's bytes, field by field, little-endian.
std::array<uint8_t, SettingsRecord::Size> EncodeSettings(const SettingsRecord& record);
// Reads a record from up to Size bytes; bytes past count stay zero.
SettingsRecord DecodeSettings(const uint8_t* bytes, size_t count);

// Missing or unreadable file, or a folder of that name: the defaults.
// Otherwise the file's first bytes fill the record (a short file leaves the
// rest zero; longer files are cut).
SettingsRecord LoadSettingsFile(const std::string& path);
// Writes the 1880 bytes to a temporary file in the same folder and renames it
// over the file; returns false (and says nothing) when it cannot, leaving the
// earlier file as it was and no temporary file behind.
bool SaveSettingsFile(const std::string& path, const SettingsRecord& record);

// A NUL-terminated text in a fixed field, cut to fit.
template <size_t N> void SetText(CharField<N>& field, const std::string& text)
{
    field.fill(0);
    const size_t n = text.size() < N - 1 ? text.size() : N - 1;
    for (size_t i = 0; i < n; ++i)
        field[i] = text[i];
}
template <size_t N> std::string GetText(const CharField<N>& field)
{
    size_t n = 0;
    while (n < N && field[n] != 0)
        ++n;
    return std::string(field.data(), n);
}
