// The device library with no unit attached.
#include "vnapi/VnApi.h"

namespace {

class NoUnitApi final : public VnApi {
public:
    int32_t Varn_Open(VnWindow, VnInstance, uint16_t, uint16_t*) override { return VnReplyPeripheralNotFound; }
    int32_t VnConnect(VnWindow, VnInstance, uint16_t, uint16_t*) override { return VnReplyPeripheralNotFound; }
    int32_t VnDisconnect(uint16_t, VnWindow) override { return VnReplyPeripheralNotFound; }
    int32_t Vn_SetIPAddress(uint16_t, const char*, uint16_t) override { return VnReplyOk; }
    int32_t VnSetNetworkNodeName(uint16_t, const char*, uint16_t) override { return VnReplyOk; }
    int32_t Varn_Identify(uint16_t, VnWindow, uint8_t*, char*, char*, char*, char*, uint8_t*, void*, char*, int32_t,
                          int32_t, int32_t, int32_t, int32_t) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t Varn_PeripheralStatus(uint16_t, VnWindow, uint8_t*, uint8_t*) override { return VnReplyPeripheralNotFound; }
    int32_t Varn_Reset(uint16_t, VnWindow, char) override { return VnReplyPeripheralNotFound; }
    int32_t Varn_DocHandle(uint16_t, VnWindow, uint16_t, uint16_t, uint16_t, char, uint16_t, uint16_t, uint16_t, char,
                           uint16_t, void*, uint16_t, int32_t) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t Varn_ReadCodeline(uint16_t, VnWindow, char*, uint16_t*, void*, void*, void*, void*) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t Varn_ReadImage(uint16_t, VnWindow, uint16_t, char, uint16_t, int32_t, ImageHandle*, ImageHandle*, void*,
                           void*) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t Varn_LoadString(uint16_t, VnWindow, char, uint16_t, const char*) override { return VnReplyPeripheralNotFound; }
    int32_t Varn_LoadStringWithCounter(uint16_t, VnWindow, char, const char*, uint16_t, int32_t, uint16_t) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t Varn_LoadDigitalString(uint16_t, VnWindow, char, const char*, uint16_t, int32_t, int32_t, const char*,
                                   int32_t, int32_t, int32_t, int32_t, int32_t, uint16_t, float, float) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t Varn_AutoDocHandle(uint16_t, VnWindow, uint16_t, uint16_t, uint16_t, uint16_t, uint16_t, uint16_t,
                               uint16_t, uint16_t, char, uint16_t, uint16_t, const char*, const char*, float, float,
                               float, float, uint16_t, uint16_t, uint16_t, int32_t, int32_t, int32_t, char, uint16_t,
                               void*, void*, void*) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t Varn_GetDocData(uint16_t, VnWindow, uint32_t*, char*, char*, void*, void*, ImageHandle*, ImageHandle*,
                            void*, void*, char*, char*, char*, void*, int32_t*, void*, void*, void*) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t Varn_SetAutoDocOptions(uint16_t, VnWindow, const AutoDocOptions*) override { return VnReplyPeripheralNotFound; }
    int32_t Varn_ReadBadge(uint16_t, VnWindow, uint8_t, uint16_t, char*, uint16_t*) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t Varn_CodelineReadFromBitmap(VnWindow, PackedBitmap*, const char*, uint16_t, float, float, float,
                                        float, const DecodeOptions*, char*, uint16_t*) override
    {
        return VnReplySupportLibraryNotPresent;
    }
    int32_t Varn_ReadBarcodeFromBitmap(VnWindow, const PackedBitmap*, char, int32_t, int32_t, int32_t, int32_t,
                                       char*, uint16_t*) override
    {
        return VnReplySupportLibraryNotPresent;
    }
    int32_t Varn_ReadPdf417FromBitmap(VnWindow, const PackedBitmap*, char*, uint16_t*, int32_t*, int32_t, int32_t,
                                      int32_t, int32_t) override
    {
        return VnReplySupportLibraryNotPresent;
    }
    int32_t Varn_ViewOCRRectangle(VnWindow, int32_t) override { return VnReplyOk; }
    int32_t Varn_ConvertImageToBW(VnWindow, int32_t, const PackedBitmap*, ImageHandle*, uint16_t, float) override
    {
        return VnReplySupportLibraryNotPresent;
    }
    int32_t Varn_ImageBrightness(VnWindow, const PackedBitmap*, int32_t, ImageHandle*) override
    {
        return VnReplySupportLibraryNotPresent;
    }
    int32_t Varn_ImageContrast(VnWindow, const PackedBitmap*, int32_t, ImageHandle*) override
    {
        return VnReplySupportLibraryNotPresent;
    }
    int32_t Varn_CutImage(VnWindow, const PackedBitmap*, uint16_t, float, float, float, float, ImageHandle*) override
    {
        return VnReplySupportLibraryNotPresent;
    }
    int32_t Varn_FreeImage(VnWindow, ImageHandle* image) override
    {
        if (image)
            image->reset();
        return VnReplyOk;
    }
    int32_t Varn_LoadImageFile(const char*, ImageHandle*) override { return VnReplySupportLibraryNotPresent; }
    int32_t Varn_SaveJPEG(VnWindow, const PackedBitmap*, int32_t, const char*) override
    {
        return VnReplySupportLibraryNotPresent;
    }
    int32_t Varn_SaveBMP(VnWindow, const PackedBitmap*, const char*) override { return VnReplySupportLibraryNotPresent; }
    int32_t Varn_SaveTIFF(VnWindow, const PackedBitmap*, const char*, int32_t, int32_t, int32_t) override
    {
        return VnReplySupportLibraryNotPresent;
    }
    int32_t Varn_ReadE13BSignal(uint16_t, VnWindow, uint8_t*, uint32_t*) override { return VnReplyPeripheralNotFound; }
    int32_t Varn_SetTrimmerMICR(uint16_t, VnWindow, uint16_t, uint8_t) override { return VnReplyPeripheralNotFound; }
    int32_t Varn_ReadTrimmerMICR(uint16_t, VnWindow, uint16_t, uint8_t*, uint16_t) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t Varn_ReadTimeSampleMICR(uint16_t, VnWindow, uint16_t, uint16_t*, uint16_t) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t Varn_SetTimeSampleMICR(uint16_t, VnWindow, uint16_t, uint16_t) override { return VnReplyPeripheralNotFound; }
    int32_t Varn_ScannerCalibration(uint16_t, VnWindow, uint16_t) override { return VnReplyPeripheralNotFound; }
    int32_t Varn_PhotosCalibration(uint16_t, VnWindow, uint16_t) override { return VnReplyPeripheralNotFound; }
    int32_t Varn_SetConfiguration(uint16_t, VnWindow, const uint8_t*) override { return VnReplyPeripheralNotFound; }
    int32_t Varn_ReadCodelineMicrOcr(uint16_t, VnWindow, char*, uint16_t*, char*, uint16_t*) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t Varn_ReadCMC7Signal(uint16_t, VnWindow, uint8_t*, uint32_t) override { return VnReplyPeripheralNotFound; }
    int32_t Varn_ImageCalibration(uint16_t, VnWindow, uint16_t, uint16_t*) override { return VnReplyPeripheralNotFound; }
    int32_t Varn_DumpPeripheralMemory(uint16_t, VnWindow, uint8_t*, uint32_t, uint32_t, uint8_t) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t Varn_HistoryCommand(uint16_t, VnWindow, uint16_t, HistoryRecord*) override { return VnReplyPeripheralNotFound; }
    int32_t VnReadPhotosValue(uint16_t, VnWindow, uint8_t*, int32_t) override { return VnReplyPeripheralNotFound; }
    int32_t VnEEPROMCommand(uint16_t, VnWindow, uint16_t, uint16_t, int16_t, uint8_t*) override
    {
        return VnReplyPeripheralNotFound;
    }
    int32_t VnBeep(uint16_t, VnWindow, uint16_t, uint16_t, uint16_t) override { return VnReplyPeripheralNotFound; }
    int32_t VnLED(uint16_t, VnWindow, uint16_t, uint16_t, uint16_t) override { return VnReplyPeripheralNotFound; }
    int32_t VnTestCinghia(uint16_t, VnWindow, uint8_t*, uint32_t*) override { return VnReplyPeripheralNotFound; }
};

} // namespace

std::unique_ptr<VnApi> CreateNoUnitApi() { return std::make_unique<NoUnitApi>(); }
