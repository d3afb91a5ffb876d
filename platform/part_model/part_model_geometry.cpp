// The part model's answers about faces, edges and curves: surface kinds and
// placements, nearest points, vertices, curve kinds and polylines.
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepClass_FaceClassifier.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepGProp.hxx>
#include <BRep_Tool.hxx>
#include <BndLib.hxx>
#include <BndLib_Add3dCurve.hxx>
#include <ElCLib.hxx>
#include <Extrema_ExtPC.hxx>
#include <Extrema_ExtPElS.hxx>
#include <Extrema_POnSurf.hxx>
#include <GCPnts_QuasiUniformDeflection.hxx>
#include <GProp_GProps.hxx>
#include <Geom2d_Line.hxx>
#include <Geom2d_TrimmedCurve.hxx>
#include <GeomAPI_ProjectPointOnSurf.hxx>
#include <Geom_ConicalSurface.hxx>
#include <Geom_CylindricalSurface.hxx>
#include <Geom_Plane.hxx>
#include <Geom_Surface.hxx>
#include <Precision.hxx>
#include <ShapeAnalysis_Surface.hxx>
#include <Standard_Failure.hxx>
#include <Standard_NullObject.hxx>
#include <TopExp.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Vertex.hxx>
#include <gp_Ax3.hxx>
#include <gp_Lin2d.hxx>
#include <gp_Pnt2d.hxx>

#include <cmath>
#include <limits>
#include <optional>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/numbers.h"
#include "platform/part_model/part_model_occt.h"

namespace zarvento {

namespace {

template <class F>
auto Guarded(const char* what, F f) {
    try {
        return f();
    } catch (const Standard_Failure& e) {
        throw HostError(E_FAIL_, std::string(what) + " failed: " + (e.GetMessageString() ? e.GetMessageString() : ""));
    }
}

SurfaceKind KindOf(GeomAbs_SurfaceType type) {
    switch (type) {
        case GeomAbs_Plane: return SurfaceKind::Plane;
        case GeomAbs_Cylinder: return SurfaceKind::Cylinder;
        case GeomAbs_Cone: return SurfaceKind::Cone;
        case GeomAbs_Torus: return SurfaceKind::Torus;
        case GeomAbs_Sphere: return SurfaceKind::Sphere;
        case GeomAbs_BezierSurface:
        case GeomAbs_BSplineSurface:
        case GeomAbs_SurfaceOfRevolution: return SurfaceKind::Nurbs;
        default: return SurfaceKind::Other;
    }
}

const HostFace::Geometry& FaceGeometry(const HostFace& face) {
    // A face read back from a damaged file that could not be bound has none.
    return face.Get();
}

// A periodic parameter brought into the face's range, where it has one.
double IntoRange(double t, double lo, double hi, bool periodic, double period) {
    if (!periodic || !(period > 0)) return t;
    const double mid = 0.5 * (lo + hi);
    return ElCLib::InPeriod(t, mid - 0.5 * period, mid + 0.5 * period);
}

// The surface's point nearest to p on an untrimmed plane, cylinder or cone,
// found as the general projection finds it on them (their extrema, turned
// into the first period and kept within the surface's own bounds, the nearest
// first among equals), without the search the general projection sets up for
// surfaces of any kind. Elementary::No for every other surface; Elementary::
// None when no extremum lies within the bounds.
enum class Elementary { No, None, Found };
Elementary NearestOnElementary(const gp_Pnt& p, const opencascade::handle<Geom_Surface>& surface, double& u,
                               double& v) {
    Extrema_ExtPElS extrema;
    const double tolerance = Precision::Confusion();
    // The three kinds have no subclasses: their exact type tells them apart
    // without a cast that searches the class tree.
    const Handle(Standard_Type)& type = surface->DynamicType();
    if (type == STANDARD_TYPE(Geom_Plane))
        extrema.Perform(p, static_cast<const Geom_Plane&>(*surface).Pln(), tolerance);
    else if (type == STANDARD_TYPE(Geom_CylindricalSurface))
        extrema.Perform(p, static_cast<const Geom_CylindricalSurface&>(*surface).Cylinder(), tolerance);
    else if (type == STANDARD_TYPE(Geom_ConicalSurface))
        extrema.Perform(p, static_cast<const Geom_ConicalSurface&>(*surface).Cone(), tolerance);
    else
        return Elementary::No;
    if (!extrema.IsDone()) return Elementary::None;
    double umin = 0, umax = 0, vmin = 0, vmax = 0;
    surface->Bounds(umin, umax, vmin, vmax);
    // An unbounded direction is searched over a very long one.
    constexpr double kFar = 1e10;
    if (Precision::IsNegativeInfinite(umin)) umin = -kFar;
    if (Precision::IsPositiveInfinite(umax)) umax = kFar;
    if (Precision::IsNegativeInfinite(vmin)) vmin = -kFar;
    if (Precision::IsPositiveInfinite(vmax)) vmax = kFar;
    const bool periodic = surface->IsUPeriodic();
    const double period = periodic ? surface->UPeriod() : 0.0;
    bool found = false;
    double nearest = 0;
    for (int i = 1; i <= extrema.NbExt(); ++i) {
        double a = 0, b = 0;
        extrema.Point(i).Parameter(a, b);
        if (periodic) {
            a = ElCLib::InPeriod(a, umin, umin + period);
            if (a > umax + tolerance) a -= period;
        }
        const bool within =
            umin - a <= tolerance && a - umax <= tolerance && vmin - b <= tolerance && b - vmax <= tolerance;
        if (!within) continue;
        const double d = extrema.SquareDistance(i);
        if (!found || d < nearest) {
            found = true;
            nearest = d;
            u = a;
            v = b;
        }
    }
    return found ? Elementary::Found : Elementary::None;
}

// The face's boundary in its parameters is the rectangle of its bounds: every
// edge a line along a constant u or v at one of them (a band of revolution
// cut at its seam, a disc's ring). A point within the rectangle is then on
// the face, which spares the classifier; found once a face.
bool IsRectangle(const HostFace::Geometry& g) {
    if (!g.rectangle) VisitEdgeLines(g, [](const TopoDS_Edge&, const gp_Lin2d*) { return true; });
    return *g.rectangle;
}

}  // namespace

std::optional<gp_Lin2d> LineInParameters(Handle(Geom2d_Curve) curve) {
    while (curve->DynamicType() == STANDARD_TYPE(Geom2d_TrimmedCurve))
        curve = static_cast<const Geom2d_TrimmedCurve&>(*curve).BasisCurve();
    if (curve->DynamicType() != STANDARD_TYPE(Geom2d_Line)) return std::nullopt;
    return static_cast<const Geom2d_Line&>(*curve).Lin2d();
}

void VisitEdgeLines(const HostFace::Geometry& g, const EdgeLineVisit& visit) {
    constexpr double kExact = 1e-12;
    const auto atBound = [&](double t, double lo, double hi) {
        return std::fabs(t - lo) < kExact || std::fabs(t - hi) < kExact;
    };
    bool bounded = false, rectangle = true;
    const bool walked = ForEachEdge(g.face, [&](const TopoDS_Edge& edge) {
        if (BRep_Tool::Degenerated(edge)) return true;
        bounded = true;
        // The curve on the face, seen through its trimming, as an adaptor
        // would load it; only its kind and line are needed here.
        double first = 0, last = 0;
        const Handle(Geom2d_Curve) pcurve = BRep_Tool::CurveOnSurface(edge, g.face, first, last);
        if (pcurve.IsNull()) throw Standard_NullObject("an edge has no curve on its face");
        const std::optional<gp_Lin2d> line = LineInParameters(pcurve);
        if (!line) {
            rectangle = false;
        } else {
            const bool alongV = std::fabs(line->Direction().X()) < kExact;
            const bool alongU = std::fabs(line->Direction().Y()) < kExact;
            if (!(alongV && atBound(line->Location().X(), g.umin, g.umax)) &&
                !(alongU && atBound(line->Location().Y(), g.vmin, g.vmax)))
                rectangle = false;
        }
        return visit(edge, line ? &*line : nullptr);
    });
    if (walked) g.rectangle = bounded && rectangle;
}

// ---- faces ----

SurfaceKind HostFace::Kind() const {
    HostFaults::Check("HostFace.Kind");
    return KindOf(FaceGeometry(*this).surface.GetType());
}

bool HostFace::IsKind(SurfaceKind kind) const {
    HostFaults::Check("HostFace.IsKind");
    return KindOf(FaceGeometry(*this).surface.GetType()) == kind;
}

bool HostFace::Placement(Point3& origin, Point3& axisPoint) const {
    HostFaults::Check("HostFace.Placement");
    const BRepAdaptor_Surface& s = FaceGeometry(*this).surface;
    gp_Ax1 axis;
    switch (s.GetType()) {
        case GeomAbs_Plane: axis = s.Plane().Axis(); break;
        case GeomAbs_Cylinder: axis = s.Cylinder().Axis(); break;
        case GeomAbs_Cone: axis = s.Cone().Axis(); break;
        case GeomAbs_Torus: axis = s.Torus().Axis(); break;
        case GeomAbs_SurfaceOfRevolution: axis = s.AxeOfRevolution(); break;
        default: return false;
    }
    origin = ToPoint3(axis.Location());
    axisPoint = ToPoint3(axis.Location().Translated(gp_Vec(axis.Direction())));
    return true;
}

bool HostFace::Centre(Point3& centre) const {
    HostFaults::Check("HostFace.Centre");
    const BRepAdaptor_Surface& s = FaceGeometry(*this).surface;
    if (s.GetType() != GeomAbs_Sphere) return false;
    centre = ToPoint3(s.Sphere().Location());
    return true;
}

bool HostFace::TurnsAbout(const Point3& origin, const Point3& direction) const {
    HostFaults::Check("HostFace.TurnsAbout");
    HostCallTime::Scope time;
    const gp_Vec along(direction[0], direction[1], direction[2]);
    if (along.Magnitude() < 1e-12) return false;
    return Guarded("a face's turn",
                   [&] { return FaceTurnsAbout(FaceGeometry(*this), gp_Ax1(ToPnt(origin), gp_Dir(along))); });
}

bool HostFace::Project(const Point3& p, double& u, double& v) const {
    HostFaults::Check("HostFace.Project");
    HostCallTime::Scope time;
    const Geometry& g = FaceGeometry(*this);
    return Guarded("projecting onto a face", [&] {
        const gp_Pnt point = ToPnt(p);
        // The surface's nearest point first; when it lies on the face, that is
        // the answer (the usual case: the point lies on the face).
        Handle(Geom_Surface) surface = BRep_Tool::Surface(g.face);
        Elementary elementary = NearestOnElementary(point, surface, u, v);
        if (elementary == Elementary::No) {
            GeomAPI_ProjectPointOnSurf onSurface(point, surface);
            elementary = onSurface.IsDone() && onSurface.NbPoints() > 0 ? Elementary::Found : Elementary::None;
            if (elementary == Elementary::Found) onSurface.LowerDistanceParameters(u, v);
        }
        if (elementary == Elementary::Found) {
            const BRepAdaptor_Surface& s = g.surface;
            u = IntoRange(u, g.umin, g.umax, s.IsUPeriodic(), s.IsUPeriodic() ? s.UPeriod() : 0);
            v = IntoRange(v, g.vmin, g.vmax, s.IsVPeriodic(), s.IsVPeriodic() ? s.VPeriod() : 0);
            // Within a tenth of the classifier's tolerance of a rectangle the
            // classifier finds a point on the face, or in it.
            const double near = 0.1 * Precision::Confusion();
            if (g.umin - near <= u && u <= g.umax + near && g.vmin - near <= v && v <= g.vmax + near && IsRectangle(g))
                return true;
            BRepClass_FaceClassifier inside(g.face, gp_Pnt2d(u, v), Precision::Confusion());
            if (inside.State() == TopAbs_IN || inside.State() == TopAbs_ON) return true;
        }
        // Otherwise the nearest point lies on the face's boundary.
        BRepExtrema_DistShapeShape nearest(BRepBuilderAPI_MakeVertex(point).Vertex(), g.face);
        if (!nearest.IsDone() || nearest.NbSolution() < 1) return false;
        const gp_Pnt onFace = nearest.PointOnShape2(1);
        ShapeAnalysis_Surface analysis(surface);
        const gp_Pnt2d uv = analysis.ValueOfUV(onFace, Precision::Confusion());
        u = uv.X();
        v = uv.Y();
        return true;
    });
}

Point3 HostFace::PointAt(double u, double v) const {
    HostFaults::Check("HostFace.PointAt");
    HostCallTime::Scope time;
    return Guarded("a point of a face", [&] { return ToPoint3(FaceGeometry(*this).surface.Value(u, v)); });
}

void HostFace::Box(Point3& min, Point3& max) const {
    HostFaults::Check("HostFace.Box");
    const Bnd_Box& box = FaceGeometry(*this).box;
    if (box.IsVoid()) {
        min = max = {0, 0, 0};
        return;
    }
    box.Get(min[0], min[1], min[2], max[0], max[1], max[2]);
}

double HostFace::Area() const {
    HostFaults::Check("HostFace.Area");
    return Guarded("a face's area", [&] {
        GProp_GProps props;
        BRepGProp::SurfaceProperties(FaceGeometry(*this).face, props);
        return props.Mass();
    });
}

namespace {

// The shape's extent along the axis: the least and greatest projection of its
// points onto it, from the box of the shape turned into the axis's frame.
bool AxialExtent(const TopoDS_Shape& shape, const gp_Ax1& axis, double& low, double& high) {
    gp_Trsf toAxis;
    toAxis.SetTransformation(gp_Ax3(axis.Location(), axis.Direction()));
    Bnd_Box box;
    BRepBndLib::AddOptimal(shape.Moved(TopLoc_Location(toAxis)), box, false, false);
    if (box.IsVoid()) return false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    box.Get(x0, y0, low, x1, y1, high);
    return true;
}

}  // namespace

LocalCoordinateSystem::Frame FrameOnFaceAxis(const HostPart& part, const HostFace& face, bool reversed) {
    Point3 p, q;
    if (face.IsKind(SurfaceKind::Plane) || !face.Placement(p, q))
        throw HostError(E_INVALIDARG_, "face " + std::to_string(face.Index()) + " is no face of revolution");
    if (!part.HasBody()) throw HostError(E_INVALIDARG_, "the part has no body");
    return Guarded("placing a system on a face's axis", [&] {
        gp_Ax1 axis(ToPnt(p), gp_Dir(gp_Vec(ToPnt(p), ToPnt(q))));
        double low = 0, high = 0, faceLow = 0, faceHigh = 0;
        if (!AxialExtent(part.Body().Get()->Shape(), axis, low, high) ||
            !AxialExtent(FaceGeometry(face).face, axis, faceLow, faceHigh))
            throw HostError(E_INVALIDARG_,
                            "the part's extent along the axis of face " + std::to_string(face.Index()) + " is unknown");
        // The face's own sense of the axis when it stands in the middle.
        const bool towardsLow = (faceLow + faceHigh) < (low + high);
        if (towardsLow != reversed) axis.Reverse();
        const double end = towardsLow != reversed ? -low : high;
        const gp_Pnt origin = axis.Location().Translated(gp_Vec(axis.Direction()) * end);
        const gp_Dir z = axis.Direction();
        return LocalCoordinateSystem::MakeFrame(ToPoint3(origin), {z.X(), z.Y(), z.Z()}, std::nullopt);
    });
}

// ---- edges ----

void HostEdge::Vertices(Point3& first, Point3& last) const {
    HostFaults::Check("HostEdge.Vertices");
    TopoDS_Vertex a, b;
    TopExp::Vertices(Get().edge, a, b, true);
    first = a.IsNull() ? Point3{0, 0, 0} : ToPoint3(BRep_Tool::Pnt(a));
    last = b.IsNull() ? first : ToPoint3(BRep_Tool::Pnt(b));
}

std::shared_ptr<HostCurve> HostEdge::Curve() const {
    HostFaults::Check("HostEdge.Curve");
    // A degenerated edge (a sphere's pole) has no curve in space.
    if (BRep_Tool::Degenerated(Get().edge)) return nullptr;
    return Guarded("an edge's curve",
                   [&] { return std::make_shared<HostCurve>(std::make_shared<HostCurve::Geometry>(Get().edge)); });
}

bool HostEdge::Box(Point3& min, Point3& max) const {
    HostFaults::Check("HostEdge.Box");
    if (BRep_Tool::Degenerated(Get().edge)) return false;
    return Guarded("an edge's box", [&] {
        // Lines and conics are boxed exactly, splines by their poles; any other
        // curve would be boxed by samples, which may miss a bulge. A line or a
        // circle goes to the box of its kind as the adaptor's box would send
        // it, without the adaptor.
        const HostCurve::Geometry curve = HostCurve::Geometry::Direct(Get().edge);
        const double tolerance = BRep_Tool::Tolerance(Get().edge);
        Bnd_Box box;
        switch (curve.Type()) {
            case GeomAbs_Line: BndLib::Add(curve.Line(), curve.First(), curve.Last(), tolerance, box); break;
            case GeomAbs_Circle: BndLib::Add(curve.Circle(), curve.First(), curve.Last(), tolerance, box); break;
            case GeomAbs_Ellipse:
            case GeomAbs_BezierCurve:
            case GeomAbs_BSplineCurve: BndLib_Add3dCurve::Add(curve.Adaptor(), tolerance, box); break;
            default: return false;
        }
        if (box.IsVoid()) return false;
        box.Get(min[0], min[1], min[2], max[0], max[1], max[2]);
        return true;
    });
}

// ---- curves ----

CurveKind HostCurve::Kind() const {
    HostFaults::Check("HostCurve.Kind");
    switch (geometry_->Type()) {
        case GeomAbs_Line: return CurveKind::Segment;
        case GeomAbs_Circle: return CurveKind::Arc;
        default: return CurveKind::Other;
    }
}

void HostCurve::Range(double& tmin, double& tmax) const {
    HostFaults::Check("HostCurve.Range");
    tmin = geometry_->First();
    tmax = geometry_->Last();
}

Point3 HostCurve::PointAt(double t) const {
    HostFaults::Check("HostCurve.PointAt");
    return Guarded("a point of a curve", [&] { return ToPoint3(geometry_->Value(t)); });
}

double HostCurve::Project(const Point3& p) const {
    HostFaults::Check("HostCurve.Project");
    HostCallTime::Scope time;
    return Guarded("projecting onto a curve", [&] {
        const HostCurve::Geometry& c = *geometry_;
        const gp_Pnt point = ToPnt(p);
        const double t0 = c.First(), t1 = c.Last();
        // The ends count as candidates: the nearest point may be one of them.
        double best = t0, bestDistance = point.SquareDistance(c.Value(t0));
        if (const double d = point.SquareDistance(c.Value(t1)); d < bestDistance) best = t1, bestDistance = d;
        // A line's or a circle's nearest point is the foot of the point on it;
        // a circle's farthest point, its other extremum, is never nearer than
        // an end, and a point on its axis is as near to every point.
        std::optional<double> foot;
        if (c.Type() == GeomAbs_Line) {
            foot = ElCLib::Parameter(c.Line(), point);
        } else if (c.Type() == GeomAbs_Circle) {
            const gp_Circ circle = c.Circle();
            const gp_Vec offset(circle.Location(), point);
            const gp_Vec normal(circle.Axis().Direction());
            if ((offset - normal * offset.Dot(normal)).Magnitude() > Precision::Confusion())
                foot = ElCLib::InPeriod(ElCLib::Parameter(circle, point), t0, t0 + 2 * PI);
            else
                return best;
        }
        if (foot) {
            if (t0 < *foot && *foot < t1)
                if (const double d = point.SquareDistance(c.Value(*foot)); d < bestDistance) best = *foot;
            return best;
        }
        Extrema_ExtPC extrema(point, c.Adaptor(), t0, t1);
        if (extrema.IsDone())
            for (int i = 1; i <= extrema.NbExt(); ++i)
                if (extrema.SquareDistance(i) < bestDistance)
                    bestDistance = extrema.SquareDistance(i), best = extrema.Point(i).Parameter();
        return best;
    });
}

bool HostCurve::Arc(Point3& centre, double& radius) const {
    HostFaults::Check("HostCurve.Arc");
    if (geometry_->Type() != GeomAbs_Circle) return false;
    const gp_Circ circle = geometry_->Circle();
    centre = ToPoint3(circle.Location());
    radius = circle.Radius();
    return true;
}

std::vector<double> HostCurve::Polyline(double accuracy) const {
    HostFaults::Check("HostCurve.Polyline");
    HostCallTime::Scope time;
    return Guarded("a curve's polyline", [&] {
        const BRepAdaptor_Curve& c = geometry_->Adaptor();
        std::vector<double> out;
        auto add = [&](const gp_Pnt& p) {
            out.push_back(p.X());
            out.push_back(p.Y());
            out.push_back(p.Z());
        };
        const double deflection = accuracy > 1e-7 ? accuracy : 1e-7;
        GCPnts_QuasiUniformDeflection points(c, deflection, c.FirstParameter(), c.LastParameter());
        if (points.IsDone() && points.NbPoints() >= 2) {
            for (int i = 1; i <= points.NbPoints(); ++i) add(points.Value(i));
        } else {
            add(c.Value(c.FirstParameter()));
            add(c.Value(c.LastParameter()));
        }
        return out;
    });
}

}  // namespace zarvento
