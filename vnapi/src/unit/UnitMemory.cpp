#include "unit/UnitMemory.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "docs/Random.h"
#include "vnapi/ByteOrder.h"

namespace virtualunit {

namespace {

constexpr uint8_t Magic[4] = {'V', 'U', 'M', 'F'};
// Version 2 grows the fixed part: a field added later sits after the ones
// before it, and is read only from a fixed part long enough to hold it.
constexpr uint16_t FormatVersion = 2;
constexpr size_t FixedPartV1 = 64;
constexpr size_t CalibrationFields = 64; // shading and photo drive, 8 bytes
constexpr size_t FixedPart = 80;         // every field before the EEPROM contents
constexpr size_t ChecksumSize = 4;

constexpr uint8_t FlagConfigurationWritten = 1;
constexpr uint8_t FlagPhotosCalibrated = 2;

constexpr uint64_t WorkUnitMilliseconds = 300'000;

uint32_t Checksum(const uint8_t* data, size_t size)
{
    uint32_t hash = 2166136261u; // FNV-1a
    for (size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 16777619u;
    }
    return hash;
}

std::array<uint32_t*, 9> Counters(HistoryRecord& h)
{
    return {&h.DocumentsProcessed, &h.DocumentsPrinted, &h.DocumentsStamped, &h.DocumentsRetained, &h.FeederJams,
            &h.MicrReadErrors,     &h.E13bReadErrors,   &h.PowerOns,         &h.WorkTime};
}

} // namespace

UnitMemory FreshMemory(const UnitPhysics& physics, const std::array<uint8_t, 4>& features, uint32_t seed)
{
    DocRandom random = DocRandom::WithState(MixSeed(seed, 0, 11));
    UnitMemory memory;
    // Off by enough to fail a check, little enough for a calibration to
    // correct in a pass or two: gain about 10 % low, time sample about 5 %
    // high, image scale about 3 % off.
    memory.Trimmer = static_cast<uint8_t>(physics.RightTrimmer - random.Int(15, 21));
    memory.TimeSample = static_cast<uint16_t>(physics.RightTimeSample + physics.RightTimeSample / 20 +
                                              random.Int(0, 4));
    memory.ImageCalibration = static_cast<uint16_t>(physics.RightImageCalibration - random.Int(45, 60));
    memory.Configuration = features;

    // The factory's EEPROM: a small identification block, a parameter table,
    // the rest erased.
    memory.Eeprom.fill(0xFF);
    uint8_t* e = memory.Eeprom.data();
    e[0] = 'V';
    e[1] = 'A';
    e[2] = 'R';
    e[3] = 'N';
    le::WriteU16(e + 4, physics.Generation);
    le::WriteU32(e + 6, 100000u + static_cast<uint32_t>(MixSeed(seed, 0, 3) % 900000u));
    le::WriteU16(e + 10, 2024);
    e[12] = static_cast<uint8_t>(random.Int(1, 12));
    e[13] = static_cast<uint8_t>(random.Int(1, 28));
    e[14] = 0;
    e[15] = 0;
    for (size_t i = 16; i < 64; ++i)
        e[i] = static_cast<uint8_t>(random.Below(256));

    // Emitters that have not met their calibration yet: a covered sensor
    // reads about a third too low.
    for (uint16_t& drive : memory.PhotoDrive)
        drive = static_cast<uint16_t>(random.Int(140, 180));
    return memory;
}

std::vector<uint8_t> SerializeMemory(const UnitMemory& memory)
{
    std::vector<uint8_t> bytes(FixedPart + EepromSize + ChecksumSize, 0);
    uint8_t* p = bytes.data();
    std::copy(std::begin(Magic), std::end(Magic), p);
    le::WriteU16(p + 4, FormatVersion);
    le::WriteU16(p + 6, static_cast<uint16_t>(FixedPart));
    p[8] = memory.Trimmer;
    p[9] = static_cast<uint8_t>((memory.ConfigurationWritten ? FlagConfigurationWritten : 0) |
                                (memory.PhotosCalibrated ? FlagPhotosCalibrated : 0));
    le::WriteU16(p + 10, memory.TimeSample);
    le::WriteU16(p + 12, memory.ImageCalibration);
    std::copy(memory.Configuration.begin(), memory.Configuration.end(), p + 14);
    le::WriteU16(p + 18, memory.FeederThreshold);
    le::WriteU16(p + 20, memory.TriggerThreshold);
    HistoryRecord history = memory.History;
    size_t offset = 22;
    for (uint32_t* counter : Counters(history)) {
        le::WriteU32(p + offset, *counter);
        offset += 4;
    }
    le::WriteU32(p + 58, memory.WorkMilliseconds);
    le::WriteU16(p + 62, static_cast<uint16_t>(EepromSize));
    le::WriteU16(p + CalibrationFields, memory.DirtyElement[0]);
    le::WriteU16(p + CalibrationFields + 2, memory.DirtyElement[1]);
    le::WriteU16(p + CalibrationFields + 4, memory.PhotoDrive[0]);
    le::WriteU16(p + CalibrationFields + 6, memory.PhotoDrive[1]);
    std::copy(memory.Eeprom.begin(), memory.Eeprom.end(), p + FixedPart);
    const size_t checked = FixedPart + EepromSize;
    le::WriteU32(p + checked, Checksum(p, checked));
    return bytes;
}

std::optional<UnitMemory> ParseMemory(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < FixedPartV1 + ChecksumSize)
        return std::nullopt;
    const uint8_t* p = bytes.data();
    if (!std::equal(std::begin(Magic), std::end(Magic), p))
        return std::nullopt;
    const uint16_t version = le::ReadU16(p + 4);
    const size_t fixedPart = le::ReadU16(p + 6);
    if (!(version == 1 && fixedPart == FixedPartV1) && !(version == FormatVersion && fixedPart >= FixedPart))
        return std::nullopt;
    const size_t eepromSize = le::ReadU16(p + 62);
    if (eepromSize > EepromSize || bytes.size() != fixedPart + eepromSize + ChecksumSize)
        return std::nullopt;
    const size_t checked = fixedPart + eepromSize;
    if (le::ReadU32(p + checked) != Checksum(p, checked))
        return std::nullopt;

    UnitMemory memory;
    memory.Trimmer = p[8];
    memory.ConfigurationWritten = (p[9] & FlagConfigurationWritten) != 0;
    memory.PhotosCalibrated = (p[9] & FlagPhotosCalibrated) != 0;
    memory.TimeSample = le::ReadU16(p + 10);
    memory.ImageCalibration = le::ReadU16(p + 12);
    std::copy(p + 14, p + 18, memory.Configuration.begin());
    memory.FeederThreshold = le::ReadU16(p + 18);
    memory.TriggerThreshold = le::ReadU16(p + 20);
    size_t offset = 22;
    for (uint32_t* counter : Counters(memory.History)) {
        *counter = le::ReadU32(p + offset);
        offset += 4;
    }
    memory.WorkMilliseconds = le::ReadU32(p + 58);
    if (fixedPart >= FixedPart) {
        memory.DirtyElement = {le::ReadU16(p + CalibrationFields), le::ReadU16(p + CalibrationFields + 2)};
        memory.PhotoDrive = {le::ReadU16(p + CalibrationFields + 4), le::ReadU16(p + CalibrationFields + 6)};
    }
    // A smaller EEPROM image (an older unit) leaves the rest erased.
    memory.Eeprom.fill(0xFF);
    std::copy(p + fixedPart, p + fixedPart + eepromSize, memory.Eeprom.begin());
    return memory;
}

std::optional<UnitMemory> ReadMemoryFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    // Anything far larger than a memory image is not one.
    constexpr size_t Limit = 0xFFFF + EepromSize + ChecksumSize + 1;
    std::vector<uint8_t> bytes;
    bytes.reserve(Limit);
    char c;
    while (bytes.size() < Limit && in.get(c))
        bytes.push_back(static_cast<uint8_t>(c));
    return ParseMemory(bytes);
}

namespace {

bool WriteAll(int fd, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// The folder's entry for the rename reaches the disk too.
void SyncFolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

bool WriteMemoryFile(const std::string& path, const UnitMemory& memory)
{
    const std::vector<uint8_t> bytes = SerializeMemory(memory);
    // A unique name beside the file: another process (the interface test
    // program) or another unit may write the same file at the same time.
    std::string temporary = path + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat existing {};
    const mode_t mode = stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    bool written = fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    SyncFolderOf(path);
    return true;
}

void AddWorkTime(UnitMemory& memory, uint64_t milliseconds)
{
    const uint64_t total = memory.WorkMilliseconds + milliseconds;
    memory.History.WorkTime += static_cast<uint32_t>(total / WorkUnitMilliseconds);
    memory.WorkMilliseconds = static_cast<uint32_t>(total % WorkUnitMilliseconds);
}

} // namespace virtualunit
