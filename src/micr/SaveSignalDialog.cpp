#include "micr/SaveSignalDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "micr/DecodeLibrary.h"
#include "micr/MicrState.h"
#include "micr/SaveSignalRun.h"
#include "core/Operator.h"

SaveSignalDialog::SaveSignalDialog(const Bench& bench, QWidget* parent)
    : QDialog(parent), Device{bench.State, bench.Api, bench.Op, this, bench.Instance}
{
    setObjectName("SaveSignalDialog");
    setWindowTitle("Save Signal E13B on Error");

    CodelineBase = new QLineEdit(this);
    CodelineBase->setObjectName("CodelineBase");
    CodelineBase->setMaxLength(255);
    const char* base = bench.State.Settings.CodelineBase.data();
    if (base[0] != 0)
        CodelineBase->setText(QString::fromLatin1(base, static_cast<int>(qstrnlen(base, 256))));

    auto makeButton = [&](const char* text, const char* name) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        return button;
    };
    auto makeCheck = [&](const char* text, const char* name) {
        auto* check = new QCheckBox(text, this);
        check->setObjectName(name);
        return check;
    };
    InsertLastCodeline = makeButton("Insert Last Codeline", "InsertLastCodeline");
    SaveCodelines = makeCheck("Save Codelines on File", "SaveCodelines");
    ResetFile = makeCheck("Reset File", "ResetFile");
    ResetFile->setEnabled(false);
    SaveImage = makeCheck("Save Image", "SaveImage");
    ReadCmc7 = makeCheck("Read CMC7 Doc.", "ReadCmc7");
    MicrOcr = makeCheck("MICR + OCR", "MicrOcr");
    CodelinesRead = new QListWidget(this);
    CodelinesRead->setObjectName("CodelinesRead");
    Start = makeButton("&Start", "Start");
    Clear = makeButton("&Clear", "Clear");
    Exit = makeButton("E&xit", "Exit");

    connect(InsertLastCodeline, &QPushButton::clicked, this, [this] {
        const auto& last = Device.State.LastCodeline;
        CodelineBase->setText(QString::fromLatin1(last.data(), static_cast<int>(qstrnlen(last.data(), last.size()))));
    });
    connect(SaveCodelines, &QCheckBox::toggled, this, &SaveSignalDialog::OnSaveCodelinesToggled);
    connect(Start, &QPushButton::clicked, this, &SaveSignalDialog::OnStart);
    connect(Clear, &QPushButton::clicked, CodelinesRead, &QListWidget::clear);
    connect(Exit, &QPushButton::clicked, this, &SaveSignalDialog::reject);

    auto* codeline = new QFormLayout;
    codeline->addRow("Reference Codeline", CodelineBase);
    auto* options = new QVBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(InsertLastCodeline), static_cast<QWidget*>(SaveCodelines),
                       static_cast<QWidget*>(ResetFile), static_cast<QWidget*>(SaveImage),
                       static_cast<QWidget*>(ReadCmc7), static_cast<QWidget*>(MicrOcr)})
        options->addWidget(w);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Start);
    buttons->addWidget(Clear);
    buttons->addStretch();
    buttons->addWidget(Exit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(codeline);
    layout->addLayout(options);
    layout->addWidget(CodelinesRead);
    layout->addLayout(buttons);

    LoadDecodeLibrary(ProcessDecodeLibrary(), bench.State.ProgramFolder);
}

void SaveSignalDialog::reject()
{
    StoreCodelineBase();
    QDialog::reject();
}

void SaveSignalDialog::AddListLine(const QString& text)
{
    CodelinesRead->addItem(text);
    CodelinesRead->setCurrentRow(CodelinesRead->count() - 1);
    Device.Op.PumpEvents();
}

void SaveSignalDialog::OnSaveCodelinesToggled(bool checked)
{
    ResetFile->setEnabled(checked);
    if (checked && ProcessMicrState().ResetFileRequested)
        ResetFile->setChecked(true);
}

void SaveSignalDialog::StoreCodelineBase()
{
    auto& base = Device.State.Settings.CodelineBase;
    const QByteArray text = CodelineBase->text().toLatin1();
    base.fill(0);
    std::memcpy(base.data(), text.constData(), std::min<size_t>(static_cast<size_t>(text.size()), base.size() - 1));
}

void SaveSignalDialog::SetControlsEnabled(bool enabled)
{
    for (QWidget* w : {static_cast<QWidget*>(CodelineBase), static_cast<QWidget*>(InsertLastCodeline),
                       static_cast<QWidget*>(SaveCodelines), static_cast<QWidget*>(ResetFile),
                       static_cast<QWidget*>(SaveImage), static_cast<QWidget*>(ReadCmc7),
                       static_cast<QWidget*>(MicrOcr), static_cast<QWidget*>(Start), static_cast<QWidget*>(Exit)})
        w->setEnabled(enabled);
}

void SaveSignalDialog::OnStart()
{
    SetControlsEnabled(false);
    StoreCodelineBase();
    MicrState& micr = ProcessMicrState();
    if (ResetFile->isChecked()) {
        micr.ResetFileRequested = 1;
        ResetFile->setChecked(false); // the next start appends
    } else {
        micr.ResetFileRequested = 0;
    }
    SaveSignalHooks hooks;
    hooks.Choices = [this] { return SaveSignalChoices{ReadCmc7->isChecked(), SaveImage->isChecked()}; };
    hooks.AddListLine = [this](const QString& text) { AddListLine(text); };
    SaveSignalRun(Device, SaveCodelines->isChecked() ? 1 : 0, micr.ResetFileRequested, MicrOcr->isChecked() ? 1 : 0,
                  ProcessDecodeLibrary(), hooks);
    SetControlsEnabled(true);
}

void SaveSignalCommand(Bench& bench)
{
    SaveSignalDialog dialog(bench);
    bench.Op.Exec(dialog);
}
