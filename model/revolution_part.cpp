// Faces of revolution from a turning profile.
#include "model/revolution_part.h"

#include <cmath>
#include <memory>

#include "geometry/primitives.h"
#include "geometry/unit.h"
#include "platform/revolution_face.h"

namespace zarvento {

int AddPartFaces(HostDocument& document, const Contour& profile, std::array<double, 3> origin,
                 std::array<double, 3> direction) {
    int added = 0;
    for (int i = 0; i < profile.Count(); ++i) {
        const CUnit* unit = profile.GetUnit(i);
        if (!unit) continue;
        Meridian m;
        m.z1 = unit->StartPoint.z, m.x1 = unit->StartPoint.x;
        m.z2 = unit->EndPoint.z, m.x2 = unit->EndPoint.x;
        SurfaceKind kind;
        if (unit->Kind == 'A') {
            m.isArc = true;
            m.zc = unit->CentrePoint.z, m.xc = unit->CentrePoint.x;
            m.radius = std::hypot(m.z1 - m.zc, m.x1 - m.xc);
            m.dirVector = unit->DirVector;
            kind = std::fabs(m.xc) < EPS ? SurfaceKind::Sphere : SurfaceKind::Torus;
        } else if (unit->Kind == 'L') {
            if (std::fabs(m.x1) < EPS && std::fabs(m.x2) < EPS) continue;  // on the axis
            if (std::fabs(m.z1 - m.z2) < EPS)
                kind = SurfaceKind::Plane;
            else if (std::fabs(m.x1 - m.x2) < EPS)
                kind = SurfaceKind::Cylinder;
            else
                kind = SurfaceKind::Cone;
        } else {
            continue;
        }
        document.AddEntity(std::make_shared<HostRevolutionFace>(kind, origin, direction, m));
        ++added;
    }
    return added;
}

}  // namespace zarvento
