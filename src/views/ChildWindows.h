// The frame's image child windows: how they are made (CreateImageChild, at
// most twelve at a time, the thirteenth closing the oldest) and how a
// document's images and texts are shown in them (ShowDocumentImages).
#pragma once

#include <QMdiSubWindow>
#include <QPointer>
#include <array>
#include <string>

#include "platform/ChildCreateGuard.h"
#include "views/SaveImageDialog.h"

class Operator;
class PackedBitmap;
class QImage;
class QMdiArea;
struct BenchState;
struct DocumentShow;

// Where the next window goes in the cascade, counted in title bars from the
// top left: one place after the window made last, back to the top after the
// last of places; the top when no window is open.
int NextCascadePlace(int openWindows, int lastPlace, int places);

class ChildWindows {
public:
    static constexpr int SlotCount = 12;

    ChildWindows(QMdiArea& mdi, BenchState& state, Operator& op);

    // A new window with the title, a copy of the picture (null for text
    // lines only) and the text list (as MakeTextList builds it). Returns it;
    // null when it was queued behind a creation under way, which makes it
    // as soon as it has finished.
    QMdiSubWindow* CreateImageChild(const std::string& textLines, const QString& title, const QImage& bitmap,
                                    bool fitToWindow);

    // The back window (no texts) and then the front window (with the
    // texts), or a window of texts alone. Returns the number of windows
    // made, or -1 when the front image could not be converted.
    int ShowDocumentImages(const DocumentShow& document);

    // One picture in its own window, with no texts.
    void ShowImage(const QString& title, const PackedBitmap& image, bool fitToWindow);

    // The ring: the window in each slot (null when free or gone) and the
    // slot the next window takes.
    QMdiSubWindow* Slot(int index) const { return Slots[static_cast<size_t>(index)]; }
    int NextSlot() const { return Next; }

    platform::ChildCreateGuard& CreateGuard() { return Guard; }
    SaveDialogChoices& SaveChoices() { return Choices; }

private:
    QMdiSubWindow* MakeChild(const std::string& textLines, const QString& title, const QImage& bitmap,
                             bool fitToWindow);

    QMdiArea& Mdi;
    BenchState& State;
    Operator& Op;
    std::array<QPointer<QMdiSubWindow>, SlotCount> Slots;
    int Next = 0;
    int LastPlace = -1; // cascade place of the window made last
    platform::ChildCreateGuard Guard;
    SaveDialogChoices Choices;
};
