// Image processing commands on the current images and the single-image reads:
// which images each command works on, what it passes to the library, what it
// shows, and that every result it shows is freed exactly once.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <set>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "core/CommandRegistry.h"
#include "core/CommandTable.h"
#include "documents/CutImageDialog.h"
#include "documents/ImageCommands.h"
#include "documents/InputDataDialog.h"
#include "documents/ReadSingleImageDialog.h"

namespace {

template <class T> T* Find(QDialog& dialog, const char* name)
{
    T* widget = dialog.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// Fills the edits of "Input data" and presses OK.
ScriptedOperator::DialogScript InputData(const QString& value, const QString& threshold = {})
{
    return [=](QDialog& d) {
        Find<QLineEdit>(d, "ValueEdit")->setText(value);
        if (!threshold.isNull())
            Find<QLineEdit>(d, "ThresholdEdit")->setText(threshold);
        Find<QPushButton>(d, "OK")->click();
        return d.result();
    };
}

ScriptedOperator::DialogScript PressOk()
{
    return [](QDialog& d) {
        Find<QPushButton>(d, "OK")->click();
        return d.result();
    };
}

int WidthOf(const std::vector<uint8_t>& bytes) { return PackedBitmap(bytes).Width(); }

struct ImageCommands : ::testing::Test {
    BenchState State;
    RecordingVnApi Api;
    ScriptedOperator Op;
    int FrameMarker = 0;
    int NextResultWidth = 100;
    std::vector<int> FreedWidths; // -1 for a null handle handed to Varn_FreeImage

    Bench MakeBench() { return Bench{State, Api, Op, &FrameMarker}; }

    void SetUp() override
    {
        Api.SetHook("Varn_Open", [](ApiCall& c) { *static_cast<uint16_t*>(c.Pointers[3]) = 7; });
        Api.SetHook("VnConnect", [](ApiCall& c) { *static_cast<uint16_t*>(c.Pointers[3]) = 7; });
        // Like a library that frees without clearing the caller's handle.
        Api.SetHook("Varn_FreeImage", [this](ApiCall& c) {
            const ImageHandle* handle = static_cast<ImageHandle*>(c.Pointers[1]);
            FreedWidths.push_back(*handle ? (*handle)->Width() : -1);
        });
    }

    void LoadImages(bool front, bool back)
    {
        if (front)
            State.CurrentFrontImage = PackedBitmap::Create(40, 8, 8, 200);
        if (back)
            State.CurrentBackImage = PackedBitmap::Create(30, 8, 8, 200);
    }

    // The operation answers the given replies in turn (then 0); each success
    // delivers a new image of its own width (100, 101, ...).
    void PlanResults(const std::string& name, size_t resultArg, std::vector<int32_t> replies = {})
    {
        Api.QueueReplies(name, replies);
        auto calls = std::make_shared<size_t>(0);
        Api.SetHook(name, [this, resultArg, replies, calls](ApiCall& c) {
            const size_t n = (*calls)++;
            if (n < replies.size() && replies[n] != 0)
                return;
            *static_cast<ImageHandle*>(c.Pointers[resultArg]) = PackedBitmap::Create(NextResultWidth++, 4, 1, 200);
        });
    }

    // The trace from the open on (the network box set-up comes before it).
    std::vector<std::string> TraceFromOpen() const
    {
        auto trace = Api.Trace();
        EXPECT_FALSE(trace.empty());
        if (!trace.empty())
            trace.erase(trace.begin());
        return trace;
    }

    std::vector<std::string> ShownWidths() const
    {
        std::vector<std::string> shown;
        for (const auto& d : Op.Documents)
            shown.push_back(std::to_string(d.DocumentNumber) + ":" +
                            (d.HasFront ? std::to_string(WidthOf(d.FrontBytes)) : "-") + "/" +
                            (d.HasBack ? std::to_string(WidthOf(d.BackBytes)) : "-"));
        return shown;
    }

    void ExpectEachResultFreedOnce(size_t count) const
    {
        EXPECT_EQ(FreedWidths.size(), count);
        std::set<int> distinct(FreedWidths.begin(), FreedWidths.end());
        EXPECT_EQ(distinct.size(), FreedWidths.size()) << "a result was freed twice";
        EXPECT_EQ(distinct.count(-1), 0u) << "an empty handle was freed";
    }
};

struct ProcessingCase {
    const char* Name;
    std::function<void(Bench&)> Run;
    std::string Operation;
    size_t ResultArg;
    std::function<ScriptedOperator::DialogScript()> Dialog;
    std::vector<uint32_t> Documents;
};

const ProcessingCase ProcessingCases[] = {
    {"convert", ConvertToBwCommand, "Varn_ConvertImageToBW", 3, [] { return InputData("450", "8"); }, {1, 101}},
    {"brightness", BrightnessImageCommand, "Varn_ImageBrightness", 3, [] { return InputData("20"); }, {0}},
    {"contrast", ContrastImageCommand, "Varn_ImageContrast", 3, [] { return InputData("-20"); }, {0}},
    {"cut", CutImageCommand, "Varn_CutImage", 7, PressOk, {0}},
};

} // namespace

TEST_F(ImageCommands, AfterAFileLoadEveryProcessingCommandWorksOnTheFrontAlone)
{
    for (const auto& c : ProcessingCases) {
        SCOPED_TRACE(c.Name);
        State = BenchState();
        Api.Clear();
        Op.Documents.clear();
        FreedWidths.clear();
        LoadImages(true, false);
        const PackedBitmap* front = State.CurrentFrontImage.get();
        PlanResults(c.Operation, c.ResultArg);
        Op.QueueDialog(c.Dialog());
        auto bench = MakeBench();
        c.Run(bench);

        const auto calls = Api.CallsOf(c.Operation);
        ASSERT_EQ(calls.size(), c.Documents.size()) << "one call per pass, on the front only";
        for (const auto& call : calls)
            EXPECT_EQ(call.Pointers[c.Operation == "Varn_ConvertImageToBW" ? 2 : 1], front);
        ASSERT_EQ(Op.Documents.size(), c.Documents.size());
        for (size_t i = 0; i < c.Documents.size(); ++i) {
            const auto& shown = Op.Documents[i];
            EXPECT_EQ(shown.DocumentNumber, c.Documents[i]);
            EXPECT_TRUE(shown.HasFront);
            EXPECT_FALSE(shown.HasBack);
            EXPECT_EQ(shown.Status, 0);
            EXPECT_EQ(shown.Prefix, 0);
            EXPECT_EQ(shown.Texts, QStringList({"", "", ""}));
        }
        ExpectEachResultFreedOnce(c.Documents.size());
        EXPECT_EQ(Api.Names().back(), "VnDisconnect");
        EXPECT_EQ(State.CurrentFrontImage.get(), front) << "results never replace the current images";
        EXPECT_FALSE(State.CurrentBackImage);
    }
}

TEST_F(ImageCommands, WithoutCurrentImagesTheCommandsOpenAndCloseAndShowNothing)
{
    for (const auto& c : ProcessingCases) {
        SCOPED_TRACE(c.Name);
        Api.Clear();
        Op.QueueDialog(c.Dialog());
        auto bench = MakeBench();
        c.Run(bench);
        const std::string open = c.Operation == "Varn_ConvertImageToBW" ? "Varn_Open" : "VnConnect";
        EXPECT_EQ(Api.Names(), (std::vector<std::string>{"Vn_SetIPAddress", open, "VnDisconnect"}));
        EXPECT_TRUE(Op.Documents.empty());
    }
}

TEST_F(ImageCommands, AFailingOpenEndsTheCommandBeforeItsDialog)
{
    for (const auto& c : ProcessingCases) {
        SCOPED_TRACE(c.Name);
        Api.Clear();
        Op.Messages.clear();
        Op.DialogTitles.clear();
        LoadImages(true, true);
        Api.SetReply("Varn_Open", -3);
        Api.SetReply("VnConnect", -3);
        auto bench = MakeBench();
        c.Run(bench);
        EXPECT_EQ(Api.Names().size(), 2u) << "nothing after the open, not even the close";
        ASSERT_EQ(Op.Messages.size(), 1u);
        EXPECT_TRUE(Op.Messages[0].Text.startsWith("Varn_Open\n\nPeripheral not found."));
        EXPECT_TRUE(Op.DialogTitles.empty());
    }
}

TEST_F(ImageCommands, ConvertRunsTwoPassesWithTheFilterThenTheThreshold)
{
    LoadImages(true, true);
    PlanResults("Varn_ConvertImageToBW", 3);
    Op.QueueDialog(InputData("300", "12"));
    auto bench = MakeBench();
    ConvertToBwCommand(bench);

    EXPECT_EQ(TraceFromOpen(), (std::vector<std::string>{
                                   "Varn_Open(ptr, null, 40, ptr)",
                                   "Varn_ConvertImageToBW(ptr, 4, ptr, ptr, 300, 0)",
                                   "Varn_ConvertImageToBW(ptr, 4, ptr, ptr, 300, 0)",
                                   "Varn_FreeImage(ptr, ptr)",
                                   "Varn_FreeImage(ptr, ptr)",
                                   "Varn_ConvertImageToBW(ptr, 6, ptr, ptr, 12, 0)",
                                   "Varn_ConvertImageToBW(ptr, 6, ptr, ptr, 12, 0)",
                                   "Varn_FreeImage(ptr, ptr)",
                                   "Varn_FreeImage(ptr, ptr)",
                                   "VnDisconnect(7, ptr)",
                               }));
    const auto converts = Api.CallsOf("Varn_ConvertImageToBW");
    EXPECT_EQ(converts[0].Pointers[0], &FrameMarker);
    EXPECT_EQ(converts[0].Pointers[2], State.CurrentFrontImage.get());
    EXPECT_EQ(converts[1].Pointers[2], State.CurrentBackImage.get());
    EXPECT_EQ(State.BwThreshold, 12);
    EXPECT_EQ(ShownWidths(), (std::vector<std::string>{"1:100/101", "101:102/103"}));
    ExpectEachResultFreedOnce(4);
    EXPECT_TRUE(Op.Messages.empty());
}

TEST_F(ImageCommands, ConvertFailingFrontOfPassTwoNeverShowsOrFreesPassOneAgain)
{
    LoadImages(true, true);
    PlanResults("Varn_ConvertImageToBW", 3, {0, 0, -22});
    Op.QueueDialog(InputData("450", "8"));
    auto bench = MakeBench();
    ConvertToBwCommand(bench);

    EXPECT_EQ(Api.CallsOf("Varn_ConvertImageToBW").size(), 3u) << "the back of pass two is skipped";
    EXPECT_EQ(ShownWidths(), (std::vector<std::string>{"1:100/101"}));
    ExpectEachResultFreedOnce(2);
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Text, "Varn_ConvertImageToBW\n\nImage not present.");
    EXPECT_EQ(Api.Names().back(), "VnDisconnect");
}

TEST_F(ImageCommands, ConvertFailingFrontSkipsOnlyTheBackOfItsOwnPass)
{
    LoadImages(true, true);
    PlanResults("Varn_ConvertImageToBW", 3, {-7, 0, 0});
    Op.QueueDialog(InputData("450", "8"));
    auto bench = MakeBench();
    ConvertToBwCommand(bench);

    std::vector<std::string> methods;
    for (const auto& call : Api.CallsOf("Varn_ConvertImageToBW"))
        methods.push_back(call.Args[1]);
    EXPECT_EQ(methods, (std::vector<std::string>{"4", "6", "6"}));
    EXPECT_EQ(ShownWidths(), (std::vector<std::string>{"101:100/101"})) << "pass one made nothing to show";
    ExpectEachResultFreedOnce(2);
}

TEST_F(ImageCommands, BrightnessAndContrastPassTheValueUnchanged)
{
    struct Case {
        std::function<void(Bench&)> Run;
        QString Typed;
        std::string Expected;
    } cases[] = {
        {BrightnessImageCommand, "5000", "Varn_ImageBrightness(ptr, ptr, 5000, ptr)"},
        {BrightnessImageCommand, " -1500", "Varn_ImageBrightness(ptr, ptr, -1500, ptr)"},
        {ContrastImageCommand, "-32768", "Varn_ImageContrast(ptr, ptr, -32768, ptr)"},
        {ContrastImageCommand, "abc", "Varn_ImageContrast(ptr, ptr, 0, ptr)"},
        // The dialog's value is 16 bits wide.
        {ContrastImageCommand, "40000", "Varn_ImageContrast(ptr, ptr, -25536, ptr)"},
    };
    LoadImages(true, true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Expected);
        Api.Clear();
        Op.QueueDialog(InputData(c.Typed));
        auto bench = MakeBench();
        c.Run(bench);
        const auto trace = TraceFromOpen();
        ASSERT_EQ(trace.size(), 4u);
        EXPECT_EQ(trace[0], "VnConnect(ptr, null, 40, ptr)");
        EXPECT_EQ(trace[1], c.Expected);
        EXPECT_EQ(trace[2], c.Expected);
        EXPECT_EQ(trace[3], "VnDisconnect(7, ptr)");
    }
    EXPECT_EQ(State.BwThreshold, 8) << "only the conversion stores a threshold";
}

TEST_F(ImageCommands, BrightnessErrorOnTheFrontSkipsTheBackAndShowsNothing)
{
    LoadImages(true, true);
    PlanResults("Varn_ImageBrightness", 3, {-18});
    Op.QueueDialog(InputData("10"));
    auto bench = MakeBench();
    BrightnessImageCommand(bench);
    EXPECT_EQ(Api.CallsOf("Varn_ImageBrightness").size(), 1u);
    EXPECT_TRUE(Op.Documents.empty());
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Text, "Varn_ImageBrightness\n\nDIB image not created !");
    EXPECT_EQ(Api.Names().back(), "VnDisconnect");
}

TEST_F(ImageCommands, CutPassesTheStoredWindow)
{
    LoadImages(false, true);
    State.Settings.CutWindowInch = 0;
    PlanResults("Varn_CutImage", 7);
    Op.QueueDialog([](QDialog& d) {
        Find<QRadioButton>(d, "Inch")->setChecked(true);
        Find<QLineEdit>(d, "XEdit")->setText("1.15");
        Find<QLineEdit>(d, "YEdit")->setText("0.5");
        Find<QLineEdit>(d, "WidthEdit")->setText("2.25");
        Find<QLineEdit>(d, "HeightEdit")->setText("1");
        Find<QPushButton>(d, "OK")->click();
        return d.result();
    });
    auto bench = MakeBench();
    CutImageCommand(bench);
    EXPECT_EQ(TraceFromOpen()[1], "Varn_CutImage(ptr, ptr, 1, 1.15, 0.5, 2.25, 1, ptr)");
    EXPECT_EQ(ShownWidths(), (std::vector<std::string>{"0:-/100"})) << "a back image alone is shown as the back";
}

TEST(InputDataDialogTest, LabelsAndValuesOfEachUse)
{
    uint16_t threshold = 3;
    InputDataDialog convert(InputDataUse::ConvertToBw, threshold);
    EXPECT_EQ(convert.windowTitle(), "Input data");
    EXPECT_EQ(Find<QGroupBox>(convert, "ValueGroup")->title(), "Polo Filter ( Range 50-600 )");
    EXPECT_EQ(Find<QLineEdit>(convert, "ValueEdit")->text(), "450");
    EXPECT_EQ(Find<QGroupBox>(convert, "ThresholdGroup")->title(), "Threshold Kmx 3 ( Range 0-15 )");
    EXPECT_TRUE(Find<QGroupBox>(convert, "ThresholdGroup")->isEnabled());
    EXPECT_EQ(Find<QLineEdit>(convert, "ThresholdEdit")->text(), "8");
    Find<QLineEdit>(convert, "ValueEdit")->setText("600");
    Find<QLineEdit>(convert, "ThresholdEdit")->setText("15");
    Find<QPushButton>(convert, "OK")->click();
    EXPECT_EQ(convert.result(), 600);
    EXPECT_EQ(threshold, 15);

    const std::pair<InputDataUse, QString> relabelled[] = {
        {InputDataUse::Brightness, "Brightness ( Range -1000 to 1000 )"},
        {InputDataUse::Contrast, "Contrast ( Range -1000 to 1000 )"},
    };
    for (const auto& [use, label] : relabelled) {
        InputDataDialog dialog(use, threshold);
        EXPECT_EQ(Find<QGroupBox>(dialog, "ValueGroup")->title(), label);
        EXPECT_EQ(Find<QLineEdit>(dialog, "ValueEdit")->text(), "450");
        EXPECT_FALSE(Find<QGroupBox>(dialog, "ThresholdGroup")->isEnabled());
        Find<QLineEdit>(dialog, "ValueEdit")->setText("-999");
        Find<QPushButton>(dialog, "OK")->click();
        EXPECT_EQ(dialog.result(), -999);
    }
    EXPECT_EQ(threshold, 15);
}

TEST(InputDataDialogTest, OnlyOkClosesTheInputAndCutDialogs)
{
    uint16_t threshold = 8;
    SettingsRecord settings = DefaultSettings();
    InputDataDialog input(InputDataUse::Brightness, threshold);
    CutImageDialog cut(settings);
    for (QDialog* dialog : {static_cast<QDialog*>(&input), static_cast<QDialog*>(&cut)}) {
        SCOPED_TRACE(dialog->objectName().toStdString());
        dialog->show();
        QTest::keyClick(dialog, Qt::Key_Escape);
        EXPECT_TRUE(dialog->isVisible());
        dialog->close();
        EXPECT_TRUE(dialog->isVisible());
        Find<QPushButton>(*dialog, "OK")->click();
        EXPECT_FALSE(dialog->isVisible());
    }
}

TEST(CutImageDialogTest, ShowsAndStoresInTheChosenUnit)
{
    SettingsRecord s = DefaultSettings();
    s.CutWindowInch = 1;
    s.CutWindowX = 1.156f;
    s.CutWindowY = 0.5f;
    s.CutWindowWidth = 3.0f;
    s.CutWindowHeight = 0.004f;
    {
        CutImageDialog dialog(s);
        EXPECT_EQ(dialog.windowTitle(), "Cut Image Parameter");
        EXPECT_EQ(Find<QGroupBox>(dialog, "CoordinateGroup")->title(), "Coordinate (Right, Bottom)");
        EXPECT_EQ(Find<QLineEdit>(dialog, "XEdit")->text(), "1.16");
        EXPECT_EQ(Find<QLineEdit>(dialog, "YEdit")->text(), "0.50");
        EXPECT_EQ(Find<QLineEdit>(dialog, "WidthEdit")->text(), "3.00");
        EXPECT_EQ(Find<QLineEdit>(dialog, "HeightEdit")->text(), "0.00");
        EXPECT_TRUE(Find<QRadioButton>(dialog, "Inch")->isChecked());
        EXPECT_EQ(Find<QRadioButton>(dialog, "Inch")->text(), "Inch ( For Ex. 1.15 )");
        // Switching to millimetres converts nothing: the shown numbers are read as whole numbers.
        Find<QRadioButton>(dialog, "Millimeter")->setChecked(true);
        EXPECT_EQ(Find<QLineEdit>(dialog, "XEdit")->text(), "1.16");
        Find<QLineEdit>(dialog, "WidthEdit")->setText("85");
        Find<QPushButton>(dialog, "OK")->click();
    }
    EXPECT_EQ(s.CutWindowInch, 0);
    EXPECT_EQ(s.CutWindowX, 1.0f);
    EXPECT_EQ(s.CutWindowY, 0.0f);
    EXPECT_EQ(s.CutWindowWidth, 85.0f);
    EXPECT_EQ(s.CutWindowHeight, 0.0f);

    s.CutWindowX = 12.9f;
    s.CutWindowY = 7.0f;
    {
        CutImageDialog dialog(s);
        EXPECT_TRUE(Find<QRadioButton>(dialog, "Millimeter")->isChecked());
        EXPECT_EQ(Find<QLineEdit>(dialog, "XEdit")->text(), "12") << "millimetres show truncated";
        EXPECT_EQ(Find<QLineEdit>(dialog, "YEdit")->text(), "7");
        Find<QRadioButton>(dialog, "Inch")->setChecked(true);
        Find<QLineEdit>(dialog, "XEdit")->setText(" 2.5");
        Find<QLineEdit>(dialog, "HeightEdit")->setText("x");
        Find<QPushButton>(dialog, "OK")->click();
    }
    EXPECT_EQ(s.CutWindowInch, 1);
    EXPECT_FLOAT_EQ(s.CutWindowX, 2.5f);
    EXPECT_FLOAT_EQ(s.CutWindowY, 7.0f);
    EXPECT_FLOAT_EQ(s.CutWindowWidth, 85.0f);
    EXPECT_FLOAT_EQ(s.CutWindowHeight, 0.0f);
}

TEST(SingleColorSideTest, ColourPlaneOfEachSide)
{
    struct Case {
        char Side;
        uint16_t Color;
        char Expected;
    } cases[] = {
        {'F', 1, 'G'}, {'F', 2, 'H'}, {'F', 3, 'I'}, {'B', 1, 'C'}, {'B', 2, 'D'}, {'B', 3, 'E'},
        {'X', 1, 'Y'}, {'X', 2, 'W'}, {'X', 3, 'Z'}, {'N', 1, 'N'}, {'G', 2, 'N'}, {'F', 0, 'N'},
        {'B', 4, 'N'}, {'X', 0xFFFF, 'N'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SingleColorSide(static_cast<uint8_t>(c.Side), c.Color), c.Expected)
            << c.Side << " colour " << c.Color;
}

TEST(ReadSingleImageDialogTest, ChecksTheStoredColourAndStoresTheChoice)
{
    SettingsRecord s = DefaultSettings();
    const char* radios[] = {"Blue", "Green", "Red"};
    for (uint16_t color : {0, 1, 2, 3, 9}) {
        s.SingleColor = color;
        ReadSingleImageDialog dialog(s);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Find<QRadioButton>(dialog, radios[i])->isChecked(), color == i + 1) << color;
        Find<QPushButton>(dialog, "OK")->click();
        EXPECT_EQ(dialog.result(), 1);
        EXPECT_EQ(s.SingleColor, color) << "nothing checked leaves the colour as it was";
    }
    ReadSingleImageDialog dialog(s);
    EXPECT_EQ(dialog.windowTitle(), "Read Single image");
    Find<QRadioButton>(dialog, "Blue")->setChecked(true);
    Find<QPushButton>(dialog, "Cancel")->click();
    EXPECT_EQ(dialog.result(), 2);
    EXPECT_EQ(s.SingleColor, 9);
}

struct SingleReads : ImageCommands {
    CommandRegistry Registry;
    void SetUp() override
    {
        ImageCommands::SetUp();
        RegisterImageCommands(Registry);
        // The read delivers both sides.
        Api.SetHook("Varn_ReadImage", [](ApiCall& c) {
            *static_cast<ImageHandle*>(c.Pointers[6]) = PackedBitmap::Create(50, 4, 8, 0);
            *static_cast<ImageHandle*>(c.Pointers[7]) = PackedBitmap::Create(60, 4, 8, 0);
        });
    }
    void Run(int id)
    {
        auto bench = MakeBench();
        Registry.Find(id)->Handler(bench);
    }
};

TEST_F(SingleReads, ReadSingleColorAsksForTheColourPlaneAndFreesWhatItShowed)
{
    State.Settings.ImageSide = 'F';
    State.Settings.ClearImage = 2;
    State.Settings.SingleColor = 3;
    Op.QueueDialog([](QDialog& d) {
        Find<QRadioButton>(d, "Green")->setChecked(true);
        Find<QPushButton>(d, "OK")->click();
        return d.result();
    });
    Run(Cmd::ReadSingleColor);
    EXPECT_EQ(State.Settings.SingleColor, 2);
    EXPECT_EQ(TraceFromOpen(), (std::vector<std::string>{
                                   "Varn_Open(ptr, null, 40, ptr)",
                                   "Varn_ReadImage(7, ptr, 2, 'H', 0, 0, ptr, ptr, null, null)",
                                   "Varn_FreeImage(ptr, ptr)",
                                   "Varn_FreeImage(ptr, ptr)",
                                   "VnDisconnect(7, ptr)",
                               }));
    EXPECT_EQ(Op.ImageTitles, (std::vector<QString>{"Back", "Front"}));
    EXPECT_EQ(FreedWidths, (std::vector<int>{50, 60}));
    EXPECT_EQ(Op.MenuStates, (std::vector<bool>{false, true}));
}

TEST_F(SingleReads, ReadSingleColorOnSideNShowsNothing)
{
    State.Settings.ImageSide = 'N';
    State.Settings.SingleColor = 1;
    // Side 'N' asks for no image.
    Api.SetHook("Varn_ReadImage", [](ApiCall&) {});
    Op.QueueDialog(PressOk());
    Run(Cmd::ReadSingleColor);
    ASSERT_EQ(Api.CallsOf("Varn_ReadImage").size(), 1u);
    EXPECT_EQ(Api.CallsOf("Varn_ReadImage")[0].Args[3], "'N'");
    EXPECT_TRUE(Op.ImageTitles.empty());
    EXPECT_TRUE(Op.Documents.empty());
    EXPECT_TRUE(FreedWidths.empty());
    EXPECT_EQ(Api.Names().back(), "VnDisconnect");
}

TEST_F(SingleReads, ReadSingleColorCancelledTouchesNoUnit)
{
    Op.QueueDialog([](QDialog& d) {
        Find<QPushButton>(d, "Cancel")->click();
        return d.result();
    });
    Run(Cmd::ReadSingleColor);
    EXPECT_TRUE(Api.Calls().empty());
    EXPECT_EQ(Op.DialogTitles, (std::vector<QString>{"Read Single image"}));
    EXPECT_EQ(Op.MenuStates, (std::vector<bool>{false, true}));
}

TEST_F(SingleReads, ReloadShowsBackThenFrontAndAcceptsReplyOne)
{
    State.Settings.ImageSide = 'X';
    State.Settings.ClearImage = 1;
    State.FitImageOption = 1;
    Api.QueueReplies("Varn_ReadImage", {1});
    LoadImages(true, true);
    const PackedBitmap* current = State.CurrentFrontImage.get();
    Run(Cmd::ReloadImage);
    EXPECT_EQ(TraceFromOpen(), (std::vector<std::string>{
                                   "Varn_Open(ptr, null, 40, ptr)",
                                   "Varn_ReadImage(7, ptr, 1, 'X', 0, 0, ptr, ptr, null, null)",
                                   "VnDisconnect(7, ptr)",
                               }));
    EXPECT_EQ(Op.ImageTitles, (std::vector<QString>{"Back", "Front"}));
    EXPECT_TRUE(Op.Messages.empty());
    EXPECT_EQ(State.CurrentFrontImage.get(), current);
    EXPECT_EQ(Op.MenuStates, (std::vector<bool>{false, true}));
}

TEST_F(SingleReads, ReloadFailureIsReportedAndClosesWithoutShowing)
{
    Api.SetReply("Varn_ReadImage", -22);
    Run(Cmd::ReloadImage);
    EXPECT_EQ(Api.Names(), (std::vector<std::string>{"Vn_SetIPAddress", "Varn_Open", "Varn_ReadImage",
                                                     "VnDisconnect"}));
    ASSERT_EQ(Op.Messages.size(), 1u);
    EXPECT_EQ(Op.Messages[0].Text, "Varn_ReadImage\n\nImage not present.");
    EXPECT_TRUE(Op.ImageTitles.empty());
}
