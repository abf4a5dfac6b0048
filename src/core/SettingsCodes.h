// Names of the coded values the settings record stores. The record keeps the
// numbers the unit's commands take, so these values are part of the file
// format and must not change.
#pragma once

#include <cstdint>

// ScanMode: the picture the unit scans.
namespace ScanModes {
constexpr uint16_t BlackWhite = 1;
constexpr uint16_t Gray16At100 = 2;
constexpr uint16_t Gray16At200 = 3;
constexpr uint16_t Gray256At100 = 4;
constexpr uint16_t Gray256At200 = 5; // the default
constexpr uint16_t Gray16At300 = 20;
constexpr uint16_t Gray256At300 = 21;
} // namespace ScanModes

// SaveImageMode: whether a run saves each document's images.
namespace SaveImageModes {
constexpr uint16_t Off = 5; // the default
constexpr uint16_t On = 6;
} // namespace SaveImageModes

// SaveImageFormat: the file type of saved document images.
namespace SaveFormats {
constexpr uint16_t Tiff = 3;
constexpr uint16_t Jpeg = 10;
constexpr uint16_t Bmp = 11;
constexpr uint16_t Ccitt = 25;
constexpr uint16_t CcittGroup3D1 = 27;
constexpr uint16_t CcittGroup3D2 = 28;
constexpr uint16_t CcittGroup4 = 29;
} // namespace SaveFormats

// DocDestination: where a document goes after its scan.
namespace Destinations {
constexpr uint16_t Retained = 0; // held at the exit until released
constexpr uint16_t Sorted = 1;   // the default
constexpr uint16_t Ejected = 5;
} // namespace Destinations

// ReleaseSortMode: how a retained document is let go.
namespace ReleaseModes {
constexpr uint16_t Sort = 1; // the default
constexpr uint16_t Eject = 5;
} // namespace ReleaseModes

// ScanCard: 1 when the unit scans a card instead of a cheque.
constexpr uint16_t ScanCardOn = 1;

// CodelineType: which codelines a run reads, one bit each.
namespace CodelineBits {
constexpr uint8_t Micr = 1;
constexpr uint8_t Ocr = 2;
constexpr uint8_t Barcode = 4;
constexpr uint8_t Pdf417 = 8;
constexpr uint8_t MicrOcr = 16;
} // namespace CodelineBits
