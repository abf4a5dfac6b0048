// Saving a document's images as numbered files in "Images".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Bench;
class PackedBitmap;

// The file name of one side: "<imagesFolder>/Image_<nnnn>FF.<ext>" ("BB" for
// the back), or empty for a format code that saves nothing.
std::string DocumentImageName(const std::string& imagesFolder, uint16_t number, uint16_t format, bool front);

// Saves the front, then the back, of those present. The first failed save of
// a run is reported (once, however many documents fail after it); the reply
// of the first failed save, else 0. The files written are added to saved.
int32_t SaveDocumentImages(Bench& bench, uint16_t number, uint16_t format, const PackedBitmap* front,
                           const PackedBitmap* back, std::vector<std::string>* saved = nullptr);
