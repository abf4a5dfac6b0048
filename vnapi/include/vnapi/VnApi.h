// VnApi: the device library of the Varn cheque scanner, one virtual method per
// operation. Arguments come in the order the bench passes them; out-values go
// through pointers; every operation answers a signed 32-bit reply, 0 for
// success. Unit operations take the unit handle first and the owner window
// second; decodes, conversions and saves take the owner window first and need
// no connection.
//
// Text results land in caller buffers. Where a 16-bit length is passed by
// address it holds the capacity on entry and the delivered length on return;
// elsewhere the capacity is the one named below.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "vnapi/PackedBitmap.h"
#include "vnapi/VnCodes.h"

// Owner window and program instance: opaque to the library.
using VnWindow = const void*;
using VnInstance = const void*;

// Connection types.
constexpr uint16_t VnConnectionNetworkBox = 39;
constexpr uint16_t VnConnectionUsb = 40;

// Capacities of the fixed text buffers.
constexpr size_t VnIdentifyTextSize = 64;    // model, firmware, release date, internal number
constexpr size_t VnPrinterFirmwareSize = 24; // printer expansion firmware
constexpr size_t VnFeatureBytesSize = 4;     // option bits (FeatureBytes)
constexpr size_t VnCodelineSize = 256;       // codeline texts of Varn_GetDocData
constexpr size_t VnFileNameSize = 260;       // file names of Varn_GetDocData
constexpr size_t VnSensorBytesSize = 2;      // sensor status of Varn_PeripheralStatus

// Decode options of the OCR read: always 1, then 'N', or 'X' for the
// "E13B Opt X Switch" read of the automatic run.
struct DecodeOptions {
    int32_t Value = 1;
    char Mode = 'N';
};

// Options of the automatic run: the first 0, the second 1 to stop on a
// codeline error.
struct AutoDocOptions {
    int32_t Reserved = 0;
    int32_t StopOnCodelineError = 0;
};

// Lifetime counters of the unit (the 40-byte history record).
struct HistoryRecord {
    uint16_t Size = 40;
    uint32_t DocumentsProcessed = 0;
    uint32_t DocumentsPrinted = 0;
    uint32_t DocumentsStamped = 0;
    uint32_t DocumentsRetained = 0;
    uint32_t FeederJams = 0;
    uint32_t MicrReadErrors = 0;
    uint32_t E13bReadErrors = 0;
    uint32_t PowerOns = 0;
    uint32_t WorkTime = 0; // units of 300 seconds
};

class VnApi {
public:
    virtual ~VnApi() = default;

    // ---- Connection -------------------------------------------------------
    virtual int32_t Varn_Open(VnWindow window, VnInstance instance, uint16_t connectionType,
                              uint16_t* unitHandle) = 0;
    virtual int32_t VnConnect(VnWindow window, VnInstance instance, uint16_t connectionType,
                              uint16_t* unitHandle) = 0;
    virtual int32_t VnDisconnect(uint16_t unit, VnWindow window) = 0;
    virtual int32_t Vn_SetIPAddress(uint16_t connectionType, const char* ipAddress, uint16_t port) = 0;
    virtual int32_t VnSetNetworkNodeName(uint16_t connectionType, const char* nodeName, uint16_t port) = 0;

    // featureBytes: VnFeatureBytesSize bytes; texts: VnIdentifyTextSize bytes;
    // boardInfo: 2 bytes; printerFirmware: VnPrinterFirmwareSize bytes. Any out
    // pointer may be null. reserved and the five trailing values are 0.
    virtual int32_t Varn_Identify(uint16_t unit, VnWindow window, uint8_t* featureBytes, char* deviceModel,
                                  char* firmwareVersion, char* releaseDate, char* internalNumber,
                                  uint8_t* boardInfo, void* reserved, char* printerFirmware, int32_t arg11,
                                  int32_t arg12, int32_t arg13, int32_t arg14, int32_t arg15) = 0;
    // sensorStatus: VnSensorBytesSize bytes.
    virtual int32_t Varn_PeripheralStatus(uint16_t unit, VnWindow window, uint8_t* senseKey,
                                          uint8_t* sensorStatus) = 0;
    // resetType: '0' after an error, '1' to free the document path.
    virtual int32_t Varn_Reset(uint16_t unit, VnWindow window, char resetType) = 0;

    // ---- Documents --------------------------------------------------------
    // feedOrRelease: 0 feeds the next document, 1 releases the held one.
    // destination: 0 retained, 1 sorted, 5 ejected. waitLetter: 'W' waits for
    // a document, 'G' does not.
    virtual int32_t Varn_DocHandle(uint16_t unit, VnWindow window, uint16_t frontStamp, uint16_t printMode,
                                   uint16_t codelineRequest, char side, uint16_t scanMode,
                                   uint16_t feedOrRelease, uint16_t destination, char waitLetter,
                                   uint16_t beepOnError, void* reserved, uint16_t scanCard,
                                   int32_t reserved2) = 0;
    virtual int32_t Varn_ReadCodeline(uint16_t unit, VnWindow window, char* codeline, uint16_t* length,
                                      void* reserved1, void* reserved2, void* reserved3, void* reserved4) = 0;
    virtual int32_t Varn_ReadImage(uint16_t unit, VnWindow window, uint16_t clearImage, char side,
                                   uint16_t reserved1, int32_t reserved2, ImageHandle* front, ImageHandle* back,
                                   void* reserved3, void* reserved4) = 0;
    virtual int32_t Varn_LoadString(uint16_t unit, VnWindow window, char fontLetter, uint16_t length,
                                    const char* text) = 0;
    virtual int32_t Varn_LoadStringWithCounter(uint16_t unit, VnWindow window, char fontLetter, const char* text,
                                               uint16_t length, int32_t counterStart, uint16_t counterDigits) = 0;
    virtual int32_t Varn_LoadDigitalString(uint16_t unit, VnWindow window, char side, const char* text,
                                           uint16_t length, int32_t arg6, int32_t arg7, const char* fontName,
                                           int32_t fontSize, int32_t bold, int32_t italic, int32_t underline,
                                           int32_t grayTone, uint16_t inch, float x, float y) = 0;
    virtual int32_t Varn_AutoDocHandle(uint16_t unit, VnWindow window, uint16_t frontStamp, uint16_t printFlag,
                                       uint16_t codelineType, uint16_t scanMode, uint16_t arg7, uint16_t arg8,
                                       uint16_t documentCount, uint16_t clearImage, char side, uint16_t arg12,
                                       uint16_t saveImageMode, const char* imagesFolder, const char* baseName,
                                       float windowX, float windowY, float windowWidth, float windowHeight,
                                       uint16_t unitCode, uint16_t arg21, uint16_t saveImageFormat,
                                       int32_t jpegQuality, int32_t arg24, int32_t arg25, char waitLetter,
                                       uint16_t beepOnError, void* reserved1, void* reserved2,
                                       void* reserved3) = 0;
    // The three text buffers hold VnCodelineSize bytes, the two file names
    // VnFileNameSize bytes. The reply is the document's status.
    virtual int32_t Varn_GetDocData(uint16_t unit, VnWindow window, uint32_t* documentNumber, char* frontFileName,
                                    char* backFileName, void* reserved1, void* reserved2, ImageHandle* front,
                                    ImageHandle* back, void* reserved3, void* reserved4, char* opticalCodeline,
                                    char* micrCodeline, char* barcode, void* reserved5, int32_t* extra,
                                    void* reserved6, void* reserved7, void* reserved8) = 0;
    virtual int32_t Varn_SetAutoDocOptions(uint16_t unit, VnWindow window, const AutoDocOptions* options) = 0;
    // tracks: bit set 32 track 1, 64 track 2, 128 track 3.
    virtual int32_t Varn_ReadBadge(uint16_t unit, VnWindow window, uint8_t tracks, uint16_t size, char* data,
                                   uint16_t* length) = 0;

    // ---- Decoding (no connection needed) ----------------------------------
    // Windows are measured from the document's right and bottom edges, in
    // millimetres (inch 0) or inches (inch 1). With Varn_ViewOCRRectangle on,
    // the OCR read draws its window on the image it decodes, so the image
    // shown afterwards carries it.
    virtual int32_t Varn_CodelineReadFromBitmap(VnWindow window, PackedBitmap* image, const char* readType,
                                                uint16_t inch, float x, float y, float width, float height,
                                                const DecodeOptions* options, char* codeline,
                                                uint16_t* length) = 0;
    virtual int32_t Varn_ReadBarcodeFromBitmap(VnWindow window, const PackedBitmap* image, char barcodeType,
                                               int32_t x, int32_t y, int32_t width, int32_t height, char* text,
                                               uint16_t* length) = 0;
    // A window of all zeros searches the whole image.
    virtual int32_t Varn_ReadPdf417FromBitmap(VnWindow window, const PackedBitmap* image, char* text,
                                              uint16_t* length, int32_t* extra, int32_t x, int32_t y,
                                              int32_t width, int32_t height) = 0;
    virtual int32_t Varn_ViewOCRRectangle(VnWindow window, int32_t show) = 0;

    // ---- Images (no connection needed) ------------------------------------
    virtual int32_t Varn_ConvertImageToBW(VnWindow window, int32_t method, const PackedBitmap* source,
                                          ImageHandle* result, uint16_t parameter, float reserved) = 0;
    virtual int32_t Varn_ImageBrightness(VnWindow window, const PackedBitmap* source, int32_t value,
                                         ImageHandle* result) = 0;
    virtual int32_t Varn_ImageContrast(VnWindow window, const PackedBitmap* source, int32_t value,
                                       ImageHandle* result) = 0;
    virtual int32_t Varn_CutImage(VnWindow window, const PackedBitmap* source, uint16_t inch, float x, float y,
                                  float width, float height, ImageHandle* result) = 0;
    virtual int32_t Varn_FreeImage(VnWindow window, ImageHandle* image) = 0;
    virtual int32_t Varn_LoadImageFile(const char* path, ImageHandle* image) = 0;
    virtual int32_t Varn_SaveJPEG(VnWindow window, const PackedBitmap* image, int32_t quality,
                                  const char* path) = 0;
    virtual int32_t Varn_SaveBMP(VnWindow window, const PackedBitmap* image, const char* path) = 0;
    // tiffType: 3 uncompressed, 25 CCITT RLE, 27 Group 3 1-D, 28 Group 3 2-D,
    // 29 Group 4.
    virtual int32_t Varn_SaveTIFF(VnWindow window, const PackedBitmap* image, const char* path, int32_t tiffType,
                                  int32_t arg5, int32_t arg6) = 0;

    // ---- Signals and calibration ------------------------------------------
    // length: capacity on entry (16384), samples delivered on return.
    virtual int32_t Varn_ReadE13BSignal(uint16_t unit, VnWindow window, uint8_t* samples, uint32_t* length) = 0;
    virtual int32_t Varn_SetTrimmerMICR(uint16_t unit, VnWindow window, uint16_t reserved, uint8_t value) = 0;
    virtual int32_t Varn_ReadTrimmerMICR(uint16_t unit, VnWindow window, uint16_t reserved, uint8_t* buffer,
                                         uint16_t size) = 0;
    virtual int32_t Varn_ReadTimeSampleMICR(uint16_t unit, VnWindow window, uint16_t reserved, uint16_t* value,
                                            uint16_t size) = 0;
    virtual int32_t Varn_SetTimeSampleMICR(uint16_t unit, VnWindow window, uint16_t reserved, uint16_t value) = 0;
    // side: 1 front scanner, 0 rear scanner.
    virtual int32_t Varn_ScannerCalibration(uint16_t unit, VnWindow window, uint16_t side) = 0;
    virtual int32_t Varn_PhotosCalibration(uint16_t unit, VnWindow window, uint16_t reserved) = 0;
    // block: 4 bytes, laid out as the identify option bytes.
    virtual int32_t Varn_SetConfiguration(uint16_t unit, VnWindow window, const uint8_t* block) = 0;
    virtual int32_t Varn_ReadCodelineMicrOcr(uint16_t unit, VnWindow window, char* micrCodeline,
                                             uint16_t* micrLength, char* ocrCodeline, uint16_t* ocrLength) = 0;
    virtual int32_t Varn_ReadCMC7Signal(uint16_t unit, VnWindow window, uint8_t* data, uint32_t size) = 0;
    // mode 0 reads the unit's value into *value, mode 1 writes *value.
    virtual int32_t Varn_ImageCalibration(uint16_t unit, VnWindow window, uint16_t mode, uint16_t* value) = 0;

    // ---- Maintenance ------------------------------------------------------
    virtual int32_t Varn_DumpPeripheralMemory(uint16_t unit, VnWindow window, uint8_t* buffer, uint32_t size,
                                              uint32_t parameter, uint8_t reserved) = 0;
    // command 1 reads the counters into record, 2 erases them (record null).
    virtual int32_t Varn_HistoryCommand(uint16_t unit, VnWindow window, uint16_t command,
                                        HistoryRecord* record) = 0;
    // values: 8 bytes; the first 16-bit value is the feeder sensor, the
    // second the trigger sensor (little-endian).
    virtual int32_t VnReadPhotosValue(uint16_t unit, VnWindow window, uint8_t* values, int32_t reserved) = 0;
    // command 0 reads, 1 writes count bytes at offset.
    virtual int32_t VnEEPROMCommand(uint16_t unit, VnWindow window, uint16_t command, uint16_t offset,
                                    int16_t count, uint8_t* buffer) = 0;
    virtual int32_t VnBeep(uint16_t unit, VnWindow window, uint16_t count, uint16_t timeOn, uint16_t timeOff) = 0;
    virtual int32_t VnLED(uint16_t unit, VnWindow window, uint16_t color, uint16_t timeOn, uint16_t timeOff) = 0;
    // length: capacity on entry, samples delivered on return.
    virtual int32_t VnTestCinghia(uint16_t unit, VnWindow window, uint8_t* samples, uint32_t* length) = 0;
};

// A library with no unit attached: every open replies -3 (peripheral not
// found) and every unit operation likewise; the rest reply -17.
std::unique_ptr<VnApi> CreateNoUnitApi();
