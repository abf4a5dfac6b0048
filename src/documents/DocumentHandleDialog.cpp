#include "documents/DocumentHandleDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/BenchState.h"
#include "documents/DecodeWindowDialog.h"
#include "documents/DialogFields.h"
#include "documents/DigitalStringDialog.h"
#include "documents/EndorsementStringDialog.h"
#include "core/Operator.h"

using namespace dialogfields;
using C = HandleControl;

namespace {

// Feature byte 0 of the identified unit.
constexpr uint8_t FeatureCardScan = 2;
constexpr uint8_t FeatureEndorsePrinter = 8;

template <class T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

QLineEdit* ReadOnlyField(const char* name, QWidget* parent)
{
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    return edit;
}

} // namespace

DocumentHandleDialog::DocumentHandleDialog(BenchState& state, Operator& op, QWidget* parent)
    : QDialog(parent), State(state), Op(op),
      Choices(state.Settings, (state.Identity.FeatureBytes[0] & FeatureEndorsePrinter) != 0,
              (state.Identity.FeatureBytes[0] & FeatureCardScan) != 0)
{
    setObjectName("DocumentHandleDialog");
    setWindowTitle("Document Handle");
    BuildControls();
    ShowChoices();
}

QAbstractButton* DocumentHandleDialog::Button(HandleControl c) const
{
    return qobject_cast<QAbstractButton*>(Control(c));
}

void DocumentHandleDialog::BuildControls()
{
    // The buttons, each tied to its choice.
    auto make = [this](C c, QWidget* parent) {
        const HandleControlInfo& info = ControlInfo(c);
        QAbstractButton* button = nullptr;
        switch (info.Kind) {
        case HandleControlKind::CheckBox:
            button = new QCheckBox(info.Text, parent);
            break;
        case HandleControlKind::Radio:
            button = new QRadioButton(info.Text, parent);
            break;
        default:
            button = new QPushButton(info.Text, parent);
            button->setCheckable(info.Kind == HandleControlKind::CheckablePush);
            break;
        }
        button->setObjectName(info.Name);
        Controls[static_cast<size_t>(c)] = button;
        connect(button, &QAbstractButton::clicked, this, [this, c] { OnClicked(c); });
        return button;
    };
    auto range = [&make](C first, C last, QWidget* parent, QBoxLayout* layout) {
        for (int i = static_cast<int>(first); i <= static_cast<int>(last); ++i)
            layout->addWidget(make(static_cast<C>(i), parent));
    };

    // "Scan Mode"
    auto* scanGroup = Named(new QGroupBox("Scan Mode", this), "ScanModeGroup");
    auto* scanLayout = new QVBoxLayout(scanGroup);
    range(C::ScanModeBwBitmap, C::ScanMode256Gray300, scanGroup, scanLayout);
    scanLayout->addWidget(make(C::ScanCard, scanGroup));

    // "Codeline Type"
    auto* codelineGroup = Named(new QGroupBox("Codeline Type", this), "CodelineTypeGroup");
    auto* codelineLayout = new QGridLayout(codelineGroup);
    codelineLayout->addWidget(make(C::Micr, codelineGroup), 0, 0);
    codelineLayout->addWidget(make(C::E13bMicrOcr, codelineGroup), 1, 0);
    codelineLayout->addWidget(make(C::Barcode, codelineGroup), 2, 0);
    codelineLayout->addWidget(make(C::BarcodeSet, codelineGroup), 2, 1);
    codelineLayout->addWidget(make(C::BarcodeView, codelineGroup), 2, 2);
    codelineLayout->addWidget(make(C::Pdf417, codelineGroup), 3, 0);
    codelineLayout->addWidget(make(C::Pdf417Set, codelineGroup), 3, 1);
    codelineLayout->addWidget(make(C::Pdf417View, codelineGroup), 3, 2);
    codelineLayout->addWidget(make(C::Ocr, codelineGroup), 4, 0);
    codelineLayout->addWidget(make(C::OcrSet, codelineGroup), 4, 1);
    codelineLayout->addWidget(make(C::OcrView, codelineGroup), 4, 2);

    // "Optical Windows": display only, enabled by the first "View".
    OpticalWindows = Named(new QGroupBox("Optical Windows", this), "OpticalWindowsGroup");
    const char* const fieldNames[] = {"WindowX", "WindowY", "WindowWidth", "WindowHeight", "WindowUnit",
                                      "WindowReadType"};
    for (size_t i = 0; i < WindowFields.size(); ++i)
        WindowFields[i] = ReadOnlyField(fieldNames[i], OpticalWindows);
    auto* opticalLayout = new QGridLayout(OpticalWindows);
    opticalLayout->addWidget(new QLabel("Right,  Bottom (x,y) :", OpticalWindows), 0, 0);
    opticalLayout->addWidget(WindowFields[0], 0, 1);
    opticalLayout->addWidget(WindowFields[1], 0, 2);
    opticalLayout->addWidget(new QLabel("Width, High :", OpticalWindows), 1, 0);
    opticalLayout->addWidget(WindowFields[2], 1, 1);
    opticalLayout->addWidget(WindowFields[3], 1, 2);
    opticalLayout->addWidget(new QLabel("Unit Measure :", OpticalWindows), 2, 0);
    opticalLayout->addWidget(WindowFields[4], 2, 1);
    opticalLayout->addWidget(new QLabel("Read type :", OpticalWindows), 3, 0);
    opticalLayout->addWidget(WindowFields[5], 3, 1, 1, 2);

    // "Set Print String": enabled only when the unit has an endorsement
    // printer. "High", "&Digital String" and the print side are not offered.
    auto* printGroup = Named(new QGroupBox("Set Print String", this), "SetPrintStringGroup");
    Controls[static_cast<size_t>(C::PrintGroup)] = printGroup;
    auto* printLayout = new QGridLayout(printGroup);
    printLayout->addWidget(make(C::Endorsement, printGroup), 0, 0);
    printLayout->addWidget(make(C::Print, printGroup), 0, 1);
    printLayout->addWidget(make(C::Print15, printGroup), 1, 1);
    printLayout->addWidget(make(C::Bold, printGroup), 0, 2);
    printLayout->addWidget(make(C::High, printGroup), 1, 2);
    printLayout->addWidget(make(C::DigitalString, printGroup), 2, 0);
    printLayout->addWidget(make(C::PrintSide, printGroup), 2, 1, 1, 2);
    Control(C::High)->setVisible(false);

    // "Document Handle"
    auto* handleGroup = Named(new QGroupBox("Document Handle", this), "DocumentHandleGroup");
    auto* handleLayout = new QVBoxLayout(handleGroup);
    range(C::FrontStamp, C::BeepOnError, handleGroup, handleLayout);

    // "Save Codeline"
    auto* saveCodelineGroup = Named(new QGroupBox("Save Codeline", this), "SaveCodelineGroup");
    auto* saveCodelineLayout = new QVBoxLayout(saveCodelineGroup);
    range(C::SaveOnFile, C::ResetFile, saveCodelineGroup, saveCodelineLayout);

    // "Check Codeline"
    auto* checkGroup = Named(new QGroupBox("Check Codeline", this), "CheckCodelineGroup");
    CodelineBase = Named(new QLineEdit(checkGroup), "CodelineBase");
    CodelineBase->setMaxLength(static_cast<int>(State.Settings.CodelineBase.size()) - 1);
    CodelineBase->setMinimumWidth(320);
    auto* checkLayout = new QGridLayout(checkGroup);
    checkLayout->addWidget(make(C::DoCheck, checkGroup), 0, 0);
    checkLayout->addWidget(make(C::InsertLastCodeline, checkGroup), 0, 2);
    checkLayout->addWidget(new QLabel("Codeline base :", checkGroup), 1, 0);
    checkLayout->addWidget(CodelineBase, 1, 1, 1, 2);
    connect(CodelineBase, &QLineEdit::textChanged, this, [this](const QString& text) { Choices.CodelineBase = text; });

    // "Read Image" with its "Side"
    auto* readGroup = Named(new QGroupBox("Read Image", this), "ReadImageGroup");
    auto* sideGroup = Named(new QGroupBox("Side", readGroup), "SideGroup");
    range(C::SideAll, C::SideNone, sideGroup, new QVBoxLayout(sideGroup));
    auto* readLayout = new QVBoxLayout(readGroup);
    readLayout->addWidget(sideGroup);
    range(C::ClearImage, C::AlignImage, readGroup, readLayout);

    // "Save On File" with its "Tiff Type"
    auto* saveImageGroup = Named(new QGroupBox("Save On File", this), "SaveOnFileGroup");
    JpegQualityLabel = Named(new QLabel("JPG Quality\n(range 2 to 255)", saveImageGroup), "JpegQualityLabel");
    JpegQuality = Named(new QLineEdit(saveImageGroup), "JpegQuality");
    Controls[static_cast<size_t>(C::JpegQuality)] = JpegQuality;
    auto* tiffGroup = Named(new QGroupBox("Tiff Type", saveImageGroup), "TiffTypeGroup");
    range(C::TiffTypeTiff, C::TiffTypeCcittGr4, tiffGroup, new QVBoxLayout(tiffGroup));
    auto* saveImageLayout = new QGridLayout(saveImageGroup);
    saveImageLayout->addWidget(make(C::Jpeg, saveImageGroup), 0, 0);
    saveImageLayout->addWidget(JpegQualityLabel, 0, 1);
    saveImageLayout->addWidget(JpegQuality, 0, 2);
    saveImageLayout->addWidget(make(C::Bmp, saveImageGroup), 1, 0);
    saveImageLayout->addWidget(make(C::Tiff, saveImageGroup), 2, 0);
    saveImageLayout->addWidget(tiffGroup, 2, 1, 1, 2);
    connect(JpegQuality, &QLineEdit::textChanged, this, &DocumentHandleDialog::OnQualityEdited);

    // "Documents"
    auto* documentsGroup = Named(new QGroupBox("Documents", this), "DocumentsGroup");
    DocumentCount = Named(new QLineEdit(documentsGroup), "DocumentCount");
    Controls[static_cast<size_t>(C::DocumentCount)] = DocumentCount;
    auto* documentsLayout = new QGridLayout(documentsGroup);
    documentsLayout->addWidget(make(C::AllDocument, documentsGroup), 0, 0);
    documentsLayout->addWidget(make(C::Num, documentsGroup), 1, 0);
    documentsLayout->addWidget(DocumentCount, 1, 1);
    documentsLayout->addWidget(make(C::Destination, documentsGroup), 2, 0, 1, 2);
    connect(DocumentCount, &QLineEdit::textChanged, this, &DocumentHandleDialog::OnCountEdited);

    auto* ok = Named(new QPushButton("OK", this), "OK");
    ok->setDefault(true);
    auto* cancel = Named(new QPushButton("Cancel", this), "Cancel");
    connect(ok, &QPushButton::clicked, this, &DocumentHandleDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &DocumentHandleDialog::reject);

    // Four columns over the codeline check: the dialog fits a 1366 x 768
    // screen with a task bar.
    auto* columns = new QHBoxLayout;
    auto column = [columns](std::initializer_list<QWidget*> groups) {
        auto* box = new QVBoxLayout;
        for (QWidget* group : groups)
            box->addWidget(group);
        box->addStretch();
        columns->addLayout(box);
    };
    column({scanGroup, handleGroup});
    column({codelineGroup, OpticalWindows, printGroup});
    column({readGroup, documentsGroup, saveCodelineGroup});
    column({saveImageGroup});
    // The long codeline base takes the width under the columns, beside OK
    // and Cancel.
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(checkGroup, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    bottom->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(bottom);
}

void DocumentHandleDialog::ShowChoices()
{
    for (int i = 0; i < HandleControlCount; ++i) {
        const auto c = static_cast<C>(i);
        const ControlState& state = Choices[c];
        QWidget* widget = Control(c);
        if (!widget)
            continue; // the optical fields, below
        widget->setEnabled(state.Enabled);
        QAbstractButton* button = Button(c);
        // A radio button is unchecked by checking another of its group.
        if (button && button->isCheckable() && (state.Checked || !qobject_cast<QRadioButton*>(button)))
            button->setChecked(state.Checked);
    }
    JpegQualityLabel->setEnabled(Choices[C::JpegQuality].Enabled);
    Button(C::PrintSide)->setText(Choices.PrintSideLabel);
    Button(C::Destination)->setText(Choices.DestinationLabel);
    auto setText = [](QLineEdit* edit, const QString& text) {
        if (edit->text() != text)
            edit->setText(text);
    };
    setText(JpegQuality, Choices.JpegQuality);
    setText(DocumentCount, Choices.DocumentCount);
    setText(CodelineBase, Choices.CodelineBase);
    const OpticalText& o = Choices.Optical;
    OpticalWindows->setTitle(o.Title);
    const QString* texts[] = {&o.X, &o.Y, &o.Width, &o.Height, &o.Unit, &o.ReadType};
    for (size_t i = 0; i < WindowFields.size(); ++i) {
        setText(WindowFields[i], *texts[i]);
        WindowFields[i]->setEnabled(Choices[C::OpticalDisplay].Enabled);
    }
}

void DocumentHandleDialog::OnClicked(HandleControl c)
{
    QAbstractButton* button = Button(c);
    Choices.Clicked(c, button->isChecked());
    SettingsRecord& s = State.Settings;
    switch (c) {
    case C::BarcodeSet:
    case C::Pdf417Set:
    case C::OcrSet: {
        // The window dialog writes the record itself; its values stay on Cancel.
        const DecodeWindowKind kind = c == C::BarcodeSet  ? DecodeWindowKind::Barcode
                                      : c == C::Pdf417Set ? DecodeWindowKind::Pdf417
                                                          : DecodeWindowKind::Ocr;
        DecodeWindowDialog dialog(s, kind, this);
        Op.Exec(dialog);
        Choices.ShowDecodeWindow(kind);
        break;
    }
    case C::Endorsement: {
        EndorsementStringDialog dialog(s.EndorseString, this);
        Op.Exec(dialog);
        break;
    }
    case C::DigitalString: {
        DigitalStringDialog dialog(s, this);
        Op.Exec(dialog);
        break;
    }
    case C::InsertLastCodeline:
        Choices.CodelineBase = FieldText(State.LastCodeline);
        break;
    default:
        break;
    }
    ShowChoices();
}

void DocumentHandleDialog::OnQualityEdited()
{
    if (!Choices.EditJpegQuality(JpegQuality->text())) {
        Op.Beep();
        JpegQuality->setText(Choices.JpegQuality);
    }
}

void DocumentHandleDialog::OnCountEdited()
{
    Choices.EditDocumentCount(DocumentCount->text());
    if (DocumentCount->text() != Choices.DocumentCount)
        DocumentCount->setText(Choices.DocumentCount);
}

void DocumentHandleDialog::accept()
{
    Choices.Store();
    QDialog::accept();
}

int RunDocumentHandleDialog(Bench& bench)
{
    DocumentHandleDialog dialog(bench.State, bench.Op);
    return bench.Op.Exec(dialog) == QDialog::Accepted ? 1 : 0;
}
