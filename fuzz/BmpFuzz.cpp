// libFuzzer target: random bytes as a BMP file. A decoded image is a valid
// packed bitmap that encodes and decodes again.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "vnapi/imaging/BmpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ImageHandle image;
    if (imaging::DecodeBmp(data, size, &image) != 0)
        return 0;
    if (!image || !image->IsValid())
        std::abort();
    std::vector<uint8_t> file;
    ImageHandle again;
    if (imaging::EncodeBmp(image.get(), &file) != 0 || imaging::DecodeBmp(file.data(), file.size(), &again) != 0)
        std::abort();
    return 0;
}
