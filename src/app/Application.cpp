#include "app/Application.h"

#include <QApplication>
#include <QCommandLineParser>
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

    QCommandLineParser options;
    options.setApplicationDescription("Test bench of the Varn desk cheque scanner.");
    options.addHelpOption();
    const QCommandLineOption service(
        "service", "Service mode: every technician's command within reach (calibrations, a Test menu, F9, F10, F12).");
    options.addOption(service);
    // Prints the options and ends the program for --help or an unknown option.
    options.process(app);
    const MenuMode mode = options.isSet(service) ? MenuMode::Service : MenuMode::Default;

    BenchState state;
    LoadSettings(state, platform::ExecutableFolder());
    // Without its images folder the bench does not start, and says nothing.
    if (!PrepareImagesFolder(state.ProgramFolder))
        return 0;

    std::unique_ptr<VnApi> api = CreateVirtualUnitApi(state.ProgramFolder);
    return RunBench(state, *api, {}, mode);
}

int RunBench(BenchState& state, VnApi& api, const std::function<void(FrameWindow&)>& started, MenuMode mode)
{
    int exitCode = 0;
    {
        FrameWindow frame(state, api, nullptr, mode);
        frame.show();
        if (started)
            started(frame);
        exitCode = QApplication::exec();
    }
    // Only the normal way out writes the settings, after every child is gone.
    SaveSettings(state);
    return exitCode;
}
