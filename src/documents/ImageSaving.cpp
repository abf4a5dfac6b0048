#include "documents/ImageSaving.h"

#include <cstdio>

#include "core/BenchState.h"
#include "core/ReplyCodes.h"

namespace {

const char* ExtensionFor(uint16_t format)
{
    switch (format) {
    case 10: return "jpg";
    case 11: return "bmp";
    case 3:
    case 25:
    case 27:
    case 28:
    case 29: return "tif";
    default: return nullptr;
    }
}

} // namespace

std::string DocumentImageName(const std::string& imagesFolder, uint16_t number, uint16_t format, bool front)
{
    const char* extension = ExtensionFor(format);
    if (!extension)
        return {};
    char name[64];
    std::snprintf(name, sizeof name, "%s%04u%s.%s", "Image_", static_cast<unsigned>(number), front ? "FF" : "BB",
                  extension);
    return imagesFolder + "/" + name;
}

int32_t SaveDocumentImages(Bench& bench, uint16_t number, uint16_t format, const PackedBitmap* front,
                           const PackedBitmap* back, std::vector<std::string>* saved)
{
    if (!ExtensionFor(format))
        return 0;
    int32_t failed = 0;
    auto save = [&](const PackedBitmap* image, bool isFront) {
        const std::string path = DocumentImageName(ImagesFolderOf(bench.State), number, format, isFront);
        int32_t reply = 0;
        const char* call = "Varn_SaveTIFF";
        switch (format) {
        case 10:
            call = "Varn_SaveJPEG";
            reply = bench.Api.Varn_SaveJPEG(bench.Window, image,
                                            static_cast<int32_t>(bench.State.Settings.JpegQuality), path.c_str());
            break;
        case 11:
            call = "Varn_SaveBMP";
            reply = bench.Api.Varn_SaveBMP(bench.Window, image, path.c_str());
            break;
        default:
            reply = bench.Api.Varn_SaveTIFF(bench.Window, image, path.c_str(), format, 0, 1);
            break;
        }
        if (reply == 0 && saved)
            saved->push_back(path);
        if (reply == 0 || failed != 0)
            return;
        failed = reply;
        if (!bench.State.SaveFailureReported) {
            bench.State.SaveFailureReported = true;
            ReportReply(bench.Op, reply, call);
        }
    };
    if (front)
        save(front, true);
    if (back)
        save(back, false);
    return failed;
}
