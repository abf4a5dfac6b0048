// "MICR Print &Quality": every document in the feeder is read as "&View
// Signal" reads it, its characters judged (PrintQuality.h), the report shown
// in a text child window and a bar plot, and appended to the export file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "micr/PrintQuality.h"
#include "vnapi/PackedBitmap.h"

struct Bench;

namespace bench {

inline constexpr const char* PrintQualityCsvPath = "Dati/MicrQuality.csv";
constexpr int32_t PrintQualityPlotHeight = 300;

struct PrintQualityDocument {
    std::string Codeline;
    PrintQualityReport Report;
};

// The bar plot: one bar per character, its signal in percent one row a
// percent above the axis (clipped at the top), green inside the window, red
// outside it, a black tick for a reject; the 50 % and 200 % lines.
std::optional<PackedBitmap> MakePrintQualityPlot(const PrintQualityReport& report);
// Row of the plot for a percentage.
int32_t PrintQualityPlotRow(double percent);

// Appends rows to the file at path, the header first when the file is new,
// through a temporary file renamed into place. False when it cannot be
// written; the file then stays as it was.
bool AppendPrintQualityCsv(const std::string& path, const std::vector<std::string>& rows);

// The whole command; the reports of the documents read, in order.
std::vector<PrintQualityDocument> RunPrintQuality(Bench& bench);

} // namespace bench
