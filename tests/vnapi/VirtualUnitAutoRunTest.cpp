// The automatic run: Varn_AutoDocHandle hands the unit the job, each
// Varn_GetDocData feeds and delivers the next document.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "UnitTestHelpers.h"
#include "docs/Document.h"
#include "unit/AutoRunFiles.h"
#include "vnapi/MicrSymbols.h"

namespace {

struct Job {
    uint16_t CodelineType = 1;
    uint16_t ScanMode = 5;
    uint16_t Count = 0;
    uint16_t ClearImage = 1;
    char Side = 'X';
    uint16_t SaveMode = 5;
    std::string Folder;
    uint16_t Format = 0;
    uint16_t Print = 0;
};

int32_t Start(OpenUnit& unit, const Job& job)
{
    return unit.Api().Varn_AutoDocHandle(unit.Handle, nullptr, 0, job.Print, job.CodelineType, job.ScanMode, 0, 1,
                                         job.Count, job.ClearImage, job.Side, 0, job.SaveMode, job.Folder.c_str(),
                                         "Image_", 6.0f, 4.0f, 150.0f, 10.5f, 10, 0, job.Format, 128, 0, 1, 'G', 0,
                                         nullptr, nullptr, nullptr);
}

struct Fetched {
    int32_t Reply = 0;
    uint32_t Number = 0;
    std::string FrontFile, BackFile, Optical, Micr, Barcode;
    ImageHandle Front, Back;
    int32_t Extra = -1;
};

Fetched Fetch(OpenUnit& unit)
{
    Fetched f;
    char frontName[VnFileNameSize] = {}, backName[VnFileNameSize] = {};
    char optical[VnCodelineSize] = {}, micrText[VnCodelineSize] = {}, barcode[VnCodelineSize] = {};
    f.Reply = unit.Api().Varn_GetDocData(unit.Handle, nullptr, &f.Number, frontName, backName, nullptr, nullptr,
                                         &f.Front, &f.Back, nullptr, nullptr, optical, micrText, barcode, nullptr,
                                         &f.Extra, nullptr, nullptr, nullptr);
    f.FrontFile = frontName;
    f.BackFile = backName;
    f.Optical = optical;
    f.Micr = micrText;
    f.Barcode = barcode;
    return f;
}

// Replies of fetches until one replies 1 (at most limit fetches).
std::vector<int32_t> RunToTheEnd(OpenUnit& unit, size_t limit = 100)
{
    std::vector<int32_t> replies;
    while (replies.size() < limit) {
        replies.push_back(Fetch(unit).Reply);
        if (replies.back() == 1)
            break;
    }
    return replies;
}

TEST(VirtualUnitAutoRun, TheDefaultStackGivesTwentyFiveDocumentsThenFeederEmpty)
{
    OpenUnit unit;
    const std::vector<DocumentSpec> stack = unit.Control().FeederContents();
    ASSERT_EQ(Start(unit, Job{}), 0);
    EXPECT_TRUE(unit.Control().State().AutoRunActive);
    for (uint32_t i = 0; i < 25; ++i) {
        const Fetched f = Fetch(unit);
        ASSERT_EQ(f.Reply, 0) << i;
        EXPECT_EQ(f.Number, i + 1);
        EXPECT_EQ(f.Micr, stack[i].Codeline) << "read by the unit's head";
        EXPECT_TRUE(f.Front && f.Back);
        EXPECT_EQ(f.Extra, static_cast<int32_t>(24 - i)) << "documents left in the feeder";
        EXPECT_TRUE(f.FrontFile.empty()) << "nothing saved unless asked";
    }
    EXPECT_EQ(Fetch(unit).Reply, 1);
    EXPECT_EQ(Fetch(unit).Reply, 1) << "the run is over";
    EXPECT_FALSE(unit.Control().State().AutoRunActive);
    EXPECT_EQ(unit.Control().State().History.DocumentsProcessed, 25u);
    // The last document stays the unit's last: its codeline can be read again.
    EXPECT_EQ(unit.Codeline(), stack[24].Codeline);
}

TEST(VirtualUnitAutoRun, CountSidesAndAnEmptyFeeder)
{
    OpenUnit unit;
    Job job;
    job.Count = 3;
    job.Side = 'F';
    ASSERT_EQ(Start(unit, job), 0);
    for (int i = 0; i < 3; ++i) {
        const Fetched f = Fetch(unit);
        EXPECT_EQ(f.Reply, 0);
        EXPECT_TRUE(f.Front);
        EXPECT_FALSE(f.Back) << "front only";
    }
    EXPECT_EQ(Fetch(unit).Reply, 1) << "the job's count is done";
    EXPECT_EQ(unit.Control().State().FeederCount, 22u);

    job.Count = 0;
    job.Side = 'N';
    job.CodelineType = 0;
    ASSERT_EQ(Start(unit, job), 0);
    const Fetched f = Fetch(unit);
    EXPECT_EQ(f.Reply, 0);
    EXPECT_FALSE(f.Front || f.Back);
    EXPECT_EQ(f.Micr, "") << "no codeline asked for";

    unit.Control().EmptyFeeder();
    EXPECT_EQ(Start(unit, job), 1) << "nothing to feed";
    EXPECT_EQ(Fetch(unit).Reply, -9) << "no job";
}

TEST(VirtualUnitAutoRun, DoubleLeafingWarnsAndTheRunGoesOn)
{
    OpenUnit unit;
    unit.Control().ArmDocumentFault(3, DocumentFaultKind::DoubleFeed);
    ASSERT_EQ(Start(unit, Job{}), 0);
    const std::vector<int32_t> replies = RunToTheEnd(unit);
    ASSERT_EQ(replies.size(), 25u) << "24 documents (the fourth went with the third), then 1";
    EXPECT_EQ(replies[2], 7);
    for (size_t i = 0; i < 24; ++i) {
        if (i != 2) {
            EXPECT_EQ(replies[i], 0) << i;
        }
    }
    EXPECT_EQ(replies.back(), 1);
}

TEST(VirtualUnitAutoRun, JamsStopTheRun)
{
    struct Case {
        DocumentFaultKind Kind;
        uint8_t SenseKey;
    };
    for (const Case c : {Case{DocumentFaultKind::Jam, 3}, Case{DocumentFaultKind::DoubleFeedStop, 7}}) {
        OpenUnit unit;
        unit.Control().ArmDocumentFault(5, c.Kind);
        ASSERT_EQ(Start(unit, Job{}), 0);
        const std::vector<int32_t> replies = RunToTheEnd(unit);
        ASSERT_EQ(replies.size(), 6u);
        EXPECT_EQ(replies[4], -7);
        EXPECT_EQ(replies[5], 1) << "after the jam the run has nothing more to give";
        EXPECT_EQ(unit.SenseKey(), c.SenseKey);
        EXPECT_EQ(Start(unit, Job{}), -7) << "the stuck document blocks a new run";
        ASSERT_EQ(unit.Api().Varn_Reset(unit.Handle, nullptr, '1'), 0);
        EXPECT_EQ(Start(unit, Job{}), 0);
    }
}

TEST(VirtualUnitAutoRun, FaultsOnTheRunsOperations)
{
    OpenUnit unit;
    ASSERT_EQ(Start(unit, Job{}), 0);
    ASSERT_TRUE(unit.Control().ArmOperationFault("Varn_GetDocData", -4));
    EXPECT_EQ(Fetch(unit).Reply, -4);
    EXPECT_EQ(unit.Control().State().FeederCount, 25u) << "the armed reply feeds nothing";
    EXPECT_EQ(unit.SenseKey(), 4);
    ASSERT_TRUE(unit.Control().ArmOperationFault("Varn_GetDocData", -7));
    EXPECT_EQ(Fetch(unit).Reply, -7);
    EXPECT_EQ(unit.SenseKey(), 3);
    EXPECT_EQ(unit.Sensors() & 2, 2) << "the front document stuck at the entrance";

    VirtualUnitSetup silent = TestUnitSetup();
    silent.InkjetBoardSilent = true;
    OpenUnit quiet(silent);
    Job printing;
    printing.Print = 1;
    EXPECT_EQ(Start(quiet, printing), -4);
    EXPECT_EQ(Start(quiet, Job{}), 0) << "a run that prints nothing does not need the board";

    EXPECT_EQ(unit.Api().Varn_SetAutoDocOptions(unit.Handle, nullptr, nullptr), -9);
}

TEST(VirtualUnitAutoRun, CodelineTypesOfTheUnitsOwnReads)
{
    struct Case {
        uint16_t Type;
        int32_t Reply;
        bool Micr;
    };
    const Case cases[] = {{0, 0, false},   {1, 0, true},    {15, 0, true},   {'A', 0, false}, {'B', 0, false},
                          {'C', 0, false}, {'E', 0, false}, {'F', 0, false}, {'X', 0, false}, {'2', 0, false},
                          {'3', 0, false}, {'4', 0, false}, {2, 0, false},   {'Q', -9, false}, {3, -9, false}};
    for (const Case& c : cases) {
        OpenUnit unit;
        const std::string printed = unit.Control().FeederContents()[0].Codeline;
        Job job;
        job.CodelineType = c.Type;
        ASSERT_EQ(Start(unit, job), c.Reply) << c.Type;
        if (c.Reply != 0)
            continue;
        const Fetched f = Fetch(unit);
        EXPECT_EQ(f.Reply, 0);
        EXPECT_EQ(f.Micr, c.Micr ? printed : "") << c.Type;
    }
}

TEST(VirtualUnitAutoRun, StopOnCodelineErrorEndsTheRunAfterTheDocument)
{
    for (const bool stop : {true, false}) {
        OpenUnit unit;
        ASSERT_EQ(unit.Api().Varn_SetTrimmerMICR(unit.Handle, nullptr, 0, 0), 0); // a weak head rejects
        const AutoDocOptions options{0, stop ? 1 : 0};
        ASSERT_EQ(unit.Api().Varn_SetAutoDocOptions(unit.Handle, nullptr, &options), 0);
        EXPECT_EQ(unit.Control().State().StopOnCodelineError, stop);
        ASSERT_EQ(Start(unit, Job{}), 0);
        const Fetched first = Fetch(unit);
        EXPECT_EQ(first.Reply, 0);
        EXPECT_NE(first.Micr.find(micr::Reject), std::string::npos);
        if (stop) {
            EXPECT_EQ(Fetch(unit).Reply, 10);
            EXPECT_EQ(Fetch(unit).Reply, 1);
            EXPECT_EQ(unit.Control().State().FeederCount, 24u);
        } else {
            EXPECT_EQ(Fetch(unit).Reply, 0);
        }
    }
}

TEST(VirtualUnitAutoRun, PrintsTheLoadedStringWithItsCounterOnEveryDocument)
{
    // The run prints what a one-document feed of the literal text prints.
    OpenUnit run;
    OpenUnit single;
    ASSERT_EQ(run.Api().Varn_LoadStringWithCounter(run.Handle, nullptr, 'N', "SEQ %d", 6, 8, 3), 0);
    Job job;
    job.Print = 1;
    job.Count = 3;
    ASSERT_EQ(Start(run, job), 0);
    for (const char* expected : {"SEQ 008", "SEQ 009", "SEQ 010"}) {
        const Fetched f = Fetch(run);
        ASSERT_EQ(f.Reply, 0);
        ASSERT_EQ(single.Api().Varn_LoadString(single.Handle, nullptr, 'N', 7, expected), 0);
        ASSERT_EQ(single.FeedFor(1, 'X', 5, 1), 0);
        ImageHandle front, back;
        ASSERT_EQ(single.Api().Varn_ReadImage(single.Handle, nullptr, 1, 'X', 0, 0, &front, &back, nullptr, nullptr),
                  0);
        ASSERT_TRUE(f.Back && back);
        EXPECT_EQ(f.Back->Bytes(), back->Bytes()) << expected;
    }
    EXPECT_EQ(run.Control().State().Counter, 11);
    EXPECT_EQ(run.Control().State().History.DocumentsPrinted, 3u);
}

struct SaveCase {
    uint16_t Format;
    uint16_t ScanMode;
    const char* Extension; // nullptr: nothing saved
};

TEST(VirtualUnitAutoRun, SaveModeSixWritesEachDocumentsImagesInTheFormatAsked)
{
    const SaveCase cases[] = {{10, 5, "jpg"}, {11, 5, "bmp"}, {3, 3, "tif"}, {25, 1, "tif"}, {27, 1, "tif"},
                              {28, 1, "tif"}, {29, 1, "tif"}, {0, 5, nullptr}, {12, 5, nullptr}};
    for (const SaveCase& c : cases) {
        TemporaryFolder folder;
        OpenUnit unit;
        Job job;
        job.SaveMode = 6;
        job.Folder = folder.Folder().substr(0, folder.Folder().size() - 1); // no trailing '/', as the bench gives it
        job.Format = c.Format;
        job.ScanMode = c.ScanMode;
        job.Count = 2;
        ASSERT_EQ(Start(unit, job), 0);
        for (uint32_t n = 1; n <= 2; ++n) {
            const Fetched f = Fetch(unit);
            ASSERT_EQ(f.Reply, 0) << c.Format;
            ASSERT_TRUE(f.Front && f.Back);
            if (!c.Extension) {
                EXPECT_TRUE(f.FrontFile.empty() && f.BackFile.empty()) << c.Format;
                continue;
            }
            char name[32];
            std::snprintf(name, sizeof name, "Image_%04uFF.%s", n, c.Extension);
            EXPECT_EQ(f.FrontFile, folder.Folder() + name) << c.Format;
            std::snprintf(name, sizeof name, "Image_%04uBB.%s", n, c.Extension);
            EXPECT_EQ(f.BackFile, folder.Folder() + name);
            for (const auto& [path, image] : {std::pair{f.FrontFile, f.Front.get()}, {f.BackFile, f.Back.get()}}) {
                ImageHandle loaded;
                ASSERT_EQ(unit.Api().Varn_LoadImageFile(path.c_str(), &loaded), 0) << path;
                EXPECT_EQ(loaded->Width(), image->Width()) << path;
                EXPECT_EQ(loaded->Height(), image->Height()) << path;
            }
        }
        size_t files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Folder()))
            ++files;
        EXPECT_EQ(files, c.Extension ? 4u : 0u) << c.Format;
    }
}

TEST(VirtualUnitAutoRun, ALaterRunNumbersItsFilesAfterTheFilesInTheFolder)
{
    TemporaryFolder folder;
    OpenUnit unit;
    Job job;
    job.SaveMode = 6;
    job.Folder = folder.Folder().substr(0, folder.Folder().size() - 1);
    job.Format = 11;
    job.Count = 2;
    const std::vector<std::string> expected[] = {
        {"Image_0001FF.bmp", "Image_0002FF.bmp"},
        {"Image_0003FF.bmp", "Image_0004FF.bmp"}, // not the first run's names again
    };
    for (const auto& names : expected) {
        ASSERT_EQ(Start(unit, job), 0);
        for (const std::string& name : names) {
            const Fetched f = Fetch(unit);
            ASSERT_EQ(f.Reply, 0);
            EXPECT_EQ(f.FrontFile, folder.Folder() + name);
        }
        EXPECT_EQ(Fetch(unit).Reply, 1);
    }
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Folder()))
        ++files;
    EXPECT_EQ(files, 8u);
}

TEST(VirtualUnitAutoRun, HighestFileNumberCountsOnlyTheRunsOwnNames)
{
    struct Row {
        std::vector<std::string> Files;
        uint32_t Highest;
    };
    const Row rows[] = {
        {{}, 0},
        {{"Image_0007FF.jpg"}, 7},
        {{"Image_0007BB.tif"}, 7},
        {{"Image_0002FF.bmp", "Image_12345BB.bmp", "Image_0040FF.jpg"}, 12345},
        {{"Image_0009XX.jpg", "Image_FF.jpg", "Other_0012FF.jpg", "Image_0003FF", "Image_0005F.jpg"}, 0},
        {{"Image_99999999999FF.jpg"}, 99999999}, // capped, so a run's numbers stay in 32 bits
    };
    for (const Row& r : rows) {
        TemporaryFolder folder;
        for (const std::string& name : r.Files)
            std::fclose(std::fopen((folder.Folder() + name).c_str(), "wb"));
        EXPECT_EQ(virtualunit::HighestAutoRunFileNumber(folder.Folder(), "Image_"), r.Highest) << r.Files.size();
    }
    EXPECT_EQ(virtualunit::HighestAutoRunFileNumber("/nonexistent-varn-folder", "Image_"), 0u);
}

TEST(VirtualUnitAutoRun, AFolderThatCannotTakeTheFilesGivesTheSaveErrorAndTheRunGoesOn)
{
    OpenUnit unit;
    Job job;
    job.SaveMode = 6;
    job.Folder = "/nonexistent-varn-folder/Images";
    job.Format = 10;
    job.Count = 2;
    ASSERT_EQ(Start(unit, job), 0);
    const Fetched first = Fetch(unit);
    EXPECT_EQ(first.Reply, -12) << "JPEG image not created";
    EXPECT_TRUE(first.Front && first.FrontFile.empty());
    EXPECT_EQ(Fetch(unit).Reply, -12);
    EXPECT_EQ(Fetch(unit).Reply, 1);
}

} // namespace
