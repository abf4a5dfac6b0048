// The stack of ordinary cheques a unit finds in its feeder when nobody says
// otherwise.
#pragma once

#include <cstdint>
#include <string>

#include "docs/Document.h"

namespace virtualunit {

// The ABA check digit of the first eight digits of a US routing number:
// 3, 7, 1 weights, sum a multiple of 10.
int RoutingCheckDigit(const std::string& firstEight);
// Nine digits whose check digit is right.
bool IsValidRoutingNumber(const std::string& routing);

// Cheque number index of a unit seeded with unitSeed. The same two numbers
// always give the same cheque.
//
// CHEQUE GENERATOR: the document helper replaces this body with the full
// cheque (OCR line, barcode, PDF417 where wanted); keep the signature, the
// E13B codeline and its determinism.
DocumentSpec GenerateCheque(uint32_t unitSeed, uint32_t index);

} // namespace virtualunit
