// The plan's side of the 3D model of the machined part: what the plan data
// gives Create3DModelResult (model/result_model.h), and its two callers, the
// simulation's current stock and the stock one operation leaves.
#pragma once

#include <string>

#include "model/result_model.h"

namespace zarvento {

class PlanTurn;

// The NC system, the stock's build method and model file, and the plan's
// temporary directory; an empty record without a plan.
ResultModelPlan PlanResultModel();

// The stock the operation leaves, turned into a part at `path`; nothing when
// the operation has none.
void SaveTurnResultModel(PlanTurn& op, const std::string& path);

}  // namespace zarvento
