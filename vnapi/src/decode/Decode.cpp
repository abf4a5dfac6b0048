#include "decode/Decode.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <algorithm>
#include <string>

#include "decode/BarcodeReader.h"
#include "decode/OcrReader.h"

namespace decode {

namespace {

std::atomic<bool> ShowOcrRectangle{false};

// A window without a codeline or symbol is an answer, not a failure of the
// call: the caller shows the document with an empty text instead of stopping
// on an error box.
constexpr int32_t NothingFound = VnReplyOk;

void ClearText(char* buffer, uint16_t* length)
{
    if (buffer && length && *length > 0)
        buffer[0] = '\0';
    if (length)
        *length = 0;
}

int32_t Deliver(const std::string& text, char* buffer, uint16_t* length, int32_t truncatedReply)
{
    const size_t capacity = *length;
    if (capacity == 0)
        return text.empty() ? VnReplyOk : truncatedReply;
    const size_t count = std::min(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    *length = static_cast<uint16_t>(count);
    return count < text.size() ? truncatedReply : VnReplyOk;
}

// The window as grey levels with square pixels, and the resolution to read it at.
GreyImage WindowGrey(const PackedBitmap& image, const PixelRect& rect, double& dotsPerInch)
{
    const Resolution res = ResolutionOf(image);
    dotsPerInch = res.DotsPerInchY;
    GreyImage grey = ExtractGrey(image, rect);
    if (std::abs(res.DotsPerInchX - res.DotsPerInchY) > 0.01 * res.DotsPerInchY)
        grey = ScaleColumns(grey, res.DotsPerInchY / res.DotsPerInchX);
    return grey;
}

bool Readable(const PackedBitmap* image) { return image && image->IsValid(); }

int32_t ReadBarcodeWindow(const PackedBitmap& image, const PixelRect& rect, bool pdf417, LinearBarcode type, char* text,
                          uint16_t* length, int32_t* extra)
{
    BarcodeRead read;
    if (!rect.IsEmpty()) {
        double dpi = 0;
        const GreyImage grey = WindowGrey(image, rect, dpi);
        read = pdf417 ? ReadPdf417(grey) : ReadLinearBarcode(grey, type);
    }
    if (extra)
        *extra = static_cast<int32_t>(read.Text.size());
    if (!read.Found) {
        ClearText(text, length);
        return NothingFound;
    }
    return Deliver(read.Text, text, length, VnReplyDataLost);
}

} // namespace

int32_t CodelineReadFromBitmap(const PackedBitmap* image, const char* readType, uint16_t inch, float x, float y,
                               float width, float height, const DecodeOptions* options, char* codeline,
                               uint16_t* length, PixelRect* windowUsed)
{
    try {
        if (windowUsed)
            *windowUsed = {};
        if (!Readable(image)) {
            ClearText(codeline, length);
            return VnReplyImageNotPresent;
        }
        const bool finite = std::isfinite(x) && std::isfinite(y) && std::isfinite(width) && std::isfinite(height);
        const PixelRect rect = finite ? WindowToPixels(*image, inch, x, y, width, height) : PixelRect{};
        if (windowUsed)
            *windowUsed = rect;
        OcrReadRequest request;
        const char mode = options ? options->Mode : 'N';
        if (!finite || !codeline || !length || !ParseOcrReadType(readType, mode, request)) {
            ClearText(codeline, length);
            return VnReplyInvalidCommand;
        }
        OcrLine line;
        if (!rect.IsEmpty()) {
            double dpi = 0;
            const GreyImage grey = WindowGrey(*image, rect, dpi);
            line = ReadOcrLine(grey, dpi, request);
        }
        if (!line.Found) {
            ClearText(codeline, length);
            return NothingFound;
        }
        return Deliver(line.Text, codeline, length, VnReplyCodelineTruncated);
    } catch (...) {
        ClearText(codeline, length);
        return VnReplySystemError;
    }
}

int32_t ReadBarcodeFromBitmap(const PackedBitmap* image, char barcodeType, int32_t x, int32_t y, int32_t width,
                              int32_t height, char* text, uint16_t* length)
{
    try {
        if (!Readable(image)) {
            ClearText(text, length);
            return VnReplyImageNotPresent;
        }
        LinearBarcode type{};
        if (!text || !length || !LinearBarcodeFromLetter(barcodeType, type)) {
            ClearText(text, length);
            return VnReplyInvalidCommand;
        }
        const PixelRect rect = WindowToPixels(*image, 0, x, y, width, height);
        return ReadBarcodeWindow(*image, rect, false, type, text, length, nullptr);
    } catch (...) {
        // zxing reports by exception only what it cannot allocate.
        ClearText(text, length);
        return VnReplySystemError;
    }
}

int32_t ReadPdf417FromBitmap(const PackedBitmap* image, char* text, uint16_t* length, int32_t* extra, int32_t x,
                             int32_t y, int32_t width, int32_t height)
{
    try {
        if (extra)
            *extra = 0;
        if (!Readable(image)) {
            ClearText(text, length);
            return VnReplyImageNotPresent;
        }
        if (!text || !length) {
            ClearText(text, length);
            return VnReplyInvalidCommand;
        }
        const PixelRect rect = WindowToPixels(*image, 0, x, y, width, height);
        return ReadBarcodeWindow(*image, rect, true, LinearBarcode::TwoOfFive, text, length, extra);
    } catch (...) {
        ClearText(text, length);
        return VnReplySystemError;
    }
}

int32_t ViewOcrRectangle(int32_t show)
{
    ShowOcrRectangle.store(show != 0);
    return VnReplyOk;
}

bool OcrRectangleShown() { return ShowOcrRectangle.load(); }

} // namespace decode
