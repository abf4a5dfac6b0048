// The network box's address settings as the "Eth Configuration" dialog edits
// them: what it shows on opening and what "OK" stores.
#pragma once

#include <cstdint>
#include <string>

#include "core/Settings.h"

constexpr uint16_t DefaultBoxPort = 4000;

struct EthFields {
    bool ByNodeName = false;
    std::string NodeName;
    std::string IpAddress;
    uint16_t Port = DefaultBoxPort;
};

// The fields to show. A port of 0 becomes 4000 in the record itself, so it
// stays 4000 whether the dialog ends with "OK" or "Cancel".
EthFields OpenEthFields(SettingsRecord& settings);

// "OK": every field is stored whatever its enabled state; the texts are cut
// to their field (39 and 19 characters), the port is read as an unsigned
// number kept to 16 bits.
void StoreEthFields(SettingsRecord& settings, const EthFields& fields);

// The port field's text as an unsigned number kept to 16 bits: leading
// blanks skipped, digits up to the first other character, 0 without digits.
uint16_t PortFromText(const std::string& text);
