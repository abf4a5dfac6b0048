#include "docs/MagneticSignal.h"

#include <algorithm>
#include <cmath>

#include "docs/DocumentGeometry.h"
#include "docs/MicrGlyphs.h"
#include "docs/Random.h"

namespace head {

namespace {

constexpr double Pi = 3.14159265358979323846;
// The head starts sampling this far ahead of the document's leading edge
// and stops this far behind its trailing edge.
constexpr double LeadInMm = 3.0;
constexpr double LeadOutMm = 1.0;

double Resistance40(int t) { return 1800.0 + 39.0 * t; }
double Gain39(int t) { return 1.0 + (4700.0 + 39.0 * t) / 3300.0; }

// The sampled peak of a pulse falls short of its true top by the sampling
// phase; over uniform phases the mean loss is this factor at 2.5 samples.
constexpr double SampledPeakFactor = 0.99338;

} // namespace

double AmplifierGain(int trimmer, int generation)
{
    const int t = std::clamp(trimmer, 0, 255);
    if (generation == 39)
        return Gain39(t) / Gain39(NominalTrimmer);
    return Resistance40(t) / Resistance40(NominalTrimmer);
}

double GainPercent(const HeadParams& params)
{
    return 100.0 * params.Sensitivity * AmplifierGain(params.Trimmer, params.Generation);
}

double MmPerSample(int timeSample, double speedFactor)
{
    const double nominal = micr::E13bPitchMm / NominalSamplesPerPitch;
    return nominal * std::max(1, timeSample) / NominalTimeSample * speedFactor;
}

std::vector<FluxStep> MagneticInk(const DocumentSpec& doc)
{
    std::vector<FluxStep> steps;
    const double m = micr::E13bModuleMm;
    if (doc.Kind == DocumentKind::E13bCalibration) {
        for (int k = 0; k < docgeom::CalibrationMarkCount; ++k) {
            const double right = docgeom::E13bFirstRightMm + k * micr::E13bPitchMm;
            steps.push_back({right, 1.0});
            steps.push_back({right + m, -1.0});
            for (int j = 0; j < 6; ++j) {
                steps.push_back({right + (2.0 + j) * m, docgeom::CalibrationBarHeightFraction});
                steps.push_back({right + (2.5 + j) * m, -docgeom::CalibrationBarHeightFraction});
            }
        }
    } else if (doc.Micr == MicrFont::E13B) {
        const double ink = std::max(0.0, static_cast<double>(doc.InkPercent)) / 100.0;
        for (const docgeom::PlacedChar& pc : docgeom::PlaceCodeline(doc)) {
            const micr::E13bGlyph* g = micr::FindE13bGlyph(pc.Symbol);
            if (!g)
                continue;
            const double strength =
                static_cast<int64_t>(pc.Index) + 1 == doc.SmudgeCharacter ? ink * SmudgeFactor : ink;
            const auto flux = micr::E13bFluxSteps(*g);
            for (size_t j = 0; j < flux.size(); ++j)
                if (flux[j] != 0)
                    steps.push_back({pc.RightMm + static_cast<double>(j) * micr::E13bHalfModuleMm,
                                     strength * flux[j] / double(micr::E13bRows)});
        }
    } else if (doc.Micr == MicrFont::CMC7) {
        const double heightRatio = micr::Cmc7HeightMm / micr::E13bHeightMm;
        for (const docgeom::PlacedChar& pc : docgeom::PlaceCodeline(doc)) {
            const micr::Cmc7Glyph* g = micr::FindCmc7Glyph(pc.Symbol);
            if (!g)
                continue;
            const auto lefts = micr::Cmc7StrokeLefts(*g);
            const auto spans = micr::Cmc7StrokeSpans(*g);
            // From the right: the head meets the right edge of each stroke first.
            for (int i = micr::Cmc7Strokes - 1; i >= 0; --i) {
                const double strokeRight = pc.RightMm + (micr::Cmc7WidthMm - lefts[static_cast<size_t>(i)] -
                                                         micr::Cmc7StrokeMm);
                const double h = (spans[static_cast<size_t>(i)].Bottom - spans[static_cast<size_t>(i)].Top) *
                                 heightRatio;
                steps.push_back({strokeRight, h});
                steps.push_back({strokeRight + micr::Cmc7StrokeMm, -h});
            }
        }
    }
    std::stable_sort(steps.begin(), steps.end(), [](const FluxStep& a, const FluxStep& b) { return a.Mm < b.Mm; });
    return steps;
}

std::vector<FluxStep> SlipInk(const std::vector<FluxStep>& ink, int pitches, double atMm)
{
    const int slip = std::clamp(pitches, -1, 1);
    const double pitch = micr::E13bPitchMm;
    const double slipEnd = atMm + pitch;
    std::vector<FluxStep> slipped;
    slipped.reserve(ink.size() + ink.size() / 8);
    for (const FluxStep& step : ink) {
        if (step.Mm < atMm) {
            slipped.push_back(step);
        } else if (step.Mm < slipEnd) {
            if (slip > 0)
                slipped.push_back(step);
            if (slip >= 0)
                slipped.push_back({step.Mm + slip * pitch, step.Height});
        } else {
            slipped.push_back({step.Mm + slip * pitch, step.Height});
        }
    }
    std::stable_sort(slipped.begin(), slipped.end(), [](const FluxStep& a, const FluxStep& b) { return a.Mm < b.Mm; });
    return slipped;
}

std::vector<uint8_t> ReadSignal(const DocumentSpec& doc, const HeadParams& params)
{
    std::vector<FluxStep> ink = MagneticInk(doc);
    // A loose sheet slips between two characters (between two calibration
    // marks), a third of the way along its ink.
    if (params.Slip != 0 && !ink.empty()) {
        const double start = ink.front().Mm;
        const double pitches = std::floor((ink.back().Mm - start) / micr::E13bPitchMm / 3.0);
        ink = SlipInk(ink, params.Slip, start + pitches * micr::E13bPitchMm - 0.3);
    }
    const bool e13b = doc.Kind == DocumentKind::E13bCalibration || (doc.Micr == MicrFont::E13B && !ink.empty());

    DocRandom rnd(DocRandom::Mix(doc.Seed, params.Seed, 0x4D1C));
    // Each document runs at its own slightly different speed; the transport
    // adds a ripple of three periods, and a worn belt a slow one.
    const double documentSpeed = 1.0 + 0.002 * rnd.Normal();
    const double step = MmPerSample(params.TimeSample, params.SpeedFactor) * documentSpeed;
    const double ripple = params.JitterPercent / 100.0;
    const double wear = std::clamp(params.BeltWear, 0.0, 1.0) * 0.06;
    const double ph1 = rnd.Uniform(0, 2 * Pi), ph2 = rnd.Uniform(0, 2 * Pi), ph3 = rnd.Uniform(0, 2 * Pi);
    const double ph4 = rnd.Uniform(0, 2 * Pi);
    const double p1 = rnd.Uniform(600, 800), p2 = rnd.Uniform(150, 200), p3 = rnd.Uniform(55, 70);
    const double p4 = rnd.Uniform(420, 480);

    const double amplitude = FullScaleSteps * GainPercent(params) / 100.0 / SampledPeakFactor;
    const double sigma = PulseSigmaMm;
    const double reach = 5.0 * sigma;
    const double inv2s2 = 1.0 / (2.0 * sigma * sigma);

    std::vector<uint8_t> samples;
    samples.reserve(std::min<size_t>(MaxSamples, static_cast<size_t>((doc.LengthMm + 5.0) / step) + 2));
    double u = -LeadInMm;
    size_t first = 0; // first flux step that may still reach the head
    const double end = doc.LengthMm + LeadOutMm;
    for (size_t n = 0; u < end && samples.size() < MaxSamples; ++n) {
        while (first < ink.size() && ink[first].Mm < u - reach)
            ++first;
        double flux = 0.0;
        for (size_t k = first; k < ink.size() && ink[k].Mm <= u + reach; ++k) {
            const double d = u - ink[k].Mm;
            flux += ink[k].Height * std::exp(-d * d * inv2s2);
        }
        const double v = QuietLevel + amplitude * flux + params.NoiseSteps * rnd.Normal();
        samples.push_back(static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)));
        const double x = static_cast<double>(n);
        const double speed = 1.0 + ripple * (0.5 * std::sin(2 * Pi * x / p1 + ph1) + 0.3 * std::sin(2 * Pi * x / p2 + ph2) +
                                             0.2 * std::sin(2 * Pi * x / p3 + ph3)) +
                             wear * std::sin(2 * Pi * x / p4 + ph4);
        u += step * speed;
    }
    if (!e13b && !samples.empty())
        samples[0] = NoE13bInkMark;
    return samples;
}

std::vector<uint8_t> BeltSignal(const HeadParams& params, bool magnetised, size_t count)
{
    DocRandom rnd(DocRandom::Mix(params.Seed, 0xBE17));
    std::vector<uint8_t> samples(count);
    const double period = rnd.Uniform(1200.0, 1600.0);
    const double phase = rnd.Uniform(0.0, period);
    for (size_t i = 0; i < count; ++i) {
        double v = QuietLevel + params.NoiseSteps * rnd.Normal();
        if (magnetised) {
            // A magnetised spot on the belt passes the head once a turn.
            const double d = std::fmod(static_cast<double>(i) + phase, period) - period / 2.0;
            v += 34.0 * (d / 6.0) * std::exp(0.5 - d * d / 72.0);
        }
        samples[i] = static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
    }
    return samples;
}

} // namespace head
