// The device test commands of the maintenance tools: photo sensors, EEPROM,
// beep and LED, belt and EMC tests.
#pragma once

class CommandRegistry;

void RegisterDeviceTestCommands(CommandRegistry& registry);
