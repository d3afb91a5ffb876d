// A view of a part's body inserted into a 2D document by a named
// orientation: the outline of the projected body, and its approximation by
// lines and arcs, as the host's drawing views give them.
//
// The projection contract (model axes X, Y, Z; drawing axes x, y). The
// model's Y axis is up, so the named views look at its XZ plane, the plane a
// tool model turns in when the 3D scene takes model coordinates as those of
// the NC system (X across the spindle axis, Z along it):
//   "#Снизу" (from below) looks up along +Y: x = X, y = Z;
//   "#Сверху" (from above) looks down along -Y: x = X, y = -Z, its mirror
//            image.
// The view is anchored so that the model origin lands at the drawing origin
// (0, 0): the host puts the view's reference point 5 mm below and left of the
// anchor it is given, which the caller's (-5, -5) shift of the anchor undoes.
// The view's outline objects (kind 26) are the outer boundary of the
// projected body as closed counter-clockwise chains (a hole through the body
// is no part of it); their approximation keeps within 0.01 mm of it.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "platform/part_shape.h"

namespace zarvento {

enum class ModelViewOrientation { FromBelow, FromAbove };

// "#Снизу" or "#Сверху"; false for any other name.
bool ModelViewOrientationByName(std::string_view name, ModelViewOrientation& out);

using OutlinePoint = std::array<double, 2>;
// A closed chain: the last point joins the first.
using OutlineChain = std::vector<OutlinePoint>;

// The outer boundary of the body seen in the orientation, as closed
// counter-clockwise polygons whose points lie on the body's edges within
// `deflection`. Empty for no body.
std::vector<OutlineChain> ProjectBodyOutline(const PartShape& body, ModelViewOrientation view,
                                             double deflection = 0.004);

// A piece of an approximated outline: a line (host kind 1) from start to end,
// or an arc (host kind 3) about the centre from start to end, counter-clockwise
// for direction 1, clockwise for -1.
struct OutlinePiece {
    static constexpr int kLine = 1;
    static constexpr int kArc = 3;
    int kind = kLine;
    OutlinePoint start{}, end{};
    OutlinePoint centre{};
    double radius = 0;
    int direction = 1;
};

// Lines and arcs (each arc under a half turn) that keep within `tolerance` of
// the chain's points, in the chain's order and direction, the first starting
// at the chain's sharpest corner.
std::vector<OutlinePiece> ApproximateOutline(const OutlineChain& chain, double tolerance = 0.01);

}  // namespace zarvento
