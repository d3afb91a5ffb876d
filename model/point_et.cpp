// CPointET: a disc of seven sectors.
#include "model/point_et.h"

#include <cmath>

#include "geometry/primitives.h"
#include "model/shape_builders.h"
#include "platform/documents/settings_record.h"

namespace zarvento {

namespace {

constexpr int kPointColour = 3;
constexpr int kSectors = 7;

}  // namespace

void CPointET::DrawPoint(double z, double x) {
    if (!hostDrawable) {
        Clear();
        const double R = PointMarkerRadius;
        const Point3D normal = LscDirectionToModel(0, -1, 0);
        const auto add = [&](double pz, double px) { AppendVertex(LscToModel(-px, 0, pz), normal); };
        for (int k = 0; k < kSectors; ++k) {
            const double a0 = k * 2 * PI / kSectors, a1 = (k + 1) * 2 * PI / kSectors;
            add(z, x);
            add(z + R * std::cos(a0), x + R * std::sin(a0));
            add(z + R * std::cos(a1), x + R * std::sin(a1));
        }
        CreateHostDrawable();
    }
    light[4] = 1.0;
    Draw(SettingsRecord::Global().Colour(kPointColour));
}

}  // namespace zarvento
