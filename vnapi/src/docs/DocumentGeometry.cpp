#include "docs/DocumentGeometry.h"

#include "vnapi/MicrSymbols.h"

namespace docgeom {

double CodelinePitchMm(MicrFont font) { return font == MicrFont::CMC7 ? micr::Cmc7PitchMm : micr::E13bPitchMm; }

std::vector<PlacedChar> PlaceCodeline(const DocumentSpec& doc)
{
    std::vector<PlacedChar> placed;
    const std::string& text = doc.Codeline;
    if (text.empty() || doc.Micr == MicrFont::None)
        return placed;
    const double pitch = CodelinePitchMm(doc.Micr);
    double lastRight;
    if (doc.Micr == MicrFont::CMC7)
        lastRight = Cmc7LastRightMm;
    else if (text.back() == micr::E13bAmount)
        lastRight = E13bFirstRightMm;
    else
        lastRight = E13bFirstRightMm + (E13bOnUsEndPosition - 1) * pitch;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        if (text[i] == ' ')
            continue;
        placed.push_back({text[i], lastRight + static_cast<double>(n - 1 - i) * pitch, i});
    }
    return placed;
}

} // namespace docgeom
