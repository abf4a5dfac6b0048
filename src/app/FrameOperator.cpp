#include "app/FrameOperator.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QStatusBar>

#include "core/BenchState.h"
#include "app/FrameWindow.h"
#include "platform/Platform.h"
#include "views/ChildWindows.h"

MessageAnswer FrameOperator::Message(const QString& title, const QString& text, MessageButtons buttons,
                                     MessageIcon icon)
{
    QWidget* owner = QApplication::activeModalWidget();
    return platform::ShowMessageBox(owner ? owner : &Frame, title, text, buttons, icon);
}

void FrameOperator::Beep() { platform::Beep(); }

// No tone generator here: the default beep stands in for it.
void FrameOperator::Tone(int, int) { platform::Beep(); }

int FrameOperator::Exec(QDialog& dialog)
{
    // A dialog made without an owner opens over the frame, or over the dialog
    // that called it, not in the middle of the screen.
    if (!dialog.parentWidget()) {
        QWidget* owner = QApplication::activeModalWidget();
        dialog.setParent(owner ? owner : &Frame, dialog.windowFlags() | Qt::Dialog);
    }
    return dialog.exec();
}

void FrameOperator::PumpEvents() { platform::PumpEvents(); }

void FrameOperator::SetBusyCursor(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void FrameOperator::EnableMainMenu(bool enable) { Frame.EnableMainMenu(enable); }

void FrameOperator::CloseAllChildren() { Frame.CloseAllChildren(); }

int FrameOperator::ShowDocumentImages(const DocumentShow& document)
{
    return Frame.ImageWindows().ShowDocumentImages(document);
}

void FrameOperator::ShowImage(const QString& title, const PackedBitmap& image, bool fitToWindow)
{
    Frame.ImageWindows().ShowImage(title, image, fitToWindow);
}

namespace {

bool AskFileName(QWidget* owner, QFileDialog::AcceptMode mode, const QStringList& filters,
                 const QString& defaultSuffix, QString& path)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!path.isEmpty() && QFileInfo(path).isDir())
        dialog.setDirectory(path);
    else if (!path.isEmpty())
        dialog.selectFile(path);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().first();
    return true;
}

} // namespace

bool FrameOperator::AskOpenFileName(const QStringList& filters, const QString& defaultSuffix, QString& path)
{
    QWidget* owner = QApplication::activeModalWidget();
    return AskFileName(owner ? owner : &Frame, QFileDialog::AcceptOpen, filters, defaultSuffix, path);
}

bool FrameOperator::AskSaveFileName(const QStringList& filters, const QString& defaultSuffix, QString& path)
{
    QWidget* owner = QApplication::activeModalWidget();
    return AskFileName(owner ? owner : &Frame, QFileDialog::AcceptSave, filters, defaultSuffix, path);
}

void FrameOperator::ShowStatus(const QString& text)
{
    if (text.isEmpty())
        Frame.statusBar()->clearMessage();
    else
        Frame.statusBar()->showMessage(text);
}
