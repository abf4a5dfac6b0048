// Numbers typed into dialog edits, read the way the bench has always read
// them: leading blanks skipped, the number the text starts with, 0 when it
// starts with none. Independent of the desktop's locale.
#pragma once

#include <QString>
#include <cstdint>

// A whole number; a sign is taken only when isSigned is set. Values beyond
// 32 bits are clamped to them.
int64_t EditWholeNumber(const QString& text, bool isSigned);

// A decimal number with '.' as the decimal point.
double EditDecimalNumber(const QString& text);

// The whole part of a stored value for display; 0 for values that have none.
int32_t TruncatedWhole(float value);
