#include "docs/MicrDecoder.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "docs/MagneticSignal.h"
#include "docs/MicrGlyphs.h"
#include "vnapi/ByteOrder.h"
#include "vnapi/MicrSymbols.h"

namespace micr {

namespace {

// Levels as fractions of a full-height flux step at 100 % gain.
constexpr double ActivityLevel = 0.05; // eight noise deviations
constexpr double LeadLevel = 0.10;     // a leading step the reader syncs on
constexpr double MinCorrelation = 0.93;
constexpr double MinMargin = 0.08;
constexpr double MinAmplitude = 0.5;
constexpr double MaxAmplitude = 2.0;

struct Signal {
    std::vector<float> X; // (sample - 128) / full scale
    double MmPerSample = 0.0;

    long Size() const { return static_cast<long>(X.size()); }
    float At(long i) const { return i >= 0 && i < Size() ? X[static_cast<size_t>(i)] : 0.0f; }
};

Signal Normalise(const uint8_t* samples, size_t count, size_t from, const ReaderParams& params)
{
    Signal s;
    s.MmPerSample = head::MmPerSample(params.TimeSample);
    s.X.resize(count > from ? count - from : 0);
    for (size_t i = from; i < count; ++i)
        s.X[i - from] = static_cast<float>((samples[i] - head::QuietLevel) / head::FullScaleSteps);
    return s;
}

// Top of the positive pulse that starts at i (climb while rising), refined
// to a fraction of a sample by a parabola through its neighbours.
double PulseTop(const Signal& s, long i)
{
    while (i + 1 < s.Size() && s.At(i + 1) >= s.At(i))
        ++i;
    const double a = s.At(i - 1), b = s.At(i), c = s.At(i + 1);
    const double den = a - 2.0 * b + c;
    double offset = den < 0.0 ? 0.5 * (a - c) / den : 0.0;
    offset = std::clamp(offset, -0.5, 0.5);
    return static_cast<double>(i) + offset;
}

bool QuietBetween(const Signal& s, long from, long to)
{
    for (long i = std::max(0L, from); i < std::min(s.Size(), to); ++i)
        if (std::fabs(s.At(i)) >= ActivityLevel)
            return false;
    return true;
}

bool ActiveBetween(const Signal& s, long from, long to) { return !QuietBetween(s, from, to); }

// A leading step: the first sample over the lead level in [from, to] with
// the inter-character gap quiet before it.
bool FindLead(const Signal& s, long from, long to, double gap, double* top)
{
    for (long i = std::max(1L, from); i <= std::min(s.Size() - 2, to); ++i) {
        if (s.At(i) < LeadLevel)
            continue;
        // The pulse starts a few samples before the threshold is passed.
        const long rise = static_cast<long>(std::ceil(2.5 * head::PulseSigmaMm / s.MmPerSample));
        if (!QuietBetween(s, i - rise - static_cast<long>(gap), i - rise))
            return false;
        *top = PulseTop(s, i);
        return true;
    }
    return false;
}

struct Match {
    char Symbol = micr::Reject;
    double Correlation = 0.0;
    double Amplitude = 0.0;
    double Second = 0.0;
};

// Correlates the samples of one character cell, whose leading step tops at
// lead, with every glyph's expected waveform over a range of stretches.
Match MatchE13b(const Signal& s, double lead, double moduleSamples)
{
    const double sigma = head::PulseSigmaMm / s.MmPerSample;
    const long reach = static_cast<long>(std::ceil(3.5 * sigma));
    const long first = static_cast<long>(std::floor(lead)) - reach;
    const long last = static_cast<long>(std::ceil(lead + 7.6 * moduleSamples)) + reach;
    const size_t n = static_cast<size_t>(last - first + 1);
    std::vector<double> x(n), t(n);
    double xx = 0.0;
    for (size_t k = 0; k < n; ++k) {
        x[k] = s.At(first + static_cast<long>(k));
        xx += x[k] * x[k];
    }
    Match best;
    double second = 0.0;
    if (xx <= 0.0)
        return best;
    // The pulse shape, tabulated at 1/64 sample.
    constexpr int Steps = 64;
    std::vector<double> pulse(static_cast<size_t>((reach + 2) * Steps + 1));
    for (size_t k = 0; k < pulse.size(); ++k) {
        const double d = static_cast<double>(k) / Steps;
        pulse[k] = std::exp(-d * d / (2.0 * sigma * sigma));
    }
    for (const E13bGlyph& glyph : E13bGlyphs()) {
        const auto steps = E13bFluxSteps(glyph);
        double glyphBest = -1.0, glyphAmplitude = 0.0;
        for (int stretch = -3; stretch <= 3; ++stretch) {
            const double module = moduleSamples * (1.0 + 0.02 * stretch);
            std::fill(t.begin(), t.end(), 0.0);
            for (size_t j = 0; j < steps.size(); ++j) {
                if (steps[j] == 0)
                    continue;
                const double centre = lead + static_cast<double>(j) * module / 2.0; // half squares
                const double h = steps[j] / double(E13bRows);
                const long lo = std::max(first, static_cast<long>(std::floor(centre)) - reach);
                const long hi = std::min(last, static_cast<long>(std::ceil(centre)) + reach);
                for (long i = lo; i <= hi; ++i) {
                    const double d = std::fabs(static_cast<double>(i) - centre);
                    t[static_cast<size_t>(i - first)] += h * pulse[static_cast<size_t>(d * Steps + 0.5)];
                }
            }
            double xt = 0.0, tt = 0.0;
            for (size_t k = 0; k < n; ++k) {
                xt += x[k] * t[k];
                tt += t[k] * t[k];
            }
            if (tt <= 0.0)
                continue;
            const double c = xt / std::sqrt(xx * tt);
            if (c > glyphBest) {
                glyphBest = c;
                glyphAmplitude = xt / tt;
            }
        }
        if (glyphBest > best.Correlation) {
            second = best.Correlation;
            best.Symbol = glyph.Symbol;
            best.Correlation = glyphBest;
            best.Amplitude = glyphAmplitude;
        } else if (glyphBest > second) {
            second = glyphBest;
        }
    }
    best.Second = second;
    return best;
}

bool Accept(const Match& m)
{
    return m.Correlation >= MinCorrelation && m.Correlation - m.Second >= MinMargin &&
           m.Amplitude >= MinAmplitude && m.Amplitude <= MaxAmplitude;
}

} // namespace

std::string DecodeE13bSignal(const uint8_t* samples, size_t count, const ReaderParams& params)
{
    if (!samples || count == 0 || samples[0] == head::NoE13bInkMark)
        return {};
    const Signal s = Normalise(samples, count, 0, params);
    const double pitchMm = E13bPitchMm;
    double pitch = pitchMm / s.MmPerSample;
    const double gapBefore = 0.8 * E13bModuleMm / s.MmPerSample;

    // The first character: the first leading step of the signal.
    double lead = 0.0;
    bool found = false;
    for (long i = 0; i < s.Size() && !found; ++i)
        if (s.At(i) >= LeadLevel)
            found = FindLead(s, i, i, gapBefore, &lead);
    if (!found)
        return {};

    // The transport need not run at its nominal speed: the pitch is taken
    // from the spacing of the leading steps of neighbouring characters.
    {
        std::vector<double> leads, spacings;
        const double module = pitch / (E13bPitchMm / E13bModuleMm);
        for (long i = 0; i < s.Size(); ++i) {
            double top = 0.0;
            if (s.At(i) >= LeadLevel && FindLead(s, i, i, gapBefore, &top)) {
                leads.push_back(top);
                i = static_cast<long>(top + 6.0 * module);
            }
        }
        for (size_t k = 1; k < leads.size(); ++k) {
            const double d = leads[k] - leads[k - 1];
            if (d > 0.8 * pitch && d < 1.25 * pitch)
                spacings.push_back(d);
        }
        if (spacings.size() >= 3) {
            std::nth_element(spacings.begin(), spacings.begin() + static_cast<long>(spacings.size() / 2), spacings.end());
            pitch = spacings[spacings.size() / 2];
        }
    }

    // Read from the document's right edge: characters come last first. Each
    // cell is looked for on the pitch grid; a leading step right after a
    // character needs the inter-character gap quiet before it, one after
    // empty positions a much longer quiet, so that a step inside a glyph
    // that lost the grid is not taken for a new character.
    const double moduleRatio = E13bPitchMm / E13bModuleMm;
    std::string reversed;
    bool anchored = true;
    while (true) {
        const double module = pitch / moduleRatio;
        if (anchored) {
            const Match m = MatchE13b(s, lead, module);
            reversed += Accept(m) ? m.Symbol : Reject;
        } else {
            reversed += Reject;
        }
        bool more = false;
        for (int k = 1; k <= 64; ++k) {
            const double predicted = lead + k * pitch;
            const double quiet = k > 1 ? 2.5 * module : anchored ? gapBefore : 2.1 * module;
            double next = 0.0;
            if (FindLead(s, static_cast<long>(predicted - 2.0 * module), static_cast<long>(predicted + 2.0 * module),
                         quiet, &next)) {
                if (k == 1 && anchored)
                    pitch = 0.8 * pitch + 0.2 * (next - lead);
                reversed.append(static_cast<size_t>(k - 1), ' ');
                lead = next;
                anchored = true;
                more = true;
                break;
            }
            // The middle of a cell: a stretched character before it may run
            // a little into the cell, but every glyph has ink in its middle.
            const long middle = static_cast<long>(predicted + 1.5 * module);
            if (!ActiveBetween(s, middle, s.Size()))
                break;
            if (ActiveBetween(s, middle, static_cast<long>(predicted + 7.5 * module))) {
                // A character too weak or too distorted to sync on.
                reversed.append(static_cast<size_t>(k - 1), ' ');
                lead = predicted;
                anchored = false;
                more = true;
                break;
            }
        }
        if (!more)
            break;
    }
    while (!reversed.empty() && reversed.back() == ' ')
        reversed.pop_back();
    return std::string(reversed.rbegin(), reversed.rend());
}

// ---- CMC7 ------------------------------------------------------------------

namespace {

constexpr double StrokeLevel = 0.2;

struct Cmc7Char {
    char Symbol = Reject;
    std::array<double, 6> Gaps{};
    int Strokes = 0;
    int Quality = 0;
};

// Expected distance between stroke centres, in mm.
constexpr double ShortSpan = Cmc7StrokeMm + Cmc7ShortGapMm;
constexpr double LongSpan = Cmc7StrokeMm + Cmc7LongGapMm;

Cmc7Char ClassifyCmc7(const std::vector<double>& centres, double mmPerSample)
{
    Cmc7Char c;
    c.Strokes = static_cast<int>(centres.size());
    if (centres.size() != Cmc7Strokes)
        return c;
    // Read order runs right to left; gap i counts from the left.
    double total = 0.0;
    for (int i = 0; i < 6; ++i) {
        c.Gaps[static_cast<size_t>(i)] = centres[static_cast<size_t>(6 - i)] - centres[static_cast<size_t>(5 - i)];
        total += c.Gaps[static_cast<size_t>(i)];
    }
    // Stretch-free: scale the gaps so that they add up to a character.
    const double expected = 4 * ShortSpan + 2 * LongSpan;
    if (total <= 0.0)
        return c;
    const double scale = expected / total;
    if (std::fabs(total * mmPerSample / expected - 1.0) > 0.10)
        return c;
    double bestErr = 1e9, secondErr = 1e9, worst = 0.0;
    char best = Reject;
    for (const Cmc7Glyph& g : Cmc7Glyphs()) {
        double err = 0.0, w = 0.0;
        for (int i = 0; i < 6; ++i) {
            const double e = (g.LongGaps >> i) & 1u ? LongSpan : ShortSpan;
            const double d = c.Gaps[static_cast<size_t>(i)] * scale - e;
            err += d * d;
            w = std::max(w, std::fabs(d));
        }
        if (err < bestErr) {
            secondErr = bestErr;
            bestErr = err;
            best = g.Symbol;
            worst = w;
        } else if (err < secondErr) {
            secondErr = err;
        }
    }
    // Short and long spans differ by 0.2 mm; a gap off by more than 0.07 mm
    // is ambiguous.
    c.Quality = static_cast<int>(std::clamp(100.0 * (1.0 - worst / 0.1), 0.0, 100.0));
    if (worst <= 0.07 && secondErr - bestErr >= 0.02)
        c.Symbol = best;
    return c;
}

} // namespace

std::string DecodeCmc7Signal(const uint8_t* samples, size_t count, const ReaderParams& params,
                             std::array<uint8_t, Cmc7DataSize>* data)
{
    if (data)
        data->fill(0);
    if (!samples || count == 0)
        return {};
    // A CMC7 document is no E13B document: its signal carries the mark.
    const size_t from = samples[0] == head::NoE13bInkMark ? 1 : 0;
    const Signal s = Normalise(samples, count, from, params);

    // Strokes: a positive step followed closely by a negative one.
    std::vector<double> strokes;
    const long within = static_cast<long>(std::ceil(2.5 * Cmc7StrokeMm / s.MmPerSample));
    for (long i = 1; i + 1 < s.Size(); ++i) {
        if (s.At(i) < StrokeLevel || s.At(i) < s.At(i - 1) || s.At(i) < s.At(i + 1))
            continue;
        long j = i + 1;
        long low = -1;
        for (; j <= i + within && j < s.Size(); ++j)
            if (s.At(j) <= -StrokeLevel && s.At(j) <= s.At(j - 1) && s.At(j) <= s.At(j + 1)) {
                low = j;
                break;
            }
        if (low < 0)
            continue;
        strokes.push_back(0.5 * (PulseTop(s, i) + static_cast<double>(low)));
        i = low;
    }

    // Characters on the pitch grid. A cell starts at its first stroke, which
    // follows the space between characters; when that stroke is missing the
    // cell starts where the grid says. A cell holds every stroke up to the
    // next cell, so no stroke of one character can pass for another's.
    std::vector<Cmc7Char> chars; // read order
    if (!strokes.empty()) {
        // The transport's true speed, from the spacing of characters: the
        // first strokes after a space between characters.
        double pitch = Cmc7PitchMm / s.MmPerSample;
        std::vector<double> spacings;
        double previousStart = -1.0;
        for (size_t i = 0; i < strokes.size(); ++i) {
            if (i > 0 && strokes[i] - strokes[i - 1] <= 0.78 / s.MmPerSample)
                continue;
            const double d = strokes[i] - previousStart;
            if (previousStart >= 0.0 && d > 0.8 * pitch && d < 1.25 * pitch)
                spacings.push_back(d);
            previousStart = strokes[i];
        }
        if (spacings.size() >= 3) {
            std::nth_element(spacings.begin(), spacings.begin() + static_cast<long>(spacings.size() / 2), spacings.end());
            pitch = spacings[spacings.size() / 2];
        }
        const double mmPerSample = Cmc7PitchMm / pitch; // as the document moved
        const double snap = 0.25 / mmPerSample;
        const double space = 0.78 / mmPerSample;
        double anchor = strokes.front();
        size_t next = 0;
        while (true) {
            std::vector<double> group;
            while (next < strokes.size() && strokes[next] < anchor + pitch - snap) {
                // A fast stretch of the feed brings the next character early:
                // after seven strokes, a stroke after a space starts it.
                if (group.size() >= Cmc7Strokes && strokes[next] - group.back() > space)
                    break;
                if (strokes[next] >= anchor - snap)
                    group.push_back(strokes[next]);
                ++next;
            }
            chars.push_back(ClassifyCmc7(group, mmPerSample));
            if (next >= strokes.size())
                break;
            const double first = strokes[next];
            const long cells = std::max(1L, std::lround((first - anchor) / pitch));
            const double predicted = anchor + static_cast<double>(cells) * pitch;
            const bool afterSpace = next == 0 || first - strokes[next - 1] > space;
            double newAnchor = predicted;
            if (std::fabs(first - predicted) <= snap || afterSpace)
                newAnchor = first;
            if (cells == 1 && std::fabs(first - predicted) <= snap)
                pitch = 0.8 * pitch + 0.2 * (first - anchor);
            for (long b = 1; b < cells && b < 64; ++b) {
                Cmc7Char blank;
                blank.Symbol = ' ';
                chars.push_back(blank);
            }
            anchor = newAnchor;
        }
    }

    std::string text;
    for (auto it = chars.rbegin(); it != chars.rend(); ++it)
        text += it->Symbol;

    if (data) {
        uint8_t* d = data->data();
        size_t written = 0;
        size_t offset = 4;
        for (auto it = chars.rbegin(); it != chars.rend() && offset + 8 <= Cmc7DataSize; ++it) {
            if (it->Symbol == ' ')
                continue;
            d[offset] = static_cast<uint8_t>(it->Symbol);
            for (int g = 0; g < 6; ++g)
                d[offset + 1 + static_cast<size_t>(g)] =
                    static_cast<uint8_t>(std::clamp(std::lround(it->Gaps[static_cast<size_t>(g)]), 0L, 255L));
            d[offset + 7] = static_cast<uint8_t>(it->Quality);
            offset += 8;
            ++written;
        }
        le::WriteU16(d, static_cast<uint16_t>(written));
        le::WriteU16(d + 2, static_cast<uint16_t>(std::min<size_t>(strokes.size(), 65535)));
    }
    return text;
}

} // namespace micr
