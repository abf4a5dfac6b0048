// The unit's own optical reads: the OCR line, barcode or PDF417 symbol it
// decodes from its front scan in the automatic run (codeline types of
// letters and 2) and the OCR half of the MICR + OCR read (codeline request
// 15). Every such read of the unit goes through UnitOpticalRead.
#pragma once

#include <string>

#include "vnapi/PackedBitmap.h"
#include "vnapi/VnApi.h"

namespace virtualunit {

enum class OpticalReadKind { Ocr, Barcode, Pdf417 };

struct OpticalReadRequest {
    OpticalReadKind Kind = OpticalReadKind::Ocr;
    // OCR read type 'A' OCR-A, 'B' OCR-B, 'C' OCR-B alphanumeric, 'F' OCR-B
    // Italian subset, 'E' optical E13B, 'X' E13B with the X switch; barcode
    // '2' 2 of 5, '3' Code 39, '4' Code 128. Unused for PDF417.
    char Letter = 'B';
    // The window, measured from the document's right and bottom edges, in
    // millimetres or (Inch) inches; all zero searches the whole image.
    float X = 0.0f;
    float Y = 0.0f;
    float Width = 0.0f;
    float Height = 0.0f;
    bool Inch = false;
};

// The text read from the front image by the library's own decoders, '!' for
// each unreadable character; empty when nothing was found.
std::string UnitOpticalRead(const PackedBitmap& frontImage, const OpticalReadRequest& request);

// The window of the optical E13B read that backs the MICR + OCR request:
// the codeline's clear band, the whole length of the document.
OpticalReadRequest CodelineBandRead(float documentLengthMm);

} // namespace virtualunit
