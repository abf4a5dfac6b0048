// Image files: loading a picture for a window, saving one in the format, bit
// depth and compression chosen in the save dialog, and the program's own
// writer of a packed bitmap as a BMP file.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

class PackedBitmap;

enum class SaveFormat { Bmp = 0, Jpeg = 1, Tiff = 2 };
enum class TiffCompression { None, CcittRle, CcittGroup3OneD, CcittGroup3TwoD, CcittGroup4 };

// One entry of the save dialog: the format, its name, the imaging toolkit's
// format code it stands for, the bit depths offered and the file suffix.
struct SaveFormatEntry {
    SaveFormat Format;
    const char* Name;
    int FormatCode;
    std::vector<int> BitDepths;
    const char* Suffix;
};
// BMP, JPEG, TIFF, in the order the dialog offers them.
const std::vector<SaveFormatEntry>& SaveFormatTable();

constexpr int MinQualityFactor = 2;   // best picture, largest file
constexpr int MaxQualityFactor = 255; // smallest file

struct SaveOptions {
    SaveFormat Format = SaveFormat::Bmp;
    int BitsPerPixel = 24;
    int QualityFactor = MinQualityFactor;                // JPEG only
    TiffCompression Compression = TiffCompression::None; // TIFF at 1 bit only
};

// Qt's JPEG quality (100 best, 0 smallest) for a quality factor.
int JpegQuality(int qualityFactor);

// Loads BMP and JPEG through Qt and TIFF through ReadTiffFile, recognised by their
// first bytes. The file's own resolution is kept; none (or 0) gives
// DefaultImageDpi. False when the file cannot be read.
bool LoadImageFile(const QString& path, QImage& image);

// Writes the picture at the chosen bit depth: BMP through SaveDibAsBmp, JPEG
// through Qt, TIFF through WriteTiffFile. False when nothing usable was written.
bool SaveImageToFile(const QImage& image, const QString& path, const SaveOptions& options);

// The image-files library's BMP: the 14-byte file header ("BM", file size,
// two reserved words, pixel offset) and then the packed bitmap's header,
// colour table and rows. False, and no file, when the block is shorter than
// its header claims or the file cannot be written.
bool SaveDibAsBmp(const PackedBitmap& dib, const std::string& path);

// Filters of the open dialog, in order.
QStringList OpenFileFilters();
