// Read accuracy of the library's codeline reads on generated cheques fed
// through the virtual unit at 200 dpi grey: per type, how many read right,
// how many carry rejects ('!' or nothing found) and how many were misread.
//
//   DecodeAccuracy [count]      (1,000 cheques per type by default)
//   DecodeAccuracy --degraded [count]
//       the optical reads on fronts spoilt as real print and scans spoil
//       them (count cheques per read type and degradation, 20 by default):
//       per character, how many read right, substituted, rejected.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "decode/Decode.h"
#include "docs/ChequeGenerator.h"
#include "docs/DegradedPrint.h"
#include "vnapi/VirtualUnitTestApi.h"

namespace {

struct Tally {
    int Right = 0;
    int Rejected = 0;
    int Misread = 0;
};

// A reject is a '!' where a character stood, or nothing found at all; any
// other difference is a misread.
void Score(Tally& tally, const std::string& read, const std::string& printed)
{
    if (read == printed) {
        ++tally.Right;
        return;
    }
    bool misread = !read.empty() && read.size() != printed.size();
    for (size_t i = 0; !misread && i < read.size(); ++i)
        misread = read[i] != printed[i] && read[i] != '!';
    if (misread) {
        ++tally.Misread;
        std::printf("  misread [%s], printed [%s]\n", read.c_str(), printed.c_str());
    } else {
        ++tally.Rejected;
    }
}

enum class Read { Micr, Ocr, E13bOptical, Barcode };

struct Case {
    const char* Name;
    ChequeLayout Layout;
    Read How;
    char Letter;
};

struct CharacterTally {
    long Characters = 0;
    long Right = 0;
    long Substituted = 0;
    long Rejected = 0;
    void Add(const CharacterTally& s)
    {
        Characters += s.Characters;
        Right += s.Right;
        Substituted += s.Substituted;
        Rejected += s.Rejected;
    }
    void Add(const CharacterScore& s)
    {
        Characters += s.Characters;
        Right += s.Right;
        Substituted += s.Substituted;
        Rejected += s.Rejected;
    }
    double Percent(long n) const { return Characters ? 100.0 * n / Characters : 0.0; }
};

int Degraded(int count)
{
    struct OpticalCase {
        const char* Name;
        ChequeLayout Layout;
        char Letter;
        float X, Y, Width, Height; // window, mm from the right and bottom
    };
    const OpticalCase cases[] = {
        {"E13B Optical", {MicrFont::E13B, OcrFont::None, BarcodeKind::None}, 'E', 6, 0, 170, 16},
        {"OCRA", {MicrFont::E13B, OcrFont::OcrA, BarcodeKind::None}, 'A', 6, 4, 150, 10.5f},
        {"OCRB", {MicrFont::E13B, OcrFont::OcrB, BarcodeKind::None}, 'B', 6, 4, 150, 10.5f},
    };
    long substitutions = 0;
    std::printf("| Read type | Degradation | Characters | Right %% | Substituted %% | Rejected %% |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const OpticalCase& c : cases) {
        CharacterTally all;
        double seconds = 0;
        long lines = 0;
        for (const Degradation& d : DegradationSet()) {
            CharacterTally tally;
            for (int i = 0; i < count; ++i) {
                const DocumentSpec doc = MakeCheque(33, static_cast<uint32_t>(i), c.Layout);
                const ImageHandle front = DegradedFront(doc, d, static_cast<uint32_t>(i));
                char text[256] = {};
                uint16_t length = sizeof text;
                const char readType[2] = {c.Letter, 0};
                const DecodeOptions options{1, 'N'};
                const auto start = std::chrono::steady_clock::now();
                // The window where the print is: larger print, larger window.
                const float k = static_cast<float>(d.Size);
                decode::CodelineReadFromBitmap(front.get(), readType, 0, c.X * k, c.Y * k, c.Width * k, c.Height * k,
                                               &options, text, &length);
                seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                ++lines;
                const std::string& printed = c.Letter == 'E' ? doc.Codeline : doc.OcrText;
                const CharacterScore s = ScoreCharacters(printed, text);
                if (s.Substituted)
                    std::fprintf(stderr, "  %s, %s: read [%s], printed [%s]\n", c.Name, d.Name, text, printed.c_str());
                tally.Add(s);
            }
            std::printf("| %s | %s | %ld | %.2f | %.2f | %.2f |\n", c.Name, d.Name, tally.Characters,
                        tally.Percent(tally.Right), tally.Percent(tally.Substituted), tally.Percent(tally.Rejected));
            std::fflush(stdout);
            all.Add(tally);
        }
        substitutions += all.Substituted;
        std::printf("| %s | all | %ld | %.2f | %.2f | %.2f |\n", c.Name, all.Characters, all.Percent(all.Right),
                    all.Percent(all.Substituted), all.Percent(all.Rejected));
        std::fprintf(stderr, "%s: %.1f ms a line\n", c.Name, 1000.0 * seconds / static_cast<double>(lines));
    }
    return substitutions == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--degraded") == 0) {
        const int count = argc > 2 ? std::atoi(argv[2]) : 20;
        if (count <= 0) {
            std::fprintf(stderr, "usage: DecodeAccuracy --degraded [count]\n");
            return 2;
        }
        return Degraded(count);
    }
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: DecodeAccuracy [count]\n");
        return 2;
    }
    const Case cases[] = {
        {"MICR E13B", {MicrFont::E13B, OcrFont::None, BarcodeKind::None}, Read::Micr, 0},
        {"MICR CMC7", {MicrFont::CMC7, OcrFont::None, BarcodeKind::None}, Read::Micr, 0},
        {"OCRA", {MicrFont::E13B, OcrFont::OcrA, BarcodeKind::None}, Read::Ocr, 'A'},
        {"OCRB", {MicrFont::E13B, OcrFont::OcrB, BarcodeKind::None}, Read::Ocr, 'B'},
        {"E13B Optical", {MicrFont::E13B, OcrFont::None, BarcodeKind::None}, Read::E13bOptical, 'E'},
        {"Barcode 2 of 5", {MicrFont::E13B, OcrFont::None, BarcodeKind::TwoOfFive}, Read::Barcode, '2'},
        {"CODE 39", {MicrFont::E13B, OcrFont::None, BarcodeKind::Code39}, Read::Barcode, '3'},
        {"CODE 128", {MicrFont::E13B, OcrFont::None, BarcodeKind::Code128}, Read::Barcode, '4'},
    };
    int misreads = 0;
    for (const Case& c : cases) {
        VirtualUnitSetup setup = TestUnitSetup(21);
        setup.GeneratedCheques = 0;
        for (int i = 0; i < count; ++i)
            setup.Feeder.push_back(MakeCheque(21, static_cast<uint32_t>(i), c.Layout));
        VirtualUnitPair unit = CreateVirtualUnit(setup);
        uint16_t handle = 0;
        if (unit.Api->VnConnect(nullptr, nullptr, VnConnectionUsb, &handle) != 0) {
            std::fprintf(stderr, "the unit does not open\n");
            return 1;
        }
        Tally tally;
        for (int i = 0; i < count; ++i) {
            const DocumentSpec& doc = setup.Feeder[static_cast<size_t>(i)];
            if (unit.Api->Varn_DocHandle(handle, nullptr, 0, 0, 1, 'F', 5, 0, 1, 'G', 0, nullptr, 0, 0) != 0) {
                std::fprintf(stderr, "feed %d failed\n", i);
                return 1;
            }
            char text[256] = {};
            uint16_t length = sizeof text;
            if (c.How == Read::Micr) {
                unit.Api->Varn_ReadCodeline(handle, nullptr, text, &length, nullptr, nullptr, nullptr, nullptr);
                Score(tally, text, doc.Codeline);
                continue;
            }
            ImageHandle front;
            ImageHandle back;
            unit.Api->Varn_ReadImage(handle, nullptr, 1, 'F', 0, 0, &front, &back, nullptr, nullptr);
            const char readType[2] = {c.Letter, 0};
            const DecodeOptions options{1, 'N'};
            switch (c.How) {
            case Read::Ocr: // the default OCR window
                unit.Api->Varn_CodelineReadFromBitmap(nullptr, front.get(), readType, 0, 6, 4, 150, 10.5f, &options,
                                                      text, &length);
                Score(tally, text, doc.OcrText);
                break;
            case Read::E13bOptical: // the codeline's clear band
                unit.Api->Varn_CodelineReadFromBitmap(nullptr, front.get(), readType, 0, 6, 0, 170, 16, &options,
                                                      text, &length);
                Score(tally, text, doc.Codeline);
                break;
            default: // the default barcode window
                unit.Api->Varn_ReadBarcodeFromBitmap(nullptr, front.get(), c.Letter, 90, 4, 125, 12, text, &length);
                Score(tally, text, doc.BarcodeText);
                break;
            }
        }
        unit.Api->VnDisconnect(handle, nullptr);
        misreads += tally.Misread;
        std::printf("%-15s read right %5d   with rejects %5d   misread %d   (%.1f %% right)\n", c.Name, tally.Right,
                    tally.Rejected, tally.Misread, 100.0 * tally.Right / count);
        std::fflush(stdout);
    }
    return misreads == 0 ? 0 : 1;
}
