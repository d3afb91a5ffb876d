// The registration point of the plan's contours.
#include "nc/plan_contours.h"

#include "platform/core/registration.h"

namespace zarvento {

namespace {
Registration<PlanContours> registration;
}  // namespace

PlanContours* GetPlanContours() { return registration.Get(); }

PlanContours* RegisterPlanContours(PlanContours* contours) { return registration.Register(contours); }

}  // namespace zarvento
