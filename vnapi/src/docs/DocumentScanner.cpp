#include "docs/DocumentScanner.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "docs/MicrGlyphs.h"
#include "docs/Random.h"
#include "vnapi/imaging/ImagePixels.h"

// ---- Scanning ----------------------------------------------------------------

bool ScanModeFormat(uint16_t scanMode, int* dotsPerInch, int* bitCount)
{
    int dpi = 0, bits = 0;
    switch (scanMode) {
    case VnScanModeBlackWhite: dpi = 200, bits = 1; break;
    case VnScanModeGrey16At100: dpi = 100, bits = 4; break;
    case VnScanModeGrey16At200: dpi = 200, bits = 4; break;
    case VnScanModeGrey16At300: dpi = 300, bits = 4; break;
    case VnScanModeGrey256At100: dpi = 100, bits = 8; break;
    case VnScanModeGrey256At200: dpi = 200, bits = 8; break;
    case VnScanModeGrey256At300: dpi = 300, bits = 8; break;
    case VnScanModeColourAt100: dpi = 100, bits = 24; break;
    case VnScanModeColourAt200: dpi = 200, bits = 24; break;
    default: return false;
    }
    if (dotsPerInch)
        *dotsPerInch = dpi;
    if (bitCount)
        *bitCount = bits;
    return true;
}

namespace {

// -1 the scan mode's image, 0 blue, 1 green, 2 red plane; -2 nothing.
int PlaneOfSide(char side)
{
    switch (side) {
    case 'F':
    case 'B':
    case 'X': return -1;
    case 'G':
    case 'C':
    case 'Y': return 0;
    case 'H':
    case 'D':
    case 'W': return 1;
    case 'I':
    case 'E':
    case 'Z': return 2;
    default: return -2;
    }
}

constexpr uint8_t BackgroundLevel = 14;
constexpr int ClearThreshold = 200;

// Samples are red, green, blue.
inline int Luma(const uint8_t* p) { return imaging::Luminance(p[0], p[1], p[2]); }

// Sensor noise: a table of levels drawn from the seed, walked along each
// row from a start that moves from row to row.
class SensorNoise {
public:
    SensorNoise(uint32_t seed, int levels)
    {
        DocRandom rnd(seed);
        for (int8_t& v : Table)
            v = static_cast<int8_t>(levels > 0 ? rnd.Int(0, levels) - levels / 2 : 0);
    }
    const int8_t* Row(int y) const { return Table.data() + (static_cast<uint32_t>(y) * 2654435761u >> 20); }
    static constexpr int Span = 4096; // a row reads at most this many values past its start

private:
    std::array<int8_t, 4096 + Span> Table{};
};

// Where the output pixels come from: the inverse of the scan's affine map,
// and for a straight scan each column's two source pixels and weight.
struct ScanGeometry {
    int OutWidth = 0;
    int OutHeight = 0;
    int Margin = 0;
    bool Direct = false;   // straight, unstretched, at the raster's resolution
    bool Straight = false; // straight at the raster's resolution, stretched along the transport
    double Ax = 0, Bx = 0, Ay = 0, By = 0, Cx = 0, Cy = 0;
    int MaxX = 0, MaxY = 0;
    std::vector<int> ColumnFrom;   // -1 off the document
    std::vector<int> ColumnWeight; // of the right-hand pixel, in 1/256
};

// The light of one output row: its noise, a dirty element's shadow, the
// lamp, and the level from which paper is cleared to white.
struct RowLight {
    const int8_t* Noise = nullptr;
    int Dim = 256;
    int DocumentGain = 256;
    int ClearAt = 1 << 20;
};

// One output row being built: red, green, blue (or grey) samples and
// whether each lies on the document.
struct RowBuffer {
    int Channels = 1;
    std::vector<uint8_t> Line;
    std::vector<uint8_t> OnDocument;
    std::vector<int> LumaTop; // grey of the two source rows of a straight scan
    std::vector<int> LumaBottom;
};

// The common case in one pass: grey, straight, at the raster's resolution.
void ScanDirectGreyRow(const RgbRaster& raster, const ScanGeometry& g, const RowLight& light, int oy, RowBuffer& row)
{
    uint8_t* o = row.Line.data();
    const int background = BackgroundLevel * light.Dim >> 8;
    const int w = oy < raster.Height ? std::min(raster.Width, g.OutWidth - g.Margin) : 0;
    for (int x = 0; x < g.OutWidth; ++x)
        o[x] = static_cast<uint8_t>(std::clamp(background + light.Noise[x % SensorNoise::Span], 0, 255));
    const uint8_t* src = w > 0 ? raster.Row(oy) : nullptr;
    for (int x = 0; x < w; ++x, src += 3) {
        const int v = std::clamp(((Luma(src) * light.DocumentGain) >> 8) +
                                     light.Noise[(g.Margin + x) % SensorNoise::Span],
                                 0, 255);
        o[g.Margin + x] = static_cast<uint8_t>(v >= light.ClearAt ? 255 : v);
    }
}

// Colour, straight: the raster's own samples.
void CopyDirectColourRow(const RgbRaster& raster, const ScanGeometry& g, int oy, RowBuffer& row)
{
    if (oy >= raster.Height)
        return;
    const int w = std::min(raster.Width, g.OutWidth - g.Margin);
    std::memcpy(row.Line.data() + static_cast<size_t>(g.Margin) * 3, raster.Row(oy), static_cast<size_t>(w) * 3);
    std::fill_n(row.OnDocument.begin() + g.Margin, w, 1);
}

// Straight but stretched: rows map onto rows, columns through the column
// tables. Grey rows go through the sensor here as well (true when they did).
bool ResampleStraightRow(const RgbRaster& raster, const ScanGeometry& g, const RowLight& light, bool colour, int oy,
                         RowBuffer& row)
{
    const double sy = g.Cy + g.By * oy;
    if (sy < -0.5 || sy > g.MaxY + 0.5)
        return false;
    const int maxX = g.MaxX;
    const double fy = std::clamp(sy, 0.0, static_cast<double>(g.MaxY));
    const int iy = std::min(static_cast<int>(fy), std::max(0, g.MaxY - 1));
    const int iy1 = std::min(iy + 1, g.MaxY);
    const int wy = static_cast<int>(std::lround(std::min(1.0, fy - iy) * 256.0));
    const uint8_t* top = raster.Row(iy);
    const uint8_t* bottom = raster.Row(iy1);
    const int x1Limit = maxX;
    if (!colour) {
        for (int x = 0; x <= maxX; ++x)
            row.LumaTop[static_cast<size_t>(x)] = Luma(top + 3 * x);
        if (wy)
            for (int x = 0; x <= maxX; ++x)
                row.LumaBottom[static_cast<size_t>(x)] = Luma(bottom + 3 * x);
        // Resample, then the sensor, as the direct case does.
        const int background = BackgroundLevel * light.Dim >> 8;
        const int* from = g.ColumnFrom.data();
        const int* weight = g.ColumnWeight.data();
        const int* t = row.LumaTop.data();
        const int* b = row.LumaBottom.data();
        uint8_t* o = row.Line.data();
        for (int ox = 0; ox < g.OutWidth; ++ox) {
            const int n = light.Noise[ox % SensorNoise::Span];
            const int ix = from[ox];
            if (ix < 0) {
                o[ox] = static_cast<uint8_t>(std::clamp(background + n, 0, 255));
                continue;
            }
            const int ix1 = std::min(ix + 1, x1Limit);
            const int wx = weight[ox];
            int v = (t[ix] * 256 + (t[ix1] - t[ix]) * wx + 128) >> 8;
            if (wy) {
                const int under = (b[ix] * 256 + (b[ix1] - b[ix]) * wx + 128) >> 8;
                v = (v * 256 + (under - v) * wy + 128) >> 8;
            }
            v = std::clamp(((v * light.DocumentGain) >> 8) + n, 0, 255);
            o[ox] = static_cast<uint8_t>(v >= light.ClearAt ? 255 : v);
        }
        return true;
    }
    for (int ox = 0; ox < g.OutWidth; ++ox) {
        const int ix = g.ColumnFrom[static_cast<size_t>(ox)];
        if (ix < 0)
            continue;
        const int ix1 = std::min(ix + 1, x1Limit);
        const int wx = g.ColumnWeight[static_cast<size_t>(ox)];
        uint8_t* o = row.Line.data() + static_cast<size_t>(ox) * 3;
        for (int ch = 0; ch < 3; ++ch) {
            const int t0 = top[3 * ix + ch], t1 = top[3 * ix1 + ch];
            int v = (t0 * 256 + (t1 - t0) * wx + 128) >> 8;
            if (wy) {
                const int b0 = bottom[3 * ix + ch], b1 = bottom[3 * ix1 + ch];
                const int under = (b0 * 256 + (b1 - b0) * wx + 128) >> 8;
                v = (v * 256 + (under - v) * wy + 128) >> 8;
            }
            o[ch] = static_cast<uint8_t>(v);
        }
        row.OnDocument[static_cast<size_t>(ox)] = 1;
    }
    return false;
}

// Skewed (or at another resolution): every output pixel bilinear from the
// four source pixels around where it maps to.
void ResampleSkewedRow(const RgbRaster& raster, const ScanGeometry& g, bool colour, int oy, RowBuffer& row)
{
    const int maxX = g.MaxX, maxY = g.MaxY;
    double sx = g.Cx + g.Bx * oy, sy = g.Cy + g.By * oy;
    for (int ox = 0; ox < g.OutWidth; ++ox, sx += g.Ax, sy += g.Ay) {
        if (sx < -0.5 || sy < -0.5 || sx > maxX + 0.5 || sy > maxY + 0.5)
            continue;
        const double fx = std::clamp(sx, 0.0, static_cast<double>(maxX));
        const double fy = std::clamp(sy, 0.0, static_cast<double>(maxY));
        const int ix = std::min(static_cast<int>(fx), std::max(0, maxX - 1));
        const int iy = std::min(static_cast<int>(fy), std::max(0, maxY - 1));
        const double tx = std::min(1.0, fx - ix), ty = std::min(1.0, fy - iy);
        const int ix1 = std::min(ix + 1, maxX), iy1 = std::min(iy + 1, maxY);
        const uint8_t* p00 = raster.Row(iy) + 3 * ix;
        const uint8_t* p01 = raster.Row(iy) + 3 * ix1;
        const uint8_t* p10 = raster.Row(iy1) + 3 * ix;
        const uint8_t* p11 = raster.Row(iy1) + 3 * ix1;
        uint8_t rgb[3];
        for (int ch = 0; ch < 3; ++ch) {
            const double top = p00[ch] + (p01[ch] - p00[ch]) * tx;
            const double bottom = p10[ch] + (p11[ch] - p10[ch]) * tx;
            rgb[ch] = static_cast<uint8_t>(top + (bottom - top) * ty + 0.5);
        }
        uint8_t* o = row.Line.data() + static_cast<size_t>(ox) * row.Channels;
        if (colour) {
            o[0] = rgb[0];
            o[1] = rgb[1];
            o[2] = rgb[2];
        } else {
            o[0] = static_cast<uint8_t>(Luma(rgb));
        }
        row.OnDocument[static_cast<size_t>(ox)] = 1;
    }
}

// The sensor: lamp, a dirty element, noise; then the background clear.
void SenseRow(const RowLight& light, int outWidth, RowBuffer& row)
{
    for (int x = 0; x < outWidth; ++x) {
        uint8_t* p = row.Line.data() + static_cast<size_t>(x) * row.Channels;
        const bool inside = row.OnDocument[static_cast<size_t>(x)] != 0;
        const int gain = inside ? light.DocumentGain : light.Dim;
        const int n = light.Noise[x % SensorNoise::Span];
        if (row.Channels == 1) {
            const int v = std::clamp(((p[0] * gain) >> 8) + n, 0, 255);
            p[0] = static_cast<uint8_t>(inside && v >= light.ClearAt ? 255 : v);
            continue;
        }
        for (int ch = 0; ch < 3; ++ch)
            p[ch] = static_cast<uint8_t>(std::clamp(((p[ch] * gain) >> 8) + n, 0, 255));
        if (inside && Luma(p) >= light.ClearAt)
            p[0] = p[1] = p[2] = 255;
    }
}

// Packs one row of samples at the scan mode's depth; plane >= 0 takes that
// colour plane of a colour row.
void PackRow(const uint8_t* o, int outWidth, int bits, int plane, uint8_t* row)
{
    switch (bits) {
    case 1:
        for (int x = 0; x < outWidth; ++x)
            if (o[x] >= 128)
                row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | (0x80 >> (x & 7)));
        break;
    case 4:
        for (int x = 0; x < outWidth; ++x) {
            const uint8_t q = static_cast<uint8_t>((o[x] * 15 + 127) / 255);
            row[x >> 1] = static_cast<uint8_t>(row[x >> 1] | (x & 1 ? q : q << 4));
        }
        break;
    case 8:
        if (plane >= 0) {
            const int offset = 2 - plane; // samples are red, green, blue
            for (int x = 0; x < outWidth; ++x)
                row[x] = o[3 * x + offset];
        } else {
            std::memcpy(row, o, static_cast<size_t>(outWidth));
        }
        break;
    default:
        for (int x = 0; x < outWidth; ++x) {
            row[3 * x + 0] = o[3 * x + 2];
            row[3 * x + 1] = o[3 * x + 1];
            row[3 * x + 2] = o[3 * x + 0];
        }
        break;
    }
}

} // namespace

ImageHandle ScanDocument(const RgbRaster& raster, uint16_t scanMode, uint16_t clearImage, char side,
                         float skewDegrees, const ScanParams& params)
{
    const int plane = PlaneOfSide(side);
    int dpi = 0, bits = 0;
    if (plane == -2 || !ScanModeFormat(scanMode, &dpi, &bits) || raster.Width <= 0 || raster.Height <= 0 ||
        raster.Pixels.size() < static_cast<size_t>(raster.Width) * raster.Height * 3)
        return nullptr;
    // A colour plane is cut from a colour scan (cleared by its brightness,
    // not by the plane's own level).
    if (plane >= 0)
        bits = 8;
    const bool colour = bits == 24 || plane >= 0;

    // Geometry: the document, skewed unless straightened, scaled along the
    // transport by the image calibration, with background before and after
    // in a raw scan.
    const double hScale = params.HorizontalScale > 0.2 ? params.HorizontalScale : 1.0;
    const double theta = clearImage == 2 ? 0.0 : skewDegrees * 3.14159265358979323846 / 180.0;
    const double cs = std::cos(theta), sn = std::sin(theta);
    const double lengthMm = raster.Width * 25.4 / raster.Dpi;
    const double heightMm = raster.Height * 25.4 / raster.Dpi;
    const double boxW = lengthMm * std::fabs(cs) + heightMm * std::fabs(sn);
    const double boxH = lengthMm * std::fabs(sn) + heightMm * std::fabs(cs);
    const double pxX = dpi / 25.4 * hScale;
    const double pxY = dpi / 25.4;
    ScanGeometry g;
    g.Margin = clearImage == 0 ? static_cast<int>(std::lround(params.BackgroundMm * pxX)) : 0;
    g.OutWidth = std::max(1, static_cast<int>(std::lround(boxW * pxX)) + 2 * g.Margin);
    g.OutHeight = std::max(1, static_cast<int>(std::lround(boxH * pxY)));
    ImageHandle image = PackedBitmap::Create(g.OutWidth, g.OutHeight, static_cast<uint16_t>(bits), dpi);
    if (!image)
        return nullptr;

    g.Direct = theta == 0.0 && std::fabs(hScale - 1.0) < 1e-9 && std::fabs(raster.Dpi - dpi) < 1e-9;
    // Inverse map, affine in the output pixel: source pixel coordinates.
    const double k = raster.Dpi / 25.4;
    g.Ax = cs / pxX * k, g.Bx = sn / pxY * k;
    g.Ay = -sn / pxX * k, g.By = cs / pxY * k;
    const double x0 = (0.5 - g.Margin) / pxX - boxW / 2.0, y0 = 0.5 / pxY - boxH / 2.0;
    g.Cx = (cs * x0 + sn * y0 + lengthMm / 2.0) * k - 0.5;
    g.Cy = (-sn * x0 + cs * y0 + heightMm / 2.0) * k - 0.5;
    g.MaxX = raster.Width - 1, g.MaxY = raster.Height - 1;

    // Straight at the raster's resolution, only stretched along the transport
    // by the image calibration (the usual case of a real unit): rows map onto
    // rows, and each column's two source pixels and weight are worked out once.
    g.Straight = !g.Direct && theta == 0.0 && std::fabs(raster.Dpi - dpi) < 1e-9;
    RowBuffer row;
    if (g.Straight) {
        g.ColumnFrom.assign(static_cast<size_t>(g.OutWidth), -1);
        g.ColumnWeight.assign(static_cast<size_t>(g.OutWidth), 0);
        double sx = g.Cx;
        for (int ox = 0; ox < g.OutWidth; ++ox, sx += g.Ax) {
            if (sx < -0.5 || sx > g.MaxX + 0.5)
                continue;
            const double fx = std::clamp(sx, 0.0, static_cast<double>(g.MaxX));
            const int ix = std::min(static_cast<int>(fx), std::max(0, g.MaxX - 1));
            g.ColumnFrom[static_cast<size_t>(ox)] = ix;
            g.ColumnWeight[static_cast<size_t>(ox)] = static_cast<int>(std::lround(std::min(1.0, fx - ix) * 256.0));
        }
        row.LumaTop.resize(static_cast<size_t>(raster.Width));
        row.LumaBottom.resize(static_cast<size_t>(raster.Width));
    }

    const int streakRow =
        params.StreakMm >= 0.0 ? g.OutHeight - 1 - static_cast<int>(std::lround(params.StreakMm * pxY)) : -1;
    const int lamp = static_cast<int>(std::lround(std::clamp(params.LampLevel, 0.0, 2.0) * 256.0));
    const uint32_t seed = params.Seed * 2654435761u + scanMode * 40503u + static_cast<uint32_t>(side);
    const SensorNoise noise(seed, params.NoiseLevels);

    row.Channels = colour ? 3 : 1;
    row.Line.resize(static_cast<size_t>(g.OutWidth) * row.Channels);
    row.OnDocument.resize(static_cast<size_t>(g.OutWidth));
    for (int oy = 0; oy < g.OutHeight; ++oy) {
        if (colour || !g.Direct) {
            std::fill(row.Line.begin(), row.Line.end(), BackgroundLevel);
            std::fill(row.OnDocument.begin(), row.OnDocument.end(), 0);
        }
        RowLight light;
        light.Noise = noise.Row(oy);
        const bool streak = streakRow >= 0 && (oy == streakRow || oy == streakRow - 1);
        light.Dim = streak ? 160 : 256; // a dirty element passes 5/8 of the light
        light.DocumentGain = lamp * light.Dim >> 8;
        light.ClearAt = clearImage != 0 ? ClearThreshold : 1 << 20;

        bool sensed = false; // the row went through the sensor already
        if (g.Direct && !colour) {
            ScanDirectGreyRow(raster, g, light, oy, row);
            sensed = true;
        } else if (g.Direct) {
            CopyDirectColourRow(raster, g, oy, row);
        } else if (g.Straight) {
            sensed = ResampleStraightRow(raster, g, light, colour, oy, row);
        } else {
            ResampleSkewedRow(raster, g, colour, oy, row);
        }
        if (!sensed)
            SenseRow(light, g.OutWidth, row);

        // Bottom row first.
        PackRow(row.Line.data(), g.OutWidth, bits, plane, image->Row(g.OutHeight - 1 - oy));
    }
    return image;
}

void SlipColumns(PackedBitmap& image, int32_t at, int32_t columns)
{
    const int32_t width = image.Width();
    const uint16_t bits = image.BitCount();
    if (columns == 0 || at < 0 || at >= width || (bits != 1 && bits % 8 != 0))
        return;
    const auto get = [bits](const uint8_t* row, int32_t x, uint8_t* out) {
        if (bits == 1)
            out[0] = static_cast<uint8_t>((row[x >> 3] >> (7 - (x & 7))) & 1);
        else
            std::memcpy(out, row + static_cast<size_t>(x) * (bits / 8), bits / 8);
    };
    const auto put = [bits](uint8_t* row, int32_t x, const uint8_t* in) {
        if (bits == 1) {
            const auto mask = static_cast<uint8_t>(0x80 >> (x & 7));
            row[x >> 3] = static_cast<uint8_t>(in[0] ? row[x >> 3] | mask : row[x >> 3] & ~mask);
        } else {
            std::memcpy(row + static_cast<size_t>(x) * (bits / 8), in, bits / 8);
        }
    };
    uint8_t pixel[4] = {};
    for (int32_t y = 0; y < image.Height(); ++y) {
        uint8_t* row = image.Row(y);
        if (columns > 0) {
            // From the right, so that every source is read before it is overwritten.
            for (int32_t x = width - 1; x >= at + columns; --x) {
                get(row, x - columns, pixel);
                put(row, x, pixel);
            }
        } else {
            for (int32_t x = at; x - columns < width; ++x) {
                get(row, x - columns, pixel);
                put(row, x, pixel);
            }
        }
    }
}

ImageHandle DocumentImages::Scan(bool frontSide, char sideLetter, uint16_t scanMode, uint16_t clearImage,
                                 const ScanParams& params)
{
    int dpi = 0;
    if (sideLetter == 'N' || !ScanModeFormat(scanMode, &dpi, nullptr))
        return nullptr;
    // The back is seen from the other side: its skew turns the other way.
    const float skew = frontSide ? Doc.SkewDegrees : -Doc.SkewDegrees;
    ImageHandle image = ScanDocument(Side(frontSide ? 'F' : 'B', dpi), scanMode, clearImage, sideLetter, skew, params);
    if (image && params.Slip != 0) {
        const double pxX = dpi / 25.4 * (params.HorizontalScale > 0.2 ? params.HorizontalScale : 1.0);
        const auto pitch = static_cast<int32_t>(std::lround(micr::E13bPitchMm * pxX));
        SlipColumns(*image, image->Width() / 3, params.Slip > 0 ? pitch : -pitch);
    }
    return image;
}
