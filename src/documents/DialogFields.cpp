#include "documents/DialogFields.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace dialogfields {

namespace {

// Past blanks and tabs, as the C library's number readers skip them.
int SkipBlanks(const QByteArray& s, int i)
{
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    return i;
}

int64_t DigitsFrom(const QByteArray& s, int i)
{
    // Clamped so that a long run of digits cannot overflow.
    constexpr int64_t limit = std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        value = value * 10 + (s[i] - '0');
        if (value > limit)
            value = limit;
        ++i;
    }
    return value;
}

} // namespace

bool ExactUnsigned(const QString& text, uint32_t& value)
{
    value = 0;
    const QByteArray s = text.toLatin1();
    if (s.isEmpty())
        return false;
    uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
        if (v > std::numeric_limits<uint32_t>::max())
            return false;
    }
    value = static_cast<uint32_t>(v);
    return true;
}

int64_t LeadingWhole(const QString& text)
{
    const QByteArray s = text.toLatin1();
    int i = SkipBlanks(s, 0);
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    const int64_t v = DigitsFrom(s, i);
    return negative ? -v : v;
}

int64_t LeadingUnsigned(const QString& text)
{
    const QByteArray s = text.toLatin1();
    int i = SkipBlanks(s, 0);
    if (i < s.size() && s[i] == '+')
        ++i;
    return DigitsFrom(s, i);
}

int64_t LeadingSignedByMinus(const QString& text)
{
    if (text.startsWith('-'))
        return -LeadingUnsigned(text.mid(1));
    return LeadingUnsigned(text);
}

double LeadingDecimal(const QString& text)
{
    const QByteArray s = text.toLatin1();
    int i = SkipBlanks(s, 0);
    if (i < s.size() && s[i] == '+')
        ++i;
    double value = 0;
    const char* begin = s.constData() + i;
    const auto [end, ec] = std::from_chars(begin, s.constData() + s.size(), value, std::chars_format::general);
    if (ec != std::errc() || end == begin || !std::isfinite(value))
        return 0;
    return value;
}

QString TwoDecimals(double value) { return QString::asprintf("%.2f", value); }

QString Truncated(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    constexpr double limit = std::numeric_limits<int32_t>::max();
    const double clamped = std::fmax(-limit, std::fmin(limit, value));
    return QString::number(static_cast<int64_t>(std::trunc(clamped)));
}

} // namespace dialogfields
