#include "maintenance/MaintenanceCommands.h"

#include "core/BenchState.h"
#include "core/CommandIds.h"
#include "core/CommandRegistry.h"
#include "core/Operator.h"
#include "maintenance/DumpMemoryDialog.h"
#include "maintenance/HistoryDataDialog.h"
#include "maintenance/PeripheralSetup.h"
#include "maintenance/SetupDialog.h"

void RegisterMaintenanceCommands(CommandRegistry& registry)
{
    registry.Add(Cmd::ScannerCalibration, [](Bench& bench) {
        if (ConfirmDestructiveCalibration(bench))
            ScannerCalibrationCommand(bench, 1);
    });
    registry.Add(Cmd::PathCalibration, [](Bench& bench) {
        if (ConfirmDestructiveCalibration(bench))
            PhotosCalibrationCommand(bench);
    });
    registry.Add(Cmd::PeripheralSetup, [](Bench& bench) {
        SetupDialog dialog(bench);
        bench.Op.Exec(dialog);
    });
    registry.Add(Cmd::DumpMemory, [](Bench& bench) {
        DumpMemoryDialog dialog(bench);
        bench.Op.Exec(dialog);
    });
    registry.Add(Cmd::UnitMonitoring, [](Bench& bench) {
        HistoryDataDialog dialog(bench);
        bench.Op.Exec(dialog);
    });
}
