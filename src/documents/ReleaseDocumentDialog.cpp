// Controls (objectName): "Sort", "SideAll", "SideFront", "SideBack", "SideNone",
// "FrontStamp", "Print", "Bold" (always disabled), "EndorsementButton",
// "EjectDocument".
#include "documents/ReleaseDocumentDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/BenchState.h"
#include "core/SettingsCodes.h"
#include "documents/EndorsementStringDialog.h"
#include "core/Operator.h"

namespace {

struct SideChoice {
    const char* Name;
    const char* Text;
    char Letter;
};
constexpr SideChoice SideChoices[] = {
    {"SideAll", "All", 'X'}, {"SideFront", "Front", 'F'}, {"SideBack", "Back", 'B'}, {"SideNone", "None", 'N'}};
constexpr int SideNoneIndex = 3;

template <class T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

ReleaseDocumentDialog::ReleaseDocumentDialog(BenchState& state, Operator& op, QWidget* parent)
    : QDialog(parent), Settings(state.Settings), Op(op)
{
    setObjectName("ReleaseDocumentDialog");
    setWindowTitle("Release Document");

    auto* outputGroup = Named(new QGroupBox("Output Document", this), "OutputDocumentGroup");
    auto* sort = Named(new QPushButton("&Sort", outputGroup), "Sort");
    sort->setDefault(true);
    auto* outputLayout = new QHBoxLayout(outputGroup);
    outputLayout->addWidget(new QLabel("Sorting document", outputGroup));
    outputLayout->addWidget(sort);
    connect(sort, &QPushButton::clicked, this, &ReleaseDocumentDialog::accept);

    auto* sideGroup = Named(new QGroupBox("Side to Film", this), "SideToFilmGroup");
    auto* sideLayout = new QVBoxLayout(sideGroup);
    for (int i = 0; i < SideCount; ++i) {
        Sides[i] = Named(new QRadioButton(SideChoices[i].Text, sideGroup), SideChoices[i].Name);
        sideLayout->addWidget(Sides[i]);
    }

    FrontStamp = Named(new QCheckBox("Front Stamp", this), "FrontStamp");

    auto* printGroup = Named(new QGroupBox("Set Print String", this), "SetPrintStringGroup");
    Print = Named(new QCheckBox("Print", printGroup), "Print");
    Bold = Named(new QCheckBox("Bold", printGroup), "Bold");
    Bold->setEnabled(false);
    Endorsement = Named(new QPushButton("&Endorsement", printGroup), "EndorsementButton");
    Endorsement->setEnabled(false);
    auto* printLayout = new QGridLayout(printGroup);
    printLayout->addWidget(Print, 0, 0);
    printLayout->addWidget(Bold, 1, 0);
    printLayout->addWidget(Endorsement, 0, 1, 2, 1);
    connect(Endorsement, &QPushButton::clicked, this, [this] {
        EndorsementStringDialog dialog(Settings.ReleaseString, this);
        Op.Exec(dialog);
    });

    EjectDocument = Named(new QCheckBox("Eject Document", this), "EjectDocument");
    connect(EjectDocument, &QCheckBox::clicked, this, &ReleaseDocumentDialog::OnEjectClicked);

    auto* layout = new QGridLayout(this);
    layout->addWidget(outputGroup, 0, 0, 1, 2);
    layout->addWidget(sideGroup, 1, 0, 2, 1);
    layout->addWidget(FrontStamp, 1, 1);
    layout->addWidget(printGroup, 2, 1);
    layout->addWidget(EjectDocument, 3, 0, 1, 2);

    const SettingsRecord& s = Settings;
    Print->setChecked(s.ReleasePrint == 1);
    Bold->setChecked(s.ReleaseBold != 0);
    if (state.Identity.FeatureBytes[0] & VnFeatureInkjet)
        Endorsement->setEnabled(true);
    for (int i = 0; i < SideCount; ++i)
        if (SideChoices[i].Letter == s.ReleaseSide)
            Sides[i]->setChecked(true);
    FrontStamp->setChecked(s.ReleaseFrontStamp == 1);
    if (s.ReleaseSortMode == ReleaseModes::Eject) {
        EjectDocument->setChecked(true);
        SetSortControlsEnabled(false);
        Sides[SideNoneIndex]->setChecked(true);
    }
}

void ReleaseDocumentDialog::SetSortControlsEnabled(bool enabled)
{
    for (QRadioButton* radio : Sides)
        radio->setEnabled(enabled);
    FrontStamp->setEnabled(enabled);
    Print->setEnabled(enabled);
    Endorsement->setEnabled(enabled);
}

void ReleaseDocumentDialog::OnEjectClicked()
{
    // The choice is stored at once: it holds even before "&Sort".
    if (EjectDocument->isChecked()) {
        Settings.ReleaseSortMode = ReleaseModes::Eject;
        SetSortControlsEnabled(false);
        Sides[SideNoneIndex]->setChecked(true);
    } else {
        Settings.ReleaseSortMode = ReleaseModes::Sort;
        SetSortControlsEnabled(true);
    }
}

void ReleaseDocumentDialog::accept()
{
    Settings.ReleasePrint = Print->isChecked() ? 1 : 0;
    Settings.ReleaseBold = Bold->isChecked() ? 1 : 0;
    for (int i = 0; i < SideCount; ++i)
        if (Sides[i]->isChecked())
            Settings.ReleaseSide = static_cast<uint8_t>(SideChoices[i].Letter);
    Settings.ReleaseFrontStamp = FrontStamp->isChecked() ? 1 : 0;
    QDialog::accept();
}

void ReleaseDocumentDialog::closeEvent(QCloseEvent* event) { event->ignore(); }

void RunReleaseDocumentDialog(Bench& bench)
{
    ReleaseDocumentDialog dialog(bench.State, bench.Op);
    bench.Op.Exec(dialog);
}
