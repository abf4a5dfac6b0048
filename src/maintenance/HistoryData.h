// The unit's lifetime counters, read and erased through Varn_HistoryCommand.
#pragma once

#include <cstdint>
#include <string>

#include "vnapi/VnApi.h"

struct Bench;

namespace HistoryCommands {
constexpr uint16_t Read = 1;
constexpr uint16_t Erase = 2;
} // namespace HistoryCommands

// One counter line of "History Data".
struct HistoryLine {
    const char* Name;  // objectName stem of its label and value field
    const char* Label;
    uint32_t HistoryRecord::*Counter;
    bool Visible;
};
inline constexpr HistoryLine HistoryLines[] = {
    {"Processed", "Nr. documents processed succefully .....", &HistoryRecord::DocumentsProcessed, true},
    {"Printed", "Nr. of documents printed .......................", &HistoryRecord::DocumentsPrinted, true},
    {"Stamped", "Nr. of documents stamped ....................", &HistoryRecord::DocumentsStamped, true},
    {"Retained", "Nr. documents retained .........................", &HistoryRecord::DocumentsRetained, true},
    {"Jammed", "Nr. jammed in feedering .........................", &HistoryRecord::FeederJams, true},
    {"MicrErrors", "Nr. error in read MICR codeline ............", &HistoryRecord::MicrReadErrors, true},
    {"PowerOns", "Nr. of power ON of the peripheral ..........", &HistoryRecord::PowerOns, true},
    // Read but not shown.
    {"E13bErrors", "Nr. error in read E13B codeline .............", &HistoryRecord::E13bReadErrors, false},
};

// WorkTime counts 300-second units: "%ld:%02d:%02d" of hours, minutes and
// seconds, the hours unbounded.
std::string WorkTimeText(uint32_t workTime);

// Opens the unit with VnConnect, runs the command (with the record's Size
// set to 40 when a record is given) and closes it. Failures are reported;
// returns the command's reply, or the open's when the open failed.
int32_t RunHistoryCommand(Bench& bench, uint16_t command, HistoryRecord* record);
