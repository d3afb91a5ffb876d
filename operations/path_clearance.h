// The clearance check of tool paths: it reads an operation's frames as the
// machine will run them and trusts no path builder. Every feed move keeps the
// tool out of the part's section; every rapid keeps it out of the part and
// out of the stock it cannot pass through: the stock as it stands before the
// operation until the first feed move, and all along what the operation
// leaves of it. The tool is its nose circle, measured exactly, and the rest
// of its outline from its model as the simulation cuts with it (ToolSweep):
// its insert's edges and its holder, and where the operation machines
// inside, what of it lies past the spindle's axis.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/drawings/curve_2d.h"

namespace zarvento {

class CCadreISO;
class Contour;
class CTurn;
class CUnit;

// A unit as an exact piece in the (z, x) plane, moved by (dz, dx).
Curve2D PieceOf(const CUnit& unit, double dz, double dx);

// A closed outline (a part's section, a stock) indexed for clearance queries:
// its units as exact pieces in a grid of cells, so that a query costs the
// pieces near the move and not the whole outline. An open outline (a bare
// profile) bounds no area: only moves that come near it are found.
class ClearanceOutline {
public:
    explicit ClearanceOutline(const Contour& outline);

    bool Empty() const { return pieces_.empty(); }
    const Box2D& Bounds() const { return bounds_; }
    // The least distance from the piece to the outline when it is below
    // `within`, else `within`: only the cells near the piece are searched.
    double Distance(const Curve2D& piece, double within) const;
    // Whether the point lies inside a closed outline; a point on the outline
    // may go either way.
    bool Inside(Point2D p) const;
    // Whether the outline closes, so that it bounds an area.
    bool Closed() const { return closed_; }
    // How far the piece reaches into a closed outline at its deepest: the
    // greatest distance to the outline of its points that lie inside (found
    // between its crossings of the outline, sampled along them); 0 when none
    // does or the outline is open. `beyondPlanned`, when given, says how far
    // a point lies beyond what the plan cuts by design (a thread's groove):
    // a point reaches no farther.
    double InsideDepth(const Curve2D& piece, const std::function<double(Point2D)>& beyondPlanned = {}) const;
    // How far a circle of radius r running along the piece reaches past the
    // outline's surface at its deepest (sampled along the piece); 0 or less
    // when it keeps clear.
    double Depth(const Curve2D& piece, double r) const;
    // The outline's pieces, each monotone in y.
    const std::vector<Curve2D>& Pieces() const { return pieces_; }

private:
    double PieceDistance(const Curve2D& piece, double within) const;
    double PointDistance(Point2D p) const;
    template <class Visit>
    void ForCellsOf(const Box2D& box, Visit&& visit) const;
    int Column(double v) const;
    int Row(double v) const;

    // Pieces that run monotonically in y (arcs are split at their top and bottom).
    std::vector<Curve2D> pieces_;
    std::vector<Box2D> boxes_;
    Box2D bounds_;
    bool closed_ = false;
    double cell_ = 1.0;
    int columns_ = 0, rows_ = 0;
    std::vector<int> cellStart_;  // per cell, where its pieces start in cellItems_
    std::vector<int> cellItems_;
    mutable std::vector<unsigned> seen_;
    mutable unsigned visit_ = 0;
};

// What of the tool reaches past a surface: its nose circle, a cutting edge
// of its outline (a corner and the units that run from it), the rest of the
// outline (the holder), or what of the outline lies past the spindle's axis
// (mirrored onto the material there where the operation machines inside).
enum class ToolPart { Nose, Edge, Holder, AcrossAxis };

// What the check found wrong with a path: the first move that reaches too far.
struct PathIntrusion {
    int frame = -1;                                 // index among the operation's frames
    bool rapid = false;                             // a rapid move (else a feed move)
    bool intoStock = false;                         // into stock the move may not pass through (else into the part)
    ToolPart part = ToolPart::Nose;                 // what of the tool reaches it
    double depth = 0.0;                             // how far the tool reaches past what it must keep clear of
    double z1 = 0.0, x1 = 0.0, z2 = 0.0, x2 = 0.0;  // the move's ends as programmed
    std::string block;                              // the block as written, when the move was read from it

    // The operation's error text: what, where and how deep.
    std::string Describe() const;
};

struct ClearanceLimits {
    // Material the feed moves leave on the part until the frame that sets the
    // finishing cutting data (the test suites' roughing invariant; the main
    // job asks for none).
    double allowance = 0.0;
    // Intrusions this shallow are no cut: the resolution of a machine.
    double tolerance = 1e-3;
    // What the tool's outline beyond its nose may reach past a surface (at
    // least the tolerance): the accuracy the simulation compares the part
    // with; 0 takes the settings' accuracy.
    double outlineTolerance = 0.0;
};

// The first intrusion of the operation's path, or none. Outlines that are
// null or empty are not checked against.
std::optional<PathIntrusion> FindPathIntrusion(const CTurn& op, const ClearanceOutline& part,
                                               const ClearanceOutline* stockBefore, const ClearanceOutline* stockAfter,
                                               const ClearanceLimits& limits = {});

// One move of an operation as the check follows it: the travel of the
// tool's point, from the frames computed or from the program as written.
struct ClearanceMove {
    Curve2D piece;
    bool rapid = false;
    // Part of a machine cycle's profile: the control cuts along it with the
    // cycle's own moves, which the program does not spell out, so only the
    // part is checked against.
    bool cycleProfile = false;
    // A thread cut (G32): the frame is a thread pass.
    bool thread = false;
    // Before the frame that sets the finishing cutting data (the roughing
    // invariant's allowance holds until then).
    bool beforeFinishingData = true;
    int frame = -1;                     // index among the operation's frames
    const CCadreISO* source = nullptr;  // the frame that made the move, when known
    std::string block;                  // the block it was read from, when read
};

// The moves of the operation's computed frames, in order.
std::vector<ClearanceMove> ComputedMoves(const CTurn& op);

// The first intrusion of a sequence of the operation's moves (the
// operation gives the tool), or none. Outlines that are null or empty are
// not checked against. The tool's outline is the contour its model gave
// (`CTurn::GetToolContour`); a tool without one is its nose circle alone
// (for a groove's blade, the circles of its edge up to its other corner; for
// a thread's passes, the insert's nose).
std::optional<PathIntrusion> FindMovesIntrusion(const CTurn& op, const std::vector<ClearanceMove>& moves,
                                                const ClearanceOutline& part, const ClearanceOutline* stockBefore,
                                                const ClearanceOutline* stockAfter, const ClearanceLimits& limits = {});

// How far a nose circle of radius r, its centre driven along the route's
// units moved by (dz, dx), reaches past the outline's surface, measured as a
// rapid move of a path is measured; nothing when it keeps clear to the
// tolerance. Where the nose at an end of the route already reaches past the
// surface, the route may reach as far (and near that end, anywhere): what
// the tool meets where the route leaves it is the path's own.
std::optional<double> RouteReach(const Contour& route, double dz, double dx, double r, const ClearanceOutline& outline,
                                 double tolerance);

// The main job's check of one calculated operation against the plan's part
// and the stock before and after it. False, with the operation's error
// message set, when the path cuts into the part or crashes into the stock.
// The tool's contour is built from its model first when it has one.
bool CheckPathClearance(CTurn& op);
// The same check of moves of the operation other than its frames' (the
// program as written): false, with the error message set, on an intrusion.
bool CheckMovesClearance(CTurn& op, const std::vector<ClearanceMove>& moves, const ClearanceLimits& limits = {});

// A test seam: a function every operation's path passes through right after
// it is built, so that a test can spoil a path and see it refused. Returns
// the previous one; null (the default) leaves paths as they are.
using PathTamper = void (*)(CTurn&);
PathTamper SetPathTamper(PathTamper tamper);
// Called by the operations once their path is complete.
void ApplyPathTamper(CTurn& op);

}  // namespace zarvento
