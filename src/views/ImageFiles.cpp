#include "views/ImageFiles.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "views/DibToBitmap.h"
#include "views/ImageLayout.h"
#include "views/TiffFiles.h"
#include "vnapi/ByteOrder.h"
#include "vnapi/PackedBitmap.h"
#include "vnapi/VnCodes.h"
#include "vnapi/imaging/BmpFile.h"
#include "vnapi/imaging/ImageFile.h"

namespace {

using imaging::BmpFileHeaderSize;

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
    return imaging::ImageFileKindOf(reinterpret_cast<const uint8_t*>(head.constData()),
                                    static_cast<size_t>(head.size())) == imaging::ImageFileKind::Tiff;
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
    return imaging::SaveBmp(&dib, path.c_str()) == VnReplyOk;
}
