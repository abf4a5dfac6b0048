// The codeline read test: a document read a given number of times (handed
// back between reads) or a stack read into the pocket, every codeline listed
// and compared with a reference.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct Bench;

// Feeds with codeline reading to destination, reads the codeline into text
// (256 bytes), resets. 0 or the reply that stopped it (reported).
int32_t TestReadOnce(Bench& bench, uint16_t destination, char* text);

// Releases a held document into the pocket; with openUnit it opens and
// closes the unit around it.
void ReleaseTestDocument(Bench& bench, bool openUnit);

struct ReadTestHooks {
    // The number of reads as the operator has it now (it may change mid-run).
    std::function<int64_t()> Count;
    bool Sorter = false;
    std::function<void(const std::string&)> AddLine;
};

enum class ReadTestVerdict { NotOpened, ReadsOk, Failed };

// Reference, delay and count come from the settings record.
ReadTestVerdict RunReadTest(Bench& bench, const ReadTestHooks& hooks);
