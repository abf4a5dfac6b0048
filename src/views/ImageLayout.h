// Where an image child window puts its picture: scroll bars, steps, scroll
// limits and the display rectangle, as plain arithmetic over sizes, zoom and
// scroll positions. No Qt here, so the rules can be checked with numbers.
#pragma once

#include <cstdint>

// The system's multiply-divide: a * b / c over a 64-bit product, rounded half
// away from zero; -1 when c is 0 or the result does not fit in 32 bits.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

struct PixelRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;

    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    void Offset(int32_t dx, int32_t dy)
    {
        Left += dx;
        Right += dx;
        Top += dy;
        Bottom += dy;
    }
    bool operator==(const PixelRect&) const = default;
};

struct LayoutInput {
    // The client area as given, without the bars that are shown now, and
    // what each shown bar took from it.
    int32_t ClientWidth = 0;
    int32_t ClientHeight = 0;
    bool HorizontalBarShown = false;
    bool VerticalBarShown = false;
    int32_t VerticalBarAllowance = 0;   // width a vertical bar takes
    int32_t HorizontalBarAllowance = 0; // height a horizontal bar takes

    int32_t ImageWidth = 0; // the picture at 100 %
    int32_t ImageHeight = 0;
    int32_t ZoomPercent = 100;
    bool FitToWindow = false;
    int32_t ScrollX = 0;
    int32_t ScrollY = 0;
    // Rows at the top of the client area taken by the text strips; the
    // picture shows below them, so it scrolls and fits in what is left.
    int32_t StripsHeight = 0;
};

struct ImageLayout {
    int32_t ZoomedWidth = 0; // 0 by 0 in fit mode
    int32_t ZoomedHeight = 0;
    bool HorizontalBarNeeded = false;
    bool VerticalBarNeeded = false;
    int32_t VisibleWidth = 0;
    int32_t VisibleHeight = 0; // strips included
    int32_t PictureHeight = 0; // below the strips
    int32_t LineStepX = 1;
    int32_t LineStepY = 1;
    int32_t PageStepX = 1;
    int32_t PageStepY = 1;
    int32_t ScrollMaxX = 0;
    int32_t ScrollMaxY = 0;
    int32_t ScrollX = 0; // clamped to 0 .. maximum
    int32_t ScrollY = 0;
    PixelRect DisplayRect; // relative to the top left of the picture area
};

ImageLayout ComputeLayout(const LayoutInput& in);

// The picture's aspect ratio inside visible width x height, anchored at the
// top left: full height first, full width when that would be too wide.
PixelRect FitRect(int32_t visibleWidth, int32_t visibleHeight, int32_t imageWidth, int32_t imageHeight);

// A page step: the visible size less one line, but never less than a line.
int32_t PageStep(int32_t visible, int32_t lineStep);

enum class ScrollAction { LineBack, LineForward, PageBack, PageForward, Thumb, ToStart, ToEnd, None };

// How far one scroll action moves a position, clamped so that the position
// stays within 0 .. maximum. thumb is the dragged position for Thumb.
int32_t ScrollChange(ScrollAction action, int32_t position, int32_t maximum, int32_t visible, int32_t lineStep,
                     int32_t thumb = 0);

struct ScrollPosition {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const ScrollPosition&) const = default;
};

// The scroll position that keeps the point at the centre of the client area
// where it was, after a zoom change. next is the layout input at the new zoom
// (fit mode off); oldRect and the size of the picture area (below the
// strips) come from the last layout.
ScrollPosition ZoomKeepingCentre(const LayoutInput& next, const PixelRect& oldRect, int32_t clientWidth,
                                 int32_t clientHeight);

// Resolution a picture is taken to have when its own says 0.
constexpr int32_t DefaultImageDpi = 150;

struct PrintSize {
    int32_t Width = 0;
    int32_t Height = 0;
    bool operator==(const PrintSize&) const = default;
};

// Size in printer dots that gives the picture its physical size; an image
// resolution of 0 counts as DefaultImageDpi.
PrintSize PrintedSize(int32_t printerDpiX, int32_t printerDpiY, int32_t displayedWidth, int32_t displayedHeight,
                      int32_t imageDpiX, int32_t imageDpiY);
