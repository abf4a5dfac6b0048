// Feeding documents: the one-document step, the manual run that repeats it,
// and the document commands of the menu that open the unit around them.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "core/SettingsCodes.h"

struct Bench;
struct BenchState;
class CommandRegistry;
class Operator;

// The dialogs a run may open; the real ones by default, others in tests.
struct DocumentDialogs {
    std::function<int(Bench&)> DocumentHandle;  // 1 after OK, 0 after Cancel
    std::function<void(Bench&)> ReleaseDocument; // choice stored in the settings
};
DocumentDialogs DefaultDocumentDialogs();

// The letter that chooses the endorsement font: 'A' for "Print 15", else 'B'
// bold or 'N'; lower case when "High" is set.
char EndorseFontLetter(uint16_t printMode, uint32_t bold, uint16_t printHigh);

// 0: handled, another document waits in the feeder; 1: handled, the feeder is
// empty; otherwise the reply that stopped the step (already reported).
int32_t HandleOneDocument(Bench& bench, const DocumentDialogs& dialogs);

// 0 when read equals base (blanks ignored), else the last differing position
// (1-based) or where one text ran out. With show set a difference is told.
int16_t CompareWithCodelineBase(Operator& op, const char* base, const char* read, bool show);

// LastCodeline becomes the first non-empty of the optical line, the MICR
// codeline and the barcode text; with all three empty it keeps its value.
void KeepLastCodeline(BenchState& state, const char* optical, const char* micr, const char* barcode);

// The repeat loop of "&Manual ..." and "&Repeat manual".
void RunManualDocuments(Bench& bench, const DocumentDialogs& dialogs);

// The three document commands: 40002, 40005, 40026.
void RunDocumentCommand(Bench& bench, int commandId, const DocumentDialogs& dialogs);

void RegisterDocumentCommands(CommandRegistry& registry);
