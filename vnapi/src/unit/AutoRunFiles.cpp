#include "unit/AutoRunFiles.h"

#include <cstdio>

#include "vnapi/VnCodes.h"
#include "vnapi/imaging/BmpFile.h"
#include "vnapi/imaging/JpegFile.h"
#include "vnapi/imaging/TiffFile.h"

namespace virtualunit {

namespace {

bool IsTiffType(uint16_t format)
{
    return format == VnTiffUncompressed || format == VnTiffCcittRle ||
           format == VnTiffCcittGroup3OneD || format == VnTiffCcittGroup3TwoD ||
           format == VnTiffCcittGroup4;
}

} // namespace

std::string SaveFormatExtension(uint16_t format)
{
    if (format == SaveFormatJpeg)
        return "jpg";
    if (format == SaveFormatBmp)
        return "bmp";
    if (IsTiffType(format))
        return "tif";
    return {};
}

std::string AutoRunFileName(const std::string& folder, const std::string& baseName, uint32_t number, bool front,
                            uint16_t format)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04u", number);
    std::string path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + baseName + digits + (front ? "FF." : "BB.") + SaveFormatExtension(format);
}

int32_t SaveAutoRunImage(const PackedBitmap& image, const std::string& path, uint16_t format, int32_t jpegQuality)
{
    if (format == SaveFormatJpeg)
        return imaging::SaveJpeg(&image, jpegQuality, path.c_str());
    if (format == SaveFormatBmp)
        return imaging::SaveBmp(&image, path.c_str());
    if (IsTiffType(format))
        return imaging::SaveTiff(&image, path.c_str(), format);
    return VnReplyInvalidCommand;
}

} // namespace virtualunit
