// What the unit's cameras see: a document side drawn at a resolution (paper,
// pre-printed cheque, handwriting, codelines, and what the unit printed on
// it), then "scanned" into the packed bitmap a scan mode delivers.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "docs/Document.h"
#include "vnapi/PackedBitmap.h"

// An RGB picture of one side, top row first, 3 bytes a pixel, no padding.
struct RgbRaster {
    int Width = 0;
    int Height = 0;
    double Dpi = 200.0;
    std::vector<uint8_t> Pixels;

    uint8_t* Row(int y) { return Pixels.data() + static_cast<size_t>(y) * Width * 3; }
    const uint8_t* Row(int y) const { return Pixels.data() + static_cast<size_t>(y) * Width * 3; }
};

// What the unit prints on a document as it passes.
struct PrintJob {
    // Endorsement on the rear by the inkjet printer. FontLetter 'A' (15 cpi),
    // 'B' (bold) or 'N' (normal); the lower-case letter prints high (double
    // height). "%d" in the text becomes the counter, zero-padded to
    // CounterDigits.
    bool Endorse = false;
    std::string EndorseText;
    char FontLetter = 'N';
    int64_t Counter = 0;
    int CounterDigits = 0;

    // The digital string, font-rendered on side 'F', 'B' or 'X' (both). Font
    // size in points; grey tone 0 (black) to 255; X from the side's left
    // edge, Y from its top edge, in mm (Inch false) or inches.
    bool Digital = false;
    char DigitalSide = 'B';
    std::string DigitalText;
    std::string DigitalFontName = "Arial";
    int DigitalFontSize = 20;
    bool DigitalBold = false;
    bool DigitalItalic = false;
    bool DigitalUnderline = false;
    int DigitalGrayTone = 0;
    bool DigitalInch = false;
    float DigitalX = 10.0f;
    float DigitalY = 21.0f;

    // The voiding stamp on the front.
    bool FrontStamp = false;
};

// The endorsement text with "%d" replaced by the counter.
std::string ExpandCounter(const std::string& text, int64_t counter, int digits);

// One side ('F' front, 'B' back) of a document at a resolution. pixels: memory
// to draw into, when the caller has some to spare.
RgbRaster RenderDocument(const DocumentSpec& doc, char side, const PrintJob& job, double dotsPerInch,
                         std::vector<uint8_t> pixels = {});

struct ScanParams;

// A document's pictures, drawn once per side and resolution and kept for the
// next scan of the same document (the unit reads front, back and planes of
// one document in turn).
class DocumentImages {
public:
    DocumentImages(DocumentSpec doc, PrintJob job) : Doc(std::move(doc)), Job(std::move(job)) {}

    const DocumentSpec& Document() const { return Doc; }
    const RgbRaster& Side(char side, int dotsPerInch);

    // Scans front ('F' or a front plane) or back ('B' or a back plane);
    // for 'X', 'Y', 'W', 'Z' pass the side explicitly as frontSide.
    ImageHandle Scan(bool frontSide, char sideLetter, uint16_t scanMode, uint16_t clearImage,
                     const ScanParams& params);

    // Draws into the pixel memory of another document's pictures, which are
    // dropped: a stream of documents then reuses its memory instead of
    // asking the system for fresh pages for every side.
    void ReuseMemoryOf(DocumentImages&& previous);

private:
    DocumentSpec Doc;
    PrintJob Job;
    std::map<std::pair<char, int>, RgbRaster> Cache;
    std::vector<std::vector<uint8_t>> Spare;
};
