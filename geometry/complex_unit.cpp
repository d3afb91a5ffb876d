// The complex unit: a chain of sub-units answering the unit interface as one,
// with its trimmed and offset copies.
#include "geometry/complex_unit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "geometry/arc_unit.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "geometry/number_format.h"
#include "geometry/primitives.h"
#include "platform/core/messages.h"
#include "platform/documents/work_document_scope.h"

namespace zarvento {

namespace {

// Below this an extension is no trim and a distance no offset.
constexpr double kOffsetSlack = 0.0001;

std::string EndsText(const CUnit& unit) {
    return "Z1=" + FormatFixed(unit.StartPoint.z, 7) + " X1=" + FormatFixed(unit.StartPoint.x, 7) +
           "  Z2=" + FormatFixed(unit.EndPoint.z, 7) + " X2=" + FormatFixed(unit.EndPoint.x, 7) + "\n";
}

}  // namespace

CComplexUnit::CComplexUnit() : CUnit(kUnitComplex) { SurfaceName = "Поверхность"; }

std::unique_ptr<CComplexUnit> CComplexUnit::CComplexUnitObject(HostObjectPtr hostObject) {
    auto unit = std::make_unique<CComplexUnit>();
    unit->hostFace_ = std::move(hostObject);
    return unit;
}

CComplexUnit::~CComplexUnit() = default;

void CComplexUnit::CopyFrom(const CComplexUnit& other) {
    if (&other == this) return;
    CUnit::CopyFrom(other);
    subUnits_ = StepArray<UnitPtr>(100);
    other.ForEachSub([&](const CUnit& sub) {
        if (UnitPtr copy = sub.Clone()) subUnits_.Add(std::move(copy));
    });
    UpdateEnds();
}

void CComplexUnit::AddUnit(UnitPtr unit) {
    if (!unit) return;
    unit->FromComplex = true;
    subUnits_.Add(std::move(unit));
}

void CComplexUnit::UpdateEnds() {
    if (subUnits_.Empty()) return;
    const CUnit& first = *subUnits_[0];
    const CUnit& last = *subUnits_[subUnits_.Count() - 1];
    StartPoint.z = first.StartPoint.z;
    StartPoint.x = first.StartPoint.x;
    EndPoint.z = last.EndPoint.z;
    EndPoint.x = last.EndPoint.x;
}

CUnit* CComplexUnit::SubUnit(int i) const {
    if (i < 0 || i >= SubUnitCount()) return nullptr;
    return subUnits_[static_cast<std::uint32_t>(i)].get();
}

UnitPtr CComplexUnit::Clone() const {
    auto copy = std::make_unique<CComplexUnit>();
    copy->CopyFrom(*this);
    return copy;
}

UnitPtr CComplexUnit::GetSimpleCopy() const { return std::make_unique<CComplexUnit>(); }

std::unique_ptr<CComplexUnit> CComplexUnit::GetGeometryCopy() const {
    auto copy = std::make_unique<CComplexUnit>();
    ForEachSub([&](const CUnit& sub) { copy->AddUnit(sub.GetSimpleCopy()); });
    copy->UpdateEnds();
    return copy;
}

bool CComplexUnit::IsSameCarrier(const CUnit& other) const {
    if (other.Kind != kUnitComplex) return false;
    const auto& o = static_cast<const CComplexUnit&>(other);
    const int n = SubUnitCount();
    if (n == 0 || o.SubUnitCount() < n) return false;
    for (int i = 0; i < n; ++i)
        if (!SubUnit(i)->IsSameCarrier(*o.SubUnit(i))) return false;
    return true;
}

int CComplexUnit::FindSubUnit(double z, double x, bool fromEnd) const {
    const int n = SubUnitCount();
    for (int k = 0; k < n; ++k) {
        const int i = fromEnd ? n - 1 - k : k;
        if (SubUnit(i)->IsPointOnUnit(z, x, 0)) return i;
    }
    return -1;
}

bool CComplexUnit::IsPointOnUnit(double z, double x, int) const { return FindSubUnit(z, x, false) >= 0; }

void CComplexUnit::SetStartPoint(double z, double x) {
    const int k = FindSubUnit(z, x, false);
    if (k < 0) return;
    SubUnit(k)->SetStartPoint(z, x);
    CUnit::SetStartPoint(z, x);
    for (int i = 0; i < k; ++i) subUnits_.RemoveAt(0);
}

void CComplexUnit::SetEndPoint(double z, double x) {
    const int k = FindSubUnit(z, x, true);
    if (k < 0) return;
    SubUnit(k)->SetEndPoint(z, x);
    CUnit::SetEndPoint(z, x);
    while (SubUnitCount() > k + 1) subUnits_.RemoveAt(subUnits_.Count() - 1);
}

bool CComplexUnit::IsZeroLength() const {
    if (subUnits_.Empty()) return false;
    bool all = true;
    ForEachSub([&](const CUnit& sub) { all = all && sub.IsZeroLength(); });
    return all;
}

void CComplexUnit::OrientByLSC() {
    ForEachSub([](CUnit& sub) { sub.OrientByLSC(); });
}

void CComplexUnit::Reverse() {
    ForEachSub([](CUnit& sub) { sub.Reverse(); });
    const std::uint32_t n = subUnits_.Count();
    for (std::uint32_t i = 0; i < n / 2; ++i) std::swap(subUnits_[i], subUnits_[n - 1 - i]);
    CUnit::Reverse();
}

void CComplexUnit::InvertX() {
    ForEachSub([](CUnit& sub) { sub.InvertX(); });
    CUnit::InvertX();
}

void CComplexUnit::Move(double dz, double dx) {
    ForEachSub([&](CUnit& sub) { sub.Move(dz, dx); });
    CUnit::Move(dz, dx);
}

void CComplexUnit::Rotate90() {
    ForEachSub([](CUnit& sub) { sub.Rotate90(); });
    CUnit::Rotate90();
}

void CComplexUnit::MirrorZ() {
    ForEachSub([](CUnit& sub) { sub.MirrorZ(); });
    CUnit::MirrorZ();
}

void CComplexUnit::MirrorX() {
    ForEachSub([](CUnit& sub) { sub.MirrorX(); });
    CUnit::MirrorX();
}

void CComplexUnit::InvertDirection() {
    ForEachSub([](CUnit& sub) { sub.InvertDirection(); });
}

void CComplexUnit::Move3D(double dx, double dy, double dz) {
    ForEachSub([&](CUnit& sub) { sub.Move3D(dx, dy, dz); });
    CUnit::Move3D(dx, dy, dz);
}

void CComplexUnit::CreateTessellationEdge(std::uint32_t colour) {
    ForEachSub([&](CUnit& sub) { sub.CreateTessellationEdge(colour); });
}

void CComplexUnit::ClearTessellationEdge() {
    ForEachSub([](CUnit& sub) { sub.ClearTessellationEdge(); });
    CUnit::ClearTessellationEdge();
}

void CComplexUnit::CreateTessellationFace(std::uint32_t colour) {
    ForEachSub([&](CUnit& sub) { sub.CreateTessellationFace(colour); });
}

void CComplexUnit::ClearTessellationFace() {
    ForEachSub([](CUnit& sub) { sub.ClearTessellationFace(); });
    CUnit::ClearTessellationFace();
}

void CComplexUnit::ShowTessellation() {
    ForEachSub([](CUnit& sub) { sub.ShowTessellation(); });
    CUnit::ShowTessellation();
}

void CComplexUnit::HideTessellation() {
    ForEachSub([](CUnit& sub) { sub.HideTessellation(); });
    CUnit::HideTessellation();
}

Ref2D CComplexUnit::Draw2D(int style) {
    Ref2D last = 0;
    ForEachSub([&](CUnit& sub) {
        if (const Ref2D ref = sub.Draw2D(style)) last = ref;
    });
    return last;
}

double CComplexUnit::GetLength() const {
    double sum = 0.0;
    ForEachSub([&](const CUnit& sub) { sum += sub.GetLength(); });
    return sum;
}

double CComplexUnit::GetLength3D() const {
    double sum = 0.0;
    ForEachSub([&](const CUnit& sub) { sum += sub.GetLength3D(); });
    return sum;
}

double CComplexUnit::GetLengthToPoint(double z, double x) const {
    const int k = FindSubUnit(z, x, false);
    if (k < 0) return 0.0;
    double sum = 0.0;
    for (int i = 0; i < k; ++i) sum += SubUnit(i)->GetLength();
    return sum + SubUnit(k)->GetLengthToPoint(z, x);
}

double CComplexUnit::GetLengthToPoint3D(double x, double y, double z) const {
    const int k = FindSubUnit(z, x, false);
    if (k < 0) return 0.0;
    double sum = 0.0;
    for (int i = 0; i < k; ++i) sum += SubUnit(i)->GetLength3D();
    return sum + SubUnit(k)->GetLengthToPoint3D(x, y, z);
}

void CComplexUnit::GetMidPoint(IntersectPoint& out, double z1, double x1, double z2, double x2) const {
    const int k1 = FindSubUnit(z1, x1, true), k2 = FindSubUnit(z2, x2, false);
    out = IntersectPoint{};
    if (k1 < 0 || k2 < 0) return;
    if (k1 == k2) {
        SubUnit(k1)->GetMidPoint(out, z1, x1, z2, x2);
        return;
    }
    out.z = SubUnit(k1)->EndPoint.z;
    out.x = SubUnit(k1)->EndPoint.x;
}

double CComplexUnit::GetStartAngle() const { return subUnits_.Empty() ? 0.0 : SubUnit(0)->GetStartAngle(); }

double CComplexUnit::GetEndAngle() const {
    return subUnits_.Empty() ? 0.0 : SubUnit(SubUnitCount() - 1)->GetEndAngle();
}

void CComplexUnit::GetBoundBox(BoundBox& box) const {
    box = BoundBox{};
    bool first = true;
    ForEachSub([&](const CUnit& sub) {
        BoundBox u;
        sub.GetBoundBox(u);
        if (first)
            box = u;
        else
            UniteBoxes(box, u);
        first = false;
    });
}

void CComplexUnit::GetPointsByStep(IntersectPointList& list, double step, int mode) const {
    ForEachSub([&](const CUnit& sub) { sub.GetPointsByStep(list, step, mode); });
}

void CComplexUnit::PrintInfo() const {
    std::string text = "Count=" + std::to_string(SubUnitCount()) + "\n" + EndsText(*this);
    ForEachSub([&](const CUnit& sub) {
        text += "p=" + std::to_string(reinterpret_cast<std::uintptr_t>(&sub)) + ": " + EndsText(sub);
    });
    ShowPlainMessageBox(text, " ");
}

std::unique_ptr<Contour> CComplexUnit::GetContour() const {
    if (subUnits_.Empty()) return nullptr;
    auto contour = Contour::ContourSized(SubUnitCount());
    ForEachSub([&](const CUnit& sub) { contour->AddUnit(sub.Clone()); });
    return contour;
}

void CComplexUnit::KeepRange(int first, int last, double e1, double e2) {
    StepArray<UnitPtr> kept(100);
    for (int i = first; i <= last; ++i) kept.Add(std::move(subUnits_[static_cast<std::uint32_t>(i)]));
    subUnits_ = StepArray<UnitPtr>(100);
    for (std::uint32_t i = 0; i < kept.Count(); ++i) AddUnit(std::move(kept[i]));
    if (subUnits_.Empty()) return;
    // Along the chord of the end piece, whatever its kind.
    CUnit& head = *SubUnit(0);
    const double a = AngleOfVector(head.StartPoint.z, head.StartPoint.x, head.EndPoint.z, head.EndPoint.x);
    head.StartPoint.z -= std::cos(a) * e1;
    head.StartPoint.x -= std::sin(a) * e1;
    CUnit& tail = *SubUnit(SubUnitCount() - 1);
    const double b = AngleOfVector(tail.StartPoint.z, tail.StartPoint.x, tail.EndPoint.z, tail.EndPoint.x);
    tail.EndPoint.z += std::cos(b) * e2;
    tail.EndPoint.x += std::sin(b) * e2;
}

void CComplexUnit::ReplaceSubUnits(const Contour& contour) {
    subUnits_ = StepArray<UnitPtr>(100);
    for (int i = 0; i < contour.Count(); ++i) AddUnit(contour.GetUnit(i)->Clone());
}

void CComplexUnit::OffsetThroughHost(double d) {
    Contour offset;
    {
        WorkDocumentScope scope;
        Document2D& doc = scope.Document();
        doc.BeginObjectSet();
        ForEachSub([](CUnit& sub) { sub.Draw2D(1); });
        const Ref2D drawn = doc.EndObjectSet();
        EquidistantRequest request;
        request.group = drawn;
        request.distance = d;
        request.distance2 = d;
        request.style = 4;
        const EquidistantReply reply = doc.Equidistant(request);
        const Ref2D list = reply.group ? doc.ObjectList(reply.group, 0, kOffsetSlack, 1) : 0;
        if (list) offset.LoadFromHostObjects(doc, list, -1, 0.01);
        // The work document keeps nothing of this call.
        for (Ref2D ref : {list, reply.group, drawn})
            if (ref) doc.DeleteObject(ref);
    }
    if (!offset.Empty()) ReplaceSubUnits(offset);
}

UnitPtr CComplexUnit::GetOffsetUnit(bool useGiven, double distance) const {
    auto result = std::make_unique<CComplexUnit>();
    result->CopyFrom(*this);
    result->SourceUnit = this;
    const double d = useGiven ? distance : OffsetDistance;

    double e1 = StartExtension, e2 = EndExtension;
    const double t1 = e1 < -kOffsetSlack ? -e1 : 0.0, t2 = e2 < -kOffsetSlack ? -e2 : 0.0;
    int first = 0, last = SubUnitCount() - 1;
    if (t1 + t2 < GetLength()) {
        double skipped = 0.0;
        if (t1 > 0.0) {
            for (first = 0; first < last && skipped + SubUnit(first)->GetLength() <= t1; ++first)
                skipped += SubUnit(first)->GetLength();
            e1 = -(t1 - skipped);
        }
        skipped = 0.0;
        if (t2 > 0.0) {
            for (; last > 0 && skipped + SubUnit(last)->GetLength() <= t2; --last)
                skipped += SubUnit(last)->GetLength();
            e2 = -(t2 - skipped);
        }
        // Pieces of no length at both ends can make the ranges cross: keep all.
        if (first > last) {
            first = 0;
            last = SubUnitCount() - 1;
        }
    }
    result->KeepRange(first, last, e1, e2);
    if (d > kOffsetSlack && result->SubUnitCount() > 0) result->OffsetThroughHost(d);
    result->UpdateEnds();
    return result;
}

}  // namespace zarvento
