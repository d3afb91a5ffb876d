// The projected outline of a body (the union of its projected mesh
// triangles) and its approximation by lines and arcs.
#include "platform/model_view.h"

#include <BRepBuilderAPI_Copy.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRep_Tool.hxx>
#include <Poly_Triangulation.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS.hxx>
#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <cmath>

#include "platform/host_error.h"
#include "platform/numbers.h"
#include "platform/part_model_occt.h"

namespace zarvento {

namespace {

// Drawing units to the clipper's integers: a nanometre each.
constexpr double kScale = 1e6;
// The body's outline is kept to a few metres either way.
constexpr double kMaxCoordinate = 1e6;
constexpr double kAngularDeflection = 0.5;  // radians: the linear deflection rules

double Cross(const OutlinePoint& o, const OutlinePoint& a, const OutlinePoint& b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

double Distance(const OutlinePoint& a, const OutlinePoint& b) { return std::hypot(a[0] - b[0], a[1] - b[1]); }

// The distance of p from the segment a-b.
double SegmentDistance(const OutlinePoint& p, const OutlinePoint& a, const OutlinePoint& b) {
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    const double len2 = dx * dx + dy * dy;
    if (len2 <= 0) return Distance(p, a);
    const double t = std::clamp(((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / len2, 0.0, 1.0);
    return Distance(p, {a[0] + t * dx, a[1] + t * dy});
}

// The circle through three points; false when they lie on one line.
bool CircleThrough(const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint& c, OutlinePoint& centre,
                   double& radius) {
    const double d = 2 * (a[0] * (b[1] - c[1]) + b[0] * (c[1] - a[1]) + c[0] * (a[1] - b[1]));
    if (std::fabs(d) < 1e-12) return false;
    const double a2 = a[0] * a[0] + a[1] * a[1], b2 = b[0] * b[0] + b[1] * b[1], c2 = c[0] * c[0] + c[1] * c[1];
    centre = {(a2 * (b[1] - c[1]) + b2 * (c[1] - a[1]) + c2 * (a[1] - b[1])) / d,
              (a2 * (c[0] - b[0]) + b2 * (a[0] - c[0]) + c2 * (b[0] - a[0])) / d};
    radius = Distance(centre, a);
    return std::isfinite(radius);
}

}  // namespace

bool ModelViewOrientationByName(std::string_view name, ModelViewOrientation& out) {
    if (name == "#Снизу") {
        out = ModelViewOrientation::FromBelow;
        return true;
    }
    if (name == "#Сверху") {
        out = ModelViewOrientation::FromAbove;
        return true;
    }
    return false;
}

std::vector<OutlineChain> ProjectBodyOutline(const PartShape& body, ModelViewOrientation view, double deflection) {
    if (body.IsNull() || !body.Get()) return {};
    const double mirror = view == ModelViewOrientation::FromAbove ? -1.0 : 1.0;
    ClipperLib::Paths triangles;
    try {
        // Meshed on a copy: the body's own faces keep the tessellation the
        // display made of them.
        BRepBuilderAPI_Copy copy(body.Get()->Shape(), Standard_False, Standard_False);
        const TopoDS_Shape shape = copy.Shape();
        BRepMesh_IncrementalMesh mesher(shape, deflection, Standard_False, kAngularDeflection);
        for (TopExp_Explorer faces(shape, TopAbs_FACE); faces.More(); faces.Next()) {
            const TopoDS_Face& face = TopoDS::Face(faces.Current());
            TopLoc_Location location;
            const Handle(Poly_Triangulation) mesh = BRep_Tool::Triangulation(face, location);
            if (mesh.IsNull()) continue;
            const gp_Trsf transform = location.Transformation();
            for (int t = 1; t <= mesh->NbTriangles(); ++t) {
                int n[3];
                mesh->Triangle(t).Get(n[0], n[1], n[2]);
                ClipperLib::Path path;
                for (int k : n) {
                    const gp_Pnt p = mesh->Node(k).Transformed(transform);
                    if (std::fabs(p.X()) > kMaxCoordinate || std::fabs(p.Z()) > kMaxCoordinate)
                        throw HostError(E_INVALIDARG_, "the body is too large to be drawn in a view");
                    path.emplace_back(std::llround(p.X() * kScale), std::llround(mirror * p.Z() * kScale));
                }
                // Faces seen edge-on cover nothing.
                const double area = ClipperLib::Area(path);
                if (area == 0) continue;
                if (area < 0) std::reverse(path.begin(), path.end());
                triangles.push_back(std::move(path));
            }
        }
    } catch (const Standard_Failure& e) {
        throw HostError(
            E_FAIL_, std::string("projecting the body failed: ") + (e.GetMessageString() ? e.GetMessageString() : ""));
    }
    ClipperLib::Clipper clipper;
    clipper.AddPaths(triangles, ClipperLib::ptSubject, true);
    ClipperLib::Paths united;
    clipper.Execute(ClipperLib::ctUnion, united, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    // The union leaves faces that only touch along an edge apart: grown by a
    // hair and shrunk back, they join.
    constexpr double kHair = 10;  // clipper units
    for (const double delta : {kHair, -kHair}) {
        ClipperLib::ClipperOffset offset(1000.0);
        offset.AddPaths(united, ClipperLib::jtMiter, ClipperLib::etClosedPolygon);
        united.clear();
        offset.Execute(united, delta);
    }
    ClipperLib::CleanPolygons(united, 2.0);
    std::vector<OutlineChain> chains;
    for (const ClipperLib::Path& path : united) {
        if (path.size() < 3 || !ClipperLib::Orientation(path)) continue;
        OutlineChain chain;
        chain.reserve(path.size());
        for (const ClipperLib::IntPoint& p : path)
            chain.push_back({static_cast<double>(p.X) / kScale, static_cast<double>(p.Y) / kScale});
        chains.push_back(std::move(chain));
    }
    return chains;
}

std::vector<OutlinePiece> ApproximateOutline(const OutlineChain& chain, double tolerance) {
    const std::size_t n = chain.size();
    if (n < 2) return {};
    // Started at the sharpest corner, no arc runs through the chain's start.
    std::size_t first = 0;
    double sharpest = -1;
    for (std::size_t i = 0; i < n; ++i) {
        const OutlinePoint& prev = chain[(i + n - 1) % n];
        const OutlinePoint& next = chain[(i + 1) % n];
        const double a1 = std::atan2(chain[i][1] - prev[1], chain[i][0] - prev[0]);
        const double a2 = std::atan2(next[1] - chain[i][1], next[0] - chain[i][0]);
        const double turn = std::fabs(std::remainder(a2 - a1, 2 * PI));
        if (turn > sharpest) {
            sharpest = turn;
            first = i;
        }
    }
    std::vector<OutlinePoint> q(n + 1);
    for (std::size_t i = 0; i <= n; ++i) q[i] = chain[(first + i) % n];

    // Points on the body's own lines and circles fit them to within the
    // clipper's rounding; pieces are first sought that close, so that a line
    // ends where its arc begins instead of running into it, and within the
    // tolerance only where no close fit goes on.
    const double close = tolerance * 0.01;
    auto lineHolds = [&](std::size_t i, std::size_t j, double within) {
        for (std::size_t k = i + 1; k < j; ++k)
            if (SegmentDistance(q[k], q[i], q[j]) > within) return false;
        return true;
    };
    // An arc from q[i] to q[j] through q[(i+j)/2] that passes every point in
    // between within `within`, turning one way by less than a half turn.
    auto arcHolds = [&](std::size_t i, std::size_t j, double within, OutlinePiece& arc) {
        OutlinePoint c;
        double r = 0;
        if (!CircleThrough(q[i], q[(i + j) / 2], q[j], c, r) || r > kMaxCoordinate) return false;
        const int direction = Cross(q[i], q[(i + j) / 2], q[j]) > 0 ? 1 : -1;
        double sweep = 0;
        for (std::size_t k = i; k < j; ++k) {
            if (std::fabs(Distance(q[k + 1], c) - r) > within) return false;
            const double step = std::atan2(Cross(c, q[k], q[k + 1]), (q[k][0] - c[0]) * (q[k + 1][0] - c[0]) +
                                                                         (q[k][1] - c[1]) * (q[k + 1][1] - c[1]));
            if (step * direction < 0) return false;
            // The chord between two points must stay near the arc too.
            if (r * (1 - std::cos(step / 2)) > tolerance) return false;
            sweep += std::fabs(step);
        }
        if (sweep >= PI) return false;
        arc.kind = OutlinePiece::kArc;
        arc.start = q[i];
        arc.end = q[j];
        arc.centre = c;
        arc.radius = r;
        arc.direction = direction;
        return true;
    };
    auto lineEnd = [&](std::size_t i, double within) {
        std::size_t end = i + 1;
        while (end + 1 <= n && lineHolds(i, end + 1, within)) ++end;
        return end;
    };
    // The furthest end of an arc from q[i] over at least `fewest` steps; i
    // for none.
    auto arcEnd = [&](std::size_t i, double within, std::size_t fewest, OutlinePiece& arc) {
        std::size_t end = i;
        OutlinePiece candidate;
        for (std::size_t j = i + fewest; j <= n && arcHolds(i, j, within, candidate); ++j) {
            end = j;
            arc = candidate;
        }
        return end;
    };

    std::vector<OutlinePiece> pieces;
    auto addLine = [&](std::size_t i, std::size_t j) {
        OutlinePiece line;
        line.start = q[i];
        line.end = q[j];
        if (Distance(line.start, line.end) > 0) pieces.push_back(line);
    };
    for (std::size_t i = 0; i < n;) {
        OutlinePiece arc, next;
        const std::size_t closeLine = lineEnd(i, close);
        const std::size_t closeArc = arcEnd(i, close, 3, arc);
        if (closeArc > i && closeArc >= closeLine) {
            pieces.push_back(arc);
            i = closeArc;
        } else if (closeLine >= i + 2 || (i + 1 < n && arcEnd(i + 1, close, 3, next) > i + 1)) {
            addLine(i, closeLine);
            i = closeLine;
        } else {
            const std::size_t looseLine = lineEnd(i, tolerance);
            const std::size_t looseArc = arcEnd(i, tolerance, 2, arc);
            if (looseArc > looseLine) {
                pieces.push_back(arc);
                i = looseArc;
            } else {
                addLine(i, looseLine);
                i = looseLine;
            }
        }
    }
    return pieces;
}

}  // namespace zarvento
