// C3DPointFace_SP: four bands of eight sectors between the poles on the X
// axis. The points are those of a sphere of radius 5 to three decimals,
// halved, and the normals the unit radii to three decimals; both as the
// marker has always been drawn.
#include "model/point_face_sp.h"

#include <cmath>

#include "geometry/primitives.h"

namespace zarvento {

namespace {

constexpr int kBands = 4;
constexpr int kSectors = 8;

double Round3(double v) { return std::round(v * 1000.0) / 1000.0 + 0.0; }

// The point of ring i (0 at the -X pole) and sector j on a sphere of `radius`,
// each coordinate to three decimals as it is computed.
Point3D SpherePoint(int i, int j, double radius) {
    const double polar = i * PI / kBands, around = j * 2 * PI / kSectors;
    const double ring = Round3(radius * std::sin(polar));
    return {Round3(-radius * std::cos(polar)), Round3(ring * std::cos(around)), Round3(ring * std::sin(around))};
}

}  // namespace

C3DPointFace_SP::C3DPointFace_SP() {
    referencePoint = {0, 0, 0};
    const auto add = [&](int i, int j) {
        const Point3D p = SpherePoint(i, j, 5.0);
        AppendVertex({p.x / 2, p.y / 2, p.z / 2}, SpherePoint(i, j, 1.0));
    };
    for (int i = 0; i < kBands; ++i)
        for (int j = 0; j < kSectors; ++j) {
            add(i, j), add(i, j + 1), add(i + 1, j + 1);
            add(i, j), add(i + 1, j + 1), add(i + 1, j);
        }
}

}  // namespace zarvento
