// The reports layer's registrations.
#include "reports/reports_layer.h"

#include "operations/operations_layer.h"
#include "plan/plan_documents.h"
#include "reports/plan_sketches.h"

namespace zarvento {

void RegisterReportsLayer() {
    RegisterOperationsLayer();
    RegisterPlanDocuments(&PlanSketches::Instance());
}

void UnregisterReportsLayer() {
    if (GetPlanDocuments() == &PlanSketches::Instance()) RegisterPlanDocuments(nullptr);
}

}  // namespace zarvento
