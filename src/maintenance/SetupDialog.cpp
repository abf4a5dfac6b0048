#include "maintenance/SetupDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/BenchState.h"
#include "core/Identify.h"

namespace {

// A stored index outside the list selects its first entry.
void SelectIndex(QComboBox* list, int32_t index) { list->setCurrentIndex(index >= 0 && index < list->count() ? index : 0); }

} // namespace

SetupDialog::SetupDialog(Bench& bench, QWidget* parent) : QDialog(parent), Session(bench)
{
    setObjectName("SetupDialog");
    setWindowTitle("Setup");

    auto* form = new QFormLayout;
    auto addList = [&](const char* name, const char* label, QStringList entries) {
        auto* list = new QComboBox(this);
        list->setObjectName(name);
        list->addItems(entries);
        auto* text = new QLabel(label, this);
        text->setObjectName(QString(name) + "Label");
        text->setBuddy(list);
        form->addRow(text, list);
        return list;
    };
    const QStringList fitted{"Not Present", "Present"};
    MicrHead = addList("MicrHead", "Head MICR Reader :", fitted);
    VoidingStamp = addList("VoidingStamp", "Voiding Front Stamp :", fitted);
    InkJetPrinter = addList("InkJetPrinter", "Ink-Jet Printer :", fitted);
    BadgeReader = addList("BadgeReader", "Badge reader :", {"Not Present", "Tracks 1/2", "Tracks 2/3", "Tracks 1/2/3"});
    ProcessCard = addList("ProcessCard", "Process Card :", {"Disabled", "Enabled"});
    PoweredBy = addList("PoweredBy", "Powered by :", {"Electric", "USB"});
    Select(ChoicesFromSettings(bench.State.Settings));

    auto* write = new QPushButton("&Write", this);
    write->setObjectName("WriteButton");
    auto* read = new QPushButton("&Read", this);
    read->setObjectName("ReadButton");
    auto* exit = new QPushButton("E&xit", this);
    exit->setObjectName("ExitButton");
    exit->setDefault(true);
    connect(write, &QPushButton::clicked, this, &SetupDialog::WriteClicked);
    connect(read, &QPushButton::clicked, this, &SetupDialog::ReadClicked);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(write);
    buttons->addWidget(read);
    buttons->addStretch();
    buttons->addWidget(exit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

SetupChoices SetupDialog::Choices() const
{
    return {MicrHead->currentIndex(),    VoidingStamp->currentIndex(), InkJetPrinter->currentIndex(),
            BadgeReader->currentIndex(), ProcessCard->currentIndex(),  PoweredBy->currentIndex()};
}

void SetupDialog::Select(const SetupChoices& c)
{
    SelectIndex(MicrHead, c.MicrHead);
    SelectIndex(VoidingStamp, c.VoidingStamp);
    SelectIndex(InkJetPrinter, c.InkJetPrinter);
    SelectIndex(BadgeReader, c.BadgeReader);
    SelectIndex(ProcessCard, c.ProcessCard);
    SelectIndex(PoweredBy, c.PoweredBy);
}

void SetupDialog::WriteClicked()
{
    const SetupChoices choices = Choices();
    ApplyChoices(choices, Session.State.Features);
    WriteConfiguration(Session, ConfigurationBlockFor(choices));
}

void SetupDialog::ReadClicked()
{
    // A failed identification shows the flags of the last good one (or of
    // the last write).
    ReadIdentity(Session);
    Select(ChoicesFromFeatures(Session.State.Features));
}

void SetupDialog::done(int result)
{
    StoreChoices(Choices(), Session.State.Settings);
    QDialog::done(result);
}
