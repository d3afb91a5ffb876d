// The hole and centre-drill contours.
#include "model/contour_builder_drill.h"

#include <cmath>

#include "geometry/line_unit.h"
#include "geometry/primitives.h"

namespace zarvento {

void CContourBuilderDrill::HighlightUnit(const HostObjectPtr& object) {
    if (SposobDrill == kHoleFromFaces)
        CContourBuilder::HighlightUnit(object);
    else
        HighlightSingle(object, false);
}

std::unique_ptr<Contour> CContourBuilderDrill::CreateContourFromFaces() {
    std::unique_ptr<Contour> contour = CContourBuilder::CreateContourFromFaces();
    isAngleChanged = false;
    if (isAngleFromCone && tipAngleControl && contour && !contour->Empty()) {
        const CUnit* first = contour->GetFirstUnit();
        if (first->Kind == kUnitLine && std::fabs(first->EndPoint.x - first->StartPoint.x) > 0.01) {
            startAngle = AngleOfVector(first->EndPoint.z, first->EndPoint.x, first->StartPoint.z, first->StartPoint.x) *
                         180.0 / PI;
            isAngleChanged = true;
        }
    }
    return contour;
}

double CContourBuilderDrill::BaseZ() const {
    double z0 = Zbase;
    const CUnit* chosen = partContour ? partContour->GetSelectedUnit(0) : nullptr;
    if (chosen) {
        BoundBox box;
        chosen->GetBoundBox(box);
        z0 += box.zmax;
    }
    return z0;
}

std::unique_ptr<Contour> CContourBuilderDrill::CreateHoleContour() {
    if (Diametr < 0.001) return nullptr;
    // No cone without a tip angle: the tip's length divides by its tangent.
    if (!(AngleDrill > EPS) || AngleDrill > 180.0) return nullptr;
    const double tanHalf = std::tan(AngleDrill * PI / 360.0);
    double z0 = 0.0;
    if (SposobDrill == kHoleByParameters || !isByParameters) {
        z0 = BaseZ();
    } else {
        std::unique_ptr<Contour> faces = CreateContourFromFaces();
        if (!faces || faces->Empty()) return nullptr;
        double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
        faces->GetBoundBox(zmin, xmin, zmax, xmax);
        z0 = zmax;
        Glubina = zmax - zmin;
        const CUnit* first = faces->GetFirstUnit();
        if (AngleDrill < 90.0 && faces->Count() == 1 && first->Kind == kUnitLine && xmax > xmin) {
            z0 -= (-xmin - Diametr / 2.0) * std::fabs(zmax - zmin) / std::fabs(xmax - xmin);
            Glubina = 0.0;
        } else if (first->Kind == kUnitLine && AngleDrill > EPS && AngleDrill < 180.0) {
            Glubina -= std::fabs(first->EndPoint.x - first->StartPoint.x) / tanHalf;
        }
    }
    const double r = Diametr / 2.0;
    auto contour = std::make_unique<Contour>();
    contour->AddUnit(std::make_unique<CLineUnit>(z0 - Glubina - r / tanHalf, 0.0, z0 - Glubina, -r));
    if (Glubina > 0.001) contour->AddUnit(std::make_unique<CLineUnit>(z0 - Glubina, -r, z0, -r));
    startAngle = 180.0 - AngleDrill / 2.0;
    return contour;
}

std::unique_ptr<Contour> CContourBuilderDrill::CreateCentreDrillContour() {
    if (Diametr < 0.001) return nullptr;
    const double z0 = BaseZ();
    if (std::fabs(AngleDrill - 120.0) > 0.001) isAngleChanged = true;
    AngleDrill = 120.0;
    startAngle = 120.0;
    const double D = Diametr, r = D / 2.0, zb = z0 - Glubina;
    const double wallStart = zb + r / std::tan(PI / 3.0);
    auto contour = std::make_unique<Contour>();
    contour->AddUnit(std::make_unique<CLineUnit>(zb, 0.0, wallStart, -r));
    contour->AddUnit(std::make_unique<CLineUnit>(wallStart, -r, zb + 1.5 * D, -r));
    contour->AddUnit(
        std::make_unique<CLineUnit>(zb + 1.5 * D, -r, zb + 1.5 * D + 0.75 * D / std::tan(PI / 6.0), -1.25 * D));
    return contour;
}

std::unique_ptr<Contour> CContourBuilderDrill::Build() {
    std::unique_ptr<Contour> contour;
    isDiameterChanged = false;
    if (buildMethod != kFromSketch) {
        switch (SposobDrill) {
            case kHoleFromFaces:
                contour = isByParameters ? CreateHoleContour() : CreateContourFromFaces();
                if (!isByParameters && contour) TakeWallDiameter(*contour);
                break;
            case kHoleByParameters: contour = CreateHoleContour(); break;
            case kCentreDrill: contour = CreateCentreDrillContour(); break;
            default: break;
        }
    } else {
        contour = CreateContourFromSketch();
    }
    contour = CloseContourToSource(std::move(contour), sourceContour, true, true);
    if (isAngleChanged && tipAngleControl) tipAngleControl->SetValue(Variant::R8(360.0 - 2.0 * startAngle));
    if (isDiameterChanged && diameterControl) diameterControl->SetValue(Variant::R8(Diametr));
    return contour;
}

void CContourBuilderDrill::TakeWallDiameter(const Contour& faces) {
    // The wall: the first chosen unit that runs out of the hole towards +Z.
    for (int i = 0; i < faces.Count(); ++i) {
        const CUnit* u = faces.GetUnit(i);
        if (u->IsMarked || !(u->StartPoint.z < u->EndPoint.z)) continue;
        const double diameter = -2.0 * u->EndPoint.x;
        if (!(diameter > 0.001)) return;
        Diametr = diameter;
        isDiameterChanged = true;
        return;
    }
}

}  // namespace zarvento
