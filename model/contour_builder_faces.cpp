// CContourBuilder: the working contour from the chosen units of the part
// contour, offset and joined by gap units.
#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "geometry/exception.h"
#include "geometry/gap_unit.h"
#include "model/contour_builder.h"

namespace zarvento {

namespace {

// The relation matrix of the part contour, read and written within its
// built size (a matrix built for fewer units than the contour now holds has
// no cell for the new ones: undecided, and nothing is kept).
class Relations {
public:
    explicit Relations(Contour& part) : part_(part) {
        if (part_.RelationSize() == 0) part_.CreateRelationMatrix();
    }
    int Get(int i, int j) const { return Fits(i, j) ? part_.GetRelation(i, j) : kGapNone; }
    void SetBoth(int i, int j, int type) {
        if (!Fits(i, j)) return;
        part_.SetRelation(i, j, type);
        part_.SetRelation(j, i, type);
    }

private:
    bool Fits(int i, int j) const { return i < part_.RelationSize() && j < part_.RelationSize(); }
    Contour& part_;
};

bool Undecided(int type) { return type == kGapNone || type == kGapCorner; }

// The slots of the part contour's units, looked up once per join rather than
// by a scan of the contour each time.
class PartSlots {
public:
    explicit PartSlots(const Contour& part) {
        slots_.reserve(static_cast<std::size_t>(part.Count()));
        // The first slot holding a unit, as Contour::IndexOf gives it.
        for (int k = part.Count() - 1; k >= 0; --k) slots_[part.GetUnit(k)] = k;
    }
    int IndexOf(const CUnit* unit, const char* what) const {
        const auto found = unit ? slots_.find(unit) : slots_.end();
        if (found == slots_.end()) throw Exception(std::string(what) + "=-1");
        return found->second;
    }

private:
    std::unordered_map<const CUnit*, int> slots_;
};

// Joins `gap` by the stored type of the pair, or by a straight segment the
// first time (the type the gap settles on is stored for both orders).
void ApplyJoin(CGapUnit& gap, Relations& relations, int prev, int curr, bool freshBridge) {
    const int stored = relations.Get(prev, curr);
    if (Undecided(stored)) {
        if (freshBridge) gap.CalculateGapFromSegment(false);
        relations.SetBoth(prev, curr, gap.GapType);
    } else {
        gap.SetGapType(stored);
    }
}

// Appends the gap when it has length, starting `next` at its end.
void AppendGap(Contour& contour, std::unique_ptr<CGapUnit> gap, CUnit& next) {
    if (gap->IsZeroLength()) return;
    next.SetStartPoint(gap->EndPoint.z, gap->EndPoint.x);
    contour.AddUnit(std::move(gap));
}

}  // namespace

std::unique_ptr<Contour> CContourBuilder::CreateContourFromFaces() {
    if (!partContour) return nullptr;
    const int chosen = partContour->GetSelectedCount();
    if (chosen == 0) return nullptr;
    Relations relations(*partContour);
    const PartSlots slots(*partContour);

    auto joined = Contour::ContourSized(2 * chosen - 1);
    const CUnit* previous = nullptr;  // the chosen unit the contour's last unit was made from
    for (int i = 0; i < partContour->Count(); ++i) {
        const CUnit* unit = partContour->GetUnit(i);
        if (!unit->Selected) continue;
        UnitPtr offset = unit->GetOffsetUnit(isPripuskZ, PripuskZ);
        // An offset without length (a collapsed arc) is left out before it is joined.
        if (!offset || offset->IsZeroLength()) continue;
        if (joined->Empty()) {
            joined->AddUnit(std::move(offset));
            previous = unit;
            continue;
        }
        auto gap = std::make_unique<CGapUnit>(joined->GetLastUnit(), offset.get());
        ApplyJoin(*gap, relations, slots.IndexOf(previous, "indPrev"), i, true);
        AppendGap(*joined, std::move(gap), *offset);
        if (!offset->IsZeroLength()) joined->AddUnit(std::move(offset));
        previous = unit;
    }
    if (joined->Empty()) return nullptr;

    std::unique_ptr<Contour> expanded = joined->ExpandGaps();
    joined.reset();
    if (!expanded) return nullptr;
    expanded->RemoveLoops();

    // Loops are cut: the bridging pieces left between two offset units become
    // one gap again, so the result keeps its joins as gap units.
    auto result = Contour::ContourSized(std::max(1, expanded->Count()));
    std::vector<const CUnit*> run;
    for (int k = 0; k < expanded->Count(); ++k) {
        const CUnit* unit = expanded->GetUnit(k);
        if (!unit->SourceUnit) {
            if (!result->Empty()) run.push_back(unit);  // bridging before the first offset unit is dropped
            continue;
        }
        UnitPtr copy = unit->Clone();
        if (!run.empty()) {
            const CUnit* last = result->GetLastUnit();
            auto gap = std::make_unique<CGapUnit>(last, copy.get());
            const bool twoPieces = run.size() == 2;
            if (twoPieces) gap->SetBridge(*run[0], *run[1]);
            ApplyJoin(*gap, relations, slots.IndexOf(last->SourceUnit, "indPrev"),
                      slots.IndexOf(unit->SourceUnit, "indCurr"), !twoPieces);
            AppendGap(*result, std::move(gap), *copy);
            run.clear();
        }
        result->AddUnit(std::move(copy));
    }
    if (result->Empty()) return nullptr;
    return result;
}

}  // namespace zarvento
