// Registration of the plan's drawings.
#include "plan/plan_documents.h"

#include "platform/core/registration.h"

namespace zarvento {

namespace {
Registration<PlanDocuments> registration;
}  // namespace

PlanDocuments* GetPlanDocuments() { return registration.Get(); }

PlanDocuments* RegisterPlanDocuments(PlanDocuments* documents) { return registration.Register(documents); }

}  // namespace zarvento
