#include "docs/DegradedPrint.h"

#include <algorithm>
#include <cmath>

#include "docs/DocumentRenderer.h"
#include "docs/Random.h"
#include "vnapi/imaging/JpegFile.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

struct Grey {
    int Width = 0;
    int Height = 0;
    std::vector<float> V;
    float& At(int x, int y) { return V[static_cast<size_t>(y) * Width + x]; }
    float Get(int x, int y) const
    {
        x = std::clamp(x, 0, Width - 1);
        y = std::clamp(y, 0, Height - 1);
        return V[static_cast<size_t>(y) * Width + x];
    }
};

// Vertical shear: column x moves up by x * tan(angle) (a slight skew).
void Skew(Grey& g, double degrees)
{
    if (degrees == 0.0)
        return;
    const double slope = std::tan(degrees * Pi / 180.0);
    Grey out = g;
    for (int x = 0; x < g.Width; ++x) {
        const double shift = (x - g.Width / 2.0) * slope;
        for (int y = 0; y < g.Height; ++y) {
            const double sy = y + shift;
            const int y0 = static_cast<int>(std::floor(sy));
            const double f = sy - y0;
            out.At(x, y) = static_cast<float>((1 - f) * g.Get(x, y0) + f * g.Get(x, y0 + 1));
        }
    }
    g = std::move(out);
}

// Toner spread: each pixel moves toward the darkest (or, thinning, the
// lightest) of its neighbours.
void Spread(Grey& g, double amount)
{
    if (amount == 0.0)
        return;
    const double a = std::min(1.0, std::abs(amount));
    Grey out = g;
    for (int y = 0; y < g.Height; ++y)
        for (int x = 0; x < g.Width; ++x) {
            float extreme = g.Get(x, y);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    extreme = amount > 0 ? std::min(extreme, g.Get(x + dx, y + dy))
                                         : std::max(extreme, g.Get(x + dx, y + dy));
            out.At(x, y) = static_cast<float>((1 - a) * g.Get(x, y) + a * extreme);
        }
    g = std::move(out);
}

void Blur(Grey& g, double sigma)
{
    if (sigma <= 0.0)
        return;
    const int reach = static_cast<int>(std::ceil(3 * sigma));
    std::vector<double> k(static_cast<size_t>(2 * reach + 1));
    double sum = 0;
    for (int i = -reach; i <= reach; ++i)
        sum += k[static_cast<size_t>(i + reach)] = std::exp(-i * i / (2 * sigma * sigma));
    for (double& v : k)
        v /= sum;
    Grey tmp = g;
    for (int y = 0; y < g.Height; ++y)
        for (int x = 0; x < g.Width; ++x) {
            double s = 0;
            for (int i = -reach; i <= reach; ++i)
                s += k[static_cast<size_t>(i + reach)] * g.Get(x + i, y);
            tmp.At(x, y) = static_cast<float>(s);
        }
    for (int y = 0; y < g.Height; ++y)
        for (int x = 0; x < g.Width; ++x) {
            double s = 0;
            for (int i = -reach; i <= reach; ++i)
                s += k[static_cast<size_t>(i + reach)] * tmp.Get(x, y + i);
            g.At(x, y) = static_cast<float>(s);
        }
}

void Disc(Grey& g, double cx, double cy, double r, float level)
{
    for (int y = static_cast<int>(cy - r); y <= static_cast<int>(cy + r) + 1; ++y)
        for (int x = static_cast<int>(cx - r); x <= static_cast<int>(cx + r) + 1; ++x)
            if (x >= 0 && y >= 0 && x < g.Width && y < g.Height && (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r)
                g.At(x, y) = level;
}

// Voids in the ink and specks of toner on the paper, each about a tenth of
// a millimetre across.
void Specks(Grey& g, double dropout, double speckle, double dotsPerMm, DocRandom& rnd)
{
    if (dropout <= 0 && speckle <= 0)
        return;
    const Grey source = g;
    const double r = std::max(0.5, 0.05 * dotsPerMm);
    const double perPixel = 1.0 / (Pi * r * r);
    for (int y = 0; y < g.Height; ++y)
        for (int x = 0; x < g.Width; ++x) {
            const bool ink = source.Get(x, y) < 128;
            const double p = (ink ? dropout : speckle) * perPixel;
            if (p > 0 && rnd.Uniform(0, 1) < p)
                Disc(g, x + 0.5, y + 0.5, r * rnd.Uniform(0.7, 1.4), ink ? 225.0f : 60.0f);
        }
}

// A signature's tail: a pen stroke that dips into the clear band and out
// again, over the codeline's left half.
void Signature(Grey& g, double dotsPerMm, DocRandom& rnd)
{
    const double bottomBand = g.Height - 16 * dotsPerMm;
    const double x0 = rnd.Uniform(0.25, 0.45) * g.Width;
    const double length = rnd.Uniform(25, 40) * dotsPerMm;
    const double depth = rnd.Uniform(6, 10) * dotsPerMm;
    const double width = 0.25 * dotsPerMm;
    for (double t = 0; t <= 1.0; t += 0.2 / length) {
        const double x = x0 + t * length;
        const double y = bottomBand - 4 * dotsPerMm + depth * std::sin(Pi * t) + 1.5 * dotsPerMm * std::sin(6 * Pi * t);
        Disc(g, x, y, width, 70.0f);
    }
}

} // namespace

const std::vector<Degradation>& DegradationSet()
{
    static const std::vector<Degradation> set = [] {
        std::vector<Degradation> s;
        const auto add = [&](const char* name, auto change) {
            Degradation d;
            d.Name = name;
            change(d);
            s.push_back(d);
        };
        add("150 dpi grey", [](Degradation& d) { d.Dpi = 150; });
        add("400 dpi grey", [](Degradation& d) { d.Dpi = 400; });
        add("200 dpi bilevel 35 %", [](Degradation& d) { d.Bits = 1; d.Threshold = 0.35; });
        add("200 dpi bilevel 50 %", [](Degradation& d) { d.Bits = 1; d.Threshold = 0.5; });
        add("300 dpi bilevel 70 %", [](Degradation& d) { d.Dpi = 300; d.Bits = 1; d.Threshold = 0.7; });
        add("blur", [](Degradation& d) { d.BlurPx = 0.9; });
        add("toner spread", [](Degradation& d) { d.Spread = 0.6; d.Bits = 1; });
        add("toner thin, dropout", [](Degradation& d) { d.Spread = -0.4; d.Dropout = 0.04; });
        add("speckle", [](Degradation& d) { d.Speckle = 0.004; d.Bits = 1; });
        add("skew 0.8 deg", [](Degradation& d) { d.SkewDegrees = 0.8; });
        add("JPEG q 25", [](Degradation& d) { d.JpegQuality = 25; });
        add("signature", [](Degradation& d) { d.Signature = true; });
        add("size 0.8", [](Degradation& d) { d.Size = 0.8; });
        add("size 1.3", [](Degradation& d) { d.Size = 1.3; });
        add("heavy blur, bilevel", [](Degradation& d) { d.BlurPx = 1.4; d.Bits = 1; });
        add("all at once", [](Degradation& d) {
            d.Dpi = 240;
            d.Size = 1.1;
            d.Bits = 1;
            d.Threshold = 0.45;
            d.BlurPx = 0.7;
            d.Spread = 0.3;
            d.Dropout = 0.02;
            d.Speckle = 0.002;
            d.SkewDegrees = -0.5;
            d.Signature = true;
        });
        return s;
    }();
    return set;
}

ImageHandle DegradedFront(const DocumentSpec& doc, const Degradation& d, uint32_t seed)
{
    // Drawn at the resolution times the size, labelled with the resolution:
    // the print comes out that much larger or smaller.
    const RgbRaster raster = RenderDocument(doc, 'F', PrintJob{}, d.Dpi * d.Size);
    Grey g;
    g.Width = raster.Width;
    g.Height = raster.Height;
    g.V.resize(static_cast<size_t>(g.Width) * g.Height);
    for (int y = 0; y < g.Height; ++y) {
        const uint8_t* row = raster.Row(y);
        for (int x = 0; x < g.Width; ++x)
            g.At(x, y) = 0.299f * row[3 * x] + 0.587f * row[3 * x + 1] + 0.114f * row[3 * x + 2];
    }
    DocRandom rnd(DocRandom::Mix(doc.Seed, seed, 0xDE6A));
    const double dotsPerMm = d.Dpi * d.Size / 25.4;
    Skew(g, d.SkewDegrees);
    Spread(g, d.Spread);
    Specks(g, d.Dropout, d.Speckle, dotsPerMm, rnd);
    if (d.Signature)
        Signature(g, dotsPerMm, rnd);
    Blur(g, d.BlurPx);
    for (float& v : g.V)
        v += static_cast<float>(d.NoiseSigma * rnd.Normal());

    ImageHandle image = PackedBitmap::Create(g.Width, g.Height, d.Bits, static_cast<int32_t>(std::lround(d.Dpi)));
    for (int y = 0; y < g.Height; ++y) {
        uint8_t* row = image->Row(g.Height - 1 - y);
        for (int x = 0; x < g.Width; ++x) {
            const float v = std::clamp(g.At(x, y), 0.0f, 255.0f);
            if (d.Bits == 1) {
                if (v >= d.Threshold * 255)
                    row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
            } else {
                row[x] = static_cast<uint8_t>(std::lround(v));
            }
        }
    }
    if (d.JpegQuality > 0 && d.Bits == 8) {
        std::vector<uint8_t> file;
        ImageHandle decoded;
        if (imaging::EncodeJpeg(image.get(), d.JpegQuality, &file) == 0 && imaging::DecodeJpeg(file.data(), file.size(), &decoded) == 0 &&
            decoded)
            image = std::move(decoded);
    }
    return image;
}

CharacterScore ScoreCharacters(const std::string& printed, const std::string& read)
{
    const size_t n = printed.size(), m = read.size();
    // cost[i][j]: printed[0, i) against read[0, j), in half steps.
    std::vector<int> cost((n + 1) * (m + 1), 0);
    const auto at = [&](size_t i, size_t j) -> int& { return cost[i * (m + 1) + j]; };
    const auto pair = [&](char p, char r) {
        if (p == r)
            return 0;
        if (p == ' ' || r == '!')
            return 1;
        return 2;
    };
    const auto dropped = [](char p) { return p == ' ' ? 1 : 2; };
    const auto added = [](char r) { return r == ' ' || r == '!' ? 1 : 2; };
    for (size_t i = 1; i <= n; ++i)
        at(i, 0) = at(i - 1, 0) + dropped(printed[i - 1]);
    for (size_t j = 1; j <= m; ++j)
        at(0, j) = at(0, j - 1) + added(read[j - 1]);
    for (size_t i = 1; i <= n; ++i)
        for (size_t j = 1; j <= m; ++j)
            at(i, j) = std::min({at(i - 1, j - 1) + pair(printed[i - 1], read[j - 1]),
                                 at(i - 1, j) + dropped(printed[i - 1]), at(i, j - 1) + added(read[j - 1])});
    CharacterScore score;
    size_t i = n, j = m;
    while (i > 0 || j > 0) {
        if (i > 0 && j > 0 && at(i, j) == at(i - 1, j - 1) + pair(printed[i - 1], read[j - 1])) {
            const char p = printed[i - 1], r = read[j - 1];
            if (p != ' ') {
                ++score.Characters;
                ++(r == p ? score.Right : r == '!' ? score.Rejected : score.Substituted);
            } else if (r != ' ' && r != '!') {
                ++score.Substituted;
            }
            --i;
            --j;
        } else if (i > 0 && at(i, j) == at(i - 1, j) + dropped(printed[i - 1])) {
            if (printed[i - 1] != ' ') {
                ++score.Characters;
                ++score.Substituted;
            }
            --i;
        } else {
            if (read[j - 1] != ' ' && read[j - 1] != '!')
                ++score.Substituted;
            --j;
        }
    }
    return score;
}
