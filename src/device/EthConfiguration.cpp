#include "device/EthConfiguration.h"

#include <cctype>

EthFields OpenEthFields(SettingsRecord& settings)
{
    if (settings.BoxPort == 0)
        settings.BoxPort = DefaultBoxPort;
    EthFields fields;
    fields.ByNodeName = settings.ConnectByNodeName != 0;
    fields.NodeName = GetText(settings.BoxNodeName);
    fields.IpAddress = GetText(settings.BoxIpAddress);
    fields.Port = settings.BoxPort;
    return fields;
}

void StoreEthFields(SettingsRecord& settings, const EthFields& fields)
{
    settings.ConnectByNodeName = fields.ByNodeName ? 1 : 0;
    SetText(settings.BoxNodeName, fields.NodeName);
    SetText(settings.BoxIpAddress, fields.IpAddress);
    settings.BoxPort = fields.Port;
}

uint16_t PortFromText(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    uint32_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value * 10 + static_cast<uint32_t>(text[i] - '0'); // wraps as an unsigned number does
    return static_cast<uint16_t>(value);
}
