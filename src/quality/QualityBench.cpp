#include "quality/QualityBench.h"

#include <cstdio>

#include "core/BenchState.h"
#include "core/Connection.h"
#include "core/ReplyCodes.h"
#include "quality/QualityPlots.h"
#include "vnapi/ByteOrder.h"

namespace bench {

int32_t ReadTestDocument(Bench& bench, bool front, bool colour, ImageHandle& image)
{
    const OpenResult open = OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops);
    if (!open.Proceed)
        return open.Reply;
    const char side = front ? 'F' : 'B';
    const uint16_t unit = bench.State.UnitHandle;
    int32_t reply = bench.Api.Varn_DocHandle(unit, bench.Window, 0, 0, 1, side, colour ? 11 : 5, 0, 1, 'W', 0,
                                             nullptr, 0, 0);
    if (!ReportReply(bench.Op, reply, "Varn_DocHandle")) {
        reply = bench.Api.Varn_ReadImage(unit, bench.Window, 1, side, 0, 0, front ? &image : nullptr,
                                         front ? nullptr : &image, nullptr, nullptr);
        ReportReply(bench.Op, reply, "Varn_RedImage");
    }
    CloseUnit(bench);
    return reply;
}

LoadedBitmap LoadQualityBitmap(const std::string& path)
{
    LoadedBitmap loaded;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return loaded;
    loaded.Opened = true;
    uint8_t fileHeader[14];
    const size_t headerRead = std::fread(fileHeader, 1, sizeof fileHeader, file);
    loaded.Bytes.resize(QualityLoadBufferSize);
    const size_t read = std::fread(loaded.Bytes.data(), 1, loaded.Bytes.size(), file);
    const bool more = std::fgetc(file) != EOF;
    std::fclose(file);
    loaded.Bytes.resize(read);
    if (headerRead < sizeof fileHeader || fileHeader[0] != 'B' || fileHeader[1] != 'M' || read < 40)
        loaded.Problem = "The file is not a BMP file !";
    else if (more)
        loaded.Problem = "The file is larger than the load buffer of 4194304 bytes !";
    else if (auto problem = TestImageProblem(loaded.Bytes); problem && problem->rfind("Image truncated", 0) == 0)
        loaded.Problem = "The BMP file is truncated !";
    if (!loaded.Problem.empty())
        loaded.Bytes.clear();
    return loaded;
}

void AppendBandReports(const std::vector<uint8_t>& image, RowProfiles& profiles)
{
    const auto layout = ReadTestImageLayout(image);
    if (!layout)
        return;
    for (const Band band : {Band::Red, Band::Green, Band::Blue, Band::Yellow, Band::Black, Band::White}) {
        BandStatistics statistics;
        if (!ComputeBandStatistics(BandFirstColumn(band), BandWidth, image, profiles, statistics))
            return;
        std::FILE* file = std::fopen(BandReportFileName(band), "a");
        if (file == nullptr)
            continue;
        const std::string text = BandReportText(band, statistics, profiles, layout->Height);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}

} // namespace bench
