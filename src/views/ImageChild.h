// The image child window ("VarnCHILD"): one picture, its own copy, with up to
// seven text strips across the top. It is shown at 100 %, at a zoom, or fitted
// to the window, scrolls by moving the pixels already on screen, and prints
// and saves its picture. Zoom, fit and scrolling are held as state; where
// things go is computed by ComputeLayout.
#pragma once

#include <QImage>
#include <QWidget>
#include <string>
#include <vector>

#include "views/ChildCommands.h"
#include "views/ImageLayout.h"

class Operator;
class QScrollBar;
class TextStrip;
struct BenchState;
struct SaveDialogChoices;

struct ImageChildRecord {
    int32_t ClientWidth = 0; // visible area without the bars, from the last layout
    int32_t ClientHeight = 0;
    int32_t ScrollX = 0;
    int32_t ScrollY = 0;
    int32_t ScrollMaxX = 0;
    int32_t ScrollMaxY = 0;
    int32_t LineStepX = 1;
    int32_t LineStepY = 1;
    int32_t FitToWindow = 0;
    int32_t ZoomPercent = 100;
    PixelRect DisplayRect; // where the whole picture lies, strips not counted
    QImage Bitmap;         // null for a window of text lines only
    int32_t Scrolling = 0; // 1 while a scroll is carried out
    std::vector<TextStrip*> TextWindows;
    int32_t TextHeight = 0; // 24 per strip
    std::string TextLines;  // as MakeTextList builds them
};

class ImageChild : public QWidget, public ChildCommandTarget {
    Q_OBJECT
public:
    struct Content {
        QImage Bitmap;         // null: text lines only
        std::string TextLines; // as MakeTextList builds them
        bool FitToWindow = true;
        bool ShowTextLines = true; // "View &Codeline" as the window is made
    };

    // The bench state, the operator seam and the save dialog's choices are
    // the frame's and outlive every child.
    ImageChild(BenchState& state, Operator& op, SaveDialogChoices& saveChoices, Content content,
               QWidget* parent = nullptr);

    // Commands the frame passes on: save, normal, zoom, fit, print.
    bool OnChildCommand(int id) override;
    bool IsFitToWindow() const override { return Data.FitToWindow != 0; }
    int ZoomPercent() const override { return Data.ZoomPercent; }

    const ImageChildRecord& Record() const { return Data; }

    // The scroll bar handling: one action on one axis.
    void OnScroll(Qt::Orientation orientation, ScrollAction action, int thumb = 0);
    // "&Normal", a zoom keeping the centre, "&Fit Image To Window".
    void ShowNormal();
    void ApplyZoom(int percent);
    void FitImageToWindow();
    void Print();
    void Save();

    // Where the picture is painted: DisplayRect below the strips.
    QRect PaintedImageRect() const;
    // The part of the window the picture shows in, below the strips.
    QRect ImageArea() const;
    // What the bars take.
    int ScrollBarExtent() const;
    QScrollBar* HorizontalBar() const { return HBar; }
    QScrollBar* VerticalBar() const { return VBar; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Layout();
    LayoutInput CurrentInput() const;
    void PlaceStrips();
    int StripsBottom() const;
    void ConnectBar(QScrollBar* bar, Qt::Orientation orientation);

    BenchState& State;
    Operator& Op;
    SaveDialogChoices& SaveChoices;
    ImageChildRecord Data;
    QImage Screen; // the picture as painted, in the screen's own format
    QScrollBar* HBar = nullptr;
    QScrollBar* VBar = nullptr;
    bool InLayout = false;
};
