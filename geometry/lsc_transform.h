// LscTransform: the plan's NC coordinate system and the conversion of points
// between the model's global coordinates and it. One process-wide instance,
// the identity until a coordinate system is read.
#pragma once

#include <memory>

#include "platform/drawings/local_coordinate_system.h"

namespace zarvento {

class LscTransform {
public:
    struct Axis {
        double x = 0, y = 0, z = 0, length = 0;
    };

    static LscTransform& Global();

    LscTransform();

    static void VectorLength(Axis& axis);
    // Takes the host object, reads its origin and axes and builds the matrix.
    // A null object raises HostError(E_POINTER).
    void ReadFromHost(const std::shared_ptr<LocalCoordinateSystem>& lsc);
    void GlobalToLocal(double& x, double& y, double& z) const;
    // Inverse by Cramer's rule; a degenerate matrix leaves the point unchanged.
    void LocalToGlobal(double& x, double& y, double& z) const;

    void Reset();
    // Forgets the host object (deleted from the model); the matrix stays.
    void DropHostObject() { host_.reset(); }

    const std::shared_ptr<LocalCoordinateSystem>& HostObjectRef() const { return host_; }
    double originX = 0, originY = 0, originZ = 0;
    Axis axisX, axisY, axisZ;
    double matrix[3][3];

private:
    std::shared_ptr<LocalCoordinateSystem> host_;
};

}  // namespace zarvento
