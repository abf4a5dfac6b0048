// A 1,000-document automatic run through the bench's own run on the virtual
// unit: "View Image" off, images saved by the unit as JPEG, MICR read.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "core/BenchState.h"
#include "documents/AutoDocRun.h"
#include "core/Operator.h"
#include "vnapi/VirtualUnitTestApi.h"

namespace {

// The operator of a run nobody watches.
class SilentOperator : public Operator {
public:
    MessageAnswer Message(const QString&, const QString& text, MessageButtons, MessageIcon) override
    {
        LastMessage = text;
        return MessageAnswer::Ok;
    }
    void Beep() override {}
    void Tone(int, int) override {}
    int Exec(QDialog&) override { return 0; }
    void PumpEvents() override { QCoreApplication::processEvents(); }
    void SetBusyCursor(bool) override {}
    void EnableMainMenu(bool) override {}
    void CloseAllChildren() override {}
    int ShowDocumentImages(const DocumentShow&) override { return 0; }
    void ShowImage(const QString&, const PackedBitmap&, bool) override {}
    void ShowStatus(const QString&) override {}
    QString LastMessage;
};

void AutomaticRun(benchmark::State& benchState)
{
    const uint32_t documents = static_cast<uint32_t>(benchState.range(0));
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("Images");
    for (auto _ : benchState) {
        benchState.PauseTiming();
        VirtualUnitSetup setup = TestUnitSetup(5);
        setup.GeneratedCheques = documents;
        VirtualUnitPair unit = CreateVirtualUnit(setup);
        BenchState state;
        state.ProgramFolder = dir.path().toStdString() + "/";
        state.ViewImageOption = 0;
        auto& s = state.Settings;
        s.CodelineType = 1;
        s.DocDestination = 1;
        s.DocumentCount = 0;
        s.SaveImageMode = 6;
        s.SaveImageFormat = 10;
        SilentOperator op;
        Bench bench{state, *unit.Api, op};
        unit.Api->VnConnect(nullptr, nullptr, 40, &state.UnitHandle);
        benchState.ResumeTiming();

        const int32_t status = RunAutoDocHandle(bench);

        benchState.PauseTiming();
        const auto fed = unit.Control.State().DocumentsFed;
        unit.Api->VnDisconnect(state.UnitHandle, nullptr);
        if (status != 1 || fed != documents)
            benchState.SkipWithError("the run did not feed the whole stack");
        benchState.ResumeTiming();
    }
    benchState.counters["docs/s"] =
        benchmark::Counter(static_cast<double>(documents) * benchState.iterations(), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(AutomaticRun)->Arg(1000)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
