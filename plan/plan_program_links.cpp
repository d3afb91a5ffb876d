// The plan's links for the NC program.
#include "plan/plan_program_links.h"

#include "plan/plan.h"
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

bool PlanProgramLinks::HasPlan() const { return ExistingPLAN() != nullptr; }

std::vector<ProgramOperation*> PlanProgramLinks::Operations() const {
    std::vector<ProgramOperation*> operations;
    if (const CPLAN* plan = ExistingPLAN())
        for (int k = 0; k < plan->GetTurnCount(); ++k) operations.push_back(plan->GetTurn(k));
    return operations;
}

void PlanProgramLinks::Recalculate() {
    if (CPLAN* plan = ExistingPLAN()) plan->DiagnosticRaschetPath();
}

void PlanProgramLinks::RecalculateOperation(ProgramOperation* op) {
    CPLAN* plan = ExistingPLAN();
    if (plan == nullptr) return;
    for (int k = 0; k < plan->GetTurnCount(); ++k)
        if (plan->GetTurn(k) == op) plan->RecalculateTurn(k);
}

PARAMETERS* PlanProgramLinks::PlanProvider() const {
    CPLAN* plan = ExistingPLAN();
    return plan != nullptr ? &plan->PlanParameters() : nullptr;
}

}  // namespace zarvento
