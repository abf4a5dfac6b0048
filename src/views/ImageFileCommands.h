// "&Open File..." and "&Save File...": an image file into a new window (and
// into the device library as the current front image), and a window's
// picture into a file in the format chosen in "Save As".
#pragma once

class CommandRegistry;
class Operator;
class QImage;
class QWidget;
struct Bench;
struct BenchState;
struct SaveDialogChoices;

// Asks for a file, shows it in a window titled with its path and loads it
// through Varn_LoadImageFile as CurrentFrontImage. A cancelled dialog or a
// file that cannot be read ends the command without a word.
void OpenImageFile(Bench& bench);

// Asks for the name and format, then saves the picture; the format chosen is
// offered first at the next save. A failed save is not reported.
void SaveImageFile(const QImage& picture, BenchState& state, Operator& op, SaveDialogChoices& choices,
                   QWidget* parent);

// "&Open File...", which needs no unit: the device library loads the file on its own.
void RegisterViewCommands(CommandRegistry& registry);
