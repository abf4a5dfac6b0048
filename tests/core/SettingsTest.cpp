#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "core/Settings.h"
#include "vnapi/ByteOrder.h"

namespace {

enum class W { U8, U16, I16, U32, I32, F32, Text };

struct Expected {
    const char* Name;
    size_t Offset;
    W Width;
    double Default;          // numbers
    const char* TextDefault; // texts
    size_t TextSize;
};

// The record's layout and defaults, written out independently of the code.
const Expected Layout[] = {
    {"FrontStamp", 0, W::U16, 0, nullptr, 0},
    {"EndorsePrintMode", 4, W::U16, 0, nullptr, 0},
    {"EndorseBold", 8, W::U32, 0, nullptr, 0},
    {"EndorseString", 12, W::Text, 0, "", 200},
    {"OcrReadType", 212, W::U8, 'B', nullptr, 0},
    {"SaveCodelineOnFile", 216, W::U32, 0, nullptr, 0},
    {"ResetCodelineFile", 220, W::U32, 1, nullptr, 0},
    {"DocDestination", 224, W::U16, 1, nullptr, 0},
    {"ScanMode", 226, W::U16, 5, nullptr, 0},
    {"ImageSide", 228, W::U8, 'X', nullptr, 0},
    {"BadgeTracks", 232, W::U8, 224, nullptr, 0},
    {"SaveImageMode", 234, W::U16, 5, nullptr, 0},
    {"SaveImageFormat", 236, W::U16, 0, nullptr, 0},
    {"JpegQuality", 238, W::U16, 128, nullptr, 0},
    {"ClearImage", 240, W::U16, 1, nullptr, 0},
    {"DocumentCount", 242, W::U16, 1, nullptr, 0},
    {"BeepOnError", 244, W::U8, 0, nullptr, 0},
    {"OcrWindowX", 248, W::F32, 6.0, nullptr, 0},
    {"OcrWindowY", 252, W::F32, 4.0, nullptr, 0},
    {"OcrWindowWidth", 256, W::F32, 150.0, nullptr, 0},
    {"OcrWindowHeight", 260, W::F32, 10.5, nullptr, 0},
    {"OcrWindowInch", 264, W::U16, 0, nullptr, 0},
    {"WaitTimeout", 272, W::U16, 71, nullptr, 0},
    {"SignalFileCounter", 274, W::U16, 1, nullptr, 0},
    {"CheckCodeline", 276, W::U32, 0, nullptr, 0},
    {"CodelineBase", 280, W::Text, 0, "", 256},
    {"Unused536", 536, W::U16, 100, nullptr, 0},
    {"Unused538", 538, W::U16, 7, nullptr, 0},
    {"Unused540", 540, W::U16, 7, nullptr, 0},
    {"Unused542", 542, W::U16, 10, nullptr, 0},
    {"Unused544", 544, W::F32, 2.0, nullptr, 0},
    {"SetupMicrHead", 548, W::I32, 0, nullptr, 0},
    {"SetupVoidingStamp", 552, W::I32, 0, nullptr, 0},
    {"SetupInkJetPrinter", 556, W::I32, 0, nullptr, 0},
    {"SetupBadgeReader", 560, W::I32, 0, nullptr, 0},
    {"SetupProcessCard", 564, W::I32, 0, nullptr, 0},
    {"SetupPoweredBy", 568, W::I32, 0, nullptr, 0},
    {"ReleasePrint", 582, W::U16, 0, nullptr, 0},
    {"ReleaseBold", 584, W::U32, 0, nullptr, 0},
    {"ReleaseString", 588, W::Text, 0, "", 200},
    {"ReleaseSide", 788, W::U8, 'X', nullptr, 0},
    {"ReleaseFrontStamp", 790, W::U16, 0, nullptr, 0},
    {"ReleaseSortMode", 792, W::U16, 1, nullptr, 0},
    {"DocSpeedReads", 794, W::U16, 5, nullptr, 0},
    {"DocSpeedLimit1", 796, W::U16, 10, nullptr, 0},
    {"DocSpeedLimit2", 798, W::U16, 13, nullptr, 0},
    {"Unused800", 800, W::U16, 4, nullptr, 0},
    {"Unused802", 802, W::U16, 1, nullptr, 0},
    {"ReadTestCount", 804, W::U32, 10, nullptr, 0},
    {"ReadTestCodeline", 808, W::Text, 0, "", 256},
    {"ReadTestDelay", 1064, W::U32, 0, nullptr, 0},
    {"BarcodeWindowX", 1068, W::F32, 90.0, nullptr, 0},
    {"BarcodeWindowY", 1072, W::F32, 4.0, nullptr, 0},
    {"BarcodeWindowWidth", 1076, W::F32, 125.0, nullptr, 0},
    {"BarcodeWindowHeight", 1080, W::F32, 12.0, nullptr, 0},
    {"BarcodeWindowInch", 1084, W::U16, 0, nullptr, 0},
    {"BarcodeType", 1086, W::U8, '2', nullptr, 0},
    {"CodelineType", 1087, W::U8, 0, nullptr, 0},
    {"Unused1092", 1092, W::U32, 0, nullptr, 0},
    {"BeepCount", 1096, W::U16, 0, nullptr, 0},
    {"BeepTimeOn", 1098, W::U16, 0, nullptr, 0},
    {"BeepTimeOff", 1100, W::U16, 0, nullptr, 0},
    {"LedColor", 1102, W::U16, 0, nullptr, 0},
    {"LedTimeOn", 1104, W::U16, 0, nullptr, 0},
    {"LedTimeOff", 1106, W::U16, 0, nullptr, 0},
    {"SingleColor", 1108, W::U16, 3, nullptr, 0},
    {"MicrVoltFor100", 1112, W::F32, 2.0, nullptr, 0},
    {"MicrSignalValue", 1116, W::U16, 100, nullptr, 0},
    {"MicrToleranceMinus", 1118, W::U16, 7, nullptr, 0},
    {"MicrTolerancePlus", 1120, W::U16, 7, nullptr, 0},
    {"MicrConsecutiveOk", 1122, W::U16, 5, nullptr, 0},
    {"CutWindowX", 1144, W::F32, 0, nullptr, 0},
    {"CutWindowY", 1148, W::F32, 0, nullptr, 0},
    {"CutWindowHeight", 1152, W::F32, 0, nullptr, 0},
    {"CutWindowWidth", 1156, W::F32, 0, nullptr, 0},
    {"CutWindowInch", 1160, W::U16, 0, nullptr, 0},
    {"Unused1162", 1162, W::U16, 3, nullptr, 0},
    {"QualityChoice1", 1166, W::U16, 0, nullptr, 0},
    {"QualityChoice2", 1168, W::U16, 0, nullptr, 0},
    {"QualityChoice3", 1170, W::U16, 0, nullptr, 0},
    {"QualityImageFolder", 1172, W::Text, 0, "", 260},
    {"Pdf417WindowX", 1432, W::F32, 0, nullptr, 0},
    {"Pdf417WindowY", 1436, W::F32, 0, nullptr, 0},
    {"Pdf417WindowWidth", 1440, W::F32, 0, nullptr, 0},
    {"Pdf417WindowHeight", 1444, W::F32, 0, nullptr, 0},
    {"PrintHigh", 1448, W::U16, 0, nullptr, 0},
    {"BoxIpAddress", 1450, W::Text, 0, "127.0.0.1", 20},
    {"BoxPort", 1470, W::U16, 4000, nullptr, 0},
    {"EmcStepTime", 1472, W::U32, 0, nullptr, 0},
    {"DigitalString", 1476, W::Text, 0, "Digital string", 200},
    {"DigitalPrintSide", 1676, W::I16, 0, nullptr, 0},
    {"DigitalFontName", 1678, W::Text, 0, "Arial", 120},
    {"DigitalFontSize", 1798, W::U16, 20, nullptr, 0},
    {"DigitalInch", 1800, W::U16, 0, nullptr, 0},
    {"DigitalX", 1804, W::F32, 10.0, nullptr, 0},
    {"DigitalY", 1808, W::F32, 21.0, nullptr, 0},
    {"DigitalGrayTone", 1812, W::U16, 0, nullptr, 0},
    {"DigitalBold", 1816, W::U32, 0, nullptr, 0},
    {"DigitalItalic", 1820, W::U32, 0, nullptr, 0},
    {"DigitalUnderline", 1824, W::U32, 0, nullptr, 0},
    {"ScanCard", 1828, W::U16, 0, nullptr, 0},
    {"ImageCounter", 1832, W::U32, 1, nullptr, 0},
    {"BoxNodeName", 1836, W::Text, 0, "localhost", 40},
    {"ConnectByNodeName", 1876, W::U32, 0, nullptr, 0},
};

size_t WidthOf(const Expected& e)
{
    switch (e.Width) {
    case W::U8: return 1;
    case W::U16:
    case W::I16: return 2;
    case W::Text: return e.TextSize;
    default: return 4;
    }
}

double ReadNumber(const uint8_t* p, W w)
{
    switch (w) {
    case W::U8: return p[0];
    case W::U16: return le::ReadU16(p);
    case W::I16: return le::ReadI16(p);
    case W::U32: return le::ReadU32(p);
    case W::I32: return le::ReadI32(p);
    case W::F32: return le::ReadF32(p);
    default: return 0;
    }
}

std::string TempFile(const QTemporaryDir& dir, const char* name) { return dir.filePath(name).toStdString(); }

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

TEST(Settings, DefaultsLandAtTheirOffsetsAndEverythingElseIsZero)
{
    const auto bytes = EncodeSettings(DefaultSettings());
    ASSERT_EQ(bytes.size(), 1880u);
    std::vector<bool> covered(bytes.size(), false);
    for (const auto& e : Layout) {
        SCOPED_TRACE(e.Name);
        const uint8_t* p = bytes.data() + e.Offset;
        if (e.Width == W::Text) {
            EXPECT_STREQ(reinterpret_cast<const char*>(p), e.TextDefault);
            for (size_t i = std::strlen(e.TextDefault); i < e.TextSize; ++i)
                EXPECT_EQ(p[i], 0) << "text tail byte " << i;
        } else {
            EXPECT_DOUBLE_EQ(ReadNumber(p, e.Width), e.Default);
        }
        for (size_t i = 0; i < WidthOf(e); ++i)
            covered[e.Offset + i] = true;
    }
    for (size_t i = 0; i < bytes.size(); ++i)
        if (!covered[i]) {
            EXPECT_EQ(bytes[i], 0) << "gap byte " << i;
        }
}

TEST(Settings, EveryFieldIsReadFromItsOwnOffset)
{
    // Give each field a value of its own; decoding and encoding again must put
    // each back where it was, and the named members must see their values.
    std::vector<uint8_t> raw(1880, 0);
    uint8_t marker = 1;
    for (const auto& e : Layout) {
        for (size_t i = 0; i < (e.Width == W::Text ? 3 : WidthOf(e)); ++i)
            raw[e.Offset + i] = marker;
        ++marker;
    }
    const SettingsRecord record = DecodeSettings(raw.data(), raw.size());
    EXPECT_EQ(record.FrontStamp, 0x0101);
    EXPECT_EQ(record.OcrReadType, 5);
    EXPECT_EQ(record.ScanMode, 0x0909);
    EXPECT_EQ(record.ImageSide, 10);
    EXPECT_EQ(record.BadgeTracks, 11);
    EXPECT_EQ(record.CodelineBase[0], 26);
    EXPECT_EQ(record.BarcodeType, 57);
    EXPECT_EQ(record.CodelineType, 58);
    EXPECT_EQ(record.BoxPort, 88 * 257);
    EXPECT_EQ(record.DigitalPrintSide, 91 * 257);
    EXPECT_EQ(record.ConnectByNodeName, 104u * 0x01010101u);
    const auto again = EncodeSettings(record);
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), again.begin()));
}

TEST(Settings, MissingFileGivesTheDefaults)
{
    QTemporaryDir dir;
    const SettingsRecord s = LoadSettingsFile(TempFile(dir, "Varnw.Cfg"));
    EXPECT_EQ(s.ScanMode, 5);
    EXPECT_EQ(s.ImageSide, 'X');
    EXPECT_EQ(s.JpegQuality, 128);
    EXPECT_EQ(s.DocumentCount, 1);
    EXPECT_EQ(s.BoxPort, 4000);
    EXPECT_EQ(GetText(s.DigitalString), "Digital string");
    EXPECT_EQ(GetText(s.DigitalFontName), "Arial");
    EXPECT_FLOAT_EQ(s.OcrWindowHeight, 10.5f);
    EXPECT_FLOAT_EQ(s.BarcodeWindowWidth, 125.0f);
}

TEST(Settings, ShortFileFillsOnlyItsBytes)
{
    QTemporaryDir dir;
    const std::string path = TempFile(dir, "Varnw.Cfg");
    std::vector<uint8_t> bytes(100, 0);
    le::WriteU16(bytes.data() + 4, 65);
    WriteAll(path, bytes);
    const SettingsRecord s = LoadSettingsFile(path);
    EXPECT_EQ(s.EndorsePrintMode, 65);
    EXPECT_EQ(s.ScanMode, 0) << "past the file's end the record is zero, not the defaults";
    EXPECT_EQ(s.BoxPort, 0);

    WriteAll(path, {});
    const auto empty = EncodeSettings(LoadSettingsFile(path));
    EXPECT_TRUE(std::all_of(empty.begin(), empty.end(), [](uint8_t b) { return b == 0; }));
}

TEST(Settings, LongFileIsCutAndRoundTripKeepsEveryByte)
{
    QTemporaryDir dir;
    const std::string path = TempFile(dir, "Varnw.Cfg");
    std::mt19937 random(7);
    std::vector<uint8_t> bytes(2000);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(random());
    WriteAll(path, bytes);

    const SettingsRecord s = LoadSettingsFile(path);
    const std::string saved = TempFile(dir, "Saved.Cfg");
    ASSERT_TRUE(SaveSettingsFile(saved, s));
    const auto written = ReadAll(saved);
    ASSERT_EQ(written.size(), 1880u);
    EXPECT_TRUE(std::equal(written.begin(), written.end(), bytes.begin()));
}

TEST(Settings, UnwritableFileIsSkipped)
{
    QTemporaryDir dir;
    EXPECT_FALSE(SaveSettingsFile(TempFile(dir, "no/such/folder/Varnw.Cfg"), DefaultSettings()));
}

TEST(Settings, AFolderNamedLikeTheFileGivesTheDefaults)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("Varnw.Cfg"));
    EXPECT_EQ(EncodeSettings(LoadSettingsFile(TempFile(dir, "Varnw.Cfg"))), EncodeSettings(DefaultSettings()));
}

TEST(Settings, AFailedSaveLeavesNoTemporaryFile)
{
    struct Case {
        const char* What;
        const char* Name;
        bool NameTakenByAFolder;
        QStringList Left;
    };
    const Case cases[] = {
        {"a missing folder", "missing/Varnw.Cfg", false, {}},
        {"a folder in the file's place", "Varnw.Cfg", true, {"Varnw.Cfg"}},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        if (c.NameTakenByAFolder) {
            ASSERT_TRUE(QDir(dir.path()).mkdir(c.Name));
        }
        EXPECT_FALSE(SaveSettingsFile(TempFile(dir, c.Name), DefaultSettings())) << c.What;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), c.Left)
            << c.What;
    }
}

TEST(Settings, ASaveReplacesTheWholeFileAtOnce)
{
    QTemporaryDir dir;
    const std::string path = TempFile(dir, "Varnw.Cfg");
    const SettingsRecord before = DefaultSettings();
    ASSERT_TRUE(SaveSettingsFile(path, before));
    std::ifstream reader(path, std::ios::binary); // holds the file written first
    SettingsRecord after = before;
    after.BoxPort = 4001;
    ASSERT_TRUE(SaveSettingsFile(path, after));
    const std::vector<uint8_t> seen{std::istreambuf_iterator<char>(reader), std::istreambuf_iterator<char>()};
    const auto old = EncodeSettings(before);
    EXPECT_TRUE(std::equal(seen.begin(), seen.end(), old.begin(), old.end())) << "replaced, not rewritten in place";
    const auto now = EncodeSettings(after);
    const auto written = ReadAll(path);
    EXPECT_TRUE(std::equal(written.begin(), written.end(), now.begin(), now.end()));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"Varnw.Cfg"});
}

TEST(Settings, TextsAreCutToTheirField)
{
    SettingsRecord s;
    SetText(s.BoxNodeName, std::string(60, 'n'));
    EXPECT_EQ(GetText(s.BoxNodeName).size(), 39u);
    EXPECT_EQ(s.BoxNodeName[39], 0);
}
