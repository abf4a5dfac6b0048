// Controls (objectName): "CoordinateX", "CoordinateY", "Width", "Height",
// "Millimeter", "Inch", "ReadType", "OK".
#include "documents/DecodeWindowDialog.h"

#include <QComboBox>
#include <QGridLayout>
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

struct ReadTypeItem {
    const char* Text;
    char Letter;
};

// The list order is also the index each stored letter selects.
constexpr ReadTypeItem OcrReadTypes[] = {{"OCRA", 'A'},       {"OCRB", 'B'},         {"OCRB AlphaNuMeric", 'C'},
                                         {"OCRB Italy", 'F'}, {"E13B Optical", 'E'}, {"E13B Opt X Switch", 'X'}};
constexpr ReadTypeItem BarcodeReadTypes[] = {{"Barcode 2 of 5", '2'}, {"CODE 39", '3'}, {"CODE 128", '4'}};

// Letters not in the list select "OCRB AlphaNuMeric" for OCR and the first
// item for barcodes.
int ListIndexOf(const ReadTypeItem* items, int count, char letter, int otherwise)
{
    for (int i = 0; i < count; ++i)
        if (items[i].Letter == letter)
            return i;
    return otherwise;
}

// The OCR height edit always opens on this value, whatever is stored.
constexpr double OcrOpeningHeight = 10.5;
constexpr double MillimetresPerInch = 25.4;

} // namespace

QString DecodeWindowDialog::TitleFor(DecodeWindowKind kind)
{
    switch (kind) {
    case DecodeWindowKind::Ocr:
        return "Parametrer for Ocr Window";
    case DecodeWindowKind::Barcode:
        return "Parametrer for Barcode Window";
    case DecodeWindowKind::Pdf417:
        break;
    }
    return "Parametrer for PDF417 Window";
}

DecodeWindowDialog::DecodeWindowDialog(SettingsRecord& settings, DecodeWindowKind kind, QWidget* parent)
    : QDialog(parent), Settings(settings), Kind(kind)
{
    setObjectName("DecodeWindowDialog");

    auto named = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        return edit;
    };
    CoordinateX = named("CoordinateX");
    CoordinateY = named("CoordinateY");
    Width = named("Width");
    Height = named("Height");
    Millimeter = new QRadioButton("Millimeter", this);
    Millimeter->setObjectName("Millimeter");
    Inch = new QRadioButton("Inch ( For Ex. 1.15 )", this);
    Inch->setObjectName("Inch");
    ReadType = new QComboBox(this);
    ReadType->setObjectName("ReadType");
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OK");
    ok->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Coordinate :", this), 0, 0);
    grid->addWidget(new QLabel("Right,Bottom", this), 1, 0);
    grid->addWidget(CoordinateX, 1, 1);
    grid->addWidget(CoordinateY, 1, 2);
    grid->addWidget(new QLabel("Width :", this), 2, 0);
    grid->addWidget(Width, 2, 1);
    grid->addWidget(new QLabel("Height :", this), 3, 0);
    grid->addWidget(Height, 3, 1);
    auto* units = new QVBoxLayout;
    units->addWidget(Millimeter);
    units->addWidget(Inch);
    auto* readRow = new QHBoxLayout;
    readRow->addWidget(new QLabel("Read type :", this));
    readRow->addWidget(ReadType, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(units);
    layout->addLayout(readRow);
    layout->addWidget(ok, 0, Qt::AlignRight);

    connect(ok, &QPushButton::clicked, this, &DecodeWindowDialog::accept);
    connect(Millimeter, &QRadioButton::clicked, this, [this] { OnUnitClicked(false); });
    connect(Inch, &QRadioButton::clicked, this, [this] { OnUnitClicked(true); });

    setWindowTitle(TitleFor(kind));
    switch (kind) {
    case DecodeWindowKind::Ocr: {
        for (const auto& item : OcrReadTypes)
            ReadType->addItem(item.Text);
        Height->setEnabled(false);
        Height->setText(TwoDecimals(OcrOpeningHeight));
        ShownInInches = settings.OcrWindowInch != 0;
        auto show = ShownInInches ? TwoDecimals : Truncated;
        CoordinateX->setText(show(settings.OcrWindowX));
        CoordinateY->setText(show(settings.OcrWindowY));
        Width->setText(show(settings.OcrWindowWidth));
        (ShownInInches ? Inch : Millimeter)->setChecked(true);
        ReadType->setCurrentIndex(ListIndexOf(OcrReadTypes, std::size(OcrReadTypes),
                                              static_cast<char>(settings.OcrReadType), 2));
        break;
    }
    case DecodeWindowKind::Barcode:
        for (const auto& item : BarcodeReadTypes)
            ReadType->addItem(item.Text);
        CoordinateX->setText(Truncated(settings.BarcodeWindowX));
        CoordinateY->setText(Truncated(settings.BarcodeWindowY));
        Width->setText(Truncated(settings.BarcodeWindowWidth));
        Height->setText(Truncated(settings.BarcodeWindowHeight));
        Millimeter->setChecked(true);
        Inch->setEnabled(false);
        ReadType->setCurrentIndex(ListIndexOf(BarcodeReadTypes, std::size(BarcodeReadTypes),
                                              static_cast<char>(settings.BarcodeType), 0));
        break;
    case DecodeWindowKind::Pdf417:
        ReadType->setEnabled(false);
        Inch->setEnabled(false);
        CoordinateX->setText(Truncated(settings.Pdf417WindowX));
        CoordinateY->setText(Truncated(settings.Pdf417WindowY));
        Width->setText(Truncated(settings.Pdf417WindowWidth));
        Height->setText(Truncated(settings.Pdf417WindowHeight));
        Millimeter->setChecked(true);
        break;
    }
}

void DecodeWindowDialog::OnUnitClicked(bool toInches)
{
    if (toInches == ShownInInches)
        return;
    ShownInInches = toInches;
    // All four edits, the disabled OCR height included.
    for (QLineEdit* edit : {CoordinateX, CoordinateY, Width, Height}) {
        if (toInches)
            edit->setText(TwoDecimals(static_cast<double>(LeadingWhole(edit->text())) / MillimetresPerInch));
        else
            edit->setText(Truncated(LeadingDecimal(edit->text()) * MillimetresPerInch));
    }
}

void DecodeWindowDialog::accept()
{
    auto decimal = [](QLineEdit* edit) { return static_cast<float>(LeadingDecimal(edit->text())); };
    auto whole = [](int64_t v) { return static_cast<float>(v); };

    switch (Kind) {
    case DecodeWindowKind::Ocr:
        if (Inch->isChecked()) {
            Settings.OcrWindowInch = 1;
            Settings.OcrWindowX = decimal(CoordinateX);
            Settings.OcrWindowY = decimal(CoordinateY);
            Settings.OcrWindowWidth = decimal(Width);
        } else {
            Settings.OcrWindowInch = 0;
            Settings.OcrWindowX = whole(LeadingSignedByMinus(CoordinateX->text()));
            Settings.OcrWindowY = whole(LeadingUnsigned(CoordinateY->text()));
            Settings.OcrWindowWidth = whole(LeadingSignedByMinus(Width->text()));
        }
        Settings.OcrWindowHeight = decimal(Height);
        Settings.OcrReadType = static_cast<uint8_t>(OcrReadTypes[qMax(0, ReadType->currentIndex())].Letter);
        break;
    case DecodeWindowKind::Barcode:
        Settings.BarcodeWindowInch = 0;
        Settings.BarcodeWindowX = whole(LeadingUnsigned(CoordinateX->text()));
        Settings.BarcodeWindowY = whole(LeadingUnsigned(CoordinateY->text()));
        Settings.BarcodeWindowWidth = whole(LeadingUnsigned(Width->text()));
        Settings.BarcodeWindowHeight = decimal(Height);
        Settings.BarcodeType = static_cast<uint8_t>(BarcodeReadTypes[qMax(0, ReadType->currentIndex())].Letter);
        break;
    case DecodeWindowKind::Pdf417:
        Settings.Pdf417WindowX = whole(LeadingSignedByMinus(CoordinateX->text()));
        Settings.Pdf417WindowY = whole(LeadingUnsigned(CoordinateY->text()));
        Settings.Pdf417WindowWidth = whole(LeadingSignedByMinus(Width->text()));
        Settings.Pdf417WindowHeight = decimal(Height);
        break;
    }
    QDialog::accept();
}
