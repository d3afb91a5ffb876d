// The plan data of the result model, and the operation's result model.
#include "simulation/result_model_plan.h"

#include "operations/turn.h"
#include "plan/spid.h"
#include "simulation/simulation.h"

namespace zarvento {

ResultModelPlan PlanResultModel() {
    ResultModelPlan plan;
    if (const CSPID* spid = ExistingSPID()) {
        plan.lsc = spid->GetLSC();
        plan.stockMethod = spid->SposobBuildSource;
        plan.stockModelFile = spid->GetFileModelSour();
        plan.temporaryDirectory = spid->sessionDirectory;
    }
    return plan;
}

void SaveTurnResultModel(PlanTurn& op, const std::string& path) {
    const auto* turn = dynamic_cast<const CTurn*>(&op);
    if (turn && turn->finalContour) Create3DModelResult(turn->finalContour.get(), path, PlanResultModel());
}

void CSimulation::SaveResultModel(const std::string& path) {
    if (stock_) Create3DModelResult(stock_.get(), path, PlanResultModel());
}

}  // namespace zarvento
