// Documents for the virtual unit's feeder, made deterministically from a
// seed and an index: cheques with valid codelines (E13B with a checked
// routing number, or CMC7), their optional OCR line, barcode and PDF417
// symbol, and the unit's service documents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "docs/Document.h"

// Which optional parts a cheque carries.
struct ChequeLayout {
    MicrFont Micr = MicrFont::E13B;
    OcrFont Ocr = OcrFont::None;
    BarcodeKind Barcode = BarcodeKind::None;
    bool Pdf417 = false;
    bool AmountEncoded = false; // E13B: the amount field is printed too
};

// Shares (0..1) of cheques that get each optional part when the layout is
// drawn at random. An OCR line and a barcode share the space above the
// codeline, so a cheque has at most one of the two.
struct ChequeOptions {
    double Cmc7Share = 0.0;
    double OcrShare = 0.2;
    double BarcodeShare = 0.2;
    double Pdf417Share = 0.2;
    double AmountEncodedShare = 0.3;
};

DocumentSpec MakeCheque(uint32_t seed, uint32_t index, const ChequeLayout& layout);
DocumentSpec MakeCheque(uint32_t seed, uint32_t index, const ChequeOptions& options = {});

// The stack a unit without a set-up file holds: 25 cheques. Every fourth or
// so has an OCR line, a barcode or a PDF417 symbol; indexes 5, 11, 17 and 23
// carry CMC7 codelines; 13 and 20 are fed slightly skewed.
std::vector<DocumentSpec> DefaultFeeder(uint32_t seed);

// Service documents. The E13B calibration document carries
// docgeom::CalibrationMarkCount marks from the first character position.
DocumentSpec MakeE13bCalibrationDocument(uint32_t seed = 0);
DocumentSpec MakeColourTestDocument();
DocumentSpec MakeWhiteDocument();
DocumentSpec MakeBlankDocument(float lengthMm);
DocumentSpec MakeCard(uint32_t seed = 0);

// ABA routing numbers: weights 3, 7, 1 over the nine digits sum to a
// multiple of ten. RoutingCheckDigit returns -1 unless given eight digits.
int RoutingCheckDigit(const std::string& eightDigits);
bool IsValidRoutingNumber(const std::string& nineDigits);
// The nine characters between the first two transit symbols of an E13B
// codeline; empty when there is no such field.
std::string CodelineRoutingNumber(const std::string& codeline);

// "One hundred twenty-three and 45/100" for 12345 cents.
std::string AmountInWords(int64_t cents);
// "1,234.56" for 123456 cents.
std::string FormatAmount(int64_t cents);
