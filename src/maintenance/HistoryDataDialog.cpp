#include "maintenance/HistoryDataDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/BenchState.h"
#include "core/MessageTitles.h"
#include "core/Operator.h"
#include "maintenance/HistoryData.h"

namespace {

QLineEdit* ValueField(QWidget* parent, const QString& name, const QString& text)
{
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignRight);
    field->setMinimumWidth(120);
    return field;
}

} // namespace

HistoryDataDialog::HistoryDataDialog(Bench& bench, QWidget* parent) : QDialog(parent), Session(bench)
{
    setObjectName("HistoryDataDialog");
    setWindowTitle("History Data");

    auto* grid = new QGridLayout;
    int row = 0;
    auto addLine = [&](const QString& name, const char* label, QLineEdit* field, bool visible) {
        auto* text = new QLabel(label, this);
        text->setObjectName(name + "Label");
        grid->addWidget(text, row, 0);
        grid->addWidget(field, row, 1);
        ++row;
        text->setVisible(visible);
        field->setVisible(visible);
    };
    for (const HistoryLine& line : HistoryLines) {
        QLineEdit* field = ValueField(this, QString(line.Name) + "Value", "0000000000");
        Values.push_back(field);
        addLine(line.Name, line.Label, field, line.Visible);
    }
    WorkTime = ValueField(this, "WorkTimeValue", "000000000:00:00");
    addLine("WorkTime", "Total time of work (hh:mm:ss) ...........", WorkTime, true);

    auto* ok = new QPushButton("&Ok", this);
    ok->setObjectName("OkButton");
    ok->setDefault(true);
    auto* erase = new QPushButton("&Erase History", this);
    erase->setObjectName("EraseButton");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(erase, &QPushButton::clicked, this, &HistoryDataDialog::EraseClicked);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addStretch();
    buttons->addWidget(erase);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    Refresh();
}

void HistoryDataDialog::Refresh()
{
    HistoryRecord record;
    if (RunHistoryCommand(Session, HistoryCommands::Read, &record) != VnReplyOk)
        return;
    for (qsizetype i = 0; i < Values.size(); ++i)
        Values[i]->setText(QString::number(record.*HistoryLines[i].Counter));
    WorkTime->setText(QString::fromStdString(WorkTimeText(record.WorkTime)));
}

void HistoryDataDialog::EraseClicked()
{
    if (Session.Op.Message(DemoTitle, "Are you sure to ERASE peripheral data history ?", MessageButtons::YesNo,
                           MessageIcon::Question) != MessageAnswer::Yes)
        return;
    RunHistoryCommand(Session, HistoryCommands::Erase, nullptr);
    // Shown as the unit now reports them, whether or not the erase worked.
    Refresh();
}
