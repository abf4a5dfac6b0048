// Where things sit on a document. Codeline coordinates are measured as the
// decode windows measure them: from the document's right and bottom edges,
// in millimetres. Every optional codeline lies inside the settings record's
// default window for its kind (OCR: right edge 6, bottom 4, 150 x 10.5;
// barcode: right edge 90, bottom 4, 125 x 12).
#pragma once

#include <string>
#include <vector>

#include "docs/Document.h"
#include "docs/MicrGlyphs.h"

namespace docgeom {

// E13B: character position 1 has its right edge 5/16 in from the right edge;
// positions count leftwards at the 1/8 in pitch; characters stand 3/16 in
// above the bottom edge, inside the 5/8 in clear band. A codeline ending in
// the amount symbol ends at position 1 (the amount field); any other ends at
// position 14, leaving the amount field blank.
constexpr double E13bFirstRightMm = 5.0 / 16.0 * 25.4;
constexpr double E13bBottomMm = 3.0 / 16.0 * 25.4;
constexpr double ClearBandMm = 5.0 / 8.0 * 25.4;
constexpr int E13bOnUsEndPosition = 14;

// CMC7: the last character's right edge 8 mm from the right edge.
constexpr double Cmc7LastRightMm = 8.0;
constexpr double Cmc7BottomMm = E13bBottomMm;

// Optional OCR line: 10 characters per inch, 2.4 mm tall, ending 10 mm from
// the right edge, its foot 9.5 mm above the bottom edge (clear of the MICR
// line, which ends 7.7 mm up).
constexpr double OcrRightMm = 10.0;
constexpr double OcrBottomMm = 9.5;
constexpr double OcrCharHeightMm = 2.4;
constexpr double OcrPitchMm = 2.54;

// Barcode: bars 9 to 15 mm above the bottom edge, ending 96 mm from the
// right edge; modules of 0.38 mm, wide bars three modules.
constexpr double BarcodeRightMm = 96.0;
constexpr double BarcodeBottomMm = 9.0;
constexpr double BarcodeHeightMm = 6.0;
constexpr double BarcodeModuleMm = 0.38;

// PDF417: top left, 10 mm from the left edge and 14 mm from the top edge,
// modules of 0.3 mm.
constexpr double Pdf417LeftMm = 10.0;
constexpr double Pdf417TopMm = 14.0;
constexpr double Pdf417ModuleMm = 0.3;

// The E13B calibration document: one mark per character position from
// position 1: a full-height bar one square wide, then six quarter-height
// bars half a square wide, one square apart. Read from the right, each mark
// gives one deep negative flux step and six shallow ones.
constexpr double CalibrationBarHeightFraction = 0.25;
constexpr int CalibrationMarkCount = 50;

// One printed codeline character and the distance of its cell's right edge
// from the document's right edge. Blanks are not listed.
struct PlacedChar {
    char Symbol = 0;
    double RightMm = 0.0;
    size_t Index = 0; // in the codeline text
};
std::vector<PlacedChar> PlaceCodeline(const DocumentSpec& doc);

// The character pitch of a document's magnetic font (E13B or CMC7), in mm.
double CodelinePitchMm(MicrFont font);

} // namespace docgeom
