#include "documents/EditNumbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

std::string WithoutLeadingBlanks(const QString& text)
{
    const std::string latin = text.toLatin1().toStdString();
    const size_t first = latin.find_first_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : latin.substr(first);
}

} // namespace

int64_t EditWholeNumber(const QString& text, bool isSigned)
{
    const std::string s = WithoutLeadingBlanks(text);
    size_t i = 0;
    bool negative = false;
    if (isSigned && i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    const int64_t limit = isSigned ? (negative ? int64_t{1} << 31 : std::numeric_limits<int32_t>::max())
                                   : std::numeric_limits<uint32_t>::max();
    int64_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > limit)
            value = limit;
    }
    return negative ? -value : value;
}

double EditDecimalNumber(const QString& text)
{
    std::string s = WithoutLeadingBlanks(text);
    if (!s.empty() && s[0] == '+')
        s.erase(0, 1);
    double value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::fixed);
    (void)end;
    return error == std::errc() && std::isfinite(value) ? value : 0.0;
}

int32_t TruncatedWhole(float value)
{
    if (!std::isfinite(value) || value >= 2147483648.0f || value < -2147483648.0f)
        return 0;
    return static_cast<int32_t>(value);
}
