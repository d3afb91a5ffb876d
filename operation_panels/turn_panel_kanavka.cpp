// The groove operation's panel: direction, binding, approach and dwell.
#include "operation_panels/turn_panel_kanavka.h"

#include "operation_panels/panel_controls.h"
#include "panels/control_events.h"
#include "platform/core/host_major_version.h"

namespace zarvento {

using namespace panel_controls;

CTurnPanelKANAVKA::CTurnPanelKANAVKA(CTurnKANAVKA& original) : TurnKindPanel<CTurnKANAVKA>(original) {
    GrooveBuilder().grooveDirection = indNapr ? 1 : 0;
}

int CTurnPanelKANAVKA::Edit(CTurn& turn) { return EditByScript<CTurnPanelKANAVKA, CTurnKANAVKA>(turn); }

void CTurnPanelKANAVKA::CopyFromTurn() {
    TurnKindPanel<CTurnKANAVKA>::CopyFromTurn();
    GrooveBuilder().grooveDirection = indNapr ? 1 : 0;
}

void CTurnPanelKANAVKA::CreateGeometryGroup() {
    PropertyTab& tab = *HostTab(kWorkingTab);
    grooveDirectionGroup = &Add(tab, PropertyControlKind::ButtonGroup, "", "Направление канавки");
    grooveDirectionGroup->Setup(2);
    grooveDirectionGroup->Setup(1);
    grooveDirectionGroup->SetVisible(true);
    grooveDirectionGroup->AddButton(kAlongX, HostImage::Library(kAlongX), "Вдоль X");
    grooveDirectionGroup->AddButton(kAlongZ, HostImage::Library(kAlongZ), "Вдоль Z");
    grooveDirectionGroup->PressButton(kAlongX, !indNapr);
    grooveDirectionGroup->PressButton(kAlongZ, indNapr);
    if (HostMajorVersion() < 17) Separator(tab);
}

void CTurnPanelKANAVKA::CreateParametersTab() {
    PropertyTab& tab = *HostTab(kStrategyTab);
    bindingGroup = &Add(tab, PropertyControlKind::ButtonGroup, "Привязка резца", "Привязка резца");
    bindingGroup->Setup(2);
    bindingGroup->Setup(1);
    bindingGroup->SetVisible(true);
    bindingGroup->AddButton(kBindLeft, HostImage::Library(kBindLeft), "Слева");
    bindingGroup->AddButton(kBindRight, HostImage::Library(kBindRight), "Справа");
    ShowBinding();
    approachField = &Number(tab, "Подвод", "Длина подвода инструмента, мм", Vrezanie, 5);
    dwellField = &Number(tab, "Пауза на дне канавки", "Пауза на дне канавки", Pause, 5);
    Separator(tab);
}

void CTurnPanelKANAVKA::ShowBinding() {
    bindingGroup->SetEnabled(true);
    bindingGroup->PressButton(kBindLeft, indPrivaz == 0);
    bindingGroup->PressButton(kBindRight, indPrivaz == 1);
    bindingGroup->SetEnabled(!isPrivazFromTool);
}

void CTurnPanelKANAVKA::FillOperationKinds() {
    if (HostMajorVersion() >= 17) {
        grooveDirectionGroup->SetCaption("Направление");
        bindingGroup->SetCaption("Привязка");
    }
    SetHelpTopic(kHelpTopic);
}

void CTurnPanelKANAVKA::UpdateClosingSegments() {
    ++contourBuilds;
    CTurnPanel::UpdateClosingSegments();
}

bool CTurnPanelKANAVKA::OnChangeControlValue(PropertyControl& control) {
    using Self = CTurnPanelKANAVKA;
    static constexpr ControlEvents<Self> kRows[] = {
        // Read by the next calculation of the path.
        {&Self::dwellField, [](Self& p, PropertyControl& c) { p.Pause = NumberOf(c); }},
        {&Self::approachField, &TakeNumberForPath<Self, &Self::Vrezanie>},
    };
    DispatchControlEvent(kRows, *this, control);
    CTurnPanel::OnChangeControlValue(control);
    return true;
}

bool CTurnPanelKANAVKA::OnControlCommand(PropertyControl& control, int id) {
    using Self = CTurnPanelKANAVKA;
    static constexpr ControlEvents<Self, int> kRows[] = {
        {&Self::grooveDirectionGroup,
         [](Self& p, PropertyControl&, int button) {
             if (button == kAlongX) p.indNapr = false;
             if (button == kAlongZ) p.indNapr = true;
             p.GrooveBuilder().grooveDirection = p.indNapr ? 1 : 0;
             p.workTab.RebuildContour();
         }},
        {&Self::bindingGroup,
         [](Self& p, PropertyControl&, int button) {
             if (button == kBindLeft) p.indPrivaz = 0;
             if (button == kBindRight) p.indPrivaz = 1;
             p.RecalculatePath();
         }},
    };
    DispatchControlEvent(kRows, *this, control, id);
    CTurnPanel::OnControlCommand(control, id);
    return true;
}

bool CTurnPanelKANAVKA::OnSelectListItem(PropertyControl& control, int index, int state) {
    CTurnPanel::OnSelectListItem(control, index, state);
    if (&control == toolList && index >= 0 && bindingGroup) ShowBinding();
    return true;
}

}  // namespace zarvento
