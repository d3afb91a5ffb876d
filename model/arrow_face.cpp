// CArrowFace: two triangles meeting at the tip and at a notch behind it.
#include "model/arrow_face.h"

#include <cmath>

#include "geometry/primitives.h"
#include "model/shape_builders.h"

namespace zarvento {

void CArrowFace::CreateArrow(double z, double x, double angle, std::uint32_t newColour, bool mirrored) {
    if (!hostDrawable) {
        Clear();
        const double L = ArrowLength;
        const double spread = 0.04 * PI;
        struct P {
            double z, x;
        };
        const P tip{z, x};
        const P wing1{z + L * std::cos(angle + spread), x + L * std::sin(angle + spread)};
        const P wing2{z + L * std::cos(angle - spread), x + L * std::sin(angle - spread)};
        const P notch{z + 0.8 * L * std::cos(angle), x + 0.8 * L * std::sin(angle)};
        const Point3D normal = LscDirectionToModel(0, mirrored ? 1 : -1, 0);
        vertices.Reserve(6);
        normals.Reserve(6);
        indices.Reserve(6);
        const auto add = [&](const P& p) { AppendVertex(LscToModel(-p.x, 0, p.z), normal); };
        const P order[6] = {mirrored ? tip : notch, wing1, mirrored ? notch : tip,
                            mirrored ? notch : tip, wing2, mirrored ? tip : notch};
        for (const P& p : order) add(p);
        CreateHostDrawable();
    }
    light[4] = 1.0;
    Draw(newColour);
}

}  // namespace zarvento
