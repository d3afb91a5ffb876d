// The contour operation's panel: kinds, direction, approach and overrun
// angles, and the path by a picked sketch.
#include "operation_panels/turn_panel_kontur.h"

#include <utility>

#include "operation_panels/panel_controls.h"
#include "panels/control_events.h"
#include "platform/core/host_major_version.h"
#include "platform/dialogs/pick_collection.h"
#include "platform/dialogs/selection_manager.h"
#include "platform/drawings/host_sketch.h"
#include "platform/host/host_document_3d.h"

namespace zarvento {

using namespace panel_controls;

namespace {

constexpr const char* kApproachAngleHint = "Угол подвода инструмента, градусы";
constexpr const char* kOverrunAngleHint = "Угол перебега инструмента, градусы";
constexpr const char* kReverseHint = "Сменить направление";

PropertyControl& AngleModes(PropertyTab& tab, const char* caption, const char* hint) {
    static constexpr struct {
        const char* text;
        int image;
    } kModes[] = {{"Автоматически", 10020}, {"+Z (0 гр.)", 10021},       {"к оси (90 гр.)", 10022},
                  {"-Z (180 гр.)", 10023},  {"от оси (270 гр.)", 10024}, {"Произвольный угол", 10025}};
    PropertyControl& list = Add(tab, PropertyControlKind::ImageList, caption, hint);
    for (const auto& mode : kModes) list.AddItem(mode.text, HostImage::Library(mode.image));
    return list;
}

}  // namespace

int CTurnPanelKONTUR::Edit(CTurn& turn) { return EditByScript<CTurnPanelKONTUR, CTurnKONTUR>(turn); }

void CTurnPanelKONTUR::FillOperationKinds() {
    for (const char* name : {"Контур", "По контуру", "Точение по контуру", "Точение черновое", "Точение чистовое",
                             "Подрезание", "Растачивание", "Растачивание черновое", "Растачивание чистовое", "Канавка"})
        nameList->AddItem(name);
    SelectItem(*nameList, 0);
    SetHelpTopic(kHelpTopic);
}

void CTurnPanelKONTUR::CreateParametersTab() {
    PropertyTab& tab = *HostTab(kStrategyTab);
    reverseBox = &Add(tab, PropertyControlKind::CheckBox, HostMajorVersion() >= 17 ? kReverseHint : "", kReverseHint);
    reverseBox->SetCheckImages(HostImage::Library(10132), HostImage::Library(10131), HostImage::Library(10131));
    reverseBox->SetValue(Variant::Bool(indNapr));
    Separator(tab);
    approachLengthField = &Number(tab, "Подвод", "Длина подвода инструмента, мм", Vrezanie, 0, 1000, 5);
    approachModeList = &AngleModes(tab, "Угол подвода", kApproachAngleHint);
    SelectItem(*approachModeList, VrezanieSposob);
    approachAngleField = &Number(tab, "", kApproachAngleHint, VrezanieAngle, 0, 360, 6);
    Separator(tab);
    overrunLengthField = &Number(tab, "Перебег", "Длина перебега инструмента, мм", Perebeg, 0, 1000, 5);
    overrunModeList = &AngleModes(tab, "Угол перебега", kOverrunAngleHint);
    SelectItem(*overrunModeList, PerebegSposob);
    overrunAngleField = &Number(tab, "", kOverrunAngleHint, PerebegAngle, 0, 360, 6);
    ShowAngles();
    Separator(tab);
    sketchPathBox = &Add(tab, PropertyControlKind::CheckBox, "Траектория по эскизу", "Построить траекторию по эскизу");
    sketchPathBox->SetValue(Variant::Bool(SposobTrajectory));
    sketchField = &Add(tab, PropertyControlKind::TextEdit, "Эскиз", "Эскиз траектории");
    sketchField->SetWidth(30);
    sketchField->SetValue(Variant::BStr(pEskiz ? pEskiz->Name() : std::string()));
    sketchField->SetReadOnly(true);
    sketchField->SetVisible(SposobTrajectory);
    HighlightSketch(SposobTrajectory);
    Separator(tab);
}

void CTurnPanelKONTUR::ShowAngles() {
    approachAngleField->SetValue(Variant::R8(VrezanieAngle));
    overrunAngleField->SetValue(Variant::R8(PerebegAngle));
    approachAngleField->SetEnabled(VrezanieSposob == kFreeAngle);
    overrunAngleField->SetEnabled(PerebegSposob == kFreeAngle);
}

void CTurnPanelKONTUR::HighlightSketch(bool shown) {
    if (!pEskiz) return;
    PickCollection& highlights = CommandDocument3D().SecondHighlights();
    if (shown) {
        if (!highlights.Contains(pEskiz)) highlights.Add(pEskiz);
    } else {
        highlights.Remove(pEskiz);
    }
}

void CTurnPanelKONTUR::AngleModeChosen(bool approach) {
    PropertyControl& list = approach ? *approachModeList : *overrunModeList;
    PropertyControl& field = approach ? *approachAngleField : *overrunAngleField;
    std::int32_t& mode = approach ? VrezanieSposob : PerebegSposob;
    double& angle = approach ? VrezanieAngle : PerebegAngle;
    mode = list.CurrentItem();
    // The free angle is the number the field holds; another mode keeps it
    // for a later return.
    if (mode == kFreeAngle) angle = NumberOf(field);
    field.SetEnabled(mode == kFreeAngle);
    RecalculatePath();
    field.SetValue(Variant::R8(angle));
}

bool CTurnPanelKONTUR::ChangeOwnValue(PropertyControl& control) {
    using Self = CTurnPanelKONTUR;
    static constexpr ControlEvents<Self> kRows[] = {
        {&Self::reverseBox,
         [](Self& p, PropertyControl& c) {
             p.indNapr = Checked(c);
             // The pass runs the other way: the approach's angle is now the overrun's.
             std::swap(p.VrezanieSposob, p.PerebegSposob);
             std::swap(p.VrezanieAngle, p.PerebegAngle);
             p.RecalculatePath();
             p.ShowAngles();
             p.SelectItem(*p.approachModeList, p.VrezanieSposob);
             p.SelectItem(*p.overrunModeList, p.PerebegSposob);
         }},
        {&Self::approachLengthField, &TakeNumberForPath<Self, &Self::Vrezanie>},
        {&Self::overrunLengthField, &TakeNumberForPath<Self, &Self::Perebeg>},
        {&Self::approachModeList, [](Self& p, PropertyControl&) { p.AngleModeChosen(true); }},
        {&Self::approachAngleField, &TakeNumberForPath<Self, &Self::VrezanieAngle>},
        {&Self::overrunModeList, [](Self& p, PropertyControl&) { p.AngleModeChosen(false); }},
        {&Self::overrunAngleField, &TakeNumberForPath<Self, &Self::PerebegAngle>},
        {&Self::sketchPathBox,
         [](Self& p, PropertyControl& c) {
             if (Checked(c) == p.SposobTrajectory) return;
             p.SposobTrajectory = Checked(c);
             // The sketch is kept either way: switched on again, the path follows it.
             p.sketchField->SetVisible(p.SposobTrajectory);
             p.HighlightSketch(p.SposobTrajectory);
             p.RecalculatePath();
         }},
    };
    return DispatchControlEvent(kRows, *this, control);
}

bool CTurnPanelKONTUR::OnChangeControlValue(PropertyControl& c) {
    ChangeOwnValue(c);
    CTurnPanel::OnChangeControlValue(c);
    return true;
}

bool CTurnPanelKONTUR::OnSelectListItem(PropertyControl& control, int index, int state) {
    // The angle mode lists report the user's choice as a selection.
    if ((&control == approachModeList || &control == overrunModeList) && state == 1 && !ownSelection)
        ChangeOwnValue(control);
    return CTurnPanel::OnSelectListItem(control, index, state);
}

bool CTurnPanelKONTUR::FilterObject(const HostObjectPtr& object) {
    if (result != 0) return true;
    if (currentTab != kStrategyTab) return CTurnPanel::FilterObject(object);
    if (!SposobTrajectory || !object) return false;
    return object->ObjectType() == HostSketch::kObjectType;
}

bool CTurnPanelKONTUR::OnSelectObject(const HostObjectPtr& object, const Variant& value) {
    if (result != 0) return true;
    if (currentTab != kStrategyTab) return CTurnPanel::OnSelectObject(object, value);
    if (!SposobTrajectory || !object || object->ObjectType() != HostSketch::kObjectType) return false;
    auto sketch = std::dynamic_pointer_cast<HostSketch>(object);
    if (!sketch) return false;
    SelectionManager* selection = HostSelectionManager();
    if (selection && selection->IsSelected(object)) {
        // The chosen sketch picked again: the choice is cleared.
        sketchField->SetValue(Variant::BStr(""));
        selection->Unselect(object);
        HighlightSketch(false);
        pEskiz.reset();
    } else {
        HighlightSketch(false);
        if (selection && pEskiz) selection->Unselect(pEskiz);
        sketchField->SetValue(Variant::BStr(sketch->Name()));
        if (selection) selection->Select(object);
        pEskiz = sketch;
    }
    RecalculatePath();
    return true;
}

}  // namespace zarvento
