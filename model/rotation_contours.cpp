// The part's section from its faces of rotation: the outline object of the
// model gives the section's curves, the hidden work document the outer
// boundary, and projections tie each unit back to its face and curve.
#include "model/rotation_contours.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/box_pairs.h"
#include "geometry/complex_unit.h"
#include "geometry/line_unit.h"
#include "geometry/lsc_transform.h"
#include "geometry/primitives.h"
#include "model/section_cache.h"
#include "platform/core/host_error.h"
#include "platform/core/numbers.h"
#include "platform/core/process_state.h"
#include "platform/core/scope_guard.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/host_application.h"
#include "platform/documents/settings_record.h"
#include "platform/documents/work_document_scope.h"
#include "platform/drawings/document_2d.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/part_model.h"

namespace zarvento {

namespace {

// Per-coordinate distance within which a point lies on a face, curve or edge.
constexpr double kOnModel = 1e-4;
// The frame drawn about the section, and the seed point inside its corner.
constexpr double kFrameMargin = 10.0;
constexpr double kSeedOffset = 5.0;
// Tolerance with which the boundary is read back as units.
constexpr double kReadBackTolerance = 0.01;
// Line style of everything drawn for the boundary.
constexpr int kStyleMain = 1;

// The outline object from its creation until RemoveSectionObject.
std::shared_ptr<HostOutline> sectionObject;
// The document's state flag as read at the start; set on the paths where the
// model keeps a change.
bool documentStateFlag = false;
SectionErrorReport errorReport = nullptr;

ZARVENTO_STATE_RESET {
    sectionObject.reset();
    documentStateFlag = false;
}

Point3 ToLocal(Point3 p) {
    LscTransform::Global().GlobalToLocal(p[0], p[1], p[2]);
    return p;
}

Point3 ToGlobal(Point3 p) {
    LscTransform::Global().LocalToGlobal(p[0], p[1], p[2]);
    return p;
}

bool Near(const Point3& a, const Point3& b) {
    return std::fabs(a[0] - b[0]) < kOnModel && std::fabs(a[1] - b[1]) < kOnModel && std::fabs(a[2] - b[2]) < kOnModel;
}

// An axis-aligned box about a face or curve, grown by the tolerance: a point
// outside it cannot lie within the tolerance of the face or curve.
struct Box3 {
    Point3 min{1e300, 1e300, 1e300}, max{-1e300, -1e300, -1e300};
    void Add(const Point3& p) {
        for (int i = 0; i < 3; ++i) {
            min[static_cast<std::size_t>(i)] =
                std::min(min[static_cast<std::size_t>(i)], p[static_cast<std::size_t>(i)]);
            max[static_cast<std::size_t>(i)] =
                std::max(max[static_cast<std::size_t>(i)], p[static_cast<std::size_t>(i)]);
        }
    }
    bool Holds(const Point3& p) const {
        for (std::size_t i = 0; i < 3; ++i)
            if (p[i] < min[i] - kOnModel || p[i] > max[i] + kOnModel) return false;
        return true;
    }
};

// The LSC Z axis in model coordinates, as unit components.
Point3 LscAxisZ() {
    const LscTransform& lsc = LscTransform::Global();
    return {lsc.matrix[0][2], lsc.matrix[1][2], lsc.matrix[2][2]};
}

// Each component of |Q - P| equals the matching |Z| component: the axis runs
// along the LSC Z axis, in either sense.
bool AxisAlongZ(const Point3& p, const Point3& q) {
    const Point3 z = LscAxisZ();
    for (std::size_t i = 0; i < 3; ++i)
        if (std::fabs(std::fabs(q[i] - p[i]) - std::fabs(z[i])) > EPS) return false;
    return true;
}

// The point lies on the LSC Z axis: its offset from the origin runs along it.
bool PointOnZ(const Point3& p) {
    const LscTransform& lsc = LscTransform::Global();
    const Point3 o{lsc.originX, lsc.originY, lsc.originZ};
    const Point3 z = LscAxisZ();
    const double length =
        std::sqrt((p[0] - o[0]) * (p[0] - o[0]) + (p[1] - o[1]) * (p[1] - o[1]) + (p[2] - o[2]) * (p[2] - o[2]));
    if (!(length > EPS)) return true;
    for (std::size_t i = 0; i < 3; ++i) {
        const double d = std::fabs(p[i] - o[i]);
        const double c = d < EPS ? std::fabs(z[i]) : d / length;
        if (std::fabs(c - std::fabs(z[i])) > EPS) return false;
    }
    return true;
}

// A face of rotation by the host's yes/no answers in order, the first yes
// deciding. A spline face counts when the host finds it turned about the LSC
// Z axis: taken without a test, the spline faces of a part that lies across
// the axis made its side view pass for a turned profile.
bool IsFaceOfRotation(const HostFace& face) {
    Point3 p, q;
    if (face.IsKind(SurfaceKind::Plane)) return face.Placement(p, q) && AxisAlongZ(p, q);
    for (SurfaceKind kind : {SurfaceKind::Cylinder, SurfaceKind::Cone, SurfaceKind::Torus})
        if (face.IsKind(kind)) return face.Placement(p, q) && AxisAlongZ(p, q) && PointOnZ(p);
    if (face.IsKind(SurfaceKind::Sphere)) return face.Centre(p) && PointOnZ(p);
    if (!face.IsKind(SurfaceKind::Nurbs)) return false;
    const LscTransform& lsc = LscTransform::Global();
    return face.TurnsAbout({lsc.originX, lsc.originY, lsc.originZ}, LscAxisZ());
}

// A section curve with the box its points read so far span.
struct SectionCurve {
    std::shared_ptr<HostCurve> curve;
    Box3 box;
};

// One unit of a section curve, in the (z, X) plane of the LSC (x is mirrored
// afterwards).
UnitPtr UnitOfCurve(SectionCurve& section, double accuracy) {
    HostCurve& curve = *section.curve;
    double tmin = 0, tmax = 0;
    curve.Range(tmin, tmax);
    const Point3 g1 = curve.PointAt(tmin), g2 = curve.PointAt(tmax), gm = curve.PointAt(0.5 * (tmin + tmax));
    const Point3 p1 = ToLocal(g1), p2 = ToLocal(g2), pm = ToLocal(gm);
    section.box.Add(g1);
    section.box.Add(g2);
    section.box.Add(gm);
    switch (curve.Kind()) {
        case CurveKind::Segment: return std::make_unique<CLineUnit>(p1[2], p1[0], p2[2], p2[0]);
        case CurveKind::Arc: {
            Point3 centre{0, 0, 0};
            double radius = 0;
            curve.Arc(centre, radius);
            for (double d : {-radius, radius}) section.box.Add({centre[0] + d, centre[1] + d, centre[2] + d});
            const Point3 c = ToLocal(centre);
            auto arc = std::make_unique<CArcUnit>(c[2], c[0], radius, p1[2], p1[0], p2[2], p2[0], 1);
            IntersectPoint middle;
            arc->GetMiddlePoint(middle);
            if (!IsEqualPoint(middle.z, middle.x, pm[2], pm[0]))
                arc = std::make_unique<CArcUnit>(c[2], c[0], radius, p1[2], p1[0], p2[2], p2[0], -1);
            return arc;
        }
        case CurveKind::Other: break;
    }
    std::unique_ptr<CComplexUnit> complex = CComplexUnit::CComplexUnitObject(section.curve);
    const std::vector<double> points = curve.Polyline(accuracy);
    if (!points.empty() && points.size() % 3 == 0 && points.size() > 3) {
        Point3 previous{};
        for (std::size_t k = 0; k < points.size(); k += 3) {
            const Point3 g{points[k], points[k + 1], points[k + 2]};
            section.box.Add(g);
            const Point3 p = ToLocal(g);
            if (k > 0) complex->AddUnit(std::make_unique<CLineUnit>(previous[2], previous[0], p[2], p[0]));
            previous = p;
        }
    }
    complex->StartPoint.z = p1[2];
    complex->StartPoint.x = p1[0];
    complex->EndPoint.z = p2[2];
    complex->EndPoint.x = p2[0];
    return complex;
}

// A line from the last end to the first start when they differ.
void CloseProfile(Contour& contour) {
    if (contour.Empty()) return;
    const Point3D& s = contour.GetFirstUnit()->StartPoint;
    const Point3D& e = contour.GetLastUnit()->EndPoint;
    if (!IsEqualPoint(s.z, s.x, e.z, e.x)) contour.AddUnit(std::make_unique<CLineUnit>(e.z, e.x, s.z, s.x));
}

// For each unit (given by its ends), the boxes that may hold both ends: the
// pairs (unit, box) in ascending order, so that each unit's boxes follow one
// another in ascending order. A sweep over two of the three coordinates pairs
// the units with the boxes they overlap, so a dense part costs the near pairs
// and not every box for every unit; callers still apply Holds and their exact
// test.
std::vector<BoxPair> CandidateBoxes(const std::vector<std::array<Point3, 2>>& ends, const std::vector<Box3>& boxes) {
    // The sweep runs along the coordinate over which the ends spread most.
    std::array<double, 3> low{1e300, 1e300, 1e300}, high{-1e300, -1e300, -1e300};
    for (const auto& [p1, p2] : ends)
        for (std::size_t i = 0; i < 3; ++i) {
            low[i] = std::min({low[i], p1[i], p2[i]});
            high[i] = std::max({high[i], p1[i], p2[i]});
        }
    std::array<std::size_t, 3> axes{0, 1, 2};
    std::sort(axes.begin(), axes.end(),
              [&](std::size_t a, std::size_t b) { return high[a] - low[a] > high[b] - low[b]; });
    const std::size_t along = axes[0], across = axes[1];
    std::vector<UnitBox> unitBoxes;
    unitBoxes.reserve(ends.size());
    for (const auto& [p1, p2] : ends)
        unitBoxes.push_back({std::min(p1[along], p2[along]), std::min(p1[across], p2[across]),
                             std::max(p1[along], p2[along]), std::max(p1[across], p2[across])});
    // A box that holds nothing (no point read) takes no part.
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    std::vector<UnitBox> modelBoxes;
    modelBoxes.reserve(boxes.size());
    for (const Box3& b : boxes) {
        if (b.min[along] > b.max[along] || b.min[across] > b.max[across])
            modelBoxes.push_back({kNone, kNone, kNone, kNone});
        else
            modelBoxes.push_back({b.min[along], b.min[across], b.max[along], b.max[across]});
    }
    return OverlappingBoxPairs(unitBoxes, modelBoxes, kOnModel);
}

// The edge lies in the section's half plane: both its vertices do.
bool EdgeInPlane(const HostEdge& edge) {
    Point3 a, b;
    edge.Vertices(a, b);
    a = ToLocal(a);
    b = ToLocal(b);
    return std::fabs(a[1]) < EPS && std::fabs(b[1]) < EPS && a[0] > 0 && b[0] > 0;
}

bool OnFace(const HostFace& face, const Point3& p) {
    double u = 0, v = 0;
    return face.Project(p, u, v) && Near(face.PointAt(u, v), p);
}

bool OnCurve(const HostCurve& curve, const Point3& p) { return Near(curve.PointAt(curve.Project(p)), p); }

// The part's edges as the tying asks for them. An edge's curve is made when
// a unit off every face first asks for it: on a dense part nearly every unit
// lies on a face. The edges' boxes are read then, once, and spare the curve
// of every edge whose box misses the unit (an edge without a sure box is
// always asked).
class PlaneEdges {
public:
    explicit PlaneEdges(const std::vector<std::shared_ptr<HostEdge>>& edges)
        : edges_(edges), curves_(edges.size()), curveMade_(edges.size(), false), inPlane_(edges.size()) {}

    // The first edge in the plane whose curve holds both points; null when none does.
    std::shared_ptr<HostEdge> Holding(const Point3& p1, const Point3& p2) {
        for (std::size_t k = 0; k < edges_.size(); ++k) {
            if (Misses(k, p1, p2) || !InPlane(k)) continue;
            const HostCurve* curve = Curve(k);
            if (!curve) continue;
            if (OnCurve(*curve, p1) && OnCurve(*curve, p2)) return edges_[k];
        }
        return nullptr;
    }

private:
    const HostCurve* Curve(std::size_t k) {
        if (!curveMade_[k]) {
            curves_[k] = edges_[k]->Curve();
            curveMade_[k] = true;
        }
        return curves_[k].get();
    }

    // Whether an edge lies in the plane is read when its box holds a unit:
    // the box, read for every edge at once, spares the vertices of most.
    bool InPlane(std::size_t k) {
        if (!inPlane_[k]) inPlane_[k] = EdgeInPlane(*edges_[k]);
        return *inPlane_[k];
    }

    bool Misses(std::size_t k, const Point3& p1, const Point3& p2) {
        if (boxes_.empty()) {
            boxes_.resize(edges_.size());
            for (std::size_t e = 0; e < edges_.size(); ++e) {
                Box3 box;
                if (edges_[e]->Box(box.min, box.max)) boxes_[e] = box;
            }
        }
        return boxes_[k] && (!boxes_[k]->Holds(p1) || !boxes_[k]->Holds(p2));
    }

    const std::vector<std::shared_ptr<HostEdge>>& edges_;
    std::vector<std::shared_ptr<HostCurve>> curves_;
    std::vector<bool> curveMade_;
    std::vector<std::optional<bool>> inPlane_;
    std::vector<std::optional<Box3>> boxes_;
};

// Ties each unit to the first kept face holding both its ends (else the face
// the section curve that holds them outlines, else the first edge of the
// part in the plane holding them) and to the first section curve holding
// them. A unit of the outline of a face that is not turned about the axis (a
// hex's corners, a flat's full turn) lies on that face's outline, not on the
// face where the half plane cuts the part.
void TieUnitsToModel(std::vector<UnitPtr>& units, const std::vector<std::shared_ptr<HostFace>>& faces,
                     const std::vector<SectionCurve>& curves, const std::vector<std::shared_ptr<HostEdge>>& edges) {
    std::vector<std::array<Point3, 2>> ends;
    ends.reserve(units.size());
    for (const UnitPtr& unit : units)
        ends.push_back({ToGlobal({-unit->StartPoint.x, 0, unit->StartPoint.z}),
                        ToGlobal({-unit->EndPoint.x, 0, unit->EndPoint.z})});
    // The faces' boxes, then the curves': one sweep finds the candidates of both.
    std::vector<Box3> boxes;
    boxes.reserve(faces.size() + curves.size());
    for (const auto& face : faces) {
        Box3 box;
        face->Box(box.min, box.max);
        boxes.push_back(box);
    }
    for (const SectionCurve& section : curves) boxes.push_back(section.box);
    const std::vector<BoxPair> near = CandidateBoxes(ends, boxes);
    auto nearFrom = near.begin();
    const int firstCurveBox = static_cast<int>(faces.size());
    PlaneEdges planeEdges(edges);
    for (std::size_t i = 0; i < units.size(); ++i) {
        UnitPtr& unit = units[i];
        const auto& [p1, p2] = ends[i];
        // A unit along the axis (the line that closes the profile there) lies
        // on no face and no curve, even where both its ends do (a ball's).
        if (unit->Kind == kUnitLine && std::fabs(unit->StartPoint.x) < kOnModel &&
            std::fabs(unit->EndPoint.x) < kOnModel)
            continue;
        bool onAFace = false;
        // The unit's pairs: those of the units before it are passed.
        const auto unitIndex = static_cast<int>(i);
        while (nearFrom != near.end() && nearFrom->first < unitIndex) ++nearFrom;
        auto nearTo = nearFrom;
        while (nearTo != near.end() && nearTo->first == unitIndex) ++nearTo;
        const auto firstCurve =
            std::partition_point(nearFrom, nearTo, [&](const BoxPair& pair) { return pair.second < firstCurveBox; });
        for (auto k = nearFrom; k != firstCurve; ++k) {
            const auto f = static_cast<std::size_t>(k->second);
            if (!boxes[f].Holds(p1) || !boxes[f].Holds(p2)) continue;
            if (OnFace(*faces[f], p1) && OnFace(*faces[f], p2)) {
                unit->AddObject(faces[f]);
                onAFace = true;
                break;
            }
        }
        for (auto k = firstCurve; k != nearTo; ++k) {
            const SectionCurve& section = curves[static_cast<std::size_t>(k->second - firstCurveBox)];
            if (!section.box.Holds(p1) || !section.box.Holds(p2)) continue;
            if (OnCurve(*section.curve, p1) && OnCurve(*section.curve, p2)) {
                unit->SetSourceObject(section.curve);
                if (!onAFace && section.curve->SourceFace()) {
                    unit->AddObject(section.curve->SourceFace());
                    onAFace = true;
                }
                break;
            }
        }
        if (onAFace) continue;
        if (std::shared_ptr<HostEdge> edge = planeEdges.Holding(p1, p2)) unit->AddObject(edge);
    }
}

// A run of pieces of one straight or circular section curve (where the
// boundary met another face's outline on it) as the one line or arc it is.
UnitPtr WholeOfRun(std::vector<UnitPtr>& units, std::size_t& i, const HostObjectPtr& source) {
    const auto curve = std::dynamic_pointer_cast<HostCurve>(source);
    if (!curve || curve->Kind() == CurveKind::Other) return nullptr;
    const char kind = curve->Kind() == CurveKind::Segment ? kUnitLine : kUnitArc;
    std::size_t end = i;
    while (end < units.size() && SameHostObject(units[end]->GetSourceInterface(), source) && units[end]->Kind == kind)
        ++end;
    if (end - i < 2) return nullptr;
    const CUnit& first = *units[i];
    const CUnit& last = *units[end - 1];
    UnitPtr whole;
    if (kind == kUnitLine) {
        whole = std::make_unique<CLineUnit>(first.StartPoint.z, first.StartPoint.x, last.EndPoint.z, last.EndPoint.x);
    } else {
        const auto& arc = static_cast<const CArcUnit&>(first);
        whole = std::make_unique<CArcUnit>(arc.CentrePoint.z, arc.CentrePoint.x, arc.Radius, first.StartPoint.z,
                                           first.StartPoint.x, last.EndPoint.z, last.EndPoint.x, arc.DirVector);
    }
    whole->SurfaceName = first.SurfaceName;
    for (int k = 0; k < first.HostObjectCount(); ++k) whole->AddObject(first.GetSourceObject(k));
    whole->SetSourceObject(source);
    i = end;
    return whole;
}

// Runs of units of one section curve become one complex unit (one line or arc
// when the curve is straight or circular).
std::vector<UnitPtr> MergeRuns(std::vector<UnitPtr> units) {
    std::vector<UnitPtr> output;
    const std::size_t n = units.size();
    for (std::size_t i = 0; i < n;) {
        const HostObjectPtr source = units[i]->GetSourceInterface();
        if (i + 1 >= n || !source || !SameHostObject(units[i + 1]->GetSourceInterface(), source)) {
            output.push_back(std::move(units[i++]));
            continue;
        }
        if (UnitPtr whole = WholeOfRun(units, i, source)) {
            output.push_back(std::move(whole));
            continue;
        }
        auto complex = std::make_unique<CComplexUnit>();
        if (const HostObjectPtr face = units[i]->GetSourceObject(0)) {
            complex->AddObject(face);
            const auto hostFace = std::dynamic_pointer_cast<HostFace>(face);
            if (hostFace && hostFace->IsKind(SurfaceKind::Nurbs)) complex->SurfaceName = "NURBS";
        }
        complex->SetSourceObject(source);
        complex->StartPoint = units[i]->StartPoint;
        complex->EndPoint = units[i]->EndPoint;
        complex->AddUnit(std::move(units[i++]));
        // Each pass takes one more unit of the run.
        while (i < n && SameHostObject(units[i]->GetSourceInterface(), source)) {
            complex->EndPoint = units[i]->EndPoint;
            complex->AddUnit(std::move(units[i++]));
        }
        output.push_back(std::move(complex));
    }
    return output;
}

bool Joins(const Point3D& a, const Point3D& b) {
    return std::fabs(a.z - b.z) < kReadBackTolerance && std::fabs(a.x - b.x) < kReadBackTolerance;
}

// Each line starts where the unit before it ends; a complex unit
// inside the profile runs from the previous end to the next start. Only ends
// that meet within the read-back tolerance are joined: a section of several
// regions keeps its breaks (moving a line's start across to another region
// would make a closed profile of a shape that is not the part).
void JoinUnits(std::vector<UnitPtr>& units) {
    if (units.empty()) return;
    Point3D previous = units.back()->EndPoint;
    for (std::size_t k = 0; k < units.size(); ++k) {
        CUnit& unit = *units[k];
        if (unit.Kind == kUnitLine && Joins(unit.StartPoint, previous)) {
            unit.SetStartPoint(previous.z, previous.x);
        } else if (unit.Kind == kUnitComplex && k + 1 < units.size()) {
            if (Joins(unit.StartPoint, previous)) unit.SetStartPoint(previous.z, previous.x);
            const Point3D& next = units[k + 1]->StartPoint;
            if (Joins(unit.EndPoint, next)) unit.SetEndPoint(next.z, next.x);
        }
        previous = unit.EndPoint;
    }
}

// Section ends by their cell of the model tolerance.
class EndCells {
public:
    explicit EndCells(std::size_t ends) { cells_.reserve(ends); }
    void Add(const Point3D& p, std::size_t end) { cells_.emplace(Key(Cell(p.z), Cell(p.x)), end); }

    // Every end within the tolerance of p, by calling `visit` with each.
    template <class Visit>
    void ForEachNear(const Point3D& p, Visit visit) const {
        const std::int64_t cz = Cell(p.z), cx = Cell(p.x);
        for (std::int64_t dz = -1; dz <= 1; ++dz)
            for (std::int64_t dx = -1; dx <= 1; ++dx) {
                auto [from, to] = cells_.equal_range(Key(cz + dz, cx + dx));
                for (auto it = from; it != to; ++it) visit(it->second);
            }
    }

private:
    static std::int64_t Cell(double v) {
        const double c = std::floor(v / kOnModel);
        if (std::isnan(c)) return 0;
        // Far-off coordinates share the outermost cells; the caller still
        // compares the real values.
        return static_cast<std::int64_t>(std::clamp(c, -1e15, 1e15));
    }
    static std::uint64_t Key(std::int64_t cz, std::int64_t cx) {
        return static_cast<std::uint64_t>(cz) * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(cx);
    }
    std::unordered_multimap<std::uint64_t, std::size_t> cells_;
};

bool OnModel(const Point3D& a, const Point3D& b) {
    return std::fabs(a.z - b.z) < kOnModel && std::fabs(a.x - b.x) < kOnModel;
}

// The section of a body of revolution is one simple chain: every end of a
// curve meets exactly one other end, but for the two ends of an open chain,
// which lie on the axis (a part turned from the solid). Then the chain is
// the outer profile itself, and it is read in order without the region
// boundary, whose cost grows fast with the number of curves. The units come
// out in chain order, each run the chain's way, clockwise (the material on
// the right); complex units give their chords, as the boundary read back
// gives them. Nothing (units untouched) for any other section.
std::optional<std::vector<UnitPtr>> ChainOfSection(std::vector<UnitPtr>& units) {
    const std::size_t n = units.size();
    // End 2k is unit k's start, 2k + 1 its end.
    auto at = [&](std::size_t end) -> const Point3D& {
        const CUnit& u = *units[end / 2];
        return end % 2 ? u.EndPoint : u.StartPoint;
    };
    EndCells cells(2 * n);
    for (std::size_t e = 0; e < 2 * n; ++e) cells.Add(at(e), e);
    std::vector<std::size_t> partner(2 * n, SIZE_MAX);
    std::vector<std::size_t> free;
    for (std::size_t e = 0; e < 2 * n; ++e) {
        int found = 0;
        cells.ForEachNear(at(e), [&](std::size_t other) {
            if (other / 2 != e / 2 && OnModel(at(e), at(other))) partner[e] = other, ++found;
        });
        if (found > 1) return std::nullopt;
        if (found == 0) {
            if (std::fabs(at(e).x) > kOnModel) return std::nullopt;
            free.push_back(e);
        }
    }
    if (!free.empty() && free.size() != 2) return std::nullopt;
    for (std::size_t e = 0; e < 2 * n; ++e)
        if (partner[e] != SIZE_MAX && partner[partner[e]] != e) return std::nullopt;
    // Walk from a free end, or from unit 0's start round a closed chain.
    std::vector<std::pair<std::size_t, bool>> order;  // unit, run backwards
    order.reserve(n);
    std::size_t entry = free.empty() ? 0 : free.front();
    for (std::size_t step = 0; step < n; ++step) {
        const std::size_t unit = entry / 2;
        order.emplace_back(unit, entry % 2 == 1);
        const std::size_t exit = entry ^ 1;
        if (partner[exit] == SIZE_MAX) break;
        entry = partner[exit];
        if (free.empty() && entry == 0) break;
    }
    if (order.size() != n) return std::nullopt;  // more than one chain
    // Clockwise in the (z, x) plane of the section, where x <= 0: the signed
    // area of the closed chain is negative.
    double area = 0;
    for (const auto& [unit, backwards] : order) {
        const Point3D& a = backwards ? units[unit]->EndPoint : units[unit]->StartPoint;
        const Point3D& b = backwards ? units[unit]->StartPoint : units[unit]->EndPoint;
        area += a.z * b.x - b.z * a.x;
    }
    {
        const auto& [u0, b0] = order.front();
        const auto& [u1, b1] = order.back();
        const Point3D& last = b1 ? units[u1]->StartPoint : units[u1]->EndPoint;
        const Point3D& first = b0 ? units[u0]->EndPoint : units[u0]->StartPoint;
        area += last.z * first.x - first.z * last.x;
    }
    const bool reverseAll = area > 0;
    if (reverseAll) std::reverse(order.begin(), order.end());
    std::vector<UnitPtr> chain;
    chain.reserve(n);
    for (const auto& [unit, backwards] : order) {
        UnitPtr u = std::move(units[unit]);
        if (backwards != reverseAll) u->Reverse();
        if (u->Kind == kUnitComplex) {
            const auto& complex = static_cast<const CComplexUnit&>(*u);
            for (int k = 0; k < complex.SubUnitCount(); ++k) {
                UnitPtr piece = complex.SubUnit(k)->Clone();
                piece->FromComplex = false;
                chain.push_back(std::move(piece));
            }
        } else {
            chain.push_back(std::move(u));
        }
    }
    return chain;
}

// The unit as a clone of it that keeps its source curve: a clone leaves the
// curve behind (it is drawn state), while the profile's units keep theirs,
// which is what ties them to the section. A unit that, but for that curve, a
// clone would give equal is taken as it is.
UnitPtr CloneKeepingSource(UnitPtr unit) {
    HostObjectPtr source = std::move(unit->SourceObject);
    if (!unit->ClonesExactly()) unit = unit->Clone();
    unit->SetSourceObject(source);
    return unit;
}

// Removes the section object when the section ends by a failure, so that no
// outline stays in the model and the host's switches come back on.
void CleanUpFailedSection() {
    if (!sectionObject) return;
    try {
        RemoveSectionObject();
    } catch (const HostError&) {
        // The failure that ended the section is the one reported.
    }
}

// The outline object, taken again by its name or made, in the LSC's ZX
// plane, with the faces to cut.
std::shared_ptr<HostOutline> SectionOutline(HostPart& part, std::vector<std::shared_ptr<HostFace>>& faces) {
    auto outline = std::dynamic_pointer_cast<HostOutline>(part.FindModelObject(kSectionObjectName));
    if (outline) {
        outline->ClearReferences();
        outline->ClearResult();
    } else {
        outline = part.CreateOutline(kSectionObjectName);
    }
    sectionObject = outline;
    outline->AddReference(1, LscTransform::Global().HostObjectRef()->Plane(LocalCoordinateSystem::kPlaneZX));
    faces = part.Faces();
    for (const auto& face : faces) outline->AddReference(0, face);
    return outline;
}

// One unit per section curve, x mirrored onto the part's side of the axis.
void ReadSectionCurves(HostOutline& outline, int items, std::vector<SectionCurve>& curves,
                       std::vector<UnitPtr>& units) {
    const double accuracy = SettingsRecord::Global().accuracy;
    for (int i = 0; i < items; ++i) {
        const std::vector<std::shared_ptr<HostCurve>> result = outline.ResultCurves(i);
        curves.reserve(curves.size() + result.size());
        units.reserve(units.size() + result.size());
        for (const auto& curve : result) {
            curves.push_back({curve, {}});
            UnitPtr unit = UnitOfCurve(curves.back(), accuracy);
            unit->MirrorX();
            units.push_back(std::move(unit));
        }
    }
}

// The outer profile of units that make no chain: drawn in the hidden work
// document inside a frame, the boundary of the region outside the part, and
// its pieces on the part's side read back as units into `contour`. False
// when the drawing has no box.
bool TraceOuterProfile(std::vector<UnitPtr>& units, HostApplication* app, Contour& contour) {
    if (!HiddenDocument()) CreateHiddenDocument();
    std::unique_ptr<ActiveDocumentSwitch> current;
    if (app) current = std::make_unique<ActiveDocumentSwitch>(*app, HiddenDocument());
    WorkDocumentScope work;
    Document2D& sheet = work.Document();
    sheet.DeleteAllObjects();
    sheet.BeginObjectSet();
    for (const UnitPtr& unit : units) unit->Draw2D(kStyleMain);
    const Ref2D group = sheet.EndObjectSet();
    units.clear();
    const std::optional<Box2D> box = sheet.BoundingBox(group);
    if (!box) return false;
    const double zmin = box->xmin, xmin = box->ymin, zmax = box->xmax;
    const double left = zmin - kFrameMargin, right = zmax + kFrameMargin, bottom = xmin - kFrameMargin;
    for (const std::array<double, 4>& side :
         {std::array<double, 4>{left, 0, right, 0}, std::array<double, 4>{right, 0, right, bottom},
          std::array<double, 4>{right, bottom, left, bottom}, std::array<double, 4>{left, bottom, left, 0}})
        sheet.AddToGroup(group, sheet.LineSeg(side[0], side[1], side[2], side[3], kStyleMain));
    const Ref2D boundary = sheet.RegionBoundary(group, zmax + kSeedOffset, xmin - kSeedOffset);
    const Iter2D it = sheet.CreateIterator(boundary);
    for (Ref2D element = sheet.MoveFirst(it); element; element = sheet.MoveNext(it))
        if (sheet.ObjectType(element) == kObj2DContour)
            sheet.ReleaseGroup(sheet.ObjectList(element, 0, kSeedOffset, 1));
    sheet.DeleteIterator(it);
    sheet.BeginObjectSet();
    sheet.SelectInRect(zmin, bottom, zmax, 0, 1);
    const Ref2D inside = sheet.EndObjectSet();
    contour.LoadFromHostObjects(sheet, inside, -1, kReadBackTolerance);
    return true;
}

// Whether the profile is the part's turned profile: some unit lies on a face
// of rotation about the LSC Z axis (or on an edge in the plane). The outline
// of faces that are not (a part lying across the axis) is no turned part.
bool LiesOnTurnedFaces(const std::vector<UnitPtr>& profile, const std::vector<std::shared_ptr<HostFace>>& rotation) {
    std::unordered_set<const HostObject*> turned;
    for (const auto& face : rotation) turned.insert(face.get());
    return std::any_of(profile.begin(), profile.end(), [&](const UnitPtr& unit) {
        const HostObjectPtr object = unit->GetSourceObject(0);
        return object && (turned.count(object.get()) > 0 || !std::dynamic_pointer_cast<HostFace>(object));
    });
}

// The profile as a contour that starts at its smallest z, nearest the axis there.
std::unique_ptr<Contour> FromItsFront(std::vector<UnitPtr>& profile) {
    std::vector<UnitPtr> clones;
    clones.reserve(profile.size());
    for (UnitPtr& unit : profile) clones.push_back(CloneKeepingSource(std::move(unit)));
    profile.clear();
    double zmin = 1e6, xmax = -1e6;
    for (const UnitPtr& u : clones)
        if (u->StartPoint.z < zmin) zmin = u->StartPoint.z;
    std::size_t first = 0;
    for (std::size_t i = 0; i < clones.size(); ++i)
        if (std::fabs(clones[i]->StartPoint.z - zmin) < EPS && clones[i]->StartPoint.x > xmax)
            xmax = clones[i]->StartPoint.x, first = i;
    auto result = Contour::ContourSized(static_cast<int>(clones.size()));
    for (std::size_t k = 0; k < clones.size(); ++k) result->AddUnit(std::move(clones[(first + k) % clones.size()]));
    return result;
}

// A body whose faces of revolution all turn about an axis beside the LSC Z
// axis, parallel to it (a bolt of an assembly standing beside the shaft the
// system was set on), is not turned about the system's axis: turned there it
// would give a ring. Its message says how far the nearest axis stands off.
// Nothing for a body with a curved face of rotation about the LSC Z axis, or
// with no face of revolution parallel to it (whose outline the section
// judges).
std::optional<std::string> BesideTheAxis(const HostPart& part, bool activeDocument) {
    if (!part.HasBody()) return std::nullopt;
    for (const auto& face : part.Faces())
        if (!face->IsKind(SurfaceKind::Plane) && IsFaceOfRotation(*face)) return std::nullopt;
    const LscTransform& lsc = LscTransform::Global();
    const FaceAxis axis = NearestFaceAxis(part, {lsc.originX, lsc.originY, lsc.originZ}, LscAxisZ());
    if (axis.face == 0 || axis.angle * 180 / PI > kAxisSnapDegrees || axis.offset <= kAxisSnapMillimetres)
        return std::nullopt;
    char distance[64];
    std::snprintf(distance, sizeof distance, "%.3f", axis.offset);
    return std::string(activeDocument ? kNoRotationFacesMessage : kNoStockRotationFacesMessage) +
           ": ось вращения грани " + std::to_string(axis.face) + " параллельна ей и отстоит от неё на " + distance +
           " мм";
}

}  // namespace

SectionErrorReport RegisterSectionErrorReport(SectionErrorReport report) {
    const SectionErrorReport previous = errorReport;
    errorReport = report;
    return previous;
}

void RestoreDocumentAfterSection(const HostDocumentPtr& document) {
    const std::shared_ptr<HostPart> part = TopPart(document);
    part->SetUndoSwitch(1);
    if (!documentStateFlag) part->ResetState();
    part->SetRebuildSwitch(1);
    part->SetRedrawSwitch(1);
}

void RemoveSectionObject() {
    const std::shared_ptr<HostOutline> outline = std::move(sectionObject);
    sectionObject.reset();
    if (!outline) return;
    // The outline belongs to the model it was made in, which is not the active
    // document when a stock model is read.
    HostDocument* owner = outline->Document();
    if (!owner) return;
    const HostDocumentPtr document = std::static_pointer_cast<HostDocument>(owner->shared_from_this());
    document->RemoveEntity(outline);
    RestoreDocumentAfterSection(document);
}

std::unique_ptr<Contour> BuildRotationContours(const HostDocumentPtr& document, std::string* message) {
    // No NC coordinate system: nothing is asked of the host.
    if (!LscTransform::Global().HostObjectRef()) return nullptr;
    if (!document) throw HostError(E_POINTER_, "no document to take the section of");
    // The message at the end names the part for the active document, else the stock.
    HostApplication* app = HostApplicationObject();
    const bool activeDocument = app && SameHostObject(app->ActiveDocument(), document);
    // The host's switches stay off while the library works in the model.
    const std::shared_ptr<HostPart> part = TopPart(document);
    // The section kept with the document for this body and system is the one
    // taken below, and taking it asks nothing of the body. An outline left in
    // the model by an earlier run is taken again (and goes) the long way.
    if (!part->FindModelObject(kSectionObjectName))
        if (std::unique_ptr<Contour> kept = KeptSection(*document, *part)) return kept;
    if (const std::optional<std::string> beside = BesideTheAxis(*part, activeDocument)) {
        if (message)
            *message = *beside;
        else if (errorReport)
            errorReport(*beside);
        return nullptr;
    }
    part->SetRebuildSwitch(0);
    part->SetRedrawSwitch(0);
    part->SetUndoSwitch(0);
    documentStateFlag = part->StateFlag();
    ScopeGuard cleanup(&CleanUpFailedSection);
    std::vector<std::shared_ptr<HostFace>> faces;
    const std::shared_ptr<HostOutline> outline = SectionOutline(*part, faces);
    // The section; without a result the outline goes on this path too, so that
    // no stray object stays in the part.
    outline->Rebuild();
    const int items = outline->ResultCount();
    if (items == 0) {
        documentStateFlag = true;
        RemoveSectionObject();
        return nullptr;
    }
    std::vector<SectionCurve> curves;
    std::vector<UnitPtr> units;
    ReadSectionCurves(*outline, items, curves, units);
    if (units.empty()) {
        documentStateFlag = true;
        RestoreDocumentAfterSection(document);
        RemoveSectionObject();
        return nullptr;
    }
    // The outer profile: the units chained end to start where they make one
    // chain, else traced as a region's boundary.
    std::unique_ptr<Contour> contour = std::make_unique<Contour>();
    if (std::optional<std::vector<UnitPtr>> chain = ChainOfSection(units)) {
        for (UnitPtr& unit : *chain)
            if (!unit->IsZeroLength()) contour->AddUnit(std::move(unit));
    } else if (!TraceOuterProfile(units, app, *contour)) {
        return nullptr;
    }
    if (contour->Empty()) {
        contour.reset();
        RemoveSectionObject();
        return nullptr;
    }
    CloseProfile(*contour);
    // The faces of rotation about the LSC Z axis and the edges in the plane.
    std::vector<std::shared_ptr<HostFace>> rotation;
    for (const auto& face : faces)
        if (IsFaceOfRotation(*face)) rotation.push_back(face);
    // Each unit tied to its face (or edge) and its section curve.
    std::vector<UnitPtr> profile;
    while (!contour->Empty()) profile.push_back(contour->RemoveUnit(contour->GetLastUnit()));
    std::reverse(profile.begin(), profile.end());
    TieUnitsToModel(profile, rotation, curves, part->Edges());
    cleanup.Dismiss();
    RemoveSectionObject();
    // Runs of one curve become one unit, and the units are joined end to start.
    profile = MergeRuns(std::move(profile));
    JoinUnits(profile);
    contour.reset();
    if (profile.empty()) return nullptr;
    // The profile starts at its smallest z, nearest the axis there.
    if (LiesOnTurnedFaces(profile, rotation)) {
        std::unique_ptr<Contour> result = FromItsFront(profile);
        CloseProfile(*result);
        if (KeepSection(*document, *part, *result)) return result;
        const std::string text = BrokenInvariantText(kBrokenSectionMessage);
        if (message)
            *message = text;
        else if (errorReport)
            errorReport(text);
        return nullptr;
    }
    // No unit lies on the model's faces of rotation or edges in the plane.
    profile.clear();
    const char* text = activeDocument ? kNoRotationFacesMessage : kNoStockRotationFacesMessage;
    if (message)
        *message = text;
    else if (errorReport)
        errorReport(text);
    return nullptr;
}

}  // namespace zarvento
