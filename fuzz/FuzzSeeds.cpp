// Writes the fuzz targets' seed corpora with the project's own encoders:
// FuzzSeeds <build folder> fills <build folder>/seeds-<Target>/.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "box/BoxProtocol.h"
#include "core/Settings.h"
#include "unit/UnitMemory.h"
#include "unit/UnitPhysics.h"
#include "vnapi/PackedBitmap.h"
#include "vnapi/imaging/BmpFile.h"
#include "vnapi/imaging/FileBytes.h"
#include "vnapi/imaging/JpegFile.h"
#include "vnapi/imaging/TiffFile.h"

namespace {

std::string Folder;

void Write(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = Folder + "/seeds-" + target + "/" + name;
    if (!imaging::WriteFileBytes(path.c_str(), bytes.data(), bytes.size()))
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
}

void Write(const std::string& target, const std::string& name, const std::string& text)
{
    Write(target, name, std::vector<uint8_t>(text.begin(), text.end()));
}

// A small bitmap with dark bars and a gradient, so that every encoder has
// something to do.
std::unique_ptr<PackedBitmap> Pattern(int32_t width, int32_t height, uint16_t bits)
{
    auto image = PackedBitmap::Create(width, height, bits, 200);
    for (int32_t r = 0; r < height; ++r)
        for (size_t i = 0; i < image->RowStride(); ++i)
            image->Row(r)[i] = static_cast<uint8_t>((i / 3) % 2 ? 0 : 0xFF) ^ static_cast<uint8_t>(r * 7);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: FuzzSeeds <build folder>\n");
        return 2;
    }
    Folder = argv[1];

    const auto settings = EncodeSettings(DefaultSettings());
    Write("SettingsFuzz", "default.cfg", std::vector<uint8_t>(settings.begin(), settings.end()));

    Write("UnitSetupFuzz", "example.ini",
          "# A first-generation unit that jams on the third cheque\n[Unit]\nGeneration = 39\nSeed = 7\n"
          "TimeScale = 0.2\nMemoryFile = VarnUnit.mem\n\n[Feeder]\nDocument = E13bCalibration\nCheques = 5\n"
          "Document = Blank | Length = 200\nDocument = Cheque | Micr = CMC7 | Skew = 3 | Seed = 4\n"
          "Document = Card | Barcode = Code39 | BarcodeText = AB12 | Pdf417 = hello\n\n[Faults]\n"
          "OnDocument = 3 Jam\nOnCall = Varn_ScannerCalibration -351\nEmcSilentAfter = 4\nBeltWear = 0.5\n\n"
          "[Badge]\nTrack1 = %B1234^NAME?\nTrack2 = ;1234=5678?\nWait = 2\n");

    const virtualunit::UnitMemory fresh = virtualunit::FreshMemory(virtualunit::PhysicsFor(39, 7), {0x2B, 0x13, 0, 0}, 7);
    Write("UnitMemoryFuzz", "fresh.mem", virtualunit::SerializeMemory(fresh));
    Write("UnitMemoryFuzz", "default.mem", virtualunit::SerializeMemory(virtualunit::UnitMemory{}));

    for (const uint16_t bits : {1, 4, 8, 24}) {
        const auto image = Pattern(33, 9, bits);
        const std::string name = std::to_string(bits) + "bit";
        std::vector<uint8_t> file;
        imaging::EncodeBmp(image.get(), &file);
        Write("BmpFuzz", name + ".bmp", file);
        Write("TiffFuzz", name + ".bmp", file);
        Write("ImageOpenFuzz", name + ".bmp", file);
        file.clear();
        if (imaging::EncodeJpeg(image.get(), 60, &file) == 0) {
            Write("JpegFuzz", name + ".jpg", file);
            Write("TiffFuzz", name + ".jpg", file);
            Write("ImageOpenFuzz", name + ".jpg", file);
        }
        for (const int32_t type : {3, 25, 27, 28, 29}) {
            const std::string path = Folder + "/seeds-TiffFuzz/" + name + "-" + std::to_string(type) + ".tif";
            imaging::SaveTiff(image.get(), path.c_str(), type);
            if (type == 3 || type == 29) {
                const std::string other = Folder + "/seeds-ImageOpenFuzz/" + name + "-" + std::to_string(type) + ".tif";
                imaging::SaveTiff(image.get(), other.c_str(), type);
            }
        }
        // Parameter bytes, then the bitmap.
        std::vector<uint8_t> packed{static_cast<uint8_t>(bits), 100, 0, 0x10};
        packed.insert(packed.end(), image->Bytes().begin(), image->Bytes().end());
        Write("PackedBitmapFuzz", name + ".dib", packed);
    }

    // The bitmap, then the decode's choices read from the end: capacity (2
    // bytes), letter, height, width, y, x (2 bytes each), which decode.
    const auto page = Pattern(120, 40, 8);
    for (const uint8_t which : {0, 1, 2}) {
        std::vector<uint8_t> seed = page->Bytes();
        const uint8_t letter = which == 0 ? 'E' : '3';
        const std::vector<uint8_t> tail{0, 200, letter, 0, 20, 0, 50, 0, 0, 0, 0, which};
        seed.insert(seed.end(), tail.begin(), tail.end());
        Write("DecodeFuzz", "decode" + std::to_string(which) + ".bin", seed);
    }

    Write("BadgeTracksFuzz", "three", std::string("\xE0") + "%B1234^NAME/A?;1234=5678?_;0123456789?");
    Write("BadgeTracksFuzz", "two", std::string("\x60") + ";1234=5678?");
    Write("EepromTextFuzz", "list", std::string("\x05\x00") + "1, 0x20, -3, 255, 7");
    Write("EepromTextFuzz", "repeat", std::string("\x00\x04") + " 12");

    box::Frame frame;
    const std::vector<uint8_t> encoded = box::EncodeFrame(frame);
    Write("BoxFrameFuzz", "empty.frame",
          std::vector<uint8_t>(encoded.begin() + box::LengthPrefixBytes, encoded.end()));
    return 0;
}
