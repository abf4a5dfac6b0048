#include "views/TextStrip.h"

#include <QFontDatabase>
#include <QPainter>
#include <algorithm>

namespace {

// One pixel of the window's thin border; the insets are counted in them.
constexpr int Border = 1;

} // namespace

TextStrip::TextStrip(const QString& text, QWidget* parent) : QFrame(parent), Line(text)
{
    setObjectName("VarnTEXT");
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(Border);
    // The button face behind the text, like a dialog's.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setFont(StripFont());
    // Until the window's first layout places it: its parent's width, and the
    // font's height with room for the border and insets.
    const int width = parent ? parent->width() : 0;
    resize(width, QFontMetrics(font()).height() + 6 * Border + 2);
}

int TextStrip::StripsBottom(int count) { return count > 0 ? Pitch * (count - 1) + Height : 0; }

// Text starts 9 + 2 borders and 2 pixels in (see CharacterX); the same room
// is left on the right.
int TextStrip::WidthFor(int textWidth) { return std::max(textWidth, 0) + 2 * (11 * Border + 2); }

int TextStrip::NeededWidth() const { return WidthFor(QFontMetrics(font()).horizontalAdvance(Line)); }

QFont TextStrip::StripFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void TextStrip::SetText(const QString& text)
{
    Line = text;
    repaint();
}

QRect TextStrip::TextArea() const { return rect().adjusted(9 * Border, 3 * Border, -9 * Border, -3 * Border); }

int TextStrip::CharacterX(int i) const
{
    const QFontMetrics metrics(font());
    return TextArea().left() + 2 * Border + metrics.horizontalAdvance(Line.left(i)) + 2;
}

void TextStrip::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = TextArea();
    painter.setClipRect(area);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const int top = area.top() + 2;
    for (int i = 0; i < Line.size(); ++i) {
        const QChar c = Line.at(i);
        painter.setPen(c == QLatin1Char('!') ? QColor(255, 0, 0) : QColor(0, 0, 0));
        painter.drawText(CharacterX(i), top + metrics.ascent(), QString(c));
    }
}
