// Names of the coded values the settings record stores. The record keeps the
// numbers the unit's commands take, so these values are part of the file
// format and must not change.
#pragma once

#include <cstdint>

#include "vnapi/VnCodes.h"

// ScanMode: the picture the unit scans.
namespace ScanModes {
constexpr uint16_t BlackWhite = VnScanModeBlackWhite;
constexpr uint16_t Gray16At100 = VnScanModeGrey16At100;
constexpr uint16_t Gray16At200 = VnScanModeGrey16At200;
constexpr uint16_t Gray256At100 = VnScanModeGrey256At100;
constexpr uint16_t Gray256At200 = VnScanModeGrey256At200; // the default
constexpr uint16_t Gray16At300 = VnScanModeGrey16At300;
constexpr uint16_t Gray256At300 = VnScanModeGrey256At300;
} // namespace ScanModes

// SaveImageMode: whether a run saves each document's images.
namespace SaveImageModes {
constexpr uint16_t Off = 5; // the default
constexpr uint16_t On = 6;
} // namespace SaveImageModes

// SaveImageFormat: the file type of saved document images.
namespace SaveFormats {
constexpr uint16_t Tiff = VnTiffUncompressed;
constexpr uint16_t Jpeg = 10;
constexpr uint16_t Bmp = 11;
constexpr uint16_t Ccitt = VnTiffCcittRle;
constexpr uint16_t CcittGroup3D1 = VnTiffCcittGroup3OneD;
constexpr uint16_t CcittGroup3D2 = VnTiffCcittGroup3TwoD;
constexpr uint16_t CcittGroup4 = VnTiffCcittGroup4;
} // namespace SaveFormats

// DocDestination: where a document goes after its scan.
namespace Destinations {
constexpr uint16_t Retained = VnDestinationRetained; // held at the exit until released
constexpr uint16_t Sorted = VnDestinationSorted;     // the default
constexpr uint16_t Ejected = VnDestinationEjected;
} // namespace Destinations

// ReleaseSortMode: how a retained document is let go.
namespace ReleaseModes {
constexpr uint16_t Sort = 1; // the default
constexpr uint16_t Eject = 5;
} // namespace ReleaseModes

// EndorsePrintMode: what the endorsement printer does.
namespace PrintModes {
constexpr uint16_t None = 0;
constexpr uint16_t Print = 1;
constexpr uint16_t Digital = 2;
constexpr uint16_t Print15 = 'A'; // 15 characters an inch
} // namespace PrintModes

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
