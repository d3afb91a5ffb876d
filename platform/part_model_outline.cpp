// The outline object: the exact section of chosen faces by a coordinate plane
// of a system, kept on one side of the plane's second axis.
#include <BRepAlgoAPI_Section.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <GCPnts_AbscissaPoint.hxx>
#include <Geom_Curve.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Ax3.hxx>
#include <gp_Pln.hxx>

#include <algorithm>
#include <cmath>

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
        TopoDS_Compound faces;
        BRep_Builder builder;
        builder.MakeCompound(faces);
        Bnd_Box box;
        for (const auto& f : faces_) {
            const auto& face = static_cast<const HostFace&>(*f).Get().face;
            builder.Add(faces, face);
            BRepBndLib::Add(face, box);
        }
        if (box.IsVoid()) return;
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
        std::vector<std::shared_ptr<HostCurve>> curves;
        auto add = [&](const TopoDS_Edge& edge) {
            auto geometry = std::make_shared<HostCurve::Geometry>(edge);
            if (GCPnts_AbscissaPoint::Length(geometry->curve) < kShortest) return;
            curves.push_back(std::make_shared<HostCurve>(std::move(geometry)));
        };
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
