#include "unit/VirtualUnitApi.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "decode/Decode.h"
#include "decode/DecodeImage.h"
#include "imaging/BmpFile.h"
#include "imaging/ImageFile.h"
#include "imaging/ImageOps.h"
#include "imaging/JpegFile.h"
#include "imaging/TiffFile.h"

namespace virtualunit {

namespace {

// Not built yet: documents' images and codelines, signals, badge reads,
// decodes, image conversions and files.
constexpr int32_t NotYet = reply::NotSupported;

void CopyText(char* out, size_t capacity, const std::string& text)
{
    if (!out || capacity == 0)
        return;
    const size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

} // namespace

template <class Work> int32_t VirtualUnitApi::OnUnit(std::string_view operation, uint16_t handle, Work&& work)
{
    std::lock_guard lock(Shared->Mutex);
    VirtualUnit& unit = Shared->Unit;
    if (auto fault = unit.TakeOperationFault(operation))
        return *fault;
    if (!unit.IsOpen(handle))
        return reply::PeripheralNotFound;
    return work(unit);
}

template <class Work> int32_t VirtualUnitApi::Detached(std::string_view operation, Work&& work)
{
    {
        std::lock_guard lock(Shared->Mutex);
        if (auto fault = Shared->Unit.TakeOperationFault(operation))
            return *fault;
    }
    // Image work needs no unit: it does not hold up the unit's other callers.
    return work();
}

template <class Work> int32_t VirtualUnitApi::Unattached(std::string_view operation, Work&& work)
{
    std::lock_guard lock(Shared->Mutex);
    if (auto fault = Shared->Unit.TakeOperationFault(operation))
        return *fault;
    return work(Shared->Unit);
}

// ---- Connection ------------------------------------------------------------

int32_t VirtualUnitApi::Varn_Open(VnWindow, VnInstance, uint16_t connectionType, uint16_t* unitHandle)
{
    return Unattached("Varn_Open", [&](VirtualUnit& unit) { return unit.Open(connectionType, unitHandle); });
}

int32_t VirtualUnitApi::VnConnect(VnWindow, VnInstance, uint16_t connectionType, uint16_t* unitHandle)
{
    return Unattached("VnConnect", [&](VirtualUnit& unit) { return unit.Open(connectionType, unitHandle); });
}

int32_t VirtualUnitApi::VnDisconnect(uint16_t handle, VnWindow)
{
    return Unattached("VnDisconnect", [&](VirtualUnit& unit) { return unit.Close(handle); });
}

int32_t VirtualUnitApi::Vn_SetIPAddress(uint16_t connectionType, const char* ipAddress, uint16_t port)
{
    return Unattached("Vn_SetIPAddress",
                      [&](VirtualUnit& unit) { return unit.SetAddress(connectionType, ipAddress, port, false); });
}

int32_t VirtualUnitApi::VnSetNetworkNodeName(uint16_t connectionType, const char* nodeName, uint16_t port)
{
    return Unattached("VnSetNetworkNodeName",
                      [&](VirtualUnit& unit) { return unit.SetAddress(connectionType, nodeName, port, true); });
}

int32_t VirtualUnitApi::Varn_Identify(uint16_t handle, VnWindow, uint8_t* featureBytes, char* deviceModel,
                                      char* firmwareVersion, char* releaseDate, char* internalNumber,
                                      uint8_t* boardInfo, void*, char* printerFirmware, int32_t, int32_t, int32_t,
                                      int32_t, int32_t)
{
    return OnUnit("Varn_Identify", handle, [&](VirtualUnit& unit) {
        const UnitIdentity& id = unit.Identity();
        if (featureBytes)
            std::copy(unit.FeatureBytes().begin(), unit.FeatureBytes().end(), featureBytes);
        CopyText(deviceModel, VnIdentifyTextSize, id.Model);
        CopyText(firmwareVersion, VnIdentifyTextSize, id.Firmware);
        CopyText(releaseDate, VnIdentifyTextSize, id.ReleaseDate);
        CopyText(internalNumber, VnIdentifyTextSize, id.InternalNumber);
        CopyText(printerFirmware, VnPrinterFirmwareSize, id.PrinterFirmware);
        if (boardInfo) {
            boardInfo[0] = id.BoardRelease;
            boardInfo[1] = id.FpgaRelease;
        }
        return reply::Ok;
    });
}

int32_t VirtualUnitApi::Varn_PeripheralStatus(uint16_t handle, VnWindow, uint8_t* senseKey, uint8_t* sensorStatus)
{
    return OnUnit("Varn_PeripheralStatus", handle, [&](VirtualUnit& unit) {
        if (senseKey)
            *senseKey = unit.SenseKey();
        if (sensorStatus) {
            const auto bytes = unit.SensorBytes();
            std::copy(bytes.begin(), bytes.end(), sensorStatus);
        }
        return reply::Ok;
    });
}

int32_t VirtualUnitApi::Varn_Reset(uint16_t handle, VnWindow, char resetType)
{
    return OnUnit("Varn_Reset", handle, [&](VirtualUnit& unit) { return unit.Reset(resetType); });
}

// ---- Documents -------------------------------------------------------------

int32_t VirtualUnitApi::Varn_DocHandle(uint16_t handle, VnWindow, uint16_t frontStamp, uint16_t printMode,
                                       uint16_t, char, uint16_t, uint16_t feedOrRelease, uint16_t destination,
                                       char waitLetter, uint16_t, void*, uint16_t scanCard, int32_t)
{
    return OnUnit("Varn_DocHandle", handle, [&](VirtualUnit& unit) {
        if (feedOrRelease > 1)
            return reply::InvalidCommand;
        FeedRequest request;
        request.Release = feedOrRelease == 1;
        request.Destination = destination;
        request.WaitLetter = waitLetter;
        request.FrontStamp = frontStamp != 0;
        request.PrintMode = printMode;
        request.ScanCard = scanCard != 0;
        const FeedOutcome outcome = unit.HandleDocument(request);
        // SCANNER: the images, the MICR read and the prints of the document
        // that passed (unit.LastDocument()) are taken here, from the codeline
        // request, side and scan mode.
        return outcome.Reply;
    });
}

int32_t VirtualUnitApi::Varn_ReadCodeline(uint16_t handle, VnWindow, char*, uint16_t*, void*, void*, void*, void*)
{
    return OnUnit("Varn_ReadCodeline", handle, [](VirtualUnit&) { return NotYet; });
}

int32_t VirtualUnitApi::Varn_ReadImage(uint16_t handle, VnWindow, uint16_t, char, uint16_t, int32_t, ImageHandle*,
                                       ImageHandle*, void*, void*)
{
    return OnUnit("Varn_ReadImage", handle, [](VirtualUnit&) { return NotYet; });
}

int32_t VirtualUnitApi::Varn_LoadString(uint16_t handle, VnWindow, char, uint16_t, const char*)
{
    return OnUnit("Varn_LoadString", handle, [](VirtualUnit&) { return NotYet; });
}

int32_t VirtualUnitApi::Varn_LoadStringWithCounter(uint16_t handle, VnWindow, char, const char*, uint16_t, int32_t,
                                                   uint16_t)
{
    return OnUnit("Varn_LoadStringWithCounter", handle, [](VirtualUnit&) { return NotYet; });
}

int32_t VirtualUnitApi::Varn_LoadDigitalString(uint16_t handle, VnWindow, char, const char*, uint16_t, int32_t,
                                               int32_t, const char*, int32_t, int32_t, int32_t, int32_t, int32_t,
                                               uint16_t, float, float)
{
    return OnUnit("Varn_LoadDigitalString", handle, [](VirtualUnit&) { return NotYet; });
}

int32_t VirtualUnitApi::Varn_AutoDocHandle(uint16_t handle, VnWindow, uint16_t, uint16_t, uint16_t, uint16_t,
                                           uint16_t, uint16_t, uint16_t, uint16_t, char, uint16_t, uint16_t,
                                           const char*, const char*, float, float, float, float, uint16_t, uint16_t,
                                           uint16_t, int32_t, int32_t, int32_t, char, uint16_t, void*, void*, void*)
{
    return OnUnit("Varn_AutoDocHandle", handle, [](VirtualUnit&) { return NotYet; });
}

int32_t VirtualUnitApi::Varn_GetDocData(uint16_t handle, VnWindow, uint32_t*, char*, char*, void*, void*,
                                        ImageHandle*, ImageHandle*, void*, void*, char*, char*, char*, void*,
                                        int32_t*, void*, void*, void*)
{
    return OnUnit("Varn_GetDocData", handle, [](VirtualUnit&) { return NotYet; });
}

int32_t VirtualUnitApi::Varn_SetAutoDocOptions(uint16_t handle, VnWindow, const AutoDocOptions*)
{
    return OnUnit("Varn_SetAutoDocOptions", handle, [](VirtualUnit&) { return NotYet; });
}

int32_t VirtualUnitApi::Varn_ReadBadge(uint16_t handle, VnWindow, uint8_t, uint16_t, char*, uint16_t*)
{
    // BADGE: the tracks swiped (unit.TakeBadge()), joined by 't'.
    return OnUnit("Varn_ReadBadge", handle, [](VirtualUnit&) { return NotYet; });
}

// ---- Decoding and images (no connection) -----------------------------------

int32_t VirtualUnitApi::Varn_CodelineReadFromBitmap(VnWindow, PackedBitmap* image, const char* readType,
                                                    uint16_t inch, float x, float y, float width, float height,
                                                    const DecodeOptions* options, char* codeline, uint16_t* length)
{
    return Detached("Varn_CodelineReadFromBitmap", [&] {
        decode::PixelRect window;
        const int32_t reply = decode::CodelineReadFromBitmap(image, readType, inch, x, y, width, height, options,
                                                             codeline, length, &window);
        // "View OCR Rectangle": the caller's image shows where it was read.
        if (ViewOcrRectangle && image && image->IsValid())
            decode::DrawWindowRectangle(*image, window);
        return reply;
    });
}

int32_t VirtualUnitApi::Varn_ReadBarcodeFromBitmap(VnWindow, const PackedBitmap* image, char barcodeType, int32_t x,
                                                   int32_t y, int32_t width, int32_t height, char* text,
                                                   uint16_t* length)
{
    return Detached("Varn_ReadBarcodeFromBitmap", [&] {
        return decode::ReadBarcodeFromBitmap(image, barcodeType, x, y, width, height, text, length);
    });
}

int32_t VirtualUnitApi::Varn_ReadPdf417FromBitmap(VnWindow, const PackedBitmap* image, char* text, uint16_t* length,
                                                  int32_t* extra, int32_t x, int32_t y, int32_t width, int32_t height)
{
    return Detached("Varn_ReadPdf417FromBitmap", [&] {
        return decode::ReadPdf417FromBitmap(image, text, length, extra, x, y, width, height);
    });
}

int32_t VirtualUnitApi::Varn_ViewOCRRectangle(VnWindow, int32_t show)
{
    return Unattached("Varn_ViewOCRRectangle", [&](VirtualUnit&) {
        ViewOcrRectangle = show != 0;
        return reply::Ok;
    });
}

int32_t VirtualUnitApi::Varn_ConvertImageToBW(VnWindow, int32_t method, const PackedBitmap* source,
                                              ImageHandle* result, uint16_t parameter, float)
{
    return Detached("Varn_ConvertImageToBW",
                    [&] { return imaging::ConvertImageToBW(method, source, result, parameter); });
}

int32_t VirtualUnitApi::Varn_ImageBrightness(VnWindow, const PackedBitmap* source, int32_t value, ImageHandle* result)
{
    return Detached("Varn_ImageBrightness", [&] { return imaging::ImageBrightness(source, value, result); });
}

int32_t VirtualUnitApi::Varn_ImageContrast(VnWindow, const PackedBitmap* source, int32_t value, ImageHandle* result)
{
    return Detached("Varn_ImageContrast", [&] { return imaging::ImageContrast(source, value, result); });
}

int32_t VirtualUnitApi::Varn_CutImage(VnWindow, const PackedBitmap* source, uint16_t inch, float x, float y,
                                      float width, float height, ImageHandle* result)
{
    return Detached("Varn_CutImage",
                    [&] { return imaging::CutImage(source, inch, x, y, width, height, result); });
}

int32_t VirtualUnitApi::Varn_FreeImage(VnWindow, ImageHandle* image)
{
    return Unattached("Varn_FreeImage", [&](VirtualUnit&) {
        if (image)
            image->reset();
        return reply::Ok;
    });
}

int32_t VirtualUnitApi::Varn_LoadImageFile(const char* path, ImageHandle* image)
{
    return Detached("Varn_LoadImageFile", [&] { return imaging::LoadImageFile(path, image); });
}

int32_t VirtualUnitApi::Varn_SaveJPEG(VnWindow, const PackedBitmap* image, int32_t quality, const char* path)
{
    return Detached("Varn_SaveJPEG", [&] { return imaging::SaveJpeg(image, quality, path); });
}

int32_t VirtualUnitApi::Varn_SaveBMP(VnWindow, const PackedBitmap* image, const char* path)
{
    return Detached("Varn_SaveBMP", [&] { return imaging::SaveBmp(image, path); });
}

// The two trailing values carry nothing for this library.
int32_t VirtualUnitApi::Varn_SaveTIFF(VnWindow, const PackedBitmap* image, const char* path, int32_t tiffType,
                                      int32_t, int32_t)
{
    return Detached("Varn_SaveTIFF", [&] { return imaging::SaveTiff(image, path, tiffType); });
}

// ---- Signals and calibration -----------------------------------------------

int32_t VirtualUnitApi::Varn_ReadE13BSignal(uint16_t handle, VnWindow, uint8_t*, uint32_t*)
{
    // SIGNAL: the E13B signal of unit.LastDocument() through unit.Physics(),
    // the trimmer and the time-sample value.
    return OnUnit("Varn_ReadE13BSignal", handle, [](VirtualUnit&) { return NotYet; });
}

int32_t VirtualUnitApi::Varn_SetTrimmerMICR(uint16_t handle, VnWindow, uint16_t, uint8_t value)
{
    return OnUnit("Varn_SetTrimmerMICR", handle, [&](VirtualUnit& unit) {
        unit.SetTrimmer(value);
        return reply::Ok;
    });
}

int32_t VirtualUnitApi::Varn_ReadTrimmerMICR(uint16_t handle, VnWindow, uint16_t, uint8_t* buffer, uint16_t size)
{
    return OnUnit("Varn_ReadTrimmerMICR", handle, [&](VirtualUnit& unit) {
        if (!buffer)
            return reply::InvalidCommand;
        if (size == 0)
            return reply::BufferTooSmall;
        buffer[0] = unit.Trimmer();
        if (size > 1)
            buffer[1] = 0; // the CMC7 head has no trimmer
        return reply::Ok;
    });
}

int32_t VirtualUnitApi::Varn_ReadTimeSampleMICR(uint16_t handle, VnWindow, uint16_t, uint16_t* value,
                                                uint16_t size)
{
    return OnUnit("Varn_ReadTimeSampleMICR", handle, [&](VirtualUnit& unit) {
        if (!value)
            return reply::InvalidCommand;
        if (size < 2)
            return reply::BufferTooSmall;
        *value = unit.TimeSample();
        return reply::Ok;
    });
}

int32_t VirtualUnitApi::Varn_SetTimeSampleMICR(uint16_t handle, VnWindow, uint16_t, uint16_t value)
{
    return OnUnit("Varn_SetTimeSampleMICR", handle, [&](VirtualUnit& unit) { return unit.SetTimeSample(value); });
}

int32_t VirtualUnitApi::Varn_ScannerCalibration(uint16_t handle, VnWindow, uint16_t side)
{
    return OnUnit("Varn_ScannerCalibration", handle, [&](VirtualUnit& unit) { return unit.ScannerCalibration(side); });
}

int32_t VirtualUnitApi::Varn_PhotosCalibration(uint16_t handle, VnWindow, uint16_t)
{
    return OnUnit("Varn_PhotosCalibration", handle, [](VirtualUnit& unit) { return unit.PhotosCalibration(); });
}

int32_t VirtualUnitApi::Varn_SetConfiguration(uint16_t handle, VnWindow, const uint8_t* block)
{
    return OnUnit("Varn_SetConfiguration", handle, [&](VirtualUnit& unit) {
        if (!block)
            return reply::InvalidCommand;
        unit.SetConfiguration(block);
        return reply::Ok;
    });
}

int32_t VirtualUnitApi::Varn_ReadCodelineMicrOcr(uint16_t handle, VnWindow, char*, uint16_t*, char*, uint16_t*)
{
    return OnUnit("Varn_ReadCodelineMicrOcr", handle, [](VirtualUnit&) { return NotYet; });
}

int32_t VirtualUnitApi::Varn_ReadCMC7Signal(uint16_t handle, VnWindow, uint8_t*, uint32_t)
{
    return OnUnit("Varn_ReadCMC7Signal", handle, [](VirtualUnit&) { return NotYet; });
}

int32_t VirtualUnitApi::Varn_ImageCalibration(uint16_t handle, VnWindow, uint16_t mode, uint16_t* value)
{
    return OnUnit("Varn_ImageCalibration", handle, [&](VirtualUnit& unit) {
        if (!value || mode > 1)
            return reply::InvalidCommand;
        if (mode == 0) {
            *value = unit.ImageCalibration();
            return reply::Ok;
        }
        return unit.SetImageCalibration(*value);
    });
}

// ---- Maintenance -------------------------------------------------------------

int32_t VirtualUnitApi::Varn_DumpPeripheralMemory(uint16_t handle, VnWindow, uint8_t* buffer, uint32_t size,
                                                  uint32_t, uint8_t)
{
    return OnUnit("Varn_DumpPeripheralMemory", handle, [&](VirtualUnit& unit) {
        if (!buffer)
            return reply::InvalidCommand;
        const std::vector<uint8_t> image = unit.MemoryImage();
        const size_t n = std::min<size_t>(size, image.size());
        std::copy(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(n), buffer);
        return size < image.size() ? reply::BufferTooSmall : reply::Ok;
    });
}

int32_t VirtualUnitApi::Varn_HistoryCommand(uint16_t handle, VnWindow, uint16_t command, HistoryRecord* record)
{
    return OnUnit("Varn_HistoryCommand", handle, [&](VirtualUnit& unit) { return unit.History(command, record); });
}

int32_t VirtualUnitApi::VnReadPhotosValue(uint16_t handle, VnWindow, uint8_t* values, int32_t)
{
    return OnUnit("VnReadPhotosValue", handle, [&](VirtualUnit& unit) {
        if (!values)
            return reply::InvalidCommand;
        const auto readings = unit.PhotoValues();
        std::copy(readings.begin(), readings.end(), values);
        return reply::Ok;
    });
}

int32_t VirtualUnitApi::VnEEPROMCommand(uint16_t handle, VnWindow, uint16_t command, uint16_t offset, int16_t count,
                                        uint8_t* buffer)
{
    return OnUnit("VnEEPROMCommand", handle,
                  [&](VirtualUnit& unit) { return unit.Eeprom(command, offset, count, buffer); });
}

int32_t VirtualUnitApi::VnBeep(uint16_t handle, VnWindow, uint16_t count, uint16_t timeOn, uint16_t timeOff)
{
    return OnUnit("VnBeep", handle, [&](VirtualUnit& unit) {
        unit.Beep(count, timeOn, timeOff);
        return reply::Ok;
    });
}

int32_t VirtualUnitApi::VnLED(uint16_t handle, VnWindow, uint16_t color, uint16_t timeOn, uint16_t timeOff)
{
    return OnUnit("VnLED", handle, [&](VirtualUnit& unit) { return unit.Led(color, timeOn, timeOff); });
}

int32_t VirtualUnitApi::VnTestCinghia(uint16_t handle, VnWindow, uint8_t*, uint32_t*)
{
    // SIGNAL: the belt's magnetic signal.
    return OnUnit("VnTestCinghia", handle, [](VirtualUnit&) { return NotYet; });
}

} // namespace virtualunit
