// Text rendered with the fonts Debian ships (OCR-A, OCR-B, DejaVu) into 8-bit
// coverage masks, for the printed parts of generated documents and for the
// templates of the optical reads. FreeType underneath; no Qt.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Coverage 0 (paper) to 255 (full ink), row 0 at the top.
struct GlyphMask {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Coverage;
    uint8_t At(int x, int y) const
    {
        return x < 0 || y < 0 || x >= Width || y >= Height ? 0 : Coverage[static_cast<size_t>(y) * Width + x];
    }
};

enum class FontFace { OcrA, OcrB, Sans, SansBold, Serif, SerifItalic };

// Where the font files live; empty when the face is not installed.
std::string FontPath(FontFace face);

class FontRaster {
public:
    // A face at a pixel size (the em height in pixels). Invalid when the font
    // file is missing or unreadable.
    FontRaster(FontFace face, double pixelSize);
    ~FontRaster();
    FontRaster(const FontRaster&) = delete;
    FontRaster& operator=(const FontRaster&) = delete;

    bool IsValid() const;

    // One character, cropped to its ink, with its advance and its offset from
    // the pen position (left) and from the baseline (top, positive upwards).
    struct Glyph {
        GlyphMask Mask;
        int Left = 0;
        int Top = 0;
        int Advance = 0; // pixels
    };
    const Glyph& GlyphFor(char32_t ch);

    // A whole line on one baseline: the mask's height is the face's ascent
    // plus descent; baseline gives the baseline row.
    GlyphMask RenderLine(const std::string& text, int* baseline = nullptr);
    int Ascent() const;
    int Descent() const;

private:
    struct Impl;
    std::unique_ptr<Impl> P;
};
