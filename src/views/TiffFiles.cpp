#include "views/TiffFiles.h"

#include <QFile>

#include "views/DibToBitmap.h"
#include "vnapi/PackedBitmap.h"
#include "vnapi/VnCodes.h"
#include "vnapi/imaging/ImagePixels.h"
#include "vnapi/imaging/TiffFile.h"

namespace {

int32_t TiffTypeOf(TiffCompression compression)
{
    switch (compression) {
    case TiffCompression::CcittRle: return VnTiffCcittRle;
    case TiffCompression::CcittGroup3OneD: return VnTiffCcittGroup3OneD;
    case TiffCompression::CcittGroup3TwoD: return VnTiffCcittGroup3TwoD;
    case TiffCompression::CcittGroup4: return VnTiffCcittGroup4;
    case TiffCompression::None: break;
    }
    return VnTiffUncompressed;
}

} // namespace

bool ReadTiffFile(const QString& path, QImage& image)
{
    // The image-files library checks the claimed size against its budget
    // before it allocates anything for the pixels.
    ImageHandle dib;
    if (imaging::LoadTiff(QFile::encodeName(path).constData(), &dib) != VnReplyOk || !dib)
        return false;
    QImage loaded;
    if (!DibToBitmap(*dib, loaded))
        return false;
    // Two-level pictures come back mono, grey ones as 8-bit grey, the rest
    // as RGB.
    const bool grey = dib->BitCount() != 24 && imaging::HasGreyPalette(*dib);
    QImage out;
    if (grey && dib->BitCount() == 1)
        out = std::move(loaded);
    else if (grey)
        out = loaded.convertToFormat(QImage::Format_Grayscale8);
    else
        out = loaded.convertToFormat(QImage::Format_RGB32);
    if (out.isNull())
        return false;
    image = std::move(out);
    return true;
}

bool WriteTiffFile(const PackedBitmap& dib, const QString& path, TiffCompression compression)
{
    // Only two-level pictures are compressed.
    if (dib.BitCount() != 1)
        compression = TiffCompression::None;
    return imaging::SaveTiff(&dib, QFile::encodeName(path).constData(), TiffTypeOf(compression)) == VnReplyOk;
}
