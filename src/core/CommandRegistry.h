// The command routines the dispatcher runs, registered by each part of the
// bench under their command ids.
#pragma once

#include <functional>
#include <map>

struct Bench;

using CommandHandler = std::function<void(Bench&)>;

struct CommandEntry {
    CommandHandler Handler;
    // Device commands are refused while another one runs (a run that pumps
    // events still lets accelerators through).
    bool UsesUnit = true;
};

class CommandRegistry {
public:
    void Add(int id, CommandHandler handler, bool usesUnit = true) { Entries[id] = {std::move(handler), usesUnit}; }
    const CommandEntry* Find(int id) const
    {
        const auto it = Entries.find(id);
        return it == Entries.end() ? nullptr : &it->second;
    }

private:
    std::map<int, CommandEntry> Entries;
};

// Registers the routines of every part of the bench.
void RegisterBenchCommands(CommandRegistry& registry);
