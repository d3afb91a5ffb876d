// A local coordinate system of the host's 3D model (object type 85): an
// origin and three axis vectors in global coordinates.
#pragma once

#include <array>
#include <optional>

#include "platform/core/host_object.h"

namespace zarvento {

class LocalCoordinateSystem : public HostObject {
public:
    static constexpr int kObjectType = 85;
    // Axis codes of the host's axis query.
    static constexpr int kAxisX = 71;
    static constexpr int kAxisY = 72;
    static constexpr int kAxisZ = 73;
    // Numbers of the system's coordinate planes in the host's plane query.
    static constexpr int kPlaneXY = 1;
    static constexpr int kPlaneZX = 2;
    static constexpr int kPlaneYZ = 3;
    // Planes are found through their system, never picked by type.
    static constexpr int kPlaneObjectType = 0;

    // An origin and three axes, as a system is given by its origin, its Z
    // direction and its X direction.
    struct Frame {
        std::array<double, 3> origin{0, 0, 0};
        std::array<double, 3> x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    };
    // The right-handed frame of unit axes: Z normalised, X made square to Z
    // (its part along Z taken away) and normalised, Y = Z x X. Without an X
    // direction, X is the model axis most square to Z, made square.
    // HostError(E_INVALIDARG) when Z or a given X has no length or X lies
    // along Z.
    static Frame MakeFrame(const std::array<double, 3>& origin, const std::array<double, 3>& z,
                           const std::optional<std::array<double, 3>>& x);

    LocalCoordinateSystem() = default;
    LocalCoordinateSystem(std::array<double, 3> origin, std::array<double, 3> axisX, std::array<double, 3> axisY,
                          std::array<double, 3> axisZ);

    int ObjectType() const override { return kObjectType; }

    // The origin's coordinate properties; each may fail like any host call.
    double OriginX() const;
    double OriginY() const;
    double OriginZ() const;
    // Fills the axis of the given code; false for an unknown code.
    bool GetAxis(int code, double& x, double& y, double& z) const;
    // The plane object of that number: the same object on every call, so
    // planes compare by identity (a sketch on the system's ZX plane holds
    // this very object). Null for any other number.
    HostObjectPtr Plane(int number) const;

    void SetOrigin(std::array<double, 3> o) { origin_ = o; }
    // Plain access for the document file, outside the host's query calls.
    const std::array<double, 3>& Origin() const { return origin_; }
    const std::array<std::array<double, 3>, 3>& Axes() const { return axes_; }
    void SetAxes(std::array<double, 3> x, std::array<double, 3> y, std::array<double, 3> z);

private:
    std::array<double, 3> origin_{0, 0, 0};
    std::array<std::array<double, 3>, 3> axes_{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    mutable std::array<HostObjectPtr, 3> planes_;
};

}  // namespace zarvento
