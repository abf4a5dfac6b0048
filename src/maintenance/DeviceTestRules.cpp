#include "maintenance/DeviceTestRules.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace devicetest {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// After blanks and a sign, does a digit follow?
bool StartsWithNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    return i < text.size() && IsDigit(text[i]);
}

// Walks the write rule: calls take(piece) for each of count bytes.
template <class Take> void ForEachWriteValue(std::string_view text, int count, Take&& take)
{
    std::string_view rest = text.substr(0, std::min(text.size(), EepromWriteTextLimit));
    for (int i = 0; i < count; ++i) {
        const size_t comma = rest.find(',');
        if (comma == std::string_view::npos) {
            take(i, rest);
            continue;
        }
        take(i, rest.substr(0, comma));
        rest.remove_prefix(comma + 1);
    }
}

} // namespace

std::string EepromReadText(const uint8_t* bytes, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        char piece[8];
        std::snprintf(piece, sizeof piece, "%#x, ", bytes[i]);
        text += piece;
    }
    if (text.size() >= 2)
        text.resize(text.size() - 2);
    return text;
}

long DecimalPrefix(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // As strtol: out of range gives LONG_MAX, or LONG_MIN for a negative.
    const unsigned long long limit = negative ? 0ull - static_cast<unsigned long long>(LONG_MIN) : LONG_MAX;
    unsigned long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return negative ? static_cast<long>(0ull - value) : static_cast<long>(value);
}

void ComposeEepromWrite(std::string_view text, int count, EepromBuffer& buffer)
{
    buffer.fill(0);
    ForEachWriteValue(text, std::min(count, EepromBufferSize), [&](int i, std::string_view piece) {
        buffer[static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<unsigned long>(DecimalPrefix(piece)) & 0xFF);
    });
}

std::optional<std::string> EepromRangeProblem(int64_t offset, int64_t count)
{
    if (offset < 0 || offset >= EepromBufferSize)
        return "Offset must be from 0 to 1023 !";
    if (count < 0 || count > EepromBufferSize)
        return "Nr. Bytes must be from 0 to 1024 !";
    if (offset + count > EepromBufferSize)
        return "Offset + Nr. Bytes goes past the end of the EEPROM (1024 bytes) !";
    return std::nullopt;
}

std::optional<std::string> EepromWriteTextProblem(std::string_view text, int count)
{
    const std::string_view taken = text.substr(0, std::min(text.size(), EepromWriteTextLimit));
    if (std::all_of(taken.begin(), taken.end(), IsBlank))
        return std::nullopt;
    std::optional<std::string> problem;
    ForEachWriteValue(text, std::min(count, EepromBufferSize), [&](int i, std::string_view piece) {
        if (!problem && !StartsWithNumber(piece))
            problem = "Byte " + std::to_string(i + 1) +
                      " of the write text is not a decimal number !\nWrite the values as decimal numbers separated "
                      "by commas.";
    });
    return problem;
}

std::optional<int64_t> WholeNumber(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10 || !std::all_of(text.begin(), text.end(), IsDigit))
        return std::nullopt;
    int64_t value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    if (value > UINT32_MAX)
        return std::nullopt;
    return negative ? -value : value;
}

PhotoReadings DecodePhotoReadings(const std::array<uint8_t, 8>& buffer)
{
    return {static_cast<uint16_t>(buffer[0] | buffer[1] << 8), static_cast<uint16_t>(buffer[2] | buffer[3] << 8)};
}

std::string PhotoValueText(uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", value);
    return text;
}

BeltVerdict JudgeBelt(const uint8_t* samples, size_t count)
{
    count = std::min(count, BeltBufferSize);
    for (size_t i = BeltSkipFirst; i + BeltSkipLast < count; ++i) {
        if (samples[i] < BeltQuietLow || samples[i] > BeltQuietHigh)
            return {true, i};
    }
    return {};
}

uint32_t EmcStepFromText(std::string_view text)
{
    const std::optional<int64_t> value = WholeNumber(text);
    if (!value || *value < 0)
        return 0;
    return static_cast<uint32_t>(std::min<int64_t>(*value, INT32_MAX));
}

} // namespace devicetest
