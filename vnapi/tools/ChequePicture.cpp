// Writes the front and back of a generated document as BMP files, so that a
// person can look at what the virtual unit scans.
//
//   ChequePicture [--seed N] [--index I] [--kind cheque|calibration|colour|card|white]
//                 [--mode M] [--clear C] [--out PREFIX] [--degraded K]
//
// Writes PREFIX_front.bmp and PREFIX_back.bmp (default PREFIX "cheque").
// --degraded K writes only PREFIX_front.bmp, the front under the K-th
// degradation of the accuracy program's set (0 = the first).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "docs/ChequeGenerator.h"
#include "docs/DegradedPrint.h"
#include "docs/DocumentScanner.h"
#include "vnapi/ByteOrder.h"

namespace {

bool WriteBmp(const std::string& path, const PackedBitmap& image)
{
    const std::vector<uint8_t>& dib = image.Bytes();
    uint8_t header[14] = {};
    header[0] = 'B';
    header[1] = 'M';
    le::WriteU32(header + 2, static_cast<uint32_t>(14 + dib.size()));
    le::WriteU32(header + 10, static_cast<uint32_t>(14 + image.PixelOffset()));
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(header, 1, sizeof header, f) == sizeof header &&
                    std::fwrite(dib.data(), 1, dib.size(), f) == dib.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    uint32_t seed = 1;
    uint32_t index = 0;
    int mode = 11;
    int clear = 1;
    std::string kind = "cheque";
    std::string prefix = "cheque";
    int degraded = -1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        const char* value = argv[i + 1];
        if (opt == "--seed")
            seed = static_cast<uint32_t>(std::strtoul(value, nullptr, 10));
        else if (opt == "--index")
            index = static_cast<uint32_t>(std::strtoul(value, nullptr, 10));
        else if (opt == "--mode")
            mode = std::atoi(value);
        else if (opt == "--clear")
            clear = std::atoi(value);
        else if (opt == "--kind")
            kind = value;
        else if (opt == "--out")
            prefix = value;
        else if (opt == "--degraded")
            degraded = std::atoi(value);
        else {
            std::fprintf(stderr, "unknown option %s\n", opt.c_str());
            return 2;
        }
    }

    DocumentSpec doc;
    if (kind == "calibration")
        doc = MakeE13bCalibrationDocument(seed);
    else if (kind == "colour")
        doc = MakeColourTestDocument();
    else if (kind == "card")
        doc = MakeCard(seed);
    else if (kind == "white")
        doc = MakeWhiteDocument();
    else
        doc = DefaultFeeder(seed)[index % 25];

    if (degraded >= 0) {
        const auto& set = DegradationSet();
        if (static_cast<size_t>(degraded) >= set.size()) {
            std::fprintf(stderr, "degradations 0 to %zu\n", set.size() - 1);
            return 2;
        }
        const ImageHandle front = DegradedFront(doc, set[static_cast<size_t>(degraded)], seed);
        const bool ok = WriteBmp(prefix + "_front.bmp", *front);
        std::printf("%s (%s)\ncodeline: %s\n", ok ? "written" : "write failed", set[static_cast<size_t>(degraded)].Name,
                    doc.Codeline.c_str());
        return ok ? 0 : 1;
    }

    PrintJob job;
    job.Endorse = true;
    job.EndorseText = "FOR DEPOSIT ONLY  BATCH %d";
    job.FontLetter = 'B';
    job.Counter = 42;
    job.CounterDigits = 5;
    job.Digital = true;
    job.DigitalSide = 'B';
    job.DigitalText = "Digital string";
    job.DigitalY = 40.0f;
    job.FrontStamp = true;

    DocumentImages images(doc, job);
    ScanParams params;
    params.Seed = seed;
    const ImageHandle front = images.Scan(true, 'F', static_cast<uint16_t>(mode), static_cast<uint16_t>(clear), params);
    const ImageHandle back = images.Scan(false, 'B', static_cast<uint16_t>(mode), static_cast<uint16_t>(clear), params);
    if (!front || !back) {
        std::fprintf(stderr, "scan mode %d gives no image\n", mode);
        return 1;
    }
    const bool ok = WriteBmp(prefix + "_front.bmp", *front) && WriteBmp(prefix + "_back.bmp", *back);
    std::printf("%s\ncodeline: %s\n", ok ? "written" : "write failed", doc.Codeline.c_str());
    return ok ? 0 : 1;
}
