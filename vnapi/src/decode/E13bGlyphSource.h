// Where the optical E13B read gets its character shapes. The magnetic side
// and the optical side must agree on the glyphs, so the templates come from
// whatever supplies the printed E13B characters, through this one seam.
#pragma once

#include <functional>

#include "text/FontRaster.h"

namespace decode {

// E13B layout: characters on a 0.013 in grid, 0.117 in high, at most
// 0.091 in wide, printed at 8 characters per inch.
constexpr double E13bPitchInch = 0.125;
constexpr double E13bHeightInch = 0.117;
constexpr double E13bUnitInch = 0.013;

// The coverage mask of one E13B character (a digit or one of the symbol
// characters of MicrSymbols.h) at the given resolution: the mask's top row is
// the top of the 0.117 in character box and its bottom row lies on the
// baseline; columns are cropped to the character. An empty mask for a
// character that is not E13B.
using E13bGlyphSource = std::function<GlyphMask(char symbol, double dotsPerInch)>;

// The source the library uses.
E13bGlyphSource DefaultE13bGlyphSource();

} // namespace decode
