// CRegionFace: a filled region of the turning plane (a machine cycle's region)
// as triangles in the LSC XZ plane.
#pragma once

#include <cstdint>

#include "geometry/intersect_point.h"
#include "model/tessellation_object_face.h"

namespace zarvento {

class CRegionFace : public CTessellationObjectFace {
public:
    // Triangulates the closed outline (last point equal to the first) when
    // not drawn, then draws it in the colour.
    void CreateRegion(IntersectPointList points, std::uint32_t colour);
    // Cuts ears off the outline: at most 1000 passes; after six passes that
    // remove nothing the first three points give the last triangle. The list
    // is consumed.
    void Triangulate(IntersectPointList& points);
};

inline constexpr int kTriangulatePasses = 1000;
inline constexpr int kTriangulateStalls = 5;

}  // namespace zarvento
