#include "documents/CutImageDialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/Settings.h"
#include "documents/DialogFields.h"

CutImageDialog::CutImageDialog(SettingsRecord& settings, QWidget* parent) : QDialog(parent), Settings(settings)
{
    setObjectName("CutImageDialog");
    setWindowTitle("Cut Image Parameter");

    auto makeEdit = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        return edit;
    };
    XEdit = makeEdit("XEdit");
    YEdit = makeEdit("YEdit");
    WidthEdit = makeEdit("WidthEdit");
    HeightEdit = makeEdit("HeightEdit");

    auto* coordinate = new QGroupBox("Coordinate (Right, Bottom)", this);
    coordinate->setObjectName("CoordinateGroup");
    auto* coordinateLayout = new QFormLayout(coordinate);
    coordinateLayout->addRow("X :", XEdit);
    coordinateLayout->addRow("Y :", YEdit);

    auto* size = new QFormLayout;
    size->addRow("Width :", WidthEdit);
    size->addRow("Height :", HeightEdit);

    Millimeter = new QRadioButton("Millimeter", this);
    Millimeter->setObjectName("Millimeter");
    Inch = new QRadioButton("Inch ( For Ex. 1.15 )", this);
    Inch->setObjectName("Inch");

    // Switching the unit does not convert what is shown.
    const bool inch = Settings.CutWindowInch != 0;
    QLineEdit* edits[] = {XEdit, YEdit, WidthEdit, HeightEdit};
    const float values[] = {Settings.CutWindowX, Settings.CutWindowY, Settings.CutWindowWidth,
                            Settings.CutWindowHeight};
    for (int i = 0; i < 4; ++i)
        edits[i]->setText(inch ? QString::asprintf("%.2f", static_cast<double>(values[i]))
                               : dialogfields::Truncated(values[i]));
    (inch ? Inch : Millimeter)->setChecked(true);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CutImageDialog::OnOk);

    auto* units = new QHBoxLayout;
    units->addWidget(Millimeter);
    units->addWidget(Inch);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(coordinate);
    layout->addLayout(size);
    layout->addLayout(units);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

void CutImageDialog::OnOk()
{
    const bool inch = Inch->isChecked();
    auto read = [inch](const QLineEdit* edit) {
        return inch ? static_cast<float>(dialogfields::LeadingDecimal(edit->text()))
                    : static_cast<float>(dialogfields::LeadingUnsigned(edit->text()));
    };
    Settings.CutWindowX = read(XEdit);
    Settings.CutWindowY = read(YEdit);
    Settings.CutWindowWidth = read(WidthEdit);
    Settings.CutWindowHeight = read(HeightEdit);
    Settings.CutWindowInch = inch ? 1 : 0;
    done(Accepted);
}
