#include "docs/DocumentRenderer.h"

#include <ZXing/BarcodeFormat.h>
#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <cmath>
#include <cstring>
#include <mutex>

#include "docs/ChequeGenerator.h"
#include "docs/DocumentGeometry.h"
#include "docs/MicrGlyphs.h"
#include "docs/Random.h"
#include "text/FontRaster.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

struct Rgb {
    uint8_t R = 0, G = 0, B = 0;
};

constexpr Rgb PrintInk{40, 45, 62};
constexpr Rgb RuleInk{105, 108, 120};
constexpr Rgb PenInk{24, 42, 138};
constexpr Rgb MicrInk{22, 22, 24};
constexpr Rgb InkjetInk{48, 36, 72};
constexpr Rgb StampInk{196, 34, 48};

// ---- Fonts -----------------------------------------------------------------
// FreeType faces are costly to open and FontRaster is not thread-safe: one
// cache for the process, used under its lock.
std::mutex& FontLock()
{
    static std::mutex lock;
    return lock;
}

FontRaster& FontFor(FontFace face, double pixelSize)
{
    static std::map<std::pair<int, int>, std::unique_ptr<FontRaster>> fonts;
    const int quarterPixels = std::max(4, static_cast<int>(std::lround(pixelSize * 4.0)));
    auto& slot = fonts[{static_cast<int>(face), quarterPixels}];
    if (!slot)
        slot = std::make_unique<FontRaster>(face, quarterPixels / 4.0);
    return *slot;
}

// ---- Drawing ---------------------------------------------------------------
// Coordinates in millimetres from the side's top-left corner.
class Canvas {
public:
    explicit Canvas(RgbRaster& raster) : R(raster), PxPerMm(raster.Dpi / 25.4) {}

    double Px(double mm) const { return mm * PxPerMm; }
    double Scale() const { return PxPerMm; }

    void Blend(int x, int y, int coverage, Rgb c)
    {
        if (x < 0 || y < 0 || x >= R.Width || y >= R.Height || coverage <= 0)
            return;
        uint8_t* p = R.Row(y) + 3 * x;
        if (coverage >= 255) {
            p[0] = c.R;
            p[1] = c.G;
            p[2] = c.B;
            return;
        }
        const int keep = 255 - coverage;
        p[0] = static_cast<uint8_t>((p[0] * keep + c.R * coverage + 127) / 255);
        p[1] = static_cast<uint8_t>((p[1] * keep + c.G * coverage + 127) / 255);
        p[2] = static_cast<uint8_t>((p[2] * keep + c.B * coverage + 127) / 255);
    }

    // Anti-aliased rectangle in pixels; alpha scales the ink.
    void FillRectPx(double x0, double y0, double x1, double y1, Rgb c, double alpha = 1.0)
    {
        if (x1 <= x0 || y1 <= y0)
            return;
        const int ix0 = std::max(0, static_cast<int>(std::floor(x0)));
        const int iy0 = std::max(0, static_cast<int>(std::floor(y0)));
        const int ix1 = std::min(R.Width, static_cast<int>(std::ceil(x1)));
        const int iy1 = std::min(R.Height, static_cast<int>(std::ceil(y1)));
        for (int y = iy0; y < iy1; ++y) {
            const double cy = std::min(y1, y + 1.0) - std::max(y0, static_cast<double>(y));
            for (int x = ix0; x < ix1; ++x) {
                const double cx = std::min(x1, x + 1.0) - std::max(x0, static_cast<double>(x));
                Blend(x, y, static_cast<int>(255.0 * alpha * cx * cy + 0.5), c);
            }
        }
    }
    void FillRect(double x0, double y0, double x1, double y1, Rgb c, double alpha = 1.0)
    {
        FillRectPx(Px(x0), Px(y0), Px(x1), Px(y1), c, alpha);
    }
    // A hairline box.
    void Frame(double x0, double y0, double x1, double y1, double width, Rgb c)
    {
        FillRect(x0, y0, x1, y0 + width, c);
        FillRect(x0, y1 - width, x1, y1, c);
        FillRect(x0, y0, x0 + width, y1, c);
        FillRect(x1 - width, y0, x1, y1, c);
    }

    void DrawMask(const GlyphMask& mask, int left, int top, Rgb c, double alpha = 1.0)
    {
        for (int y = 0; y < mask.Height; ++y) {
            const uint8_t* row = mask.Coverage.data() + static_cast<size_t>(y) * mask.Width;
            for (int x = 0; x < mask.Width; ++x)
                if (row[x])
                    Blend(left + x, top + y, static_cast<int>(row[x] * alpha + 0.5), c);
        }
    }

    enum class Align { Left, Right, Centre };

    // One line of text on a baseline; returns its width in mm.
    double Text(FontFace face, double emMm, const std::string& text, double xMm, double baselineMm, Rgb c,
                Align align = Align::Left, double shear = 0.0, double heightScale = 1.0)
    {
        if (text.empty())
            return 0.0;
        GlyphMask mask;
        int baseline = 0;
        {
            std::lock_guard<std::mutex> guard(FontLock());
            FontRaster& font = FontFor(face, Px(emMm));
            if (!font.IsValid())
                return 0.0;
            mask = font.RenderLine(text, &baseline);
        }
        if (shear != 0.0)
            mask = Shear(mask, baseline, shear);
        if (heightScale != 1.0) {
            mask = StretchVertically(mask, heightScale);
            baseline = static_cast<int>(std::lround(baseline * heightScale));
        }
        double left = Px(xMm);
        if (align == Align::Right)
            left -= mask.Width;
        else if (align == Align::Centre)
            left -= mask.Width / 2.0;
        DrawMask(mask, static_cast<int>(std::lround(left)), static_cast<int>(std::lround(Px(baselineMm))) - baseline,
                 c);
        return mask.Width / PxPerMm;
    }

    // A pen stroke through points (mm): round dabs kept in a layer so that
    // crossings do not darken twice.
    void Stroke(const std::vector<std::pair<double, double>>& points, double widthMm, Rgb c)
    {
        if (points.size() < 2)
            return;
        double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
        for (const auto& [x, y] : points) {
            minX = std::min(minX, x);
            minY = std::min(minY, y);
            maxX = std::max(maxX, x);
            maxY = std::max(maxY, y);
        }
        const double radius = Px(widthMm) / 2.0;
        const int left = static_cast<int>(std::floor(Px(minX) - radius - 1));
        const int top = static_cast<int>(std::floor(Px(minY) - radius - 1));
        GlyphMask layer;
        layer.Width = static_cast<int>(std::ceil(Px(maxX) + radius + 2)) - left;
        layer.Height = static_cast<int>(std::ceil(Px(maxY) + radius + 2)) - top;
        if (layer.Width <= 0 || layer.Height <= 0 || layer.Width > 8000 || layer.Height > 8000)
            return;
        layer.Coverage.assign(static_cast<size_t>(layer.Width) * layer.Height, 0);
        for (size_t i = 1; i < points.size(); ++i) {
            const double ax = Px(points[i - 1].first) - left, ay = Px(points[i - 1].second) - top;
            const double bx = Px(points[i].first) - left, by = Px(points[i].second) - top;
            const double len = std::hypot(bx - ax, by - ay);
            const int steps = std::max(1, static_cast<int>(len / std::max(0.35, radius * 0.5)));
            for (int s = 0; s <= steps; ++s) {
                const double t = static_cast<double>(s) / steps;
                Dab(layer, ax + (bx - ax) * t, ay + (by - ay) * t, radius);
            }
        }
        DrawMask(layer, left, top, c);
    }

private:
    static void Dab(GlyphMask& layer, double cx, double cy, double radius)
    {
        const int x0 = std::max(0, static_cast<int>(cx - radius - 1));
        const int x1 = std::min(layer.Width - 1, static_cast<int>(cx + radius + 1));
        const int y0 = std::max(0, static_cast<int>(cy - radius - 1));
        const int y1 = std::min(layer.Height - 1, static_cast<int>(cy + radius + 1));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                const double cover = std::clamp(radius + 0.5 - d, 0.0, 1.0);
                uint8_t& v = layer.Coverage[static_cast<size_t>(y) * layer.Width + x];
                v = std::max(v, static_cast<uint8_t>(cover * 255.0 + 0.5));
            }
    }

    static GlyphMask Shear(const GlyphMask& in, int baseline, double shear)
    {
        GlyphMask out;
        const int extra = static_cast<int>(std::ceil(std::fabs(shear) * in.Height)) + 1;
        out.Width = in.Width + extra;
        out.Height = in.Height;
        out.Coverage.assign(static_cast<size_t>(out.Width) * out.Height, 0);
        for (int y = 0; y < in.Height; ++y) {
            const double shift = (baseline - y) * shear + (shear < 0 ? extra - 1 : 0);
            const int whole = static_cast<int>(std::floor(shift));
            const double frac = shift - whole;
            for (int x = 0; x < in.Width; ++x) {
                const uint8_t v = in.Coverage[static_cast<size_t>(y) * in.Width + x];
                if (!v)
                    continue;
                const int tx = x + whole;
                uint8_t* dst = out.Coverage.data() + static_cast<size_t>(y) * out.Width;
                if (tx >= 0 && tx < out.Width)
                    dst[tx] = static_cast<uint8_t>(std::min(255.0, dst[tx] + v * (1.0 - frac)));
                if (tx + 1 >= 0 && tx + 1 < out.Width)
                    dst[tx + 1] = static_cast<uint8_t>(std::min(255.0, dst[tx + 1] + v * frac));
            }
        }
        return out;
    }

    static GlyphMask StretchVertically(const GlyphMask& in, double factor)
    {
        GlyphMask out;
        out.Width = in.Width;
        out.Height = std::max(1, static_cast<int>(std::lround(in.Height * factor)));
        out.Coverage.assign(static_cast<size_t>(out.Width) * out.Height, 0);
        for (int y = 0; y < out.Height; ++y) {
            const int sy = std::min(in.Height - 1, static_cast<int>(y / factor));
            std::memcpy(out.Coverage.data() + static_cast<size_t>(y) * out.Width,
                        in.Coverage.data() + static_cast<size_t>(sy) * in.Width, static_cast<size_t>(in.Width));
        }
        return out;
    }

    RgbRaster& R;
    double PxPerMm;
};

// ---- Paper -----------------------------------------------------------------
// Tinted paper with a fine guilloche of two crossing wave families; the
// pattern is light enough for "Clear Image" to remove.
void FillPaper(RgbRaster& r, Rgb tint, int strength, uint32_t seed)
{
    DocRandom rnd(seed);
    const double pxPerMm = r.Dpi / 25.4;
    const double periodPx = rnd.Uniform(1.6, 2.4) * pxPerMm;
    const double amplitudePx = rnd.Uniform(0.6, 1.2) * pxPerMm;
    const double wavePx = rnd.Uniform(7.0, 12.0) * pxPerMm;
    const double phase = rnd.Uniform(0.0, 2.0 * Pi);
    // Phase of a pixel along its wave family, in 1/256 of a period.
    std::vector<int> offA(static_cast<size_t>(r.Width)), offB(static_cast<size_t>(r.Width));
    for (int x = 0; x < r.Width; ++x) {
        const double wave = amplitudePx * std::sin(2.0 * Pi * x / wavePx + phase);
        offA[static_cast<size_t>(x)] = static_cast<int>(std::lround((wave + 0.35 * x) * 256.0 / periodPx));
        offB[static_cast<size_t>(x)] = static_cast<int>(std::lround((-wave + 0.35 * x) * 256.0 / periodPx));
    }
    // Darkness along one period: a soft line a fifth of the period wide.
    std::array<uint8_t, 256> line{};
    for (int i = 0; i < 256; ++i) {
        const double d = std::fabs(i - 128) / 128.0;
        line[static_cast<size_t>(i)] = static_cast<uint8_t>(d < 0.2 ? strength * (1.0 - d / 0.2) : 0);
    }
    std::array<std::array<uint8_t, 3>, 256> shade{};
    for (int d = 0; d < 256; ++d) {
        shade[static_cast<size_t>(d)] = {static_cast<uint8_t>(std::max(0, tint.R - d)),
                                         static_cast<uint8_t>(std::max(0, tint.G - d * 3 / 4)),
                                         static_cast<uint8_t>(std::max(0, tint.B - d / 2))};
    }
    for (int y = 0; y < r.Height; ++y) {
        const int rowA = static_cast<int>(std::lround(y * 256.0 / periodPx));
        const int rowB = static_cast<int>(std::lround((r.Height - y) * 256.0 / periodPx));
        uint8_t* p = r.Row(y);
        for (int x = 0; x < r.Width; ++x, p += 3) {
            const uint8_t a = line[static_cast<size_t>((rowA + offA[static_cast<size_t>(x)]) & 255)];
            const uint8_t b = line[static_cast<size_t>((rowB + offB[static_cast<size_t>(x)]) & 255)];
            const auto& c = shade[std::max(a, b)];
            p[0] = c[0];
            p[1] = c[1];
            p[2] = c[2];
        }
    }
}

// Tinted paper ruled with faint hairlines along its length: the backs of
// cheques, cheaper to draw than the front's guilloche.
void FillRuled(RgbRaster& r, Rgb tint, int strength)
{
    const double periodPx = 1.5 * r.Dpi / 25.4;
    for (int y = 0; y < r.Height; ++y) {
        const double phase = std::fmod(y + 0.5, periodPx) / periodPx;
        const int d = phase < 0.12 ? strength : 0;
        const uint8_t c[3] = {static_cast<uint8_t>(std::max(0, tint.R - d)),
                              static_cast<uint8_t>(std::max(0, tint.G - d * 3 / 4)),
                              static_cast<uint8_t>(std::max(0, tint.B - d / 2))};
        uint8_t* p = r.Row(y);
        for (int x = 0; x < r.Width; ++x, p += 3)
            std::memcpy(p, c, 3);
    }
}

void FillPlain(RgbRaster& r, Rgb c)
{
    for (int y = 0; y < r.Height; ++y) {
        uint8_t* p = r.Row(y);
        for (int x = 0; x < r.Width; ++x, p += 3) {
            p[0] = c.R;
            p[1] = c.G;
            p[2] = c.B;
        }
    }
}

constexpr std::array<const char*, 6> Banks = {"First Harbor Bank",   "Northfield Savings Bank",
                                              "Meridian Trust Company", "Cedar Valley Credit Union",
                                              "Pioneer National Bank",  "Lakeshore Federal"};
constexpr std::array<const char*, 3> EuroBanks = {"Banque du Littoral", "Caisse Alpine", "Credit des Vosges"};
constexpr std::array<const char*, 12> Months = {"January", "February", "March",     "April",   "May",      "June",
                                                "July",    "August",   "September", "October", "November", "December"};

std::string ChequeNumberOf(const DocumentSpec& doc)
{
    const std::string& c = doc.Codeline;
    if (doc.Micr == MicrFont::CMC7) {
        size_t n = 0;
        while (n < c.size() && std::isdigit(static_cast<unsigned char>(c[n])))
            ++n;
        std::string s = c.substr(0, n);
        while (s.size() > 1 && s[0] == '0')
            s.erase(0, 1);
        return s;
    }
    const size_t onUs = c.find("U ");
    if (onUs != std::string::npos) {
        size_t end = onUs + 2;
        while (end < c.size() && std::isdigit(static_cast<unsigned char>(c[end])))
            ++end;
        if (end > onUs + 2)
            return c.substr(onUs + 2, end - onUs - 2);
    }
    return std::to_string(1001 + doc.Seed % 8999);
}

// ---- Codelines -------------------------------------------------------------
void DrawE13bCharacter(Canvas& canvas, const micr::E13bGlyph& glyph, double rightMm, double bottomMm,
                       double docLengthMm, double docHeightMm)
{
    const double m = micr::E13bModuleMm;
    const double left = docLengthMm - rightMm - micr::E13bColumns * m;
    const double top = docHeightMm - bottomMm - micr::E13bHeightMm;
    const double half = micr::E13bHalfModuleMm;
    for (int r = 0; r < micr::E13bRows; ++r) {
        int c = 0;
        while (c < micr::E13bHalfColumns) {
            if (!glyph.HalfInk(c, r)) {
                ++c;
                continue;
            }
            int end = c;
            while (end < micr::E13bHalfColumns && glyph.HalfInk(end, r))
                ++end;
            canvas.FillRect(left + c * half, top + r * m, left + end * half, top + (r + 1) * m, MicrInk);
            c = end;
        }
    }
}

void DrawCmc7Character(Canvas& canvas, const micr::Cmc7Glyph& glyph, double rightMm, double bottomMm,
                       double docLengthMm, double docHeightMm)
{
    const double left = docLengthMm - rightMm - micr::Cmc7WidthMm;
    const double top = docHeightMm - bottomMm - micr::Cmc7HeightMm;
    const auto lefts = micr::Cmc7StrokeLefts(glyph);
    const auto spans = micr::Cmc7StrokeSpans(glyph);
    for (int i = 0; i < micr::Cmc7Strokes; ++i) {
        const double x = left + lefts[static_cast<size_t>(i)];
        const auto& s = spans[static_cast<size_t>(i)];
        canvas.FillRect(x, top + s.Top * micr::Cmc7HeightMm, x + micr::Cmc7StrokeMm,
                        top + s.Bottom * micr::Cmc7HeightMm, MicrInk);
    }
}

void DrawCodeline(Canvas& canvas, const DocumentSpec& doc)
{
    for (const docgeom::PlacedChar& pc : docgeom::PlaceCodeline(doc)) {
        if (doc.Micr == MicrFont::CMC7) {
            if (const micr::Cmc7Glyph* g = micr::FindCmc7Glyph(pc.Symbol))
                DrawCmc7Character(canvas, *g, pc.RightMm, docgeom::Cmc7BottomMm, doc.LengthMm, doc.HeightMm);
        } else if (const micr::E13bGlyph* g = micr::FindE13bGlyph(pc.Symbol)) {
            DrawE13bCharacter(canvas, *g, pc.RightMm, docgeom::E13bBottomMm, doc.LengthMm, doc.HeightMm);
        }
    }
}

void DrawCalibrationMarks(Canvas& canvas, const DocumentSpec& doc)
{
    const double m = micr::E13bModuleMm;
    const double bottom = doc.HeightMm - docgeom::E13bBottomMm;
    const double top = bottom - micr::E13bHeightMm;
    const double shortHeight = micr::E13bHeightMm * docgeom::CalibrationBarHeightFraction;
    for (int k = 0; k < docgeom::CalibrationMarkCount; ++k) {
        const double right = doc.LengthMm - (docgeom::E13bFirstRightMm + k * micr::E13bPitchMm);
        canvas.FillRect(right - m, top, right, bottom, MicrInk);
        for (int j = 0; j < 6; ++j) {
            const double barRight = right - (2.0 + j) * m;
            canvas.FillRect(barRight - 0.5 * m, bottom - shortHeight, barRight, bottom, MicrInk);
        }
    }
}

// OCR line: one character per 1/10 in from the right end, in the face's own
// size for that pitch, as the optical reads expect it.
void DrawOcrLine(Canvas& canvas, const DocumentSpec& doc)
{
    if (doc.OcrText.empty() || doc.Ocr == OcrFont::None)
        return;
    const FontFace face = doc.Ocr == OcrFont::OcrA ? FontFace::OcrA : FontFace::OcrB;
    const double baseline = doc.HeightMm - docgeom::OcrBottomMm;
    const size_t n = doc.OcrText.size();
    std::lock_guard<std::mutex> guard(FontLock());
    // Measure the advance at a reference size, then pick the size.
    FontRaster& probe = FontFor(face, 100.0);
    if (!probe.IsValid())
        return;
    const int advance = std::max(1, probe.GlyphFor('0').Advance);
    FontRaster& font = FontFor(face, 100.0 * canvas.Px(docgeom::OcrPitchMm) / advance);
    for (size_t i = 0; i < n; ++i) {
        const char ch = doc.OcrText[i];
        if (ch == ' ')
            continue;
        const FontRaster::Glyph& g = font.GlyphFor(static_cast<unsigned char>(ch));
        const double cellRight = doc.LengthMm - docgeom::OcrRightMm - static_cast<double>(n - 1 - i) * docgeom::OcrPitchMm;
        // Set as the face sets it: the glyph's own offset from its pen position.
        const int left = static_cast<int>(std::lround(canvas.Px(cellRight - docgeom::OcrPitchMm))) + g.Left;
        const int top = static_cast<int>(std::lround(canvas.Px(baseline))) - g.Top;
        canvas.DrawMask(g.Mask, left, top, Rgb{12, 12, 14});
    }
}

ZXing::BitMatrix EncodeSymbol(ZXing::BarcodeFormat format, const std::string& text)
{
    try {
        return ZXing::MultiFormatWriter(format).setMargin(0).encode(text, 0, 0);
    } catch (const std::exception&) {
        return {};
    }
}

void DrawModules(Canvas& canvas, const ZXing::BitMatrix& m, double leftMm, double topMm, double moduleMm,
                 double rowHeightMm)
{
    for (int y = 0; y < m.height(); ++y) {
        int x = 0;
        while (x < m.width()) {
            if (!m.get(x, y)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < m.width() && m.get(end, y))
                ++end;
            canvas.FillRect(leftMm + x * moduleMm, topMm + y * rowHeightMm, leftMm + end * moduleMm,
                            topMm + (y + 1) * rowHeightMm, Rgb{0, 0, 0});
            x = end;
        }
    }
}

void DrawBarcode(Canvas& canvas, const DocumentSpec& doc)
{
    ZXing::BarcodeFormat format;
    switch (doc.Barcode) {
    case BarcodeKind::TwoOfFive: format = ZXing::BarcodeFormat::ITF; break;
    case BarcodeKind::Code39: format = ZXing::BarcodeFormat::Code39; break;
    case BarcodeKind::Code128: format = ZXing::BarcodeFormat::Code128; break;
    default: return;
    }
    if (doc.BarcodeText.empty())
        return;
    const ZXing::BitMatrix m = EncodeSymbol(format, doc.BarcodeText);
    if (m.width() <= 0)
        return;
    // A long symbol on a short cheque is printed narrower, so that it keeps a
    // quiet zone inside the paper.
    constexpr double QuietZoneMm = 6.0;
    constexpr double NarrowestModuleMm = 0.26;
    const double room = doc.LengthMm - docgeom::BarcodeRightMm - QuietZoneMm;
    // Code 39 tells its bars only by a 2:1 width ratio: it gets wider modules.
    const double wanted = doc.Barcode == BarcodeKind::Code39 ? 0.46 : docgeom::BarcodeModuleMm;
    const double module = std::max(NarrowestModuleMm, std::min(wanted, room / m.width()));
    const double width = m.width() * module;
    const double left = doc.LengthMm - docgeom::BarcodeRightMm - width;
    const double top = doc.HeightMm - docgeom::BarcodeBottomMm - docgeom::BarcodeHeightMm;
    DrawModules(canvas, m, left, top, module, docgeom::BarcodeHeightMm / m.height());
}

void DrawPdf417(Canvas& canvas, const DocumentSpec& doc)
{
    if (doc.Pdf417Text.empty())
        return;
    const ZXing::BitMatrix m = EncodeSymbol(ZXing::BarcodeFormat::PDF417, doc.Pdf417Text);
    if (m.width() <= 0)
        return;
    DrawModules(canvas, m, docgeom::Pdf417LeftMm, docgeom::Pdf417TopMm, docgeom::Pdf417ModuleMm,
                docgeom::Pdf417ModuleMm);
}

// A signature: a few loops of a pen moving right, drawn from the seed.
void DrawSignature(Canvas& canvas, uint32_t seed, double leftMm, double baselineMm, double widthMm)
{
    DocRandom rnd(DocRandom::Mix(seed, 77));
    std::vector<std::pair<double, double>> pts;
    const int loops = rnd.Int(4, 7);
    const double f1 = rnd.Uniform(0.8, 1.3), f2 = rnd.Uniform(1.8, 2.7), ph = rnd.Uniform(0.0, 2 * Pi);
    const double height = rnd.Uniform(5.0, 8.0);
    for (int i = 0; i <= 240; ++i) {
        const double t = i / 240.0;
        const double a = t * loops * 2.0 * Pi;
        const double x = leftMm + widthMm * t + 2.2 * std::sin(a * f1 + ph);
        const double y = baselineMm - height * (0.5 + 0.35 * std::sin(a + ph) + 0.15 * std::sin(a * f2)) * (1.0 - 0.5 * t);
        pts.emplace_back(x, y);
    }
    canvas.Stroke(pts, 0.35, PenInk);
    // The underline flourish.
    std::vector<std::pair<double, double>> flourish;
    for (int i = 0; i <= 40; ++i) {
        const double t = i / 40.0;
        flourish.emplace_back(leftMm + widthMm * (0.1 + 0.9 * t), baselineMm + 0.8 - 1.6 * t * (1 - t));
    }
    canvas.Stroke(flourish, 0.3, PenInk);
}

void DrawChequeFront(RgbRaster& r, const DocumentSpec& doc)
{
    DocRandom rnd(DocRandom::Mix(doc.Seed, 1));
    static constexpr std::array<Rgb, 4> Tints = {Rgb{236, 243, 250}, Rgb{246, 241, 228}, Rgb{235, 246, 236},
                                                 Rgb{245, 236, 242}};
    const Rgb tint = Tints[static_cast<size_t>(rnd.Int(0, 3))];
    FillPaper(r, tint, 24, doc.Seed);
    Canvas c(r);
    const double L = doc.LengthMm, H = doc.HeightMm;
    const bool euro = doc.Micr == MicrFont::CMC7;
    const std::string bank = euro ? EuroBanks[static_cast<size_t>(rnd.Int(0, 2))]
                                  : Banks[static_cast<size_t>(rnd.Int(0, static_cast<int>(Banks.size()) - 1))];
    // Heading: bank, its branch, the cheque number.
    c.Text(FontFace::SansBold, 4.6, bank, 10.0, 9.0, PrintInk);
    if (doc.Pdf417Text.empty())
        c.Text(FontFace::Sans, 2.4, euro ? "Agence Centrale" : "Main Street Branch", 10.0, 12.6, PrintInk);
    c.Text(FontFace::SansBold, 3.6, ChequeNumberOf(doc), L - 10.0, 9.0, PrintInk, Canvas::Align::Right);
    // Date.
    const double dateY = std::round(H * 0.30);
    const std::string date = std::string(Months[static_cast<size_t>(rnd.Int(0, 11))]) + " " +
                             std::to_string(rnd.Int(1, 28)) + ", " + std::to_string(rnd.Int(2019, 2025));
    c.Text(FontFace::Sans, 2.4, euro ? "Le" : "Date", L - 62.0, dateY, PrintInk);
    c.FillRect(L - 52.0, dateY + 0.6, L - 12.0, dateY + 0.85, RuleInk);
    c.Text(FontFace::SerifItalic, 4.0, date, L - 50.0, dateY - 0.2, PenInk);
    // Payee and amount box.
    const double payY = std::round(H * 0.47);
    c.Text(FontFace::Sans, 2.2, euro ? "PAYEZ CONTRE CE CHEQUE" : "PAY TO THE", 10.0, payY - 3.0, PrintInk);
    c.Text(FontFace::Sans, 2.2, euro ? "A L'ORDRE DE" : "ORDER OF", 10.0, payY, PrintInk);
    c.FillRect(44.0, payY + 0.5, L - 56.0, payY + 0.85, RuleInk);
    c.Text(FontFace::SerifItalic, 4.4, doc.Payee, 47.0, payY - 0.3, PenInk);
    c.Text(FontFace::SansBold, 3.6, euro ? "EUR" : "$", L - 46.0, payY, PrintInk, Canvas::Align::Right);
    c.Frame(L - 44.0, payY - 5.5, L - 10.0, payY + 1.5, 0.3, RuleInk);
    c.Text(FontFace::SerifItalic, 4.4, doc.Amount, L - 12.0, payY - 0.3, PenInk, Canvas::Align::Right);
    // Amount in words.
    const double wordsY = std::round(H * 0.61);
    c.FillRect(10.0, wordsY + 0.6, L - 30.0, wordsY + 0.85, RuleInk);
    c.Text(FontFace::Sans, 2.4, euro ? "EUROS" : "DOLLARS", L - 28.0, wordsY, PrintInk);
    std::string words;
    {
        int64_t cents = 0;
        for (char ch : doc.Amount)
            if (std::isdigit(static_cast<unsigned char>(ch)))
                cents = cents * 10 + (ch - '0');
        words = AmountInWords(cents);
    }
    c.Text(FontFace::SerifItalic, 4.0, words, 14.0, wordsY - 0.3, PenInk);
    // Memo and signature just above the clear band.
    const double signY = H - docgeom::ClearBandMm - 1.6;
    c.Text(FontFace::Sans, 2.2, "MEMO", 10.0, signY, PrintInk);
    c.FillRect(20.0, signY + 0.6, 70.0, signY + 0.85, RuleInk);
    c.FillRect(L - 75.0, signY + 0.6, L - 10.0, signY + 0.85, RuleInk);
    DrawSignature(c, doc.Seed, L - 70.0, signY - 0.5, 50.0);
    // The machine-readable parts.
    DrawPdf417(c, doc);
    DrawOcrLine(c, doc);
    DrawBarcode(c, doc);
    DrawCodeline(c, doc);
}

void DrawChequeBack(RgbRaster& r, const DocumentSpec& doc)
{
    DocRandom rnd(DocRandom::Mix(doc.Seed, 1));
    static constexpr std::array<Rgb, 4> Tints = {Rgb{236, 243, 250}, Rgb{246, 241, 228}, Rgb{235, 246, 236},
                                                 Rgb{245, 236, 242}};
    const Rgb tint = Tints[static_cast<size_t>(rnd.Int(0, 3))];
    FillRuled(r, tint, 10);
    Canvas c(r);
    // The endorsement area sits at the trailing end, which is the left of
    // the back as the reader sees it.
    const double right = 60.0;
    c.Text(FontFace::SansBold, 2.2, "ENDORSE HERE", 6.0, 6.0, PrintInk);
    for (int i = 0; i < 3; ++i)
        c.FillRect(6.0, 11.0 + 6.0 * i, right, 11.25 + 6.0 * i, RuleInk);
    c.Text(FontFace::Sans, 1.8, "DO NOT WRITE, STAMP OR SIGN BELOW THIS LINE", 6.0, 30.0, PrintInk);
    c.FillRect(6.0, 31.0, right, 31.25, RuleInk);
}

void DrawCalibrationFront(RgbRaster& r, const DocumentSpec& doc)
{
    FillPlain(r, Rgb{250, 250, 248});
    Canvas c(r);
    c.Text(FontFace::SansBold, 4.0, "E13B CALIBRATION DOCUMENT", 10.0, 12.0, PrintInk);
    c.Text(FontFace::Sans, 2.6, "Feed face up, codeline at the bottom. Do not fold.", 10.0, 18.0, PrintInk);
    DrawCalibrationMarks(c, doc);
}

// Bands and drag marks where the image quality check looks for them in a
// 200 dpi scan cropped to the document (columns from the left edge, rows
// from the bottom edge).
void DrawColourTest(RgbRaster& r, const DocumentSpec& doc)
{
    FillPlain(r, Rgb{252, 252, 252});
    Canvas c(r);
    const double pxMm = 25.4 / 200.0;
    struct Band {
        int Column;
        Rgb Colour;
    };
    static constexpr std::array<Band, 6> Bands = {Band{158, Rgb{200, 30, 30}},   Band{354, Rgb{17, 136, 102}},
                                                  Band{552, Rgb{20, 120, 185}},  Band{740, Rgb{205, 165, 40}},
                                                  Band{944, Rgb{15, 15, 15}},    Band{1142, Rgb{236, 236, 236}}};
    for (const Band& b : Bands)
        c.FillRect((b.Column - 6) * pxMm, 0.0, (b.Column + 86) * pxMm, doc.HeightMm, b.Colour);
    static constexpr std::array<int, 7> Marks = {60, 299, 496, 693, 890, 1087, 1327};
    for (int m : Marks)
        c.FillRect(m * pxMm, doc.HeightMm - 100 * pxMm, (m + 2) * pxMm, doc.HeightMm - 44 * pxMm, Rgb{0, 0, 0});
}

void DrawCardFront(RgbRaster& r, const DocumentSpec& doc)
{
    FillPaper(r, Rgb{226, 236, 246}, 18, doc.Seed);
    Canvas c(r);
    c.FillRect(0.0, 0.0, doc.LengthMm, 9.0, Rgb{30, 70, 140});
    c.Text(FontFace::SansBold, 3.6, "IDENTITY CARD", 5.0, 6.3, Rgb{250, 250, 250});
    c.FillRect(5.0, 13.0, 27.0, 41.0, Rgb{180, 186, 196});
    std::vector<std::pair<double, double>> head;
    for (int i = 0; i <= 60; ++i)
        head.emplace_back(16.0 + 5.0 * std::cos(i * Pi / 30), 23.0 + 6.0 * std::sin(i * Pi / 30));
    c.Stroke(head, 0.6, Rgb{90, 96, 110});
    c.FillRect(9.0, 33.0, 23.0, 41.0, Rgb{90, 96, 110});
    c.FillRect(31.0, 14.0, 41.0, 22.0, Rgb{212, 178, 92});
    c.Text(FontFace::Sans, 2.0, "NAME", 31.0, 28.0, PrintInk);
    c.Text(FontFace::SansBold, 3.0, doc.Payee, 31.0, 32.5, PrintInk);
    c.Text(FontFace::Sans, 2.0, "NUMBER", 31.0, 38.0, PrintInk);
    c.Text(FontFace::SansBold, 3.0, "ID " + std::to_string(100000000 + doc.Seed % 900000000), 31.0, 42.5, PrintInk);
}

void DrawCardBack(RgbRaster& r, const DocumentSpec& doc)
{
    FillPlain(r, Rgb{238, 240, 244});
    Canvas c(r);
    c.FillRect(0.0, 5.0, doc.LengthMm, 17.0, Rgb{46, 34, 28});
    c.FillRect(6.0, 22.0, 60.0, 30.0, Rgb{250, 250, 250});
    c.Frame(6.0, 22.0, 60.0, 30.0, 0.2, RuleInk);
    c.Text(FontFace::Sans, 1.8, "AUTHORISED SIGNATURE", 6.0, 33.0, PrintInk);
}

// ---- What the unit prints ----------------------------------------------------
void DrawEndorsement(RgbRaster& r, const PrintJob& job)
{
    if (!job.Endorse || job.EndorseText.empty())
        return;
    Canvas c(r);
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(job.FontLetter)));
    const bool high = std::islower(static_cast<unsigned char>(job.FontLetter)) != 0;
    const FontFace face = letter == 'B' ? FontFace::SansBold : FontFace::Sans;
    const double em = letter == 'A' ? 2.4 : 3.2;
    const std::string text = ExpandCounter(job.EndorseText, job.Counter, job.CounterDigits);
    // The inkjet head sits 14 mm below the top edge; printing starts 20 mm
    // after the leading edge, which is on the left of the back.
    c.Text(face, em, text, 20.0, 14.0 + (high ? em : 0.0), InkjetInk, Canvas::Align::Left, 0.0, high ? 2.0 : 1.0);
}

void DrawDigitalString(RgbRaster& r, const PrintJob& job, char side)
{
    if (!job.Digital || job.DigitalText.empty())
        return;
    const char target = static_cast<char>(std::toupper(static_cast<unsigned char>(job.DigitalSide)));
    if (target != 'X' && target != side)
        return;
    Canvas c(r);
    std::string name = job.DigitalFontName;
    for (char& ch : name)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    const bool serif = name.find("times") != std::string::npos || name.find("serif") != std::string::npos ||
                       name.find("roman") != std::string::npos || name.find("georgia") != std::string::npos;
    FontFace face = job.DigitalBold ? FontFace::SansBold : FontFace::Sans;
    double shear = job.DigitalItalic ? 0.21 : 0.0;
    if (serif) {
        face = job.DigitalItalic ? FontFace::SerifItalic : FontFace::Serif;
        shear = 0.0;
    }
    const double unit = job.DigitalInch ? 25.4 : 1.0;
    const double x = job.DigitalX * unit, y = job.DigitalY * unit;
    const double emMm = std::clamp(job.DigitalFontSize, 4, 144) * 25.4 / 72.0;
    const int tone = std::clamp(job.DigitalGrayTone, 0, 255);
    const Rgb ink{static_cast<uint8_t>(tone), static_cast<uint8_t>(tone), static_cast<uint8_t>(tone)};
    // The position is the top-left of the text; the baseline follows.
    const double baseline = y + emMm * 0.8;
    const double width = c.Text(face, emMm, job.DigitalText, x, baseline, ink, Canvas::Align::Left, shear);
    if (job.DigitalBold && serif)
        c.Text(face, emMm, job.DigitalText, x + 0.08, baseline, ink, Canvas::Align::Left, shear);
    if (job.DigitalUnderline)
        c.FillRect(x, baseline + emMm * 0.1, x + width, baseline + emMm * 0.1 + std::max(0.2, emMm / 16.0), ink);
}

void DrawFrontStamp(RgbRaster& r, const DocumentSpec& doc, const PrintJob& job)
{
    if (!job.FrontStamp)
        return;
    Canvas c(r);
    // Between the heading and the date, clear of the PDF417 symbol.
    const double left = doc.LengthMm / 2.0 - 20.0, top = doc.HeightMm * 0.14;
    c.Frame(left, top, left + 34.0, top + 10.0, 0.7, StampInk);
    c.Text(FontFace::SansBold, 5.0, "PROCESSED", left + 17.0, top + 7.0, StampInk, Canvas::Align::Centre);
}

} // namespace

std::string ExpandCounter(const std::string& text, int64_t counter, int digits)
{
    std::string out;
    std::string number = std::to_string(counter < 0 ? -counter : counter);
    if (digits > 0 && static_cast<int>(number.size()) < digits)
        number.insert(0, static_cast<size_t>(digits - static_cast<int>(number.size())), '0');
    if (counter < 0)
        number.insert(0, 1, '-');
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 'd') {
            out += number;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

RgbRaster RenderDocument(const DocumentSpec& doc, char side, const PrintJob& job, double dotsPerInch,
                         std::vector<uint8_t> pixels)
{
    RgbRaster r;
    r.Dpi = dotsPerInch;
    r.Width = std::max(1, static_cast<int>(std::lround(doc.LengthMm * dotsPerInch / 25.4)));
    r.Height = std::max(1, static_cast<int>(std::lround(doc.HeightMm * dotsPerInch / 25.4)));
    r.Pixels = std::move(pixels);
    r.Pixels.assign(static_cast<size_t>(r.Width) * r.Height * 3, 255);
    const bool front = side != 'B';
    switch (doc.Kind) {
    case DocumentKind::Cheque:
        if (front)
            DrawChequeFront(r, doc);
        else
            DrawChequeBack(r, doc);
        break;
    case DocumentKind::E13bCalibration:
        if (front)
            DrawCalibrationFront(r, doc);
        else
            FillPlain(r, Rgb{250, 250, 248});
        break;
    case DocumentKind::ColourTest:
        if (front)
            DrawColourTest(r, doc);
        else
            FillPlain(r, Rgb{252, 252, 252});
        break;
    case DocumentKind::Card:
        if (front)
            DrawCardFront(r, doc);
        else
            DrawCardBack(r, doc);
        break;
    case DocumentKind::White:
    case DocumentKind::Blank: FillPlain(r, Rgb{251, 251, 250}); break;
    }
    if (front)
        DrawFrontStamp(r, doc, job);
    else
        DrawEndorsement(r, job);
    DrawDigitalString(r, job, front ? 'F' : 'B');
    return r;
}

const RgbRaster& DocumentImages::Side(char side, int dotsPerInch)
{
    const char key = side == 'B' ? 'B' : 'F';
    auto found = Cache.find({key, dotsPerInch});
    if (found == Cache.end()) {
        std::vector<uint8_t> memory;
        if (!Spare.empty()) {
            memory = std::move(Spare.back());
            Spare.pop_back();
        }
        found = Cache.emplace(std::make_pair(key, dotsPerInch), RenderDocument(Doc, key, Job, dotsPerInch, std::move(memory)))
                    .first;
    }
    return found->second;
}

void DocumentImages::ReuseMemoryOf(DocumentImages&& previous)
{
    for (auto& [key, raster] : previous.Cache)
        Spare.push_back(std::move(raster.Pixels));
    for (auto& memory : previous.Spare)
        Spare.push_back(std::move(memory));
    previous.Cache.clear();
    previous.Spare.clear();
}
