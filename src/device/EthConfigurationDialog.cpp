#include "device/EthConfigurationDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "device/EthConfiguration.h"

EthConfigurationDialog::EthConfigurationDialog(SettingsRecord& settings, QWidget* parent)
    : QDialog(parent), Settings(settings)
{
    setObjectName("EthConfigurationDialog");
    setWindowTitle("Eth Configuration");
    const EthFields fields = OpenEthFields(settings);

    auto* byGroup = new QGroupBox("Network Connection By :", this);
    byGroup->setObjectName("ConnectionByGroup");
    NodeNameChoice = new QRadioButton("&Network Node Name", byGroup);
    NodeNameChoice->setObjectName("NodeNameChoice");
    NodeNameField = new QLineEdit(QString::fromLatin1(fields.NodeName.c_str()), byGroup);
    NodeNameField->setObjectName("NodeNameField");
    IpAddressChoice = new QRadioButton("&IP Address", byGroup);
    IpAddressChoice->setObjectName("IpAddressChoice");
    IpAddressField = new QLineEdit(QString::fromLatin1(fields.IpAddress.c_str()), byGroup);
    IpAddressField->setObjectName("IpAddressField");
    auto* byLayout = new QVBoxLayout(byGroup);
    byLayout->addWidget(NodeNameChoice);
    byLayout->addWidget(NodeNameField);
    byLayout->addWidget(IpAddressChoice);
    byLayout->addWidget(IpAddressField);

    auto* portGroup = new QGroupBox("Net Port", this);
    portGroup->setObjectName("NetPortGroup");
    PortField = new QLineEdit(QString::number(fields.Port), portGroup);
    PortField->setObjectName("PortField");
    PortField->setEnabled(false);
    (new QVBoxLayout(portGroup))->addWidget(PortField);

    (fields.ByNodeName ? NodeNameChoice : IpAddressChoice)->setChecked(true);
    ShowChoice();
    connect(NodeNameChoice, &QRadioButton::toggled, this, [this] { ShowChoice(); });

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OK");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Cancel");
    connect(ok, &QPushButton::clicked, this, [this] {
        Store();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(byGroup);
    layout->addWidget(portGroup);
    layout->addLayout(buttons);
}

void EthConfigurationDialog::ShowChoice()
{
    const bool byName = NodeNameChoice->isChecked();
    NodeNameField->setEnabled(byName);
    IpAddressField->setEnabled(!byName);
}

void EthConfigurationDialog::Store()
{
    EthFields fields;
    fields.ByNodeName = NodeNameChoice->isChecked();
    fields.NodeName = NodeNameField->text().toLatin1().toStdString();
    fields.IpAddress = IpAddressField->text().toLatin1().toStdString();
    fields.Port = PortFromText(PortField->text().toLatin1().toStdString());
    StoreEthFields(Settings, fields);
}
