// The unit and file side of the image quality bench: the test document's
// scan, the load of a BMP, the band report files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quality/QualityCheck.h"
#include "vnapi/PackedBitmap.h"

struct Bench;

namespace bench {

constexpr size_t QualityLoadBufferSize = 4194304;

// Feeds one document and reads the chosen side, colour (scan mode 11) or
// 256 greys (5). 0 means the image is there.
int32_t ReadTestDocument(Bench& bench, bool front, bool colour, ImageHandle& image);

// The file from its info header on, at most the load buffer's size; none,
// with the reason, for a file that is not a whole BMP or too large.
struct LoadedBitmap {
    std::vector<uint8_t> Bytes;
    std::string Problem; // empty when loaded
    bool Opened = false;
};
LoadedBitmap LoadQualityBitmap(const std::string& path);

// Appends the six band reports to their files in the current folder.
void AppendBandReports(const std::vector<uint8_t>& image, RowProfiles& profiles);

} // namespace bench
