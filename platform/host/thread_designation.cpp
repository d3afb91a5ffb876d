// Thread designations of a part and the surface diameter they are read with.
#include "platform/host/thread_designation.h"

#include <cmath>

#include "platform/part_model.h"

namespace zarvento {

HostThreadDesignation::HostThreadDesignation(std::string name, double diameter, double pitch,
                                             std::shared_ptr<HostFace> surface)
    : diameter_(diameter), pitch_(pitch), surface_(std::move(surface)) {
    SetName(std::move(name));
}

double HostThreadDesignation::SurfaceDiameter() const {
    if (!surface_) return 0.0;
    Point3 origin{}, axisPoint{};
    if (!surface_->IsKind(SurfaceKind::Cylinder) && !surface_->IsKind(SurfaceKind::Cone)) return 0.0;
    if (!surface_->Placement(origin, axisPoint)) return 0.0;
    // A point of the face: the one nearest to a corner of its box.
    Point3 low{}, high{};
    surface_->Box(low, high);
    double u = 0.0, v = 0.0;
    if (!surface_->Project(high, u, v)) return 0.0;
    const Point3 p = surface_->PointAt(u, v);
    double axis[3], d[3], length = 0.0, along = 0.0, squared = 0.0;
    for (int k = 0; k < 3; ++k) {
        axis[k] = axisPoint[static_cast<std::size_t>(k)] - origin[static_cast<std::size_t>(k)];
        d[k] = p[static_cast<std::size_t>(k)] - origin[static_cast<std::size_t>(k)];
        length += axis[k] * axis[k];
        squared += d[k] * d[k];
    }
    length = std::sqrt(length);
    if (length <= 0.0) return 0.0;
    for (int k = 0; k < 3; ++k) along += d[k] * axis[k] / length;
    squared -= along * along;
    return 2.0 * std::sqrt(squared > 0.0 ? squared : 0.0);
}

std::shared_ptr<HostThreadDesignation> ThreadDesignationOf(const HostObjectPtr& object) {
    return std::dynamic_pointer_cast<HostThreadDesignation>(object);
}

}  // namespace zarvento
