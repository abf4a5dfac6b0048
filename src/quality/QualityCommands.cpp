#include "quality/QualityCommands.h"

#include "core/BenchState.h"
#include "core/CommandIds.h"
#include "core/CommandRegistry.h"
#include "core/Connection.h"
#include "core/Operator.h"
#include "quality/CalibrationImageDialog.h"
#include "quality/QualityImageDialog.h"

void RegisterQualityCommands(CommandRegistry& registry)
{
    registry.Add(Cmd::ImageCalibration, [](Bench& bench) {
        // The dialog's feeds rely on the unit's generation being known.
        const OpenResult open = OpenUnit(bench, OpenOperation::VnConnect, OpenRule::AnyFailureStops);
        if (open.Proceed)
            IdentifyForGeneration(bench);
        CloseUnit(bench);
        CalibrationImageDialog dialog(bench);
        bench.Op.Exec(dialog);
    });
    registry.Add(Cmd::QualityCheck, [](Bench& bench) {
        QualityImageDialog dialog(bench);
        bench.Op.Exec(dialog);
    });
}
