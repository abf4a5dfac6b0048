#include "views/ZoomDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "core/Operator.h"

ZoomDialog::ZoomDialog(int currentPercent, Operator& op, QWidget* parent) : QDialog(parent), Op(op)
{
    setObjectName("ZoomDialog");
    setWindowTitle("Zoom Factor");

    auto* label = new QLabel("&Percentage", this);
    label->setObjectName("PercentageLabel");
    Edit = new QLineEdit(QString::number(currentPercent), this);
    Edit->setObjectName("PercentageEdit");
    label->setBuddy(Edit);

    Bar = new QScrollBar(Qt::Horizontal, this);
    Bar->setObjectName("PercentageBar");
    Bar->setRange(MinPercent, MaxPercent);
    Bar->setSingleStep(LineStep);
    Bar->setPageStep(PageStep);
    Bar->setValue(currentPercent);
    Bar->setMinimumWidth(200);

    // A valid number moves the bar; the bar, whichever way it moves, writes
    // its number. Each side changes the other only when they differ, so
    // they never chase each other.
    connect(Edit, &QLineEdit::textEdited, this, [this] {
        if (const int percent = TypedPercent(); percent != 0 && percent != Bar->value())
            Bar->setValue(percent);
    });
    connect(Bar, &QScrollBar::valueChanged, this, [this](int value) {
        if (TypedPercent() != value)
            Edit->setText(QString::number(value));
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("ZoomButtons");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("OK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &ZoomDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(Edit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(Bar);
    layout->addWidget(buttons);

    Edit->setFocus();
    Edit->selectAll();
}

int ZoomDialog::TypedPercent() const
{
    const QString text = Edit->text().trimmed();
    // Digits only: no sign, no fraction, no exponent.
    if (text.isEmpty() || text.size() > 9)
        return 0;
    for (const QChar c : text)
        if (!c.isDigit() || c.unicode() > 127)
            return 0;
    const int percent = text.toInt();
    return percent >= MinPercent && percent <= MaxPercent ? percent : 0;
}

int ZoomDialog::Percentage() const { return Chosen != 0 ? Chosen : TypedPercent(); }

void ZoomDialog::accept()
{
    const int percent = TypedPercent();
    if (percent == 0) {
        Op.Beep();
        Edit->setFocus();
        Edit->selectAll();
        return;
    }
    Chosen = percent;
    QDialog::accept();
}

int AskZoomFactor(Operator& op, QWidget* parent, int currentPercent)
{
    ZoomDialog dialog(currentPercent, op, parent);
    if (op.Exec(dialog) != QDialog::Accepted)
        return -1;
    const int percent = dialog.Percentage();
    return percent > 0 ? percent : -1;
}
