// PartShape: bodies made by the host's modelling (Open CASCADE), their
// binary form and STEP files written from them (through the STEP translator).
#include "platform/part_shape.h"

#include <BRepAdaptor_Surface.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepGProp.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <BinTools.hxx>
#include <ElCLib.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <GProp_GProps.hxx>
#include <Geom2d_Curve.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_Circle.hxx>
#include <Geom_Plane.hxx>
#include <Geom_SurfaceOfRevolution.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <Precision.hxx>
#include <Standard_Failure.hxx>
#include <TColStd_Array1OfInteger.hxx>
#include <TColStd_Array1OfReal.hxx>
#include <TColgp_Array1OfPnt.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Solid.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gce_MakeCirc.hxx>
#include <gp_Ax1.hxx>
#include <gp_Ax2.hxx>
#include <gp_Ax3.hxx>
#include <gp_Lin.hxx>
#include <gp_Lin2d.hxx>
#include <gp_Trsf.hxx>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <locale>
#include <optional>
#include <sstream>

#include "platform/core/host_error.h"
#include "platform/core/numbers.h"
#include "platform/part_model/part_model_occt.h"
#include "platform/part_model/step_translator.h"

namespace zarvento {

namespace {

// A point of the profile further from the axis than this is off it.
constexpr double kOnAxis = 1e-7;
// Ends of neighbouring pieces this close share one vertex.
constexpr double kJoinTolerance = 1e-6;

std::string Format(double v) {
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s << v;
    return s.str();
}

std::string PointText(const std::array<double, 2>& p) { return "(" + Format(p[0]) + ", " + Format(p[1]) + ")"; }

[[noreturn]] void Refuse(const std::string& what) { throw HostError(E_INVALIDARG_, "the profile " + what); }

template <class F>
auto Modelling(const char* what, F f) {
    try {
        return f();
    } catch (const Standard_Failure& e) {
        throw HostError(E_FAIL_, std::string(what) + " failed: " + (e.GetMessageString() ? e.GetMessageString() : ""));
    }
}

const TopoDS_Shape& ShapeOf(const PartShape& s) {
    static const TopoDS_Shape none;
    return s.Get() ? s.Get()->Shape() : none;
}

bool OnAxis(const MeridianPiece& piece) {
    for (const auto& p : piece.points)
        if (std::fabs(p[1]) > kOnAxis) return false;
    return true;
}

class ProfilePlane {
public:
    explicit ProfilePlane(const RevolutionAxis& axis) : origin_(ToPnt(axis.origin)) {
        gp_Vec d(axis.direction[0], axis.direction[1], axis.direction[2]);
        gp_Vec r(axis.radial[0], axis.radial[1], axis.radial[2]);
        if (d.Magnitude() < 1e-12 || r.Magnitude() < 1e-12) Refuse("axis has no direction");
        d.Normalize();
        r -= d * r.Dot(d);  // square to the axis
        if (r.Magnitude() < 1e-12) Refuse("axis's radial direction runs along the axis");
        r.Normalize();
        dir_ = d;
        radial_ = r;
    }
    gp_Pnt At(const std::array<double, 2>& p) const { return origin_.Translated(dir_ * p[0] + radial_ * p[1]); }
    gp_Ax1 Axis() const { return gp_Ax1(origin_, gp_Dir(dir_)); }
    // The plane itself, its u along the axis and v along the radius, as the
    // profile's own coordinates run.
    gp_Ax3 Placement() const { return gp_Ax3(origin_, gp_Dir(dir_.Crossed(radial_)), gp_Dir(dir_)); }

private:
    gp_Pnt origin_;
    gp_Vec dir_, radial_;
};

// The flat region a profile of segments and arcs bounds, on its plane. The
// face maker would find the plane and run its classifier over every edge to
// orient the wire; here the plane is known, and the wire runs anticlockwise
// on it when the area its points enclose is positive.
TopoDS_Face FlatFace(const TopoDS_Wire& wire, const ProfilePlane& plane,
                     const std::vector<const MeridianPiece*>& chain) {
    double area = 0;
    const std::array<double, 2>* last = &chain.back()->points.back();
    for (const MeridianPiece* piece : chain)
        for (std::size_t k = 0; k + 1 < piece->points.size(); ++k) {  // its end is the next one's start
            const auto& p = piece->points[k];
            area += (*last)[0] * p[1] - p[0] * (*last)[1];
            last = &p;
        }
    BRep_Builder builder;
    TopoDS_Face face;
    builder.MakeFace(face, new Geom_Plane(plane.Placement()), Precision::Confusion());
    builder.Add(face, area < 0 ? TopoDS::Wire(wire.Reversed()) : wire);
    return face;
}

// The flat region of a profile with splines, as the face maker finds it.
TopoDS_Face FaceFoundFor(const TopoDS_Wire& wire) {
    BRepBuilderAPI_MakeFace face(wire, true);
    if (!face.IsDone()) Refuse("does not bound a flat region");
    return face.Face();
}

// The piece as an edge between the given vertices, which lie at its ends
// within their tolerance; so made, neighbours share their vertex.
TopoDS_Edge MakeEdge(const MeridianPiece& piece, const ProfilePlane& plane, const TopoDS_Vertex& from,
                     const TopoDS_Vertex& to) {
    const auto& pts = piece.points;
    switch (piece.kind) {
        case MeridianPiece::Kind::Segment: {
            if (pts.size() != 2) Refuse("has a segment without two ends");
            BRepBuilderAPI_MakeEdge e(from, to);
            if (!e.IsDone()) Refuse("has a segment of no length at " + PointText(pts[0]));
            return e.Edge();
        }
        case MeridianPiece::Kind::Arc: {
            if (pts.size() != 3) Refuse("has an arc without its three points");
            const gp_Pnt a = plane.At(pts[0]), m = plane.At(pts[1]), b = plane.At(pts[2]);
            gce_MakeCirc through(a, m, b);
            if (!through.IsDone()) Refuse("has an arc whose points lie on one line at " + PointText(pts[0]));
            // The circle's x axis points away from the axis of revolution: so
            // placed, an arc off the axis turns into a torus, not a general
            // surface of revolution.
            const gp_Circ c = through.Value();
            const gp_Ax1 axis = plane.Axis();
            gp_Vec out(axis.Location(), c.Location());
            out -= gp_Vec(axis.Direction()) * out.Dot(gp_Vec(axis.Direction()));
            const gp_Dir x = out.Magnitude() > 1e-9 ? gp_Dir(out) : c.XAxis().Direction();
            gp_Circ placed(gp_Ax2(c.Location(), c.Axis().Direction(), x), c.Radius());
            const auto sweep = [&](const gp_Pnt& p) {
                return ElCLib::InPeriod(ElCLib::Parameter(placed, p) - ElCLib::Parameter(placed, a), 0, 2 * PI);
            };
            if (sweep(m) > sweep(b))
                placed = gp_Circ(gp_Ax2(c.Location(), c.Axis().Direction().Reversed(), x), c.Radius());
            BRepBuilderAPI_MakeEdge e(placed, from, to);
            if (!e.IsDone()) Refuse("breaks at " + PointText(pts[0]));
            return e.Edge();
        }
        case MeridianPiece::Kind::Spline: {
            const int n = static_cast<int>(pts.size());
            if (n < 4) Refuse("has a spline of fewer than four poles");
            TColgp_Array1OfPnt poles(1, n);
            for (int i = 0; i < n; ++i) poles.SetValue(i + 1, plane.At(pts[static_cast<std::size_t>(i)]));
            const int distinct = n - 2;
            TColStd_Array1OfReal knots(1, distinct);
            TColStd_Array1OfInteger mults(1, distinct);
            for (int i = 1; i <= distinct; ++i) {
                knots.SetValue(i, static_cast<double>(i - 1));
                mults.SetValue(i, i == 1 || i == distinct ? 4 : 1);
            }
            Handle(Geom_BSplineCurve) curve = new Geom_BSplineCurve(poles, knots, mults, 3);
            BRepBuilderAPI_MakeEdge e(curve, from, to);
            if (!e.IsDone()) Refuse("breaks at " + PointText(pts[0]));
            return e.Edge();
        }
    }
    Refuse("has a piece of an unknown kind");
}

// Chords per arc when a profile is checked for crossing itself.
constexpr int kArcChords = 32;

using Point2 = std::array<double, 2>;

// The piece as a polyline in the profile's plane: a segment as it is, an arc
// by chords. False for a spline, which the modeller's own check takes.
bool PolylineOf(const MeridianPiece& piece, std::vector<Point2>& out) {
    const auto& p = piece.points;
    if (piece.kind == MeridianPiece::Kind::Segment) {
        out = {p.front(), p.back()};
        return true;
    }
    if (piece.kind != MeridianPiece::Kind::Arc || p.size() != 3) return false;
    const double ax = p[0][0], ay = p[0][1], bx = p[1][0], by = p[1][1], cx = p[2][0], cy = p[2][1];
    const double d = 2 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
    if (std::fabs(d) < 1e-300) {
        out = {p[0], p[2]};
        return true;
    }
    const double ux =
        ((ax * ax + ay * ay) * (by - cy) + (bx * bx + by * by) * (cy - ay) + (cx * cx + cy * cy) * (ay - by)) / d;
    const double uy =
        ((ax * ax + ay * ay) * (cx - bx) + (bx * bx + by * by) * (ax - cx) + (cx * cx + cy * cy) * (bx - ax)) / d;
    const double r = std::hypot(ax - ux, ay - uy);
    const double a0 = std::atan2(ay - uy, ax - ux);
    auto ccw = [&](double x, double y) { return std::remainder(std::atan2(y - uy, x - ux) - a0, 2 * PI); };
    double sweep = ccw(cx, cy), middle = ccw(bx, by);
    if (sweep < 0) sweep += 2 * PI;
    if (middle < 0) middle += 2 * PI;
    if (middle > sweep) sweep -= 2 * PI;  // the arc runs clockwise through its middle point
    out.clear();
    out.push_back(p[0]);
    for (int k = 1; k < kArcChords; ++k) {
        const double t = a0 + sweep * k / kArcChords;
        out.push_back({ux + r * std::cos(t), uy + r * std::sin(t)});
    }
    out.push_back(p[2]);
    return true;
}

double Cross(const Point2& o, const Point2& a, const Point2& b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

// The closed segments share a point.
bool SegmentsMeet(const Point2& a, const Point2& b, const Point2& c, const Point2& d) {
    const double scale = 1e-12 * (1.0 + std::fabs(a[0]) + std::fabs(a[1]) + std::fabs(c[0]) + std::fabs(c[1]));
    const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
    auto sign = [&](double v) { return v > scale ? 1 : v < -scale ? -1 : 0; };
    const int s1 = sign(d1), s2 = sign(d2), s3 = sign(d3), s4 = sign(d4);
    if (s1 * s2 < 0 && s3 * s4 < 0) return true;
    auto within = [](const Point2& p, const Point2& q, const Point2& r) {
        return std::min(p[0], q[0]) <= r[0] && r[0] <= std::max(p[0], q[0]) && std::min(p[1], q[1]) <= r[1] &&
               r[1] <= std::max(p[1], q[1]);
    };
    return (s1 == 0 && within(c, d, a)) || (s2 == 0 && within(c, d, b)) || (s3 == 0 && within(a, b, c)) ||
           (s4 == 0 && within(a, b, d));
}

// Whether the closed chain of pieces crosses or touches itself anywhere but
// where neighbours join; nullopt when a piece is a spline. Chords are swept
// along z, so a profile whose pieces follow one another along the axis costs
// little more than sorting them.
std::optional<bool> ChainCrossesItself(const std::vector<const MeridianPiece*>& chain) {
    struct Chord {
        Point2 a, b;
        std::size_t piece;
        double zmin, zmax, rmin, rmax;
    };
    std::vector<Chord> chords;
    std::vector<Point2> line;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        if (!PolylineOf(*chain[i], line)) return std::nullopt;
        for (std::size_t k = 1; k < line.size(); ++k) {
            const Point2 &a = line[k - 1], &b = line[k];
            chords.push_back(
                {a, b, i, std::min(a[0], b[0]), std::max(a[0], b[0]), std::min(a[1], b[1]), std::max(a[1], b[1])});
        }
    }
    const std::size_t n = chain.size();
    auto neighbours = [n](std::size_t i, std::size_t j) { return i == j || (i + 1) % n == j || (j + 1) % n == i; };
    std::sort(chords.begin(), chords.end(), [](const Chord& x, const Chord& y) { return x.zmin < y.zmin; });
    constexpr double kTouch = 1e-9;
    std::vector<const Chord*> active;
    for (const Chord& c : chords) {
        std::erase_if(active, [&](const Chord* a) { return a->zmax < c.zmin - kTouch; });
        for (const Chord* a : active) {
            if (neighbours(a->piece, c.piece) || a->rmax < c.rmin - kTouch || c.rmax < a->rmin - kTouch) continue;
            if (SegmentsMeet(a->a, a->b, c.a, c.b)) return true;
        }
        active.push_back(&c);
    }
    return false;
}

// The integral of r^2 dz over the parameters v0 to v1 of a surface of
// revolution whose meridian is an arc in a plane through its axis; nullopt for
// any other surface.
std::optional<double> ArcIntegral(const Handle(Geom_Surface) & surface, double v0, double v1) {
    const auto turned = Handle(Geom_SurfaceOfRevolution)::DownCast(surface);
    if (turned.IsNull()) return std::nullopt;
    Handle(Geom_Curve) basis = turned->BasisCurve();
    while (const auto trimmed = Handle(Geom_TrimmedCurve)::DownCast(basis)) basis = trimmed->BasisCurve();
    const auto arc = Handle(Geom_Circle)::DownCast(basis);
    if (arc.IsNull()) return std::nullopt;
    const gp_Ax1 axis = turned->Axis();
    const gp_Dir& z = axis.Direction();
    const gp_Circ c = arc->Circ();
    if (!c.Axis().Direction().IsNormal(z, 1e-9)) return std::nullopt;
    // The meridian's half plane: z along the axis, r away from it.
    const gp_Vec middle(axis.Location(), arc->Value(0.5 * (v0 + v1)));
    gp_Vec out = middle - gp_Vec(z) * middle.Dot(gp_Vec(z));
    if (out.Magnitude() < 1e-9 || std::fabs(gp_Vec(c.Axis().Direction()).Dot(out.Normalized())) > 1e-9)
        return std::nullopt;
    const gp_Dir r(out);
    const gp_Vec centre(axis.Location(), c.Location());
    const double rc = centre.Dot(gp_Vec(r)), a = c.Radius();
    // The arc's points at angle t from z towards r; t runs with v or against it.
    const gp_Dir x = c.XAxis().Direction(), y = c.YAxis().Direction();
    const double t0 = std::atan2(x.Dot(r), x.Dot(z));
    const double sense = x.Dot(z) * y.Dot(r) - x.Dot(r) * y.Dot(z) > 0 ? 1 : -1;
    // z = zc + a cos t and r = rc + a sin t, whatever zc.
    const auto at = [&](double t) {
        const double s = std::sin(t), k = std::cos(t);
        return -a * (-rc * rc * k + rc * a * (t - s * k) + a * a * (k * k * k / 3 - k));
    };
    return at(t0 + sense * v1) - at(t0 + sense * v0);
}

// The body's volume when every face is a band of revolution about one axis
// or a plane square to it, as a turned part's are; nullopt for any other body.
// By the divergence theorem with the field r/2 along the radius (whose
// divergence is 1), a plane square to the axis adds nothing and a band adds
// pi times the integral of r^2 dz along its meridian, which lines and circles
// give exactly: a dense part costs a few evaluations a face instead of a
// numerical integration over each.
// Long: one pass over the faces, each kind of meridian (line, circle) with
// its exact integral beside the test that the face is a band about the axis.
std::optional<double> VolumeOfRevolution(const TopoDS_Shape& shape) {
    constexpr double kParallel = 1e-12, kAngle = 1e-9, kCoaxial = 1e-9, kFullTurn = 1e-9;
    if (!TopExp_Explorer(shape, TopAbs_SOLID).More() || TopExp_Explorer(shape, TopAbs_FACE, TopAbs_SOLID).More())
        return std::nullopt;
    std::optional<gp_Ax1> axis;
    std::vector<gp_Dir> planeNormals;
    const auto onAxis = [&](const gp_Ax3& position) {
        if (!axis) axis = position.Axis();
        return position.Direction().IsParallel(axis->Direction(), kAngle) &&
               gp_Lin(*axis).Distance(position.Location()) <
                   kCoaxial * (1 + position.Location().Distance(axis->Location()));
    };
    double volume = 0;
    for (TopExp_Explorer e(shape, TopAbs_FACE); e.More(); e.Next()) {
        const TopoDS_Face& face = TopoDS::Face(e.Current());
        const BRepAdaptor_Surface surface(face, false);
        if (surface.GetType() == GeomAbs_Plane) {
            planeNormals.push_back(surface.Plane().Axis().Direction());
            continue;
        }
        // A band: bounded by its seam and by whole circles, iso-lines of v
        // over a full turn of u, which give the ends of its meridian.
        double v0 = 0, v1 = 0;
        bool seam = false, ends = false;
        TopoDS_Edge seamEdge;
        const bool band = ForEachEdge(face, [&](const TopoDS_Edge& edge) {
            double first = 0, last = 0;
            const Handle(Geom2d_Curve) onFace = BRep_Tool::CurveOnSurface(edge, face, first, last);
            if (onFace.IsNull()) return false;
            const std::optional<gp_Lin2d> line = LineInParameters(onFace);
            if (!line) return false;
            const gp_Dir2d d = line->Direction();
            // Only a line along v, or any line of a surface closed in v, can be
            // a seam: the search for the edge's second curve on the face is
            // spared for the circles of a band.
            // A seam comes twice, once each way: the second time it is known.
            const bool alongV = std::fabs(d.X()) <= kParallel;
            if ((alongV || surface.IsVClosed()) &&
                ((alongV && edge.IsSame(seamEdge)) || BRep_Tool::IsClosed(edge, face))) {
                if (!alongV) return false;
                seam = true;
                seamEdge = edge;
                return true;
            }
            if (std::fabs(d.Y()) > kParallel || std::fabs(std::fabs(last - first) - 2 * PI) > kFullTurn) return false;
            const double v = line->Location().Y();
            v0 = ends ? std::min(v0, v) : v;
            v1 = ends ? std::max(v1, v) : v;
            ends = true;
            return true;
        });
        if (!band || !seam || !ends) return std::nullopt;
        // The integral of r^2 dz from v0 to v1, z along the surface's own axis.
        double integral = 0;
        gp_Ax3 position;
        switch (surface.GetType()) {
            case GeomAbs_Cylinder: {
                const gp_Cylinder c = surface.Cylinder();
                position = c.Position();
                integral = c.Radius() * c.Radius() * (v1 - v0);
                break;
            }
            case GeomAbs_Cone: {  // r = R + v sin a, z = v cos a
                const gp_Cone c = surface.Cone();
                position = c.Position();
                const double r = c.RefRadius(), s = std::sin(c.SemiAngle());
                const auto at = [&](double v) { return r * r * v + r * s * v * v + s * s * v * v * v / 3; };
                integral = std::cos(c.SemiAngle()) * (at(v1) - at(v0));
                break;
            }
            case GeomAbs_Sphere: {  // r = R cos v, z = R sin v
                const gp_Sphere c = surface.Sphere();
                position = c.Position();
                const double r = c.Radius();
                const auto at = [&](double v) { return std::sin(v) - std::pow(std::sin(v), 3) / 3; };
                integral = r * r * r * (at(v1) - at(v0));
                break;
            }
            case GeomAbs_Torus: {  // r = R + a cos v, z = a sin v
                const gp_Torus c = surface.Torus();
                position = c.Position();
                const double r = c.MajorRadius(), a = c.MinorRadius();
                const auto at = [&](double v) {
                    return a * (r * r * std::sin(v) + r * a * (v + std::sin(v) * std::cos(v)) +
                                a * a * (std::sin(v) - std::pow(std::sin(v), 3) / 3));
                };
                integral = at(v1) - at(v0);
                break;
            }
            case GeomAbs_SurfaceOfRevolution: {
                // As the modeller turns an arc that reaches its axis (a horn
                // torus): the arc is its meridian.
                const std::optional<double> arc = ArcIntegral(BRep_Tool::Surface(face), v0, v1);
                if (!arc) return std::nullopt;
                position = gp_Ax3(surface.AxeOfRevolution().Location(), surface.AxeOfRevolution().Direction());
                integral = *arc;
                break;
            }
            default: return std::nullopt;
        }
        if (!onAxis(position)) return std::nullopt;
        // u turns about the axis: the flux is outward along the normal du x dv
        // for a direct frame and a face as the surface runs.
        const bool outward = position.Direct() == (face.Orientation() != TopAbs_REVERSED);
        volume += (outward ? PI : -PI) * integral;
    }
    if (!axis) return std::nullopt;
    for (const gp_Dir& n : planeNormals)
        if (!n.IsParallel(axis->Direction(), kAngle)) return std::nullopt;
    return volume;
}

}  // namespace

void QuietModelling() {
    static bool quiet = false;
    if (quiet) return;
    quiet = true;
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
}

// A null shape makes no body (PartShape::IsNull).
PartShape MakePartShape(const TopoDS_Shape& shape) {
    auto impl = std::make_shared<PartShape::Impl>();
    if (!shape.IsNull()) impl->shape = std::make_shared<const TopoDS_Shape>(shape);
    return PartShape(std::move(impl));
}

int PartShape::FaceCount() const {
    if (IsNull()) return 0;
    TopTools_IndexedMapOfShape faces;
    TopExp::MapShapes(impl_->Shape(), TopAbs_FACE, faces);
    return faces.Extent();
}

int PartShape::SolidCount() const {
    if (IsNull()) return 0;
    TopTools_IndexedMapOfShape solids;
    TopExp::MapShapes(impl_->Shape(), TopAbs_SOLID, solids);
    return solids.Extent();
}

double PartShape::Volume() const {
    if (IsNull()) return 0;
    if (!impl_->volume) {
        impl_->volume = Modelling("the volume", [&] {
            if (const std::optional<double> turned = VolumeOfRevolution(impl_->Shape())) return *turned;
            GProp_GProps props;
            BRepGProp::VolumeProperties(impl_->Shape(), props);
            return props.Mass();
        });
    }
    return *impl_->volume;
}

PartShape PartShape::Revolve(const std::vector<MeridianPiece>& profile, const RevolutionAxis& axis) {
    const ProfilePlane plane(axis);
    for (const MeridianPiece& piece : profile)
        for (const auto& p : piece.points)
            if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || p[1] < -kOnAxis)
                Refuse("has a point " + PointText(p) + " on the wrong side of the axis");
    // Pieces along the axis sweep nothing; the chain is taken cyclically from
    // the piece after the last of them, so a closed profile that runs along
    // the axis somewhere in its middle still gives one chain.
    std::size_t start = 0;
    for (std::size_t i = 0; i < profile.size(); ++i)
        if (OnAxis(profile[i])) start = i + 1;
    std::vector<const MeridianPiece*> chain;
    for (std::size_t k = 0; k < profile.size(); ++k) {
        const MeridianPiece& piece = profile[(start + k) % profile.size()];
        if (!OnAxis(piece)) chain.push_back(&piece);
    }
    if (chain.empty()) Refuse("has no piece off the axis");
    return Modelling("revolving the profile", [&] {
        std::array<double, 2> last = chain.front()->points.front();
        for (const MeridianPiece* piece : chain) {
            const auto& first = piece->points.front();
            if (std::hypot(first[0] - last[0], first[1] - last[1]) > kJoinTolerance)
                Refuse("breaks between " + PointText(last) + " and " + PointText(first));
            last = piece->points.back();
        }
        const auto& begin = chain.front()->points.front();
        std::vector<const MeridianPiece*> closed = chain;
        MeridianPiece closing;
        if (std::hypot(begin[0] - last[0], begin[1] - last[1]) > kJoinTolerance) {
            if (std::fabs(begin[1]) > kOnAxis || std::fabs(last[1]) > kOnAxis)
                Refuse("is open: its ends " + PointText(last) + " and " + PointText(begin) +
                       " neither meet nor lie on the axis");
            closing = MeridianPiece::Segment(last[0], last[1], begin[0], begin[1]);
            closed.push_back(&closing);
        }
        // The wire is put together edge by edge on shared vertices: joining
        // edges by search, as the wire maker does, costs the square of their
        // number on a dense profile.
        BRep_Builder builder;
        std::vector<TopoDS_Vertex> joints;
        joints.reserve(closed.size());
        for (const MeridianPiece* piece : closed) {
            TopoDS_Vertex v;
            builder.MakeVertex(v, plane.At(piece->points.front()), kJoinTolerance);
            joints.push_back(v);
        }
        TopoDS_Wire wire;
        builder.MakeWire(wire);
        for (std::size_t i = 0; i < closed.size(); ++i)
            builder.Add(wire, MakeEdge(*closed[i], plane, joints[i], joints[(i + 1) % closed.size()]));
        wire.Closed(true);
        // A profile that crosses itself bounds no body. The modeller's own
        // check of a face costs the square of its edges: dense profiles are
        // checked by a sweep of their own, and only splines go to it.
        const std::optional<bool> crosses = ChainCrossesItself(closed);
        if (crosses && *crosses) Refuse("crosses itself");
        const TopoDS_Face face = crosses ? FlatFace(wire, plane, closed) : FaceFoundFor(wire);
        if (!crosses && !BRepCheck_Analyzer(face).IsValid()) Refuse("crosses itself");
        BRepPrimAPI_MakeRevol revol(face, plane.Axis(), 2 * PI);
        if (!revol.IsDone()) Refuse("cannot be turned about the axis");
        // The sweep orients the body itself, whichever way the profile runs;
        // its volume is left for when it is asked (a dense body's costs a
        // pass over every face).
        const TopoDS_Shape solid = revol.Shape();
        return MakePartShape(solid);
    });
}

PartShape PartShape::Extrude(const std::vector<MeridianPiece>& profile, double z1, double z2) {
    if (profile.empty()) Refuse("to extrude is empty");
    if (!std::isfinite(z1) || !std::isfinite(z2) || std::fabs(z2 - z1) < kJoinTolerance)
        Refuse("is extruded over no height");
    for (const MeridianPiece& piece : profile) {
        if (piece.kind == MeridianPiece::Kind::Spline || piece.points.size() < 2)
            Refuse("has a piece that is no segment or arc");
        for (const auto& p : piece.points)
            if (!std::isfinite(p[0]) || !std::isfinite(p[1])) Refuse("has a point that is no number");
    }
    // Puts the pieces in chain order, turning those met backwards; each step
    // takes one piece, so the chain is made in at most profile.size() steps.
    auto near = [](const std::array<double, 2>& a, const std::array<double, 2>& b) {
        return std::hypot(a[0] - b[0], a[1] - b[1]) <= kJoinTolerance;
    };
    std::vector<MeridianPiece> chain{profile.front()};
    std::vector<bool> used(profile.size(), false);
    used[0] = true;
    for (std::size_t step = 1; step < profile.size(); ++step) {
        const auto end = chain.back().points.back();
        bool found = false;
        for (std::size_t i = 0; i < profile.size() && !found; ++i) {
            if (used[i]) continue;
            MeridianPiece piece = profile[i];
            if (near(piece.points.back(), end)) std::reverse(piece.points.begin(), piece.points.end());
            if (!near(piece.points.front(), end)) continue;
            used[i] = found = true;
            chain.push_back(std::move(piece));
        }
        if (!found) Refuse("to extrude breaks at " + PointText(end));
    }
    if (!near(chain.back().points.back(), chain.front().points.front()))
        Refuse("to extrude is open: its ends " + PointText(chain.back().points.back()) + " and " +
               PointText(chain.front().points.front()) + " do not meet");
    RevolutionAxis axis;
    axis.origin = {0, 0, z1};
    axis.direction = {1, 0, 0};
    axis.radial = {0, 1, 0};
    const ProfilePlane plane(axis);
    return Modelling("extruding the profile", [&] {
        BRep_Builder builder;
        std::vector<TopoDS_Vertex> joints(chain.size());
        for (std::size_t i = 0; i < chain.size(); ++i)
            builder.MakeVertex(joints[i], plane.At(chain[i].points.front()), kJoinTolerance);
        TopoDS_Wire wire;
        builder.MakeWire(wire);
        for (std::size_t i = 0; i < chain.size(); ++i)
            builder.Add(wire, MakeEdge(chain[i], plane, joints[i], joints[(i + 1) % chain.size()]));
        wire.Closed(true);
        BRepBuilderAPI_MakeFace face(wire, true);
        if (!face.IsDone()) Refuse("to extrude does not bound a flat region");
        if (!BRepCheck_Analyzer(face.Face()).IsValid()) Refuse("to extrude crosses itself");
        BRepPrimAPI_MakePrism prism(face.Face(), gp_Vec(0, 0, z2 - z1));
        if (!prism.IsDone()) Refuse("cannot be extruded");
        // A chain met clockwise, or a height downwards, turns the solid
        // inside out; the body always bounds its material.
        TopoDS_Shape solid = prism.Shape();
        GProp_GProps props;
        BRepGProp::VolumeProperties(solid, props);
        if (props.Mass() < 0) solid.Reverse();
        return MakePartShape(solid);
    });
}

PartShape PartShape::Box(const Point3& min, const Point3& max) {
    return Modelling("making a box",
                     [&] { return MakePartShape(BRepPrimAPI_MakeBox(ToPnt(min), ToPnt(max)).Shape()); });
}

PartShape PartShape::Cylinder(const Point3& base, const Point3& direction, double radius, double height) {
    return Modelling("making a cylinder", [&] {
        const gp_Ax2 axis(ToPnt(base), gp_Dir(direction[0], direction[1], direction[2]));
        return MakePartShape(BRepPrimAPI_MakeCylinder(axis, radius, height).Shape());
    });
}

PartShape PartShape::Cut(const PartShape& tool) const {
    return Modelling("cutting the body", [&] {
        BRepAlgoAPI_Cut cut(ShapeOf(*this), ShapeOf(tool));
        if (!cut.IsDone()) throw HostError(E_FAIL_, "cutting the body failed");
        return MakePartShape(cut.Shape());
    });
}

PartShape PartShape::Fuse(const PartShape& other) const {
    return Modelling("joining the bodies", [&] {
        BRepAlgoAPI_Fuse fuse(ShapeOf(*this), ShapeOf(other));
        if (!fuse.IsDone()) throw HostError(E_FAIL_, "joining the bodies failed");
        return MakePartShape(fuse.Shape());
    });
}

PartShape PartShape::Translated(const Point3& offset) const {
    return Modelling("moving the body", [&] {
        gp_Trsf move;
        move.SetTranslation(gp_Vec(offset[0], offset[1], offset[2]));
        return MakePartShape(BRepBuilderAPI_Transform(ShapeOf(*this), move, true).Shape());
    });
}

PartShape PartShape::Rotated(const Point3& origin, const Point3& direction, double degrees) const {
    if (IsNull()) return *this;
    return Modelling("turning the body", [&] {
        gp_Trsf turn;
        turn.SetRotation(gp_Ax1(ToPnt(origin), gp_Dir(direction[0], direction[1], direction[2])), degrees * PI / 180.0);
        return MakePartShape(BRepBuilderAPI_Transform(ShapeOf(*this), turn, true).Shape());
    });
}

PartShape PartShape::Skin() const {
    return Modelling("taking the body's skin", [&] {
        TopoDS_Compound shells;
        BRep_Builder builder;
        builder.MakeCompound(shells);
        for (TopExp_Explorer e(ShapeOf(*this), TopAbs_SHELL); e.More(); e.Next()) builder.Add(shells, e.Current());
        return MakePartShape(shells);
    });
}

namespace {

// Reads bytes where they lie, without the copy a string stream makes: a
// body is as large as the rest of the document together.
class ByteViewBuffer : public std::streambuf {
public:
    explicit ByteViewBuffer(std::string_view bytes) {
        char* begin = const_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }

protected:
    // The body's reader takes its numbers a few bytes at a time: copied
    // straight from the view.
    std::streamsize xsgetn(char* out, std::streamsize n) override {
        const std::streamsize count = std::min<std::streamsize>(n, egptr() - gptr());
        if (count <= 0) return 0;
        std::memcpy(out, gptr(), static_cast<std::size_t>(count));
        setg(eback(), gptr() + count, egptr());
        return count;
    }
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override {
        if (!(which & std::ios_base::in)) return pos_type(off_type(-1));
        const off_type base = dir == std::ios_base::beg   ? 0
                              : dir == std::ios_base::cur ? gptr() - eback()
                                                          : egptr() - eback();
        const off_type to = base + off;
        if (to < 0 || to > egptr() - eback()) return pos_type(off_type(-1));
        setg(eback(), eback() + to, egptr());
        return pos_type(to);
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
        return seekoff(off_type(pos), std::ios_base::beg, which);
    }
};

}  // namespace

void PartShape::WriteStep(const std::string& path, const std::string& name,
                          const std::vector<std::pair<int, std::uint32_t>>& faceColours) const {
    if (IsNull()) throw HostError(E_INVALIDARG_, "no body to write to " + path);
    const StepTranslator& step = LoadStepTranslator();
    Modelling("writing a STEP file", [&] {
        step.writePart(path, impl_->Shape(), name, faceColours);
        return 0;
    });
}

void PartShape::WriteStepAssembly(const std::string& path, const std::string& name,
                                  const std::vector<Component>& components) {
    std::vector<StepComponent> bodies;
    for (const Component& c : components) {
        if (c.shape.IsNull()) throw HostError(E_INVALIDARG_, "component \"" + c.name + "\" has no body");
        bodies.push_back({c.name, c.shape.Get()->Shape(), c.offset});
    }
    const StepTranslator& step = LoadStepTranslator();
    Modelling("writing a STEP assembly", [&] {
        step.writeAssembly(path, name, bodies);
        return 0;
    });
}

std::string PartShape::Encode() const {
    if (IsNull()) return {};
    if (!impl_->stored) {
        impl_->stored = Modelling("storing the body", [&] {
            std::ostringstream out(std::ios::binary);
            BinTools::Write(impl_->Shape(), out);
            return out.str();
        });
    }
    return *impl_->stored;
}

const TopoDS_Shape& PartShape::Impl::Shape() const {
    static const TopoDS_Shape none;
    if (shape) return *shape;
    if (!stored) return none;
    try {
        ByteViewBuffer buffer(*stored);
        std::istream in(&buffer);
        TopoDS_Shape read;
        BinTools::Read(read, in);
        if (read.IsNull() || in.bad()) throw HostError(STG_E_DOCFILECORRUPT_, "the body is damaged");
        shape = std::make_shared<const TopoDS_Shape>(read);
    } catch (const Standard_Failure& e) {
        throw HostError(STG_E_DOCFILECORRUPT_,
                        std::string("the body is damaged: ") + (e.GetMessageString() ? e.GetMessageString() : ""));
    }
    return *shape;
}

}  // namespace zarvento
