// HostDrawable: the arrays a drawable is sent, checked as a host checks them,
// and its display state.
#include "platform/drawings/host_drawable.h"

#include <algorithm>
#include <string>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/drawings/host_drawing_container.h"

namespace zarvento {

namespace {

[[noreturn]] void Refuse(const std::string& what) { throw HostError(E_INVALIDARG_, "drawable: " + what); }

// A one-dimensional array whose items are all of `type`; an empty value reads
// as an empty array when `emptyAllowed`.
const std::vector<Variant>& ArrayItems(const Variant& value, VarType type, const char* name, bool emptyAllowed) {
    static const std::vector<Variant> none;
    if (value.IsEmpty() && emptyAllowed) return none;
    if (value.Type() != VarType::Array) Refuse(std::string(name) + " is no array");
    if (value.ArrayDimensions() > 1) Refuse(std::string(name) + " has more than one dimension");
    const std::vector<Variant>& items = value.AsArray();
    for (const Variant& item : items)
        if (item.Type() != type) Refuse(std::string(name) + " holds a " + VarTypeName(item.Type()));
    return items;
}

std::vector<double> Reals(const Variant& value, const char* name, bool emptyAllowed) {
    const std::vector<Variant>& items = ArrayItems(value, VarType::R8, name, emptyAllowed);
    if (items.size() % 3 != 0) Refuse(std::string(name) + " is not made of x, y, z triples");
    std::vector<double> out;
    out.reserve(items.size());
    for (const Variant& item : items) out.push_back(item.AsR8());
    return out;
}

std::vector<std::int32_t> Integers(const Variant& value, const char* name, bool emptyAllowed) {
    const std::vector<Variant>& items = ArrayItems(value, VarType::I4, name, emptyAllowed);
    std::vector<std::int32_t> out;
    out.reserve(items.size());
    for (const Variant& item : items) out.push_back(item.AsI4());
    return out;
}

void CheckNumbers(const std::vector<std::int32_t>& numbers, std::size_t count, const char* name) {
    for (std::int32_t n : numbers)
        if (n < 0 || static_cast<std::size_t>(n) >= count)
            Refuse(std::string(name) + " names point " + std::to_string(n) + " of " + std::to_string(count));
}

}  // namespace

void HostDrawable::CheckLive(const char* call) const {
    HostFaults::Check(std::string("HostDrawable.") + call);
    if (Removed()) throw HostError(E_POINTER_, std::string("HostDrawable.") + call + ": the drawable was removed");
}

void HostDrawable::SetMesh(const Variant& vertices, const Variant& indices, const Variant& normals,
                           const Variant& normalIndices) {
    CheckLive("SetMesh");
    std::vector<double> v = Reals(vertices, "vertices", false);
    std::vector<std::int32_t> i = Integers(indices, "indices", false);
    std::vector<double> n = Reals(normals, "normals", true);
    std::vector<std::int32_t> ni = Integers(normalIndices, "normal indices", true);
    if (i.size() % 3 != 0) Refuse("indices are not made of triangles");
    CheckNumbers(i, v.size() / 3, "indices");
    if (!ni.empty()) {
        if (ni.size() != i.size()) Refuse("normal indices do not follow the indices");
        CheckNumbers(ni, n.size() / 3, "normal indices");
    } else if (!n.empty() && n.size() != v.size()) {
        Refuse("normals do not follow the vertices");
    }
    shape_ = DrawableShape::Mesh;
    vertices_ = std::move(v);
    indices_ = std::move(i);
    normals_ = std::move(n);
    normalIndices_ = std::move(ni);
    polylines_.clear();
    ++geometryUpdates_;
}

void HostDrawable::SetPolyline(const Variant& vertices, const Variant& indices, const Variant&) {
    CheckLive("SetPolyline");
    std::vector<double> v = Reals(vertices, "vertices", false);
    std::vector<std::int32_t> i = Integers(indices, "indices", false);
    std::vector<std::vector<std::int32_t>> runs;
    for (std::size_t k = 0; k < i.size();) {
        const std::int32_t n = i[k++];
        if (n < 0 || static_cast<std::size_t>(n) > i.size() - k) Refuse("a polyline run is longer than its indices");
        runs.emplace_back(i.begin() + static_cast<std::ptrdiff_t>(k), i.begin() + static_cast<std::ptrdiff_t>(k + n));
        CheckNumbers(runs.back(), v.size() / 3, "indices");
        k += static_cast<std::size_t>(n);
    }
    shape_ = DrawableShape::Polyline;
    vertices_ = std::move(v);
    indices_ = std::move(i);
    normals_.clear();
    normalIndices_.clear();
    polylines_ = std::move(runs);
    ++geometryUpdates_;
}

void HostDrawable::SetColour(std::uint32_t colour, const DrawableLight& light) {
    CheckLive("SetColour");
    colour_ = colour;
    light_ = light;
}

void HostDrawable::SetLineWidth(const Variant& width) {
    CheckLive("SetLineWidth");
    const std::int32_t w = width.ToI4();
    if (w < 0) Refuse("negative line width");
    lineWidth_ = w;
}

void HostDrawable::Enable(std::int32_t on) {
    CheckLive("Enable");
    enabled_ = on != 0;
}

void HostDrawable::SetFaceOption(std::int32_t first, std::int32_t second) {
    CheckLive("SetFaceOption");
    faceOption_ = {first, second};
}

void HostDrawable::SetVisibility(std::int64_t viewKey, std::int32_t visible) {
    CheckLive("SetVisibility");
    visibility_[viewKey] = visible != 0;
}

void HostDrawable::Remove(bool& removed) {
    CheckLive("Remove");
    container_->Remove(*this);
    removed = true;
}

std::int32_t HostDrawable::CornerNormal(int k) const {
    if (!normalIndices_.empty()) return normalIndices_[static_cast<std::size_t>(k)];
    return normals_.empty() ? -1 : indices_[static_cast<std::size_t>(k)];
}

bool HostDrawable::VisibleIn(std::int64_t viewKey) const {
    const auto it = visibility_.find(viewKey);
    return it == visibility_.end() || it->second;
}

std::shared_ptr<HostDrawable> HostDrawingContainer::Create() {
    HostFaults::Check("HostDrawingContainer.Create");
    if (refusals_ > 0) {
        --refusals_;
        return nullptr;
    }
    auto drawable = std::make_shared<HostDrawable>(this, ++created_);
    live_.push_back(drawable);
    return drawable;
}

// Live drawables stay in creation order, so a number is found by halving.
void HostDrawingContainer::Remove(HostDrawable& drawable) {
    const auto it =
        std::lower_bound(live_.begin(), live_.end(), drawable.Number(),
                         [](const std::shared_ptr<HostDrawable>& d, std::int64_t n) { return d->Number() < n; });
    if (it == live_.end() || it->get() != &drawable) return;
    drawable.Detach();
    live_.erase(it);
    ++removed_;
}

void HostDrawingContainer::RemoveAll() {
    for (const auto& d : live_) d->Detach();
    removed_ += static_cast<std::int64_t>(live_.size());
    live_.clear();
}

HostDrawingContainer::~HostDrawingContainer() { RemoveAll(); }

}  // namespace zarvento
