// The coded values of the device library, named once for the library and for
// every caller: reply codes, sense keys, sensor and feature bits, badge tracks,
// codeline requests, scan modes, destinations and TIFF types.
#pragma once

#include <cstdint>

// ---- Reply codes -----------------------------------------------------------
// Positive codes are conditions the unit reports, negative ones failures.
constexpr int32_t VnReplyOk = 0;
constexpr int32_t VnReplyFeederEmpty = 1;
constexpr int32_t VnReplyCodelineTruncated = 2;
constexpr int32_t VnReplyAlreadyConnected = 5;
constexpr int32_t VnReplyDoubleLeafing = 7;          // document status of the automatic run: the run goes on
constexpr int32_t VnReplyStoppedOnCodelineError = 10; // document status of the automatic run
constexpr int32_t VnReplyNetBusy = 11;
constexpr int32_t VnReplyOpenFailedRetry = 14;
constexpr int32_t VnReplyCommandNotSupported = 19;
constexpr int32_t VnReplySystemError = -1;           // also: memory could not be had
constexpr int32_t VnReplyUsbHardwareError = -2;
constexpr int32_t VnReplyPeripheralNotFound = -3;
constexpr int32_t VnReplyHardwareError = -4;
constexpr int32_t VnReplyJammed = -7;
constexpr int32_t VnReplyBusy = -8;
constexpr int32_t VnReplyInvalidCommand = -9;
constexpr int32_t VnReplyDataLost = -10;             // the caller's buffer is too small
constexpr int32_t VnReplyAborted = -11;
constexpr int32_t VnReplyJpegNotCreated = -12;
constexpr int32_t VnReplyCommandInExecution = -13;
constexpr int32_t VnReplyImageOverwrite = -15;
constexpr int32_t VnReplySupportLibraryNotPresent = -17;
constexpr int32_t VnReplyDibNotCreated = -18;
constexpr int32_t VnReplyTiffNotCreated = -19;
constexpr int32_t VnReplyImageNotPresent = -22;
constexpr int32_t VnReplyOpenFailed = -30;
constexpr int32_t VnReplyPrintFormatNotSupported = -57;
constexpr int32_t VnReplyDisconnected = -64;
constexpr int32_t VnReplyCalibrationFailed = -66;
constexpr int32_t VnReplyPaperShort = -95;
constexpr int32_t VnReplyBatteryNotCharged = -99;
constexpr int32_t VnReplyIllegalCardFilmature = -101;
constexpr int32_t VnReplyBoxNotFound = -109;
constexpr int32_t VnReplyTrimmerNegative = -300;
constexpr int32_t VnReplyErrorOffsetFront = -348;
constexpr int32_t VnReplyErrorOffsetRear = -349;
constexpr int32_t VnReplyErrorScannerPwm = -350;
constexpr int32_t VnReplyErrorGainFront = -351;
constexpr int32_t VnReplyErrorGainRear = -352;
constexpr int32_t VnReplyErrorCoeffFront = -353;
constexpr int32_t VnReplyErrorCoeffRear = -354;
constexpr int32_t VnReplyErrorScannerGeneric = -363;
constexpr int32_t VnReplyConnectionFailed = -1000;
// Document statuses of the automatic run at or below this one are failures
// of the document itself; the run ends after showing it.
constexpr int32_t VnReplyRunDocumentFailed = -1101;

// ---- Sense keys of Varn_PeripheralStatus -----------------------------------
constexpr uint8_t VnSenseOk = 0;
constexpr uint8_t VnSenseBusy = 2;
constexpr uint8_t VnSensePaperJam = 3;
constexpr uint8_t VnSenseHardwareError = 4;
constexpr uint8_t VnSenseIllegalRequest = 5;
constexpr uint8_t VnSenseFeederEmpty = 6;
constexpr uint8_t VnSenseDoubleLeafing = 7;
constexpr uint8_t VnSenseIllegalCommand = 9;
constexpr uint8_t VnSenseAborted = 11;
constexpr uint8_t VnSenseCalibrationAborted = 16;
constexpr uint8_t VnSenseOkDoubleLeafingOccurred = 25;

// ---- First sensor byte of Varn_PeripheralStatus ----------------------------
constexpr uint8_t VnSensorDocumentInFeeder = 1;
constexpr uint8_t VnSensorTriggerCovered = 2;
constexpr uint8_t VnSensorInkjetSilent = 32;
constexpr uint8_t VnSensorDocumentRetained = 64;
constexpr uint8_t VnSensorJustOn = 128;

// ---- Option bits of the feature bytes (Varn_Identify, Varn_SetConfiguration)
// Byte 0.
constexpr uint8_t VnFeatureMicr = 1;
constexpr uint8_t VnFeatureCard = 2;
constexpr uint8_t VnFeatureInkjet = 8; // the endorsement printer
constexpr uint8_t VnFeatureUsbPowered = 16;
constexpr uint8_t VnFeatureVoidingStamp = 32;
// Byte 1.
constexpr uint8_t VnFeatureScannerFront = 1;
constexpr uint8_t VnFeatureScannerBack = 2;
constexpr uint8_t VnFeatureBadgeTracks12 = 4;
constexpr uint8_t VnFeatureBadgeTracks23 = 8;
constexpr uint8_t VnFeatureBadgeTracks123 = 16;

// ---- Badge tracks of Varn_ReadBadge ----------------------------------------
constexpr uint8_t VnBadgeTrack1 = 32;
constexpr uint8_t VnBadgeTrack2 = 64;
constexpr uint8_t VnBadgeTrack3 = 128;
// The reader's tracks follow one another; each after the first starts with it.
constexpr char VnBadgeTrackSeparator = 't';

// ---- Codeline requests -----------------------------------------------------
// Varn_DocHandle's codeline request and Varn_AutoDocHandle's codeline type
// (which also takes an OCR or barcode type letter).
constexpr uint16_t VnCodelineNone = 0;
constexpr uint16_t VnCodelineMicr = 1;
constexpr uint16_t VnCodelinePdf417 = 2; // automatic run only
constexpr uint16_t VnCodelineMicrOcr = 15;
// Unit code of the automatic run's read window.
constexpr uint16_t VnWindowMillimetres = 10;
constexpr uint16_t VnWindowInches = 20;

// ---- Scan modes ------------------------------------------------------------
constexpr uint16_t VnScanModeBlackWhite = 1;      // 200 dpi, 1 bit
constexpr uint16_t VnScanModeGrey16At100 = 2;     // 100 dpi, 4 bits
constexpr uint16_t VnScanModeGrey16At200 = 3;     // 200 dpi, 4 bits
constexpr uint16_t VnScanModeGrey256At100 = 4;    // 100 dpi, 8 bits
constexpr uint16_t VnScanModeGrey256At200 = 5;    // 200 dpi, 8 bits
constexpr uint16_t VnScanModeColourAt100 = 10;    // 100 dpi, 24 bits
constexpr uint16_t VnScanModeColourAt200 = 11;    // 200 dpi, 24 bits
constexpr uint16_t VnScanModeGrey16At300 = 20;    // 300 dpi, 4 bits
constexpr uint16_t VnScanModeGrey256At300 = 21;   // 300 dpi, 8 bits

// ---- Destinations of Varn_DocHandle ----------------------------------------
constexpr uint16_t VnDestinationRetained = 0;
constexpr uint16_t VnDestinationSorted = 1;
constexpr uint16_t VnDestinationEjected = 5;

// ---- TIFF types of Varn_SaveTIFF -------------------------------------------
constexpr int32_t VnTiffUncompressed = 3;
constexpr int32_t VnTiffCcittRle = 25;
constexpr int32_t VnTiffCcittGroup3OneD = 27;
constexpr int32_t VnTiffCcittGroup3TwoD = 28;
constexpr int32_t VnTiffCcittGroup4 = 29;
