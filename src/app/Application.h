// Start-up and exit of the bench.
#pragma once

#include <functional>
#include <string>

#include "core/CommandTable.h"

struct BenchState;
class FrameWindow;
class VnApi;

// Fills ProgramFolder (the folder given, or the executable's) and then the
// settings record from "Varnw.Cfg" in it.
void LoadSettings(BenchState& state, const std::string& programFolder);
// Writes the settings record to "Varnw.Cfg" in ProgramFolder; silent on failure.
void SaveSettings(const BenchState& state);

// Makes "Images" beside the program when it is missing; false when it cannot.
bool PrepareImagesFolder(const std::string& programFolder);

// With the settings loaded and the images folder in place: the frame and its
// event loop until the frame is closed, then the settings are written.
// started runs once the frame is shown; mode picks its menu bar.
int RunBench(BenchState& state, VnApi& api, const std::function<void(FrameWindow&)>& started = {},
             MenuMode mode = MenuMode::Default);

// Gives the frame the virtual unit's panel (command "Virtual &Unit...") when
// api is the virtual unit, and opens it at once when open is set; hides the
// item for any other library.
void AttachVirtualUnitPanel(FrameWindow& frame, VnApi& api, bool open);

// The whole program: its options ("--service", "--panel", "--help"), settings, images
// folder, frame, event loop, settings.
int RunApplication(int argc, char** argv);
