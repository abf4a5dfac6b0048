// libFuzzer target: random bytes as an image file opened the bench's own way
// (Qt's readers, TIFF through the library). An image it accepts has pixels.
#include <unistd.h>

#include <QImage>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "views/ImageFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/varn-fuzz-open-" + std::to_string(getpid());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    const bool written = std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    if (!written)
        return 0;
    QImage image;
    if (LoadImageFile(QString::fromStdString(path), image) && image.isNull())
        std::abort();
    return 0;
}
