// The command routines the dispatcher runs, registered by each part of the
// bench under their command ids.
#pragma once

#include <functional>
#include <map>

struct Bench;

using CommandHandler = std::function<void(Bench&)>;

// Whether a command uses the unit, and which unit type it serves, are in its
// row of the command table.
struct CommandEntry {
    CommandHandler Handler;
};

class CommandRegistry {
public:
    void Add(int id, CommandHandler handler) { Entries[id] = {std::move(handler)}; }
    void Remove(int id) { Entries.erase(id); }
    const CommandEntry* Find(int id) const
    {
        const auto it = Entries.find(id);
        return it == Entries.end() ? nullptr : &it->second;
    }

private:
    std::map<int, CommandEntry> Entries;
};
