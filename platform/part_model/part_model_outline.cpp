// The outline object: the outline of chosen faces turned about the first axis
// of a coordinate plane of a system, in the half of that plane on the side of
// its second axis: what a lathe turning the part about that axis sees of it.
//
// Each face gives the curves that bound where the turn takes its points:
// - a face turned about the axis (a cylinder, cone, torus, sphere or turned
//   surface on it, or a spline surface whose normals all meet the axis): its
//   meridian, every point of it landing there;
// - a plane square to the axis: the segment across it from its least to its
//   greatest distance from the axis;
// - any other face (a flat, a keyway's floor and walls, a hex's sides, a hole
//   across the axis): the region its turn sweeps, bounded by the images of its
//   edges and of its silhouette, the points where its normal meets the axis's
//   line (there its distance from the axis is least or greatest along the
//   circles about the axis). For a plane, a cylinder, cone, torus or sphere
//   whose axis runs along the outline's, and a cylinder square to it, the
//   silhouette is its section by one plane through the axis; for any other
//   face it is found on a grid of the face's parameters.
// Where such a face lies within the others' outline it adds nothing to the
// outer boundary that is made of all of them. A curve that is not a line or
// an arc comes as points no farther than kImageTolerance apart from it.
#include <BRepAlgoAPI_Section.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepClass_FaceClassifier.hxx>
#include <BRepTopAdaptor_FClass2d.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <ElSLib.hxx>
#include <Extrema_ExtPC.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <GeomLProp_SLProps.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_Curve.hxx>
#include <Geom_Surface.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <Precision.hxx>
#include <ShapeAnalysis.hxx>
#include <Standard_Failure.hxx>
#include <TColStd_Array1OfInteger.hxx>
#include <TColStd_Array1OfReal.hxx>
#include <TColgp_Array1OfPnt.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopTools_MapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Ax3.hxx>
#include <gp_Lin.hxx>
#include <gp_Pln.hxx>
#include <gp_Pnt2d.hxx>
#include <gp_Sphere.hxx>
#include <gp_Trsf.hxx>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <vector>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/numbers.h"
#include "platform/documents/host_application.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/part_model/part_model_occt.h"

namespace zarvento {

namespace {

// Outline pieces shorter than this are specks where faces meet the axis's
// circles or touch the plane.
constexpr double kShortest = 1e-7;

struct PlaneFrame {
    gp_Pnt origin;
    gp_Dir first, second, normal;

    // The point at `z` along the axis and `r` off it, in the half plane.
    gp_Pnt At(double z, double r) const { return origin.Translated(gp_Vec(first) * z + gp_Vec(second) * r); }
    // A point's place along the axis and its distance from it.
    void Turned(const gp_Pnt& p, double& z, double& r) const {
        const gp_Vec d(origin, p);
        z = d.Dot(gp_Vec(first));
        r = (d - gp_Vec(first) * z).Magnitude();
    }
    gp_Ax1 Axis() const { return gp_Ax1(origin, first); }
};

// The system that owns the plane object, and the plane's number.
bool FindPlane(const HostDocument& doc, const HostObjectPtr& plane, PlaneFrame& frame) {
    for (const auto& e : doc.Entities()) {
        auto lcs = std::dynamic_pointer_cast<LocalCoordinateSystem>(e);
        if (!lcs) continue;
        for (int n = LocalCoordinateSystem::kPlaneXY; n <= LocalCoordinateSystem::kPlaneYZ; ++n) {
            if (!SameHostObject(lcs->Plane(n), plane)) continue;
            const auto& o = lcs->Origin();
            const auto& a = lcs->Axes();
            const gp_Vec x(a[0][0], a[0][1], a[0][2]), y(a[1][0], a[1][1], a[1][2]), z(a[2][0], a[2][1], a[2][2]);
            if (x.Magnitude() < 1e-12 || y.Magnitude() < 1e-12 || z.Magnitude() < 1e-12) return false;
            frame.origin = gp_Pnt(o[0], o[1], o[2]);
            // The planes' axes in order: XY (X, Y), ZX (Z, X), YZ (Y, Z).
            const gp_Vec& first = n == LocalCoordinateSystem::kPlaneXY   ? x
                                  : n == LocalCoordinateSystem::kPlaneZX ? z
                                                                         : y;
            const gp_Vec& second = n == LocalCoordinateSystem::kPlaneXY   ? y
                                   : n == LocalCoordinateSystem::kPlaneZX ? x
                                                                          : z;
            frame.first = gp_Dir(first);
            // The second axis made square to the first: the half plane's own.
            gp_Vec square = second - gp_Vec(frame.first) * second.Dot(gp_Vec(frame.first));
            if (square.Magnitude() < 1e-12) return false;
            frame.second = gp_Dir(square);
            frame.normal = frame.first.Crossed(frame.second);
            return true;
        }
    }
    return false;
}

// How closely a face's parameter ranges and boundary lines are compared, and
// how far from the half plane a point of a meridian may lie (mm).
constexpr double kParameter = 1e-9;
constexpr double kInPlane = 1e-7;
// Points of a meridian checked against the half plane.
constexpr int kMeridianSamples = 16;
// How closely the turned image of an edge follows it (mm), and its halvings.
constexpr double kImageTolerance = 5e-4;
constexpr int kImageDepth = 14;

// The point lies on the half plane: in the plane, on its second axis's side.
bool InHalfPlane(const gp_Pnt& p, const PlaneFrame& frame) {
    const gp_Vec d(frame.origin, p);
    return std::fabs(d.Dot(gp_Vec(frame.normal))) < kInPlane && d.Dot(gp_Vec(frame.second)) > -kInPlane;
}

// The face's outer boundary in its parameters is the rectangle of its bounds:
// every edge of its outer wire runs along a constant u (a seam) or along a
// constant v at one of the bounds (a parallel circle). Such a face is a whole
// band of its surface (with holes, maybe); its seam is the meridian the band
// was turned from.
bool IsBand(const HostFace::Geometry& face, double v0, double v1, TopoDS_Edge& seam) {
    bool band = true;
    VisitEdgeLines(face, [&](const TopoDS_Edge& edge, const gp_Lin2d* line) {
        if (!line) return band = false;
        if (std::fabs(line->Direction().X()) < kParameter) {
            seam = edge;
            return true;
        }
        const double v = line->Location().Y();
        if (std::fabs(line->Direction().Y()) > kParameter ||
            (std::fabs(v - v0) > kInPlane && std::fabs(v - v1) > kInPlane))
            return band = false;
        return true;
    });
    return band && !seam.IsNull();
}

// Where the outline's curves go, each with the face it outlines.
struct Outline {
    std::vector<HostCurve::Geometry> curves;
    std::vector<std::size_t> faces;
    std::size_t face = 0;  // the face being outlined

    void Add(HostCurve::Geometry curve) {
        curves.push_back(std::move(curve));
        faces.push_back(face);
    }
    void Segment(const PlaneFrame& frame, double z1, double r1, double z2, double r2) {
        if (std::hypot(z2 - z1, r2 - r1) < kShortest) return;
        Add(HostCurve::Geometry::Direct(BRepBuilderAPI_MakeEdge(frame.At(z1, r1), frame.At(z2, r2)).Edge()));
    }
    // A chain of points (z, r): a segment when they lie on one line, else one
    // curve through them (straight between them), which the model reads as
    // any curve that is not a line or an arc.
    void Chain(const PlaneFrame& frame, const std::vector<gp_Pnt2d>& points) {
        std::vector<gp_Pnt2d> kept;
        for (const gp_Pnt2d& p : points) {
            if (!kept.empty() && kept.back().Distance(p) < kShortest) continue;
            // A point on the line between its neighbours says nothing.
            if (kept.size() >= 2) {
                const gp_Vec2d chord(kept[kept.size() - 2], p);
                const gp_Vec2d to(kept[kept.size() - 2], kept.back());
                const double length = chord.Magnitude();
                if (length > kShortest && std::fabs(chord.Crossed(to)) / length < 1e-9 && to.Dot(chord) >= 0 &&
                    to.Magnitude() <= length)
                    kept.pop_back();
            }
            kept.push_back(p);
        }
        if (kept.size() < 2) return;
        if (kept.size() == 2) return Segment(frame, kept[0].X(), kept[0].Y(), kept[1].X(), kept[1].Y());
        const int n = static_cast<int>(kept.size());
        TColgp_Array1OfPnt poles(1, n);
        TColStd_Array1OfReal knots(1, n);
        TColStd_Array1OfInteger multiplicities(1, n);
        for (int k = 1; k <= n; ++k) {
            poles(k) = frame.At(kept[static_cast<std::size_t>(k - 1)].X(), kept[static_cast<std::size_t>(k - 1)].Y());
            knots(k) = k - 1;
            multiplicities(k) = k == 1 || k == n ? 2 : 1;
        }
        Add(HostCurve::Geometry::Direct(
            BRepBuilderAPI_MakeEdge(Handle(Geom_Curve)(new Geom_BSplineCurve(poles, knots, multiplicities, 1)))
                .Edge()));
    }
};

bool OnAxisLine(const gp_Ax1& axis, const PlaneFrame& frame) {
    constexpr double kAxisAngle = 1e-9, kAxisOffset = 1e-7;
    return axis.Direction().IsParallel(frame.first, kAxisAngle) &&
           gp_Lin(frame.origin, frame.first).Distance(axis.Location()) < kAxisOffset;
}

// The turn about the axis that takes the point into the half plane.
gp_Trsf TurnInto(const gp_Pnt& p, const PlaneFrame& frame, bool& found) {
    const gp_Vec along(frame.first), second(frame.second);
    gp_Vec radial(frame.origin, p);
    radial -= along * radial.Dot(along);
    gp_Trsf turn;
    found = radial.Magnitude() > 1e-7;
    if (!found) return turn;
    radial.Normalize();
    const double angle = std::atan2(along.Crossed(radial).Dot(second), radial.Dot(second));
    if (angle != 0) turn.SetRotation(frame.Axis(), angle);
    return turn;
}

// A curve that lies in one half plane through the axis, turned into the
// outline's: the meridian itself. False (nothing added) when its samples do
// not all land in the half plane (a tube that crosses the axis).
bool AddTurned(const TopoDS_Edge& edge, const PlaneFrame& frame, Outline& out) {
    HostCurve::Geometry curve = HostCurve::Geometry::Direct(edge);
    const double t0 = curve.First(), t1 = curve.Last();
    bool found = false;
    const gp_Trsf turn = TurnInto(curve.Value(0.5 * (t0 + t1)), frame, found);
    if (!found) return false;
    // A straight one lies in the half plane when its ends do.
    const int samples = curve.Type() == GeomAbs_Line ? 1 : kMeridianSamples;
    for (int k = 0; k <= samples; ++k)
        if (!InHalfPlane(curve.Value(t0 + (t1 - t0) * k / samples).Transformed(turn), frame)) return false;
    // A curve in the outline's own half plane is read as it is: a copy
    // turned by nothing would only cost its making.
    if (turn.Form() == gp_Identity)
        out.Add(std::move(curve));
    else
        out.Add(HostCurve::Geometry::Direct(TopoDS::Edge(BRepBuilderAPI_Transform(edge, turn, true).Shape())));
    return true;
}

// The face's surface turns about the axis: its own axis on it (a sphere's
// centre on it), or the normals at a grid of its points all in the planes
// through the axis (a spline surface turned about it).
bool TurnsAbout(const HostFace::Geometry& face, const PlaneFrame& frame) {
    const BRepAdaptor_Surface& surface = face.surface;
    switch (surface.GetType()) {
        case GeomAbs_Cylinder: return OnAxisLine(surface.Cylinder().Axis(), frame);
        case GeomAbs_Cone: return OnAxisLine(surface.Cone().Axis(), frame);
        case GeomAbs_Torus: return OnAxisLine(surface.Torus().Axis(), frame);
        case GeomAbs_Sphere: return gp_Lin(frame.origin, frame.first).Distance(surface.Sphere().Location()) < 1e-7;
        case GeomAbs_SurfaceOfRevolution:
            if (OnAxisLine(surface.AxeOfRevolution(), frame)) return true;
            break;
        case GeomAbs_BezierSurface:
        case GeomAbs_BSplineSurface:
        case GeomAbs_OffsetSurface:
        case GeomAbs_OtherSurface: break;
        default: return false;
    }
    // A normal's share across the planes through the axis, within this.
    constexpr double kAcross = 1e-4;
    constexpr int kGrid = 6;
    // The surface as the face places it.
    const Handle(Geom_Surface) geometry = BRep_Tool::Surface(face.face);
    if (geometry.IsNull()) return false;
    int sampled = 0;
    for (int i = 0; i <= kGrid; ++i) {
        for (int j = 0; j <= kGrid; ++j) {
            const double u = face.umin + (face.umax - face.umin) * i / kGrid;
            const double v = face.vmin + (face.vmax - face.vmin) * j / kGrid;
            GeomLProp_SLProps props(geometry, u, v, 1, 1e-9);
            if (!props.IsNormalDefined()) continue;
            const gp_Pnt p = props.Value();
            const gp_Dir n = props.Normal();
            gp_Vec around = gp_Vec(frame.first).Crossed(gp_Vec(frame.origin, p));
            if (around.Magnitude() < 1e-3) continue;
            around.Normalize();
            if (std::fabs(gp_Vec(n).Dot(around)) > kAcross) return false;
            ++sampled;
        }
    }
    return sampled > 0;
}

// The least and greatest distance from the axis of an edge that lies in a
// plane square to it: its ends and the distance's extremes along it.
void RadiusRange(const TopoDS_Edge& edge, const PlaneFrame& frame, double& low, double& high) {
    if (BRep_Tool::Degenerated(edge)) return;
    const BRepAdaptor_Curve curve(edge);
    const double t0 = curve.FirstParameter(), t1 = curve.LastParameter();
    double z = 0, r = 0;
    const auto take = [&](const gp_Pnt& p) {
        frame.Turned(p, z, r);
        low = std::min(low, r);
        high = std::max(high, r);
    };
    take(curve.Value(t0));
    take(curve.Value(t1));
    frame.Turned(curve.Value(0.5 * (t0 + t1)), z, r);
    const Extrema_ExtPC extrema(frame.origin.Translated(gp_Vec(frame.first) * z), curve, t0, t1);
    if (extrema.IsDone())
        for (int i = 1; i <= extrema.NbExt(); ++i) take(extrema.Point(i).Value());
}

// A plane square to the axis: the segment across it at its place along the
// axis, from the axis when it holds the axis's point.
bool AddRadialSegment(const HostFace::Geometry& face, const PlaneFrame& frame, Outline& out) {
    if (face.surface.GetType() != GeomAbs_Plane ||
        !face.surface.Plane().Axis().Direction().IsParallel(frame.first, 1e-9))
        return false;
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (TopExp_Explorer e(face.face, TopAbs_EDGE); e.More(); e.Next())
        RadiusRange(TopoDS::Edge(e.Current()), frame, low, high);
    if (!(low <= high)) return true;
    double z = 0, r = 0;
    frame.Turned(face.surface.Plane().Location(), z, r);
    const gp_Pnt foot = frame.origin.Translated(gp_Vec(frame.first) * z);
    double u = 0, v = 0;
    ElSLib::Parameters(face.surface.Plane(), foot, u, v);
    BRepClass_FaceClassifier inside(face.face, gp_Pnt2d(u, v), Precision::Confusion());
    if (inside.State() == TopAbs_IN || inside.State() == TopAbs_ON) low = 0;
    out.Segment(frame, z, low, z, high);
    return true;
}

// The axis a surface of revolution turns about: its parameter u turns about it.
bool OwnAxisOnLine(const BRepAdaptor_Surface& surface, const PlaneFrame& frame) {
    switch (surface.GetType()) {
        case GeomAbs_Cylinder: return OnAxisLine(surface.Cylinder().Axis(), frame);
        case GeomAbs_Cone: return OnAxisLine(surface.Cone().Axis(), frame);
        case GeomAbs_Sphere: return OnAxisLine(surface.Sphere().Position().Axis(), frame);
        case GeomAbs_Torus: return OnAxisLine(surface.Torus().Axis(), frame);
        case GeomAbs_SurfaceOfRevolution: return OnAxisLine(surface.AxeOfRevolution(), frame);
        default: return false;
    }
}

// A face turned about the axis whose boundary is not a whole band (a cylinder
// a keyway cuts into, a cone cut by a flat): its surface's meridian over the
// face's span of it. The turn takes every point of the face onto it.
bool AddPartialMeridian(const HostFace::Geometry& face, const PlaneFrame& frame, Outline& out) {
    double u0 = 0, u1 = 0, v0 = 0, v1 = 0;
    ShapeAnalysis::GetFaceUVBounds(face.face, u0, u1, v0, v1);
    if (!(v1 - v0 > kParameter)) return false;
    const Handle(Geom_Surface) surface = BRep_Tool::Surface(face.face);
    Handle(Geom_Curve) meridian = surface->UIso(0.5 * (u0 + u1));
    if (meridian.IsNull()) return false;
    meridian = new Geom_TrimmedCurve(meridian, v0, v1);
    TopoDS_Edge edge = BRepBuilderAPI_MakeEdge(meridian).Edge();
    if (!face.face.Location().IsIdentity()) edge = TopoDS::Edge(edge.Moved(face.face.Location()));
    return AddTurned(edge, frame, out);
}

// A sphere centred on the axis whose own axis is another: the arc of its
// great circle in the half plane over the face's extent along the axis.
bool AddSphereMeridian(const HostFace::Geometry& face, const PlaneFrame& frame, Outline& out) {
    if (face.surface.GetType() != GeomAbs_Sphere) return false;
    const gp_Sphere sphere = face.surface.Sphere();
    double zc = 0, off = 0;
    frame.Turned(sphere.Location(), zc, off);
    const double radius = sphere.Radius();
    gp_Trsf toAxis;
    toAxis.SetTransformation(gp_Ax3(frame.origin, frame.first, frame.second));
    Bnd_Box box;
    BRepBndLib::AddOptimal(face.face.Moved(TopLoc_Location(toAxis)), box, false, false);
    if (box.IsVoid()) return false;
    double x0 = 0, y0 = 0, z0 = 0, x1 = 0, y1 = 0, z1 = 0;
    box.Get(x0, y0, z0, x1, y1, z1);
    z0 = std::max(z0, zc - radius);
    z1 = std::min(z1, zc + radius);
    if (!(z1 - z0 > kShortest)) return false;
    const auto at = [&](double z) {
        return frame.At(z, std::sqrt(std::max(0.0, radius * radius - (z - zc) * (z - zc))));
    };
    const GC_MakeArcOfCircle arc(at(z0), at(0.5 * (z0 + z1)), at(z1));
    if (!arc.IsDone()) return false;
    out.Add(HostCurve::Geometry::Direct(BRepBuilderAPI_MakeEdge(arc.Value()).Edge()));
    return true;
}

// How far a cutting plane must reach from the frame's origin to cross all of
// the face: twice its box's farthest corner.
double Reach(const HostFace::Geometry& face, const PlaneFrame& frame) {
    double x0 = 0, y0 = 0, z0 = 0, x1 = 0, y1 = 0, z1 = 0;
    face.box.Get(x0, y0, z0, x1, y1, z1);
    double reach = 1.0;
    for (double x : {x0, x1})
        for (double y : {y0, y1})
            for (double z : {z0, z1}) reach = std::max(reach, frame.origin.Distance(gp_Pnt(x, y, z)));
    return 2.0 * reach;
}

// The face's section by the rectangle [u0, u1] x [v0, v1] of a plane, its
// curves approximated.
TopoDS_Shape PlaneSection(const HostFace::Geometry& face, const gp_Pln& plane, double u0, double u1, double v0,
                          double v1) {
    BRepAlgoAPI_Section section(face.face, BRepBuilderAPI_MakeFace(plane, u0, u1, v0, v1).Face(), false);
    section.Approximation(true);
    section.ComputePCurveOn1(false);
    section.ComputePCurveOn2(false);
    section.Build();
    if (!section.IsDone()) throw HostError(E_FAIL_, "the outline's section failed");
    return section.Shape();
}

// The section of a face turned about the axis by the half plane itself: its
// meridian over the span of it the half plane meets (all of it but where a
// cut into the face stands in the half plane, which its edges' images cover).
void AddHalfPlaneSection(const HostFace::Geometry& face, const PlaneFrame& frame, Outline& out) {
    const double reach = Reach(face, frame);
    const gp_Pln plane(gp_Ax3(frame.origin, frame.normal, frame.first));
    for (TopExp_Explorer e(PlaneSection(face, plane, -reach, reach, 0.0, reach), TopAbs_EDGE); e.More(); e.Next())
        if (!BRep_Tool::Degenerated(TopoDS::Edge(e.Current()))) out.Add(HostCurve::Geometry(TopoDS::Edge(e.Current())));
}

// The meridian of a face turned about the axis that is a whole band of it: its
// seam turned into the half plane. The seam, not the surface, is taken: the
// modeller may carry a nearly straight cone as a cylinder whose edges stand
// off it within their tolerance, and the edges are what the part's faces meet
// at.
bool AddSeam(const HostFace::Geometry& face, const PlaneFrame& frame, Outline& out) {
    TopoDS_Edge seam;
    if (!OwnAxisOnLine(face.surface, frame)) return false;
    if (face.umax - face.umin < 2 * PI - kParameter || !(face.vmax - face.vmin > kParameter) ||
        !IsBand(face, face.vmin, face.vmax, seam))
        return false;
    return AddTurned(seam, frame, out);
}

// Where an image comes nearest the axis between its points (its least
// distance from the axis along the edge), that point joins them: an edge
// that crosses the axis turns into a corner on it, which chords between the
// points on either side would cut short of the axis, leaving a gap there that
// the section's boundary runs through. A point within kInPlane of the axis
// lies on it.
template <class Image>
void AddNearestToAxis(const Image& image, std::vector<double>& at, std::vector<gp_Pnt2d>& points) {
    constexpr int kSearch = 60;
    const double golden = 0.5 * (std::sqrt(5.0) - 1);
    for (std::size_t k = 1; k + 1 < points.size(); ++k) {
        if (points[k].Y() > points[k - 1].Y() || points[k].Y() > points[k + 1].Y()) continue;
        double a = at[k - 1], b = at[k + 1];
        for (int step = 0; step < kSearch && b - a > kParameter * (1 + std::fabs(a)); ++step) {
            const double c = b - golden * (b - a), d = a + golden * (b - a);
            if (image(c).Y() < image(d).Y())
                b = d;
            else
                a = c;
        }
        const double t = 0.5 * (a + b);
        gp_Pnt2d nearest = image(t);
        if (nearest.Y() < kInPlane) nearest.SetY(0);
        if (!(nearest.Y() < points[k].Y() - kShortest) || t == at[k]) continue;
        const std::size_t where = t < at[k] ? k : k + 1;
        points.insert(points.begin() + static_cast<std::ptrdiff_t>(where), nearest);
        at.insert(at.begin() + static_cast<std::ptrdiff_t>(where), t);
        ++k;
    }
}

// The turned image of an edge: its points (place along the axis, distance from
// it), as close together as the image needs.
void AddEdgeImage(const TopoDS_Edge& edge, const PlaneFrame& frame, Outline& out) {
    if (BRep_Tool::Degenerated(edge)) return;
    const BRepAdaptor_Curve curve(edge);
    const double t0 = curve.FirstParameter(), t1 = curve.LastParameter();
    const auto image = [&](double t) {
        double z = 0, r = 0;
        frame.Turned(curve.Value(t), z, r);
        return gp_Pnt2d(z, r);
    };
    // An edge in one half plane through the axis is its own image, turned.
    bool inOnePlane = true, point = true;
    const gp_Pnt2d first = image(t0);
    gp_Vec reference;
    for (int k = 0; k <= kMeridianSamples; ++k) {
        const double t = t0 + (t1 - t0) * k / kMeridianSamples;
        const gp_Pnt p = curve.Value(t);
        point = point && image(t).Distance(first) < kShortest;
        gp_Vec radial(frame.origin, p);
        radial -= gp_Vec(frame.first) * radial.Dot(gp_Vec(frame.first));
        if (radial.Magnitude() < kInPlane) continue;
        radial.Normalize();
        if (reference.Magnitude() == 0)
            reference = radial;
        else if (!radial.IsEqual(reference, kInPlane, kParameter))
            inOnePlane = false;
    }
    if (point) return;  // a circle about the axis turns into a point
    if (inOnePlane && AddTurned(edge, frame, out)) return;
    std::vector<gp_Pnt2d> points{first};
    std::vector<double> at{t0};
    // Halves each piece whose middle stands off its chord.
    const auto refine = [&](auto&& self, double a, double b, const gp_Pnt2d& pa, const gp_Pnt2d& pb,
                            int depth) -> void {
        const double m = 0.5 * (a + b);
        const gp_Pnt2d pm = image(m);
        const gp_Vec2d chord(pa, pb);
        const double off = chord.Magnitude() > kShortest
                               ? std::fabs(chord.Crossed(gp_Vec2d(pa, pm))) / chord.Magnitude()
                               : pa.Distance(pm);
        if (depth < kImageDepth && off > kImageTolerance) {
            self(self, a, m, pa, pm, depth + 1);
            self(self, m, b, pm, pb, depth + 1);
            return;
        }
        points.push_back(pb);
        at.push_back(b);
    };
    constexpr int kPieces = 16;
    for (int k = 0; k < kPieces; ++k) {
        const double a = t0 + (t1 - t0) * k / kPieces, b = t0 + (t1 - t0) * (k + 1) / kPieces;
        refine(refine, a, b, points.back(), image(b), 0);
    }
    AddNearestToAxis(image, at, points);
    out.Chain(frame, points);
}

// The images of the face's edges, each edge once (`done` holds those taken
// already, or lying on a face turned about the axis, whose meridian holds
// their images).
void AddEdgeImages(const HostFace::Geometry& face, const PlaneFrame& frame, TopTools_MapOfShape& done, Outline& out) {
    for (TopExp_Explorer e(face.face, TopAbs_EDGE); e.More(); e.Next())
        if (done.Add(e.Current())) AddEdgeImage(TopoDS::Edge(e.Current()), frame, out);
}

// The plane through the axis in which the face's silhouette lies (the points
// where its normal meets the axis's line), as its normal: for a plane, the
// one through its normal; for a cylinder, cone, torus or turned surface
// whose axis runs along the outline's off it or meets it, and for a sphere
// off the axis, the one through that axis or the centre; for a cylinder
// square to the axis, the one square to the cylinder's. False for any other
// face, whose outline is found section by section.
bool SilhouettePlane(const BRepAdaptor_Surface& surface, const PlaneFrame& frame, gp_Dir& normal) {
    const gp_Vec along(frame.first);
    const auto across = [&](const gp_Vec& v) { return v - along * v.Dot(along); };
    const auto through = [&](const gp_Pnt& p) {
        const gp_Vec off = across(gp_Vec(frame.origin, p));
        if (off.Magnitude() < kInPlane) return false;
        normal = gp_Dir(along.Crossed(off));
        return true;
    };
    switch (surface.GetType()) {
        case GeomAbs_Plane: {
            const gp_Vec radial = across(gp_Vec(surface.Plane().Axis().Direction()));
            if (radial.Magnitude() < 1e-9) return false;
            normal = gp_Dir(along.Crossed(radial));
            return true;
        }
        case GeomAbs_Sphere: return through(surface.Sphere().Location());
        case GeomAbs_Cylinder:
        case GeomAbs_Cone:
        case GeomAbs_Torus:
        case GeomAbs_SurfaceOfRevolution: {
            const gp_Ax1 axis = surface.GetType() == GeomAbs_Cylinder ? surface.Cylinder().Axis()
                                : surface.GetType() == GeomAbs_Cone   ? surface.Cone().Axis()
                                : surface.GetType() == GeomAbs_Torus  ? surface.Torus().Axis()
                                                                      : surface.AxeOfRevolution();
            if (axis.Direction().IsParallel(frame.first, 1e-9)) return through(axis.Location());
            if (surface.GetType() == GeomAbs_Cylinder && axis.Direction().IsNormal(frame.first, 1e-9)) {
                normal = axis.Direction();
                return true;
            }
            // An axis that meets the outline's (a cone end made about a tilted
            // axis): the plane through both, about which the surface is
            // symmetric, so that its normals there meet the axis.
            const gp_Vec both = along.Crossed(gp_Vec(axis.Direction()));
            if (std::fabs(gp_Vec(frame.origin, axis.Location()).Dot(both.Normalized())) > kInPlane) return false;
            normal = gp_Dir(both);
            return true;
        }
        default: return false;
    }
}

// A face whose silhouette lies in one plane through the axis: the images of
// its edges and of its section by that plane. False (nothing added) for any
// other face.
bool AddSilhouetteOutline(const HostFace::Geometry& face, const PlaneFrame& frame, TopTools_MapOfShape& done,
                          Outline& out) {
    gp_Dir normal;
    if (!SilhouettePlane(face.surface, frame, normal)) return false;
    AddEdgeImages(face, frame, done, out);
    const double reach = Reach(face, frame);
    const gp_Pln plane(gp_Ax3(frame.origin, normal, frame.first));
    for (TopExp_Explorer e(PlaneSection(face, plane, -reach, reach, -reach, reach), TopAbs_EDGE); e.More(); e.Next())
        AddEdgeImage(TopoDS::Edge(e.Current()), frame, out);
    return true;
}

// The silhouette of a face of any other kind, where its normal meets the
// axis's line: found on a grid of its parameters (where the normal's share
// across the planes through the axis changes its sign along a grid line,
// that point is found by halving), its pieces joined cell by cell as the
// grid's squares cross it, and the runs of it that lie on the face turned
// into the half plane.
// Long: the grid's sampling, the halving of each crossing and the joining
// of the pieces share the grid's arrays; apart they would pass them all.
void AddGridSilhouette(const HostFace::Geometry& face, const PlaneFrame& frame, Outline& out) {
    const Handle(Geom_Surface) surface = BRep_Tool::Surface(face.face);
    if (surface.IsNull() || !(face.umax > face.umin) || !(face.vmax > face.vmin)) return;
    constexpr int kGrid = 48;
    constexpr int kHalvings = 20;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // The normal's share across the planes through the axis; none where the
    // normal is not defined or the point lies on the axis.
    const auto across = [&](double u, double v) {
        GeomLProp_SLProps props(surface, u, v, 1, 1e-9);
        if (!props.IsNormalDefined()) return nan;
        gp_Vec around = gp_Vec(frame.first).Crossed(gp_Vec(frame.origin, props.Value()));
        const double length = around.Magnitude();
        if (length < 1e-6) return nan;
        return gp_Vec(props.Normal()).Dot(around) / length;
    };
    // A face that goes all round its surface's period (a whole cone about its
    // own axis) is sampled half a cell off its seam, where a silhouette
    // often lies (the generator in the plane of both axes): there the
    // normal's share is nothing, and its sign, which the crossings are found
    // by, says nothing.
    const auto whole = [&](bool periodic, double period, double low, double high) {
        return periodic && high - low >= period - kParameter ? 0.5 : 0.0;
    };
    const double uShift =
        whole(surface->IsUPeriodic(), surface->IsUPeriodic() ? surface->UPeriod() : 0, face.umin, face.umax);
    const double vShift =
        whole(surface->IsVPeriodic(), surface->IsVPeriodic() ? surface->VPeriod() : 0, face.vmin, face.vmax);
    const auto uAt = [&](double i) { return face.umin + (face.umax - face.umin) * (i + uShift) / kGrid; };
    const auto vAt = [&](double j) { return face.vmin + (face.vmax - face.vmin) * (j + vShift) / kGrid; };
    // A parameter past the face's range, taken back by the period.
    const auto inRange = [](double t, double low, double high) { return t > high ? t - (high - low) : t; };
    std::vector<double> value((kGrid + 1) * (kGrid + 1));
    const auto at = [&](int i, int j) -> double& { return value[static_cast<std::size_t>(i * (kGrid + 1) + j)]; };
    for (int i = 0; i <= kGrid; ++i)
        for (int j = 0; j <= kGrid; ++j) at(i, j) = across(uAt(i), vAt(j));
    // A grid line's crossing, found by halving between its two grid points;
    // the lines are numbered: along u (i, j)-(i + 1, j), then along v.
    std::map<int, gp_Pnt2d> crossings;
    const auto crossing = [&](int i, int j, bool alongU) -> int {
        const int id = alongU ? i * (kGrid + 1) + j : (kGrid + 1) * (kGrid + 1) + i * (kGrid + 1) + j;
        if (crossings.count(id)) return id;
        double a = 0, b = 1;
        double ga = at(i, j);
        const auto point = [&](double t) {
            return alongU ? gp_Pnt2d(uAt(i + t), vAt(j)) : gp_Pnt2d(uAt(i), vAt(j + t));
        };
        for (int k = 0; k < kHalvings; ++k) {
            const double m = 0.5 * (a + b);
            const gp_Pnt2d p = point(m);
            const double gm = across(p.X(), p.Y());
            if (std::isnan(gm)) break;
            if ((gm < 0) == (ga < 0)) {
                a = m;
                ga = gm;
            } else {
                b = m;
            }
        }
        crossings.emplace(id, point(0.5 * (a + b)));
        return id;
    };
    const auto changes = [&](double g1, double g2) {
        return !std::isnan(g1) && !std::isnan(g2) && (g1 < 0) != (g2 < 0);
    };
    // The pieces, as pairs of crossings, and each crossing's pieces.
    std::vector<std::pair<int, int>> pieces;
    for (int i = 0; i < kGrid; ++i) {
        for (int j = 0; j < kGrid; ++j) {
            std::vector<int> found;
            if (changes(at(i, j), at(i + 1, j))) found.push_back(crossing(i, j, true));
            if (changes(at(i + 1, j), at(i + 1, j + 1))) found.push_back(crossing(i + 1, j, false));
            if (changes(at(i, j + 1), at(i + 1, j + 1))) found.push_back(crossing(i, j + 1, true));
            if (changes(at(i, j), at(i, j + 1))) found.push_back(crossing(i, j, false));
            if (found.size() == 2) pieces.emplace_back(found[0], found[1]);
            if (found.size() == 4) {
                // A saddle: the pieces go round the corners of the centre's sign.
                pieces.emplace_back(found[0], found[3]);
                pieces.emplace_back(found[1], found[2]);
            }
        }
    }
    if (pieces.empty()) return;
    std::map<int, std::vector<std::size_t>> ends;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        ends[pieces[k].first].push_back(k);
        ends[pieces[k].second].push_back(k);
    }
    BRepTopAdaptor_FClass2d classifier(face.face, Precision::PConfusion());
    const auto onFace = [&](const gp_Pnt2d& p) {
        const gp_Pnt2d taken(uShift > 0 ? inRange(p.X(), face.umin, face.umax) : p.X(),
                             vShift > 0 ? inRange(p.Y(), face.vmin, face.vmax) : p.Y());
        const TopAbs_State state = classifier.Perform(taken, false);
        return state == TopAbs_IN || state == TopAbs_ON;
    };
    const auto image = [&](const gp_Pnt2d& p) {
        double z = 0, r = 0;
        frame.Turned(surface->Value(p.X(), p.Y()), z, r);
        return gp_Pnt2d(z, r);
    };
    // Each chain of pieces once, from an end of it (or anywhere on a loop);
    // its runs on the face become curves.
    std::vector<bool> used(pieces.size(), false);
    const auto walk = [&](std::size_t first, int from) {
        std::vector<gp_Pnt2d> run;
        const auto flush = [&] {
            out.Chain(frame, run);
            run.clear();
        };
        const auto visit = [&](int id) {
            const gp_Pnt2d& p = crossings.at(id);
            if (onFace(p))
                run.push_back(image(p));
            else
                flush();
        };
        visit(from);
        std::size_t piece = first;
        int end = from;
        for (std::size_t step = 0; step < pieces.size() && !used[piece]; ++step) {
            used[piece] = true;
            const int next = pieces[piece].first == end ? pieces[piece].second : pieces[piece].first;
            visit(next);
            end = next;
            const auto& linked = ends[end];
            const auto more = std::find_if(linked.begin(), linked.end(), [&](std::size_t k) { return !used[k]; });
            if (more == linked.end()) break;
            piece = *more;
        }
        flush();
    };
    for (const auto& [id, linked] : ends)
        if (linked.size() == 1 && !used[linked[0]]) walk(linked[0], id);
    for (std::size_t k = 0; k < pieces.size(); ++k)
        if (!used[k]) walk(k, pieces[k].first);
}

}  // namespace

bool FaceTurnsAbout(const HostFace::Geometry& face, const gp_Ax1& axis) {
    PlaneFrame frame;
    frame.origin = axis.Location();
    frame.first = axis.Direction();
    if (face.surface.GetType() == GeomAbs_Plane)
        return face.surface.Plane().Axis().Direction().IsParallel(frame.first, 1e-9);
    return TurnsAbout(face, frame);
}

void HostOutline::Rebuild() {
    HostFaults::Check("HostOutline.Rebuild");
    HostCallTime::Scope time;
    result_.clear();
    // The plane belongs to a coordinate system of the outline's document or of
    // another open document (a stock model is outlined about the part's system).
    PlaneFrame frame;
    bool found = false;
    if (plane_) {
        if (const std::shared_ptr<HostDocument> owner = document_.lock()) found = FindPlane(*owner, plane_, frame);
        if (HostApplication* app = HostApplicationObject(); app && !found)
            for (std::size_t i = 0; i < app->Documents().Count() && !found; ++i)
                found = FindPlane(*app->Documents().Item(i), plane_, frame);
    }
    if (!found) throw HostError(E_INVALIDARG_, "the outline has no plane of a coordinate system");
    if (faces_.empty()) return;
    try {
        // Meridians first, so that a piece of the boundary the meridian of a
        // face turned about the axis shares with another face's outline is
        // found on the meridian; the outlines of the other faces after them.
        Outline meridians, regions;
        meridians.curves.reserve(faces_.size());
        std::vector<std::size_t> others;
        // The edges whose images are taken: those of faces turned about the
        // axis lie on their meridians.
        TopTools_MapOfShape done;
        for (std::size_t i = 0; i < faces_.size(); ++i) {
            const HostFace::Geometry& face = static_cast<const HostFace&>(*faces_[i]).Get();
            meridians.face = i;
            bool turned = AddRadialSegment(face, frame, meridians);
            if (!turned && TurnsAbout(face, frame)) {
                // Its meridian; else (a spline surface turned about the axis, a
                // tube that crosses it) its section by the half plane and its
                // edges' images.
                turned = true;
                const bool meridian =
                    OwnAxisOnLine(face.surface, frame)
                        ? AddSeam(face, frame, meridians) || AddPartialMeridian(face, frame, meridians)
                        : AddSphereMeridian(face, frame, meridians);
                if (!meridian) {
                    AddHalfPlaneSection(face, frame, meridians);
                    AddEdgeImages(face, frame, done, meridians);
                }
            }
            if (!turned) {
                others.push_back(i);
                continue;
            }
            for (TopExp_Explorer e(face.face, TopAbs_EDGE); e.More(); e.Next()) done.Add(e.Current());
        }
        for (std::size_t i : others) {
            const HostFace::Geometry& face = static_cast<const HostFace&>(*faces_[i]).Get();
            regions.face = i;
            if (AddSilhouetteOutline(face, frame, done, regions)) continue;
            AddEdgeImages(face, frame, done, regions);
            AddGridSilhouette(face, frame, regions);
        }
        std::vector<std::shared_ptr<HostCurve>> curves;
        for (Outline* part : {&meridians, &regions}) {
            const auto made = std::make_shared<const std::vector<HostCurve::Geometry>>(std::move(part->curves));
            for (std::size_t k = 0; k < made->size(); ++k) {
                if ((*made)[k].Length() < kShortest) continue;
                auto curve = std::make_shared<HostCurve>(GeometryAt(made, k));
                curve->SetSourceFace(faces_[part->faces[k]]);
                curves.push_back(std::move(curve));
            }
        }
        if (!curves.empty()) result_.push_back(std::move(curves));
    } catch (const Standard_Failure& e) {
        throw HostError(E_FAIL_,
                        std::string("the outline failed: ") + (e.GetMessageString() ? e.GetMessageString() : ""));
    }
}

}  // namespace zarvento
