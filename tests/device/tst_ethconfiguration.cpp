// "Eth Configuration": the choice greying its text field, and the buttons.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "device/EthConfigurationDialog.h"

class EthConfigurationTest : public QObject {
    Q_OBJECT

private slots:
    void portZeroShows4000AndCancelStoresNothingElse();
    void theChoiceGreysTheOtherFieldAndOkStoresBoth();
};

void EthConfigurationTest::portZeroShows4000AndCancelStoresNothingElse()
{
    SettingsRecord s;
    s.BoxPort = 0;
    s.ConnectByNodeName = 0;
    SetText(s.BoxIpAddress, "10.0.0.9");
    EthConfigurationDialog dialog(s);
    QCOMPARE(dialog.windowTitle(), QString("Eth Configuration"));
    QCOMPARE(dialog.PortField->text(), QString("4000"));
    QVERIFY(!dialog.PortField->isEnabled());
    QVERIFY(dialog.IpAddressChoice->isChecked());
    QVERIFY(dialog.IpAddressField->isEnabled());
    QVERIFY(!dialog.NodeNameField->isEnabled());
    dialog.IpAddressField->setText("10.0.0.10");
    dialog.findChild<QPushButton*>("Cancel")->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(s.BoxPort, uint16_t(4000));
    QCOMPARE(GetText(s.BoxIpAddress), std::string("10.0.0.9"));
}

void EthConfigurationTest::theChoiceGreysTheOtherFieldAndOkStoresBoth()
{
    SettingsRecord s;
    s.BoxPort = 4001;
    s.ConnectByNodeName = 1;
    SetText(s.BoxNodeName, "varnbox");
    EthConfigurationDialog dialog(s);
    QVERIFY(dialog.NodeNameChoice->isChecked());
    QVERIFY(dialog.NodeNameField->isEnabled());
    QVERIFY(!dialog.IpAddressField->isEnabled());
    dialog.NodeNameField->setText("varnbox2.bank.lan");
    dialog.IpAddressChoice->click();
    QVERIFY(!dialog.NodeNameField->isEnabled());
    QVERIFY(dialog.IpAddressField->isEnabled());
    dialog.IpAddressField->setText("192.168.7.7");
    dialog.findChild<QPushButton*>("OK")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(s.ConnectByNodeName, uint32_t(0));
    QCOMPARE(GetText(s.BoxNodeName), std::string("varnbox2.bank.lan"));
    QCOMPARE(GetText(s.BoxIpAddress), std::string("192.168.7.7"));
    QCOMPARE(s.BoxPort, uint16_t(4001));
}

QTEST_MAIN(EthConfigurationTest)
#include "tst_ethconfiguration.moc"
