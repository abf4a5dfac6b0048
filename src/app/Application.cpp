#include "app/Application.h"

#include <QApplication>
#include <QIcon>

#include "app/BenchIcon.h"
#include "app/FrameWindow.h"
#include "core/BenchState.h"
#include "platform/Platform.h"
#include "vnapi/VirtualUnit.h"
#include "vnapi/VnApi.h"

void LoadSettings(BenchState& state, const std::string& programFolder)
{
    state.ProgramFolder = programFolder;
    state.Settings = LoadSettingsFile(state.ProgramFolder + "Varnw.Cfg");
}

void SaveSettings(const BenchState& state) { SaveSettingsFile(state.ProgramFolder + "Varnw.Cfg", state.Settings); }

bool PrepareImagesFolder(const std::string& programFolder) { return platform::EnsureFolder(programFolder + "Images"); }

int RunApplication(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Varnw");
    QApplication::setWindowIcon(BenchIcon());

    BenchState state;
    LoadSettings(state, platform::ExecutableFolder());
    // Without its images folder the bench does not start, and says nothing.
    if (!PrepareImagesFolder(state.ProgramFolder))
        return 0;

    std::unique_ptr<VnApi> api = CreateVirtualUnitApi(state.ProgramFolder);
    return RunBench(state, *api);
}

int RunBench(BenchState& state, VnApi& api, const std::function<void(FrameWindow&)>& started)
{
    int exitCode = 0;
    {
        FrameWindow frame(state, api);
        frame.show();
        if (started)
            started(frame);
        exitCode = QApplication::exec();
    }
    // Only the normal way out writes the settings, after every child is gone.
    SaveSettings(state);
    return exitCode;
}
