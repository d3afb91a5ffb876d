// The seven packing helpers.
#include "geometry/value_packing.h"

namespace zarvento {

namespace {

// The items of a one-dimensional array of `element`, holding at least one.
const std::vector<Variant>* OneDimensional(const Variant& value, VarType element) {
    if (value.Type() != VarType::Array || value.ArrayElementType() != element || value.ArrayDimensions() != 1)
        return nullptr;
    const std::vector<Variant>& items = value.AsArray();
    return items.empty() ? nullptr : &items;
}

// `array` sized to the items and filled in order; the count.
template <typename T, typename Convert>
int FillArray(CheckedArray<T>& array, const std::vector<Variant>& items, Convert convert) {
    array.SetSize(static_cast<int>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) array[static_cast<int>(i)] = convert(items[i]);
    return static_cast<int>(items.size());
}

}  // namespace

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

void VariantsToSafeArray(Variant& out, const std::vector<Variant>& values) {
    out = values.empty() ? Variant() : Variant::Array(values);
}

void StringListToSafeArray(Variant& out, const CursorList<std::string>& list) {
    out = Variant();
    std::vector<Variant> texts;
    texts.reserve(static_cast<std::size_t>(list.Count()));
    // The list's own links bound the walk.
    for (auto* node = list.Head(); node; node = node->next) texts.push_back(Variant::BStr(node->value));
    out = Variant::Array(std::move(texts), VarType::BStr);
}

void StringVectorToSafeArray(Variant& out, const std::vector<std::string>& strings) {
    out = Variant();
    if (strings.empty()) return;
    std::vector<Variant> texts;
    texts.reserve(strings.size());
    for (const std::string& s : strings) texts.push_back(Variant::BStr(s));
    out = Variant::Array(std::move(texts), VarType::BStr);
}

int SafeArrayToDispatches(const Variant& value, CheckedArray<HostObject*>& array) {
    const auto object = [](const Variant& v) { return v.AsDispatch().get(); };
    if (value.Type() == VarType::Dispatch) return FillArray(array, std::vector<Variant>{value}, object);
    const std::vector<Variant>* items = OneDimensional(value, VarType::Dispatch);
    return items ? FillArray(array, *items, object) : 0;
}

int SafeArrayToDoubles(const Variant& value, CheckedArray<double>& array) {
    const auto real = [](const Variant& v) { return v.AsR8(); };
    if (value.Type() == VarType::R8) return FillArray(array, std::vector<Variant>{value}, real);
    const std::vector<Variant>* items = OneDimensional(value, VarType::R8);
    return items ? FillArray(array, *items, real) : 0;
}

}  // namespace zarvento
