#include "maintenance/DeviceTestCommands.h"

#include "core/BenchState.h"
#include "core/CommandIds.h"
#include "core/CommandRegistry.h"
#include "core/Operator.h"
#include "maintenance/BeepLedDialog.h"
#include "maintenance/DeviceTestRun.h"
#include "maintenance/EepromDialog.h"
#include "maintenance/EmcTestDialog.h"
#include "maintenance/PhotoSensorDialog.h"

void RegisterDeviceTestCommands(CommandRegistry& registry)
{
    registry.Add(Cmd::SensorsValue, [](Bench& bench) {
        PhotoSensorDialog dialog(bench);
        dialog.ReadSensors();
        bench.Op.Exec(dialog);
    });
    registry.Add(Cmd::HandleEeprom, [](Bench& bench) {
        EepromDialog dialog(bench);
        bench.Op.Exec(dialog);
    });
    registry.Add(Cmd::TestBeepLed, [](Bench& bench) {
        BeepLedDialog dialog(bench);
        bench.Op.Exec(dialog);
    });
    registry.Add(Cmd::TestBelt, [](Bench& bench) { RunBeltTest(bench); });
    registry.Add(Cmd::EmcTest, [](Bench& bench) {
        bench.Op.CloseAllChildren();
        EmcTestDialog dialog(bench);
        bench.Op.Exec(dialog);
    });
}
