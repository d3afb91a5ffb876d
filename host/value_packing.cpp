// The seven packing helpers.
#include "host/value_packing.h"

namespace zarvento {

namespace {

// The elements of a one-dimensional array of that type, or null.
template <typename T>
const std::vector<T>* OneDimensional(const Variant& value, VarType type) {
    if (value.Type() != type) return nullptr;
    const SafeArray& array = value.AsSafeArray();
    if (array.Dimensions() != 1 || array.Count() == 0) return nullptr;
    return &std::get<std::vector<T>>(array.Items());
}

// `array` sized to the items and filled in order; the count.
template <typename T, typename Items, typename Convert>
int FillArray(CheckedArray<T>& array, const Items& items, Convert convert) {
    array.SetSize(static_cast<int>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) array[static_cast<int>(i)] = convert(items[i]);
    return static_cast<int>(items.size());
}

}  // namespace

void PointsToSafeArray(Variant& out, const StepArray<Point3D>& points) {
    out = Variant();
    std::vector<double> xyz;
    xyz.reserve(static_cast<std::size_t>(points.Count()) * 3);
    for (const Point3D& p : points) xyz.insert(xyz.end(), {p.x, p.y, p.z});
    out = Variant::ArrayOfR8(std::move(xyz));
}

void IntsToSafeArray(Variant& out, const StepArray<std::int32_t>& values) {
    out = Variant();
    out = Variant::ArrayOfI4(std::vector<std::int32_t>(values.begin(), values.end()));
}

void VariantsToSafeArray(Variant& out, const std::vector<Variant>& values) {
    out = values.empty() ? Variant() : Variant::Array(values);
}

void StringListToSafeArray(Variant& out, const CursorList<std::string>& list) {
    out = Variant();
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(list.Count()));
    // The list's own links bound the walk.
    for (auto* node = list.Head(); node; node = node->next) texts.push_back(node->value);
    out = Variant::ArrayOfBStr(std::move(texts));
}

void StringVectorToSafeArray(Variant& out, const std::vector<std::string>& strings) {
    out = strings.empty() ? Variant() : Variant::ArrayOfBStr(strings);
}

int SafeArrayToDispatches(const Variant& value, CheckedArray<HostObject*>& array) {
    if (value.Type() == VarType::Dispatch) {
        const std::vector<HostObjectPtr> one{value.AsDispatch()};
        return FillArray(array, one, [](const HostObjectPtr& o) { return o.get(); });
    }
    const auto* items = OneDimensional<HostObjectPtr>(value, VarType::ArrayDispatch);
    if (!items) return 0;
    return FillArray(array, *items, [](const HostObjectPtr& o) { return o.get(); });
}

int SafeArrayToDoubles(const Variant& value, CheckedArray<double>& array) {
    if (value.Type() == VarType::R8) {
        const std::vector<double> one{value.AsR8()};
        return FillArray(array, one, [](double d) { return d; });
    }
    const auto* items = OneDimensional<double>(value, VarType::ArrayR8);
    if (!items) return 0;
    return FillArray(array, *items, [](double d) { return d; });
}

}  // namespace zarvento
