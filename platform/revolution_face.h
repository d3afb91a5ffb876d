// A face of revolution of a part document (host object type 6): a plane,
// cylinder, cone, torus or sphere turned about an axis, given by its axis and
// its meridian, the segment or arc that sweeps it.
#pragma once

#include <array>

#include "platform/host_object.h"

namespace zarvento {

enum class SurfaceKind : int { Plane = 0, Cylinder = 1, Cone = 2, Torus = 3, Sphere = 4 };

// "Плоскость", "Цилиндр", "Конус", "Тор", "Сфера".
const char* SurfaceKindName(SurfaceKind kind);

// The meridian lies in the half plane of the axis in the turning plane's own
// form: z along the axis from its origin, x the negated distance from it
// (x <= 0). An arc has its centre, radius and sense (1 clockwise in (z, x)).
struct Meridian {
    bool isArc = false;
    double z1 = 0, x1 = 0, z2 = 0, x2 = 0;
    double zc = 0, xc = 0, radius = 0;
    int dirVector = 1;
};

class HostRevolutionFace : public HostObject {
public:
    static constexpr int kObjectType = 6;

    HostRevolutionFace(SurfaceKind kind, std::array<double, 3> axisOrigin, std::array<double, 3> axisDirection,
                       const Meridian& meridian)
        : kind_(kind), origin_(axisOrigin), direction_(axisDirection), meridian_(meridian) {}

    int ObjectType() const override { return kObjectType; }

    SurfaceKind Kind() const { return kind_; }
    const std::array<double, 3>& AxisOrigin() const { return origin_; }
    const std::array<double, 3>& AxisDirection() const { return direction_; }
    const Meridian& GetMeridian() const { return meridian_; }

private:
    SurfaceKind kind_;
    std::array<double, 3> origin_;
    std::array<double, 3> direction_;
    Meridian meridian_;
};

}  // namespace zarvento
