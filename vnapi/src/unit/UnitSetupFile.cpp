#include "unit/UnitSetupFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "docs/ChequeGenerator.h"
#include "unit/VirtualUnit.h"

namespace virtualunit {

namespace {

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Decimal, or hexadecimal after "0x"; the whole text must be the number.
std::optional<long long> ParseInteger(const std::string& text)
{
    const std::string t = Trim(text);
    if (t.empty())
        return std::nullopt;
    const bool hex = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
    const char* begin = t.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(begin, &end, hex ? 16 : 10);
    if (errno != 0 || end == begin || *end != '\0')
        return std::nullopt;
    return value;
}

std::optional<long long> ParseInRange(const std::string& text, long long lowest, long long highest)
{
    auto value = ParseInteger(text);
    if (!value || *value < lowest || *value > highest)
        return std::nullopt;
    return value;
}

std::optional<float> ParseNumber(const std::string& text)
{
    const std::string t = Trim(text);
    if (t.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(t.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value))
        return std::nullopt;
    return static_cast<float>(value);
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(Trim(part));
    return parts;
}

std::optional<DocumentKind> KindNamed(const std::string& name)
{
    const std::string n = Lower(name);
    if (n == "cheque" || n == "check")
        return DocumentKind::Cheque;
    if (n == "e13bcalibration")
        return DocumentKind::E13bCalibration;
    if (n == "colourtest" || n == "colortest")
        return DocumentKind::ColourTest;
    if (n == "white")
        return DocumentKind::White;
    if (n == "blank")
        return DocumentKind::Blank;
    if (n == "card")
        return DocumentKind::Card;
    return std::nullopt;
}

// One "Key = Value" or flag of a document line; false when not understood.
bool ApplyDocumentField(DocumentSpec& d, const std::string& field)
{
    const auto eq = field.find('=');
    const std::string key = Lower(Trim(field.substr(0, eq)));
    if (eq == std::string::npos) {
        if (key == "jam")
            d.Jam = true;
        else if (key == "doublefeed")
            d.DoubleFeed = true;
        else
            return false;
        return true;
    }
    const std::string value = Trim(field.substr(eq + 1));
    const std::string lowered = Lower(value);
    if (key == "length" || key == "height") {
        auto mm = ParseNumber(value);
        if (!mm || *mm < 20.0f || *mm > 400.0f)
            return false;
        (key == "length" ? d.LengthMm : d.HeightMm) = *mm;
    } else if (key == "micr") {
        if (lowered == "e13b")
            d.Micr = MicrFont::E13B;
        else if (lowered == "cmc7")
            d.Micr = MicrFont::CMC7;
        else if (lowered == "none")
            d.Micr = MicrFont::None;
        else
            return false;
    } else if (key == "codeline") {
        d.Codeline = value;
    } else if (key == "ocr") {
        if (lowered == "ocra")
            d.Ocr = OcrFont::OcrA;
        else if (lowered == "ocrb")
            d.Ocr = OcrFont::OcrB;
        else if (lowered == "none")
            d.Ocr = OcrFont::None;
        else
            return false;
    } else if (key == "ocrtext") {
        d.OcrText = value;
    } else if (key == "barcode") {
        if (lowered == "twooffive" || lowered == "2of5")
            d.Barcode = BarcodeKind::TwoOfFive;
        else if (lowered == "code39")
            d.Barcode = BarcodeKind::Code39;
        else if (lowered == "code128")
            d.Barcode = BarcodeKind::Code128;
        else if (lowered == "none")
            d.Barcode = BarcodeKind::None;
        else
            return false;
    } else if (key == "barcodetext") {
        d.BarcodeText = value;
    } else if (key == "pdf417") {
        d.Pdf417Text = value;
    } else if (key == "payee") {
        d.Payee = value;
    } else if (key == "amount") {
        d.Amount = value;
    } else if (key == "seed") {
        auto seed = ParseInRange(value, 0, 0xFFFFFFFFll);
        if (!seed)
            return false;
        d.Seed = static_cast<uint32_t>(*seed);
    } else if (key == "skew") {
        auto skew = ParseNumber(value);
        if (!skew || std::fabs(*skew) > 10.0f)
            return false;
        d.SkewDegrees = *skew;
    } else if (key == "ink") {
        auto ink = ParseInRange(value, 0, 400);
        if (!ink)
            return false;
        d.InkPercent = static_cast<float>(*ink);
    } else if (key == "smudge") {
        auto at = ParseInRange(value, 1, 255);
        if (!at)
            return false;
        d.SmudgeCharacter = static_cast<int>(*at);
    } else {
        return false;
    }
    return true;
}

std::optional<DocumentFaultKind> FaultKindNamed(const std::string& name)
{
    const std::string n = Lower(name);
    if (n == "jam")
        return DocumentFaultKind::Jam;
    if (n == "doublefeed")
        return DocumentFaultKind::DoubleFeed;
    if (n == "doublefeedstop")
        return DocumentFaultKind::DoubleFeedStop;
    return std::nullopt;
}

// Reply codes are small; anything else is a typing error.
std::optional<int32_t> ParseReply(const std::string& text)
{
    auto value = ParseInRange(text, -100000, 100000);
    if (!value || *value == 0)
        return std::nullopt;
    return static_cast<int32_t>(*value);
}

} // namespace

DocumentSpec DocumentOfKind(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Cheque: break;
    case DocumentKind::E13bCalibration: return MakeE13bCalibrationDocument();
    case DocumentKind::Card: return MakeCard();
    case DocumentKind::ColourTest: return MakeColourTestDocument();
    case DocumentKind::White: return MakeWhiteDocument();
    case DocumentKind::Blank: return MakeBlankDocument(DocumentSpec{}.LengthMm);
    }
    return DocumentSpec{};
}

bool IsChequeToGenerate(const DocumentSpec& document)
{
    return document.Kind == DocumentKind::Cheque && document.Micr != MicrFont::None && document.Codeline.empty();
}

DocumentSpec CompleteCheque(const DocumentSpec& placeholder, uint32_t unitSeed, uint32_t index)
{
    // An ordinary cheque in the placeholder's MICR font, with the optional
    // parts it names.
    ChequeLayout layout;
    layout.Micr = placeholder.Micr;
    layout.Ocr = placeholder.Ocr;
    layout.Barcode = placeholder.Barcode;
    layout.Pdf417 = !placeholder.Pdf417Text.empty();
    DocumentSpec cheque = MakeCheque(unitSeed, index, layout);
    const DocumentSpec plain;
    if (placeholder.LengthMm != plain.LengthMm)
        cheque.LengthMm = placeholder.LengthMm;
    if (placeholder.HeightMm != plain.HeightMm)
        cheque.HeightMm = placeholder.HeightMm;
    if (!placeholder.OcrText.empty())
        cheque.OcrText = placeholder.OcrText;
    if (placeholder.Barcode != BarcodeKind::None) {
        // MakeCheque leaves the barcode out beside an OCR line; asked for, it stays.
        cheque.Barcode = placeholder.Barcode;
        if (!placeholder.BarcodeText.empty() || cheque.BarcodeText.empty())
            cheque.BarcodeText = placeholder.BarcodeText;
    }
    if (!placeholder.Pdf417Text.empty())
        cheque.Pdf417Text = placeholder.Pdf417Text;
    if (!placeholder.Payee.empty())
        cheque.Payee = placeholder.Payee;
    if (!placeholder.Amount.empty())
        cheque.Amount = placeholder.Amount;
    if (placeholder.Seed != 0)
        cheque.Seed = placeholder.Seed;
    cheque.Jam = placeholder.Jam;
    cheque.DoubleFeed = placeholder.DoubleFeed;
    cheque.SkewDegrees = placeholder.SkewDegrees;
    cheque.InkPercent = placeholder.InkPercent;
    cheque.SmudgeCharacter = placeholder.SmudgeCharacter;
    return cheque;
}

bool ParseFeederLine(const std::string& key, const std::string& value, std::vector<DocumentSpec>& feeder,
                     std::string& reason)
{
    const std::string k = Lower(key);
    if (k == "cheques") {
        // A feeder holds a few hundred documents at most.
        auto count = ParseInRange(value, 0, 1000);
        if (!count) {
            reason = "cheque count is not a number from 0 to 1000";
            return false;
        }
        for (long long i = 0; i < *count; ++i)
            feeder.push_back(DocumentOfKind(DocumentKind::Cheque));
        return true;
    }
    if (k != "document") {
        reason = "unknown key " + key;
        return false;
    }
    const std::vector<std::string> fields = Split(value, '|');
    const auto kind = fields.empty() ? std::nullopt : KindNamed(fields[0]);
    if (!kind) {
        reason = "unknown document kind";
        return false;
    }
    DocumentSpec document = DocumentOfKind(*kind);
    bool allUnderstood = true;
    for (size_t i = 1; i < fields.size(); ++i) {
        if (fields[i].empty())
            continue;
        if (!ApplyDocumentField(document, fields[i])) {
            allUnderstood = false;
            reason = "field skipped: " + fields[i];
        }
    }
    feeder.push_back(std::move(document));
    return allUnderstood;
}

bool ParseFeederText(const std::string& text, std::vector<DocumentSpec>& feeder, std::vector<std::string>* ignored)
{
    bool allUnderstood = true;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = Trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        const auto eq = line.find('=');
        std::string reason = "no '='";
        if (eq != std::string::npos &&
            ParseFeederLine(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)), feeder, reason))
            continue;
        allUnderstood = false;
        if (ignored)
            ignored->push_back("line " + std::to_string(number) + ": " + reason);
    }
    return allUnderstood;
}

VirtualUnitSetup ReadSetupFile(const std::string& path, std::vector<std::string>* ignored)
{
    std::ifstream in(path);
    if (!in)
        return VirtualUnitSetup{};
    std::ostringstream text;
    text << in.rdbuf();
    return ParseVirtualUnitSetup(text.str(), ignored);
}

} // namespace virtualunit

using namespace virtualunit;

VirtualUnitSetup ParseVirtualUnitSetup(const std::string& text, std::vector<std::string>* ignored)
{
    VirtualUnitSetup setup;
    std::vector<DocumentSpec> feeder;
    bool feederGiven = false;

    std::istringstream in(text);
    std::string line;
    std::string section;
    int number = 0;
    const auto skip = [&](const std::string& reason) {
        if (ignored)
            ignored->push_back("line " + std::to_string(number) + ": " + reason);
    };

    while (std::getline(in, line)) {
        ++number;
        line = Trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']') {
                skip("unclosed section header");
                section.clear();
                continue;
            }
            section = Lower(Trim(line.substr(1, line.size() - 2)));
            if (section != "unit" && section != "feeder" && section != "faults" && section != "badge")
                skip("unknown section " + line);
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            skip("no '='");
            continue;
        }
        const std::string key = Trim(line.substr(0, eq));
        const std::string k = Lower(key);
        const std::string value = Trim(line.substr(eq + 1));

        if (section == "unit") {
            if (k == "generation") {
                auto g = ParseInteger(value);
                if (g && (*g == 39 || *g == 40))
                    setup.Generation = static_cast<uint16_t>(*g);
                else
                    skip("generation must be 39 or 40");
            } else if (k == "model") {
                setup.Model = value;
            } else if (k == "firmware") {
                setup.Firmware = value;
            } else if (k == "releasedate") {
                setup.ReleaseDate = value;
            } else if (k == "internalnumber") {
                setup.InternalNumber = value;
            } else if (k == "printerfirmware") {
                setup.PrinterFirmware = value;
            } else if (k == "boardrelease") {
                if (auto b = ParseInRange(value, 0, 255))
                    setup.BoardRelease = static_cast<uint8_t>(*b);
                else
                    skip("board release must be a byte");
            } else if (k == "fpgarelease") {
                // A letter, as the unit reports it, or its code.
                if (value.size() == 1 && std::isalpha(static_cast<unsigned char>(value[0])))
                    setup.FpgaRelease = static_cast<uint8_t>(value[0]);
                else if (auto b = ParseInRange(value, 0, 255))
                    setup.FpgaRelease = static_cast<uint8_t>(*b);
                else
                    skip("FPGA release must be a letter or a byte");
            } else if (k == "features") {
                std::string spaced = value;
                std::replace(spaced.begin(), spaced.end(), ',', ' ');
                std::istringstream words(spaced);
                std::array<uint8_t, 4> bytes{};
                std::string word;
                size_t count = 0;
                bool good = true;
                while (words >> word) {
                    auto b = ParseInRange(word, 0, 255);
                    if (!b || count == bytes.size()) {
                        good = false;
                        break;
                    }
                    bytes[count++] = static_cast<uint8_t>(*b);
                }
                if (good && count > 0)
                    setup.Features = bytes;
                else
                    skip("features must be one to four bytes");
            } else if (k == "seed") {
                if (auto s = ParseInRange(value, 0, 0xFFFFFFFFll))
                    setup.Seed = static_cast<uint32_t>(*s);
                else
                    skip("seed must be a 32-bit number");
            } else if (k == "timescale") {
                auto scale = ParseNumber(value);
                if (scale && *scale >= 0.0f && *scale <= 100.0f)
                    setup.TimeScale = *scale;
                else
                    skip("time scale must be a number from 0 to 100");
            } else {
                skip("unknown key " + key);
            }
        } else if (section == "feeder") {
            std::string reason;
            const size_t before = feeder.size();
            const bool understood = ParseFeederLine(key, value, feeder, reason);
            // "Cheques = 0" says something too: the feeder is empty.
            if (understood || feeder.size() != before)
                feederGiven = true;
            if (!understood)
                skip(reason);
        } else if (section == "faults") {
            if (k == "oncall") {
                std::istringstream words(value);
                std::string operation, code;
                words >> operation >> code;
                auto r = ParseReply(code);
                if (IsOperationName(operation) && r)
                    setup.OperationFaults.push_back({operation, *r});
                else
                    skip("OnCall needs an operation name and a non-zero reply code");
            } else if (k == "ondocument") {
                std::istringstream words(value);
                std::string ordinalText, what;
                words >> ordinalText >> what;
                auto ordinal = ParseInRange(ordinalText, 1, 100000);
                auto kind = FaultKindNamed(what);
                auto r = kind ? std::nullopt : ParseReply(what);
                if (ordinal && kind)
                    setup.DocumentFaults.push_back({static_cast<uint32_t>(*ordinal), *kind, 0});
                else if (ordinal && r)
                    setup.DocumentFaults.push_back(
                        {static_cast<uint32_t>(*ordinal), DocumentFaultKind::Reply, *r});
                else
                    skip("OnDocument needs a document number and Jam, DoubleFeed, DoubleFeedStop or a reply code");
            } else if (k == "magnetisedbelt" || k == "magnetizedbelt") {
                if (auto flag = ParseInRange(value, 0, 1))
                    setup.MagnetisedBelt = *flag == 1;
                else
                    skip("MagnetisedBelt must be 0 or 1");
            } else if (k == "loosedocument") {
                if (auto flag = ParseInRange(value, 0, 1))
                    setup.LooseDocument = *flag == 1;
                else
                    skip("LooseDocument must be 0 or 1");
            } else if (k == "emcsilentafter") {
                if (auto cycles = ParseInRange(value, 0, 1000000))
                    setup.EmcSilentAfter = static_cast<uint32_t>(*cycles);
                else
                    skip("EmcSilentAfter must be a number of cycles from 0 to 1000000");
            } else if (k == "beltwear") {
                auto wear = ParseNumber(value);
                if (wear && *wear >= 0.0f && *wear <= 1.0f)
                    setup.BeltWear = *wear;
                else
                    skip("BeltWear must be a number from 0 to 1");
            } else if (k == "speedripple") {
                auto ripple = ParseNumber(value);
                if (ripple && *ripple >= 0.0f && *ripple <= 20.0f)
                    setup.SpeedRipplePercent = *ripple;
                else
                    skip("SpeedRipple must be a percentage from 0 to 20");
            } else if (k == "lamplevel") {
                auto level = ParseNumber(value);
                if (level && *level >= 0.1f && *level <= 1.5f)
                    setup.LampLevel = *level;
                else
                    skip("LampLevel must be a number from 0.1 to 1.5");
            } else if (k == "streak") {
                auto mm = ParseNumber(value);
                if (mm && *mm >= 0.0f && *mm <= 120.0f)
                    setup.StreakMm = *mm;
                else
                    skip("Streak must be a height from 0 to 120 mm");
            } else if (k == "inkjetboardsilent") {
                auto flag = ParseInRange(value, 0, 1);
                if (flag)
                    setup.InkjetBoardSilent = *flag == 1;
                else
                    skip("InkjetBoardSilent must be 0 or 1");
            } else {
                skip("unknown key " + key);
            }
        } else if (section == "badge") {
            if (k == "wait") {
                auto seconds = ParseNumber(value);
                if (seconds && *seconds >= 0.0f && *seconds <= 3600.0f)
                    setup.BadgeWaitSeconds = *seconds;
                else
                    skip("Wait must be a number of seconds from 0 to 3600");
            } else if (k == "track1" || k == "track2" || k == "track3") {
                if (!setup.Badge)
                    setup.Badge = BadgeTracks{};
                (k == "track1" ? setup.Badge->Track1 : k == "track2" ? setup.Badge->Track2 : setup.Badge->Track3) =
                    value;
            } else {
                skip("unknown key " + key);
            }
        } else {
            skip("outside a known section");
        }
    }

    if (feederGiven) {
        setup.Feeder = std::move(feeder);
        setup.GeneratedCheques = 0;
    }
    return setup;
}
