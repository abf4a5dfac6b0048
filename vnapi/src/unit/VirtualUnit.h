// The virtual unit: connection, status, the document path and what the unit
// keeps in memory. Not locked by itself: the library and the test control
// hold SharedUnit::Mutex around every call, which makes one command at a time.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "docs/Document.h"
#include "docs/DocumentScanner.h"
#include "unit/UnitDocument.h"
#include "unit/UnitMemory.h"
#include "unit/UnitOpticalReader.h"
#include "unit/UnitPhysics.h"
#include "vnapi/VirtualUnitTestApi.h"
#include "vnapi/VnApi.h"
#include "vnapi/VnCodes.h"

namespace virtualunit {

constexpr uint32_t MemoryDumpSize = 36864;
// The unit's log of its last operations, shown in its memory dump.
constexpr size_t OperationRingSize = 63;

// Photo-sensor readings (10-bit converter) of a sensor in good order: with
// paper over it, and with nothing.
constexpr uint16_t PhotoCoveredLowest = 0x02E0;
constexpr uint16_t PhotoCoveredHighest = 0x0360;
constexpr uint16_t PhotoClearLowest = 0x0030;
constexpr uint16_t PhotoClearHighest = 0x0060;

// One operation in that log.
struct OperationNote {
    uint32_t Sequence = 0; // 1 for the first since power-on
    int32_t Reply = 0;
    std::array<char, 26> Name{}; // NUL-padded; a name of 26 characters fills it
};

// The sensor element a streak at this height falls on, in tenths of a
// millimetre; NoDirtyElement for none (a negative height).
uint16_t DirtyElementAt(double streakMm);

// What the unit's state shows of one document.
DocumentSummary SummaryOf(const DocumentSpec& document);

struct UnitIdentity {
    std::string Model;
    std::string Firmware;
    std::string ReleaseDate;
    std::string InternalNumber;
    std::string PrinterFirmware;
    uint8_t BoardRelease = 0;
    uint8_t FpgaRelease = 0;
};

UnitIdentity IdentityFor(const VirtualUnitSetup& setup);

// The names of the VnApi operations, as faults name them.
bool IsOperationName(std::string_view name);

// The sense key a reply leaves behind (none for replies that say nothing
// about the unit's state).
std::optional<uint8_t> SenseKeyForReply(int32_t reply);

// One Varn_DocHandle request, as the transport sees it.
struct FeedRequest {
    bool Release = false;     // move the held document on instead of feeding
    uint16_t Destination = VnDestinationSorted;
    char WaitLetter = 'G';    // 'W' waits for a document
    bool FrontStamp = false;
    uint16_t PrintMode = 0;   // 0 none, 1 the loaded string, 2 the digital string
    bool ScanCard = false;
    uint16_t CodelineRequest = VnCodelineNone; // VnCodelineMicr, VnCodelineMicrOcr, else none
    char Side = 'N';              // the cameras are lit for any side but 'N'
    uint16_t ScanMode = VnScanModeGrey256At200;
};

// The sides an image side letter names, and the letter each is scanned with.
struct SideLetters {
    char Front = 0; // 0: not this side
    char Back = 0;
};
// Nothing for an unknown letter; 'N' names no side.
std::optional<SideLetters> SidesOf(char side);

// Varn_AutoDocHandle's job.
struct AutoRunJob {
    bool FrontStamp = false;
    bool Print = false;
    uint16_t CodelineType = 0; // 1 MICR, 15 MICR + OCR, an OCR or barcode letter, 2 PDF417, 0 none
    uint16_t ScanMode = VnScanModeGrey256At200;
    uint16_t Count = 0;        // 0: every document in the feeder
    uint16_t ClearImage = 1;
    char Side = 'X';
    bool SaveImages = false;   // save mode 6
    std::string Folder;
    std::string BaseName;
    // The run's files are numbered after those already in the folder.
    uint32_t FileNumberBase = 0;
    uint16_t SaveFormat = 0;
    int32_t JpegQuality = 128;
    char WaitLetter = 'G';
    // The unit's optical read: kind, letter and window.
    std::optional<OpticalReadRequest> OpticalRead;
};

// What Varn_GetDocData hands over for one document.
struct AutoRunDocument {
    int32_t Reply = VnReplyOk;
    uint32_t Number = 0;
    ImageHandle Front;
    ImageHandle Back;
    std::string FrontFile;
    std::string BackFile;
    std::string Optical;
    std::string Micr;
    std::string Barcode;
    int32_t FeederLeft = 0;
};

struct FeedOutcome {
    int32_t Reply = VnReplyOk;
    bool DoubleLeafing = false; // two sheets went through together
};

// A beep or LED pattern sounds for at most a minute: the operation blocks its
// caller (the bench's service dialog waits for it), and no test of the
// beeper needs longer. 65535 beeps of 65535 + 65535 ms would be 99 days.
constexpr uint64_t MaxSignalMilliseconds = 60'000;
// count times (timeOn + timeOff) milliseconds, in 64 bits, cut to the above.
uint64_t SignalMilliseconds(uint16_t count, uint16_t timeOn, uint16_t timeOff);

class VirtualUnit {
public:
    // memoryPath empty: the memory is not kept in a file.
    VirtualUnit(const VirtualUnitSetup& setup, std::string memoryPath);
    ~VirtualUnit();
    VirtualUnit(const VirtualUnit&) = delete;
    VirtualUnit& operator=(const VirtualUnit&) = delete;

    // ---- Faults ----------------------------------------------------------
    // The reply armed for this call of the operation, if any; its effect on
    // the unit's state has been applied.
    std::optional<int32_t> TakeOperationFault(std::string_view operation);
    bool ArmOperationFault(const std::string& operation, int32_t reply);
    void ArmDocumentFault(uint32_t ordinal, DocumentFaultKind kind, int32_t reply);

    // ---- Connection ------------------------------------------------------
    int32_t Open(uint16_t connectionType, uint16_t* handle);
    int32_t Close(uint16_t handle);
    int32_t SetAddress(uint16_t connectionType, const char* text, uint16_t port, bool byNodeName);
    bool IsOpen(uint16_t handle) const { return Connected && handle == Handle; }

    // ---- Service ---------------------------------------------------------
    const UnitIdentity& Identity() const { return Ident; }
    const std::array<uint8_t, 4>& FeatureBytes() const { return Memory.Configuration; }
    uint8_t SenseKey() const;
    std::array<uint8_t, 2> SensorBytes() const;
    int32_t Reset(char resetType);
    // The operations that store a kept value reply -4 (peripheral hardware
    // error) when the memory file could not be written: the value holds only
    // until the unit goes away.
    int32_t SetConfiguration(const uint8_t* block);
    uint8_t Trimmer() const { return Memory.Trimmer; }
    int32_t SetTrimmer(uint8_t value);
    uint16_t TimeSample() const { return Memory.TimeSample; }
    int32_t SetTimeSample(uint16_t value);
    uint16_t ImageCalibration() const { return Memory.ImageCalibration; }
    int32_t SetImageCalibration(uint16_t value);
    int32_t History(uint16_t command, HistoryRecord* record);
    int32_t Eeprom(uint16_t command, uint16_t offset, int16_t count, uint8_t* buffer);
    // Beep and Led record the request and count its time as work; they
    // return how long the unit sounds or blinks, in real milliseconds, for
    // the caller to wait without holding the unit.
    uint32_t Beep(uint16_t count, uint16_t timeOn, uint16_t timeOff);
    int32_t Led(uint16_t color, uint16_t timeOn, uint16_t timeOff, uint32_t* realMilliseconds);
    // MemoryDumpSize bytes.
    std::vector<uint8_t> MemoryImage() const;
    // Feeder and trigger readings, then their switching thresholds.
    std::array<uint8_t, 8> PhotoValues();
    // Shading of one side (1 front, 0 back): a dirty element found on its
    // sensor is evened out in that side's images from then on.
    int32_t ScannerCalibration(uint16_t side);
    // Sets both emitters' drive so a covered sensor reads in its range, and
    // the thresholds between covered and clear.
    int32_t PhotosCalibration();
    // Every operation made on the unit, for its log.
    void NoteOperation(std::string_view operation, int32_t reply);

    // ---- Document path ---------------------------------------------------
    FeedOutcome HandleDocument(const FeedRequest& request);
    // The document the last successful feed or release moved: what the
    // images, codelines and signals are taken from. Null before the first
    // document and after a jam.
    UnitDocument* LastDocument() { return InHand.get(); }
    bool LastFeedDoubleLeafing() const { return LastDoubleLeafing; }
    const UnitPhysics& Physics() const { return Phys; }
    const VirtualUnitSetup& Setup() const { return Set; }

    // ---- Printer ---------------------------------------------------------
    // The endorsement for the next prints; counting: "%d" becomes the
    // counter, which starts at counterStart and rises by one per document
    // printed, zero-padded to counterDigits.
    int32_t LoadEndorsement(char fontLetter, std::string text, bool counting, int32_t counterStart,
                            uint16_t counterDigits);
    int32_t LoadDigitalString(const PrintJob& digital);

    // ---- What the unit saw -----------------------------------------------
    // Replies -9 while no document has passed.
    int32_t ReadCodeline(std::string* codeline);
    int32_t ReadMicrAndOcr(std::string* micrCodeline, std::string* ocrCodeline);
    int32_t ReadImages(uint16_t clearImage, char side, ImageHandle* front, ImageHandle* back);
    int32_t ReadE13bSignal(const std::vector<uint8_t>** samples);
    int32_t ReadCmc7Record(std::array<uint8_t, micr::Cmc7DataSize>* record);
    int32_t BeltTest(size_t capacity, std::vector<uint8_t>* samples);

    // ---- Automatic run ---------------------------------------------------
    void SetStopOnCodelineError(bool stop) { StopOnCodelineError = stop; }
    int32_t StartAutoRun(const AutoRunJob& job);
    // Feeds the run's next document; wantFront/wantBack: the caller takes
    // that side's image.
    AutoRunDocument FetchAutoRunDocument(bool wantFront, bool wantBack);

    // ---- Badge -----------------------------------------------------------
    // Checks a read of these tracks: 0 when the reader can read them.
    int32_t CheckBadgeRead(uint8_t tracks) const;
    // The swiped badge's tracks asked for, joined by 't', and the swipe is
    // used up; nothing while no badge was swiped.
    std::optional<std::string> TakeBadgeData(uint8_t tracks);
    // How long a read waits for a swipe, in real milliseconds (0: no wait).
    uint32_t BadgeWaitMilliseconds() const;
    // Simulated milliseconds as real ones, by the set-up's time scale.
    uint32_t RealMilliseconds(uint64_t simulated) const;
    // Counts resets, closes and power cycles: a waiting read that sees it
    // change was interrupted.
    uint32_t Interruptions() const { return InterruptionCount; }
    void SetBadgeReadWaiting(bool waiting) { BadgeReadWaiting = waiting; }

    // ---- Test control ----------------------------------------------------
    void LoadDocuments(std::vector<DocumentSpec> documents);
    void LoadCheques(uint32_t count);
    void EmptyFeeder() { Feeder.clear(); }
    bool RemoveDocument(size_t index)
    {
        if (index >= Feeder.size())
            return false;
        Feeder.erase(Feeder.begin() + static_cast<std::ptrdiff_t>(index));
        return true;
    }
    std::vector<DocumentSpec> FeederContents() const { return {Feeder.begin(), Feeder.end()}; }
    void SwipeBadge(BadgeTracks tracks) { Badge = std::move(tracks); }
    void SetMagnetisedBelt(bool magnetised) { Set.MagnetisedBelt = magnetised; }
    void SetCondition(const UnitCondition& condition);
    bool ResetKeptValues();
    void ArmEmcFault(uint32_t cycles);
    // Disturbed by the EMC fault: answers nothing until a power cycle.
    bool Silent() const { return IsSilent; }
    // An identification answered: counts towards the EMC fault.
    void CountIdentification();
    // The swiped badge, once.
    std::optional<BadgeTracks> TakeBadge();
    void PowerCycle();
    VirtualUnitState State() const;

private:
    enum class PathState { Empty, Held, Stuck };

    struct ArmedDocumentFault {
        uint32_t FeedNumber = 0; // the value of DocumentsFed when it strikes
        DocumentFaultKind Kind = DocumentFaultKind::Jam;
        int32_t Reply = 0;
    };

    void PowerOn();
    // Simulated time: counted as work, slept scaled by the time scale.
    void Work(uint32_t milliseconds);
    // Writes the memory file; false (and counted) when it could not.
    bool Persist();
    int32_t Kept() { return Persist() ? VnReplyOk : VnReplyHardwareError; }
    void ApplyReplyEffect(std::string_view operation, int32_t reply);
    void JamFrontDocument(uint8_t senseKey);
    FeedOutcome Release(const FeedRequest& request);
    FeedOutcome Feed(const FeedRequest& request);
    std::optional<ArmedDocumentFault> TakeDocumentFault(uint32_t feedNumber);
    void CountMicrReadError(bool e13b);

    // The default stack of generated cheques from index ChequesGenerated on.
    DocumentSpec NextGeneratedCheque();
    PassSettings CurrentPass(const FeedRequest& request);
    PrintJob PrintJobFor(const FeedRequest& request);
    // The document that just passed, with what the request asked of it.
    void TakeIntoHand(const DocumentSpec& document, const FeedRequest& request);
    void ReleaseInHand(const FeedRequest& request);
    bool ScannerFitted(bool front) const;
    // The job has given all it will: further fetches reply 1.
    void EndAutoRun();
    // The pocket a document sent to this destination lands in.
    void Pocket(uint16_t destination, const DocumentSpec& document);

    VirtualUnitSetup Set;
    UnitPhysics Phys;
    UnitIdentity Ident;
    std::string MemoryPath;
    UnitMemory Memory;

    // Connection
    bool Connected = false;
    uint16_t Handle = 0;
    uint16_t NextHandle = 1;
    uint16_t AddressType = 0;
    std::string IpAddress;
    std::string NodeName;
    uint16_t Port = 0;

    // Status
    bool JustOn = true;
    bool Jammed = false;
    uint8_t JamSense = VnSensePaperJam;
    std::optional<uint8_t> ErrorSense;
    bool DoubleLeafWarning = false;

    // Path and feeder
    std::deque<DocumentSpec> Feeder;
    // What the set-up put in the feeder: put back at a connection that
    // finds the feeder empty, so that a demonstration never runs dry.
    std::vector<DocumentSpec> SetupStack;
    std::vector<DocumentSpec> DefaultStack; // DefaultFeeder(seed), made when first needed
    uint32_t ChequesGenerated = 0;
    PathState Path = PathState::Empty;
    std::optional<DocumentSpec> PathDocument;
    std::unique_ptr<UnitDocument> InHand;
    bool LastDoubleLeafing = false;
    uint32_t DocumentsFed = 0;
    // The output pockets since power-on; a held document counts as retained.
    PocketRecord RetainedPocket;
    PocketRecord SortedPocket;
    PocketRecord EjectedPocket;

    // Printer
    PrintJob Loaded; // endorsement and digital string as loaded
    bool EndorsementLoaded = false;
    bool DigitalLoaded = false;
    bool Counting = false;

    // Automatic run
    enum class RunState { None, Running, Over, StoppedOnError };
    RunState Run = RunState::None;
    AutoRunJob Job;
    uint32_t RunDocuments = 0;
    bool StopOnCodelineError = false;

    // Belt tests made, for their seeds
    uint32_t BeltTests = 0;
    uint32_t InterruptionCount = 0;
    uint32_t MemoryWriteFailures = 0;
    bool BadgeReadWaiting = false;

    // Faults
    std::optional<uint32_t> EmcAnswersLeft;
    bool IsSilent = false;
    uint32_t Identifications = 0;
    std::deque<OperationFault> OperationFaults;
    std::vector<ArmedDocumentFault> DocumentFaults;

    // What the unit was asked to do
    SignalRecord LastBeep;
    SignalRecord LastLed;
    char LastReset = 0;
    uint32_t Resets = 0;
    uint32_t ScannerCalibrations = 0;
    uint32_t PhotosCalibrations = 0;
    uint32_t PhotoReads = 0;
    std::optional<BadgeTracks> Badge;

    // The operation log: a ring, Operations of them made since power-on.
    std::array<OperationNote, OperationRingSize> OperationRing{};
    uint32_t Operations = 0;
};

// What the library and the test control of one unit share.
struct SharedUnit {
    SharedUnit(const VirtualUnitSetup& setup, std::string memoryPath) : Unit(setup, std::move(memoryPath)) {}
    std::mutex Mutex;
    // Told whenever a waiting badge read may have something to see: a swipe,
    // a reset, a close, a power cycle.
    std::condition_variable Changed;
    VirtualUnit Unit;
};

} // namespace virtualunit
