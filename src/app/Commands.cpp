#include "app/Commands.h"

#include "app/AboutDialog.h"
#include "app/BenchState.h"
#include "app/ConversionTest.h"
#include "app/MenuTable.h"
#include "device/UnitCommands.h"
#include "documents/DocumentRun.h"
#include "documents/ImageCommands.h"
#include "micr/MicrCommands.h"
#include "platform/Operator.h"
#include "views/ImageFileCommands.h"

void RegisterBenchCommands(CommandRegistry& registry)
{
    RegisterUnitCommands(registry);
    RegisterDocumentCommands(registry);
    RegisterImageCommands(registry);
    RegisterMicrCommands(registry);
    // The About box is followed by a conversion test on the unit.
    registry.Add(Cmd::About, [](Bench& bench) {
        AboutDialog about;
        bench.Op.Exec(about);
        RunConversionTest(bench);
    });
    // Needs no unit: the device library loads the file on its own.
    registry.Add(Cmd::OpenFile, [](Bench& bench) { OpenImageFile(bench); }, false);
}
