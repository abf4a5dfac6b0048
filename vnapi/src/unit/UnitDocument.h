// What the unit made of the document it moved last: what it printed on it,
// what its cameras and its MICR head saw. A real unit keeps its last scan
// until the next document passes, across connections too; so does this one.
// Pictures and samples are made on first use and kept.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "docs/Document.h"
#include "docs/DocumentScanner.h"
#include "docs/MagneticSignal.h"
#include "docs/MicrDecoder.h"

namespace virtualunit {

// How the unit stood when the document passed its cameras and its head.
struct PassSettings {
    ScanParams Scan; // the front's; the back differs in its streak only
    double BackStreakMm = -1.0;
    head::HeadParams Head;
    uint16_t ScanMode = VnScanModeGrey256At200;
    // The cameras were asked for (a side other than 'N' at the feed).
    bool Scanned = false;
    uint16_t CodelineRequest = 0;
};

class UnitDocument {
public:
    UnitDocument(DocumentSpec description, PrintJob job, const PassSettings& pass);

    const DocumentSpec& Description() const { return Images.Document(); }
    const PrintJob& Job() const { return Print; }
    const PassSettings& Pass() const { return Settings; }

    // One side's image at the scan mode of the pass: frontSide and letter as
    // DocumentImages::Scan takes them. Null when the cameras were not asked
    // for, or for an unknown letter or mode.
    ImageHandle Image(bool frontSide, char letter, uint16_t clearImage);

    // The head's samples (at most head::MaxSamples), the same on every call.
    const std::vector<uint8_t>& Signal();

    // The MICR read of the signal, in the document's magnetic font (E13B or
    // CMC7); '!' for each character the reader rejects. Read once, kept.
    const std::string& ReadMicr();
    // The CMC7 reader's record of the read (all zero for an E13B document).
    const std::array<uint8_t, micr::Cmc7DataSize>& Cmc7Record();

    // The codeline the feed asked for; empty when it asked for none.
    const std::optional<std::string>& Codeline() const { return AskedCodeline; }
    void TakeCodeline() { AskedCodeline = ReadMicr(); }

    // The picture the unit's own optical reader looks at: the front in 256
    // grey levels at 200 dpi, cleared, whatever the cameras were asked for.
    ImageHandle ReadingImage();

    // Past the cameras again on the way out (a release with its own print job
    // or side): the pictures are drawn anew, the magnetic read stays.
    void Rescan(const PrintJob& job, bool scanned, uint16_t scanMode);

    // Draws its pictures into the memory of the document before it.
    void ReuseMemoryOf(UnitDocument&& previous) { Images.ReuseMemoryOf(std::move(previous.Images)); }

private:
    PassSettings Settings;
    PrintJob Print;
    DocumentImages Images;
    std::optional<std::vector<uint8_t>> Samples;
    std::optional<std::string> Micr;
    std::array<uint8_t, micr::Cmc7DataSize> Cmc7Data{};
    std::optional<std::string> AskedCodeline;
};

} // namespace virtualunit
