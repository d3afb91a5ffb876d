// CTessellationObjectFace: a triangle mesh of the 3D view, with the builders
// of surfaces of revolution (a contour's line or arc turned about the LSC Z
// axis) and the reading of a host face's own tessellation.
#pragma once

#include <cstdint>
#include <memory>

#include "model/tessellation_object.h"
#include "platform/core/variant.h"

namespace zarvento {

class HostFace;

class CTessellationObjectFace : public CTessellationObject {
public:
    // A stored colour of 0 stays 0 whatever colour is given.
    void Draw(std::uint32_t colour) override;

    // The segment from (z1, r1) to (z2, r2) of the turning plane turned once
    // about the axis; "Obj==NULL" in the host's text output when the host
    // gives no drawable.
    void CreateRevolvedLine(double z1, double r1, double z2, double r2, std::uint32_t colour);
    // The arc about (cz, cx) from (sz, sx) to (ez, ex) in direction dir (+1
    // or -1) turned about the axis, as up to 20 segments.
    void CreateRevolvedArc(double cz, double cx, double r, double sz, double sx, double ez, double ex, int dir,
                           std::uint32_t colour);
    // Appends the 58 triangles (174 vertices) of one turned segment; nothing
    // for a segment of no length.
    void AddRevolvedSegment(double z1, double r1, double z2, double r2);

    // Fills the face from the host face's colour, light values and
    // tessellation (model coordinates, or LSC ones under the LSC-input flag).
    // Arrays that do not fit together leave it empty.
    void LoadFromHostFace(const std::shared_ptr<HostFace>& face);
    // The host's arrays (points, three corner indices per triangle, a normal
    // per point) as triangles of this face; false, adding nothing, when they
    // are not arrays of data in threes or a corner names no point.
    bool AppendHostTriangles(const Variant& points, const Variant& indices, const Variant& normals);

    bool mirror = false;
    double tessellationValue = 0.0;
};

// The number of points CreateRevolvedArc places along an arc of length L.
int RevolvedArcPointCount(double length);

}  // namespace zarvento
