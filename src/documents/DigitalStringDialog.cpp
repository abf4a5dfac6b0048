// Controls (objectName): "PrintString", "Millimeter", "Inch", "CoordinateX",
// "CoordinateY", "FontName", "Bold", "Italic", "Underline", "GrayTone",
// "FontSize", "OK", "Cancel".
#include "documents/DigitalStringDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/Settings.h"
#include "documents/DialogFields.h"

using namespace dialogfields;

namespace {

QLineEdit* NamedEdit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

} // namespace

DigitalStringDialog::DigitalStringDialog(SettingsRecord& settings, QWidget* parent) : QDialog(parent), Settings(settings)
{
    setObjectName("DigitalStringDialog");
    setWindowTitle("Digital String");

    auto* textGroup = new QGroupBox("Print String", this);
    PrintString = NamedEdit("PrintString", textGroup);
    PrintString->setMaxLength(static_cast<int>(settings.DigitalString.size()) - 1);
    PrintString->setMinimumWidth(320);
    (new QVBoxLayout(textGroup))->addWidget(PrintString);

    auto* unitGroup = new QGroupBox(this);
    Millimeter = new QRadioButton("Millimeter", unitGroup);
    Millimeter->setObjectName("Millimeter");
    Inch = new QRadioButton("Inch", unitGroup);
    Inch->setObjectName("Inch");
    auto* unitLayout = new QVBoxLayout(unitGroup);
    unitLayout->addWidget(Millimeter);
    unitLayout->addWidget(Inch);

    auto* coordinateGroup = new QGroupBox("Coordinate", this);
    CoordinateX = NamedEdit("CoordinateX", coordinateGroup);
    CoordinateY = NamedEdit("CoordinateY", coordinateGroup);
    auto* coordinateLayout = new QFormLayout(coordinateGroup);
    coordinateLayout->addRow("X", CoordinateX);
    coordinateLayout->addRow("Y", CoordinateY);

    auto* fontGroup = new QGroupBox(this);
    FontName = NamedEdit("FontName", fontGroup);
    FontName->setMaxLength(static_cast<int>(settings.DigitalFontName.size()) - 1);
    Bold = new QCheckBox("Bold", fontGroup);
    Bold->setObjectName("Bold");
    Italic = new QCheckBox("Italic", fontGroup);
    Italic->setObjectName("Italic");
    Underline = new QCheckBox("Underline", fontGroup);
    Underline->setObjectName("Underline");
    GrayTone = NamedEdit("GrayTone", fontGroup);
    FontSize = NamedEdit("FontSize", fontGroup);
    auto* fontLayout = new QFormLayout(fontGroup);
    fontLayout->addRow("Name :", FontName);
    fontLayout->addRow(Bold);
    fontLayout->addRow(Italic);
    fontLayout->addRow(Underline);
    fontLayout->addRow("Gray Tone : ( 0 to 255 )", GrayTone);
    fontLayout->addRow("Size :", FontSize);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OK");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Cancel");
    connect(ok, &QPushButton::clicked, this, &DigitalStringDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &DigitalStringDialog::reject);

    auto* placeRow = new QHBoxLayout;
    placeRow->addWidget(unitGroup);
    placeRow->addWidget(coordinateGroup);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(textGroup);
    layout->addLayout(placeRow);
    layout->addWidget(fontGroup);
    layout->addLayout(buttons);

    PrintString->setText(FieldText(settings.DigitalString));
    (settings.DigitalInch ? Inch : Millimeter)->setChecked(true);
    CoordinateX->setText(TwoDecimals(settings.DigitalX));
    CoordinateY->setText(TwoDecimals(settings.DigitalY));
    FontName->setText(FieldText(settings.DigitalFontName));
    Bold->setChecked(settings.DigitalBold != 0);
    Italic->setChecked(settings.DigitalItalic != 0);
    Underline->setChecked(settings.DigitalUnderline != 0);
    GrayTone->setText(QString::number(settings.DigitalGrayTone));
    FontSize->setText(QString::number(settings.DigitalFontSize));
}

void DigitalStringDialog::accept()
{
    StoreFieldText(Settings.DigitalString, PrintString->text());
    Settings.DigitalInch = Inch->isChecked() ? 1 : 0;
    // The coordinates are shown with decimals but read back whole.
    Settings.DigitalX = static_cast<float>(LeadingWhole(CoordinateX->text()));
    Settings.DigitalY = static_cast<float>(LeadingWhole(CoordinateY->text()));
    StoreFieldText(Settings.DigitalFontName, FontName->text());
    Settings.DigitalBold = Bold->isChecked() ? 1 : 0;
    Settings.DigitalItalic = Italic->isChecked() ? 1 : 0;
    Settings.DigitalUnderline = Underline->isChecked() ? 1 : 0;
    Settings.DigitalGrayTone = static_cast<uint16_t>(LeadingWhole(GrayTone->text()));
    Settings.DigitalFontSize = static_cast<uint16_t>(LeadingWhole(FontSize->text()));
    QDialog::accept();
}
