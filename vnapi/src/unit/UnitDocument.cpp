#include "unit/UnitDocument.h"

namespace virtualunit {

namespace {

// The unit's MICR reader is tuned to the nominal pitch: a mis-set time
// sample shows up as characters of the wrong width, as on a real unit.
micr::ReaderParams UnitReader() { return micr::ReaderParams{head::NominalTimeSample}; }

} // namespace

UnitDocument::UnitDocument(DocumentSpec description, PrintJob job, const PassSettings& pass)
    : Settings(pass), Print(job), Images(std::move(description), std::move(job))
{
}

ImageHandle UnitDocument::Image(bool frontSide, char letter, uint16_t clearImage)
{
    if (!Settings.Scanned)
        return nullptr;
    if (frontSide)
        return Images.Scan(true, letter, Settings.ScanMode, clearImage, Settings.Scan);
    ScanParams back = Settings.Scan;
    back.StreakMm = Settings.BackStreakMm;
    return Images.Scan(false, letter, Settings.ScanMode, clearImage, back);
}

const std::vector<uint8_t>& UnitDocument::Signal()
{
    if (!Samples)
        Samples = head::ReadSignal(Description(), Settings.Head);
    return *Samples;
}

const std::string& UnitDocument::ReadMicr()
{
    if (!Micr) {
        const std::vector<uint8_t>& s = Signal();
        Micr = Description().Micr == MicrFont::CMC7 ? micr::DecodeCmc7Signal(s.data(), s.size(), UnitReader(), &Cmc7Data)
                                             : micr::DecodeE13bSignal(s.data(), s.size(), UnitReader());
    }
    return *Micr;
}

const std::array<uint8_t, micr::Cmc7DataSize>& UnitDocument::Cmc7Record()
{
    ReadMicr();
    return Cmc7Data;
}

ImageHandle UnitDocument::ReadingImage()
{
    constexpr uint16_t Grey256At200 = 5;
    constexpr uint16_t Cleared = 1;
    return Images.Scan(true, 'F', Grey256At200, Cleared, Settings.Scan);
}

void UnitDocument::Rescan(const PrintJob& job, bool scanned, uint16_t scanMode)
{
    Settings.Scanned = scanned;
    Settings.ScanMode = scanMode;
    Print = job;
    DocumentImages fresh(Description(), job);
    fresh.ReuseMemoryOf(std::move(Images));
    Images = std::move(fresh);
}

} // namespace virtualunit
