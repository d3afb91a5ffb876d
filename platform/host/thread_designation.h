// A thread designation of a part (host object type 58): the thread's nominal
// diameter and pitch and the face of revolution the thread lies on
// ("pSurface"). Read through ThreadDesignationOf, the host's
// thread-designation interface of an object.
#pragma once

#include <memory>
#include <string>

#include "platform/core/host_object.h"

namespace zarvento {

class HostFace;

class HostThreadDesignation : public HostObject {
public:
    static constexpr int kObjectType = 58;

    HostThreadDesignation(std::string name, double diameter, double pitch, std::shared_ptr<HostFace> surface);

    int ObjectType() const override { return kObjectType; }

    double Diameter() const { return diameter_; }
    double Pitch() const { return pitch_; }
    // The thread surface ("pSurface"); null when the designation has none.
    const std::shared_ptr<HostFace>& Surface() const { return surface_; }
    // The diameter of the thread surface: twice the distance of its points
    // from its axis; 0 without a surface or for a face that is no surface of
    // revolution with an axis.
    double SurfaceDiameter() const;

private:
    double diameter_;
    double pitch_;
    std::shared_ptr<HostFace> surface_;
};

// The thread-designation interface of an object; null when it offers none.
std::shared_ptr<HostThreadDesignation> ThreadDesignationOf(const HostObjectPtr& object);

}  // namespace zarvento
