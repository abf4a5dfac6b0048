#include "unit/VirtualUnitApi.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

#include "decode/Decode.h"
#include "decode/DecodeImage.h"
#include "imaging/ImageOps.h"
#include "unit/AutoRunFiles.h"
#include "vnapi/imaging/BmpFile.h"
#include "vnapi/imaging/ImageFile.h"
#include "vnapi/imaging/JpegFile.h"
#include "vnapi/imaging/TiffFile.h"

namespace virtualunit {

namespace {

// Not built yet: the decodes of images handed in.
constexpr int32_t NotYet = VnReplyCommandNotSupported;

void CopyText(char* out, size_t capacity, const std::string& text)
{
    if (!out || capacity == 0)
        return;
    const size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

// A text into a caller's buffer whose capacity *length gives; *length
// becomes the length delivered. Reply 2 when the text did not fit whole.
int32_t DeliverText(const std::string& text, char* out, uint16_t* length)
{
    if (*length == 0)
        return text.empty() ? VnReplyOk : VnReplyCodelineTruncated;
    const size_t n = std::min<size_t>(text.size(), *length - 1u);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    *length = static_cast<uint16_t>(n);
    return n < text.size() ? VnReplyCodelineTruncated : VnReplyOk;
}

// The printer holds a line of at most this many characters.
constexpr uint16_t MaxPrintText = 255;

// length characters of text, up to its end; false when there is no text or
// the printer cannot hold it.
bool PrintText(const char* text, uint16_t length, std::string* out)
{
    if (length > MaxPrintText || (length > 0 && !text))
        return false;
    out->assign(text ? text : "", text ? strnlen(text, length) : 0);
    return true;
}

// The unit's own codeline read of an automatic run: 1 MICR, 15 MICR + OCR,
// an OCR read type letter, a barcode type letter, 2 PDF417, 0 none. The
// window is in millimetres with unit code 10, in inches with 20.
bool DescribeCodelineType(uint16_t type, float x, float y, float width, float height, uint16_t unitCode,
                          AutoRunJob* job)
{
    job->CodelineType = type;
    OpticalReadRequest read;
    read.X = x;
    read.Y = y;
    read.Width = width;
    read.Height = height;
    read.Inch = unitCode == VnWindowInches;
    switch (type) {
    case VnCodelineNone:
    case VnCodelineMicr:
    case VnCodelineMicrOcr:
        return true;
    case VnCodelinePdf417:
        read.Kind = OpticalReadKind::Pdf417;
        break;
    case 'A':
    case 'B':
    case 'C':
    case 'E':
    case 'F':
    case 'X':
        read.Kind = OpticalReadKind::Ocr;
        read.Letter = static_cast<char>(type);
        break;
    case '2':
    case '3':
    case '4':
        read.Kind = OpticalReadKind::Barcode;
        read.Letter = static_cast<char>(type);
        break;
    default:
        return false;
    }
    job->OpticalRead = read;
    return true;
}

// No exception leaves the library: whatever escapes an operation (a failed
// allocation above all) becomes a system error reply.
template <class Work> int32_t Guarded(Work&& work) noexcept
{
    try {
        return work();
    } catch (...) {
        return VnReplySystemError;
    }
}

} // namespace

template <class Work> int32_t VirtualUnitApi::OnUnit(std::string_view operation, uint16_t handle, Work&& work)
{
    return Guarded([&]() -> int32_t {
        std::lock_guard lock(Shared->Mutex);
        VirtualUnit& unit = Shared->Unit;
        const int32_t r = [&]() -> int32_t {
            if (auto fault = unit.TakeOperationFault(operation))
                return *fault;
            if (!unit.IsOpen(handle))
                return VnReplyPeripheralNotFound;
            if (unit.Silent())
                return VnReplyUsbHardwareError;
            return work(unit);
        }();
        unit.NoteOperation(operation, r);
        return r;
    });
}

template <class Work> int32_t VirtualUnitApi::Detached(std::string_view operation, Work&& work)
{
    return Guarded([&]() -> int32_t {
        {
            std::lock_guard lock(Shared->Mutex);
            if (auto fault = Shared->Unit.TakeOperationFault(operation))
                return *fault;
        }
        // Image work needs no unit: it does not hold up the unit's other callers.
        return work();
    });
}

template <class Work> int32_t VirtualUnitApi::Unattached(std::string_view operation, Work&& work)
{
    return Guarded([&]() -> int32_t {
        std::lock_guard lock(Shared->Mutex);
        VirtualUnit& unit = Shared->Unit;
        const int32_t r = [&]() -> int32_t {
            if (auto fault = unit.TakeOperationFault(operation))
                return *fault;
            return work(unit);
        }();
        unit.NoteOperation(operation, r);
        return r;
    });
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
    const int32_t r = Unattached("VnDisconnect", [&](VirtualUnit& unit) { return unit.Close(handle); });
    Shared->Changed.notify_all();
    return r;
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
        unit.CountIdentification();
        return VnReplyOk;
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
        return VnReplyOk;
    });
}

int32_t VirtualUnitApi::Varn_Reset(uint16_t handle, VnWindow, char resetType)
{
    const int32_t r = OnUnit("Varn_Reset", handle, [&](VirtualUnit& unit) { return unit.Reset(resetType); });
    Shared->Changed.notify_all(); // a waiting badge read gives up
    return r;
}

// ---- Documents -------------------------------------------------------------

int32_t VirtualUnitApi::Varn_DocHandle(uint16_t handle, VnWindow, uint16_t frontStamp, uint16_t printMode,
                                       uint16_t codelineRequest, char side, uint16_t scanMode, uint16_t feedOrRelease,
                                       uint16_t destination, char waitLetter, uint16_t, void*, uint16_t scanCard,
                                       int32_t)
{
    return OnUnit("Varn_DocHandle", handle, [&](VirtualUnit& unit) {
        if (feedOrRelease > 1)
            return VnReplyInvalidCommand;
        FeedRequest request;
        request.Release = feedOrRelease == 1;
        request.Destination = destination;
        request.WaitLetter = waitLetter;
        request.FrontStamp = frontStamp != 0;
        request.PrintMode = printMode;
        request.ScanCard = scanCard != 0;
        request.CodelineRequest = codelineRequest;
        request.Side = side;
        request.ScanMode = scanMode;
        return unit.HandleDocument(request).Reply;
    });
}

int32_t VirtualUnitApi::Varn_ReadCodeline(uint16_t handle, VnWindow, char* codeline, uint16_t* length, void*, void*,
                                          void*, void*)
{
    return OnUnit("Varn_ReadCodeline", handle, [&](VirtualUnit& unit) {
        if (!codeline || !length)
            return VnReplyInvalidCommand;
        std::string text;
        if (const int32_t r = unit.ReadCodeline(&text))
            return r;
        return DeliverText(text, codeline, length);
    });
}

int32_t VirtualUnitApi::Varn_ReadImage(uint16_t handle, VnWindow, uint16_t clearImage, char side, uint16_t, int32_t,
                                       ImageHandle* front, ImageHandle* back, void*, void*)
{
    return OnUnit("Varn_ReadImage", handle,
                  [&](VirtualUnit& unit) { return unit.ReadImages(clearImage, side, front, back); });
}

int32_t VirtualUnitApi::Varn_LoadString(uint16_t handle, VnWindow, char fontLetter, uint16_t length, const char* text)
{
    return OnUnit("Varn_LoadString", handle, [&](VirtualUnit& unit) {
        std::string loaded;
        if (!PrintText(text, length, &loaded))
            return VnReplyInvalidCommand;
        return unit.LoadEndorsement(fontLetter, std::move(loaded), false, 0, 0);
    });
}

// The bench passes a start of 8 and 3 digits: "%d" prints 008, 009, ...
int32_t VirtualUnitApi::Varn_LoadStringWithCounter(uint16_t handle, VnWindow, char fontLetter, const char* text,
                                                   uint16_t length, int32_t counterStart, uint16_t counterDigits)
{
    return OnUnit("Varn_LoadStringWithCounter", handle, [&](VirtualUnit& unit) {
        std::string loaded;
        if (!PrintText(text, length, &loaded))
            return VnReplyInvalidCommand;
        return unit.LoadEndorsement(fontLetter, std::move(loaded), true, counterStart, counterDigits);
    });
}

// The values 7 and 0 the bench passes after the length say nothing here.
int32_t VirtualUnitApi::Varn_LoadDigitalString(uint16_t handle, VnWindow, char side, const char* text,
                                               uint16_t length, int32_t, int32_t, const char* fontName,
                                               int32_t fontSize, int32_t bold, int32_t italic, int32_t underline,
                                               int32_t grayTone, uint16_t inch, float x, float y)
{
    return OnUnit("Varn_LoadDigitalString", handle, [&](VirtualUnit& unit) {
        PrintJob digital;
        if (!PrintText(text, length, &digital.DigitalText))
            return VnReplyInvalidCommand;
        digital.DigitalSide = side;
        if (fontName && *fontName)
            digital.DigitalFontName = fontName;
        digital.DigitalFontSize = fontSize;
        digital.DigitalBold = bold != 0;
        digital.DigitalItalic = italic != 0;
        digital.DigitalUnderline = underline != 0;
        digital.DigitalGrayTone = grayTone;
        digital.DigitalInch = inch != 0;
        digital.DigitalX = x;
        digital.DigitalY = y;
        return unit.LoadDigitalString(digital);
    });
}

// The constants the bench passes among the arguments (0, 1, 0, 0, 0, 1) say
// nothing here.
int32_t VirtualUnitApi::Varn_AutoDocHandle(uint16_t handle, VnWindow, uint16_t frontStamp, uint16_t printFlag,
                                           uint16_t codelineType, uint16_t scanMode, uint16_t, uint16_t,
                                           uint16_t documentCount, uint16_t clearImage, char side, uint16_t,
                                           uint16_t saveImageMode, const char* imagesFolder, const char* baseName,
                                           float windowX, float windowY, float windowWidth, float windowHeight,
                                           uint16_t unitCode, uint16_t, uint16_t saveImageFormat,
                                           int32_t jpegQuality, int32_t, int32_t, char waitLetter, uint16_t, void*,
                                           void*, void*)
{
    return OnUnit("Varn_AutoDocHandle", handle, [&](VirtualUnit& unit) {
        AutoRunJob job;
        if (!DescribeCodelineType(codelineType, windowX, windowY, windowWidth, windowHeight, unitCode, &job))
            return VnReplyInvalidCommand;
        job.FrontStamp = frontStamp != 0;
        job.Print = printFlag != 0;
        job.ScanMode = scanMode;
        job.Count = documentCount;
        job.ClearImage = clearImage;
        job.Side = side;
        job.SaveImages = saveImageMode == SaveModeFiles;
        if (job.SaveImages) {
            if (!imagesFolder || !baseName)
                return VnReplyInvalidCommand;
            job.Folder = imagesFolder;
            job.BaseName = baseName;
        }
        job.SaveFormat = saveImageFormat;
        job.JpegQuality = jpegQuality;
        job.WaitLetter = waitLetter;
        return unit.StartAutoRun(job);
    });
}

// extra receives the number of documents left in the feeder.
int32_t VirtualUnitApi::Varn_GetDocData(uint16_t handle, VnWindow, uint32_t* documentNumber, char* frontFileName,
                                        char* backFileName, void*, void*, ImageHandle* front, ImageHandle* back,
                                        void*, void*, char* opticalCodeline, char* micrCodeline, char* barcode,
                                        void*, int32_t* extra, void*, void*, void*)
{
    return OnUnit("Varn_GetDocData", handle, [&](VirtualUnit& unit) {
        AutoRunDocument doc = unit.FetchAutoRunDocument(front != nullptr, back != nullptr);
        if (documentNumber)
            *documentNumber = doc.Number;
        CopyText(frontFileName, VnFileNameSize, doc.FrontFile);
        CopyText(backFileName, VnFileNameSize, doc.BackFile);
        if (front)
            *front = std::move(doc.Front);
        if (back)
            *back = std::move(doc.Back);
        CopyText(opticalCodeline, VnCodelineSize, doc.Optical);
        CopyText(micrCodeline, VnCodelineSize, doc.Micr);
        CopyText(barcode, VnCodelineSize, doc.Barcode);
        if (extra)
            *extra = doc.FeederLeft;
        return doc.Reply;
    });
}

int32_t VirtualUnitApi::Varn_SetAutoDocOptions(uint16_t handle, VnWindow, const AutoDocOptions* options)
{
    return OnUnit("Varn_SetAutoDocOptions", handle, [&](VirtualUnit& unit) {
        if (!options)
            return VnReplyInvalidCommand;
        unit.SetStopOnCodelineError(options->StopOnCodelineError != 0);
        return VnReplyOk;
    });
}

int32_t VirtualUnitApi::Varn_ReadBadge(uint16_t handle, VnWindow, uint8_t tracks, uint16_t size, char* data,
                                       uint16_t* length)
{
    return Guarded([&] { return ReadBadgeWaiting(handle, tracks, size, data, length); });
}

// Waits for a swipe without holding the unit, so that a reset from another
// thread gets through and ends the wait.
int32_t VirtualUnitApi::ReadBadgeWaiting(uint16_t handle, uint8_t tracks, uint16_t size, char* data,
                                         uint16_t* length)
{
    std::unique_lock lock(Shared->Mutex);
    VirtualUnit& unit = Shared->Unit;
    if (auto fault = unit.TakeOperationFault("Varn_ReadBadge"))
        return *fault;
    if (!unit.IsOpen(handle))
        return VnReplyPeripheralNotFound;
    if (!data)
        return VnReplyInvalidCommand;
    if (const int32_t r = unit.CheckBadgeRead(tracks))
        return r;
    std::optional<std::string> swiped = unit.TakeBadgeData(tracks);
    if (!swiped) {
        const uint32_t interruptions = unit.Interruptions();
        unit.SetBadgeReadWaiting(true);
        Shared->Changed.wait_for(lock, std::chrono::milliseconds(unit.BadgeWaitMilliseconds()), [&] {
            if (unit.Interruptions() != interruptions)
                return true;
            swiped = unit.TakeBadgeData(tracks);
            return swiped.has_value();
        });
        unit.SetBadgeReadWaiting(false);
        if (!swiped) {
            if (unit.Interruptions() == interruptions)
                return VnReplyBusy; // nobody swiped a badge in time
            return unit.IsOpen(handle) ? VnReplyAborted : VnReplyPeripheralNotFound;
        }
    }
    uint16_t capacity = size;
    if (length)
        capacity = std::min(capacity, *length);
    if (capacity == 0)
        return VnReplyDataLost;
    const size_t n = std::min<size_t>(swiped->size(), capacity - 1u);
    std::memcpy(data, swiped->data(), n);
    data[n] = '\0';
    if (length)
        *length = static_cast<uint16_t>(n);
    return n < swiped->size() ? VnReplyDataLost : VnReplyOk;
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
        return VnReplyOk;
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
        return VnReplyOk;
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

int32_t VirtualUnitApi::Varn_ReadE13BSignal(uint16_t handle, VnWindow, uint8_t* samples, uint32_t* length)
{
    return OnUnit("Varn_ReadE13BSignal", handle, [&](VirtualUnit& unit) {
        if (!samples || !length)
            return VnReplyInvalidCommand;
        const std::vector<uint8_t>* signal = nullptr;
        if (const int32_t r = unit.ReadE13bSignal(&signal))
            return r;
        const size_t n = std::min<size_t>(*length, signal->size());
        std::copy(signal->begin(), signal->begin() + static_cast<std::ptrdiff_t>(n), samples);
        *length = static_cast<uint32_t>(n);
        return n < signal->size() ? VnReplyDataLost : VnReplyOk;
    });
}

int32_t VirtualUnitApi::Varn_SetTrimmerMICR(uint16_t handle, VnWindow, uint16_t, uint8_t value)
{
    return OnUnit("Varn_SetTrimmerMICR", handle, [&](VirtualUnit& unit) {
        return unit.SetTrimmer(value);
    });
}

int32_t VirtualUnitApi::Varn_ReadTrimmerMICR(uint16_t handle, VnWindow, uint16_t, uint8_t* buffer, uint16_t size)
{
    return OnUnit("Varn_ReadTrimmerMICR", handle, [&](VirtualUnit& unit) {
        if (!buffer)
            return VnReplyInvalidCommand;
        if (size == 0)
            return VnReplyDataLost;
        buffer[0] = unit.Trimmer();
        if (size > 1)
            buffer[1] = 0; // the CMC7 head has no trimmer
        return VnReplyOk;
    });
}

int32_t VirtualUnitApi::Varn_ReadTimeSampleMICR(uint16_t handle, VnWindow, uint16_t, uint16_t* value,
                                                uint16_t size)
{
    return OnUnit("Varn_ReadTimeSampleMICR", handle, [&](VirtualUnit& unit) {
        if (!value)
            return VnReplyInvalidCommand;
        if (size < 2)
            return VnReplyDataLost;
        *value = unit.TimeSample();
        return VnReplyOk;
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
            return VnReplyInvalidCommand;
        return unit.SetConfiguration(block);
    });
}

// The OCR half is the unit's optical read of the codeline band (see
// UnitOpticalRead), made when the feed asked for MICR + OCR (request 15).
int32_t VirtualUnitApi::Varn_ReadCodelineMicrOcr(uint16_t handle, VnWindow, char* micrCodeline,
                                                 uint16_t* micrLength, char* ocrCodeline, uint16_t* ocrLength)
{
    return OnUnit("Varn_ReadCodelineMicrOcr", handle, [&](VirtualUnit& unit) {
        if (!micrCodeline || !micrLength || !ocrCodeline || !ocrLength)
            return VnReplyInvalidCommand;
        std::string micrText, ocrText;
        if (const int32_t r = unit.ReadMicrAndOcr(&micrText, &ocrText))
            return r;
        const int32_t micrReply = DeliverText(micrText, micrCodeline, micrLength);
        const int32_t ocrReply = DeliverText(ocrText, ocrCodeline, ocrLength);
        return micrReply != VnReplyOk ? micrReply : ocrReply;
    });
}

int32_t VirtualUnitApi::Varn_ReadCMC7Signal(uint16_t handle, VnWindow, uint8_t* data, uint32_t size)
{
    return OnUnit("Varn_ReadCMC7Signal", handle, [&](VirtualUnit& unit) {
        if (!data)
            return VnReplyInvalidCommand;
        std::array<uint8_t, micr::Cmc7DataSize> record{};
        if (const int32_t r = unit.ReadCmc7Record(&record))
            return r;
        const size_t n = std::min<size_t>(size, record.size());
        std::copy(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(n), data);
        return n < record.size() ? VnReplyDataLost : VnReplyOk;
    });
}

int32_t VirtualUnitApi::Varn_ImageCalibration(uint16_t handle, VnWindow, uint16_t mode, uint16_t* value)
{
    return OnUnit("Varn_ImageCalibration", handle, [&](VirtualUnit& unit) {
        if (!value || mode > 1)
            return VnReplyInvalidCommand;
        if (mode == 0) {
            *value = unit.ImageCalibration();
            return VnReplyOk;
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
            return VnReplyInvalidCommand;
        const std::vector<uint8_t> image = unit.MemoryImage();
        const size_t n = std::min<size_t>(size, image.size());
        std::copy(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(n), buffer);
        return size < image.size() ? VnReplyDataLost : VnReplyOk;
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
            return VnReplyInvalidCommand;
        const auto readings = unit.PhotoValues();
        std::copy(readings.begin(), readings.end(), values);
        return VnReplyOk;
    });
}

int32_t VirtualUnitApi::VnEEPROMCommand(uint16_t handle, VnWindow, uint16_t command, uint16_t offset, int16_t count,
                                        uint8_t* buffer)
{
    return OnUnit("VnEEPROMCommand", handle,
                  [&](VirtualUnit& unit) { return unit.Eeprom(command, offset, count, buffer); });
}

// The unit sounds or blinks without being held, so that a reset, a close or a
// power cycle from another thread gets through and cuts the pattern short.
int32_t VirtualUnitApi::SignalFor(std::unique_lock<std::mutex>& lock, uint16_t handle, uint32_t realMilliseconds)
{
    VirtualUnit& unit = Shared->Unit;
    const uint32_t interruptions = unit.Interruptions();
    const bool interrupted = Shared->Changed.wait_for(lock, std::chrono::milliseconds(realMilliseconds),
                                                      [&] { return unit.Interruptions() != interruptions; });
    if (!interrupted)
        return VnReplyOk;
    return unit.IsOpen(handle) ? VnReplyAborted : VnReplyPeripheralNotFound;
}

int32_t VirtualUnitApi::VnBeep(uint16_t handle, VnWindow, uint16_t count, uint16_t timeOn, uint16_t timeOff)
{
    std::unique_lock lock(Shared->Mutex);
    VirtualUnit& unit = Shared->Unit;
    if (auto fault = unit.TakeOperationFault("VnBeep"))
        return *fault;
    if (!unit.IsOpen(handle))
        return VnReplyPeripheralNotFound;
    if (unit.Silent())
        return VnReplyUsbHardwareError;
    return SignalFor(lock, handle, unit.Beep(count, timeOn, timeOff));
}

int32_t VirtualUnitApi::VnLED(uint16_t handle, VnWindow, uint16_t color, uint16_t timeOn, uint16_t timeOff)
{
    std::unique_lock lock(Shared->Mutex);
    VirtualUnit& unit = Shared->Unit;
    if (auto fault = unit.TakeOperationFault("VnLED"))
        return *fault;
    if (!unit.IsOpen(handle))
        return VnReplyPeripheralNotFound;
    if (unit.Silent())
        return VnReplyUsbHardwareError;
    uint32_t realMilliseconds = 0;
    if (const int32_t r = unit.Led(color, timeOn, timeOff, &realMilliseconds))
        return r;
    return SignalFor(lock, handle, realMilliseconds);
}

int32_t VirtualUnitApi::VnTestCinghia(uint16_t handle, VnWindow, uint8_t* samples, uint32_t* length)
{
    return OnUnit("VnTestCinghia", handle, [&](VirtualUnit& unit) {
        if (!samples || !length)
            return VnReplyInvalidCommand;
        if (*length == 0)
            return VnReplyDataLost;
        std::vector<uint8_t> belt;
        if (const int32_t r = unit.BeltTest(*length, &belt))
            return r;
        std::copy(belt.begin(), belt.end(), samples);
        *length = static_cast<uint32_t>(belt.size());
        return VnReplyOk;
    });
}

} // namespace virtualunit
