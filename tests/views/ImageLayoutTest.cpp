// Image child layout with plain numbers: bars, steps, scroll limits, the fit
// rectangle, zoom about the centre, printed size, the text list, and the
// creation guard.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMdiSubWindow>
#include <QMetaObject>
#include <climits>
#include <string>
#include <vector>

#include "platform/ChildCreateGuard.h"
#include "views/ChildWindows.h"
#include "views/ImageLayout.h"
#include "views/TextLines.h"
#include "views/TextStrip.h"

namespace {

LayoutInput Input(int32_t clientW, int32_t clientH, int32_t imageW, int32_t imageH, int32_t zoom = 100,
                  int32_t allowance = 20)
{
    LayoutInput in;
    in.ClientWidth = clientW;
    in.ClientHeight = clientH;
    in.VerticalBarAllowance = allowance;
    in.HorizontalBarAllowance = allowance;
    in.ImageWidth = imageW;
    in.ImageHeight = imageH;
    in.ZoomPercent = zoom;
    return in;
}

} // namespace

TEST(MulDiv, RoundsHalfAwayFromZeroAndRefusesWhatDoesNotFit)
{
    struct Case {
        int32_t a, b, c, expected;
    } cases[] = {
        {1700, 800, 100, 13600}, {5, 3, 2, 8},   {-5, 3, 2, -8}, {5, -3, 2, -8}, {-5, -3, 2, 8},
        {7, 1, 3, 2},            {8, 1, 3, 3},   {101, 1, 2, 51}, {1, 1, 0, -1},  {INT_MAX, 2, 1, -1},
        {INT_MAX, 2, 2, INT_MAX}, {0, 5, 7, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
}

TEST(ComputeLayout, Zoom800OnA1700PixelImageScrollsTo13600LessTheVisibleWidth)
{
    const ImageLayout layout = ComputeLayout(Input(1000, 800, 1700, 1000, 800, 16));
    EXPECT_EQ(layout.ZoomedWidth, 13600);
    EXPECT_EQ(layout.ZoomedHeight, 8000);
    ASSERT_TRUE(layout.HorizontalBarNeeded && layout.VerticalBarNeeded);
    EXPECT_EQ(layout.VisibleWidth, 984);
    // The largest position shows the last column and row.
    EXPECT_EQ(layout.ScrollMaxX, 13600 - layout.VisibleWidth);
    EXPECT_EQ(layout.ScrollMaxY, 8000 - layout.VisibleHeight);
}

TEST(ComputeLayout, BarsComeInTheirOrder)
{
    // Client 1000 x 800, bars 20 wide, no bars shown yet.
    struct Case {
        const char* what;
        int32_t imageW, imageH;
        bool horizontal, vertical;
        int32_t visibleW, visibleH;
    } cases[] = {
        {"fits", 800, 600, false, false, 1000, 800},
        {"exactly fits", 1000, 800, false, false, 1000, 800},
        {"wider only", 1200, 700, true, false, 1000, 780},
        {"wider, then taller once the horizontal bar is in", 1200, 790, true, true, 980, 780},
        {"wider, exactly the height the horizontal bar leaves", 1200, 780, true, false, 1000, 780},
        {"wider, one row past the height the horizontal bar leaves", 1200, 781, true, true, 980, 780},
        {"taller only", 900, 1000, false, true, 980, 800},
        {"taller, then wider once the vertical bar is in", 990, 1000, true, true, 980, 780},
        {"taller, exactly the width the vertical bar leaves", 980, 1000, false, true, 980, 800},
        {"taller, one column past the width the vertical bar leaves", 981, 1000, true, true, 980, 780},
        {"both", 3000, 3000, true, true, 980, 780},
    };
    for (const Case& c : cases) {
        const ImageLayout layout = ComputeLayout(Input(1000, 800, c.imageW, c.imageH));
        EXPECT_EQ(layout.HorizontalBarNeeded, c.horizontal) << c.what;
        EXPECT_EQ(layout.VerticalBarNeeded, c.vertical) << c.what;
        EXPECT_EQ(layout.VisibleWidth, c.visibleW) << c.what;
        EXPECT_EQ(layout.VisibleHeight, c.visibleH) << c.what;
    }
}

TEST(ComputeLayout, ShownBarsAreAddedBackBeforeDeciding)
{
    // The client area 980 x 780 left by two shown bars is a 1000 x 800 window.
    LayoutInput in = Input(980, 780, 800, 600);
    in.HorizontalBarShown = in.VerticalBarShown = true;
    const ImageLayout layout = ComputeLayout(in);
    EXPECT_FALSE(layout.HorizontalBarNeeded);
    EXPECT_FALSE(layout.VerticalBarNeeded);
    EXPECT_EQ(layout.VisibleWidth, 1000);
    EXPECT_EQ(layout.VisibleHeight, 800);

    in = Input(1000, 780, 900, 790);
    in.HorizontalBarShown = true;
    EXPECT_FALSE(ComputeLayout(in).VerticalBarNeeded) << "790 fits in 800 once the horizontal bar has gone";
}

TEST(ComputeLayout, LineAndPageSteps)
{
    struct Case {
        int32_t clientW, clientH;
        int32_t lineX, lineY, pageX, pageY;
    } cases[] = {
        {1000, 800, 100, 80, 900, 720},
        {15, 9, 1, 1, 14, 8},
        {5, 5, 1, 1, 4, 4},
        {0, 0, 1, 1, 1, 1},
    };
    for (const Case& c : cases) {
        const ImageLayout layout = ComputeLayout(Input(c.clientW, c.clientH, 1, 1));
        EXPECT_EQ(layout.LineStepX, c.lineX) << c.clientW;
        EXPECT_EQ(layout.LineStepY, c.lineY) << c.clientH;
        EXPECT_EQ(layout.PageStepX, c.pageX) << c.clientW;
        EXPECT_EQ(layout.PageStepY, c.pageY) << c.clientH;
    }
}

TEST(ComputeLayout, ScrollIsClampedAndMovesTheDisplayRectangle)
{
    LayoutInput in = Input(500, 400, 2000, 1000, 100, 0);
    in.ScrollX = 5000;
    in.ScrollY = -3;
    ImageLayout layout = ComputeLayout(in);
    EXPECT_EQ(layout.ScrollMaxX, 2000 - 500);
    EXPECT_EQ(layout.ScrollX, layout.ScrollMaxX);
    EXPECT_EQ(layout.ScrollY, 0);
    EXPECT_EQ(layout.DisplayRect, (PixelRect{-1500, 0, 500, 1000}));

    // Zoom 50: 1000 x 500 in 500 x 400.
    in.ZoomPercent = 50;
    in.ScrollX = 120;
    in.ScrollY = 40;
    layout = ComputeLayout(in);
    EXPECT_EQ(layout.ScrollMaxY, 500 - 400);
    EXPECT_EQ(layout.DisplayRect, (PixelRect{-120, -40, 880, 460}));

    // A picture smaller than the window cannot scroll at all.
    in.ZoomPercent = 10;
    layout = ComputeLayout(in);
    EXPECT_EQ(layout.ScrollMaxX, 0);
    EXPECT_EQ(layout.ScrollX, 0);
    EXPECT_EQ(layout.DisplayRect, (PixelRect{0, 0, 200, 100}));
}

TEST(ComputeLayout, StripsTakeTheirRowsFromThePicture)
{
    // Client 400 x 300, bars 20, strips down to row 73 (three strips): 227
    // rows are left for the picture.
    struct Case {
        int32_t imageW, imageH;
        bool horizontal, vertical;
        int32_t pictureH, maxX, maxY;
    } cases[] = {
        {300, 227, false, false, 227, 0, 0},
        {300, 228, false, true, 227, 0, 1},
        {400, 207, false, false, 227, 0, 0},
        {401, 207, true, false, 207, 1, 0},
        {401, 208, true, true, 207, 21, 1},
        {300, 528, false, true, 227, 0, 301},
    };
    for (const Case& c : cases) {
        LayoutInput in = Input(400, 300, c.imageW, c.imageH);
        in.StripsHeight = 73;
        in.ScrollX = in.ScrollY = 100000;
        const ImageLayout layout = ComputeLayout(in);
        const std::string what = std::to_string(c.imageW) + "x" + std::to_string(c.imageH);
        EXPECT_EQ(layout.HorizontalBarNeeded, c.horizontal) << what;
        EXPECT_EQ(layout.VerticalBarNeeded, c.vertical) << what;
        EXPECT_EQ(layout.PictureHeight, c.pictureH) << what;
        EXPECT_EQ(layout.VisibleHeight, c.pictureH + 73) << what;
        EXPECT_EQ(layout.ScrollMaxX, c.maxX) << what;
        EXPECT_EQ(layout.ScrollMaxY, c.maxY) << what;
        // Scrolled to the end, the last row lies on the picture area's last row.
        EXPECT_EQ(layout.DisplayRect.Bottom, std::min(c.imageH, c.pictureH)) << what;
    }

    LayoutInput in = Input(400, 300, 300, 528);
    in.StripsHeight = 73;
    const ImageLayout layout = ComputeLayout(in);
    EXPECT_EQ(layout.LineStepY, 22);
    EXPECT_EQ(layout.PageStepY, 205);
}

TEST(ComputeLayout, FitModeFitsBelowTheStrips)
{
    struct Case {
        int32_t imageW, imageH;
        PixelRect expected;
    } cases[] = {
        {800, 454, {0, 0, 400, 227}},  // exactly the area below the strips
        {1000, 454, {0, 0, 400, 182}}, // too wide: full width
        {100, 454, {0, 0, 50, 227}},   // tall: full height below the strips
    };
    for (const Case& c : cases) {
        LayoutInput in = Input(400, 300, c.imageW, c.imageH);
        in.StripsHeight = 73;
        in.FitToWindow = true;
        EXPECT_EQ(ComputeLayout(in).DisplayRect, c.expected) << c.imageW << "x" << c.imageH;
    }
}

TEST(NextCascadePlace, KeepsMovingWhenTheRingIsFull)
{
    struct Case {
        int open, last, places, expected;
    } cases[] = {
        {0, 5, 10, 0},  // nothing open: the top
        {1, 0, 10, 1},  {11, 8, 10, 9},
        {11, 9, 10, 0}, // after the last place: the top again
        {12, 3, 10, 4}, // twelve open, as when the ring is full
        {12, 4, 10, 5}, {3, 2, 1, 0}, {3, -1, 10, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextCascadePlace(c.open, c.last, c.places), c.expected)
            << c.open << " open, last " << c.last << " of " << c.places;
}

TEST(TextStrip, StripsReachAndTextWidths)
{
    EXPECT_EQ(TextStrip::StripsBottom(0), 0);
    EXPECT_EQ(TextStrip::StripsBottom(1), 25);
    EXPECT_EQ(TextStrip::StripsBottom(3), 73);
    EXPECT_EQ(TextStrip::StripsBottom(7), 169);
    EXPECT_EQ(TextStrip::WidthFor(0), 26);
    EXPECT_EQ(TextStrip::WidthFor(300), 326);
}

TEST(FitRect, KeepsTheAspectAnchoredTopLeft)
{
    struct Case {
        int32_t visibleW, visibleH, imageW, imageH;
        PixelRect expected;
    } cases[] = {
        {1000, 800, 2000, 1000, {0, 0, 1000, 500}}, // full width
        {1000, 800, 1000, 2000, {0, 0, 400, 800}},  // full height
        {333, 100, 3, 1, {0, 0, 300, 100}},
        {101, 101, 2, 1, {0, 0, 101, 51}}, // 50.5 rounds up
        {1000, 800, 1250, 1000, {0, 0, 1000, 800}},
        {640, 480, 0, 0, {0, 0, 640, 480}}, // no picture: the whole area
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitRect(c.visibleW, c.visibleH, c.imageW, c.imageH), c.expected)
            << c.visibleW << "x" << c.visibleH << " " << c.imageW << "x" << c.imageH;
}

TEST(ComputeLayout, FitModeHasNoBarsAndUsesTheFitRectangle)
{
    LayoutInput in = Input(1000, 800, 2100, 1000, 250);
    in.FitToWindow = true;
    in.ScrollX = 300;
    const ImageLayout layout = ComputeLayout(in);
    EXPECT_FALSE(layout.HorizontalBarNeeded || layout.VerticalBarNeeded);
    EXPECT_EQ(layout.ScrollMaxX, 0);
    EXPECT_EQ(layout.ScrollX, 0);
    EXPECT_EQ(layout.DisplayRect, (PixelRect{0, 0, 1000, 476}));
}

TEST(ScrollChange, EachActionAndItsClamp)
{
    // Position 50 of 100, visible 200, line 20, so a page is 180.
    struct Case {
        ScrollAction action;
        int32_t position, thumb, expected;
    } cases[] = {
        {ScrollAction::LineBack, 50, 0, -20},   {ScrollAction::LineForward, 50, 0, 20},
        {ScrollAction::PageBack, 50, 0, -50},   {ScrollAction::PageForward, 50, 0, 50},
        {ScrollAction::Thumb, 50, 70, 20},      {ScrollAction::Thumb, 50, 150, 50},
        {ScrollAction::ToStart, 50, 0, -50},    {ScrollAction::ToEnd, 50, 0, 50},
        {ScrollAction::None, 50, 0, 0},         {ScrollAction::LineBack, 0, 0, 0},
        {ScrollAction::LineForward, 100, 0, 0}, {ScrollAction::LineForward, 90, 0, 10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScrollChange(c.action, c.position, 100, 200, 20, c.thumb), c.expected)
            << static_cast<int>(c.action) << " from " << c.position;
    // A page is never less than a line.
    EXPECT_EQ(ScrollChange(ScrollAction::PageForward, 0, 1000, 10, 20), 20);
}

TEST(ZoomKeepingCentre, TheCentrePointStaysPut)
{
    // 1000 x 800 in 400 x 300 at 100 %, scrolled to (100, 50): the centre
    // (200, 150) shows picture point (300, 200).
    LayoutInput next = Input(400, 300, 1000, 800, 200, 0);
    const PixelRect old{-100, -50, 900, 750};
    EXPECT_EQ(ZoomKeepingCentre(next, old, 400, 300), (ScrollPosition{400, 250}));

    // Zooming out below the window's size clamps to the start.
    next.ZoomPercent = 50;
    EXPECT_EQ(ZoomKeepingCentre(next, old, 400, 300), (ScrollPosition{0, 0}));

    // At the far end, zooming out a little clamps to the new maximum: 900 x
    // 720 scrolls to 500 x 420 at most.
    next.ZoomPercent = 90;
    const PixelRect nearEnd{-599, -499, 401, 301};
    EXPECT_EQ(ZoomKeepingCentre(next, nearEnd, 400, 300), (ScrollPosition{900 - 400, 720 - 300}));
}

TEST(ZoomKeepingCentre, FromFitMode)
{
    // Fitted: 1000 x 800 shown as (0, 0, 375, 300) in 400 x 300.
    LayoutInput next = Input(400, 300, 1000, 800, 100, 0);
    next.FitToWindow = true; // the zoom leaves fit mode whatever it was
    EXPECT_EQ(ZoomKeepingCentre(next, PixelRect{0, 0, 375, 300}, 400, 300), (ScrollPosition{333, 250}));
    // A rectangle with no width or height leaves that position alone.
    next.ScrollX = 12;
    next.ScrollY = 34;
    EXPECT_EQ(ZoomKeepingCentre(next, PixelRect{0, 0, 0, 0}, 400, 300), (ScrollPosition{12, 34}));
}

TEST(PrintedSize, FollowsTheImageResolution)
{
    struct Case {
        int32_t printerX, printerY, width, height, imageX, imageY;
        PrintSize expected;
    } cases[] = {
        {600, 600, 1700, 800, 300, 300, {3400, 1600}},
        {600, 600, 1500, 750, 0, 0, {6000, 3000}}, // no resolution: 150 dpi
        {600, 300, 300, 300, 200, 0, {900, 600}},  // each direction on its own
        {1200, 1200, 1000, 1000, 7, 7, {171429, 171429}},
        {300, 300, 2100, 1000, 300, 300, {2100, 1000}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrintedSize(c.printerX, c.printerY, c.width, c.height, c.imageX, c.imageY), c.expected)
            << c.width << "x" << c.height << " at " << c.imageX << "/" << c.imageY;
}

TEST(TextList, LinesWithTerminatorsAndAClosingEmptyLine)
{
    const std::string list = MakeTextList({"12!45", "", "BARCODE"});
    EXPECT_EQ(list, std::string("12!45\0BARCODE\0\0", 15));
    EXPECT_EQ(TextListLines(list), (std::vector<std::string>{"12!45", "BARCODE"}));

    EXPECT_EQ(MakeTextList({}), std::string("\0", 1));
    EXPECT_TRUE(TextListLines(MakeTextList({})).empty());
    EXPECT_TRUE(TextListLines(std::string()).empty());
}

TEST(TextList, AtMostSevenStripsAndNeverPastTheBuffer)
{
    std::vector<std::string> nine;
    for (int i = 1; i <= 9; ++i)
        nine.push_back("line " + std::to_string(i));
    const std::string list = MakeTextList(nine);
    EXPECT_EQ(TextListLines(list).size(), MaxTextStrips);
    EXPECT_EQ(TextListLines(list, 100).size(), 9u);

    // 1534 characters, its NUL and the closing NUL fill the buffer exactly.
    EXPECT_EQ(MakeTextList({std::string(1534, 'x')}).size(), TextListSize);
    EXPECT_EQ(MakeTextList({std::string(1535, 'x')}), std::string("\0", 1));
    const std::string two = MakeTextList({std::string(1000, 'a'), std::string(1000, 'b')});
    EXPECT_EQ(TextListLines(two, 100), (std::vector<std::string>{std::string(1000, 'a')}));

    // A list cut off without its end shows only its whole lines.
    EXPECT_EQ(TextListLines(std::string("ABC\0DE", 6)), (std::vector<std::string>{"ABC"}));
}

TEST(ChildCreateGuard, ACreationStartedWhileAnotherPumpsEventsWaitsForIt)
{
    platform::ChildCreateGuard guard;
    std::vector<std::string> order;
    bool nestedRanNow = true;
    const bool firstRanNow = guard.Run([&] {
        order.push_back("first begins");
        // While the first pumps events, one of them starts a second creation.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [&] { nestedRanNow = guard.Run([&] { order.push_back("second"); }); }, Qt::QueuedConnection);
        QCoreApplication::processEvents();
        EXPECT_EQ(guard.Waiting(), 1u);
        order.push_back("first ends");
    });
    EXPECT_TRUE(firstRanNow);
    EXPECT_FALSE(nestedRanNow);
    EXPECT_EQ(order, (std::vector<std::string>{"first begins", "first ends", "second"}));
    EXPECT_FALSE(guard.Busy());
}

TEST(ChildCreateGuard, QueuedCreationsKeepTheirOrderEvenWhenTheyQueueMore)
{
    platform::ChildCreateGuard guard;
    std::vector<int> order;
    guard.Run([&] {
        guard.Run([&] {
            order.push_back(2);
            guard.Run([&] { order.push_back(4); });
        });
        guard.Run([&] { order.push_back(3); });
        order.push_back(1);
    });
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
    // With nothing under way a creation runs at once.
    bool ran = false;
    EXPECT_TRUE(guard.Run([&] { ran = true; }));
    EXPECT_TRUE(ran);
}
