#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <QDir>
#include <QTemporaryDir>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <variant>

#include "core/Settings.h"
#include "vnapi/ByteOrder.h"

namespace {

enum class W { U8, U16, I16, U32, I32, F32, Text };

// A member of the record seen by its type, to be read and written by name.
struct FieldRef {
    std::variant<uint8_t*, uint16_t*, int16_t*, uint32_t*, int32_t*, float*> Number;
    char* Text = nullptr;
    size_t TextSize = 0;
    template <class T> FieldRef(T& field) : Number(&field) {}
    template <size_t N> FieldRef(CharField<N>& field) : Number(static_cast<uint8_t*>(nullptr)), Text(field.data()), TextSize(N) {}
    double Get() const { return std::visit([](auto* p) { return static_cast<double>(*p); }, Number); }
    void Set(double v) const
    {
        std::visit([v](auto* p) { *p = static_cast<std::remove_reference_t<decltype(*p)>>(v); }, Number);
    }
};

#define MEMBER(name) #name, [](SettingsRecord& s) { return FieldRef(s.name); }

struct Expected {
    const char* Name;
    FieldRef (*Member)(SettingsRecord&);
    size_t Offset;
    W Width;
    double Default;          // numbers
    const char* TextDefault; // texts
    size_t TextSize;
};

// The record's layout and defaults, written out independently of the code.
const Expected Layout[] = {
    {MEMBER(FrontStamp), 0, W::U16, 0, nullptr, 0},
    {MEMBER(EndorsePrintMode), 4, W::U16, 0, nullptr, 0},
    {MEMBER(EndorseBold), 8, W::U32, 0, nullptr, 0},
    {MEMBER(EndorseString), 12, W::Text, 0, "", 200},
    {MEMBER(OcrReadType), 212, W::U8, 'B', nullptr, 0},
    {MEMBER(SaveCodelineOnFile), 216, W::U32, 0, nullptr, 0},
    {MEMBER(ResetCodelineFile), 220, W::U32, 1, nullptr, 0},
    {MEMBER(DocDestination), 224, W::U16, 1, nullptr, 0},
    {MEMBER(ScanMode), 226, W::U16, 5, nullptr, 0},
    {MEMBER(ImageSide), 228, W::U8, 'X', nullptr, 0},
    {MEMBER(BadgeTracks), 232, W::U8, 224, nullptr, 0},
    {MEMBER(SaveImageMode), 234, W::U16, 5, nullptr, 0},
    {MEMBER(SaveImageFormat), 236, W::U16, 0, nullptr, 0},
    {MEMBER(JpegQuality), 238, W::U16, 128, nullptr, 0},
    {MEMBER(ClearImage), 240, W::U16, 1, nullptr, 0},
    {MEMBER(DocumentCount), 242, W::U16, 1, nullptr, 0},
    {MEMBER(BeepOnError), 244, W::U8, 0, nullptr, 0},
    {MEMBER(OcrWindowX), 248, W::F32, 6.0, nullptr, 0},
    {MEMBER(OcrWindowY), 252, W::F32, 4.0, nullptr, 0},
    {MEMBER(OcrWindowWidth), 256, W::F32, 150.0, nullptr, 0},
    {MEMBER(OcrWindowHeight), 260, W::F32, 10.5, nullptr, 0},
    {MEMBER(OcrWindowInch), 264, W::U16, 0, nullptr, 0},
    {MEMBER(WaitTimeout), 272, W::U16, 71, nullptr, 0},
    {MEMBER(SignalFileCounter), 274, W::U16, 1, nullptr, 0},
    {MEMBER(CheckCodeline), 276, W::U32, 0, nullptr, 0},
    {MEMBER(CodelineBase), 280, W::Text, 0, "", 256},
    {MEMBER(Unused536), 536, W::U16, 100, nullptr, 0},
    {MEMBER(Unused538), 538, W::U16, 7, nullptr, 0},
    {MEMBER(Unused540), 540, W::U16, 7, nullptr, 0},
    {MEMBER(Unused542), 542, W::U16, 10, nullptr, 0},
    {MEMBER(Unused544), 544, W::F32, 2.0, nullptr, 0},
    {MEMBER(SetupMicrHead), 548, W::I32, 0, nullptr, 0},
    {MEMBER(SetupVoidingStamp), 552, W::I32, 0, nullptr, 0},
    {MEMBER(SetupInkJetPrinter), 556, W::I32, 0, nullptr, 0},
    {MEMBER(SetupBadgeReader), 560, W::I32, 0, nullptr, 0},
    {MEMBER(SetupProcessCard), 564, W::I32, 0, nullptr, 0},
    {MEMBER(SetupPoweredBy), 568, W::I32, 0, nullptr, 0},
    {MEMBER(ReleasePrint), 582, W::U16, 0, nullptr, 0},
    {MEMBER(ReleaseBold), 584, W::U32, 0, nullptr, 0},
    {MEMBER(ReleaseString), 588, W::Text, 0, "", 200},
    {MEMBER(ReleaseSide), 788, W::U8, 'X', nullptr, 0},
    {MEMBER(ReleaseFrontStamp), 790, W::U16, 0, nullptr, 0},
    {MEMBER(ReleaseSortMode), 792, W::U16, 1, nullptr, 0},
    {MEMBER(DocSpeedReads), 794, W::U16, 5, nullptr, 0},
    {MEMBER(DocSpeedLimit1), 796, W::U16, 10, nullptr, 0},
    {MEMBER(DocSpeedLimit2), 798, W::U16, 13, nullptr, 0},
    {MEMBER(Unused800), 800, W::U16, 4, nullptr, 0},
    {MEMBER(Unused802), 802, W::U16, 1, nullptr, 0},
    {MEMBER(ReadTestCount), 804, W::U32, 10, nullptr, 0},
    {MEMBER(ReadTestCodeline), 808, W::Text, 0, "", 256},
    {MEMBER(ReadTestDelay), 1064, W::U32, 0, nullptr, 0},
    {MEMBER(BarcodeWindowX), 1068, W::F32, 90.0, nullptr, 0},
    {MEMBER(BarcodeWindowY), 1072, W::F32, 4.0, nullptr, 0},
    {MEMBER(BarcodeWindowWidth), 1076, W::F32, 125.0, nullptr, 0},
    {MEMBER(BarcodeWindowHeight), 1080, W::F32, 12.0, nullptr, 0},
    {MEMBER(BarcodeWindowInch), 1084, W::U16, 0, nullptr, 0},
    {MEMBER(BarcodeType), 1086, W::U8, '2', nullptr, 0},
    {MEMBER(CodelineType), 1087, W::U8, 0, nullptr, 0},
    {MEMBER(Unused1092), 1092, W::U32, 0, nullptr, 0},
    {MEMBER(BeepCount), 1096, W::U16, 0, nullptr, 0},
    {MEMBER(BeepTimeOn), 1098, W::U16, 0, nullptr, 0},
    {MEMBER(BeepTimeOff), 1100, W::U16, 0, nullptr, 0},
    {MEMBER(LedColor), 1102, W::U16, 0, nullptr, 0},
    {MEMBER(LedTimeOn), 1104, W::U16, 0, nullptr, 0},
    {MEMBER(LedTimeOff), 1106, W::U16, 0, nullptr, 0},
    {MEMBER(SingleColor), 1108, W::U16, 3, nullptr, 0},
    {MEMBER(MicrVoltFor100), 1112, W::F32, 2.0, nullptr, 0},
    {MEMBER(MicrSignalValue), 1116, W::U16, 100, nullptr, 0},
    {MEMBER(MicrToleranceMinus), 1118, W::U16, 7, nullptr, 0},
    {MEMBER(MicrTolerancePlus), 1120, W::U16, 7, nullptr, 0},
    {MEMBER(MicrConsecutiveOk), 1122, W::U16, 5, nullptr, 0},
    {MEMBER(CutWindowX), 1144, W::F32, 0, nullptr, 0},
    {MEMBER(CutWindowY), 1148, W::F32, 0, nullptr, 0},
    {MEMBER(CutWindowHeight), 1152, W::F32, 0, nullptr, 0},
    {MEMBER(CutWindowWidth), 1156, W::F32, 0, nullptr, 0},
    {MEMBER(CutWindowInch), 1160, W::U16, 0, nullptr, 0},
    {MEMBER(Unused1162), 1162, W::U16, 3, nullptr, 0},
    {MEMBER(QualityChoice1), 1166, W::U16, 0, nullptr, 0},
    {MEMBER(QualityChoice2), 1168, W::U16, 0, nullptr, 0},
    {MEMBER(QualityChoice3), 1170, W::U16, 0, nullptr, 0},
    {MEMBER(QualityImageFolder), 1172, W::Text, 0, "", 260},
    {MEMBER(Pdf417WindowX), 1432, W::F32, 0, nullptr, 0},
    {MEMBER(Pdf417WindowY), 1436, W::F32, 0, nullptr, 0},
    {MEMBER(Pdf417WindowWidth), 1440, W::F32, 0, nullptr, 0},
    {MEMBER(Pdf417WindowHeight), 1444, W::F32, 0, nullptr, 0},
    {MEMBER(PrintHigh), 1448, W::U16, 0, nullptr, 0},
    {MEMBER(BoxIpAddress), 1450, W::Text, 0, "127.0.0.1", 20},
    {MEMBER(BoxPort), 1470, W::U16, 4000, nullptr, 0},
    {MEMBER(EmcStepTime), 1472, W::U32, 0, nullptr, 0},
    {MEMBER(DigitalString), 1476, W::Text, 0, "Digital string", 200},
    {MEMBER(DigitalPrintSide), 1676, W::I16, 0, nullptr, 0},
    {MEMBER(DigitalFontName), 1678, W::Text, 0, "Arial", 120},
    {MEMBER(DigitalFontSize), 1798, W::U16, 20, nullptr, 0},
    {MEMBER(DigitalInch), 1800, W::U16, 0, nullptr, 0},
    {MEMBER(DigitalX), 1804, W::F32, 10.0, nullptr, 0},
    {MEMBER(DigitalY), 1808, W::F32, 21.0, nullptr, 0},
    {MEMBER(DigitalGrayTone), 1812, W::U16, 0, nullptr, 0},
    {MEMBER(DigitalBold), 1816, W::U32, 0, nullptr, 0},
    {MEMBER(DigitalItalic), 1820, W::U32, 0, nullptr, 0},
    {MEMBER(DigitalUnderline), 1824, W::U32, 0, nullptr, 0},
    {MEMBER(ScanCard), 1828, W::U16, 0, nullptr, 0},
    {MEMBER(ImageCounter), 1832, W::U32, 1, nullptr, 0},
    {MEMBER(BoxNodeName), 1836, W::Text, 0, "localhost", 40},
    {MEMBER(ConnectByNodeName), 1876, W::U32, 0, nullptr, 0},
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

namespace {

// A value for each width whose bytes all differ, so that a field read or
// written two bytes off, or swapped with its neighbour, shows.
double SampleValue(W w)
{
    switch (w) {
    case W::U8: return 0xA5;
    case W::U16: return 0xB2C3;
    case W::I16: return -0x1234;
    case W::U32: return 0x89ABCDEF;
    case W::I32: return -0x12345678;
    default: return -1234.5; // F32
    }
}

void WriteNumber(uint8_t* p, W w, double v)
{
    switch (w) {
    case W::U8: p[0] = static_cast<uint8_t>(v); break;
    case W::U16: le::WriteU16(p, static_cast<uint16_t>(v)); break;
    case W::I16: le::WriteI16(p, static_cast<int16_t>(v)); break;
    case W::U32: le::WriteU32(p, static_cast<uint32_t>(v)); break;
    case W::I32: le::WriteI32(p, static_cast<int32_t>(v)); break;
    default: le::WriteF32(p, static_cast<float>(v)); break;
    }
}

} // namespace

TEST(Settings, EveryFieldIsReadFromAndWrittenToItsOwnOffset)
{
    const std::vector<uint8_t> zero(1880, 0);
    for (const auto& e : Layout) {
        SCOPED_TRACE(e.Name);
        // A value at the field's offset reads back through its member...
        std::vector<uint8_t> raw = zero;
        if (e.Width == W::Text)
            std::memcpy(raw.data() + e.Offset, "abc", 3);
        else
            WriteNumber(raw.data() + e.Offset, e.Width, SampleValue(e.Width));
        SettingsRecord record = DecodeSettings(raw.data(), raw.size());
        const FieldRef read = e.Member(record);
        if (e.Width == W::Text) {
            ASSERT_EQ(read.TextSize, e.TextSize);
            EXPECT_STREQ(read.Text, "abc");
        } else {
            EXPECT_DOUBLE_EQ(read.Get(), SampleValue(e.Width));
        }

        // ...and the member set in a zeroed record lands there and nowhere else.
        SettingsRecord fresh = DecodeSettings(zero.data(), zero.size());
        const FieldRef written = e.Member(fresh);
        if (e.Width == W::Text)
            std::memcpy(written.Text, "abc", 3);
        else
            written.Set(SampleValue(e.Width));
        const auto bytes = EncodeSettings(fresh);
        EXPECT_TRUE(std::equal(raw.begin(), raw.end(), bytes.begin(), bytes.end()));
    }
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
    const auto direct = EncodeSettings(DecodeSettings(bytes.data(), bytes.size()));
    EXPECT_TRUE(std::equal(direct.begin(), direct.end(), bytes.begin())) << "decoding cuts at the record's end";
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

// A full disk, simulated with a file size limit in a child process: the save
// fails, says so, and the earlier record stays whole with nothing beside it.
TEST(Settings, AFullDiskLeavesTheEarlierRecordWhole)
{
    QTemporaryDir dir;
    const std::string path = TempFile(dir, "Varnw.Cfg");
    SettingsRecord before = DefaultSettings();
    ASSERT_TRUE(SaveSettingsFile(path, before));
    SettingsRecord after = before;
    after.ImageCounter = 77;
    for (const rlim_t limit : {rlim_t{0}, rlim_t{1000}, rlim_t{SettingsRecord::Size - 1}}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{limit, limit};
            setrlimit(RLIMIT_FSIZE, &size);
            _exit(SaveSettingsFile(path, after) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1) << "the failed save is reported, limit " << limit;
        EXPECT_EQ(EncodeSettings(LoadSettingsFile(path)), EncodeSettings(before)) << limit;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{"Varnw.Cfg"})
            << limit;
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
