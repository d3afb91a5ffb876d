// The outline object: the exact section of chosen faces by a coordinate plane
// of a system, kept on one side of the plane's second axis.
#include <BRepAlgoAPI_Section.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Geom_Curve.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Ax3.hxx>
#include <gp_Lin.hxx>
#include <gp_Pln.hxx>
#include <gp_Trsf.hxx>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/host_application.h"
#include "platform/host_error.h"
#include "platform/host_faults.h"
#include "platform/local_coordinate_system.h"
#include "platform/part_model_occt.h"

namespace zarvento {

namespace {

// Section pieces shorter than this are specks where faces touch the plane.
constexpr double kShortest = 1e-7;

struct PlaneFrame {
    gp_Pnt origin;
    gp_Dir first, second, normal;
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
            frame.second = gp_Dir(second);
            frame.normal = frame.first.Crossed(frame.second);
            return true;
        }
    }
    return false;
}

// A face's axis runs along the plane's first axis when it is parallel to it
// within this angle (radians) and off it by no more than this distance (mm).
constexpr double kAxisAngle = 1e-9;
constexpr double kAxisOffset = 1e-7;
// How far from the half plane a point of a meridian may lie (mm), and how
// closely a face's parameter ranges and boundary lines are compared.
constexpr double kInPlane = 1e-7;
constexpr double kParameter = 1e-9;
// Points of a meridian checked against the half plane.
constexpr int kMeridianSamples = 16;

bool OnAxisLine(const gp_Ax1& axis, const PlaneFrame& frame) {
    return axis.Direction().IsParallel(frame.first, kAxisAngle) &&
           gp_Lin(frame.origin, frame.first).Distance(axis.Location()) < kAxisOffset;
}

// The point lies on the half plane: in the plane, on its second axis's side.
bool InHalfPlane(const gp_Pnt& p, const PlaneFrame& frame) {
    const gp_Vec d(frame.origin, p);
    return std::fabs(d.Dot(gp_Vec(frame.normal))) < kInPlane && d.Dot(gp_Vec(frame.second)) > -kInPlane;
}

// The face's boundary in its parameters is the rectangle of its bounds: every
// edge runs along a constant u (a seam) or along a constant v at one of the
// bounds (a parallel circle). Such a face is a whole band of its surface; its
// seam is the meridian the band was turned from.
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

// A plane square to the axis, bounded by circles about it: a disc or a ring,
// whose section is the segment across it from the axis outward.
bool RadialSegment(const TopoDS_Face& face, const BRepAdaptor_Surface& surface, const PlaneFrame& frame,
                   std::vector<HostCurve::Geometry>& out) {
    if (!surface.Plane().Axis().Direction().IsParallel(frame.first, kAxisAngle)) return false;
    std::vector<double> radii;
    gp_Pnt centre;
    for (TopExp_Explorer e(face, TopAbs_EDGE); e.More(); e.Next()) {
        const TopoDS_Edge& edge = TopoDS::Edge(e.Current());
        if (BRep_Tool::Degenerated(edge)) continue;
        const BRepAdaptor_Curve curve(edge);
        if (curve.GetType() != GeomAbs_Circle) return false;
        const gp_Circ circle = curve.Circle();
        if (!OnAxisLine(circle.Axis(), frame)) return false;
        centre = circle.Location();
        const double r = circle.Radius();
        if (std::none_of(radii.begin(), radii.end(), [&](double q) { return std::fabs(q - r) < kInPlane; }))
            radii.push_back(r);
    }
    if (radii.empty() || radii.size() > 2) return false;
    const double inner = radii.size() == 1 ? 0.0 : std::min(radii[0], radii[1]);
    const double outer = std::max(radii[0], radii.back());
    const gp_Vec out1(frame.second);
    out.push_back(HostCurve::Geometry::Direct(
        BRepBuilderAPI_MakeEdge(centre.Translated(out1 * inner), centre.Translated(out1 * outer)).Edge()));
    return true;
}

// The section of a face of revolution whose axis is the plane's first axis:
// its seam turned into the half plane. The seam, not the surface, is taken:
// the modeller may carry a nearly straight cone as a cylinder whose edges
// stand off it within their tolerance, and the edges are what the part's
// faces meet at. False (nothing added) for any other face, which the general
// section then cuts.
bool MeridianSection(const HostFace::Geometry& face, const PlaneFrame& frame, std::vector<HostCurve::Geometry>& out) {
    const BRepAdaptor_Surface& surface = face.surface;
    gp_Ax1 axis;
    switch (surface.GetType()) {
        case GeomAbs_Plane: return RadialSegment(face.face, surface, frame, out);
        case GeomAbs_Cylinder: axis = surface.Cylinder().Axis(); break;
        case GeomAbs_Cone: axis = surface.Cone().Axis(); break;
        case GeomAbs_Sphere: axis = surface.Sphere().Position().Axis(); break;
        case GeomAbs_Torus: axis = surface.Torus().Axis(); break;
        case GeomAbs_SurfaceOfRevolution: axis = surface.AxeOfRevolution(); break;
        default: return false;
    }
    if (!OnAxisLine(axis, frame)) return false;
    TopoDS_Edge seam;
    if (face.umax - face.umin < 2 * M_PI - kParameter || !(face.vmax - face.vmin > kParameter) ||
        !IsBand(face, face.vmin, face.vmax, seam))
        return false;
    HostCurve::Geometry seamCurve = HostCurve::Geometry::Direct(seam);
    const double t0 = seamCurve.First(), t1 = seamCurve.Last();
    // The seam's half plane, and the turn that takes it onto the section's.
    const gp_Vec along(frame.first), second(frame.second);
    gp_Vec radial(frame.origin, seamCurve.Value(0.5 * (t0 + t1)));
    radial -= along * radial.Dot(along);
    if (radial.Magnitude() < kAxisOffset) return false;
    radial.Normalize();
    const double angle = std::atan2(along.Crossed(radial).Dot(second), radial.Dot(second));
    gp_Trsf turn;
    turn.SetRotation(gp_Ax1(frame.origin, frame.first), angle);
    // A meridian that crosses the axis (a torus whose tube does) lies on both
    // sides; a straight one lies in the half plane when its ends do.
    const int samples = seamCurve.Type() == GeomAbs_Line ? 1 : kMeridianSamples;
    for (int k = 0; k <= samples; ++k)
        if (!InHalfPlane(seamCurve.Value(t0 + (t1 - t0) * k / samples).Transformed(turn), frame)) return false;
    // A part turned in the section's own half plane has its seams there
    // already: the section reads them as they are, a copy turned by nothing
    // would only cost its making.
    out.push_back(angle == 0
                      ? std::move(seamCurve)
                      : HostCurve::Geometry::Direct(TopoDS::Edge(BRepBuilderAPI_Transform(seam, turn, true).Shape())));
    return true;
}

}  // namespace

void HostOutline::ClearReferences() {
    HostFaults::Check("HostOutline.ClearReferences");
    faces_.clear();
    plane_.reset();
}

void HostOutline::ClearResult() {
    HostFaults::Check("HostOutline.ClearResult");
    result_.clear();
}

void HostOutline::AddReference(int index, const HostObjectPtr& object) {
    HostFaults::Check("HostOutline.AddReference");
    if (!object) throw HostError(E_POINTER_, "no object to refer to");
    if (index == 0) {
        if (!std::dynamic_pointer_cast<HostFace>(object)) throw HostError(E_INVALIDARG_, "reference 0 takes faces");
        faces_.push_back(object);
    } else if (index == 1) {
        plane_ = object;
    } else {
        throw HostError(DISP_E_BADINDEX_, "the outline has references 0 and 1");
    }
}

void HostOutline::Rebuild() {
    HostFaults::Check("HostOutline.Rebuild");
    HostCallTime::Scope time;
    result_.clear();
    // The plane belongs to a coordinate system of the outline's document or of
    // another open document (a stock model is cut by the part's system).
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
        std::vector<std::shared_ptr<HostCurve>> curves;
        auto add = [&](const TopoDS_Edge& edge) {
            auto geometry = std::make_shared<HostCurve::Geometry>(edge);
            if (geometry->Length() < kShortest) return;
            curves.push_back(std::make_shared<HostCurve>(std::move(geometry)));
        };
        // Faces turned about the axis are cut where they stand: their meridian
        // is the section. Only the others go through the general section,
        // whose cost grows fast with the number of faces.
        TopoDS_Compound faces;
        BRep_Builder builder;
        builder.MakeCompound(faces);
        Bnd_Box box;
        // The meridians are lines and circles read from their carriers, made in
        // one block that their curves share.
        auto meridians = std::make_shared<std::vector<HostCurve::Geometry>>();
        meridians->reserve(faces_.size());
        for (const auto& f : faces_) {
            const HostFace::Geometry& face = static_cast<const HostFace&>(*f).Get();
            if (MeridianSection(face, frame, *meridians)) continue;
            builder.Add(faces, face.face);
            box.Add(face.box);
        }
        std::erase_if(*meridians, [](const HostCurve::Geometry& g) { return g.Length() < kShortest; });
        const std::shared_ptr<const std::vector<HostCurve::Geometry>> made = std::move(meridians);
        curves.reserve(made->size());
        for (std::size_t i = 0; i < made->size(); ++i)
            curves.push_back(std::make_shared<HostCurve>(GeometryAt(made, i)));
        if (box.IsVoid()) {
            if (!curves.empty()) result_.push_back(std::move(curves));
            return;
        }
        // The half plane covers the faces' box with room to spare.
        double x0, y0, z0, x1, y1, z1;
        box.Get(x0, y0, z0, x1, y1, z1);
        double reach = 1.0;
        for (double x : {x0, x1})
            for (double y : {y0, y1})
                for (double z : {z0, z1}) reach = std::max(reach, frame.origin.Distance(gp_Pnt(x, y, z)));
        reach *= 2.0;
        const gp_Pln plane(gp_Ax3(frame.origin, frame.normal, frame.first));
        const TopoDS_Face half = BRepBuilderAPI_MakeFace(plane, -reach, reach, 0.0, reach).Face();
        BRepAlgoAPI_Section section(faces, half, false);
        section.Approximation(true);
        section.ComputePCurveOn1(false);
        section.ComputePCurveOn2(false);
        section.Build();
        if (!section.IsDone()) throw HostError(E_FAIL_, "the section of the outline failed");
        for (TopExp_Explorer e(section.Shape(), TopAbs_EDGE); e.More(); e.Next()) {
            const TopoDS_Edge& edge = TopoDS::Edge(e.Current());
            if (BRep_Tool::Degenerated(edge)) continue;
            // A closed curve (a whole circle) comes as two halves, so that every
            // curve runs between two distinct points.
            TopLoc_Location where;
            double t0 = 0, t1 = 0;
            Handle(Geom_Curve) curve = BRep_Tool::Curve(edge, where, t0, t1);
            if (!curve.IsNull() && BRep_Tool::IsClosed(edge)) {
                const Handle(Geom_Curve) placed =
                    Handle(Geom_Curve)::DownCast(curve->Transformed(where.Transformation()));
                const double tm = 0.5 * (t0 + t1);
                add(BRepBuilderAPI_MakeEdge(placed, t0, tm).Edge());
                add(BRepBuilderAPI_MakeEdge(placed, tm, t1).Edge());
                continue;
            }
            add(edge);
        }
        if (!curves.empty()) result_.push_back(std::move(curves));
    } catch (const Standard_Failure& e) {
        throw HostError(E_FAIL_, std::string("the section of the outline failed: ") +
                                     (e.GetMessageString() ? e.GetMessageString() : ""));
    }
}

int HostOutline::ResultCount() const {
    HostFaults::Check("HostOutline.ResultCount");
    return static_cast<int>(result_.size());
}

std::vector<std::shared_ptr<HostCurve>> HostOutline::ResultCurves(int item) const {
    HostFaults::Check("HostOutline.ResultCurves");
    if (item < 0 || item >= static_cast<int>(result_.size()))
        throw HostError(DISP_E_BADINDEX_, "no result item " + std::to_string(item));
    return result_[static_cast<std::size_t>(item)];
}

}  // namespace zarvento
