// What lies in the virtual unit's feeder: one description per document. The
// unit moves these through its path; the renderers turn them into images and
// magnetic signals.
#pragma once

#include <cstdint>
#include <string>

enum class DocumentKind {
    Cheque,             // codeline, optional OCR line, barcode, PDF417
    E13bCalibration,    // the E13B calibration document of the MICR calibrations
    ColourTest,         // the colour test document of the image quality check
    White,              // plain white paper
    Blank,              // a document of a given length, nothing printed (image calibration)
    Card,               // an ID card
};

enum class MicrFont { None, E13B, CMC7 };
enum class OcrFont { None, OcrA, OcrB };
enum class BarcodeKind { None, TwoOfFive, Code39, Code128 };

struct DocumentSpec {
    DocumentKind Kind = DocumentKind::Cheque;

    // Size in millimetres (a personal cheque by default).
    float LengthMm = 175.0f;
    float HeightMm = 80.0f;

    // The magnetic codeline in the bottom clear band, in the characters the
    // library uses for E13B and CMC7 symbols (see MicrSymbols.h).
    MicrFont Micr = MicrFont::E13B;
    std::string Codeline;

    // Optional optical line, barcode and PDF417 symbol, each placed inside the
    // settings record's default decode window for its kind.
    OcrFont Ocr = OcrFont::None;
    std::string OcrText;
    BarcodeKind Barcode = BarcodeKind::None;
    std::string BarcodeText;
    std::string Pdf417Text;

    // Printed fields of a cheque.
    std::string Payee;
    std::string Amount;
    uint32_t Seed = 0; // paper pattern, signature, tint

    // Faults this document brings with it.
    bool DoubleFeed = false;
    bool Jam = false;
    // Skew of the feed in degrees (the "Align Image" option straightens it).
    float SkewDegrees = 0.0f;

    // Magnetic ink of the codeline: strength in percent of a nominal print
    // (scales every flux step), and one character, counted from 1 at the
    // codeline's left (spaces count), smudged with SmudgeFactor times the ink;
    // 0 for none.
    float InkPercent = 100.0f;
    int SmudgeCharacter = 0;
};

constexpr double SmudgeFactor = 2.5;
