#include "views/ImageLayout.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    const int64_t divisor = c;
    int64_t quotient = product / divisor;
    const int64_t remainder = product % divisor;
    // Half away from zero, whatever the signs.
    if (2 * std::llabs(remainder) >= std::llabs(divisor))
        quotient += ((product < 0) != (divisor < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<int32_t>::max() || quotient < std::numeric_limits<int32_t>::min())
        return -1;
    return static_cast<int32_t>(quotient);
}

PixelRect FitRect(int32_t visibleWidth, int32_t visibleHeight, int32_t imageWidth, int32_t imageHeight)
{
    PixelRect rect{0, 0, visibleWidth, visibleHeight};
    if (imageWidth <= 0 || imageHeight <= 0)
        return rect;
    const int32_t width = MulDiv(visibleHeight, imageWidth, imageHeight);
    if (width > visibleWidth)
        rect.Bottom = MulDiv(visibleWidth, imageHeight, imageWidth);
    else
        rect.Right = width;
    return rect;
}

int32_t PageStep(int32_t visible, int32_t lineStep) { return std::max(visible - lineStep, lineStep); }

ImageLayout ComputeLayout(const LayoutInput& in)
{
    ImageLayout out;
    if (!in.FitToWindow) {
        out.ZoomedWidth = MulDiv(in.ImageWidth, in.ZoomPercent, 100);
        out.ZoomedHeight = MulDiv(in.ImageHeight, in.ZoomPercent, 100);
    }

    // The size with no bars at all, then the bars the zoomed picture needs,
    // horizontal first when it is too wide. The picture has the height left
    // below the strips.
    int32_t width = in.ClientWidth + (in.VerticalBarShown ? in.VerticalBarAllowance : 0);
    int32_t height = in.ClientHeight + (in.HorizontalBarShown ? in.HorizontalBarAllowance : 0);
    const int32_t strips = std::max(in.StripsHeight, 0);
    auto pictureHeight = [&] { return std::max(height - strips, 0); };
    if (out.ZoomedWidth > width) {
        out.HorizontalBarNeeded = true;
        height -= in.HorizontalBarAllowance;
        if (out.ZoomedHeight > pictureHeight()) {
            out.VerticalBarNeeded = true;
            width -= in.VerticalBarAllowance;
        }
    } else if (out.ZoomedHeight > pictureHeight()) {
        out.VerticalBarNeeded = true;
        width -= in.VerticalBarAllowance;
        if (out.ZoomedWidth > width) {
            out.HorizontalBarNeeded = true;
            height -= in.HorizontalBarAllowance;
        }
    }
    out.VisibleWidth = width;
    out.VisibleHeight = height;
    out.PictureHeight = pictureHeight();

    out.LineStepX = std::max(width / 10, 1);
    out.LineStepY = std::max(out.PictureHeight / 10, 1);
    out.PageStepX = PageStep(width, out.LineStepX);
    out.PageStepY = PageStep(out.PictureHeight, out.LineStepY);
    // At the largest position the last column and row are on screen.
    out.ScrollMaxX = std::max(out.ZoomedWidth - width, 0);
    out.ScrollMaxY = std::max(out.ZoomedHeight - out.PictureHeight, 0);
    out.ScrollX = std::clamp(in.ScrollX, 0, out.ScrollMaxX);
    out.ScrollY = std::clamp(in.ScrollY, 0, out.ScrollMaxY);

    if (in.FitToWindow) {
        out.DisplayRect = FitRect(width, out.PictureHeight, in.ImageWidth, in.ImageHeight);
    } else {
        out.DisplayRect = PixelRect{0, 0, out.ZoomedWidth, out.ZoomedHeight};
        out.DisplayRect.Offset(-out.ScrollX, -out.ScrollY);
    }
    return out;
}

int32_t ScrollChange(ScrollAction action, int32_t position, int32_t maximum, int32_t visible, int32_t lineStep,
                     int32_t thumb)
{
    const int32_t page = PageStep(visible, lineStep);
    int32_t change = 0;
    switch (action) {
    case ScrollAction::LineBack: change = -lineStep; break;
    case ScrollAction::LineForward: change = lineStep; break;
    case ScrollAction::PageBack: change = -page; break;
    case ScrollAction::PageForward: change = page; break;
    case ScrollAction::Thumb: change = thumb - position; break;
    case ScrollAction::ToStart: change = -position; break;
    case ScrollAction::ToEnd: change = maximum - position; break;
    case ScrollAction::None: change = 0; break;
    }
    return std::clamp(position + change, 0, std::max(maximum, 0)) - position;
}

ScrollPosition ZoomKeepingCentre(const LayoutInput& next, const PixelRect& oldRect, int32_t clientWidth,
                                 int32_t clientHeight)
{
    LayoutInput target = next;
    target.FitToWindow = false;
    const int32_t newWidth = MulDiv(target.ImageWidth, target.ZoomPercent, 100);
    const int32_t newHeight = MulDiv(target.ImageHeight, target.ZoomPercent, 100);
    const int32_t cx = clientWidth / 2;
    const int32_t cy = clientHeight / 2;
    if (oldRect.Width() != 0)
        target.ScrollX = MulDiv(cx - oldRect.Left, newWidth, oldRect.Width()) - clientWidth / 2;
    if (oldRect.Height() != 0)
        target.ScrollY = MulDiv(cy - oldRect.Top, newHeight, oldRect.Height()) - clientHeight / 2;
    // The new limits are those of a layout at the new zoom.
    const ImageLayout layout = ComputeLayout(target);
    return {layout.ScrollX, layout.ScrollY};
}

PrintSize PrintedSize(int32_t printerDpiX, int32_t printerDpiY, int32_t displayedWidth, int32_t displayedHeight,
                      int32_t imageDpiX, int32_t imageDpiY)
{
    if (imageDpiX <= 0)
        imageDpiX = DefaultImageDpi;
    if (imageDpiY <= 0)
        imageDpiY = DefaultImageDpi;
    return {MulDiv(printerDpiX, displayedWidth, imageDpiX), MulDiv(printerDpiY, displayedHeight, imageDpiY)};
}
