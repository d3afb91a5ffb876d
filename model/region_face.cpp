// CRegionFace: ear cutting against the outline's own inside test.
#include "model/region_face.h"

#include <cmath>
#include <memory>
#include <vector>

#include "geometry/contour.h"
#include "geometry/line_unit.h"

namespace zarvento {

namespace {

bool Identical(const IntersectPoint& a, const IntersectPoint& b) {
    return a.z == b.z && a.x == b.x && a.index1 == b.index1 && a.index2 == b.index2 && a.length == b.length &&
           a.unit == b.unit;
}

// Removes the first record identical to p; false when there is none.
bool RemoveFirstIdentical(IntersectPointList& points, const IntersectPoint& p) {
    for (std::uint32_t i = 0; i < points.Count(); ++i)
        if (Identical(points[i], p)) {
            points.RemoveAt(i);
            return true;
        }
    return false;
}

}  // namespace

void CRegionFace::Triangulate(IntersectPointList& points) {
    std::vector<IntersectPoint> duplicates;
    for (std::uint32_t i = 1; i + 1 < points.Count(); ++i)
        for (std::uint32_t j = 0; j < i; ++j)
            if (std::fabs(points[i].z - points[j].z) < 0.01 && std::fabs(points[i].x - points[j].x) < 0.01) {
                duplicates.push_back(points[i]);
                break;
            }
    for (const IntersectPoint& p : duplicates) RemoveFirstIdentical(points, p);

    Clear();
    // Triangles lie in the LSC XZ plane; their normal is a direction.
    const Point3D normal = LscDirectionToModel(0, 1, 0);
    const auto emit = [&](const IntersectPoint& a, const IntersectPoint& b, const IntersectPoint& c) {
        for (const IntersectPoint* p : {&a, &b, &c}) AppendVertex(LscToModel(-p->x, 0, p->z), normal);
    };
    int passes = 0, stalls = 0;
    while (points.Count() > 3 && passes < kTriangulatePasses && stalls <= kTriangulateStalls) {
        ++passes;
        Contour outline;
        for (std::uint32_t i = 0; i + 1 < points.Count(); ++i)
            outline.AddUnit(std::make_unique<CLineUnit>(points[i].z, points[i].x, points[i + 1].z, points[i + 1].x));
        outline.MergeOverlappingUnits();
        std::vector<IntersectPoint> cut;
        for (std::uint32_t i = 0; i + 2 < points.Count();) {
            const IntersectPoint &a = points[i], &b = points[i + 1], &c = points[i + 2];
            if (outline.IsPointInside((a.z + c.z) / 2, (a.x + c.x) / 2)) {
                emit(a, b, c);
                cut.push_back(b);
                i += 2;
            } else {
                i += 1;
            }
        }
        for (const IntersectPoint& p : cut) RemoveFirstIdentical(points, p);
        stalls = cut.empty() ? stalls + 1 : 0;
    }
    if (stalls > kTriangulateStalls) emit(points[0], points[1], points[2]);
}

void CRegionFace::CreateRegion(IntersectPointList points, std::uint32_t newColour) {
    if (!hostDrawable) {
        Triangulate(points);
        CreateHostDrawable();
    }
    Draw(newColour);
}

}  // namespace zarvento
