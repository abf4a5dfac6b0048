// How the set-up dialogs read and show numbers and texts in their edits. The
// record's texts are 8-bit; a text that is not a number reads as 0.
#pragma once

#include <QString>
#include <cstdint>

#include "core/Settings.h"

namespace dialogfields {

// The whole number an edit holds, every character counted: "12" is 12,
// "12a", "-3", "" and "1.5" are not numbers. Used by the edits that must hold
// one exact number (the JPEG quality, the document count).
bool ExactUnsigned(const QString& text, uint32_t& value);

// The whole number at the start of the text after any blanks, with an
// optional sign; the rest is dropped ("12.9" is 12, "x" is 0).
int64_t LeadingWhole(const QString& text);

// As LeadingWhole, but a sign is not accepted: "-3" reads as 0.
int64_t LeadingUnsigned(const QString& text);

// A leading '-' negates the unsigned whole number that follows it.
int64_t LeadingSignedByMinus(const QString& text);

// The decimal number at the start of the text after any blanks ("10.50x" is
// 10.5, "x" is 0).
double LeadingDecimal(const QString& text);

// "%.2f".
QString TwoDecimals(double value);
// The value cut towards zero and shown as a whole number.
QString Truncated(double value);

template <size_t N> QString FieldText(const CharField<N>& field)
{
    return QString::fromLatin1(GetText(field).c_str());
}
// Stores the text cut to the field (its last byte stays the terminator).
template <size_t N> void StoreFieldText(CharField<N>& field, const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    SetText(field, std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

} // namespace dialogfields
