// The rotation operation of a part: a sketch's region turned about its axis
// line, added to the body or cut from it.
#include <cmath>
#include <string>
#include <vector>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/numbers.h"
#include "platform/drawings/host_sketch.h"
#include "platform/part_model.h"
#include "platform/rotation_operation.h"

namespace zarvento {

namespace {

// Sketch points closer than this are one point; a point closer to the axis
// lies on it.
constexpr double kJoin = 1e-6;

[[noreturn]] void Refuse(const std::string& what) { throw HostError(E_INVALIDARG_, "the rotation's sketch " + what); }

struct Plane2D {
    Point2D origin;  // a point of the axis
    Point2D along;   // the axis direction, unit length
    Point2D across;  // the axis direction turned a quarter counter-clockwise
};

// The axis line: the first object of the axis style.
Plane2D SketchAxis(const Document2D& objects) {
    for (const Object2D& o : objects.Objects()) {
        if (o.type != kObj2DLine || o.style != kSketchAxisStyle) continue;
        const double dx = o.line.x2 - o.line.x1, dy = o.line.y2 - o.line.y1;
        const double length = std::hypot(dx, dy);
        if (!(length > kJoin)) Refuse("has an axis line of no length");
        return Plane2D{{o.line.x1, o.line.y1}, {dx / length, dy / length}, {-dy / length, dx / length}};
    }
    Refuse("has no axis line");
}

// A piece of the outline in sketch coordinates: its ends and, for an arc, a
// point between them.
struct SketchPiece {
    bool arc = false;
    Point2D a, m, b;
};

std::vector<SketchPiece> OutlinePieces(const Document2D& objects) {
    std::vector<SketchPiece> pieces;
    for (const Object2D& o : objects.Objects()) {
        if (o.style != kSketchOutlineStyle) continue;
        if (o.type == kObj2DLine) {
            pieces.push_back({false, {o.line.x1, o.line.y1}, {}, {o.line.x2, o.line.y2}});
        } else if (o.type == kObj2DArc) {
            const ArcParam2D& arc = o.arc;
            const double a1 = std::atan2(arc.y1 - arc.yc, arc.x1 - arc.xc);
            const double a2 = std::atan2(arc.y2 - arc.yc, arc.x2 - arc.xc);
            double sweep = arc.direction >= 0 ? a2 - a1 : a1 - a2;
            while (sweep <= 0.0) sweep += 2.0 * PI;
            while (sweep > 2.0 * PI) sweep -= 2.0 * PI;
            const double middle = a1 + (arc.direction >= 0 ? 0.5 : -0.5) * sweep;
            pieces.push_back({true,
                              {arc.x1, arc.y1},
                              {arc.xc + arc.rad * std::cos(middle), arc.yc + arc.rad * std::sin(middle)},
                              {arc.x2, arc.y2}});
        } else if (o.type == kObj2DPolyline) {
            for (std::size_t k = 1; k < o.points.size(); ++k)
                pieces.push_back({false, o.points[k - 1], {}, o.points[k]});
        }
    }
    if (pieces.empty()) Refuse("has no outline");
    return pieces;
}

bool Same(Point2D p, Point2D q) { return std::hypot(p.x - q.x, p.y - q.y) <= kJoin; }

// The pieces in chain order, each turned to run on from the one before; every
// piece is looked at once.
std::vector<SketchPiece> Chain(std::vector<SketchPiece> pieces) {
    for (std::size_t k = 1; k < pieces.size(); ++k) {
        const Point2D end = pieces[k - 1].b;
        SketchPiece& p = pieces[k];
        if (Same(p.a, end)) continue;
        if (Same(p.b, end)) {
            std::swap(p.a, p.b);
            continue;
        }
        // The first piece may have been met backwards.
        if (k == 1 && (Same(p.a, pieces[0].a) || Same(p.b, pieces[0].a))) {
            std::swap(pieces[0].a, pieces[0].b);
            if (Same(p.b, pieces[0].b)) std::swap(p.a, p.b);
            continue;
        }
        Refuse("has an outline that breaks between pieces " + std::to_string(k) + " and " + std::to_string(k + 1));
    }
    return pieces;
}

Point3 Add(const Point3& p, const Point3& d, double t) { return {p[0] + t * d[0], p[1] + t * d[1], p[2] + t * d[2]}; }

}  // namespace

void AddRotationOperation(HostPart& part, const HostSketch& sketch, RotationOperationKind kind) {
    HostFaults::Check(kind == RotationOperationKind::Add ? "HostPart.RotationAdd" : "HostPart.RotationCut");
    if (!part.Document()) throw HostError(E_POINTER_, "the part belongs to no document");
    const auto& system = sketch.PlaneSystem();
    if (!system) Refuse("lies on no plane");
    const Plane2D axis = SketchAxis(sketch.Objects());
    const std::vector<SketchPiece> chain = Chain(OutlinePieces(sketch.Objects()));

    // Sketch points become (z, r): z along the axis line, r the distance
    // from it, on the one side of it the whole outline keeps to.
    int side = 0;
    auto meridian = [&](Point2D p) -> std::array<double, 2> {
        const double dx = p.x - axis.origin.x, dy = p.y - axis.origin.y;
        const double z = dx * axis.along.x + dy * axis.along.y;
        const double s = dx * axis.across.x + dy * axis.across.y;
        if (std::fabs(s) > kJoin) {
            const int sign = s > 0 ? 1 : -1;
            if (side != 0 && sign != side) Refuse("has an outline on both sides of the axis");
            side = sign;
        }
        return {z, std::fabs(s) <= kJoin ? 0.0 : std::fabs(s)};
    };
    std::vector<MeridianPiece> profile;
    profile.reserve(chain.size());
    for (const SketchPiece& piece : chain) {
        const auto a = meridian(piece.a), b = meridian(piece.b);
        if (piece.arc) {
            const auto m = meridian(piece.m);
            profile.push_back(MeridianPiece::Arc(a[0], a[1], m[0], m[1], b[0], b[1]));
        } else if (std::hypot(b[0] - a[0], b[1] - a[1]) > kJoin) {
            profile.push_back(MeridianPiece::Segment(a[0], a[1], b[0], b[1]));
        }
    }

    // The sketch's plane in space: its origin, x axis and y axis.
    const Point3 origin = sketch.PlacementOrigin();
    const Point3 xPoint = sketch.PlacementAxisPoint();
    const Point3 ex{xPoint[0] - origin[0], xPoint[1] - origin[1], xPoint[2] - origin[2]};
    const auto& axes = system->Axes();
    // The second axis of each plane: XY -> Y, ZX -> X, YZ -> Z.
    const int number = sketch.PlaneNumber();
    const std::size_t second = number == LocalCoordinateSystem::kPlaneZX   ? 0
                               : number == LocalCoordinateSystem::kPlaneYZ ? 2
                                                                           : 1;
    const Point3 ey = axes[second];
    RevolutionAxis revolution;
    revolution.origin = Add(Add(origin, ex, axis.origin.x), ey, axis.origin.y);
    revolution.direction = Add(Add({0, 0, 0}, ex, axis.along.x), ey, axis.along.y);
    const double s = side < 0 ? -1.0 : 1.0;
    revolution.radial = Add(Add({0, 0, 0}, ex, s * axis.across.x), ey, s * axis.across.y);

    const PartShape solid = PartShape::Revolve(profile, revolution);
    PartShape body;
    if (kind == RotationOperationKind::Add) {
        body = part.HasBody() ? part.Body().Fuse(solid) : solid;
    } else {
        if (!part.HasBody()) Refuse("cuts from a part without a body");
        body = part.Body().Cut(solid);
        if (body.IsNull() || body.SolidCount() == 0) Refuse("cuts away the whole body");
    }
    SetPartBody(part, body);
}

}  // namespace zarvento
