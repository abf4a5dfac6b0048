#include "decode/OcrTemplates.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "vnapi/MicrSymbols.h"

namespace decode {

namespace {

const std::string Digits = "0123456789";
const std::string Letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::string E13bCharacters() { return Digits + micr::E13bTransit + micr::E13bOnUs + micr::E13bAmount + micr::E13bDash; }

void AddAlphabet(std::vector<FontAlphabet>& fonts, TemplateFont font, const std::string& characters)
{
    for (FontAlphabet& existing : fonts) {
        if (existing.Font != font)
            continue;
        for (char c : characters)
            if (existing.Characters.find(c) == std::string::npos)
                existing.Characters += c;
        return;
    }
    fonts.push_back({font, characters});
}

struct InkBox {
    int Left = 0, Top = 0, Right = -1, Bottom = -1; // inclusive
    bool Empty() const { return Right < Left; }
};

InkBox FindInk(const GlyphMask& mask)
{
    InkBox box{mask.Width, mask.Height, -1, -1};
    for (int y = 0; y < mask.Height; ++y)
        for (int x = 0; x < mask.Width; ++x)
            if (mask.At(x, y)) {
                box.Left = std::min(box.Left, x);
                box.Right = std::max(box.Right, x);
                box.Top = std::min(box.Top, y);
                box.Bottom = std::max(box.Bottom, y);
            }
    return box;
}

// maskTop: row of the mask's top relative to the baseline.
bool MakeTemplate(char symbol, size_t fontIndex, const GlyphMask& mask, int penToMaskLeft, int maskTop, CharTemplate& t)
{
    const InkBox box = FindInk(mask);
    if (box.Empty())
        return false;
    t.Symbol = symbol;
    t.FontIndex = fontIndex;
    t.Width = box.Right - box.Left + 1;
    t.Height = box.Bottom - box.Top + 1;
    t.BoxLeft = penToMaskLeft + box.Left;
    t.BoxTop = maskTop + box.Top;
    t.Ink.resize(static_cast<size_t>(t.Width) * t.Height);
    t.Sum = t.SumSquares = 0;
    int solidTop = t.Height, solidBottom = -1, solidLeft = t.Width, solidRight = -1;
    for (int y = 0; y < t.Height; ++y)
        for (int x = 0; x < t.Width; ++x) {
            const float v = mask.At(box.Left + x, box.Top + y) / 255.0f;
            t.Ink[static_cast<size_t>(y) * t.Width + x] = v;
            t.Sum += v;
            t.SumSquares += static_cast<double>(v) * v;
            if (v >= 0.5f) {
                solidTop = std::min(solidTop, y);
                solidBottom = std::max(solidBottom, y);
                solidLeft = std::min(solidLeft, x);
                solidRight = std::max(solidRight, x);
            }
        }
    t.SolidHeight = solidBottom >= solidTop ? solidBottom - solidTop + 1 : t.Height;
    t.SolidLeft = solidRight >= solidLeft ? solidLeft : 0;
    t.SolidWidth = solidRight >= solidLeft ? solidRight - solidLeft + 1 : t.Width;
    return true;
}

// Averages factor x factor blocks of a mask whose top-left lies at (left,
// top) (pen and baseline relative, high-resolution pixels); a low-resolution
// pixel X covers the columns factor * X + phaseX onwards. outLeft and outTop
// receive the result's position in low-resolution pixels.
GlyphMask Downsample(const GlyphMask& hi, int left, int top, int factor, int phaseX, int phaseY, int& outLeft,
                     int& outTop)
{
    const auto floorDiv = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    outLeft = floorDiv(left - phaseX, factor);
    outTop = floorDiv(top - phaseY, factor);
    const int right = floorDiv(left + hi.Width - 1 - phaseX, factor);
    const int bottom = floorDiv(top + hi.Height - 1 - phaseY, factor);
    GlyphMask lo;
    lo.Width = right - outLeft + 1;
    lo.Height = bottom - outTop + 1;
    lo.Coverage.assign(static_cast<size_t>(lo.Width) * lo.Height, 0);
    for (int y = 0; y < lo.Height; ++y)
        for (int x = 0; x < lo.Width; ++x) {
            int sum = 0;
            for (int sy = 0; sy < factor; ++sy)
                for (int sx = 0; sx < factor; ++sx)
                    sum +=
                        hi.At((outLeft + x) * factor + phaseX + sx - left, (outTop + y) * factor + phaseY + sy - top);
            lo.Coverage[static_cast<size_t>(y) * lo.Width + x] =
                static_cast<uint8_t>((sum + factor * factor / 2) / (factor * factor));
        }
    return lo;
}

// The mask with its ink grown by reach pixels on every side (print whose
// toner spread), the mask widened to hold it.
GlyphMask Embolden(const GlyphMask& mask, int reach)
{
    GlyphMask out;
    out.Width = mask.Width + 2 * reach;
    out.Height = mask.Height + 2 * reach;
    std::vector<uint8_t> rows(static_cast<size_t>(out.Width) * mask.Height, 0);
    for (int y = 0; y < mask.Height; ++y)
        for (int x = 0; x < out.Width; ++x) {
            uint8_t v = 0;
            for (int sx = x - 2 * reach; sx <= x; ++sx)
                v = std::max(v, mask.At(sx, y));
            rows[static_cast<size_t>(y) * out.Width + x] = v;
        }
    out.Coverage.assign(static_cast<size_t>(out.Width) * out.Height, 0);
    for (int y = 0; y < out.Height; ++y)
        for (int x = 0; x < out.Width; ++x) {
            uint8_t v = 0;
            for (int sy = std::max(0, y - 2 * reach); sy <= std::min(mask.Height - 1, y); ++sy)
                v = std::max(v, rows[static_cast<size_t>(sy) * out.Width + x]);
            out.Coverage[static_cast<size_t>(y) * out.Width + x] = v;
        }
    return out;
}

FontFace FaceOf(TemplateFont font) { return font == TemplateFont::OcrA ? FontFace::OcrA : FontFace::OcrB; }

} // namespace

bool ParseOcrReadType(const char* readType, char mode, OcrReadRequest& request)
{
    request = {};
    if (!readType || !*readType || (mode != 'N' && mode != 'X'))
        return false;
    const std::string italy = Digits + "<>+#";
    for (const char* p = readType; *p; ++p) {
        switch (*p) {
        case 'A': AddAlphabet(request.Fonts, TemplateFont::OcrA, Digits + "<>+-/#"); break;
        case 'B': AddAlphabet(request.Fonts, TemplateFont::OcrB, Digits + "<>+-"); break;
        case 'C': AddAlphabet(request.Fonts, TemplateFont::OcrB, Digits + Letters + "<>+-/"); break;
        case 'F': AddAlphabet(request.Fonts, TemplateFont::OcrB, italy); break;
        case 'E': AddAlphabet(request.Fonts, TemplateFont::E13b, E13bCharacters()); break;
        case 'X':
            AddAlphabet(request.Fonts, TemplateFont::E13b, E13bCharacters());
            AddAlphabet(request.Fonts, TemplateFont::OcrB, italy);
            request.FontSwitching = true;
            break;
        default: request = {}; return false;
        }
    }
    if (mode == 'X')
        request.FontSwitching = true;
    return true;
}

double NominalPitchInch(TemplateFont font) { return font == TemplateFont::E13b ? E13bPitchInch : 0.1; }

double EmPixelsFor(TemplateFont font, double dotsPerInch)
{
    if (font == TemplateFont::E13b)
        return 0;
    // The advance of the monospaced OCR faces, as a fraction of the em.
    static const double advanceRatio[2] = {
        [] {
            FontRaster r(FontFace::OcrA, 1000);
            return r.IsValid() ? r.GlyphFor('0').Advance / 1000.0 : 0.0;
        }(),
        [] {
            FontRaster r(FontFace::OcrB, 1000);
            return r.IsValid() ? r.GlyphFor('0').Advance / 1000.0 : 0.0;
        }(),
    };
    const double ratio = advanceRatio[font == TemplateFont::OcrA ? 0 : 1];
    return ratio > 0 ? NominalPitchInch(font) * dotsPerInch / ratio : 0;
}

TemplateSet BuildTemplates(const std::vector<FontAlphabet>& fonts, double dotsPerInch, const E13bGlyphSource& e13b)
{
    // Glyphs are drawn at four times the resolution and averaged down, as a
    // scanner's sensor sees print, rather than hinted at the scan size. At
    // low resolutions, where a half pixel is a good part of a stroke, each
    // character also gets templates at half-pixel offsets.
    constexpr int Factor = 4;
    const double hiDpi = dotsPerInch * Factor;
    const int phases = dotsPerInch < 150 ? 2 : 1;
    TemplateSet set;
    for (const FontAlphabet& alphabet : fonts) {
        std::vector<double> digitHeights;
        const size_t fontIndex = set.Fonts.size();
        set.Fonts.push_back(alphabet.Font);
        set.PitchPixels.push_back(NominalPitchInch(alphabet.Font) * dotsPerInch);
        set.FontReferenceHeight.push_back(0);
        std::unique_ptr<FontRaster> raster;
        if (alphabet.Font != TemplateFont::E13b) {
            const double em = EmPixelsFor(alphabet.Font, hiDpi);
            if (em <= 0)
                continue;
            raster = std::make_unique<FontRaster>(FaceOf(alphabet.Font), em);
            if (!raster->IsValid())
                continue;
        }
        for (char symbol : alphabet.Characters) {
            // The glyph at the high resolution, placed against the pen
            // position and the baseline.
            GlyphMask hi;
            int hiLeft = 0, hiTop = 0;
            if (raster) {
                const FontRaster::Glyph& g = raster->GlyphFor(static_cast<unsigned char>(symbol));
                hi = g.Mask;
                hiLeft = g.Left;
                hiTop = -g.Top;
            } else if (e13b) {
                hi = e13b(symbol, hiDpi);
                // E13B characters sit against the right of their cell.
                const double pitch = E13bPitchInch * hiDpi;
                hiLeft = static_cast<int>(std::lround(pitch - E13bUnitInch * hiDpi)) - hi.Width;
                hiTop = -hi.Height;
            }
            if (hi.Width <= 0 || hi.Height <= 0)
                continue;
            // Also the character as toner that spread prints it, a tenth of
            // a millimetre bolder all round.
            const int bold = std::max(1, static_cast<int>(std::lround(0.1 * hiDpi / 25.4)));
            const GlyphMask heavy = Embolden(hi, bold);
            for (int weight = 0; weight < 2; ++weight)
                for (int py = 0; py < phases; ++py)
                    for (int px = 0; px < phases; ++px) {
                        int left = 0, top = 0;
                        const GlyphMask lo = weight == 0
                            ? Downsample(hi, hiLeft, hiTop, Factor, px * Factor / phases, py * Factor / phases, left, top)
                            : Downsample(heavy, hiLeft - bold, hiTop - bold, Factor, px * Factor / phases,
                                         py * Factor / phases, left, top);
                        CharTemplate t;
                        if (!MakeTemplate(symbol, fontIndex, lo, left, top, t))
                            continue;
                        if (weight == 0 && px == 0 && py == 0 && symbol >= '0' && symbol <= '9')
                            digitHeights.push_back(t.SolidHeight);
                        if (weight == 0)
                            set.MaxWidth = std::max(set.MaxWidth, static_cast<double>(t.Width));
                        set.Templates.push_back(std::move(t));
                    }
        }
        if (!digitHeights.empty()) {
            std::sort(digitHeights.begin(), digitHeights.end());
            set.FontReferenceHeight[fontIndex] = digitHeights[digitHeights.size() / 2];
        }
    }
    return set;
}

std::shared_ptr<const TemplateSet> CachedTemplates(const std::vector<FontAlphabet>& fonts, double dotsPerInch)
{
    // Resolutions are kept to a tenth of a dot per inch.
    std::string key = std::to_string(std::lround(dotsPerInch * 10));
    for (const FontAlphabet& a : fonts)
        key += "|" + std::to_string(static_cast<int>(a.Font)) + ":" + a.Characters;

    static std::mutex lock;
    static std::map<std::string, std::shared_ptr<const TemplateSet>> cache;
    {
        std::lock_guard<std::mutex> guard(lock);
        const auto found = cache.find(key);
        if (found != cache.end())
            return found->second;
    }
    auto built = std::make_shared<const TemplateSet>(BuildTemplates(fonts, dotsPerInch, DefaultE13bGlyphSource()));
    std::lock_guard<std::mutex> guard(lock);
    // A bounded cache: read types times the few resolutions and print scales in use.
    if (cache.size() > 256)
        cache.clear();
    return cache.emplace(key, std::move(built)).first->second;
}

} // namespace decode
