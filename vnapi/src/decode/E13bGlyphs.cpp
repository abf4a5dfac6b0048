// The optical E13B read matches the very glyphs the unit prints and reads
// magnetically, so printed, magnetic and optical E13B agree.
#include <algorithm>
#include <cstring>

#include "decode/E13bGlyphSource.h"
#include "docs/MicrGlyphs.h"

namespace decode {

namespace {

// The printed cell cropped to its ink columns, as the templates want it.
GlyphMask PrintedGlyph(char symbol, double dotsPerInch)
{
    if (!(dotsPerInch > 0))
        return {};
    const GlyphMask cell = micr::RenderE13bGlyph(symbol, dotsPerInch);
    int first = cell.Width;
    int last = -1;
    for (int y = 0; y < cell.Height; ++y)
        for (int x = 0; x < cell.Width; ++x)
            if (cell.At(x, y) != 0) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    if (last < first)
        return {};
    GlyphMask mask;
    mask.Width = last - first + 1;
    mask.Height = cell.Height;
    mask.Coverage.resize(static_cast<size_t>(mask.Width) * mask.Height);
    for (int y = 0; y < mask.Height; ++y)
        std::memcpy(mask.Coverage.data() + static_cast<size_t>(y) * mask.Width,
                    cell.Coverage.data() + static_cast<size_t>(y) * cell.Width + first,
                    static_cast<size_t>(mask.Width));
    return mask;
}

} // namespace

E13bGlyphSource DefaultE13bGlyphSource() { return &PrintedGlyph; }

} // namespace decode
