// The cut-off operation's panel: its reduced working tab, its cycle button
// and its approach and overrun lengths.
#include "operation_panels/turn_panel_otrezka.h"

#include "operation_panels/kind_panel_support.h"
#include "operation_panels/turn_panel_on_host.h"
#include "panels/control_events.h"
#include "plan/plan_panels.h"
#include "platform/core/host_major_version.h"
#include "platform/dialogs/property_tab.h"

namespace zarvento {

void ReduceWorkingTab(CContourTAB& tab, const char* caption, const char* hint) {
    if (tab.methodGroup) tab.methodGroup->SetVisible(false);
    if (tab.intermediateFacesBox) tab.intermediateFacesBox->SetVisible(false);
    if (HostMajorVersion() < 17 && tab.surfaceTable) {
        tab.surfaceTable->SetCaption(caption);
        tab.surfaceTable->SetHint(hint);
        tab.surfaceTable->SetTip(hint);
        tab.surfaceTable->SetHeight(80);
    }
}

CTurnPanelOTREZKA::CTurnPanelOTREZKA(CTurnOTREZKA& operation) : TurnKindPanel<CTurnOTREZKA>(operation) {
    scriptName = PlanPanels::kTurn;
}

int CTurnPanelOTREZKA::Edit(CTurn& turn) { return EditKindOnHost<CTurnPanelOTREZKA, CTurnOTREZKA>(turn); }

void CTurnPanelOTREZKA::FillOperationKinds() {
    ReduceWorkingTab(workTab, "Направляющая поверхность", "Поверхность, определяющая направление отрезки");
    nameList->AddItem(kKindName);
    SelectItem(*nameList, 0);
    SetHelpTopic(kHelpTopic);
}

void CTurnPanelOTREZKA::CreateParametersTab() {
    PropertyTab& tab = *HostTab(kStrategyTab);
    cycleParametersButton =
        &AddKindControl(tab, PropertyControlKind::Button, "Параметры цикла...", "Параметры отрезного цикла");
    approachField = &AddNumberField(tab, "Подвод", "Длина подвода инструмента, мм", Vrezanie, 5);
    overrunField = &AddNumberField(tab, "Перебег", "Длина перебега инструмента, мм", Perebeg, 5);
    AddSeparator(tab);
}

bool CTurnPanelOTREZKA::OnChangeControlValue(PropertyControl& control) {
    using Self = CTurnPanelOTREZKA;
    // Both lengths are read together, whichever of them changed.
    static constexpr auto lengths = [](Self& p, PropertyControl&) {
        p.Vrezanie = p.approachField->Value().ToR8();
        p.Perebeg = p.overrunField->Value().ToR8();
        p.RecalculatePath();
    };
    static constexpr ControlEvents<Self> kRows[] = {
        {&Self::approachField, lengths},
        {&Self::overrunField, lengths},
    };
    DispatchControlEvent(kRows, *this, control);
    CTurnPanel::OnChangeControlValue(control);
    return true;
}

bool CTurnPanelOTREZKA::OnControlCommand(PropertyControl& control, int id) {
    if (&control == cycleParametersButton && cycleParametersButton) {
        // The dialog's expressions may use the operation's variables.
        if (EditCycleParameters(cycle, true) == 1) RecalculatePath();
    }
    CTurnPanel::OnControlCommand(control, id);
    return true;
}

}  // namespace zarvento
