// Registration of the plan's statistics values.
#include "plan/plan_reports.h"

#include "platform/core/registration.h"

namespace zarvento {

namespace {
Registration<PlanReports> registration;
}  // namespace

PlanReports* GetPlanReports() { return registration.Get(); }

PlanReports* RegisterPlanReports(PlanReports* reports) { return registration.Register(reports); }

}  // namespace zarvento
