#include "documents/DocumentRun.h"

#include <cstring>

#include "core/BenchState.h"
#include "core/CommandIds.h"
#include "core/Connection.h"
#include "core/ReplyCodes.h"
#include "documents/AutoDocRun.h"
#include "documents/CodelineLog.h"
#include "documents/ImageSaving.h"
#include "core/Operator.h"
#include "vnapi/SaturatedCast.h"

namespace {

bool HasEndorsementPrinter(const BenchState& state) { return (state.Identity.FeatureBytes[0] & VnFeatureInkjet) != 0; }

QString Text(const char* buffer) { return QString::fromLatin1(buffer); }

// The one-document step's texts; cleared before each document.
struct DocumentTexts {
    char Micr[256] = {};
    char Optical[256] = {};
    char Barcode[256] = {};
};

} // namespace

void KeepLastCodeline(BenchState& state, const char* optical, const char* micr, const char* barcode)
{
    for (const char* text : {optical, micr, barcode}) {
        if (text[0] != 0) {
            std::strncpy(state.LastCodeline.data(), text, state.LastCodeline.size() - 1);
            state.LastCodeline.back() = 0;
            return;
        }
    }
}

char EndorseFontLetter(uint16_t printMode, uint32_t bold, uint16_t printHigh)
{
    char letter = printMode == 65 ? 'A' : (bold ? 'B' : 'N');
    if (printHigh)
        letter = static_cast<char>(letter + 32);
    return letter;
}

int16_t CompareWithCodelineBase(Operator& op, const char* base, const char* read, bool show)
{
    size_t lenB = std::strlen(base);
    size_t lenR = std::strlen(read);
    while (lenB > 0 && base[lenB - 1] == ' ')
        --lenB;
    while (lenR > 0 && read[lenR - 1] == ' ')
        --lenR;
    size_t i = 0;
    size_t j = 0;
    size_t position = 0;
    while (i < lenB && j < lenR) {
        // Trailing blanks are cut, so a blank run always ends before the text does.
        while (base[i] == ' ')
            ++i;
        while (read[j] == ' ')
            ++j;
        if (base[i] != read[j])
            position = j + 1;
        ++i;
        ++j;
    }
    if (i != lenB || j != lenR)
        position = j;
    if (show && position != 0) {
        op.Tone(700, 400);
        op.Message(ErrorTitle, "Different Codeline !", MessageButtons::Ok, MessageIcon::None);
    }
    return static_cast<int16_t>(position);
}

namespace {

// One document on its way through the unit: what the steps share.
struct OneDocument {
    explicit OneDocument(Bench& bench)
        : B(bench), St(bench.State), S(bench.State.Settings), Api(bench.Api), Unit(bench.State.UnitHandle),
          Window(bench.Window), Printer(HasEndorsementPrinter(bench.State))
    {
    }

    // False when the reply stopped the step (it is reported).
    bool Ok(int32_t reply, const char* call)
    {
        Reply = reply;
        return !ReportReply(B.Op, reply, call);
    }

    Bench& B;
    BenchState& St;
    SettingsRecord& S;
    VnApi& Api;
    const uint16_t Unit;
    const VnWindow Window;
    const bool Printer;

    uint16_t PrintMode = 0;
    char Side = 'N';
    ImageHandle Front;
    ImageHandle Back;
    DocumentTexts Texts;
    std::vector<std::string> Saved; // image files written
    int32_t Reply = 0;
};

// Loads what the endorsement printer prints on the document.
bool LoadPrintStrings(OneDocument& d)
{
    const SettingsRecord& s = d.S;
    if (s.EndorsePrintMode == 1 || s.EndorsePrintMode == 65) {
        d.PrintMode = 1;
        if (!d.Printer)
            return true;
        const char letter = EndorseFontLetter(s.EndorsePrintMode, s.EndorseBold, s.PrintHigh);
        const std::string text = GetText(s.EndorseString);
        return d.Ok(d.Api.Varn_LoadString(d.Unit, d.Window, letter, static_cast<uint16_t>(text.size()), text.c_str()),
                    "Varn_LoadString");
    }
    if (s.EndorsePrintMode == 2) {
        d.PrintMode = 2;
        // "No Print" cannot be chosen with the digital print; it prints nowhere.
        const char sideLetters[] = {'N', 'B', 'F', 'X'};
        const char side = s.DigitalPrintSide >= 0 && s.DigitalPrintSide <= 3 ? sideLetters[s.DigitalPrintSide] : 'N';
        const std::string text = GetText(s.DigitalString);
        const std::string fontName = GetText(s.DigitalFontName);
        d.Api.Varn_LoadDigitalString(d.Unit, d.Window, side, text.c_str(), static_cast<uint16_t>(text.size()), 7, 0,
                                     fontName.c_str(), s.DigitalFontSize, static_cast<int32_t>(s.DigitalBold),
                                     static_cast<int32_t>(s.DigitalItalic), static_cast<int32_t>(s.DigitalUnderline),
                                     s.DigitalGrayTone, s.DigitalInch, s.DigitalX, s.DigitalY);
    }
    return true;
}

// Moves the document through the unit.
bool FeedDocument(OneDocument& d)
{
    const SettingsRecord& s = d.S;
    const uint16_t codelineRequest =
        (s.CodelineType & CodelineBits::Micr)
            ? VnCodelineMicr
            : ((s.CodelineType & CodelineBits::MicrOcr) ? VnCodelineMicrOcr : VnCodelineNone);
    d.Side = (s.CodelineType & CodelineBits::Ocr) ? 'F' : static_cast<char>(s.ImageSide);
    return d.Ok(d.Api.Varn_DocHandle(d.Unit, d.Window, s.FrontStamp, d.PrintMode, codelineRequest, d.Side, s.ScanMode,
                                     0, s.DocDestination, static_cast<char>(s.WaitTimeout), s.BeepOnError, nullptr,
                                     s.ScanCard, 0),
                "Varn_DocHandle");
}

// The MICR codeline and the images the unit read.
bool ReadFromUnit(OneDocument& d)
{
    const SettingsRecord& s = d.S;
    if (s.CodelineType & (CodelineBits::Micr | CodelineBits::MicrOcr)) {
        uint16_t length = 256;
        if (!d.Ok(d.Api.Varn_ReadCodeline(d.Unit, d.Window, d.Texts.Micr, &length, nullptr, nullptr, nullptr, nullptr),
                  "Varn_ReadCodeline"))
            return false;
    }
    if (d.Side == 'N')
        return true;
    return d.Ok(d.Api.Varn_ReadImage(d.Unit, d.Window, s.ClearImage, d.Side, 0, 0, &d.Front, &d.Back, nullptr, nullptr),
                "Varn_ReadImage");
}

// The decoders that read the front image, and the images saved to files.
bool DecodeAndSaveFront(OneDocument& d)
{
    const SettingsRecord& s = d.S;
    if (d.Side != 'X' && d.Side != 'F')
        return true;
    // Each call gets the full capacity: a length left by one read must not
    // shorten the next one's buffer.
    if (s.CodelineType & CodelineBits::Ocr) {
        d.Api.Varn_ViewOCRRectangle(d.Window, d.St.ViewOcrRectOption);
        const char readType[2] = {static_cast<char>(s.OcrReadType), 0};
        const DecodeOptions options{1, 'N'};
        uint16_t length = 256;
        if (!d.Ok(d.Api.Varn_CodelineReadFromBitmap(d.Window, d.Front.get(), readType, s.OcrWindowInch, s.OcrWindowX,
                                                    s.OcrWindowY, s.OcrWindowWidth, s.OcrWindowHeight, &options,
                                                    d.Texts.Optical, &length),
                  "Varn_CodelineReadFromBitmap"))
            return false;
    }
    if (s.CodelineType & CodelineBits::Pdf417) {
        int32_t unused = 0;
        uint16_t length = 256;
        if (!d.Ok(d.Api.Varn_ReadPdf417FromBitmap(d.Window, d.Front.get(), d.Texts.Barcode, &length, &unused, 0, 0, 0,
                                                  0),
                  "Varn_ReadPdf417FromBitmap"))
            return false;
    }
    if (s.CodelineType & CodelineBits::Barcode) {
        uint16_t length = 256;
        if (!d.Ok(d.Api.Varn_ReadBarcodeFromBitmap(d.Window, d.Front.get(), static_cast<char>(s.BarcodeType),
                                                   SaturatedInt32(s.BarcodeWindowX),
                                                   SaturatedInt32(s.BarcodeWindowY),
                                                   SaturatedInt32(s.BarcodeWindowWidth),
                                                   SaturatedInt32(s.BarcodeWindowHeight), d.Texts.Barcode,
                                                   &length),
                  "Varn_ReadBarcodeFromBitmap"))
            return false;
    }
    if (s.SaveImageMode == SaveImageModes::On) {
        SaveDocumentImages(d.B, d.St.DocumentFileNumber, s.SaveImageFormat, d.Front.get(), d.Back.get(), &d.Saved);
        ++d.St.DocumentFileNumber;
    }
    return true;
}

// Keeps the codeline, checks it, shows the document and makes its images the
// current ones.
void ShowDocument(OneDocument& d)
{
    BenchState& st = d.St;
    SettingsRecord& s = d.S;
    KeepLastCodeline(st, d.Texts.Optical, d.Texts.Micr, d.Texts.Barcode);
    if (s.CheckCodeline && s.OcrReadType != 0)
        CompareWithCodelineBase(d.B.Op, GetText(s.CodelineBase).c_str(), st.LastCodeline.data(), true);

    if (st.ViewImageOption) {
        DocumentShow show;
        show.DocumentNumber = s.ImageCounter;
        show.Front = d.Front.get();
        show.Back = d.Back.get();
        show.Text1 = Text(d.Texts.Optical);
        show.Text2 = Text(d.Texts.Micr);
        show.Text3 = Text(d.Texts.Barcode);
        d.B.Op.ShowDocumentImages(show);
    }
    ++s.ImageCounter;

    st.CurrentBackImage = std::move(d.Back);
    st.CurrentFrontImage = std::move(d.Front);
}

// A retained document: the operator chooses how it leaves, it may be printed
// and read again on its way out.
bool ReleaseRetainedDocument(OneDocument& d, const DocumentDialogs& dialogs)
{
    const SettingsRecord& s = d.S;
    dialogs.ReleaseDocument(d.B);
    if (s.ReleasePrint == 1 && d.Printer) {
        const std::string text = GetText(s.ReleaseString);
        if (!d.Ok(d.Api.Varn_LoadString(d.Unit, d.Window, s.ReleaseBold ? 'B' : 'N',
                                        static_cast<uint16_t>(text.size()), text.c_str()),
                  "Varn_LoadString"))
            return false;
    }
    const int32_t reply =
        s.ReleaseSortMode == ReleaseModes::Sort
            ? d.Api.Varn_DocHandle(d.Unit, d.Window, s.ReleaseFrontStamp, s.ReleasePrint, VnCodelineNone,
                                   static_cast<char>(s.ReleaseSide), s.ScanMode, 1, VnDestinationSorted,
                                   static_cast<char>(s.WaitTimeout), s.BeepOnError, nullptr, 0, 0)
            : d.Api.Varn_DocHandle(d.Unit, d.Window, 0, 0, VnCodelineNone, 'N', s.ScanMode, 1, VnDestinationEjected,
                                   'G', 0, nullptr, 0, 0);
    if (!d.Ok(reply, "Varn_DocHandle"))
        return false;
    if (s.ReleaseSide == 'N')
        return true;
    if (!d.Ok(d.Api.Varn_ReadImage(d.Unit, d.Window, s.ClearImage, static_cast<char>(s.ReleaseSide), 0, 0, &d.Front,
                                   &d.Back, nullptr, nullptr),
              "Varn_ReadImage"))
        return false;
    if (d.St.ViewImageOption) {
        DocumentShow show;
        show.DocumentNumber = d.S.ImageCounter;
        show.Front = d.Front.get();
        show.Back = d.Back.get();
        d.B.Op.ShowDocumentImages(show);
        ++d.S.ImageCounter;
    }
    return true;
}

// 0 when another document waits in the feeder, 1 when it is empty.
int32_t FeederState(OneDocument& d)
{
    uint8_t senseKey = 0;
    uint8_t sensor[VnSensorBytesSize] = {};
    if (!d.Ok(d.Api.Varn_PeripheralStatus(d.Unit, d.Window, &senseKey, sensor), "Varn_PeripheralStatus"))
        return d.Reply;
    return (sensor[0] & 1) ? 0 : 1;
}

} // namespace

int32_t HandleOneDocument(Bench& bench, const DocumentDialogs& dialogs)
{
    OneDocument d(bench);
    if (!bench.State.NumberFilesAcrossRun)
        bench.State.DocumentFileNumber = 0;

    if (!LoadPrintStrings(d) || !FeedDocument(d))
        return d.Reply;

    // Opened per document: with "Reset File" it keeps the last document only.
    CodelineLog log;
    if (d.S.SaveCodelineOnFile)
        log.Open(LogFolderOf(d.St) + "CodelineVarn.txt", d.S.ResetCodelineFile != 0);

    if (!ReadFromUnit(d) || !DecodeAndSaveFront(d))
        return d.Reply;
    ShowDocument(d);
    if (d.S.DocDestination == Destinations::Retained && !ReleaseRetainedDocument(d, dialogs))
        return d.Reply;

    log.WriteLine(d.Texts.Micr);
    log.WriteLine(d.Texts.Optical);
    log.WriteLine(d.Texts.Barcode);
    DocumentRecord record;
    record.Micr = Text(d.Texts.Micr);
    record.Optical = Text(d.Texts.Optical);
    record.Barcode = Text(d.Texts.Barcode);
    for (const std::string& file : d.Saved)
        record.ImageFiles << QString::fromStdString(file);
    bench.Op.DocumentDone(record);

    // Images read at the release become the current ones; without them the
    // document's own images stay current.
    if (d.Front || d.Back) {
        d.St.CurrentBackImage = std::move(d.Back);
        d.St.CurrentFrontImage = std::move(d.Front);
    }
    log.Close();
    return FeederState(d);
}

void RunManualDocuments(Bench& bench, const DocumentDialogs& dialogs)
{
    const BenchState& st = bench.State;
    const SettingsRecord& s = st.Settings;
    if (s.DocDestination != Destinations::Retained && s.DocDestination != Destinations::Ejected &&
        s.ScanCard != ScanCardOn) {
        RunAutoDocHandle(bench);
        return;
    }
    const uint32_t count = s.DocumentCount != 0 ? s.DocumentCount : 65535;
    const QString countText = s.DocumentCount != 0 ? QString(" of %1").arg(s.DocumentCount) : QString();
    for (uint32_t index = 1; index <= count; ++index) {
        bench.Op.ShowStatus(QString("Document %1%2").arg(index).arg(countText));
        const int32_t result = HandleOneDocument(bench, dialogs);
        // The frame stays live between documents; a close asks the run to
        // stop here.
        bench.Op.PumpEvents();
        if (result != 0 || st.StopRequested)
            break;
    }
    bench.Op.ShowStatus(QString());
}

void RunDocumentCommand(Bench& bench, int commandId, const DocumentDialogs& dialogs)
{
    MenusGreyed greyed(bench.Op);
    bench.Op.CloseAllChildren();
    OpenUnit(bench, OpenOperation::VnConnect, OpenRule::ReportAndGoOn);
    IdentifyForGeneration(bench);
    bench.State.SaveFailureReported = false;
    switch (commandId) {
    case Cmd::ReadOneDoc:
        if (dialogs.DocumentHandle(bench) == 1)
            HandleOneDocument(bench, dialogs);
        break;
    case Cmd::Manual:
        if (dialogs.DocumentHandle(bench) == 1)
            RunManualDocuments(bench, dialogs);
        break;
    case Cmd::RepeatManual:
        RunManualDocuments(bench, dialogs);
        break;
    default:
        break;
    }
    CloseUnit(bench);
}
