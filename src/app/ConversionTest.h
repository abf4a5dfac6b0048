// The conversion test that runs when the About box closes: a test bitmap is
// converted to black and white by both methods of the device library and
// shown in image window 1.
#pragma once

#include <QString>
#include <cstddef>

#include "vnapi/PackedBitmap.h"

struct Bench;

constexpr size_t ConversionBufferSize = 2 * 1024 * 1024;
constexpr size_t BitmapFileHeaderSize = 14;

// The test bitmap shipped with the program.
inline const QString TestBitmapPath = QStringLiteral(":/resources/TestCheque.bmp");

// A zero-filled buffer of ConversionBufferSize bytes holding the bitmap file
// without its file header, cut at the buffer's end; all zeros when the file
// cannot be read.
ImageHandle LoadConversionBuffer(const QString& path);

void RunConversionTest(Bench& bench, const QString& bitmapPath = TestBitmapPath);
