// Reply codes of the image files and image operations, taken from the device
// library's reply table.
#pragma once

#include <cstdint>

namespace imaging {

constexpr int32_t ReplyOk = 0;
constexpr int32_t ReplyInvalidCommand = -9;      // "Invalid command." (bad argument or method)
constexpr int32_t ReplyJpegNotCreated = -12;     // "JPEG image not created !"
constexpr int32_t ReplyDibNotCreated = -18;      // "DIB image not created !"
constexpr int32_t ReplyTiffNotCreated = -19;     // "TIFF image not created !"
constexpr int32_t ReplyImageNotPresent = -22;    // "Image not present."

} // namespace imaging
