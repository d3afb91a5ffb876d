// The multi-pass operation's panel: its kind names, the cycle list in
// elementary moves, the pass controls of the strategy tab and their rules,
// the cycle-parameter dialogs and the plan angles taken from the tool.
#include "operation_panels/turn_panel_mnogo_prohod.h"

#include <cstdio>
#include <string>

#include "geometry/number_text.h"
#include "operation_panels/panel_controls.h"
#include "panels/control_events.h"
#include "plan/plan_panels.h"
#include "platform/core/host_major_version.h"
#include "platform/dialogs/property_tab.h"
#include "platform/dialogs/scripted_user.h"

namespace zarvento {

namespace {

constexpr const char* kElementaryCycleHint = "Список циклов в элементарных движениях";

PropertyControl& Add(PropertyTab& tab, PropertyControlKind kind, const char* caption, const char* hint) {
    PropertyControl& control = tab.AddControl(kind);
    if (caption[0] != '\0') control.SetCaption(caption);
    control.SetHint(hint);
    control.SetTip(hint);
    return control;
}

PropertyControl& Length(PropertyTab& tab, const char* caption, const char* hint, double value) {
    PropertyControl& control = Add(tab, PropertyControlKind::RealEdit, caption, hint);
    control.SetRange(0, 100);
    control.SetWidth(5);
    control.SetValue(Variant::R8(value));
    return control;
}

std::string PrintedG(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

}  // namespace

int CTurnPanelMnogoProhod::Edit(CTurn& turn) {
    auto* operation = dynamic_cast<CTurnMnogoProhod*>(&turn);
    if (!operation || !ScriptedUser::Instance().Has(UserSession::Kind::Panel, CTurnPanel::kScriptName))
        return GetPlanPanels().EditTurn(turn);
    CTurnPanelMnogoProhod panel(*operation);
    return panel.ShowModal() == 1 ? 1 : 0;
}

// ---- layout ----

void CTurnPanelMnogoProhod::FillOperationKinds() {
    if (nameList) {
        for (const char* name : {"Многопроходная", "Точение", "Точение черновое", "Точение многопроходное",
                                 "Подрезание многопроходное", "Подрезание", "Растачивание", "Растачивание черновое",
                                 "Растачивание многопроходное", "Канавка", "Канавка многопроходная"})
            nameList->AddItem(name);
    }
    SetHelpTopic(kHelpTopic);
}

void CTurnPanelMnogoProhod::CreateCycleList() {
    if (!cycleList) return;
    if (indShema != 0) {
        CTurnPanel::CreateCycleList();
        return;
    }
    cycleList->ClearItems();
    cycleList->SetEnabled(true);
    cycleList->AddItem(kTurningCycleItem);
    cycleList->AddItem(kGrooveCycleItem);
    cycleList->SetWidth(30);
    SelectItem(*cycleList, indCycleElementar);
    cycleList->SetHint(kElementaryCycleHint);
    cycleList->SetTip(kElementaryCycleHint);
}

void CTurnPanelMnogoProhod::CreateParametersTab() {
    PropertyTab& tab = *HostTab(kStrategyTab);
    CreateCycleList();
    tab.AddControl(PropertyControlKind::Empty);
    approachField = &Length(tab, "Подвод", "Длина подвода инструмента, мм", Vrezanie);
    overrunField = &Length(tab, "Перебег", "Длина перебега инструмента, мм", Perebeg);
    reversalBox = &Add(tab, PropertyControlKind::CheckBox, "", "Сменить направление");
    reversalBox->SetCheckImages(HostImage::Library(kReversalOff), HostImage::Library(kReversalOn),
                                HostImage::Library(kReversalOn));
    reversalBox->SetValue(Variant::Bool(indNapr));
    cleanUpBox = &Add(tab, PropertyControlKind::CheckBox, "Зачистка черновая", "Включить зачищающий черновой проход");
    cleanUpBox->SetValue(Variant::Bool(isZachistka));
    tab.AddControl(PropertyControlKind::Empty);
    // Nothing shows the finishing button yet: the finishing pass's
    // parameters are the turning cycle's.
    finishingButton = &Add(tab, PropertyControlKind::Button, "Чистовая обработка", "Параметры чистовой обработки ");
    finishingButton->SetVisible(false);
    if (HostMajorVersion() >= 17) reversalBox->SetCaption("Сменить направление");
}

void CTurnPanelMnogoProhod::UpdatePassControls() {
    if (overrunField) overrunField->SetEnabled(!(indShema == 0 && indCycleElementar == 1));
    const int traversal = calc.feedDirection;
    if (cleanUpBox &&
        ((traversal == 0 && !OnePieceAlongPass) || (traversal == 1 && !OnePieceAcrossPass) || indShema == 1))
        cleanUpBox->SetEnabled(true);
    if (reversalBox) reversalBox->SetVisible(indShema == 0 || OnePieceAlongPass || OnePieceAcrossPass);
}

void CTurnPanelMnogoProhod::UpdateCaption() {
    if (!nameList) return;
    if (indShema == 0) sNameTurn = indCycleElementar == 0 ? kTurningName : kGrooveName;
    // The list shows a text as its item: one it does not have is added.
    const std::string shown = indShema == 0 ? sNameTurn : TranslateString(sNameTurn) + GetCycleCaption();
    if (nameList->IndexOfValue(shown) < 0) nameList->AddItem(shown);
    SelectItem(*nameList, nameList->IndexOfValue(shown));
    nameList->SetValue(Variant::BStr(shown));
}

// ---- events ----

void CTurnPanelMnogoProhod::StrategyTabOpened() {
    if (currentTab != kStrategyTab) return;
    UpdatePassControls();
    if (reversalBox) reversalBox->SetValue(Variant::Bool(indNapr));
}

bool CTurnPanelMnogoProhod::OnChangeTab(int tabIndex) {
    CTurnPanel::OnChangeTab(tabIndex);
    StrategyTabOpened();
    return true;
}

// From host 17 on a tab opens in the accordion.
bool CTurnPanelMnogoProhod::OnTabStateChanged(int tabIndex) {
    CTurnPanel::OnTabStateChanged(tabIndex);
    StrategyTabOpened();
    return true;
}

bool CTurnPanelMnogoProhod::OnSelectListItem(PropertyControl& control, int index, int state) {
    const bool user = state == 1 && !ownSelection;
    CTurnPanel::OnSelectListItem(control, index, state);
    // The scheme list is a list of the second kind: the user's choice comes
    // as a selection.
    if (user && &control == schemeList) ChangeCycleChoice(control);
    return true;
}

bool CTurnPanelMnogoProhod::ChangeCycleChoice(PropertyControl& control) {
    using Self = CTurnPanelMnogoProhod;
    static constexpr ControlEvents<Self> kRows[] = {
        {&Self::schemeList,
         [](Self& p, PropertyControl& c) {
             p.indShema = c.CurrentItem();
             p.cycleForced = false;
             p.CreateCycleList();
             p.RecalculatePath();
             p.UpdatePassControls();
             if (p.isAutoName) p.UpdateCaption();
         }},
        {&Self::cycleList,
         [](Self& p, PropertyControl& c) {
             (p.indShema == 0 ? p.indCycleElementar : p.indCycle) = c.CurrentItem();
             p.RecalculatePath();
             p.UpdatePassControls();
             if (p.isAutoName) p.UpdateCaption();
             if (p.isAutoTool) p.SetupTool();
         }},
    };
    return DispatchControlEvent(kRows, *this, control);
}

bool CTurnPanelMnogoProhod::OnChangeControlValue(PropertyControl& control) {
    using Self = CTurnPanelMnogoProhod;
    static constexpr ControlEvents<Self> kRows[] = {
        {&Self::reversalBox,
         [](Self& p, PropertyControl& c) {
             if (const bool checked = c.Value().ToBool(); p.indNapr != checked) p.indNapr = checked;
             p.RecalculatePath();
         }},
        {&Self::approachField, &panel_controls::TakeNumberForPath<Self, &Self::Vrezanie>},
        {&Self::overrunField, &panel_controls::TakeNumberForPath<Self, &Self::Perebeg>},
        {&Self::cleanUpBox,
         [](Self& p, PropertyControl& c) {
             p.isZachistka = c.Value().ToBool();
             p.RecalculatePath();
         }},
        // The finishing pass runs at the speed of the operation's mode.
        {&Self::constantSpeedBox,
         [](Self& p, PropertyControl&) {
             if (CycleParameter* parameter = p.turningCycle.FindParam("P5")) {
                 parameter->realValue = p.isVconst ? p.Vconst : p.Nshp;
                 parameter->valueText = PrintedG(parameter->realValue);
                 parameter->evaluated = 0;
             }
         }},
    };
    CTurnPanel::OnChangeControlValue(control);
    if (ChangeCycleChoice(control)) return true;
    DispatchControlEvent(kRows, *this, control);
    return true;
}

bool CTurnPanelMnogoProhod::OnControlCommand(PropertyControl& control, int id) {
    CTurnPanel::OnControlCommand(control, id);
    using Self = CTurnPanelMnogoProhod;
    static constexpr ControlEvents<Self, int> kRows[] = {
        {&Self::cycleParametersButton, [](Self& p, PropertyControl&, int) { p.EditCycle(); }},
        {&Self::finishingButton,
         [](Self& p, PropertyControl&, int) {
             if (p.grooveCycle.EditParameters() == 1) p.RecalculatePath();
         }},
    };
    DispatchControlEvent(kRows, *this, control, id);
    return true;
}

void CTurnPanelMnogoProhod::EditCycle() {
    if (indShema == 0) {
        // Only the turning cycle's dialog takes the plan angles from the tool.
        const bool turning = indCycleElementar == 0;
        CCycle_Auto& cycle = turning ? static_cast<CCycle_Auto&>(turningCycle) : grooveCycle;
        if (EditCycleParameters(cycle, turning) == 1) {
            RecalculatePath();
            UpdatePassControls();
        }
    } else if (CCycle_Auto* cycle = postProcessor.GetCycleOfType(typeKey, indCycle)) {
        if (cycle->EditParameters() == 1) RecalculatePath();
    }
}

// 307 comes when the turning cycle's dialog opens, and when the user
// chooses how the working contour is traversed (P7, whose combo has that id).
void CTurnPanelMnogoProhod::OnCycleDialogCommand(CycleDialogView& dialog, int id) {
    if (id != CycleDialogOwner::kDialogOpened) return;
    dialog.DoDataExchange();
    SetPlanAnglesFromTool(&dialog.Cycle(), nullptr);
    for (const char* name : {"P8", "P9"}) {
        const CCycle_Auto& cycle = dialog.Cycle();
        for (int i = 0; i < cycle.paramCount && i < CCadreCycle::kMaxParameters; ++i)
            if (cycle.params[static_cast<std::size_t>(i)].name == name) dialog.UpdateParamEdit(i);
    }
    dialog.Recalculate();
    sFi0 = "TOOL.fi";
    sFi1 = "TOOL.fi1-3";
}

}  // namespace zarvento
