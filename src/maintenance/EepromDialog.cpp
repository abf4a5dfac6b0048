#include "maintenance/EepromDialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string_view>

#include "core/BenchState.h"
#include "core/MessageTitles.h"
#include "core/Operator.h"
#include "maintenance/DeviceTestRun.h"

EepromDialog::EepromDialog(Bench& bench, QWidget* parent) : QDialog(parent), Device(bench)
{
    setObjectName("EepromDialog");
    setWindowTitle("Data EEPROM");

    auto* parameters = new QGroupBox("Parameters", this);
    parameters->setObjectName("Parameters");
    auto* form = new QFormLayout(parameters);
    OffsetField = new QLineEdit("0", parameters);
    OffsetField->setObjectName("Offset");
    CountField = new QLineEdit(QString::number(devicetest::EepromDefaultCount), parameters);
    CountField->setObjectName("ByteCount");
    form->addRow("Offset :", OffsetField);
    form->addRow("Nr. Bytes :", CountField);

    auto* readGroup = new QGroupBox("Readed (Hexadecimal format )", this);
    readGroup->setObjectName("ReadedGroup");
    auto* readLayout = new QVBoxLayout(readGroup);
    ReadText = new QPlainTextEdit("No Data", readGroup);
    ReadText->setObjectName("ReadText");
    ReadText->setReadOnly(true);
    readLayout->addWidget(ReadText);

    auto* writeGroup = new QGroupBox("Write ( Hexadecimal format )", this);
    writeGroup->setObjectName("WriteGroup");
    auto* writeLayout = new QVBoxLayout(writeGroup);
    WriteText = new QPlainTextEdit(writeGroup);
    WriteText->setObjectName("WriteText");
    writeLayout->addWidget(WriteText);

    auto makeButton = [&](const char* text, const char* name) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        return button;
    };
    auto* read = makeButton("&Read", "Read");
    auto* write = makeButton("&Write", "Write");
    auto* exit = makeButton("E&xit", "Exit");
    connect(read, &QPushButton::clicked, this, &EepromDialog::Read);
    connect(write, &QPushButton::clicked, this, &EepromDialog::Write);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(read);
    buttons->addWidget(write);
    buttons->addStretch();
    buttons->addWidget(exit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(parameters);
    layout->addWidget(readGroup);
    layout->addWidget(writeGroup);
    layout->addLayout(buttons);
    resize(460, 420);
}

bool EepromDialog::TakeRange(uint16_t& offset, int16_t& count)
{
    // A field that is no number at all counts as out of range.
    const int64_t typedOffset = devicetest::WholeNumber(OffsetField->text().toStdString()).value_or(-1);
    const int64_t typedCount = devicetest::WholeNumber(CountField->text().toStdString()).value_or(-1);
    if (const auto problem = devicetest::EepromRangeProblem(typedOffset, typedCount)) {
        Device.Op.Message(DemoTitle, QString::fromStdString(*problem), MessageButtons::Ok, MessageIcon::Warning);
        return false;
    }
    offset = static_cast<uint16_t>(typedOffset);
    count = static_cast<int16_t>(typedCount);
    return true;
}

void EepromDialog::Read()
{
    uint16_t offset = 0;
    int16_t count = 0;
    if (!TakeRange(offset, count))
        return;
    devicetest::EepromBuffer buffer{};
    if (ReadEeprom(Device, offset, count, buffer))
        ReadText->setPlainText(QString::fromStdString(devicetest::EepromReadText(buffer.data(), count)));
}

void EepromDialog::Write()
{
    uint16_t offset = 0;
    int16_t count = 0;
    if (!TakeRange(offset, count))
        return;
    const QByteArray bytes = WriteText->toPlainText().toLatin1();
    const std::string_view text(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (const auto problem = devicetest::EepromWriteTextProblem(text, count)) {
        Device.Op.Message(DemoTitle, QString::fromStdString(*problem), MessageButtons::Ok, MessageIcon::Warning);
        return;
    }
    devicetest::EepromBuffer buffer{};
    devicetest::ComposeEepromWrite(text, count, buffer);
    WriteEeprom(Device, offset, count, buffer);
}
