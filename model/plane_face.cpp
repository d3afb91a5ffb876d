// CPlaneFace: two triangles each; their normals are sent as they are.
#include "model/plane_face.h"

namespace zarvento {

namespace {

struct Corner {
    double x, y, z;
};

}  // namespace

static void FillPlane(CPlaneFace& face, const Corner (&corners)[6], const Point3D& normal) {
    face.Clear();
    for (const Corner& c : corners) {
        face.vertices.Add(LscToModel(c.x, c.y, c.z));
        face.normals.Add(normal);
        face.indices.Add(face.vertexCount++);
    }
}

void CPlaneFace::DrawPlaneX(std::uint32_t newColour) {
    const double h = width / 2;
    const Corner corners[6] = {{0, -h, 0}, {0, h, -length}, {0, -h, -length}, {0, -h, 0}, {0, h, 0}, {0, h, -length}};
    FillPlane(*this, corners, {1, 0, 0});
    CreateHostDrawable();
    light[4] = kPlaneOpacity;
    Draw(newColour);
}

void CPlaneFace::DrawPlaneZ(std::uint32_t newColour) {
    const double h = length / 2;
    const Corner corners[6] = {{h, -h, 0}, {-h, h, 0}, {-h, -h, 0}, {h, -h, 0}, {h, h, 0}, {-h, h, 0}};
    FillPlane(*this, corners, {0, 1, 0});
    CreateHostDrawable();
    light[4] = kPlaneOpacity;
    Draw(newColour);
}

}  // namespace zarvento
