// Reply codes of the device library and their texts, and the one routine that
// reports a failed operation to the operator.
#pragma once

#include <QString>
#include <cstdint>

#include "core/MessageTitles.h"

class Operator;

// The text of a code in the reply table, or an empty text for a code that is
// not in it.
const char* ReplyText(int32_t code);

// The message ReportReply shows for a non-zero code.
QString ReplyMessage(int32_t code, const QString& label);

// Shows a non-zero reply in a "Varn ERROR" box and returns 1; returns 0 for 0.
int ReportReply(Operator& op, int32_t code, const QString& label);
