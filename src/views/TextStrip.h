// One text line of an image child window ("VarnTEXT"): a bordered strip
// across the top of the window, each "!" drawn red and every other
// character black, so a reject in a codeline stands out.
#pragma once

#include <QFrame>

class TextStrip : public QFrame {
    Q_OBJECT
public:
    static constexpr int Pitch = 24;  // strips are this far apart
    static constexpr int Height = 25; // and overlap by their border

    explicit TextStrip(const QString& text, QWidget* parent = nullptr);

    // How far down count strips reach: the last one's bottom border included.
    static int StripsBottom(int count);
    // The width a strip needs to show a text textWidth pixels wide: the
    // insets on both sides of where the text starts.
    static int WidthFor(int textWidth);
    // The width this strip's text needs.
    int NeededWidth() const;

    QString Text() const { return Line; }
    void SetText(const QString& text);

    // The font all strips share: the system's title font, not smoothed so
    // the two colours stay pure.
    static QFont StripFont();
    // Where character i starts, in strip coordinates.
    int CharacterX(int i) const;
    // The area text is drawn in.
    QRect TextArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString Line;
};
