// What a unit keeps across power cycles, and its file "VarnUnit.mem".
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "unit/UnitPhysics.h"
#include "vnapi/VnApi.h"

namespace virtualunit {

constexpr size_t EepromSize = 1024;

// A scanner side's shading found no dirty sensor element.
constexpr uint16_t NoDirtyElement = 0xFFFF;
// A photo-sensor emitter driven as designed.
constexpr uint16_t NominalPhotoDrive = 256;

struct UnitMemory {
    uint8_t Trimmer = 0;
    uint16_t TimeSample = 0;
    uint16_t ImageCalibration = 0;
    // Identify answers with this block. Until the bench writes one, it follows
    // the set-up's option bytes.
    std::array<uint8_t, 4> Configuration{};
    bool ConfigurationWritten = false;
    bool PhotosCalibrated = false;
    uint16_t FeederThreshold = 0x0180;
    uint16_t TriggerThreshold = 0x0180;
    HistoryRecord History;
    uint32_t WorkMilliseconds = 0; // below 300 s, not yet in History.WorkTime
    std::array<uint8_t, EepromSize> Eeprom{};

    // The scanner calibration's shading, by side (0 back, 1 front): the
    // height of the sensor element it found dirty and evened out, in tenths
    // of a millimetre above the document's bottom edge; NoDirtyElement for
    // none.
    std::array<uint16_t, 2> DirtyElement{NoDirtyElement, NoDirtyElement};
    // Photo-sensor emitter drive (feeder, trigger), in 256ths of the design
    // drive: the photo-sensor calibration sets it.
    std::array<uint16_t, 2> PhotoDrive{NominalPhotoDrive, NominalPhotoDrive};
};

// A unit as it leaves the factory: its adjustments deliberately a little off,
// so that every calibration has work to do; counters at zero.
UnitMemory FreshMemory(const UnitPhysics& physics, const std::array<uint8_t, 4>& features, uint32_t seed);

// Field by field, little-endian, with a length and a checksum. Version 1
// files (a fixed part of 64 bytes) are still read: the fields added later
// take their defaults (no shading, nominal photo drive).
std::vector<uint8_t> SerializeMemory(const UnitMemory& memory);
// Empty when the bytes are not a whole, intact memory image.
std::optional<UnitMemory> ParseMemory(const std::vector<uint8_t>& bytes);

std::optional<UnitMemory> ReadMemoryFile(const std::string& path);
// Writes a temporary file beside the file, flushes it to the disk and renames
// it over the file, so a reader or a crash never sees half a file. false when
// the file could not be replaced; no temporary file is left behind then.
bool WriteMemoryFile(const std::string& path, const UnitMemory& memory);

// Adds simulated working time, carrying whole 300-second units into the
// history counter.
void AddWorkTime(UnitMemory& memory, uint64_t milliseconds);

} // namespace virtualunit
