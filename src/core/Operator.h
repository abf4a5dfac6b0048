// The one seam between the bench's logic and the person in front of it:
// message boxes and questions, beeps, modal sub-dialogs, the frame's menu and
// child windows, and the images shown. The frame implements it with Qt; tests
// answer it with a script and record what was shown.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class PackedBitmap;
class QDialog;

enum class MessageIcon { None, Information, Question, Warning, Stop };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// One document (or one result) to be shown in image child windows.
struct DocumentShow {
    int32_t Status = 0;           // 7 marks a double feed
    uint16_t Prefix = 0;          // 0 for none
    uint32_t DocumentNumber = 0;
    const PackedBitmap* Front = nullptr;
    const PackedBitmap* Back = nullptr;
    QString Text1, Text2, Text3;  // each shown when not empty
    QStringList MoreTexts;
};

// What a document run gives for each document it handled.
struct DocumentRecord {
    int32_t Status = 0; // the document's status, 0 when handled
    QString Micr, Optical, Barcode;
    QStringList ImageFiles; // the files its images were saved to
};

class Operator {
public:
    virtual ~Operator() = default;

    virtual MessageAnswer Message(const QString& title, const QString& text, MessageButtons buttons,
                                  MessageIcon icon) = 0;
    // The default beep, and a tone (a beep where no tone generator exists).
    virtual void Beep() = 0;
    virtual void Tone(int hertz, int milliseconds) = 0;

    // Runs a modal dialog and returns its result code.
    virtual int Exec(QDialog& dialog) = 0;

    // Takes and dispatches pending window events, so the frame keeps painting.
    virtual void PumpEvents() = 0;
    virtual void SetBusyCursor(bool busy) = 0;

    // The frame's menu bar and its MDI children.
    virtual void EnableMainMenu(bool enable) = 0;
    virtual void CloseAllChildren() = 0;
    // Shows a document's images and texts; returns the number of windows made,
    // or -1 when the front image could not be converted.
    virtual int ShowDocumentImages(const DocumentShow& document) = 0;
    // Shows one picture in its own child window with the given title.
    virtual void ShowImage(const QString& title, const PackedBitmap& image, bool fitToWindow) = 0;
    // Progress of a long run ("" clears it).
    virtual void ShowStatus(const QString& text) = 0;
    // Each document a run handled, as it leaves the unit. Only a scripted
    // caller needs it.
    virtual void DocumentDone(const DocumentRecord& record) { (void)record; }

    // The file dialogs: filters as "Name (*.a *.b)", in order; the default
    // suffix is added to a name typed without one; path holds the name to
    // start from on entry. True with the chosen path; false when cancelled.
    // An operator without file dialogs cancels.
    virtual bool AskOpenFileName(const QStringList& filters, const QString& defaultSuffix, QString& path)
    {
        (void)filters;
        (void)defaultSuffix;
        (void)path;
        return false;
    }
    virtual bool AskSaveFileName(const QStringList& filters, const QString& defaultSuffix, QString& path)
    {
        (void)filters;
        (void)defaultSuffix;
        (void)path;
        return false;
    }
};

// Greys the frame's menu bar for the length of a command.
class MenusGreyed {
public:
    explicit MenusGreyed(Operator& op) : Op(op) { Op.EnableMainMenu(false); }
    ~MenusGreyed() { Op.EnableMainMenu(true); }
    MenusGreyed(const MenusGreyed&) = delete;
    MenusGreyed& operator=(const MenusGreyed&) = delete;

private:
    Operator& Op;
};
