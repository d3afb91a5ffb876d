// The display layer's registrations: the 3D view's own drawables behind the
// seams of the geometry, through which units, contour regions and frames draw.
#include "model/model_layer.h"

#include <memory>

#include "geometry/region_drawable.h"
#include "geometry/simulation_hook.h"
#include "geometry/unit_drawables.h"
#include "model/region_face.h"
#include "model/simulation_changed_units.h"
#include "model/tessellation_object_edge.h"
#include "model/tessellation_object_face.h"

namespace zarvento {

namespace {

// A unit's edge: its line or the polyline of its arc. The kind some callers
// give is not part of the drawing.
class UnitEdge final : public UnitEdgeDrawable {
public:
    void SetKind(int) override {}
    void CreateLine(double z1, double x1, double z2, double x2, std::uint32_t colour) override {
        edge_.CreateLine(z1, x1, z2, x2, colour);
    }
    void CreatePolyline(const IntersectPointList& points, std::uint32_t colour) override {
        edge_.CreatePolyline(points, colour);
    }
    void Erase() override { edge_.Erase(); }
    void Show() override { edge_.Show(); }
    void Hide() override { edge_.Hide(); }

private:
    CTessellationObjectEdge edge_;
};

// A unit's surface of revolution. The two further values a line unit passes
// have no part in the surface.
class UnitFace final : public UnitFaceDrawable {
public:
    void CreateRevolvedLine(double z1, double x1, double z2, double x2, std::uint32_t colour, double, double) override {
        face_.CreateRevolvedLine(z1, x1, z2, x2, colour);
    }
    void CreateRevolvedArc(double zc, double xc, double radius, double z1, double x1, double z2, double x2, int sense,
                           std::uint32_t colour) override {
        face_.CreateRevolvedArc(zc, xc, radius, z1, x1, z2, x2, sense, colour);
    }
    void Erase() override { face_.Erase(); }
    void Show() override { face_.Show(); }
    void Hide() override { face_.Hide(); }

private:
    CTessellationObjectFace face_;
};

class UnitDrawables final : public UnitDrawableFactory {
public:
    std::unique_ptr<UnitEdgeDrawable> CreateEdge() override { return std::make_unique<UnitEdge>(); }
    std::unique_ptr<UnitFaceDrawable> CreateFace() override { return std::make_unique<UnitFace>(); }
};

class Region final : public RegionDrawable {
public:
    void CreateRegion(const IntersectPointList& points, std::uint32_t colour) override {
        face_.CreateRegion(points, colour);
    }
    void Hide() override { face_.Hide(); }

private:
    CRegionFace face_;
};

std::unique_ptr<RegionDrawable> MakeRegion() { return std::make_unique<Region>(); }

UnitDrawables unitDrawables;

}  // namespace

void RegisterModelLayer() {
    SetUnitDrawableFactory(&unitDrawables);
    SetRegionDrawableMaker(&MakeRegion);
    SetSimulationUnitList(&SimulationChangedUnits::Instance());
}

void UnregisterModelLayer() {
    SetUnitDrawableFactory(nullptr);
    SetRegionDrawableMaker(nullptr);
    SetSimulationUnitList(nullptr);
}

}  // namespace zarvento
