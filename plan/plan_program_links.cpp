// The plan's links for the NC program.
#include "plan/plan_program_links.h"

#include "plan/spid.h"

namespace zarvento {

PlanProgramLinks& PlanProgramLinks::Instance() {
    static PlanProgramLinks links;
    return links;
}

std::filesystem::path PlanProgramLinks::TemporaryDirectory() const {
    const CSPID* plan = ExistingSPID();
    return plan != nullptr ? std::filesystem::path(plan->sessionDirectory) : std::filesystem::path();
}

const CPostProcessor* PlanProgramLinks::PostProcessor() const {
    const CSPID* plan = ExistingSPID();
    return plan != nullptr ? plan->GetPostProcessor() : nullptr;
}

}  // namespace zarvento
