// Names of the surface kinds of faces of revolution.
#include "platform/revolution_face.h"

namespace zarvento {

const char* SurfaceKindName(SurfaceKind kind) {
    switch (kind) {
        case SurfaceKind::Plane: return "Плоскость";
        case SurfaceKind::Cylinder: return "Цилиндр";
        case SurfaceKind::Cone: return "Конус";
        case SurfaceKind::Torus: return "Тор";
        case SurfaceKind::Sphere: return "Сфера";
    }
    return "Поверхность";
}

}  // namespace zarvento
