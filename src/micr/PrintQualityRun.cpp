#include "micr/PrintQualityRun.h"

#include <QDateTime>
#include <QDir>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/Operator.h"
#include "core/ReplyCodes.h"
#include "micr/HeadFeed.h"
#include "micr/SignalBuffer.h"
#include "micr/SignalPlots.h"
#include "vnapi/VnCodes.h"

namespace bench {

namespace {

constexpr int32_t AxisRow = 16;
constexpr int32_t AxisColumn = 28;
constexpr int32_t BarPitch = 12;
constexpr int32_t BarWidth = 8;
constexpr double TopPercent = 270.0;
// Palette indexes of the 3-3-2 cube: green and red.
constexpr uint8_t BarOk = 20;
constexpr uint8_t BarOut = 224;

std::string ReferenceCodeline(const BenchState& state)
{
    const auto& base = state.Settings.CodelineBase;
    return std::string(base.data(), qstrnlen(base.data(), base.size()));
}

void ShowReport(Operator& op, const PrintQualityReport& report, const std::string& codeline, int document,
                std::vector<std::string>& csvRows, const std::string& run)
{
    DocumentShow show;
    show.DocumentNumber = static_cast<uint32_t>(document);
    // The summary first: a text window shows only its first strips.
    show.Text1 = QStringLiteral("MICR Print Quality - document %1 - %2")
                     .arg(document)
                     .arg(QString::fromStdString(PrintQualitySummaryLine(report.Summary)));
    show.Text2 = QString::fromLatin1(codeline.c_str());
    for (const std::string& line : PrintQualityLines(report))
        show.MoreTexts.push_back(QString::fromLatin1(line.c_str()));
    op.ShowDocumentImages(show);
    if (const auto plot = MakePrintQualityPlot(report))
        op.ShowImage(QStringLiteral("Bitmap MICR Print Quality - %1").arg(QString::fromStdString(
                         PrintQualitySummaryLine(report.Summary))),
                     *plot, false);
    for (std::string& row : PrintQualityCsvRows(report, run, document))
        csvRows.push_back(std::move(row));
}

} // namespace

int32_t PrintQualityPlotRow(double percent)
{
    return AxisRow + static_cast<int32_t>(std::lround(std::clamp(percent, 0.0, TopPercent)));
}

std::optional<PackedBitmap> MakePrintQualityPlot(const PrintQualityReport& report)
{
    const size_t bars = std::max<size_t>(report.Characters.size(), 1);
    int32_t width = AxisColumn + 8 + static_cast<int32_t>(bars) * BarPitch + 8;
    width = (width + 3) / 4 * 4;
    std::optional<PackedBitmap> bitmap = AllocateSignalBitmap(PrintQualityPlotHeight, width);
    if (!bitmap || !NewSignalBitmap(*bitmap, PrintQualityPlotHeight, width))
        return std::nullopt;
    PackedBitmap& b = *bitmap;
    for (int32_t x = AxisColumn; x < width; ++x) {
        SetPlotPixel(b, PrintQualityPlotRow(100.0), x, PlotColor::WidthGrid);
        SetPlotPixel(b, PrintQualityPlotRow(PrintLowPercent), x, PlotColor::Reference);
        SetPlotPixel(b, PrintQualityPlotRow(PrintHighPercent), x, PlotColor::Reference);
        SetPlotPixel(b, AxisRow, x, PlotColor::Black);
    }
    for (int32_t y = AxisRow; y < PrintQualityPlotHeight; ++y)
        SetPlotPixel(b, y, AxisColumn, PlotColor::Black);
    DrawPlotText(b, 8, PrintQualityPlotRow(PrintLowPercent) - 4, "50", false);
    DrawPlotText(b, 4, PrintQualityPlotRow(100.0) - 4, "100", false);
    DrawPlotText(b, 2, PrintQualityPlotRow(PrintHighPercent) - 4, "200", false);
    for (size_t k = 0; k < report.Characters.size(); ++k) {
        const CharacterQuality& c = report.Characters[k];
        const int32_t left = AxisColumn + 8 + static_cast<int32_t>(k) * BarPitch;
        if (!c.Measured) {
            for (int32_t d = 0; d < BarWidth; ++d) {
                SetPlotPixel(b, AxisRow + 2 + d, left + d, PlotColor::Black);
                SetPlotPixel(b, AxisRow + 2 + d, left + BarWidth - 1 - d, PlotColor::Black);
            }
            continue;
        }
        const uint8_t colour = c.Verdict == PrintVerdict::Ok ? BarOk : BarOut;
        for (int32_t y = AxisRow + 1; y <= PrintQualityPlotRow(c.Percent); ++y)
            for (int32_t x = left; x < left + BarWidth; ++x)
                SetPlotPixel(b, y, x, colour);
        if (c.Verdict == PrintVerdict::Reject) // read as a reject, signal in the window
            for (int32_t x = left; x < left + BarWidth; ++x)
                SetPlotPixel(b, PrintQualityPlotRow(c.Percent) + 2, x, PlotColor::Black);
    }
    return bitmap;
}

bool AppendPrintQualityCsv(const std::string& path, const std::vector<std::string>& rows)
{
    std::string content;
    {
        std::ifstream old(path, std::ios::binary);
        if (old) {
            std::ostringstream all;
            all << old.rdbuf();
            content = all.str();
        }
    }
    if (content.empty())
        content = std::string(PrintQualityCsvHeader()) + "\n";
    else if (content.back() != '\n')
        content += '\n';
    for (const std::string& row : rows)
        content += row + "\n";
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::vector<PrintQualityDocument> RunPrintQuality(Bench& bench)
{
    std::vector<PrintQualityDocument> documents;
    Operator& op = bench.Op;
    MenusGreyed greyed(op);
    if (!OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops).Proceed)
        return documents;
    const std::string run =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toStdString();
    const std::string reference = ReferenceCodeline(bench.State);
    std::vector<std::string> csvRows;
    const uint16_t unit = bench.State.UnitHandle;
    while (true) {
        if (ReportReply(op, FeedForSignal(bench), "Varn_DocHandle"))
            break;
        char text[256] = {};
        uint16_t length = sizeof text;
        if (ReportReply(op, bench.Api.Varn_ReadCodeline(unit, bench.Window, text, &length, nullptr, nullptr, nullptr,
                                                        nullptr),
                        "Varn_ReadCodeline"))
            break;
        const SignalBuffer buffer = NewSignalBuffer();
        if (!buffer) {
            ReportReply(op, VnReplySystemError, "Error");
            break;
        }
        uint32_t delivered = SignalBufferSize;
        if (ReportReply(op, bench.Api.Varn_ReadE13BSignal(unit, bench.Window, buffer.get(), &delivered),
                        "Varn_ReadE13BSignal"))
            break;
        PrintQualityDocument doc;
        doc.Codeline.assign(text, qstrnlen(text, sizeof text));
        doc.Report = AnalysePrintQuality(buffer.get(), std::min(delivered, SignalBufferSize), doc.Codeline, reference);
        ShowReport(op, doc.Report, doc.Codeline, static_cast<int>(documents.size()) + 1, csvRows, run);
        documents.push_back(std::move(doc));
        if (!DocumentInFeeder(bench))
            break;
        op.PumpEvents();
    }
    CloseUnit(bench);
    // The export is skipped without a message when the folder cannot be made.
    if (!csvRows.empty() && QDir().mkpath(QString::fromStdString(bench.State.ProgramFolder + "Dati")))
        AppendPrintQualityCsv(bench.State.ProgramFolder + PrintQualityCsvPath, csvRows);
    return documents;
}

} // namespace bench
