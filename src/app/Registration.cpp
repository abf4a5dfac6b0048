#include "app/Registration.h"

#include "app/AboutDialog.h"
#include "app/ConversionTest.h"
#include "core/BenchState.h"
#include "core/CommandIds.h"
#include "core/CommandRegistry.h"
#include "core/MessageTitles.h"
#include "core/Operator.h"
#include "device/UnitCommands.h"
#include "documents/DocumentRun.h"
#include "documents/ImageCommands.h"
#include "maintenance/DeviceTestCommands.h"
#include "maintenance/MaintenanceCommands.h"
#include "micr/MicrCommands.h"
#include "quality/QualityCommands.h"
#include "views/ImageFileCommands.h"

void RegisterBenchCommands(CommandRegistry& registry)
{
    RegisterUnitCommands(registry);
    RegisterDocumentCommands(registry);
    RegisterImageCommands(registry);
    RegisterViewCommands(registry);
    RegisterMicrCommands(registry);
    RegisterQualityCommands(registry);
    RegisterMaintenanceCommands(registry);
    RegisterDeviceTestCommands(registry);
    // The About box is followed by a conversion test on the unit.
    registry.Add(Cmd::About, [](Bench& bench) {
        AboutDialog about;
        bench.Op.Exec(about);
        RunConversionTest(bench);
    });
    // The start-up gives the virtual unit's own panel in its place; any
    // other library has no unit to put hands on.
    registry.Add(Cmd::VirtualUnitPanel, [](Bench& bench) {
        bench.Op.Message(DemoTitle, "The device library is not the virtual unit: there is no panel to show.",
                         MessageButtons::Ok, MessageIcon::Information);
    });
}
