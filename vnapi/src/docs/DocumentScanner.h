// The unit's scanner: a drawn side turned into the packed bitmap a scan mode
// delivers, with the lamp, sensor and transport of a real unit.
#pragma once

#include <cstdint>

#include "docs/DocumentRenderer.h"
#include "vnapi/PackedBitmap.h"
#include "vnapi/VnCodes.h"

// How the unit's scanner differs from a perfect one.
struct ScanParams {
    // Scale along the transport, set by the unit's image calibration value.
    double HorizontalScale = 1.0;
    // Lamp brightness (1 is a good lamp; a weak one darkens every colour).
    double LampLevel = 1.0;
    // A dirty sensor element: a dark streak along the image at this height
    // above the document's bottom edge, in mm; negative for none.
    double StreakMm = -1.0;
    // Sensor noise, grey levels peak to peak.
    int NoiseLevels = 4;
    // Unit's black background shown before and after the document in raw scans.
    double BackgroundMm = 3.0;
    // A document loose on the belt slips one E13B pitch a third of the way
    // along: 1 back (that stretch is seen twice), -1 forward (never seen).
    int Slip = 0;
    uint32_t Seed = 0;
};

// Resolution and bits per pixel of a scan mode; false for an unknown mode.
bool ScanModeFormat(uint16_t scanMode, int* dotsPerInch, int* bitCount);

// Scans one side. side: 'F', 'B' or 'X' give the image of the scan mode;
// colour planes 'G', 'C', 'Y' (blue), 'H', 'D', 'W' (green), 'I', 'E', 'Z'
// (red) give an 8-bit grey image of that plane; 'N' gives nothing. The plane
// images take the scan mode's resolution. clearImage 0: the raw scan with
// the unit's black background before and after the document and the feed's
// skew; 1: cropped to the document, paper and background pattern cleared to
// white, ink kept; 2: also straightened. Returns null for 'N', an unknown
// mode or an empty raster.
ImageHandle ScanDocument(const RgbRaster& raster, uint16_t scanMode, uint16_t clearImage, char side,
                         float skewDegrees, const ScanParams& params);

// The image of a sheet that slipped: from column at on, every column moves
// by columns (right when positive, repeating the stretch before; left when
// negative, losing it). Columns moved past the edge are lost; columns left
// empty at the end keep what they held.
void SlipColumns(PackedBitmap& image, int32_t at, int32_t columns);
