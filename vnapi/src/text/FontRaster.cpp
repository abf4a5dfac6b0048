#include "text/FontRaster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <map>
#include <mutex>
#include <sys/stat.h>

namespace {

bool Exists(const char* path)
{
    struct stat info {};
    return ::stat(path, &info) == 0;
}

// FreeType's library object is not thread-safe: one per raster, created under
// a lock because FT_Init_FreeType touches shared module state.
std::mutex& InitLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

std::string FontPath(FontFace face)
{
    const char* candidates[3] = {};
    switch (face) {
    case FontFace::OcrA: candidates[0] = "/usr/share/fonts/truetype/ocr-a/OCRA.ttf"; break;
    case FontFace::OcrB: candidates[0] = "/usr/share/fonts/opentype/ocr-b/OCRB.otf"; break;
    case FontFace::Sans: candidates[0] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"; break;
    case FontFace::SansBold: candidates[0] = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"; break;
    case FontFace::Serif:
        candidates[0] = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
        candidates[1] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
        break;
    case FontFace::SerifItalic:
        candidates[0] = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Italic.ttf";
        candidates[1] = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf";
        candidates[2] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
        break;
    }
    for (const char* path : candidates)
        if (path && Exists(path))
            return path;
    return {};
}

struct FontRaster::Impl {
    FT_Library Library = nullptr;
    FT_Face Face = nullptr;
    std::map<char32_t, Glyph> Cache;
};

FontRaster::FontRaster(FontFace face, double pixelSize) : P(std::make_unique<Impl>())
{
    const std::string path = FontPath(face);
    if (path.empty())
        return;
    {
        std::lock_guard<std::mutex> guard(InitLock());
        if (FT_Init_FreeType(&P->Library) != 0) {
            P->Library = nullptr;
            return;
        }
    }
    if (FT_New_Face(P->Library, path.c_str(), 0, &P->Face) != 0) {
        P->Face = nullptr;
        return;
    }
    // 26.6 fixed point: sizes keep their fractional part.
    FT_Set_Char_Size(P->Face, 0, static_cast<FT_F26Dot6>(pixelSize * 64.0 + 0.5), 72, 72);
}

FontRaster::~FontRaster()
{
    if (P->Face)
        FT_Done_Face(P->Face);
    if (P->Library)
        FT_Done_FreeType(P->Library);
}

bool FontRaster::IsValid() const { return P->Face != nullptr; }

int FontRaster::Ascent() const { return P->Face ? static_cast<int>((P->Face->size->metrics.ascender + 63) / 64) : 0; }
int FontRaster::Descent() const
{
    return P->Face ? static_cast<int>((-P->Face->size->metrics.descender + 63) / 64) : 0;
}

const FontRaster::Glyph& FontRaster::GlyphFor(char32_t ch)
{
    const auto found = P->Cache.find(ch);
    if (found != P->Cache.end())
        return found->second;
    Glyph glyph;
    if (P->Face && FT_Load_Char(P->Face, ch, FT_LOAD_RENDER) == 0) {
        const FT_GlyphSlot slot = P->Face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        glyph.Left = slot->bitmap_left;
        glyph.Top = slot->bitmap_top;
        glyph.Advance = static_cast<int>((slot->advance.x + 32) / 64);
        glyph.Mask.Width = static_cast<int>(bitmap.width);
        glyph.Mask.Height = static_cast<int>(bitmap.rows);
        glyph.Mask.Coverage.assign(static_cast<size_t>(glyph.Mask.Width) * glyph.Mask.Height, 0);
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            for (int y = 0; y < glyph.Mask.Height; ++y) {
                const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
                std::copy(row, row + glyph.Mask.Width,
                          glyph.Mask.Coverage.begin() + static_cast<ptrdiff_t>(y) * glyph.Mask.Width);
            }
        }
    }
    return P->Cache.emplace(ch, std::move(glyph)).first->second;
}

GlyphMask FontRaster::RenderLine(const std::string& text, int* baseline)
{
    const int ascent = Ascent();
    const int height = ascent + Descent();
    int width = 0;
    int penRight = 0;
    for (unsigned char c : text) {
        const Glyph& g = GlyphFor(c);
        width = std::max(width, penRight + g.Left + g.Mask.Width);
        penRight += g.Advance;
    }
    width = std::max(width, penRight);
    GlyphMask line;
    line.Width = std::max(width, 1);
    line.Height = std::max(height, 1);
    line.Coverage.assign(static_cast<size_t>(line.Width) * line.Height, 0);
    int pen = 0;
    for (unsigned char c : text) {
        const Glyph& g = GlyphFor(c);
        for (int y = 0; y < g.Mask.Height; ++y) {
            const int ty = ascent - g.Top + y;
            if (ty < 0 || ty >= line.Height)
                continue;
            for (int x = 0; x < g.Mask.Width; ++x) {
                const int tx = pen + g.Left + x;
                if (tx < 0 || tx >= line.Width)
                    continue;
                uint8_t& dst = line.Coverage[static_cast<size_t>(ty) * line.Width + tx];
                dst = std::max(dst, g.Mask.At(x, y));
            }
        }
        pen += g.Advance;
    }
    if (baseline)
        *baseline = ascent;
    return line;
}
