// The drawn 3D model's state in the headless view.
#include "model/model_tess.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "platform/host_faults.h"

namespace zarvento {

bool CModelTess::LoadFromFile(const std::string& path) {
    HostFaults::Check("CModelTess.LoadFromFile");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    path_ = path;
    return true;
}

void CModelTess::DrawAt(double z, double x, double y) {
    HostFaults::Check("CModelTess.DrawAt");
    drawn_ = true;
    visible_ = true;
    MoveTo(z, x, y);
}

void CModelTess::MoveTo(double z, double x, double y) {
    x_ = x;
    y_ = y;
    z_ = z;
}

void CModelTess::Erase() {
    drawn_ = false;
    visible_ = false;
}

void CModelTess::CollectTriangles(int withBoxes) {
    const double cx = std::cos(angleX_), sx = std::sin(angleX_);
    const double cy = std::cos(angleY_), sy = std::sin(angleY_);
    triangles_.SetCountZero();
    box_ = CollisionBox{};
    CollisionBox box{1e9, 1e9, 1e9, -1e9, -1e9, -1e9};
    for (const CollisionTriangle& source : mesh) {
        CollisionTriangle t;
        for (int k = 0; k < 3; ++k) {
            const auto& v = source.vertices[static_cast<std::size_t>(k)];
            // About X, then about Y, then to the model's place.
            const double y1 = v[1] * cx - v[2] * sx, z1 = v[1] * sx + v[2] * cx;
            const double x2 = v[0] * cy + z1 * sy, z2 = -v[0] * sy + z1 * cy;
            t.vertices[static_cast<std::size_t>(k)] = {x2 + x_, y1 + y_, z2 + z_};
        }
        if (withBoxes != 0) {
            ComputeTriangleBox(t);
            for (int axis = 0; axis < 3; ++axis) {
                box[axis] = std::min(box[axis], t.box[axis]);
                box[axis + 3] = std::max(box[axis + 3], t.box[axis + 3]);
            }
        }
        triangles_.Add(t);
    }
    if (withBoxes != 0 && triangles_.Count() > 0) box_ = box;
    trianglesCollected_ = withBoxes != 0 ? 2 : 1;
}

}  // namespace zarvento
