// An image child window with a 300 dpi colour cheque (2100 x 1000, 24 bits):
// the cost of one scroll step with its paint, of a zoom change with its
// paint, of a fitted repaint and of making a window. Offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <memory>

#include "core/BenchState.h"
#include "app/FrameWindow.h"
#include "views/ChildWindows.h"
#include "views/ImageChild.h"
#include "vnapi/PackedBitmap.h"
#include "vnapi/VnApi.h"

namespace {

std::unique_ptr<PackedBitmap> Cheque()
{
    auto dib = PackedBitmap::Create(2100, 1000, 24, 300);
    for (int32_t r = 0; r < dib->Height(); ++r) {
        uint8_t* row = dib->Row(r);
        for (int32_t x = 0; x < dib->Width(); ++x) {
            row[3 * x] = static_cast<uint8_t>(x * 7 + r);
            row[3 * x + 1] = static_cast<uint8_t>(r * 3);
            row[3 * x + 2] = static_cast<uint8_t>((x ^ r) & 0xFF);
        }
    }
    return dib;
}

// One frame with the cheque windows, shared by the benchmarks.
struct ChequeWindow {
    BenchState State;
    std::unique_ptr<VnApi> Api = CreateNoUnitApi();
    std::unique_ptr<FrameWindow> Frame;
    std::unique_ptr<PackedBitmap> Dib = Cheque();

    ImageChild* Show(bool fit)
    {
        if (!Frame) {
            State.ProgramFolder = "/tmp/";
            Frame = std::make_unique<FrameWindow>(State, *Api);
            Frame->show();
        }
        Frame->ImageWindows().ShowImage("cheque", *Dib, fit);
        QCoreApplication::processEvents();
        QMdiSubWindow* sub = Frame->MdiClient()->activeSubWindow();
        return sub ? qobject_cast<ImageChild*>(sub->widget()) : nullptr;
    }
};

// Made and destroyed in main(), while the application exists.
ChequeWindow* SharedWindow = nullptr;
ChequeWindow& Shared() { return *SharedWindow; }

void ScrollStep(benchmark::State& state, Qt::Orientation orientation, ScrollAction forward, ScrollAction back)
{
    ImageChild* child = Shared().Show(false);
    if (!child) {
        state.SkipWithError("no window");
        return;
    }
    const ImageChildRecord& r = child->Record();
    bool ahead = true;
    for (auto _ : state) {
        // Forward to the end, then back to the start, and so on.
        const int32_t position = orientation == Qt::Horizontal ? r.ScrollX : r.ScrollY;
        const int32_t maximum = orientation == Qt::Horizontal ? r.ScrollMaxX : r.ScrollMaxY;
        if (position >= maximum)
            ahead = false;
        else if (position <= 0)
            ahead = true;
        child->OnScroll(orientation, ahead ? forward : back);
    }
    state.counters["visible_w"] = r.ClientWidth;
    state.counters["visible_h"] = r.ClientHeight;
    state.counters["line_step"] = orientation == Qt::Horizontal ? r.LineStepX : r.LineStepY;
}

void BM_ScrollLineHorizontal(benchmark::State& state)
{
    ScrollStep(state, Qt::Horizontal, ScrollAction::LineForward, ScrollAction::LineBack);
}
BENCHMARK(BM_ScrollLineHorizontal)->Unit(benchmark::kMicrosecond);

void BM_ScrollLineVertical(benchmark::State& state)
{
    ScrollStep(state, Qt::Vertical, ScrollAction::LineForward, ScrollAction::LineBack);
}
BENCHMARK(BM_ScrollLineVertical)->Unit(benchmark::kMicrosecond);

void BM_ScrollPageHorizontal(benchmark::State& state)
{
    ScrollStep(state, Qt::Horizontal, ScrollAction::PageForward, ScrollAction::PageBack);
}
BENCHMARK(BM_ScrollPageHorizontal)->Unit(benchmark::kMicrosecond);

// A zoom change: layout at the new zoom about the centre, then the whole
// window painted at once.
void BM_ZoomChangeAndPaint(benchmark::State& state)
{
    ImageChild* child = Shared().Show(false);
    if (!child) {
        state.SkipWithError("no window");
        return;
    }
    const int zooms[] = {100, static_cast<int>(state.range(0))};
    size_t i = 0;
    for (auto _ : state) {
        child->ApplyZoom(zooms[i++ % 2]);
        child->repaint();
    }
}
BENCHMARK(BM_ZoomChangeAndPaint)->Arg(50)->Arg(250)->Arg(800)->Unit(benchmark::kMicrosecond);

// For comparison with a scroll step: the whole window painted at 100 %, as a
// scroll that did not move the pixels on screen would have to.
void BM_FullRepaintAtNormal(benchmark::State& state)
{
    ImageChild* child = Shared().Show(false);
    if (!child) {
        state.SkipWithError("no window");
        return;
    }
    for (auto _ : state)
        child->repaint();
}
BENCHMARK(BM_FullRepaintAtNormal)->Unit(benchmark::kMicrosecond);

// The fitted picture painted whole: the scaled-down draw.
void BM_FitRepaint(benchmark::State& state)
{
    ImageChild* child = Shared().Show(true);
    if (!child) {
        state.SkipWithError("no window");
        return;
    }
    for (auto _ : state)
        child->repaint();
}
BENCHMARK(BM_FitRepaint)->Unit(benchmark::kMicrosecond);

// A new window for the cheque: conversion, copy, layout, first paint (the
// ring closes the oldest once twelve are open).
void BM_CreateWindow(benchmark::State& state)
{
    ChequeWindow& bench = Shared();
    bench.Show(false);
    for (auto _ : state) {
        bench.Frame->ImageWindows().ShowImage("cheque", *bench.Dib, false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_CreateWindow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    auto window = std::make_unique<ChequeWindow>();
    SharedWindow = window.get();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    window.reset();
    return 0;
}
