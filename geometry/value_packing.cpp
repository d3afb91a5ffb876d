// The packing helpers.
#include "geometry/value_packing.h"

#include <vector>

namespace zarvento {

void PointsToSafeArray(Variant& out, const StepArray<Point3D>& points) {
    out = Variant();
    std::vector<Variant> xyz;
    xyz.reserve(static_cast<std::size_t>(points.Count()) * 3);
    for (const Point3D& p : points) {
        xyz.push_back(Variant::R8(p.x));
        xyz.push_back(Variant::R8(p.y));
        xyz.push_back(Variant::R8(p.z));
    }
    out = Variant::Array(std::move(xyz), VarType::R8);
}

void IntsToSafeArray(Variant& out, const StepArray<std::int32_t>& values) {
    out = Variant();
    std::vector<Variant> items;
    items.reserve(values.Count());
    for (std::int32_t v : values) items.push_back(Variant::I4(v));
    out = Variant::Array(std::move(items), VarType::I4);
}

}  // namespace zarvento
