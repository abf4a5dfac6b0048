#include "documents/DocumentRun.h"

#include <cstring>

#include "app/BenchState.h"
#include "app/MenuTable.h"
#include "device/Connection.h"
#include "device/ReplyCodes.h"
#include "documents/AutoDocRun.h"
#include "documents/CodelineLog.h"
#include "documents/ImageSaving.h"
#include "platform/Operator.h"
#include "vnapi/SaturatedCast.h"

namespace {

bool HasEndorsementPrinter(const BenchState& state) { return (state.Identity.FeatureBytes[0] & 8) != 0; }

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

int32_t HandleOneDocument(Bench& bench, const DocumentDialogs& dialogs)
{
    BenchState& st = bench.State;
    SettingsRecord& s = st.Settings;
    VnApi& api = bench.Api;
    const uint16_t unit = st.UnitHandle;
    const VnWindow window = bench.Window;
    const bool printer = HasEndorsementPrinter(st);

    st.DocumentFileNumber = 0;

    // Print preparation.
    uint16_t printMode = 0;
    if (s.EndorsePrintMode == 1 || s.EndorsePrintMode == 65) {
        printMode = 1;
        if (printer) {
            const char letter = EndorseFontLetter(s.EndorsePrintMode, s.EndorseBold, s.PrintHigh);
            const std::string text = GetText(s.EndorseString);
            const int32_t reply =
                api.Varn_LoadString(unit, window, letter, static_cast<uint16_t>(text.size()), text.c_str());
            if (ReportReply(bench.Op, reply, "Varn_LoadString"))
                return reply;
        }
    } else if (s.EndorsePrintMode == 2) {
        printMode = 2;
        // "No Print" cannot be chosen with the digital print; it prints nowhere.
        const char sideLetters[] = {'N', 'B', 'F', 'X'};
        const char side = s.DigitalPrintSide >= 0 && s.DigitalPrintSide <= 3 ? sideLetters[s.DigitalPrintSide] : 'N';
        const std::string text = GetText(s.DigitalString);
        const std::string fontName = GetText(s.DigitalFontName);
        api.Varn_LoadDigitalString(unit, window, side, text.c_str(), static_cast<uint16_t>(text.size()), 7, 0,
                                   fontName.c_str(), s.DigitalFontSize, static_cast<int32_t>(s.DigitalBold),
                                   static_cast<int32_t>(s.DigitalItalic), static_cast<int32_t>(s.DigitalUnderline),
                                   s.DigitalGrayTone, s.DigitalInch, s.DigitalX, s.DigitalY);
    }

    const uint16_t codelineRequest =
        (s.CodelineType & CodelineBits::Micr) ? 1 : ((s.CodelineType & CodelineBits::MicrOcr) ? 15 : 0);
    const char side = (s.CodelineType & CodelineBits::Ocr) ? 'F' : static_cast<char>(s.ImageSide);

    int32_t reply = api.Varn_DocHandle(unit, window, s.FrontStamp, printMode, codelineRequest, side, s.ScanMode, 0,
                                       s.DocDestination, static_cast<char>(s.WaitTimeout), s.BeepOnError, nullptr,
                                       s.ScanCard, 0);
    if (ReportReply(bench.Op, reply, "Varn_DocHandle"))
        return reply;

    // Opened per document: with "Reset File" it keeps the last document only.
    CodelineLog log;
    if (s.SaveCodelineOnFile)
        log.Open(st.ProgramFolder + "CodelineVarn.txt", s.ResetCodelineFile != 0);

    ImageHandle front;
    ImageHandle back;
    DocumentTexts texts;
    // Each call gets the full capacity: a length left by one read must not
    // shorten the next one's buffer.
    uint16_t length = 256;
    uint16_t barcodeLength = 256;

    if (s.CodelineType & (CodelineBits::Micr | CodelineBits::MicrOcr)) {
        reply = api.Varn_ReadCodeline(unit, window, texts.Micr, &length, nullptr, nullptr, nullptr, nullptr);
        if (ReportReply(bench.Op, reply, "Varn_ReadCodeline"))
            return reply;
    }
    if (side != 'N') {
        reply = api.Varn_ReadImage(unit, window, s.ClearImage, side, 0, 0, &front, &back, nullptr, nullptr);
        if (ReportReply(bench.Op, reply, "Varn_ReadImage"))
            return reply;
    }
    if (side == 'X' || side == 'F') {
        if (s.CodelineType & CodelineBits::Ocr) {
            api.Varn_ViewOCRRectangle(window, st.ViewOcrRectOption);
            const char readType[2] = {static_cast<char>(s.OcrReadType), 0};
            const DecodeOptions options{1, 'N'};
            length = 256;
            reply = api.Varn_CodelineReadFromBitmap(window, front.get(), readType, s.OcrWindowInch, s.OcrWindowX,
                                                    s.OcrWindowY, s.OcrWindowWidth, s.OcrWindowHeight, &options,
                                                    texts.Optical, &length);
            if (ReportReply(bench.Op, reply, "Varn_CodelineReadFromBitmap"))
                return reply;
        }
        if (s.CodelineType & CodelineBits::Pdf417) {
            int32_t unused = 0;
            length = 256;
            reply = api.Varn_ReadPdf417FromBitmap(window, front.get(), texts.Barcode, &length, &unused, 0, 0, 0, 0);
            if (ReportReply(bench.Op, reply, "Varn_ReadPdf417FromBitmap"))
                return reply;
        }
        if (s.CodelineType & CodelineBits::Barcode) {
            reply = api.Varn_ReadBarcodeFromBitmap(
                window, front.get(), static_cast<char>(s.BarcodeType), SaturatedInt32(s.BarcodeWindowX),
                SaturatedInt32(s.BarcodeWindowY), SaturatedInt32(s.BarcodeWindowWidth),
                SaturatedInt32(s.BarcodeWindowHeight), texts.Barcode, &barcodeLength);
            if (ReportReply(bench.Op, reply, "Varn_ReadBarcodeFromBitmap"))
                return reply;
        }
        if (s.SaveImageMode == 6) {
            SaveDocumentImages(bench, st.DocumentFileNumber, s.SaveImageFormat, front.get(), back.get());
            ++st.DocumentFileNumber;
        }
    }

    KeepLastCodeline(st, texts.Optical, texts.Micr, texts.Barcode);
    if (s.CheckCodeline && s.OcrReadType != 0)
        CompareWithCodelineBase(bench.Op, GetText(s.CodelineBase).c_str(), st.LastCodeline.data(), true);

    if (st.ViewImageOption) {
        DocumentShow show;
        show.DocumentNumber = s.ImageCounter;
        show.Front = front.get();
        show.Back = back.get();
        show.Text1 = Text(texts.Optical);
        show.Text2 = Text(texts.Micr);
        show.Text3 = Text(texts.Barcode);
        bench.Op.ShowDocumentImages(show);
    }
    ++s.ImageCounter;

    st.CurrentBackImage = std::move(back);
    st.CurrentFrontImage = std::move(front);

    if (s.DocDestination == 0) {
        dialogs.ReleaseDocument(bench);
        if (s.ReleasePrint == 1 && printer) {
            const std::string text = GetText(s.ReleaseString);
            reply = api.Varn_LoadString(unit, window, s.ReleaseBold ? 'B' : 'N', static_cast<uint16_t>(text.size()),
                                        text.c_str());
            if (ReportReply(bench.Op, reply, "Varn_LoadString"))
                return reply;
        }
        if (s.ReleaseSortMode == 1)
            reply = api.Varn_DocHandle(unit, window, s.ReleaseFrontStamp, s.ReleasePrint, 0,
                                       static_cast<char>(s.ReleaseSide), s.ScanMode, 1, 1,
                                       static_cast<char>(s.WaitTimeout), s.BeepOnError, nullptr, 0, 0);
        else
            reply = api.Varn_DocHandle(unit, window, 0, 0, 0, 'N', s.ScanMode, 1, 5, 'G', 0, nullptr, 0, 0);
        if (ReportReply(bench.Op, reply, "Varn_DocHandle"))
            return reply;
        if (s.ReleaseSide != 'N') {
            reply = api.Varn_ReadImage(unit, window, s.ClearImage, static_cast<char>(s.ReleaseSide), 0, 0, &front,
                                       &back, nullptr, nullptr);
            if (ReportReply(bench.Op, reply, "Varn_ReadImage"))
                return reply;
            if (st.ViewImageOption) {
                DocumentShow show;
                show.DocumentNumber = s.ImageCounter;
                show.Front = front.get();
                show.Back = back.get();
                bench.Op.ShowDocumentImages(show);
                ++s.ImageCounter;
            }
        }
    }

    log.WriteLine(texts.Micr);
    log.WriteLine(texts.Optical);
    log.WriteLine(texts.Barcode);

    // Images read at the release become the current ones; without them the
    // document's own images stay current.
    if (front || back) {
        st.CurrentBackImage = std::move(back);
        st.CurrentFrontImage = std::move(front);
    }
    log.Close();

    uint8_t senseKey = 0;
    uint8_t sensor[VnSensorBytesSize] = {};
    reply = api.Varn_PeripheralStatus(unit, window, &senseKey, sensor);
    if (ReportReply(bench.Op, reply, "Varn_PeripheralStatus"))
        return reply;
    return (sensor[0] & 1) ? 0 : 1;
}

void RunManualDocuments(Bench& bench, const DocumentDialogs& dialogs)
{
    const SettingsRecord& s = bench.State.Settings;
    uint32_t count = s.DocumentCount != 0 ? s.DocumentCount : 65535;
    if (s.DocDestination != 0 && s.DocDestination != 5 && s.ScanCard != 1) {
        RunAutoDocHandle(bench);
        return;
    }
    while (count > 0) {
        const int32_t result = HandleOneDocument(bench, dialogs);
        --count;
        if (result != 0)
            break;
    }
}

void RunDocumentCommand(Bench& bench, int commandId, const DocumentDialogs& dialogs)
{
    MenusGreyed greyed(bench.Op);
    bench.Op.CloseAllChildren();
    OpenUnit(bench, OpenOperation::VnConnect, OpenRule::ReportAndGoOn);
    IdentifyForGeneration(bench);
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
