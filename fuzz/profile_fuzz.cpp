// Profiles: any text as the part's profile of the "profile" statement, the
// body turned from it given to a part (a profile that bounds no body is
// refused) and the part's section recognised by the plan data, as the
// examples' first scripts do.
#include "fuzz_support.h"
#include "geometry/contour_script.h"
#include "model/revolution_part.h"
#include "operations/headless_turn_panels.h"
#include "operations/turn.h"
#include "plan/command_script.h"
#include "plan/plan_panels.h"
#include "platform/core/host_error.h"
#include "platform/core/host_folder.h"
#include "platform/core/variant.h"
#include "platform/documents/host_application.h"

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
    try {
        SetPartFromProfile(part, *profile);
    } catch (const HostError&) {
        RegisterPlanPanels(previous);
        return 0;
    }
    CommandScript runner;
    runner.Run(
        "lsc L\nanswer lsc ok lsc=L\ncoordinate-system\nanswer spid ok L=90 D=45 Z=2\nplan-data\n"
        "answer turn ok work=all allowance=0.5\ncreate 1\nanswer turn ok work=all\ncreate 2\n");
    RegisterPlanPanels(previous);
    return 0;
}
