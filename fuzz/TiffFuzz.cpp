// libFuzzer target: random bytes as an image file opened by its content (TIFF
// mostly, through libtiff; BMP and JPEG when the bytes start like one), the
// way the library's and the bench's image opens read files.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "vnapi/imaging/ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/varn-fuzz-" + std::to_string(getpid()) + ".tif";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    const bool written = std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    if (!written)
        return 0;
    ImageHandle image;
    if (imaging::LoadImageFile(path.c_str(), &image) == 0 && (!image || !image->IsValid()))
        std::abort();
    return 0;
}
