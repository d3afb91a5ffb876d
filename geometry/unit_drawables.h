// The 3D-view drawables a unit draws itself with. The display layer registers
// its factory at start-up; until then the headless host's recording view
// stands in, so every drawing call is visible in View3DLog.
#pragma once

#include <cstdint>
#include <memory>

#include "geometry/intersect_point.h"

namespace zarvento {

// Drawable items take points in the turning plane as (z, x); the view maps
// (z, x) to the coordinate-system point (-x, 0, z).
class UnitDrawable {
public:
    virtual ~UnitDrawable() = default;
    // Removes the drawn object; the drawable stays usable.
    virtual void Erase() = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
};

// The unit's line in the 3D view.
class UnitEdgeDrawable : public UnitDrawable {
public:
    virtual void SetKind(int kind) = 0;
    virtual void CreateLine(double z1, double x1, double z2, double x2, std::uint32_t colour) = 0;
    virtual void CreatePolyline(const IntersectPointList& points, std::uint32_t colour) = 0;
};

// The unit's surface of revolution about the Z axis.
class UnitFaceDrawable : public UnitDrawable {
public:
    virtual void CreateRevolvedLine(double z1, double x1, double z2, double x2, std::uint32_t colour, double extra1,
                                    double extra2) = 0;
    virtual void CreateRevolvedArc(double zc, double xc, double radius, double z1, double x1, double z2, double x2,
                                   int sense, std::uint32_t colour) = 0;
};

class UnitDrawableFactory {
public:
    virtual ~UnitDrawableFactory() = default;
    virtual std::unique_ptr<UnitEdgeDrawable> CreateEdge() = 0;
    virtual std::unique_ptr<UnitFaceDrawable> CreateFace() = 0;
};

// The registered factory is not owned; null brings back the recording view.
// Registration is wiring, not state: a process-state reset keeps it.
void SetUnitDrawableFactory(UnitDrawableFactory* factory);
std::unique_ptr<UnitEdgeDrawable> CreateUnitEdge();
std::unique_ptr<UnitFaceDrawable> CreateUnitFace();

}  // namespace zarvento
