// The device library with the virtual unit behind it: what the bench uses when
// no real scanner is attached.
#pragma once

#include <memory>
#include <string>

#include "vnapi/VnApi.h"

// File names of the unit, kept in the program's folder.
constexpr const char* VirtualUnitSetupFileName = "VarnUnit.ini";  // set-up, written by people
constexpr const char* VirtualUnitMemoryFileName = "VarnUnit.mem"; // what the unit keeps across power cycles

// One library instance is one power-on of one unit. programFolder ends with
// '/'; the set-up file is read from it once, the memory file read from it and
// written back to it whenever a kept value changes and at every close.
std::unique_ptr<VnApi> CreateVirtualUnitApi(const std::string& programFolder);
