// The unit's side of the small service dialogs and the belt test: each opens
// the unit, runs its one operation, reports a failure with the operation's
// name and closes the unit again.
#pragma once

#include <cstdint>

#include "maintenance/DeviceTestRules.h"

struct Bench;

// Varn_Open (a failure is reported as "VnConnect"), VnReadPhotosValue. True
// with the readings when the read succeeded.
bool ReadPhotoSensors(Bench& bench, devicetest::PhotoReadings& readings);

// Varn_Open (0 and 5 go on), VnEEPROMCommand 0 into the buffer. True when the
// buffer holds the bytes. The range must have passed EepromRangeProblem.
bool ReadEeprom(Bench& bench, uint16_t offset, int16_t count, devicetest::EepromBuffer& buffer);
// The same with command 1 from the buffer.
void WriteEeprom(Bench& bench, uint16_t offset, int16_t count, devicetest::EepromBuffer& buffer);

// VnConnect (a failure is reported as "Varn_Open"), then VnBeep with the
// settings' BeepCount, BeepTimeOn and BeepTimeOff, or VnLED with LedColor,
// LedTimeOn and LedTimeOff.
void TestBeep(Bench& bench);
void TestLed(Bench& bench);

// "Test &Belt": the unit's belt samples judged against the quiet band, the
// verdict shown, the unit reset with '0' whatever happened, and closed.
void RunBeltTest(Bench& bench);
