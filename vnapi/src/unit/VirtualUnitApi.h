// VnApi over the virtual unit: argument checks, the armed faults, the lock,
// then the unit's own work.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string_view>

#include "unit/VirtualUnit.h"
#include "vnapi/VnApi.h"

namespace virtualunit {

class VirtualUnitApi final : public VnApi {
public:
    explicit VirtualUnitApi(std::shared_ptr<SharedUnit> unit) : Shared(std::move(unit)) {}

    int32_t Varn_Open(VnWindow window, VnInstance instance, uint16_t connectionType, uint16_t* unitHandle) override;
    int32_t VnConnect(VnWindow window, VnInstance instance, uint16_t connectionType, uint16_t* unitHandle) override;
    int32_t VnDisconnect(uint16_t unit, VnWindow window) override;
    int32_t Vn_SetIPAddress(uint16_t connectionType, const char* ipAddress, uint16_t port) override;
    int32_t VnSetNetworkNodeName(uint16_t connectionType, const char* nodeName, uint16_t port) override;
    int32_t Varn_Identify(uint16_t unit, VnWindow window, uint8_t* featureBytes, char* deviceModel,
                          char* firmwareVersion, char* releaseDate, char* internalNumber, uint8_t* boardInfo,
                          void* reserved, char* printerFirmware, int32_t arg11, int32_t arg12, int32_t arg13,
                          int32_t arg14, int32_t arg15) override;
    int32_t Varn_PeripheralStatus(uint16_t unit, VnWindow window, uint8_t* senseKey, uint8_t* sensorStatus) override;
    int32_t Varn_Reset(uint16_t unit, VnWindow window, char resetType) override;

    int32_t Varn_DocHandle(uint16_t unit, VnWindow window, uint16_t frontStamp, uint16_t printMode,
                           uint16_t codelineRequest, char side, uint16_t scanMode, uint16_t feedOrRelease,
                           uint16_t destination, char waitLetter, uint16_t beepOnError, void* reserved,
                           uint16_t scanCard, int32_t reserved2) override;
    int32_t Varn_ReadCodeline(uint16_t unit, VnWindow window, char* codeline, uint16_t* length, void* reserved1,
                              void* reserved2, void* reserved3, void* reserved4) override;
    int32_t Varn_ReadImage(uint16_t unit, VnWindow window, uint16_t clearImage, char side, uint16_t reserved1,
                           int32_t reserved2, ImageHandle* front, ImageHandle* back, void* reserved3,
                           void* reserved4) override;
    int32_t Varn_LoadString(uint16_t unit, VnWindow window, char fontLetter, uint16_t length,
                            const char* text) override;
    int32_t Varn_LoadStringWithCounter(uint16_t unit, VnWindow window, char fontLetter, const char* text,
                                       uint16_t length, int32_t counterStart, uint16_t counterDigits) override;
    int32_t Varn_LoadDigitalString(uint16_t unit, VnWindow window, char side, const char* text, uint16_t length,
                                   int32_t arg6, int32_t arg7, const char* fontName, int32_t fontSize, int32_t bold,
                                   int32_t italic, int32_t underline, int32_t grayTone, uint16_t inch, float x,
                                   float y) override;
    int32_t Varn_AutoDocHandle(uint16_t unit, VnWindow window, uint16_t frontStamp, uint16_t printFlag,
                               uint16_t codelineType, uint16_t scanMode, uint16_t arg7, uint16_t arg8,
                               uint16_t documentCount, uint16_t clearImage, char side, uint16_t arg12,
                               uint16_t saveImageMode, const char* imagesFolder, const char* baseName, float windowX,
                               float windowY, float windowWidth, float windowHeight, uint16_t unitCode,
                               uint16_t arg21, uint16_t saveImageFormat, int32_t jpegQuality, int32_t arg24,
                               int32_t arg25, char waitLetter, uint16_t beepOnError, void* reserved1,
                               void* reserved2, void* reserved3) override;
    int32_t Varn_GetDocData(uint16_t unit, VnWindow window, uint32_t* documentNumber, char* frontFileName,
                            char* backFileName, void* reserved1, void* reserved2, ImageHandle* front,
                            ImageHandle* back, void* reserved3, void* reserved4, char* opticalCodeline,
                            char* micrCodeline, char* barcode, void* reserved5, int32_t* extra, void* reserved6,
                            void* reserved7, void* reserved8) override;
    int32_t Varn_SetAutoDocOptions(uint16_t unit, VnWindow window, const AutoDocOptions* options) override;
    int32_t Varn_ReadBadge(uint16_t unit, VnWindow window, uint8_t tracks, uint16_t size, char* data,
                           uint16_t* length) override;

    int32_t Varn_CodelineReadFromBitmap(VnWindow window, PackedBitmap* image, const char* readType,
                                        uint16_t inch, float x, float y, float width, float height,
                                        const DecodeOptions* options, char* codeline, uint16_t* length) override;
    int32_t Varn_ReadBarcodeFromBitmap(VnWindow window, const PackedBitmap* image, char barcodeType, int32_t x,
                                       int32_t y, int32_t width, int32_t height, char* text,
                                       uint16_t* length) override;
    int32_t Varn_ReadPdf417FromBitmap(VnWindow window, const PackedBitmap* image, char* text, uint16_t* length,
                                      int32_t* extra, int32_t x, int32_t y, int32_t width, int32_t height) override;
    int32_t Varn_ViewOCRRectangle(VnWindow window, int32_t show) override;

    int32_t Varn_ConvertImageToBW(VnWindow window, int32_t method, const PackedBitmap* source, ImageHandle* result,
                                  uint16_t parameter, float reserved) override;
    int32_t Varn_ImageBrightness(VnWindow window, const PackedBitmap* source, int32_t value,
                                 ImageHandle* result) override;
    int32_t Varn_ImageContrast(VnWindow window, const PackedBitmap* source, int32_t value,
                               ImageHandle* result) override;
    int32_t Varn_CutImage(VnWindow window, const PackedBitmap* source, uint16_t inch, float x, float y, float width,
                          float height, ImageHandle* result) override;
    int32_t Varn_FreeImage(VnWindow window, ImageHandle* image) override;
    int32_t Varn_LoadImageFile(const char* path, ImageHandle* image) override;
    int32_t Varn_SaveJPEG(VnWindow window, const PackedBitmap* image, int32_t quality, const char* path) override;
    int32_t Varn_SaveBMP(VnWindow window, const PackedBitmap* image, const char* path) override;
    int32_t Varn_SaveTIFF(VnWindow window, const PackedBitmap* image, const char* path, int32_t tiffType,
                          int32_t arg5, int32_t arg6) override;

    int32_t Varn_ReadE13BSignal(uint16_t unit, VnWindow window, uint8_t* samples, uint32_t* length) override;
    int32_t Varn_SetTrimmerMICR(uint16_t unit, VnWindow window, uint16_t reserved, uint8_t value) override;
    int32_t Varn_ReadTrimmerMICR(uint16_t unit, VnWindow window, uint16_t reserved, uint8_t* buffer,
                                 uint16_t size) override;
    int32_t Varn_ReadTimeSampleMICR(uint16_t unit, VnWindow window, uint16_t reserved, uint16_t* value,
                                    uint16_t size) override;
    int32_t Varn_SetTimeSampleMICR(uint16_t unit, VnWindow window, uint16_t reserved, uint16_t value) override;
    int32_t Varn_ScannerCalibration(uint16_t unit, VnWindow window, uint16_t side) override;
    int32_t Varn_PhotosCalibration(uint16_t unit, VnWindow window, uint16_t reserved) override;
    int32_t Varn_SetConfiguration(uint16_t unit, VnWindow window, const uint8_t* block) override;
    int32_t Varn_ReadCodelineMicrOcr(uint16_t unit, VnWindow window, char* micrCodeline, uint16_t* micrLength,
                                     char* ocrCodeline, uint16_t* ocrLength) override;
    int32_t Varn_ReadCMC7Signal(uint16_t unit, VnWindow window, uint8_t* data, uint32_t size) override;
    int32_t Varn_ImageCalibration(uint16_t unit, VnWindow window, uint16_t mode, uint16_t* value) override;

    int32_t Varn_DumpPeripheralMemory(uint16_t unit, VnWindow window, uint8_t* buffer, uint32_t size,
                                      uint32_t parameter, uint8_t reserved) override;
    int32_t Varn_HistoryCommand(uint16_t unit, VnWindow window, uint16_t command, HistoryRecord* record) override;
    int32_t VnReadPhotosValue(uint16_t unit, VnWindow window, uint8_t* values, int32_t reserved) override;
    int32_t VnEEPROMCommand(uint16_t unit, VnWindow window, uint16_t command, uint16_t offset, int16_t count,
                            uint8_t* buffer) override;
    int32_t VnBeep(uint16_t unit, VnWindow window, uint16_t count, uint16_t timeOn, uint16_t timeOff) override;
    int32_t VnLED(uint16_t unit, VnWindow window, uint16_t color, uint16_t timeOn, uint16_t timeOff) override;
    int32_t VnTestCinghia(uint16_t unit, VnWindow window, uint8_t* samples, uint32_t* length) override;

    const std::shared_ptr<SharedUnit>& Unit() const { return Shared; }

private:
    // A unit command: the armed fault, then the handle, then the work, all
    // under the unit's lock.
    template <class Work> int32_t OnUnit(std::string_view operation, uint16_t handle, Work&& work);
    // An operation that needs no connection.
    template <class Work> int32_t Unattached(std::string_view operation, Work&& work);
    // An armed fault still strikes; the work itself runs without the unit's lock.
    template <class Work> int32_t Detached(std::string_view operation, Work&& work);
    int32_t ReadBadgeWaiting(uint16_t handle, uint8_t tracks, uint16_t size, char* data, uint16_t* length);
    // Waits while a beep or blink lasts, the lock released; a reset, close or
    // power cycle ends it (-11 when the unit is still open, -3 when closed).
    int32_t SignalFor(std::unique_lock<std::mutex>& lock, uint16_t handle, uint32_t realMilliseconds);

    std::shared_ptr<SharedUnit> Shared;
    std::atomic<bool> ViewOcrRectangle{false}; // read by decodes outside the lock
};

} // namespace virtualunit
