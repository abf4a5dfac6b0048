#include "unit/AutoRunFiles.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

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

uint32_t HighestAutoRunFileNumber(const std::string& folder, const std::string& baseName)
{
    namespace fs = std::filesystem;
    constexpr uint32_t Largest = 99999999; // keeps base + run number inside 32 bits
    uint32_t highest = 0;
    std::error_code error;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= baseName.size() || name.compare(0, baseName.size(), baseName) != 0)
            continue;
        size_t i = baseName.size();
        uint64_t number = 0;
        while (i < name.size() && name[i] >= '0' && name[i] <= '9') {
            number = std::min<uint64_t>(number * 10 + static_cast<uint64_t>(name[i] - '0'), Largest);
            ++i;
        }
        if (i == baseName.size() || name.size() < i + 3)
            continue;
        const std::string side = name.substr(i, 3);
        if (side != "FF." && side != "BB.")
            continue;
        highest = std::max(highest, static_cast<uint32_t>(number));
    }
    return highest;
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
