// CTessellationObjectFace: a face read from the host's own tessellation.
#include <algorithm>
#include <memory>
#include <vector>

#include "model/tessellation_object_face.h"
#include "platform/face_tessellation.h"
#include "platform/part_model.h"

namespace zarvento {

namespace {

// The items of a one-dimensional array of `type` holding data in threes.
const std::vector<Variant>* Triples(const Variant& value, VarType type) {
    if (value.Type() != VarType::Array || value.ArrayElementType() != type || value.ArrayDimensions() != 1)
        return nullptr;
    const std::vector<Variant>& items = value.AsArray();
    if (items.empty() || items.size() % 3 != 0) return nullptr;
    return &items;
}

}  // namespace

void CTessellationObjectFace::LoadFromHostFace(const std::shared_ptr<HostFace>& face) {
    colour = face->Colour();
    const LightValues& hostLight = face->Light();
    for (std::size_t k = 0; k < light.size(); ++k) light[k] = hostLight[k];
    const std::shared_ptr<FaceTessellation> tessellation = FaceTessellation::Of(*face);
    if (!tessellation) return;
    tessellationValue = tessellation->Value();
    Variant points, indices, normals;
    tessellation->PointsAndIndices(points, indices);
    tessellation->Normals(normals);
    AppendHostTriangles(points, indices, normals);
}

bool CTessellationObjectFace::AppendHostTriangles(const Variant& pointArray, const Variant& indexArray,
                                                  const Variant& normalArray) {
    const std::vector<Variant>* points = Triples(pointArray, VarType::R8);
    const std::vector<Variant>* corners = Triples(indexArray, VarType::I4);
    const std::vector<Variant>* normalItems = Triples(normalArray, VarType::R8);
    if (!points || !corners || !normalItems) return false;
    // Every corner must name a point that has its three coordinates and its
    // normal: one that does not leaves the whole face empty.
    const std::size_t pointCount = std::min(points->size(), normalItems->size()) / 3;
    for (const Variant& c : *corners) {
        const std::int32_t i = c.AsI4();
        if (i < 0 || static_cast<std::size_t>(i) >= pointCount) return false;
    }
    for (const Variant& c : *corners) {
        const auto i = static_cast<std::size_t>(c.AsI4()) * 3;
        Point3D p{(*points)[i].AsR8(), (*points)[i + 1].AsR8(), (*points)[i + 2].AsR8()};
        Point3D n{(*normalItems)[i].AsR8(), (*normalItems)[i + 1].AsR8(), (*normalItems)[i + 2].AsR8()};
        if (lscInput) {
            // A normal is a direction: its tip is converted with its point.
            const Point3D tip = LscToModel(p.x + n.x, p.y + n.y, p.z + n.z);
            p = LscToModel(p.x, p.y, p.z);
            n = {tip.x - p.x, tip.y - p.y, tip.z - p.z};
        }
        AppendVertex(p, n);
    }
    return true;
}

}  // namespace zarvento
