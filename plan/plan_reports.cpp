// Registration of the plan's statistics values.
#include "plan/plan_reports.h"

namespace zarvento {

namespace {
PlanReports* registeredReports = nullptr;
}

PlanReports* GetPlanReports() { return registeredReports; }

PlanReports* RegisterPlanReports(PlanReports* reports) {
    PlanReports* previous = registeredReports;
    registeredReports = reports;
    return previous;
}

}  // namespace zarvento
