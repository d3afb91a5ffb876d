// LocalCoordinateSystem: origin and axis queries.
#include "platform/local_coordinate_system.h"

#include "platform/host_faults.h"
#include "platform/host_named_object.h"

namespace zarvento {

LocalCoordinateSystem::LocalCoordinateSystem(std::array<double, 3> origin, std::array<double, 3> axisX,
                                             std::array<double, 3> axisY, std::array<double, 3> axisZ)
    : origin_(origin), axes_{{axisX, axisY, axisZ}} {}

double LocalCoordinateSystem::OriginX() const {
    HostFaults::Check("LocalCoordinateSystem.Origin");
    return origin_[0];
}

double LocalCoordinateSystem::OriginY() const {
    HostFaults::Check("LocalCoordinateSystem.Origin");
    return origin_[1];
}

double LocalCoordinateSystem::OriginZ() const {
    HostFaults::Check("LocalCoordinateSystem.Origin");
    return origin_[2];
}

bool LocalCoordinateSystem::GetAxis(int code, double& x, double& y, double& z) const {
    HostFaults::Check("LocalCoordinateSystem.GetAxis");
    if (code < kAxisX || code > kAxisZ) return false;
    const auto& a = axes_[static_cast<std::size_t>(code - kAxisX)];
    x = a[0];
    y = a[1];
    z = a[2];
    return true;
}

void LocalCoordinateSystem::SetAxes(std::array<double, 3> x, std::array<double, 3> y, std::array<double, 3> z) {
    axes_ = {{x, y, z}};
}

HostObjectPtr LocalCoordinateSystem::Plane(int number) const {
    HostFaults::Check("LocalCoordinateSystem.Plane");
    if (number < kPlaneXY || number > kPlaneYZ) return nullptr;
    HostObjectPtr& plane = planes_[static_cast<std::size_t>(number - kPlaneXY)];
    static const char* const kNames[] = {"XY", "ZX", "YZ"};
    if (!plane) plane = std::make_shared<HostNamedObject>(kPlaneObjectType, kNames[number - kPlaneXY]);
    return plane;
}

}  // namespace zarvento
