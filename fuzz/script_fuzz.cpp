// Command scripts: any text run on a new part document through the command
// door, with the headless panels and the installed post-processors, as
// "zarvento run" runs it (profiles are found beside the examples' scripts).
#include "fuzz_support.h"
#include "operations/headless_turn_panels.h"
#include "operations/turn.h"
#include "plan/command_script.h"
#include "plan/plan_panels.h"
#include "platform/core/host_folder.h"
#include "platform/documents/host_application.h"
#include "platform/processes/module.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zarvento;
    fuzz::FreshState fresh;
    SetHostFolder(fuzz::Scratch());
    SetModuleDirectory(fuzz::SourcePath(""));
    RegisterTurnFactory();
    HeadlessTurnPanels panels;
    PlanPanels* previous = RegisterPlanPanels(&panels);
    ConnectHostApplication().Documents().Add(DocumentType::Part);
    CommandScript runner(fuzz::SourcePath("examples/shaft"));
    try {
        runner.Run(fuzz::Text(data, size));
    } catch (const ScriptError&) {
        // A line that cannot be read stops the script, as it should.
    }
    RegisterPlanPanels(previous);
    return 0;
}
