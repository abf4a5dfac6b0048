// The operator for tests: records every message, dialog, beep and shown
// document, and answers from a script.
#pragma once

#include <QDialog>
#include <deque>
#include <functional>
#include <vector>

#include "core/Operator.h"
#include "vnapi/PackedBitmap.h"

struct ShownMessage {
    QString Title;
    QString Text;
    MessageButtons Buttons;
    MessageIcon Icon;
};

struct ShownDocument {
    int32_t Status = 0;
    uint16_t Prefix = 0;
    uint32_t DocumentNumber = 0;
    bool HasFront = false, HasBack = false;
    std::vector<uint8_t> FrontBytes, BackBytes;
    QStringList Texts; // Text1..3 then the further texts, as given
};

class ScriptedOperator : public Operator {
public:
    using DialogScript = std::function<int(QDialog&)>;

    // Answers for the next message boxes; without one the box gets its first
    // button (OK or Yes).
    void QueueAnswers(std::vector<MessageAnswer> answers)
    {
        for (auto a : answers)
            Answers.push_back(a);
    }
    // Scripts for the next modal dialogs; without one a dialog is rejected (0).
    void QueueDialog(DialogScript script) { Dialogs.push_back(std::move(script)); }
    // Runs during PumpEvents (a key pressed while a run goes on, say).
    std::function<void()> OnPump;
    // Answers for the next file dialogs, open and save each in their own
    // queue; an empty name cancels, and so does a dialog with no answer.
    void QueueOpenFileName(const QString& path) { OpenFileNames.push_back(path); }
    void QueueSaveFileName(const QString& path) { SaveFileNames.push_back(path); }

    MessageAnswer Message(const QString& title, const QString& text, MessageButtons buttons,
                          MessageIcon icon) override;
    void Beep() override { ++Beeps; }
    void Tone(int hertz, int milliseconds) override { Tones.push_back({hertz, milliseconds}); }
    int Exec(QDialog& dialog) override;
    void PumpEvents() override;
    void SetBusyCursor(bool busy) override { BusyCursor = busy; }
    void EnableMainMenu(bool enable) override { MenuStates.push_back(enable); }
    void CloseAllChildren() override { ++CloseAllCount; }
    int ShowDocumentImages(const DocumentShow& document) override;
    void ShowImage(const QString& title, const PackedBitmap& image, bool fitToWindow) override;
    void ShowStatus(const QString& text) override { StatusTexts.push_back(text); }
    bool AskOpenFileName(const QStringList& filters, const QString& defaultSuffix, QString& path) override;
    bool AskSaveFileName(const QStringList& filters, const QString& defaultSuffix, QString& path) override;

    std::vector<ShownMessage> Messages;
    std::vector<QString> DialogTitles;
    std::vector<ShownDocument> Documents;
    std::vector<QString> ImageTitles;
    std::vector<std::pair<int, int>> Tones;
    std::vector<bool> MenuStates;
    std::vector<QString> StatusTexts;
    struct AskedFile {
        bool Save = false;
        QStringList Filters;
        QString DefaultSuffix;
        QString StartPath; // the path the dialog was opened with
    };
    std::vector<AskedFile> FileDialogs;
    int Beeps = 0;
    int CloseAllCount = 0;
    int Pumps = 0;
    bool BusyCursor = false;

private:
    std::deque<MessageAnswer> Answers;
    std::deque<DialogScript> Dialogs;
    std::deque<QString> OpenFileNames, SaveFileNames;
};
