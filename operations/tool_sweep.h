// ToolSweep: the tool's whole outline as the clearance check follows it
// along a path. The outline is the tool's contour from its model (the
// insert's edges and the holder, `ParamTool::pContour`), placed as the
// simulation places it: its (0, 0) on the programmed point. Its nose, the
// circle of the tool's corner radius, is measured exactly by the check
// itself; the sweep leaves out what lies within a little more than that
// radius of the nose's centre and measures the rest against outlines of
// material (the part's section, the stock) to the tolerance of the
// simulation's comparison.
//
// Cost: the outline is cut into pieces of a millimetre or less, and each
// piece keeps how far it stood from each material when last measured; a
// piece is measured again only once the tool has travelled that far, so that
// a piece far off the part costs nothing per move and a move costs the
// pieces near the material (ClearanceOutline's cells find what is near).
#pragma once

#include <functional>
#include <optional>
#include <queue>
#include <utility>
#include <vector>

#include "operations/path_clearance.h"

namespace zarvento {

class Contour;

// How deep the outline reaches into a material, and with what.
struct OutlineReach {
    double depth = 0.0;
    ToolPart part = ToolPart::Edge;
};

class ToolSweep {
public:
    struct Setup {
        // The nose's centre from the programmed point and its radius.
        Point2D nose;
        double r = 0.0;
        // Reaches this shallow are no cut (the simulation's accuracy).
        double tolerance = 0.01;
        // How far the nose circle may reach past a surface (the check's).
        double noseTolerance = 1e-3;
        // The outline mirrored across the spindle's axis, as the simulation
        // mirrors it where an operation machines inside: what of the tool
        // lies past the axis meets the material on the other side. The
        // whole outline is followed then, its nose too.
        bool acrossAxis = false;
        // How far a point lies beyond what the plan cuts into the part by
        // design (a thread's groove); a point reaches no farther. None: all
        // of the material counts.
        std::function<double(Point2D)> beyondPlanned;
    };

    ToolSweep(const Contour& outline, const Setup& setup);

    bool Empty() const { return pieces_.empty(); }

    // Starts following an outline of material; the index names it to Reach.
    // Only a closed outline bounds material: an open one is never met.
    int Follow(const ClearanceOutline& material);
    // How deep the outline reaches into the material `target` while the
    // tool's point runs along the move from where it stands; none when it
    // keeps within the tolerance. The move is as programmed (not mirrored).
    std::optional<OutlineReach> Reach(int target, const Curve2D& move);
    // The tool's point runs along the move (after a jump from where it
    // stood, when the move starts elsewhere).
    void Advance(const Curve2D& move);
    // What of the outline reaches into the material `target` with the tool's
    // point at either end of the move: its edges before its holder; the nose
    // when no piece does.
    ToolPart PartAt(int target, const Curve2D& move) const;

private:
    struct Piece {
        Curve2D curve;            // about the programmed point
        std::vector<int> points;  // the points whose traces bound its sweep
        ToolPart part = ToolPart::Edge;
    };
    struct Material {
        const ClearanceOutline* outline = nullptr;
        // Per piece, the travel up to which it is known to stay farther
        // than `near_` off the material, in the order they run out.
        std::priority_queue<std::pair<double, int>, std::vector<std::pair<double, int>>, std::greater<>> due;
        std::vector<unsigned> traced;  // per point, the move its trace was last measured in
        unsigned move = 0;
        std::vector<std::pair<double, int>> measured;  // the pieces measured in this move
    };

    void AddUnit(const Curve2D& unit, ToolPart part, const Setup& setup);
    void AddPiece(const Curve2D& curve, ToolPart part);
    Curve2D Placed(const Curve2D& move) const;
    // How deep the piece placed at `at` reaches into the material.
    double PieceDepth(const Material& m, int piece, Point2D at) const;
    // What was met, as deep as any piece of the outline reaches at either
    // end of the move.
    OutlineReach DeepestAt(const Material& m, const Curve2D& move, OutlineReach met) const;

    std::vector<Piece> pieces_;
    std::vector<Point2D> points_;
    std::vector<Material> materials_;
    std::function<double(Point2D)> beyondPlanned_;
    bool mirrored_ = false;
    double tolerance_ = 0.01;
    // Pieces nearer the material than this are measured for depth: what the
    // sweep leaves to the nose may reach that far past the surface.
    double near_ = 0.01;
    double travel_ = 0.0;
    bool moved_ = false;
    Point2D at_;
};

}  // namespace zarvento
