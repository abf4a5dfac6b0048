// A 1,000-document automatic run through the device library, as the bench
// drives it: Varn_AutoDocHandle, then Varn_GetDocData until it replies 1.
// Each document: MICR read by the unit's head, front and back in 256 grey
// levels at 200 dpi, cleared, handed over and saved by the unit as JPEG
// files. A fresh unit, so the image calibration is a little off as it comes
// from the factory. Target: at least 50 documents a second.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "vnapi/VirtualUnitTestApi.h"
#include "vnapi/VnApi.h"

namespace {

constexpr uint32_t RunLength = 1000;

class ImagesFolder {
public:
    ImagesFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "varn-autorun-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            Path = pattern;
    }
    ~ImagesFolder()
    {
        std::error_code ignored;
        if (!Path.empty())
            std::filesystem::remove_all(Path, ignored);
    }
    const std::string& Folder() const { return Path; }

private:
    std::string Path;
};

// Documents handed over by one run; 0 when the run did not start.
uint32_t RunOnce(VnApi& api, uint16_t unit, const std::string& folder, uint16_t scanMode, uint16_t saveFormat)
{
    const AutoDocOptions options{0, 0};
    api.Varn_SetAutoDocOptions(unit, nullptr, &options);
    if (api.Varn_AutoDocHandle(unit, nullptr, 0, 0, 1, scanMode, 0, 1, 0, 1, 'X', 0, 6, folder.c_str(), "Image_",
                               0, 0, 0, 0, 10, 0, saveFormat, 128, 0, 1, 'G', 0, nullptr, nullptr, nullptr) != 0)
        return 0;
    uint32_t documents = 0;
    for (;;) {
        uint32_t number = 0;
        char frontName[VnFileNameSize] = {}, backName[VnFileNameSize] = {};
        char optical[VnCodelineSize] = {}, micr[VnCodelineSize] = {}, barcode[VnCodelineSize] = {};
        ImageHandle front, back;
        int32_t extra = 0;
        const int32_t reply = api.Varn_GetDocData(unit, nullptr, &number, frontName, backName, nullptr, nullptr,
                                                  &front, &back, nullptr, nullptr, optical, micr, barcode, nullptr,
                                                  &extra, nullptr, nullptr, nullptr);
        if (reply != 0 && reply != 7)
            break;
        benchmark::DoNotOptimize(front);
        benchmark::DoNotOptimize(back);
        ++documents;
    }
    return documents;
}

void AutoRun(benchmark::State& state, uint16_t scanMode, uint16_t saveFormat)
{
    ImagesFolder folder;
    uint32_t documents = 0;
    for (auto _ : state) {
        state.PauseTiming();
        VirtualUnitSetup setup = TestUnitSetup(1);
        setup.GeneratedCheques = RunLength;
        VirtualUnitPair pair = CreateVirtualUnit(setup);
        uint16_t unit = 0;
        pair.Api->VnConnect(nullptr, nullptr, VnConnectionUsb, &unit);
        state.ResumeTiming();

        const uint32_t done = RunOnce(*pair.Api, unit, folder.Folder(), scanMode, saveFormat);
        if (done != RunLength)
            state.SkipWithError("the run did not hand over every document");
        documents += done;

        state.PauseTiming();
        pair.Api->VnDisconnect(unit, nullptr);
        state.ResumeTiming();
    }
    state.counters["documents/s"] = benchmark::Counter(documents, benchmark::Counter::kIsRate);
}

void BM_AutoRunGrey200Jpeg(benchmark::State& state) { AutoRun(state, 5, 10); }
BENCHMARK(BM_AutoRunGrey200Jpeg)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_AutoRunBw200Tiff(benchmark::State& state) { AutoRun(state, 1, 29); }
BENCHMARK(BM_AutoRunBw200Tiff)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
