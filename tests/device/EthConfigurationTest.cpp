// "Eth Configuration": what the dialog shows on opening and what "OK" stores.
#include <gtest/gtest.h>

#include "device/EthConfiguration.h"

TEST(EthConfiguration, OpeningShowsTheRecordAndTurnsPortZeroInto4000)
{
    struct Case {
        uint16_t Port;
        uint32_t ByName;
        uint16_t ShownPort;
        bool ShownByName;
    };
    const Case cases[] = {{0, 0, 4000, false}, {1, 1, 1, true}, {65535, 2, 65535, true}, {4001, 0, 4001, false}};
    for (const Case& c : cases) {
        SettingsRecord s;
        s.BoxPort = c.Port;
        s.ConnectByNodeName = c.ByName;
        SetText(s.BoxNodeName, "VARNBOX");
        SetText(s.BoxIpAddress, "10.1.2.3");
        const SettingsRecord before = s;
        const EthFields shown = OpenEthFields(s);
        EXPECT_EQ(shown.Port, c.ShownPort) << c.Port;
        EXPECT_EQ(shown.ByNodeName, c.ShownByName) << c.ByName;
        EXPECT_EQ(shown.NodeName, "VARNBOX");
        EXPECT_EQ(shown.IpAddress, "10.1.2.3");
        // Kept in the record even when the dialog is cancelled; nothing else changes.
        EXPECT_EQ(s.BoxPort, c.ShownPort);
        EXPECT_EQ(s.ConnectByNodeName, before.ConnectByNodeName);
        EXPECT_EQ(s.BoxNodeName, before.BoxNodeName);
    }
}

TEST(EthConfiguration, OkStoresEveryFieldCutToItsWidth)
{
    struct Case {
        bool ByName;
        std::string NodeName, IpAddress;
        std::string StoredName, StoredIp;
    };
    const std::string name39(39, 'n'), ip19 = "192.168.100.200.123";
    const Case cases[] = {
        {true, name39, ip19, name39, ip19},
        {false, name39 + "X", ip19 + "4", name39, ip19}, // one past each width
        {false, "box.bank.lan", "", "box.bank.lan", ""},  // the disabled node name is stored all the same
        {true, "", "127.0.0.1", "", "127.0.0.1"},
    };
    for (const Case& c : cases) {
        SettingsRecord s;
        s.ConnectByNodeName = c.ByName ? 0 : 1;
        StoreEthFields(s, {c.ByName, c.NodeName, c.IpAddress, 4002});
        EXPECT_EQ(s.ConnectByNodeName, c.ByName ? 1u : 0u);
        EXPECT_EQ(GetText(s.BoxNodeName), c.StoredName);
        EXPECT_EQ(GetText(s.BoxIpAddress), c.StoredIp);
        EXPECT_EQ(s.BoxPort, 4002);
    }
}

TEST(EthConfiguration, PortTextIsAnUnsignedNumberKeptTo16Bits)
{
    const std::pair<std::string, uint16_t> cases[] = {
        {"4000", 4000}, {"0", 0}, {"65535", 65535}, {"65536", 0}, {"65537", 1},
        {"", 0},        {"  80x", 80}, {"-1", 0},   {"abc", 0},
    };
    for (const auto& [text, port] : cases)
        EXPECT_EQ(PortFromText(text), port) << text;
}
