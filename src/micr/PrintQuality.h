// MICR print quality: the magnetic signal of every E13B character of a
// codeline against the signal a perfectly printed character gives, and its
// place against the 0.125 in pitch. Printers are judged by the 50 % to
// 200 % window of bank practice. Qt-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

enum class PrintVerdict { Ok, Low, High, Reject };

constexpr double PrintLowPercent = 50.0;   // under this: LOW
constexpr double PrintHighPercent = 200.0; // over this: HIGH
// One 0.125 in pitch in samples at the nominal time sample and speed.
constexpr double NominalSamplesPerPitch = 112.0;

// Peak, in steps from the quiet level 128, of a perfectly printed character
// at 100 % gain; 0 for a character that is no E13B character.
double NominalPeakSteps(char symbol);

// "OK" when 50 <= percent <= 200, "LOW" under, "HIGH" over.
PrintVerdict VerdictForPercent(double percent);
const char* VerdictText(PrintVerdict verdict);

struct CharacterQuality {
    int Position = 0;          // in the codeline, from 1 at its left (spaces count)
    char Symbol = 0;           // as read; '!' for a reject
    bool Measured = false;     // false: a reject with nothing to measure it against
    char MeasuredAs = 0;       // the character whose nominal it was measured against
    int PeakSteps = 0;         // dominant peak, signed, from the quiet level
    bool Clipped = false;      // the peak reached 0 or 255: Percent is a lower bound
    double Percent = 0.0;
    // + later than the line's own 0.125 in grid (fitted to the characters).
    double PitchErrorInch = 0.0;
    PrintVerdict Verdict = PrintVerdict::Reject;
};

struct PrintQualitySummary {
    int Characters = 0;
    int Lows = 0;
    int Highs = 0;
    int Rejects = 0;
    double MeanPercent = 0.0; // over the measured characters
};

struct PrintQualityReport {
    std::vector<CharacterQuality> Characters; // codeline order, left to right
    PrintQualitySummary Summary;
};

// The signal as Varn_ReadE13BSignal delivers it (count samples) and the
// codeline read from it. A reject ('!') is measured only when expected (the
// codeline the document was printed with, same length) names the character:
// then LOW or HIGH when its signal is out of the window, else REJECT.
PrintQualityReport AnalysePrintQuality(const uint8_t* samples, size_t count, const std::string& codeline,
                                       const std::string& expected = {},
                                       double samplesPerPitch = NominalSamplesPerPitch);

// Text report: a heading, one line per character, the summary line.
std::vector<std::string> PrintQualityLines(const PrintQualityReport& report);
std::string PrintQualitySummaryLine(const PrintQualitySummary& summary);

// Rows of the export file: the header, and one row per character of a run.
const char* PrintQualityCsvHeader();
std::vector<std::string> PrintQualityCsvRows(const PrintQualityReport& report, const std::string& run, int document);

} // namespace bench
