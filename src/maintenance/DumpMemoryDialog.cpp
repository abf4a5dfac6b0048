#include "maintenance/DumpMemoryDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/BenchState.h"
#include "core/Operator.h"
#include "maintenance/MemoryDump.h"

DumpMemoryDialog::DumpMemoryDialog(Bench& bench, QWidget* parent) : QDialog(parent), Session(bench)
{
    setObjectName("DumpMemoryDialog");
    setWindowTitle("Input Dump File Name");

    auto* label = new QLabel("Dump file :", this);
    label->setObjectName("DumpFileLabel");
    FileName = new QLineEdit(QString::fromStdString(bench.State.ProgramFolder) + "DumpMemory.txt", this);
    FileName->setObjectName("DumpFileName");
    FileName->setMaxLength(DumpFileNameLimit);
    FileName->setMinimumWidth(360);
    label->setBuddy(FileName);
    Browse = new QPushButton("...", this);
    Browse->setObjectName("BrowseButton");
    Browse->setFixedWidth(32);
    Ok = new QPushButton("OK", this);
    Ok->setObjectName("OK");
    Ok->setDefault(true);
    Cancel = new QPushButton("Cancel", this);
    Cancel->setObjectName("Cancel");
    connect(Browse, &QPushButton::clicked, this, &DumpMemoryDialog::BrowseClicked);
    connect(Ok, &QPushButton::clicked, this, &DumpMemoryDialog::OkClicked);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* name = new QHBoxLayout;
    name->addWidget(label);
    name->addWidget(FileName, 1);
    name->addWidget(Browse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Ok);
    buttons->addWidget(Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(name);
    layout->addLayout(buttons);
}

void DumpMemoryDialog::BrowseClicked()
{
    QString path = FileName->text();
    if (Session.Op.AskOpenFileName({"TXT (*.txt)", "ALL (*.*)"}, QString(), path))
        FileName->setText(path.left(DumpFileNameLimit));
}

void DumpMemoryDialog::SetControlsEnabled(bool enabled)
{
    for (QWidget* control : {static_cast<QWidget*>(FileName), static_cast<QWidget*>(Browse),
                             static_cast<QWidget*>(Ok), static_cast<QWidget*>(Cancel)})
        control->setEnabled(enabled);
}

void DumpMemoryDialog::OkClicked()
{
    SetControlsEnabled(false);
    const DumpOutcome outcome = DumpUnitMemory(Session, FileName->text());
    SetControlsEnabled(true);
    // A name in a missing folder can be corrected; anything else ends here.
    if (outcome == DumpOutcome::NoFolder) {
        FileName->setFocus();
        return;
    }
    accept();
}
