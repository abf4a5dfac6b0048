#pragma once

class CommandRegistry;

// "&Image Calibration" and "Check &Quality Image".
void RegisterQualityCommands(CommandRegistry& registry);
