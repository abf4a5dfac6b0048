// The operator seam as the person at the screen sees it: Qt message boxes,
// modal dialogs, the frame's menus and its image child windows.
#pragma once

#include "core/Operator.h"

class FrameWindow;
struct BenchState;

class FrameOperator : public Operator {
public:
    FrameOperator(FrameWindow& frame, BenchState& state) : Frame(frame), State(state) {}

    MessageAnswer Message(const QString& title, const QString& text, MessageButtons buttons,
                          MessageIcon icon) override;
    void Beep() override;
    void Tone(int hertz, int milliseconds) override;
    int Exec(QDialog& dialog) override;
    void PumpEvents() override;
    void SetBusyCursor(bool busy) override;
    void EnableMainMenu(bool enable) override;
    void CloseAllChildren() override;
    int ShowDocumentImages(const DocumentShow& document) override;
    void ShowImage(const QString& title, const PackedBitmap& image, bool fitToWindow) override;
    void ShowStatus(const QString& text) override;
    bool AskOpenFileName(const QStringList& filters, const QString& defaultSuffix, QString& path) override;
    bool AskSaveFileName(const QStringList& filters, const QString& defaultSuffix, QString& path) override;

private:
    FrameWindow& Frame;
    BenchState& State;
};
