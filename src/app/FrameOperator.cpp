#include "app/FrameOperator.h"

#include <QApplication>
#include <QDialog>
#include <QStatusBar>

#include "app/BenchState.h"
#include "app/FrameWindow.h"
#include "platform/Platform.h"

MessageAnswer FrameOperator::Message(const QString& title, const QString& text, MessageButtons buttons,
                                     MessageIcon icon)
{
    QWidget* owner = QApplication::activeModalWidget();
    return platform::ShowMessageBox(owner ? owner : &Frame, title, text, buttons, icon);
}

void FrameOperator::Beep() { platform::Beep(); }

// No tone generator here: the default beep stands in for it.
void FrameOperator::Tone(int, int) { platform::Beep(); }

int FrameOperator::Exec(QDialog& dialog) { return dialog.exec(); }

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

int FrameOperator::ShowDocumentImages(const DocumentShow&)
{
    // Image child windows are not built yet.
    return 0;
}

void FrameOperator::ShowImage(const QString&, const PackedBitmap&, bool) {}

void FrameOperator::ShowStatus(const QString& text)
{
    if (text.isEmpty())
        Frame.statusBar()->clearMessage();
    else
        Frame.statusBar()->showMessage(text);
}
