// The document commands of the menu and the dialogs they open.
#include "core/CommandRegistry.h"
#include "core/CommandIds.h"
#include "documents/DocumentHandleDialog.h"
#include "documents/DocumentRun.h"
#include "documents/ReleaseDocumentDialog.h"

DocumentDialogs DefaultDocumentDialogs()
{
    return {[](Bench& bench) { return RunDocumentHandleDialog(bench); },
            [](Bench& bench) { RunReleaseDocumentDialog(bench); }};
}

void RegisterDocumentCommands(CommandRegistry& registry)
{
    for (int id : {Cmd::ReadOneDoc, Cmd::Manual, Cmd::RepeatManual})
        registry.Add(id, [id](Bench& bench) { RunDocumentCommand(bench, id, DefaultDocumentDialogs()); });
}
