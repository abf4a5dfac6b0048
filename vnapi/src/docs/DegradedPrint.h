// Cheques as real print and real scanners spoil them, for judging the
// optical reads on more than our own clean print: the front drawn at a
// resolution and print size, then skewed, with toner spread or dropout,
// blurred, speckled, overwritten by a signature, with sensor noise, and
// delivered as grey or as bilevel at a threshold, optionally through JPEG.
// Deterministic: the same document, degradation and seed give the same image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "docs/Document.h"
#include "vnapi/PackedBitmap.h"

struct Degradation {
    const char* Name = "clean";
    double Dpi = 200;           // scan resolution, also written in the header
    double Size = 1.0;          // print size against nominal
    uint16_t Bits = 8;          // 8 grey, or 1 bilevel
    double Threshold = 0.5;     // bilevel: grey level as a fraction of white
    double BlurPx = 0.0;        // Gaussian sigma, pixels
    double Spread = 0.0;        // toner spread (> 0) or thinning (< 0), up to 1
    double Dropout = 0.0;       // share of ink pixels hit by a void
    double Speckle = 0.0;       // share of paper pixels hit by a toner speck
    double SkewDegrees = 0.0;   // the line climbs to the right
    int JpegQuality = 0;        // 0: no JPEG round trip
    bool Signature = false;     // a pen stroke across the clear band
    double NoiseSigma = 4.0;    // sensor noise, grey levels
};

// The set the accuracy program and the tests go through, one row per kind
// of damage, each at a strength real cheques show.
const std::vector<Degradation>& DegradationSet();

// The document's front under one degradation.
ImageHandle DegradedFront(const DocumentSpec& doc, const Degradation& d, uint32_t seed);

// A read against what was printed, character by character (blanks are not
// characters). The texts are aligned by least edits: a character read as
// itself is right, as '!' rejected; read as another, left out or joined by
// one that was not printed, it is substituted (a wrong text nobody is told
// about).
struct CharacterScore {
    long Characters = 0;
    long Right = 0;
    long Substituted = 0;
    long Rejected = 0;
};
CharacterScore ScoreCharacters(const std::string& printed, const std::string& read);
