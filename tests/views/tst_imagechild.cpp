// Image child windows in a real frame: the slot ring, text strips, titles,
// the "&View" check marks, scrolling that moves pixels, zoom, fit and print.
#include <QAbstractSlider>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPaintEvent>
#include <QPointer>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include "RecordingVnApi.h"
#include "ScriptedOperator.h"
#include "core/BenchState.h"
#include "app/FrameWindow.h"
#include "core/CommandTable.h"
#include "core/ReplyCodes.h"
#include "views/ChildWindows.h"
#include "views/DibToBitmap.h"
#include "views/ImageChild.h"
#include "views/TextLines.h"
#include "views/TextStrip.h"

namespace {

// Every pixel says where it is, so a picture shifted by any amount shows.
QImage Picture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, ((x >> 8) * 40 + (y >> 8) * 90) & 0xFF));
    return image;
}

// Records the region of every paint event its widget gets.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
    std::vector<QRegion> Regions;

    // All that was painted within a rectangle (a bar's value change also has
    // the window paint what lies under the bar).
    QRegion PaintedWithin(const QRect& rect) const
    {
        QRegion all;
        for (const QRegion& region : Regions)
            all += region & rect;
        return all;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            Regions.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

// Where the picture pixel shown at a point of the child's image area comes
// from, at 100 % and unscrolled by the fit.
QPoint PicturePointAt(const ImageChild& child, QPoint widgetPoint)
{
    const QRect painted = child.PaintedImageRect();
    return widgetPoint - painted.topLeft();
}

} // namespace

class ImageChildTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void slotRingClosesTheOldestFirst();
    void aWindowClosedByHandFreesItsSlot();
    void codelineOffMeansNoStripsAndThePictureAtTheTop();
    void stripsSitAboveThePicture();
    void atMostSevenStrips();
    void textOnlyWindowIsAsBigAsItsText();
    void stripsLeaveTheWholePictureInView();
    void exclamationMarkIsRedAmongBlackDigits();
    void titles_data();
    void titles();
    void viewPopupFollowsTheActiveChild();
    void scrollingMovesPixelsAndPaintsOnlyTheBand();
    void verticalScrollLeavesTheStripsInPlace();
    void barsDriveTheScrollPosition();
    void resizingBringsBarsAndTakesThemAway();
    void zoomCommandKeepsTheCentre();
    void normalAndFitCommands();
    void printWithoutAPrinterWritesAPdf();

private:
    ImageChild* Show(const QString& title, const QImage& picture, bool fit, const std::string& texts = {});
    ImageChild* Active() const;
    QMdiArea* Mdi() const { return Frame->MdiClient(); }
    QImage ScreenOf(QWidget* widget) const;

    QTemporaryDir Dir;
    std::unique_ptr<BenchState> State;
    std::unique_ptr<RecordingVnApi> Api;
    std::unique_ptr<ScriptedOperator> Op;
    std::unique_ptr<FrameWindow> Frame;
};

void ImageChildTest::init()
{
    State = std::make_unique<BenchState>();
    State->ProgramFolder = Dir.path().toStdString() + "/";
    Api = std::make_unique<RecordingVnApi>();
    Op = std::make_unique<ScriptedOperator>();
    Frame = std::make_unique<FrameWindow>(*State, *Api, Op.get());
    Frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frame.get()));
}

void ImageChildTest::cleanup()
{
    Frame.reset();
    Op.reset();
    Api.reset();
    State.reset();
}

ImageChild* ImageChildTest::Show(const QString& title, const QImage& picture, bool fit, const std::string& texts)
{
    QMdiSubWindow* sub =
        Frame->ImageWindows().CreateImageChild(texts.empty() ? MakeTextList({}) : texts, title, picture, fit);
    return sub ? qobject_cast<ImageChild*>(sub->widget()) : nullptr;
}

ImageChild* ImageChildTest::Active() const
{
    QMdiSubWindow* sub = Mdi()->activeSubWindow();
    return sub ? qobject_cast<ImageChild*>(sub->widget()) : nullptr;
}

// What the frame's window holds on screen over a widget: the backing store,
// not a fresh rendering, so pixels moved by scrolling are checked as moved.
QImage ImageChildTest::ScreenOf(QWidget* widget) const
{
    const QImage whole = Frame->screen()->grabWindow(Frame->winId()).toImage();
    return whole.copy(QRect(widget->mapTo(Frame.get(), QPoint(0, 0)), widget->size()));
}

void ImageChildTest::slotRingClosesTheOldestFirst()
{
    std::vector<QPointer<QMdiSubWindow>> made;
    const QImage picture = Picture(40, 30);
    for (int i = 1; i <= 12; ++i) {
        made.emplace_back(Frame->ImageWindows().CreateImageChild(MakeTextList({}), QString("W%1").arg(i), picture,
                                                                 true));
        QVERIFY(made.back());
    }
    QCOMPARE(Mdi()->subWindowList().size(), 12);
    QCOMPARE(Frame->ImageWindows().NextSlot(), 12);

    QPointer<QMdiSubWindow> thirteenth =
        Frame->ImageWindows().CreateImageChild(MakeTextList({}), "W13", picture, true);
    QTRY_VERIFY(made[0].isNull());
    for (size_t i = 1; i < made.size(); ++i)
        QVERIFY2(!made[i].isNull(), qPrintable(QString("W%1 should still be open").arg(i + 1)));
    QCOMPARE(Mdi()->subWindowList().size(), 12);
    QCOMPARE(Frame->ImageWindows().Slot(0), thirteenth.data());

    QPointer<QMdiSubWindow> fourteenth =
        Frame->ImageWindows().CreateImageChild(MakeTextList({}), "W14", picture, true);
    QTRY_VERIFY(made[1].isNull());
    QVERIFY(!made[2].isNull());
    QVERIFY(!thirteenth.isNull());
    QCOMPARE(Frame->ImageWindows().NextSlot(), 2);
    // The full ring keeps cascading.
    QVERIFY(fourteenth->pos() != thirteenth->pos());
}

void ImageChildTest::aWindowClosedByHandFreesItsSlot()
{
    std::vector<QPointer<QMdiSubWindow>> made;
    for (int i = 1; i <= 12; ++i)
        made.emplace_back(
            Frame->ImageWindows().CreateImageChild(MakeTextList({}), QString("W%1").arg(i), Picture(8, 8), true));
    made[0]->close();
    QTRY_VERIFY(made[0].isNull());
    // Slot 0 is free now: the thirteenth window closes nothing.
    Frame->ImageWindows().CreateImageChild(MakeTextList({}), "W13", Picture(8, 8), true);
    QCOMPARE(Mdi()->subWindowList().size(), 12);
    QTest::qWait(0);
    QVERIFY(!made[1].isNull());
}

void ImageChildTest::codelineOffMeansNoStripsAndThePictureAtTheTop()
{
    State->ViewCodelineOption = 0;
    State->FitImageOption = 0;
    const QImage picture = Picture(300, 200);
    const auto front = BitmapToDib(picture, 24);
    DocumentShow document;
    document.DocumentNumber = 1;
    document.Front = front.get();
    document.Text1 = "12345";
    document.Text2 = "BARCODE";
    QCOMPARE(Frame->ImageWindows().ShowDocumentImages(document), 1);

    ImageChild* child = Active();
    QVERIFY(child);
    QVERIFY(child->findChildren<TextStrip*>().isEmpty());
    QCOMPARE(child->Record().TextHeight, 0);
    QCOMPARE(child->PaintedImageRect().topLeft(), QPoint(0, 0));
    const QImage shown = child->grab().toImage();
    QCOMPARE(shown.pixel(0, 0), picture.pixel(0, 0));
    QCOMPARE(shown.pixel(17, 9), picture.pixel(17, 9));
}

void ImageChildTest::stripsSitAboveThePicture()
{
    State->FitImageOption = 0;
    const QImage picture = Picture(300, 200);
    ImageChild* child = Show("strips", picture, false, MakeTextList({"12345", "BARCODE"}));
    QVERIFY(child);
    const auto strips = child->findChildren<TextStrip*>();
    QCOMPARE(strips.size(), 2);
    QCOMPARE(strips[0]->objectName(), QString("VarnTEXT"));
    QCOMPARE(strips[0]->Text(), QString("12345"));
    QCOMPARE(strips[0]->geometry(), QRect(0, 0, child->Record().ClientWidth, 25));
    QCOMPARE(strips[1]->geometry(), QRect(0, 24, child->Record().ClientWidth, 25));
    QCOMPARE(child->Record().TextHeight, 48);
    // Below the second strip's bottom border (row 48).
    QCOMPARE(child->PaintedImageRect().top(), 49);

    const QImage shown = child->grab().toImage();
    QCOMPARE(shown.pixel(10, 49), picture.pixel(10, 0));
    QCOMPARE(shown.pixel(10, 60), picture.pixel(10, 11));
}

void ImageChildTest::stripsLeaveTheWholePictureInView()
{
    const QImage picture = Picture(300, 600);
    ImageChild* child = Show("three", picture, false, MakeTextList({"111", "222", "333"}));
    QTRY_VERIFY(child->isVisible());
    QCoreApplication::processEvents();
    const ImageChildRecord& r = child->Record();
    QCOMPARE(child->ImageArea().top(), 73);

    // Scrolled to the end, the last row is the client area's last row.
    child->OnScroll(Qt::Vertical, ScrollAction::ToEnd);
    QCOMPARE(r.ScrollMaxY, 600 - child->ImageArea().height());
    QCOMPARE(child->PaintedImageRect().bottom(), r.ClientHeight - 1);
    QImage shown = child->grab().toImage();
    QCOMPARE(shown.pixel(7, r.ClientHeight - 1), picture.pixel(7, 599));

    // Fitted, the whole picture lies below the strips and within the window.
    child->FitImageToWindow();
    const QRect fitted = child->PaintedImageRect();
    QCOMPARE(fitted.top(), 73);
    QVERIFY(fitted.bottom() <= r.ClientHeight - 1);
    QVERIFY(fitted.height() == child->ImageArea().height() || fitted.width() == r.ClientWidth);
}

void ImageChildTest::textOnlyWindowIsAsBigAsItsText()
{
    DocumentShow document;
    document.Text1 = "<0123456789<;0012345678;00001234";
    QCOMPARE(Frame->ImageWindows().ShowDocumentImages(document), 1);
    ImageChild* child = Active();
    QVERIFY(child);
    const auto strips = child->findChildren<TextStrip*>();
    QCOMPARE(strips.size(), 1);
    QCOMPARE(child->height(), TextStrip::StripsBottom(1));
    QVERIFY(child->width() >= strips[0]->NeededWidth());
    QVERIFY(child->parentWidget()->height() < Mdi()->viewport()->height() / 2);
}

void ImageChildTest::atMostSevenStrips()
{
    std::vector<std::string> lines;
    for (int i = 1; i <= 9; ++i)
        lines.push_back("line " + std::to_string(i));
    ImageChild* child = Show("nine", Picture(50, 50), true, MakeTextList(lines));
    const auto strips = child->findChildren<TextStrip*>();
    QCOMPARE(strips.size(), 7);
    QCOMPARE(child->Record().TextHeight, 7 * 24);
    QCOMPARE(strips.last()->Text(), QString("line 7"));
}

void ImageChildTest::exclamationMarkIsRedAmongBlackDigits()
{
    const auto front = BitmapToDib(Picture(400, 100), 24);
    DocumentShow document;
    document.Front = front.get();
    document.Text1 = "12!45";
    Frame->ImageWindows().ShowDocumentImages(document);
    const auto strips = Active()->findChildren<TextStrip*>();
    QCOMPARE(strips.size(), 1);
    TextStrip* strip = strips[0];

    const QImage pixels = strip->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect area = strip->TextArea();
    const int markStart = strip->CharacterX(2);
    const int markEnd = strip->CharacterX(3);
    int red = 0, blackBefore = 0, blackAfter = 0, redOutside = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = pixels.pixel(x, y);
            if (p == qRgb(255, 0, 0)) {
                ++red;
                if (x < markStart || x >= markEnd)
                    ++redOutside;
            } else if (p == qRgb(0, 0, 0)) {
                if (x < markStart)
                    ++blackBefore;
                else if (x >= markEnd)
                    ++blackAfter;
            }
        }
    }
    QVERIFY2(red > 0, "the '!' is drawn in red");
    QCOMPARE(redOutside, 0);
    QVERIFY2(blackBefore > 0 && blackAfter > 0, "the digits on both sides are black");
}

void ImageChildTest::titles_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("prefix");
    QTest::addColumn<bool>("front");
    QTest::addColumn<bool>("back");
    QTest::addColumn<bool>("frontConverts");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<int>("result");

    const QStringList codeline{"12345"};
    QTest::newRow("both sides") << 0 << 0 << true << true << true << codeline
                                << QStringList{" Back 12", " Front 12"} << 2;
    QTest::newRow("double feed with prefix")
        << 7 << 3 << true << true << true << codeline
        << QStringList{"3 - Back 12 -*- Warning Double Leafing", "3 - Front 12 -*- Warning Double Leafing"} << 2;
    QTest::newRow("front only") << 0 << 0 << true << false << true << codeline << QStringList{" Front 12"} << 1;
    QTest::newRow("text only") << 0 << 0 << false << false << true << codeline << QStringList{" Codeline"} << 1;
    QTest::newRow("text only, prefix") << 7 << 5 << false << false << true << codeline
                                       << QStringList{"5 - Codeline"} << 1;
    QTest::newRow("back and texts, no front") << 0 << 0 << false << true << true << codeline
                                              << QStringList{" Back 12"} << 1;
    QTest::newRow("nothing at all") << 0 << 0 << false << false << true << QStringList{} << QStringList{} << 0;
    QTest::newRow("front cannot be converted") << 0 << 0 << true << true << false << codeline
                                               << QStringList{" Back 12"} << -1;
}

void ImageChildTest::titles()
{
    QFETCH(int, status);
    QFETCH(int, prefix);
    QFETCH(bool, front);
    QFETCH(bool, back);
    QFETCH(bool, frontConverts);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, titles);
    QFETCH(int, result);

    const auto good = BitmapToDib(Picture(120, 60), 8);
    const PackedBitmap broken(std::vector<uint8_t>(10, 0));
    DocumentShow document;
    document.Status = status;
    document.Prefix = static_cast<uint16_t>(prefix);
    document.DocumentNumber = 12;
    document.Front = front ? (frontConverts ? good.get() : &broken) : nullptr;
    document.Back = back ? good.get() : nullptr;
    if (!texts.isEmpty())
        document.Text1 = texts.first();

    QCOMPARE(Frame->ImageWindows().ShowDocumentImages(document), result);
    QStringList made;
    for (QMdiSubWindow* sub : Mdi()->subWindowList(QMdiArea::CreationOrder))
        made << sub->windowTitle();
    QCOMPARE(made, titles);
    // The strips go on the front window (or the text window), never the back.
    for (QMdiSubWindow* sub : Mdi()->subWindowList()) {
        const bool isBack = sub->windowTitle().contains(" Back ");
        QCOMPARE(sub->widget()->findChildren<TextStrip*>().size(), isBack ? 0 : texts.size());
    }
}

void ImageChildTest::viewPopupFollowsTheActiveChild()
{
    auto checked = [this](int id) { return Frame->ActionFor(id)->isChecked(); };
    auto enabled = [this](int id) { return Frame->ActionFor(id)->isEnabled(); };

    ImageChild* fitted = Show("fitted", Picture(300, 200), true);
    ImageChild* normal = Show("normal", Picture(300, 200), false);
    Mdi()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(normal->parentWidget()));
    Frame->UpdatePopup(MenuPopup::View);
    QVERIFY(enabled(Cmd::Normal) && enabled(Cmd::Zoom) && enabled(Cmd::FitImageToWindow));
    QVERIFY(checked(Cmd::Normal));
    QVERIFY(!checked(Cmd::Zoom));
    QVERIFY(!checked(Cmd::FitImageToWindow));

    normal->ApplyZoom(250);
    Frame->UpdatePopup(MenuPopup::View);
    QVERIFY(!checked(Cmd::Normal));
    QVERIFY(checked(Cmd::Zoom));

    Mdi()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(fitted->parentWidget()));
    Frame->UpdatePopup(MenuPopup::View);
    QVERIFY(checked(Cmd::FitImageToWindow));
    QVERIFY(!checked(Cmd::Normal) && !checked(Cmd::Zoom));

    // The commands reach the active child through the frame.
    Frame->OnFrameCommand(Cmd::Normal);
    Frame->UpdatePopup(MenuPopup::View);
    QVERIFY(checked(Cmd::Normal) && !checked(Cmd::FitImageToWindow));
    Frame->OnFrameCommand(Cmd::FitImageToWindow);
    Frame->UpdatePopup(MenuPopup::View);
    QVERIFY(checked(Cmd::FitImageToWindow) && !checked(Cmd::Normal));

    Frame->OnFrameCommand(Cmd::CloseAll);
    QTRY_VERIFY(Mdi()->subWindowList().isEmpty());
    Frame->UpdatePopup(MenuPopup::File);
    Frame->UpdatePopup(MenuPopup::View);
    QVERIFY(!enabled(Cmd::Normal) && !enabled(Cmd::Zoom) && !enabled(Cmd::FitImageToWindow));
    QVERIFY(!checked(Cmd::Normal) && !checked(Cmd::Zoom) && !checked(Cmd::FitImageToWindow));
    QVERIFY(!enabled(Cmd::SaveFile) && !enabled(Cmd::Print));
}

void ImageChildTest::scrollingMovesPixelsAndPaintsOnlyTheBand()
{
    const QImage picture = Picture(2100, 1000);
    ImageChild* child = Show("scroll", picture, false);
    QVERIFY(child);
    QTRY_VERIFY(child->isVisible());
    QCoreApplication::processEvents();
    const ImageChildRecord& r = child->Record();
    QVERIFY(r.ScrollMaxX > 0);

    PaintRecorder recorder(child);
    child->OnScroll(Qt::Horizontal, ScrollAction::LineForward);
    QCOMPARE(r.ScrollX, r.LineStepX);
    QCOMPARE(r.DisplayRect.Left, -r.LineStepX);
    QCOMPARE(child->HorizontalBar()->value(), r.ScrollX);
    const QRect client(0, 0, r.ClientWidth, r.ClientHeight);
    QCOMPARE(recorder.PaintedWithin(client), QRegion(r.ClientWidth - r.LineStepX, 0, r.LineStepX, r.ClientHeight));

    // What is on screen is the picture moved left by one line step, both the
    // pixels that were moved and the band that was painted.
    const QImage screen = ScreenOf(child);
    for (const QPoint p : {QPoint(0, 0), QPoint(5, 7), QPoint(r.ClientWidth / 2, r.ClientHeight / 2),
                           QPoint(r.ClientWidth - r.LineStepX - 1, 3), QPoint(r.ClientWidth - r.LineStepX, 3),
                           QPoint(r.ClientWidth - 1, r.ClientHeight - 1)}) {
        const QPoint source = PicturePointAt(*child, p);
        QCOMPARE(screen.pixel(p), picture.pixel(source));
    }

    // Back again: the band is on the left now.
    recorder.Regions.clear();
    child->OnScroll(Qt::Horizontal, ScrollAction::LineBack);
    QCOMPARE(r.ScrollX, 0);
    QCOMPARE(recorder.PaintedWithin(client), QRegion(0, 0, r.LineStepX, r.ClientHeight));

    // Nothing to move, nothing painted.
    recorder.Regions.clear();
    child->OnScroll(Qt::Horizontal, ScrollAction::LineBack);
    QCOMPARE(r.ScrollX, 0);
    QVERIFY(recorder.Regions.empty());
}

void ImageChildTest::verticalScrollLeavesTheStripsInPlace()
{
    const QImage picture = Picture(600, 3000);
    ImageChild* child = Show("strips", picture, false, MakeTextList({"12345", "67890"}));
    QTRY_VERIFY(child->isVisible());
    QCoreApplication::processEvents();
    const ImageChildRecord& r = child->Record();
    const auto strips = child->findChildren<TextStrip*>();

    PaintRecorder recorder(child);
    child->OnScroll(Qt::Vertical, ScrollAction::PageForward);
    QCOMPARE(r.ScrollY, PageStep(child->ImageArea().height(), r.LineStepY));
    QCOMPARE(strips[0]->geometry().topLeft(), QPoint(0, 0));
    QCOMPARE(strips[1]->geometry().topLeft(), QPoint(0, 24));
    // The band below the strips: what the page step brought in.
    const QRect area = child->ImageArea();
    const int moved = std::min(r.ScrollY, area.height());
    QCOMPARE(recorder.PaintedWithin(QRect(0, 0, r.ClientWidth, r.ClientHeight)),
             QRegion(0, area.bottom() + 1 - moved, r.ClientWidth, moved));

    const QImage screen = ScreenOf(child);
    for (const QPoint p : {QPoint(3, area.top()), QPoint(100, area.top() + 40), QPoint(9, r.ClientHeight - 1)}) {
        const QPoint source = PicturePointAt(*child, p);
        QCOMPARE(screen.pixel(p), picture.pixel(source));
    }
}

void ImageChildTest::barsDriveTheScrollPosition()
{
    ImageChild* child = Show("bars", Picture(2100, 1000), false);
    QTRY_VERIFY(child->isVisible());
    const ImageChildRecord& r = child->Record();
    QScrollBar* bar = child->HorizontalBar();
    QVERIFY(!bar->isHidden());
    QCOMPARE(bar->maximum(), r.ScrollMaxX);
    QCOMPARE(bar->singleStep(), r.LineStepX);

    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(r.ScrollX, PageStep(r.ClientWidth, r.LineStepX));
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(r.ScrollX, r.ScrollMaxX);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(r.ScrollX, r.ScrollMaxX);
    bar->setSliderPosition(500);
    QCOMPARE(r.ScrollX, 500);
    QCOMPARE(r.DisplayRect.Left, -500);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(r.ScrollX, 0);
    QCOMPARE(bar->value(), 0);
}

void ImageChildTest::resizingBringsBarsAndTakesThemAway()
{
    ImageChild* child = Show("resize", Picture(400, 300), false);
    auto* sub = qobject_cast<QMdiSubWindow*>(child->parentWidget());
    sub->resize(700, 600);
    QTRY_VERIFY(child->width() > 400 && child->height() > 300);
    QVERIFY(child->HorizontalBar()->isHidden());
    QVERIFY(child->VerticalBar()->isHidden());
    QCOMPARE(child->Record().ClientWidth, child->width());

    sub->resize(300, 250);
    QTRY_VERIFY(child->width() < 400);
    QVERIFY(!child->HorizontalBar()->isHidden());
    QVERIFY(!child->VerticalBar()->isHidden());
    const int extent = child->ScrollBarExtent();
    QCOMPARE(child->Record().ClientWidth, child->width() - extent);
    QCOMPARE(child->Record().ClientHeight, child->height() - extent);
    QCOMPARE(child->Record().ScrollMaxX, 400 - child->Record().ClientWidth);
}

void ImageChildTest::zoomCommandKeepsTheCentre()
{
    ImageChild* child = Show("zoom", Picture(2100, 1000), false);
    QTRY_VERIFY(child->isVisible());
    child->OnScroll(Qt::Horizontal, ScrollAction::Thumb, 700);
    child->OnScroll(Qt::Vertical, ScrollAction::Thumb, 300);
    const ImageChildRecord& r = child->Record();
    // The picture point at the centre of the client area.
    auto centrePoint = [&r] {
        const int cx = r.ClientWidth / 2, cy = r.ClientHeight / 2;
        return QPointF(double(cx - r.DisplayRect.Left) * 2100 / r.DisplayRect.Width(),
                       double(cy - r.DisplayRect.Top) * 1000 / r.DisplayRect.Height());
    };
    const QPointF before = centrePoint();

    Op->QueueDialog([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("PercentageEdit")->setText("250");
        dialog.findChild<QPushButton*>("OK")->click();
        return dialog.result();
    });
    Frame->OnFrameCommand(Cmd::Zoom);
    QCOMPARE(Op->DialogTitles.back(), QString("Zoom Factor"));
    QCOMPARE(child->ZoomPercent(), 250);
    QVERIFY(!child->IsFitToWindow());
    QCOMPARE(r.DisplayRect.Width(), 5250);
    const QPointF after = centrePoint();
    QVERIFY2(std::abs(after.x() - before.x()) <= 1 && std::abs(after.y() - before.y()) <= 1,
             qPrintable(QString("centre moved from %1,%2 to %3,%4")
                            .arg(before.x())
                            .arg(before.y())
                            .arg(after.x())
                            .arg(after.y())));

    // Cancel leaves everything as it was.
    const int32_t scrollX = r.ScrollX;
    Op->QueueDialog([](QDialog& dialog) {
        dialog.findChild<QPushButton*>("Cancel")->click();
        return dialog.result();
    });
    Frame->OnFrameCommand(Cmd::Zoom);
    QCOMPARE(child->ZoomPercent(), 250);
    QCOMPARE(r.ScrollX, scrollX);
}

void ImageChildTest::normalAndFitCommands()
{
    ImageChild* child = Show("fit", Picture(2100, 1000), true);
    QTRY_VERIFY(child->isVisible());
    const ImageChildRecord& r = child->Record();
    // Fitted: the whole picture within the client area, its aspect kept.
    QCOMPARE(r.DisplayRect.Left, 0);
    QCOMPARE(r.DisplayRect.Top, 0);
    QVERIFY(r.DisplayRect.Right <= r.ClientWidth && r.DisplayRect.Bottom <= r.ClientHeight);
    QVERIFY(r.DisplayRect.Right == r.ClientWidth || r.DisplayRect.Bottom == r.ClientHeight);
    QVERIFY(std::abs(r.DisplayRect.Width() * 1000 - r.DisplayRect.Height() * 2100) <= 2100);
    QVERIFY(child->HorizontalBar()->isHidden() && child->VerticalBar()->isHidden());

    Frame->OnFrameCommand(Cmd::Normal);
    QCOMPARE(r.DisplayRect.Width(), 2100);
    QCOMPARE(r.DisplayRect.Height(), 1000);
    QVERIFY(!child->HorizontalBar()->isHidden());

    child->ApplyZoom(40);
    Frame->OnFrameCommand(Cmd::FitImageToWindow);
    QVERIFY(child->IsFitToWindow());
    QCOMPARE(child->ZoomPercent(), 100);
}

void ImageChildTest::printWithoutAPrinterWritesAPdf()
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("a printer is configured here");
    QImage picture = Picture(300, 150);
    picture.setDotsPerMeterX(11811); // 300 dpi: one inch by half an inch
    picture.setDotsPerMeterY(11811);
    Show("print", picture, true);
    Frame->OnFrameCommand(Cmd::Print);

    const QString pdf = Dir.filePath("Print.pdf");
    QVERIFY(QFile::exists(pdf));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    QCOMPARE(Op->Messages.size(), size_t(1));
    QCOMPARE(Op->Messages[0].Title, DemoTitle);
    QVERIFY(Op->Messages[0].Text.contains(pdf));
    QVERIFY(!Op->BusyCursor);
}

QTEST_MAIN(ImageChildTest)
#include "tst_imagechild.moc"
