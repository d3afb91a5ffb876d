// The drilling operation's panel: the hole's mode, geometry and controls,
// the drilling kinds and name, the approach and overrun, and the cycle.
#include "operation_panels/turn_panel_drill.h"

#include <cstdio>

#include "geometry/number_text.h"
#include "model/model_tess.h"
#include "operation_panels/panel_controls.h"
#include "panels/control_events.h"
#include "plan/spid.h"
#include "platform/core/host_major_version.h"
#include "platform/core/messages.h"
#include "platform/dialogs/property_manager.h"
#include "post/post_processor.h"

namespace zarvento {

using namespace panel_controls;

namespace {
constexpr int kIconWarning = 0x30;
constexpr const char* kModeHint = "Способ задания контура отверстия";
}  // namespace

int CTurnPanelDRILL::Edit(CTurn& turn) { return EditByScript<CTurnPanelDRILL, CTurnDRILL>(turn); }

void CTurnPanelDRILL::CreateContourModeGroup() {
    PropertyTab& tab = *HostTab(kWorkingTab);
    modeList = &Add(tab, PropertyControlKind::ImageList, "", kModeHint);
    modeList->AddItem("По поверхности  ", HostImage::Library(10151));
    modeList->AddItem("От базы ", HostImage::Library(10152));
    modeList->AddItem("Центрование ", HostImage::Library(10153));
    SelectItem(*modeList, SposobDrill);
}

void CTurnPanelDRILL::CreateGeometryGroup() {
    PropertyTab& tab = *HostTab(kWorkingTab);
    baseZField = &Number(tab, "Смещение Z от базы", "Координата Z базы", Zbase, 7);
    depthField = &Number(tab, "Глубина отверстия", "Глубина отверстия",
                         SposobDrill == kCentring ? GlubinaCentr : Glubina, 0.01, 500, 7);
    tipAngleField = &Number(tab, "Угол при вершине", "Угол при вершине сверла, градусы", AngleDrill, 30, 250, 7);
    Separator(tab);
    diameterField = &Number(tab, "Диаметр отверстия", "Диаметр отверстия, мм", Diametr, 0.1, 100, 10);
    diameterField->SetReadOnly(true);
    // The hole closes onto the source at the tip's angle and square at its mouth.
    CContourBuilderDrill& builder = HoleBuilder();
    builder.startMode = builder.endMode = kExtendAtAngle;
    builder.startAngle = 180.0 - AngleDrill / 2.0;
    builder.endAngle = 0.0;
    // What the builder derives from the contour shows in the two fields.
    tipAngleOfBuilder.field = tipAngleField;
    diameterOfBuilder.field = diameterField;
    builder.tipAngleControl = &tipAngleOfBuilder;
    builder.diameterControl = &diameterOfBuilder;
}

void CTurnPanelDRILL::CreateParametersTab() {
    PropertyTab& tab = *HostTab(kStrategyTab);
    Separator(tab);
    approachField = &Number(tab, "Подвод", "Длина подвода, мм", Vrezanie, -50, 50, 5);
    overrunField = &Number(tab, "Перебег", "Длина перебега, мм", Perebeg, 0, 100, 5);
    overrunField->SetEnabled(true);
    Separator(tab);
}

void CTurnPanelDRILL::FillOperationKinds() {
    if (workTab.intermediateFacesBox) workTab.intermediateFacesBox->SetVisible(false);
    for (PropertyControl* c : {radiusBox, radiusField, machineCorrectionList})
        if (c) c->SetVisible(false);
    nameList->ClearItems();
    for (const char* name :
         {"Сверление", "Сверление глубокое", "Сверление с удалением стружки", "Сверление с ломкой стружки",
          "Сверление отверстия", "Рассверливание", "Центрование", "Зенкерование", "Развертывание", "Зенкование"})
        nameList->AddItem(name);
    SelectItem(*nameList, 0);
    SetHelpTopic(kHelpTopic);
}

void CTurnPanelDRILL::ShowControlGroup(int shown) {
    const bool hide = shown != 0;
    if (hide) {
        for (PropertyControl* c : {modeList, baseZField, depthField, tipAngleField, diameterField})
            if (c) c->SetVisible(false);
        return;
    }
    if (workTab.intermediateFacesBox) workTab.intermediateFacesBox->SetVisible(false);
    for (PropertyControl* c : {modeList, tipAngleField, diameterField})
        if (c) c->SetVisible(true);
    switch (SposobDrill) {
        case kByFaces: ShowSurfaceModeControls(); break;
        case kFromBase: ShowBaseModeControls(); break;
        case kCentring: ShowCentringModeControls(); break;
        default: break;
    }
}

void CTurnPanelDRILL::SetFaceModeControls(bool first, bool secondAndThird) {
    if (workTab.surfaceTable) workTab.surfaceTable->SetVisible(first);
    if (workTab.commonAllowanceBox) workTab.commonAllowanceBox->SetVisible(secondAndThird);
    if (workTab.commonAllowanceField) workTab.commonAllowanceField->SetVisible(secondAndThird);
}

void CTurnPanelDRILL::ShowSurfaceModeControls() {
    workTab.HighlightCurrentElement();
    if (baseZField) baseZField->SetVisible(false);
    if (depthField) depthField->SetVisible(false);
    SetFaceModeControls(true, true);
}

void CTurnPanelDRILL::ShowBaseModeControls() {
    workTab.UnhighlightCurrentElement();
    if (baseZField) baseZField->SetVisible(true);
    if (depthField) depthField->SetVisible(true);
    SetFaceModeControls(false, false);
    if (diameterField) diameterField->SetValue(Variant::R8(Diametr));
    if (tipAngleField) tipAngleField->SetValue(Variant::R8(AngleDrill));
}

void CTurnPanelDRILL::ShowCentringModeControls() {
    workTab.UnhighlightCurrentElement();
    if (baseZField) baseZField->SetVisible(true);
    if (depthField) depthField->SetVisible(true);
    SetFaceModeControls(false, false);
}

void CTurnPanelDRILL::RefreshHoleControls() {
    if (!diameterField || !tipAngleField || !depthField) return;
    switch (SposobDrill) {
        case kByFaces: ShowSurfaceModeControls(); break;
        case kFromBase: ShowBaseModeControls(); break;
        case kCentring: ShowCentringModeControls(); break;
        default: break;
    }
    if (workTab.commonAllowanceBox) workTab.commonAllowanceBox->SetVisible(false);
    if (workTab.commonAllowanceField) workTab.commonAllowanceField->SetVisible(false);
    depthField->SetValue(Variant::R8(SposobDrill == kCentring ? GlubinaCentr : Glubina));
    // Along the faces the drill in the chosen position gives the hole its
    // diameter and tip, and in every mode a value the tool gives replaces
    // what is typed: such a field only shows it.
    const bool alongFaces = SposobDrill == kByFaces && GetTool() != nullptr;
    diameterField->SetReadOnly(alongFaces || ToolGivesDiameter());
    tipAngleField->SetReadOnly(alongFaces || ToolGivesTipAngle());
    diameterField->SetValue(Variant::R8(Diametr));
    tipAngleField->SetValue(Variant::R8(AngleDrill));
    // The closing angle follows the tip.
    if (startAngleField) startAngleField->SetValue(Variant::R8(ClosedAngle1));
    if (currentTab > kWorkingTab) {
        workTab.ClearHighlight();
        if (workContour) workContour->ShowTessellation();
    }
}

void CTurnPanelDRILL::RebuildHole() {
    CContourBuilderDrill& builder = HoleBuilder();
    builder.SposobDrill = SposobDrill;
    builder.Zbase = Zbase;
    builder.Glubina = SposobDrill == kCentring ? GlubinaCentr : Glubina;
    builder.Diametr = Diametr;
    builder.AngleDrill = AngleDrill;
    workTab.RebuildContour();
    TakeBuiltHole();
}

void CTurnPanelDRILL::TakeBuiltHole() {
    if (SposobDrill != kByFaces) return;
    const CContourBuilderDrill& builder = HoleBuilder();
    if (builder.isAngleChanged && !ToolGivesTipAngle()) AngleDrill = 360.0 - 2.0 * builder.startAngle;
    if (builder.isDiameterChanged && !ToolGivesDiameter()) Diametr = builder.Diametr;
}

void CTurnPanelDRILL::ApplyHoleChange() {
    RebuildHole();
    ApplyToolAngle();
}

void CTurnPanelDRILL::ApplyToolAngle() {
    const double diameter = Diametr, angle = AngleDrill;
    SetToolAngle();
    // The tool chosen or checked gave the hole another diameter or tip: the
    // contour and the name follow what will be drilled.
    if (Diametr != diameter || AngleDrill != angle) RebuildHole();
    RefreshHoleControls();
}

void CTurnPanelDRILL::ModeChosen() {
    SposobDrill = modeList->CurrentItem();
    if (SposobDrill == kCentring) Diametr = kCentringDiameter;
    ApplyHoleChange();
}

bool CTurnPanelDRILL::OnChangeControlValue(PropertyControl& control) {
    using Self = CTurnPanelDRILL;
    static constexpr auto hole = [](Self& p, PropertyControl&) {
        (p.SposobDrill == kCentring ? p.GlubinaCentr : p.Glubina) = NumberOf(*p.depthField);
        p.Diametr = NumberOf(*p.diameterField);
        p.Zbase = NumberOf(*p.baseZField);
        p.ApplyHoleChange();
    };
    static constexpr ControlEvents<Self> kRows[] = {
        {&Self::modeList, [](Self& p, PropertyControl&) { p.ModeChosen(); }},
        {&Self::tipAngleField,
         [](Self& p, PropertyControl& c) {
             p.AngleDrill = NumberOf(c);
             p.ApplyToolAngle();
         }},
        {&Self::diameterField, hole},
        {&Self::depthField, hole},
        {&Self::baseZField, hole},
        {&Self::approachField, &TakeNumberForPath<Self, &Self::Vrezanie>},
        {&Self::overrunField, &TakeNumberForPath<Self, &Self::Perebeg>},
    };
    // The automatic tool is chosen by the tip's angle here, in place of the
    // common handler's choice.
    static constexpr ControlEvents<Self> kInPlaceOfCommon[] = {
        {&Self::autoToolBox, [](Self& p, PropertyControl& c) { p.AutoToolChanged(Checked(c)); }},
    };
    if (DispatchControlEvent(kInPlaceOfCommon, *this, control)) return true;
    DispatchControlEvent(kRows, *this, control);
    return CTurnPanel::OnChangeControlValue(control);
}

void CTurnPanelDRILL::AutoToolChanged(bool automatic) {
    isAutoTool = automatic;
    if (!isAutoTool) {
        toolList->SetEnabled(true);
        return;
    }
    const int before = nToolPosition;
    ApplyToolAngle();
    if (nToolPosition != before) {
        if (nToolPosition == -1) toolModel.reset();
        FillToolList();
        toolList->SetEnabled(true);
        SelectItem(*toolList, nToolPosition);
        PrepareToolModel();
    }
    if (nToolPosition == -1) HostMessageBox(kNoAutoTool, CTurn::kCaption, MB_OK_ | kIconWarning);
    if (HostMajorVersion() >= 17) toolList->SetEnabled(false);
}

bool CTurnPanelDRILL::OnControlCommand(PropertyControl& control, int id) {
    CTurnPanel::OnControlCommand(control, id);
    if (&control != cycleParametersButton || !cycleParametersButton) return true;
    const int answer = EditOperationCycle(cycle);
    if (answer < 0) return true;
    ++cycleDialogs;
    if (answer == 1) RecalculatePath();
    return true;
}

bool CTurnPanelDRILL::OnSelectListItem(PropertyControl& control, int index, int state) {
    if (&control == modeList) {
        // The mode list reports the user's choice as a selection.
        if (state == 1 && !ownSelection) ModeChosen();
        return CTurnPanel::OnSelectListItem(control, index, state);
    }
    if (&control == toolList && state == 1 && !ownSelection && !isAutoTool && index >= 0) {
        nToolPosition = index;
        ApplyToolAngle();
    }
    return CTurnPanel::OnSelectListItem(control, index, state);
}

bool CTurnPanelDRILL::OnChangeTab(int tabIndex) {
    ++tabDepth;
    CTurnPanel::OnChangeTab(tabIndex);
    --tabDepth;
    if (tabDepth == 0) AfterTabChange();
    return true;
}

bool CTurnPanelDRILL::OnTabStateChanged(int tabIndex) {
    // Collapsing the other tabs notifies again from inside: the outermost
    // notification follows the change once.
    ++tabDepth;
    CTurnPanel::OnTabStateChanged(tabIndex);
    --tabDepth;
    if (tabDepth == 0) AfterTabChange();
    return true;
}

void CTurnPanelDRILL::AfterTabChange() {
    const int method = workTab.Builder() ? workTab.BuildMethod() : SposobBuildWork;
    if (method == CContourTAB::kMethodSketch) {
        ShowControlGroup(1);
        return;
    }
    if (currentTab == kWorkingTab) RefreshHoleControls();
    if (currentTab == kStrategyTab && overrunField) overrunField->SetEnabled(true);
}

bool CTurnPanelDRILL::OnSelectObject(const HostObjectPtr& object, const Variant& value) {
    if (result != 0) return true;
    if (SposobDrill == kByFaces) HoleBuilder().isAngleFromCone = true;
    CTurnPanel::OnSelectObject(object, value);
    TakeBuiltHole();
    ApplyToolAngle();
    return false;
}

void CTurnPanelDRILL::OnClosePanel() {
    CTurnPanel::OnClosePanel();
    tipAngleOfBuilder.field = nullptr;
    diameterOfBuilder.field = nullptr;
}

void CTurnPanelDRILL::UpdateClosingSegments() {
    CTurnPanel::UpdateClosingSegments();
    if (isAutoName && workContour) UpdateCaption();
}

void CTurnPanelDRILL::CreateCycleList() {
    if (!cycleList) return;
    if (indShema == 1) {
        CTurnPanel::CreateCycleList();
        return;
    }
    if (indShema != 0) return;
    cycleList->ClearItems();
    cycleList->SetEnabled(false);
    cycleList->AddItem(kElementaryCycle);
    cycleList->SetWidth(30);
    cycleList->Setup(0);
    cycleList->Setup(1);
    SelectItem(*cycleList, indCycleElementar);
    constexpr const char* kHint = "Список циклов в элементарных движениях";
    cycleList->SetHint(kHint);
    cycleList->SetTip(kHint);
}

void CTurnPanelDRILL::UpdateCaption() {
    if (!nameList) return;
    if (indShema == 1) {
        ShowName(TranslateString(sNameTurn) + GetCycleCaption());
        return;
    }
    if (indShema != 0) return;
    if (SposobDrill == kCentring) {
        sNameTurn = "Центрование";
    } else {
        char diameter[64];
        std::snprintf(diameter, sizeof diameter, " d%g", Diametr);
        sNameTurn = std::string("Сверление") + diameter;
    }
    ShowName(sNameTurn);
}

void CTurnPanelDRILL::ShowName(const std::string& name) {
    // The host's list shows its items only: a name it lacks becomes one.
    if (nameList->IndexOfValue(name) < 0) nameList->AddItem(name);
    SelectItem(*nameList, nameList->IndexOfValue(name));
}

}  // namespace zarvento
