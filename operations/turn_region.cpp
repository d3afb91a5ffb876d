// Machining regions and the final contour: the preparation every path
// starts with, the branches of the single-pass and threading kinds, the
// working-contour check and the part as machined after the operation.
#include "geometry/exception.h"
#include "geometry/subtract_region.h"
#include "operations/turn.h"
#include "plan/spid.h"

namespace zarvento {

void CTurn::ClearRegions() {
    regionContour.reset();
    pairedContour.reset();
    regionList.clear();
    pairedList.clear();
    finishList.clear();
}

bool CTurn::CheckWorkContour(const Contour& contour) {
    // Self-intersection first: a crossing contour often has breaks as well.
    if (contour.HasSelfIntersection()) {
        ReportError("Рабочий контур не должен самопересекаться");
        return false;
    }
    if (contour.HasBreaks()) {
        ReportError("У звеньев рабочего контура не совпадают узлы");
        return false;
    }
    return true;
}

bool CTurn::CreateRegionAndFinalContour() {
    ClearRegions();
    if (!workContour || !sourceContour) return false;
    std::unique_ptr<Contour> w = workContour->GetSimpleContour();
    if (!w || !CheckWorkContour(*w)) return false;
    std::unique_ptr<Contour> s = sourceContour->GetSimpleContour();
    if (!s) return false;
    if (kind == kTurnTHREADING || kind == kTurnPLASHKA) {
        w = OffsetContourByRadius(std::move(w), 'w');
        if (!w) return false;
        ApplyToolOffsets(*w);
    }
    // The multi-pass, groove and drilling kinds take the same single region
    // until the regions between the two contours are built for them.
    regionList.push_back(std::move(w));
    pairedList.push_back(std::move(s));
    if (isAutoTool) SetupTool();
    CreateFinalContour();
    return true;
}

bool CTurn::CreateFinalContour() {
    std::unique_ptr<Contour> w = workContour ? workContour->GetSimpleContour() : nullptr;
    std::unique_ptr<Contour> s = sourceContour ? sourceContour->GetSimpleContour() : nullptr;
    if (!w || !s) return false;
    w->MergeOverlappingUnits();
    s->MergeOverlappingUnits();
    finalContour.reset();
    const CSPID& spid = *GetSPID();
    RemovedUnitList removed(100);
    AddedUnitList added(100);
    try {
        SubtractRegion(*s, *w, spid.innerPointZ, spid.innerPointX, removed, added, 0, 0);
    } catch (const Exception&) {
        // No vertex seen from the part's inner point: the subtraction left
        // the stock as it was, and so does the operation.
    }
    finalContour = std::make_unique<Contour>(*s);
    finalContour->MergeOverlappingUnits();
    finalContour->ShiftStartToExtreme();
    if (finalContour->DetermineDirection()) finalContour->Reverse();
    for (int i = 0; i < finalContour->Count(); ++i) finalContour->GetUnit(i)->IsMarked = false;
    return true;
}

}  // namespace zarvento
