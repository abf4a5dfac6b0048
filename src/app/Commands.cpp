#include "app/Commands.h"

#include "app/AboutDialog.h"
#include "app/BenchState.h"
#include "app/ConversionTest.h"
#include "app/MenuTable.h"
#include "device/UnitCommands.h"
#include "documents/ImageCommands.h"
#include "platform/Operator.h"

void RegisterBenchCommands(CommandRegistry& registry)
{
    RegisterUnitCommands(registry);
    RegisterImageCommands(registry);
    // The About box is followed by a conversion test on the unit.
    registry.Add(Cmd::About, [](Bench& bench) {
        AboutDialog about;
        bench.Op.Exec(about);
        RunConversionTest(bench);
    });
}
