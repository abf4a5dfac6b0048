#include "micr/MicrDisplay.h"

#include "micr/SignalPlots.h"
#include "core/Operator.h"

using namespace bench;

void ShowCalibrationTrace(Operator& op, uint16_t docCount, const uint8_t* samples, uint32_t length, float percent,
                          uint16_t trimmer)
{
    const std::optional<PackedBitmap> trace = MakeCalibrationTrace(samples, length);
    if (trace)
        op.ShowImage(QString::fromStdString(CalibrationTraceCaption(docCount, percent, trimmer)), *trace, false);
}

void ShowSignalView(Operator& op, const uint8_t* samples, size_t capacity)
{
    const std::optional<PackedBitmap> view = MakeSignalView(samples, capacity);
    if (view)
        op.ShowImage(SignalViewCaption(), *view, false);
}

void ShowWidthPlot(Operator& op, CharacterWidths& results, const uint8_t* samples, size_t capacity, size_t basis,
                   const std::function<std::string(const CharacterWidths&)>& caption)
{
    if (basis == 0)
        return;
    const int32_t width = WidthPlotWidth(basis);
    std::optional<PackedBitmap> plot = AllocateSignalBitmap(WidthPlotHeight, width);
    if (!plot || !NewSignalBitmap(*plot, WidthPlotHeight, width))
        return;
    results = MeasureCharacterWidths(samples, capacity, &*plot);
    op.ShowImage(QString::fromStdString(caption(results)), *plot, false);
}
