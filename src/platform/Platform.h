// Our thin layer over Qt and POSIX: the program's folder, folders, the text
// editor, external programs, optional libraries, message boxes, event pumping
// and beeps.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "core/Operator.h"

class QWidget;

namespace platform {

// The running executable's folder, ending with '/'.
std::string ExecutableFolder();

// True when path is a folder, creating it when it is missing.
bool EnsureFolder(const std::string& path);

// Opens a text file in the desktop's default editor; the outcome is not checked.
void OpenInTextEditor(const std::string& path);

struct ProgramRun {
    bool Started = false;
    int ExitCode = -1;
    int Error = 0; // errno when the program could not be started
};
// Starts a program (no search along PATH) with the given arguments and waits
// until it ends.
ProgramRun RunProgramAndWait(const std::string& path, const std::vector<std::string>& arguments);

// What a window manager puts beside a title: icon, three buttons, margins.
constexpr int MessageTitleAllowance = 160;
// The least width of a message box whose title is titleWidth pixels wide, so
// the whole title shows; never wider than the screen (0: not known).
int MessageBoxWidth(int titleWidth, int screenWidth);

// A message box with exactly this title, text, buttons and icon; wide enough
// for its title.
MessageAnswer ShowMessageBox(QWidget* owner, const QString& title, const QString& text, MessageButtons buttons,
                             MessageIcon icon);

void PumpEvents();
void Beep();

} // namespace platform
