// Test access to the virtual unit: build a unit from a set-up held in memory,
// fill its feeder, arm faults, swipe a badge and look at what it was asked to
// do. The VnApi and the control of one unit share that unit, so a test can
// drive the bench through the one and watch the unit through the other; both
// stay usable in either order of destruction.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vnapi/VnApi.h"

// The description of one document (vnapi/src/docs/Document.h). Code that fills
// a feeder with its own documents includes that header; code that does not can
// use LoadCheques or LoadDocumentsFromText.
struct DocumentSpec;

namespace virtualunit {
struct SharedUnit;
}

// What happens to a document when its turn to be fed comes.
enum class DocumentFaultKind {
    Jam,            // stops at the path entrance: reply -7, sense key 3
    DoubleFeed,     // two sheets pass together, the unit carries on: sense key 25
    DoubleFeedStop, // two sheets, the unit stops them in the path: reply -7, sense key 7
    Reply,          // the feed replies the given code; the document stays in the feeder
};

// The next call of the named operation (a VnApi method name such as
// "Varn_Identify") replies Reply instead of doing its work.
struct OperationFault {
    std::string Operation;
    int32_t Reply = 0;
};

// The Ordinal-th document fed from the moment the fault is armed (1 = the next
// one; for faults of the set-up, counted from power-on).
struct DocumentFault {
    uint32_t Ordinal = 1;
    DocumentFaultKind Kind = DocumentFaultKind::Jam;
    int32_t Reply = 0; // for DocumentFaultKind::Reply
};

struct BadgeTracks {
    std::string Track1;
    std::string Track2;
    std::string Track3;
};

// The unit as the set-up file describes it. Identity texts left empty take the
// values of the chosen generation.
struct VirtualUnitSetup {
    VirtualUnitSetup();
    VirtualUnitSetup(const VirtualUnitSetup&);
    VirtualUnitSetup(VirtualUnitSetup&&) noexcept;
    VirtualUnitSetup& operator=(const VirtualUnitSetup&);
    VirtualUnitSetup& operator=(VirtualUnitSetup&&) noexcept;
    ~VirtualUnitSetup();

    // 39: the first generation (firmware 1.xx); 40: the current one.
    uint16_t Generation = 40;
    std::optional<std::string> Model;
    std::optional<std::string> Firmware;
    std::optional<std::string> ReleaseDate;
    std::optional<std::string> InternalNumber;
    std::optional<std::string> PrinterFirmware;
    std::optional<uint8_t> BoardRelease;
    std::optional<uint8_t> FpgaRelease;

    // Option bytes laid out as the identify feature bytes: MICR, card, ink-jet,
    // voiding stamp, both scanners, badge tracks 1/2/3.
    std::array<uint8_t, 4> Features{0x2B, 0x13, 0x00, 0x00};

    uint32_t Seed = 1;
    // Simulated durations are multiplied by this; 0 never waits.
    double TimeScale = 1.0;

    // The feeder: these documents first, then GeneratedCheques ordinary cheques.
    std::vector<DocumentSpec> Feeder;
    uint32_t GeneratedCheques = 25;

    std::vector<OperationFault> OperationFaults;
    std::vector<DocumentFault> DocumentFaults;
    bool InkjetBoardSilent = false; // the ink-jet board does not answer

    // The unit's condition: what wears or soils with use.
    bool MagnetisedBelt = false;     // the belt test finds magnetism on the belt
    // Electromagnetic interference: the unit answers this many identifications,
    // then stops answering until it is switched off and on; none when empty.
    std::optional<uint32_t> EmcSilentAfter;
    double BeltWear = 0.0;           // 0 new .. 1 worn out: a slow ripple of the feed speed
    double SpeedRipplePercent = 0.3; // the transport's own ripple
    double LampLevel = 1.0;          // scanner lamp: 1 good, less darkens every colour
    double StreakMm = -1.0;          // a dirty sensor element: a dark line this far above the
                                     // document's bottom edge; negative for none
    // Documents loose on the belt: each pass slips one pitch, back and forward
    // in turn, so the fifty calibration marks read as 51 and 49.
    bool LooseDocument = false;

    // A badge swiped before the first read.
    std::optional<BadgeTracks> Badge;
    // How long a badge read waits for a swipe, in simulated seconds.
    double BadgeWaitSeconds = 10.0;

    // Where the unit keeps its memory across power cycles; empty keeps it only
    // as long as the unit lives.
    std::string MemoryFile;
};

// A set-up for tests: no waiting, the given seed, the default unit otherwise.
VirtualUnitSetup TestUnitSetup(uint32_t seed = 1);

// Reads the set-up file's text. Lines it cannot use are skipped and, when
// ignored is given, listed there as "line N: reason".
VirtualUnitSetup ParseVirtualUnitSetup(const std::string& text, std::vector<std::string>* ignored = nullptr);

// The unit's physical condition: what wears or soils with use, as the
// [Faults] section of the set-up file describes it.
struct UnitCondition {
    bool MagnetisedBelt = false;
    double BeltWear = 0.0;           // 0 new .. 1 worn out
    double SpeedRipplePercent = 0.3;
    double LampLevel = 1.0;          // 1 good, less darkens every colour
    double StreakMm = -1.0;          // negative: no dirty sensor element
    bool LooseDocument = false;
};

// One document as a person looking at the unit sees it.
struct DocumentSummary {
    std::string Kind;     // the set-up file's kind name: "Cheque", "E13bCalibration", ...
    std::string Codeline; // the magnetic codeline, empty for none
    std::string Details;  // font, optional parts, size, faults it brings
};

// An output pocket: documents that arrived there since power-on.
struct PocketRecord {
    uint32_t Count = 0;
    std::optional<DocumentSummary> Last;
};

struct SignalRecord {
    uint16_t Value = 0; // beep: count; LED: colour
    uint16_t TimeOn = 0;
    uint16_t TimeOff = 0;
    uint32_t Calls = 0;
};

// A snapshot of the unit.
struct VirtualUnitState {
    bool Open = false;
    uint16_t Handle = 0;
    uint16_t AddressConnectionType = 0; // from the last address set-up
    std::string IpAddress;
    std::string NodeName;
    uint16_t Port = 0;

    uint8_t SenseKey = 0;
    std::array<uint8_t, 2> Sensor{};
    bool JustOn = false;
    bool Jammed = false;
    bool DocumentInPath = false; // held or stuck
    size_t FeederCount = 0;
    uint32_t DocumentsFed = 0; // since power-on
    std::vector<DocumentSummary> Feeder; // top (next fed) first
    std::optional<DocumentSummary> InPath; // held or stuck
    PocketRecord Retained; // fed to be held in the path
    PocketRecord Sorted;
    PocketRecord Ejected;

    SignalRecord LastBeep;
    SignalRecord LastLed;
    std::array<uint8_t, 4> Configuration{};
    bool ConfigurationWritten = false;
    uint8_t Trimmer = 0;
    uint16_t TimeSample = 0;
    uint16_t ImageCalibration = 0;
    HistoryRecord History;
    uint32_t MemoryWriteFailures = 0; // writes of the memory file that failed

    char LastReset = 0;
    uint32_t Resets = 0;
    uint32_t ScannerCalibrations = 0;
    uint32_t PhotosCalibrations = 0;
    std::optional<BadgeTracks> Badge; // swiped and not read yet
    bool BadgeReadWaiting = false;    // a badge read waits for a swipe

    // The printer's loaded strings and the next value of "%d".
    char EndorsementFont = 0; // 0 while nothing is loaded
    std::string EndorsementText;
    int64_t Counter = 0;
    char DigitalSide = 0;     // 0 while nothing is loaded
    std::string DigitalText;

    bool AutoRunActive = false;   // a Varn_AutoDocHandle job has documents to give
    bool StopOnCodelineError = false;
    bool DocumentKept = false;    // the unit holds a last document's scan and read

    bool MagnetisedBelt = false;
    UnitCondition Condition;
    bool Silent = false;          // disturbed: answers nothing until a power cycle
    uint32_t Identifications = 0; // answered since power-on
};

class VirtualUnitControl {
public:
    VirtualUnitControl() = default;
    explicit VirtualUnitControl(std::shared_ptr<virtualunit::SharedUnit> unit) : Unit(std::move(unit)) {}

    // Behind the documents already in the feeder.
    void LoadDocuments(std::vector<DocumentSpec> documents);
    void LoadCheques(uint32_t count);
    // Lines as in the [Feeder] section of the set-up file ("Cheques = 3",
    // "Document = E13bCalibration"); false when a line was not understood
    // (the lines understood are loaded all the same).
    bool LoadDocumentsFromText(const std::string& lines);
    void EmptyFeeder();
    // Takes the document at this place of the stack (0: the top, fed next)
    // out of the feeder; false when there is none.
    bool RemoveDocument(size_t index);
    std::vector<DocumentSpec> FeederContents() const;

    // False for an unknown operation name or a reply of 0.
    bool ArmOperationFault(const std::string& operation, int32_t reply);
    void ArmDocumentFault(uint32_t ordinal, DocumentFaultKind kind, int32_t reply = 0);

    void SwipeBadge(BadgeTracks tracks);

    // The belt's condition from now on.
    void SetMagnetisedBelt(bool magnetised);
    // The unit answers `cycles` more identifications and then falls silent:
    // every unit command replies -2 and an open -3 until a power cycle. An EMC
    // soak test that identifies once a cycle fails on cycle `cycles` + 1.
    void ArmEmcFault(uint32_t cycles);

    // The belt, lamp, sensor and transport from now on.
    void SetCondition(const UnitCondition& condition);
    // The kept values (trimmer, time sample, image calibration, configuration
    // block, thresholds, EEPROM, history) as the unit left the factory:
    // deliberately a little off. False when the memory file could not be written.
    bool ResetKeptValues();

    // Switch off and on: the connection drops, "unit just ON" is set, the
    // power-on counter rises; a document in the path stays there.
    void PowerCycle();

    VirtualUnitState State() const;

    bool Valid() const { return Unit != nullptr; }

private:
    std::shared_ptr<virtualunit::SharedUnit> Unit;
};

struct VirtualUnitPair {
    std::unique_ptr<VnApi> Api;
    VirtualUnitControl Control;
};

// The control of the virtual unit behind api; an invalid control when api is
// another library.
VirtualUnitControl ControlOf(VnApi& api);

// A unit from a set-up in memory (no files unless setup.MemoryFile is set).
VirtualUnitPair CreateVirtualUnit(const VirtualUnitSetup& setup);
// The unit CreateVirtualUnitApi builds from a program folder, with its control.
VirtualUnitPair CreateVirtualUnitInFolder(const std::string& programFolder);
