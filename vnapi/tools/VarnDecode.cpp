// Decodes codelines and symbols in scanned images, for people with scans to
// check: each file is loaded and read by the library's own load and decode
// operations, one line per file: the file name, the reply, the text.
//
//   VarnDecode [--type T] [--dpi N] [--window x,y,w,h[,mm|in]] FILE...
//
// Exit status 0 when every file was loaded, 1 when one could not be, 2 for a
// wrong command line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "decode/Decode.h"
#include "vnapi/imaging/ImageFile.h"

namespace {

struct ReadType {
    const char* Name;
    const char* What;
};

const ReadType ReadTypes[] = {
    {"E", "E13B optical (default)"},
    {"A", "OCR-A"},
    {"B", "OCR-B numeric"},
    {"C", "OCR-B alphanumeric"},
    {"F", "OCR-B, the Italian subset"},
    {"X", "E13B and OCR-B Italy on one line, switching font"},
    {"barcode", "2 of 5, Code 39 and Code 128, the first that reads"},
    {"barcode2", "2 of 5"},
    {"barcode3", "Code 39"},
    {"barcode4", "Code 128"},
    {"pdf417", "PDF417"},
};

void Usage(FILE* to)
{
    std::fprintf(to, "usage: VarnDecode [--type T] [--dpi N] [--window x,y,w,h[,mm|in]] FILE...\n"
                     "  --type T    what to read (E by default):\n");
    for (const ReadType& t : ReadTypes)
        std::fprintf(to, "                %-9s %s\n", t.Name, t.What);
    std::fprintf(to, "  --dpi N     the scan's resolution, when the file carries none or a wrong one\n"
                     "  --window    x and y from the image's right and bottom edges, width, height; in\n"
                     "              millimetres (mm, the default) or inches (in); the whole image when left out\n"
                     "  BMP, JPEG and TIFF files. Prints: file, reply, text.\n");
}

struct Window {
    float X = 0, Y = 0, Width = 0, Height = 0;
    bool Inch = false;
};

bool ParseWindow(const std::string& text, Window& w)
{
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ',');)
        parts.push_back(part);
    if (parts.size() == 5) {
        if (parts[4] != "mm" && parts[4] != "in")
            return false;
        w.Inch = parts[4] == "in";
        parts.pop_back();
    }
    if (parts.size() != 4)
        return false;
    float* fields[4] = {&w.X, &w.Y, &w.Width, &w.Height};
    for (size_t i = 0; i < 4; ++i) {
        char* end = nullptr;
        *fields[i] = std::strtof(parts[i].c_str(), &end);
        if (parts[i].empty() || *end || *fields[i] < 0)
            return false;
    }
    return true;
}

bool KnownType(const std::string& type)
{
    for (const ReadType& t : ReadTypes)
        if (type == t.Name)
            return true;
    return false;
}

int32_t Decode(const PackedBitmap& image, const std::string& type, const Window& w, std::string& text)
{
    char buffer[4096] = {};
    uint16_t length = sizeof buffer;
    int32_t reply = 0;
    // The barcode reads take whole millimetres.
    const float mm = w.Inch ? 25.4f : 1.0f;
    const auto whole = [&](float v) { return static_cast<int32_t>(v * mm); };
    if (type == "pdf417") {
        reply = decode::ReadPdf417FromBitmap(&image, buffer, &length, nullptr, whole(w.X), whole(w.Y), whole(w.Width),
                                             whole(w.Height));
    } else if (type.rfind("barcode", 0) == 0) {
        const std::string letters = type.size() > 7 ? type.substr(7) : "234";
        for (char letter : letters) {
            length = sizeof buffer;
            reply = decode::ReadBarcodeFromBitmap(&image, letter, whole(w.X), whole(w.Y), whole(w.Width),
                                                  whole(w.Height), buffer, &length);
            if (reply != 0 || length > 0)
                break;
        }
    } else {
        const DecodeOptions options{1, 'N'};
        reply = decode::CodelineReadFromBitmap(&image, type.c_str(), w.Inch ? 1 : 0, w.X, w.Y, w.Width, w.Height,
                                               &options, buffer, &length);
    }
    text.assign(buffer, length);
    return reply;
}

} // namespace

int main(int argc, char** argv)
{
    std::string type = "E";
    int dpi = 0;
    Window window;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        }
        if (arg == "--type" && hasValue) {
            type = argv[++i];
            if (!KnownType(type)) {
                std::fprintf(stderr, "VarnDecode: unknown read type '%s'\n", type.c_str());
                Usage(stderr);
                return 2;
            }
        } else if (arg == "--dpi" && hasValue) {
            dpi = std::atoi(argv[++i]);
            if (dpi < 20 || dpi > 2400) {
                std::fprintf(stderr, "VarnDecode: a resolution of 20 to 2400 dpi, please\n");
                return 2;
            }
        } else if (arg == "--window" && hasValue) {
            if (!ParseWindow(argv[++i], window)) {
                std::fprintf(stderr, "VarnDecode: the window is x,y,w,h[,mm|in]\n");
                return 2;
            }
        } else if (!arg.empty() && arg[0] == '-') {
            Usage(stderr);
            return 2;
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.empty()) {
        Usage(stderr);
        return 2;
    }
    int status = 0;
    for (const char* path : files) {
        ImageHandle image;
        const int32_t loaded = imaging::LoadImageFile(path, &image);
        if (loaded != 0 || !image) {
            std::printf("%s\t%d\t(not read)\n", path, loaded != 0 ? loaded : -1);
            status = 1;
            continue;
        }
        if (dpi > 0)
            image->SetResolution(PackedBitmap::DpiToPelsPerMeter(dpi), PackedBitmap::DpiToPelsPerMeter(dpi));
        std::string text;
        const int32_t reply = Decode(*image, type, window, text);
        std::printf("%s\t%d\t%s\n", path, reply, text.c_str());
    }
    return status;
}
