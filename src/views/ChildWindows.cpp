#include "views/ChildWindows.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <memory>

#include "core/BenchState.h"
#include "core/Operator.h"
#include "views/DibToBitmap.h"
#include "views/ImageChild.h"
#include "views/TextLines.h"

namespace {

constexpr int DoubleFeedStatus = 7;

} // namespace

int NextCascadePlace(int openWindows, int lastPlace, int places)
{
    if (openWindows <= 0 || places <= 1)
        return 0;
    return (std::max(lastPlace, -1) + 1) % places;
}

ChildWindows::ChildWindows(QMdiArea& mdi, BenchState& state, Operator& op) : Mdi(mdi), State(state), Op(op) {}

QMdiSubWindow* ChildWindows::CreateImageChild(const std::string& textLines, const QString& title,
                                              const QImage& bitmap, bool fitToWindow)
{
    // A creation queued behind another runs after this call has returned, so
    // the work holds its own copies.
    auto made = std::make_shared<QPointer<QMdiSubWindow>>();
    const bool now = Guard.Run([this, made, textLines, title, bitmap, fitToWindow] {
        *made = MakeChild(textLines, title, bitmap, fitToWindow);
    });
    return now ? made->data() : nullptr;
}

QMdiSubWindow* ChildWindows::MakeChild(const std::string& textLines, const QString& title, const QImage& bitmap,
                                       bool fitToWindow)
{
    if (Next == SlotCount)
        Next = 0;
    // The slot's earlier window goes first, restored and then closed.
    if (QMdiSubWindow* old = Slots[static_cast<size_t>(Next)]) {
        old->showNormal();
        old->close();
    }
    Slots[static_cast<size_t>(Next)] = nullptr;

    ImageChild::Content content;
    content.Bitmap = bitmap;
    content.TextLines = textLines;
    content.FitToWindow = fitToWindow;
    content.ShowTextLines = State.ViewCodelineOption != 0;
    auto* child = new ImageChild(State, Op, Choices, std::move(content));
    QMdiSubWindow* sub = Mdi.addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowTitle(title);
    // New windows cascade from the top left, one title bar further each,
    // starting again at the top when the next would run off the bottom. A
    // window of text lines alone is as big as its lines.
    const QSize area = Mdi.viewport()->size();
    if (bitmap.isNull())
        sub->resize(sub->sizeHint().boundedTo(area).expandedTo(sub->minimumSizeHint()));
    else
        sub->resize(std::max(area.width() * 3 / 4, 320), std::max(area.height() * 3 / 4, 240));
    const int step = std::max(sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub), 1);
    const int places = std::max((area.height() - sub->height()) / step + 1, 1);
    const int place = NextCascadePlace(static_cast<int>(Mdi.subWindowList().size()) - 1, LastPlace, places);
    LastPlace = place;
    sub->move(place * step, place * step);
    sub->show();
    Mdi.setActiveSubWindow(sub);

    Slots[static_cast<size_t>(Next)] = sub;
    ++Next;
    return sub;
}

int ChildWindows::ShowDocumentImages(const DocumentShow& document)
{
    std::vector<std::string> lines;
    for (const QString* text : {&document.Text1, &document.Text2, &document.Text3})
        if (!text->isEmpty())
            lines.push_back(text->toLatin1().toStdString());
    // The further texts end at the first empty one.
    for (const QString& text : document.MoreTexts) {
        if (text.isEmpty())
            break;
        lines.push_back(text.toLatin1().toStdString());
    }
    const std::string textList = MakeTextList(lines);
    const bool noTexts = TextListLines(textList, TextListSize).empty();

    const QString prefix = document.Prefix != 0 ? QString::number(document.Prefix) + " -" : QString();
    const QString number = QString::number(document.DocumentNumber);
    const QString warning = document.Status == DoubleFeedStatus ? " -*- Warning Double Leafing" : "";
    const bool fit = State.FitImageOption != 0;

    int made = 0;
    if (document.Back) {
        QImage back;
        if (DibToBitmap(*document.Back, back)) {
            CreateImageChild(MakeTextList({}), prefix + " Back " + number + warning, back, fit);
            ++made;
        }
    }
    if (document.Front) {
        QImage front;
        if (!DibToBitmap(*document.Front, front))
            return -1;
        CreateImageChild(textList, prefix + " Front " + number + warning, front, fit);
        return made + 1;
    }
    if (document.Back || noTexts)
        return made;
    CreateImageChild(textList, prefix + " Codeline", QImage(), fit);
    return made + 1;
}

void ChildWindows::ShowImage(const QString& title, const PackedBitmap& image, bool fitToWindow)
{
    QImage picture;
    if (DibToBitmap(image, picture))
        CreateImageChild(MakeTextList({}), title, picture, fitToWindow);
}
