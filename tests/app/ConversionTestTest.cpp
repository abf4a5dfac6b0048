// The conversion test after the About box: the buffer it builds from the test
// bitmap, the device calls, and what it shows and releases.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "app/Registration.h"
#include "core/CommandRegistry.h"
#include "app/ConversionTest.h"
#include "core/CommandTable.h"

namespace {

QString WriteFile(const QTemporaryDir& dir, const QByteArray& bytes)
{
    const QString path = dir.filePath("test.bmp");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

bool AllZero(const std::vector<uint8_t>& bytes, size_t from)
{
    return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(), [](uint8_t b) { return b == 0; });
}

} // namespace

TEST(ConversionBuffer, HoldsTheBitmapWithoutItsFileHeader)
{
    QTemporaryDir dir;
    const QByteArray header = "BM0123456789ab"; // 14 bytes
    const QString path = WriteFile(dir, header + "PACKED");
    const ImageHandle buffer = LoadConversionBuffer(path);
    ASSERT_EQ(buffer->Bytes().size(), ConversionBufferSize);
    EXPECT_EQ(std::string(buffer->Bytes().begin(), buffer->Bytes().begin() + 6), "PACKED");
    EXPECT_TRUE(AllZero(buffer->Bytes(), 6));
}

TEST(ConversionBuffer, IsCutAtTwoMegabytesAndZeroWithoutAFile)
{
    QTemporaryDir dir;
    QByteArray big(static_cast<int>(BitmapFileHeaderSize + ConversionBufferSize + 100), '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i % 251);
    const ImageHandle cut = LoadConversionBuffer(WriteFile(dir, big));
    ASSERT_EQ(cut->Bytes().size(), ConversionBufferSize);
    EXPECT_EQ(cut->Bytes().front(), static_cast<uint8_t>(14 % 251));
    EXPECT_EQ(cut->Bytes().back(), static_cast<uint8_t>((14 + ConversionBufferSize - 1) % 251));

    const ImageHandle none = LoadConversionBuffer(dir.filePath("missing.bmp"));
    ASSERT_EQ(none->Bytes().size(), ConversionBufferSize);
    EXPECT_TRUE(AllZero(none->Bytes(), 0));
}

TEST(ConversionBuffer, TheShippedTestBitmapIsAGreyChequeAt200Dpi)
{
    const ImageHandle buffer = LoadConversionBuffer(TestBitmapPath);
    ASSERT_TRUE(buffer->IsValid()) << "the shipped bitmap is linked in as a Qt resource and starts with a bitmap header";
    EXPECT_EQ(buffer->BitCount(), 8);
    EXPECT_EQ(buffer->Width(), 1450);
    EXPECT_EQ(buffer->Height(), 622);
    EXPECT_EQ(PackedBitmap::PelsPerMeterToDpi(buffer->XPelsPerMeter()), 200);
}

struct AboutConversion : ::testing::Test {
    BenchState State;
    RecordingVnApi Api;
    ScriptedOperator Op;
    int FrameMarker = 0;
    std::vector<const PackedBitmap*> Sources;
    std::vector<int> FreedWidths;
    Bench MakeBench() { return Bench{State, Api, Op, &FrameMarker}; }

    void SetUp() override
    {
        Api.SetHook("VnConnect", [](ApiCall& c) { *static_cast<uint16_t*>(c.Pointers[3]) = 4; });
        Api.SetHook("Varn_ConvertImageToBW", [this](ApiCall& c) {
            const auto* source = static_cast<const PackedBitmap*>(c.Pointers[2]);
            Sources.push_back(source);
            const int width = c.Args[1] == "4" ? 11 : 12;
            *static_cast<ImageHandle*>(c.Pointers[3]) = PackedBitmap::Create(width, 2, 1, 200);
        });
        Api.SetHook("Varn_FreeImage", [this](ApiCall& c) {
            const ImageHandle& handle = *static_cast<ImageHandle*>(c.Pointers[1]);
            FreedWidths.push_back(handle ? handle->Width() : -1);
        });
    }
};

TEST_F(AboutConversion, ConvertsTheTestBitmapBothWaysShowsAndReleases)
{
    CommandRegistry registry;
    RegisterBenchCommands(registry);
    Op.QueueDialog([](QDialog& d) { return d.windowTitle() == "About Tegu demo test" ? 1 : -1; });
    auto bench = MakeBench();
    registry.Find(Cmd::About)->Handler(bench);

    EXPECT_EQ(Op.DialogTitles, (std::vector<QString>{"About Tegu demo test"}));
    EXPECT_EQ(Api.Trace(), (std::vector<std::string>{
                               "Vn_SetIPAddress(40, \"127.0.0.1\", 4000)",
                               "VnConnect(ptr, null, 40, ptr)",
                               "Varn_ConvertImageToBW(ptr, 4, ptr, ptr, 300, 0)",
                               "Varn_ConvertImageToBW(ptr, 6, ptr, ptr, 8, 0)",
                               "Varn_FreeImage(ptr, ptr)",
                               "Varn_FreeImage(ptr, ptr)",
                               "Varn_FreeImage(ptr, ptr)",
                               "VnDisconnect(4, ptr)",
                           }));
    ASSERT_EQ(Sources.size(), 2u);
    EXPECT_EQ(Sources[0], Sources[1]) << "both methods convert the one buffer";
    EXPECT_EQ(FreedWidths, (std::vector<int>{11, 12, 1450})) << "both results, then the buffer";
    ASSERT_EQ(Op.Documents.size(), 1u);
    const auto& shown = Op.Documents[0];
    EXPECT_EQ(shown.DocumentNumber, 1u);
    EXPECT_EQ(PackedBitmap(shown.FrontBytes).Width(), 11);
    EXPECT_EQ(PackedBitmap(shown.BackBytes).Width(), 12);
    EXPECT_EQ(shown.Texts, QStringList({"", "", ""}));
    EXPECT_TRUE(Op.Messages.empty()) << "the conversion replies are not looked at";
}

TEST_F(AboutConversion, RepliesAreNotCheckedAndAFailedOpenEndsIt)
{
    Api.SetReply("Varn_ConvertImageToBW", -18);
    auto bench = MakeBench();
    RunConversionTest(bench);
    EXPECT_EQ(Api.CallsOf("Varn_ConvertImageToBW").size(), 2u);
    EXPECT_TRUE(Op.Messages.empty());
    EXPECT_EQ(Op.Documents.size(), 1u);

    Api.Clear();
    Api.SetReply("VnConnect", 5);
    RunConversionTest(bench);
    EXPECT_EQ(Api.Names(), (std::vector<std::string>{"Vn_SetIPAddress", "VnConnect"}));
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_TRUE(Op.Messages[0].Text.startsWith("Varn_Open\n\nPeripheral already connected !"));
}
