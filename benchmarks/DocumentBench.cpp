// One document through the virtual unit: front and back drawn and scanned
// in 256 grey levels at 200 dpi, the magnetic signal, the codeline read.
// Target: well under 20 ms a document.
#include <benchmark/benchmark.h>

#include "docs/ChequeGenerator.h"
#include "docs/DocumentRenderer.h"
#include "docs/DocumentScanner.h"
#include "docs/MagneticSignal.h"
#include "docs/MicrDecoder.h"

namespace {

const std::vector<DocumentSpec>& Stack()
{
    static const std::vector<DocumentSpec> stack = DefaultFeeder(1);
    return stack;
}

PrintJob Endorsement()
{
    PrintJob job;
    job.Endorse = true;
    job.EndorseText = "FOR DEPOSIT ONLY %d";
    return job;
}

void BM_FullDocument(benchmark::State& state)
{
    size_t i = 0;
    const PrintJob job = Endorsement();
    for (auto _ : state) {
        const DocumentSpec& doc = Stack()[i++ % Stack().size()];
        DocumentImages images(doc, job);
        ImageHandle front = images.Scan(true, 'F', 5, 1, {});
        ImageHandle back = images.Scan(false, 'B', 5, 1, {});
        const std::vector<uint8_t> signal = head::ReadSignal(doc, {});
        const std::string codeline = doc.Micr == MicrFont::CMC7
                                         ? micr::DecodeCmc7Signal(signal.data(), signal.size(), {})
                                         : micr::DecodeE13bSignal(signal.data(), signal.size(), {});
        benchmark::DoNotOptimize(front);
        benchmark::DoNotOptimize(back);
        benchmark::DoNotOptimize(codeline);
    }
}
BENCHMARK(BM_FullDocument)->Unit(benchmark::kMillisecond);

void BM_FrontGrey200(benchmark::State& state)
{
    size_t i = 0;
    for (auto _ : state) {
        DocumentImages images(Stack()[i++ % Stack().size()], {});
        benchmark::DoNotOptimize(images.Scan(true, 'F', 5, 1, {}));
    }
}
BENCHMARK(BM_FrontGrey200)->Unit(benchmark::kMillisecond);

void BM_FrontColour200Raw(benchmark::State& state)
{
    size_t i = 0;
    for (auto _ : state) {
        DocumentImages images(Stack()[i++ % Stack().size()], {});
        benchmark::DoNotOptimize(images.Scan(true, 'F', 11, 0, {}));
    }
}
BENCHMARK(BM_FrontColour200Raw)->Unit(benchmark::kMillisecond);

void BM_Signal(benchmark::State& state)
{
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(head::ReadSignal(Stack()[i++ % Stack().size()], {}));
}
BENCHMARK(BM_Signal)->Unit(benchmark::kMillisecond);

void BM_CodelineRead(benchmark::State& state)
{
    std::vector<std::vector<uint8_t>> signals;
    for (const DocumentSpec& doc : Stack())
        signals.push_back(head::ReadSignal(doc, {}));
    size_t i = 0;
    for (auto _ : state) {
        const size_t k = i++ % signals.size();
        const auto& s = signals[k];
        benchmark::DoNotOptimize(Stack()[k].Micr == MicrFont::CMC7 ? micr::DecodeCmc7Signal(s.data(), s.size(), {})
                                                                   : micr::DecodeE13bSignal(s.data(), s.size(), {}));
    }
}
BENCHMARK(BM_CodelineRead)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
