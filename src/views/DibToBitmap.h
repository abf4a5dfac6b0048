// Between the device library's packed bitmaps and the QImage an image window
// shows: 1, 4 and 8 bits with their colour tables, 24 bits in BGR order, rows
// bottom first; the resolution travels as pixels per metre.
#pragma once

#include <QImage>
#include <cstdint>
#include <memory>

class PackedBitmap;

// Fills image from the packed bitmap; false (image untouched) when the
// bitmap is not valid. 1 bit gives a mono image, 4 and 8 bits an indexed one,
// 24 bits an RGB one. A resolution of 0 becomes DefaultImageDpi.
bool DibToBitmap(const PackedBitmap& dib, QImage& image);

// The picture as a packed bitmap of 1, 4, 8 or 24 bits, colours reduced where
// the depth asks for it: 1 bit by threshold, 4 and 8 bits keeping a small
// enough colour table, else a grey ramp for grey pictures and a fixed palette
// for colour ones. Null for a null image or another bit count.
std::unique_ptr<PackedBitmap> BitmapToDib(const QImage& image, uint16_t bitCount);

// The bit count that holds the picture without loss: 1 for two-colour mono,
// 4 or 8 for an indexed picture of 16 or 256 colours, 8 for grey, else 24.
uint16_t NaturalBitCount(const QImage& image);

// A resolution of 0 (or none) becomes DefaultImageDpi, each way on its own.
void ApplyDefaultResolution(QImage& image, int32_t xDotsPerMeter, int32_t yDotsPerMeter);

// Dots per inch of a picture, rounded.
int32_t ImageDpiX(const QImage& image);
int32_t ImageDpiY(const QImage& image);
