// Building the part's section from its faces of revolution.
#include "model/rotation_contours.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/line_unit.h"
#include "geometry/lsc_transform.h"
#include "geometry/primitives.h"
#include "platform/revolution_face.h"

namespace zarvento {

namespace {

// Per-coordinate distance within which unit ends count as joined.
constexpr double kJoinTolerance = 1e-4;

bool Joined(double z1, double x1, double z2, double x2) {
    return std::fabs(z1 - z2) < kJoinTolerance && std::fabs(x1 - x2) < kJoinTolerance;
}

// Unit ends by their cell of the join tolerance.
class EndIndex {
public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    void Add(double z, double x, std::size_t unit) { cells_.emplace(Key(Cell(z), Cell(x)), unit); }

    // The first unit of the cell of (z, x) or its neighbours that `accept`
    // takes, else kNone.
    template <class Accept>
    std::size_t Find(double z, double x, Accept accept) const {
        const std::int64_t cz = Cell(z), cx = Cell(x);
        std::size_t best = kNone;
        for (std::int64_t dz = -1; dz <= 1; ++dz)
            for (std::int64_t dx = -1; dx <= 1; ++dx) {
                auto [from, to] = cells_.equal_range(Key(cz + dz, cx + dx));
                // The lowest index wins, so the result does not hang on the
                // hash table's order.
                for (auto it = from; it != to; ++it)
                    if (it->second < best && accept(it->second)) best = it->second;
            }
        return best;
    }

private:
    static std::int64_t Cell(double v) {
        const double c = std::floor(v / kJoinTolerance);
        if (std::isnan(c)) return 0;
        // Far-off or broken coordinates share the outermost cells; the
        // acceptance test still compares the real values.
        return static_cast<std::int64_t>(std::clamp(c, -1e15, 1e15));
    }
    static std::uint64_t Key(std::int64_t cz, std::int64_t cx) {
        return static_cast<std::uint64_t>(cz) * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(cx);
    }
    std::unordered_multimap<std::uint64_t, std::size_t> cells_;
};

// The face's meridian as a unit of the LSC turning plane, or null when the
// face does not turn about the LSC Z axis.
UnitPtr UnitOfFace(const HostRevolutionFace& face, const LscTransform& lsc) {
    double ox = face.AxisOrigin()[0], oy = face.AxisOrigin()[1], oz = face.AxisOrigin()[2];
    double tx = ox + face.AxisDirection()[0], ty = oy + face.AxisDirection()[1], tz = oz + face.AxisDirection()[2];
    lsc.GlobalToLocal(ox, oy, oz);
    lsc.GlobalToLocal(tx, ty, tz);
    double dx = tx - ox, dy = ty - oy, dz = tz - oz;
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!(length > EPS)) return nullptr;
    dx /= length, dy /= length, dz /= length;
    if (std::fabs(dx) > EPS || std::fabs(dy) > EPS || std::fabs(std::fabs(dz) - 1.0) > EPS) return nullptr;
    if (std::fabs(ox) > kJoinTolerance || std::fabs(oy) > kJoinTolerance) return nullptr;
    // Along the LSC Z axis the meridian's z runs with the axis or against it.
    const double s = dz > 0 ? 1.0 : -1.0;
    const Meridian& m = face.GetMeridian();
    UnitPtr unit;
    if (m.isArc) {
        if (!(m.radius > EPS)) return nullptr;
        const int dir = m.dirVector >= 0 ? 1 : -1;
        unit = std::make_unique<CArcUnit>(oz + s * m.zc, m.xc, m.radius, oz + s * m.z1, m.x1, oz + s * m.z2, m.x2,
                                          s > 0 ? dir : -dir);
    } else {
        unit = std::make_unique<CLineUnit>(oz + s * m.z1, m.x1, oz + s * m.z2, m.x2);
    }
    unit->SurfaceName = SurfaceKindName(face.Kind());
    return unit;
}

}  // namespace

std::unique_ptr<Contour> BuildRotationContours(const HostDocument& document, std::string* message) {
    const LscTransform& lsc = LscTransform::Global();
    if (!lsc.HostObjectRef()) return nullptr;

    std::vector<UnitPtr> units;
    bool anyFace = false;
    for (const auto& entity : document.Entities()) {
        auto face = std::dynamic_pointer_cast<HostRevolutionFace>(entity);
        if (!face) continue;
        anyFace = true;
        UnitPtr unit = UnitOfFace(*face, lsc);
        if (!unit || unit->IsZeroLength()) continue;
        unit->AddObject(face);
        units.push_back(std::move(unit));
    }
    if (!anyFace) return nullptr;
    if (units.empty()) {
        if (message) *message = kNoRotationFacesMessage;
        return nullptr;
    }

    // The start: the smallest z, nearest the axis there (x <= 0, so the
    // largest x).
    std::size_t first = 0;
    bool firstAtEnd = false;
    double bestZ = 1e6, bestX = -1e6;
    for (std::size_t i = 0; i < units.size(); ++i) {
        for (int end = 0; end < 2; ++end) {
            const Point3D& p = end == 0 ? units[i]->StartPoint : units[i]->EndPoint;
            if (p.z < bestZ - EPS || (std::fabs(p.z - bestZ) <= EPS && p.x > bestX + EPS)) {
                bestZ = p.z, bestX = p.x, first = i, firstAtEnd = end == 1;
            }
        }
    }
    std::vector<bool> used(units.size(), false);
    auto contour = std::make_unique<Contour>();
    // Of the units touching the start, go first along the one that stays
    // nearest in z (an end face before the long run of the bore).
    {
        double nearest = 1e300;
        for (std::size_t i = 0; i < units.size(); ++i) {
            for (int end = 0; end < 2; ++end) {
                const Point3D& p = end == 0 ? units[i]->StartPoint : units[i]->EndPoint;
                const Point3D& q = end == 0 ? units[i]->EndPoint : units[i]->StartPoint;
                if (!Joined(p.z, p.x, bestZ, bestX)) continue;
                const double along = std::fabs(q.z - bestZ);
                if (along < nearest - EPS) nearest = along, first = i, firstAtEnd = end == 1;
            }
        }
    }
    if (firstAtEnd) units[first]->Reverse();
    used[first] = true;
    double z = units[first]->EndPoint.z, x = units[first]->EndPoint.x;
    contour->AddUnit(std::move(units[first]));
    // The free ends by cell of the join tolerance: a joined end lies in the
    // same cell or a neighbour, so each step looks at a few ends only.
    EndIndex ends;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (used[i]) continue;
        ends.Add(units[i]->StartPoint.z, units[i]->StartPoint.x, i);
        ends.Add(units[i]->EndPoint.z, units[i]->EndPoint.x, i);
    }
    // Each step takes one more unit, so the chain ends within units.size() steps.
    for (std::size_t step = 1; step < units.size(); ++step) {
        const std::size_t next = ends.Find(z, x, [&](std::size_t i) {
            return !used[i] && (Joined(units[i]->StartPoint.z, units[i]->StartPoint.x, z, x) ||
                                Joined(units[i]->EndPoint.z, units[i]->EndPoint.x, z, x));
        });
        if (next == EndIndex::kNone) return contour;  // a gap: the section is open
        if (!Joined(units[next]->StartPoint.z, units[next]->StartPoint.x, z, x)) units[next]->Reverse();
        used[next] = true;
        z = units[next]->EndPoint.z, x = units[next]->EndPoint.x;
        contour->AddUnit(std::move(units[next]));
    }
    if (!Joined(z, x, bestZ, bestX) && std::fabs(x) < kJoinTolerance && std::fabs(bestX) < kJoinTolerance)
        contour->AddUnit(std::make_unique<CLineUnit>(z, x, bestZ, bestX));
    // The chain goes down the back face first, so a closed section comes out
    // counter-clockwise; the operations offset their contours to the left of
    // the run and take the material on the right, so the section must run
    // clockwise: an outer profile from the face towards -Z, a bore towards
    // the face. It starts again at the same point.
    const BoundBox box = contour->GetBoundBox();
    if (contour->IsClosed() && box.zmax - box.zmin > EPS && !contour->DetermineDirection()) {
        contour->Reverse();
        contour->ShiftStartToExtreme();
    }
    return contour;
}

}  // namespace zarvento
