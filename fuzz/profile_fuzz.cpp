// Profiles: any text as the part's profile of the "profile" statement, its
// faces of revolution added to a part and the part's section recognised by
// the plan data, as the examples' first scripts do.
#include "fuzz_support.h"
#include "geometry/contour_script.h"
#include "model/revolution_part.h"
#include "operations/headless_turn_panels.h"
#include "operations/turn.h"
#include "plan/command_script.h"
#include "plan/plan_panels.h"
#include "platform/host_application.h"
#include "platform/host_folder.h"
#include "platform/variant.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zarvento;
    fuzz::FreshState fresh;
    std::string error;
    const std::unique_ptr<Contour> profile = ParseContourScript(fuzz::Text(data, size), &error, kMaxPlausibleValue);
    if (!profile) return 0;
    SetHostFolder(fuzz::Scratch());
    RegisterTurnFactory();
    HeadlessTurnPanels panels;
    PlanPanels* previous = RegisterPlanPanels(&panels);
    HostDocumentPtr part = ConnectHostApplication().Documents().Add(DocumentType::Part);
    AddPartFaces(*part, *profile);
    CommandScript runner;
    runner.Run(
        "lsc L\nanswer lsc ok lsc=L\ncoordinate-system\nanswer spid ok L=90 D=45 Z=2\nplan-data\n"
        "answer turn ok work=all allowance=0.5\ncreate 1\nanswer turn ok work=all\ncreate 2\n");
    RegisterPlanPanels(previous);
    return 0;
}
