// The contour tab: its binding, controls, views, drawing and rebuild.
#include "panels/contour_tab.h"

#include "model/contour_builder.h"
#include "panels/contour_tab_owner.h"

namespace zarvento {

CContourTAB::CContourTAB() = default;
CContourTAB::~CContourTAB() = default;

void CContourTAB::CreateTab(const Contour* partContour, Contour* selectionContour, std::unique_ptr<Contour>* builtSlot,
                            CContourBuilder* builder, std::unique_ptr<Contour>* referenceSlot,
                            std::shared_ptr<HostSketch> sketch, PropertyTab* hostTab, char kind, double,
                            const std::string&, ContourTabOwner* owner) {
    partContour_ = partContour;
    selectionContour_ = selectionContour;
    builtSlot_ = builtSlot;
    contourBuilder_ = builder;
    referenceSlot_ = referenceSlot;
    sketch_ = std::move(sketch);
    hostTab_ = hostTab;
    kind_ = kind;
    owner_ = owner;
}

void CContourTAB::SetContext(const Contour* partContour, Contour* selectionContour, std::unique_ptr<Contour>* builtSlot,
                             CContourBuilder* builder) {
    partContour_ = partContour;
    selectionContour_ = selectionContour;
    builtSlot_ = builtSlot;
    contourBuilder_ = builder;
}

void CContourTAB::HideControls() {}
void CContourTAB::ShowControls() {}
void CContourTAB::OnActivate() {}
void CContourTAB::ShowSelection() {}
void CContourTAB::SetContour(const Contour*) {}
void CContourTAB::ClearHighlight() {}
void CContourTAB::RebuildContour() {}
void CContourTAB::HighlightCurrentElement() {}
void CContourTAB::UnhighlightCurrentElement() {}
bool CContourTAB::FilterObject(const HostObjectPtr&) { return false; }
bool CContourTAB::OnSelectObject(const HostObjectPtr&) { return true; }
bool CContourTAB::OnSelectListItem(PropertyControl&, int, int) { return selectionContour_ != nullptr; }
bool CContourTAB::OnChangeControlValue(PropertyControl&) { return true; }
void CContourTAB::OnControlCommand(PropertyControl&, int) {}

void CContourTAB::FillElementList() {}
void CContourTAB::FillGapList() {}
void CContourTAB::ShowContours() {}
void CContourTAB::DeleteBuiltContour() {}
void CContourTAB::ShowSketchControls() {}
void CContourTAB::ShowFacesControls() {}
void CContourTAB::ShowModelControls() {}
void CContourTAB::ShowBarControls() {}

}  // namespace zarvento
