// The unit base: common fields, copies, transforms, selection, the shared
// intersection filter and the split at points.
#include "geometry/unit.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "geometry/contour.h"
#include "geometry/exception.h"
#include "geometry/lsc_transform.h"
#include "geometry/primitives.h"
#include "geometry/unit_colours.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/dialogs/selection_manager.h"

namespace zarvento {

namespace {

SelectionManager& RequireSelectionManager() {
    SelectionManager* manager = HostSelectionManager();
    if (!manager) throw HostError(E_POINTER_, "no selection manager");
    return *manager;
}

std::int16_t FlippedDirection(std::int16_t dir) { return dir == 1 ? -1 : 1; }

}  // namespace

double NormalizeAngle(double a, double slack) {
    if (a > 2 * PI - slack) a -= 2 * PI;
    if (a < -slack) a += 2 * PI;
    return a;
}

void CheckPointStep(double step, double length) {
    if (!(step > 0.0) || !std::isfinite(step)) throw Exception("Invalid step for points along a unit");
    if (!(length / step <= kMaxStepPoints)) throw Exception("Too many points along a unit: the step is too small");
}

void UniteBoxes(BoundBox& box, const BoundBox& other) {
    box.zmin = std::min(box.zmin, other.zmin);
    box.xmin = std::min(box.xmin, other.xmin);
    box.zmax = std::max(box.zmax, other.zmax);
    box.xmax = std::max(box.xmax, other.xmax);
}

CUnit::CUnit(char kind) : Kind(kind) { InitFields(); }

CUnit::~CUnit() = default;

void CUnit::InitFields() {
    StartPoint = EndPoint = CentrePoint = RefVector = RefPoint = Point3D{};
    OffsetDistance = StartExtension = EndExtension = 0.0;
    HostObjectId = 0;
    SourceUnit = nullptr;
    Selected = false;
    DirVector = 1;
    IsRapid = IsMarked = FromComplex = false;
    HostObjects.Free();
    SurfaceName.clear();
}

void CUnit::CopyFrom(const CUnit& other) {
    if (this == &other) return;
    SourceUnit = other.SourceUnit;
    HostObjects = other.HostObjects;
    Selected = other.Selected;
    StartPoint = other.StartPoint;
    EndPoint = other.EndPoint;
    CentrePoint = other.CentrePoint;
    RefVector = other.RefVector;
    RefPoint = other.RefPoint;
    DirVector = other.DirVector;
    OffsetDistance = other.OffsetDistance;
    StartExtension = other.StartExtension;
    EndExtension = other.EndExtension;
    SurfaceName = other.SurfaceName;
    Kind = other.Kind;
    IsRapid = other.IsRapid;
    IsMarked = other.IsMarked;
    FromComplex = other.FromComplex;
}

bool CUnit::ClonesExactly() const { return false; }

bool CUnit::HoldsDrawnState() const { return HostObjectId != 0 || SourceObject || Edge || Face || FaceColour != 0; }

UnitPtr CUnit::CloneWithEnds(double z1, double x1, double z2, double x2) const {
    UnitPtr copy = Clone();
    if (!copy) return copy;
    copy->StartPoint.z = z1;
    copy->StartPoint.x = x1;
    copy->EndPoint.z = z2;
    copy->EndPoint.x = x2;
    return copy;
}

void CUnit::GetMiddlePoint(IntersectPoint& out) const {
    GetMidPoint(out, StartPoint.z, StartPoint.x, EndPoint.z, EndPoint.x);
}

void CUnit::SplitAtPoints(UnitList& units, IntersectPointList& points) const {
    const std::uint32_t n = points.Count();
    std::vector<double> keys(n);
    for (std::uint32_t i = 0; i < n; ++i) keys[i] = GetLengthToPoint(points[i].z, points[i].x);
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    std::vector<IntersectPoint> sorted(n);
    for (std::uint32_t i = 0; i < n; ++i) sorted[i] = points[order[i]];
    for (std::uint32_t i = 0; i < n; ++i) points[i] = sorted[i];

    double cz = StartPoint.z, cx = StartPoint.x;
    for (std::uint32_t i = 0; i < n; ++i) {
        const IntersectPoint& p = points[i];
        if (IsEqualPoint(cz, cx, p.z, p.x)) continue;
        if (UnitPtr piece = CloneWithEnds(cz, cx, p.z, p.x)) units.Add(std::move(piece));
        cz = p.z;
        cx = p.x;
    }
    if (!IsEqualPoint(cz, cx, EndPoint.z, EndPoint.x)) {
        if (UnitPtr piece = CloneWithEnds(cz, cx, EndPoint.z, EndPoint.x)) units.Add(std::move(piece));
    }
}

void CUnit::SetSourceObject(const HostObjectPtr& object) {
    if (SameHostObject(SourceObject, object)) return;
    SourceObject = object;
}

void CUnit::AddObject(const HostObjectPtr& object) {
    const int n = HostObjects.Size();
    CheckedArray<HostObjectPtr> grown;
    grown.SetSize(n + 1);
    for (int i = 0; i < n; ++i) grown[i] = HostObjects[i];
    grown[n] = object;
    HostObjects = std::move(grown);
}

bool CUnit::HasObject(const HostObjectPtr& object) const {
    for (int i = 0; i < HostObjects.Size(); ++i)
        if (SameHostObject(HostObjects[i], object)) return true;
    return false;
}

void CUnit::CopyObjectsTo(CUnit& other) const {
    // A copy first: copying a unit's objects onto itself must not run on forever.
    const CheckedArray<HostObjectPtr> objects = HostObjects;
    for (int i = 0; i < objects.Size(); ++i) other.AddObject(objects[i]);
}

HostObjectPtr CUnit::GetSourceObject(int i) const {
    if (i < 0 || i >= HostObjects.Size()) return nullptr;
    return HostObjects[i];
}

const CUnit* CUnit::GetBridge(int) const { return nullptr; }

bool CUnit::IsOverlap(const CUnit& other) const {
    if (Kind != other.Kind) return false;
    const bool touch = IsPointOnUnit(other.EndPoint.z, other.EndPoint.x, 0) ||
                       IsPointOnUnit(other.StartPoint.z, other.StartPoint.x, 0) ||
                       other.IsPointOnUnit(StartPoint.z, StartPoint.x, 0) ||
                       other.IsPointOnUnit(EndPoint.z, EndPoint.x, 0);
    return touch && IsSameCarrier(other);
}

bool CUnit::IsSameCarrier(const CUnit&) const { return false; }
UnitPtr CUnit::GetOffsetUnit(bool, double) const { return nullptr; }
bool CUnit::IsPointOnUnit(double, double, int) const { return false; }

void CUnit::SetStartPoint(double z, double x) {
    StartPoint.z = z;
    StartPoint.x = x;
}

void CUnit::SetEndPoint(double z, double x) {
    EndPoint.z = z;
    EndPoint.x = x;
}

bool CUnit::IsZeroLength() const { return IsEqualPoint(StartPoint.z, StartPoint.x, EndPoint.z, EndPoint.x); }

void CUnit::OrientByLSC() {
    LscTransform::Global().GlobalToLocal(RefPoint.x, RefPoint.y, RefPoint.z);
    if (std::fabs(RefPoint.x) < EPS) RefPoint.x = RefPoint.y;
    if (std::fabs(RefVector.x) < EPS) RefVector.x = RefVector.y;
    if (RefVector.x < EPS &&
        ((RefPoint.x > EPS && StartPoint.z > EndPoint.z) || (RefPoint.x < EPS && StartPoint.z < EndPoint.z)))
        Reverse();
}

void CUnit::Reverse() {
    std::swap(StartPoint.z, EndPoint.z);
    std::swap(StartPoint.x, EndPoint.x);
    DirVector = FlippedDirection(DirVector);
}

void CUnit::InvertX() {
    StartPoint.x = -StartPoint.x;
    EndPoint.x = -EndPoint.x;
    CentrePoint.x = -CentrePoint.x;
    DirVector = FlippedDirection(DirVector);
}

void CUnit::Move(double dz, double dx) {
    for (Point3D* p : {&StartPoint, &EndPoint, &CentrePoint}) {
        p->z += dz;
        p->x += dx;
    }
}

void CUnit::Rotate90() {
    for (Point3D* p : {&StartPoint, &EndPoint, &CentrePoint}) {
        const double z = p->z;
        p->z = -p->x;
        p->x = z;
    }
}

void CUnit::MirrorZ() {
    for (Point3D* p : {&StartPoint, &EndPoint, &CentrePoint}) p->z = -p->z;
    DirVector = static_cast<std::int16_t>(-DirVector);
}

void CUnit::MirrorX() {
    for (Point3D* p : {&StartPoint, &EndPoint, &CentrePoint}) p->x = -p->x;
    DirVector = static_cast<std::int16_t>(-DirVector);
}

void CUnit::InvertDirection() { DirVector = static_cast<std::int16_t>(-DirVector); }

void CUnit::Move3D(double dx, double dy, double dz) {
    for (Point3D* p : {&StartPoint, &EndPoint, &CentrePoint}) {
        p->x += dx;
        p->y += dy;
        p->z += dz;
    }
}

UnitEdgeDrawable& CUnit::EdgeDrawable() {
    if (!Edge) Edge = CreateUnitEdge();
    return *Edge;
}

UnitFaceDrawable& CUnit::FaceDrawable() {
    if (!Face) Face = CreateUnitFace();
    return *Face;
}

std::uint32_t CUnit::EdgeColour(std::uint32_t given) const {
    const UnitColours c = CurrentUnitColours();
    if (given == c.passThrough) return given;
    if (Selected) return c.selection;
    if (IsRapid) return c.rapid;
    if (IsMarked) return c.marked;
    return given;
}

std::uint32_t CUnit::TakeFaceColour(std::uint32_t given) {
    if (Selected) return CurrentUnitColours().selection;
    FaceColour = given;
    return given;
}

int CUnit::DrawStyle(int style) const { return IsRapid && style < 4 ? 4 : style; }

void CUnit::CreateTessellationEdge(std::uint32_t) {}

void CUnit::ClearTessellationEdge() {
    if (Edge) Edge->Erase();
}

void CUnit::CreateTessellationFace(std::uint32_t) {}

void CUnit::ClearTessellationFace() {
    if (Face) Face->Erase();
}

Ref2D CUnit::Draw2D(int) { return 0; }

void CUnit::Intersect(const CUnit* other, IntersectPointList& list) const {
    if (!other || (Kind != kUnitComplex && other->Kind != kUnitComplex)) return;
    // A complex unit meets its partner piece by piece, as two contours.
    const std::unique_ptr<Contour> mine = GetContour();
    const std::unique_ptr<Contour> theirs = other->GetContour();
    if (mine && theirs) mine->Intersect(*theirs, list, true);
}

std::unique_ptr<Contour> CUnit::GetContour() const {
    auto contour = std::make_unique<Contour>();
    if (UnitPtr copy = Clone()) contour->AddUnit(std::move(copy));
    return contour;
}

bool CUnit::IntersectSpecialPartner(const CUnit& other, IntersectPointList& list) const {
    if (other.Kind == kUnitGap) {
        const std::uint32_t before = list.Count();
        for (int i = 0; i < 2; ++i)
            if (const CUnit* bridge = other.GetBridge(i)) Intersect(bridge, list);
        FilterNewPoints(other, list, before);
        return true;
    }
    if (other.Kind == kUnitComplex) {
        CUnit::Intersect(&other, list);
        return true;
    }
    return false;
}

void CUnit::FilterNewPoints(const CUnit& other, IntersectPointList& list, std::uint32_t before) const {
    const std::uint32_t added = list.Count() - before;
    if (added != 1 && added != 2) return;
    auto onBoth = [&](const IntersectPoint& p) {
        return IsPointOnUnit(p.z, p.x, 0) && other.IsPointOnUnit(p.z, p.x, 0);
    };
    // The later point first, so that removing it leaves the earlier in place.
    for (std::uint32_t i = before + added; i-- > before;)
        if (!onBoth(list[i])) list.RemoveAt(i);
}

CadrePtr CUnit::CreateCadre() const { return NoCadre(); }

void CUnit::Select() {
    if (Selected) return;
    Selected = true;
    for (int i = 0; i < HostObjects.Size(); ++i)
        if (HostObjects[i]) RequireSelectionManager().Select(HostObjects[i]);
}

void CUnit::Deselect() {
    Selected = false;
    for (int i = 0; i < HostObjects.Size(); ++i)
        if (HostObjects[i]) RequireSelectionManager().Unselect(HostObjects[i]);
}

void CUnit::ShowTessellation() {
    if (Edge) Edge->Show();
    if (Face) Face->Show();
}

void CUnit::HideTessellation() {
    if (Edge) Edge->Hide();
    if (Face) Face->Hide();
}

void CUnit::ShowSelection() {
    if (!Selected) return;
    for (int i = 0; i < HostObjects.Size(); ++i)
        if (HostObjects[i]) RequireSelectionManager().Select(HostObjects[i]);
}

void CUnit::HideSelection() {
    if (!Selected) return;
    for (int i = 0; i < HostObjects.Size(); ++i)
        if (HostObjects[i]) RequireSelectionManager().Unselect(HostObjects[i]);
}

double CUnit::GetStartAngle() const { return 0.0; }
double CUnit::GetEndAngle() const { return 0.0; }
int CUnit::GetPointAtAngle(double, double&, double&) const { return 0; }
double CUnit::GetCurvature() const { return 0.0; }
void CUnit::GetNearestPoint(double, double, IntersectPointList&, int) const {}
void CUnit::GetFarthestPoint(double, double, IntersectPointList&, int) const {}
void CUnit::GetPointsByStep(IntersectPointList&, double, int) const {}
void CUnit::GetPointsByStep3D(UnitPoint3DList&, double, int) const {}
double CUnit::GetAngleTolerance() const { return EPS; }
std::string CUnit::GetScriptText() const { return {}; }
void CUnit::PrintInfo() const { HostTextOutput(""); }

}  // namespace zarvento
