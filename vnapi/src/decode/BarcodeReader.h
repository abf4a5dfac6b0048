// Barcode and PDF417 reading through zxing-cpp, on a grey window.
#pragma once

#include <string>
#include <string_view>

#include "decode/DecodeImage.h"

namespace decode {

// Barcode type letters: '2' "Barcode 2 of 5" (interleaved), '3' "CODE 39",
// '4' "CODE 128".
enum class LinearBarcode { TwoOfFive, Code39, Code128 };
bool LinearBarcodeFromLetter(char letter, LinearBarcode& type);

// An interleaved 2 of 5 text is taken only as an even number of at least six
// digits: shorter reads of that symbology are too often a fragment of
// something else.
bool IsAcceptableItf(std::string_view text);

struct BarcodeRead {
    bool Found = false;
    std::string Text; // ISO 8859-1; characters beyond it become '?'
};

BarcodeRead ReadLinearBarcode(const GreyImage& window, LinearBarcode type);
BarcodeRead ReadPdf417(const GreyImage& window);

// UTF-8 to ISO 8859-1, '?' for what it cannot hold.
std::string Utf8ToLatin1(std::string_view utf8);

} // namespace decode
