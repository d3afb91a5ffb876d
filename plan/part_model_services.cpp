// The plan's part-model services.
#include "plan/part_model_services.h"

#include <string>

#include "catalogs/integrator_ex.h"
#include "catalogs/integrator_reference_client.h"
#include "model/rotation_contours.h"
#include "nc/detail_parameters.h"
#include "nc/materials_reference.h"
#include "plan/plan.h"
#include "plan/spid.h"

namespace zarvento {

namespace {

void ShowSectionError(const std::string& text) { GetSPID()->ShowError(text); }

// The stock of the plan data there is; none yet is a bar (rolled).
std::int32_t PlanStockForm() {
    const CSPID* spid = ExistingSPID();
    return spid ? spid->nSposobStock : 0;
}

}  // namespace

void RegisterPartModelServices() {
    RegisterDetailParametersReader(&ReadPartVariables);
    RegisterSectionErrorReport(&ShowSectionError);
    RegisterMaterialsReference(&NewIntegratorReferenceClient);
    RegisterStockFormSource(&PlanStockForm);
}

}  // namespace zarvento
