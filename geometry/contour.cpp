// Contour storage: lifecycle, unit slots, the relation matrix, lookups and the
// for-each operations.
#include "geometry/contour.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "geometry/object_registry.h"
#include "geometry/primitives.h"

namespace zarvento {

namespace {

// The host object type of the 2D objects SelectBetween accepts.
constexpr int kSelectableObjectType = 6;

bool SameEnds(const CUnit& a, const CUnit& b) {
    return IsEqualPoint(a.StartPoint.z, a.StartPoint.x, b.StartPoint.z, b.StartPoint.x) &&
           IsEqualPoint(a.EndPoint.z, a.EndPoint.x, b.EndPoint.z, b.EndPoint.x);
}

// The key of a matrix cell: rows first, then cells, in key order.
std::uint64_t CellKey(int i, int j) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(i)) << 32 | static_cast<std::uint32_t>(j);
}

// Calls one unit operation on every unit, in order.
template <typename R, typename... Params, typename... Args>
void ForEachUnit(std::vector<UnitPtr>& units, R (CUnit::*op)(Params...), Args... args) {
    for (UnitPtr& unit : units) ((*unit).*op)(args...);
}

}  // namespace

Contour::Contour() { RegisterObject(nullptr, this); }

Contour::Contour(const Contour& source) {
    RegisterObject(nullptr, this);
    Copy(source);
}

Contour::~Contour() {
    units_.clear();
    UnregisterObject(nullptr, this);
}

std::unique_ptr<Contour> Contour::ContourSized(int n) {
    if (n <= 0) throw Exception("Cannot create array!\n(operation new failed)");
    auto contour = std::make_unique<Contour>();
    contour->units_.reserve(static_cast<std::size_t>(n));
    return contour;
}

std::unique_ptr<Contour> Contour::ContourCopy(const Contour* source) {
    return source ? std::make_unique<Contour>(*source) : std::make_unique<Contour>();
}

std::unique_ptr<Contour> Contour::Clone() const { return std::make_unique<Contour>(*this); }

std::unique_ptr<Contour> Contour::CopyTaking(std::unique_ptr<Contour> source) {
    auto copy = std::make_unique<Contour>();
    if (!source) return copy;
    copy->units_ = source->TakeUnits();
    copy->CopyFields(*source);
    return copy;
}

std::vector<UnitPtr> Contour::TakeUnits() {
    std::vector<UnitPtr> taken = std::move(units_);
    units_.clear();
    for (UnitPtr& unit : taken)
        if (!unit->ClonesExactly()) unit = unit->Clone();
    return taken;
}

void Contour::Copy(const Contour& source) {
    units_.reserve(source.units_.size());
    for (const UnitPtr& unit : source.units_) units_.push_back(unit->Clone());
    CopyFields(source);
}

void Contour::CopyFields(const Contour& source) {
    if (source.pairCount_ != 0) {
        CreateRelationMatrix();
        // The source matrix may be older than its units: only the cells it
        // really has are copied, the others stay 0.
        const int n = std::min(RelationSize(), source.RelationSize());
        source.ForEachRelation([&](int i, int j, int gapType) {
            if (i < n && j < n) relations_.emplace_hint(relations_.end(), CellKey(i, j), gapType);
        });
        pairCount_ = source.pairCount_;
    }
    BasePoint = source.BasePoint;
    Colour = source.Colour;
    Tag = source.Tag;
}

void Contour::AppendCopy(const Contour& other) {
    if (&other == this) return;
    units_.reserve(units_.size() + other.units_.size());
    for (const UnitPtr& unit : other.units_) AddUnit(unit->Clone());
}

int Contour::AddUnit(UnitPtr unit) {
    if (!unit) return -1;
    units_.push_back(std::move(unit));
    return Count() - 1;
}

UnitPtr Contour::InsertUnit(int i, UnitPtr unit) {
    if (!unit || i < 0 || i > Count()) return unit;
    units_.insert(units_.begin() + i, std::move(unit));
    return nullptr;
}

int Contour::SlotOf(const CUnit* unit) const {
    for (int k = Count() - 1; k >= 0; --k)
        if (units_[static_cast<std::size_t>(k)].get() == unit) return k;
    return -1;
}

UnitPtr Contour::RemoveUnit(const CUnit* unit) {
    if (!unit) return nullptr;
    const int k = SlotOf(unit);
    if (k < 0) return nullptr;
    UnitPtr taken = std::move(units_[static_cast<std::size_t>(k)]);
    units_.erase(units_.begin() + k);
    return taken;
}

void Contour::DeleteUnit(const CUnit* unit) { RemoveUnit(unit); }

void Contour::RotateToIndex(int i) {
    if (i <= 0 || i >= Count()) return;
    std::rotate(units_.begin(), units_.begin() + i, units_.end());
}

void Contour::CreateRelationMatrix() {
    const int n = Count();
    if (n == 0) return;
    pairCount_ = static_cast<std::int64_t>(n) * (n - 1) / 2;
    relationSize_ = n;
    relations_.clear();
}

void Contour::CheckRelationCell(int i, int j) const {
    // The matrix was rows of cells, and its index checks say so still: a row
    // took 16 bytes, a cell 4.
    for (const auto& [index, size] : {std::pair{i, 16}, std::pair{j, 4}}) {
        if (index >= 0 && index < relationSize_) continue;
        char text[128];
        std::snprintf(text, sizeof text, "Invalid index of array\ni=%d N=%d\nSize of struct=%d", index, relationSize_,
                      size);
        throw Exception(text);
    }
}

int Contour::GetRelation(int i, int j) const {
    CheckRelationCell(i, j);
    const auto cell = relations_.find(CellKey(i, j));
    return cell == relations_.end() ? 0 : cell->second;
}

void Contour::SetRelation(int i, int j, int gapType) {
    CheckRelationCell(i, j);
    if (gapType == 0)
        relations_.erase(CellKey(i, j));
    else
        relations_[CellKey(i, j)] = gapType;
}

CUnit* Contour::GetUnit(int i) const {
    return i >= 0 && i < Count() ? units_[static_cast<std::size_t>(i)].get() : nullptr;
}

CUnit* Contour::GetFirstUnit() const { return GetUnit(0); }

CUnit* Contour::GetLastUnit() const { return GetUnit(Count() - 1); }

int Contour::IndexOf(const CUnit* unit) const {
    for (int k = 0; k < Count(); ++k)
        if (units_[static_cast<std::size_t>(k)].get() == unit) return k;
    return -1;
}

CUnit* Contour::FindUnitByObject(const HostObjectPtr& hostObject) const {
    if (!hostObject) return nullptr;
    for (const UnitPtr& unit : units_)
        if (unit->HasObject(hostObject)) return unit.get();
    return nullptr;
}

UnitsByObject::UnitsByObject(const Contour& contour) {
    for (int k = 0; k < contour.Count(); ++k) {
        CUnit* unit = contour.GetUnit(k);
        for (int i = 0; i < unit->HostObjects.Size(); ++i)
            if (const HostObjectPtr& object = unit->HostObjects[i]) first_.emplace(object.get(), unit);
    }
}

CUnit* UnitsByObject::Find(const HostObjectPtr& hostObject) const {
    if (!hostObject) return nullptr;
    const auto found = first_.find(hostObject.get());
    return found == first_.end() ? nullptr : found->second;
}

CUnit* Contour::GetNextUnit(const CUnit* unit) const {
    if (!unit) return nullptr;
    for (int k = 0; k < Count(); ++k)
        if (SameEnds(*GetUnit(k), *unit)) return GetUnit(k + 1 < Count() ? k + 1 : 0);
    return nullptr;
}

CUnit* Contour::GetPrevUnit(const CUnit* unit) const {
    if (!unit) return nullptr;
    for (int k = 0; k < Count(); ++k)
        if (SameEnds(*GetUnit(k), *unit)) return GetUnit(k > 0 ? k - 1 : Count() - 1);
    return nullptr;
}

CUnit* Contour::GetSelectedUnit(int n) const {
    if (n < 0) return nullptr;
    for (const UnitPtr& unit : units_)
        if (unit->Selected && n-- == 0) return unit.get();
    return nullptr;
}

int Contour::GetSelectedCount() const {
    return static_cast<int>(std::count_if(units_.begin(), units_.end(), [](const UnitPtr& u) { return u->Selected; }));
}

bool Contour::HasSelectedUnitWithoutObject() const {
    return std::any_of(units_.begin(), units_.end(),
                       [](const UnitPtr& u) { return u->Selected && !u->GetSourceObject(0); });
}

// Gaps whose type is still 0 join nothing and are not listed; the gap type is
// read through the gap unit once it exists, until then every gap counts.
CUnit* Contour::GetGapUnit(int n) const {
    if (n < 0) return nullptr;
    for (const UnitPtr& unit : units_)
        if (unit->Kind == kUnitGap && n-- == 0) return unit.get();
    return nullptr;
}

int Contour::GetGapCount() const {
    return static_cast<int>(
        std::count_if(units_.begin(), units_.end(), [](const UnitPtr& u) { return u->Kind == kUnitGap; }));
}

int Contour::GetNonZeroUnitCount() const {
    return static_cast<int>(
        std::count_if(units_.begin(), units_.end(), [](const UnitPtr& u) { return !u->IsZeroLength(); }));
}

void Contour::GetStartPoint(double& x, double& z) const {
    if (const CUnit* first = GetFirstUnit()) {
        x = first->StartPoint.x;
        z = first->StartPoint.z;
    }
}

void Contour::GetEndPoint(double& x, double& z) const {
    if (const CUnit* last = GetLastUnit()) {
        x = last->EndPoint.x;
        z = last->EndPoint.z;
    }
}

void Contour::SelectBetween(const HostObjectPtr& hostObject1, const HostObjectPtr& hostObject2) {
    if (!hostObject1 || !hostObject2) return;
    if (hostObject1->ObjectType() != kSelectableObjectType || hostObject2->ObjectType() != kSelectableObjectType)
        return;
    int a = IndexOf(FindUnitByObject(hostObject1));
    int b = IndexOf(FindUnitByObject(hostObject2));
    if (a < 0 || b < 0) return;
    if (a > b) std::swap(a, b);
    for (int k = a + 1; k < b; ++k) GetUnit(k)->Select();
}

void Contour::CreateTessellationEdges(std::uint32_t colour) {
    ForEachUnit(units_, &CUnit::CreateTessellationEdge, colour);
}
void Contour::ClearTessellationEdges() { ForEachUnit(units_, &CUnit::ClearTessellationEdge); }
void Contour::CreateTessellationFaces(std::uint32_t colour) {
    ForEachUnit(units_, &CUnit::CreateTessellationFace, colour);
}
void Contour::ClearTessellationFaces() { ForEachUnit(units_, &CUnit::ClearTessellationFace); }
void Contour::Draw2D(int style) { ForEachUnit(units_, &CUnit::Draw2D, style); }
void Contour::SelectAll() { ForEachUnit(units_, &CUnit::Select); }
void Contour::DeselectAll() { ForEachUnit(units_, &CUnit::Deselect); }
void Contour::DeselectGaps() {
    for (UnitPtr& unit : units_)
        if (unit->Kind == kUnitGap) unit->Deselect();
}
void Contour::ShowTessellation() { ForEachUnit(units_, &CUnit::ShowTessellation); }
void Contour::HideTessellation() { ForEachUnit(units_, &CUnit::HideTessellation); }
void Contour::ShowSelection() { ForEachUnit(units_, &CUnit::ShowSelection); }
void Contour::HideSelection() { ForEachUnit(units_, &CUnit::HideSelection); }
void Contour::Move(double dz, double dx) { ForEachUnit(units_, &CUnit::Move, dz, dx); }
void Contour::Move3D(double dx, double dy, double dz) { ForEachUnit(units_, &CUnit::Move3D, dx, dy, dz); }
void Contour::MoveTo(double z, double x) {
    Move(z - BasePoint.z, x - BasePoint.x);
    BasePoint.z = z;
    BasePoint.x = x;
}
void Contour::MirrorX() { ForEachUnit(units_, &CUnit::MirrorX); }
void Contour::MirrorZ() { ForEachUnit(units_, &CUnit::MirrorZ); }
void Contour::Rotate90() { ForEachUnit(units_, &CUnit::Rotate90); }
void Contour::InvertDirection() { ForEachUnit(units_, &CUnit::InvertDirection); }

}  // namespace zarvento
