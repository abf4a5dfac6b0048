// TIFF files through the image-files library, for the image file commands.
#pragma once

#include <QImage>
#include <QString>

#include "views/ImageFiles.h"

class PackedBitmap;

// Reads the first picture of a TIFF file: two-level pictures come back mono,
// grey ones as 8-bit grey, the rest as RGB. The resolution is in dots per
// metre, 0 in the file giving DefaultImageDpi. A picture larger than the
// library's pixel budget is refused before anything is allocated for it.
bool ReadTiffFile(const QString& path, QImage& image);

// Writes a packed bitmap of 1, 4, 8 or 24 bits: two-level pictures with the
// chosen compression (white is 0), grey ramps as grey, other colour tables as
// a palette, 24 bits as RGB, all with the bitmap's resolution.
bool WriteTiffFile(const PackedBitmap& dib, const QString& path, TiffCompression compression);
