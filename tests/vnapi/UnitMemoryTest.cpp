// "VarnUnit.mem": what the unit keeps across power cycles.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include <gtest/gtest.h>

#include "UnitTestHelpers.h"
#include "unit/UnitMemory.h"
#include "vnapi/VirtualUnit.h"

namespace {

using virtualunit::UnitMemory;

UnitMemory SampleMemory()
{
    UnitMemory m;
    m.Trimmer = 0xA7;
    m.TimeSample = 0x1234;
    m.ImageCalibration = 1777;
    m.Configuration = {0x7B, 0x53, 0x40, 0x40};
    m.ConfigurationWritten = true;
    m.PhotosCalibrated = true;
    m.FeederThreshold = 0x0199;
    m.TriggerThreshold = 0x01A5;
    m.History.DocumentsProcessed = 100001;
    m.History.DocumentsPrinted = 2;
    m.History.DocumentsStamped = 3;
    m.History.DocumentsRetained = 4;
    m.History.FeederJams = 5;
    m.History.MicrReadErrors = 6;
    m.History.E13bReadErrors = 7;
    m.History.PowerOns = 8;
    m.History.WorkTime = 0xFFFFFFF0u;
    m.WorkMilliseconds = 299999;
    for (size_t i = 0; i < m.Eeprom.size(); ++i)
        m.Eeprom[i] = static_cast<uint8_t>(i * 7);
    m.DirtyElement = {0x0032, 0xFFFF};
    m.PhotoDrive = {0x0101, 0x00A0};
    return m;
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(UnitMemoryFile, RoundTripKeepsEveryField)
{
    const UnitMemory m = SampleMemory();
    const std::vector<uint8_t> bytes = virtualunit::SerializeMemory(m);
    EXPECT_EQ(bytes.size(), 80u + 1024u + 4u);
    EXPECT_EQ(bytes[8], 0xA7) << "little-endian, field by field";
    EXPECT_EQ(bytes[10], 0x34);
    EXPECT_EQ(bytes[11], 0x12);
    const auto back = virtualunit::ParseMemory(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Trimmer, m.Trimmer);
    EXPECT_EQ(back->TimeSample, m.TimeSample);
    EXPECT_EQ(back->ImageCalibration, m.ImageCalibration);
    EXPECT_EQ(back->Configuration, m.Configuration);
    EXPECT_TRUE(back->ConfigurationWritten);
    EXPECT_TRUE(back->PhotosCalibrated);
    EXPECT_EQ(back->FeederThreshold, m.FeederThreshold);
    EXPECT_EQ(back->TriggerThreshold, m.TriggerThreshold);
    EXPECT_EQ(back->History.DocumentsProcessed, 100001u);
    EXPECT_EQ(back->History.DocumentsPrinted, 2u);
    EXPECT_EQ(back->History.DocumentsStamped, 3u);
    EXPECT_EQ(back->History.DocumentsRetained, 4u);
    EXPECT_EQ(back->History.FeederJams, 5u);
    EXPECT_EQ(back->History.MicrReadErrors, 6u);
    EXPECT_EQ(back->History.E13bReadErrors, 7u);
    EXPECT_EQ(back->History.PowerOns, 8u);
    EXPECT_EQ(back->History.WorkTime, 0xFFFFFFF0u);
    EXPECT_EQ(back->WorkMilliseconds, 299999u);
    EXPECT_EQ(back->Eeprom, m.Eeprom);
    EXPECT_EQ(back->DirtyElement, m.DirtyElement);
    EXPECT_EQ(back->PhotoDrive, m.PhotoDrive);
    EXPECT_EQ(bytes[64], 0x32);
    EXPECT_EQ(bytes[70], 0xA0);
}

// A file written before the calibration fields existed: 64-byte fixed part.
TEST(UnitMemoryFile, VersionOneFilesAreStillRead)
{
    std::vector<uint8_t> bytes = virtualunit::SerializeMemory(SampleMemory());
    bytes.erase(bytes.begin() + 64, bytes.begin() + 80);
    bytes.resize(bytes.size() - 4);
    bytes[4] = 1;
    bytes[6] = 64;
    uint32_t hash = 2166136261u;
    for (uint8_t b : bytes)
        hash = (hash ^ b) * 16777619u;
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(hash >> (8 * i)));
    const auto back = virtualunit::ParseMemory(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->History.DocumentsProcessed, 100001u);
    EXPECT_EQ(back->Eeprom, SampleMemory().Eeprom);
    EXPECT_EQ(back->DirtyElement[0], virtualunit::NoDirtyElement) << "defaults for the later fields";
    EXPECT_EQ(back->PhotoDrive[1], virtualunit::NominalPhotoDrive);
    bytes[6] = 80;
    EXPECT_FALSE(virtualunit::ParseMemory(bytes)) << "version 1 with another length";
}

TEST(UnitMemoryFile, TruncatedDamagedOrForeignBytesAreRefused)
{
    const std::vector<uint8_t> bytes = virtualunit::SerializeMemory(SampleMemory());
    for (size_t size = 0; size < bytes.size(); ++size)
        EXPECT_FALSE(virtualunit::ParseMemory({bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)}))
            << "cut at " << size;
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(virtualunit::ParseMemory(longer));
    std::vector<uint8_t> flipped = bytes;
    flipped[500] ^= 0x10;
    EXPECT_FALSE(virtualunit::ParseMemory(flipped)) << "checksum";
    std::vector<uint8_t> version = bytes;
    version[4] = 3;
    EXPECT_FALSE(virtualunit::ParseMemory(version));
    std::vector<uint8_t> oldLength = bytes;
    oldLength[6] = 64; // version 2 with the fixed part of version 1
    EXPECT_FALSE(virtualunit::ParseMemory(oldLength));
    std::vector<uint8_t> hugeEeprom = bytes;
    hugeEeprom[63] = 0xFF; // claims 65280 bytes of EEPROM
    EXPECT_FALSE(virtualunit::ParseMemory(hugeEeprom));
}

TEST(UnitMemoryFile, WorkTimeCarriesIntoFiveMinuteUnits)
{
    UnitMemory m;
    virtualunit::AddWorkTime(m, 299999);
    EXPECT_EQ(m.History.WorkTime, 0u);
    virtualunit::AddWorkTime(m, 1);
    EXPECT_EQ(m.History.WorkTime, 1u);
    EXPECT_EQ(m.WorkMilliseconds, 0u);
    virtualunit::AddWorkTime(m, 900000 + 5);
    EXPECT_EQ(m.History.WorkTime, 4u);
    EXPECT_EQ(m.WorkMilliseconds, 5u);
}

TEST(UnitMemoryFile, SurvivesPowerCyclesOfTheUnit)
{
    TemporaryFolder folder;
    {
        std::ofstream ini(folder.Folder() + VirtualUnitSetupFileName);
        ini << "[Unit]\nTimeScale = 0\n";
    }
    const std::string memoryPath = folder.Folder() + VirtualUnitMemoryFileName;
    uint8_t freshTrimmer = 0;
    {
        auto pair = CreateVirtualUnitInFolder(folder.Folder());
        freshTrimmer = pair.Control.State().Trimmer;
        uint16_t h = 0;
        ASSERT_EQ(pair.Api->VnConnect(nullptr, nullptr, 40, &h), 0);
        ASSERT_EQ(pair.Api->Varn_SetTrimmerMICR(h, nullptr, 0, 201), 0);
        // Written at once, not only at the close.
        auto kept = virtualunit::ReadMemoryFile(memoryPath);
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->Trimmer, 201);
        uint8_t bytes[3] = {9, 8, 7};
        ASSERT_EQ(pair.Api->VnEEPROMCommand(h, nullptr, 1, 100, 3, bytes), 0);
        const uint8_t block[4] = {0x40, 0x43, 0x40, 0x40};
        ASSERT_EQ(pair.Api->Varn_SetConfiguration(h, nullptr, block), 0);
        uint16_t value = 1600;
        ASSERT_EQ(pair.Api->Varn_ImageCalibration(h, nullptr, 1, &value), 0);
        ASSERT_EQ(pair.Api->Varn_SetTimeSampleMICR(h, nullptr, 0, 444), 0);
        ASSERT_EQ(pair.Api->VnDisconnect(h, nullptr), 0);
    }
    EXPECT_NE(freshTrimmer, 201);
    auto pair = CreateVirtualUnitInFolder(folder.Folder());
    const VirtualUnitState s = pair.Control.State();
    EXPECT_EQ(s.Trimmer, 201);
    EXPECT_EQ(s.TimeSample, 444);
    EXPECT_EQ(s.ImageCalibration, 1600);
    EXPECT_EQ(s.Configuration, (std::array<uint8_t, 4>{0x40, 0x43, 0x40, 0x40}));
    EXPECT_EQ(s.History.PowerOns, 2u);
    EXPECT_TRUE(s.JustOn);
    uint16_t h = 0;
    ASSERT_EQ(pair.Api->VnConnect(nullptr, nullptr, 40, &h), 0);
    uint8_t bytes[3] = {};
    ASSERT_EQ(pair.Api->VnEEPROMCommand(h, nullptr, 0, 100, 3, bytes), 0);
    EXPECT_EQ(bytes[0], 9);
    EXPECT_EQ(bytes[2], 7);
}

TEST(UnitMemoryFile, OptionBytesOfTheSetupApplyUntilAConfigurationIsWritten)
{
    TemporaryFolder folder;
    auto writeIni = [&](const char* features) {
        std::ofstream ini(folder.Folder() + VirtualUnitSetupFileName);
        ini << "[Unit]\nTimeScale = 0\nFeatures = " << features << "\n";
    };
    writeIni("0x01 0x03");
    EXPECT_EQ(CreateVirtualUnitInFolder(folder.Folder()).Control.State().Configuration[0], 0x01);
    writeIni("0x09 0x03");
    EXPECT_EQ(CreateVirtualUnitInFolder(folder.Folder()).Control.State().Configuration[0], 0x09)
        << "the set-up changed, nothing was written: the new bytes count";
    {
        auto pair = CreateVirtualUnitInFolder(folder.Folder());
        uint16_t h = 0;
        ASSERT_EQ(pair.Api->Varn_Open(nullptr, nullptr, 40, &h), 0);
        const uint8_t block[4] = {0x41, 0x43, 0x40, 0x40};
        ASSERT_EQ(pair.Api->Varn_SetConfiguration(h, nullptr, block), 0);
    }
    writeIni("0x2B 0x13");
    EXPECT_EQ(CreateVirtualUnitInFolder(folder.Folder()).Control.State().Configuration[0], 0x41)
        << "what the bench wrote stays";
}

TEST(UnitMemoryFile, DamagedFileGivesAFreshUnit)
{
    TemporaryFolder folder;
    const std::string memoryPath = folder.Folder() + VirtualUnitMemoryFileName;
    {
        auto pair = CreateVirtualUnitInFolder(folder.Folder());
    }
    { CreateVirtualUnitInFolder(folder.Folder()); }
    auto bytes = ReadAll(memoryPath);
    ASSERT_EQ(bytes.size(), 1108u);
    EXPECT_EQ(virtualunit::ParseMemory(bytes)->History.PowerOns, 2u);
    bytes.resize(bytes.size() / 2);
    {
        std::ofstream out(memoryPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    auto pair = CreateVirtualUnitInFolder(folder.Folder());
    EXPECT_EQ(pair.Control.State().History.PowerOns, 1u);
    EXPECT_EQ(ReadAll(memoryPath).size(), 1108u) << "rewritten whole";
}

TEST(UnitMemoryFile, TestUnitsKeepMemoryWhereTheSetupSays)
{
    TemporaryFolder folder;
    VirtualUnitSetup setup = TestUnitSetup();
    setup.MemoryFile = folder.Folder() + "elsewhere.mem";
    {
        auto pair = CreateVirtualUnit(setup);
        uint16_t h = 0;
        ASSERT_EQ(pair.Api->Varn_Open(nullptr, nullptr, 40, &h), 0);
        ASSERT_EQ(pair.Api->Varn_SetTrimmerMICR(h, nullptr, 0, 5), 0);
    }
    const auto kept = virtualunit::ReadMemoryFile(setup.MemoryFile);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->Trimmer, 5);
}

std::set<std::string> Names(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(UnitMemoryFile, AFailedWriteSaysSoAndLeavesNoTemporaryFile)
{
    struct Case {
        const char* What;
        const char* Name;
        bool NameTakenByAFolder;
        std::set<std::string> Left;
    };
    const Case cases[] = {
        {"a missing folder", "missing/VarnUnit.mem", false, {}},
        {"a folder in the file's place", "VarnUnit.mem", true, {"VarnUnit.mem"}},
    };
    for (const Case& c : cases) {
        TemporaryFolder folder;
        const std::string path = folder.Folder() + c.Name;
        if (c.NameTakenByAFolder)
            std::filesystem::create_directory(path);
        EXPECT_FALSE(virtualunit::WriteMemoryFile(path, SampleMemory())) << c.What;
        EXPECT_EQ(Names(folder.Folder()), c.Left) << c.What;
    }
}

// A full disk, simulated with a file size limit in a child process: the write
// fails, says so, and the earlier file stays whole with nothing beside it.
TEST(UnitMemoryFile, AFullDiskLeavesTheEarlierFileWhole)
{
    TemporaryFolder folder;
    const std::string path = folder.Folder() + "VarnUnit.mem";
    const UnitMemory before = SampleMemory();
    ASSERT_TRUE(virtualunit::WriteMemoryFile(path, before));
    const rlim_t whole = virtualunit::SerializeMemory(before).size();
    UnitMemory after = before;
    after.Trimmer = 0x11;
    for (const rlim_t limit : {rlim_t{0}, rlim_t{64}, whole - 1}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{limit, limit};
            setrlimit(RLIMIT_FSIZE, &size);
            _exit(virtualunit::WriteMemoryFile(path, after) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1) << "the failed write is reported, limit " << limit;
        EXPECT_EQ(ReadAll(path), virtualunit::SerializeMemory(before)) << limit;
        EXPECT_EQ(Names(folder.Folder()), std::set<std::string>{"VarnUnit.mem"}) << limit;
    }
}

TEST(UnitMemoryFile, AWriteReplacesTheWholeFileAtOnce)
{
    TemporaryFolder folder;
    const std::string path = folder.Folder() + "VarnUnit.mem";
    UnitMemory before = SampleMemory();
    ASSERT_TRUE(virtualunit::WriteMemoryFile(path, before));
    std::ifstream reader(path, std::ios::binary); // holds the file written first
    UnitMemory after = before;
    after.Trimmer = 0x11;
    ASSERT_TRUE(virtualunit::WriteMemoryFile(path, after));
    const std::vector<uint8_t> seen{std::istreambuf_iterator<char>(reader), std::istreambuf_iterator<char>()};
    EXPECT_EQ(seen, virtualunit::SerializeMemory(before)) << "the earlier file is replaced, not rewritten";
    EXPECT_EQ(ReadAll(path), virtualunit::SerializeMemory(after));
    EXPECT_EQ(Names(folder.Folder()), std::set<std::string>{"VarnUnit.mem"});
}

TEST(UnitMemoryFile, KeptValuesReplyAHardwareErrorWhenTheFileCannotBeWritten)
{
    TemporaryFolder folder;
    VirtualUnitSetup setup = TestUnitSetup();
    setup.MemoryFile = folder.Folder() + "unit.mem";
    OpenUnit unit(setup);
    ASSERT_EQ(unit.Api().Varn_SetTrimmerMICR(unit.Handle, nullptr, 0, 5), 0);
    std::filesystem::remove(setup.MemoryFile);
    std::filesystem::create_directory(setup.MemoryFile); // the file can no longer be replaced
    uint8_t bytes[2] = {1, 2};
    const uint8_t block[4] = {0x2B, 0x13, 0, 0};
    EXPECT_EQ(unit.Api().Varn_SetTrimmerMICR(unit.Handle, nullptr, 0, 6), -4);
    EXPECT_EQ(unit.Api().Varn_SetTimeSampleMICR(unit.Handle, nullptr, 0, 300), -4);
    EXPECT_EQ(unit.Api().Varn_SetConfiguration(unit.Handle, nullptr, block), -4);
    EXPECT_EQ(unit.Api().VnEEPROMCommand(unit.Handle, nullptr, 1, 0, 2, bytes), -4);
    EXPECT_EQ(unit.Api().VnEEPROMCommand(unit.Handle, nullptr, 0, 0, 2, bytes), 0) << "a read stores nothing";
    EXPECT_EQ(unit.Control().State().MemoryWriteFailures, 4u);
    EXPECT_EQ(Names(folder.Folder()), std::set<std::string>{"unit.mem"});
    std::filesystem::remove(setup.MemoryFile);
    EXPECT_EQ(unit.Api().Varn_SetTrimmerMICR(unit.Handle, nullptr, 0, 7), 0);
}

} // namespace
