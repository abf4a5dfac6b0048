#include "views/ImageFileCommands.h"

#include <QDialog>
#include <QFile>
#include <QImage>

#include "core/BenchState.h"
#include "core/CommandIds.h"
#include "core/CommandRegistry.h"
#include "core/Operator.h"
#include "core/MessageTitles.h"
#include "core/ReplyCodes.h"
#include "views/DibToBitmap.h"
#include "views/ImageFiles.h"
#include "views/SaveImageDialog.h"

void OpenImageFile(Bench& bench)
{
    QString path;
    if (!bench.Op.AskOpenFileName(OpenFileFilters(), "bmp", path))
        return;
    bench.State.OpenFilePath = QFile::encodeName(path).toStdString();

    QImage picture;
    if (!LoadImageFile(path, picture))
        return;
    // The window takes the picture as the device library hands pictures
    // over: as a packed bitmap at the picture's own depth.
    const auto dib = BitmapToDib(picture, NaturalBitCount(picture));
    if (!dib)
        return;
    bench.Op.ShowImage(path, *dib, bench.State.FitImageOption != 0);

    // The image commands work on the current front image; the reply is not
    // looked at.
    bench.Api.Varn_LoadImageFile(bench.State.OpenFilePath.c_str(), &bench.State.CurrentFrontImage);
}

void SaveImageFile(const QImage& picture, BenchState& state, Operator& op, SaveDialogChoices& choices,
                   QWidget* parent)
{
    SaveImageDialog dialog(op, state.LastSaveFormat, NaturalBitCount(picture), choices, parent);
    if (op.Exec(dialog) != QDialog::Accepted)
        return;
    state.LastSaveFormat = dialog.FormatIndex();
    choices = dialog.Choices();
    op.SetBusyCursor(true);
    const bool saved = SaveImageToFile(picture, dialog.FileName(), dialog.Options());
    op.SetBusyCursor(false);
    // The operator must not believe the file is there.
    if (!saved)
        op.Message(ErrorTitle, "Image not saved !\n" + dialog.FileName(), MessageButtons::Ok, MessageIcon::Stop);
}

void RegisterViewCommands(CommandRegistry& registry)
{
    registry.Add(Cmd::OpenFile, [](Bench& bench) { OpenImageFile(bench); });
}
