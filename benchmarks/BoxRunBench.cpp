// An automatic run through the network box on loopback against the same run
// with the unit in process: 200 documents, front and back in 256 grey levels
// at 200 dpi handed over to the caller, so every image crosses the
// connection. Goal: the box run keeps at least 0.8 of the in-process rate.
#include <benchmark/benchmark.h>

#include <string>
#include <thread>

#include "vnapi/NetworkBox.h"
#include "vnapi/VirtualUnitTestApi.h"
#include "vnapi/VnApi.h"

namespace {

constexpr uint32_t RunLength = 200;

uint32_t RunOnce(VnApi& api, uint16_t connectionType)
{
    uint16_t unit = 0;
    if (api.VnConnect(nullptr, nullptr, connectionType, &unit) != 0)
        return 0;
    uint32_t documents = 0;
    if (api.Varn_AutoDocHandle(unit, nullptr, 0, 0, 1, 5, 0, 1, 0, 1, 'X', 0, 0, "", "", 0, 0, 0, 0, 10, 0, 0, 128, 0,
                               1, 'G', 0, nullptr, nullptr, nullptr) == 0) {
        for (;;) {
            char micr[VnCodelineSize] = {};
            ImageHandle front, back;
            const int32_t reply = api.Varn_GetDocData(unit, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                      &front, &back, nullptr, nullptr, nullptr, micr, nullptr,
                                                      nullptr, nullptr, nullptr, nullptr, nullptr);
            if (reply != 0 && reply != 7)
                break;
            benchmark::DoNotOptimize(front);
            ++documents;
        }
    }
    api.VnDisconnect(unit, nullptr);
    return documents;
}

VirtualUnitSetup Setup()
{
    VirtualUnitSetup setup = TestUnitSetup(1);
    setup.GeneratedCheques = RunLength;
    return setup;
}

void Report(benchmark::State& state, uint32_t documents)
{
    if (documents != RunLength * state.iterations())
        state.SkipWithError("the run did not hand over every document");
    state.counters["documents/s"] = benchmark::Counter(documents, benchmark::Counter::kIsRate);
}

void BM_AutoRunInProcess(benchmark::State& state)
{
    uint32_t documents = 0;
    for (auto _ : state) {
        state.PauseTiming();
        VirtualUnitPair unit = CreateVirtualUnit(Setup());
        state.ResumeTiming();
        documents += RunOnce(*unit.Api, VnConnectionUsb);
    }
    Report(state, documents);
}
BENCHMARK(BM_AutoRunInProcess)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_AutoRunThroughBox(benchmark::State& state)
{
    uint32_t documents = 0;
    for (auto _ : state) {
        state.PauseTiming();
        VirtualUnitPair hosted = CreateVirtualUnit(Setup());
        NetworkBoxOptions options;
        options.Port = 0;
        NetworkBox box(*hosted.Api, options);
        std::string error;
        if (!box.Start(&error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        std::thread serving([&] { box.Run(); });
        VirtualUnitPair client = CreateVirtualUnit(TestUnitSetup(2));
        client.Api->Vn_SetIPAddress(VnConnectionNetworkBox, "127.0.0.1", box.Port());
        state.ResumeTiming();
        documents += RunOnce(*client.Api, VnConnectionNetworkBox);
        state.PauseTiming();
        box.Stop();
        serving.join();
        state.ResumeTiming();
    }
    Report(state, documents);
}
BENCHMARK(BM_AutoRunThroughBox)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
