// How near a roughing's passes come to its working contour: wherever the
// nose can touch the contour and more than one depth of cut of stock stands
// over it, a feed move must come within that depth. A path whose passes stop
// short leaves the next tool more than it can take and is no roughing.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zarvento {

class CTurn;
struct ClearanceMove;

// A place on the working contour that the passes leave too far off.
struct StockLeft {
    double z = 0.0, x = 0.0;  // the point of the working contour (x the negative radius)
    double left = 0.0;        // how far the nearest feed move's nose keeps off it, mm
    double depth = 0.0;       // the depth of cut it should have come within

    // The operation's error text: where, how much and against what depth.
    std::string Describe() const;
};

// The first point of the operation's working contour that the feed moves
// (the operation's, computed or as written) leave farther off than `depth`
// (the depth of cut, and the finishing allowance when the operation finishes
// itself) where the nose fits against the contour and the stock before the
// operation stands thicker than that over it; none when the passes reach it
// everywhere. Reads the working contour the passes were made for, the stock
// before them and the operation's tool.
std::optional<StockLeft> FindStockLeft(const CTurn& op, const std::vector<ClearanceMove>& moves, double depth);

// The depth a multi-pass roughing in elementary moves must come within (its
// depth of cut and finishing allowance); none for any other operation, whose
// moves need not reach its working contour so (a contour pass follows it, a
// machine cycle makes its passes itself, a groove plunges).
std::optional<double> RoughingReachDepth(const CTurn& op);

// The main job's check of a roughing's moves as written: false, with the
// operation's error message set, when they stop short of its working contour.
bool CheckRoughingReach(CTurn& op, const std::vector<ClearanceMove>& moves);

}  // namespace zarvento
