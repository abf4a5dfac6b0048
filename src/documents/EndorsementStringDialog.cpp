// Controls (objectName): "PrintString", "OK", "Cancel".
#include "documents/EndorsementStringDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "documents/DialogFields.h"

EndorsementStringDialog::EndorsementStringDialog(CharField<200>& field, QWidget* parent)
    : QDialog(parent), Field(field)
{
    setObjectName("EndorsementStringDialog");
    setWindowTitle("Endorsement String");

    auto* group = new QGroupBox("Print String", this);
    group->setObjectName("PrintStringGroup");
    PrintString = new QLineEdit(group);
    PrintString->setObjectName("PrintString");
    PrintString->setMaxLength(static_cast<int>(field.size()) - 1);
    PrintString->setMinimumWidth(360);
    PrintString->setText(dialogfields::FieldText(field));
    (new QVBoxLayout(group))->addWidget(PrintString);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OK");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Cancel");
    connect(ok, &QPushButton::clicked, this, &EndorsementStringDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &EndorsementStringDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

void EndorsementStringDialog::accept()
{
    dialogfields::StoreFieldText(Field, PrintString->text());
    QDialog::accept();
}
