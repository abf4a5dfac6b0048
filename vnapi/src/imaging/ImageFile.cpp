#include "vnapi/imaging/ImageFile.h"

#include <vector>

#include "vnapi/VnCodes.h"
#include "vnapi/imaging/BmpFile.h"
#include "vnapi/imaging/FileBytes.h"
#include "vnapi/imaging/JpegFile.h"
#include "vnapi/imaging/TiffFile.h"

namespace imaging {

ImageFileKind ImageFileKindOf(const uint8_t* head, size_t size)
{
    if (head == nullptr)
        return ImageFileKind::Unknown;
    if (size >= 2 && head[0] == 'B' && head[1] == 'M')
        return ImageFileKind::Bmp;
    if (size >= 3 && head[0] == 0xff && head[1] == 0xd8 && head[2] == 0xff)
        return ImageFileKind::Jpeg;
    if (size >= 4) {
        const bool little = head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0;
        const bool big = head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43);
        if (little || big)
            return ImageFileKind::Tiff;
    }
    return ImageFileKind::Unknown;
}

int32_t LoadImageFile(const char* path, ImageHandle* image)
{
    if (path == nullptr || image == nullptr)
        return VnReplyInvalidCommand;
    std::vector<uint8_t> head;
    switch (ReadFileHead(path, 4, &head)) {
    case FileReadResult::Ok:
        break;
    case FileReadResult::CannotOpen:
        return VnReplyImageNotPresent;
    default:
        return VnReplyDibNotCreated;
    }
    switch (ImageFileKindOf(head.data(), head.size())) {
    case ImageFileKind::Bmp:
        return LoadBmp(path, image);
    case ImageFileKind::Jpeg:
        return LoadJpeg(path, image);
    case ImageFileKind::Tiff:
        return LoadTiff(path, image);
    default:
        return VnReplyDibNotCreated;
    }
}

} // namespace imaging
