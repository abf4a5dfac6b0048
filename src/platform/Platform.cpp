#include "platform/Platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QScreen>
#include <QSpacerItem>
#include <QMessageBox>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

std::string ExecutableFolder()
{
    char path[PATH_MAX + 1] = {};
    const ssize_t n = ::readlink("/proc/self/exe", path, PATH_MAX);
    if (n <= 0)
        return "./";
    std::string folder(path, static_cast<size_t>(n));
    const auto slash = folder.rfind('/');
    return slash == std::string::npos ? std::string("./") : folder.substr(0, slash + 1);
}

bool EnsureFolder(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    return ::mkdir(path.c_str(), 0777) == 0;
}

void OpenInTextEditor(const std::string& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

ProgramRun RunProgramAndWait(const std::string& path, const std::vector<std::string>& arguments)
{
    ProgramRun run;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const auto& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    // posix_spawn (not spawnp): the path is taken as given, never searched.
    const int error = ::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ);
    if (error != 0) {
        run.Error = error;
        return run;
    }
    run.Started = true;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            run.Error = errno;
            return run;
        }
    }
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

int MessageBoxWidth(int titleWidth, int screenWidth)
{
    const int wanted = std::max(titleWidth, 0) + MessageTitleAllowance;
    return screenWidth > 0 ? std::min(wanted, screenWidth) : wanted;
}

MessageAnswer ShowMessageBox(QWidget* owner, const QString& title, const QString& text, MessageButtons buttons,
                             MessageIcon icon)
{
    QMessageBox box(owner);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Stop: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    // Qt sizes a box by its text and leaves the title only 50 pixels more,
    // while a window manager also puts an icon and three buttons beside it:
    // a short text like "Reset OK !" would cut the title.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        QFont titleFont = box.font();
        titleFont.setBold(true);
        const QScreen* screen = owner ? owner->screen() : QApplication::primaryScreen();
        const int width = MessageBoxWidth(QFontMetrics(titleFont).horizontalAdvance(title),
                                          screen ? screen->availableGeometry().width() : 0);
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
}

void PumpEvents() { QCoreApplication::processEvents(); }

void Beep() { QApplication::beep(); }

} // namespace platform
