#include "unit/VirtualUnit.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

#include "docs/ChequeGenerator.h"
#include "docs/Random.h"
#include "unit/UnitSetupFile.h"
#include "vnapi/ByteOrder.h"

namespace virtualunit {

namespace {

constexpr std::string_view OperationNames[] = {
    "Varn_Open",           "VnConnect",          "VnDisconnect",           "Vn_SetIPAddress",
    "VnSetNetworkNodeName", "Varn_Identify",     "Varn_PeripheralStatus",  "Varn_Reset",
    "Varn_DocHandle",      "Varn_ReadCodeline",  "Varn_ReadImage",         "Varn_LoadString",
    "Varn_LoadStringWithCounter", "Varn_LoadDigitalString", "Varn_AutoDocHandle", "Varn_GetDocData",
    "Varn_SetAutoDocOptions", "Varn_ReadBadge",  "Varn_CodelineReadFromBitmap", "Varn_ReadBarcodeFromBitmap",
    "Varn_ReadPdf417FromBitmap", "Varn_ViewOCRRectangle", "Varn_ConvertImageToBW", "Varn_ImageBrightness",
    "Varn_ImageContrast",  "Varn_CutImage",      "Varn_FreeImage",         "Varn_LoadImageFile",
    "Varn_SaveJPEG",       "Varn_SaveBMP",       "Varn_SaveTIFF",          "Varn_ReadE13BSignal",
    "Varn_SetTrimmerMICR", "Varn_ReadTrimmerMICR", "Varn_ReadTimeSampleMICR", "Varn_SetTimeSampleMICR",
    "Varn_ScannerCalibration", "Varn_PhotosCalibration", "Varn_SetConfiguration", "Varn_ReadCodelineMicrOcr",
    "Varn_ReadCMC7Signal", "Varn_ImageCalibration", "Varn_DumpPeripheralMemory", "Varn_HistoryCommand",
    "VnReadPhotosValue",   "VnEEPROMCommand",    "VnBeep",                 "VnLED",
    "VnTestCinghia",
};

// Simulated durations, in milliseconds.
constexpr uint32_t FeedTime = 700;
constexpr uint32_t WaitForDocumentTime = 3000;
constexpr uint32_t ResetTime = 400;
constexpr uint32_t ScannerCalibrationTime = 4000;
constexpr uint32_t PhotosCalibrationTime = 2500;

// Photo sensor readings (10-bit converter) at the design drive: paper
// reflects, the empty channel does not; an unlit sensor reads PhotoDark.
constexpr uint16_t PhotoCovered = 0x0310;
constexpr uint16_t PhotoClear = 0x0042;
constexpr uint16_t PhotoDark = 0x0020;
constexpr uint16_t PhotoNoise = 24;

// Where the memory image holds the operation log (up to 0x1000).
constexpr size_t OperationLogOffset = 0x0500;

uint32_t SerialNumber(uint32_t seed) { return 100000u + static_cast<uint32_t>(MixSeed(seed, 0, 3) % 900000u); }

void PutText(uint8_t* p, size_t capacity, const std::string& text)
{
    const size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(p, text.data(), n);
}

} // namespace

UnitIdentity IdentityFor(const VirtualUnitSetup& setup)
{
    UnitIdentity id;
    const uint32_t serial = SerialNumber(setup.Seed);
    const bool inkjet = (setup.Features[0] & VnFeatureInkjet) != 0;
    if (setup.Generation == 39) {
        id.Model = "Varn S1";
        id.Firmware = "1.07";
        id.ReleaseDate = "2018/11/05";
        id.InternalNumber = "S1" + std::to_string(serial);
        // The first boards did not report their release.
        id.BoardRelease = 0;
        id.FpgaRelease = 0;
    } else {
        id.Model = "Varn SD";
        id.Firmware = "2.14";
        id.ReleaseDate = "2024/03/18";
        id.InternalNumber = "SD" + std::to_string(serial);
        id.BoardRelease = 0x23;
        id.FpgaRelease = 'D';
        id.PrinterFirmware = inkjet ? "IJ 3.02" : "";
    }
    if (setup.Model)
        id.Model = *setup.Model;
    if (setup.Firmware)
        id.Firmware = *setup.Firmware;
    if (setup.ReleaseDate)
        id.ReleaseDate = *setup.ReleaseDate;
    if (setup.InternalNumber)
        id.InternalNumber = *setup.InternalNumber;
    if (setup.PrinterFirmware)
        id.PrinterFirmware = *setup.PrinterFirmware;
    if (setup.BoardRelease)
        id.BoardRelease = *setup.BoardRelease;
    if (setup.FpgaRelease)
        id.FpgaRelease = *setup.FpgaRelease;
    return id;
}

// The sheets a technician keeps for calibrations and checks, not customers' items.
bool IsTestDocument(const DocumentSpec& d)
{
    return d.Kind == DocumentKind::E13bCalibration || d.Kind == DocumentKind::ColourTest ||
           d.Kind == DocumentKind::White || d.Kind == DocumentKind::Blank;
}

uint16_t DirtyElementAt(double streakMm)
{
    if (!(streakMm >= 0.0))
        return NoDirtyElement;
    return static_cast<uint16_t>(std::lround(std::min(streakMm, 6000.0) * 10.0));
}

DocumentSummary SummaryOf(const DocumentSpec& d)
{
    static constexpr const char* KindNames[] = {"Cheque", "E13bCalibration", "ColourTest",
                                                "White",  "Blank",           "Card"};
    DocumentSummary out;
    out.Kind = KindNames[static_cast<size_t>(d.Kind)];
    std::vector<std::string> parts;
    const auto add = [&](std::string part) { parts.push_back(std::move(part)); };
    char text[48];
    if (d.Kind == DocumentKind::Cheque || d.Kind == DocumentKind::E13bCalibration) {
        if (d.Micr != MicrFont::None)
            out.Codeline = d.Codeline;
        if (d.Kind == DocumentKind::Cheque)
            add(d.Micr == MicrFont::CMC7 ? "CMC7" : d.Micr == MicrFont::E13B ? "E13B" : "no MICR");
    }
    if (d.Ocr != OcrFont::None)
        add(std::string(d.Ocr == OcrFont::OcrA ? "OCR-A " : "OCR-B ") + d.OcrText);
    if (d.Barcode != BarcodeKind::None)
        add(std::string(d.Barcode == BarcodeKind::TwoOfFive ? "2 of 5 "
                        : d.Barcode == BarcodeKind::Code39  ? "Code 39 "
                                                            : "Code 128 ") +
            d.BarcodeText);
    if (!d.Pdf417Text.empty())
        add("PDF417");
    if (d.Kind == DocumentKind::Blank || d.Kind == DocumentKind::White) {
        std::snprintf(text, sizeof text, "%.0f mm", static_cast<double>(d.LengthMm));
        add(text);
    }
    if (d.SkewDegrees != 0.0f) {
        std::snprintf(text, sizeof text, "skew %.1f deg", static_cast<double>(d.SkewDegrees));
        add(text);
    }
    if (d.Jam)
        add("jams");
    if (d.DoubleFeed)
        add("double feed");
    for (const std::string& part : parts)
        out.Details += (out.Details.empty() ? "" : ", ") + part;
    return out;
}

bool IsOperationName(std::string_view name)
{
    return std::find(std::begin(OperationNames), std::end(OperationNames), name) != std::end(OperationNames);
}

std::optional<uint8_t> SenseKeyForReply(int32_t r)
{
    switch (r) {
    case VnReplyFeederEmpty:
        return VnSenseFeederEmpty;
    case VnReplyJammed:
        return VnSensePaperJam;
    case -2:
    case VnReplyHardwareError:
        return VnSenseHardwareError;
    case -8:
        return VnSenseBusy;
    case VnReplyInvalidCommand:
        return VnSenseIllegalCommand;
    case -11:
    case -13:
        return VnSenseAborted;
    case VnReplyCalibrationFailed:
        return VnSenseCalibrationAborted;
    default:
        if (r <= -348 && r >= -363)
            return VnSenseCalibrationAborted;
        return std::nullopt;
    }
}

// ---- Power ---------------------------------------------------------------

VirtualUnit::VirtualUnit(const VirtualUnitSetup& setup, std::string memoryPath)
    : Set(setup), Phys(PhysicsFor(setup.Generation, setup.Seed)), Ident(IdentityFor(setup)),
      MemoryPath(std::move(memoryPath))
{
    std::optional<UnitMemory> kept;
    if (!MemoryPath.empty())
        kept = ReadMemoryFile(MemoryPath);
    Memory = kept ? *kept : FreshMemory(Phys, setup.Features, setup.Seed);
    // Until the bench writes a configuration, the unit reports what it carries.
    if (!Memory.ConfigurationWritten)
        Memory.Configuration = setup.Features;

    LoadDocuments(setup.Feeder);
    LoadCheques(setup.GeneratedCheques);
    SetupStack.assign(Feeder.begin(), Feeder.end());
    for (const OperationFault& fault : setup.OperationFaults)
        ArmOperationFault(fault.Operation, fault.Reply);
    for (const DocumentFault& fault : setup.DocumentFaults)
        ArmDocumentFault(fault.Ordinal, fault.Kind, fault.Reply);
    Badge = setup.Badge;
    if (setup.EmcSilentAfter)
        ArmEmcFault(*setup.EmcSilentAfter);
    PowerOn();
}

VirtualUnit::~VirtualUnit() { Persist(); }

void VirtualUnit::PowerOn()
{
    JustOn = true;
    ErrorSense.reset();
    DoubleLeafWarning = false;
    Jammed = Path == PathState::Stuck;
    ++Memory.History.PowerOns;
    // The log lives in the unit's working memory: a power cycle clears it.
    OperationRing = {};
    Operations = 0;
    Persist();
}

void VirtualUnit::ArmEmcFault(uint32_t cycles)
{
    EmcAnswersLeft = cycles;
    IsSilent = cycles == 0;
}

void VirtualUnit::CountIdentification()
{
    ++Identifications;
    if (!EmcAnswersLeft)
        return;
    if (*EmcAnswersLeft > 0)
        --*EmcAnswersLeft;
    IsSilent = *EmcAnswersLeft == 0;
}

void VirtualUnit::PowerCycle()
{
    // The disturbance is over; the fault is spent.
    IsSilent = false;
    EmcAnswersLeft.reset();
    Identifications = 0;
    Connected = false;
    Handle = 0;
    ++InterruptionCount;
    Run = RunState::None; // the job is forgotten
    PowerOn();
}

void VirtualUnit::Work(uint32_t milliseconds)
{
    AddWorkTime(Memory, milliseconds);
    if (Set.TimeScale > 0.0) {
        const auto scaled = std::chrono::duration<double, std::milli>(milliseconds * Set.TimeScale);
        std::this_thread::sleep_for(scaled);
    }
}

bool VirtualUnit::Persist()
{
    if (MemoryPath.empty() || WriteMemoryFile(MemoryPath, Memory))
        return true;
    ++MemoryWriteFailures;
    return false;
}

// ---- Faults --------------------------------------------------------------

bool VirtualUnit::ArmOperationFault(const std::string& operation, int32_t r)
{
    if (r == VnReplyOk || !IsOperationName(operation))
        return false;
    OperationFaults.push_back({operation, r});
    return true;
}

void VirtualUnit::ArmDocumentFault(uint32_t ordinal, DocumentFaultKind kind, int32_t r)
{
    if (ordinal == 0)
        return;
    DocumentFaults.push_back({DocumentsFed + ordinal, kind, r});
}

std::optional<int32_t> VirtualUnit::TakeOperationFault(std::string_view operation)
{
    auto it = std::find_if(OperationFaults.begin(), OperationFaults.end(),
                           [&](const OperationFault& f) { return f.Operation == operation; });
    if (it == OperationFaults.end())
        return std::nullopt;
    const int32_t r = it->Reply;
    OperationFaults.erase(it);
    ApplyReplyEffect(operation, r);
    return r;
}

void VirtualUnit::ApplyReplyEffect(std::string_view operation, int32_t r)
{
    if (r == VnReplyDisconnected) {
        Connected = false;
        return;
    }
    if (r == VnReplyJammed) {
        // A feed that jams takes the front document with it.
        if (operation == "Varn_DocHandle" || operation == "Varn_AutoDocHandle" || operation == "Varn_GetDocData")
            JamFrontDocument(VnSensePaperJam);
        else {
            Jammed = true;
            JamSense = VnSensePaperJam;
        }
        return;
    }
    if (auto key = SenseKeyForReply(r))
        ErrorSense = *key;
}

std::optional<VirtualUnit::ArmedDocumentFault> VirtualUnit::TakeDocumentFault(uint32_t feedNumber)
{
    auto it = std::find_if(DocumentFaults.begin(), DocumentFaults.end(),
                           [&](const ArmedDocumentFault& f) { return f.FeedNumber == feedNumber; });
    if (it == DocumentFaults.end())
        return std::nullopt;
    ArmedDocumentFault fault = *it;
    DocumentFaults.erase(it);
    return fault;
}

// ---- Connection ----------------------------------------------------------

int32_t VirtualUnit::Open(uint16_t connectionType, uint16_t* handle)
{
    if (!handle)
        return VnReplyInvalidCommand;
    if (IsSilent)
        return VnReplyPeripheralNotFound;
    if (connectionType == VnConnectionNetworkBox)
        return VnReplyBoxNotFound; // no network box answers yet
    if (connectionType != VnConnectionUsb)
        return VnReplyConnectionFailed;
    if (Connected) {
        *handle = Handle;
        return VnReplyAlreadyConnected;
    }
    Connected = true;
    if (Feeder.empty())
        Feeder.assign(SetupStack.begin(), SetupStack.end());
    Handle = NextHandle;
    NextHandle = static_cast<uint16_t>(NextHandle + 1);
    if (NextHandle == 0)
        NextHandle = 1;
    *handle = Handle;
    return VnReplyOk;
}

int32_t VirtualUnit::Close(uint16_t handle)
{
    if (!IsOpen(handle))
        return VnReplyPeripheralNotFound;
    Connected = false;
    Handle = 0;
    ++InterruptionCount;
    Run = RunState::None; // the job is forgotten
    Persist();
    return VnReplyOk;
}

int32_t VirtualUnit::SetAddress(uint16_t connectionType, const char* text, uint16_t port, bool byNodeName)
{
    if (connectionType != VnConnectionUsb && connectionType != VnConnectionNetworkBox)
        return VnReplyInvalidCommand;
    AddressType = connectionType;
    (byNodeName ? NodeName : IpAddress) = text ? text : "";
    Port = port;
    return VnReplyOk;
}

// ---- Status --------------------------------------------------------------

uint8_t VirtualUnit::SenseKey() const
{
    if (Jammed)
        return JamSense;
    if (ErrorSense)
        return *ErrorSense;
    if (DoubleLeafWarning)
        return VnSenseOkDoubleLeafingOccurred;
    if (Feeder.empty())
        return VnSenseFeederEmpty;
    return VnSenseOk;
}

std::array<uint8_t, 2> VirtualUnit::SensorBytes() const
{
    uint8_t first = 0;
    if (!Feeder.empty())
        first |= VnSensorDocumentInFeeder;
    // A stuck document sits at the path entrance, over the trigger photo.
    if (Path == PathState::Stuck)
        first |= VnSensorTriggerCovered;
    if (Set.InkjetBoardSilent && (Set.Features[0] & VnFeatureInkjet))
        first |= VnSensorInkjetSilent;
    if (Path != PathState::Empty)
        first |= VnSensorDocumentRetained;
    if (JustOn)
        first |= VnSensorJustOn;
    return {first, 0};
}

int32_t VirtualUnit::Reset(char resetType)
{
    if (resetType != '0' && resetType != '1')
        return VnReplyInvalidCommand;
    Work(ResetTime);
    ++InterruptionCount;
    Run = RunState::None; // the job is forgotten
    JustOn = false;
    Jammed = false;
    ErrorSense.reset();
    DoubleLeafWarning = false;
    if (resetType == '1' && Path != PathState::Empty) {
        // The belts run until the path is clear; the document drops out.
        Path = PathState::Empty;
        PathDocument.reset();
    }
    LastReset = resetType;
    ++Resets;
    return VnReplyOk;
}

// ---- Kept values ---------------------------------------------------------

int32_t VirtualUnit::SetConfiguration(const uint8_t* block)
{
    std::copy(block, block + 4, Memory.Configuration.begin());
    Memory.ConfigurationWritten = true;
    return Kept();
}

int32_t VirtualUnit::SetTrimmer(uint8_t value)
{
    Memory.Trimmer = value;
    return Kept();
}

int32_t VirtualUnit::SetTimeSample(uint16_t value)
{
    if (value == 0)
        return VnReplyInvalidCommand;
    Memory.TimeSample = value;
    return Kept();
}

int32_t VirtualUnit::SetImageCalibration(uint16_t value)
{
    if (value < ImageCalibrationLowest || value > ImageCalibrationHighest)
        return VnReplyInvalidCommand;
    Memory.ImageCalibration = value;
    return Kept();
}

int32_t VirtualUnit::History(uint16_t command, HistoryRecord* record)
{
    if (command == 1) {
        if (!record)
            return VnReplyInvalidCommand;
        if (record->Size < 40)
            return VnReplyDataLost;
        *record = Memory.History;
        record->Size = 40;
        return VnReplyOk;
    }
    if (command == 2) {
        Memory.History = HistoryRecord{};
        Memory.WorkMilliseconds = 0;
        return Kept();
    }
    return VnReplyInvalidCommand;
}

int32_t VirtualUnit::Eeprom(uint16_t command, uint16_t offset, int16_t count, uint8_t* buffer)
{
    if (command != 0 && command != 1)
        return VnReplyInvalidCommand;
    if (count < 0 || static_cast<size_t>(offset) + static_cast<size_t>(count) > EepromSize)
        return VnReplyInvalidCommand;
    if (count == 0)
        return VnReplyOk;
    if (!buffer)
        return VnReplyInvalidCommand;
    uint8_t* cells = Memory.Eeprom.data() + offset;
    if (command == 0) {
        std::copy(cells, cells + count, buffer);
    } else {
        std::copy(buffer, buffer + count, cells);
        return Kept();
    }
    return VnReplyOk;
}

uint64_t SignalMilliseconds(uint16_t count, uint16_t timeOn, uint16_t timeOff)
{
    const uint64_t pattern = uint64_t{count} * (uint64_t{timeOn} + timeOff);
    return std::min(pattern, MaxSignalMilliseconds);
}

uint32_t VirtualUnit::Beep(uint16_t count, uint16_t timeOn, uint16_t timeOff)
{
    LastBeep = {count, timeOn, timeOff, LastBeep.Calls + 1};
    const uint64_t milliseconds = SignalMilliseconds(count, timeOn, timeOff);
    AddWorkTime(Memory, milliseconds);
    return RealMilliseconds(milliseconds);
}

int32_t VirtualUnit::Led(uint16_t color, uint16_t timeOn, uint16_t timeOff, uint32_t* realMilliseconds)
{
    *realMilliseconds = 0;
    if (color > 2) // green, red, amber
        return VnReplyInvalidCommand;
    LastLed = {color, timeOn, timeOff, LastLed.Calls + 1};
    const uint64_t milliseconds = SignalMilliseconds(1, timeOn, timeOff);
    AddWorkTime(Memory, milliseconds);
    *realMilliseconds = RealMilliseconds(milliseconds);
    return VnReplyOk;
}

uint32_t VirtualUnit::RealMilliseconds(uint64_t simulated) const
{
    const double milliseconds = static_cast<double>(simulated) * Set.TimeScale;
    return static_cast<uint32_t>(std::clamp(milliseconds, 0.0, 4.0e9));
}

std::vector<uint8_t> VirtualUnit::MemoryImage() const
{
    std::vector<uint8_t> image(MemoryDumpSize, 0);
    uint8_t* p = image.data();

    // Boot block.
    std::memcpy(p, "VARN-MEM", 8);
    le::WriteU16(p + 8, Phys.Generation);
    le::WriteU32(p + 10, SerialNumber(Set.Seed));
    le::WriteU16(p + 14, 0x0102);
    PutText(p + 0x10, 32, Ident.Model);
    PutText(p + 0x30, 16, Ident.Firmware);
    PutText(p + 0x40, 16, Ident.ReleaseDate);
    PutText(p + 0x50, 32, Ident.InternalNumber);
    PutText(p + 0x70, 16, Ident.PrinterFirmware);

    // Parameters.
    std::copy(Memory.Configuration.begin(), Memory.Configuration.end(), p + 0x80);
    p[0x84] = Memory.Trimmer;
    p[0x85] = static_cast<uint8_t>((Memory.ConfigurationWritten ? 1 : 0) | (Memory.PhotosCalibrated ? 2 : 0));
    le::WriteU16(p + 0x86, Memory.TimeSample);
    le::WriteU16(p + 0x88, Memory.ImageCalibration);
    p[0x8A] = Ident.BoardRelease;
    p[0x8B] = Ident.FpgaRelease;
    le::WriteU16(p + 0x8C, Memory.FeederThreshold);
    le::WriteU16(p + 0x8E, Memory.TriggerThreshold);
    le::WriteU16(p + 0x90, Memory.DirtyElement[1]);
    le::WriteU16(p + 0x92, Memory.DirtyElement[0]);
    le::WriteU16(p + 0x94, Memory.PhotoDrive[0]);
    le::WriteU16(p + 0x96, Memory.PhotoDrive[1]);

    // Counters.
    const HistoryRecord& h = Memory.History;
    const uint32_t counters[] = {h.DocumentsProcessed, h.DocumentsPrinted, h.DocumentsStamped,
                                 h.DocumentsRetained,  h.FeederJams,       h.MicrReadErrors,
                                 h.E13bReadErrors,     h.PowerOns,         h.WorkTime};
    for (size_t i = 0; i < std::size(counters); ++i)
        le::WriteU32(p + 0xA0 + 4 * i, counters[i]);

    // Live status.
    p[0xD0] = SenseKey();
    const auto sensors = SensorBytes();
    p[0xD1] = sensors[0];
    p[0xD2] = sensors[1];
    le::WriteU16(p + 0xD4, static_cast<uint16_t>(std::min<size_t>(Feeder.size(), 0xFFFF)));
    le::WriteU32(p + 0xD8, DocumentsFed);

    // EEPROM mirror.
    std::copy(Memory.Eeprom.begin(), Memory.Eeprom.end(), p + 0x100);

    // The operation log: "OPLOG", its size, the next slot, the count since
    // power-on, then 32-byte entries: sequence (4 bytes), reply (2, signed),
    // operation name (26).
    uint8_t* log = p + OperationLogOffset;
    std::memcpy(log, "OPLOG", 5);
    le::WriteU16(log + 8, static_cast<uint16_t>(OperationRingSize));
    le::WriteU16(log + 10, static_cast<uint16_t>(Operations % OperationRingSize));
    le::WriteU32(log + 12, Operations);
    for (size_t i = 0; i < OperationRingSize; ++i) {
        const OperationNote& note = OperationRing[i];
        uint8_t* entry = log + 16 + 32 * i;
        le::WriteU32(entry, note.Sequence);
        le::WriteU16(entry + 4, static_cast<uint16_t>(std::clamp<int32_t>(note.Reply, INT16_MIN, INT16_MAX)));
        std::copy(note.Name.begin(), note.Name.end(), entry + 6);
    }

    // Firmware from 0x1000: code-like bytes, each 4 KB page ending erased.
    DocRandom random = DocRandom::WithState(MixSeed(Set.Seed, Phys.Generation, 13));
    for (size_t page = 0x1000; page < MemoryDumpSize; page += 0x1000) {
        const size_t used = 0x0C00 + 4 * random.Below(0x0100);
        for (size_t i = 0; i < 0x1000; ++i) {
            uint8_t byte = 0xFF;
            if (i < used) {
                const uint64_t v = random.Next();
                // Opcode-heavy: many small values and a few recurring ones.
                byte = (v & 3) == 0 ? static_cast<uint8_t>(0x20 + ((v >> 8) & 0x0F))
                                    : static_cast<uint8_t>(v >> 16);
            }
            p[page + i] = byte;
        }
    }
    return image;
}

std::array<uint8_t, 8> VirtualUnit::PhotoValues()
{
    DocRandom random = DocRandom::WithState(MixSeed(Set.Seed, PhotoReads++, 5));
    // The light a sensor sees follows its emitter's drive.
    const auto reading = [&](bool covered, uint16_t drive) {
        const uint32_t lit = static_cast<uint32_t>((covered ? PhotoCovered : PhotoClear) - PhotoDark) * drive / NominalPhotoDrive;
        return static_cast<uint16_t>(std::min<uint32_t>(PhotoDark + lit + random.Below(PhotoNoise), 0x03FF));
    };
    std::array<uint8_t, 8> values{};
    le::WriteU16(values.data(), reading(!Feeder.empty(), Memory.PhotoDrive[0]));
    le::WriteU16(values.data() + 2, reading(Path == PathState::Stuck, Memory.PhotoDrive[1]));
    le::WriteU16(values.data() + 4, Memory.FeederThreshold);
    le::WriteU16(values.data() + 6, Memory.TriggerThreshold);
    return values;
}

int32_t VirtualUnit::ScannerCalibration(uint16_t side)
{
    if (side > 1)
        return VnReplyInvalidCommand;
    const uint8_t needed = side == 1 ? VnFeatureScannerFront : VnFeatureScannerBack;
    if (!(Set.Features[1] & needed))
        return VnReplyCommandNotSupported;
    Work(ScannerCalibrationTime);
    ++ScannerCalibrations;
    // The calibration sheet shows every element's response: a dirty one
    // gets the gain that brings it level with the others.
    Memory.DirtyElement[side] = DirtyElementAt(Set.StreakMm);
    return Kept();
}

int32_t VirtualUnit::PhotosCalibration()
{
    // The sensors are calibrated on an empty path.
    if (Path != PathState::Empty) {
        ErrorSense = VnSenseCalibrationAborted;
        return VnReplyCalibrationFailed;
    }
    Work(PhotosCalibrationTime);
    DocRandom random = DocRandom::WithState(MixSeed(Set.Seed, PhotosCalibrations, 17));
    Memory.PhotosCalibrated = true;
    // The emitters are driven to the design level, give or take a step.
    for (uint16_t& drive : Memory.PhotoDrive)
        drive = static_cast<uint16_t>(NominalPhotoDrive + random.Int(-3, 3));
    Memory.FeederThreshold = static_cast<uint16_t>((PhotoCovered + PhotoClear) / 2 + random.Int(-8, 8));
    Memory.TriggerThreshold = static_cast<uint16_t>((PhotoCovered + PhotoClear) / 2 + random.Int(-8, 8));
    ++PhotosCalibrations;
    return Kept();
}

void VirtualUnit::NoteOperation(std::string_view operation, int32_t reply)
{
    OperationNote& note = OperationRing[Operations % OperationRingSize];
    note = OperationNote{};
    note.Sequence = ++Operations;
    note.Reply = reply;
    std::copy_n(operation.begin(), std::min(operation.size(), note.Name.size()), note.Name.begin());
}

// ---- Document path -------------------------------------------------------

void VirtualUnit::JamFrontDocument(uint8_t senseKey)
{
    Jammed = true;
    JamSense = senseKey;
    // The scan of a document that stuck is not whole: the unit keeps none.
    InHand.reset();
    ++Memory.History.FeederJams;
    if (!Feeder.empty()) {
        Path = PathState::Stuck;
        PathDocument = Feeder.front();
        Feeder.pop_front();
        ++DocumentsFed;
    }
    Persist();
}

FeedOutcome VirtualUnit::HandleDocument(const FeedRequest& request)
{
    if (request.Destination != VnDestinationRetained && request.Destination != VnDestinationSorted &&
        request.Destination != VnDestinationEjected)
        return {VnReplyInvalidCommand};
    if (request.PrintMode > 2)
        return {VnReplyPrintFormatNotSupported};
    if (!SidesOf(request.Side) || (request.Side != 'N' && !ScanModeFormat(request.ScanMode, nullptr, nullptr)))
        return {VnReplyInvalidCommand};
    if (Jammed || Path == PathState::Stuck) {
        // Whatever is stuck in the path stops every movement.
        Jammed = true;
        return {VnReplyJammed};
    }
    return request.Release ? Release(request) : Feed(request);
}

FeedOutcome VirtualUnit::Release(const FeedRequest& request)
{
    if (Path != PathState::Held || request.Destination == VnDestinationRetained)
        return {VnReplyInvalidCommand};
    Work(FeedTime);
    if (request.FrontStamp && (Set.Features[0] & VnFeatureVoidingStamp))
        ++Memory.History.DocumentsStamped;
    if (request.PrintMode != 0 && (Set.Features[0] & VnFeatureInkjet))
        ++Memory.History.DocumentsPrinted;
    ReleaseInHand(request);
    if (PathDocument)
        Pocket(request.Destination, *PathDocument);
    LastDoubleLeafing = false;
    Path = PathState::Empty;
    // A test document handed back goes straight into the feeder again, as the
    // technician re-inserts the one calibration sheet for every pass.
    if (request.Destination == VnDestinationEjected && PathDocument && IsTestDocument(*PathDocument))
        Feeder.push_front(*PathDocument);
    PathDocument.reset();
    Persist();
    return {VnReplyOk};
}

FeedOutcome VirtualUnit::Feed(const FeedRequest& request)
{
    if (Path == PathState::Held)
        return {VnReplyInvalidCommand}; // the unit holds a document already
    if (request.ScanCard && !(Set.Features[0] & VnFeatureCard))
        return {VnReplyCommandNotSupported};
    if (request.PrintMode != 0 && (Set.Features[0] & VnFeatureInkjet) && Set.InkjetBoardSilent) {
        ErrorSense = VnSenseHardwareError;
        return {VnReplyHardwareError};
    }
    if (Feeder.empty()) {
        if (request.WaitLetter == 'W')
            Work(WaitForDocumentTime);
        ErrorSense.reset();
        return {VnReplyFeederEmpty};
    }

    const uint32_t feedNumber = DocumentsFed + 1;
    const std::optional<ArmedDocumentFault> fault = TakeDocumentFault(feedNumber);
    if (fault && fault->Kind == DocumentFaultKind::Reply && fault->Reply != VnReplyJammed) {
        if (auto key = SenseKeyForReply(fault->Reply))
            ErrorSense = *key;
        return {fault->Reply};
    }

    Work(FeedTime);
    const DocumentSpec& front = Feeder.front();
    const bool jam = front.Jam || (fault && (fault->Kind == DocumentFaultKind::Jam ||
                                             fault->Kind == DocumentFaultKind::Reply));
    if (jam) {
        JamFrontDocument(VnSensePaperJam);
        return {VnReplyJammed};
    }
    const bool doubleStop = fault && fault->Kind == DocumentFaultKind::DoubleFeedStop;
    const bool doubleFeed = front.DoubleFeed || (fault && fault->Kind == DocumentFaultKind::DoubleFeed);
    if (doubleStop) {
        JamFrontDocument(VnSenseDoubleLeafing);
        // The second sheet is stuck behind the first.
        if (!Feeder.empty())
            Feeder.pop_front();
        return {VnReplyJammed};
    }

    const DocumentSpec passed = Feeder.front();
    Feeder.pop_front();
    ++DocumentsFed;
    if (doubleFeed && !Feeder.empty())
        Feeder.pop_front(); // the sheet behind went along
    LastDoubleLeafing = doubleFeed;
    DoubleLeafWarning = doubleFeed;
    ErrorSense.reset();

    ++Memory.History.DocumentsProcessed;
    if (request.FrontStamp && (Set.Features[0] & VnFeatureVoidingStamp))
        ++Memory.History.DocumentsStamped;
    if (request.PrintMode != 0 && (Set.Features[0] & VnFeatureInkjet))
        ++Memory.History.DocumentsPrinted;
    if (request.Destination == VnDestinationRetained) {
        Path = PathState::Held;
        PathDocument = passed;
        ++Memory.History.DocumentsRetained;
    }
    Pocket(request.Destination, passed);
    TakeIntoHand(passed, request);
    Persist();
    return {VnReplyOk, doubleFeed};
}

void VirtualUnit::Pocket(uint16_t destination, const DocumentSpec& document)
{
    PocketRecord& pocket = destination == VnDestinationRetained ? RetainedPocket
                           : destination == VnDestinationEjected ? EjectedPocket
                                                                 : SortedPocket;
    ++pocket.Count;
    pocket.Last = SummaryOf(document);
}

void VirtualUnit::CountMicrReadError(bool e13b)
{
    ++Memory.History.MicrReadErrors;
    if (e13b)
        ++Memory.History.E13bReadErrors;
    Persist();
}

// ---- Test control --------------------------------------------------------

void VirtualUnit::SetCondition(const UnitCondition& c)
{
    Set.MagnetisedBelt = c.MagnetisedBelt;
    Set.BeltWear = c.BeltWear;
    Set.SpeedRipplePercent = c.SpeedRipplePercent;
    Set.LampLevel = c.LampLevel;
    Set.StreakMm = c.StreakMm;
    Set.LooseDocument = c.LooseDocument;
}

bool VirtualUnit::ResetKeptValues()
{
    Memory = FreshMemory(Phys, Set.Features, Set.Seed);
    Memory.Configuration = Set.Features;
    return Persist();
}

void VirtualUnit::LoadDocuments(std::vector<DocumentSpec> documents)
{
    for (DocumentSpec& d : documents) {
        if (IsChequeToGenerate(d))
            d = CompleteCheque(d, Set.Seed, ChequesGenerated++);
        Feeder.push_back(std::move(d));
    }
}

void VirtualUnit::LoadCheques(uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        Feeder.push_back(NextGeneratedCheque());
}

DocumentSpec VirtualUnit::NextGeneratedCheque()
{
    // The first 25 are the stack of a unit without a set-up file; further
    // ones are ordinary cheques with the usual share of optional parts.
    const uint32_t index = ChequesGenerated++;
    static constexpr uint32_t DefaultStackSize = 25;
    if (index < DefaultStackSize) {
        if (DefaultStack.empty())
            DefaultStack = DefaultFeeder(Set.Seed);
        if (index < DefaultStack.size())
            return DefaultStack[index];
    }
    return MakeCheque(Set.Seed, index);
}

std::optional<BadgeTracks> VirtualUnit::TakeBadge()
{
    std::optional<BadgeTracks> badge = std::move(Badge);
    Badge.reset();
    return badge;
}

VirtualUnitState VirtualUnit::State() const
{
    VirtualUnitState s;
    s.Open = Connected;
    s.Handle = Handle;
    s.AddressConnectionType = AddressType;
    s.IpAddress = IpAddress;
    s.NodeName = NodeName;
    s.Port = Port;
    s.SenseKey = SenseKey();
    s.Sensor = SensorBytes();
    s.JustOn = JustOn;
    s.Jammed = Jammed;
    s.DocumentInPath = Path != PathState::Empty;
    s.FeederCount = Feeder.size();
    s.DocumentsFed = DocumentsFed;
    s.Feeder.reserve(Feeder.size());
    for (const DocumentSpec& d : Feeder)
        s.Feeder.push_back(SummaryOf(d));
    if (Path != PathState::Empty && PathDocument)
        s.InPath = SummaryOf(*PathDocument);
    s.Retained = RetainedPocket;
    s.Sorted = SortedPocket;
    s.Ejected = EjectedPocket;
    s.LastBeep = LastBeep;
    s.LastLed = LastLed;
    s.Configuration = Memory.Configuration;
    s.ConfigurationWritten = Memory.ConfigurationWritten;
    s.Trimmer = Memory.Trimmer;
    s.TimeSample = Memory.TimeSample;
    s.ImageCalibration = Memory.ImageCalibration;
    s.History = Memory.History;
    s.MemoryWriteFailures = MemoryWriteFailures;
    s.LastReset = LastReset;
    s.Resets = Resets;
    s.ScannerCalibrations = ScannerCalibrations;
    s.PhotosCalibrations = PhotosCalibrations;
    s.Badge = Badge;
    s.BadgeReadWaiting = BadgeReadWaiting;
    if (EndorsementLoaded) {
        s.EndorsementFont = Loaded.FontLetter;
        s.EndorsementText = Loaded.EndorseText;
        s.Counter = Loaded.Counter;
    }
    if (DigitalLoaded) {
        s.DigitalSide = Loaded.DigitalSide;
        s.DigitalText = Loaded.DigitalText;
    }
    s.AutoRunActive = Run == RunState::Running;
    s.StopOnCodelineError = StopOnCodelineError;
    s.DocumentKept = InHand != nullptr;
    s.MagnetisedBelt = Set.MagnetisedBelt;
    s.Condition = {Set.MagnetisedBelt, Set.BeltWear, Set.SpeedRipplePercent, Set.LampLevel, Set.StreakMm,
                   Set.LooseDocument};
    s.Silent = IsSilent;
    s.Identifications = Identifications;
    return s;
}

} // namespace virtualunit
