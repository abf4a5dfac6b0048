// Registers the command routines of every part of the bench.
#pragma once

class CommandRegistry;

void RegisterBenchCommands(CommandRegistry& registry);
