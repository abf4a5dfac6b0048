// "&Dump Periph. Memory": the unit's memory as a hexadecimal text file.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

struct Bench;

constexpr uint32_t UnitMemorySize = 36864;
// The longest file name the dialog takes.
constexpr int DumpFileNameLimit = 515;

// The dump's text: one line of 16 bytes per 16 offsets, "%08X:" then " %02X"
// per byte with " -" after the eighth, lines joined by CR LF, no line end
// after the last. A short last line shows the bytes there are.
std::string DumpText(const uint8_t* bytes, size_t size);

// Opens the unit with VnConnect, fetches UnitMemorySize bytes into buffer
// (which must hold them) and closes it. Failures are reported; returns the
// dump's reply, or the open's when the open failed.
int32_t FetchUnitMemory(Bench& bench, std::vector<uint8_t>& buffer, uint32_t parameter);

enum class DumpOutcome { Written, NoName, UnitFailed, NoFolder, NotWritten };

// The whole command for one file name: an empty name does nothing; a name
// in a folder that does not exist is refused before the unit is touched;
// the file is written whole or not at all (a temporary file renamed over
// it). Tells the operator of a file it could not write.
DumpOutcome DumpUnitMemory(Bench& bench, const QString& fileName);
