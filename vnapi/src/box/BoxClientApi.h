// The device library as the bench sees it: connection type 40 reaches the
// unit in this process, connection type 39 reaches the unit a network box
// hosts, over TCP. Decodes and image work always run here.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "box/BoxConnection.h"
#include "box/BoxProtocol.h"
#include "vnapi/VnApi.h"

namespace box {

constexpr uint16_t DefaultBoxPort = 4000;

// Deadlines of the box connection: a fixed allowance for the network and the
// work, plus the unit's own simulated waits at its time scale.
std::chrono::milliseconds ConnectTimeout(double timeScale);
std::chrono::milliseconds OperationTimeout(double timeScale);

class BoxClientApi final : public VnApi {
public:
    BoxClientApi(std::unique_ptr<VnApi> local, double timeScale) : Local(std::move(local)), TimeScale(timeScale) {}

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

    int32_t Varn_CodelineReadFromBitmap(VnWindow window, PackedBitmap* image, const char* readType, uint16_t inch,
                                        float x, float y, float width, float height, const DecodeOptions* options,
                                        char* codeline, uint16_t* length) override
    {
        return Local->Varn_CodelineReadFromBitmap(window, image, readType, inch, x, y, width, height, options,
                                                  codeline, length);
    }
    int32_t Varn_ReadBarcodeFromBitmap(VnWindow window, const PackedBitmap* image, char barcodeType, int32_t x,
                                       int32_t y, int32_t width, int32_t height, char* text,
                                       uint16_t* length) override
    {
        return Local->Varn_ReadBarcodeFromBitmap(window, image, barcodeType, x, y, width, height, text, length);
    }
    int32_t Varn_ReadPdf417FromBitmap(VnWindow window, const PackedBitmap* image, char* text, uint16_t* length,
                                      int32_t* extra, int32_t x, int32_t y, int32_t width, int32_t height) override
    {
        return Local->Varn_ReadPdf417FromBitmap(window, image, text, length, extra, x, y, width, height);
    }
    int32_t Varn_ViewOCRRectangle(VnWindow window, int32_t show) override
    {
        return Local->Varn_ViewOCRRectangle(window, show);
    }
    int32_t Varn_ConvertImageToBW(VnWindow window, int32_t method, const PackedBitmap* source, ImageHandle* result,
                                  uint16_t parameter, float reserved) override
    {
        return Local->Varn_ConvertImageToBW(window, method, source, result, parameter, reserved);
    }
    int32_t Varn_ImageBrightness(VnWindow window, const PackedBitmap* source, int32_t value,
                                 ImageHandle* result) override
    {
        return Local->Varn_ImageBrightness(window, source, value, result);
    }
    int32_t Varn_ImageContrast(VnWindow window, const PackedBitmap* source, int32_t value,
                               ImageHandle* result) override
    {
        return Local->Varn_ImageContrast(window, source, value, result);
    }
    int32_t Varn_CutImage(VnWindow window, const PackedBitmap* source, uint16_t inch, float x, float y, float width,
                          float height, ImageHandle* result) override
    {
        return Local->Varn_CutImage(window, source, inch, x, y, width, height, result);
    }
    int32_t Varn_FreeImage(VnWindow window, ImageHandle* image) override { return Local->Varn_FreeImage(window, image); }
    int32_t Varn_LoadImageFile(const char* path, ImageHandle* image) override
    {
        return Local->Varn_LoadImageFile(path, image);
    }
    int32_t Varn_SaveJPEG(VnWindow window, const PackedBitmap* image, int32_t quality, const char* path) override
    {
        return Local->Varn_SaveJPEG(window, image, quality, path);
    }
    int32_t Varn_SaveBMP(VnWindow window, const PackedBitmap* image, const char* path) override
    {
        return Local->Varn_SaveBMP(window, image, path);
    }
    int32_t Varn_SaveTIFF(VnWindow window, const PackedBitmap* image, const char* path, int32_t tiffType,
                          int32_t arg5, int32_t arg6) override
    {
        return Local->Varn_SaveTIFF(window, image, path, tiffType, arg5, arg6);
    }

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

    // The library behind connection type 40.
    VnApi& LocalApi() { return *Local; }

private:
    // Remote() is true while the open unit is the box's.
    bool Remote();
    int32_t OpenBox(bool viaConnect, uint16_t* unitHandle);
    // Keeps the box's address when the local library took it; returns code.
    int32_t RecordAddress(int32_t code, uint16_t connectionType, const char* host, uint16_t port);
    // One operation over the box; reply holds the out-values when the
    // returned code came from the box. A broken connection gives -64.
    int32_t Call(Op op, std::vector<Value> arguments, Frame* reply = nullptr);

    std::unique_ptr<VnApi> Local;
    double TimeScale = 1.0;

    // A call made while another waits for its reply (a reset ending a badge
    // read's wait) goes over a connection of its own that joins the session.
    int32_t CallBeside(const Frame& request, Frame* reply);

    // Held for a whole exchange: one request on the session's connection at a time.
    std::mutex Mutex;
    std::unique_ptr<BoxConnection> Connection;
    bool Broken = false; // a connection broke; opens reply -1000 until the box answers again
    std::atomic<bool> BoxOpen{false}; // the last open went to the box and no close followed

    std::mutex AddressMutex; // the address and the session's token
    std::string Host;
    uint16_t Port = DefaultBoxPort;
    uint32_t Token = 0;
};

} // namespace box
