#include "unit/UnitOpticalReader.h"

#include "docs/DocumentGeometry.h"

namespace virtualunit {

std::string UnitOpticalRead(const PackedBitmap&, const OpticalReadRequest&)
{
    // OPTICAL DECODE: no decoder in the unit yet, so it reads nothing.
    return {};
}

OpticalReadRequest CodelineBandRead(float documentLengthMm)
{
    OpticalReadRequest request;
    request.Kind = OpticalReadKind::Ocr;
    request.Letter = 'E';
    request.Width = documentLengthMm;
    request.Height = static_cast<float>(docgeom::ClearBandMm);
    return request;
}

} // namespace virtualunit
