#include "app/Application.h"

#include <QApplication>
#include <QByteArray>
#include <QCommandLineParser>
#include <QFile>
#include <cstdio>
#include <QIcon>
#include <QAction>
#include <QPointer>

#include "app/BatchRun.h"
#include "app/BenchIcon.h"
#include "app/FrameWindow.h"
#include "core/BenchState.h"
#include "core/CommandIds.h"
#include "device/VirtualUnitWindow.h"
#include "platform/Platform.h"
#include "vnapi/VirtualUnit.h"
#include "vnapi/VirtualUnitTestApi.h"
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
    QCommandLineOption Batch{"batch",
                             "Runs one command with no window and exits: read (documents one by one), auto "
                             "(the automatic run), status or identify. Exit status: 0 done, 1 a unit error, "
                             "2 a bad option, 3 unit not found, 4 feeder empty before the first document, "
                             "5 a codeline error stopped the run (--stop-on-error), 6 a file could not be written.",
                             "command"};
    QCommandLineOption Count{"count", "Documents to run (0: until the feeder is empty); default: the settings'.",
                             "n"};
    QCommandLineOption Out{"out", "Writes images and the codeline log in this folder instead of beside the program.",
                           "folder"};
    QCommandLineOption Unit{"unit", "usb or box (the network box of the settings).", "unit"};
    QCommandLineOption Images{"images", "Saves the documents' images as jpeg, bmp or tiff, or none.", "format"};
    QCommandLineOption Codeline{"codeline", "Codelines to read: micr, ocr, barcode, pdf417 (comma-separated) or none.",
                                "list"};
    QCommandLineOption Json{"json", "One JSON object per document on standard output, then a summary."};
    QCommandLineOption Quiet{"quiet", "No progress line."};
    QCommandLineOption StopOnError{"stop-on-error", "Stops the run at the first codeline with a rejected character."};
    QCommandLineOption Panel{"panel", "Opens the virtual unit's panel beside the frame."};
    QCommandLineOption Config{"config", "Reads the settings from this file instead of Varnw.Cfg beside the program.",
                              "file"};
    StartOptions()
    {
        Parser.setApplicationDescription("Test bench of the Varn desk cheque scanner.");
        Parser.addHelpOption();
        Parser.addOptions({Service, Batch, Count, Out, Unit, Images, Codeline, Json, Quiet, StopOnError, Config, Panel});
    }
};

bool AsksForBatch(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--batch" || arg.startsWith("--batch="))
            return true;
    }
    return false;
}

void DropRuntimeFolderNote(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR not set"))
        return;
    std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
}

int RunBatchCommand(StartOptions& options)
{
    const QCommandLineParser& p = options.Parser;
    BatchOptions batch;
    batch.Command = p.value(options.Batch);
    if (p.isSet(options.Count)) {
        bool ok = false;
        batch.Count = p.value(options.Count).toInt(&ok);
        if (!ok || batch.Count < 0) {
            std::fprintf(stderr, "Varnw: --count must be a number from 0 to 65535\n");
            return BatchExit::Usage;
        }
    }
    batch.OutFolder = p.value(options.Out);
    batch.Unit = p.value(options.Unit);
    batch.Images = p.value(options.Images);
    batch.Codelines = p.value(options.Codeline);
    batch.Json = p.isSet(options.Json);
    batch.Quiet = p.isSet(options.Quiet);
    batch.StopOnError = p.isSet(options.StopOnError);

    BenchState state;
    LoadSettings(state, platform::ExecutableFolder());
    if (p.isSet(options.Config))
        state.Settings = LoadSettingsFile(QFile::encodeName(p.value(options.Config)).toStdString());
    if (batch.OutFolder.isEmpty() && !PrepareImagesFolder(state.ProgramFolder)) {
        std::fprintf(stderr, "Varnw: cannot make the folder %sImages\n", state.ProgramFolder.c_str());
        return BatchExit::WriteFailed;
    }
    std::unique_ptr<VnApi> api = CreateVirtualUnitApi(state.ProgramFolder);
    return RunBatch(batch, state, *api, stdout, stderr);
}

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

void AttachVirtualUnitPanel(FrameWindow& frame, VnApi& api, bool open)
{
    const VirtualUnitControl control = ControlOf(api);
    if (!control.Valid()) {
        // Another library: there is no unit to put hands on.
        if (QAction* item = frame.ActionFor(Cmd::VirtualUnitPanel))
            item->setVisible(false);
        return;
    }
    // One panel at a time; the frame owns it.
    auto panel = std::make_shared<QPointer<VirtualUnitWindow>>();
    const auto show = [&frame, control, panel](Bench&) {
        if (!*panel) {
            *panel = new VirtualUnitWindow(control, &frame);
            (*panel)->PlaceBeside(frame);
        }
        (*panel)->show();
        (*panel)->raise();
    };
    frame.Commands().Add(Cmd::VirtualUnitPanel, show);
    if (open)
        frame.OnFrameCommand(Cmd::VirtualUnitPanel);
}

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

    // A scripted run opens no window and needs no display; Qt's note about
    // a missing runtime folder is noise in its error output.
    const bool batch = AsksForBatch(argc, argv);
    if (batch) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(DropRuntimeFolderNote);
    }
    QApplication app(argc, argv);
    QApplication::setWindowIcon(BenchIcon());
    // Ends the program with a message for an unknown option.
    options.Parser.process(app);
    if (batch)
        return RunBatchCommand(options);
    const MenuMode mode = options.Parser.isSet(options.Service) ? MenuMode::Service : MenuMode::Default;

    BenchState state;
    LoadSettings(state, platform::ExecutableFolder());
    // Without its images folder the bench does not start, and says nothing.
    if (!PrepareImagesFolder(state.ProgramFolder))
        return 0;

    std::unique_ptr<VnApi> api = CreateVirtualUnitApi(state.ProgramFolder);
    const bool panel = options.Parser.isSet(options.Panel);
    return RunBench(
        state, *api, [&api, panel](FrameWindow& frame) { AttachVirtualUnitPanel(frame, *api, panel); }, mode);
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
