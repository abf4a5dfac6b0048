#include "documents/AutoDocRun.h"

#include <cstring>

#include "core/BenchState.h"
#include "core/ReplyCodes.h"
#include "documents/CodelineLog.h"
#include "documents/DocumentRun.h"
#include "core/Operator.h"
#include "vnapi/SaturatedCast.h"

namespace {

struct DecodeWindow {
    float X = 0, Y = 0, Width = 0, Height = 0;
};

// What the unit reads by itself, and what is left for the bench to decode.
struct DeviceCodeline {
    uint16_t Type = 0;
    uint16_t UnitCode = VnWindowMillimetres;
    DecodeWindow Window;
    uint8_t Remaining = 0;
};

DeviceCodeline ChooseDeviceCodeline(const SettingsRecord& s)
{
    DeviceCodeline c;
    c.Window = {s.OcrWindowX, s.OcrWindowY, s.OcrWindowWidth, s.OcrWindowHeight};
    c.Remaining = s.CodelineType;
    if (s.CodelineType & CodelineBits::Micr) {
        c.Type = VnCodelineMicr;
        c.Remaining &= ~CodelineBits::Micr;
    } else if (s.CodelineType & CodelineBits::MicrOcr) {
        c.Type = VnCodelineMicrOcr;
    } else if (s.CodelineType & CodelineBits::Ocr) {
        c.Type = s.OcrReadType;
        if (s.OcrWindowInch)
            c.UnitCode = VnWindowInches;
        c.Remaining &= ~CodelineBits::Ocr;
    } else if (s.CodelineType & CodelineBits::Barcode) {
        c.Type = s.BarcodeType;
        c.Window = {s.BarcodeWindowX, s.BarcodeWindowY, s.BarcodeWindowWidth, s.BarcodeWindowHeight};
        c.Remaining &= ~CodelineBits::Barcode;
    } else if (s.CodelineType & CodelineBits::Pdf417) {
        c.Type = VnCodelinePdf417;
        c.Window = {s.Pdf417WindowX, s.Pdf417WindowY, s.Pdf417WindowWidth, s.Pdf417WindowHeight};
        c.Remaining &= ~CodelineBits::Pdf417;
    }
    return c;
}

DocumentRecord Record(int32_t status, const char* optical, const char* micr, const char* barcode,
                      const char* frontName, const char* backName)
{
    DocumentRecord record;
    record.Status = status;
    record.Optical = QString::fromLatin1(optical);
    record.Micr = QString::fromLatin1(micr);
    record.Barcode = QString::fromLatin1(barcode);
    for (const char* name : {frontName, backName})
        if (name[0] != 0)
            record.ImageFiles << QString::fromLocal8Bit(name);
    return record;
}

} // namespace

int32_t RunAutoDocHandle(Bench& bench)
{
    BenchState& st = bench.State;
    SettingsRecord& s = st.Settings;
    VnApi& api = bench.Api;
    const uint16_t unit = st.UnitHandle;
    const VnWindow window = bench.Window;

    const uint16_t printFlag = (s.EndorsePrintMode == 1 || s.EndorsePrintMode == 65) ? 1 : 0;
    if (printFlag && (st.Identity.FeatureBytes[0] & VnFeatureInkjet)) {
        const char letter = EndorseFontLetter(s.EndorsePrintMode, s.EndorseBold, s.PrintHigh);
        const std::string text = GetText(s.EndorseString);
        const auto length = static_cast<uint16_t>(text.size());
        const int32_t reply = text.find("%d") != std::string::npos
                                  ? api.Varn_LoadStringWithCounter(unit, window, letter, text.c_str(), length, 8, 3)
                                  : api.Varn_LoadString(unit, window, letter, length, text.c_str());
        if (ReportReply(bench.Op, reply, "Varn_LoadString"))
            return 0;
    }

    const std::string imagesFolder = ImagesFolderOf(st);
    char side = static_cast<char>(s.ImageSide);
    if (side == 'N' && (s.CodelineType & CodelineBits::Ocr))
        side = 'F';

    api.Varn_ViewOCRRectangle(window, st.ViewOcrRectOption);
    const DeviceCodeline device = ChooseDeviceCodeline(s);

    const AutoDocOptions options{0, st.StopOnCodelineError ? 1 : 0};
    api.Varn_SetAutoDocOptions(unit, window, &options);

    int32_t status = api.Varn_AutoDocHandle(
        unit, window, s.FrontStamp, printFlag, device.Type, s.ScanMode, 0, 1, s.DocumentCount, s.ClearImage, side, 0,
        s.SaveImageMode, imagesFolder.c_str(), "Image_", device.Window.X, device.Window.Y, device.Window.Width,
        device.Window.Height, device.UnitCode, 0, s.SaveImageFormat, static_cast<int32_t>(s.JpegQuality), 0, 1,
        static_cast<char>(s.WaitTimeout), s.BeepOnError, nullptr, nullptr, nullptr);
    if (status != VnReplyOk && status != VnReplyFeederEmpty) {
        ReportReply(bench.Op, status, "Varn_AutoDocHandle");
        return 0;
    }

    CodelineLog log;
    if (s.SaveCodelineOnFile)
        log.Open(LogFolderOf(st) + "CodelineVarn.txt", s.ResetCodelineFile != 0);

    uint32_t remaining = s.DocumentCount != 0 ? s.DocumentCount : 1000000;
    uint16_t length = 256;
    uint16_t barcodeLength = 256;
    uint16_t index = 1;
    const QString countText = s.DocumentCount != 0 ? QString(" of %1").arg(s.DocumentCount) : QString();

    while (status == VnReplyOk) {
        char frontName[VnFileNameSize] = {};
        char backName[VnFileNameSize] = {};
        ImageHandle front;
        ImageHandle back;
        char optical[VnCodelineSize] = {};
        char micr[VnCodelineSize] = {};
        char barcode[VnCodelineSize] = {};
        uint32_t documentNumber = 0;
        int32_t extra = 0;

        bench.Op.ShowStatus(QString("Document %1%2").arg(index).arg(countText));
        status = api.Varn_GetDocData(unit, window, &documentNumber, frontName, backName, nullptr, nullptr, &front,
                                     &back, nullptr, nullptr, optical, micr, barcode, nullptr, &extra, nullptr,
                                     nullptr, nullptr);
        if (status <= VnReplyRunDocumentFailed) {
            if (st.ViewImageOption) {
                DocumentShow show;
                show.Status = status;
                show.Prefix = index;
                show.DocumentNumber = documentNumber;
                show.Front = front.get();
                show.Back = back.get();
                show.Text1 = QString::fromLatin1(optical);
                show.Text2 = QString::fromLatin1(micr);
                show.Text3 = QString::fromLatin1(barcode);
                bench.Op.ShowDocumentImages(show);
            }
            bench.Op.DocumentDone(Record(status, optical, micr, barcode, frontName, backName));
            ReportReply(bench.Op, status, "Varn_GetDocData");
            break;
        }
        if (status != VnReplyOk && status != VnReplyDoubleLeafing && status != VnReplyNetBusy) {
            ReportReply(bench.Op, status, "Varn_GetDocData");
            if (status == VnReplyStoppedOnCodelineError)
                bench.Op.DocumentDone(Record(status, optical, micr, barcode, frontName, backName));
            if (status == VnReplyFeederEmpty || status == VnReplyStoppedOnCodelineError)
                break;
        }

        // A double feed keeps its warning in the window titles even when a
        // decode below clears the status.
        const bool doubleLeafing = status == VnReplyDoubleLeafing;
        if (device.Remaining & CodelineBits::Ocr) {
            const bool xSwitch = s.OcrReadType == 'X';
            const char single[2] = {static_cast<char>(s.OcrReadType), 0};
            const DecodeOptions decodeOptions{1, xSwitch ? 'X' : 'N'};
            length = 256;
            status = api.Varn_CodelineReadFromBitmap(window, front.get(), xSwitch ? "EF" : single, s.OcrWindowInch,
                                                     s.OcrWindowX, s.OcrWindowY, s.OcrWindowWidth,
                                                     s.OcrWindowHeight, &decodeOptions, optical, &length);
            ReportReply(bench.Op, status, "Varn_CodelineReadFromBitmap");
            status = 0;
        }
        if (device.Remaining & CodelineBits::Barcode) {
            barcodeLength = 256;
            status = api.Varn_ReadBarcodeFromBitmap(
                window, front.get(), '2', SaturatedInt32(s.BarcodeWindowX), SaturatedInt32(s.BarcodeWindowY),
                SaturatedInt32(s.BarcodeWindowWidth), SaturatedInt32(s.BarcodeWindowHeight), barcode,
                &barcodeLength);
            ReportReply(bench.Op, status, "Varn_ReadBarcodeFromBitmap");
            status = 0;
        }
        if (device.Remaining & CodelineBits::Pdf417) {
            int32_t unused = 0;
            length = 256;
            status = api.Varn_ReadPdf417FromBitmap(window, front.get(), barcode, &length, &unused, 0, 0, 0, 0);
            ReportReply(bench.Op, status, "Varn_ReadPdf417FromBitmap");
            status = 0;
        }

        KeepLastCodeline(st, optical, micr, barcode);
        if (s.CheckCodeline && s.OcrReadType != 0)
            CompareWithCodelineBase(bench.Op, GetText(s.CodelineBase).c_str(), st.LastCodeline.data(), true);

        if (st.ViewImageOption) {
            DocumentShow show;
            show.Status = doubleLeafing ? VnReplyDoubleLeafing : status;
            show.Prefix = index;
            show.DocumentNumber = s.ImageCounter;
            show.Front = front.get();
            show.Back = back.get();
            show.Text1 = QString::fromLatin1(optical);
            show.Text2 = QString::fromLatin1(micr);
            show.Text3 = QString::fromLatin1(barcode);
            bench.Op.ShowDocumentImages(show);
        }
        if (status == VnReplyDoubleLeafing)
            status = VnReplyOk;

        log.WriteLine(micr);
        log.WriteLine(optical);
        log.WriteLine(barcode);
        bench.Op.DocumentDone(Record(doubleLeafing ? VnReplyDoubleLeafing : status, optical, micr, barcode,
                                     frontName, backName));

        st.CurrentBackImage = std::move(back);
        st.CurrentFrontImage = std::move(front);

        bench.Op.PumpEvents();

        ++s.ImageCounter;
        ++index;
        if (--remaining == 0 || st.StopRequested)
            break;
        if (st.StopOnCodelineError &&
            (std::strchr(micr, '!') || std::strchr(optical, '!') || std::strchr(barcode, '!')))
            break;
    }

    log.Close();
    bench.Op.ShowStatus(QString());
    bench.Op.PumpEvents();
    return status;
}
