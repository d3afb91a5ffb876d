// FaceTessellation: the host's tessellation of a face of a part's body, as the
// face's definition gives it: the deflection it was made with, the points and
// triangle corners (indices from 0 into the points) and a normal per point,
// all packed as the host's arrays. A reversed face has its triangles and
// normals turned, so that they face out of the body.
#pragma once

#include <memory>

#include "platform/core/variant.h"

namespace zarvento {

class HostFace;

class FaceTessellation {
public:
    // The face's tessellation, made on first use; null for a face without a
    // surface (the host's "no face definition").
    static std::shared_ptr<FaceTessellation> Of(const HostFace& face);

    // The linear deflection the mesh keeps to (model units).
    double Value() const;
    // Reals x, y, z per point; integers, three per triangle.
    void PointsAndIndices(Variant& points, Variant& indices) const;
    // Reals x, y, z per point.
    void Normals(Variant& normals) const;

    struct Mesh;
    explicit FaceTessellation(std::shared_ptr<const Mesh> mesh) : mesh_(std::move(mesh)) {}

private:
    std::shared_ptr<const Mesh> mesh_;
};

}  // namespace zarvento
