#include "views/DibToBitmap.h"

#include <array>
#include <cstring>

#include "views/ImageLayout.h"
#include "vnapi/PackedBitmap.h"
#include "vnapi/imaging/ImagePixels.h"

namespace {

QRgb TableColour(const PackedBitmap& dib, uint32_t i)
{
    const uint8_t* e = dib.ColorEntry(i);
    return qRgb(e[2], e[1], e[0]);
}

void SetTableColour(PackedBitmap& dib, uint32_t i, QRgb colour)
{
    uint8_t* e = dib.ColorEntry(i);
    e[0] = static_cast<uint8_t>(qBlue(colour));
    e[1] = static_cast<uint8_t>(qGreen(colour));
    e[2] = static_cast<uint8_t>(qRed(colour));
    e[3] = 0;
}

// The sixteen colours of the standard 4-bit palette, for colour pictures
// stored in 4 bits.
const QList<QRgb>& SixteenColours()
{
    static const QList<QRgb> table = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
    };
    return table;
}

// Indices of an Indexed8 picture into a bitmap of 4 or 8 bits.
void PackIndices(const QImage& indexed, PackedBitmap& dib)
{
    const int w = indexed.width();
    const int h = indexed.height();
    const uint16_t bits = dib.BitCount();
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = indexed.constScanLine(y);
        uint8_t* dst = dib.Row(h - 1 - y);
        if (bits == 8) {
            std::memcpy(dst, src, static_cast<size_t>(w));
        } else {
            for (int x = 0; x < w; ++x)
                imaging::SetPixelIndex(dst, x, bits, src[x] & 0x0F);
        }
    }
}

void FillIndexed(const QImage& image, PackedBitmap& dib)
{
    const uint16_t bits = dib.BitCount();
    const int entries = 1 << bits;
    const int w = image.width();
    const int h = image.height();

    QImage indexed;
    if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB ||
        image.format() == QImage::Format_Indexed8) {
        indexed = image.format() == QImage::Format_Indexed8 ? image : image.convertToFormat(QImage::Format_Indexed8);
        if (indexed.colorCount() > entries)
            indexed = QImage();
    }
    if (!indexed.isNull()) {
        const QList<QRgb> table = indexed.colorTable();
        for (int i = 0; i < entries; ++i)
            SetTableColour(dib, static_cast<uint32_t>(i), i < table.size() ? table[i] : qRgb(0, 0, 0));
        PackIndices(indexed, dib);
        return;
    }

    if (image.allGray()) {
        // The grey ramp the bitmap was made with, and the nearest level.
        const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
        QImage levels(w, h, QImage::Format_Indexed8);
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = grey.constScanLine(y);
            uint8_t* dst = levels.scanLine(y);
            for (int x = 0; x < w; ++x)
                dst[x] = bits == 8 ? src[x] : static_cast<uint8_t>((src[x] + 8) / 17);
        }
        PackIndices(levels, dib);
        return;
    }

    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const QImage reduced = bits == 8
                               ? rgb.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither)
                               : rgb.convertToFormat(QImage::Format_Indexed8, SixteenColours(),
                                                     Qt::ThresholdDither | Qt::AvoidDither);
    const QList<QRgb> table = reduced.colorTable();
    for (int i = 0; i < entries; ++i)
        SetTableColour(dib, static_cast<uint32_t>(i), i < table.size() ? table[i] : qRgb(0, 0, 0));
    PackIndices(reduced, dib);
}

void FillMono(const QImage& image, PackedBitmap& dib)
{
    const int w = image.width();
    const int h = image.height();
    const size_t rowBytes = static_cast<size_t>((w + 7) / 8);
    if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB) {
        const QImage mono = image.format() == QImage::Format_Mono ? image : image.convertToFormat(QImage::Format_Mono);
        const QList<QRgb> table = mono.colorTable();
        for (uint32_t i = 0; i < 2; ++i)
            SetTableColour(dib, i, i < static_cast<uint32_t>(table.size()) ? table[i] : (i ? qRgb(255, 255, 255) : 0));
        for (int y = 0; y < h; ++y)
            std::memcpy(dib.Row(h - 1 - y), mono.constScanLine(y), rowBytes);
        return;
    }
    // Entry 0 black, entry 1 white; a pixel is white from half brightness up.
    SetTableColour(dib, 0, qRgb(0, 0, 0));
    SetTableColour(dib, 1, qRgb(255, 255, 255));
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uint8_t* dst = dib.Row(h - 1 - y);
        std::memset(dst, 0, rowBytes);
        for (int x = 0; x < w; ++x)
            if (imaging::Luminance(static_cast<uint8_t>(qRed(src[x])), static_cast<uint8_t>(qGreen(src[x])),
                                   static_cast<uint8_t>(qBlue(src[x]))) >= 128)
                dst[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
}

void FillTrueColour(const QImage& image, PackedBitmap& dib)
{
    const int w = image.width();
    const int h = image.height();
    const QImage bgr = image.format() == QImage::Format_BGR888 ? image : image.convertToFormat(QImage::Format_BGR888);
    for (int y = 0; y < h; ++y)
        std::memcpy(dib.Row(h - 1 - y), bgr.constScanLine(y), static_cast<size_t>(w) * 3);
}

} // namespace

bool DibToBitmap(const PackedBitmap& dib, QImage& image)
{
    if (!dib.IsValid())
        return false;
    const int w = dib.Width();
    const int h = dib.Height();
    const uint16_t bits = dib.BitCount();

    QImage out;
    switch (bits) {
    case 1: {
        out = QImage(w, h, QImage::Format_Mono);
        if (out.isNull())
            return false;
        out.setColorTable({TableColour(dib, 0), TableColour(dib, 1)});
        const size_t rowBytes = static_cast<size_t>((w + 7) / 8);
        for (int y = 0; y < h; ++y)
            std::memcpy(out.scanLine(y), dib.Row(h - 1 - y), rowBytes);
        break;
    }
    case 4:
    case 8: {
        out = QImage(w, h, QImage::Format_Indexed8);
        if (out.isNull())
            return false;
        QList<QRgb> table;
        for (uint32_t i = 0; i < dib.ColorTableEntries(); ++i)
            table.push_back(TableColour(dib, i));
        out.setColorTable(table);
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = dib.Row(h - 1 - y);
            uint8_t* dst = out.scanLine(y);
            if (bits == 8) {
                std::memcpy(dst, src, static_cast<size_t>(w));
            } else {
                for (int x = 0; x < w; ++x)
                    dst[x] = imaging::PixelIndex(src, x, bits);
            }
        }
        break;
    }
    case 24: {
        out = QImage(w, h, QImage::Format_BGR888);
        if (out.isNull())
            return false;
        for (int y = 0; y < h; ++y)
            std::memcpy(out.scanLine(y), dib.Row(h - 1 - y), static_cast<size_t>(w) * 3);
        break;
    }
    default:
        return false;
    }
    ApplyDefaultResolution(out, dib.XPelsPerMeter(), dib.YPelsPerMeter());
    image = std::move(out);
    return true;
}

std::unique_ptr<PackedBitmap> BitmapToDib(const QImage& image, uint16_t bitCount)
{
    if (image.isNull() || (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24))
        return nullptr;
    auto dib = PackedBitmap::Create(image.width(), image.height(), bitCount, 0);
    if (!dib)
        return nullptr;
    dib->SetResolution(image.dotsPerMeterX(), image.dotsPerMeterY());
    switch (bitCount) {
    case 1: FillMono(image, *dib); break;
    case 4:
    case 8: FillIndexed(image, *dib); break;
    default: FillTrueColour(image, *dib); break;
    }
    return dib;
}

uint16_t NaturalBitCount(const QImage& image)
{
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return 1;
    case QImage::Format_Indexed8:
        return image.colorCount() <= 16 ? 4 : 8;
    case QImage::Format_Grayscale8:
        return 8;
    default:
        return 24;
    }
}

void ApplyDefaultResolution(QImage& image, int32_t xDotsPerMeter, int32_t yDotsPerMeter)
{
    const int32_t fallback = PackedBitmap::DpiToPelsPerMeter(DefaultImageDpi);
    image.setDotsPerMeterX(xDotsPerMeter > 0 ? xDotsPerMeter : fallback);
    image.setDotsPerMeterY(yDotsPerMeter > 0 ? yDotsPerMeter : fallback);
}

int32_t ImageDpiX(const QImage& image) { return PackedBitmap::PelsPerMeterToDpi(image.dotsPerMeterX()); }
int32_t ImageDpiY(const QImage& image) { return PackedBitmap::PelsPerMeterToDpi(image.dotsPerMeterY()); }
