#include "views/TiffFiles.h"

#include <QFile>
#include <cstdarg>
#include <vector>

#include <tiffio.h>

#include "views/DibToBitmap.h"
#include "vnapi/PackedBitmap.h"

namespace {

// libtiff talks on stderr unless told otherwise; a file that cannot be read
// or written is reported by the result alone.
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TIFF* OpenTiff(const QString& path, const char* mode)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
    TIFF* tif = TIFFOpenExt(QFile::encodeName(path).constData(), mode, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

struct TiffCloser {
    TIFF* Tif;
    ~TiffCloser()
    {
        if (Tif)
            TIFFClose(Tif);
    }
};

uint8_t EntryGrey(const PackedBitmap& dib, uint32_t i)
{
    const uint8_t* e = dib.ColorEntry(i);
    return static_cast<uint8_t>(qGray(e[2], e[1], e[0]));
}

bool IsGreyRamp(const PackedBitmap& dib)
{
    const uint32_t entries = dib.ColorTableEntries();
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* e = dib.ColorEntry(i);
        const uint32_t level = i * 255u / (entries - 1);
        if (e[0] != level || e[1] != level || e[2] != level)
            return false;
    }
    return true;
}

uint16_t CompressionTag(TiffCompression compression)
{
    switch (compression) {
    case TiffCompression::CcittRle: return COMPRESSION_CCITTRLE;
    case TiffCompression::CcittGroup3OneD:
    case TiffCompression::CcittGroup3TwoD: return COMPRESSION_CCITTFAX3;
    case TiffCompression::CcittGroup4: return COMPRESSION_CCITTFAX4;
    case TiffCompression::None: break;
    }
    return COMPRESSION_NONE;
}

int32_t DotsPerMeter(float resolution, uint16_t unit)
{
    if (resolution <= 0)
        return 0;
    if (unit == RESUNIT_CENTIMETER)
        return static_cast<int32_t>(resolution * 100.0f + 0.5f);
    if (unit == RESUNIT_INCH)
        return static_cast<int32_t>(resolution / 0.0254f + 0.5f);
    return 0;
}

} // namespace

bool ReadTiffFile(const QString& path, QImage& image)
{
    TIFF* tif = OpenTiff(path, "r");
    if (!tif)
        return false;
    TiffCloser closer{tif};

    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE, unit = RESUNIT_INCH;
    float xResolution = 0, yResolution = 0;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height))
        return false;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xResolution);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yResolution);

    // The same bounds a packed bitmap accepts, before allocating for them.
    if (width == 0 || height == 0 || width > (1u << 20) || height > (1u << 20) ||
        static_cast<uint64_t>(width) * height > (1ull << 28))
        return false;

    std::vector<uint32_t> raster(static_cast<size_t>(width) * height);
    if (!TIFFReadRGBAImageOriented(tif, width, height, raster.data(), ORIENTATION_TOPLEFT, 0))
        return false;

    QImage rgb(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    if (rgb.isNull())
        return false;
    for (uint32_t y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(rgb.scanLine(static_cast<int>(y)));
        const uint32_t* src = raster.data() + static_cast<size_t>(y) * width;
        for (uint32_t x = 0; x < width; ++x)
            line[x] = qRgb(TIFFGetR(src[x]), TIFFGetG(src[x]), TIFFGetB(src[x]));
    }

    const bool grey = samples == 1 && (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE);
    QImage out;
    if (grey && bits == 1)
        out = rgb.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    else if (grey)
        out = rgb.convertToFormat(QImage::Format_Grayscale8);
    else
        out = std::move(rgb);
    ApplyDefaultResolution(out, DotsPerMeter(xResolution, unit), DotsPerMeter(yResolution, unit));
    image = std::move(out);
    return true;
}

bool WriteTiffFile(const PackedBitmap& dib, const QString& path, TiffCompression compression)
{
    if (!dib.IsValid())
        return false;
    const uint32_t width = static_cast<uint32_t>(dib.Width());
    const uint32_t height = static_cast<uint32_t>(dib.Height());
    const uint16_t bits = dib.BitCount();
    if (bits != 1)
        compression = TiffCompression::None;

    TIFF* tif = OpenTiff(path, "w");
    if (!tif)
        return false;
    TiffCloser closer{tif};

    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(bits == 24 ? 8 : bits));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(bits == 24 ? 3 : 1));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, CompressionTag(compression));
    if (compression == TiffCompression::CcittGroup3OneD)
        TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, static_cast<uint32_t>(0));
    else if (compression == TiffCompression::CcittGroup3TwoD)
        TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, static_cast<uint32_t>(GROUP3OPT_2DENCODING));

    // Two-level pictures store black as 1, the fax convention; the bits are
    // turned over when the bitmap's entry 0 is the darker one.
    bool invert = false;
    std::vector<uint16_t> red, green, blue;
    if (bits == 24) {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    } else if (bits == 1) {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        invert = EntryGrey(dib, 0) < EntryGrey(dib, 1);
    } else if (IsGreyRamp(dib)) {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    } else {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        const uint32_t entries = dib.ColorTableEntries();
        for (uint32_t i = 0; i < entries; ++i) {
            const uint8_t* e = dib.ColorEntry(i);
            red.push_back(static_cast<uint16_t>(e[2] * 257));
            green.push_back(static_cast<uint16_t>(e[1] * 257));
            blue.push_back(static_cast<uint16_t>(e[0] * 257));
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    }
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<double>(dib.XPelsPerMeter()) * 0.0254);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<double>(dib.YPelsPerMeter()) * 0.0254);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));

    const size_t rowBytes = bits == 24 ? static_cast<size_t>(width) * 3 : (static_cast<size_t>(width) * bits + 7) / 8;
    std::vector<uint8_t> row(rowBytes);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* src = dib.Row(static_cast<int32_t>(height - 1 - y));
        if (bits == 24) {
            for (uint32_t x = 0; x < width; ++x) {
                row[3 * x] = src[3 * x + 2];
                row[3 * x + 1] = src[3 * x + 1];
                row[3 * x + 2] = src[3 * x];
            }
        } else {
            for (size_t i = 0; i < rowBytes; ++i)
                row[i] = invert ? static_cast<uint8_t>(~src[i]) : src[i];
        }
        if (TIFFWriteScanline(tif, row.data(), y, 0) < 0)
            return false;
    }
    return TIFFFlush(tif) == 1;
}
