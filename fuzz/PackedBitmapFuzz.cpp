// libFuzzer target: random bytes as a packed bitmap (after four parameter
// bytes). Whatever IsValid accepts goes through every image operation and
// the encoders; each result is valid again.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/ImageOps.h"
#include "vnapi/PackedBitmap.h"
#include "vnapi/VnCodes.h"
#include "vnapi/imaging/BmpFile.h"
#include "vnapi/imaging/ImagePixels.h"
#include "vnapi/imaging/JpegFile.h"

namespace {

void CheckResult(int32_t reply, const ImageHandle& result)
{
    if (reply == 0 && (!result || !result->IsValid()))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const PackedBitmap image(std::vector<uint8_t>(data + 4, data + size));
    (void)image.Width();
    (void)image.Height();
    (void)image.ColorTableEntries();
    if (!image.IsValid())
        return 0;
    // Every byte IsValid promised is there (the sanitizer checks the reads).
    volatile uint8_t sink = 0;
    for (int32_t r = 0; r < image.Height(); ++r)
        if (image.RowStride() > 0)
            sink = sink + image.Row(r)[image.RowStride() - 1];
    (void)sink;

    const uint16_t parameter = static_cast<uint16_t>(data[1] | data[2] << 8);
    const int32_t value = static_cast<int8_t>(data[3]) * 8;
    ImageHandle result;
    CheckResult(imaging::ConvertImageToBW(data[0] & 1 ? 4 : 6, &image, &result, parameter), result);
    result.reset();
    CheckResult(imaging::ImageBrightness(&image, value, &result), result);
    result.reset();
    CheckResult(imaging::ImageContrast(&image, value, &result), result);
    result.reset();
    CheckResult(imaging::CutImage(&image, data[0] >> 7, data[1] % 64, data[2] % 64, 1 + data[3] % 64,
                                  1 + data[0] % 64, &result),
                result);
    (void)imaging::GreyPlane(image);
    (void)imaging::PaletteGreys(image);
    std::vector<uint8_t> file;
    ImageHandle again;
    // Only a header whose image size claims more than the block is refused.
    const bool claimsTooMuch = image.PixelOffset() + uint64_t{image.ImageSize()} > image.Bytes().size();
    const int32_t encoded = imaging::EncodeBmp(&image, &file);
    if (encoded != (claimsTooMuch ? VnReplyDibNotCreated : VnReplyOk) ||
        (encoded == VnReplyOk && imaging::DecodeBmp(file.data(), file.size(), &again) != VnReplyOk))
        std::abort();
    file.clear();
    if (imaging::EncodeJpeg(&image, 75, &file) == 0 && imaging::DecodeJpeg(file.data(), file.size(), &again) != 0)
        std::abort();
    return 0;
}
