#include "micr/PrintQuality.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace bench {

namespace {

// Nominal peaks. The head sees the change of flux as it crosses a character,
// so the dominant peak of a character comes from its largest flux step: the
// most inked squares (of the nine rows) gained or lost at one vertical edge
// of the glyph, read off the virtual unit's E13B glyph drawings. At 100 %
// gain a full nine-square step gives 102.4 steps (1.32 V at 3.3 V / 256 a
// step), so the nominal is that step / 9 x 102.4. Neighbouring edges are at
// least half a square (2.3 head pulse widths) apart; simulating every
// glyph's waveform with the head's pulse changes no nominal by 0.1 step.
struct Nominal {
    char Symbol;
    int LargestStepSquares;
};
constexpr Nominal NominalSteps[] = {
    {'0', 9}, {'1', 9}, {'2', 7}, {'3', 6}, {'4', 9}, {'5', 6}, {'6', 9},
    {'7', 9}, {'8', 5}, {'9', 9}, {'T', 9}, {'U', 5}, {'$', 9}, {'-', 5},
};
constexpr double FullStepSteps = 102.4;
constexpr int QuietLevel = 128;

// A character's leading edge: the first sample this far above the quiet
// level after QuietRun samples within it (eight noise deviations would do;
// this also finds the weakest leading step of a 30 % print).
constexpr int LeadSteps = 8;
constexpr long QuietRun = 6;
constexpr long SpanBefore = 6; // the leading pulse rises this far before its top

int Deviation(const uint8_t* s, long i) { return static_cast<int>(s[i]) - QuietLevel; }

bool IsLead(const uint8_t* s, long count, long i)
{
    if (i < QuietRun || i >= count || Deviation(s, i) < LeadSteps)
        return false;
    for (long k = 1; k <= QuietRun; ++k)
        if (std::abs(Deviation(s, i - k)) >= LeadSteps)
            return false;
    return true;
}

// The top of the leading pulse, where the threshold is first passed: its
// place does not depend on how strong the character is.
long FindLead(const uint8_t* s, long count, long from, long to)
{
    for (long i = std::max(0L, from); i <= std::min(count - 1, to); ++i)
        if (IsLead(s, count, i)) {
            while (i + 1 < count && s[i + 1] >= s[i])
                ++i;
            return i;
        }
    return -1;
}

} // namespace

double NominalPeakSteps(char symbol)
{
    for (const Nominal& n : NominalSteps)
        if (n.Symbol == symbol)
            return n.LargestStepSquares * FullStepSteps / 9.0;
    return 0.0;
}

PrintVerdict VerdictForPercent(double percent)
{
    if (percent < PrintLowPercent)
        return PrintVerdict::Low;
    if (percent > PrintHighPercent)
        return PrintVerdict::High;
    return PrintVerdict::Ok;
}

const char* VerdictText(PrintVerdict verdict)
{
    switch (verdict) {
    case PrintVerdict::Ok: return "OK";
    case PrintVerdict::Low: return "LOW";
    case PrintVerdict::High: return "HIGH";
    case PrintVerdict::Reject: break;
    }
    return "REJECT";
}

PrintQualityReport AnalysePrintQuality(const uint8_t* samples, size_t count, const std::string& codeline,
                                       const std::string& expected, double samplesPerPitch)
{
    PrintQualityReport report;
    std::string text = codeline;
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    const bool useExpected = expected.size() >= text.size();
    const long n = samples ? static_cast<long>(std::min<size_t>(count, 1u << 20)) : 0;
    const double pitch = samplesPerPitch > 1.0 ? samplesPerPitch : NominalSamplesPerPitch;

    // The head meets the codeline's last character first: pitch position p
    // (from the right) holds text[size - 1 - p].
    const long first = n > 0 ? FindLead(samples, n, 0, n - 1) : -1;
    const long positions = static_cast<long>(text.size());
    std::vector<long> leads(static_cast<size_t>(positions), -1);
    std::vector<double> predictions(static_cast<size_t>(positions), 0.0);
    double lastLead = static_cast<double>(first);
    long lastPosition = 0;
    for (long p = 0; p < positions && first >= 0; ++p) {
        // Tracked from the last character found, so that the transport's
        // slow drift does not lose the grid.
        const double predicted = lastLead + static_cast<double>(p - lastPosition) * pitch;
        const long lead =
            p == 0 ? first : FindLead(samples, n, std::lround(predicted - pitch / 4), std::lround(predicted + pitch / 4));
        predictions[static_cast<size_t>(p)] = predicted;
        leads[static_cast<size_t>(p)] = lead;
        if (lead >= 0) {
            lastLead = static_cast<double>(lead);
            lastPosition = p;
        }
    }
    // The grid of 0.125 in the line is printed on, fitted robustly (the
    // median slope over every pair of characters found, the median offset):
    // the time sample and the document's speed set the scale and are no
    // print errors, while one misplaced character does not move the grid.
    std::vector<double> slopes, offsets;
    for (size_t i = 0; i < leads.size(); ++i)
        for (size_t j = i + 1; j < leads.size(); ++j)
            if (leads[i] >= 0 && leads[j] >= 0)
                slopes.push_back(static_cast<double>(leads[j] - leads[i]) / static_cast<double>(j - i));
    const auto median = [](std::vector<double>& v) {
        std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    const double scale = slopes.empty() ? pitch : median(slopes);
    for (size_t p = 0; p < leads.size(); ++p)
        if (leads[p] >= 0)
            offsets.push_back(static_cast<double>(leads[p]) - scale * static_cast<double>(p));
    const double offset = offsets.empty() ? static_cast<double>(first) : median(offsets);
    std::vector<CharacterQuality> reversed;
    for (long p = 0; p < positions; ++p) {
        const size_t index = text.size() - 1 - static_cast<size_t>(p);
        const char symbol = text[index];
        const long lead = leads[static_cast<size_t>(p)];
        const double predicted = predictions[static_cast<size_t>(p)];
        if (symbol == ' ')
            continue;
        CharacterQuality c;
        c.Position = static_cast<int>(index) + 1;
        c.Symbol = symbol;
        const char as = symbol == '!' && useExpected ? expected[index] : symbol;
        const double nominal = NominalPeakSteps(as);
        if (first >= 0 && nominal > 0.0) {
            const long at = lead >= 0 ? lead : std::lround(predicted);
            const long from = std::max(0L, at - SpanBefore);
            const long to = std::min(n, at + std::lround(0.8 * pitch));
            long peak = -1;
            for (long i = from; i < to; ++i)
                if (peak < 0 || std::abs(Deviation(samples, i)) > std::abs(Deviation(samples, peak)))
                    peak = i;
            if (peak >= 0) {
                c.Measured = true;
                c.MeasuredAs = as;
                c.PeakSteps = Deviation(samples, peak);
                c.Clipped = samples[peak] == 0 || samples[peak] == 255;
                c.Percent = 100.0 * std::abs(c.PeakSteps) / nominal;
                c.PitchErrorInch = (static_cast<double>(at) - offset - static_cast<double>(p) * scale) / scale * 0.125;
            }
        }
        if (c.Measured)
            c.Verdict = VerdictForPercent(c.Percent);
        if (symbol == '!' && c.Verdict == PrintVerdict::Ok)
            c.Verdict = PrintVerdict::Reject; // in the window, yet the reader could not tell it
        reversed.push_back(c);
    }
    report.Characters.assign(reversed.rbegin(), reversed.rend());

    PrintQualitySummary& s = report.Summary;
    double sum = 0.0;
    int measured = 0;
    for (const CharacterQuality& c : report.Characters) {
        ++s.Characters;
        s.Lows += c.Verdict == PrintVerdict::Low;
        s.Highs += c.Verdict == PrintVerdict::High;
        s.Rejects += c.Verdict == PrintVerdict::Reject;
        if (c.Measured) {
            sum += c.Percent;
            ++measured;
        }
    }
    s.MeanPercent = measured > 0 ? sum / measured : 0.0;
    return report;
}

namespace {

std::string PercentText(const CharacterQuality& c)
{
    if (!c.Measured)
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%s%.1f", c.Clipped ? ">" : "", c.Percent);
    return text;
}

std::string PitchText(const CharacterQuality& c)
{
    if (!c.Measured)
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%+.4f", c.PitchErrorInch);
    return text;
}

} // namespace

std::string PrintQualitySummaryLine(const PrintQualitySummary& s)
{
    char text[160];
    std::snprintf(text, sizeof text, "Characters %d, Low %d, High %d, Reject %d, Mean %.1f %%", s.Characters, s.Lows,
                  s.Highs, s.Rejects, s.MeanPercent);
    return text;
}

std::vector<std::string> PrintQualityLines(const PrintQualityReport& report)
{
    std::vector<std::string> lines;
    lines.push_back("Pos Char  Signal %  Pitch err. in  Verdict");
    for (const CharacterQuality& c : report.Characters) {
        char text[128];
        std::snprintf(text, sizeof text, "%3d   %c   %8s  %13s  %s", c.Position, c.Symbol, PercentText(c).c_str(),
                      PitchText(c).c_str(), VerdictText(c.Verdict));
        lines.push_back(text);
    }
    lines.push_back(PrintQualitySummaryLine(report.Summary));
    return lines;
}

const char* PrintQualityCsvHeader()
{
    return "Run;Document;Position;Character;SignalPercent;Clipped;PitchErrorInch;Verdict";
}

std::vector<std::string> PrintQualityCsvRows(const PrintQualityReport& report, const std::string& run, int document)
{
    std::vector<std::string> rows;
    for (const CharacterQuality& c : report.Characters) {
        char text[200];
        if (c.Measured)
            std::snprintf(text, sizeof text, "%s;%d;%d;%c;%.1f;%d;%.4f;%s", run.c_str(), document, c.Position,
                          c.Symbol, c.Percent, c.Clipped ? 1 : 0, c.PitchErrorInch, VerdictText(c.Verdict));
        else
            std::snprintf(text, sizeof text, "%s;%d;%d;%c;;;;%s", run.c_str(), document, c.Position, c.Symbol,
                          VerdictText(c.Verdict));
        rows.push_back(text);
    }
    return rows;
}

} // namespace bench
