#pragma once

class CommandRegistry;

// The scanner and photo-sensor calibrations, "&Peripheral Setup", the memory
// dump and the history counters.
void RegisterMaintenanceCommands(CommandRegistry& registry);
