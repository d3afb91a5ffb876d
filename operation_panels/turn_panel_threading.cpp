// The chisel-threading operation's panel: thread data with the metric depth,
// the Z repetition, the diameter display and the thread-designation mode.
#include "operation_panels/turn_panel_threading.h"

#include "operation_panels/kind_panel_support.h"
#include "operation_panels/turn_panel_on_host.h"
#include "operation_panels/turn_panel_otrezka.h"
#include "operation_panels/turn_panel_plashka.h"
#include "panels/control_events.h"
#include "plan/plan_panels.h"
#include "platform/core/host_major_version.h"
#include "platform/dialogs/property_tab.h"
#include "platform/dialogs/selection_manager.h"
#include "platform/host/host_document_3d.h"
#include "platform/host/object_queries.h"
#include "platform/host/thread_designation.h"
#include "platform/part_model.h"

namespace zarvento {

namespace {

// Below this the designation's surface has no diameter to take the depth from.
constexpr double kNoSurfaceDiameter = 0.000001;

}  // namespace

CTurnPanelTHREADING::CTurnPanelTHREADING(CTurnTHREADING& operation) : TurnKindPanel<CTurnTHREADING>(operation) {
    scriptName = PlanPanels::kTurn;
}

int CTurnPanelTHREADING::Edit(CTurn& turn) { return EditKindOnHost<CTurnPanelTHREADING, CTurnTHREADING>(turn); }

void CTurnPanelTHREADING::FillOperationKinds() {
    ReduceWorkingTab(workTab, "Поверхность диаметра выступов", "Поверхность диаметра выступов резьбы");
    nameList->AddItem("Нарезание резьбы резцом");
    nameList->AddItem("Нарезание резьбы многопроходное");
    SelectItem(*nameList, 0);
    if (HostMajorVersion() >= 17 && metricBox) metricBox->SetCaption("Резьба метрическая");
    SetHelpTopic(kHelpTopic);
}

void CTurnPanelTHREADING::CreateParametersTab() {
    PropertyTab& tab = *HostTab(kStrategyTab);
    const bool newer = HostMajorVersion() >= 17;
    handList = &AddHandList(tab);
    pitchField = &AddNumberField(tab, "Шаг", "Шаг резьбы (начальный шаг для резьб с переменным шагом), мм", Step, 7,
                                 0.01, 500, "Шаг резьбы, мм");
    startsField = &AddIntegerField(tab, "заходов", "Число заходов", Nzahod, 3, 1, 100);
    auto addMetric = [&] {
        metricBox = &AddKindControl(tab, PropertyControlKind::CheckBox, "", "Резьба метрическая");
        metricBox->SetCheckImages(HostImage::Library(kMetricImageOff), HostImage::Library(kMetricImageOn),
                                  HostImage::Library(kMetricImageOff));
        metricBox->SetValue(Variant::Bool(isAutoDepth));
    };
    if (newer) addMetric();
    ApplyAutoDepth();
    depthField = &AddNumberField(tab, "Глубина профиля", "Глубина профиля резьбы, мм", Depth, 10, 0.01, 500);
    depthField->SetReadOnly(isAutoDepth);
    if (!newer) addMetric();
    diameterField = &AddKindControl(tab, PropertyControlKind::TextEdit, " Диаметр", "Диаметр резьбы, мм");
    diameterField->SetWidth(10);
    diameterField->SetReadOnly(true);
    diameterField->SetValue(Variant::BStr(""));
    AddSeparator(tab);
    approachField = &AddNumberField(tab, "Подвод", "Длина подвода, мм", Vrezanie, 5);
    overrunField = &AddNumberField(tab, "Перебег", "Длина перебега, мм", Perebeg, 5);
    AddSeparator(tab);
    startShiftField = &AddNumberField(tab, "Смещение начала резьбы по Z", "Смещение траектории резьбы по Z, мм", dZ0rep,
                                      5, -500, 500);
    repeatCountField =
        &AddIntegerField(tab, "Число повторов резьбы по Z", "Число повторов траектории резьбы по Z", Nrep, 5, 1, 500);
    repeatStepField = &AddNumberField(tab, "Шаг повтора по Z", "Шаг повтора траектории по Z, мм", dZrep, 5, -500, 500);
    AddSeparator(tab);
    RefreshDiameter();
}

void CTurnPanelTHREADING::CreateCycleList() {
    if (!cycleList) return;
    if (indShema == 1) return CTurnPanel::CreateCycleList();
    ShowOneElementaryCycle(CTurnPanelPLASHKA::kCycleItem, 40);
}

void CTurnPanelTHREADING::RefreshDiameter() {
    if (!diameterField) return;
    diameterField->SetValue(Variant::BStr(""));
    if (!workContour || workContour->Count() == 0) return;
    diameterField->SetValue(Variant::BStr(ThreadDiameterText(*workContour, Depth, threadDiameter)));
}

void CTurnPanelTHREADING::UpdateClosingSegments() {
    CTurnPanel::UpdateClosingSegments();
    RefreshDiameter();
    if (isAutoName && workContour) UpdateCaption();
}

void CTurnPanelTHREADING::UpdateCaption() {
    sNameTurn = ThreadSizeName(threadDiameter, Step) + GetCycleCaption();
    if (nameList) nameList->SetValue(Variant::BStr(sNameTurn));
}

void CTurnPanelTHREADING::FollowThreadChange() {
    RefreshDiameter();
    if (isAutoName && workContour) UpdateCaption();
}

bool CTurnPanelTHREADING::OnChangeControlValue(PropertyControl& control) {
    using Self = CTurnPanelTHREADING;
    static constexpr auto thread = [](Self& p, PropertyControl&) {
        p.Step = p.pitchField->Value().ToR8();
        if (p.isAutoDepth) {
            p.Depth = p.CalcProfileDepth();
            p.depthField->SetValue(Variant::R8(p.Depth));
        }
        p.Nzahod = p.startsField->Value().ToI4();
        // The lead is the feed per revolution.
        p.Spod = p.Nzahod * p.Step;
        if (p.feedField) p.feedField->SetValue(Variant::R8(p.Spod));
        p.FollowThreadChange();
    };
    static constexpr ControlEvents<Self> kRows[] = {
        {&Self::handList, [](Self& p, PropertyControl&) { p.indNapr = p.handList->CurrentItem() != 0; }},
        {&Self::pitchField, thread},
        {&Self::startsField, thread},
        {&Self::metricBox,
         [](Self& p, PropertyControl&) {
             p.isAutoDepth = p.metricBox->Value().ToBool();
             if (p.isAutoDepth) {
                 p.Depth = p.CalcProfileDepth();
                 p.depthField->SetValue(Variant::R8(p.Depth));
             }
             p.depthField->SetReadOnly(p.isAutoDepth);
             p.FollowThreadChange();
         }},
        {&Self::depthField,
         [](Self& p, PropertyControl&) {
             p.Depth = p.depthField->Value().ToR8();
             p.FollowThreadChange();
         }},
        {&Self::approachField,
         [](Self& p, PropertyControl&) {
             p.Vrezanie = p.approachField->Value().ToR8();
             p.Perebeg = p.overrunField->Value().ToR8();
             p.RecalculatePath();
         }},
        {&Self::overrunField,
         [](Self& p, PropertyControl&) {
             p.Perebeg = p.overrunField->Value().ToR8();
             p.RecalculatePath();
         }},
        {&Self::startShiftField,
         [](Self& p, PropertyControl&) {
             p.dZ0rep = p.startShiftField->Value().ToR8();
             p.RecalculatePath();
         }},
        {&Self::repeatCountField,
         [](Self& p, PropertyControl&) {
             p.Nrep = p.repeatCountField->Value().ToI4();
             p.RecalculatePath();
         }},
        {&Self::repeatStepField,
         [](Self& p, PropertyControl&) {
             p.dZrep = p.repeatStepField->Value().ToR8();
             p.RecalculatePath();
         }},
    };
    // The common controls once, before the kind's own: a second pass would
    // rebuild the path again and repeat every formula's error message.
    CTurnPanel::OnChangeControlValue(control);
    DispatchControlEvent(kRows, *this, control);
    return true;
}

bool CTurnPanelTHREADING::OnControlCommand(PropertyControl& control, int id) {
    CTurnPanel::OnControlCommand(control, id);
    if (&control == cycleParametersButton && cycleParametersButton) {
        if (EditOperationCycle(Cycle()) == 1) RecalculatePath();
    }
    return true;
}

void CTurnPanelTHREADING::RefreshWorkingTab() {
    if (isModel) {
        RefreshFromDesignation();
    } else {
        RefreshFromFaces();
    }
}

bool CTurnPanelTHREADING::OnChangeTab(int tabIndex) {
    CTurnPanel::OnChangeTab(tabIndex);
    if (CurrentTab() == kWorkingTab) RefreshWorkingTab();
    return true;
}

bool CTurnPanelTHREADING::OnTabStateChanged(int tabIndex) {
    const int before = CurrentTab();
    CTurnPanel::OnTabStateChanged(tabIndex);
    if (CurrentTab() == kWorkingTab && before != kWorkingTab) RefreshWorkingTab();
    return true;
}

bool CTurnPanelTHREADING::FilterObject(const HostObjectPtr& object) {
    if (result != 0) return true;
    if (CurrentTab() != kWorkingTab) return false;
    if (!isModel) return CTurnPanel::FilterObject(object);
    return IsObjectOfType(object, kThreadDesignationType);
}

bool CTurnPanelTHREADING::OnSelectObject(const HostObjectPtr& object, const Variant& value) {
    if (result != 0) return true;
    if (CurrentTab() != kWorkingTab || !isModel) return CTurnPanel::OnSelectObject(object, value);
    if (!object) return true;
    const std::shared_ptr<SelectionManager>& selection = CommandDocument3D().Selection();
    if (selection && selection->IsSelected(object)) {
        selection->Unselect(object);
        Obj7.reset();
        return true;
    }
    if (selection && Obj7) selection->Unselect(Obj7);
    Obj7 = object;
    if (selection) selection->Select(object);
    RefreshFromDesignation();
    return true;
}

void CTurnPanelTHREADING::RefreshFromDesignation() {
    const std::shared_ptr<HostThreadDesignation> designation = ThreadDesignationOf(Obj7);
    // The thread surface is the only chosen face; the builder builds from it
    // though an operation of the model builds nothing from picked faces.
    if (Contour* choice = workTab.GetSurfaces()) {
        choice->DeselectAll();
        if (designation && designation->Surface()) {
            if (CUnit* unit = choice->FindUnitByObject(designation->Surface())) unit->Selected = true;
        }
    }
    CContourBuilderThreading& builder = ThreadBuilder();
    builder.suppressBuild = false;
    workTab.RebuildContour();
    builder.suppressBuild = isModel;
    if (Obj7) {
        if (const std::shared_ptr<SelectionManager>& selection = CommandDocument3D().Selection())
            selection->Select(Obj7);
    }
    if (designation) {
        threadDiameter = designation->Diameter();
        Step = designation->Pitch();
        Nzahod = 1;
        Vrezanie = Perebeg = Spod = Step;
        const double surface = designation->SurfaceDiameter();
        Depth = surface > kNoSurfaceDiameter ? (threadDiameter - surface) / 2.0 : 0.0;
    }
    ShowThreadValues();
}

void CTurnPanelTHREADING::RefreshFromFaces() {
    workTab.RebuildContour();
    if (Obj7) {
        if (const std::shared_ptr<SelectionManager>& selection = CommandDocument3D().Selection())
            selection->Unselect(Obj7);
    }
    ShowThreadValues();
}

void CTurnPanelTHREADING::ShowThreadValues() {
    if (handList) SelectItem(*handList, indNapr ? 1 : 0);
    if (pitchField) pitchField->SetValue(Variant::R8(Step));
    if (startsField) startsField->SetValue(Variant::I4(Nzahod));
    if (depthField) depthField->SetValue(Variant::R8(Depth));
    // The lengths and the feed the designation set are shown too: a later
    // change of the approach reads the overrun field as well.
    if (approachField) approachField->SetValue(Variant::R8(Vrezanie));
    if (overrunField) overrunField->SetValue(Variant::R8(Perebeg));
    if (feedField) feedField->SetValue(Variant::R8(Spod));
}

}  // namespace zarvento
