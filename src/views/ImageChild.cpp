#include "views/ImageChild.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QStyle>

#include "core/BenchState.h"
#include "core/CommandIds.h"
#include "core/ReplyCodes.h"
#include "core/Operator.h"
#include "views/DibToBitmap.h"
#include "views/ImageFileCommands.h"
#include "views/TextLines.h"
#include "views/TextStrip.h"
#include "views/ZoomDialog.h"

namespace {

// The window's own background around the picture: the stock grey brush.
const QColor Background(128, 128, 128);

ScrollAction ActionOf(int sliderAction)
{
    switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollAction::LineBack;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollAction::LineForward;
    case QAbstractSlider::SliderPageStepSub: return ScrollAction::PageBack;
    case QAbstractSlider::SliderPageStepAdd: return ScrollAction::PageForward;
    case QAbstractSlider::SliderToMinimum: return ScrollAction::ToStart;
    case QAbstractSlider::SliderToMaximum: return ScrollAction::ToEnd;
    case QAbstractSlider::SliderMove: return ScrollAction::Thumb;
    default: return ScrollAction::None;
    }
}

} // namespace

ImageChild::ImageChild(BenchState& state, Operator& op, SaveDialogChoices& saveChoices, Content content,
                       QWidget* parent)
    : QWidget(parent), State(state), Op(op), SaveChoices(saveChoices)
{
    setObjectName("VarnCHILD");
    // Every pixel is painted here, so scrolling can move what is on screen.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);

    Data.Bitmap = std::move(content.Bitmap);
    Data.DisplayRect = {0, 0, Data.Bitmap.width(), Data.Bitmap.height()};
    Data.ZoomPercent = 100;
    Data.FitToWindow = content.FitToWindow ? 1 : 0;
    Data.TextLines = std::move(content.TextLines);
    if (!Data.Bitmap.isNull())
        Screen = Data.Bitmap.convertToFormat(QImage::Format_RGB32);

    if (content.ShowTextLines) {
        const std::vector<std::string> lines = TextListLines(Data.TextLines);
        for (size_t i = 0; i < lines.size(); ++i) {
            auto* strip = new TextStrip(QString::fromLatin1(lines[i]), this);
            strip->move(0, TextStrip::Pitch * static_cast<int>(i));
            strip->show();
            Data.TextWindows.push_back(strip);
        }
        Data.TextHeight = TextStrip::Pitch * static_cast<int32_t>(Data.TextWindows.size());
    }

    HBar = new QScrollBar(Qt::Horizontal, this);
    HBar->setObjectName("HorizontalScrollBar");
    VBar = new QScrollBar(Qt::Vertical, this);
    VBar->setObjectName("VerticalScrollBar");
    HBar->hide();
    VBar->hide();
    ConnectBar(HBar, Qt::Horizontal);
    ConnectBar(VBar, Qt::Vertical);
}

void ImageChild::ConnectBar(QScrollBar* bar, Qt::Orientation orientation)
{
    // The bar's own steps are set equal to ours, so the position it settles
    // on after the action is the one OnScroll has moved to.
    connect(bar, &QAbstractSlider::actionTriggered, this,
            [this, bar, orientation](int action) { OnScroll(orientation, ActionOf(action), bar->sliderPosition()); });
}

QSize ImageChild::sizeHint() const
{
    if (!Data.Bitmap.isNull() || Data.TextWindows.empty())
        return {480, 360};
    // Text lines alone: the widest line, all strips.
    int width = 0;
    for (const TextStrip* strip : Data.TextWindows)
        width = std::max(width, strip->NeededWidth());
    return {width, StripsBottom()};
}

int ImageChild::ScrollBarExtent() const { return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this); }

int ImageChild::StripsBottom() const
{
    return TextStrip::StripsBottom(static_cast<int>(Data.TextWindows.size()));
}

QRect ImageChild::ImageArea() const
{
    const int top = StripsBottom();
    return QRect(0, top, Data.ClientWidth, std::max(Data.ClientHeight - top, 0));
}

QRect ImageChild::PaintedImageRect() const
{
    // Below the last strip's bottom border, which would cover the first row.
    const PixelRect& r = Data.DisplayRect;
    return QRect(QPoint(r.Left, r.Top + StripsBottom()), QSize(r.Width(), r.Height()));
}

LayoutInput ImageChild::CurrentInput() const
{
    const int extent = ScrollBarExtent();
    LayoutInput in;
    in.HorizontalBarShown = !HBar->isHidden();
    in.VerticalBarShown = !VBar->isHidden();
    in.ClientWidth = width() - (in.VerticalBarShown ? extent : 0);
    in.ClientHeight = height() - (in.HorizontalBarShown ? extent : 0);
    // The bars are this window's own children and take exactly their extent.
    in.VerticalBarAllowance = extent;
    in.HorizontalBarAllowance = extent;
    in.ImageWidth = Data.Bitmap.width();
    in.ImageHeight = Data.Bitmap.height();
    in.ZoomPercent = Data.ZoomPercent;
    in.FitToWindow = Data.FitToWindow != 0;
    in.ScrollX = Data.ScrollX;
    in.ScrollY = Data.ScrollY;
    in.StripsHeight = StripsBottom();
    return in;
}

void ImageChild::Layout()
{
    // Showing or hiding a bar resizes nothing here, but a minimised window
    // has no sensible size to lay out in.
    if (InLayout)
        return;
    if (const QWidget* frame = parentWidget(); frame && frame->isMinimized())
        return;
    InLayout = true;

    const ImageLayout layout = ComputeLayout(CurrentInput());
    Data.ClientWidth = layout.VisibleWidth;
    Data.ClientHeight = layout.VisibleHeight;
    Data.LineStepX = layout.LineStepX;
    Data.LineStepY = layout.LineStepY;
    Data.ScrollMaxX = layout.ScrollMaxX;
    Data.ScrollMaxY = layout.ScrollMaxY;
    Data.ScrollX = layout.ScrollX;
    Data.ScrollY = layout.ScrollY;
    Data.DisplayRect = layout.DisplayRect;

    const int extent = ScrollBarExtent();
    auto setBar = [](QScrollBar* bar, bool shown, const QRect& geometry, int maximum, int line, int page,
                     int position) {
        const QSignalBlocker block(bar);
        bar->setRange(0, maximum);
        bar->setSingleStep(line);
        bar->setPageStep(page);
        bar->setValue(position);
        bar->setGeometry(geometry);
        bar->setVisible(shown);
    };
    setBar(HBar, layout.HorizontalBarNeeded, QRect(0, height() - extent, layout.VisibleWidth, extent),
           layout.ScrollMaxX, layout.LineStepX, layout.PageStepX, layout.ScrollX);
    setBar(VBar, layout.VerticalBarNeeded, QRect(width() - extent, 0, extent, layout.VisibleHeight),
           layout.ScrollMaxY, layout.LineStepY, layout.PageStepY, layout.ScrollY);
    PlaceStrips();
    InLayout = false;
}

void ImageChild::PlaceStrips()
{
    for (size_t i = 0; i < Data.TextWindows.size(); ++i)
        Data.TextWindows[i]->setGeometry(0, TextStrip::Pitch * static_cast<int>(i), Data.ClientWidth,
                                         TextStrip::Height);
}

void ImageChild::resizeEvent(QResizeEvent*) { Layout(); }

void ImageChild::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect client(0, 0, Data.ClientWidth, Data.ClientHeight);
    const QRegion picture = Screen.isNull() ? QRegion() : QRegion(PaintedImageRect() & client);
    // Background only around the picture, so the picture is painted once;
    // under the bars and in their corner there is no picture.
    for (const QRect& r : event->region().subtracted(picture))
        painter.fillRect(r, Background);
    if (picture.isEmpty())
        return;
    painter.setClipRect(client);
    const QRect target = PaintedImageRect();
    if (target.size() == Screen.size())
        painter.drawImage(target.topLeft(), Screen);
    else
        painter.drawImage(target, Screen);
}

void ImageChild::OnScroll(Qt::Orientation orientation, ScrollAction action, int thumb)
{
    Data.Scrolling = 1;
    const bool horizontal = orientation == Qt::Horizontal;
    int32_t& position = horizontal ? Data.ScrollX : Data.ScrollY;
    const int32_t change = ScrollChange(action, position, horizontal ? Data.ScrollMaxX : Data.ScrollMaxY,
                                        horizontal ? Data.ClientWidth : ImageArea().height(),
                                        horizontal ? Data.LineStepX : Data.LineStepY, thumb);
    if (change != 0) {
        position += change;
        const int dx = horizontal ? -change : 0;
        const int dy = horizontal ? 0 : -change;
        Data.DisplayRect.Offset(dx, dy);

        // Move what is already on screen, strips left where they are, and
        // paint only the band that comes into view.
        const QRect area = ImageArea();
        scroll(dx, dy, area);
        QScrollBar* bar = horizontal ? HBar : VBar;
        {
            const QSignalBlocker block(bar);
            bar->setValue(position);
        }
        QRect band = area;
        if (dx < 0)
            band.setLeft(std::max(area.left(), area.right() + 1 + dx));
        else if (dx > 0)
            band.setRight(std::min(area.right(), area.left() + dx - 1));
        else if (dy < 0)
            band.setTop(std::max(area.top(), area.bottom() + 1 + dy));
        else
            band.setBottom(std::min(area.bottom(), area.top() + dy - 1));
        repaint(band);
    }
    PlaceStrips();
    Data.Scrolling = 0;
}

void ImageChild::wheelEvent(QWheelEvent* event)
{
    // The wheel works the bar that is there: the vertical one first.
    QScrollBar* bar = !VBar->isHidden() ? VBar : (!HBar->isHidden() ? HBar : nullptr);
    if (bar)
        QApplication::sendEvent(bar, event);
    else
        event->ignore();
}

bool ImageChild::OnChildCommand(int id)
{
    switch (id) {
    case Cmd::SaveFile:
        Save();
        return true;
    case Cmd::Normal:
        ShowNormal();
        return true;
    case Cmd::Zoom: {
        const int percent = AskZoomFactor(Op, this, Data.ZoomPercent);
        if (percent > 0)
            ApplyZoom(percent);
        return true;
    }
    case Cmd::FitImageToWindow:
        FitImageToWindow();
        return true;
    case Cmd::Print:
        Print();
        return true;
    default:
        return false;
    }
}

void ImageChild::ShowNormal()
{
    Data.ZoomPercent = 100;
    Data.FitToWindow = 0;
    Layout();
    update();
}

void ImageChild::ApplyZoom(int percent)
{
    Data.FitToWindow = 0;
    LayoutInput next = CurrentInput();
    next.FitToWindow = false;
    next.ZoomPercent = percent;
    const ScrollPosition position = ZoomKeepingCentre(next, Data.DisplayRect, Data.ClientWidth, ImageArea().height());
    Data.ScrollX = position.X;
    Data.ScrollY = position.Y;
    Data.ZoomPercent = percent;
    Layout();
    update();
}

void ImageChild::FitImageToWindow()
{
    Data.FitToWindow = 1;
    Data.ZoomPercent = 100;
    Layout();
    update();
}

void ImageChild::Print()
{
    if (Data.Bitmap.isNull())
        return;
    QPrinter printer(QPrinter::HighResolution);
    // Without a printer the page goes to a PDF file beside the program.
    const bool toFile = QPrinterInfo::defaultPrinter().isNull();
    const QString pdfPath = QString::fromStdString(State.ProgramFolder) + "Print.pdf";
    if (toFile) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
    } else {
        QPrintDialog dialog(&printer, this);
        if (Op.Exec(dialog) != QDialog::Accepted)
            return;
    }

    Op.SetBusyCursor(true);
    const PrintSize size = PrintedSize(printer.logicalDpiX(), printer.logicalDpiY(), Data.Bitmap.width(),
                                       Data.Bitmap.height(), ImageDpiX(Data.Bitmap), ImageDpiY(Data.Bitmap));
    QPainter painter;
    const bool printed = painter.begin(&printer);
    if (printed) {
        painter.drawImage(QRect(0, 0, size.Width, size.Height), Data.Bitmap);
        painter.end();
    }
    Op.SetBusyCursor(false);
    if (toFile && printed)
        Op.Message(DemoTitle, "No printer is configured.\nThe image was printed to the file\n" + pdfPath,
                   MessageButtons::Ok, MessageIcon::Information);
}

void ImageChild::Save()
{
    if (Data.Bitmap.isNull())
        return;
    SaveImageFile(Data.Bitmap, State, Op, SaveChoices, this);
}
