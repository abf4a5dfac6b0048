// The document speed calibration: documents read over the head, each one's
// character widths listed, the run judged on their spread. It adjusts
// nothing in the unit.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct Bench;

// Feeds one document (release and destination as given), reads its signal
// and plots its widths. 0, -66 for a document without E13B ink, or the
// failing reply (reported).
int32_t ReadSpeedDocument(Bench& bench, uint16_t release, uint16_t destination);

enum class DocSpeedVerdict { NotOpened, Passed, Failed };

// Reads DocSpeedReads documents while credits last; every document's line
// goes to addLine.
DocSpeedVerdict CalibrateDocSpeed(Bench& bench, const std::function<void(const std::string&)>& addLine);
