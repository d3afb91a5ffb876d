// What a finishing pass meets: the stock the operations before it leave over
// its working contour, measured from the stock as it stands before the pass
// and the part as the pass leaves it, against the depth the tool can take in
// one pass. Only reported: the path stays as it is.
#pragma once

#include <optional>
#include <string>

namespace zarvento {

class CTurn;

// Where no roughing comes before a finishing pass and its tool's model gives
// no depth of cut ("APMX"): the depth of cut of a multi-pass roughing as made.
inline constexpr double kDefaultFinishingDepth = 1.5;

// A finishing pass that meets more stock than the limit.
struct ExcessEngagement {
    double depth = 0.0;  // the thickest stock the pass meets, mm
    double z = 0.0;      // where on the part it stands: Z
    double x = 0.0;      // and X (the negative radius)
    double limit = 0.0;  // the depth of cut it exceeds
    int roughing = -1;   // the plan index of the roughing whose depth that is, -1 for the tool's own
    std::string roughingName;

    // What, where and against what, as the main job reports it.
    std::string Describe() const;
};

// The excess of an active finishing pass (a contour pass, or the finishing
// pass of a multi-pass operation) over the depth of cut of the roughing
// before it in the plan (without one, its tool's depth of cut); none when it
// stays within it or the operation makes no finishing pass.
std::optional<ExcessEngagement> FindExcessEngagement(const CTurn& op);

}  // namespace zarvento
