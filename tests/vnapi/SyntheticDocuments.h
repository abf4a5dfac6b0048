// Synthetic scans for the decode tests and benchmarks: lines printed in the
// OCR and E13B fonts and barcodes, on tinted, patterned, noisy paper. Print is
// rendered at a multiple of the scan resolution (1: FreeType's hinted glyphs
// at the scan size) and sampled down at a sub-pixel phase, so that it never
// matches the reader's templates pixel for pixel.
#pragma once

#include <ZXing/BitMatrix.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "decode/E13bGlyphSource.h"
#include "decode/OcrTemplates.h"
#include "text/FontRaster.h"
#include "vnapi/PackedBitmap.h"

namespace synth {

constexpr int DefaultOversample = 4;
constexpr double MmPerInch = 25.4;

struct Canvas {
    int Width = 0;
    int Height = 0;
    double Dpi = 200;
    std::vector<float> Paper; // the paper alone, grey levels
    std::vector<float> Grey;  // paper and print
    float& At(int x, int y) { return Grey[static_cast<size_t>(y) * Width + x]; }
    double PxPerMm() const { return Dpi / MmPerInch; }
};

struct PaperStyle {
    float Level = 226;  // tint
    float Pattern = 14; // depth of the background pattern, grey levels
    float Noise = 5;    // sensor noise, sigma in grey levels
};

inline Canvas MakePaper(double widthMm, double heightMm, double dpi, const PaperStyle& style, uint32_t seed)
{
    Canvas c;
    c.Dpi = dpi;
    c.Width = static_cast<int>(std::lround(widthMm * dpi / MmPerInch));
    c.Height = static_cast<int>(std::lround(heightMm * dpi / MmPerInch));
    c.Paper.resize(static_cast<size_t>(c.Width) * c.Height);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0, 1);
    const double wave1 = (1.6 + u(rng)) * c.PxPerMm(), wave2 = (5 + 4 * u(rng)) * c.PxPerMm();
    const double phase = 6.283 * u(rng);
    for (int y = 0; y < c.Height; ++y)
        for (int x = 0; x < c.Width; ++x) {
            // A guilloche-like wavy line pattern, as security papers carry.
            const double s = std::sin(6.283 * (x / wave1 + 0.35 * std::sin(6.283 * y / wave2 + phase)));
            c.Paper[static_cast<size_t>(y) * c.Width + x] =
                style.Level - style.Pattern * static_cast<float>(0.5 + 0.5 * s);
        }
    c.Grey = c.Paper;
    return c;
}

// A print at Oversample times the canvas resolution: coverage 0..255, the
// baseline at BaselineRow, and each printed character's columns.
struct Print {
    GlyphMask Mask;
    int Oversample = DefaultOversample;
    int BaselineRow = 0;
    struct Span {
        char Symbol;
        int From, To;    // mask columns, To exclusive
        int Top, Bottom; // mask rows, Bottom exclusive
    };
    std::vector<Span> Characters;
};

inline void Stamp(Print& print, const GlyphMask& glyph, int left, int top)
{
    for (int y = 0; y < glyph.Height; ++y)
        for (int x = 0; x < glyph.Width; ++x) {
            const int tx = left + x, ty = top + y;
            if (tx < 0 || ty < 0 || tx >= print.Mask.Width || ty >= print.Mask.Height)
                continue;
            uint8_t& d = print.Mask.Coverage[static_cast<size_t>(ty) * print.Mask.Width + tx];
            d = std::max(d, glyph.At(x, y));
        }
}

// One segment of a line in one font.
struct Segment {
    decode::TemplateFont Font;
    std::string Text;
};

// A line of segments at dpi (the canvas resolution) printed sizeScale times
// the nominal size. Blanks advance by one pitch of their segment's font.
inline Print RenderLine(const std::vector<Segment>& segments, double dpi, double sizeScale = 1.0,
                        int oversample = DefaultOversample)
{
    const double hiDpi = dpi * oversample * sizeScale;
    const decode::E13bGlyphSource e13b = decode::DefaultE13bGlyphSource();
    // Lay out first, to size the mask.
    struct Placed {
        char Symbol;
        GlyphMask Glyph;
        int Left, Top; // Top relative to the baseline, negative above
    };
    std::vector<Placed> placed;
    double pen = 0;
    int above = 0, below = 0;
    for (const Segment& s : segments) {
        const double pitch = decode::NominalPitchInch(s.Font) * hiDpi;
        std::unique_ptr<FontRaster> raster;
        if (s.Font != decode::TemplateFont::E13b)
            raster =
                std::make_unique<FontRaster>(s.Font == decode::TemplateFont::OcrA ? FontFace::OcrA : FontFace::OcrB,
                                             decode::EmPixelsFor(s.Font, hiDpi));
        for (char ch : s.Text) {
            if (ch != ' ') {
                Placed p{ch, {}, 0, 0};
                if (raster) {
                    const FontRaster::Glyph& g = raster->GlyphFor(static_cast<unsigned char>(ch));
                    p.Glyph = g.Mask;
                    p.Left = static_cast<int>(std::lround(pen)) + g.Left;
                    p.Top = -g.Top;
                } else {
                    p.Glyph = e13b(ch, hiDpi);
                    p.Left = static_cast<int>(std::lround(pen + pitch - decode::E13bUnitInch * hiDpi)) - p.Glyph.Width;
                    p.Top = -p.Glyph.Height;
                }
                above = std::max(above, -p.Top);
                below = std::max(below, p.Top + p.Glyph.Height);
                placed.push_back(std::move(p));
            }
            pen += pitch;
        }
    }
    Print print;
    print.Oversample = oversample;
    const int margin = 2 * oversample;
    print.BaselineRow = above + margin;
    print.Mask.Width = static_cast<int>(std::ceil(pen)) + 2 * margin;
    print.Mask.Height = above + below + 2 * margin;
    print.Mask.Coverage.assign(static_cast<size_t>(print.Mask.Width) * print.Mask.Height, 0);
    for (const Placed& p : placed) {
        Stamp(print, p.Glyph, margin + p.Left, print.BaselineRow + p.Top);
        int first = p.Glyph.Height, last = -1; // inked rows
        for (int y = 0; y < p.Glyph.Height; ++y)
            for (int x = 0; x < p.Glyph.Width; ++x)
                if (p.Glyph.At(x, y)) {
                    first = std::min(first, y);
                    last = std::max(last, y);
                }
        print.Characters.push_back({p.Symbol, margin + p.Left, margin + p.Left + p.Glyph.Width,
                                    print.BaselineRow + p.Top + first, print.BaselineRow + p.Top + last + 1});
    }
    return print;
}

struct InkStyle {
    float Level = 35;       // grey level of full ink
    double SkewDegrees = 0; // the line climbs to the right
    double PhaseX = 0;      // sub-pixel placement, canvas pixels (0..1)
    double PhaseY = 0;
};

// The canvas rectangles (left, top, right, bottom; exclusive) of the printed characters.
struct PlacedLine {
    std::vector<std::array<int, 4>> Boxes;
};

// Prints onto the canvas with the line's right end rightMm from the right
// edge and its baseline baselineMm above the bottom edge.
inline PlacedLine PaintPrint(Canvas& c, const Print& print, double rightMm, double baselineMm, const InkStyle& ink)
{
    const double ppm = c.PxPerMm();
    const int Oversample = print.Oversample;
    const double originX = (c.Width - rightMm * ppm) * Oversample - print.Mask.Width + ink.PhaseX * Oversample;
    const double originY = (c.Height - baselineMm * ppm) * Oversample - print.BaselineRow + ink.PhaseY * Oversample;
    const double slope = std::tan(ink.SkewDegrees * 3.14159265 / 180.0);
    const int x0 = std::max(0, static_cast<int>(originX / Oversample) - 1);
    const int x1 = std::min(c.Width, static_cast<int>((originX + print.Mask.Width) / Oversample) + 2);
    const double lift = std::abs(slope) * print.Mask.Width;
    const int y0 = std::max(0, static_cast<int>((originY - lift) / Oversample) - 1);
    const int y1 = std::min(c.Height, static_cast<int>((originY + print.Mask.Height + lift) / Oversample) + 2);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            int sum = 0;
            for (int sy = 0; sy < Oversample; ++sy)
                for (int sx = 0; sx < Oversample; ++sx) {
                    const double hx = x * Oversample + sx - originX;
                    const double hy = y * Oversample + sy - originY + slope * hx;
                    sum += print.Mask.At(static_cast<int>(std::floor(hx)), static_cast<int>(std::floor(hy)));
                }
            const float cover = sum / (255.0f * Oversample * Oversample);
            float& g = c.At(x, y);
            g = g * (1 - cover) + ink.Level * cover;
        }
    PlacedLine placed;
    for (const Print::Span& s : print.Characters) {
        const double mid = (s.From + s.To) / 2.0;
        const int left = static_cast<int>(std::floor((originX + s.From) / Oversample));
        const int right = static_cast<int>(std::ceil((originX + s.To) / Oversample));
        const int top = static_cast<int>(std::floor((originY - slope * mid + s.Top) / Oversample));
        const int bottom = static_cast<int>(std::ceil((originY - slope * mid + s.Bottom) / Oversample));
        placed.Boxes.push_back({left, std::max(0, top), right, std::min(c.Height, bottom)});
    }
    return placed;
}

// Gaussian blur inside a box (ink spread, or a smudge); what lies outside
// the box is left alone.
inline void Blur(Canvas& c, const std::array<int, 4>& box, double sigma)
{
    const int r = static_cast<int>(std::ceil(3 * sigma));
    std::vector<float> kernel(2 * r + 1);
    float total = 0;
    for (int i = -r; i <= r; ++i)
        total += kernel[i + r] = static_cast<float>(std::exp(-i * i / (2 * sigma * sigma)));
    for (float& k : kernel)
        k /= total;
    const int x0 = std::max(0, box[0]), x1 = std::min(c.Width, box[2]);
    const int y0 = std::max(0, box[1]), y1 = std::min(c.Height, box[3]);
    std::vector<float> tmp(c.Grey);
    for (int y = std::max(0, y0 - r); y < std::min(c.Height, y1 + r); ++y)
        for (int x = x0; x < x1; ++x) {
            float s = 0;
            for (int i = -r; i <= r; ++i)
                s += kernel[i + r] * c.Grey[static_cast<size_t>(y) * c.Width + std::clamp(x + i, 0, c.Width - 1)];
            tmp[static_cast<size_t>(y) * c.Width + x] = s;
        }
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            float s = 0;
            for (int i = -r; i <= r; ++i)
                s += kernel[i + r] * tmp[static_cast<size_t>(std::clamp(y + i, 0, c.Height - 1)) * c.Width + x];
            c.At(x, y) = s;
        }
}

// Restores the paper over part of a box: the columns from fromFraction to
// toFraction of its width and the rows likewise.
inline void Erase(Canvas& c, const std::array<int, 4>& box, double fromX, double toX, double fromY, double toY)
{
    const int w = box[2] - box[0], h = box[3] - box[1];
    const int x0 = box[0] + static_cast<int>(w * fromX), x1 = box[0] + static_cast<int>(std::ceil(w * toX));
    const int y0 = box[1] + static_cast<int>(h * fromY), y1 = box[1] + static_cast<int>(std::ceil(h * toY));
    for (int y = std::max(0, y0); y < std::min(c.Height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(c.Width, x1); ++x)
            c.At(x, y) = c.Paper[static_cast<size_t>(y) * c.Width + x];
}

// A symbol from zxing's writer: modules of moduleMm, bars of heightMm (a
// linear code) or rows of rowMm (a stacked code), its right end rightMm from
// the canvas' right edge and its bottom bottomMm above the bottom edge.
inline void PaintBarcode(Canvas& c, const ZXing::BitMatrix& matrix, double moduleMm, double rowMm, double rightMm,
                         double bottomMm, float inkLevel = 30)
{
    const double ppm = c.PxPerMm();
    const double left = c.Width - rightMm * ppm - matrix.width() * moduleMm * ppm;
    const double bottom = c.Height - bottomMm * ppm;
    const double top = bottom - matrix.height() * rowMm * ppm;
    for (int y = std::max(0, static_cast<int>(top)); y < std::min(c.Height, static_cast<int>(std::ceil(bottom))); ++y)
        for (int x = std::max(0, static_cast<int>(left)); x < c.Width; ++x) {
            // Area coverage of the modules over this pixel, 4 x 4 samples.
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const double mx = (x + (sx + 0.5) / 4 - left) / (moduleMm * ppm);
                    const double my = (y + (sy + 0.5) / 4 - top) / (rowMm * ppm);
                    if (mx >= 0 && my >= 0 && mx < matrix.width() && my < matrix.height() &&
                        matrix.get(static_cast<int>(mx), static_cast<int>(my)))
                        ++hits;
                }
            if (hits) {
                const float cover = hits / 16.0f;
                c.At(x, y) = c.At(x, y) * (1 - cover) + inkLevel * cover;
            }
        }
}

inline void AddNoise(Canvas& c, float sigma, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<float> n(0, sigma);
    for (float& g : c.Grey)
        g += n(rng);
}

// The scan as a packed bitmap: 8 or 4 bits of grey, 1 bit (threshold at
// mid-grey; entry 0 black), or 24 bits with a warm paper tint.
inline std::unique_ptr<PackedBitmap> ToBitmap(const Canvas& c, uint16_t bits, int32_t headerDpi = -1)
{
    auto bmp = PackedBitmap::Create(c.Width, c.Height, bits, headerDpi < 0 ? static_cast<int32_t>(c.Dpi) : headerDpi);
    for (int y = 0; y < c.Height; ++y) {
        uint8_t* row = bmp->Row(c.Height - 1 - y);
        for (int x = 0; x < c.Width; ++x) {
            const float g = std::clamp(c.Grey[static_cast<size_t>(y) * c.Width + x], 0.0f, 255.0f);
            switch (bits) {
            case 1:
                if (g >= 128)
                    row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
                break;
            case 4: {
                const uint8_t level = static_cast<uint8_t>(std::lround(g / 17.0f));
                row[x >> 1] |= static_cast<uint8_t>((x & 1) ? level : level << 4);
                break;
            }
            case 8: row[x] = static_cast<uint8_t>(std::lround(g)); break;
            case 24:
                row[3 * x + 0] = static_cast<uint8_t>(std::lround(g * 0.90f));
                row[3 * x + 1] = static_cast<uint8_t>(std::lround(g * 0.98f));
                row[3 * x + 2] = static_cast<uint8_t>(std::lround(g));
                break;
            }
        }
    }
    return bmp;
}

// ---- Random codelines for the accuracy sweeps ---------------------------------

struct SweepLine {
    std::string ReadType;
    char Mode = 'N';
    std::string Expected; // what the line says, blanks included
    std::unique_ptr<PackedBitmap> Image;
    std::string Conditions; // for messages
};

// A random line of a read type on a random strip of paper under random but
// fair print and scan conditions. The OCR window is the default one.
inline SweepLine MakeSweepLine(char readType, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0, 1);
    const auto pick = [&](const std::string& from) {
        return from[static_cast<size_t>(u(rng) * from.size()) % from.size()];
    };
    const auto between = [&](double lo, double hi) { return lo + (hi - lo) * u(rng); };

    decode::OcrReadRequest request;
    const char letters[2] = {readType, 0};
    decode::ParseOcrReadType(letters, 'N', request);
    const auto alphabetOf = [&](decode::TemplateFont font) {
        for (const decode::FontAlphabet& a : request.Fonts)
            if (a.Font == font)
                return a.Characters;
        return std::string();
    };
    const auto randomText = [&](const std::string& alphabet, int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            if (i > 0 && i + 1 < count && text.back() != ' ' && u(rng) < 0.08)
                text += ' ';
            text += pick(alphabet);
        }
        return text;
    };

    std::vector<Segment> segments;
    if (readType == 'X') {
        // E13B and OCR-B (Italy) alternating on one line.
        const int parts = 2 + static_cast<int>(u(rng) * 2);
        for (int i = 0; i < parts; ++i) {
            const decode::TemplateFont font = i % 2 == 0 ? decode::TemplateFont::E13b : decode::TemplateFont::OcrB;
            std::string text = randomText(alphabetOf(font), 4 + static_cast<int>(u(rng) * 8));
            if (i + 1 < parts)
                text += ' ';
            segments.push_back({font, text});
        }
    } else {
        const decode::TemplateFont font = request.Fonts.front().Font;
        segments.push_back({font, randomText(alphabetOf(font), 8 + static_cast<int>(u(rng) * 23))});
    }

    SweepLine line;
    line.ReadType = std::string(1, readType);
    for (const Segment& s : segments)
        line.Expected += s.Text;

    const double r = u(rng);
    const double dpi = r < 0.7 ? 200 : r < 0.85 ? 300 : 100;
    const double rd = u(rng);
    const uint16_t bits = rd < 0.6 ? 8 : rd < 0.8 ? 1 : rd < 0.9 ? 24 : 4;
    PaperStyle paper;
    paper.Level = static_cast<float>(between(195, 240));
    paper.Pattern = static_cast<float>(between(0, 20));
    paper.Noise = static_cast<float>(between(2, 8));
    InkStyle ink;
    ink.Level = static_cast<float>(between(10, 75));
    ink.SkewDegrees = between(-0.2, 0.2);
    ink.PhaseX = u(rng);
    ink.PhaseY = u(rng);
    const double size = between(0.96, 1.04);
    const int oversamples[4] = {1, 3, 4, 8};
    const int oversample = oversamples[static_cast<int>(u(rng) * 4) % 4];
    const double spread = between(0, 0.6) * dpi / 200;

    Canvas canvas = MakePaper(175, 22, dpi, paper, rng());
    const Print print = RenderLine(segments, dpi, size, oversample);
    const PlacedLine placed = PaintPrint(canvas, print, between(8, 30), between(5.5, 8.5), ink);
    if (spread > 0.05 && !placed.Boxes.empty())
        Blur(canvas, {placed.Boxes.front()[0], 0, placed.Boxes.back()[2], canvas.Height}, spread);
    AddNoise(canvas, paper.Noise, rng());
    line.Image = ToBitmap(canvas, bits);

    char text[200];
    std::snprintf(text, sizeof text,
                  "seed %u: %g dpi, %u bits, paper %.0f pattern %.0f noise %.1f, ink %.0f, "
                  "size %.3f, spread %.2f, skew %.2f, oversample %d",
                  seed, dpi, bits, paper.Level, paper.Pattern, paper.Noise, ink.Level, size, spread, ink.SkewDegrees,
                  oversample);
    line.Conditions = text;
    return line;
}

// How a read compares with what was printed.
struct Score {
    int Characters = 0; // printed characters, blanks not counted
    int Rejects = 0;
    int Misreads = 0; // a wrong character, or a line cut into the wrong number of characters
};

inline Score Compare(const std::string& expected, const std::string& read)
{
    Score s;
    for (char c : expected)
        s.Characters += c != ' ';
    if (read.size() != expected.size()) {
        s.Misreads = s.Characters;
        return s;
    }
    for (size_t i = 0; i < expected.size(); ++i) {
        if (read[i] == '!' && expected[i] != ' ')
            ++s.Rejects;
        else if (read[i] != expected[i])
            ++s.Misreads;
    }
    return s;
}

} // namespace synth
