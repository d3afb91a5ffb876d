// CContourBuilder: the working contour from a sketch in the ZX plane of the
// NC coordinate system, ordered into one chain.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "geometry/lsc_transform.h"
#include "geometry/primitives.h"
#include "model/contour_builder.h"
#include "platform/core/host_error.h"
#include "platform/documents/settings_record.h"

namespace zarvento {

namespace {

// The sketch's editing bracket, closed on every exit.
class SketchEdit {
public:
    explicit SketchEdit(HostSketch& sketch) : sketch_(sketch) { sketch_.BeginEdit(); }
    ~SketchEdit() { sketch_.EndEdit(); }
    SketchEdit(const SketchEdit&) = delete;
    SketchEdit& operator=(const SketchEdit&) = delete;

private:
    HostSketch& sketch_;
};

// Unit ends by grid cell. Points equal within EPS lie in the same or a
// neighbouring cell, so a lookup reads nine cells; ends of used units are
// dropped from their cells as lookups meet them, so every end is read a
// bounded number of times over the whole chaining.
class EndIndex {
public:
    struct Match {
        int unit = -1;
        bool atEnd = false;  // the unit's end (rather than its start) is the point
    };

    explicit EndIndex(const Contour& units) : units_(units), used_(static_cast<std::size_t>(units.Count()), false) {
        for (int i = 0; i < units.Count(); ++i) {
            const CUnit* u = units.GetUnit(i);
            cells_[CellOf(u->StartPoint.z, u->StartPoint.x)].push_back({i, false});
            cells_[CellOf(u->EndPoint.z, u->EndPoint.x)].push_back({i, true});
        }
    }

    void Use(int i) { used_[static_cast<std::size_t>(i)] = true; }

    // The unused unit of least index with an end at (z, x); of its two ends
    // the preferred one wins when both lie there.
    Match Find(double z, double x, bool preferEnd) {
        Match best;
        bool bestPreferred = false;
        const auto [cz, cx] = CellOf(z, x).pair;
        for (std::int64_t dz = -1; dz <= 1; ++dz) {
            for (std::int64_t dx = -1; dx <= 1; ++dx) {
                auto it = cells_.find(Key{{cz + dz, cx + dx}});
                if (it == cells_.end()) continue;
                auto& entries = it->second;
                for (std::size_t k = 0; k < entries.size();) {
                    const Match m = entries[k];
                    if (used_[static_cast<std::size_t>(m.unit)]) {
                        entries[k] = entries.back();
                        entries.pop_back();
                        continue;
                    }
                    ++k;
                    const CUnit* u = units_.GetUnit(m.unit);
                    const Point3D& p = m.atEnd ? u->EndPoint : u->StartPoint;
                    if (!IsEqualPoint(p.z, p.x, z, x)) continue;
                    const bool preferred = m.atEnd == preferEnd;
                    if (best.unit < 0 || m.unit < best.unit || (m.unit == best.unit && preferred && !bestPreferred)) {
                        best = m;
                        bestPreferred = preferred;
                    }
                }
            }
        }
        return best;
    }

private:
    struct Key {
        std::pair<std::int64_t, std::int64_t> pair;
        bool operator==(const Key& o) const { return pair == o.pair; }
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const {
            const auto a = static_cast<std::uint64_t>(k.pair.first), b = static_cast<std::uint64_t>(k.pair.second);
            return std::hash<std::uint64_t>()(a * 1000003u ^ b);
        }
    };
    static constexpr double kCell = 1e-3;  // well above EPS

    static std::int64_t Coordinate(double v) {
        const double c = std::floor(v / kCell);
        if (!(c > -1e15)) return static_cast<std::int64_t>(-1e15);
        if (!(c < 1e15)) return static_cast<std::int64_t>(1e15);
        return static_cast<std::int64_t>(c);
    }
    static Key CellOf(double z, double x) { return Key{{Coordinate(z), Coordinate(x)}}; }

    const Contour& units_;
    std::vector<bool> used_;
    std::unordered_map<Key, std::vector<Match>, KeyHash> cells_;
};

}  // namespace

std::unique_ptr<Contour> CContourBuilder::ChainSketchUnits(const Contour& units) {
    auto chain = std::make_unique<Contour>();
    if (units.Empty()) return chain;
    EndIndex index(units);
    index.Use(0);
    // Walks away from unit 0 at its start (backwards) or at its end: each
    // pass takes one unused unit, so a walk ends within Count passes.
    auto walk = [&](bool backwards) {
        std::vector<UnitPtr> found;  // nearest unit 0 first
        Point3D p = backwards ? units.GetUnit(0)->StartPoint : units.GetUnit(0)->EndPoint;
        for (int pass = 1; pass < units.Count(); ++pass) {
            const EndIndex::Match m = index.Find(p.z, p.x, backwards);
            if (m.unit < 0) break;
            index.Use(m.unit);
            UnitPtr copy = units.GetUnit(m.unit)->Clone();
            if (m.atEnd != backwards) copy->Reverse();
            p = backwards ? copy->StartPoint : copy->EndPoint;
            found.push_back(std::move(copy));
        }
        return found;
    };
    std::vector<UnitPtr> before = walk(true);
    std::vector<UnitPtr> after = walk(false);
    for (auto it = before.rbegin(); it != before.rend(); ++it) chain->AddUnit(std::move(*it));
    chain->AddUnit(units.GetUnit(0)->Clone());
    for (UnitPtr& unit : after) chain->AddUnit(std::move(unit));
    return chain;
}

std::unique_ptr<Contour> CContourBuilder::CreateContourFromSketch() {
    if (!sketch) return nullptr;
    const auto& lsc = LscTransform::Global().HostObjectRef();
    if (!lsc) throw HostError(E_POINTER_, "no NC coordinate system");
    const HostObjectPtr plane = sketch->Plane();
    if (!plane || !SameHostObject(plane, lsc->Plane(LocalCoordinateSystem::kPlaneZX))) {
        ShowBuilderMessage(kSketchPlaneMessage);
        return nullptr;
    }

    auto read = std::make_unique<Contour>();
    {
        SketchEdit edit(*sketch);
        SettingsRecord& settings = SettingsRecord::Global();
        if (settings.accuracy < EPS) settings.accuracy = 0.01;
        read->LoadFromHostObjects(sketch->Objects(), 0, secondLoadingMode ? 7 : 1, settings.accuracy);
    }
    if (read->Empty()) return nullptr;

    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    read->GetBoundBox(zmin, xmin, zmax, xmax);
    const LscTransform& transform = LscTransform::Global();
    std::array<double, 3> o = sketch->PlacementOrigin(), a = sketch->PlacementAxisPoint();
    transform.GlobalToLocal(o[0], o[1], o[2]);
    transform.GlobalToLocal(a[0], a[1], a[2]);
    read->MoveTo(o[2], o[0]);
    // The sketch's x axis along the NC X axis: its x is the radius.
    if (std::fabs(std::fabs(a[0] - o[0]) - 1.0) < EPS && (zmin > EPS || zmax > EPS)) read->Rotate90();
    if (xmin > EPS || xmax > EPS) read->MirrorX();

    if (halfPlaneCheck) {
        read->GetBoundBox(zmin, xmin, zmax, xmax);
        if (xmin > EPS || xmax > EPS) {
            ShowBuilderMessage(kSketchHalfPlaneMessage);
            return nullptr;
        }
    }
    if (secondLoadingMode) return read;
    if (read->HasSelfIntersection()) {
        ShowBuilderMessage(kSketchSelfIntersectionMessage);
        return nullptr;
    }

    std::unique_ptr<Contour> chain = ChainSketchUnits(*read);
    read.reset();
    if (chain->Empty()) return nullptr;
    if (reverseFlag) chain->Reverse();
    if (halfPlaneCheck) {
        CloseToAxis(*chain);
        if (!chain->DetermineDirection()) chain->Reverse();
    }
    return chain;
}

}  // namespace zarvento
