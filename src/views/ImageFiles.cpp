#include "views/ImageFiles.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "views/DibToBitmap.h"
#include "views/ImageLayout.h"
#include "views/TiffFiles.h"
#include "vnapi/ByteOrder.h"
#include "vnapi/PackedBitmap.h"

namespace {

constexpr size_t BmpFileHeaderSize = 14;

struct BusyCursor {
    BusyCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::restoreOverrideCursor();
    }
};

bool IsTiff(const QByteArray& head)
{
    return head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4));
}

struct FileResolution {
    int32_t X = 0; // dots per metre, 0 when the file gives none
    int32_t Y = 0;
};

// Qt leaves its own default in a picture whose file states no resolution, so
// the resolution is taken from the file's header: a BMP information header,
// or a JPEG's JFIF segment.
FileResolution ResolutionInHeader(const QByteArray& head)
{
    const auto* b = reinterpret_cast<const uint8_t*>(head.constData());
    const size_t n = static_cast<size_t>(head.size());
    FileResolution r;
    if (n >= BmpFileHeaderSize + 40 && b[0] == 'B' && b[1] == 'M' && le::ReadU32(b + 14) >= 40) {
        r.X = le::ReadI32(b + BmpFileHeaderSize + 24);
        r.Y = le::ReadI32(b + BmpFileHeaderSize + 28);
        return r;
    }
    // SOI, then an APP0 segment "JFIF\0" with units and densities (big-endian).
    if (n >= 18 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF && b[3] == 0xE0 &&
        std::memcmp(b + 6, "JFIF\0", 5) == 0) {
        const uint8_t units = b[13];
        const int32_t x = (b[14] << 8) | b[15];
        const int32_t y = (b[16] << 8) | b[17];
        if (units == 1) {
            r.X = PackedBitmap::DpiToPelsPerMeter(x);
            r.Y = PackedBitmap::DpiToPelsPerMeter(y);
        } else if (units == 2) {
            r.X = x * 100;
            r.Y = y * 100;
        }
    }
    return r;
}

} // namespace

const std::vector<SaveFormatEntry>& SaveFormatTable()
{
    static const std::vector<SaveFormatEntry> table = {
        {SaveFormat::Bmp, "BMP", 49, {1, 4, 8, 24}, "bmp"},
        {SaveFormat::Jpeg, "JPEG", 1, {8, 24}, "jpg"},
        {SaveFormat::Tiff, "TIFF", 4, {1, 4, 8, 24}, "tif"},
    };
    return table;
}

int JpegQuality(int qualityFactor)
{
    const int factor = std::clamp(qualityFactor, MinQualityFactor, MaxQualityFactor);
    return MulDiv(MaxQualityFactor - factor, 100, MaxQualityFactor - MinQualityFactor);
}

QStringList OpenFileFilters()
{
    // Every file: here a name need not have a dot.
    return {"ALL (*)", "JPEG (*.jpg *.jff *.jtf)", "TIF (*.tif)", "BMP (*.bmp)"};
}

bool LoadImageFile(const QString& path, QImage& image)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(64);
    file.close();

    if (IsTiff(head))
        return ReadTiffFile(path, image);

    QImageReader reader(path);
    QImage loaded;
    if (!reader.read(&loaded))
        return false;
    const FileResolution resolution = ResolutionInHeader(head);
    ApplyDefaultResolution(loaded, resolution.X, resolution.Y);
    image = std::move(loaded);
    return true;
}

bool SaveImageToFile(const QImage& image, const QString& path, const SaveOptions& options)
{
    if (image.isNull())
        return false;
    switch (options.Format) {
    case SaveFormat::Bmp: {
        const auto dib = BitmapToDib(image, static_cast<uint16_t>(options.BitsPerPixel));
        return dib && SaveDibAsBmp(*dib, QFile::encodeName(path).toStdString());
    }
    case SaveFormat::Jpeg: {
        const QImage out = image.convertToFormat(options.BitsPerPixel == 8 ? QImage::Format_Grayscale8
                                                                           : QImage::Format_RGB888);
        QImageWriter writer(path, "jpeg");
        writer.setQuality(JpegQuality(options.QualityFactor));
        return writer.write(out);
    }
    case SaveFormat::Tiff: {
        const auto dib = BitmapToDib(image, static_cast<uint16_t>(options.BitsPerPixel));
        return dib && WriteTiffFile(*dib, path, options.Compression);
    }
    }
    return false;
}

bool SaveDibAsBmp(const PackedBitmap& dib, const std::string& path)
{
    BusyCursor busy;
    const std::vector<uint8_t>& block = dib.Bytes();
    if (block.size() < PackedBitmap::HeaderSize)
        return false;
    const uint16_t bits = dib.BitCount();
    const uint64_t colourTable = bits <= 8 ? 4ull << bits : 0;
    const uint64_t dataSize = static_cast<uint64_t>(dib.ImageSize()) + colourTable + PackedBitmap::HeaderSize;
    // The header's image size decides how much is written; a header that
    // claims more than the block holds would have us read past its end, so
    // such a bitmap is not written at all.
    if (dataSize > block.size() || BmpFileHeaderSize + dataSize > UINT32_MAX)
        return false;

    uint8_t header[BmpFileHeaderSize];
    header[0] = 'B';
    header[1] = 'M';
    le::WriteU32(header + 2, static_cast<uint32_t>(BmpFileHeaderSize + dataSize));
    le::WriteU16(header + 6, 0);
    le::WriteU16(header + 8, 0);
    le::WriteU32(header + 10, static_cast<uint32_t>(BmpFileHeaderSize + PackedBitmap::HeaderSize + colourTable));

    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(header, 1, sizeof header, file) == sizeof header;
    written = written && std::fwrite(block.data(), 1, static_cast<size_t>(dataSize), file) == dataSize;
    written = std::fclose(file) == 0 && written;
    return written;
}
