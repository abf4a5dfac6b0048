// Identification, peripheral status, the two resets and the interface test.
#pragma once

#include <QString>
#include <cstdint>

#include "core/Identify.h"

struct Bench;
struct FeatureFlags;
struct UnitIdentity;
class CommandRegistry;

// Opens the unit, identifies it and closes it; with show set, ends with the
// identify box. Returns 0 or the failing reply (already reported).
int32_t IdentifyUnit(Bench& bench, bool show);


// The text of the "Peripheral identify" box.
QString FormatIdentifyText(const UnitIdentity& identity, const FeatureFlags& flags);

// The texts of the "Peripheral Status" dialog.
QString SenseKeyText(uint8_t senseKey);
QString SensorStatusText(const uint8_t* sensorStatus);

void ShowPeripheralStatus(Bench& bench);

// resetType: '0' after an error, '1' to free the document path.
void ResetUnit(Bench& bench, char resetType);

// Runs "AppVnApi" from the current working directory and tells only of a failure.
void RunInterfaceTest(Bench& bench);

void RegisterUnitCommands(CommandRegistry& registry);
