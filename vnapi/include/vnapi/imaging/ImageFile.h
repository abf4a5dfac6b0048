// Loading an image file of any supported kind, told apart by its content.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vnapi/PackedBitmap.h"

namespace imaging {

enum class ImageFileKind { Unknown, Bmp, Jpeg, Tiff };

// "BM" -> BMP; FF D8 FF -> JPEG; "II*\0", "MM\0*" (and BigTIFF "II+\0",
// "MM\0+") -> TIFF. The extension of the file plays no part.
ImageFileKind ImageFileKindOf(const uint8_t* head, size_t size);

// Loads the file into a new packed bitmap. Replies -9 without a path or
// handle, -22 when the file cannot be opened, -18 when its content is none of
// the known kinds, else the reply of LoadBmp, LoadJpeg or LoadTiff. The handle
// is replaced only on success.
int32_t LoadImageFile(const char* path, ImageHandle* image);

} // namespace imaging
