#include <gtest/gtest.h>

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include "RecordingVnApi.h"
#include "app/Application.h"
#include "core/BenchState.h"
#include "app/FrameWindow.h"

namespace {

// A copy of the bench in a folder of its own, so its "Images" and
// "Varnw.Cfg" land there.
QString CopyBenchInto(const QTemporaryDir& dir)
{
    const QString target = dir.filePath("Varnw");
    EXPECT_TRUE(QFile::copy(VARNW_PATH, target));
    QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner);
    return target;
}

} // namespace

TEST(Startup, EndsWithExitCodeZeroAndNothingShownWhenImagesCannotBeCreated)
{
    QTemporaryDir dir;
    // A file where the folder should be: the folder cannot be created.
    QFile blocker(dir.filePath("Images"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString program = CopyBenchInto(dir);

    QProcess process;
    process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    process.start(program, {});
    ASSERT_TRUE(process.waitForStarted());
    // Had the frame been shown, the event loop would keep it running.
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(dir.filePath("Varnw.Cfg"))) << "a start that fails does not write the settings";
}

TEST(Startup, ImagesFolderIsCreatedBesideTheProgram)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    EXPECT_TRUE(PrepareImagesFolder(folder));
    EXPECT_TRUE(QFileInfo(dir.filePath("Images")).isDir());
    EXPECT_TRUE(PrepareImagesFolder(folder)) << "an existing folder is fine";
}

TEST(Startup, ClosingTheFrameClosesTheChildrenAndThenWritesTheSettings)
{
    QTemporaryDir dir;
    BenchState state;
    LoadSettings(state, dir.path().toStdString() + "/");
    state.Settings.ImageCounter = 77;
    RecordingVnApi api;
    int childrenAtSave = -1;
    const int code = RunBench(state, api, [&](FrameWindow& frame) {
        for (int i = 0; i < 3; ++i) {
            QMdiSubWindow* sub = frame.MdiClient()->addSubWindow(new QWidget);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            sub->show();
        }
        QTimer::singleShot(0, &frame, [&frame, &childrenAtSave] {
            frame.close();
            childrenAtSave = static_cast<int>(frame.MdiClient()->subWindowList().size());
        });
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(childrenAtSave, 0);
    QFile saved(dir.filePath("Varnw.Cfg"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    ASSERT_EQ(bytes.size(), 1880);
    EXPECT_EQ(static_cast<uint8_t>(bytes[1832]), 77);
    EXPECT_TRUE(api.Calls().empty()) << "the unit is not touched at start";
}

TEST(Startup, HelpListsTheServiceOptionAndEndsAtOnce)
{
    QTemporaryDir dir;
    const QString program = CopyBenchInto(dir);
    QProcess process;
    // Help needs no display.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    process.setProcessEnvironment(environment);
    process.start(program, {"--help"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    EXPECT_TRUE(out.contains("--service")) << out.toStdString();
    EXPECT_TRUE(out.contains("--help")) << out.toStdString();
    EXPECT_FALSE(QFileInfo(dir.filePath("Images")).exists()) << "help starts no bench";
}
