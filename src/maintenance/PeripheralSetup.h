// The jobs the unit does on its own: scanner and photo-sensor calibration,
// and the configuration block that tells it which options it carries.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>

struct Bench;
struct FeatureFlags;
struct SettingsRecord;

// The "Setup" dialog's six selections, each a list index.
struct SetupChoices {
    int32_t MicrHead = 0;       // 0 "Not Present", 1 "Present"
    int32_t VoidingStamp = 0;   // 0 "Not Present", 1 "Present"
    int32_t InkJetPrinter = 0;  // 0 "Not Present", 1 "Present"
    int32_t BadgeReader = 0;    // 0 none, 1 tracks 1/2, 2 tracks 2/3, 3 tracks 1/2/3
    int32_t ProcessCard = 0;    // 0 "Disabled", 1 "Enabled"
    int32_t PoweredBy = 0;      // 0 "Electric", 1 "USB"
    bool operator==(const SetupChoices&) const = default;
};

using ConfigurationBlock = std::array<uint8_t, 4>;

// The block the unit is sent: the identify feature-byte layout, each byte
// starting as 0x40, both scanners always set.
ConfigurationBlock ConfigurationBlockFor(const SetupChoices& choices);

// The option flags the choices stand for (the scanner flags are left as they are).
void ApplyChoices(const SetupChoices& choices, FeatureFlags& flags);
// The choices the option flags show.
SetupChoices ChoicesFromFeatures(const FeatureFlags& flags);

SetupChoices ChoicesFromSettings(const SettingsRecord& settings);
void StoreChoices(const SetupChoices& choices, SettingsRecord& settings);

// Asks before a calibration that overwrites the unit's own; true on Yes.
bool ConfirmDestructiveCalibration(Bench& bench);

// side: 1 front, 0 rear. The unit settles for settle after the open.
void ScannerCalibrationCommand(Bench& bench, uint16_t side,
                               std::chrono::milliseconds settle = std::chrono::milliseconds(1000));
void PhotosCalibrationCommand(Bench& bench);
void WriteConfiguration(Bench& bench, const ConfigurationBlock& block);
