#ifndef ZX_USE_UTF8
#define ZX_USE_UTF8 // texts as UTF-8 std::string
#endif
#include "decode/BarcodeReader.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>

namespace decode {

namespace {

ZXing::BarcodeFormat FormatOf(LinearBarcode type)
{
    switch (type) {
    case LinearBarcode::TwoOfFive: return ZXing::BarcodeFormat::ITF;
    case LinearBarcode::Code39: return ZXing::BarcodeFormat::Code39;
    case LinearBarcode::Code128: return ZXing::BarcodeFormat::Code128;
    }
    return ZXing::BarcodeFormat::None;
}

ZXing::Results ReadAll(const GreyImage& window, ZXing::BarcodeFormat format)
{
    if (window.Width <= 0 || window.Height <= 0)
        return {};
    const ZXing::ImageView view(window.Pixels.data(), window.Width, window.Height, ZXing::ImageFormat::Lum);
    ZXing::DecodeHints hints;
    hints.setFormats(format);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    return ZXing::ReadBarcodes(view, hints);
}

} // namespace

bool LinearBarcodeFromLetter(char letter, LinearBarcode& type)
{
    switch (letter) {
    case '2': type = LinearBarcode::TwoOfFive; return true;
    case '3': type = LinearBarcode::Code39; return true;
    case '4': type = LinearBarcode::Code128; return true;
    default: return false;
    }
}

bool IsAcceptableItf(std::string_view text)
{
    return text.size() >= 6 && text.size() % 2 == 0 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

BarcodeRead ReadLinearBarcode(const GreyImage& window, LinearBarcode type)
{
    BarcodeRead read;
    for (const ZXing::Result& result : ReadAll(window, FormatOf(type))) {
        if (!result.isValid())
            continue;
        std::string text = Utf8ToLatin1(result.text());
        if (type == LinearBarcode::TwoOfFive && !IsAcceptableItf(text))
            continue;
        read.Found = true;
        read.Text = std::move(text);
        break;
    }
    return read;
}

BarcodeRead ReadPdf417(const GreyImage& window)
{
    BarcodeRead read;
    for (const ZXing::Result& result : ReadAll(window, ZXing::BarcodeFormat::PDF417)) {
        if (!result.isValid())
            continue;
        read.Found = true;
        read.Text = Utf8ToLatin1(result.text());
        break;
    }
    return read;
}

std::string Utf8ToLatin1(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t length = 1;
        uint32_t code = lead;
        if (lead >= 0xF0) {
            length = 4;
            code = lead & 0x07u;
        } else if (lead >= 0xE0) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xC0) {
            length = 2;
            code = lead & 0x1Fu;
        } else if (lead >= 0x80) {
            out += '?'; // a stray continuation byte
            ++i;
            continue;
        }
        if (i + length > utf8.size()) {
            out += '?';
            break;
        }
        for (size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        out += code <= 0xFF ? static_cast<char>(code) : '?';
        i += length;
    }
    return out;
}

} // namespace decode
