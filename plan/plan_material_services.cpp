// The plan's services to the materials catalogs.
#include "plan/plan_material_services.h"

#include "catalogs/integrator_ex.h"
#include "plan/spid.h"

namespace zarvento {

namespace {

// The stock of the plan data there is; none yet is a bar (rolled).
std::int32_t PlanStockForm() {
    const CSPID* spid = ExistingSPID();
    return spid ? spid->nSposobStock : 0;
}

}  // namespace

void RegisterPlanMaterialServices() { RegisterStockFormSource(&PlanStockForm); }

}  // namespace zarvento
