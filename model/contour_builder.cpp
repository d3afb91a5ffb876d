// CContourBuilder: picking rules, the build by method and closing to the axis.
#include "model/contour_builder.h"

#include <cmath>

#include "geometry/line_unit.h"
#include "geometry/primitives.h"
#include "platform/core/messages.h"
#include "platform/part_model.h"

namespace zarvento {

void ShowBuilderMessage(const char* text) { HostMessageBox(text, kBuilderCaption, kBuilderMessageStyle); }

CContourBuilder::~CContourBuilder() = default;

void CContourBuilder::HighlightUnit(const HostObjectPtr& object) {
    if (!partContour || !object) return;
    CUnit* unit = partContour->FindUnitByObject(object);
    if (!unit) return;
    if (unit->Selected)
        unit->Deselect();
    else
        unit->Select();
}

void CContourBuilder::HighlightSingle(const HostObjectPtr& object, bool linesOnly) {
    if (!partContour || !object) return;
    CUnit* unit = partContour->FindUnitByObject(object);
    if (!unit || (linesOnly && unit->Kind != kUnitLine)) return;
    const bool wasChosen = unit->Selected;
    for (int i = 0; i < partContour->Count(); ++i) {
        CUnit* other = partContour->GetUnit(i);
        if (other->Selected) other->Deselect();
    }
    if (!wasChosen) unit->Select();
}

bool CContourBuilder::HasUnitForObject(const HostObjectPtr& object) const {
    if (!partContour || !object) return false;
    return partContour->FindUnitByObject(object) != nullptr;
}

bool CContourBuilder::IsObjectAccepted(const HostObjectPtr& object) const {
    return object && object->ObjectType() == HostFace::kObjectType;
}

std::unique_ptr<Contour> CContourBuilder::ContourByMethod() {
    return buildMethod != kFromSketch ? CreateContourFromFaces() : CreateContourFromSketch();
}

std::unique_ptr<Contour> CContourBuilder::Build() {
    const bool fromSketch = buildMethod == kFromSketch;
    std::unique_ptr<Contour> contour = ContourByMethod();
    if (contour && fromSketch && contour->IsClosed()) {
        ShowHostMessage(kOpenContourMessage);
        return nullptr;
    }
    contour = CloseContourToSource(std::move(contour), sourceContour, true, true);
    if (contour) contour->RemoveLoops();
    return contour;
}

void CContourBuilder::CloseToAxis(Contour& contour) {
    if (contour.Empty()) return;
    const Point3D first = contour.GetFirstUnit()->StartPoint;
    const Point3D last = contour.GetLastUnit()->EndPoint;
    if (IsEqualPoint(first.z, first.x, last.z, last.x)) return;
    if (std::fabs(first.x) > EPS) contour.PrependLine(-first.x, 90.0, false);
    if (std::fabs(last.x) > EPS) contour.AppendLine(-last.x, 90.0, false);
    const Point3D s = contour.GetFirstUnit()->StartPoint;
    const Point3D e = contour.GetLastUnit()->EndPoint;
    contour.InsertUnit(0, std::make_unique<CLineUnit>(e.z, e.x, s.z, s.x));
}

}  // namespace zarvento
