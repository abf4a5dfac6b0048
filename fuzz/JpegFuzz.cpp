// libFuzzer target: random bytes as a JPEG file. A decoded image is a valid
// packed bitmap.
#include <cstdint>
#include <cstdlib>

#include "vnapi/imaging/JpegFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ImageHandle image;
    if (imaging::DecodeJpeg(data, size, &image) != 0)
        return 0;
    if (!image || !image->IsValid())
        std::abort();
    return 0;
}
