// The registration point of the plan's contours.
#include "nc/plan_contours.h"

namespace zarvento {

namespace {
PlanContours* g_planContours = nullptr;
}

PlanContours* GetPlanContours() { return g_planContours; }

PlanContours* RegisterPlanContours(PlanContours* contours) {
    PlanContours* previous = g_planContours;
    g_planContours = contours;
    return previous;
}

}  // namespace zarvento
