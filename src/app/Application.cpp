#include "app/Application.h"

#include <QApplication>
#include <QByteArray>
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

namespace {

// The program's options; Qt's own (-platform, -display, ...) come on top.
struct StartOptions {
    QCommandLineParser Parser;
    QCommandLineOption Service{"service", "Service mode: every technician's command within reach "
                                          "(calibrations, a Test menu, F9, F10, F12)."};
    StartOptions()
    {
        Parser.setApplicationDescription("Test bench of the Varn desk cheque scanner.");
        Parser.addHelpOption();
        Parser.addOption(Service);
    }
};

bool AsksForHelp(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--help-all")
            return true;
    }
    return false;
}

} // namespace

int RunApplication(int argc, char** argv)
{
    QCoreApplication::setApplicationName("Varnw");
    StartOptions options;
    // The options are printed without opening a display.
    if (AsksForHelp(argc, argv)) {
        QCoreApplication console(argc, argv);
        options.Parser.process(console); // prints them and ends the program
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setWindowIcon(BenchIcon());
    // Ends the program with a message for an unknown option.
    options.Parser.process(app);
    const MenuMode mode = options.Parser.isSet(options.Service) ? MenuMode::Service : MenuMode::Default;

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
