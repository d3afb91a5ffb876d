// LocalCoordinateSystem: origin and axis queries.
#include "platform/drawings/local_coordinate_system.h"

#include <cmath>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/host_named_object.h"

namespace zarvento {

namespace {

using Vector = std::array<double, 3>;

double Dot(const Vector& a, const Vector& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vector Cross(const Vector& a, const Vector& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vector Scaled(const Vector& a, double k) { return {a[0] * k, a[1] * k, a[2] * k}; }
Vector Minus(const Vector& a, const Vector& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

// Directions shorter than this have none; an X direction whose part square
// to Z is shorter than this share of it lies along Z.
constexpr double kNoLength = 1e-9;
constexpr double kAlong = 1e-6;

}  // namespace

LocalCoordinateSystem::Frame LocalCoordinateSystem::MakeFrame(const Vector& origin, const Vector& z,
                                                              const std::optional<Vector>& x) {
    for (double c : origin)
        if (!std::isfinite(c)) throw HostError(E_INVALIDARG_, "the origin of a coordinate system is not a point");
    const double zLength = std::sqrt(Dot(z, z));
    if (!std::isfinite(zLength) || zLength < kNoLength)
        throw HostError(E_INVALIDARG_, "the Z direction of a coordinate system has no length");
    Frame frame;
    frame.origin = origin;
    frame.z = Scaled(z, 1.0 / zLength);
    Vector given{0, 0, 0};
    if (x) {
        given = *x;
        const double xLength = std::sqrt(Dot(given, given));
        if (!std::isfinite(xLength))
            throw HostError(E_INVALIDARG_, "the X direction of a coordinate system is not one");
        if (xLength < kNoLength) throw HostError(E_INVALIDARG_, "the X direction of a coordinate system has no length");
    } else {
        // The model axis least along Z.
        std::size_t least = 0;
        for (std::size_t i = 1; i < 3; ++i)
            if (std::fabs(frame.z[i]) < std::fabs(frame.z[least])) least = i;
        given[least] = 1;
    }
    const Vector square = Minus(given, Scaled(frame.z, Dot(given, frame.z)));
    const double squareLength = std::sqrt(Dot(square, square));
    if (squareLength < kAlong * std::sqrt(Dot(given, given)))
        throw HostError(E_INVALIDARG_, "the X direction of a coordinate system lies along its Z direction");
    frame.x = Scaled(square, 1.0 / squareLength);
    frame.y = Cross(frame.z, frame.x);
    return frame;
}

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
