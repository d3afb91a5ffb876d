// The tap/die operation's panel: thread data, the diameter display, the
// one-item list of elementary cycles and the automatic name.
#include "operation_panels/turn_panel_plashka.h"

#include "operation_panels/kind_panel_support.h"
#include "operation_panels/turn_panel_on_host.h"
#include "operation_panels/turn_panel_otrezka.h"
#include "panels/control_events.h"
#include "plan/plan_panels.h"
#include "platform/core/host_major_version.h"
#include "platform/dialogs/property_tab.h"

namespace zarvento {

CTurnPanelPLASHKA::CTurnPanelPLASHKA(CTurnPLASHKA& operation) : TurnKindPanel<CTurnPLASHKA>(operation) {
    scriptName = PlanPanels::kTurn;
}

int CTurnPanelPLASHKA::Edit(CTurn& turn) { return EditKindOnHost<CTurnPanelPLASHKA, CTurnPLASHKA>(turn); }

void CTurnPanelPLASHKA::FillOperationKinds() {
    ReduceWorkingTab(workTab, "Поверхность диаметра выступов", "Поверхность диаметра выступов резьбы");
    for (PropertyControl* c : {radiusBox, radiusField, machineCorrectionList})
        if (c) c->SetVisible(false);
    nameList->AddItem("Нарезание резьбы плашкой");
    nameList->AddItem("Нарезание резьбы метчиком");
    SelectItem(*nameList, 0);
    if (HostMajorVersion() >= 17 && startsField) startsField->SetCaption("Число заходов");
    SetHelpTopic(kHelpTopic);
}

void CTurnPanelPLASHKA::CreateParametersTab() {
    PropertyTab& tab = *HostTab(kStrategyTab);
    handList = &AddHandList(tab);
    pitchField =
        &AddNumberField(tab, "Шаг", "Шаг резьбы по касательной (начальный шаг для резьб с переменным шагом), мм", Step,
                        7, 0.01, 50, "Шаг резьбы по касательной, мм");
    startsField = &AddIntegerField(tab, "заходов", "Число заходов", Nzahod, 3, 1, 10);
    diameterField = &AddKindControl(tab, PropertyControlKind::TextEdit, " Диаметр", "Диаметр резьбы, мм");
    diameterField->SetWidth(5);
    diameterField->SetReadOnly(true);
    diameterField->SetValue(Variant::BStr(""));
    AddSeparator(tab);
    approachField = &AddNumberField(tab, "Подвод", "Длина подвода, мм", Vrezanie, 5);
    overrunField = &AddNumberField(tab, "Перебег", "Длина перебега, мм", Perebeg, 5);
    AddSeparator(tab);
    RefreshDiameter();
}

void CTurnPanelPLASHKA::CreateCycleList() {
    if (!cycleList) return;
    if (indShema == 1) return CTurnPanel::CreateCycleList();
    ShowOneElementaryCycle(kCycleItem, 30);
}

void CTurnPanelPLASHKA::RefreshDiameter() {
    if (!diameterField) return;
    diameterField->SetValue(Variant::BStr(""));
    if (!workContour || workContour->Count() == 0) return;
    threadDiameter = -2.0 * workContour->GetUnit(0)->StartPoint.x;
    diameterField->SetValue(Variant::BStr(FormatG(threadDiameter)));
}

void CTurnPanelPLASHKA::UpdateClosingSegments() {
    CTurnPanel::UpdateClosingSegments();
    RefreshDiameter();
    if (isAutoName && workContour) UpdateCaption();
}

void CTurnPanelPLASHKA::UpdateCaption() {
    sNameTurn = ThreadSizeName(threadDiameter, Step) + GetCycleCaption();
    if (nameList) nameList->SetValue(Variant::BStr(sNameTurn));
}

bool CTurnPanelPLASHKA::OnChangeControlValue(PropertyControl& control) {
    using Self = CTurnPanelPLASHKA;
    static constexpr auto thread = [](Self& p, PropertyControl&) {
        p.Step = p.pitchField->Value().ToR8();
        p.Nzahod = p.startsField->Value().ToI4();
        // The lead is the feed per revolution.
        p.Spod = p.Nzahod * p.Step;
        if (p.feedField) p.feedField->SetValue(Variant::R8(p.Spod));
    };
    static constexpr ControlEvents<Self> kRows[] = {
        {&Self::handList, [](Self& p, PropertyControl&) { p.indNapr = p.handList->CurrentItem() != 0; }},
        {&Self::pitchField, thread},
        {&Self::startsField, thread},
        {&Self::approachField,
         [](Self& p, PropertyControl&) {
             p.Vrezanie = p.approachField->Value().ToR8();
             p.RecalculatePath();
         }},
        {&Self::overrunField,
         [](Self& p, PropertyControl&) {
             p.Perebeg = p.overrunField->Value().ToR8();
             p.RecalculatePath();
         }},
    };
    DispatchControlEvent(kRows, *this, control);
    CTurnPanel::OnChangeControlValue(control);
    return true;
}

bool CTurnPanelPLASHKA::OnControlCommand(PropertyControl& control, int id) {
    CTurnPanel::OnControlCommand(control, id);
    if (&control == cycleParametersButton && cycleParametersButton) {
        if (EditOperationCycle(cycle) == 1) RecalculatePath();
    }
    return true;
}

}  // namespace zarvento
