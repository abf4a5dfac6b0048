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

// One symbol at most: the multi-symbol search of the zxing-cpp we build
// against (1.4) asserts on some clean Code 128 pictures once it scales them
// down, and an assertion ends the whole process.
ZXing::Result ReadOne(const GreyImage& window, ZXing::BarcodeFormat format)
{
    const ZXing::ImageView view(window.Pixels.data(), window.Width, window.Height, ZXing::ImageFormat::Lum);
    ZXing::DecodeHints hints;
    hints.setFormats(format);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    hints.setMaxNumberOfSymbols(1);
    return ZXing::ReadBarcode(view, hints);
}

// Paints a found linear symbol white across the whole window, along its bars,
// so that the next read finds whatever else the window holds.
void Blank(GreyImage& window, const ZXing::Position& where)
{
    int32_t left = window.Width, right = -1, top = window.Height, bottom = -1;
    for (const ZXing::PointI& p : where) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    constexpr int32_t Margin = 2;
    const bool acrossRows = right - left >= bottom - top; // the bars stand upright
    if (acrossRows) {
        top = 0;
        bottom = window.Height - 1;
    } else {
        left = 0;
        right = window.Width - 1;
    }
    left = std::max(0, left - Margin);
    right = std::min(window.Width - 1, right + Margin);
    top = std::max(0, top - Margin);
    bottom = std::min(window.Height - 1, bottom + Margin);
    for (int32_t y = top; y <= bottom; ++y)
        for (int32_t x = left; x <= right; ++x)
            window.At(x, y) = 255;
}

// A window rarely holds more than one or two symbols; this bounds the reads
// spent skipping short interleaved 2 of 5 fragments.
constexpr int MaxSymbolsTried = 4;

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
    if (window.Width <= 0 || window.Height <= 0)
        return read;
    GreyImage rest = window;
    for (int tries = 0; tries < MaxSymbolsTried; ++tries) {
        const ZXing::Result result = ReadOne(rest, FormatOf(type));
        if (!result.isValid())
            break;
        std::string text = Utf8ToLatin1(result.text());
        if (type == LinearBarcode::TwoOfFive && !IsAcceptableItf(text)) {
            Blank(rest, result.position()); // a fragment: look past it
            continue;
        }
        read.Found = true;
        read.Text = std::move(text);
        break;
    }
    return read;
}

BarcodeRead ReadPdf417(const GreyImage& window)
{
    BarcodeRead read;
    if (window.Width <= 0 || window.Height <= 0)
        return read;
    const ZXing::Result result = ReadOne(window, ZXing::BarcodeFormat::PDF417);
    if (result.isValid()) {
        read.Found = true;
        read.Text = Utf8ToLatin1(result.text());
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
