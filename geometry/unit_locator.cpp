// UnitLocator: units registered in the grid cells their widened boxes cover,
// with units of very large boxes kept apart and offered for every point.
#include "geometry/unit_locator.h"

#include <algorithm>
#include <cmath>

#include "geometry/contour.h"

namespace zarvento {

namespace {

// A unit over more cells than this is offered for every point instead.
constexpr long kMaxCellsPerUnit = 64;

}  // namespace

UnitLocator::UnitLocator(const Contour& contour, double slack) : boxes_(contour.GetUnitBoxes()), slack_(slack) {
    if (boxes_.empty()) return;
    const auto size = [](const UnitBox& b) { return std::max(b.zmax - b.zmin, b.xmax - b.xmin); };
    // Units far longer than the usual one (the run-in lines of an offset
    // reach 100 m) would stretch the grid until everything else shares a
    // cell: they are offered for every point instead.
    std::vector<double> sizes;
    sizes.reserve(boxes_.size());
    for (const UnitBox& b : boxes_) sizes.push_back(size(b));
    auto middle = sizes.begin() + static_cast<std::ptrdiff_t>(sizes.size() / 2);
    std::nth_element(sizes.begin(), middle, sizes.end());
    const double longest = 1000.0 * std::max(*middle, slack_);
    zmin_ = xmin_ = 1e300;
    zmax_ = xmax_ = -1e300;
    std::vector<int> gridded;
    for (int i = 0; i < static_cast<int>(boxes_.size()); ++i) {
        const UnitBox& b = boxes_[static_cast<std::size_t>(i)];
        const double s = size(b);
        if (!(s <= longest) || !std::isfinite(b.zmin + b.xmin + b.zmax + b.xmax)) {
            wide_.push_back(i);
            continue;
        }
        gridded.push_back(i);
        zmin_ = std::min(zmin_, b.zmin - slack_);
        xmin_ = std::min(xmin_, b.xmin - slack_);
        zmax_ = std::max(zmax_, b.zmax + slack_);
        xmax_ = std::max(xmax_, b.xmax + slack_);
    }
    if (gridded.empty()) return;
    // About one cell per unit, shaped like the whole box.
    const double spanZ = std::max(zmax_ - zmin_, 1e-9), spanX = std::max(xmax_ - xmin_, 1e-9);
    const double side = std::sqrt(spanZ * spanX / static_cast<double>(gridded.size()));
    columns_ = std::clamp(static_cast<int>(spanZ / side), 1, 4096);
    rows_ = std::clamp(static_cast<int>(spanX / side), 1, 4096);
    cellZ_ = spanZ / columns_;
    cellX_ = spanX / rows_;
    cells_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), {});
    for (int i : gridded) {
        const UnitBox& b = boxes_[static_cast<std::size_t>(i)];
        const int c0 = CellOf(b.zmin - slack_, zmin_, cellZ_, columns_);
        const int c1 = CellOf(b.zmax + slack_, zmin_, cellZ_, columns_);
        const int r0 = CellOf(b.xmin - slack_, xmin_, cellX_, rows_);
        const int r1 = CellOf(b.xmax + slack_, xmin_, cellX_, rows_);
        if (static_cast<long>(c1 - c0 + 1) * static_cast<long>(r1 - r0 + 1) > kMaxCellsPerUnit) {
            wide_.insert(std::upper_bound(wide_.begin(), wide_.end(), i), i);
            continue;
        }
        for (int c = c0; c <= c1; ++c)
            for (int r = r0; r <= r1; ++r)
                cells_[static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_) + static_cast<std::size_t>(r)]
                    .push_back(i);
    }
}

int UnitLocator::CellOf(double v, double lo, double size, int count) const {
    const double k = std::floor((v - lo) / size);
    if (!(k > 0.0)) return 0;
    if (k >= count - 1) return count - 1;
    return static_cast<int>(k);
}

const std::vector<int>& UnitLocator::Candidates(double z, double x) {
    found_.clear();
    const bool inGrid = columns_ > 0 && z >= zmin_ && z <= zmax_ && x >= xmin_ && x <= xmax_;
    if (!inGrid) {
        found_ = wide_;
        return found_;
    }
    const std::vector<int>& cell =
        cells_[static_cast<std::size_t>(CellOf(z, zmin_, cellZ_, columns_)) * static_cast<std::size_t>(rows_) +
               static_cast<std::size_t>(CellOf(x, xmin_, cellX_, rows_))];
    // Both lists ascend: merge them.
    std::size_t a = 0, b = 0;
    while (a < cell.size() || b < wide_.size()) {
        if (b == wide_.size() || (a < cell.size() && cell[a] < wide_[b]))
            found_.push_back(cell[a++]);
        else
            found_.push_back(wide_[b++]);
    }
    return found_;
}

}  // namespace zarvento
