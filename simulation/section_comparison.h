// How far a machined section departs from the part's: along each unit of the
// part, the largest depth of material left on it and the largest depth cut
// into it. The simulation's outcome reports the units where either exceeds
// a tolerance: a tool that cannot reach a corner leaves material there, and
// a tool whose body meets the part where its path does not cuts into it.
#pragma once

#include <functional>
#include <vector>

namespace zarvento {

class Contour;

struct SectionDeviation {
    int unit = 0;       // of the part's section
    double left = 0.0;  // mm of material left outside the part's unit
    double cut = 0.0;   // mm cut into the part under its unit
};

// Samples the part's units every `step` (more coarsely on a section too long
// for a million samples) and measures each sample's distance to the machined
// outline; lists, in unit order, the units with a departure beyond the
// tolerance. `beyondPlanned`, when given, says how far a point of the
// machined outline lies beyond what the plan cuts into the part by design
// (a thread's groove): a cut counts only that far.
using PlannedCut = std::function<double(double z, double x)>;
std::vector<SectionDeviation> CompareSections(const Contour& part, const Contour& machined, double tolerance,
                                              double step = 0.05, const PlannedCut& beyondPlanned = {});

}  // namespace zarvento
