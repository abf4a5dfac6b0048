// libFuzzer target: random bytes as an image file opened by its content (TIFF
// mostly, through libtiff; BMP and JPEG when the bytes start like one), the
// way the library's and the bench's image opens read files.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzFile.h"
#include "vnapi/imaging/ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = FuzzFilePath("tiff") + ".tif";
    if (!WriteFuzzFile(path, data, size))
        return 0;
    ImageHandle image;
    if (imaging::LoadImageFile(path.c_str(), &image) == 0 && (!image || !image->IsValid()))
        std::abort();
    return 0;
}
