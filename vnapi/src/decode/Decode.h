// The device library's optical decodes as free functions, with the argument
// lists, replies and out-values of the VnApi operations of the same names.
// They need no unit and no connection, and read any image handed to them: 1,
// 4, 8 or 24 bits, at the resolution its header gives (none: 200 dpi).
//
// Texts: *length holds the buffer's capacity on entry and the number of
// characters delivered on return; the text is always NUL-terminated within
// the capacity.
//
// Replies:
//   0    the window was read. The text holds what was found: an OCR line with
//        '!' for each character it could not read with confidence, a barcode's
//        text, or nothing at all when the window holds no line or symbol (a
//        window without a codeline is an answer, not a failure of the call).
//   2    "Codeline Truncated !": the OCR line did not fit; the part that fits
//        is delivered.
//   -10  "Data lost": a barcode or PDF417 text did not fit; likewise.
//   -22  "Image not present.": no image, or not a packed bitmap we can read.
//   -9   "Invalid command.": an unknown read type or barcode type, a DecodeOptions
//        mode other than 'N' or 'X', missing text buffer or length, a window
//        that is not a number.
//   -1   a system error (memory).
#pragma once

#include <cstdint>

#include "decode/DecodeImage.h"
#include "vnapi/VnApi.h"
#include "vnapi/VnCodes.h"

namespace decode {


// readType: the read-type letters as a text ("B", "EF"; see OcrTemplates.h);
// options: null reads as (1, 'N'). windowUsed, when given, receives the
// window in pixels (empty when the image could not be read), for the
// rectangle of "View OCR Rectangle".
int32_t CodelineReadFromBitmap(const PackedBitmap* image, const char* readType, uint16_t inch, float x, float y,
                               float width, float height, const DecodeOptions* options, char* codeline,
                               uint16_t* length, PixelRect* windowUsed = nullptr);

// barcodeType '2', '3' or '4'; the window in whole millimetres.
int32_t ReadBarcodeFromBitmap(const PackedBitmap* image, char barcodeType, int32_t x, int32_t y, int32_t width,
                              int32_t height, char* text, uint16_t* length);

// A window of all zeros is the whole image. extra (may be null) receives the
// length of the whole decoded text, also when it was cut to fit.
int32_t ReadPdf417FromBitmap(const PackedBitmap* image, char* text, uint16_t* length, int32_t* extra, int32_t x,
                             int32_t y, int32_t width, int32_t height);

// The switch of Varn_ViewOCRRectangle: library-wide, like the rest of the
// library's settings. Always replies 0.
int32_t ViewOcrRectangle(int32_t show);
bool OcrRectangleShown();

} // namespace decode
