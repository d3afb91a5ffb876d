// A sketch of a part document (host entity type 5). Loaders that receive an
// object reference ask for this class the way the host is asked for its
// sketch interface. A sketch holds its lines and arcs (in the sketch's own
// x, y plane) and may hold the source they are built from, which a rebuild
// of the document evaluates again. A sketch lies on a plane of a coordinate
// system and is placed on it by an origin and a point on its x axis.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/core/host_named_object.h"
#include "platform/drawings/document_2d.h"
#include "platform/drawings/local_coordinate_system.h"

namespace zarvento {

class HostSketch : public HostNamedObject {
public:
    static constexpr int kObjectType = 5;

    explicit HostSketch(std::string name) : HostNamedObject(kObjectType, std::move(name)) {}

    // The sketch's lines and arcs; saved with the document.
    Document2D& Objects() { return objects_; }
    const Document2D& Objects() const { return objects_; }

    // The parametric text the objects are rebuilt from (empty: the objects
    // are fixed). Its form belongs to whoever registered the rebuild.
    const std::string& Source() const { return source_; }
    void SetSource(std::string source) { source_ = std::move(source); }

    // Puts the sketch on plane `number` of the system (LocalCoordinateSystem::
    // kPlaneXY ...), placed at the system's origin with its x axis along the
    // plane's first axis (X, Z and Y) and its y axis along the second.
    void SetPlane(std::shared_ptr<LocalCoordinateSystem> system, int number);
    // The plane object (compare by identity), null when the sketch lies on no
    // system's plane.
    HostObjectPtr Plane() const { return system_ ? system_->Plane(planeNumber_) : nullptr; }
    const std::shared_ptr<LocalCoordinateSystem>& PlaneSystem() const { return system_; }
    int PlaneNumber() const { return planeNumber_; }

    // The placement in global coordinates: the sketch's origin and the point
    // one unit along its x axis.
    void SetPlacement(std::array<double, 3> origin, std::array<double, 3> xAxisPoint) {
        origin_ = origin;
        xAxisPoint_ = xAxisPoint;
    }
    const std::array<double, 3>& PlacementOrigin() const { return origin_; }
    const std::array<double, 3>& PlacementAxisPoint() const { return xAxisPoint_; }

    // The editing bracket of the host; counted so callers can check it balances.
    void BeginEdit() { ++editDepth_; }
    void EndEdit() { --editDepth_; }
    int EditDepth() const { return editDepth_; }

private:
    Document2D objects_;
    std::string source_;
    int editDepth_ = 0;
    std::shared_ptr<LocalCoordinateSystem> system_;
    int planeNumber_ = 0;
    std::array<double, 3> origin_{0, 0, 0};
    std::array<double, 3> xAxisPoint_{1, 0, 0};
};

inline void HostSketch::SetPlane(std::shared_ptr<LocalCoordinateSystem> system, int number) {
    system_ = std::move(system);
    planeNumber_ = number;
    if (!system_) return;
    const auto& axes = system_->Axes();
    // The first axis of each plane: XY -> X, ZX -> Z, YZ -> Y.
    const std::size_t first = number == LocalCoordinateSystem::kPlaneZX   ? 2
                              : number == LocalCoordinateSystem::kPlaneYZ ? 1
                                                                          : 0;
    const auto& o = system_->Origin();
    origin_ = o;
    xAxisPoint_ = {o[0] + axes[first][0], o[1] + axes[first][1], o[2] + axes[first][2]};
}

}  // namespace zarvento
