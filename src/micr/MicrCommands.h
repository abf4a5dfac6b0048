// The commands of the "Read E&13B Signal" popup that only look at the
// signal, and the registration of every MICR command.
#pragma once

struct Bench;
class CommandRegistry;

// Relative to the current directory; the folder is not made here.
inline constexpr const char* E13BDumpPath = "Dati/E13BSign.dmp";

// For every document in the feeder: its codeline in a text window and its
// signal view.
void ViewE13BSignal(Bench& bench);

// For every document in the feeder: its signal dumped to E13BDumpPath and
// its width plot.
void CheckDocSpeed(Bench& bench);

void RegisterMicrCommands(CommandRegistry& registry);
