#include "vnapi/imaging/TiffFile.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <tiffio.h>

#include "vnapi/VnCodes.h"
#include "vnapi/imaging/FileBytes.h"
#include "vnapi/imaging/ImagePixels.h"

namespace imaging {

uint16_t TiffCompressionOf(int32_t tiffType)
{
    switch (tiffType) {
    case VnTiffUncompressed:
        return COMPRESSION_NONE;
    case VnTiffCcittRle:
        return COMPRESSION_CCITTRLE;
    case VnTiffCcittGroup3OneD:
    case VnTiffCcittGroup3TwoD:
        return COMPRESSION_CCITTFAX3;
    case VnTiffCcittGroup4:
        return COMPRESSION_CCITTFAX4;
    default:
        return 0;
    }
}

namespace {

// libtiff talks through handlers; ours keep it quiet and remember failures
// for this one file instead of touching the process-wide handlers.
struct TiffStatus {
    bool Failed = false;
};

int RecordError(TIFF*, void* user, const char*, const char*, va_list)
{
    static_cast<TiffStatus*>(user)->Failed = true;
    return 1;
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffPointer = std::unique_ptr<TIFF, TiffCloser>;

TiffPointer OpenTiff(const char* path, const char* mode, TiffStatus* status)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, RecordError, status);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreWarning, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(MaxPixelBytes));
    TIFF* tiff = TIFFOpenExt(path, mode, options);
    TIFFOpenOptionsFree(options);
    return TiffPointer(tiff);
}

size_t PackedRowBytes(int32_t width, uint16_t bits) { return (static_cast<size_t>(width) * bits + 7) / 8; }

// Zero the bits of the last byte that lie past the last pixel.
void ClearRowTail(uint8_t* row, int32_t width, uint16_t bits)
{
    const size_t usedBits = static_cast<size_t>(width) * bits;
    if (usedBits % 8 != 0)
        row[usedBits / 8] &= static_cast<uint8_t>(0xffu << (8 - usedBits % 8));
}

bool IsWhite(const uint8_t* entry) { return entry[0] == 255 && entry[1] == 255 && entry[2] == 255; }
bool IsBlack(const uint8_t* entry) { return entry[0] == 0 && entry[1] == 0 && entry[2] == 0; }

void SetResolutionTags(TIFF* tiff, const PackedBitmap& image)
{
    if (image.XPelsPerMeter() <= 0 || image.YPelsPerMeter() <= 0)
        return;
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, static_cast<float>(image.XPelsPerMeter() * 0.0254));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, static_cast<float>(image.YPelsPerMeter() * 0.0254));
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
}

bool WriteBilevel(TIFF* tiff, const PackedBitmap& image)
{
    const int32_t width = image.Width();
    const int32_t height = image.Height();
    const std::vector<uint8_t> grey = GreyPlane(image);
    std::vector<uint8_t> line(PackedRowBytes(width, 1));
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = grey.data() + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width);
        std::fill(line.begin(), line.end(), 0);
        for (int32_t x = 0; x < width; ++x) {
            if (in[x] < TiffBilevelThreshold)
                SetPixelIndex(line.data(), x, 1, 1); // min-is-white: 1 is black
        }
        if (TIFFWriteScanline(tiff, line.data(), static_cast<uint32_t>(y), 0) < 0)
            return false;
    }
    return true;
}

bool WriteNative(TIFF* tiff, const PackedBitmap& image)
{
    const int32_t width = image.Width();
    const int32_t height = image.Height();
    const uint16_t bits = image.BitCount();
    const size_t rowBytes = PackedRowBytes(width, bits);
    std::vector<uint8_t> line(rowBytes);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = image.Row(height - 1 - y);
        if (bits == 24) {
            for (int32_t x = 0; x < width; ++x) {
                line[3 * x] = row[3 * x + 2];
                line[3 * x + 1] = row[3 * x + 1];
                line[3 * x + 2] = row[3 * x];
            }
        } else {
            std::memcpy(line.data(), row, rowBytes);
            ClearRowTail(line.data(), width, bits);
        }
        if (TIFFWriteScanline(tiff, line.data(), static_cast<uint32_t>(y), 0) < 0)
            return false;
    }
    return true;
}

void SetNativeTags(TIFF* tiff, const PackedBitmap& image, std::vector<uint16_t>* colormap)
{
    const uint16_t bits = image.BitCount();
    if (bits == 24) {
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        return;
    }
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    if (HasGreyRamp(image)) {
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    } else if (bits == 1 && IsWhite(image.ColorEntry(0)) && IsBlack(image.ColorEntry(1))) {
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    } else {
        const uint32_t entries = image.ColorTableEntries();
        colormap->assign(3u * entries, 0);
        uint16_t* red = colormap->data();
        uint16_t* green = red + entries;
        uint16_t* blue = green + entries;
        for (uint32_t i = 0; i < entries; ++i) {
            const uint8_t* e = image.ColorEntry(i);
            red[i] = static_cast<uint16_t>(e[2] * 257u);
            green[i] = static_cast<uint16_t>(e[1] * 257u);
            blue[i] = static_cast<uint16_t>(e[0] * 257u);
        }
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        TIFFSetField(tiff, TIFFTAG_COLORMAP, red, green, blue);
    }
}

} // namespace

int32_t SaveTiff(const PackedBitmap* image, const char* path, int32_t tiffType)
{
    const uint16_t compression = TiffCompressionOf(tiffType);
    if (path == nullptr || compression == 0)
        return VnReplyInvalidCommand;
    if (!IsUsable(image))
        return VnReplyImageNotPresent;

    TiffStatus status;
    TiffPointer tiff = OpenTiff(path, "w", &status);
    if (!tiff)
        return VnReplyTiffNotCreated;
    TIFF* t = tiff.get();
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image->Width()));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image->Height()));
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
    SetResolutionTags(t, *image);

    const bool bilevel = tiffType != VnTiffUncompressed;
    std::vector<uint16_t> colormap;
    if (bilevel) {
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
        if (tiffType == VnTiffCcittGroup3OneD)
            TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, 0);
        else if (tiffType == VnTiffCcittGroup3TwoD)
            TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_2DENCODING);
    } else {
        SetNativeTags(t, *image, &colormap);
    }
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));

    const bool written = bilevel ? WriteBilevel(t, *image) : WriteNative(t, *image);
    const bool directory = written && TIFFWriteDirectory(t) != 0;
    tiff.reset();
    if (!written || !directory || status.Failed) {
        std::remove(path);
        return VnReplyTiffNotCreated;
    }
    return VnReplyOk;
}

namespace {

void ReadResolution(TIFF* tiff, PackedBitmap* image)
{
    float x = 0.0f;
    float y = 0.0f;
    uint16_t unit = RESUNIT_INCH;
    if (!TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x) || !TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y))
        return;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    double metresPerUnit = 0.0;
    if (unit == RESUNIT_INCH)
        metresPerUnit = 0.0254;
    else if (unit == RESUNIT_CENTIMETER)
        metresPerUnit = 0.01;
    else
        return;
    const auto toPelsPerMeter = [metresPerUnit](float perUnit) {
        const double ppm = perUnit / metresPerUnit;
        return std::isfinite(ppm) && ppm > 0.0 && ppm < 1e8 ? static_cast<int32_t>(std::lround(ppm)) : 0;
    };
    image->SetResolution(toPelsPerMeter(x), toPelsPerMeter(y));
}

enum class DirectKind { None, Grey, Palette, Rgb };

struct TiffLayout {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint16_t Bits = 0;
    uint16_t Samples = 0;
    uint16_t Photometric = 0;
    bool HasPhotometric = false;
    uint16_t Planar = PLANARCONFIG_CONTIG;
    uint16_t Orientation = ORIENTATION_TOPLEFT;
    uint16_t SampleFormat = SAMPLEFORMAT_UINT;
};

DirectKind DirectKindOf(TIFF* tiff, const TiffLayout& layout)
{
    if (TIFFIsTiled(tiff) || !layout.HasPhotometric || layout.SampleFormat != SAMPLEFORMAT_UINT)
        return DirectKind::None;
    if (layout.Orientation != ORIENTATION_TOPLEFT && layout.Orientation != ORIENTATION_BOTLEFT)
        return DirectKind::None;
    if (layout.Samples == 1 && (layout.Bits == 1 || layout.Bits == 4 || layout.Bits == 8)) {
        if (layout.Photometric == PHOTOMETRIC_MINISBLACK || layout.Photometric == PHOTOMETRIC_MINISWHITE)
            return DirectKind::Grey;
        if (layout.Photometric == PHOTOMETRIC_PALETTE)
            return DirectKind::Palette;
    }
    if (layout.Samples == 3 && layout.Bits == 8 && layout.Photometric == PHOTOMETRIC_RGB &&
        layout.Planar == PLANARCONFIG_CONTIG)
        return DirectKind::Rgb;
    return DirectKind::None;
}

bool CopyColormap(TIFF* tiff, PackedBitmap* image)
{
    uint16_t* red = nullptr;
    uint16_t* green = nullptr;
    uint16_t* blue = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
        return false;
    const uint32_t entries = image->ColorTableEntries();
    // Some writers store 8-bit values in the 16-bit map.
    bool eightBit = true;
    for (uint32_t i = 0; i < entries && eightBit; ++i)
        eightBit = red[i] <= 255 && green[i] <= 255 && blue[i] <= 255;
    const int shift = eightBit ? 0 : 8;
    for (uint32_t i = 0; i < entries; ++i) {
        uint8_t* e = image->ColorEntry(i);
        e[0] = static_cast<uint8_t>(blue[i] >> shift);
        e[1] = static_cast<uint8_t>(green[i] >> shift);
        e[2] = static_cast<uint8_t>(red[i] >> shift);
        e[3] = 0;
    }
    return true;
}

std::unique_ptr<PackedBitmap> ReadDirect(TIFF* tiff, const TiffLayout& layout, DirectKind kind)
{
    const int32_t width = static_cast<int32_t>(layout.Width);
    const int32_t height = static_cast<int32_t>(layout.Height);
    const uint16_t bits = kind == DirectKind::Rgb ? 24 : layout.Bits;
    const size_t rowBytes = PackedRowBytes(width, bits);
    const tmsize_t scanline = TIFFScanlineSize(tiff);
    if (scanline <= 0 || static_cast<size_t>(scanline) < rowBytes)
        return nullptr;

    auto image = PackedBitmap::Create(width, height, bits, 0);
    if (!image)
        return nullptr;
    if (kind == DirectKind::Palette && !CopyColormap(tiff, image.get()))
        return nullptr;
    const bool invert = kind == DirectKind::Grey && layout.Photometric == PHOTOMETRIC_MINISWHITE;
    const bool topFirst = layout.Orientation == ORIENTATION_TOPLEFT;

    std::vector<uint8_t> line(static_cast<size_t>(scanline));
    for (int32_t y = 0; y < height; ++y) {
        if (TIFFReadScanline(tiff, line.data(), static_cast<uint32_t>(y), 0) < 0)
            return nullptr;
        uint8_t* out = image->Row(topFirst ? height - 1 - y : y);
        if (kind == DirectKind::Rgb) {
            for (int32_t x = 0; x < width; ++x) {
                out[3 * x] = line[3 * x + 2];
                out[3 * x + 1] = line[3 * x + 1];
                out[3 * x + 2] = line[3 * x];
            }
            continue;
        }
        for (size_t i = 0; i < rowBytes; ++i)
            out[i] = invert ? static_cast<uint8_t>(~line[i]) : line[i];
        ClearRowTail(out, width, bits);
    }
    return image;
}

std::unique_ptr<PackedBitmap> ReadThroughRgba(TIFF* tiff, const TiffLayout& layout)
{
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tiff, message))
        return nullptr;
    const size_t pixels = static_cast<size_t>(layout.Width) * layout.Height;
    if (pixels * 4 > MaxPixelBytes)
        return nullptr;
    std::vector<uint32_t> raster(pixels);
    if (!TIFFReadRGBAImageOriented(tiff, layout.Width, layout.Height, raster.data(), ORIENTATION_BOTLEFT, 0))
        return nullptr;
    const int32_t width = static_cast<int32_t>(layout.Width);
    const int32_t height = static_cast<int32_t>(layout.Height);
    auto image = PackedBitmap::Create(width, height, 24, 0);
    if (!image)
        return nullptr;
    for (int32_t r = 0; r < height; ++r) {
        const uint32_t* in = raster.data() + static_cast<size_t>(r) * layout.Width;
        uint8_t* out = image->Row(r);
        for (int32_t x = 0; x < width; ++x) {
            out[3 * x] = static_cast<uint8_t>(TIFFGetB(in[x]));
            out[3 * x + 1] = static_cast<uint8_t>(TIFFGetG(in[x]));
            out[3 * x + 2] = static_cast<uint8_t>(TIFFGetR(in[x]));
        }
    }
    return image;
}

} // namespace

int32_t LoadTiff(const char* path, ImageHandle* image)
{
    if (path == nullptr || image == nullptr)
        return VnReplyInvalidCommand;
    std::vector<uint8_t> head;
    if (ReadFileHead(path, 4, &head) == FileReadResult::CannotOpen)
        return VnReplyImageNotPresent;

    TiffStatus status;
    TiffPointer tiff = OpenTiff(path, "r", &status);
    if (!tiff)
        return VnReplyTiffNotCreated;
    TIFF* t = tiff.get();

    TiffLayout layout;
    if (!TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &layout.Width) || !TIFFGetField(t, TIFFTAG_IMAGELENGTH, &layout.Height))
        return VnReplyTiffNotCreated;
    if (layout.Width == 0 || layout.Height == 0 || layout.Width > static_cast<uint32_t>(MaxImageSide) ||
        layout.Height > static_cast<uint32_t>(MaxImageSide))
        return VnReplyTiffNotCreated;
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &layout.Bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &layout.Samples);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &layout.Planar);
    TIFFGetFieldDefaulted(t, TIFFTAG_ORIENTATION, &layout.Orientation);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &layout.SampleFormat);
    layout.HasPhotometric = TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &layout.Photometric) != 0;

    const DirectKind kind = DirectKindOf(t, layout);
    // The pixels are paid for before any of them is read: a short header may
    // claim any size.
    const uint32_t bitsPerPixel = kind == DirectKind::Grey || kind == DirectKind::Palette ? layout.Bits
                                  : kind == DirectKind::Rgb                                 ? 24
                                                                                            : 32;
    if (!FitsPixelBudget(layout.Width, layout.Height, bitsPerPixel))
        return VnReplyTiffNotCreated;
    std::unique_ptr<PackedBitmap> result =
        kind == DirectKind::None ? ReadThroughRgba(t, layout) : ReadDirect(t, layout, kind);
    if (!result || status.Failed)
        return VnReplyTiffNotCreated;
    ReadResolution(t, result.get());
    *image = std::move(result);
    return VnReplyOk;
}

} // namespace imaging
