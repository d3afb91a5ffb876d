// The Z sweep behind OverlappingBoxPairs: boxes enter in order of their low Z
// and meet only the boxes still open at that Z.
#include "geometry/box_pairs.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace zarvento {

namespace {

struct SweepBox {
    double zlo, zhi, xlo, xhi;
    int index;
    int set;  // 0 or 1
};

SweepBox Widened(const UnitBox& box, int index, int set, double slack) {
    // Boxes of units beyond the clipping range may come reversed; order them.
    const double z1 = std::min(box.zmin, box.zmax), z2 = std::max(box.zmin, box.zmax);
    const double x1 = std::min(box.xmin, box.xmax), x2 = std::max(box.xmin, box.xmax);
    return {z1 - slack, z2 + slack, x1 - slack, x2 + slack, index, set};
}

// A box with a NaN coordinate belongs to a unit on which no point lies; it
// takes no part (and would break the ordering of the sweep).
void AddBoxes(std::vector<SweepBox>& boxes, const std::vector<UnitBox>& from, int set, double slack) {
    for (std::size_t i = 0; i < from.size(); ++i) {
        const UnitBox& b = from[i];
        if (std::isnan(b.zmin) || std::isnan(b.zmax) || std::isnan(b.xmin) || std::isnan(b.xmax)) continue;
        boxes.push_back(Widened(b, static_cast<int>(i), set, slack));
    }
}

// Sweeps the boxes of both sets (or one set against itself when single) and
// calls emit(first set index, second set index) for each overlapping pair.
template <typename Emit>
void Sweep(std::vector<SweepBox>& boxes, bool single, Emit emit) {
    std::sort(boxes.begin(), boxes.end(), [](const SweepBox& l, const SweepBox& r) {
        return l.zlo < r.zlo || (l.zlo == r.zlo && (l.set < r.set || (l.set == r.set && l.index < r.index)));
    });
    std::vector<const SweepBox*> open[2];
    for (const SweepBox& box : boxes) {
        std::vector<const SweepBox*>& others = open[single ? 0 : 1 - box.set];
        std::size_t kept = 0;
        for (std::size_t k = 0; k < others.size(); ++k) {
            const SweepBox* other = others[k];
            if (other->zhi < box.zlo) continue;  // closed for good: every later box starts further on
            others[kept++] = other;
            if (other->xhi < box.xlo || box.xhi < other->xlo) continue;
            if (single)
                emit(std::min(box.index, other->index), std::max(box.index, other->index));
            else if (box.set == 0)
                emit(box.index, other->index);
            else
                emit(other->index, box.index);
        }
        others.resize(kept);
        open[single ? 0 : box.set].push_back(&box);
    }
}

}  // namespace

std::vector<BoxPair> OverlappingBoxPairs(const std::vector<UnitBox>& a, const std::vector<UnitBox>& b, double slack) {
    std::vector<SweepBox> boxes;
    boxes.reserve(a.size() + b.size());
    AddBoxes(boxes, a, 0, slack);
    AddBoxes(boxes, b, 1, slack);
    std::vector<BoxPair> pairs;
    Sweep(boxes, false, [&](int i, int j) { pairs.emplace_back(i, j); });
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

std::vector<BoxPair> SelfOverlappingBoxPairs(const std::vector<UnitBox>& a, double slack) {
    std::vector<SweepBox> boxes;
    boxes.reserve(a.size());
    AddBoxes(boxes, a, 0, slack);
    std::vector<BoxPair> pairs;
    Sweep(boxes, true, [&](int i, int j) { pairs.emplace_back(i, j); });
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

}  // namespace zarvento
