// The virtual unit's work on a document's content: what it prints, what its
// cameras and MICR head deliver, the automatic run, the badge reader and the
// belt test. The document path itself is in VirtualUnit.cpp.
#include <algorithm>
#include <cctype>

#include "docs/MagneticSignal.h"
#include "docs/Random.h"
#include "unit/AutoRunFiles.h"
#include "unit/VirtualUnit.h"
#include "vnapi/MicrSymbols.h"

namespace virtualunit {

namespace {

// Simulated durations, in milliseconds.
constexpr uint32_t BeltTestTime = 3000;
constexpr uint32_t WaitForDocumentTime = 3000;

// A belt test runs the belt a little over one turn.
constexpr size_t BeltTestSamples = 20000;

constexpr int MaxCounterDigits = 10;

bool HasReject(const std::string& text) { return text.find(micr::Reject) != std::string::npos; }

bool AsksMicr(uint16_t codelineRequest)
{
    return codelineRequest == VnCodelineMicr || codelineRequest == VnCodelineMicrOcr;
}

void CopyDigital(const PrintJob& from, PrintJob& to)
{
    to.Digital = true;
    to.DigitalSide = from.DigitalSide;
    to.DigitalText = from.DigitalText;
    to.DigitalFontName = from.DigitalFontName;
    to.DigitalFontSize = from.DigitalFontSize;
    to.DigitalBold = from.DigitalBold;
    to.DigitalItalic = from.DigitalItalic;
    to.DigitalUnderline = from.DigitalUnderline;
    to.DigitalGrayTone = from.DigitalGrayTone;
    to.DigitalInch = from.DigitalInch;
    to.DigitalX = from.DigitalX;
    to.DigitalY = from.DigitalY;
}

void CopyEndorsement(const PrintJob& from, PrintJob& to)
{
    to.Endorse = true;
    to.EndorseText = from.EndorseText;
    to.FontLetter = from.FontLetter;
    to.Counter = from.Counter;
    to.CounterDigits = from.CounterDigits;
}

} // namespace

std::optional<SideLetters> SidesOf(char side)
{
    switch (side) {
    case 'N': return SideLetters{};
    case 'F': return SideLetters{'F', 0};
    case 'B': return SideLetters{0, 'B'};
    case 'X': return SideLetters{'F', 'B'};
    case 'G':
    case 'H':
    case 'I': return SideLetters{side, 0};
    case 'C':
    case 'D':
    case 'E': return SideLetters{0, side};
    case 'Y':
    case 'W':
    case 'Z': return SideLetters{side, side};
    default: return std::nullopt;
    }
}

// ---- The document that passed ----------------------------------------------

PassSettings VirtualUnit::CurrentPass(const FeedRequest& request)
{
    PassSettings pass;
    pass.ScanMode = request.ScanMode;
    pass.Scanned = request.Side != 'N';
    pass.CodelineRequest = request.CodelineRequest;

    // The image calibration value sets the transport scale of the scan: the
    // length a document measures varies inversely with the value, and is true
    // at this unit's right value.
    pass.Scan.HorizontalScale =
        static_cast<double>(Phys.RightImageCalibration) / std::max<uint16_t>(1, Memory.ImageCalibration);
    pass.Scan.LampLevel = Set.LampLevel;
    // A dirty element shows on a side until that side's shading evens it out.
    const auto streakOn = [&](size_t side) {
        return Memory.DirtyElement[side] == DirtyElementAt(Set.StreakMm) ? -1.0 : Set.StreakMm;
    };
    pass.Scan.StreakMm = streakOn(1);
    pass.BackStreakMm = streakOn(0);
    pass.Scan.Seed = static_cast<uint32_t>(MixSeed(Set.Seed, DocumentsFed, 23));

    head::HeadParams& h = pass.Head;
    h.Generation = Phys.Generation;
    h.Trimmer = Memory.Trimmer;
    // This unit's head reads 100 % at its own right trimmer.
    h.Sensitivity = 1.0 / head::AmplifierGain(Phys.RightTrimmer, Phys.Generation);
    // The sampling period follows the time-sample value: at the unit's right
    // value one E13B pitch is the nominal 112 samples.
    h.TimeSample = head::NominalTimeSample;
    h.SpeedFactor = static_cast<double>(Memory.TimeSample) / Phys.RightTimeSample;
    h.JitterPercent = Set.SpeedRipplePercent;
    h.BeltWear = Set.BeltWear;
    // A loose document slips once per pass, the head and the scanner see it.
    if (Set.LooseDocument)
        h.Slip = DocumentsFed % 2 == 0 ? 1 : -1;
    pass.Scan.Slip = h.Slip;
    // Every pass differs a little, the same way for the same seed.
    h.Seed = static_cast<uint32_t>(MixSeed(Set.Seed, DocumentsFed, 19));
    return pass;
}

PrintJob VirtualUnit::PrintJobFor(const FeedRequest& request)
{
    PrintJob job;
    const bool inkjet = (Set.Features[0] & VnFeatureInkjet) != 0;
    if (inkjet && request.PrintMode == 1 && EndorsementLoaded)
        CopyEndorsement(Loaded, job);
    if (inkjet && request.PrintMode == 2 && DigitalLoaded)
        CopyDigital(Loaded, job);
    job.FrontStamp = request.FrontStamp && (Set.Features[0] & VnFeatureVoidingStamp);
    return job;
}

void VirtualUnit::TakeIntoHand(const DocumentSpec& document, const FeedRequest& request)
{
    const PrintJob job = PrintJobFor(request);
    if (job.Endorse && Counting)
        ++Loaded.Counter;
    auto passed = std::make_unique<UnitDocument>(document, job, CurrentPass(request));
    if (InHand)
        passed->ReuseMemoryOf(std::move(*InHand));
    InHand = std::move(passed);
    if ((Set.Features[0] & VnFeatureMicr) && AsksMicr(request.CodelineRequest)) {
        InHand->TakeCodeline();
        if (HasReject(*InHand->Codeline()))
            CountMicrReadError(document.Micr != MicrFont::CMC7);
    }
}

void VirtualUnit::ReleaseInHand(const FeedRequest& request)
{
    if (!InHand) {
        // Held without a scan of its own (the path was jammed meanwhile).
        if (PathDocument)
            InHand = std::make_unique<UnitDocument>(*PathDocument, PrintJobFor(request), CurrentPass(request));
        return;
    }
    const PrintJob fresh = PrintJobFor(request);
    const bool scan = request.Side != 'N';
    if (!fresh.Endorse && !fresh.Digital && !fresh.FrontStamp && !scan)
        return; // ejected without a mark or a look: the scan of the feed stays
    PrintJob job = InHand->Job();
    if (fresh.Endorse) {
        CopyEndorsement(fresh, job);
        if (Counting)
            ++Loaded.Counter;
    }
    if (fresh.Digital)
        CopyDigital(fresh, job);
    job.FrontStamp = job.FrontStamp || fresh.FrontStamp;
    const PassSettings& was = InHand->Pass();
    InHand->Rescan(job, scan || was.Scanned, scan ? request.ScanMode : was.ScanMode);
}

bool VirtualUnit::ScannerFitted(bool front) const
{
    return (Set.Features[1] & (front ? VnFeatureScannerFront : VnFeatureScannerBack)) != 0;
}

// ---- Printer ---------------------------------------------------------------

int32_t VirtualUnit::LoadEndorsement(char fontLetter, std::string text, bool counting, int32_t counterStart,
                                     uint16_t counterDigits)
{
    if (!(Set.Features[0] & VnFeatureInkjet))
        return VnReplyCommandNotSupported;
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(fontLetter)));
    if (upper != 'A' && upper != 'B' && upper != 'N')
        return VnReplyPrintFormatNotSupported;
    if (counting && counterDigits > MaxCounterDigits)
        return VnReplyInvalidCommand;
    Loaded.EndorseText = std::move(text);
    Loaded.FontLetter = fontLetter;
    Counting = counting;
    Loaded.Counter = counting ? counterStart : 0;
    Loaded.CounterDigits = counting ? counterDigits : 0;
    EndorsementLoaded = true;
    return VnReplyOk;
}

int32_t VirtualUnit::LoadDigitalString(const PrintJob& digital)
{
    if (!(Set.Features[0] & VnFeatureInkjet))
        return VnReplyCommandNotSupported;
    const char side = digital.DigitalSide;
    if (side != 'F' && side != 'B' && side != 'X')
        return VnReplyInvalidCommand;
    CopyDigital(digital, Loaded);
    DigitalLoaded = true;
    return VnReplyOk;
}

// ---- What the unit saw -----------------------------------------------------

int32_t VirtualUnit::ReadCodeline(std::string* codeline)
{
    if (!InHand)
        return VnReplyInvalidCommand;
    *codeline = InHand->Codeline().value_or(std::string());
    return VnReplyOk;
}

int32_t VirtualUnit::ReadMicrAndOcr(std::string* micrCodeline, std::string* ocrCodeline)
{
    if (!InHand)
        return VnReplyInvalidCommand;
    *micrCodeline = InHand->Codeline().value_or(std::string());
    ocrCodeline->clear();
    if (InHand->Pass().CodelineRequest == VnCodelineMicrOcr && ScannerFitted(true)) {
        const ImageHandle image = InHand->ReadingImage();
        if (image)
            *ocrCodeline = UnitOpticalRead(*image, CodelineBandRead(InHand->Description().LengthMm));
    }
    return VnReplyOk;
}

int32_t VirtualUnit::ReadImages(uint16_t clearImage, char side, ImageHandle* front, ImageHandle* back)
{
    const std::optional<SideLetters> sides = SidesOf(side);
    if (!sides || clearImage > 2)
        return VnReplyInvalidCommand;
    if (side == 'N')
        return VnReplyOk;
    if ((!sides->Front || !ScannerFitted(true)) && (!sides->Back || !ScannerFitted(false)))
        return VnReplyCommandNotSupported;
    if (!InHand || !InHand->Pass().Scanned)
        return VnReplyImageNotPresent;
    if (sides->Front && front && ScannerFitted(true)) {
        *front = InHand->Image(true, sides->Front, clearImage);
        if (!*front)
            return VnReplyImageNotPresent;
    }
    if (sides->Back && back && ScannerFitted(false)) {
        *back = InHand->Image(false, sides->Back, clearImage);
        if (!*back)
            return VnReplyImageNotPresent;
    }
    return VnReplyOk;
}

int32_t VirtualUnit::ReadE13bSignal(const std::vector<uint8_t>** samples)
{
    if (!(Set.Features[0] & VnFeatureMicr))
        return VnReplyCommandNotSupported;
    if (!InHand)
        return VnReplyInvalidCommand;
    *samples = &InHand->Signal();
    return VnReplyOk;
}

int32_t VirtualUnit::ReadCmc7Record(std::array<uint8_t, micr::Cmc7DataSize>* record)
{
    if (!(Set.Features[0] & VnFeatureMicr))
        return VnReplyCommandNotSupported;
    if (!InHand)
        return VnReplyInvalidCommand;
    *record = InHand->Cmc7Record();
    return VnReplyOk;
}

int32_t VirtualUnit::BeltTest(size_t capacity, std::vector<uint8_t>* samples)
{
    if (!(Set.Features[0] & VnFeatureMicr))
        return VnReplyCommandNotSupported;
    if (Jammed || Path == PathState::Stuck) {
        Jammed = true;
        return VnReplyJammed;
    }
    if (Path == PathState::Held)
        return VnReplyInvalidCommand; // the belt must run free
    Work(BeltTestTime);
    head::HeadParams h = CurrentPass(FeedRequest{}).Head;
    h.Seed = static_cast<uint32_t>(MixSeed(Set.Seed, BeltTests++, 29));
    *samples = head::BeltSignal(h, Set.MagnetisedBelt, std::min(capacity, BeltTestSamples));
    return VnReplyOk;
}

// ---- Automatic run ---------------------------------------------------------

int32_t VirtualUnit::StartAutoRun(const AutoRunJob& job)
{
    if (!SidesOf(job.Side) || job.ClearImage > 2 ||
        (job.Side != 'N' && !ScanModeFormat(job.ScanMode, nullptr, nullptr)))
        return VnReplyInvalidCommand;
    if (Jammed || Path == PathState::Stuck) {
        Jammed = true;
        return VnReplyJammed;
    }
    if (Path == PathState::Held)
        return VnReplyInvalidCommand;
    if (job.Print && (Set.Features[0] & VnFeatureInkjet) && Set.InkjetBoardSilent) {
        ErrorSense = VnSenseHardwareError;
        return VnReplyHardwareError;
    }
    Run = RunState::None;
    if (Feeder.empty()) {
        if (job.WaitLetter == 'W')
            Work(WaitForDocumentTime);
        ErrorSense.reset();
        return VnReplyFeederEmpty;
    }
    Job = job;
    if (Job.SaveImages)
        Job.FileNumberBase = HighestAutoRunFileNumber(Job.Folder, Job.BaseName);
    Run = RunState::Running;
    RunDocuments = 0;
    return VnReplyOk;
}

void VirtualUnit::EndAutoRun()
{
    if (Run != RunState::None)
        Run = RunState::Over;
}

AutoRunDocument VirtualUnit::FetchAutoRunDocument(bool wantFront, bool wantBack)
{
    AutoRunDocument out;
    out.Number = RunDocuments;
    switch (Run) {
    case RunState::None:
        out.Reply = VnReplyInvalidCommand; // no job was given
        return out;
    case RunState::Over:
        out.Reply = VnReplyFeederEmpty;
        return out;
    case RunState::StoppedOnError:
        Run = RunState::Over;
        out.Reply = VnReplyStoppedOnCodelineError;
        return out;
    case RunState::Running:
        break;
    }

    FeedRequest request;
    request.Destination = VnDestinationSorted;
    request.WaitLetter = Job.WaitLetter;
    request.FrontStamp = Job.FrontStamp;
    request.PrintMode = Job.Print ? 1 : 0;
    request.CodelineRequest = AsksMicr(Job.CodelineType) ? Job.CodelineType : 0;
    request.Side = Job.Side;
    request.ScanMode = Job.ScanMode;
    const FeedOutcome fed = HandleDocument(request);
    out.FeederLeft = static_cast<int32_t>(Feeder.size());
    if (fed.Reply != VnReplyOk) {
        // Feeder empty, a jam, a failure: the run is over.
        EndAutoRun();
        out.Reply = fed.Reply;
        return out;
    }
    out.Number = ++RunDocuments;
    UnitDocument& doc = *InHand;
    if (doc.Codeline())
        out.Micr = *doc.Codeline();

    const SideLetters sides = *SidesOf(Job.Side);
    const bool saving = Job.SaveImages && !SaveFormatExtension(Job.SaveFormat).empty();
    const bool optical = Job.OpticalRead || Job.CodelineType == VnCodelineMicrOcr;
    ImageHandle front, back;
    if (sides.Front && ScannerFitted(true) && (wantFront || saving || optical))
        front = doc.Image(true, sides.Front, Job.ClearImage);
    if (sides.Back && ScannerFitted(false) && (wantBack || saving))
        back = doc.Image(false, sides.Back, Job.ClearImage);

    if (optical && ScannerFitted(true)) {
        // The reader looks at the front as the job scans it, or at its own
        // scan when the job keeps no front picture.
        ImageHandle own;
        const bool usable = front && Job.Side != 'N' && sides.Front == 'F';
        if (!usable)
            own = doc.ReadingImage();
        const PackedBitmap* image = usable ? front.get() : own.get();
        if (image && Job.CodelineType == VnCodelineMicrOcr) {
            out.Optical = UnitOpticalRead(*image, CodelineBandRead(doc.Description().LengthMm));
        } else if (image && Job.OpticalRead) {
            std::string text = UnitOpticalRead(*image, *Job.OpticalRead);
            (Job.OpticalRead->Kind == OpticalReadKind::Ocr ? out.Optical : out.Barcode) = std::move(text);
        }
    }

    int32_t saveReply = VnReplyOk;
    if (saving) {
        const auto save = [&](const ImageHandle& image, bool isFront, std::string& name) {
            if (!image)
                return;
            const std::string path =
                AutoRunFileName(Job.Folder, Job.BaseName, Job.FileNumberBase + out.Number, isFront, Job.SaveFormat);
            const int32_t r = SaveAutoRunImage(*image, path, Job.SaveFormat, Job.JpegQuality);
            if (r == VnReplyOk)
                name = path;
            else if (saveReply == VnReplyOk)
                saveReply = r;
        };
        save(front, true, out.FrontFile);
        save(back, false, out.BackFile);
    }
    if (wantFront)
        out.Front = std::move(front);
    if (wantBack)
        out.Back = std::move(back);

    if (StopOnCodelineError && (HasReject(out.Micr) || HasReject(out.Optical) || HasReject(out.Barcode)))
        Run = RunState::StoppedOnError;
    else if (Job.Count != 0 && RunDocuments >= Job.Count)
        Run = RunState::Over;

    // A failed save is an error the operator must see; two sheets at once
    // only warn, and the run goes on.
    out.Reply = saveReply != VnReplyOk ? saveReply : fed.DoubleLeafing ? VnReplyDoubleLeafing : VnReplyOk;
    return out;
}

// ---- Badge -----------------------------------------------------------------

int32_t VirtualUnit::CheckBadgeRead(uint8_t tracks) const
{
    const uint8_t reader = Set.Features[1];
    uint8_t readable = 0;
    if (reader & VnFeatureBadgeTracks12)
        readable |= VnBadgeTrack1 | VnBadgeTrack2;
    if (reader & VnFeatureBadgeTracks23)
        readable |= VnBadgeTrack2 | VnBadgeTrack3;
    if (reader & VnFeatureBadgeTracks123)
        readable |= VnBadgeTrack1 | VnBadgeTrack2 | VnBadgeTrack3;
    if (readable == 0)
        return VnReplyCommandNotSupported;
    const uint8_t all = VnBadgeTrack1 | VnBadgeTrack2 | VnBadgeTrack3;
    if (tracks == 0 || (tracks & ~all) != 0)
        return VnReplyInvalidCommand;
    // Tracks 1 and 3 lie either side of track 2: no head reads them alone.
    if ((tracks & VnBadgeTrack1) && (tracks & VnBadgeTrack3) && !(tracks & VnBadgeTrack2))
        return VnReplyInvalidCommand;
    if ((tracks & ~readable) != 0)
        return VnReplyCommandNotSupported;
    return VnReplyOk;
}

std::optional<std::string> VirtualUnit::TakeBadgeData(uint8_t tracks)
{
    if (!Badge)
        return std::nullopt;
    std::string data;
    bool first = true;
    const std::pair<uint8_t, const std::string*> order[] = {
        {VnBadgeTrack1, &Badge->Track1}, {VnBadgeTrack2, &Badge->Track2}, {VnBadgeTrack3, &Badge->Track3}};
    for (const auto& [bit, text] : order) {
        if (!(tracks & bit))
            continue;
        if (!first)
            data += VnBadgeTrackSeparator;
        data += *text;
        first = false;
    }
    Badge.reset();
    return data;
}

uint32_t VirtualUnit::BadgeWaitMilliseconds() const
{
    const double milliseconds = Set.BadgeWaitSeconds * 1000.0 * Set.TimeScale;
    return static_cast<uint32_t>(std::clamp(milliseconds, 0.0, 4.0e9));
}

} // namespace virtualunit
