// libFuzzer target: random bytes as an image file opened the bench's own way
// (Qt's readers, TIFF through the library). An image it accepts has pixels.
#include <QImage>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzFile.h"
#include "views/ImageFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = FuzzFilePath("open");
    if (!WriteFuzzFile(path, data, size))
        return 0;
    QImage image;
    if (LoadImageFile(QString::fromStdString(path), image) && image.isNull())
        std::abort();
    return 0;
}
