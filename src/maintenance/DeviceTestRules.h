// The rules of the small service dialogs and the belt and EMC tests, free of
// Qt and of the unit: the EEPROM texts and limits, the photo sensor readings,
// the belt verdict and the EMC status loop's clock rule.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace devicetest {

// ---- EEPROM ----------------------------------------------------------------
// The transfer buffer, and the unit's EEPROM: one read or write stays in both.
constexpr int EepromBufferSize = 1024;
constexpr int EepromDefaultCount = 512;
// The most characters of the write field that are taken.
constexpr size_t EepromWriteTextLimit = 3100;

using EepromBuffer = std::array<uint8_t, EepromBufferSize>;

// Each byte with "%#x" (0 as "0", else "0x1f"), joined by ", "; empty for a
// count of 0 or less.
std::string EepromReadText(const uint8_t* bytes, int count);

// Base-10 conversion of the text's start as the C library's strtol does it:
// leading blanks, an optional sign, the digits up to the first other
// character, 0 when there are none; out of range LONG_MAX or LONG_MIN.
long DecimalPrefix(std::string_view text);

// The write rule: the buffer is cleared, then for each of the count bytes the
// part of the text before the next comma is converted and the text goes on
// after it; with no comma left the whole rest is converted and stays, so the
// last value repeats. The low 8 bits are stored. Only the first count bytes
// (at most the buffer) are touched.
void ComposeEepromWrite(std::string_view text, int count, EepromBuffer& buffer);

// Why a read or write of count bytes at offset may not go to the unit, or
// nothing when it may: offsets from 0 to 1023 and counts from 0 to 1024 with
// offset + count at most 1024 (a count of 0 asks for nothing).
std::optional<std::string> EepromRangeProblem(int64_t offset, int64_t count);

// Why the write text cannot be written as count bytes, or nothing: every
// value the write rule takes must start with a decimal number (after blanks
// and a sign). A text of blanks only is all zeros.
std::optional<std::string> EepromWriteTextProblem(std::string_view text, int count);

// A whole number typed into a number field: blanks around it allowed, a sign,
// decimal digits only; nothing for anything else or beyond 32 bits.
std::optional<int64_t> WholeNumber(std::string_view text);

// ---- Photo sensors -----------------------------------------------------------
struct PhotoReadings {
    uint16_t Feeder = 0;
    uint16_t Trigger = 0;
};
// The first two little-endian 16-bit values of the unit's 8-byte answer.
PhotoReadings DecodePhotoReadings(const std::array<uint8_t, 8>& buffer);
// "0x%04x".
std::string PhotoValueText(uint16_t value);

// ---- Belt ------------------------------------------------------------------
constexpr size_t BeltBufferSize = 30000;
constexpr uint8_t BeltQuietLow = 110;
constexpr uint8_t BeltQuietHigh = 145;
constexpr size_t BeltSkipFirst = 10;
constexpr size_t BeltSkipLast = 400;

struct BeltVerdict {
    bool Magnetic = false;
    size_t Index = 0; // the first judged sample outside the quiet band
};
// Judges samples 10 up to n - 400 (exclusive); n is cut to the buffer.
BeltVerdict JudgeBelt(const uint8_t* samples, size_t count);

// ---- EMC ---------------------------------------------------------------------
constexpr uint32_t EmcStatusWaitMs = 77;
constexpr uint32_t EmcPictureWaitMs = 777;

// The status loop ends once more than stepTime whole seconds have passed.
inline bool EmcStepOver(int64_t startSecond, int64_t nowSecond, uint32_t stepTime)
{
    return nowSecond - startSecond > static_cast<int64_t>(stepTime);
}

// The step field read as an unsigned number: a whole number from 0 up, 0 for
// anything else; capped where the settings field (signed 32 bits) ends.
uint32_t EmcStepFromText(std::string_view text);

} // namespace devicetest
