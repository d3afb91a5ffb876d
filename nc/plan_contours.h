// PlanContours: the part and stock contours of the plan data, which template
// output can write; the plan layer above registers its implementation.
#pragma once

namespace zarvento {

class Contour;

class PlanContours {
public:
    virtual ~PlanContours() = default;
    // The plan's contours, or null when it has none. Output never changes them.
    virtual const Contour* DetailContour() const = 0;
    virtual const Contour* StockContour() const = 0;
};

// The registered contours, or null: then "DETAIL" and "STOCK" write nothing.
// Registration is wiring, not process state, so a state reset keeps it.
PlanContours* GetPlanContours();
// Returns the previous registration, so that a caller can put it back.
PlanContours* RegisterPlanContours(PlanContours* contours);

}  // namespace zarvento
