// The optical decodes: accuracy of the OCR read over 1,000 random lines per
// read type (the counters), and the time of one OCR, barcode and PDF417 read.
//
//   ./build/bin/DecodeBenchmark --benchmark_filter=Accuracy
#include <benchmark/benchmark.h>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include "../tests/vnapi/SyntheticDocuments.h"
#include "decode/Decode.h"

namespace {

struct ReadTypeName {
    char Letter;
    const char* Name;
};
constexpr ReadTypeName OcrTypes[] = {{'A', "OCRA"},       {'B', "OCRB"},         {'C', "OCRB_AlphaNuMeric"},
                                     {'F', "OCRB_Italy"}, {'E', "E13B_Optical"}, {'X', "E13B_Opt_X_Switch"}};
constexpr ReadTypeName BarcodeTypes[] = {{'2', "Barcode_2_of_5"}, {'3', "CODE_39"}, {'4', "CODE_128"}};

// Generation is not timed: the time is that of the 1,000 reads.
void OcrAccuracy(benchmark::State& state, char readType)
{
    constexpr int Lines = 1000;
    synth::Score total;
    int exact = 0, linesWithMisreads = 0;
    for (auto _ : state) {
        for (int i = 0; i < Lines; ++i) {
            state.PauseTiming();
            const synth::SweepLine line = synth::MakeSweepLine(readType, 1000003u * readType + i);
            state.ResumeTiming();
            char text[256];
            uint16_t length = sizeof text;
            const DecodeOptions options{1, line.Mode};
            decode::CodelineReadFromBitmap(line.Image.get(), line.ReadType.c_str(), 0, 6, 4, 150, 10.5f, &options, text,
                                           &length);
            state.PauseTiming();
            const synth::Score s = synth::Compare(line.Expected, text);
            total.Characters += s.Characters;
            total.Rejects += s.Rejects;
            total.Misreads += s.Misreads;
            exact += s.Rejects == 0 && s.Misreads == 0;
            linesWithMisreads += s.Misreads > 0;
            state.ResumeTiming();
        }
    }
    state.counters["lines"] = Lines;
    state.counters["characters"] = total.Characters;
    state.counters["misreads"] = total.Misreads;
    state.counters["rejects"] = total.Rejects;
    state.counters["reject_%"] = 100.0 * total.Rejects / std::max(1, total.Characters);
    state.counters["lines_exact_%"] = 100.0 * exact / Lines;
    state.counters["lines_misread"] = linesWithMisreads;
    state.counters["ms_per_line"] =
        benchmark::Counter(Lines, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
// One OCR read of a 30-character line in the default window of a 200 dpi cheque.
void OcrRead(benchmark::State& state, char readType)
{
    const synth::SweepLine line = synth::MakeSweepLine(readType, 17);
    char text[256];
    for (auto _ : state) {
        uint16_t length = sizeof text;
        const DecodeOptions options{1, line.Mode};
        benchmark::DoNotOptimize(decode::CodelineReadFromBitmap(line.Image.get(), line.ReadType.c_str(), 0, 6, 4, 150,
                                                                10.5f, &options, text, &length));
    }
}

std::unique_ptr<PackedBitmap> ChequeWith(ZXing::BarcodeFormat format, const std::string& text, double moduleMm,
                                         double rowMm, double rightMm, double bottomMm)
{
    synth::Canvas canvas = synth::MakePaper(175, 80, 200, {}, 3);
    const bool stacked = format == ZXing::BarcodeFormat::PDF417;
    synth::PaintBarcode(canvas, ZXing::MultiFormatWriter(format).setMargin(0).encode(text, 0, stacked ? 0 : 1),
                        moduleMm, rowMm, rightMm, bottomMm);
    synth::AddNoise(canvas, 5, 4);
    return synth::ToBitmap(canvas, 8);
}

void BarcodeRead(benchmark::State& state, char type)
{
    const ZXing::BarcodeFormat format = type == '2' ? ZXing::BarcodeFormat::ITF
        : type == '3'                               ? ZXing::BarcodeFormat::Code39
                                                    : ZXing::BarcodeFormat::Code128;
    const auto image = ChequeWith(format, type == '3' ? "VARN-0042" : "0123456789", 0.33, 9, 100, 6);
    char text[256];
    for (auto _ : state) {
        uint16_t length = sizeof text;
        benchmark::DoNotOptimize(decode::ReadBarcodeFromBitmap(image.get(), type, 90, 4, 125, 12, text, &length));
    }
}

// PDF417 searched for over the whole 175 x 80 mm cheque.
void Pdf417WholeImage(benchmark::State& state)
{
    const auto image = ChequeWith(ZXing::BarcodeFormat::PDF417, "VARN PDF417 0123456789", 0.4, 0.4, 20, 30);
    char text[256];
    int32_t extra = 0;
    for (auto _ : state) {
        uint16_t length = sizeof text;
        benchmark::DoNotOptimize(decode::ReadPdf417FromBitmap(image.get(), text, &length, &extra, 0, 0, 0, 0));
    }
}

} // namespace

int main(int argc, char** argv)
{
    for (const ReadTypeName& t : OcrTypes) {
        benchmark::RegisterBenchmark((std::string("OcrAccuracy/") + t.Name).c_str(), OcrAccuracy, t.Letter)
            ->Iterations(1)
            ->Unit(benchmark::kSecond);
        benchmark::RegisterBenchmark((std::string("OcrRead/") + t.Name).c_str(), OcrRead, t.Letter)
            ->Unit(benchmark::kMillisecond);
    }
    for (const ReadTypeName& t : BarcodeTypes)
        benchmark::RegisterBenchmark((std::string("BarcodeRead/") + t.Name).c_str(), BarcodeRead, t.Letter)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Pdf417WholeImage", Pdf417WholeImage)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
