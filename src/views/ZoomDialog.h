// "Zoom Factor": a percentage between 1 and 800, typed or set with the bar
// beside it; the two follow each other.
#pragma once

#include <QDialog>

class Operator;
class QLineEdit;
class QScrollBar;

class ZoomDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int MinPercent = 1;
    static constexpr int MaxPercent = 800;
    static constexpr int LineStep = 1;
    static constexpr int PageStep = 100;

    ZoomDialog(int currentPercent, Operator& op, QWidget* parent = nullptr);

    // The percentage taken on OK; for a dialog ended some other way, the
    // typed one when it is valid, else 0.
    int Percentage() const;

    // OK: only a whole number within range closes the dialog; anything else
    // beeps and selects the text for another try.
    void accept() override;

private:
    // The edit's text as a percentage in range, or 0.
    int TypedPercent() const;

    Operator& Op;
    QLineEdit* Edit = nullptr;
    QScrollBar* Bar = nullptr;
    int Chosen = 0;
};

// Asks for a zoom starting at the current one; the percentage, or -1 when
// cancelled.
int AskZoomFactor(Operator& op, QWidget* parent, int currentPercent);
