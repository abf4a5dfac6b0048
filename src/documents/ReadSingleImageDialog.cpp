#include "documents/ReadSingleImageDialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/Settings.h"

ReadSingleImageDialog::ReadSingleImageDialog(SettingsRecord& settings, QWidget* parent)
    : QDialog(parent), Settings(settings)
{
    setObjectName("ReadSingleImageDialog");
    setWindowTitle("Read Single image");

    auto* group = new QGroupBox("Image Color", this);
    group->setObjectName("ImageColorGroup");
    auto* radios = new QButtonGroup(this);
    auto* groupLayout = new QVBoxLayout(group);
    auto makeRadio = [&](const char* text) {
        auto* radio = new QRadioButton(text, group);
        radio->setObjectName(text);
        radios->addButton(radio);
        groupLayout->addWidget(radio);
        return radio;
    };
    Blue = makeRadio("Blue");
    Green = makeRadio("Green");
    Red = makeRadio("Red");
    switch (Settings.SingleColor) {
    case 1: Blue->setChecked(true); break;
    case 2: Green->setChecked(true); break;
    case 3: Red->setChecked(true); break;
    default: break; // none checked
    }

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &ReadSingleImageDialog::OnOk);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Cancel");
    connect(cancel, &QPushButton::clicked, this, &ReadSingleImageDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

void ReadSingleImageDialog::OnOk()
{
    if (Blue->isChecked())
        Settings.SingleColor = 1;
    else if (Green->isChecked())
        Settings.SingleColor = 2;
    else if (Red->isChecked())
        Settings.SingleColor = 3;
    done(OkResult);
}
