#pragma once

#include <QDialog>

#include "core/Settings.h"

class QLineEdit;
class QRadioButton;

// "Eth Configuration": how the bench addresses the network box. Talks to no
// device; "OK" stores the fields in the settings record.
class EthConfigurationDialog : public QDialog {
    Q_OBJECT
public:
    explicit EthConfigurationDialog(SettingsRecord& settings, QWidget* parent = nullptr);

    QRadioButton* NodeNameChoice = nullptr;
    QRadioButton* IpAddressChoice = nullptr;
    QLineEdit* NodeNameField = nullptr;
    QLineEdit* IpAddressField = nullptr;
    QLineEdit* PortField = nullptr;

private:
    void ShowChoice();
    void Store();

    SettingsRecord& Settings;
};
