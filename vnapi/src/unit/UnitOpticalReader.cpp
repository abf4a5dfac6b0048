#include "unit/UnitOpticalReader.h"

#include <cstring>

#include "decode/Decode.h"
#include "docs/DocumentGeometry.h"
#include "vnapi/SaturatedCast.h"

namespace virtualunit {

std::string UnitOpticalRead(const PackedBitmap& frontImage, const OpticalReadRequest& request)
{
    char text[VnCodelineSize] = {};
    uint16_t length = sizeof text;
    int32_t reply = 0;
    switch (request.Kind) {
    case OpticalReadKind::Ocr: {
        const char readType[2] = {request.Letter, 0};
        const DecodeOptions options{1, request.Letter == 'X' ? 'X' : 'N'};
        reply = decode::CodelineReadFromBitmap(&frontImage, readType, request.Inch ? 1 : 0, request.X, request.Y,
                                               request.Width, request.Height, &options, text, &length);
        break;
    }
    case OpticalReadKind::Barcode:
        // The unit reads its barcode windows in whole millimetres.
        reply = decode::ReadBarcodeFromBitmap(&frontImage, request.Letter, SaturatedInt32(request.X),
                                              SaturatedInt32(request.Y), SaturatedInt32(request.Width),
                                              SaturatedInt32(request.Height), text, &length);
        break;
    case OpticalReadKind::Pdf417:
        reply = decode::ReadPdf417FromBitmap(&frontImage, text, &length, nullptr, SaturatedInt32(request.X),
                                             SaturatedInt32(request.Y), SaturatedInt32(request.Width),
                                             SaturatedInt32(request.Height));
        break;
    }
    // A truncated text is still what was read; any other failure reads nothing.
    if (reply != 0 && reply != 2 && reply != -10)
        return {};
    return std::string(text, strnlen(text, sizeof text));
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
